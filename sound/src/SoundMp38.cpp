#include <qxsound/SoundMp38.h>

#include "LibraryContext.h"
#include "MediaGraph.h"
#include "Mp3Inspection.h"

#include <limits>

namespace qxsound {

namespace {

int32_t RoundToInt32(double seconds) {
    const double rounded = RoundHalfEven(seconds);
    if (!(rounded >= std::numeric_limits<int32_t>::min() && rounded <= std::numeric_limits<int32_t>::max()))
        throw Error(DSERR_INVALIDPARAM, "the time " + std::to_string(seconds) + " s does not fit a 32-bit integer");
    return static_cast<int32_t>(rounded);
}

}  // namespace

SoundMp38::SoundMp38()
    : graph_(platform::CreateFilterGraph([] { return Context().outputDevice; })),
      info_(std::make_unique<Mp3Properties>()) {
    if (!graph_) return;
    control_ = graph_->MediaControl();
    audio_ = graph_->BasicAudio();
    event_ = graph_->MediaEvent();
    position_ = graph_->MediaPosition();
}

SoundMp38::~SoundMp38() {
    try {
        const CONST_QX_PLAYSTATE state = SoundMp38::PlayState();
        if (state == QX_PLAYSTATE_PLAYING || state == QX_PLAYSTATE_PAUSED) SoundMp38::Stop_();
    } catch (...) {
    }
    control_.reset();
    audio_.reset();
    event_.reset();
    position_.reset();
    graph_.reset();
}

bool SoundMp38::Load(const std::string& sFileName) {
    try {
        if (!control_) return false;
        control_->RenderFile(sFileName);
        InspectMp3(sFileName, *info_);
        return true;
    } catch (...) {
        return false;
    }
}

bool SoundMp38::Play() {
    try {
        if (position_) {
            const double current = position_->GetCurrentPosition();
            const double duration = position_->GetDuration();
            // At the end (to the second) a file starts again; a paused one goes on where it was,
            // however near the end.
            if (!paused_ && RoundToInt32(current) == RoundToInt32(duration)) position_->SetCurrentPosition(0.0);
            if (control_) control_->Run();
        }
        paused_ = false;
        stopped_ = false;
        started_ = true;
        return true;
    } catch (...) {
        return false;
    }
}

bool SoundMp38::Pause() {
    try {
        if (PlayState() == QX_PLAYSTATE_ENDED || !started_ || stopped_) return true;
        if (!control_) return false;
        control_->Pause();
        paused_ = true;
        stopped_ = false;
        return true;
    } catch (...) {
        return false;
    }
}

bool SoundMp38::Stop_() {
    try {
        if (PlayState() != QX_PLAYSTATE_ENDED && started_ && !stopped_) {
            if (position_ && control_) {
                control_->Stop();
                position_->SetCurrentPosition(0.0);
            }
            paused_ = false;
            stopped_ = true;
        }
        return true;
    } catch (...) {
        return false;
    }
}

CONST_QX_PLAYSTATE SoundMp38::PlayState() const {
    if (!started_) return QX_PLAYSTATE_UNDEFINED;
    if (paused_) return QX_PLAYSTATE_PAUSED;
    if (stopped_) return QX_PLAYSTATE_STOPPED;
    if (!event_) return QX_PLAYSTATE_UNDEFINED;
    int32_t code = 0;
    try {
        code = event_->WaitForCompletion(0);
    } catch (...) {
        code = 0;  // a failed query counts as not completed
    }
    return code != 0 ? QX_PLAYSTATE_ENDED : QX_PLAYSTATE_PLAYING;
}

int32_t SoundMp38::Volume() const { return audio_ ? audio_->GetVolume() : 0; }
void SoundMp38::Volume(int32_t volume) {
    if (audio_) audio_->SetVolume(volume);
}
int32_t SoundMp38::Pan() const { return audio_ ? audio_->GetBalance() : 0; }
void SoundMp38::Pan(int32_t pan) {
    if (audio_) audio_->SetBalance(pan);
}
double SoundMp38::PlaybackRate() const { return position_ ? position_->GetRate() : 0.0; }
void SoundMp38::PlaybackRate(double rate) {
    if (position_) position_->SetRate(rate);
}
int32_t SoundMp38::PlayPosition() const { return position_ ? RoundToInt32(position_->GetCurrentPosition()) : 0; }
void SoundMp38::PlayPosition(int32_t seconds) {
    if (position_) position_->SetCurrentPosition(static_cast<double>(seconds));
}
double SoundMp38::Duration() const { return position_ ? position_->GetDuration() : 0.0; }

int16_t SoundMp38::Bitrate() const { return info_->Bitrate; }
int32_t SoundMp38::Frequency() const { return info_->Frequency; }
CONST_QX_MP3MODE SoundMp38::Mode() const { return info_->Mode; }
CONST_QX_MP3EMPHASIS SoundMp38::Emphasis() const { return info_->Emphasis; }
int16_t SoundMp38::MpegVersion() const { return info_->MpegVersion; }
int16_t SoundMp38::MpegLayer() const { return info_->MpegLayer; }
CONST_QX_MP3BITPROPERTY SoundMp38::Padding() const { return info_->Padding; }
CONST_QX_MP3BITPROPERTY SoundMp38::Crc() const { return info_->Crc; }
CONST_QX_MP3BITPROPERTY SoundMp38::Copyright() const { return info_->Copyright; }
CONST_QX_MP3BITPROPERTY SoundMp38::Original() const { return info_->Original; }
CONST_QX_MP3BITPROPERTY SoundMp38::PrivateBit() const { return info_->PrivateBit; }
bool SoundMp38::VariableBitRate() const { return info_->VariableBitRate; }
int32_t SoundMp38::Frames() const { return info_->Frames; }
bool SoundMp38::HasTag() const { return info_->HasTag; }
const std::string& SoundMp38::SongName() const { return info_->SongName; }
const std::string& SoundMp38::Artist() const { return info_->Artist; }
const std::string& SoundMp38::Album() const { return info_->Album; }
const std::string& SoundMp38::Year() const { return info_->Year; }
const std::string& SoundMp38::Comment() const { return info_->Comment; }
const std::string& SoundMp38::Track() const { return info_->Track; }
int16_t SoundMp38::Genre() const { return info_->Genre; }
std::string SoundMp38::GenreText() const { return std::string(Mp3GenreName(info_->Genre)); }

}  // namespace qxsound
