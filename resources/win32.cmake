# Windows: the art as resources of the program file. The script is an object library that
# the program links directly: in a static library its resources would be dropped, since
# nothing refers to them by symbol.
if(VELMORRA_PLATFORM STREQUAL "win32")
    enable_language(RC)
    add_library(velmorra_resources STATIC resources_win32.cpp)
    target_include_directories(velmorra_resources PUBLIC ${PROJECT_SOURCE_DIR})

    # The version resource's numbers and text come from project()'s VERSION alone.
    foreach(part major minor patch tweak)
        string(TOUPPER ${part} upper)
        set(version_${part} "${PROJECT_VERSION_${upper}}")
        if(version_${part} STREQUAL "")
            set(version_${part} 0)
        endif()
    endforeach()
    configure_file(version_info.h.in ${CMAKE_CURRENT_BINARY_DIR}/version_info.h @ONLY)

    add_library(velmorra_resource_script OBJECT velmorra.rc)
    target_include_directories(velmorra_resource_script PRIVATE
        ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR})
    set_source_files_properties(velmorra.rc PROPERTIES OBJECT_DEPENDS
        "${CMAKE_CURRENT_SOURCE_DIR}/title.jpg;${CMAKE_CURRENT_SOURCE_DIR}/mainicon.ico;${CMAKE_CURRENT_BINARY_DIR}/version_info.h")
endif()
