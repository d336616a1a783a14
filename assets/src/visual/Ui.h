// Menu and HUD drawing: buttons over click rectangles, key caps, metallic lettering.
#pragma once

#include "Raster.h"
#include "Text.h"

#include <string_view>

namespace orvane::assets::visual {

// Button look. The border runs along the inside of the click rectangle, so the rectangle's
// bounds (which do not click) show the background.
inline const Color kButtonBorder = Rgb(96, 224, 255);
inline const Color kButtonFillTop = Rgb(30, 70, 110);
inline const Color kButtonFillBottom = Rgb(12, 30, 56);
constexpr int kButtonBorderWidth = 3;

// A click rectangle with open bounds: clicks count for x1 < x < x2 and y1 < y < y2.
struct ClickRect {
    int x1, y1, x2, y2;
};

// Draws a button covering exactly the pixels inside `r`, with a label and the key that also
// triggers it shown on a key cap.
void DrawButton(Image& img, ClickRect r, std::string_view label, std::string_view key);
// A small key cap with the key's name; returns its width.
float DrawKeyCap(Image& img, float x, float centreY, float height, std::string_view key);
// Large lettering with a vertical metal gradient, a dark outline and a coloured glow.
void MetalText(Image& img, FontFace face, float size, float x, float baseline, std::string_view text, Align align,
               Color top, Color bottom, Color glow, int glowRadius, float letterSpacing = 0.0f);

}  // namespace orvane::assets::visual
