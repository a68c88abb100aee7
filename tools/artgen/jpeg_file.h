// Writes the title picture as a progressive JPEG with full-resolution colour and the
// usual editor metadata (Exif, Photoshop resources, XMP).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

// Encodes `rgb` (width * height triples) and writes it to `path`; throws on failure.
void write_title_jpeg(const std::string& path, const std::vector<std::uint8_t>& rgb, int width,
                      int height, int quality);

// The metadata segments' payloads, each beginning with its identifier.
std::vector<std::uint8_t> exif_payload(int width, int height);
std::vector<std::uint8_t> photoshop_payload();
std::vector<std::uint8_t> xmp_payload();

}  // namespace artgen
