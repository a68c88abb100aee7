# Text through FreeType with the face compiled in, JPEG through libjpeg: what the X11 backend
# gives its forms. They need no display, so the core-only (sanitizer) build has them too
# where the libraries are installed.
if(VELMORRA_PLATFORM STREQUAL "x11" OR VELMORRA_PLATFORM STREQUAL "none")
    include(${CMAKE_CURRENT_LIST_DIR}/archives.cmake)
    find_package(Freetype)
    if(TARGET velmorra::freetype AND TARGET velmorra::jpeg AND FREETYPE_FOUND
       AND TARGET velmorra_resources)
        add_library(velmorra_x11_services STATIC
            ${CMAKE_CURRENT_LIST_DIR}/text_freetype.cpp
            ${CMAKE_CURRENT_LIST_DIR}/jpeg_turbo.cpp)
        target_include_directories(velmorra_x11_services PUBLIC ${PROJECT_SOURCE_DIR})
        target_include_directories(velmorra_x11_services PRIVATE ${FREETYPE_INCLUDE_DIRS})
        target_link_libraries(velmorra_x11_services
            PUBLIC velmorra_core
            PRIVATE velmorra_resources velmorra::freetype velmorra::jpeg)
    elseif(VELMORRA_PLATFORM STREQUAL "x11")
        message(FATAL_ERROR "the static archives of FreeType and libjpeg are needed: "
                            "run tools/install-deps.sh")
    endif()
endif()
