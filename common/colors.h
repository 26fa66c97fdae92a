#pragma once

#include <cstdint>

namespace tarvolen {

// A colour: 24-bit RGB with red in the low byte, green in the middle byte and blue in the high
// byte, or one of the symbolic values below.
using TColor = std::uint32_t;

constexpr TColor RGB(unsigned r, unsigned g, unsigned b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr unsigned RedOf(TColor c) { return c & 0xFF; }
constexpr unsigned GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr unsigned BlueOf(TColor c) { return (c >> 16) & 0xFF; }

// "The series' own colour": a value outside the 24-bit range.
constexpr TColor clAutoColor = 0x20000000;
// A pen or brush that draws nothing.
constexpr TColor clNone = 0x1FFFFFFF;

// System colours are symbolic (high byte 0x80 and an index) and resolved when drawn.
constexpr TColor kSystemColorFlag = 0x80000000;
constexpr TColor clBtnFace = kSystemColorFlag | 15;
constexpr TColor clBtnShadow = kSystemColorFlag | 16;
constexpr TColor clInactiveCaptionText = kSystemColorFlag | 19;
constexpr TColor clBtnHighlight = kSystemColorFlag | 20;
constexpr TColor cl3DDkShadow = kSystemColorFlag | 21;

constexpr bool IsSystemColor(TColor c) { return (c & kSystemColorFlag) != 0; }

// Fixed values for the system colours, chosen to look right on a light desktop.
constexpr TColor ResolveColor(TColor c) {
  switch (c) {
    case clBtnFace:
      return RGB(240, 240, 240);
    case clBtnShadow:
      return RGB(160, 160, 160);
    case clInactiveCaptionText:
      return RGB(219, 228, 238);
    case clBtnHighlight:
      return RGB(255, 255, 255);
    case cl3DDkShadow:
      return RGB(105, 105, 105);
    default:
      return c & 0xFFFFFF;
  }
}

constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clWhite = RGB(255, 255, 255);
constexpr TColor clGray = RGB(128, 128, 128);
constexpr TColor clRed = RGB(255, 0, 0);
constexpr TColor clGreen = RGB(0, 128, 0);
constexpr TColor clYellow = RGB(255, 255, 0);
constexpr TColor clBlue = RGB(0, 0, 255);
constexpr TColor clMaroon = RGB(128, 0, 0);
constexpr TColor clTeal = RGB(0, 128, 128);

}  // namespace tarvolen
