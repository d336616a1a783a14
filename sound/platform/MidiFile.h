// Standard MIDI files read for synthesis while they play: the header and every track are checked
// (FluidSynth accepts garbage until it plays it), the tracks merged into one timeline of events in
// seconds, and the length worked out from the ticks. Nothing is synthesised here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qxsound::platform {

struct MidiEvent {
    double seconds;   // from the start, by the file's tempo map
    uint32_t tick;    // in the file's division
    uint8_t status;   // a channel message (0x80..0xEF), or 0xF0 for a system-exclusive message
    uint8_t data1;
    uint8_t data2;
    uint32_t sysex;   // 0xF0: offset of the message's bytes in SysexBytes(); their count is in sysexLength
    uint32_t sysexLength;

    bool IsNote() const noexcept { return (status & 0xE0) == 0x80; }  // note on or off
};

class MidiFile {
public:
    // Throws qxsound::Error (DMUS_E_LOADER_FORMATNOTSUPPORTED) for a damaged or unsupported file.
    MidiFile(const std::vector<uint8_t>& smf, const std::string& fileName);

    int32_t Division() const noexcept { return division_; }
    // The end of the longest track, in the file's ticks and in music time (768 ticks a beat).
    uint32_t Ticks() const noexcept { return ticks_; }
    int32_t MusicTimeLength() const noexcept;
    // Seconds from the start at music time `musicTime` (past the last tempo change its tempo holds).
    double SecondsAt(double musicTime) const noexcept;
    // Every channel and system-exclusive event, ordered by time (then track, then file order).
    const std::vector<MidiEvent>& Events() const noexcept { return events_; }
    const std::vector<char>& SysexBytes() const noexcept { return sysex_; }

private:
    struct Tempo {
        uint32_t tick;
        double seconds;            // at `tick`
        double secondsPerTick;
    };
    // Appends the track's events; tempo changes go to `tempi` as (tick, microseconds a beat).
    void ReadTrack(const std::vector<uint8_t>& d, std::size_t at, std::size_t end,
                   std::vector<std::pair<uint32_t, uint32_t>>& tempi);
    double SecondsAtTick(double tick) const noexcept;

    std::string fileName_;
    int32_t division_ = 96;
    uint32_t ticks_ = 0;
    std::vector<Tempo> tempo_;
    std::vector<MidiEvent> events_;
    std::vector<char> sysex_;
};

}  // namespace qxsound::platform
