// The music files as the game finds them in its data directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "AudioFileReaders.h"
#include "audio/Pieces.h"

namespace orvane::assets::audio {
namespace {

using readers::MidiData;
using readers::ParseMidi;
using readers::ReadFileBytes;

constexpr int kDrumChannel = 9;

MidiData Load(const std::string& name) {
    return ParseMidi(ReadFileBytes(std::filesystem::path(ORVANE_DATA_DIR) / name));
}

std::vector<std::string> LevelFiles() {
    std::vector<std::string> names;
    for (int level = 1; level <= 11; ++level) names.push_back(std::to_string(level) + ".mid");
    return names;
}

std::vector<std::string> AllFiles() {
    auto names = LevelFiles();
    names.insert(names.begin(), {"inizio1.mid", "fine.mid"});
    return names;
}

TEST(MusicFiles, TheGeneratorWritesExactlyTheMusicTheGameLoads) {
    std::set<std::string> written;
    for (const auto& piece : MusicPieces()) written.insert(piece.fileName);
    const auto expected = AllFiles();
    EXPECT_EQ(written, std::set<std::string>(expected.begin(), expected.end()));
}

TEST(MusicFiles, EveryPieceIsGeneralMidiThatLoopsCleanly) {
    for (const auto& name : AllFiles()) {
        SCOPED_TRACE(name);
        MidiData midi;
        ASSERT_NO_THROW(midi = Load(name));
        EXPECT_EQ(midi.format, 1);
        EXPECT_GE(midi.trackCount, 4);
        ASSERT_FALSE(midi.tempos.empty());
        EXPECT_EQ(midi.tempos.front().first, 0u) << "tempo set at the start";
        ASSERT_GT(midi.beatsPerBar, 0);
        EXPECT_TRUE(midi.hasKeySignature);
        EXPECT_TRUE(midi.problems.empty()) << midi.problems.front();

        // Every track ends together, exactly on a bar line, with every note released by then.
        const std::uint32_t end = midi.EndTick();
        for (auto trackEnd : midi.trackEnds) EXPECT_EQ(trackEnd, end);
        const auto barTicks = static_cast<std::uint32_t>(midi.division * 4 * midi.beatsPerBar / midi.beatUnit);
        EXPECT_EQ(end % barTicks, 0u) << "ends " << end % barTicks << " ticks into a bar";
        bool startsAtOnce = false, playsToTheEnd = false;
        std::set<int> channels;
        for (const auto& note : midi.notes) {
            EXPECT_LE(note.off, end);
            EXPECT_LT(note.on, note.off);
            startsAtOnce = startsAtOnce || note.on == 0;
            playsToTheEnd = playsToTheEnd || note.off + barTicks / 2 > end;
            channels.insert(note.channel);
        }
        // No silent gap at the seam when the piece repeats.
        EXPECT_TRUE(startsAtOnce);
        EXPECT_TRUE(playsToTheEnd);

        // Melody, bass and drums at least; each melodic channel gets its instrument at the very start,
        // so a repeat sounds the same as the first pass.
        EXPECT_GE(channels.size(), 4u);
        EXPECT_TRUE(channels.count(kDrumChannel)) << "no drums on channel 10";
        for (int channel : channels) {
            if (channel != kDrumChannel) {
                EXPECT_GE(midi.ProgramOf(channel), 0) << "channel " << channel;
            }
        }
        EXPECT_TRUE(midi.lateProgramChannels.empty());
    }
}

TEST(MusicFiles, LevelPiecesLastAMinuteAndDifferInTempoKeyAndInstruments) {
    std::set<std::uint32_t> tempos;
    std::set<std::pair<int, bool>> keys;
    std::set<int> leads;
    std::set<std::vector<int>> ensembles;
    for (const auto& name : LevelFiles()) {
        SCOPED_TRACE(name);
        const MidiData midi = Load(name);
        EXPECT_GE(midi.Seconds(), 60.0);
        EXPECT_LE(midi.Seconds(), 180.0);
        tempos.insert(midi.tempos.front().second);
        keys.insert({midi.keySharps, midi.keyMinor});
        leads.insert(midi.ProgramOf(0));
        std::vector<int> ensemble;
        for (int channel = 0; channel < 16; ++channel) ensemble.push_back(midi.ProgramOf(channel));
        ensembles.insert(ensemble);
    }
    EXPECT_EQ(tempos.size(), 11u);
    EXPECT_EQ(keys.size(), 11u);
    EXPECT_EQ(leads.size(), 11u);
    EXPECT_EQ(ensembles.size(), 11u);
}

TEST(MusicFiles, MenuThemesAreLongEnoughNotToNag) {
    for (const std::string name : {"inizio1.mid", "fine.mid"}) {
        SCOPED_TRACE(name);
        const MidiData midi = Load(name);
        EXPECT_GE(midi.Seconds(), 30.0);
    }
    // Microseconds per quarter note: the game-over lament is slower than the title theme.
    EXPECT_GT(Load("fine.mid").tempos.front().second, Load("inizio1.mid").tempos.front().second);
}

TEST(MusicFiles, MelodiesAreBuiltFromRecurringMotifs) {
    // A composed lead restates its phrases: many of its bars share their rhythm with another bar,
    // which random notes would not.
    for (const auto& name : AllFiles()) {
        SCOPED_TRACE(name);
        const MidiData midi = Load(name);
        const auto barTicks = static_cast<std::uint32_t>(midi.division * 4 * midi.beatsPerBar / midi.beatUnit);
        std::map<std::uint32_t, std::vector<std::uint32_t>> rhythms;  // bar -> onsets within the bar
        for (const auto& note : midi.notes)
            if (note.channel == 0) rhythms[note.on / barTicks].push_back(note.on % barTicks);
        ASSERT_GE(rhythms.size(), 8u);
        std::map<std::vector<std::uint32_t>, int> counts;
        for (auto& [bar, onsets] : rhythms) {
            std::sort(onsets.begin(), onsets.end());
            ++counts[onsets];
        }
        int repeatedBars = 0;
        for (const auto& [rhythm, count] : counts)
            if (count > 1) repeatedBars += count;
        EXPECT_GE(repeatedBars * 2, static_cast<int>(rhythms.size()));
    }
}

}  // namespace
}  // namespace orvane::assets::audio
