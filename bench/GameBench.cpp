// The game's own code on Xvfb and Mesa (llvmpipe without a GPU), each at two screen sizes: an
// 800 x 600 screen, and a 1920 x 1080 one in whose middle a software renderer shows the 800 x 600
// picture unscaled. The program starts its own Xvfb servers (the Xvfb package must be installed).
//
// Arguments: screen width and height, 1 with the music or 0 without it (start-up and level change
// synthesise MIDI music when they load it), and the level of a Play run.
//
// - StartUpToTitle: from the start of StartUp to the first title frame shown. Target: 2 s.
// - LevelChange: the frame that completes a level (enemies added, the next level's textures and
//   music loaded) and the five after it; the longest is reported. Target: no frame over 50 ms.
// - Play: playing frames with the craft flying, at level 1 and with level 20's enemies (1 borg,
//   60 starships, 80 fighters, 60 tanks). "fps" is what the machine presents unpaced; "paced_fps"
//   the game's rate with its 60 Hz pacing. Targets: 60 at level 1, at least 50 at level 20.
//
// Google Benchmark's own time columns are per run of many frames; read the counters.
#include "TestData.h"
#include "XvfbServer.h"

#include "clsStarShips.h"
#include "clsTanks.h"
#include "modGameLoop.h"
#include "modScreens.h"
#include "modSubMain.h"
#include "variabili_globali.h"

#include <Engine3D.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace {

using namespace orvane;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The Xvfb server of the screen size in use; one at a time (a new size ends the previous server).
const std::string& DisplayOf(int width, int height) {
    static std::pair<int, int> size;
    static std::unique_ptr<gametest::XvfbServer> server;
    if (!server || size != std::pair{width, height}) {
        server.reset();
        server = std::make_unique<gametest::XvfbServer>(width, height);
        size = {width, height};
    }
    if (server->Display().empty()) throw std::runtime_error("Xvfb could not be started");
    return server->Display();
}

// The game's data without its MIDI music, to show what the music costs.
std::string DataWithoutMusic() {
    static const std::string dir =
        gametest::DataWithout("orvane_bench_without_music", ORVANE_DATA_DIR, [](const std::filesystem::path& file) {
            return file.extension() == ".mid";
        }).string();
    return dir;
}

// The game started on a screen of that size (state.range 0 and 1), with its music unless
// state.range(2) is 0. Leaving throws instead of ending the process.
class Game {
public:
    explicit Game(const benchmark::State& state) {
        setenv("DISPLAY", DisplayOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))).c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        quarvex::Engine3D::Reset();
        SetExitHandler([](int) { throw std::runtime_error("the game ended"); });
        programDirectory = state.range(2) == 0 ? DataWithoutMusic() : ORVANE_DATA_DIR;
    }
    ~Game() {
        ReleaseGame();
        quarvex::Engine3D::Reset();
    }
    void StartUp() {
        orvane::StartUp();
        isRunning = true;
    }
    // The title's first frame (X is held, so play starts after it).
    void FirstTitleFrame() {
        quarvex::Input3D::SimulateKey(kKeyX, true);
        BeginRun();
        quarvex::Input3D::SimulateKey(kKeyX, false);
    }
    // A playing frame with the craft kept alive; its time in seconds.
    double Frame() {
        damagePoints = 1;
        const auto start = Clock::now();
        if (!PlayingFrame()) throw std::runtime_error("the craft was lost");
        return Seconds(Clock::now() - start);
    }
};

void StartUpToTitle(benchmark::State& state) {
    Game game(state);
    const auto start = Clock::now();
    game.StartUp();
    game.FirstTitleFrame();
    const double seconds = Seconds(Clock::now() - start);
    state.SetIterationTime(seconds);
    state.counters["startup_s"] = seconds;
}

void LevelChange(benchmark::State& state) {
    Game game(state);
    game.StartUp();
    game.FirstTitleFrame();
    engine->SetDisplayOption(quarvex::DISPLAY_FRAME_PACING, false);
    double longest = 0, total = 0;
    constexpr int kLevels = 3, kFramesAfter = 5;
    for (int level = 0; level < kLevels; ++level) {
        for (int i = 0; i < 20; ++i) game.Frame();
        killsThisLevel = 10;
        for (int i = 0; i <= kFramesAfter; ++i) {
            const double t = game.Frame();
            longest = std::max(longest, t);
            total += t;
        }
    }
    state.SetIterationTime(total);
    state.counters["longest_ms"] = longest * 1e3;
    state.counters["mean_ms"] = total * 1e3 / (kLevels * (kFramesAfter + 1));
}

// range: width, height, music, level.
void Play(benchmark::State& state) {
    Game game(state);
    game.StartUp();
    game.FirstTitleFrame();
    for (int64_t level = 1; level < state.range(3); ++level) AdvanceLevel();
    constexpr int kFrames = 180;
    auto measure = [&](bool paced, double& worst) {
        engine->SetDisplayOption(quarvex::DISPLAY_FRAME_PACING, paced);
        for (int i = 0; i < 30; ++i) game.Frame();
        worst = 0;
        const auto start = Clock::now();
        for (int i = 0; i < kFrames; ++i) worst = std::max(worst, game.Frame());
        return kFrames / Seconds(Clock::now() - start);
    };
    double worst = 0, pacedWorst = 0;
    const double fps = measure(false, worst);
    const double pacedFps = measure(true, pacedWorst);
    state.SetIterationTime(kFrames / fps);
    state.counters["fps"] = fps;
    state.counters["worst_ms"] = worst * 1e3;
    state.counters["paced_fps"] = pacedFps;
    state.counters["enemies"] = fleet->Count() + tanks->Count();
}

// One run of a benchmark per iteration; a failure is reported for that benchmark instead of
// ending the program (the Xvfb servers go with it).
template <void (*Once)(benchmark::State&)>
void Guarded(benchmark::State& state) {
    for (auto _ : state) {
        try {
            Once(state);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            return;
        }
    }
}

// Both screens with the music, and the 800 x 600 one without it.
void Sizes(benchmark::internal::Benchmark* b) {
    b->Args({800, 600, 1})->Args({1920, 1080, 1})->Args({800, 600, 0});
}

BENCHMARK(Guarded<StartUpToTitle>)->Name("StartUpToTitle")->Apply(Sizes)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Guarded<LevelChange>)->Name("LevelChange")->Apply(Sizes)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Guarded<Play>)
    ->Name("Play")
    ->Args({800, 600, 1, 1})
    ->Args({800, 600, 1, 20})
    ->Args({1920, 1080, 1, 1})
    ->Args({1920, 1080, 1, 20})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
