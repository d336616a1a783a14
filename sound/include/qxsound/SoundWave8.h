// A WAV file played from a DirectSound buffer of its own on the engine's output device.
//
// Load, Pause and SaveToFile trap failures (false; a failed Load keeps the earlier buffer). Play,
// Stop_, PlayState, Loop_ (when it replays) and the buffer properties throw qxsound::Error without
// a buffer or on a platform failure. Values pass to the buffer unchanged: Volume in hundredths of a
// decibel (-10000 silent .. 0 full), Pan -10000 .. 10000, Frequency in Hz (0 = the file's rate),
// PlayPosition in bytes of the file's sample format.
#pragma once

#include <qxsound/Sound8.h>

#include <memory>
#include <string>

namespace qxsound {

namespace platform {
class DirectSoundSecondaryBuffer8;
}

class SoundWave8 : public Sound8 {
public:
    SoundWave8() = default;
    ~SoundWave8() override;

    CONST_QX_SOUNDTYPE Type_() const override { return QX_SOUNDTYPE_WAVE; }

    bool Loop_() const { return loop_; }
    // Changing it while playing replays from the same position with the new looping.
    void Loop_(bool loop);

    int32_t Frequency() const;
    void Frequency(int32_t hz);
    int32_t Pan() const;
    void Pan(int32_t pan);
    int32_t Volume() const override;
    void Volume(int32_t volume) override;
    int32_t PlayPosition() const;
    void PlayPosition(int32_t bytes);

    const std::shared_ptr<platform::DirectSoundSecondaryBuffer8>& DirectSoundSecondaryBuffer() const { return buffer_; }
    // The host's buffer becomes the sound's buffer; the play flags are kept.
    void DirectSoundSecondaryBuffer(std::shared_ptr<platform::DirectSoundSecondaryBuffer8> buffer);

    CONST_QX_PLAYSTATE PlayState() const override;
    bool Load(const std::string& sFileName) override;
    bool Play() override;
    bool Pause() override;
    bool Stop_() override;
    bool SaveToFile(const std::string& sFileName);

private:
    platform::DirectSoundSecondaryBuffer8& Buffer() const;

    std::shared_ptr<platform::DirectSoundSecondaryBuffer8> buffer_;
    bool started_ = false;
    bool paused_ = false;
    bool stopped_ = false;
    bool loop_ = false;
};

}  // namespace qxsound
