// Stand-ins for what a platform gives a form, recording what the form asks of them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "launch/launch_command.h"
#include "toolkit/core/form.h"
#include "toolkit/core/picture_formats.h"
#include "toolkit/core/text_service.h"
#include "toolkit/core/window_host.h"
#include "ui/unit1.h"

namespace fakes {

// Every character is 6 pixels wide; a line is the em height plus 2 (so the window font at
// -11 measures 13, as on a 96 dpi screen). Drawing fills each line's box with the colour.
class BoxText : public toolkit::TextService {
  public:
    static int chars(std::string_view s) {
        int n = 0;
        for (unsigned char c : s)
            if ((c & 0xC0) != 0x80) ++n;
        return n;
    }
    toolkit::TextExtent measure(const toolkit::FontSpec& font, std::string_view s) override {
        measured.push_back(font);
        return {6 * chars(s), (font.height < 0 ? -font.height : font.height) + line_extra};
    }
    void draw(toolkit::PixelBuffer& target, const toolkit::ClipRegion& clip,
              const toolkit::FontSpec& font, toolkit::Point at, std::string_view s,
              toolkit::Rgb colour) override {
        const auto e = measure(font, s);
        target.fill(clip, toolkit::Rect::from_size(at.x, at.y, e.width, e.height), colour.pixel());
        drawn.push_back(std::string(s));
        drawn_at.push_back(at);
    }
    int line_extra = 2;
    std::vector<toolkit::FontSpec> measured;
    std::vector<std::string> drawn;
    std::vector<toolkit::Point> drawn_at;  // where each of `drawn` went
};

// A picture whose every pixel is distinct from black and from the button shades.
inline toolkit::Bitmap test_picture(int w = 640, int h = 480) {
    toolkit::Bitmap b{w, h, {}};
    b.pixels.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.pixels[static_cast<std::size_t>(y) * w + x] =
                toolkit::Rgb{static_cast<std::uint8_t>(128 + x % 64),
                             static_cast<std::uint8_t>(64 + y % 128), 200}
                    .pixel();
    return b;
}

struct HostCall {
    enum Kind { Invalidate, SetCapture, ReleaseCapture, Perform } kind;
    toolkit::Rect rect{};
    bool erase = false;
    unsigned message = 0;
    std::uintptr_t wparam = 0;
    std::intptr_t lparam = 0;
};

class RecordingHost : public toolkit::WindowHost {
  public:
    void invalidate(const toolkit::Rect& r, bool erase) override {
        calls.push_back({HostCall::Invalidate, r, erase});
    }
    void set_capture() override { calls.push_back({HostCall::SetCapture}); }
    void release_capture() override { calls.push_back({HostCall::ReleaseCapture}); }
    void perform(unsigned m, std::uintptr_t w, std::intptr_t l) override {
        calls.push_back({HostCall::Perform, {}, false, m, w, l});
    }
    std::vector<HostCall> of_kind(HostCall::Kind k) const {
        std::vector<HostCall> out;
        for (const auto& c : calls)
            if (c.kind == k) out.push_back(c);
        return out;
    }
    std::vector<HostCall> calls;
};

class RecordingStarter : public launch::CommandStarter {
  public:
    void start(const launch::LaunchCommand& c) override { started.push_back(c); }
    std::vector<launch::LaunchCommand> started;
};

// What a test puts in place of the menu's own fakes; null keeps the menu's.
struct Parts {
    toolkit::TextService* text = nullptr;
    const toolkit::PictureFormats* pictures = nullptr;
    launch::CommandStarter* starter = nullptr;
};

// TForm1 on fake services, attached to a recording host.
struct Menu {
    explicit Menu(int ppi = 96, toolkit::Rgb highlight = {0, 120, 215}, int line_extra = 2)
        : Menu(Parts{}, ppi, highlight, line_extra) {}
    explicit Menu(const Parts& parts, int ppi = 96, toolkit::Rgb highlight = {0, 120, 215},
                  int line_extra = 2) {
        text.line_extra = line_extra;
        formats.register_format(toolkit::kJpegPictureClass, {"jpeg", "jpg"},
                                [](std::span<const std::uint8_t>) { return test_picture(); });
        const toolkit::FormServices services{parts.text ? *parts.text : text,
                                             parts.pictures ? *parts.pictures : formats, ppi,
                                             highlight};
        form = std::make_unique<TForm1>(services, parts.starter ? *parts.starter : starter);
        form->attach(&host);
    }
    toolkit::FlatButton& button(std::string_view name) { return *form->find_button(name); }
    toolkit::Point centre(std::string_view name) {
        const auto& r = button(name).bounds();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    BoxText text;
    toolkit::PictureFormats formats;
    RecordingStarter starter;
    RecordingHost host;
    std::unique_ptr<TForm1> form;
};

}  // namespace fakes
