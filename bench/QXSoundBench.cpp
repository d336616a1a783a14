// QXSound benchmarks, each beside raw OpenAL Soft sources in the same run:
//  - mixing cost: process CPU time per second of rendered audio per playing voice, at 16, 64 and 256
//    voices (loopback device rendering 44.1 kHz stereo float; the library's own mixer work included);
//  - latency: wall time from Play to the first non-silent sample of a loopback device rendered in real
//    time in periods of 256 frames (5.8 ms), the way a sound card pulls it.
//  - latency on real-time outputs at periods 256, 1024 and 4096 frames (RealTimeLatency.cpp).
// SDL_mixer, when built in, runs with its usual 1024-frame buffer on SDL's "disk" driver writing to
// /dev/null in real time: its cost is the process CPU per wall-clock second, its latency the time to
// the first non-silent sample its post-mix hook sees.
#include "LibraryContext.h"
#include "MidiBench.h"
#include "Mixer.h"
#include "OpenALDevice.h"
#include "OpenALRoot.h"
#include "RealTimeLatency.h"

#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/SoundWave8.h>
#include <qxsound/modGlobal.h>

#include <AL/al.h>
#include <AL/alext.h>
#include <benchmark/benchmark.h>
#include <sndfile.h>

#ifdef QXSOUND_BENCH_SDL_MIXER
#include <SDL.h>
#include <SDL_mixer.h>
#endif

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace qxsound;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int32_t kRate = 44100;

std::vector<float> Tone(double seconds) {
    std::vector<float> s(static_cast<std::size_t>(seconds * kRate));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = 0.3f * static_cast<float>(std::sin(2 * std::numbers::pi * 440.0 * static_cast<double>(i) / kRate));
    return s;
}

const std::string& ToneFile() {
    static const std::string file = [] {
        const auto path = std::filesystem::temp_directory_path() / "qxsound-bench-tone.wav";
        SF_INFO info{};
        info.channels = 1;
        info.samplerate = kRate;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
        const auto tone = Tone(1.0);
        sf_writef_float(f, tone.data(), static_cast<sf_count_t>(tone.size()));
        sf_close(f);
        return path.string();
    }();
    return file;
}

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// A set of voices of one kind on one loopback device.
class Voices {
public:
    virtual ~Voices() = default;
    virtual platform::OpenALDevice& Device() = 0;
    virtual void Start(int index) = 0;  // play voice `index` (again) from its start
    virtual void Stop(int index) = 0;
};

class RawOpenAL final : public Voices {
public:
    explicit RawOpenAL(int n) : device_(platform::OpenALDevice::Open("", true, kRate)) {
        platform::ContextGuard guard(*device_);
        const auto tone = Tone(1.0);
        std::vector<int16_t> pcm(tone.size());
        for (std::size_t i = 0; i < tone.size(); ++i) pcm[i] = static_cast<int16_t>(std::lrint(tone[i] * 32767.0f));
        alGenBuffers(1, &buffer_);
        alBufferData(buffer_, AL_FORMAT_MONO16, pcm.data(), static_cast<ALsizei>(pcm.size() * 2), kRate);
        sources_.resize(static_cast<std::size_t>(n));
        alGenSources(n, sources_.data());
        for (ALuint s : sources_) {
            alSourcei(s, AL_BUFFER, static_cast<ALint>(buffer_));
            alSourcei(s, AL_LOOPING, AL_TRUE);
        }
    }
    ~RawOpenAL() override {
        platform::ContextGuard guard(*device_);
        alSourceStopv(static_cast<ALsizei>(sources_.size()), sources_.data());
        alDeleteSources(static_cast<ALsizei>(sources_.size()), sources_.data());
        alDeleteBuffers(1, &buffer_);
    }
    platform::OpenALDevice& Device() override { return *device_; }
    void Start(int i) override {
        platform::ContextGuard guard(*device_);
        alSourcePlay(sources_[static_cast<std::size_t>(i)]);
    }
    void Stop(int i) override {
        platform::ContextGuard guard(*device_);
        alSourceStop(sources_[static_cast<std::size_t>(i)]);
    }

private:
    std::shared_ptr<platform::OpenALDevice> device_;
    ALuint buffer_ = 0;
    std::vector<ALuint> sources_;
};

