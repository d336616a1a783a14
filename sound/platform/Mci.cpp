#include "Mci.h"

#include "CdAudio.h"
#include "MciCommand.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace qxsound::platform {

namespace {

struct Device {
    std::unique_ptr<CdAudio> cd;
    MciTimeFormat format = MciTimeFormat::Msf;
};

struct Interpreter {
    std::mutex mutex;
    std::map<std::string, Device> devices;  // by name in lower case
    MciObserver observer;
};

Interpreter& TheInterpreter() {
    static Interpreter interpreter;
    return interpreter;
}

std::string TwoDigits(int64_t n) {
    char text[24];
    std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(n));
    return text;
}

std::string Msf(int64_t frames) {
    return TwoDigits(frames / 4500) + ":" + TwoDigits(frames / 75 % 60) + ":" + TwoDigits(frames % 75);
}

std::string Milliseconds(int64_t frames) { return std::to_string(frames * 1000 / 75); }

std::string Position(const Device& d, int64_t position) {
    switch (d.format) {
    case MciTimeFormat::Tmsf: {
        const int32_t track = d.cd->TrackAt(position);
        const int64_t start = d.cd->Disc().trackStarts[static_cast<std::size_t>(track - d.cd->Disc().firstTrack)];
        return TwoDigits(track) + ":" + Msf(std::max<int64_t>(0, position - start));
    }
    case MciTimeFormat::Msf: return Msf(position);
    case MciTimeFormat::Milliseconds: break;
    }
    return Milliseconds(position);
}

std::string Length(const Device& d, int64_t frames) {
    return d.format == MciTimeFormat::Milliseconds ? Milliseconds(frames) : Msf(frames);
}

// A position text in the device's format, within the disc.
int64_t ReadPosition(const Device& d, const std::string& text) {
    const auto position = ParseMciPosition(text, d.format, d.cd->Disc());
    if (!position) throw MciFailure{MCIERR_BAD_INTEGER};
    if (*position < d.cd->Disc().trackStarts.front() || *position > d.cd->Disc().end) throw MciFailure{MCIERR_OUTOFRANGE};
    return *position;
}

// The index of a track number text in the disc's track list.
std::size_t ReadTrack(const Device& d, const std::string& text) {
    const auto track = ParseMciInteger(text);
    if (!track) throw MciFailure{MCIERR_BAD_INTEGER};
    if (*track < d.cd->Disc().firstTrack || *track >= d.cd->Disc().firstTrack + d.cd->TrackCount())
        throw MciFailure{MCIERR_OUTOFRANGE};
    return static_cast<std::size_t>(*track - d.cd->Disc().firstTrack);
}

std::string Status(const Device& d, const MciCommand& c) {
    const MciDisc& disc = d.cd->Disc();
    switch (c.item) {
    case MciItem::Mode: return d.cd->Mode();
    case MciItem::Position:
        return Position(d, c.track ? disc.trackStarts[ReadTrack(d, *c.track)] : d.cd->Position());
    case MciItem::Length: {
        if (!c.track) return Length(d, disc.end - disc.trackStarts.front());
        const std::size_t i = ReadTrack(d, *c.track);
        return Length(d, (i + 1 < disc.trackStarts.size() ? disc.trackStarts[i + 1] : disc.end) - disc.trackStarts[i]);
    }
    case MciItem::NumberOfTracks: return std::to_string(d.cd->TrackCount());
    case MciItem::CurrentTrack: return std::to_string(d.cd->TrackAt(d.cd->Position()));
    case MciItem::TimeFormat:
        return d.format == MciTimeFormat::Tmsf ? "tmsf" : d.format == MciTimeFormat::Msf ? "msf" : "milliseconds";
    case MciItem::Ready:
    case MciItem::MediaPresent: return "true";
    default: throw MciFailure{MCIERR_UNRECOGNIZED_KEYWORD};
    }
}

std::string Info(const Device& d, const MciCommand& c) {
    switch (c.item) {
    case MciItem::Identity: {
        char text[16];
        std::snprintf(text, sizeof text, "%08x", d.cd->Identity());
        return text;
    }
    case MciItem::Upc:
        if (d.cd->Mcn().empty()) throw MciFailure{MCIERR_NO_IDENTITY};
        return d.cd->Mcn();
    case MciItem::Product: return "CD Audio";
    default: throw MciFailure{MCIERR_UNRECOGNIZED_KEYWORD};
    }
}

void Open(Interpreter& in, const MciCommand& c) {
    const bool defaultDrive = c.type.empty() && MciLower(c.device) == "cdaudio";
    if (!defaultDrive && MciLower(c.type) != "cdaudio") throw MciFailure{MCIERR_INVALID_DEVICE_NAME};
    const std::string name = MciLower(c.alias.empty() ? c.device : c.alias);
    if (name == "all") throw MciFailure{MCIERR_INVALID_DEVICE_NAME};
    if (in.devices.count(name)) throw MciFailure{MCIERR_DUPLICATE_ALIAS};
    Device device;
    device.cd = std::make_unique<CdAudio>(defaultDrive ? std::string() : c.device);
    in.devices.emplace(name, std::move(device));
}

