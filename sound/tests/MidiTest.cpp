// MIDI segments synthesised while they play: what is heard against FluidSynth's own offline
// rendering of the same file, loops, pause, the end, a piece an hour long, and damaged files.
#include "TestSupport.h"

#include "LibraryContext.h"
#include "Loader.h"
#include "Mixer.h"
#include "MidiFile.h"
#include "Performance.h"

#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>

#include <fluidsynth.h>
#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace qxsound;
using qxtest::MidiEventAt;
using qxtest::Peak;
using qxtest::Render;
using qxtest::Rms;

namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kDivision = 96;
constexpr std::size_t kBlock = 441;  // 10 ms

MidiEventAt On(uint32_t tick, int ch, int key, int velocity = 100) {
    return {tick, {static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(key), static_cast<uint8_t>(velocity)}};
}
MidiEventAt Off(uint32_t tick, int ch, int key) {
    return {tick, {static_cast<uint8_t>(0x80 | ch), static_cast<uint8_t>(key), 0x40}};
}
MidiEventAt Program(uint32_t tick, int ch, int program) {
    return {tick, {static_cast<uint8_t>(0xC0 | ch), static_cast<uint8_t>(program)}};
}
MidiEventAt Cc(uint32_t tick, int ch, int cc, int value) {
    return {tick, {static_cast<uint8_t>(0xB0 | ch), static_cast<uint8_t>(cc), static_cast<uint8_t>(value)}};
}
MidiEventAt Tempo(uint32_t tick, uint32_t microsecondsPerBeat) {
    return {tick, {0xFF, 0x51, 0x03, static_cast<uint8_t>(microsecondsPerBeat >> 16),
                   static_cast<uint8_t>(microsecondsPerBeat >> 8), static_cast<uint8_t>(microsecondsPerBeat)}};
}

// Piano, bass and drums over eight beats, with a tempo change, a program change, a pitch bend and
// controllers. FluidSynth's player sends an event when the millisecond clock, rounded to the
// nearest tick, reaches it: up to half a tick early, at the start of a 64-frame synthesis block.
// Here every event falls on a whole millisecond that is also a whole block at 44.1 kHz (multiples
// of 0.64 s) and ticks are short (2/3 ms), so the player sends them at exactly the frames the
// library does.
std::vector<uint8_t> Band() {
    constexpr uint32_t kBeat = 960;  // ticks a beat: 0.64 s, then 0.32 s
    std::vector<MidiEventAt> conductor = {Tempo(0, 640000), Tempo(4 * kBeat, 320000)};
    std::vector<MidiEventAt> piano = {Program(0, 0, 0), On(0, 0, 60), On(0, 0, 64), Off(kBeat, 0, 60),
                                      On(kBeat, 0, 67), Off(2 * kBeat, 0, 64), Off(3 * kBeat, 0, 67),
                                      Program(4 * kBeat, 0, 24), On(4 * kBeat, 0, 72), Off(8 * kBeat, 0, 72)};
    std::vector<MidiEventAt> bass = {Program(0, 1, 33), Cc(0, 1, 7, 90), On(0, 1, 36), {2 * kBeat, {0xE1, 0x00, 0x50}},
                                     Cc(3 * kBeat, 1, 7, 120), Off(4 * kBeat, 1, 36), On(6 * kBeat, 1, 43),
                                     Off(8 * kBeat, 1, 43)};
    std::vector<MidiEventAt> drums;
    for (uint32_t beat = 0; beat < 8; beat += beat < 4 ? 1 : 2) {
        drums.push_back(On(beat * kBeat, 9, beat % 2 ? 38 : 36, 110));
        drums.push_back(Off((beat + 1) * kBeat, 9, beat % 2 ? 38 : 36));
    }
    return qxtest::SmfBytes(kBeat, {conductor, piano, bass, drums});
}

// FluidSynth's own player rendering the file offline, with the settings the library plays with.
std::vector<float> FluidSynthRender(const std::vector<uint8_t>& smf, int32_t frames) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", kRate);
    fluid_settings_setint(settings, "synth.polyphony", 64);
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_synth_sfload(synth, QXSOUND_GM_SOUNDFONT, 1);
    fluid_synth_set_interp_method(synth, -1, FLUID_INTERP_LINEAR);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add_mem(player, smf.data(), smf.size());
    fluid_player_play(player);
    std::vector<float> out(2 * static_cast<std::size_t>(frames));
    constexpr int kStep = 64;  // the synthesizer's own block: the player's finest timing
    for (int32_t at = 0; at < frames; at += kStep) {
        const int n = std::min(kStep, frames - at);
        fluid_synth_write_float(synth, n, out.data() + 2 * at, 0, 2, out.data() + 2 * at, 1, 2);
    }
    fluid_player_stop(player);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return out;
}

