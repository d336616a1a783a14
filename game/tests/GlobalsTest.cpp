// The shared game variables: checked counters, the fatal error, data file names.
#include "GameWorld.h"

#include "variabili_globali.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace orvane;
using gametest::GameFatalError;

class CheckedCounters : public ::testing::Test {
protected:
    void SetUp() override {
        previous = SetFatalErrorHandler([](const std::string& message) { throw GameFatalError(message); });
        ResetGameVariables();
    }
    void TearDown() override {
        SetFatalErrorHandler(previous);
        ResetGameVariables();
    }
    // The message of the fatal error raised by f, "" when there is none.
    template <typename F>
    static std::string FatalMessage(F f) {
        try {
            f();
        } catch (const GameFatalError& e) {
            return e.what();
        }
        return "";
    }
    FatalErrorHandler previous;
};

TEST_F(CheckedCounters, ArithmeticWithinRangeWorksLikePlainIntegers) {
    score += 600;
    score += shipPoints1;
    score -= 100;
    EXPECT_EQ(score, 1100);
    damagePoints = -5;
    damagePoints += 3;
    EXPECT_EQ(damagePoints, -2);
    Checked<int32_t> bonus{"bonus", 2};
    bonus *= 25000;
    EXPECT_EQ(bonus.Value(), 50000);
    EXPECT_TRUE(damagePoints < 0);
}

TEST_F(CheckedCounters, AnOverflowIsAFatalErrorNamingTheCounterAndLeavesTheValue) {
    score = INT32_MAX - 100;
    const std::string message = FatalMessage([] { score += shipPoints3; });
    EXPECT_NE(message.find("overflow"), std::string::npos) << message;
    EXPECT_NE(message.find("score"), std::string::npos) << message;
    EXPECT_NE(message.find("32-bit"), std::string::npos) << message;
    EXPECT_EQ(score, INT32_MAX - 100);

    // damagePoints is 16 bits wide: 32767 + 3 does not wrap to a negative damage.
    damagePoints = 32766;
    const std::string damage = FatalMessage([] { damagePoints += 3; });
    EXPECT_NE(damage.find("damagePoints"), std::string::npos) << damage;
    EXPECT_NE(damage.find("16-bit"), std::string::npos) << damage;
    EXPECT_EQ(damagePoints, 32766);

    EXPECT_NE(FatalMessage([] { damagePoints = 40000; }), "");
    EXPECT_NE(FatalMessage([] { killsThisLevel -= INT32_MAX; killsThisLevel -= 2; }), "");
    Checked<int32_t> bonus{"bonus", 100000};
    EXPECT_NE(FatalMessage([&] { bonus *= 25000; }), "");
    EXPECT_EQ(bonus.Value(), 100000);
}

TEST(FatalErrorTest, WithoutAHandlerTheProgramEndsWithTheMessage) {
    EXPECT_EXIT(
        {
            SetFatalErrorHandler({});
            killsTotal = INT32_MAX;
            killsTotal += 1;
        },
        ::testing::ExitedWithCode(1), "orvane: overflow: killsTotal \\+ 1 does not fit in a 32-bit integer");
}

TEST(GameFilesTest, DataFileNamesAreJoinedToTheProgramDirectory) {
    const std::string saved = programDirectory;
    programDirectory = "/opt/orvane";
    EXPECT_EQ(ProgramFile("\\explosin.wav"), "/opt/orvane/explosin.wav");
    EXPECT_EQ(ProgramFile("c2.jpg"), "/opt/orvane/c2.jpg");
    programDirectory = "/opt/orvane/";
    EXPECT_EQ(ProgramFile("/2.3ds"), "/opt/orvane/2.3ds");
    programDirectory = "";
    EXPECT_EQ(ProgramFile("\\2.3ds"), "2.3ds");
    programDirectory = saved;
}

}  // namespace
