// MIDI music synthesised while it plays, beside FluidSynth's own rendering in the same run:
//  - Load of each of the game's thirteen pieces (wall time; the file is read, checked and timed);
//  - CPU per second of music of one playing piece (a loopback device rendering 44.1 kHz, the
//    library's synthesis, streaming and mixing included) against FluidSynth's player rendering the
//    same file to a buffer as fast as it can, 64 frames a call as its fast renderer does;
//  - peak resident memory of a process that plays a 90-s piece and an hour-long piece against one
//    that plays nothing, each in a child process of its own.
// Play to first sample of a MIDI segment is measured with the real-time latencies
// (RealTimeLatency.cpp, player "qxsound_midi").
#include "MidiBench.h"

#include "LibraryContext.h"
#include "OpenALDevice.h"
#include "OpenALRoot.h"

#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/modGlobal.h>

#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace qxsound;

namespace {

constexpr int32_t kRate = 44100;
constexpr const char* kChildFlag = "--midi-memory-child";
const char* const kGamePieces[] = {"inizio1.mid", "fine.mid", "1.mid", "2.mid", "3.mid", "4.mid", "5.mid",
                                   "6.mid",       "7.mid",    "8.mid", "9.mid", "10.mid", "11.mid"};

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::string GamePiece(const char* name) { return std::string(ORVANE_DATA_DIR) + "/" + name; }

std::shared_ptr<SoundEngine8> LoopbackEngine() {
    platform::SetDirectX8Factory([] { return platform::CreateOpenALDirectX8({true, kRate}); });
    auto engine = std::make_shared<SoundEngine8>();
    platform::SetDirectX8Factory({});
    return engine;
}

platform::OpenALDevice& EngineDevice() {
    return *std::dynamic_pointer_cast<platform::OpenALDirectSound>(Context().outputDevice)->Device();
}

void BM_MidiLoad(benchmark::State& state, std::string file) {
    auto engine = LoopbackEngine();
    {
        SoundDx8 warm;  // the SoundFont check and its background load start with the first piece
        warm.Load(file);
    }
    for (auto _ : state) {
        SoundDx8 sound;  // a new segment each time: nothing of an earlier Load is shared
        if (!sound.Load(file)) state.SkipWithError("the piece does not load");
        benchmark::DoNotOptimize(sound.Length());
    }
    EndLibraryContext();
}

// FluidSynth's player on the file, with the settings the library plays with, looping.
class FluidSynthPlayer {
public:
    explicit FluidSynthPlayer(const std::string& file) {
        settings_ = new_fluid_settings();
        fluid_settings_setnum(settings_, "synth.sample-rate", kRate);
        fluid_settings_setint(settings_, "synth.polyphony", 64);
        fluid_settings_setint(settings_, "synth.reverb.active", 0);
        fluid_settings_setint(settings_, "synth.chorus.active", 0);
        fluid_settings_setstr(settings_, "player.timing-source", "sample");
        synth_ = new_fluid_synth(settings_);
        fluid_synth_sfload(synth_, QXSOUND_GM_SOUNDFONT, 1);
        fluid_synth_set_interp_method(synth_, -1, FLUID_INTERP_LINEAR);
        player_ = new_fluid_player(synth_);
        fluid_player_add(player_, file.c_str());
        fluid_player_set_loop(player_, -1);
        fluid_player_play(player_);
    }
    ~FluidSynthPlayer() {
        fluid_player_stop(player_);
        delete_fluid_player(player_);
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }
    void Render(std::vector<float>& out) {
        const auto frames = static_cast<int>(out.size() / 2);
        for (int at = 0; at < frames; at += 64) {
            const int n = std::min(64, frames - at);
            fluid_synth_write_float(synth_, n, out.data() + 2 * at, 0, 2, out.data() + 2 * at, 1, 2);
        }
    }

private:
    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
    fluid_player_t* player_;
};

void BM_MidiCpuPerSecond(benchmark::State& state, std::string file) {
    auto engine = LoopbackEngine();
    FluidSynthPlayer reference(file);
    {
        SoundDx8 sound;
        sound.Load(file);
        sound.RepeatsOfLoopingPortion(-1);
        sound.Play();
        std::vector<float> out(2 * kRate);
        EngineDevice().RenderLoopback(out.data(), kRate / 10);  // the synthesizer is made and starts
        double ours = 0.0, theirs = 0.0;
        for (auto _ : state) {
            double before = CpuSeconds();
            EngineDevice().RenderLoopback(out.data(), kRate);  // one second of music
            ours += CpuSeconds() - before;
            benchmark::DoNotOptimize(out.data());
            before = CpuSeconds();
            reference.Render(out);
            theirs += CpuSeconds() - before;
            benchmark::DoNotOptimize(out.data());
        }
        const auto n = static_cast<double>(state.iterations());
        state.counters["qxsound_ms_per_s"] = 1000.0 * ours / n;
        state.counters["fluidsynth_ms_per_s"] = 1000.0 * theirs / n;
        state.counters["ratio"] = ours / theirs;
    }
    EndLibraryContext();
}

// A piece of `beats` beats at 120 beats per minute: piano chords, a bass line and drums.
std::vector<uint8_t> Piece(uint32_t beats) {
    constexpr uint32_t kDivision = 96;
    const auto number = [](std::vector<uint8_t>& out, uint32_t v) {
        std::vector<uint8_t> vlq{static_cast<uint8_t>(v & 0x7F)};
        while (v >>= 7) vlq.insert(vlq.begin(), static_cast<uint8_t>(0x80 | (v & 0x7F)));
        out.insert(out.end(), vlq.begin(), vlq.end());
    };
    std::vector<uint8_t> track = {0x00, 0xC0, 0x00, 0x00, 0xC1, 0x21};
    for (uint32_t beat = 0; beat < beats; ++beat) {
        const auto root = static_cast<uint8_t>(48 + (beat / 4 % 4) * 5 % 12);
        const std::vector<uint8_t> on = {0x90, static_cast<uint8_t>(root + 12), 90, 0, static_cast<uint8_t>(root + 16),
                                         90, 0, 0x91, root, 100, 0, 0x99, static_cast<uint8_t>(beat % 2 ? 38 : 36), 110};
        track.insert(track.end(), on.begin(), on.end());
        number(track, kDivision * 3 / 4);
        const std::vector<uint8_t> off = {0x80, static_cast<uint8_t>(root + 12), 0, 0, 0x80, static_cast<uint8_t>(root + 16),
                                          0, 0, 0x81, root, 0, 0, 0x89, static_cast<uint8_t>(beat % 2 ? 38 : 36), 0};
        track.insert(track.end(), off.begin(), off.end());
        number(track, kDivision / 4);
    }
    track.insert(track.end(), {0xFF, 0x2F, 0x00});
    std::vector<uint8_t> smf = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, kDivision, 'M', 'T', 'r', 'k'};
    for (int shift = 24; shift >= 0; shift -= 8) smf.push_back(static_cast<uint8_t>(track.size() >> shift));
    smf.insert(smf.end(), track.begin(), track.end());
    return smf;
}

