#include "ModPlug.h"

#include <qxsound/Error.h>

#include <libopenmpt/libopenmpt.h>

#include <dlfcn.h>

#include <map>
#include <mutex>

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

struct Player {
    bool loop = false;
    int32_t windowHandle = 0;
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

    void UnloadIfUnused() {
        if (players.empty() && handle) {
            dlclose(handle);
            handle = nullptr;
            api = OpenMpt{};
        }
    }
};

Library& TheLibrary() {
    static Library library;
    return library;
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
    lib.players.emplace(handle, player);
    return handle;
}

int32_t ModPlug_SetWindow(int32_t handle, int32_t windowHandle) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    auto it = lib.players.find(handle);
    if (it == lib.players.end()) throw Error(DSERR_INVALIDPARAM, "no module player has the handle " + std::to_string(handle));
    it->second.windowHandle = windowHandle;
    return 1;
}

void ModPlug_Destroy(int32_t handle) {
    Library& lib = TheLibrary();
    std::lock_guard lock(lib.mutex);
    if (lib.players.erase(handle) == 0)
        throw Error(DSERR_INVALIDPARAM, "no module player has the handle " + std::to_string(handle));
    lib.UnloadIfUnused();
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
