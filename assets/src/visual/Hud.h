// Sizes of the pointer, cross-hair and HUD images, as the game draws them.
#pragma once

namespace orvane::assets::visual {

constexpr int kPointerSize = 120;                           // "manook.bmp", drawn 120 x 120 at the mouse
constexpr int kCrosshairWidth = 200, kCrosshairHeight = 100;  // "mirino2.bmp"
constexpr int kFaceWidth = 120, kFaceHeight = 170;          // "facedx.bmp"
constexpr int kEnergyWidth = 240, kEnergyHeight = 158;      // "sfondoenergia.bmp"
constexpr int kPodWidth = 100, kPodHeight = 150;            // "facesx.bmp", drawn at (5, 440)-(105, 590)
constexpr int kLogoWidth = 250, kLogoHeight = 100;          // "logon.bmp", drawn at (275, 10)-(525, 110)

}  // namespace orvane::assets::visual
