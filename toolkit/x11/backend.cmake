# The X11 window backend and the Linux program.
if(VELMORRA_PLATFORM STREQUAL "x11")
    include(${CMAKE_CURRENT_LIST_DIR}/archives.cmake)
    find_package(X11 REQUIRED)
    foreach(archive X11 Xrandr Xcursor)
        if(NOT TARGET velmorra::${archive})
            message(FATAL_ERROR "lib${archive}.a is needed: run tools/install-deps.sh")
        endif()
    endforeach()

    # Xlib with what it looks up at run time answered inside the program (xlib_lookups.cpp):
    # its object file goes on each link line itself, ahead of the archives that call it.
    add_library(velmorra_xlib_lookups OBJECT ${CMAKE_CURRENT_LIST_DIR}/xlib_lookups.cpp)
    target_include_directories(velmorra_xlib_lookups PRIVATE ${X11_INCLUDE_DIR})
    add_library(velmorra_xlib INTERFACE)
    target_include_directories(velmorra_xlib INTERFACE ${X11_INCLUDE_DIR})
    target_link_libraries(velmorra_xlib INTERFACE
        $<TARGET_OBJECTS:velmorra_xlib_lookups> velmorra::Xrandr velmorra::Xcursor velmorra::X11)
    target_link_options(velmorra_xlib INTERFACE -Wl,--wrap=dlopen -Wl,--wrap=dlsym
        -Wl,--wrap=getpwuid_r -Wl,--wrap=getpwnam_r)

    add_library(velmorra_x11 STATIC
        connection.cpp
        event_pump.cpp
        frame_hints.cpp
        ico_reader.cpp
        image_output.cpp
        input_map.cpp
        main_window.cpp
        main_window_events.cpp
        main_window_paint.cpp
        message_box.cpp
        placement.cpp
        stop_signals.cpp
        window_move.cpp
        x11_application.cpp)
    target_include_directories(velmorra_x11 PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(velmorra_x11
        PUBLIC velmorra_core velmorra_x11_services velmorra_resources velmorra_xlib)
    target_compile_options(velmorra_x11 PRIVATE -ffunction-sections -fdata-sections)

    add_executable(velmorra ${PROJECT_SOURCE_DIR}/app/main.cpp)
    target_link_libraries(velmorra PRIVATE
        velmorra_shell velmorra_x11 velmorra_x11_services velmorra_launch velmorra_resources)
    # One file that runs on any x86-64 Linux with an X server: the C and C++ runtimes are
    # linked in with everything else, so nothing is looked up, loaded or bound at start-up
    # and no system library's version matters. Unused code is dropped. The linker's one
    # remaining note, on getaddrinfo, concerns displays named by host name: the static C
    # library resolves them itself through /etc/hosts and DNS, and only a name service
    # module other than those (from nsswitch.conf) would be loaded from the system.
    target_link_options(velmorra PRIVATE -static -Wl,--gc-sections -Wl,-O1)
    add_dependencies(velmorra velmorra_licences)
    set_target_properties(velmorra PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endif()
