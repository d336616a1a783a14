#include "MidiSynth.h"

#include "DirectMusic.h"

#include <qxsound/Error.h>

#include <condition_variable>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace qxsound::platform::MidiSynth {

namespace {

constexpr const char* kSoundFont = QXSOUND_GM_SOUNDFONT;
// Voices of a synthesizer that plays: DirectMusic's default synthesizer has 64 as well, and a
// synthesizer of FluidSynth's default 256 takes 2 MB more.
constexpr int kPolyphony = 64;
void Quiet(int, const char*, void*) {}

struct Pool {
    std::mutex mutex;
    std::condition_variable changed;
    enum class Font { None, Loading, Ready, Failed } font = Font::None;
    fluid_synth_t* owner = nullptr;  // loaded the SoundFont and keeps it; never renders
    fluid_sfont_t* sfont = nullptr;
    std::map<int32_t, fluid_settings_t*> settings;
    std::map<int32_t, std::vector<fluid_synth_t*>> spares;  // never played: a played one keeps traces
    std::set<int32_t> spareWanted;
    bool working = false;

    fluid_settings_t* SettingsFor(int32_t rate) {  // mutex held
        auto& s = settings[rate];
        if (!s) {
            s = new_fluid_settings();
            fluid_settings_setnum(s, "synth.sample-rate", rate);
            fluid_settings_setint(s, "synth.polyphony", kPolyphony);
            fluid_settings_setint(s, "synth.reverb.active", 0);
            fluid_settings_setint(s, "synth.chorus.active", 0);
        }
        return s;
    }

    // A new synthesizer playing the shared SoundFont; mutex not held.
    fluid_synth_t* Make(fluid_settings_t* s) {
        fluid_synth_t* synth = new_fluid_synth(s);
        if (!synth) return nullptr;
        std::lock_guard lock(Lock());
        fluid_synth_add_sfont(synth, sfont);
        return synth;
    }

    void LoadFont() {  // mutex not held; the only thread touching owner/sfont until Ready
        // The owner never plays: one voice instead of 256 saves megabytes.
        fluid_settings_t* s = new_fluid_settings();
        fluid_settings_setint(s, "synth.polyphony", 1);
        fluid_settings_setint(s, "synth.reverb.active", 0);
        fluid_settings_setint(s, "synth.chorus.active", 0);
        fluid_synth_t* synth = new_fluid_synth(s);
        const int id = synth ? fluid_synth_sfload(synth, kSoundFont, 0) : FLUID_FAILED;
        std::lock_guard lock(mutex);
        if (id == FLUID_FAILED) {
            if (synth) delete_fluid_synth(synth);
            delete_fluid_settings(s);
            font = Font::Failed;
        } else {
            owner = synth;
            sfont = fluid_synth_get_sfont_by_id(synth, id);
            font = Font::Ready;
        }
        changed.notify_all();
    }

    void Work() {
        std::unique_lock lock(mutex);
        for (;;) {
            if (font == Font::Loading) {
                lock.unlock();
                LoadFont();
                lock.lock();
                continue;
            }
            if (font == Font::Ready && !spareWanted.empty()) {
                const int32_t rate = *spareWanted.begin();
                spareWanted.erase(spareWanted.begin());
                if (!spares[rate].empty()) continue;
                fluid_settings_t* s = SettingsFor(rate);
                lock.unlock();
                fluid_synth_t* synth = Make(s);
                lock.lock();
                if (synth) spares[rate].push_back(synth);
                changed.notify_all();
                continue;
            }
            changed.wait(lock);
        }
    }
};

Pool& ThePool() {
    // Lives to the end of the process: streams may still render while statics are destroyed.
    static Pool* pool = [] {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, Quiet, nullptr);
        return new Pool;
    }();
    return *pool;
}

void CheckFontFile() {
    char head[12] = {};
    std::ifstream in(kSoundFont, std::ios::binary);
    in.read(head, sizeof head);
    if (!in || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "sfbk", 4) != 0)
        throw Error(DMUS_E_LOADER_FAILEDOPEN, std::string("the General MIDI SoundFont \"") + kSoundFont +
                                                  "\" cannot be loaded");
}

}  // namespace

std::mutex& Lock() noexcept {
    static std::mutex lock;
    return lock;
}

void Prepare(int32_t sampleRate) {
    Pool& pool = ThePool();
    std::lock_guard lock(pool.mutex);
    if (pool.font == Pool::Font::Failed || pool.font == Pool::Font::None) {
        CheckFontFile();
        pool.font = Pool::Font::Loading;
    }
    if (pool.spares[sampleRate].empty()) pool.spareWanted.insert(sampleRate);
    if (!pool.working) {
        pool.working = true;
        std::thread([&pool] { pool.Work(); }).detach();
    }
    pool.changed.notify_all();
}

fluid_synth_t* Acquire(int32_t sampleRate) {
    Pool& pool = ThePool();
    std::unique_lock lock(pool.mutex);
    pool.changed.wait(lock, [&] { return pool.font != Pool::Font::Loading; });
    if (pool.font != Pool::Font::Ready) return nullptr;
    fluid_synth_t* synth = nullptr;
    auto& spares = pool.spares[sampleRate];
    if (!spares.empty()) {
        synth = spares.back();
        spares.pop_back();
    }
    // The next piece finds a spare ready.
    pool.spareWanted.insert(sampleRate);
    pool.changed.notify_all();
    if (!synth) {
        fluid_settings_t* s = pool.SettingsFor(sampleRate);
        lock.unlock();
        synth = pool.Make(s);
        if (!synth) return nullptr;
    } else {
        lock.unlock();
    }
    std::lock_guard synthLock(Lock());
    // Linear interpolation: a third of the default's cost, and General MIDI sounds do not need more.
    fluid_synth_set_interp_method(synth, -1, FLUID_INTERP_LINEAR);
    return synth;
}

void Release(fluid_synth_t* synth) noexcept {
    if (!synth) return;
    std::lock_guard synthLock(Lock());
    fluid_synth_remove_sfont(synth, ThePool().sfont);  // the owner keeps it
    delete_fluid_synth(synth);
}

}  // namespace qxsound::platform::MidiSynth
