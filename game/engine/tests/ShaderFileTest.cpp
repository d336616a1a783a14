// The shader file reader and the effect textures it defines.
#include "Engine3D.h"
#include "EngineState.h"
#include "MeshModel.h"
#include "ShaderFile.h"
#include "TestFiles.h"
#include "Textures.h"

#include <gtest/gtest.h>

using namespace quarvex;
using quarvex::detail::ParseShaderFile;
using enginetest::ScratchDir;

namespace {

const char* kCommon = R"(// effects of the game
# two of them
Explosion                 // the blast
{
    blend add
    rate 15
    loop 0
    frame explosion_00.png
    frame explosion_01.png
}

FLAME1 {
  BLEND Alpha
  Rate 7.5
  frame flame_00.png }
)";

std::string ErrorOf(const std::string& text) {
    try {
        ParseShaderFile(text, "common.shader");
    } catch (const EngineError& e) {
        return e.what();
    }
    return "";
}

TEST(ShaderFileTest, ReadsBlocksWithTheirSettings) {
    const auto blocks = ParseShaderFile(kCommon, "common.shader");
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].name, "Explosion");
    EXPECT_TRUE(blocks[0].additive);
    EXPECT_FLOAT_EQ(blocks[0].rate, 15.0f);
    EXPECT_FALSE(blocks[0].loop);
    EXPECT_EQ(blocks[0].frames, (std::vector<std::string>{"explosion_00.png", "explosion_01.png"}));
    EXPECT_EQ(blocks[0].frameLines, (std::vector<int>{8, 9}));
    EXPECT_EQ(blocks[1].name, "FLAME1");
    EXPECT_FALSE(blocks[1].additive);
    EXPECT_FLOAT_EQ(blocks[1].rate, 7.5f);
    EXPECT_TRUE(blocks[1].loop);  // the default
    EXPECT_EQ(blocks[1].frames, (std::vector<std::string>{"flame_00.png"}));
    EXPECT_TRUE(ParseShaderFile("// nothing here\n\n", "empty.shader").empty());
}

TEST(ShaderFileTest, FaultsNameTheFileAndLine) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"A {\n  blnd add\n  frame a.png\n}\n", "line 2: unknown keyword 'blnd'"},
        {"A\n  frame a.png\n}\n", "line 2: expected '{'"},
        {"A {\n  frame a.png\n", "line 1: the effect 'A' is not closed"},
        {"A {\n  rate 5\n}\n", "line 3: the effect 'A' has no frames"},
        {"A {\n  blend mix\n  frame a.png\n}\n", "line 2: unknown blend 'mix'"},
        {"A {\n  rate fast\n  frame a.png\n}\n", "line 2: 'rate' needs a number"},
        {"A {\n  rate 0\n  frame a.png\n}\n", "line 2: 'rate' must be above 0"},
        {"A {\n  loop 2\n  frame a.png\n}\n", "line 2: 'loop' is 0 or 1"},
        {"A {\n  frame\n}\n", "line 2: 'frame' takes one value"},
        {"}\n", "line 1: '}' without an effect name"},
        {"A {\n  frame a.png\n  B {\n", "line 3: '{' inside the effect 'A'"},
        {"A\n", "line 1: the effect 'A' has no '{'"},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorOf(c.text);
        EXPECT_NE(error.find("common.shader"), std::string::npos) << c.text;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

TEST(ShaderFileTest, FramesAdvanceAtTheRateAndHoldOrLoop) {
    detail::EffectData effect;
    effect.frames.resize(3);
    effect.rate = 10.0f;
    effect.loop = false;
    EXPECT_EQ(effect.FrameAt(0.0), 0u);
    EXPECT_EQ(effect.FrameAt(0.15), 1u);
    EXPECT_EQ(effect.FrameAt(0.25), 2u);
    EXPECT_EQ(effect.FrameAt(9.0), 2u);  // holds the last frame
    effect.loop = true;
    EXPECT_EQ(effect.FrameAt(0.35), 0u);
    EXPECT_EQ(effect.FrameAt(0.45), 1u);
}

