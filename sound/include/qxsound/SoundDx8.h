// A WAV, MIDI (.mid, .midi, .rmi) or segment (.sgt) file played as a music segment on an audio
// path of its own, so that any number of SoundDx8 sound at once.
//
//   auto engine = std::make_shared<qxsound::SoundEngine8>();     // first
//   auto music = std::make_shared<qxsound::SoundDx8>();          // throws without an engine
//   music->Load("/data/1.mid");                                  // false on failure
//   music->RepeatsOfLoopingPortion(-1);                          // loop without end
//   music->Play();  ...  music->Stop_();
//
// Load, Play, Pause and Stop_ trap failures and return false; a failed Load keeps the earlier
// segment. PlayState, Length, LoopPointStart/End, Name and Volume throw qxsound::Error without a
// segment or on a platform failure.
//
// A repeat count set with RepeatsOfLoopingPortion carries over to the segments this sound loads
// later (a sound whose count was never set keeps each file's own), so endless level music stays
// endless when the next level's file is loaded. It may be set before the first successful Load.
#pragma once

#include <qxsound/Sound8.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qxsound {

namespace platform {
class DirectMusicAudioPath8;
class DirectMusicPerformance8;
class DirectMusicSegment8;
class DirectMusicSegmentState8;
class DirectSoundSecondaryBuffer8;
}  // namespace platform

class Effects8;

class SoundDx8 : public Sound8 {
public:
    SoundDx8();
    ~SoundDx8() override;

    // Created on first use; every call gives the same collection.
    std::shared_ptr<Effects8> Effects();

    bool Load(const std::string& sFileName) override;
    // Plays another instance each call; after Pause it resumes from the paused point.
    bool Play() override;
    bool Pause() override;
    // Sends one stop however often it is called.
    bool Stop_() override;
    CONST_QX_PLAYSTATE PlayState() const override;
    CONST_QX_SOUNDTYPE Type_() const override { return QX_SOUNDTYPE_DIRECTX; }

    // Music time: 768 ticks per quarter note.
    int32_t Length() const;
    void Length(int32_t length);
    // -1 repeats the looping portion without end.
    int32_t RepeatsOfLoopingPortion() const;
    void RepeatsOfLoopingPortion(int32_t repeats);
    int32_t LoopPointStart() const;
    int32_t LoopPointEnd() const;
    // The segment's internal name or, when it has none, the file name.
    std::string Name() const;
    // Hundredths of a decibel on the audio path's buffer: 0 full, -10000 silent.
    int32_t Volume() const override;
    void Volume(int32_t volume) override;

    // The sound's audio path and the DirectSound buffer inside it (used by Effects8).
    const std::shared_ptr<platform::DirectMusicAudioPath8>& AudioPath() const { return path_; }
    std::shared_ptr<platform::DirectSoundSecondaryBuffer8> PathBuffer() const;

private:
    platform::DirectMusicSegment8& Segment() const;

    std::shared_ptr<platform::DirectMusicPerformance8> performance_;
    std::shared_ptr<platform::DirectMusicSegment8> segment_;
    std::shared_ptr<platform::DirectMusicSegmentState8> state_;
    std::shared_ptr<platform::DirectMusicAudioPath8> path_;
    int32_t pauseTime_ = 0;
    bool started_ = false;
    bool paused_ = false;
    bool stopped_ = false;
    std::optional<int32_t> repeats_;  // as the host set it
    std::shared_ptr<Effects8> effects_;
};

}  // namespace qxsound
