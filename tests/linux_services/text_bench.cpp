// Prints what measuring and drawing the three button captions costs once glyphs are cached.
#include <chrono>
#include <cstdio>

#include "toolkit/x11/text_freetype.h"

int main() {
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    toolkit::x11::FreeTypeText text;
    const toolkit::FontSpec large{"MS Sans Serif", -13, true, toolkit::Charset::Russian};
    const toolkit::FontSpec small{"MS Sans Serif", -11, true, toolkit::Charset::Russian};
    toolkit::PixelBuffer buffer(641, 499);
    const toolkit::ClipRegion clip(buffer.bounds());
    const toolkit::Rgb white{255, 255, 255};
    auto captions = [&] {
        int w = 0;
        w += text.measure(large, "Установить Игру").width;
        w += text.measure(large, "VELMORRA Car Upgrade").width;
        w += text.measure(small, "Установить DirectX").width;
        text.draw(buffer, clip, large, {400, 393}, "Установить Игру", white);
        text.draw(buffer, clip, large, {400, 420}, "VELMORRA Car Upgrade", white);
        text.draw(buffer, clip, small, {400, 464}, "Установить DirectX", white);
        return w;
    };
    volatile int sink = captions();
    const auto t1 = Clock::now();
    constexpr int kRounds = 2000;
    for (int i = 0; i < kRounds; ++i) sink = sink + captions();
    const auto t2 = Clock::now();
    const auto us = [](auto d) { return std::chrono::duration<double, std::micro>(d).count(); };
    std::printf("first use (library, faces, glyphs): %.0f us\n", us(t1 - t0));
    std::printf("three captions measured and drawn: %.2f us each time\n", us(t2 - t1) / kRounds);
    return 0;
}
