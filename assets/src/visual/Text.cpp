#include "Text.h"

#include <stb/stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <vector>

namespace orvane::assets::visual {

namespace {

const char* FontFile(FontFace face) {
    switch (face) {
        case FontFace::Sans: return "LiberationSans-Regular.ttf";
        case FontFace::SansBold: return "LiberationSans-Bold.ttf";
        case FontFace::SansNarrowBold: return "LiberationSansNarrow-Bold.ttf";
    }
    return "LiberationSans-Regular.ttf";
}

struct LoadedFont {
    std::vector<unsigned char> data;
    stbtt_fontinfo info{};
};

const LoadedFont& Font(FontFace face) {
    static std::map<FontFace, LoadedFont> fonts;
    auto it = fonts.find(face);
    if (it != fonts.end()) return it->second;
    const std::string path = std::string("/usr/share/fonts/truetype/liberation/") + FontFile(face);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open font " + path);
    LoadedFont f;
    f.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!stbtt_InitFont(&f.info, f.data.data(), stbtt_GetFontOffsetForIndex(f.data.data(), 0)))
        throw std::runtime_error("cannot read font " + path);
    return fonts.emplace(face, std::move(f)).first->second;
}

// Text here is ASCII plus a few Latin-1 signs written in UTF-8.
std::vector<int> Codepoints(std::string_view text) {
    std::vector<int> out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(c);
        } else if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
            out.push_back(((c & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F));
            ++i;
        } else if ((c & 0xF0) == 0xE0 && i + 2 < text.size()) {
            out.push_back(((c & 0x0F) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6) |
                          (static_cast<unsigned char>(text[i + 2]) & 0x3F));
            i += 2;
        }
    }
    return out;
}

float Advance(const LoadedFont& f, float scale, const std::vector<int>& cps, float spacing) {
    float w = 0;
    for (size_t i = 0; i < cps.size(); ++i) {
        int adv = 0, lsb = 0;
        stbtt_GetCodepointHMetrics(&f.info, cps[i], &adv, &lsb);
        w += adv * scale + spacing;
        if (i + 1 < cps.size()) w += stbtt_GetCodepointKernAdvance(&f.info, cps[i], cps[i + 1]) * scale;
    }
    return cps.empty() ? 0.0f : w - spacing;
}

}  // namespace

float MeasureText(FontFace face, float pixelHeight, std::string_view text) {
    const LoadedFont& f = Font(face);
    return Advance(f, stbtt_ScaleForPixelHeight(&f.info, pixelHeight), Codepoints(text), 0.0f);
}

void TextToMask(Mask& mask, FontFace face, float pixelHeight, float x, float baseline, std::string_view text,
                Align align, float letterSpacing) {
    const LoadedFont& f = Font(face);
    const float scale = stbtt_ScaleForPixelHeight(&f.info, pixelHeight);
    const auto cps = Codepoints(text);
    const float width = Advance(f, scale, cps, letterSpacing);
    float pen = x;
    if (align == Align::Center) pen -= width * 0.5f;
    if (align == Align::Right) pen -= width;
    for (size_t i = 0; i < cps.size(); ++i) {
        const float fx = std::floor(pen), fy = std::floor(baseline);
        int w = 0, h = 0, xoff = 0, yoff = 0;
        unsigned char* bmp = stbtt_GetCodepointBitmapSubpixel(&f.info, scale, scale, pen - fx, baseline - fy,
                                                              cps[i], &w, &h, &xoff, &yoff);
        for (int yy = 0; yy < h; ++yy)
            for (int xx = 0; xx < w; ++xx) {
                const float v = bmp[yy * w + xx] / 255.0f;
                if (v > 0) mask.Max(static_cast<int>(fx) + xoff + xx, static_cast<int>(fy) + yoff + yy, v);
            }
        stbtt_FreeBitmap(bmp, nullptr);
        int adv = 0, lsb = 0;
        stbtt_GetCodepointHMetrics(&f.info, cps[i], &adv, &lsb);
        pen += adv * scale + letterSpacing;
        if (i + 1 < cps.size()) pen += stbtt_GetCodepointKernAdvance(&f.info, cps[i], cps[i + 1]) * scale;
    }
}

TextMask RenderText(FontFace face, float pixelHeight, float x, float baseline, std::string_view text, Align align,
                    float letterSpacing, int pad) {
    const LoadedFont& f = Font(face);
    const float width = Advance(f, stbtt_ScaleForPixelHeight(&f.info, pixelHeight), Codepoints(text), letterSpacing);
    float left = x;
    if (align == Align::Center) left -= width * 0.5f;
    if (align == Align::Right) left -= width;
    const int ox = static_cast<int>(std::floor(left - pixelHeight * 0.3f)) - pad;
    const int oy = static_cast<int>(std::floor(baseline - pixelHeight * 1.1f)) - pad;
    const int w = static_cast<int>(std::ceil(width + pixelHeight * 0.6f)) + 2 * pad;
    const int h = static_cast<int>(std::ceil(pixelHeight * 1.5f)) + 2 * pad;
    TextMask out{Mask(w, h), ox, oy};
    TextToMask(out.mask, face, pixelHeight, x - ox, baseline - oy, text, align, letterSpacing);
    return out;
}

void DrawText(Image& img, FontFace face, float pixelHeight, float x, float baseline, std::string_view text,
              Color colour, Align align, float shadow) {
    const int pad = shadow > 0 ? static_cast<int>(shadow * 2) + 2 : 1;
    TextMask t = RenderText(face, pixelHeight, x, baseline, text, align, 0.0f, pad);
    if (shadow > 0) {
        Mask s = t.mask;
        s.Blur(std::max(1, static_cast<int>(shadow * 0.5f)));
        const int off = std::max(1, static_cast<int>(std::lround(shadow * 0.4f)));
        img.Composite(s, [](int, int) { return Color{0, 0, 0}; }, 0.85f, t.originX + off, t.originY + off);
    }
    img.Composite(t.mask, [&](int, int) { return colour; }, 1.0f, t.originX, t.originY);
}

}  // namespace orvane::assets::visual
