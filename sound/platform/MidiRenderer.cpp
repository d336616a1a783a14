#include "MidiRenderer.h"

#include <qxsound/Error.h>

#include <fluidsynth.h>

#include <memory>
#include <mutex>

namespace qxsound::platform {

namespace {

// Frames per synthesis call: also the resolution of the music-time to frame map (5.8 ms).
constexpr int kBlockFrames = 256;
// Rendered pieces are held in memory (21 MB a minute): a file longer than this is refused.
constexpr int64_t kMaxSeconds = 10 * 60;

uint32_t ReadBig(const std::vector<uint8_t>& d, std::size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | d[at + static_cast<std::size_t>(i)];
    return v;
}

// The division (ticks per quarter note) of a well-formed file.
int32_t CheckMidi(const std::vector<uint8_t>& d, const std::string& fileName) {
    const auto bad = [&](const std::string& why) {
        return Error(DMUS_E_LOADER_FORMATNOTSUPPORTED, "\"" + fileName + "\" is not a usable MIDI file: " + why);
    };
    if (d.size() < 14 || std::string(d.begin(), d.begin() + 4) != "MThd") throw bad("no MThd header");
    const uint32_t headerLength = ReadBig(d, 4, 4);
    if (headerLength < 6 || 8 + static_cast<std::size_t>(headerLength) > d.size()) throw bad("bad header length");
    const uint32_t format = ReadBig(d, 8, 2);
    const uint32_t tracks = ReadBig(d, 10, 2);
    const uint32_t division = ReadBig(d, 12, 2);
    if (format > 2) throw bad("unknown format " + std::to_string(format));
    if (tracks == 0) throw bad("no tracks");
    if (division == 0 || (division & 0x8000)) throw bad("only tick divisions are supported");
    std::size_t at = 8 + headerLength;
    uint32_t found = 0;
    while (at + 8 <= d.size()) {
        const uint32_t length = ReadBig(d, at + 4, 4);
        if (at + 8 + static_cast<std::size_t>(length) > d.size()) throw bad("truncated chunk");
        if (std::string(d.begin() + static_cast<std::ptrdiff_t>(at), d.begin() + static_cast<std::ptrdiff_t>(at) + 4) ==
            "MTrk")
            ++found;
        at += 8 + length;
    }
    if (at != d.size() || found < tracks) throw bad("truncated file");
    return static_cast<int32_t>(division);
}

void Quiet(int, const char*, void*) {}

std::string& SoundFontFile() {
    static std::string file = QXSOUND_GM_SOUNDFONT;
    return file;
}

// One synthesizer renders every file, so the SoundFont is loaded once.
struct Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;

    Synth() {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, Quiet, nullptr);
        settings = new_fluid_settings();
        fluid_settings_setnum(settings, "synth.sample-rate", kMidiRenderRate);
        fluid_settings_setint(settings, "synth.reverb.active", 0);
        fluid_settings_setint(settings, "synth.chorus.active", 0);
        fluid_settings_setstr(settings, "player.timing-source", "sample");
        synth = new_fluid_synth(settings);
        if (!synth || fluid_synth_sfload(synth, SoundFontFile().c_str(), 1) == FLUID_FAILED) {
            Release();
            throw Error(DMUS_E_LOADER_FAILEDOPEN, "the General MIDI SoundFont \"" + SoundFontFile() + "\" cannot be loaded");
        }
    }
    ~Synth() { Release(); }
    void Release() {
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
        synth = nullptr;
        settings = nullptr;
    }
};

std::mutex synthMutex;
std::unique_ptr<Synth>& TheSynth() {
    static std::unique_ptr<Synth> synth;
    return synth;
}

}  // namespace

void SetMidiSoundFont(const std::string& fileName) {
    std::lock_guard lock(synthMutex);
    SoundFontFile() = fileName;
    TheSynth().reset();
}

SegmentContent RenderMidi(const std::vector<uint8_t>& smf, const std::string& fileName) {
    const int32_t division = CheckMidi(smf, fileName);
    std::lock_guard lock(synthMutex);
    auto& synth = TheSynth();
    if (!synth) synth = std::make_unique<Synth>();
    fluid_synth_system_reset(synth->synth);
    // Linear interpolation: a third of the default's cost, and General MIDI sounds do not need more.
    fluid_synth_set_interp_method(synth->synth, -1, FLUID_INTERP_LINEAR);

    struct PlayerDeleter {
        void operator()(fluid_player_t* p) const noexcept {
            fluid_player_stop(p);
            delete_fluid_player(p);
        }
    };
    std::unique_ptr<fluid_player_t, PlayerDeleter> player(new_fluid_player(synth->synth));
    if (!player || fluid_player_add_mem(player.get(), smf.data(), smf.size()) != FLUID_OK ||
        fluid_player_play(player.get()) != FLUID_OK)
        throw Error(DMUS_E_LOADER_FORMATNOTSUPPORTED, "FluidSynth cannot play \"" + fileName + "\"");

    SegmentContent content;
    std::vector<float> samples;
    int64_t frames = 0;
    int lastTick = -1;
    const auto toMusicTime = [&](int64_t tick) { return static_cast<int32_t>(tick * DMUS_PPQ / division); };
    std::vector<float> block(2 * kBlockFrames);
    for (;;) {
        const int tick = fluid_player_get_current_tick(player.get());
        const int total = fluid_player_get_total_ticks(player.get());
        if (tick != lastTick && tick >= 0) {
            content.tickFrames.emplace_back(toMusicTime(tick), frames);
            lastTick = tick;
        }
        if (frames > 0 && (fluid_player_get_status(player.get()) != FLUID_PLAYER_PLAYING || tick >= total)) {
            content.length = toMusicTime(total);
            break;
        }
        if (frames > kMaxSeconds * kMidiRenderRate)
            throw Error(DMUS_E_LOADER_FORMATNOTSUPPORTED, "\"" + fileName + "\" plays longer than ten minutes");
        fluid_synth_write_float(synth->synth, kBlockFrames, block.data(), 0, 2, block.data(), 1, 2);
        samples.insert(samples.end(), block.begin(), block.end());
        frames += kBlockFrames;
    }
    content.pcm = PcmData::FromFloat(std::move(samples), 2, kMidiRenderRate);
    return content;
}

}  // namespace qxsound::platform
