// An audio CD played through the platform's CD audio device: a drive, or a BIN/CUE disc image.
//
//   qxsound::SoundCd8 cd;
//   if (cd.Load("/dev/cdrom")) {          // "" opens the default drive; "/data/disc.cue" an image
//       cd.Track(3);                       // to the start of track 3
//       cd.Play();
//       std::cout << cd.CurrentTime();     // "1:21": minutes and seconds into the track
//   }
//
// Each object opens the device under an alias of its own ("CD" and a number 1 to 1000, never one
// another object holds) and closes only that alias when it is destroyed. Load, Play, Pause and
// Stop_ trap failures and return false; the queries answer with what the device replies, or the
// stated fallback. FastForward and Rewind throw qxsound::Error when the device's position is not a
// number or the new position does not fit int32. No engine is needed (without one the disc plays on
// OpenAL's default output device). Positions are what has been heard: a pause holds that sample
// and Play goes on from it.
#pragma once

#include <qxsound/Sound8.h>

#include <cstdint>
#include <string>

namespace qxsound {

class SoundCd8 : public Sound8 {
public:
    SoundCd8() = default;
    // Stops and closes the object's own device.
    ~SoundCd8() override;

    // `sDriveLetter`: a drive's device path or a ".cue" image; empty for the default drive. A
    // second Load closes the device the first opened.
    bool Load(const std::string& sDriveLetter) override;
    // From the current position: the disc's start after Load, the chosen track, the pause point.
    bool Play() override;
    bool Pause() override;
    // Stops and moves to the start of track 1.
    bool Stop_() override;
    CONST_QX_PLAYSTATE PlayState() const override;
    CONST_QX_SOUNDTYPE Type_() const override { return QX_SOUNDTYPE_CD; }

    // The track at the current position; 0 when the device cannot say.
    int32_t Track() const;
    // Moves to the start of track `track` (playing stops: the state becomes ENDED).
    void Track(int32_t track);
    // Moves `Spd` milliseconds forward (back for Rewind): seeks while playing, else plays from the
    // new position.
    void FastForward(int16_t Spd);
    void Rewind(int16_t Spd);
    // 0 when the device cannot say.
    int32_t TrackCount() const;
    // Minutes and seconds into the current track, "m:ss"; "00:00" when the device cannot say.
    std::string CurrentTime() const;
    // The device's reply "mm:ss:ff" in a 10-character text (NUL characters after the reply).
    std::string GetTrackLength(int32_t TrackNum) const;
    // The disc's length, "mm:ss:ff".
    std::string Length() const;
    // The disc's identity (eight hexadecimal digits).
    std::string CdId() const;
    // The disc's catalogue number; empty when it has none.
    std::string CdUpc() const;
    // 0 .. 1000, 1000 at start; a value the device rejects leaves the volume as it was.
    int32_t Volume() const override { return volume_; }
    void Volume(int32_t volume) override;

private:
    // Sends a command with a reply buffer of `replyLength` NUL characters; the status and the
    // whole buffer.
    std::pair<int32_t, std::string> Send(const std::string& command, int32_t replyLength = 0) const;
    void Move(int32_t milliseconds);

    int32_t volume_ = 1000;
    bool started_ = false;
    bool paused_ = false;
    bool stopped_ = false;
    bool open_ = false;
    std::string alias_;
};

}  // namespace qxsound
