#pragma once

// The colours of the skin, shared by every picture the generator draws.

#include <QColor>

namespace skin {

// Title bar: a calm blue-grey, lighter at the top.
inline const QColor kTitleTop{0x5E, 0x77, 0x8F};
inline const QColor kTitleBottom{0x4A, 0x61, 0x78};
inline const QColor kTitleHighlight{0x7C, 0x93, 0xA9};
// Menu bar, continuing the title bar downwards.
inline const QColor kMenuTop{0x49, 0x60, 0x77};
inline const QColor kMenuBottom{0x41, 0x57, 0x6C};
inline const QColor kMenuLine{0x33, 0x46, 0x58};
// The one-pixel outer edge of the window.
inline const QColor kEdge{0x3A, 0x4E, 0x61};
// Light body: side frames, bottom frame, tool bar, panel.
inline const QColor kBodyLight{0xF2, 0xF5, 0xF8};
inline const QColor kBody{0xE3, 0xE9, 0xEE};
inline const QColor kBodyLine{0xC6, 0xD0, 0xDA};
inline const QColor kToolTop{0xFB, 0xFC, 0xFD};
inline const QColor kToolBottom{0xE6, 0xEC, 0xF1};
inline const QColor kPanelTop{0xF4, 0xF6, 0xF9};
inline const QColor kPanelBottom{0xE8, 0xEC, 0xF1};
// Accents of the pictures.
inline const QColor kBlue{0x3B, 0x6E, 0xA5};
inline const QColor kBlueLight{0x6F, 0x9C, 0xCB};
inline const QColor kAmber{0xF0, 0xB3, 0x4A};
inline const QColor kAmberLight{0xF7, 0xCD, 0x72};
inline const QColor kTeal{0x2B, 0x7F, 0x8A};
inline const QColor kRed{0xD4, 0x4A, 0x3E};
inline const QColor kInk{0x33, 0x3D, 0x47};
// Caption buttons.
inline const QColor kGlyph{0xEE, 0xF2, 0xF6};
inline const QColor kCloseHover{0xD9, 0x4B, 0x40};
inline const QColor kClosePressed{0xB0, 0x38, 0x2F};

}  // namespace skin