class ShaderLoadTest : public enginetest::EngineWithFiles {
protected:
    void SetUp() override {
        EngineWithFiles::SetUp();
        for (const char* name : {"explosion_00.png", "explosion_01.png", "flame_00.png"}) {
            enginetest::WriteImage(dir.File(name), 4, 4, [](int, int) { return 0xFFFFA000u; });
        }
    }

    Scene3D scene;
};

TEST_F(ShaderLoadTest, EffectTexturesAreFoundByNameAndAnimateABillboard) {
    enginetest::WriteText(dir.File("common.shader"), kCommon);
    scene.LoadShaderFile("common.shader");
    auto explosion = Globals3D::GetEffectTexture("explosion");
    ASSERT_NE(explosion, nullptr);
    EXPECT_EQ(explosion->FrameCount(), 2);
    EXPECT_TRUE(explosion->Additive());
    EXPECT_FALSE(explosion->Loops());
    auto flame = Globals3D::GetEffectTexture("Flame1");
    ASSERT_NE(flame, nullptr);
    EXPECT_FLOAT_EQ(flame->Rate(), 7.5f);
    EXPECT_EQ(Globals3D::GetEffectTexture("Smoke"), nullptr);

    auto board = scene.CreateBillboard(nullptr, 0, 0, 0, 20, 40);
    board->SetEffectTexture(flame, true);
    EXPECT_EQ(board->Data()->effect, flame);
}

TEST_F(ShaderLoadTest, AnEffectThatPlaysOnceStartsAgainWhenItsBillboardIsMovedAfterItEnded) {
    // Two frames at half a frame a second: four seconds of play, so a test never sees it end
    // by itself.
    enginetest::WriteText(dir.File("slow.shader"),
                          "Blast { loop 0\n rate 0.5\n frame explosion_00.png\n frame explosion_01.png\n}\n"
                          "Fire { rate 0.5\n frame flame_00.png\n frame explosion_00.png\n}\n");
    scene.LoadShaderFile("slow.shader");
    auto blast = scene.CreateBillboard(nullptr, 0, 0, 0, 40, 40);
    blast->SetEffectTexture(Globals3D::GetEffectTexture("Blast"), true);
    auto fire = scene.CreateBillboard(nullptr, 0, 0, 0, 20, 40);
    fire->SetEffectTexture(Globals3D::GetEffectTexture("Fire"), true);
    detail::MeshData& blastData = *blast->Data();
    const double start = blastData.effectStart;

    // Moved while it plays: it plays on.
    blast->SetPosition(10, 0, 0);
    EXPECT_EQ(blastData.effectStart, start);

    // Ended (started ten seconds ago): it holds its last frame where it stands, and plays from
    // its first frame once it is moved.
    blastData.effectStart = start - 10.0;
    blast->SetPosition(10, 0, 0);
    EXPECT_EQ(blastData.effectStart, start - 10.0);
    const detail::EffectData& effect = *blastData.effect->Data();
    EXPECT_EQ(effect.FrameAt(detail::State().Now() - blastData.effectStart), 1u);
    blast->SetPosition(12, 0, 0);
    EXPECT_GE(blastData.effectStart, start);
    EXPECT_EQ(effect.FrameAt(detail::State().Now() - blastData.effectStart), 0u);

    // A looping effect never ends, so moving it does not restart it.
    fire->Data()->effectStart = start - 10.0;
    fire->SetPosition(5, 5, 5);
    EXPECT_EQ(fire->Data()->effectStart, start - 10.0);
}

TEST_F(ShaderLoadTest, MissingFilesAreReportedAndNothingIsRegistered) {
    try {
        scene.LoadShaderFile("common.shader");
        FAIL() << "no error for a missing shader file";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("common.shader"), std::string::npos) << e.what();
    }
    enginetest::WriteText(dir.File("broken.shader"),
                          "Good {\n frame flame_00.png\n}\nBad {\n frame missing_07.png\n}\n");
    try {
        scene.LoadShaderFile("broken.shader");
        FAIL() << "no error for a missing frame file";
    } catch (const EngineError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("broken.shader"), std::string::npos) << message;
        EXPECT_NE(message.find("line 5"), std::string::npos) << message;
        EXPECT_NE(message.find("missing_07.png"), std::string::npos) << message;
    }
    EXPECT_EQ(Globals3D::GetEffectTexture("Good"), nullptr);
}

}  // namespace
