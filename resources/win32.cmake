# Windows: the art as resources of the program file. The script is an object library that
# the program links directly: in a static library its resources would be dropped, since
# nothing refers to them by symbol.
if(VELMORRA_PLATFORM STREQUAL "win32")
    enable_language(RC)
    add_library(velmorra_resources STATIC resources_win32.cpp)
    target_include_directories(velmorra_resources PUBLIC ${PROJECT_SOURCE_DIR})

    add_library(velmorra_resource_script OBJECT velmorra.rc)
    target_include_directories(velmorra_resource_script PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    set_source_files_properties(velmorra.rc PROPERTIES OBJECT_DEPENDS
        "${CMAKE_CURRENT_SOURCE_DIR}/title.jpg;${CMAKE_CURRENT_SOURCE_DIR}/mainicon.ico")
endif()
