// Play-to-first-sample latency on real-time outputs that record what they mix: OpenAL Soft's "wave"
// backend (a raw static source, the library's streamed SoundDx8 of a wave file and of a MIDI file
// synthesised as it plays, on one device) and SDL's "disk"
// driver (SDL_mixer), each mixing whole periods of 256, 1024 or 4096 frames on its own clock.
//
// The backend is chosen when the first device opens, so each period runs in a child process of this
// program. The child plays each player out of silence a number of times, noting the wall time of
// every Play, while a MixClock notes when each period was mixed (OpenAL's device clock, SDL's
// post-mix hook); afterwards the recording is searched for the onsets, and a latency is the time from
// Play to the mixing of the period that holds the first sample.
#include "RealTimeLatency.h"

#include "LibraryContext.h"
#include "OpenALDevice.h"
#include "OpenALRoot.h"

#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/modGlobal.h>

#include <AL/al.h>
#include <AL/alext.h>
#include <benchmark/benchmark.h>
#include <sndfile.h>

#ifdef QXSOUND_BENCH_SDL_MIXER
#include <SDL.h>
#include <SDL_mixer.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <numbers>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace qxsound;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int32_t kRate = 44100;
constexpr int kTrials = 10;
constexpr const char* kChildFlag = "--realtime-latency-child";
const int32_t kPeriods[] = {256, 1024, 4096};

std::filesystem::path WorkDir(int32_t period) {
    auto dir = std::filesystem::temp_directory_path() / ("qxsound-bench-rt-" + std::to_string(period));
    std::filesystem::create_directories(dir);
    return dir;
}

std::vector<float> Tone(double seconds) {
    std::vector<float> s(static_cast<std::size_t>(seconds * kRate));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = 0.3f * static_cast<float>(std::sin(2 * std::numbers::pi * 440.0 * static_cast<double>(i + 1) / kRate));
    return s;
}

// When the device mixed what: (seconds since the origin, frames mixed by then), noted as mixing goes on.
class MixClock {
public:
    void Mixed(double at, int64_t frames) {
        std::lock_guard lock(mutex_);
        if (marks_.empty() || marks_.back().second != frames) marks_.emplace_back(at, frames);
    }
    // Seconds from each Play to the mixing of the first sound after it in `left` (the recording).
    std::vector<double> Latencies(const std::vector<float>& left, const std::vector<double>& plays) {
        std::lock_guard lock(mutex_);
        std::vector<double> latencies;
        for (double played : plays) {
            // The first frame mixed after Play.
            auto mark = std::find_if(marks_.begin(), marks_.end(), [&](const auto& m) { return m.first >= played; });
            if (mark == marks_.begin() || mark == marks_.end()) continue;
            auto i = static_cast<std::size_t>(std::prev(mark)->second);
            while (i < left.size() && std::fabs(left[i]) < 1e-3f) ++i;
            mark = std::find_if(marks_.begin(), marks_.end(), [&](const auto& m) { return m.second > static_cast<int64_t>(i); });
            if (i < left.size() && mark != marks_.end()) latencies.push_back(mark->first - played);
        }
        return latencies;
    }

private:
    std::mutex mutex_;
    std::vector<std::pair<double, int64_t>> marks_;
};

double Since(Clock::time_point origin) { return std::chrono::duration<double>(Clock::now() - origin).count(); }

// Plays `start`/`stop` out of silence kTrials times, each for `hold` seconds; returns the Play
// times since `origin`.
template <typename Start, typename Stop>
std::vector<double> Trials(Clock::time_point origin, double quiet, double hold, Start start, Stop stop) {
    std::vector<double> plays;
    for (int i = 0; i < kTrials; ++i) {
        // A varying phase against the device's period, so the mean covers where in a period Play lands.
        std::this_thread::sleep_for(std::chrono::duration<double>(quiet + 0.0013 * i));
        plays.push_back(Since(origin));
        start();
        std::this_thread::sleep_for(std::chrono::duration<double>(hold));
        stop();
    }
    return plays;
}

