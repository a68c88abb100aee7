// velmorra-snapshot OUT.png [--hot NAME] [--pressed NAME] [--focus NAME] [--inactive]
//
// Renders the menu window's client area with the Linux text and JPEG services, in a chosen
// state, and writes it as a PNG: a look at every state without a display.
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/core/picture_formats.h"
#include "toolkit/core/pixel_buffer.h"
#include "toolkit/x11/jpeg_turbo.h"
#include "toolkit/x11/text_freetype.h"
#include "tools/snapshot/png_writer.h"
#include "ui/unit1.h"

namespace {

constexpr int kUsage = 2;

struct Options {
    std::string out;
    std::optional<std::string> hot;
    std::optional<std::string> pressed;
    std::optional<std::string> focus;
    bool inactive = false;
};

class NoStarter : public launch::CommandStarter {
  public:
    void start(const launch::LaunchCommand&) override {}
};

int usage(const std::string& problem) {
    std::fprintf(stderr,
                 "velmorra-snapshot: %s (usage: velmorra-snapshot OUT.png [--hot NAME] "
                 "[--pressed NAME] [--focus NAME] [--inactive])\n",
                 problem.c_str());
    return kUsage;
}

// Returns the problem with the arguments, or nothing where they are fine.
std::optional<std::string> parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::optional<std::string>* named = arg == "--hot"       ? &options.hot
                                            : arg == "--pressed" ? &options.pressed
                                            : arg == "--focus"   ? &options.focus
                                                                 : nullptr;
        if (named != nullptr) {
            if (i + 1 >= argc) return std::string(arg) + " needs a button name";
            *named = argv[++i];
        } else if (arg == "--inactive") {
            options.inactive = true;
        } else if (arg.starts_with("-") || !options.out.empty()) {
            return "unexpected argument '" + std::string(arg) + "'";
        } else {
            options.out = arg;
        }
    }
    if (options.out.empty()) return std::string("no output file given");
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const std::optional<std::string> problem = parse(argc, argv, options))
        return usage(*problem);
    try {
        toolkit::x11::FreeTypeText text;
        toolkit::PictureFormats pictures;
        toolkit::x11::register_jpeg(pictures);
        const toolkit::FormServices services{text, pictures, 96, toolkit::Rgb{0, 120, 215}};
        NoStarter starter;
        TForm1 form(services, starter);

        auto button = [&](const std::optional<std::string>& name) -> toolkit::FlatButton* {
            if (!name) return nullptr;
            toolkit::FlatButton* found = form.find_button(*name);
            if (found == nullptr) throw std::invalid_argument("no button named '" + *name + "'");
            return found;
        };
        toolkit::FlatButton* focus = button(options.focus);
        toolkit::FlatButton* hot = button(options.hot);
        toolkit::FlatButton* pressed = button(options.pressed);

        if (focus != nullptr) {
            form.activate();
            form.focus(*focus);
        }
        if (options.inactive) form.deactivate();
        if (hot != nullptr) form.preview_hot(hot);
        if (pressed != nullptr) form.preview_pressed(*pressed, true);

        const toolkit::Size size = form.client_size();
        toolkit::PixelBuffer buffer(size.width, size.height);
        form.paint(buffer, buffer.bounds(), true);
        snapshot::write_png(options.out, buffer);
        return 0;
    } catch (const std::invalid_argument& e) {
        return usage(e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmorra-snapshot: %s\n", e.what());
        return 1;
    }
}
