#include "ModPlug.h"

#include "StreamOutput.h"
#include "WholeFile.h"

#include <qxsound/Error.h>

#include <libopenmpt/libopenmpt.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <mutex>
#include <utility>

namespace qxsound::platform {

namespace {

// The libopenmpt entry points the player uses, listed once: loading, checking and calling go
// through this table.
#define QXSOUND_OPENMPT_FUNCS(X)                        \
    X(openmpt_get_library_version)                      \
    X(openmpt_module_create_from_memory2)               \
    X(openmpt_module_destroy)                           \
    X(openmpt_module_read_interleaved_float_stereo)     \
    X(openmpt_module_set_repeat_count)                  \
    X(openmpt_module_get_position_seconds)              \
    X(openmpt_module_set_position_seconds)              \
    X(openmpt_module_get_duration_seconds)

struct OpenMpt {
#define QXSOUND_DECLARE(name) decltype(&::name) name = nullptr;
    QXSOUND_OPENMPT_FUNCS(QXSOUND_DECLARE)
#undef QXSOUND_DECLARE
};

void LogNothing(const char*, void*) {}
int IgnoreErrors(int, void*) { return OPENMPT_ERROR_FUNC_RESULT_NONE; }

// The player's module, rendered on the mixer thread. The host's calls and the mixer meet under the
// producer's mutex; the library's functions are only called with it held.
class ModuleProducer final : public Producer {
public:
    ModuleProducer(const OpenMpt& api, int32_t sampleRate) : api_(api), sampleRate_(sampleRate) {}
    ~ModuleProducer() override { Replace(nullptr); }

    int32_t Channels() const noexcept override { return 2; }
    int32_t SampleRate() const noexcept override { return sampleRate_; }

    RenderResult Render(float* out, int32_t frames) noexcept override {
        std::lock_guard lock(mutex_);
        if (!module_ || !playing_) return RenderResult::Finished;
        const std::size_t got = api_.openmpt_module_read_interleaved_float_stereo(
            module_, sampleRate_, static_cast<std::size_t>(frames), out);
        if (got == 0) {
            playing_ = false;
            atEnd_ = true;
            return RenderResult::Finished;
        }
        std::fill(out + 2 * got, out + 2 * static_cast<std::size_t>(frames), 0.0f);
        const float gain = static_cast<float>(volume_) / 100.0f;
        if (gain != 1.0f)
            for (std::size_t i = 0; i < 2 * got; ++i) out[i] *= gain;
        return RenderResult::Playing;
    }

    // Takes ownership of `module` (may be null) and stops.
    void Replace(openmpt_module* module) {
        std::lock_guard lock(mutex_);
        if (module_) api_.openmpt_module_destroy(module_);
        module_ = module;
        playing_ = false;
        atEnd_ = false;
    }
    // False without a module.
    bool Start() {
        std::lock_guard lock(mutex_);
        if (!module_) return false;
        if (atEnd_) api_.openmpt_module_set_position_seconds(module_, 0.0);
        atEnd_ = false;
        playing_ = true;
        return true;
    }
    // Whether it was playing.
    bool Halt() {
        std::lock_guard lock(mutex_);
        return std::exchange(playing_, false);
    }
    // Playing, or played to the end with its last sound still in the stream's queue.
    bool Sounding(const PlayerStream& stream) {
        std::lock_guard lock(mutex_);
        return playing_ || (atEnd_ && !stream.Ended());
    }
    void Volume(int32_t volume) {
        std::lock_guard lock(mutex_);
        volume_ = volume;
    }
    int32_t Volume() {
        std::lock_guard lock(mutex_);
        return volume_;
    }
    int32_t Position() {
        std::lock_guard lock(mutex_);
        return module_ ? Milliseconds(api_.openmpt_module_get_position_seconds(module_)) : 0;
    }
    void Position(int32_t milliseconds) {
        std::lock_guard lock(mutex_);
        if (!module_) return;
        api_.openmpt_module_set_position_seconds(module_, std::max(0, milliseconds) / 1000.0);
        atEnd_ = false;
    }
    int32_t MaxPosition() {
        std::lock_guard lock(mutex_);
        return module_ ? Milliseconds(api_.openmpt_module_get_duration_seconds(module_)) : 0;
    }

private:
    static int32_t Milliseconds(double seconds) {
        const double ms = std::floor(seconds * 1000.0);
        return ms >= 0.0 && ms < 2147483647.0 ? static_cast<int32_t>(ms) : 0;
    }

    const OpenMpt api_;
    const int32_t sampleRate_;
    std::mutex mutex_;
    openmpt_module* module_ = nullptr;
    bool playing_ = false;
    bool atEnd_ = false;
    int32_t volume_ = 100;
};

struct Player {
    bool loop = false;
    int32_t windowHandle = 0;
    int32_t volume = 100;
    // Made on first Load, on the output device of that moment.
    std::unique_ptr<PlayerStream> stream;
    std::shared_ptr<ModuleProducer> producer;
};

struct Library {
    std::mutex mutex;
    std::string fileName = "libopenmpt.so.0";
    void* handle = nullptr;
    OpenMpt api;
    std::map<int32_t, Player> players;
    int32_t nextHandle = 1;

