// Shared helpers of the QXSound tests: a fixture that leaves the library context and the platform
// hooks as it found them, generated WAV and MIDI files, loopback rendering and signal measures.
#pragma once

#include "OpenALDevice.h"
#include "RecordingPlatform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace qxtest {

class SoundTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Engines created from now on use a recording fake of the platform.
    std::shared_ptr<Recorder> UseRecordingPlatform();
    // Engines created from now on render through OpenAL Soft loopback devices (stereo float).
    void UseLoopback(int32_t sampleRate = 44100);

    // A fresh directory for the test's files, removed afterwards.
    std::filesystem::path Dir();

private:
    std::filesystem::path dir_;
};

// Interleaved samples of a sine wave.
std::vector<float> Sine(double seconds, double hz, int32_t sampleRate, int32_t channels, float amplitude = 0.5f);

// Writes a WAV file with libsndfile; `subformat` is an SF_FORMAT_PCM_* / SF_FORMAT_FLOAT value.
void WriteWav(const std::filesystem::path& path, const std::vector<float>& samples, int32_t channels,
              int32_t sampleRate, int32_t subformat);

// A sound file's left channel (the only one of a mono file).
struct Recording {
    std::vector<float> left;
    int32_t rate = 0;
};
// Empty (rate 0) when the file cannot be read.
Recording ReadRecording(const std::filesystem::path& path);

// A format-0 MIDI file at 120 beats per minute: one note (key, velocity) held for `beats`.
std::vector<uint8_t> MidiBytes(int32_t beats, int32_t key = 60, int32_t program = 0);
// A four-channel ProTracker module ("M.K.") holding one looped sine sample: one pattern of `rows`
// rows (1 to 64) at speed 6, 125 BPM (20 ms a tick, so 120 ms a row), a steady tone of about 259 Hz
// held from the first row to the end.
std::vector<uint8_t> ModBytes(int32_t rows = 8);
// An audio CD image in `dir`: "<name>.bin" with one steady sine tone a track (track i at
// `hz[i]`, amplitude 0.5, `seconds[i]` long, whole seconds; a data track of noise where `hz[i]` is
// 0) and the cue sheet "<name>.cue",
// with a CATALOG line when `catalog` is not empty. Returns the cue sheet's path.
std::filesystem::path WriteCdImage(const std::filesystem::path& dir, const std::string& name,
                                   const std::vector<int32_t>& seconds, const std::vector<double>& hz,
                                   const std::string& catalog = "");
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// One event of a track: its tick and its bytes (status included).
struct MidiEventAt {
    uint32_t tick;
    std::vector<uint8_t> bytes;
};
// A format-1 file of `tracks` (events in time order each), ending each track at its last event.
std::vector<uint8_t> SmfBytes(int32_t division, const std::vector<std::vector<MidiEventAt>>& tracks);

// The OpenAL devices behind the context's output device and performance.
std::shared_ptr<qxsound::platform::OpenALDevice> OutputDevice();
std::shared_ptr<qxsound::platform::OpenALDevice> PerformanceDevice();

// Renders `seconds` from a loopback device (stereo interleaved).
std::vector<float> Render(qxsound::platform::OpenALDevice& device, double seconds);

// Seconds from the start of a stereo rendering to the last sample of a tone.
double SoundingSeconds(const std::vector<float>& stereo, int32_t sampleRate);

float Rms(const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX);
float Peak(const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX);

}  // namespace qxtest
