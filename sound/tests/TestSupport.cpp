#include "TestSupport.h"

#include "LibraryContext.h"
#include "ModPlug.h"
#include "OpenALRoot.h"
#include "Performance.h"

#include <qxsound/modGlobal.h>

#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <unistd.h>

namespace qxtest {

using namespace qxsound::platform;

void SoundTest::TearDown() {
    qxsound::EndLibraryContext();
    SetDirectX8Factory({});
    SetModPlayerLibrary("libopenmpt.so.0");
    if (!dir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
}

std::shared_ptr<Recorder> SoundTest::UseRecordingPlatform() {
    auto recorder = std::make_shared<Recorder>();
    SetDirectX8Factory([recorder] { return MakeRecordingRoot(recorder); });
    return recorder;
}

void SoundTest::UseLoopback(int32_t sampleRate) {
    SetDirectX8Factory([sampleRate] { return CreateOpenALDirectX8(OpenALOptions{true, sampleRate}); });
}

std::filesystem::path SoundTest::Dir() {
    if (dir_.empty()) {
        static std::atomic<int> counter{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("qxsound-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(dir_);
    }
    return dir_;
}

std::vector<float> Sine(double seconds, double hz, int32_t sampleRate, int32_t channels, float amplitude) {
    const auto frames = static_cast<std::size_t>(seconds * sampleRate);
    std::vector<float> out(frames * static_cast<std::size_t>(channels));
    for (std::size_t f = 0; f < frames; ++f) {
        const auto v = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(f) / sampleRate));
        for (int32_t c = 0; c < channels; ++c) out[f * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] = v;
    }
    return out;
}

void WriteWav(const std::filesystem::path& path, const std::vector<float>& samples, int32_t channels,
              int32_t sampleRate, int32_t subformat) {
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = SF_FORMAT_WAV | subformat;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size() / static_cast<std::size_t>(channels)));
    sf_close(file);
}

Recording ReadRecording(const std::filesystem::path& path) {
    Recording r;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return r;
    std::vector<float> all(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, all.data(), info.frames);
    sf_close(file);
    r.rate = info.samplerate;
    for (std::size_t i = 0; i < all.size(); i += static_cast<std::size_t>(info.channels)) r.left.push_back(all[i]);
    return r;
}