// Level per 10 ms block, in dB.
std::vector<double> Envelope(const std::vector<float>& stereo) {
    std::vector<double> db;
    for (std::size_t at = 0; at + 2 * kBlock <= stereo.size(); at += 2 * kBlock)
        db.push_back(20.0 * std::log10(Rms(stereo, at, at + 2 * kBlock) + 1e-6));
    return db;
}

class MidiTest : public qxtest::SoundTest {
protected:
    void SetUp() override {
        UseLoopback(kRate);
        engine = std::make_shared<SoundEngine8>();
        device = qxtest::PerformanceDevice();
        ASSERT_TRUE(device);
    }
    std::string File(const std::string& name, const std::vector<uint8_t>& bytes) {
        const auto path = Dir() / name;
        qxtest::WriteBytes(path, bytes);
        return path.string();
    }

    std::shared_ptr<SoundEngine8> engine;
    std::shared_ptr<platform::OpenALDevice> device;
};

TEST_F(MidiTest, SoundsLikeFluidSynthsOwnRendering) {
    const auto smf = Band();
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(File("band.mid", smf)));
    EXPECT_EQ(sound.Length(), 8 * 768);  // 4 beats of 0.64 s and 4 of 0.32 s: 3.84 s
    ASSERT_TRUE(sound.Play());
    const auto heard = Render(*device, 4.0);
    // The player sends the events due in a synthesis block at the start of the next one: its
    // output runs one block (64 frames) behind.
    constexpr std::size_t kPlayerDelay = 64;
    const auto reference = FluidSynthRender(smf, static_cast<int32_t>(4.0 * kRate));
    const auto a = Envelope(std::vector<float>(heard.begin(), heard.end() - 2 * kPlayerDelay));
    const auto b = Envelope(std::vector<float>(reference.begin() + 2 * kPlayerDelay, reference.end()));
    ASSERT_EQ(a.size(), b.size());
    // Same synthesizer, same notes at the same frames: the levels agree to float rounding in
    // OpenAL's mixing (0.05 dB is a sample error of 0.6 %). A note a block early or late, a
    // missed controller or program, would move the blocks around it by decibels.
    constexpr double kToleranceDb = 0.05;
    int sounding = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (b[i] < -60.0) continue;
        ++sounding;
        EXPECT_NEAR(a[i], b[i], kToleranceDb) << "block " << i << " (" << i * 10 << " ms)";
    }
    EXPECT_GT(sounding, 370);  // sound all through the 3.84 s, and the release after it
    EXPECT_LT(Envelope(heard).back(), -60.0);  // silent once the notes have died away
}

}  // namespace

namespace {

// Level in dB of `seconds` .. `seconds + length` of a stereo rendering.
double LevelAt(const std::vector<float>& stereo, double seconds, double length) {
    const auto at = [](double s) { return 2 * static_cast<std::size_t>(s * kRate); };
    return 20.0 * std::log10(Rms(stereo, at(seconds), at(seconds + length)) + 1e-6);
}

constexpr int kOrgan = 19;  // a church organ holds its level (about -39 dB here) while the key is down
constexpr double kSounding = -45.0;  // dB
constexpr double kQuiet = -55.0;     // a released organ note falls 1.6 dB every 10 ms

std::vector<uint8_t> Organ(std::vector<MidiEventAt> notes) {
    notes.insert(notes.begin(), Program(0, 0, kOrgan));
    return qxtest::SmfBytes(kDivision, {notes});
}

TEST_F(MidiTest, LoopCrossesItsEndThreeTimesWithoutAGap) {
    // One held note, the whole piece (0.5 s) looped: four passes.
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(File("held.mid", Organ({On(0, 0, 60), Off(kDivision, 0, 60)}))));
    sound.RepeatsOfLoopingPortion(3);
    ASSERT_TRUE(sound.Play());
    const auto out = Render(*device, 2.4);
    for (double t = 0.04; t < 1.99; t += 0.01) ASSERT_GT(LevelAt(out, t, 0.01), kSounding) << "a gap at " << t << " s";
    EXPECT_LT(LevelAt(out, 2.3, 0.1), -60.0);  // released at the end, not hanging
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
}

