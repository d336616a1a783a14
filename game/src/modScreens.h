// modScreens: what the player sees in 2D: the HUD of a playing frame and the three menus (title,
// help, game over) with their pointer, click areas and keys.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>

namespace orvane {

inline constexpr const char* kFontName = "VOZezazivad";  // every text of the game

// DirectInput scan codes of the menu keys.
inline constexpr int32_t kKeyEscape = 1;
inline constexpr int32_t kKeyH = 35;
inline constexpr int32_t kKeyX = 45;

// A click area of a menu. Open: the bounds themselves are outside.
struct ClickArea {
    int32_t left, top, right, bottom;
    constexpr bool Contains(int32_t x, int32_t y) const { return left < x && x < right && top < y && y < bottom; }
};
inline constexpr ClickArea kTitleStart{190, 155, 455, 236};
inline constexpr ClickArea kTitleExit{465, 465, 690, 542};
inline constexpr ClickArea kTitleHelp{465, 357, 690, 427};
inline constexpr ClickArea kHelpStart{509, 398, 649, 451};
inline constexpr ClickArea kHelpExit{506, 468, 658, 600};
inline constexpr ClickArea kGameOverExit{431, 443, 660, 497};
inline constexpr ClickArea kGameOverRestart{29, 443, 285, 497};

// The menus' pointer image is 120 pixels square; its corner stays at most here.
inline constexpr int32_t kPointerMaxX = 704;
inline constexpr int32_t kPointerMaxY = 501;
struct Pointer {
    int32_t x = 0, y = 0;
    bool button1 = false;
};
constexpr Pointer ClampPointer(int32_t x, int32_t y, bool button1) {
    return {std::min(x, kPointerMaxX), std::min(y, kPointerMaxY), button1};
}

// The font "VOZezazivad" (Arial, 20) on the shared 2D object.
void CreateMenuFont();
// The HUD of a playing frame: energy bar, face, level, speed, score, "vita" and "logos".
void DrawHud();
// The title loop, then the help loop if chosen; returns when play is to start (at once when
// menuDone is already true). Exit ends the process.
void TitleScreens();
// The game-over loop: Exit ends the process; Restart rebuilds the world for a new game and returns.
void GameOverScreen();

// Called as each menu frame begins (none by default). Tests script input that changes from one
// frame to the next with it.
using MenuFrameHook = std::function<void()>;
MenuFrameHook SetMenuFrameHook(MenuFrameHook hook);

}  // namespace orvane
