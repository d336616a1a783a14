// Engine benchmarks: a frame of a playing-sized scene, drawn alone (SDL's offscreen driver unless
// SDL_VIDEODRIVER says otherwise) and presented in the full-screen window on an 800 x 600 and a
// 1920 x 1080 screen (an Xvfb of its own each), and IntersectsSegment.
#include "Engine3D.h"

#include <benchmark/benchmark.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace quarvex;

namespace {

// Writes an uncompressed 24-bit BMP; pixel(x, y) gives 0xRRGGBB.
template <class F>
void WriteBmp(const std::string& path, int w, int h, F pixel) {
    const int row = (w * 3 + 3) & ~3;
    const uint32_t size = 54 + row * h;
    std::vector<uint8_t> out(size, 0);
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) out[at + i] = (v >> (8 * i)) & 0xFF; };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    out[26] = 1;
    out[28] = 24;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t c = pixel(x, h - 1 - y);
            uint8_t* p = &out[54 + y * row + x * 3];
            p[0] = c & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = (c >> 16) & 0xFF;
        }
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(out.data()), out.size());
}

// The six triangles of a starship wedge (length l, width w, height h).
void AddWedge(Mesh3D& mesh, const TexturePtr& t, float l, float w, float h) {
    mesh.AddTriangle(t, 0, -h / 2, -l / 2, -w / 2, h / 2, -l / 2, 0, h / 2, l, 1, 1, -1, 0);
    mesh.AddTriangle(t, 0, -h / 2, -l / 2, 0, h / 2, l, w / 2, h / 2, -l / 2, 1, 1, -1, 0);
    mesh.AddTriangle(t, w / 2, h / 2, -l / 2, -w / 2, h / 2, -l / 2, 0, h / 2, l, 1, 1, -1, 0);
    mesh.AddTriangle(t, 0, h, -l / 2, -w / 2, -h, -l / 2, 0, -h, l, 1, 1, -1, 0);
    mesh.AddTriangle(t, 0, h, -l / 2, 0, -h, l, w / 2, -h, -l / 2, 1, 1, -1, 0);
    mesh.AddTriangle(t, 0, -h / 2, -l / 2, w / 2, h / 2, -l / 2, -w / 2, h / 2, -l / 2, 1, 1, -1, 0);
    mesh.FinishGeometry();
}

