#include "TestSupport.h"

#include "Mci.h"
#include "MciCommand.h"

using namespace qxsound::platform;
using namespace qxtest;

namespace {

class MciTest : public SoundTest {
protected:
    void SetUp() override {
        disc = WriteCdImage(Dir(), "disc", {3, 2}, {441, 882}).string();
        ASSERT_EQ(Send("open " + disc + " type cdaudio alias cd"), 0);
    }
    void TearDown() override {
        mciSendString("close all", nullptr, 0);
        SoundTest::TearDown();
    }
    int32_t Send(const std::string& command, int32_t length = 0) {
        reply.assign(static_cast<std::size_t>(length) + 1, '#');
        return mciSendString(command, reply.data(), length);
    }
    std::string Reply() const { return reply.substr(0, reply.find('\0')); }

    std::string disc;
    std::string reply;
};

TEST_F(MciTest, RepliesInEachTimeFormat) {
    EXPECT_EQ(Send("status cd time format", 30), 0);
    EXPECT_EQ(Reply(), "msf");
    EXPECT_EQ(Send("status cd position", 30), 0);
    EXPECT_EQ(Reply(), "00:02:00");  // the lead-in
    EXPECT_EQ(Send("set cd time format tmsf wait"), 0);
    EXPECT_EQ(Send("seek cd to 2:00:01:05"), 0);
    EXPECT_EQ(Send("status cd position", 30), 0);
    EXPECT_EQ(Reply(), "02:00:01:05");
    EXPECT_EQ(Send("status cd current track", 30), 0);
    EXPECT_EQ(Reply(), "2");
    EXPECT_EQ(Send("status cd position track 2", 30), 0);
    EXPECT_EQ(Reply(), "02:00:00:00");
    EXPECT_EQ(Send("status cd length track 1", 30), 0);
    EXPECT_EQ(Reply(), "00:03:00");
    EXPECT_EQ(Send("SET CD TIME FORMAT MILLISECONDS"), 0);
    EXPECT_EQ(Send("status cd length", 30), 0);
    EXPECT_EQ(Reply(), "5000");
    EXPECT_EQ(Send("status cd position", 30), 0);
    EXPECT_EQ(Reply(), "6066");  // 2 s lead-in, 3 s of track 1, 1 s and 5 frames of track 2
    EXPECT_EQ(Send("status cd number of tracks wait", 30), 0);
    EXPECT_EQ(Reply(), "2");
}

TEST_F(MciTest, RepliesNeverPassTheirBuffer) {
    EXPECT_EQ(Send("status cd position", 5), MCIERR_PARAM_OVERFLOW);
    EXPECT_EQ(reply, std::string("00:0\0#", 6));
    EXPECT_EQ(Send("status cd position", 9), 0);
    EXPECT_EQ(reply, std::string("00:02:00\0#", 10));
    EXPECT_EQ(Send("status cd mode", 0), 0);
    EXPECT_EQ(reply, "#");
    EXPECT_EQ(mciSendString("status cd mode", nullptr, 30), 0);

    char text[12];
    EXPECT_TRUE(mciGetErrorString(MCIERR_DUPLICATE_ALIAS, text, sizeof text));
    EXPECT_EQ(std::string(text).size(), 11u);
    EXPECT_FALSE(mciGetErrorString(12345, text, sizeof text));
    EXPECT_EQ(text[0], '\0');
}

TEST_F(MciTest, RejectsWhatIsNotACommand) {
    EXPECT_EQ(Send(""), MCIERR_MISSING_COMMAND_STRING);
    EXPECT_EQ(Send("dance cd"), MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(Send("play"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("play other"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("play cd quickly"), MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(Send("seek cd"), MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(Send("seek cd to x"), MCIERR_BAD_INTEGER);
    EXPECT_EQ(Send("seek cd to 99:00:00"), MCIERR_OUTOFRANGE);
    EXPECT_EQ(Send("seek cd to -1"), MCIERR_BAD_INTEGER);
    EXPECT_EQ(Send("set cd time format bars"), MCIERR_BAD_TIME_FORMAT);
    EXPECT_EQ(Send("setaudio cd volume to 1001"), MCIERR_OUTOFRANGE);
    EXPECT_EQ(Send("status cd length track 3", 30), MCIERR_OUTOFRANGE);
    EXPECT_EQ(Send("status cd mode track 1", 30), MCIERR_FLAGS_NOT_COMPATIBLE);
    EXPECT_EQ(Send("status cd \"mode", 30), MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(Send("open " + disc + " type cdaudio alias cd"), MCIERR_DUPLICATE_ALIAS);
    EXPECT_EQ(Send("open " + disc + " type cdaudio alias x alias y"), MCIERR_DUPLICATE_FLAGS);
    EXPECT_EQ(Send("open " + disc + " type waveaudio alias w"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("open " + disc + " type cdaudio alias all"), MCIERR_INVALID_DEVICE_NAME);
}

TEST_F(MciTest, CloseAllClosesEveryDevice) {
    ASSERT_EQ(Send("open " + disc + " type cdaudio alias second"), 0);
    EXPECT_EQ(Send("close cd"), 0);
    EXPECT_EQ(Send("status cd mode", 30), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("status second mode", 30), 0);
    EXPECT_EQ(Send("close all"), 0);
    EXPECT_EQ(Send("status second mode", 30), MCIERR_INVALID_DEVICE_NAME);
}

TEST(MciWords, QuotedWordsHoldBlanksAndDoubledQuotes) {
    EXPECT_EQ(SplitMciWords("open  \"a \"\"b\"\" c\"\ttype"), (std::vector<std::string>{"open", "a \"b\" c", "type"}));
    EXPECT_EQ(SplitMciWords("\"\""), std::vector<std::string>{""});
    EXPECT_EQ(SplitMciWords("open \"a"), std::nullopt);
    EXPECT_EQ(SplitMciWords("open \"a\"b"), std::nullopt);
    EXPECT_EQ(SplitMciWords("open a\"b"), std::nullopt);
}

}  // namespace
