#pragma once
// The about box's caption animation: one colour per 500 ms step.
#include <cstdint>

namespace qc {

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kAboutCaptionColours[8] = {
    {0, 0, 0},     {0, 0, 128},   {0, 0, 255},   {0, 255, 255},
    {255, 255, 255}, {0, 255, 255}, {0, 0, 255},   {0, 0, 128},
};

inline constexpr int NextColourStep(int step) { return (step + 1) % 8; }

}  // namespace qc
