// The colours the tests expect on screen, written out independently of the painter.
#pragma once

#include "toolkit/core/geometry.h"

namespace expected {

using toolkit::Rgb;

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kLight{21, 21, 21};
inline constexpr Rgb kSilver{192, 192, 192};
inline constexpr Rgb kFaceTop{100, 87, 68};
inline constexpr Rgb kFaceLast{52, 45, 35};
inline constexpr Rgb kShadow1{39, 34, 27};
inline constexpr Rgb kShadow2{27, 23, 18};
inline constexpr Rgb kPressed{52, 45, 35};
inline constexpr Rgb kHotTop{251, 230, 195};
inline constexpr Rgb kHotBottom{240, 155, 20};
// The active ring for the selection colour 0,120,215 over the lightened face 103,89,70:
// half and half at the top, three quarters of the selection colour at the bottom.
inline constexpr Rgb kActiveTop{52, 105, 143};
inline constexpr Rgb kActiveBottom{26, 112, 179};

}  // namespace expected
