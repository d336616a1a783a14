// variabili_globali: the shared game variables and the single game-wide objects.
//
// A frame of play (modSubMain) moves the tanks and the fleet with step 0.9, then the player with
// step 0.95; the actors read and change the variables below as they go. Who writes what:
// - modSubMain: isRunning, menuDone, damagePercent, framesPerSecond, level, themeIndex, the
//   point values, levelEnding (set at the end of a level or when the craft is lost);
// - the actors (clsStarShip, clsTank): score, the three kill counters, damagePoints, bonusX/Z;
// - modInput: killsThisLevel, damagePoints.
// The integer counters are Checked: an overflow is a fatal error, never a silent wrap.
//
// The game-wide objects are created by the start-up (modSubMain, routine_base,
// modTextureFactory) and reached directly by the actors. A sound that could not be created
// (no sound card) stays empty and PlaySound / StopSound skip it, so the game runs silently.
#pragma once

#include <qxcommon/Vector3.h>

#include <array>
#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace quarvex {
class Engine3D;
class Input3D;
class Landscape3D;
class Mesh3D;
class Scene3D;
class Screen2D;
class ScreenFade3D;
class Texture3D;
class TextureFactory3D;
}  // namespace quarvex

namespace qxsound {
class SoundDx8;
class SoundEngine8;
}  // namespace qxsound

namespace orvane {

using qxcommon::Vector3;

class CameraFPS;
class clsStarShips;
class clsTanks;

// ---------------------------------------------------------------------------------------------
// Fatal errors end the program through one replaceable function. The default handler writes
// "orvane: <message>" as one line to standard error and exits with status 1, after releasing the
// engine (window, pointer grab). A handler must not return normally (it may throw); if it does,
// the program is aborted.
using FatalErrorHandler = std::function<void(const std::string& message)>;
// Installs handler (an empty one restores the default) and returns the one it replaces.
FatalErrorHandler SetFatalErrorHandler(FatalErrorHandler handler);
[[noreturn]] void FatalError(const std::string& message);

// An integer game counter with checked arithmetic: a result outside T's range calls FatalError
// with an overflow message naming the counter, and leaves the value unchanged.
template <std::integral T>
class Checked {
public:
    constexpr Checked(const char* name, T value) : name_(name), value_(value) {}
    Checked(const Checked&) = delete;
    Checked& operator=(const Checked&) = delete;

    constexpr operator T() const { return value_; }
    constexpr T Value() const { return value_; }
    const char* Name() const { return name_; }

    template <std::integral U>
    Checked& operator=(U value) {
        if (!std::in_range<T>(value)) Overflow("=", value);
        value_ = static_cast<T>(value);
        return *this;
    }
    template <std::integral U>
    Checked& operator+=(U amount) {
        T result;
        if (__builtin_add_overflow(value_, amount, &result)) Overflow("+", amount);
        value_ = result;
        return *this;
    }
    template <std::integral U>
    Checked& operator-=(U amount) {
        T result;
        if (__builtin_sub_overflow(value_, amount, &result)) Overflow("-", amount);
        value_ = result;
        return *this;
    }
    template <std::integral U>
    Checked& operator*=(U factor) {
        T result;
        if (__builtin_mul_overflow(value_, factor, &result)) Overflow("*", factor);
        value_ = result;
        return *this;
    }

    template <std::integral U>
    Checked& operator+=(const Checked<U>& amount) { return *this += amount.Value(); }
    template <std::integral U>
    Checked& operator-=(const Checked<U>& amount) { return *this -= amount.Value(); }

private:
    template <std::integral U>
    [[noreturn]] void Overflow(const char* operation, U operand) const {
        FatalError("overflow: " + std::string(name_) + " " + operation + " " + std::to_string(operand) +
                   " does not fit in a " + std::to_string(sizeof(T) * 8) + "-bit integer (" + name_ + " is " +
                   std::to_string(value_) + ")");
    }