// A playing-sized scene: terrain, sky box, 200 textured starship meshes, two particle emitters and
// a line of HUD text, on the engine's display (opened before).
class PlayScene {
public:
    // inView: all 200 meshes in front of the camera instead of spread over the terrain as in play.
    explicit PlayScene(bool inView) {
        const auto dir = std::filesystem::temp_directory_path() / "engine_bench";
        std::filesystem::create_directories(dir);
        auto file = [&](const char* name) { return (dir / name).string(); };
        WriteBmp(file("land_map.bmp"), 256, 256, [](int x, int y) {
            const int v = static_cast<int>(128 + 60 * std::sin(x / 17.0) * std::cos(y / 23.0) + 40 * std::sin((x + y) / 9.0));
            return static_cast<uint32_t>(v * 0x010101);
        });
        WriteBmp(file("e1.bmp"), 256, 256, [](int x, int y) { return 0x406020u + ((x ^ y) & 31) * 0x010100u; });
        WriteBmp(file("f1.bmp"), 64, 64, [](int x, int y) { return ((x * 7 + y * 13) % 64 + 96) * 0x010101u; });
        WriteBmp(file("sky.bmp"), 256, 256, [](int, int y) { return 0x203080u + (y / 4) * 0x010101u; });
        WriteBmp(file("hull.bmp"), 64, 64, [](int x, int y) { return (x / 8 + y / 8) % 2 ? 0xE07020u : 0x804020u; });
        WriteBmp(file("snow.bmp"), 32, 32, [](int x, int y) {
            const double r = std::hypot(x - 15.5, y - 15.5) / 16.0;
            return static_cast<uint32_t>(std::max(0.0, 1.0 - r) * 255) * 0x010101u;
        });

        engine_.SetSearchDirectory(dir.string());
        TextureFactory3D factory;
        auto sky = factory.LoadTexture("sky.bmp", "sky");
        auto hull = factory.LoadTexture("hull.bmp", "starship");
        auto snow = factory.LoadTexture("snow.bmp", "ParticleTexture");
        scene_.SetViewRange(100);
        scene_.SetBackgroundColor(0.4f, 0.6f, 0.9f);
        scene_.SetSkyBox(sky, sky, sky, sky, sky, sky, 1500);
        land_.SetLandscapeFactor(0.4f);
        land_.GenerateFromHeightMap("land_map.bmp", 32, 8, 8, 0, 0, true);
        land_.SetBaseTexture(factory.LoadTexture("e1.bmp", "terrain"));
        land_.SetDetailTexture(factory.LoadTexture("f1.bmp", "detail"));
        land_.SetDetailTextureScale(4, 4, true);
        land_.SetSun(nullptr, {-1800, 500, 0}, 2.0f);

        const float ex = 1000, ez = 85;
        const float eyeY = land_.GetHeight(ex, ez) + 45;
        scene_.SetCamera(ex, eyeY, ez, ex, eyeY - 10, ez + 400);

        std::mt19937 random(7);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int i = 0; i < 200; ++i) {
            auto mesh = scene_.CreateMesh();
            AddWedge(*mesh, hull, 60, 60, 11);
            float x, z;
            if (!inView) {
                x = 20 + 1970 * unit(random);
                z = 20 + 1970 * unit(random);
            } else {
                x = ex - 500 + 1000 * unit(random);
                z = ez + 200 + 900 * unit(random);
            }
            mesh->SetPosition(x, land_.GetHeight(x, z) + 50, z);
            meshes_.push_back(mesh);
        }
        for (int i = 0; i < 2; ++i) {
            emitters_[i].CreateEmitter(300, 100, 7.0f, {0, 0, 0}, 1.0f, snow);
            emitters_[i].SetEmitterPower(3.0f);
            emitters_[i].SetEmitterRate(0.02f);
            const float x = ex - 60 + 120 * i, z = ez + 250;
            emitters_[i].SetEmitterPosition({x, land_.GetHeight(x, z) + 40, z});
        }
        // The first frames compile the renderer's shader variants: not part of a frame's cost.
        for (int i = 0; i < 10; ++i) Draw();
    }

    // One frame as the game draws it, presented.
    void Draw() {
        engine_.Clear(false);
        scene_.RenderSky();
        land_.Render(true, true);
        for (auto& e : emitters_) e.UpdateParticles();
        for (auto& mesh : meshes_) mesh->RotateY(0.01f);
        screen_.DrawText("Speed: 600Km/h", 580, 10, 0xFFFFFFFF, "");
        scene_.RenderAll();
        engine_.Present();
    }

private:
    Engine3D engine_;
    Scene3D scene_;
    Landscape3D land_;
    Screen2D screen_;
    std::vector<MeshPtr> meshes_;
    Particles3D emitters_[2];
};

// Opens the 800 x 600 picture full screen; false (the benchmark skipped) where no display opens.
bool OpenDisplay(benchmark::State& state, Engine3D& engine, bool pacing) {
    try {
        engine.InitFullScreen(800, 600, 24, true, 0);
    } catch (const EngineError& e) {
        state.SkipWithError(e.what());
        return false;
    }
    engine.SetDisplayOption(DISPLAY_FRAME_PACING, pacing);
    return true;
}

// CPU seconds used so far by every thread of the process `pid` ("self" for this one).
double CpuSeconds(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) ticks += std::stod(field);  // utime, stime
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// CPU seconds used so far by the calling thread.
double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// Frame time of the play scene drawn on SDL's offscreen driver (no window: the renderer's own
// cost), as fast as it goes. state.range(0): 0 = meshes spread as in play, 1 = all 200 in view.
void BM_EngineFrame(benchmark::State& state) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    Engine3D engine;
    if (!OpenDisplay(state, engine, false)) return;
    {
        PlayScene scene(state.range(0) == 1);
        auto drawFrame = [&] {
            scene.Draw();
            glFinish();
        };
        int frame = 0;
        const std::clock_t cpuStart = std::clock();
        for (auto _ : state) {
            drawFrame();
            ++frame;
        }
        // CPU time of every thread (the renderer's worker threads included) per frame: with the
        // machine to itself, a frame takes at least this divided by the number of cores.
        state.counters["cpu_all_threads_ms"] =
            (std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC / std::max(frame, 1);
        state.counters["fps"] = benchmark::Counter(static_cast<double>(frame), benchmark::Counter::kIsRate);
    }
    Engine3D::Reset();
}
// Single runs of a few seconds vary by 10-15 % on a shared virtual machine: five runs each,
// reported as mean, median and spread.
BENCHMARK(BM_EngineFrame)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