std::vector<float> LeftOfWav(const std::filesystem::path& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return {};
    std::vector<float> all(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(f, all.data(), info.frames);
    sf_close(f);
    std::vector<float> left;
    for (std::size_t i = 0; i < all.size(); i += static_cast<std::size_t>(info.channels)) left.push_back(all[i]);
    return left;
}

void Print(std::ostream& out, const char* player, const std::vector<double>& latencies) {
    out << player;
    for (double l : latencies) out << ' ' << l;
    out << '\n';
}

// Child: raw OpenAL and SoundDx8 on the wave backend at `period`.
void OpenALChild(int32_t period, std::ostream& out) {
    const auto dir = WorkDir(period);
    const auto conf = dir / "alsoft.conf";
    const auto recording = dir / "openal.wav";
    std::ofstream(conf) << "[general]\ndrivers=wave\nfrequency=" << kRate << "\nperiod_size=" << period
                        << "\n[wave]\nfile=" << recording.string() << "\n";
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    unsetenv("ALSOFT_DRIVERS");

    const auto toneFile = dir / "tone.wav";
    {
        SF_INFO info{};
        info.channels = 1;
        info.samplerate = kRate;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* f = sf_open(toneFile.c_str(), SFM_WRITE, &info);
        const auto tone = Tone(0.5);
        sf_writef_float(f, tone.data(), static_cast<sf_count_t>(tone.size()));
        sf_close(f);
    }
    // A piano note struck at once and held, at full velocity.
    const auto midiFile = dir / "note.mid";
    {
        const std::vector<uint8_t> smf = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0,
                                          0, 13, 0x00, 0x90, 60, 127, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
        std::ofstream(midiFile, std::ios::binary).write(reinterpret_cast<const char*>(smf.data()),
                                                        static_cast<std::streamsize>(smf.size()));
    }
    std::vector<double> raw, streamed, midi;
    MixClock clock;
    {
        auto engine = std::make_shared<SoundEngine8>();
        const auto origin = Clock::now();
        auto device = std::dynamic_pointer_cast<platform::OpenALDirectSound>(Context().outputDevice)->Device();
        std::atomic<bool> stop{false};
        std::thread watcher([&] {
            while (!stop) {
                ALCint64SOFT ns = 0;
                alcGetInteger64vSOFT(device->Device(), ALC_DEVICE_CLOCK_SOFT, 1, &ns);
                clock.Mixed(Since(origin), ns * kRate / 1000000000);
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        });
        ALuint buffer = 0, source = 0;
        {
            platform::ContextGuard guard(*device);
            const auto tone = Tone(0.5);
            alGenBuffers(1, &buffer);
            alBufferData(buffer, AL_FORMAT_MONO_FLOAT32, tone.data(), static_cast<ALsizei>(tone.size() * sizeof(float)),
                         kRate);
            alGenSources(1, &source);
            alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
        }
        SoundDx8 sound, music;
        sound.Load(toneFile.string());
        music.Load(midiFile.string());
        // Silence between trials covers a stopped stream's queue playing out.
        const double quiet = 0.1 + 3.0 * period / kRate;
        const double hold = 0.03 + 2.0 * period / kRate;  // so that a mix always falls between Play and Stop
        raw = Trials(
            origin, quiet, hold,
            [&] {
                platform::ContextGuard guard(*device);
                alSourcePlay(source);
            },
            [&] {
                platform::ContextGuard guard(*device);
                alSourceStop(source);
            });
        streamed = Trials(origin, quiet, hold, [&] { sound.Play(); }, [&] { sound.Stop_(); });
        midi = Trials(origin, quiet, hold, [&] { music.Play(); }, [&] { music.Stop_(); });
        std::this_thread::sleep_for(std::chrono::duration<double>(quiet));
        stop = true;
        watcher.join();
        {
            platform::ContextGuard guard(*device);
            alDeleteSources(1, &source);
            alDeleteBuffers(1, &buffer);
        }
        device.reset();
    }
    EndLibraryContext();
    const auto left = LeftOfWav(recording);
    Print(out, "raw_openal", clock.Latencies(left, raw));
    Print(out, "qxsound_stream", clock.Latencies(left, streamed));
    Print(out, "qxsound_midi", clock.Latencies(left, midi));
}

#ifdef QXSOUND_BENCH_SDL_MIXER
struct SdlMixWatch {
    MixClock clock;
    Clock::time_point origin;
    int64_t frames = 0;
};

void SdlPostMix(void* watch, Uint8*, int bytes) {
    auto& w = *static_cast<SdlMixWatch*>(watch);
    w.frames += bytes / 4;
    w.clock.Mixed(Since(w.origin), w.frames);
}

// Child: SDL_mixer on SDL's disk driver at `period` (its chunk size).
void SdlChild(int32_t period, std::ostream& out) {
    const auto recording = WorkDir(period) / "sdl.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", recording.c_str(), 1);
    SDL_Init(SDL_INIT_AUDIO);
    if (Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, period) != 0) return;
    SdlMixWatch watch;
    watch.origin = Clock::now();
    const auto origin = watch.origin;
    Mix_SetPostMix(SdlPostMix, &watch);
    const auto tone = Tone(0.5);
    std::vector<int16_t> pcm(2 * tone.size());  // the device's format: stereo 16-bit
    for (std::size_t i = 0; i < tone.size(); ++i)
        pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(std::lrint(tone[i] * 32767.0f));
    Mix_Chunk* chunk = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(pcm.data()), static_cast<Uint32>(pcm.size() * 2));
    const double quiet = 0.1 + 3.0 * period / kRate;
    const double hold = 0.03 + 2.0 * period / kRate;
    const auto plays = Trials(origin, quiet, hold, [&] { Mix_PlayChannel(0, chunk, -1); }, [&] { Mix_HaltChannel(0); });
    std::this_thread::sleep_for(std::chrono::duration<double>(quiet));
    Mix_CloseAudio();  // the hook stays until the mixing has stopped
    Mix_FreeChunk(chunk);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::ifstream in(recording, std::ios::binary);
    std::vector<float> left;
    int16_t frame[2];
    while (in.read(reinterpret_cast<char*>(frame), sizeof frame)) left.push_back(frame[0] / 32768.0f);
    // Periods mixed before the hook was set are in the recording but not on the clock.
    const auto uncounted = std::min<std::size_t>(left.size(), left.size() - static_cast<std::size_t>(watch.frames));
    left.erase(left.begin(), left.begin() + static_cast<std::ptrdiff_t>(uncounted));
    Print(out, "sdl_mixer", watch.clock.Latencies(left, plays));
}
#endif