std::shared_ptr<SoundEngine8> LoopbackEngine() {
    platform::SetDirectX8Factory([] { return platform::CreateOpenALDirectX8({true, kRate}); });
    auto engine = std::make_shared<SoundEngine8>();
    platform::SetDirectX8Factory({});
    return engine;
}

platform::OpenALDevice& EngineDevice() {
    return *std::dynamic_pointer_cast<platform::OpenALDirectSound>(Context().outputDevice)->Device();
}

// Each library voice plays the tone file over and over.
void Loop(SoundWave8& sound) { sound.Loop_(true); }
void Loop(SoundDx8& sound) { sound.RepeatsOfLoopingPortion(-1); }

// Voices of one of the library's sound classes on the engine's loopback device.
template <typename Sound>
class LibraryVoices final : public Voices {
public:
    explicit LibraryVoices(int n) : engine_(LoopbackEngine()) {
        for (int i = 0; i < n; ++i) {
            auto s = std::make_shared<Sound>();
            s->Load(ToneFile());
            Loop(*s);
            sounds_.push_back(s);
        }
    }
    ~LibraryVoices() override {
        sounds_.clear();
        EndLibraryContext();
    }
    platform::OpenALDevice& Device() override { return EngineDevice(); }
    void Start(int i) override { sounds_[static_cast<std::size_t>(i)]->Play(); }
    void Stop(int i) override { sounds_[static_cast<std::size_t>(i)]->Stop_(); }

private:
    std::shared_ptr<SoundEngine8> engine_;
    std::vector<std::shared_ptr<Sound>> sounds_;
};

using Waves = LibraryVoices<SoundWave8>;
using Segments = LibraryVoices<SoundDx8>;

template <typename Kind>
void BM_MixCostPerVoice(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Kind voices(n);
    for (int i = 0; i < n; ++i) voices.Start(i);
    std::vector<float> out(2 * kRate);
    voices.Device().RenderLoopback(out.data(), kRate / 10);  // settle
    double cpu = 0.0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        voices.Device().RenderLoopback(out.data(), kRate);  // one second of audio
        cpu += ProcessCpuSeconds() - before;
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["cpu_ms_per_voice_per_s"] = 1000.0 * cpu / static_cast<double>(state.iterations()) / n;
}

// When sound first appears after being armed, fed with the non-silent samples that whoever
// sees the output (a render thread, SDL's post-mix hook) finds.
class SoundWatch {
public:
    // Sound at sample `index` of a block that started at `start`.
    void Saw(Clock::time_point start, int index) {
        const auto at = start + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(static_cast<double>(index) / kRate));
        lastSound_ = at.time_since_epoch().count();
        if (armed_.exchange(false)) heard_ = at.time_since_epoch().count();
    }
    // Waits until the output has been silent for `quiet`.
    void WaitForSilence(std::chrono::milliseconds quiet) {
        while (Clock::now() - Clock::time_point(Clock::duration(lastSound_.load())) < quiet)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    void Arm() {
        heard_ = 0;
        armed_ = true;
    }
    // Time of the first non-silent sample since Arm, waiting for it.
    Clock::time_point Heard() {
        while (heard_.load() == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        return Clock::time_point(Clock::duration(heard_.load()));
    }

private:
    std::atomic<bool> armed_{false};
    std::atomic<Clock::rep> heard_{0};
    std::atomic<Clock::rep> lastSound_{0};
};

// Renders a loopback device in real time, watching for sound.
class RealTimeDevice : public SoundWatch {
public:
    static constexpr int32_t kPeriod = 256;

    explicit RealTimeDevice(platform::OpenALDevice& device) : device_(device), thread_([this] { Run(); }) {}
    ~RealTimeDevice() {
        stop_ = true;
        thread_.join();
    }

private:
    void Run() {
        std::vector<float> block(2 * kPeriod);
        const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
            static_cast<double>(kPeriod) / kRate));
        auto deadline = Clock::now();
        while (!stop_) {
            deadline += period;
            std::this_thread::sleep_until(deadline);
            const auto start = Clock::now();
            device_.RenderLoopback(block.data(), kPeriod, false);
            for (int32_t i = 0; i < kPeriod; ++i) {
                if (std::fabs(block[2 * static_cast<std::size_t>(i)]) > 1e-4f) {
                    Saw(start, i);
                    break;
                }
            }
        }
    }

    platform::OpenALDevice& device_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Times, once per iteration, from starting voice 0 out of silence until `watch` hears it.
