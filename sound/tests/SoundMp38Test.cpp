#include "TestSupport.h"

#include "MediaGraph.h"

#include <qxsound/SoundEngine8.h>
#include <qxsound/SoundMp38.h>
#include <qxsound/modGlobal.h>

#include <sndfile.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

using namespace qxsound;
using qxtest::Render;
using qxtest::Rms;

namespace {

constexpr int32_t kRate = 44100;
constexpr float kSilence = 1e-6f;

// A graph whose interfaces can be left out, recording the calls it gets.
struct FakeGraphState {
    bool control = true, audio = true, event = true, position = true;
    double current = 0.0, duration = 10.0;
    int32_t completion = 0;
    std::vector<std::string> log;
};

class FakeGraph final : public platform::FilgraphManager,
                        public platform::IMediaControl,
                        public platform::IBasicAudio,
                        public platform::IMediaPosition,
                        public platform::IMediaEvent,
                        public std::enable_shared_from_this<FakeGraph> {
public:
    explicit FakeGraph(std::shared_ptr<FakeGraphState> s) : s_(std::move(s)) {}
    std::shared_ptr<platform::IMediaControl> MediaControl() override { return Maybe<IMediaControl>(s_->control); }
    std::shared_ptr<platform::IBasicAudio> BasicAudio() override { return Maybe<IBasicAudio>(s_->audio); }
    std::shared_ptr<platform::IMediaEvent> MediaEvent() override { return Maybe<IMediaEvent>(s_->event); }
    std::shared_ptr<platform::IMediaPosition> MediaPosition() override { return Maybe<IMediaPosition>(s_->position); }

    void RenderFile(const std::string& f) override { s_->log.push_back("RenderFile(" + f + ")"); }
    void Run() override { s_->log.push_back("Run"); }
    void Pause() override { s_->log.push_back("Pause"); }
    void Stop() override { s_->log.push_back("Stop"); }
    int32_t GetVolume() override { return -300; }
    void SetVolume(int32_t v) override { s_->log.push_back("SetVolume(" + std::to_string(v) + ")"); }
    int32_t GetBalance() override { return 0; }
    void SetBalance(int32_t) override {}
    double GetDuration() override { return s_->duration; }
    double GetCurrentPosition() override { return s_->current; }
    void SetCurrentPosition(double t) override {
        s_->log.push_back("SetCurrentPosition(" + std::to_string(static_cast<int>(t)) + ")");
        s_->current = t;
    }
    double GetRate() override { return 1.0; }
    void SetRate(double) override {}
    int32_t WaitForCompletion(int32_t) override { return s_->completion; }

private:
    template <typename I>
    std::shared_ptr<I> Maybe(bool present) {
        return present ? std::shared_ptr<I>(shared_from_this()) : nullptr;
    }
    std::shared_ptr<FakeGraphState> s_;
};

class SoundMp38Test : public qxtest::SoundTest {
protected:
    void SetUp() override {
        UseLoopback(kRate);
        engine = std::make_shared<SoundEngine8>();
        device = qxtest::OutputDevice();
    }
    void TearDown() override {
        platform::SetFilterGraphFactory({});
        SoundTest::TearDown();
    }

    // An MP3 of a steady tone made by lame from a generated WAV file.
    std::string Mp3(const std::string& name, double seconds, int32_t channels, const std::string& lameOptions) {
        const auto wav = Dir() / (name + ".wav");
        const auto mp3 = Dir() / name;
        qxtest::WriteWav(wav, qxtest::Sine(seconds, 440.0, kRate, channels), channels, kRate, SF_FORMAT_PCM_16);
        const std::string command = "lame --quiet " + lameOptions + " '" + wav.string() + "' '" + mp3.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return mp3.string();
    }
    std::shared_ptr<FakeGraphState> UseFakeGraph() {
        auto state = std::make_shared<FakeGraphState>();
        platform::SetFilterGraphFactory([state](auto) { return std::make_shared<FakeGraph>(state); });
        return state;
    }