// An X server of its own (Xvfb) with a screen of the given size, for the game's full-screen
// window; stopped with the object.
class PrivateXServer {
public:
    PrivateXServer(int width, int height) {
        int ready[2];
        if (pipe(ready) != 0) return;
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        const std::string fd = std::to_string(ready[1]);
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            // Xvfb picks a free display and writes its number to the pipe once it accepts clients.
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
                   "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        std::string number;
        char c;
        while (pid_ > 0 && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
        close(ready[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    ~PrivateXServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    const std::string& Display() const { return display_; }  // empty when it did not start
    double CpuSeconds() const { return ::CpuSeconds(std::to_string(pid_)); }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// The frame as a player sees it: the play scene in the full-screen window of an X server whose
// screen is 800 x 600 (state.range(0) = 0) or 1920 x 1080 (1), presented with the game's pacing
// (state.range(1) = 1, fps is then at most 60) or as fast as it goes (0). Counters: presented
// frames per second, and CPU milliseconds per frame: of the game's thread (which waits for the
// renderer's worker threads to finish the picture), of the whole process, and of the X server
// (which copies every presented picture to its screen). On a machine shared with other work
// the CPU times are the steadier figures.
void BM_PresentedFrame(benchmark::State& state) {
    static constexpr int kScreens[2][2] = {{800, 600}, {1920, 1080}};
    const int* screen = kScreens[state.range(0)];
    PrivateXServer server(screen[0], screen[1]);
    if (server.Display().empty()) {
        state.SkipWithError("Xvfb did not start");
        return;
    }
    const char* oldDriver = getenv("SDL_VIDEODRIVER");
    const std::string savedDriver = oldDriver ? oldDriver : "";
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", server.Display().c_str(), 1);
    Engine3D engine;
    if (OpenDisplay(state, engine, state.range(1) == 1)) {
        PlayScene scene(false);
        int frame = 0;
        const double cpuStart = CpuSeconds("self"), serverStart = server.CpuSeconds();
        const double mainStart = ThreadCpuSeconds();
        for (auto _ : state) {
            scene.Draw();
            ++frame;
        }
        const double frames = std::max(frame, 1);
        state.counters["main_thread_ms"] = (ThreadCpuSeconds() - mainStart) * 1000.0 / frames;
        state.counters["cpu_ms"] = (CpuSeconds("self") - cpuStart) * 1000.0 / frames;
        state.counters["server_cpu_ms"] = (server.CpuSeconds() - serverStart) * 1000.0 / frames;
        state.counters["fps"] = benchmark::Counter(static_cast<double>(frame), benchmark::Counter::kIsRate);
    }
    Engine3D::Reset();
    if (oldDriver) {
        setenv("SDL_VIDEODRIVER", savedDriver.c_str(), 1);
    } else {
        unsetenv("SDL_VIDEODRIVER");
    }
}
BENCHMARK(BM_PresentedFrame)
    ->ArgNames({"screen", "paced"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

// state.range(0): 0 = a resting mesh, 1 = the mesh moved by SetMatrix before every test (as
// enemies are every frame). Hits and misses alternate.
void BM_IntersectsSegment(benchmark::State& state) {
    Engine3D::Reset();
    Scene3D scene;
    auto mesh = scene.CreateMesh();
    AddWedge(*mesh, nullptr, 60, 60, 11);
    Matrix4 m;
    m.m11 = m.m22 = m.m33 = m.m44 = 1;
    m.m41 = 500;
    m.m42 = 80;
    m.m43 = 700;
    mesh->SetMatrix(m);
    // A one-unit segment down through the top deck (hit), and one inside the hull's box that
    // touches no triangle (a miss that needs every triangle tested).
    const Vector3 hitA{500, 86, 690}, hitB{500, 85, 690};
    const Vector3 missA{500, 80, 690}, missB{500, 80, 691};
    bool hit = false;
    int64_t hits = 0;
    for (auto _ : state) {
        if (state.range(0) == 1) {
            m.m43 = hit ? 700.0f : 700.001f;
            mesh->SetMatrix(m);
        }
        const bool touched = hit ? mesh->IntersectsSegment(hitA, hitB, 3) : mesh->IntersectsSegment(missA, missB, 3);
        hits += touched;
        benchmark::DoNotOptimize(touched);
        hit = !hit;
    }
    state.counters["hit_ratio"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
    Engine3D::Reset();
}
BENCHMARK(BM_IntersectsSegment)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
