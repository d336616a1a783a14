// Anti-aliased text from the Liberation TrueType fonts, rendered into masks.
#pragma once

#include "Raster.h"

#include <string>
#include <string_view>

namespace orvane::assets::visual {

enum class FontFace { Sans, SansBold, SansNarrowBold };
enum class Align { Left, Center, Right };

// Width in pixels of text set at the given pixel height.
float MeasureText(FontFace face, float pixelHeight, std::string_view text);
// Adds the coverage of text to the mask; y is the baseline.
void TextToMask(Mask& mask, FontFace face, float pixelHeight, float x, float baseline, std::string_view text,
                Align align = Align::Left, float letterSpacing = 0.0f);
// A mask just large enough for text set at (x, baseline), with `pad` pixels of margin for blurs.
// The mask's origin lies at (OriginX, OriginY) of the image.
struct TextMask {
    Mask mask;
    int originX, originY;
};
TextMask RenderText(FontFace face, float pixelHeight, float x, float baseline, std::string_view text, Align align,
                    float letterSpacing, int pad);
// Draws text in a flat colour with an optional soft drop shadow.
void DrawText(Image& img, FontFace face, float pixelHeight, float x, float baseline, std::string_view text,
              Color colour, Align align = Align::Left, float shadow = 0.0f);

}  // namespace orvane::assets::visual
