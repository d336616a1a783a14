// An MP3 file, decoded and streamed to the engine's output device by the platform's media graph,
// with what the file says about itself: its first frame header, a "Xing" VBR header and an ID3
// version 1 tag.
//
//   auto engine = std::make_shared<qxsound::SoundEngine8>();  // Load plays on its output device
//   qxsound::SoundMp38 song;
//   if (song.Load("/music/song.mp3")) {                          // false for a file that will not play
//       std::cout << song.SongName() << " " << song.Bitrate() << " kbit/s\n";
//       song.Play();                                             // after the end: from the start again
//   }
//   while (song.PlayState() == qxsound::QX_PLAYSTATE_PLAYING) ...
//
// Load, Play, Pause and Stop_ trap failures and return false. Volume (hundredths of a decibel,
// -10000 to 0), Pan (the balance, -10000 to 10000), PlaybackRate (a multiple of the normal speed,
// above 0), PlayPosition (whole seconds) and Duration (seconds) throw qxsound::Error on failure,
// also before a file is loaded (except Volume, Pan and PlaybackRate, which are kept until then).
//
// The header and tag properties are those of the last Load whose file the graph could play; an
// inspection step that cannot be carried out (a short file, a read outside it, an index outside a
// table) leaves what the sound held before, so Frames survives from an earlier VBR file.
#pragma once

#include <qxsound/Sound8.h>

#include <cstdint>
#include <memory>
#include <string>

namespace qxsound {

namespace platform {
class FilgraphManager;
class IMediaControl;
class IBasicAudio;
class IMediaEvent;
class IMediaPosition;
}  // namespace platform

struct Mp3Properties;

class SoundMp38 : public Sound8 {
public:
    SoundMp38();
    // Stops a playing or paused sound first.
    ~SoundMp38() override;

    CONST_QX_SOUNDTYPE Type_() const override { return QX_SOUNDTYPE_MP3; }
    bool Load(const std::string& sFileName) override;
    // Continues after Pause (however near the end); from the start after Stop_ or after the end.
    bool Play() override;
    bool Pause() override;
    bool Stop_() override;
    CONST_QX_PLAYSTATE PlayState() const override;

    int32_t Volume() const override;
    void Volume(int32_t volume) override;
    int32_t Pan() const;
    void Pan(int32_t pan);
    double PlaybackRate() const;
    void PlaybackRate(double rate);
    // Rounded to the nearest second, halves to even.
    int32_t PlayPosition() const;
    void PlayPosition(int32_t seconds);
    double Duration() const;

    int16_t Bitrate() const;
    int32_t Frequency() const;
    CONST_QX_MP3MODE Mode() const;
    CONST_QX_MP3EMPHASIS Emphasis() const;
    int16_t MpegVersion() const;
    int16_t MpegLayer() const;
    CONST_QX_MP3BITPROPERTY Padding() const;
    CONST_QX_MP3BITPROPERTY Crc() const;
    CONST_QX_MP3BITPROPERTY Copyright() const;
    CONST_QX_MP3BITPROPERTY Original() const;
    CONST_QX_MP3BITPROPERTY PrivateBit() const;
    bool VariableBitRate() const;
    int32_t Frames() const;
    bool HasTag() const;
    // Tag texts, one character per byte, untrimmed.
    const std::string& SongName() const;
    const std::string& Artist() const;
    const std::string& Album() const;
    const std::string& Year() const;
    const std::string& Comment() const;
    const std::string& Track() const;
    int16_t Genre() const;
    // The genre's name; "Unknown" for numbers without one.
    std::string GenreText() const;

private:
    std::shared_ptr<platform::FilgraphManager> graph_;
    std::shared_ptr<platform::IMediaControl> control_;
    std::shared_ptr<platform::IBasicAudio> audio_;
    std::shared_ptr<platform::IMediaEvent> event_;
    std::shared_ptr<platform::IMediaPosition> position_;
    std::unique_ptr<Mp3Properties> info_;
    bool started_ = false;
    bool paused_ = false;
    bool stopped_ = false;
};

}  // namespace qxsound
