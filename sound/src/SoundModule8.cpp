#include <qxsound/SoundModule8.h>

#include "LibraryContext.h"
#include "ModPlug.h"

namespace qxsound {

namespace {

// The engine's shared player, read afresh at every call.
int32_t Player() {
    const int32_t handle = Context().modPlayerHandle;
    if (handle == 0) throw Error(DSERR_MODNOTFOUND, "no module player: create a SoundEngine8 with module support first");
    return handle;
}

}  // namespace

bool SoundModule8::Load(const std::string& sFileName) {
    platform::ModPlug_Load(Player(), sFileName);
    return true;
}

bool SoundModule8::Play() {
    platform::ModPlug_Play(Player());
    paused_ = false;
    stopped_ = false;
    started_ = true;
    return true;
}

bool SoundModule8::Pause() {
    if (PlayState() != QX_PLAYSTATE_ENDED && started_ && !stopped_) {
        platform::ModPlug_Stop(Player());
        paused_ = true;
        stopped_ = false;
    }
    return true;
}

bool SoundModule8::Stop_() {
    if (PlayState() == QX_PLAYSTATE_ENDED) return false;
    const int32_t player = Player();
    platform::ModPlug_Stop(player);
    platform::ModPlug_SetCurrentPosition(player, 0);
    paused_ = false;
    stopped_ = true;
    return true;
}

CONST_QX_PLAYSTATE SoundModule8::PlayState() const {
    if (!started_) return QX_PLAYSTATE_UNDEFINED;
    if (paused_) return QX_PLAYSTATE_PAUSED;
    if (stopped_) return QX_PLAYSTATE_STOPPED;
    return platform::ModPlug_IsPlaying(Player()) == 1 ? QX_PLAYSTATE_PLAYING : QX_PLAYSTATE_ENDED;
}

int32_t SoundModule8::Volume() const { return platform::ModPlug_GetVolume(Player()); }
void SoundModule8::Volume(int32_t volume) { platform::ModPlug_SetVolume(Player(), volume); }
int32_t SoundModule8::PlayPosition() const { return platform::ModPlug_GetCurrentPosition(Player()); }
void SoundModule8::PlayPosition(int32_t position) { platform::ModPlug_SetCurrentPosition(Player(), position); }
int32_t SoundModule8::MaxPosition() const { return platform::ModPlug_GetMaxPosition(Player()); }

}  // namespace qxsound
