// How long painting the client area takes with the real text and JPEG services, and how
// many pixels a hover repaint touches.
#include <benchmark/benchmark.h>

#include <memory>

#include "toolkit/x11/jpeg_turbo.h"
#include "toolkit/x11/text_freetype.h"
#include "ui/unit1.h"

namespace {

class NoStart : public launch::CommandStarter {
  public:
    void start(const launch::LaunchCommand&) override {}
};

class CountingHost : public toolkit::WindowHost {
  public:
    void invalidate(const toolkit::Rect& r, bool erase) override {
        dirty = dirty.unite(r);
        erased = erased || erase;
    }
    void set_capture() override {}
    void release_capture() override {}
    void perform(unsigned, std::uintptr_t, std::intptr_t) override {}
    toolkit::Rect dirty;
    bool erased = false;
};

struct Menu {
    Menu() {
        toolkit::x11::register_jpeg(formats);
        form = std::make_unique<TForm1>(toolkit::FormServices{text, formats, 96, {0, 120, 215}},
                                        starter);
        form->attach(&host);
        buffer = std::make_unique<toolkit::PixelBuffer>(form->client_size().width,
                                                        form->client_size().height);
        // The first paint decodes the picture; the benchmarks measure the paints after it.
        form->paint(*buffer, buffer->bounds(), true);
    }
    toolkit::x11::FreeTypeText text;
    toolkit::PictureFormats formats;
    NoStart starter;
    CountingHost host;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<toolkit::PixelBuffer> buffer;
};

Menu& menu() {
    static Menu m;
    return m;
}

void FullClientRender(benchmark::State& state) {
    Menu& m = menu();
    for (auto _ : state) {
        m.buffer->reset_pixels_written();
        m.form->paint(*m.buffer, m.buffer->bounds(), true);
        benchmark::DoNotOptimize(m.buffer->row(0));
    }
    state.counters["pixels_written"] = static_cast<double>(m.buffer->pixels_written());
    state.counters["client_pixels"] = 641.0 * 499.0;
}
BENCHMARK(FullClientRender)->Unit(benchmark::kMicrosecond);

void DecodeTitlePicture(benchmark::State& state) {
    toolkit::PictureFormats formats;
    toolkit::x11::register_jpeg(formats);
    const auto data = form1_description().picture.picture_data();
    for (auto _ : state)
        benchmark::DoNotOptimize((*formats.find(toolkit::kJpegPictureClass))(data));
}
BENCHMARK(DecodeTitlePicture)->Unit(benchmark::kMicrosecond);

// The pointer enters a button and leaves it again: each move repaints that button alone.
void HoverRepaint(benchmark::State& state) {
    Menu& m = menu();
    const toolkit::Point inside{480, 470};
    const toolkit::Point outside{100, 100};
    std::size_t touched = 0;
    toolkit::Rect last;
    bool on = false;
    std::vector<toolkit::Pixel> before;
    for (auto _ : state) {
        m.host.dirty = {};
        m.form->mouse_move(0, on ? outside : inside);
        on = !on;
        m.buffer->reset_pixels_written();
        m.form->paint(*m.buffer, m.host.dirty, m.host.erased);
        touched = m.buffer->pixels_written();
        last = m.host.dirty;
    }
    // After the timed loop: count the pixels one more repaint changes anywhere.
    before.assign(m.buffer->row(0), m.buffer->row(0) + m.buffer->width() * m.buffer->height());
    m.host.dirty = {};
    m.form->mouse_move(0, on ? outside : inside);
    m.form->paint(*m.buffer, m.host.dirty, m.host.erased);
    std::size_t changed_outside = 0, changed = 0;
    for (int y = 0; y < m.buffer->height(); ++y)
        for (int x = 0; x < m.buffer->width(); ++x) {
            const bool differs =
                m.buffer->at(x, y) != before[static_cast<std::size_t>(y) * m.buffer->width() + x];
            changed += differs;
            changed_outside += differs && !m.host.dirty.contains({x, y});
        }
    state.counters["pixel_writes"] = static_cast<double>(touched);
    state.counters["repaint_area"] = static_cast<double>(last.width() * last.height());
    state.counters["button_area"] = 288.0 * 28.0;
    state.counters["pixels_changed"] = static_cast<double>(changed);
    state.counters["changed_outside_button"] = static_cast<double>(changed_outside);
}
BENCHMARK(HoverRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
