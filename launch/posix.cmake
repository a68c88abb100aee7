# Linux: launch commands start through posix_spawn, Windows programs through Wine.
if(VELMORRA_PLATFORM STREQUAL "x11" OR VELMORRA_PLATFORM STREQUAL "none")
    add_library(velmorra_launch STATIC
        ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
        ${CMAKE_CURRENT_LIST_DIR}/posix_resolve.cpp
        ${CMAKE_CURRENT_LIST_DIR}/posix_plan.cpp
        ${CMAKE_CURRENT_LIST_DIR}/posix_spawn_starter.cpp)
    target_link_libraries(velmorra_launch PUBLIC velmorra_launch_table)
endif()
