// Engine benchmarks: one presented frame of a playing-sized scene, and IntersectsSegment.
// The frame runs on SDL's offscreen video driver unless SDL_VIDEODRIVER says otherwise; with
// SDL_VIDEODRIVER=x11 on a desktop-sized display it includes showing the picture scaled in the
// full-screen window.
#include "Engine3D.h"

#include <benchmark/benchmark.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
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

// state.range(0): 0 = meshes spread over the whole terrain as in play, 1 = all 200 in view.
void BM_EngineFrame(benchmark::State& state) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
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

    Engine3D engine;
    try {
        engine.InitFullScreen(800, 600, 24, true, 0);
    } catch (const EngineError& e) {
        state.SkipWithError(e.what());
        return;
    }
    engine.SetDisplayOption(DISPLAY_FRAME_PACING, false);
    engine.SetSearchDirectory(dir.string());
    TextureFactory3D factory;
    auto sky = factory.LoadTexture("sky.bmp", "sky");
    auto hull = factory.LoadTexture("hull.bmp", "starship");
    auto snow = factory.LoadTexture("snow.bmp", "ParticleTexture");
    Scene3D scene;
    scene.SetViewRange(100);
    scene.SetBackgroundColor(0.4f, 0.6f, 0.9f);
    scene.SetSkyBox(sky, sky, sky, sky, sky, sky, 1500);
    Landscape3D land;
    land.SetLandscapeFactor(0.4f);
    land.GenerateFromHeightMap("land_map.bmp", 32, 8, 8, 0, 0, true);
    land.SetBaseTexture(factory.LoadTexture("e1.bmp", "terrain"));
    land.SetDetailTexture(factory.LoadTexture("f1.bmp", "detail"));
    land.SetDetailTextureScale(4, 4, true);
    land.SetSun(nullptr, {-1800, 500, 0}, 2.0f);

    const float ex = 1000, ez = 85;
    const float eyeY = land.GetHeight(ex, ez) + 45;
    scene.SetCamera(ex, eyeY, ez, ex, eyeY - 10, ez + 400);

    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<MeshPtr> meshes;
    for (int i = 0; i < 200; ++i) {
        auto mesh = scene.CreateMesh();
        AddWedge(*mesh, hull, 60, 60, 11);
        float x, z;
        if (state.range(0) == 0) {
            x = 20 + 1970 * unit(random);
            z = 20 + 1970 * unit(random);
        } else {
            x = ex - 500 + 1000 * unit(random);
            z = ez + 200 + 900 * unit(random);
        }
        mesh->SetPosition(x, land.GetHeight(x, z) + 50, z);
        meshes.push_back(mesh);
    }
    Particles3D emitters[2];
    for (int i = 0; i < 2; ++i) {
        emitters[i].CreateEmitter(300, 100, 7.0f, {0, 0, 0}, 1.0f, snow);
        emitters[i].SetEmitterPower(3.0f);
        emitters[i].SetEmitterRate(0.02f);
        const float x = ex - 60 + 120 * i, z = ez + 250;
        emitters[i].SetEmitterPosition({x, land.GetHeight(x, z) + 40, z});
    }
    Screen2D screen;
    auto drawFrame = [&] {
        engine.Clear(false);
        scene.RenderSky();
        land.Render(true, true);
        for (auto& e : emitters) e.UpdateParticles();
        for (size_t i = 0; i < meshes.size(); ++i) meshes[i]->RotateY(0.01f);
        screen.DrawText("Speed: 600Km/h", 580, 10, 0xFFFFFFFF, "");
        scene.RenderAll();
        engine.Present();
        glFinish();
    };
    // The first frames compile the renderer's shader variants: not part of a frame's cost.
    for (int i = 0; i < 10; ++i) drawFrame();
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
