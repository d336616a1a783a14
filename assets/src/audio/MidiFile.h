// Standard MIDI File writing: tracks of timed events encoded with variable-length delta times and
// running status.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::assets::audio {

// Appends the variable-length quantity encoding of value (at most 0x0FFFFFFF).
void AppendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value);

class MidiTrack {
public:
    explicit MidiTrack(std::string name) : name_(std::move(name)) {}

    // Note on at `tick`, note off at `tick + length` (sent as note on with velocity 0).
    void AddNote(std::uint32_t tick, std::uint32_t length, int channel, int note, int velocity);
    void AddProgram(std::uint32_t tick, int channel, int program);
    void AddController(std::uint32_t tick, int channel, int controller, int value);
    void AddTempo(std::uint32_t tick, double beatsPerMinute);
    void AddTimeSignature(std::uint32_t tick, int numerator, int denominator);
    void AddKeySignature(std::uint32_t tick, int sharps, bool minor);

    // The "MTrk" chunk; the end-of-track event sits at endTick, which must not precede any event.
    std::vector<std::uint8_t> Encode(std::uint32_t endTick) const;
    std::uint32_t LastTick() const;
    bool Empty() const { return events_.empty(); }

private:
    struct Event {
        std::uint32_t tick;
        int order;  // at one tick: meta and set-up first, then note offs, then note ons
        std::uint32_t sequence;
        std::vector<std::uint8_t> bytes;
    };
    void Add(std::uint32_t tick, int order, std::vector<std::uint8_t> bytes);

    std::string name_;
    std::vector<Event> events_;
};

class MidiFile {
public:
    explicit MidiFile(int ticksPerQuarter) : division_(ticksPerQuarter) {}
    MidiTrack& AddTrack(std::string name);
    int Division() const { return division_; }
    // Format 1; every track ends at endTick.
    std::vector<std::uint8_t> Encode(std::uint32_t endTick) const;

private:
    int division_;
    std::vector<MidiTrack> tracks_;
};

}  // namespace orvane::assets::audio
