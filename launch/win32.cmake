# Windows: commands go to WinExec, with the shell as the way round a refusal for want of
# administrator rights.
if(VELMORRA_PLATFORM STREQUAL "win32")
    add_library(velmorra_launch STATIC system_starter_win32.cpp elevation_fallback.cpp)
    target_include_directories(velmorra_launch PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(velmorra_launch PUBLIC velmorra_launch_table PRIVATE velmorra_wide_text)
endif()
