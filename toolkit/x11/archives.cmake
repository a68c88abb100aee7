# The Linux program is one static file: the libraries it carries are linked from their
# archives. Each is an imported target naming the archives it needs in turn. Every Linux
# executable of the build links the same archives, so the tests run the code the program
# carries.
include_guard(GLOBAL)

# velmorra_archive(NAME FILE [NEEDED...]): the target velmorra::NAME for the archive FILE,
# if it is installed.
function(velmorra_archive name file)
    find_library(VELMORRA_ARCHIVE_${name} NAMES ${file})
    if(VELMORRA_ARCHIVE_${name} AND NOT TARGET velmorra::${name})
        add_library(velmorra::${name} STATIC IMPORTED GLOBAL)
        set_target_properties(velmorra::${name} PROPERTIES
            IMPORTED_LOCATION ${VELMORRA_ARCHIVE_${name}}
            INTERFACE_LINK_LIBRARIES "${ARGN}")
    endif()
endfunction()

# FreeType as Debian builds it reads PNG glyph images and compressed (WOFF) fonts; the
# formats the program does not register (text_freetype.cpp) are not linked.
velmorra_archive(z libz.a)
velmorra_archive(png16 libpng16.a velmorra::z m)
velmorra_archive(brotlicommon libbrotlicommon.a)
velmorra_archive(brotlidec libbrotlidec.a velmorra::brotlicommon)
velmorra_archive(freetype libfreetype.a velmorra::png16 velmorra::z velmorra::brotlidec m)
velmorra_archive(jpeg libjpeg.a)

# Xlib, the protocol library under it with its authorisation libraries, and the extension
# clients the backend and Xlib's themed pointer shapes use.
velmorra_archive(Xau libXau.a)
velmorra_archive(Xdmcp libXdmcp.a)
velmorra_archive(xcb libxcb.a velmorra::Xau velmorra::Xdmcp)
velmorra_archive(X11 libX11.a velmorra::xcb)
velmorra_archive(Xext libXext.a velmorra::X11)
velmorra_archive(Xrender libXrender.a velmorra::X11)
velmorra_archive(Xfixes libXfixes.a velmorra::X11)
velmorra_archive(Xrandr libXrandr.a velmorra::Xrender velmorra::Xext velmorra::X11)
velmorra_archive(Xcursor libXcursor.a velmorra::Xrender velmorra::Xfixes velmorra::X11)
