#include "Ui.h"

#include <algorithm>
#include <cmath>

namespace orvane::assets::visual {

float DrawKeyCap(Image& img, float x, float centreY, float height, std::string_view key) {
    const float textSize = height * 0.62f;
    const float w = std::max(height, MeasureText(FontFace::SansBold, textSize, key) + height * 0.6f);
    const float y0 = centreY - height / 2, y1 = centreY + height / 2;
    img.FillRoundRect(x, y0 + 2, x + w, y1 + 2, 5, Rgb(6, 10, 16), 0.6f);
    img.FillRoundRect(x, y0, x + w, y1, 5, Rgb(222, 228, 236));
    img.FillRoundRect(x + 2, y0 + 2, x + w - 2, y1 - 4, 4, Rgb(246, 248, 250));
    DrawText(img, FontFace::SansBold, textSize, x + w / 2, centreY + textSize * 0.33f, key, Rgb(24, 36, 52),
             Align::Center);
    return w;
}

void DrawButton(Image& img, ClickRect r, std::string_view label, std::string_view key) {
    // Pixel i covers [i, i + 1): the inside pixels x1 + 1 .. x2 - 1 span [x1 + 1, x2).
    const float x0 = r.x1 + 1.0f, y0 = r.y1 + 1.0f, x1 = static_cast<float>(r.x2), y1 = static_cast<float>(r.y2);
    const float radius = 6.0f;
    img.Shade(r.x1, r.y1, r.x2 + 1, r.y2 + 1,
              [&](float px, float py) { return Coverage(SdRoundBox(px, py, x0, y0, x1, y1, radius)); },
              kButtonFillTop, 1.0f);
    // Vertical gradient and a glassy highlight on the upper half.
    for (int y = r.y1 + 1; y < r.y2; ++y)
        for (int x = r.x1 + 1; x < r.x2; ++x) {
            if (!img.Inside(x, y)) continue;
            const float t = (y - y0) / std::max(1.0f, y1 - y0);
            const float inside = Coverage(SdRoundBox(x + 0.5f, y + 0.5f, x0, y0, x1, y1, radius));
            Color c = Mix(kButtonFillTop, kButtonFillBottom, t);
            if (t < 0.45f) c = c + Rgb(40, 60, 80) * (0.45f - t);
            img.Blend(x, y, c, inside);
        }
    img.StrokeRoundRect(x0, y0, x1, y1, radius, kButtonBorderWidth, kButtonBorder);
    img.StrokeRoundRect(x0 + kButtonBorderWidth, y0 + kButtonBorderWidth, x1 - kButtonBorderWidth,
                        y1 - kButtonBorderWidth, radius - 2, 1.0f, Rgb(10, 24, 40), 0.8f);

    const float h = y1 - y0;
    const float visibleH = std::min(h, 80.0f);
    const float textSize = std::clamp(visibleH * 0.46f, 20.0f, 38.0f);
    const float capH = std::clamp(visibleH * 0.42f, 20.0f, 30.0f);
    const float capW = std::max(capH, MeasureText(FontFace::SansBold, capH * 0.62f, key) + capH * 0.6f);
    const float gap = 14.0f;
    const float labelW = MeasureText(FontFace::SansBold, textSize, label);
    const float total = labelW + gap + capW;
    // Tall buttons keep their label where the pointer can reach (the upper part).
    const float cy = h > 100.0f ? y0 + 40.0f : (y0 + y1) / 2;
    if (total > (x1 - x0) - 24.0f && h > 2.2f * capH + 10.0f) {
        // Narrow and tall: the key cap goes under the label.
        DrawText(img, FontFace::SansBold, textSize, (x0 + x1) / 2, cy + textSize * 0.36f, label, Rgb(240, 248, 255),
                 Align::Center, 3.0f);
        DrawKeyCap(img, (x0 + x1) / 2 - capW / 2, cy + textSize * 0.5f + capH * 0.9f, capH, key);
        return;
    }
    const float start = (x0 + x1) / 2 - total / 2;
    DrawText(img, FontFace::SansBold, textSize, start, cy + textSize * 0.36f, label, Rgb(240, 248, 255), Align::Left,
             3.0f);
    DrawKeyCap(img, start + labelW + gap, cy, capH, key);
}

void MetalText(Image& img, FontFace face, float size, float x, float baseline, std::string_view text, Align align,
               Color top, Color bottom, Color glow, int glowRadius, float letterSpacing) {
    TextMask t = RenderText(face, size, x, baseline, text, align, letterSpacing, glowRadius * 3 + 4);
    const Mask& m = t.mask;
    if (glowRadius > 0) {
        Mask g = m;
        g.Blur(glowRadius);
        img.Composite(g, [&](int, int) { return glow; }, 1.6f, t.originX, t.originY, true);
    }
    Mask outline = m;
    outline.Blur(2);
    img.Composite(outline, [](int, int) { return Rgb(8, 10, 20); }, 2.5f, t.originX, t.originY);
    const float capTop = baseline - size * 0.72f;
    img.Composite(m, [&](int, int y) {
        const float t = std::clamp((y - capTop) / (baseline - capTop), 0.0f, 1.0f);
        Color c = Mix(top, bottom, t);
        if (t > 0.48f && t < 0.56f) c = Clamp01(c * 0.8f);  // horizon line across the letters
        return c;
    }, 1.0f, t.originX, t.originY);
}

}  // namespace orvane::assets::visual