    const char* name_;
    T value_;
};

// ---------------------------------------------------------------------------------------------
// Shared game variables (values after NewGame; ResetGameVariables restores them).
inline bool isRunning = false;     // the playing loop continues while true
inline bool levelEnding = false;   // the level is won or the craft is lost
inline bool menuDone = false;      // leaves the menu loops
inline Checked<int16_t> damagePoints{"damagePoints", 1};
inline float damagePercent = 0.0f;  // damagePoints x 0.2, once per playing frame
inline Checked<int32_t> level{"level", 1};
inline Checked<int32_t> themeIndex{"themeIndex", 1};  // which numbered asset set (1..11)
// The asset set after `theme`: the next one, and after 11 the second (the first is played once).
constexpr int32_t NextThemeIndex(int32_t theme) noexcept { return theme == 11 ? 2 : theme + 1; }
inline Checked<int32_t> score{"score", 0};
inline Checked<int32_t> killsTotal{"killsTotal", 0};
inline Checked<int32_t> killsSinceAlarm{"killsSinceAlarm", 0};
inline Checked<int32_t> killsThisLevel{"killsThisLevel", 0};
inline Checked<int32_t> shipPoints1{"shipPoints1", 600};  // a starship or fighter hit
inline Checked<int32_t> shipPoints3{"shipPoints3", 900};  // extra for a fighter
inline Checked<int32_t> tankPoints{"tankPoints", 500};
inline int32_t framesPerSecond = 0;
inline Checked<int32_t> bonusX{"bonusX", 0};  // where the bonus station was last placed
inline Checked<int32_t> bonusZ{"bonusZ", 0};

// level and themeIndex 1, score 0, point values 600 / 900 / 500, damagePoints 1, the three kill
// counters 0 (the variables NewGame sets).
void ResetGameVariables();

// ---------------------------------------------------------------------------------------------
// Game-wide objects.
inline std::string programDirectory;  // where the game's data files are
// programDirectory joined with a data file name; a leading '\' or '/' of the name is dropped.
std::string ProgramFile(std::string_view name);

inline std::shared_ptr<CameraFPS> Player;                    // CreatePlayer
inline std::shared_ptr<quarvex::Landscape3D> Land;           // BuildTerrain
inline std::shared_ptr<quarvex::Scene3D> mainScene;          // CreateScene
inline std::shared_ptr<quarvex::TextureFactory3D> levelTextures;  // LoadTextures: the per-level loader
inline std::shared_ptr<quarvex::Mesh3D> bonusStation;        // start-up; made on first use if missing
inline std::shared_ptr<quarvex::Mesh3D> flameBillboard;      // start-up
inline std::shared_ptr<quarvex::Mesh3D> explosionBillboard;  // start-up
inline std::string tankModelPath;                            // ProgramFile("2.3ds")
inline std::shared_ptr<clsStarShips> fleet;
inline std::shared_ptr<clsTanks> tanks;

// Player and Land for the actors; a clear error when the world was not built first.
CameraFPS& RequirePlayer();
quarvex::Landscape3D& RequireLand();

// The twelve sounds, in creation and loading order.
enum class GameSound : int {
    Explosion,   // "\explosin.wav": an enemy is destroyed or rams the player
    Launch,      // "\lancio3.wav": the player fires
    Crash,       // "\scontro.wav"
    Crash1,      // "\scontro1.wav": the aim ray meets a hazard billboard
    Start,       // "\inizio.wav": play starts
    Alarm,       // "\sparatoria.wav": the alarm, a boundary hit
    Outside,     // "\fuori2.wav"
    Bonus,       // "\bonus2.wav": the bonus station repairs the craft
    LevelOk,     // "\livellook.wav": a level is completed
    TitleMusic,  // "\inizio1.mid"
    GameOver,    // "\gameover1.wav"
    EndMusic,    // "\fine.mid"
};
inline constexpr int kGameSoundCount = 12;
inline constexpr std::array<std::string_view, kGameSoundCount> kGameSoundFiles = {
    "\\explosin.wav", "\\lancio3.wav",  "\\scontro.wav",   "\\scontro1.wav",
    "\\inizio.wav",   "\\sparatoria.wav", "\\fuori2.wav",  "\\bonus2.wav",
    "\\livellook.wav", "\\inizio1.mid", "\\gameover1.wav", "\\fine.mid"};

inline std::shared_ptr<qxsound::SoundEngine8> soundEngine;  // empty without a sound card
inline std::array<std::shared_ptr<qxsound::SoundDx8>, kGameSoundCount> sounds;

std::shared_ptr<qxsound::SoundDx8>& Sound(GameSound which);
// Play / Stop_ on the sound when it exists.
void PlaySound(GameSound which);
void StopSound(GameSound which);

// ---------------------------------------------------------------------------------------------
// Objects of the start-up (modSubMain) and of the playing loop.
inline std::shared_ptr<quarvex::Engine3D> engine;           // display, frames, screenshot
inline std::shared_ptr<quarvex::Screen2D> screenText;       // every text
inline std::shared_ptr<quarvex::Screen2D> hudScreen;        // CreateHudScreen: "vita" and "logos"
inline std::shared_ptr<quarvex::Input3D> input;             // CreateInput
inline std::shared_ptr<quarvex::ScreenFade3D> screenFade;
inline std::shared_ptr<quarvex::Scene3D> effectsScene;      // billboards, bonus station, shader file
inline std::shared_ptr<quarvex::Texture3D> stationTexture;  // "copertura.jpg"
inline std::shared_ptr<qxsound::SoundDx8> musLevel;         // the level music; empty without sound

// The screen images of the menus and the HUD.
struct ScreenImages {
    std::shared_ptr<quarvex::Texture3D> title;      // "intro.jpg"
    std::shared_ptr<quarvex::Texture3D> gameOver;   // "gameover.jpg"
    std::shared_ptr<quarvex::Texture3D> help;       // "help.jpg"
    std::shared_ptr<quarvex::Texture3D> pointer;    // "manook.bmp"
    std::shared_ptr<quarvex::Texture3D> face;       // "facedx.bmp"
    std::shared_ptr<quarvex::Texture3D> energyBar;  // "sfondoenergia.bmp"
};
inline ScreenImages screenImages;

// The shared 2D drawing object and the shared texture loader (one instance each, made on first use).
quarvex::Screen2D& Shared2D();
quarvex::TextureFactory3D& SharedTextureLoader();

}  // namespace orvane