    std::shared_ptr<SoundEngine8> engine;
    std::shared_ptr<platform::OpenALDevice> device;
};

TEST_F(SoundMp38Test, NewSoundIsUndefinedAndPauseAndStopChangeNothing) {
    SoundMp38 sound;
    EXPECT_EQ(sound.Type_(), QX_SOUNDTYPE_MP3);
    EXPECT_EQ(sound.Key(), "");
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);
    EXPECT_TRUE(sound.Pause());
    EXPECT_TRUE(sound.Stop_());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);
    EXPECT_FALSE(sound.Play());  // nothing loaded
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);
    EXPECT_THROW(sound.Duration(), Error);
    EXPECT_EQ(sound.Genre(), 0);
    EXPECT_EQ(sound.GenreText(), "Blues");
}

TEST_F(SoundMp38Test, ConstantBitRateFileIsInspectedAndPlaysItsLength) {
    const auto file = Mp3("cbr.mp3", 1.0, 2, "-b 128 --tt Title --ta Someone --tn 7 --tg Jazz --id3v1-only");
    SoundMp38 sound;
    ASSERT_TRUE(sound.Load(file));
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);
    EXPECT_EQ(sound.MpegVersion(), 1);
    EXPECT_EQ(sound.MpegLayer(), 3);
    EXPECT_EQ(sound.Bitrate(), 128);
    EXPECT_EQ(sound.Frequency(), kRate);
    EXPECT_EQ(sound.Mode(), QX_MP3MODE_JOINTSTEREO);
    EXPECT_FALSE(sound.VariableBitRate());  // lame marks CBR files "Info", not "Xing"
    EXPECT_TRUE(sound.HasTag());
    EXPECT_EQ(TrimAtNull(sound.SongName()), "Title");
    EXPECT_EQ(sound.SongName().size(), 30u);
    EXPECT_EQ(TrimAtNull(sound.Artist()), "Someone");
    EXPECT_EQ(sound.Track(), std::string(1, '\x07'));
    EXPECT_EQ(sound.GenreText(), "Jazz");
    EXPECT_NEAR(sound.Duration(), 1.0, 1.0 / kRate);

    ASSERT_TRUE(sound.Play());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
    const auto heard = Render(*device, 0.6);
    EXPECT_NEAR(Rms(heard, 2 * 4410), 0.5f / std::sqrt(2.0f), 0.02f);
    EXPECT_EQ(sound.PlayPosition(), 1);  // 0.6 s rounds to 1
    Render(*device, 0.3);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
    const auto end = Render(*device, 0.2);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
    EXPECT_GT(Rms(end, 0, 2 * 2000), 0.1f);              // the last 50 ms of the tone
    EXPECT_LT(qxtest::Peak(end, 2 * 6615), kSilence);   // nothing after the end
    EXPECT_NEAR(sound.Duration(), 1.0, 1.0 / kRate);
    EXPECT_EQ(sound.PlayPosition(), 1);
    // Pause and Stop_ leave an ended sound ended.
    EXPECT_TRUE(sound.Pause());
    EXPECT_TRUE(sound.Stop_());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
}

TEST_F(SoundMp38Test, PlayAfterTheEndStartsAgainFromTheBeginning) {
    SoundMp38 sound;
    ASSERT_TRUE(sound.Load(Mp3("short.mp3", 0.3, 1, "-b 64")));
    EXPECT_EQ(sound.Mode(), QX_MP3MODE_SINGLECHANNEL);
    ASSERT_TRUE(sound.Play());
    Render(*device, 0.5);
    ASSERT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
    ASSERT_TRUE(sound.Play());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
    const auto again = Render(*device, 0.2);
    EXPECT_GT(Rms(again, 0, 2 * 4410), 0.2f);
    EXPECT_LT(sound.PlayPosition(), 1);
}

