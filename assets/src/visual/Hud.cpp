// The pointer ("manook.bmp", black key), the cross-hair ("mirino2.bmp", white key) and the HUD
// images: energy frame "facedx.bmp", energy bar "sfondoenergia.bmp", status pod "facesx.bmp" and
// logo "logon.bmp", all on a black key.
//
// The energy bar is drawn over (680, 430)-(765 - damage, 530) and the frame over
// (650, 420)-(780, 590) on top of it, so the frame has a see-through window where the bar lies.
#include "Generator.h"
#include "Hud.h"
#include "Noise.h"
#include "Raster.h"
#include "Text.h"
#include "Ui.h"

#include <algorithm>
#include <cmath>

namespace orvane::assets::visual {

namespace {

const Color kBlack{0, 0, 0};
const Color kWhite{1, 1, 1};

// Transparent canvas: alpha 0 everywhere until something is drawn.
Image Canvas(int w, int h) {
    Image img(w, h);
    img.FillAlpha(0.0f);
    return img;
}

Image Pointer() {
    Image img = Canvas(kPointerSize, kPointerSize);
    // Arrow with its tip on the top-left pixel: the pointer is drawn with its corner at the mouse.
    const float s = 1.25f;
    std::vector<Vec2> arrow = {{0.5f, 0.5f}, {0.5f, 36 * s}, {9 * s, 28 * s}, {15 * s, 42 * s},
                               {21 * s, 39.5f * s}, {15.5f * s, 26 * s}, {27 * s, 26 * s}};
    img.FillPolygon(arrow, Rgb(16, 40, 64));
    std::vector<Vec2> core = {{2.5f, 5.5f}, {2.5f, 32 * s}, {9.5f * s, 25.5f * s}, {15.5f * s, 39 * s},
                              {18.5f * s, 37.7f * s}, {12.8f * s, 24.2f * s}, {22.5f * s, 24.2f * s}};
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 40; ++x) {
            const float cov = Coverage(SdPolygon(x + 0.5f, y + 0.5f, core));
            if (cov <= 0) continue;
            img.Blend(x, y, Mix(Rgb(236, 250, 255), Rgb(110, 200, 255), std::clamp(y / 50.0f, 0.0f, 1.0f)), cov);
        }
    return img;
}

Image Crosshair() {
    Image img = Canvas(kCrosshairWidth, kCrosshairHeight);
    const Color green = Rgb(70, 255, 130), edge = Rgb(0, 96, 40);
    const float cx = kCrosshairWidth / 2.0f, cy = kCrosshairHeight / 2.0f;
    auto stroke = [&](float x0, float y0, float x1, float y1) {
        img.Line(x0, y0, x1, y1, 4.0f, edge);
    };
    auto fill = [&](float x0, float y0, float x1, float y1) { img.Line(x0, y0, x1, y1, 2.0f, green); };
    for (int pass = 0; pass < 2; ++pass) {
        auto draw = pass == 0 ? std::function<void(float, float, float, float)>(stroke)
                              : std::function<void(float, float, float, float)>(fill);
        // Ticks around the centre.
        draw(cx - 34, cy, cx - 12, cy);
        draw(cx + 12, cy, cx + 34, cy);
        draw(cx, cy - 28, cx, cy - 10);
        draw(cx, cy + 10, cx, cy + 28);
        // Corner brackets at the frame edges.
        const float l = 6, r = kCrosshairWidth - 7.0f, t = 6, b = kCrosshairHeight - 7.0f;
        draw(l, t, l + 26, t);
        draw(l, t, l, t + 18);
        draw(r, t, r - 26, t);
        draw(r, t, r, t + 18);
        draw(l, b, l + 26, b);
        draw(l, b, l, b - 18);
        draw(r, b, r - 26, b);
        draw(r, b, r, b - 18);
    }
    img.StrokeCircle(cx, cy, 18, 4, edge);
    img.StrokeCircle(cx, cy, 18, 2, green);
    img.FillCircle(cx, cy, 2.6f, edge);
    img.FillCircle(cx, cy, 1.6f, green);
    return img;
}

Image EnergyFrame() {
    Image img = Canvas(kFaceWidth, kFaceHeight);
    const Color steel = Rgb(70, 90, 116), light = Rgb(150, 190, 230);
    // Bezel around the window (27..107 x 9..111) through which the energy bar shows.
    img.FillRoundRect(14, 2, 120, 122, 10, steel);
    img.FillRoundRect(16, 4, 118, 120, 9, Rgb(34, 46, 62));
    for (int y = 10; y < 111; ++y)
        for (int x = 28; x < 107; ++x) {
            img.At(x, y) = kBlack;
            img.AlphaRef(x, y) = 0.0f;
        }
    img.StrokeRoundRect(26, 8, 108, 112, 3, 1.5f, light);
    // Tick marks along the right side of the window, labels below.
    for (int k = 0; k <= 10; ++k) {
        const float y = 12 + k * 9.6f;
        img.Line(109, y, k % 5 == 0 ? 117 : 114, y, 1.4f, light);
    }
    img.FillRoundRect(14, 126, 120, 166, 8, steel);
    img.FillRoundRect(16, 128, 118, 164, 7, Rgb(24, 34, 48));
    DrawText(img, FontFace::SansBold, 17, 67, 152, "ENERGY", Rgb(120, 230, 255), Align::Center);
    for (int i = 0; i < 4; ++i) img.FillCircle(24.0f + i * 6, 160, 1.5f, Rgb(120, 255, 150));
    return img;
}

Image EnergyBar() {
    Image img = Canvas(kEnergyWidth, kEnergyHeight);
    // Cells of light, green at the top fading to cyan, with dark gaps that stay transparent.
    const int cells = 8;
    const float gap = 6, cellW = (kEnergyWidth - gap * (cells + 1)) / cells;
    for (int i = 0; i < cells; ++i) {
        const float x0 = gap + i * (cellW + gap);
        for (int y = 6; y < kEnergyHeight - 6; ++y)
            for (int x = static_cast<int>(x0); x < static_cast<int>(x0 + cellW); ++x) {
                const float t = (y - 6.0f) / (kEnergyHeight - 12.0f);
                const float shine = 1.0f - std::fabs((x - x0) / cellW - 0.35f);
                img.Blend(x, y, Clamp01(Mix(Rgb(140, 255, 120), Rgb(20, 170, 150), t) * (0.7f + 0.45f * shine)), 1.0f);
            }
    }
    return img;
}

Image StatusPod() {
    Image img = Canvas(kPodWidth, kPodHeight);
    const Color steel = Rgb(70, 90, 116);
    img.FillRoundRect(2, 2, 98, 148, 10, steel);
    img.FillRoundRect(4, 4, 96, 146, 9, Rgb(18, 28, 40));
    // Radar scope with the craft at its centre.
    const float cx = 50, cy = 58, r = 38;
    img.FillCircle(cx, cy, r, Rgb(8, 40, 34));
    for (int k = 1; k <= 3; ++k) img.StrokeCircle(cx, cy, r * k / 3.0f, 1.0f, Rgb(40, 150, 110), 0.8f);
    img.Line(cx - r, cy, cx + r, cy, 1.0f, Rgb(40, 150, 110), 0.8f);
    img.Line(cx, cy - r, cx, cy + r, 1.0f, Rgb(40, 150, 110), 0.8f);
    for (int k = 0; k < 30; ++k) {  // sweep trail
        const float a = -1.2f + k * 0.03f;
        img.Line(cx, cy, cx + r * std::cos(a), cy + r * std::sin(a), 1.5f, Rgb(80, 255, 160), 0.04f + k * 0.012f);
    }
    img.FillPolygon({{cx, cy - 7}, {cx + 6, cy + 6}, {cx, cy + 3}, {cx - 6, cy + 6}}, Rgb(230, 250, 255));
    img.FillCircle(cx + 18, cy - 20, 2.5f, Rgb(255, 200, 80));
    img.FillCircle(cx - 22, cy + 12, 2.5f, Rgb(255, 200, 80));
    DrawText(img, FontFace::SansBold, 16, 50, 118, "RADAR", Rgb(120, 230, 255), Align::Center);
    DrawText(img, FontFace::Sans, 13, 50, 136, "ORV-2020", Rgb(150, 170, 190), Align::Center);
    return img;
}

Image Logo() {
    Image img = Canvas(kLogoWidth, kLogoHeight);
    // Sun arc behind the lettering.
    for (int y = 0; y < kLogoHeight; ++y)
        for (int x = 0; x < kLogoWidth; ++x) {
            const float d = std::hypot(x - 125.0f, (y - 62.0f) * 1.2f);
            const float a = std::exp(-std::pow((d - 40.0f) / 6.0f, 2.0f)) * (y < 62 ? 1.0f : 0.0f);
            if (a > 0.02f) img.Blend(x, y, Rgb(255, 170, 60), a);
        }
    img.FillCircle(125, 62, 30, Rgb(255, 200, 90));
    for (int y = 62; y < kLogoHeight; ++y)
        for (int x = 0; x < kLogoWidth; ++x) {
            img.At(x, y) = kBlack;
            img.AlphaRef(x, y) = 0.0f;
        }
    MetalText(img, FontFace::SansBold, 58, 125, 76, "ORVANE", Align::Center, Rgb(255, 255, 255), Rgb(120, 170, 230),
              Rgb(0, 0, 0), 0, 3);
    DrawText(img, FontFace::SansBold, 15, 125, 95, "2020  THE  SUN", Rgb(255, 214, 130), Align::Center);
    return img;
}

// Metal text draws its dark outline with a blur; keep the alpha channel covering it.
void CoverDrawn(Image& img, Color key) {
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            const Color& c = img.At(x, y);
            if (img.Alpha(x, y) < 0.5f && std::fabs(c.r - key.r) + std::fabs(c.g - key.g) + std::fabs(c.b - key.b) > 0.1f)
                img.AlphaRef(x, y) = 1.0f;
        }
}

void WriteHud(const std::filesystem::path& dir) {
    // Black-keyed images blend their soft edges towards black; the white-keyed cross-hair keeps
    // hard edges so no pale fringe shows around it.
    SaveKeyedBmp(dir / "manook.bmp", Pointer(), kBlack, 0.04f, true);
    SaveKeyedBmp(dir / "mirino2.bmp", Crosshair(), kWhite, 0.5f, false);
    SaveKeyedBmp(dir / "facedx.bmp", EnergyFrame(), kBlack, 0.04f, true);
    SaveKeyedBmp(dir / "sfondoenergia.bmp", EnergyBar(), kBlack, 0.04f, true);
    SaveKeyedBmp(dir / "facesx.bmp", StatusPod(), kBlack, 0.04f, true);
    Image logo = Logo();
    CoverDrawn(logo, kBlack);
    SaveKeyedBmp(dir / "logon.bmp", logo, kBlack, 0.04f, true);
}

const Registrar kReg("hud", &WriteHud);

}  // namespace

}  // namespace orvane::assets::visual
