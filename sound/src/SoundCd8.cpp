#include <qxsound/SoundCd8.h>

#include <qxsound/modGlobal.h>

#include "LibraryContext.h"
#include "Mci.h"
#include "MciCommand.h"
#include "NumberText.h"

#include <algorithm>
#include <cctype>

namespace qxsound {

namespace {

// Draws of an alias before Load gives up: far more than 1000 objects could need.
constexpr int kAliasDraws = 100000;

std::string WithoutNuls(std::string s) {
    std::erase(s, '\0');
    return s;
}

// The drive as one word of the open command: as it stands when it is one word already, else
// quoted, so that no drive name can add words to the command.
std::string DriveWord(const std::string& drive) {
    const bool plain = std::none_of(drive.begin(), drive.end(), [](char c) {
        return c == '"' || std::isspace(static_cast<unsigned char>(c));
    });
    if (plain) return drive;
    std::string quoted = "\"";
    for (char c : drive) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string ErrorText(int32_t code) {
    std::string text(128, '\0');
    platform::mciGetErrorString(code, text.data(), static_cast<int32_t>(text.size()));
    return TrimAtNull(text);
}

}  // namespace

SoundCd8::~SoundCd8() {
    if (!open_) return;
    Send("stop " + alias_);
    Send("close " + alias_);
}

std::pair<int32_t, std::string> SoundCd8::Send(const std::string& command, int32_t replyLength) const {
    std::string reply(static_cast<std::size_t>(replyLength), '\0');
    const int32_t status = platform::mciSendString(command, reply.data(), replyLength);
    return {status, std::move(reply)};
}

bool SoundCd8::Load(const std::string& sDriveLetter) {
    try {
        if (open_) Send("close " + alias_);
        open_ = false;
        for (int draw = 0;; ++draw) {
            alias_ = "CD" + std::to_string(static_cast<int32_t>(Rnd() * 1000.0f + 1.0f));
            const std::string open = sDriveLetter.empty()
                                         ? "open cdaudio alias " + alias_ + " wait shareable"
                                         : "open " + DriveWord(sDriveLetter) + " type cdaudio alias " + alias_ +
                                               " wait shareable";
            const int32_t status = Send(open).first;
            if (status == 0) break;
            if (status == platform::MCIERR_DUPLICATE_ALIAS && draw < kAliasDraws) continue;
            alias_.clear();
            throw Error(status, ErrorText(status));
        }
        open_ = true;
        Send("set " + alias_ + " time format tmsf wait");
        return true;
    } catch (...) {
        return false;
    }
}

bool SoundCd8::Play() {
    if (Send("play " + alias_).first != 0) return false;
    started_ = true;
    paused_ = false;
    stopped_ = false;
    return true;
}

bool SoundCd8::Pause() {
    if (PlayState() == QX_PLAYSTATE_ENDED || !started_ || stopped_) return true;
    if (Send("pause " + alias_).first != 0) return false;
    paused_ = true;
    stopped_ = false;
    return true;
}

bool SoundCd8::Stop_() {
    if (PlayState() == QX_PLAYSTATE_ENDED || !started_ || stopped_) return true;
    const int32_t status = Send("stop " + alias_).first;
    Track(1);
    if (status != 0) return false;
    paused_ = false;
    stopped_ = true;
    return true;
}

CONST_QX_PLAYSTATE SoundCd8::PlayState() const {
    if (!started_) return QX_PLAYSTATE_UNDEFINED;
    if (paused_) return QX_PLAYSTATE_PAUSED;
    if (stopped_) return QX_PLAYSTATE_STOPPED;
    const auto [status, mode] = Send("status " + alias_ + " mode", 30);
    if (status != 0) return QX_PLAYSTATE_UNDEFINED;
    return mode.find("playing") != std::string::npos ? QX_PLAYSTATE_PLAYING : QX_PLAYSTATE_ENDED;
}

int32_t SoundCd8::Track() const {
    const std::string reply = Send("status " + alias_ + " position", 30).second;
    return TextToInt32(TrimAtNull(reply.substr(0, 2))).value_or(0);
}

void SoundCd8::Track(int32_t track) {
    Send("seek " + alias_ + " to " + (track >= 0 ? " " : "") + std::to_string(track));
}

void SoundCd8::Move(int32_t milliseconds) {
    Send("set " + alias_ + " time format milliseconds");
    const std::string reply = TrimAtNull(Send("status " + alias_ + " position wait", 40).second);
    const auto position = TextToInt32(reply);
    int32_t target = 0;
    if (!position || __builtin_add_overflow(*position, milliseconds, &target)) {
        // The device goes back to the format the other queries read.
        Send("set " + alias_ + " time format tmsf wait");
        if (!position) throw Error(platform::MCIERR_BAD_INTEGER, "the CD position \"" + reply + "\" is not a number");
        throw Error(platform::MCIERR_OUTOFRANGE, "the CD position " + reply + " moved by " +
                                                     std::to_string(milliseconds) + " ms does not fit int32");
    }
    if (PlayState() == QX_PLAYSTATE_PLAYING)
        Send("seek " + alias_ + " to " + std::to_string(target));
    else
        Send("play " + alias_ + " from " + std::to_string(target));
    Send("set " + alias_ + " time format tmsf wait");
}

void SoundCd8::FastForward(int16_t Spd) { Move(Spd); }
void SoundCd8::Rewind(int16_t Spd) { Move(-static_cast<int32_t>(Spd)); }

int32_t SoundCd8::TrackCount() const {
    return TextToInt32(TrimAtNull(Send("status " + alias_ + " number of tracks wait", 30).second)).value_or(0);
}

std::string SoundCd8::CurrentTime() const {
    const std::string reply = Send("status " + alias_ + " position", 30).second;
    const std::string digits = reply.substr(3, 2) + reply.substr(6, 2);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return "00:00";
    const int32_t minutes = std::stoi(digits.substr(0, 2));
    return std::to_string(minutes) + ":" + digits.substr(2, 2);
}

std::string SoundCd8::GetTrackLength(int32_t TrackNum) const {
    return Send("status " + alias_ + " length track " + std::to_string(TrackNum), 10).second;
}

std::string SoundCd8::Length() const { return WithoutNuls(Send("status " + alias_ + " length wait", 30).second); }

std::string SoundCd8::CdId() const { return WithoutNuls(Send("info " + alias_ + " identity", 35).second); }

std::string SoundCd8::CdUpc() const {
    const auto [status, reply] = Send("info " + alias_ + " upc", 35);
    return status == platform::MCIERR_NO_IDENTITY ? std::string() : WithoutNuls(reply);
}

void SoundCd8::Volume(int32_t volume) {
    std::string command = "setaudio " + alias_ + " volume to " + std::to_string(volume);
    if (command.size() < 128) command.resize(128, ' ');
    if (Send(command).first == 0) volume_ = volume;
}

}  // namespace qxsound