// Runs a parsed command; the reply, if any.
std::string Run(Interpreter& in, const MciCommand& c) {
    if (c.verb == MciVerb::Open) {
        Open(in, c);
        return {};
    }
    if (c.verb == MciVerb::Close && MciLower(c.device) == "all") {
        in.devices.clear();
        return {};
    }
    const auto found = in.devices.find(MciLower(c.device));
    if (found == in.devices.end()) throw MciFailure{MCIERR_INVALID_DEVICE_NAME};
    Device& d = found->second;
    switch (c.verb) {
    case MciVerb::Close: in.devices.erase(found); break;
    case MciVerb::Play: {
        int64_t from = c.from ? ReadPosition(d, *c.from) : d.cd->Position();
        const int64_t to = c.to ? ReadPosition(d, *c.to) : d.cd->Disc().end;
        // Played to the end, a disc plays again from its first track.
        if (!c.from && from >= d.cd->Disc().end) from = d.cd->Disc().trackStarts.front();
        if (to < from) throw MciFailure{MCIERR_OUTOFRANGE};
        d.cd->Play(from, to);
        break;
    }
    case MciVerb::Pause: d.cd->Pause(); break;
    case MciVerb::Stop: d.cd->Stop(); break;
    case MciVerb::Seek: d.cd->Seek(ReadPosition(d, *c.to)); break;
    case MciVerb::Set: d.format = *c.timeFormat; break;
    case MciVerb::Status: return Status(d, c);
    case MciVerb::Info: return Info(d, c);
    case MciVerb::SetAudio: {
        const auto volume = ParseMciInteger(*c.to);
        if (!volume) throw MciFailure{MCIERR_BAD_INTEGER};
        if (*volume > 1000) throw MciFailure{MCIERR_OUTOFRANGE};
        d.cd->Volume(*volume);
        break;
    }
    case MciVerb::Open: break;
    }
    return {};
}

int32_t WriteReply(const std::string& reply, char* out, int32_t length) {
    if (!out || length <= 0) return 0;
    const std::size_t room = static_cast<std::size_t>(length) - 1;
    const std::size_t n = std::min(reply.size(), room);
    std::memcpy(out, reply.data(), n);
    out[n] = '\0';
    return reply.size() > room ? MCIERR_PARAM_OVERFLOW : 0;
}

int32_t Send(Interpreter& in, std::string_view command, char* returnString, int32_t returnLength) {
    const auto parsed = ParseMciCommand(command);
    if (const auto* code = std::get_if<int32_t>(&parsed)) return *code;
    try {
        return WriteReply(Run(in, std::get<MciCommand>(parsed)), returnString, returnLength);
    } catch (const MciFailure& failure) {
        return failure.code;
    } catch (const std::bad_alloc&) {
        return MCIERR_INTERNAL;
    } catch (const std::exception&) {
        // The output device could not be opened for playing.
        return MCIERR_HARDWARE;
    }
}

}  // namespace

int32_t mciSendString(std::string_view command, char* returnString, int32_t returnLength) {
    Interpreter& in = TheInterpreter();
    std::lock_guard lock(in.mutex);
    const int32_t status = Send(in, command, returnString, returnLength);
    if (in.observer) in.observer(command, status);
    return status;
}

bool mciGetErrorString(int32_t code, char* text, int32_t length) {
    static const std::map<int32_t, const char*> texts{
        {MCIERR_INVALID_DEVICE_ID, "Invalid device ID. Use the ID given to the device when it was opened."},
        {MCIERR_UNRECOGNIZED_KEYWORD, "The driver cannot recognize the specified command parameter."},
        {MCIERR_UNRECOGNIZED_COMMAND, "The driver cannot recognize the specified command."},
        {MCIERR_HARDWARE, "There is a problem with the audio output or the drive."},
        {MCIERR_INVALID_DEVICE_NAME, "The specified device is not open or is not recognized."},
        {MCIERR_MISSING_COMMAND_STRING, "No command was specified."},
        {MCIERR_PARAM_OVERFLOW, "The output string was too large to fit in the return buffer."},
        {MCIERR_BAD_INTEGER, "The specified integer is invalid for this command."},
        {MCIERR_MISSING_PARAMETER, "The specified command requires a parameter."},
        {MCIERR_UNSUPPORTED_FUNCTION, "The device cannot carry out the specified command."},
        {MCIERR_DEVICE_NOT_READY, "The device is not ready: there is no readable audio disc."},
        {MCIERR_INTERNAL, "An internal error occurred."},
        {MCIERR_OUTOFRANGE, "The specified parameter is out of range for the specified command."},
        {MCIERR_FLAGS_NOT_COMPATIBLE, "The specified parameters cannot be used together."},
        {MCIERR_DUPLICATE_ALIAS, "The specified alias is already used by an open device."},
        {MCIERR_BAD_TIME_FORMAT, "The specified time format is invalid."},
        {MCIERR_DUPLICATE_FLAGS, "A parameter or value was specified twice."},
        {MCIERR_NO_IDENTITY, "The disc has no product code."},
    };
    const auto found = texts.find(code);
    WriteReply(found == texts.end() ? std::string() : found->second, text, length);
    return found != texts.end();
}

void SetMciObserver(MciObserver observer) {
    Interpreter& in = TheInterpreter();
    std::lock_guard lock(in.mutex);
    in.observer = std::move(observer);
}

}  // namespace qxsound::platform
