#include "pixel_buffer.h"

#include <algorithm>
#include <cstring>

namespace toolkit {

PixelBuffer::PixelBuffer(int width, int height)
    : owned_(static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0)),
      pixels_(owned_.data()),
      width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      stride_(std::max(width, 0)) {}

PixelBuffer::PixelBuffer(Pixel* pixels, int width, int height, int stride)
    : pixels_(pixels), width_(width), height_(height), stride_(stride) {}

void PixelBuffer::fill(const Rect& area, Pixel colour) {
    const Rect r = area.intersect(bounds());
    for (int y = r.top; y < r.bottom; ++y) std::fill(row(y) + r.left, row(y) + r.right, colour);
    written_ += static_cast<std::size_t>(r.width()) * r.height();
}

void PixelBuffer::fill(const ClipRegion& clip, const Rect& area, Pixel colour) {
    if (clip.holes().empty()) {
        fill(area.intersect(clip.bounds()), colour);
        return;
    }
    const Rect r = area.intersect(clip.bounds()).intersect(bounds());
    for (int y = r.top; y < r.bottom; ++y) {
        Pixel* line = row(y);
        for (int x = r.left; x < r.right; ++x) {
            if (clip.contains({x, y})) {
                line[x] = colour;
                ++written_;
            }
        }
    }
}

void PixelBuffer::blit(const Bitmap& picture, Point at, const Rect& clip) {
    const Rect target = Rect::from_size(at.x, at.y, picture.width, picture.height)
                            .intersect(clip)
                            .intersect(bounds());
    if (target.empty() ||
        picture.pixels.size() < static_cast<std::size_t>(picture.width) * picture.height)
        return;
    for (int y = target.top; y < target.bottom; ++y) {
        const Pixel* source = picture.pixels.data() +
                              static_cast<std::ptrdiff_t>(y - at.y) * picture.width +
                              (target.left - at.x);
        std::memcpy(row(y) + target.left, source, sizeof(Pixel) * target.width());
    }
    written_ += static_cast<std::size_t>(target.width()) * target.height();
}

void PixelBuffer::blend_coverage(const ClipRegion& clip, Point at, const std::uint8_t* coverage,
                                 int mask_width, int mask_height, int mask_pitch, Rgb colour) {
    const Rect area = Rect::from_size(at.x, at.y, mask_width, mask_height)
                          .intersect(clip.bounds())
                          .intersect(bounds());
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint8_t* mask = coverage + static_cast<std::ptrdiff_t>(y - at.y) * mask_pitch;
        Pixel* line = row(y);
        for (int x = area.left; x < area.right; ++x) {
            const unsigned a = mask[x - at.x];
            if (a == 0 || !clip.contains({x, y})) continue;
            if (a == 255) {
                line[x] = colour.pixel();
            } else {
                const Rgb under = Rgb::from_pixel(line[x]);
                auto mix = [a](unsigned over, unsigned below) {
                    return static_cast<std::uint8_t>((over * a + below * (255 - a) + 127) / 255);
                };
                line[x] =
                    Rgb{mix(colour.r, under.r), mix(colour.g, under.g), mix(colour.b, under.b)}
                        .pixel();
            }
            ++written_;
        }
    }
}

}  // namespace toolkit
