// The sound-effect files as the game finds them in its data directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "AudioFileReaders.h"
#include "audio/SoundEffects.h"

namespace orvane::assets::audio {
namespace {

using readers::ParseWav;
using readers::ReadFileBytes;
using readers::WavData;

const std::vector<std::string> kEffectFiles = {"explosin.wav", "lancio3.wav",   "scontro.wav", "scontro1.wav",
                                               "inizio.wav",   "sparatoria.wav", "fuori2.wav",  "bonus2.wav",
                                               "livellook.wav", "gameover1.wav"};

WavData Load(const std::string& name) { return ParseWav(ReadFileBytes(std::filesystem::path(ORVANE_DATA_DIR) / name)); }

double RmsDb(const std::vector<double>& s, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += s[i] * s[i];
    return 10 * std::log10(std::max(sum / static_cast<double>(to - from), 1e-20));
}

// Loudness as the effects are levelled: 50 ms blocks, keeping those within 20 dB of the loudest.
double GatedLoudnessDb(const WavData& wav) {
    const std::size_t block = static_cast<std::size_t>(wav.sampleRate / 20);
    std::vector<double> blocks;
    for (std::size_t i = 0; i + block <= wav.samples.size(); i += block)
        blocks.push_back(RmsDb(wav.samples, i, i + block));
    const double loudest = *std::max_element(blocks.begin(), blocks.end());
    double energy = 0;
    int count = 0;
    for (double db : blocks) {
        if (db >= loudest - 20) {
            energy += std::pow(10.0, db / 10);
            ++count;
        }
    }
    return 10 * std::log10(energy / count);
}

double ZeroCrossingsPerSecond(const WavData& wav) {
    int crossings = 0;
    for (std::size_t i = 1; i < wav.samples.size(); ++i)
        crossings += (wav.samples[i - 1] < 0) != (wav.samples[i] < 0);
    return crossings / wav.Seconds();
}

TEST(SoundFiles, TheGeneratorWritesExactlyTheEffectsTheGameLoads) {
    std::set<std::string> written;
    for (const auto& effect : SoundEffects()) written.insert(effect.fileName);
    EXPECT_EQ(written, std::set<std::string>(kEffectFiles.begin(), kEffectFiles.end()));
}

TEST(SoundFiles, EveryEffectIsCleanPcmAtTheCommonLoudness) {
    for (const auto& name : kEffectFiles) {
        SCOPED_TRACE(name);
        WavData wav;
        ASSERT_NO_THROW(wav = Load(name));
        EXPECT_EQ(wav.format, 1);
        EXPECT_EQ(wav.channels, 1);
        EXPECT_TRUE(wav.sampleRate == 44100 || wav.sampleRate == 22050) << wav.sampleRate;
        EXPECT_EQ(wav.bitsPerSample, 16);
        ASSERT_GT(wav.Seconds(), 0.2);
        EXPECT_LT(wav.Seconds(), 4.0);

        double peak = 0;
        for (double s : wav.samples) peak = std::max(peak, std::abs(s));
        EXPECT_LE(20 * std::log10(peak), kEffectCeilingDb + 0.01) << "peak above the ceiling";
        EXPECT_GT(peak, 0.1) << "nearly silent";
        EXPECT_NEAR(GatedLoudnessDb(wav), kEffectLoudnessDb, 1.0);

        // Faded edges: no click when the sound starts, ends or is cut off by a restart.
        EXPECT_LT(std::abs(wav.samples.front()), 0.01);
        EXPECT_LT(std::abs(wav.samples.back()), 0.01);
    }
}

TEST(SoundFiles, SoundsReplayedEveryFrameSuitRepetition) {
    // Firing and flying into fire replay their sound on every frame: short, front-loaded sounds.
    for (const std::string name : {"lancio3.wav", "scontro1.wav"}) {
        SCOPED_TRACE(name);
        const WavData wav = Load(name);
        EXPECT_LE(wav.Seconds(), 0.5);
        const std::size_t tenth = wav.samples.size() / 10;
        EXPECT_GT(RmsDb(wav.samples, 0, 3 * tenth), RmsDb(wav.samples, 6 * tenth, wav.samples.size()) + 6);
    }
    // The alarm restarts on every frame at the boundary: it is at full level within its first 20 ms.
    const WavData alarm = Load("sparatoria.wav");
    const auto ms20 = static_cast<std::size_t>(alarm.sampleRate / 50);
    EXPECT_GT(RmsDb(alarm.samples, ms20 / 4, ms20), GatedLoudnessDb(alarm) - 4);
    // The game-over sound is started on every pass of its screen: a steady drone, no swells or gaps.
    const WavData sting = Load("gameover1.wav");
    const auto window = static_cast<std::size_t>(sting.sampleRate / 10);
    double lowest = 1e9, highest = -1e9;
    for (std::size_t i = window / 2; i + window <= static_cast<std::size_t>(1.5 * sting.sampleRate); i += window) {
        const double db = RmsDb(sting.samples, i, i + window);
        lowest = std::min(lowest, db);
        highest = std::max(highest, db);
    }
    EXPECT_LT(highest - lowest, 4.0);
}

TEST(SoundFiles, EffectsHaveTheCharacterOfTheirEvents) {
    const WavData explosion = Load("explosin.wav");
    const WavData chime = Load("bonus2.wav");
    const WavData shot = Load("lancio3.wav");
    // A rumbling explosion is darker than a bell chime or a laser zap, and lasts longer than the shot.
    EXPECT_LT(ZeroCrossingsPerSecond(explosion), ZeroCrossingsPerSecond(chime) / 2);
    EXPECT_LT(ZeroCrossingsPerSecond(explosion), ZeroCrossingsPerSecond(shot));
    EXPECT_GT(explosion.Seconds(), 3 * shot.Seconds());
    // The fanfare and the start jingle are longer musical phrases.
    EXPECT_GT(Load("livellook.wav").Seconds(), 2.0);
    EXPECT_GT(Load("inizio.wav").Seconds(), 1.5);
}

}  // namespace
}  // namespace orvane::assets::audio