std::vector<uint8_t> MidiBytes(int32_t beats, int32_t key, int32_t program) {
    constexpr int kDivision = 96;
    std::vector<uint8_t> track = {
        0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,                            // tempo 500000 us: 120 bpm
        0x00, 0xC0, static_cast<uint8_t>(program),                          // program change
        0x00, 0x90, static_cast<uint8_t>(key), 100,                         // note on
    };
    // Delta time of the note's length as a variable-length number.
    uint32_t delta = static_cast<uint32_t>(beats * kDivision);
    std::vector<uint8_t> vlq;
    vlq.push_back(static_cast<uint8_t>(delta & 0x7F));
    while (delta >>= 7) vlq.insert(vlq.begin(), static_cast<uint8_t>(0x80 | (delta & 0x7F)));
    track.insert(track.end(), vlq.begin(), vlq.end());
    track.insert(track.end(), {0x80, static_cast<uint8_t>(key), 0x40, 0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, kDivision, 'M', 'T', 'r', 'k'};
    const auto n = static_cast<uint32_t>(track.size());
    file.insert(file.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
                             static_cast<uint8_t>(n)});
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

namespace {

void AppendNumber(std::vector<uint8_t>& out, uint32_t v) {
    std::vector<uint8_t> vlq{static_cast<uint8_t>(v & 0x7F)};
    while (v >>= 7) vlq.insert(vlq.begin(), static_cast<uint8_t>(0x80 | (v & 0x7F)));
    out.insert(out.end(), vlq.begin(), vlq.end());
}

void AppendBig(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> SmfBytes(int32_t division, const std::vector<std::vector<MidiEventAt>>& tracks) {
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    AppendBig(file, static_cast<uint32_t>(tracks.size()), 2);
    AppendBig(file, static_cast<uint32_t>(division), 2);
    for (const auto& events : tracks) {
        std::vector<uint8_t> track;
        uint32_t tick = 0;
        for (const auto& e : events) {
            AppendNumber(track, e.tick - tick);
            tick = e.tick;
            track.insert(track.end(), e.bytes.begin(), e.bytes.end());
        }
        track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        AppendBig(file, static_cast<uint32_t>(track.size()), 4);
        file.insert(file.end(), track.begin(), track.end());
    }
    return file;
}

std::vector<uint8_t> ModBytes(int32_t rows) {
    constexpr int kSampleBytes = 32;  // one cycle; played at period 428, about 8287 samples a second
    std::vector<uint8_t> mod(20, 0);
    const char title[] = "qxsound test";
    std::copy(title, title + sizeof title - 1, mod.begin());
    for (int i = 0; i < 31; ++i) {
        std::vector<uint8_t> header(30, 0);
        if (i == 0) {
            header[23] = kSampleBytes / 2;  // length in words
            header[25] = 64;                // volume
            header[29] = kSampleBytes / 2;  // loop: all of it
        }
        mod.insert(mod.end(), header.begin(), header.end());
    }
    mod.push_back(1);    // song length: one pattern
    mod.push_back(127);  // restart
    mod.resize(mod.size() + 128, 0);
    mod.insert(mod.end(), {'M', '.', 'K', '.'});
    std::vector<uint8_t> pattern(64 * 4 * 4, 0);
    constexpr int kPeriod = 428;
    pattern[0] = static_cast<uint8_t>(kPeriod >> 8);  // row 0, channel 1: sample 1 at C-2
    pattern[1] = static_cast<uint8_t>(kPeriod & 0xFF);
    pattern[2] = 0x10;
    if (rows < 64) pattern[static_cast<std::size_t>(rows - 1) * 16 + 4 + 2] = 0x0D;  // channel 2: pattern break
    mod.insert(mod.end(), pattern.begin(), pattern.end());
    for (int i = 0; i < kSampleBytes; ++i)
        mod.push_back(static_cast<uint8_t>(static_cast<int8_t>(std::lround(100 * std::sin(2 * std::numbers::pi * i / kSampleBytes)))));
    return mod;
}

std::filesystem::path WriteCdImage(const std::filesystem::path& dir, const std::string& name,
                                   const std::vector<int32_t>& seconds, const std::vector<double>& hz,
                                   const std::string& catalog) {
    std::ofstream bin(dir / (name + ".bin"), std::ios::binary);
    std::ostringstream cue;
    if (!catalog.empty()) cue << "CATALOG " << catalog << "\r\n";
    cue << "FILE \"" << name << ".bin\" BINARY\r\n";
    int32_t sector = 0;
    for (std::size_t t = 0; t < seconds.size(); ++t) {
        const bool data = hz[t] <= 0;
        char index[96];
        std::snprintf(index, sizeof index, "  TRACK %02zu %s\r\n    INDEX 01 %02d:%02d:%02d\r\n", t + 1,
                      data ? "MODE1/2352" : "AUDIO", sector / 4500, sector / 75 % 60, sector % 75);
        cue << index;
        std::vector<int16_t> pcm;
        if (data) {
            pcm.resize(static_cast<std::size_t>(seconds[t]) * 44100 * 2);
            for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(i * 2654435761u >> 16);
        } else {
            const auto tone = Sine(seconds[t], hz[t], 44100, 2);
            pcm.resize(tone.size());
            std::transform(tone.begin(), tone.end(), pcm.begin(), [](float v) { return static_cast<int16_t>(std::lround(v * 32767)); });
        }
        bin.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(pcm.size() * sizeof(int16_t)));
        sector += seconds[t] * 75;
    }
    const auto path = dir / (name + ".cue");
    std::ofstream(path, std::ios::binary) << cue.str();
    return path;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::shared_ptr<OpenALDevice> OutputDevice() {
    auto device = std::dynamic_pointer_cast<OpenALDirectSound>(qxsound::Context().outputDevice);
    return device ? device->Device() : nullptr;
}

std::shared_ptr<OpenALDevice> PerformanceDevice() {
    auto performance = std::dynamic_pointer_cast<OpenALPerformance>(qxsound::Context().performance);
    return performance ? performance->Device() : nullptr;
}

std::vector<float> Render(OpenALDevice& device, double seconds) {
    const auto frames = static_cast<int32_t>(seconds * device.SampleRate());
    std::vector<float> out(2 * static_cast<std::size_t>(frames));
    device.RenderLoopback(out.data(), frames);
    return out;
}

double SoundingSeconds(const std::vector<float>& stereo, int32_t sampleRate) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < stereo.size(); ++i)
        if (std::fabs(stereo[i]) > 0.01f) last = i / 2 + 1;
    return static_cast<double>(last) / sampleRate;
}

float Rms(const std::vector<float>& s, std::size_t from, std::size_t to) {
    to = std::min(to, s.size());
    if (from >= to) return 0.0f;
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
    return static_cast<float>(std::sqrt(sum / static_cast<double>(to - from)));
}

float Peak(const std::vector<float>& s, std::size_t from, std::size_t to) {
    to = std::min(to, s.size());
    float peak = 0.0f;
    for (std::size_t i = from; i < to; ++i) peak = std::max(peak, std::fabs(s[i]));
    return peak;
}

}  // namespace qxtest
