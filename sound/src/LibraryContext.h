// The per-thread library context: the platform objects of the thread's engine.
#pragma once

#include "DirectX8.h"

#include <cstdint>
#include <memory>

namespace qxsound {

class EngineCore;

// The library's hidden window: never shown, it only supplies a handle for the platform and the
// module player.
class Form1 {
public:
    Form1();
    int32_t hWnd() const noexcept { return handle_; }

private:
    int32_t handle_;
};

struct LibraryContext {
    std::shared_ptr<platform::DirectX8> root;
    std::shared_ptr<platform::DirectSound8> outputDevice;
    std::shared_ptr<platform::DirectMusicPerformance8> performance;
    std::shared_ptr<platform::DirectMusicLoader8> loader;
    int32_t windowHandle = 0;
    std::shared_ptr<EngineCore> engine;
    int32_t modPlayerHandle = 0;
    std::unique_ptr<Form1> window;

    LibraryContext() = default;
    LibraryContext(const LibraryContext&) = delete;
    LibraryContext& operator=(const LibraryContext&) = delete;
    ~LibraryContext() { Clear(); }

    // Empties every entry; the engine goes last, so its teardown finds the entries already empty.
    void Clear();
};

// The calling thread's context.
LibraryContext& Context();

// The hidden window's handle, creating the window on first use.
int32_t HiddenWindowHandle();

}  // namespace qxsound

namespace qxsound {

// The library's uniform pseudo-random generator: the next value in [0, 1), single precision, from
// one sequence shared by the whole process and never seeded by the library.
float Rnd();

}  // namespace qxsound