TEST_F(SoundMp38Test, VariableBitRateFileCarriesItsFrameCount) {
    const auto file = Mp3("vbr.mp3", 2.0, 2, "-V 4");
    SoundMp38 sound;
    ASSERT_TRUE(sound.Load(file));
    EXPECT_TRUE(sound.VariableBitRate());
    // 1152 samples a frame, plus lame's own frame for the "Xing" header.
    EXPECT_NEAR(sound.Frames(), 2.0 * kRate / 1152 + 1, 2);
    EXPECT_GT(sound.Bitrate(), 8);
    EXPECT_FALSE(sound.HasTag());
    EXPECT_EQ(sound.Genre(), 255);
    EXPECT_EQ(sound.GenreText(), "Unknown");
    EXPECT_NEAR(sound.Duration(), 2.0, 1.0 / kRate);
    // A constant-bit-rate file loaded afterwards keeps the frame count.
    const int32_t frames = sound.Frames();
    ASSERT_TRUE(sound.Load(Mp3("cbr.mp3", 0.5, 2, "-b 96")));
    EXPECT_FALSE(sound.VariableBitRate());
    EXPECT_EQ(sound.Frames(), frames);
    EXPECT_EQ(sound.Bitrate(), 96);
    EXPECT_NEAR(sound.Duration(), 0.5, 1.0 / kRate);
}

TEST_F(SoundMp38Test, ThePositionIsWhatHasBeenHeardNotWhatIsQueued) {
    SoundMp38 sound;
    ASSERT_TRUE(sound.Load(Mp3("tone.mp3", 3.0, 2, "-b 128")));
    sound.Play();
    Render(*device, 0.48);
    EXPECT_EQ(sound.PlayPosition(), 0);
    Render(*device, 0.04);
    EXPECT_EQ(sound.PlayPosition(), 1);
    Render(*device, 0.96);
    EXPECT_EQ(sound.PlayPosition(), 1);  // 1.48 s
    ASSERT_TRUE(sound.Pause());
    EXPECT_EQ(sound.PlayPosition(), 1);
    ASSERT_TRUE(sound.Play());
    Render(*device, 0.04);
    EXPECT_EQ(sound.PlayPosition(), 2);
}

TEST_F(SoundMp38Test, PauseHoldsThePositionAndPlayResumesThere) {
    SoundMp38 sound;
    ASSERT_TRUE(sound.Load(Mp3("tone.mp3", 3.0, 2, "-b 128")));
    sound.Play();
    Render(*device, 1.2);
    ASSERT_TRUE(sound.Pause());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PAUSED);
    const int32_t paused = sound.PlayPosition();
    EXPECT_EQ(paused, 1);
    // Silent at once.
    const auto quiet = Render(*device, 0.5);
    EXPECT_LT(qxtest::Peak(quiet), kSilence);
    EXPECT_EQ(sound.PlayPosition(), paused);
    ASSERT_TRUE(sound.Play());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
    // The tone goes on where it was paused: the 1.2 s before and what follows make the file's 3 s.
    const auto resumed = Render(*device, 1.0);
    EXPECT_GT(Rms(resumed, 0, 2 * 441), 0.3f);
    EXPECT_EQ(sound.PlayPosition(), 2);
    EXPECT_NEAR(1.2 + 1.0 + qxtest::SoundingSeconds(Render(*device, 1.0), kRate), 3.0, 0.002);
    ASSERT_TRUE(sound.Play());
    Render(*device, 0.2);
    ASSERT_TRUE(sound.Stop_());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_STOPPED);
    EXPECT_EQ(sound.PlayPosition(), 0);
    EXPECT_LT(qxtest::Peak(Render(*device, 0.1)), kSilence);  // at once
    EXPECT_TRUE(sound.Pause());  // stopped: nothing to pause
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_STOPPED);
    sound.Play();
    Render(*device, 0.3);
    EXPECT_EQ(sound.PlayPosition(), 0);
}

