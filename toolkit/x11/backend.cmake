# The X11 window backend and the Linux program.
if(VELMORRA_PLATFORM STREQUAL "x11")
    find_package(X11 REQUIRED)
    if(NOT X11_Xrandr_FOUND)
        message(FATAL_ERROR "libxrandr-dev is needed")
    endif()

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
        PUBLIC velmorra_core velmorra_x11_services velmorra_resources X11::X11 X11::Xrandr)
    target_compile_options(velmorra_x11 PRIVATE -ffunction-sections -fdata-sections)

    add_executable(velmorra ${PROJECT_SOURCE_DIR}/app/main.cpp)
    target_link_libraries(velmorra PRIVATE
        velmorra_shell velmorra_x11 velmorra_x11_services velmorra_launch velmorra_resources)
    # Drop unused code, bind symbols at load and skip libraries nothing uses: starting fast
    # matters more than anything else here. The C++ runtime is linked in: loading and
    # binding libstdc++ at start-up took longer than all of the program's own code.
    target_link_options(velmorra PRIVATE -Wl,--gc-sections -Wl,--as-needed -Wl,-O1
        -Wl,--hash-style=gnu -static-libstdc++ -static-libgcc)
    set_target_properties(velmorra PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endif()
