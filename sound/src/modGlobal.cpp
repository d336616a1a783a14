#include <qxsound/modGlobal.h>

#include "FileTitle.h"
#include "LibraryContext.h"
#include "SoundEngine8Core.h"

#include <atomic>

namespace qxsound {

namespace {

// A file title as the platform's file-title query gives it, in a reply buffer of 255 characters.
std::string FileTitle(std::string_view path) { return TrimAtNull(platform::GetFileTitle(path, 255)); }

std::atomic<int32_t> nextWindowHandle{0x10000};

// A 24-bit linear congruential sequence.
std::atomic<uint32_t> rndState{0x50000};

}  // namespace

Form1::Form1() : handle_(nextWindowHandle.fetch_add(4)) {}

void LibraryContext::Clear() {
    auto oldRoot = std::move(root);
    auto oldDevice = std::move(outputDevice);
    auto oldPerformance = std::move(performance);
    auto oldLoader = std::move(loader);
    auto oldWindow = std::move(window);
    auto oldEngine = std::move(engine);
    windowHandle = 0;
    modPlayerHandle = 0;
    oldPerformance.reset();
    oldLoader.reset();
    oldDevice.reset();
    oldRoot.reset();
    oldEngine.reset();
}

LibraryContext& Context() {
    thread_local LibraryContext context;
    return context;
}

float Rnd() {
    uint32_t state = rndState.load(std::memory_order_relaxed);
    uint32_t next;
    do {
        next = (state * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
    } while (!rndState.compare_exchange_weak(state, next, std::memory_order_relaxed));
    return static_cast<float>(next) / 16777216.0f;
}

int32_t HiddenWindowHandle() {
    auto& window = Context().window;
    if (!window) window = std::make_unique<Form1>();
    return window->hWnd();
}

std::string TrimAtNull(std::string_view s) {
    const auto nul = s.find('\0');
    return std::string(nul == std::string_view::npos ? s : s.substr(0, nul));
}

std::string FileTitleWithoutExtension(std::string_view path) {
    const std::string title = FileTitle(path);
    const auto dot = title.rfind('.');
    return dot == std::string::npos ? title : title.substr(0, dot);
}

std::string FileExtension(std::string_view path) {
    const std::string title = FileTitle(path);
    const auto dot = title.rfind('.');
    return dot == std::string::npos ? title : title.substr(dot + 1);
}

int32_t BinaryTextToLong(std::string_view s) {
    // Every character is a digit place; only "1" adds. Texts longer than 31 places wrap in two's
    // complement, as the 32 bits of a register would.
    uint32_t value = 0;
    for (char c : s) value = (value << 1) | (c == '1' ? 1u : 0u);
    return static_cast<int32_t>(value);
}

bool LibraryContextHasEngine() { return Context().engine != nullptr; }

bool LibraryContextIsEmpty() {
    const LibraryContext& c = Context();
    return !c.root && !c.outputDevice && !c.performance && !c.loader && c.windowHandle == 0 && !c.engine &&
           c.modPlayerHandle == 0;
}

void EndLibraryContext() { Context().Clear(); }

}  // namespace qxsound
