#include "audio/MidiFile.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace orvane::assets::audio {

void AppendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
    if (value > 0x0FFFFFFF) throw std::out_of_range("MIDI delta time too large");
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

namespace {

std::uint8_t Data7(int value) {
    if (value < 0 || value > 127) throw std::out_of_range("MIDI data byte out of range");
    return static_cast<std::uint8_t>(value);
}

std::uint8_t Status(int kind, int channel) {
    if (channel < 0 || channel > 15) throw std::out_of_range("MIDI channel out of range");
    return static_cast<std::uint8_t>(kind | channel);
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

enum Order { kMeta = 0, kSetup = 1, kNoteOff = 2, kNoteOn = 3 };

}  // namespace

void MidiTrack::Add(std::uint32_t tick, int order, std::vector<std::uint8_t> bytes) {
    events_.push_back({tick, order, static_cast<std::uint32_t>(events_.size()), std::move(bytes)});
}

void MidiTrack::AddNote(std::uint32_t tick, std::uint32_t length, int channel, int note, int velocity) {
    if (length == 0 || velocity < 1) throw std::invalid_argument("a note needs a length and a velocity");
    Add(tick, kNoteOn, {Status(0x90, channel), Data7(note), Data7(velocity)});
    Add(tick + length, kNoteOff, {Status(0x90, channel), Data7(note), 0});
}

void MidiTrack::AddProgram(std::uint32_t tick, int channel, int program) {
    Add(tick, kSetup, {Status(0xC0, channel), Data7(program)});
}

void MidiTrack::AddController(std::uint32_t tick, int channel, int controller, int value) {
    Add(tick, kSetup, {Status(0xB0, channel), Data7(controller), Data7(value)});
}

void MidiTrack::AddTempo(std::uint32_t tick, double beatsPerMinute) {
    const auto micros = static_cast<std::uint32_t>(std::lround(60'000'000.0 / beatsPerMinute));
    Add(tick, kMeta,
        {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(micros >> 16), static_cast<std::uint8_t>(micros >> 8),
         static_cast<std::uint8_t>(micros)});
}

void MidiTrack::AddTimeSignature(std::uint32_t tick, int numerator, int denominator) {
    int power = 0;
    while ((1 << power) < denominator) ++power;
    if ((1 << power) != denominator) throw std::invalid_argument("time signature denominator must be a power of two");
    Add(tick, kMeta, {0xFF, 0x58, 0x04, Data7(numerator), static_cast<std::uint8_t>(power), 24, 8});
}

void MidiTrack::AddKeySignature(std::uint32_t tick, int sharps, bool minor) {
    if (sharps < -7 || sharps > 7) throw std::out_of_range("key signature out of range");
    Add(tick, kMeta, {0xFF, 0x59, 0x02, static_cast<std::uint8_t>(static_cast<std::int8_t>(sharps)),
                      static_cast<std::uint8_t>(minor ? 1 : 0)});
}

std::uint32_t MidiTrack::LastTick() const {
    std::uint32_t last = 0;
    for (const auto& e : events_) last = std::max(last, e.tick);
    return last;
}

std::vector<std::uint8_t> MidiTrack::Encode(std::uint32_t endTick) const {
    if (LastTick() > endTick) throw std::invalid_argument("MIDI event after the end of track");
    std::vector<const Event*> sorted;
    for (const auto& e : events_) sorted.push_back(&e);
    std::sort(sorted.begin(), sorted.end(), [](const Event* a, const Event* b) {
        if (a->tick != b->tick) return a->tick < b->tick;
        if (a->order != b->order) return a->order < b->order;
        return a->sequence < b->sequence;
    });

    std::vector<std::uint8_t> body;
    // Track name.
    AppendVarLen(body, 0);
    body.push_back(0xFF);
    body.push_back(0x03);
    AppendVarLen(body, static_cast<std::uint32_t>(name_.size()));
    body.insert(body.end(), name_.begin(), name_.end());

    std::uint32_t now = 0;
    std::uint8_t runningStatus = 0;
    for (const Event* e : sorted) {
        AppendVarLen(body, e->tick - now);
        now = e->tick;
        const std::uint8_t status = e->bytes.front();
        if (status >= 0xF0) {
            runningStatus = 0;  // meta and system events cancel running status
            body.insert(body.end(), e->bytes.begin(), e->bytes.end());
        } else if (status == runningStatus) {
            body.insert(body.end(), e->bytes.begin() + 1, e->bytes.end());
        } else {
            runningStatus = status;
            body.insert(body.end(), e->bytes.begin(), e->bytes.end());
        }
    }
    AppendVarLen(body, endTick - now);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});

    std::vector<std::uint8_t> chunk = {'M', 'T', 'r', 'k'};
    Put32(chunk, static_cast<std::uint32_t>(body.size()));
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

MidiTrack& MidiFile::AddTrack(std::string name) {
    tracks_.emplace_back(std::move(name));
    return tracks_.back();
}

std::vector<std::uint8_t> MidiFile::Encode(std::uint32_t endTick) const {
    std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    out.push_back(static_cast<std::uint8_t>(tracks_.size() >> 8));
    out.push_back(static_cast<std::uint8_t>(tracks_.size()));
    out.push_back(static_cast<std::uint8_t>(division_ >> 8));
    out.push_back(static_cast<std::uint8_t>(division_));
    for (const auto& track : tracks_) {
        const auto chunk = track.Encode(endTick);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

}  // namespace orvane::assets::audio
