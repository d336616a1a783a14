#include "MidiFile.h"

#include "DirectMusic.h"

#include <qxsound/Error.h>

#include <algorithm>

namespace qxsound::platform {

namespace {

constexpr uint32_t kDefaultMicrosecondsPerBeat = 500000;  // 120 beats per minute

uint32_t ReadBig(const std::vector<uint8_t>& d, std::size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | d[at + static_cast<std::size_t>(i)];
    return v;
}

}  // namespace

MidiFile::MidiFile(const std::vector<uint8_t>& d, const std::string& fileName) : fileName_(fileName) {
    const auto bad = [&](const std::string& why) {
        return Error(DMUS_E_LOADER_FORMATNOTSUPPORTED, "\"" + fileName + "\" is not a usable MIDI file: " + why);
    };
    if (d.size() < 14 || std::string(d.begin(), d.begin() + 4) != "MThd") throw bad("no MThd header");
    const uint32_t headerLength = ReadBig(d, 4, 4);
    if (headerLength < 6 || 8 + static_cast<std::size_t>(headerLength) > d.size()) throw bad("bad header length");
    const uint32_t format = ReadBig(d, 8, 2);
    const uint32_t tracks = ReadBig(d, 10, 2);
    const uint32_t division = ReadBig(d, 12, 2);
    if (format > 2) throw bad("unknown format " + std::to_string(format));
    if (tracks == 0) throw bad("no tracks");
    if (division == 0 || (division & 0x8000)) throw bad("only tick divisions are supported");
    division_ = static_cast<int32_t>(division);

    std::vector<std::pair<uint32_t, uint32_t>> tempi;  // (tick, microseconds a beat)
    std::size_t at = 8 + headerLength;
    uint32_t found = 0;
    while (at + 8 <= d.size()) {
        const uint32_t length = ReadBig(d, at + 4, 4);
        if (at + 8 + static_cast<std::size_t>(length) > d.size()) throw bad("truncated chunk");
        if (std::equal(d.begin() + static_cast<std::ptrdiff_t>(at), d.begin() + static_cast<std::ptrdiff_t>(at) + 4,
                       "MTrk")) {
            ReadTrack(d, at + 8, at + 8 + length, tempi);
            ++found;
        }
        at += 8 + length;
    }
    if (at != d.size() || found < tracks) throw bad("truncated file");
    if (static_cast<int64_t>(ticks_) * DMUS_PPQ / division_ > INT32_MAX) throw bad("longer than music time counts");

    // Tracks were appended one after another: a stable sort keeps track and file order at a tick.
    std::stable_sort(events_.begin(), events_.end(), [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    std::stable_sort(tempi.begin(), tempi.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    tempo_.push_back({0, 0.0, kDefaultMicrosecondsPerBeat * 1e-6 / division_});
    for (const auto& [tick, microseconds] : tempi) {
        const Tempo& last = tempo_.back();
        const Tempo next{tick, last.seconds + (tick - last.tick) * last.secondsPerTick, microseconds * 1e-6 / division_};
        if (tick == last.tick)
            tempo_.back() = next;
        else
            tempo_.push_back(next);
    }
    for (MidiEvent& e : events_) e.seconds = SecondsAtTick(e.tick);
}

void MidiFile::ReadTrack(const std::vector<uint8_t>& d, std::size_t at, std::size_t end,
                         std::vector<std::pair<uint32_t, uint32_t>>& tempi) {
    const auto bad = [&](const std::string& why) {
        return Error(DMUS_E_LOADER_FORMATNOTSUPPORTED, "\"" + fileName_ + "\" is not a usable MIDI file: " + why);
    };
    const auto byte = [&]() -> uint8_t {
        if (at >= end) throw bad("a track ends inside an event");
        return d[at++];
    };
    const auto number = [&]() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t b = byte();
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80)) return v;
        }
        throw bad("a variable-length number is longer than four bytes");
    };
    uint64_t tick = 0;
    uint8_t running = 0;
    while (at < end) {
        tick += number();
        if (tick > UINT32_MAX / 2) throw bad("a track is too long");
        uint8_t status = byte();
        if (status < 0x80) {
            if (!running) throw bad("a data byte without a status");
            status = running;
            --at;
        }
        if (status == 0xFF) {
            running = 0;
            const uint8_t type = byte();
            const uint32_t length = number();
            if (length > end - at) throw bad("a meta event runs past its track");
            if (type == 0x51 && length == 3) tempi.emplace_back(static_cast<uint32_t>(tick), ReadBig(d, at, 3));
            at += length;
            if (type == 0x2F) break;  // end of track
        } else if (status == 0xF0 || status == 0xF7) {
            running = 0;
            uint32_t length = number();
            if (length > end - at) throw bad("a system-exclusive message runs past its track");
            const std::size_t from = at;
            at += length;
            if (status == 0xF0 && length > 0 && d[at - 1] == 0xF7) --length;  // the synth takes it without F0 .. F7
            if (length > 0) {
                events_.push_back({0.0, static_cast<uint32_t>(tick), 0xF0, 0, 0, static_cast<uint32_t>(sysex_.size()), length});
                sysex_.insert(sysex_.end(), d.begin() + static_cast<std::ptrdiff_t>(from),
                              d.begin() + static_cast<std::ptrdiff_t>(from + length));
            }
        } else if (status >= 0xF1) {
            throw bad("a system real-time or common message inside a track");
        } else {
            running = status;
            const uint8_t data1 = byte();
            const bool twoBytes = (status & 0xF0) != 0xC0 && (status & 0xF0) != 0xD0;
            const uint8_t data2 = twoBytes ? byte() : 0;
            if ((data1 | data2) & 0x80) throw bad("a data byte above 127");
            events_.push_back({0.0, static_cast<uint32_t>(tick), status, data1, data2, 0, 0});
        }
    }
    ticks_ = std::max(ticks_, static_cast<uint32_t>(tick));
}

int32_t MidiFile::MusicTimeLength() const noexcept {
    return static_cast<int32_t>(static_cast<int64_t>(ticks_) * DMUS_PPQ / division_);
}

double MidiFile::SecondsAtTick(double tick) const noexcept {
    auto it = std::upper_bound(tempo_.begin(), tempo_.end(), tick, [](double t, const Tempo& p) { return t < p.tick; });
    const Tempo& tempo = *(it - 1);  // the first entry is at tick 0
    return tempo.seconds + (tick - tempo.tick) * tempo.secondsPerTick;
}

double MidiFile::SecondsAt(double musicTime) const noexcept {
    return SecondsAtTick(musicTime * division_ / DMUS_PPQ);
}

}  // namespace qxsound::platform
