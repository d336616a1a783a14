// Independent readers for the generated audio files, used to check them as a player would load them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvane::assets::audio::readers {

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& file);

struct WavData {
    int format = 0;  // 1 = PCM
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::uint32_t byteRate = 0;
    int blockAlign = 0;
    std::vector<double> samples;  // first channel, scaled to [-1, 1)
    double Seconds() const { return sampleRate ? static_cast<double>(samples.size()) / sampleRate : 0.0; }
};

// Parses a RIFF WAVE file; throws std::runtime_error naming the first inconsistency found.
WavData ParseWav(const std::vector<std::uint8_t>& bytes);

struct MidiNote {
    int channel;
    int pitch;
    std::uint32_t on;
    std::uint32_t off;
};

struct MidiData {
    int format = 0;
    int division = 0;
    int trackCount = 0;
    std::vector<std::uint32_t> trackEnds;  // tick of each track's end-of-track event
    std::vector<std::pair<std::uint32_t, std::uint32_t>> tempos;  // (tick, microseconds per quarter)
    int beatsPerBar = 0, beatUnit = 0;                            // first time signature
    bool hasKeySignature = false;
    int keySharps = 0;
    bool keyMinor = false;
    std::vector<std::pair<int, int>> programs;       // (channel, program) set at tick 0
    std::vector<int> lateProgramChannels;            // channels given a program after tick 0
    std::vector<MidiNote> notes;
    std::vector<std::string> problems;  // unmatched or overlapping notes

    std::uint32_t EndTick() const;
    double Seconds() const;  // of EndTick, following the tempo map
    int ProgramOf(int channel) const;  // -1 when none is set
};

// Parses a Standard MIDI File (running status, meta and system-exclusive events); throws
// std::runtime_error on malformed data.
MidiData ParseMidi(const std::vector<std::uint8_t>& bytes);

}  // namespace orvane::assets::audio::readers