TEST_F(MidiTest, NotesSoundingAtTheLoopEndAreReleased) {
    // Two beats; the first (0.5 s) loops three times. A note starts a quarter beat in and is held
    // past the loop end: each jump back releases it, and the next pass starts quiet.
    const auto midi = Organ({On(kDivision / 2, 0, 72), Off(3 * kDivision / 2, 0, 72)});
    const auto sgt = platform::MakeSegmentFile(2 * 768, 3, 0, 768, 0, "", "midi", midi);
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(File("release.sgt", sgt)));
    EXPECT_EQ(sound.LoopPointEnd(), 768);
    ASSERT_TRUE(sound.Play());
    const auto out = Render(*device, 2.7);
    for (int pass = 0; pass < 4; ++pass) {
        const double start = 0.5 * pass;
        EXPECT_GT(LevelAt(out, start + 0.29, 0.2), kSounding) << "pass " << pass;
        if (pass > 0) {
            EXPECT_LT(LevelAt(out, start + 0.15, 0.1), kQuiet) << "held over into pass " << pass;
        }
    }
    // After the last pass the piece plays on past the loop end: the note is held to its own end.
    EXPECT_GT(LevelAt(out, 2.0, 0.24), kSounding);
    EXPECT_LT(LevelAt(out, 2.5, 0.2), -60.0);
}

TEST_F(MidiTest, PauseAndResume) {
    // A note for a beat, a beat of rest, a second note for a beat: 1.5 s.
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(File("two.mid", Organ({On(0, 0, 60), Off(kDivision, 0, 60), On(2 * kDivision, 0, 67),
                                                   Off(3 * kDivision, 0, 67)}))));
    ASSERT_TRUE(sound.Play());
    Render(*device, 0.3);
    ASSERT_TRUE(sound.Pause());
    EXPECT_LT(LevelAt(Render(*device, 0.3), 0.2, 0.1), -60.0);
    ASSERT_TRUE(sound.Play());
    // The rest of the first beat (0.2 s: a note held over the pause is not struck again), the
    // beat of rest, the second note from 0.7 s on.
    std::vector<float> out;
    for (int step = 0; step < 300 && sound.PlayState() == QX_PLAYSTATE_PLAYING; ++step) {
        const auto part = Render(*device, 0.005);
        out.insert(out.end(), part.begin(), part.end());
    }
    const double played = static_cast<double>(out.size()) / 2 / kRate;
    EXPECT_NEAR(played, 1.2, 0.05);
    EXPECT_LT(LevelAt(out, 0.5, 0.15), kQuiet);
    EXPECT_GT(LevelAt(out, 0.8, 0.3), kSounding);
}

TEST_F(MidiTest, EndsAtTheLastTick) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(File("beat.mid", Organ({On(0, 0, 60), Off(kDivision, 0, 60)}))));
    ASSERT_TRUE(sound.Play());
    int steps = 0;
    for (; steps < 200 && sound.PlayState() == QX_PLAYSTATE_PLAYING; ++steps) Render(*device, 0.005);
    // One beat at 120 beats per minute: 0.5 s, seen within a stream buffer (10 ms) and a step.
    EXPECT_GE(steps * 0.005, 0.5);
    EXPECT_LE(steps * 0.005, 0.5 + 0.015);
}

TEST_F(MidiTest, SeveralPiecesAtOnce) {
    SoundDx8 low, high;
    ASSERT_TRUE(low.Load(File("low.mid", Organ({On(0, 0, 48), Off(4 * kDivision, 0, 48)}))));
    ASSERT_TRUE(high.Load(File("high.mid", Organ({On(0, 0, 79), Off(4 * kDivision, 0, 79)}))));
    ASSERT_TRUE(low.Play());
    const double alone = LevelAt(Render(*device, 0.3), 0.1, 0.2);
    ASSERT_TRUE(high.Play());
    ASSERT_TRUE(low.Play());  // a second state on the same path
    const double together = LevelAt(Render(*device, 0.3), 0.1, 0.2);
    EXPECT_GT(together, alone + 3.0);
    EXPECT_EQ(low.PlayState(), QX_PLAYSTATE_PLAYING);
    EXPECT_EQ(high.PlayState(), QX_PLAYSTATE_PLAYING);
}