    void Load() {
        if (handle) return;
        void* h = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            const char* why = dlerror();
            throw Error(DSERR_MODNOTFOUND, "the module player library \"" + fileName + "\" cannot be loaded" +
                                               (why ? std::string(": ") + why : std::string()));
        }
        OpenMpt loaded;
        bool complete = true;
#define QXSOUND_RESOLVE(name)                                                       \
    loaded.name = reinterpret_cast<decltype(&::name)>(dlsym(h, #name));             \
    complete = complete && loaded.name != nullptr;
        QXSOUND_OPENMPT_FUNCS(QXSOUND_RESOLVE)
#undef QXSOUND_RESOLVE
        if (!complete) {
            dlclose(h);
            throw Error(DSERR_MODNOTFOUND, "\"" + fileName + "\" lacks functions of the module player");
        }
        handle = h;
        api = loaded;
    }

    Player& Find(int32_t handle) {
        auto it = players.find(handle);
        if (it == players.end())
            throw Error(DSERR_INVALIDPARAM, "no module player has the handle " + std::to_string(handle));
        return it->second;
    }

    void UnloadIfUnused() {
        if (players.empty() && handle) {
            dlclose(handle);
            handle = nullptr;
            api = OpenMpt{};
        }
    }
};

// Never destroyed: a host's own static objects (an engine held in a global) may release their players
// while the process exits, after this file's statics would be gone.
Library& TheLibrary() {
    static Library* library = new Library;
    return *library;
}

}  // namespace

int32_t ModPlug_CreateEx(const std::string& options) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    lib.Load();
    Player player;
    // "name|value|name|value..."
    std::size_t at = 0;
    while (at <= options.size()) {
        const std::size_t bar = options.find('|', at);
        const std::string name = options.substr(at, bar - at);
        if (bar == std::string::npos) break;
        const std::size_t next = options.find('|', bar + 1);
        const std::string value = options.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1);
        if (name == "loop") player.loop = value == "true" || value == "1";
        if (next == std::string::npos) break;
        at = next + 1;
    }
    const int32_t handle = lib.nextHandle++;
    lib.players.emplace(handle, std::move(player));
    return handle;
}

int32_t ModPlug_SetWindow(int32_t handle, int32_t windowHandle) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    lib.Find(handle).windowHandle = windowHandle;
    return 1;
}

void ModPlug_Destroy(int32_t handle) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    lib.Find(handle);
    lib.players.erase(handle);
    lib.UnloadIfUnused();
}

int32_t ModPlug_Load(int32_t handle, const std::string& fileName) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    Player& player = lib.Find(handle);
    if (!player.producer) {
        auto stream = std::make_unique<PlayerStream>();
        auto producer = std::make_shared<ModuleProducer>(lib.api, stream->SampleRate());
        producer->Volume(player.volume);
        stream->Open(producer);
        player.stream = std::move(stream);
        player.producer = std::move(producer);
    }
    player.producer->Replace(nullptr);
    player.stream->Halt();

    const auto bytes = ReadWholeFile(fileName);
    if (!bytes || bytes->empty()) return 0;
    int error = 0;
    openmpt_module* module = lib.api.openmpt_module_create_from_memory2(
        bytes->data(), bytes->size(), LogNothing, nullptr, IgnoreErrors, nullptr, &error, nullptr, nullptr);
    if (!module) return 0;
    lib.api.openmpt_module_set_repeat_count(module, player.loop ? -1 : 0);
    player.producer->Replace(module);
    return 1;
}

int32_t ModPlug_Play(int32_t handle) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    Player& player = lib.Find(handle);
    if (!player.producer || !player.producer->Start()) return 0;
    player.stream->Resume();
    player.stream->Start();
    return 1;
}

int32_t ModPlug_Stop(int32_t handle) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    Player& player = lib.Find(handle);
    if (!player.producer) return 0;
    // What is queued stays, so that a Play goes on from the sample heard.
    player.producer->Halt();
    player.stream->Pause();
    return 1;
}

int32_t ModPlug_IsPlaying(int32_t handle) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    Player& player = lib.Find(handle);
    return player.producer && player.producer->Sounding(*player.stream) ? 1 : 0;
}

int32_t ModPlug_SetVolume(int32_t handle, int32_t volume) {
    if (volume < 0 || volume > 100)
        throw Error(DSERR_INVALIDPARAM, "module volume " + std::to_string(volume) + " is outside 0 to 100");
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    Player& player = lib.Find(handle);
    player.volume = volume;
    if (player.producer) player.producer->Volume(volume);
    return 1;
}

int32_t ModPlug_GetVolume(int32_t handle) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    return lib.Find(handle).volume;
}

int32_t ModPlug_SetCurrentPosition(int32_t handle, int32_t milliseconds) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    Player& player = lib.Find(handle);
    if (!player.producer) return 1;
    // Nothing of the old position is heard after the new one starts.
    const bool playing = player.producer->Halt();
    player.stream->Halt();
    player.producer->Position(milliseconds);
    if (playing && player.producer->Start()) player.stream->Start();
    return 1;
}

int32_t ModPlug_GetCurrentPosition(int32_t handle) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    Player& player = lib.Find(handle);
    if (!player.producer) return 0;
    // The module is ahead of what is heard by what the stream holds.
    const int64_t unheard = player.stream->Unheard() * 1000 / player.stream->SampleRate();
    return static_cast<int32_t>(std::max<int64_t>(0, player.producer->Position() - unheard));
}

int32_t ModPlug_GetMaxPosition(int32_t handle) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    Player& player = lib.Find(handle);
    return player.producer ? player.producer->MaxPosition() : 0;
}

bool ModPlug_IsValid(int32_t handle) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    return lib.players.count(handle) != 0;
}

void SetModPlayerLibrary(const std::string& fileName) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    lib.fileName = fileName;
}

}  // namespace qxsound::platform
