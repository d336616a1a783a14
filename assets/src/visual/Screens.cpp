// The three full-screen menus: title ("intro.jpg"), help ("help.jpg") and game over
// ("gameover.jpg"), 800 x 600, with buttons drawn over the menus' click rectangles.
// The menus are loaded with a pure red colour key, so no pixel here may come out pure red.
#include "Generator.h"
#include "Noise.h"
#include "Raster.h"
#include "Screens.h"
#include "Text.h"
#include "Ui.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace orvane::assets::visual {

namespace {

constexpr int kW = 800, kH = 600;

struct Backdrop {
    Color top, middle, horizon;
    float horizonY;
    float sunX, sunY, sunR;
    Color sun;
    float stars;
    uint32_t seed;
};

float Ridge(float x, float base, float amp, float scale, uint32_t seed) {
    const Fbm fbm{5, 2.0f, 0.5f};
    return base - amp * (0.5f + 0.5f * fbm.Ridged(x / scale, 0.5f, seed)) + amp * 0.25f;
}

// Evening sky over ridges: gradient, stars, a large sun on the horizon, layered mountains.
Image PaintBackdrop(const Backdrop& b) {
    Image img(kW, kH);
    const Fbm fbm{5, 2.0f, 0.5f};
    img.Fill([&](float x, float y) {
        Color c = y < b.horizonY * 0.55f ? Mix(b.top, b.middle, y / (b.horizonY * 0.55f))
                                         : Mix(b.middle, b.horizon, SmoothStep(b.horizonY * 0.55f, b.horizonY, y));
        const float d = std::hypot(x - b.sunX, (y - b.sunY) * 1.6f);
        c = c + b.sun * (0.55f * std::exp(-d / 160.0f));
        // Thin wisps of cloud lit from below.
        const float n = fbm(x / 260.0f, y / 40.0f, b.seed);
        c = Mix(c, Mix(b.middle, b.sun, 0.5f), SmoothStep(0.25f, 0.7f, n) * 0.35f * SmoothStep(80, 300, y));
        if (b.stars > 0) {
            const int cx = static_cast<int>(x) / 3, cy = static_cast<int>(y) / 3;
            const float h = HashUnit(cx, cy, b.seed + 1);
            if (h < 0.012f && (static_cast<int>(x) % 3 == 1) && (static_cast<int>(y) % 3 == 1))
                c = c + Rgb(220, 230, 255) * (b.stars * (0.4f + 40.0f * h) * (1.0f - SmoothStep(0, b.horizonY, y)));
        }
        return Clamp01(c);
    });
    // The sun disc, with a darker band where haze crosses it.
    img.FillCircle(b.sunX, b.sunY, b.sunR, Clamp01(Mix(b.sun, Rgb(255, 250, 230), 0.45f)));
    img.Glow(b.sunX, b.sunY, b.sunR * 1.3f, b.sun, 0.5f);
    for (int k = 0; k < 4; ++k) {
        const float y = b.sunY + b.sunR * (0.2f + 0.18f * k);
        img.FillRect(b.sunX - b.sunR - 2, y, b.sunX + b.sunR + 2, y + 2.0f + k, b.middle, 0.55f);
    }
    // Three mountain ranges, nearer ones darker.
    const Color far = Mix(b.middle, b.horizon, 0.3f) * 0.75f;
    const Color nearC = Mix(b.top, Rgb(8, 10, 20), 0.6f);
    for (int layer = 0; layer < 3; ++layer) {
        const float base = b.horizonY + 12.0f + layer * 45.0f;
        const float amp = 60.0f + layer * 40.0f;
        const Color col = Mix(far, nearC, layer / 2.0f);
        for (int x = 0; x < kW; ++x) {
            const float top = Ridge(static_cast<float>(x), base, amp, 170.0f - layer * 30.0f, b.seed + 10 + layer);
            for (int y = std::max(0, static_cast<int>(top) - 1); y < kH; ++y) {
                const float cov = std::clamp(y + 1.0f - top, 0.0f, 1.0f);
                const float depth = std::clamp((y - top) / 200.0f, 0.0f, 1.0f);
                img.Blend(x, y, Clamp01(col * (1.0f - 0.35f * depth) + b.sun * (0.06f * (2 - layer))), cov);
            }
        }
    }
    return img;
}

// Small wedge-shaped craft in silhouette, with engine glow, seen from behind and above.
void DrawCraft(Image& img, float x, float y, float s, Color body, Color glow) {
    img.FillPolygon({{x, y - 10 * s}, {x + 26 * s, y + 6 * s}, {x + 6 * s, y + 3 * s}, {x, y + 8 * s},
                     {x - 6 * s, y + 3 * s}, {x - 26 * s, y + 6 * s}},
                    body);
    img.FillPolygon({{x, y - 9 * s}, {x + 24 * s, y + 5 * s}, {x, y}}, Clamp01(body * 1.6f), 0.6f);
    img.Glow(x - 4 * s, y + 7 * s, 3.0f * s, glow, 0.9f);
    img.Glow(x + 4 * s, y + 7 * s, 3.0f * s, glow, 0.9f);
}

void DrawTitle(Image& img, float cx, float baseline, float size) {
    MetalText(img, FontFace::SansBold, size, cx, baseline, "ORVANE", Align::Center, Rgb(255, 255, 255),
              Rgb(120, 170, 230), Rgb(255, 150, 60), 10, size * 0.06f);
    MetalText(img, FontFace::SansBold, size * 0.3f, cx, baseline + size * 0.42f, "2020  THE  SUN", Align::Center,
              Rgb(255, 236, 170), Rgb(255, 170, 60), Rgb(120, 60, 10), 4, size * 0.05f);
}

Image TitleScreen() {
    Image img = PaintBackdrop({Rgb(8, 10, 40), Rgb(60, 40, 100), Rgb(250, 150, 70), 420, 235, 440, 95,
                               Rgb(255, 170, 70), 1.0f, 4001u});
    DrawCraft(img, 120, 300, 1.4f, Rgb(30, 34, 60), Rgb(120, 220, 255));
    DrawCraft(img, 330, 350, 0.8f, Rgb(30, 34, 60), Rgb(120, 220, 255));
    DrawCraft(img, 610, 250, 1.0f, Rgb(30, 34, 60), Rgb(120, 220, 255));
    DrawTitle(img, 400, 100, 104);
    DrawButton(img, kTitleStart, "START", "X");
    DrawButton(img, kTitleHelp, "HELP", "H");
    DrawButton(img, kTitleExit, "EXIT", "Escape");
    DrawText(img, FontFace::Sans, 15, 20, 585, "Mouse to aim, left button to fire", Rgb(200, 210, 230), Align::Left, 2);
    return img;
}

void ControlRow(Image& img, float y, std::string_view key, std::string_view action, bool cap) {
    float x = 60;
    if (cap)
        DrawKeyCap(img, x, y - 7, 28, key);
    else
        DrawText(img, FontFace::SansBold, 21, x, y, key, Rgb(255, 214, 120), Align::Left, 2);
    DrawText(img, FontFace::Sans, 20, 250, y, action, Rgb(236, 242, 250), Align::Left, 2);
}

Image HelpScreen() {
    Image img = PaintBackdrop({Rgb(6, 12, 36), Rgb(30, 50, 100), Rgb(90, 120, 170), 470, 735, 150, 24,
                               Rgb(170, 190, 240), 0.8f, 4002u});
    DrawTitle(img, 400, 78, 64);
    // Controls panel.
    img.FillRoundRect(36, 126, 488, 574, 12, Rgb(6, 12, 28), 0.78f);
    img.StrokeRoundRect(36, 126, 488, 574, 12, 2, Rgb(70, 120, 170), 0.9f);
    DrawText(img, FontFace::SansBold, 24, 60, 162, "CONTROLS", Rgb(120, 220, 255), Align::Left, 2);
    ControlRow(img, 200, "Mouse", "steer: turn, climb and dive", false);
    ControlRow(img, 234, "Left button", "fire", false);
    ControlRow(img, 268, "Right button", "hold position (while held)", false);
    ControlRow(img, 306, "Left Ctrl", "save a screenshot", true);
    ControlRow(img, 344, "Escape", "quit the game", true);
    DrawText(img, FontFace::SansBold, 24, 60, 392, "MISSION", Rgb(120, 220, 255), Align::Left, 2);
    const char* lines[] = {"Shoot ten enemies to clear a level: starships,",
                           "fighters and ground tanks. The hulks can't be shot.",
                           "Every fourth hit sets off the alarm and costs",
                           "energy, so does leaving the area or ramming.",
                           "Fly into the green repair station to mend the",
                           "craft. At 80% damage the craft is lost."};
    for (int i = 0; i < 6; ++i)
        DrawText(img, FontFace::Sans, 18, 60, 424.0f + i * 24.0f, lines[i], Rgb(214, 222, 236), Align::Left, 2);
    // Menu keys beside the buttons.
    DrawText(img, FontFace::SansBold, 20, 579, 380, "Ready?", Rgb(255, 230, 170), Align::Center, 2);
    DrawButton(img, kHelpStart, "START", "X");
    DrawButton(img, kHelpExit, "EXIT", "Escape");
    return img;
}

Image GameOverScreen() {
    Image img = PaintBackdrop({Rgb(4, 4, 16), Rgb(50, 24, 70), Rgb(200, 100, 60), 400, 400, 400, 150,
                               Rgb(230, 120, 60), 0.9f, 4003u});
    // The strip where the game writes level and score stays dark and plain.
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < kW; ++x) img.Blend(x, y, Rgb(4, 4, 12), 0.85f * (1.0f - SmoothStep(30.0f, 80.0f, y)));
    // Smoke and embers from a downed craft.
    Random rng(4004u);
    for (int i = 0; i < 60; ++i) {
        const float x = 400 + rng.Range(-160, 160), y = rng.Range(150, 430);
        img.Glow(x, y, rng.Range(1.0f, 2.5f), Rgb(255, 170, 60), rng.Range(0.4f, 1.0f));
    }
    MetalText(img, FontFace::SansBold, 104, 400, 250, "GAME OVER", Align::Center, Rgb(255, 244, 220),
              Rgb(250, 150, 70), Rgb(160, 40, 120), 12, 4);
    img.FillRoundRect(230, 272, 570, 348, 14, Rgb(20, 8, 30), 0.6f);
    DrawText(img, FontFace::Sans, 24, 400, 300, "Your craft is lost.", Rgb(236, 226, 240), Align::Center, 3);
    DrawText(img, FontFace::Sans, 20, 400, 334, "Fly again, or leave the battle.", Rgb(200, 196, 220), Align::Center, 3);
    DrawButton(img, kGameOverRestart, "RESTART", "X");
    DrawButton(img, kGameOverExit, "EXIT", "Escape");
    return img;
}

void WriteScreens(const std::filesystem::path& dir) {
    SaveJpg(dir / "intro.jpg", TitleScreen(), 94);
    SaveJpg(dir / "help.jpg", HelpScreen(), 94);
    SaveJpg(dir / "gameover.jpg", GameOverScreen(), 94);
}

const Registrar kReg("screens", &WriteScreens);

}  // namespace

}  // namespace orvane::assets::visual