TEST_F(SoundMp38Test, VolumePanRateAndPositionPassToTheGraph) {
    SoundMp38 sound;
    sound.Volume(-10000);  // kept until a file is loaded
    ASSERT_TRUE(sound.Load(Mp3("tone.mp3", 3.0, 2, "-b 128")));
    sound.Play();
    EXPECT_LT(qxtest::Peak(Render(*device, 0.2)), kSilence);
    EXPECT_EQ(sound.Volume(), -10000);
    sound.Volume(0);
    sound.Pan(10000);  // right only
    Render(*device, 0.1);
    const auto heard = Render(*device, 0.1);
    float left = 0, right = 0;
    for (std::size_t i = 0; i < heard.size(); i += 2) {
        left = std::max(left, std::fabs(heard[i]));
        right = std::max(right, std::fabs(heard[i + 1]));
    }
    EXPECT_LT(left, kSilence);
    EXPECT_GT(right, 0.4f);
    EXPECT_EQ(sound.Pan(), 10000);
    EXPECT_THROW(sound.Pan(10001), Error);
    EXPECT_THROW(sound.Volume(1), Error);

    sound.PlayPosition(0);
    sound.PlaybackRate(2.0);
    EXPECT_EQ(sound.PlaybackRate(), 2.0);
    Render(*device, 0.7);
    EXPECT_EQ(sound.PlayPosition(), 1);  // 1.4 s of the file
    EXPECT_THROW(sound.PlaybackRate(0.0), Error);
    EXPECT_THROW(sound.PlaybackRate(-1.0), Error);
    sound.PlaybackRate(1.0);
    sound.PlayPosition(2);
    Render(*device, 0.4);
    EXPECT_EQ(sound.PlayPosition(), 2);
    sound.PlayPosition(60);  // past the end: at the end
    Render(*device, 0.1);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
    EXPECT_THROW(sound.PlayPosition(-1), Error);
}

TEST_F(SoundMp38Test, DestroyingAPlayingSoundStopsIt) {
    const auto file = Mp3("tone.mp3", 2.0, 2, "-b 128");
    {
        SoundMp38 sound;
        ASSERT_TRUE(sound.Load(file));
        sound.Play();
        EXPECT_GT(Rms(Render(*device, 0.1)), 0.1f);
    }
    EXPECT_LT(qxtest::Peak(Render(*device, 0.1)), kSilence);
}