int64_t PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6);
    return 0;
}

// Child: an engine on a loopback device that plays nothing, a 90-s piece through to its end, or
// the first and last minute of an hour-long piece; prints its peak resident memory in kB.
void MemoryChild(const std::string& kind) {
    auto engine = LoopbackEngine();
    std::vector<float> out(2 * kRate);
    const auto render = [&](int seconds) {
        for (int s = 0; s < seconds; ++s) EngineDevice().RenderLoopback(out.data(), kRate);
    };
    if (kind == "idle") {
        render(5);
    } else {
        const uint32_t beats = kind == "hour" ? 7200 : 180;
        const auto file = std::filesystem::temp_directory_path() / ("qxsound-bench-" + kind + ".mid");
        const auto bytes = Piece(beats);
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        SoundDx8 sound;
        sound.Load(file.string());
        sound.Play();
        render(kind == "hour" ? 60 : 91);
        if (kind == "hour") {
            auto& performance = *Context().performance;
            auto segment = Context().loader->LoadSegment(file.string());
            segment->SetStartPoint(segment->GetLength() - 60 * 1536);
            sound.Stop_();
            performance.PlaySegmentEx(segment, platform::DMUS_SEGF_SECONDARY, 0, nullptr, sound.AudioPath());
            render(61);
        }
    }
    std::cout << PeakResidentKb() << "\n";
}

void BM_MidiResidentMemory(benchmark::State& state) {
    std::map<std::string, double> megabytes;
    for (const char* kind : {"idle", "90s", "hour"}) {
        const auto report = std::filesystem::temp_directory_path() / "qxsound-bench-memory.txt";
        const std::string command = std::filesystem::read_symlink("/proc/self/exe").string() + " " + kChildFlag + " " +
                                    kind + " > " + report.string();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("a memory child failed");
            for (auto _ : state) {
            }
            return;
        }
        std::ifstream in(report);
        double kb = 0;
        in >> kb;
        megabytes[kind] = kb / 1024.0;
    }
    for (auto _ : state) {
    }
    state.counters["idle_MB"] = megabytes["idle"];
    state.counters["piece_90s_MB"] = megabytes["90s"];
    state.counters["piece_60min_MB"] = megabytes["hour"];
    state.counters["90s_over_idle_MB"] = megabytes["90s"] - megabytes["idle"];
    state.counters["60min_over_idle_MB"] = megabytes["hour"] - megabytes["idle"];
}

}  // namespace

bool RunMidiMemoryChild(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) != kChildFlag) return false;
    MemoryChild(argv[2]);
    return true;
}

void RegisterMidiBenchmarks() {
    for (const char* piece : kGamePieces) {
        benchmark::RegisterBenchmark((std::string("BM_MidiLoad/") + piece).c_str(), BM_MidiLoad, GamePiece(piece))
            ->Unit(benchmark::kMillisecond);
    }
    for (const char* piece : kGamePieces) {
        benchmark::RegisterBenchmark((std::string("BM_MidiCpuPerSecond/") + piece).c_str(), BM_MidiCpuPerSecond,
                                     GamePiece(piece))
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_MidiResidentMemory", BM_MidiResidentMemory)->Iterations(1);
}
