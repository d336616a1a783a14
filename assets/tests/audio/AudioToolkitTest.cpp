// The synthesis, WAV and MIDI writing and composition helpers behind the audio files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "AudioFileReaders.h"
#include "audio/Arranger.h"
#include "audio/MidiFile.h"
#include "audio/Music.h"
#include "audio/Synth.h"
#include "audio/WavFile.h"

namespace orvane::assets::audio {
namespace {

std::vector<std::uint8_t> VarLen(std::uint32_t value) {
    std::vector<std::uint8_t> out;
    AppendVarLen(out, value);
    return out;
}

TEST(MidiWriting, VariableLengthQuantitiesAtTheirBoundaries) {
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(VarLen(0), Bytes({0x00}));
    EXPECT_EQ(VarLen(0x7F), Bytes({0x7F}));
    EXPECT_EQ(VarLen(0x80), Bytes({0x81, 0x00}));
    EXPECT_EQ(VarLen(0x3FFF), Bytes({0xFF, 0x7F}));
    EXPECT_EQ(VarLen(0x4000), Bytes({0x81, 0x80, 0x00}));
    EXPECT_EQ(VarLen(0x0FFFFFFF), Bytes({0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_THROW(VarLen(0x10000000), std::out_of_range);
}

TEST(MidiWriting, RepeatedNotesAndRunningStatusReadBackExactly) {
    MidiFile file(480);
    MidiTrack& conductor = file.AddTrack("Conductor");
    conductor.AddTempo(0, 125);  // 480000 microseconds per quarter
    conductor.AddTimeSignature(0, 3, 4);
    MidiTrack& track = file.AddTrack("Part");
    track.AddProgram(0, 2, 40);
    // Added out of order, and the same pitch restarting exactly where it stops.
    track.AddNote(480, 480, 2, 60, 90);
    track.AddNote(0, 480, 2, 60, 100);
    track.AddNote(0, 1440, 2, 64, 80);
    const auto bytes = file.Encode(1440);

    const auto midi = readers::ParseMidi(bytes);
    EXPECT_TRUE(midi.problems.empty()) << midi.problems.front();
    ASSERT_EQ(midi.notes.size(), 3u);
    EXPECT_EQ(midi.EndTick(), 1440u);
    EXPECT_EQ(midi.beatsPerBar, 3);
    EXPECT_EQ(midi.tempos.front().second, 480000u);
    EXPECT_NEAR(midi.Seconds(), 1.44, 1e-9);
    EXPECT_EQ(midi.ProgramOf(2), 40);
    // Running status: one note-on status byte serves every note event of the channel.
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0x92), 1);

    MidiFile late(480);
    late.AddTrack("Part").AddNote(960, 480, 0, 60, 90);
    EXPECT_THROW(late.Encode(960), std::invalid_argument) << "a note may not outlast the end of track";
    EXPECT_THROW(MidiTrack("x").AddNote(0, 10, 16, 60, 90), std::out_of_range);
    EXPECT_THROW(MidiTrack("x").AddNote(0, 10, 0, 128, 90), std::out_of_range);
}

TEST(WavWriting, HeaderAndClampedSamplesReadBack) {
    const Signal signal = {0.0f, 0.5f, -0.5f, 1.5f, -1.5f};
    const auto bytes = EncodeWav(signal, 22050);
    EXPECT_EQ(bytes.size(), 44u + 2 * signal.size());
    const auto wav = readers::ParseWav(bytes);
    EXPECT_EQ(wav.sampleRate, 22050);
    ASSERT_EQ(wav.samples.size(), signal.size());
    EXPECT_NEAR(wav.samples[1], 0.5, 1e-4);
    EXPECT_NEAR(wav.samples[2], -0.5, 1e-4);
    EXPECT_NEAR(wav.samples[3], 32767 / 32768.0, 1e-9) << "clamped, not wrapped";
    EXPECT_NEAR(wav.samples[4], -1.0, 1e-9);
    EXPECT_NO_THROW(readers::ParseWav(EncodeWav({})));
}

TEST(Synthesis, NormaliseReachesTheTargetWithoutExceedingTheCeiling) {
    // A quiet tone with one loud spike: raising the tone to the target must not let the spike clip.
    Signal signal = Silence(1.0);
    Oscillator osc(Oscillator::Shape::Sine);
    for (auto& s : signal) s = 0.05f * osc.Next(220);
    signal[Samples(0.5)] = 0.9f;
    Normalise(signal, -16.0, -1.0);
    EXPECT_LE(Peak(signal), FromDb(-1.0) + 1e-6);
    EXPECT_NEAR(ToDb(GatedRms(signal)), -16.0, 0.5);

    Signal silent = Silence(0.3);
    Normalise(silent, -16.0, -1.0);
    EXPECT_EQ(Peak(silent), 0.0);
}

TEST(Synthesis, BandLimitedOscillatorsAndFilters) {
    // A saw at 1 kHz keeps its level and stays bounded; a low-pass at 200 Hz removes most of it.
    Oscillator saw(Oscillator::Shape::Saw);
    Biquad lowpass;
    lowpass.SetLowpass(200, 0.7);
    Signal dry(Samples(0.5)), wet(Samples(0.5));
    for (std::size_t i = 0; i < dry.size(); ++i) {
        dry[i] = saw.Next(1000);
        wet[i] = lowpass.Process(dry[i]);
    }
    EXPECT_LT(Peak(dry), 1.2);
    EXPECT_NEAR(GatedRms(dry), 1 / std::sqrt(3.0), 0.05);
    EXPECT_LT(GatedRms(wet), GatedRms(dry) / 10);
    // Same seed, same noise.
    Noise a(7), b(7), c(8);
    const float first = a.White();
    EXPECT_EQ(first, b.White());
    EXPECT_NE(first, c.White());
}

TEST(Composition, ScalesChordsAndVoiceLeading) {
    const Scale cMajor(60, Scale::kMajor);
    EXPECT_EQ(cMajor.Pitch(0), 60);
    EXPECT_EQ(cMajor.Pitch(-1), 59);
    EXPECT_EQ(cMajor.Pitch(7), 72);
    EXPECT_EQ(cMajor.Pitch(-8), 47);
    EXPECT_EQ(Scale(57, Scale::kHarmonicMinor).Pitch(6), 68) << "raised seventh";
    EXPECT_EQ(NearestChordTone(4, 5), 4);   // G B D: A goes down to G
    EXPECT_EQ(NearestChordTone(4, -1), -1);  // D below the tonic is a chord tone of G
    // Voice leading from C major to F major keeps the common tone C and moves the others by steps.
    const auto c = VoiceLead(cMajor, 0, false, {}, 55, 72);
    const auto f = VoiceLead(cMajor, 3, false, c, 55, 72);
    ASSERT_EQ(c.size(), 3u);
    ASSERT_EQ(f.size(), 3u);
    int movement = 0;
    for (std::size_t i = 0; i < 3; ++i) movement += std::abs(f[i] - c[i]);
    EXPECT_LE(movement, 3);
}

TEST(Composition, PhrasesStayInTheirBarsAndLandOnChordTones) {
    const Motif motif = {{0, 0, 2}, {1, 2, 2}, {2, 4, 4}, {4, 8, 2}, {3, 10, 2}, {2, 12, 4}};
    const std::vector<int> chords = {0, 5, 3, 4};
    for (auto development :
         {Development::Invert, Development::Fragment, Development::Ornament, Development::Rise}) {
        int anchor = 14;
        const auto notes = Phrase(motif, chords, 8, 16, development, 0, anchor);
        ASSERT_FALSE(notes.empty());
        for (std::size_t i = 0; i < notes.size(); ++i) {
            const auto& n = notes[i];
            const int bar = n.start / 16 - 8;
            ASSERT_GE(bar, 0);
            ASSERT_LT(bar, 4);
            EXPECT_LE(n.start % 16 + n.length, 16) << "note crosses a bar line";
            if (i > 0) {
                EXPECT_GE(n.start, notes[i - 1].start + notes[i - 1].length) << "overlap";
            }
            if (n.start % 8 == 0) {
                const int root = chords[static_cast<std::size_t>(bar)];
                const int relative = ((n.degree - root) % 7 + 7) % 7;
                EXPECT_TRUE(relative == 0 || relative == 2 || relative == 4) << "strong beat off the chord";
            }
        }
        // The phrase ends on the root of its last chord.
        EXPECT_EQ(((notes.back().degree - chords.back()) % 7 + 7) % 7, 0);
    }
}

TEST(Composition, ShortFormsGrowToTheirMinimumLength) {
    PiecePlan plan{.fileName = "t.mid", .title = "t", .tempo = 240, .beatsPerBar = 4, .tonic = 48,
                   .mode = Scale::kAeolian, .keySharps = -3, .keyMinor = true,
                   .leadProgram = 81, .arpProgram = 0, .padProgram = 48, .bassProgram = 33,
                   .intro = {0, 0, 0, 0}, .partA = {0, 5, 3, 4, 0, 5, 3, 4}, .partB = {5, 3, 0, 4, 5, 3, 4, 4},
                   .sevenths = false, .motifA = {{0, 0, 4}, {2, 4, 4}}, .motifB = {{4, 0, 8}},
                   .bass = "R-R-R-R-R-R-R-R-", .bassB = "R---R---R---R---", .arp = "0123012301230123",
                   .groove = {{{36, "x...x...x...x..."}}}, .grooveB = {{{38, "....x.......x..."}}},
                   .form = "IA", .minSeconds = 60};
    const auto piece = RenderPiece(plan);
    EXPECT_GE(piece.seconds, 60.0);
    EXPECT_EQ(piece.form.substr(0, 2), "IA");
    EXPECT_EQ(piece.form.back(), 'A') << "a piece returns to its main theme before looping";
    const auto midi = readers::ParseMidi(piece.bytes);
    EXPECT_EQ(midi.EndTick(), piece.lengthTicks);
    EXPECT_EQ(static_cast<int>(piece.lengthTicks / (4 * kTicksPerQuarter)), piece.bars);
    EXPECT_TRUE(midi.problems.empty());

    plan.bass = "R-R-";  // not one bar long
    EXPECT_THROW(RenderPiece(plan), std::invalid_argument);
}

}  // namespace
}  // namespace orvane::assets::audio