TEST_F(SoundMp38Test, BadFilesDoNotLoadAndLeaveThePropertiesAlone) {
    SoundMp38 sound;
    ASSERT_TRUE(sound.Load(Mp3("good.mp3", 0.5, 1, "-b 64 --tt Kept --id3v1-only")));
    const int16_t bitrate = sound.Bitrate();
    const std::string title = sound.SongName();

    std::vector<uint8_t> text(300, 'a');
    std::copy_n("TAG", 3, text.end() - 128);  // a tag the inspection would take, were the file played
    qxtest::WriteBytes(Dir() / "text.mp3", text);
    qxtest::WriteBytes(Dir() / "empty.mp3", {});
    qxtest::WriteBytes(Dir() / "tiny.mp3", {0xFF, 0xFB, 0x90, 0x64});
    qxtest::WriteWav(Dir() / "wave.mp3", qxtest::Sine(0.2, 440.0, kRate, 1), 1, kRate, SF_FORMAT_PCM_16);
    for (const char* name : {"text.mp3", "empty.mp3", "tiny.mp3", "wave.mp3", "missing.mp3"}) {
        EXPECT_FALSE(sound.Load((Dir() / name).string())) << name;
        EXPECT_EQ(sound.Bitrate(), bitrate) << name;
        EXPECT_EQ(sound.SongName(), title) << name;
    }
    EXPECT_FALSE(sound.Load(Dir().string()));
    ASSERT_EQ(mkfifo((Dir() / "fifo.mp3").c_str(), 0600), 0);
    EXPECT_FALSE(sound.Load((Dir() / "fifo.mp3").string()));  // no writer: must not wait for one
    EXPECT_FALSE(sound.Load("/dev/zero"));
    EXPECT_EQ(sound.SongName(), title);

    // A truncated file plays what it holds.
    std::ifstream in(Dir() / "good.mp3", std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    bytes.resize(bytes.size() / 2 + 37);
    qxtest::WriteBytes(Dir() / "cut.mp3", bytes);
    SoundMp38 cut;
    ASSERT_TRUE(cut.Load((Dir() / "cut.mp3").string()));
    EXPECT_FALSE(cut.HasTag());
    EXPECT_GT(cut.Duration(), 0.1);
    EXPECT_LT(cut.Duration(), 0.4);
    cut.Play();
    Render(*device, 0.5);
    EXPECT_EQ(cut.PlayState(), QX_PLAYSTATE_ENDED);
}

TEST_F(SoundMp38Test, LoadWithoutAnEngineFailsAndSucceedsOnceOneExists) {
    const auto file = Mp3("tone.mp3", 0.2, 1, "-b 64");
    engine.reset();
    qxsound::EndLibraryContext();
    SoundMp38 sound;
    EXPECT_FALSE(sound.Load(file));
    EXPECT_EQ(sound.Bitrate(), 0);
    engine = std::make_shared<SoundEngine8>();
    device = qxtest::OutputDevice();
    ASSERT_TRUE(sound.Load(file));
    EXPECT_EQ(sound.Bitrate(), 64);
    ASSERT_TRUE(sound.Play());
    EXPECT_GT(Rms(Render(*device, 0.1)), 0.2f);
}

TEST_F(SoundMp38Test, EndedFileRestartsWhenPositionAndDurationRoundAlike) {
    auto graph = UseFakeGraph();
    SoundMp38 sound;
    ASSERT_TRUE(sound.Load("any.mp3"));
    graph->current = 9.6;
    graph->duration = 10.4;
    ASSERT_TRUE(sound.Play());
    EXPECT_EQ(graph->log, (std::vector<std::string>{"RenderFile(any.mp3)", "SetCurrentPosition(0)", "Run"}));
    graph->log.clear();
    graph->current = 10.5;  // rounds to the even 10
    sound.Play();
    EXPECT_EQ(graph->log, (std::vector<std::string>{"SetCurrentPosition(0)", "Run"}));
    graph->log.clear();
    graph->current = 9.4;
    sound.Play();
    EXPECT_EQ(graph->log, (std::vector<std::string>{"Run"}));
    // Paused within the last half second, it resumes there.
    graph->current = 9.6;
    ASSERT_TRUE(sound.Pause());
    graph->log.clear();
    sound.Play();
    EXPECT_EQ(graph->log, (std::vector<std::string>{"Run"}));
    graph->completion = platform::EC_COMPLETE;
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
}

TEST_F(SoundMp38Test, AbsentInterfacesMakeTheirOperationsDoNothing) {
    auto graph = UseFakeGraph();
    graph->position = false;
    graph->event = false;
    graph->audio = false;
    SoundMp38 sound;
    ASSERT_TRUE(sound.Load("any.mp3"));
    ASSERT_TRUE(sound.Play());  // nothing is run without a position control
    EXPECT_EQ(graph->log, (std::vector<std::string>{"RenderFile(any.mp3)"}));
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);  // no event source
    EXPECT_EQ(sound.PlayPosition(), 0);
    EXPECT_EQ(sound.Duration(), 0.0);
    EXPECT_EQ(sound.PlaybackRate(), 0.0);
    sound.Volume(-500);
    EXPECT_EQ(sound.Volume(), 0);
    EXPECT_TRUE(sound.Pause());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PAUSED);
    EXPECT_TRUE(sound.Stop_());  // no position control: the graph is not stopped, the flags are
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_STOPPED);
    EXPECT_EQ(graph->log, (std::vector<std::string>{"RenderFile(any.mp3)", "Pause"}));

    graph->control = false;
    graph->position = true;
    graph->log.clear();
    SoundMp38 uncontrolled;
    EXPECT_FALSE(uncontrolled.Load("any.mp3"));
    EXPECT_TRUE(uncontrolled.Play());  // positioned, but nothing to run
    EXPECT_FALSE(uncontrolled.Pause());
    EXPECT_TRUE(uncontrolled.Stop_());
    EXPECT_TRUE(graph->log.empty());
}

}  // namespace