// Latencies per player at `period`, from child processes run once and remembered.
const std::map<std::string, std::vector<double>>& Measured(int32_t period) {
    static std::map<int32_t, std::map<std::string, std::vector<double>>> cache;
    auto it = cache.find(period);
    if (it != cache.end()) return it->second;
    auto& results = cache[period];
    const auto report = WorkDir(period) / "report.txt";
    for (const char* kind : {"openal", "sdl"}) {
        const std::string command = std::filesystem::read_symlink("/proc/self/exe").string() + " " + kChildFlag + " " +
                                    kind + " " + std::to_string(period) + " > " + report.string();
        if (std::system(command.c_str()) != 0) continue;
        std::ifstream in(report);
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            std::string player;
            words >> player;
            for (double l; words >> l;) results[player].push_back(l);
        }
    }
    return results;
}

void BM_RealTimePlayToFirstSample(benchmark::State& state, std::string player, int32_t period) {
    const auto& results = Measured(period);
    const auto it = results.find(player);
    if (it == results.end() || it->second.empty()) {
        state.SkipWithError(("no recording of " + player).c_str());
        for (auto _ : state) {
        }
        return;
    }
    const auto& latencies = it->second;
    std::size_t trial = 0;
    for (auto _ : state) state.SetIterationTime(latencies[trial++ % latencies.size()]);
    double sum = 0.0;
    for (double l : latencies) sum += l;
    state.counters["latency_ms"] = 1000.0 * sum / static_cast<double>(latencies.size());
    state.counters["max_ms"] = 1000.0 * *std::max_element(latencies.begin(), latencies.end());
    state.counters["period_ms"] = 1000.0 * period / kRate;
}

}  // namespace

bool RunRealTimeLatencyChild(int argc, char** argv) {
    if (argc != 4 || std::string(argv[1]) != kChildFlag) return false;
    const int32_t period = std::atoi(argv[3]);
    const std::string kind = argv[2];
    if (kind == "openal") OpenALChild(period, std::cout);
#ifdef QXSOUND_BENCH_SDL_MIXER
    if (kind == "sdl") SdlChild(period, std::cout);
#endif
    return true;
}

void RegisterRealTimeLatency() {
    std::vector<std::string> players = {"raw_openal", "qxsound_stream", "qxsound_midi"};
#ifdef QXSOUND_BENCH_SDL_MIXER
    players.push_back("sdl_mixer");
#endif
    for (int32_t period : kPeriods) {
        for (const auto& player : players) {
            benchmark::RegisterBenchmark(("BM_RealTimePlayToFirstSample/" + player + "/" + std::to_string(period)).c_str(),
                                         BM_RealTimePlayToFirstSample, player, period)
                ->UseManualTime()
                ->Iterations(kTrials)
                ->Unit(benchmark::kMillisecond);
        }
    }
}
