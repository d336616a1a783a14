#include "variabili_globali.h"

#include <Engine3D.h>
#include <qxsound/SoundDx8.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace orvane {

namespace {
FatalErrorHandler& Handler() {
    static FatalErrorHandler handler;
    return handler;
}
}  // namespace

FatalErrorHandler SetFatalErrorHandler(FatalErrorHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

void FatalError(const std::string& message) {
    if (const FatalErrorHandler& handler = Handler()) {
        handler(message);
        std::fputs("orvane: the fatal error handler returned\n", stderr);
        std::abort();
    }
    std::fprintf(stderr, "orvane: %s\n", message.c_str());
    std::fflush(stderr);
    std::exit(EXIT_FAILURE);
}

void ResetGameVariables() {
    level = 1;
    themeIndex = 1;
    score = 0;
    shipPoints1 = 600;
    shipPoints3 = 900;
    tankPoints = 500;
    damagePoints = 1;
    killsTotal = 0;
    killsSinceAlarm = 0;
    killsThisLevel = 0;
}

std::string ProgramFile(std::string_view name) {
    while (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.remove_prefix(1);
    if (programDirectory.empty()) return std::string(name);
    std::string path = programDirectory;
    if (path.back() != '/') path += '/';
    return path.append(name);
}

CameraFPS& RequirePlayer() {
    if (!Player) throw std::logic_error("the player craft is used before CreatePlayer");
    return *Player;
}

quarvex::Landscape3D& RequireLand() {
    if (!Land) throw std::logic_error("the terrain is used before BuildTerrain");
    return *Land;
}

std::shared_ptr<qxsound::SoundDx8>& Sound(GameSound which) { return sounds.at(static_cast<size_t>(which)); }

void PlaySound(GameSound which) {
    if (const auto& sound = Sound(which)) sound->Play();
}

void StopSound(GameSound which) {
    if (const auto& sound = Sound(which)) sound->Stop_();
}

}  // namespace orvane