template <typename Player>
void TimePlayToSound(benchmark::State& state, Player& voices, SoundWatch& watch, std::chrono::milliseconds quiet) {
    double total = 0.0;
    for (auto _ : state) {
        voices.Stop(0);
        watch.WaitForSilence(quiet);
        watch.Arm();
        const auto played = Clock::now();
        voices.Start(0);
        const double latency = std::chrono::duration<double>(watch.Heard() - played).count();
        total += latency;
        state.SetIterationTime(latency);
    }
    voices.Stop(0);
    state.counters["latency_ms"] = 1000.0 * total / static_cast<double>(state.iterations());
}

template <typename Kind>
void BM_PlayToSoundLatency(benchmark::State& state) {
    Kind voices(1);
    RealTimeDevice device(voices.Device());
    TimePlayToSound(state, voices, device, std::chrono::milliseconds(40));
}

}  // namespace

BENCHMARK_TEMPLATE(BM_MixCostPerVoice, RawOpenAL)->Arg(16)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_TEMPLATE(BM_MixCostPerVoice, Waves)->Arg(16)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_TEMPLATE(BM_MixCostPerVoice, Segments)->Arg(16)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_TEMPLATE(BM_PlayToSoundLatency, RawOpenAL)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PlayToSoundLatency, Waves)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PlayToSoundLatency, Segments)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

#ifdef QXSOUND_BENCH_SDL_MIXER
class SdlMixer {
public:
    explicit SdlMixer(int n) {
        SDL_Init(SDL_INIT_AUDIO);
        if (Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, 1024) != 0) throw std::runtime_error(Mix_GetError());
        chunk_ = Mix_LoadWAV(ToneFile().c_str());
        if (!chunk_) throw std::runtime_error(Mix_GetError());
        Mix_AllocateChannels(n);
    }
    ~SdlMixer() {
        Mix_HaltChannel(-1);
        Mix_SetPostMix(nullptr, nullptr);
        Mix_FreeChunk(chunk_);
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    void Start(int i) { Mix_PlayChannel(i, chunk_, -1); }
    void Stop(int i) { Mix_HaltChannel(i); }

private:
    Mix_Chunk* chunk_ = nullptr;
};

void BM_MixCostPerVoice_SdlMixer(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    SdlMixer mixer(n);
    for (int i = 0; i < n; ++i) mixer.Start(i);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    double cpu = 0.0, audio = 0.0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // SDL mixes in its own thread
        cpu += ProcessCpuSeconds() - before;
        audio += std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["cpu_ms_per_voice_per_s"] = 1000.0 * cpu / audio / n;
}

SoundWatch sdlWatch;

void SdlPostMix(void*, Uint8* stream, int bytes) {
    const auto now = Clock::now();
    const auto* samples = reinterpret_cast<const int16_t*>(stream);
    for (int i = 0; i < bytes / 4; ++i) {
        if (samples[2 * i] > 3 || samples[2 * i] < -3) {
            sdlWatch.Saw(now, i);
            break;
        }
    }
}

void BM_PlayToSoundLatency_SdlMixer(benchmark::State& state) {
    SdlMixer mixer(1);
    Mix_SetPostMix(SdlPostMix, nullptr);
    TimePlayToSound(state, mixer, sdlWatch, std::chrono::milliseconds(60));
}

BENCHMARK(BM_MixCostPerVoice_SdlMixer)->Arg(16)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_PlayToSoundLatency_SdlMixer)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);
#endif

int main(int argc, char** argv) {
    // A child of the real-time latency benchmark chooses its own outputs.
    if (RunRealTimeLatencyChild(argc, argv)) return 0;
    // Machines without a sound card: OpenAL Soft reads this before its first call.
    setenv("ALSOFT_DRIVERS", "null", 0);
    if (RunMidiMemoryChild(argc, argv)) return 0;
    // SDL_mixer, if built in, mixes in real time into nothing.
    setenv("SDL_AUDIODRIVER", "disk", 0);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterRealTimeLatency();
    RegisterMidiBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