// Resident memory of the process, in bytes.
int64_t Resident() {
    std::ifstream statm("/proc/self/statm");
    int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

TEST_F(MidiTest, AnHourLongPiecePlaysItsFirstAndLastSecondsInBoundedMemory) {
    constexpr uint32_t kBeats = 7200;  // an hour at 120 beats per minute
    std::vector<MidiEventAt> notes;
    for (uint32_t beat = 0; beat < kBeats; ++beat) {
        notes.push_back(On(beat * kDivision, 0, 48 + static_cast<int>(beat % 24)));
        notes.push_back(Off(beat * kDivision + kDivision / 2, 0, 48 + static_cast<int>(beat % 24)));
    }
    const auto file = File("hour.mid", qxtest::SmfBytes(kDivision, {notes}));
    Render(*device, 0.1);
    const int64_t before = Resident();
    auto segment = Context().loader->LoadSegment(file);
    EXPECT_EQ(segment->GetLength(), static_cast<int32_t>((kBeats - 1) * 768 + 384));  // to the last note's end
    auto& performance = *Context().performance;
    auto path = performance.CreateStandardAudioPath(platform::DMUS_APATH_DYNAMIC_STEREO, 64, true);
    auto first = performance.PlaySegmentEx(segment, platform::DMUS_SEGF_SECONDARY, 0, nullptr, path);
    EXPECT_GT(LevelAt(Render(*device, 2.0), 0.0, 2.0), kQuiet);
    performance.StopEx(segment, 0, 0);
    // A segment of its own: on the stopped one a later start point would resume it.
    auto tail = Context().loader->LoadSegment(file);
    tail->SetStartPoint(tail->GetLength() - 2 * 1536);  // the last two seconds
    auto last = performance.PlaySegmentEx(tail, platform::DMUS_SEGF_SECONDARY, 0, nullptr, path);
    EXPECT_GT(LevelAt(Render(*device, 1.9), 0.0, 1.9), kQuiet);
    EXPECT_TRUE(performance.IsPlaying(tail, last));
    Render(*device, 0.2);
    EXPECT_FALSE(performance.IsPlaying(tail, last));
    // Rendered ahead of time, the piece would take 21 MB a minute.
    EXPECT_LT(Resident() - before, 20 << 20);
}

// Damage that FluidSynth would only notice (or not) when it plays: refused at Load.
TEST_F(MidiTest, DamagedTracksAreRefusedAtLoad) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(File("good.mid", qxtest::MidiBytes(1))));
    const std::vector<std::vector<uint8_t>> tracks = {
        {0x00, 0x3C, 0x40},                          // a data byte without a status
        {0x00, 0x90, 0x3C},                          // the track ends inside an event
        {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 0x3C, 0x40},  // a five-byte delta time
        {0x00, 0x90, 0x3C, 0xC0},                    // a data byte above 127
        {0x00, 0xF2, 0x00, 0x00},                    // a system common message in a track
        {0x00, 0xFF, 0x51, 0x09, 0x07, 0xA1},        // a meta event running past its track
        {0x00, 0xF0, 0x7F, 0x01},                    // a system-exclusive message running past it
    };
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const std::vector<uint8_t> header = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k',
                                             0, 0, 0, static_cast<uint8_t>(tracks[i].size())};
        std::vector<uint8_t> smf(header.size() + tracks[i].size());
        std::copy(tracks[i].begin(), tracks[i].end(), std::copy(header.begin(), header.end(), smf.begin()));
        EXPECT_FALSE(sound.Load(File("bad.mid", smf))) << "track " << i;
        EXPECT_EQ(sound.Name(), "good.mid") << "track " << i;
    }
}

}  // namespace

namespace {

// On the null backend, which plays out in real time, the feeding threads alone keep the streams
// queued: synthesising two pieces must not starve the streams of sixteen wave voices.
class MidiRealTime : public qxtest::SoundTest {};

TEST_F(MidiRealTime, TwoPiecesAndSixteenVoicesWithoutAnUnderrun) {
    auto engine = std::make_shared<SoundEngine8>();
    const auto band = Dir() / "band.mid";
    qxtest::WriteBytes(band, Band());
    const auto tone = Dir() / "tone.wav";
    qxtest::WriteWav(tone, qxtest::Sine(0.5, 440.0, 44100, 1, 0.1f), 1, 44100, SF_FORMAT_PCM_16);
    std::vector<std::unique_ptr<SoundDx8>> sounds;
    for (int i = 0; i < 18; ++i) {
        sounds.push_back(std::make_unique<SoundDx8>());
        ASSERT_TRUE(sounds.back()->Load(i < 2 ? band.string() : tone.string()));
        sounds.back()->RepeatsOfLoopingPortion(-1);
    }
    for (auto& sound : sounds) ASSERT_TRUE(sound->Play());
    std::this_thread::sleep_for(std::chrono::seconds(3));
    for (auto& sound : sounds) EXPECT_EQ(sound->PlayState(), QX_PLAYSTATE_PLAYING);
    EXPECT_EQ(qxtest::PerformanceDevice()->GetMixer().Underruns(), 0);
}

}  // namespace
