// A tracker module (MOD, S3M, XM, IT and the other formats libopenmpt reads) played through the
// engine's single module player.
//
//   auto engine = std::make_shared<qxsound::SoundEngine8>();
//   if (engine->ModSupportAvailable()) {
//       auto song = std::make_shared<qxsound::SoundModule8>();
//       song->Load("/music/intro.mod");
//       song->Play();
//   }
//
// Every SoundModule8 drives the same player: loading a module through one sound replaces what any
// other had loaded, and stopping one stops them all (a sound that was playing then reports ENDED).
// The engine's player loops modules without end. Destroying a sound leaves the player as it is.
//
// No operation traps: without an engine with module support every call other than PlayState,
// Pause before Play, and Type_ throws qxsound::Error. Load does not check the file: a module the
// player cannot read leaves it silent. Volume is in per cent (0 .. 100, the module's own level),
// positions in milliseconds; both pass to the player unchanged.
#pragma once

#include <qxsound/Sound8.h>

#include <cstdint>
#include <string>

namespace qxsound {

class SoundModule8 : public Sound8 {
public:
    bool Load(const std::string& sFileName) override;
    bool Play() override;
    // Stops the player where it is; Play continues from there.
    bool Pause() override;
    // False when the player has stopped by itself (ENDED); else stops it and rewinds to 0.
    bool Stop_() override;
    CONST_QX_PLAYSTATE PlayState() const override;
    CONST_QX_SOUNDTYPE Type_() const override { return QX_SOUNDTYPE_MODULE; }

    int32_t Volume() const override;
    void Volume(int32_t volume) override;
    // What has been heard, not what the player has rendered ahead for the output; a new position
    // is heard at once. The player counts on across its repeats.
    int32_t PlayPosition() const;
    void PlayPosition(int32_t position);
    int32_t MaxPosition() const;

private:
    bool started_ = false;
    bool paused_ = false;
    bool stopped_ = false;
};

}  // namespace qxsound
