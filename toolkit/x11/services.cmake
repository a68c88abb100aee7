# Text through FreeType and fontconfig, JPEG through libjpeg: what the X11 backend gives its
# forms. They need no display, so the core-only (sanitizer) build has them too where the
# libraries are installed.
if(VELMORRA_PLATFORM STREQUAL "x11" OR VELMORRA_PLATFORM STREQUAL "none")
    if(VELMORRA_PLATFORM STREQUAL "x11")
        set(velmorra_services_required REQUIRED)
    endif()
    find_package(Freetype ${velmorra_services_required})
    find_package(Fontconfig ${velmorra_services_required})
    find_package(JPEG ${velmorra_services_required})
    if(TARGET Freetype::Freetype AND TARGET Fontconfig::Fontconfig AND TARGET JPEG::JPEG)
        add_library(velmorra_x11_services STATIC
            ${CMAKE_CURRENT_LIST_DIR}/text_freetype.cpp
            ${CMAKE_CURRENT_LIST_DIR}/jpeg_turbo.cpp)
        target_include_directories(velmorra_x11_services PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(velmorra_x11_services
            PUBLIC velmorra_core
            PRIVATE Freetype::Freetype Fontconfig::Fontconfig JPEG::JPEG)
    endif()
endif()
