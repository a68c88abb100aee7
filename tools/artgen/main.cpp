// Renders the title picture and the application icon into the given folder:
//   velmorra-artgen <resources folder>
// The output depends on nothing but this code, so every run gives the same bytes.
#include <cstdio>
#include <exception>
#include <string>

#include "icon.h"
#include "jpeg_file.h"
#include "title.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    try {
        artgen::write_title_jpeg(dir + "/title.jpg", artgen::render_title(), artgen::kTitleWidth,
                                 artgen::kTitleHeight, 93);
        artgen::write_icon(dir + "/mainicon.ico");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmorra-artgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
