// The texture registry: names without regard to case, reloads, colour keys, sizes, bad files.
#include "Engine3D.h"
#include "EngineState.h"
#include "MeshModel.h"
#include "TestFiles.h"
#include "Textures.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace quarvex;
using enginetest::ScratchDir;

namespace {

class TexturesTest : public enginetest::EngineWithFiles {
protected:
    void SetUp() override {
        EngineWithFiles::SetUp();
        enginetest::WriteImage(dir.File("e1.bmp"), 4, 2, [](int x, int) {
            return x == 0 ? 0xFF000000u : 0xFF20C040u;  // a black column, then green
        });
        enginetest::WriteImage(dir.File("e2.png"), 3, 3, [](int, int) { return 0xFFFF0000u; });
    }

    static uint8_t Alpha(const TexturePtr& t, int x, int y) { return t->Data()->image.Pixel(x, y)[3]; }

    TextureFactory3D factory;
};

TEST_F(TexturesTest, NamesIgnoreCaseAndAReloadReplacesThePictureEverywhere) {
    auto first = factory.LoadTexture("e1.bmp", "Terrain", -1, -1, 0, true);
    EXPECT_EQ(Globals3D::GetTexture("terrain"), first);
    EXPECT_EQ(Globals3D::GetTexture("TERRAIN"), first);
    EXPECT_EQ(first->Width(), 4);  // -1 keeps the stored size
    EXPECT_EQ(first->Height(), 2);
    Scene3D scene;
    auto mesh = scene.CreateMesh("built before the reload");
    mesh->AddTriangle(Globals3D::GetTexture("terrain"), 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, -1, 0);
    const uint64_t firstId = first->Data()->id;

    // The handle stays and takes the new picture: whatever holds it shows the new one, and
    // the new id tells the renderer to upload it again.
    auto second = factory.LoadTexture("e2.png", "TERRAIN", -1, -1, 0, true);
    EXPECT_EQ(second, first);
    EXPECT_EQ(Globals3D::GetTexture("Terrain"), second);
    EXPECT_EQ(first->Width(), 3);
    EXPECT_EQ(first->Data()->image.Pixel(1, 1)[0], 0xFF);  // e2's red
    EXPECT_NE(first->Data()->id, firstId);
    EXPECT_EQ(mesh->Data()->GroupTexture(0)->Width(), 3);

    // A second factory shares the same registry.
    TextureFactory3D other;
    auto third = other.LoadTexture("e1.bmp", "terrain2", -1, -1, 0, true);
    EXPECT_EQ(Globals3D::GetTexture("Terrain2"), third);
    EXPECT_EQ(Globals3D::GetTexture("Terrain"), second);

    EXPECT_EQ(Globals3D::GetTexture("never loaded"), nullptr);
    auto unnamed = factory.LoadTexture("e1.bmp", "", 800, 600, 0, true);
    EXPECT_EQ(Globals3D::GetTexture(""), nullptr);
    EXPECT_EQ(unnamed->Width(), 800);  // given sizes resample
    EXPECT_EQ(unnamed->Height(), 600);
}

TEST_F(TexturesTest, ColourKeyMakesMatchingPixelsTransparent) {
    auto keyed = factory.LoadTexture("e1.bmp", "vita", -1, -1, 0xFF000000u, true);
    EXPECT_EQ(Alpha(keyed, 0, 0), 0);
    EXPECT_EQ(Alpha(keyed, 0, 1), 0);
    EXPECT_EQ(Alpha(keyed, 1, 0), 255);
    auto plain = factory.LoadTexture("e1.bmp", "plain", -1, -1, 0, true);
    EXPECT_EQ(Alpha(plain, 0, 0), 255);  // key 0 is no key
    auto red = factory.LoadTexture("e2.png", "", -1, -1, 0xFFFF0000u, true);
    EXPECT_EQ(Alpha(red, 1, 1), 0);
}

TEST_F(TexturesTest, TheColourKeyIsJudgedBeforeResizingSoNoDarkFringeIsLeft) {
    // A green square on a black ground, keyed on black and enlarged: the pixels that stay
    // visible are green, fading out at the square's edge instead of darkening.
    enginetest::WriteImage(dir.File("face.bmp"), 8, 8, [](int x, int y) {
        return x >= 2 && x < 6 && y >= 2 && y < 6 ? 0xFF20C040u : 0xFF000000u;
    });
    auto face = factory.LoadTexture("face.bmp", "", 20, 20, 0xFF000000u, true);
    const detail::Image& image = face->Data()->image;
    int clear = 0, partial = 0, solid = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.Pixel(x, y);
            if (p[3] == 0) {
                ++clear;
                continue;
            }
            ++(p[3] == 255 ? solid : partial);
            EXPECT_NEAR(p[0], 0x20, 1) << x << ", " << y << " alpha " << int(p[3]);
            EXPECT_NEAR(p[1], 0xC0, 1) << x << ", " << y << " alpha " << int(p[3]);
            EXPECT_NEAR(p[2], 0x40, 1) << x << ", " << y << " alpha " << int(p[3]);
        }
    }
    EXPECT_GT(clear, 0);
    EXPECT_GT(partial, 0);
    EXPECT_GT(solid, 0);
}

TEST_F(TexturesTest, FileNamesResolveWithBackslashesAndAnyCase) {
    std::filesystem::create_directories(dir.Path() / "data");
    enginetest::WriteImage(dir.File("data/wall.bmp"), 2, 2, [](int, int) { return 0xFF808080u; });
    auto wall = factory.LoadTexture("data\\Wall.Bmp", "Wall", -1, -1, 0, true);
    EXPECT_EQ(wall->Width(), 2);
    auto full = factory.LoadTexture(dir.File("E1.BMP"), "", -1, -1, 0, true);
    EXPECT_EQ(full->Width(), 4);
}

TEST_F(TexturesTest, BadFilesAreReportedByName) {
    auto message = [&](const std::string& file) -> std::string {
        try {
            factory.LoadTexture(file, "x", -1, -1, 0, true);
        } catch (const EngineError& e) {
            return e.what();
        }
        return "";
    };
    const std::string missing = message("copertura.jpg");
    EXPECT_NE(missing.find("copertura.jpg"), std::string::npos) << missing;
    enginetest::WriteText(dir.File("corrupt.bmp"), "BM but not really a bitmap");
    const std::string corrupt = message("corrupt.bmp");
    EXPECT_NE(corrupt.find("corrupt.bmp"), std::string::npos) << corrupt;
    EXPECT_EQ(Globals3D::GetTexture("x"), nullptr);  // nothing registered by a failed load
}

TEST_F(TexturesTest, AFileLoadedAlikeUnderTwoNamesIsOnePictureUntilTheFileChanges) {
    auto front = factory.LoadTexture("e1.bmp", "Front", -1, -1, 0, true);
    auto back = factory.LoadTexture("e1.bmp", "Back", -1, -1, 0, true);
    EXPECT_NE(front, back);
    EXPECT_EQ(front->Data()->id, back->Data()->id);  // the renderer keeps one copy
    EXPECT_EQ(front->Data()->image.rgba, back->Data()->image.rgba);
    // Loaded otherwise (a colour key, another size), it is another picture.
    auto keyed = factory.LoadTexture("e1.bmp", "Keyed", -1, -1, 0xFF000000u, true);
    EXPECT_NE(keyed->Data()->id, front->Data()->id);
    EXPECT_EQ(Alpha(keyed, 0, 0), 0);
    auto larger = factory.LoadTexture("e1.bmp", "Larger", 8, 4, 0, true);
    EXPECT_NE(larger->Data()->id, front->Data()->id);
    EXPECT_EQ(larger->Width(), 8);

    // A changed file is read again.
    enginetest::WriteImage(dir.File("e1.bmp"), 5, 2, [](int, int) { return 0xFF0000FFu; });
    auto left = factory.LoadTexture("e1.bmp", "Left", -1, -1, 0, true);
    EXPECT_NE(left->Data()->id, front->Data()->id);
    EXPECT_EQ(left->Width(), 5);
    EXPECT_EQ(left->Data()->image.Pixel(0, 0)[2], 0xFF);
    // A name loaded again with another file leaves the names that shared its picture alone.
    factory.LoadTexture("e2.png", "Front", -1, -1, 0, true);
    EXPECT_EQ(back->Width(), 4);
    EXPECT_EQ(back->Data()->image.Pixel(1, 0)[1], 0xC0);
}

TEST_F(TexturesTest, APreloadedFileIsTakenByALoadAlikeAndOnlyThen) {
    // Preloaded red; then the file is rewritten blue with the same size and time. A load alike
    // takes the preloaded picture (the file counts as unchanged), one of another size decodes
    // the file as it is now.
    namespace fs = std::filesystem;
    auto write = [&](uint32_t color) { enginetest::WriteImage(dir.File("sky.bmp"), 4, 4, [=](int, int) { return color; }); };
    write(0xFFFF0000u);
    const auto written = fs::last_write_time(dir.File("sky.bmp"));
    factory.PreloadTexture("sky.bmp");
    factory.PreloadTexture("sky.bmp", 8, 8);
    detail::State().textures.FinishPreloads();
    write(0xFF0000FFu);
    fs::last_write_time(dir.File("sky.bmp"), written);
    const auto red = factory.LoadTexture("sky.bmp", "Front", -1, -1, 0, true);
    EXPECT_EQ(red->Data()->image.Pixel(0, 0)[0], 0xFF);
    EXPECT_EQ(red->Data()->image.Pixel(0, 0)[2], 0x00);
    const auto large = factory.LoadTexture("sky.bmp", "Large", 8, 8, 0, true);
    EXPECT_EQ(large->Width(), 8);
    EXPECT_EQ(large->Data()->image.Pixel(0, 0)[0], 0xFF);  // preloaded at that size too
    const auto keyed = factory.LoadTexture("sky.bmp", "Keyed", -1, -1, 0xFF00FF00u, true);
    EXPECT_EQ(keyed->Data()->image.Pixel(0, 0)[2], 0xFF);  // not preloaded with a key: read now
    EXPECT_EQ(keyed->Data()->image.Pixel(0, 0)[0], 0x00);

    // A preload of a file that changed meanwhile is not used.
    factory.PreloadTexture("e2.png");
    detail::State().textures.FinishPreloads();
    enginetest::WriteImage(dir.File("e2.png"), 6, 6, [](int, int) { return 0xFF00FF00u; });
    EXPECT_EQ(factory.LoadTexture("e2.png", "Changed", -1, -1, 0, true)->Width(), 6);
}

TEST_F(TexturesTest, APreloadLeavesBadFilesToTheLoadAndRegistersNothing) {
    enginetest::WriteText(dir.File("corrupt.jpg"), "not really a JPEG");
    factory.PreloadTexture("corrupt.jpg");
    factory.PreloadTexture("missing.jpg");
    for (const char* file : {"corrupt.jpg", "missing.jpg"}) {
        try {
            factory.LoadTexture(file, "x", -1, -1, 0, true);
            ADD_FAILURE() << "no error for " << file;
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(Globals3D::GetTexture("x"), nullptr);
}

TEST(ImageTest, HalvingAveragesTwoByTwoAndKeepsOddEdges) {
    // 3 x 3, one channel: the last column and row are averaged with themselves.
    const uint8_t grey[9] = {0, 10, 100, 20, 31, 200, 7, 7, 50};
    EXPECT_EQ(detail::HalveSize(grey, 3, 3, 1), (std::vector<uint8_t>{15}));  // (0 + 10 + 20 + 31 + 2) / 4
    // 4 x 1, two channels: a single row pairs columns.
    const uint8_t row[8] = {0, 255, 255, 255, 10, 20, 11, 21};
    EXPECT_EQ(detail::HalveSize(row, 4, 1, 2), (std::vector<uint8_t>{128, 255, 11, 21}));
    // 1 x 1 stays; 1 x 4 halves its height only.
    const uint8_t one[4] = {1, 2, 3, 4};
    EXPECT_EQ(detail::HalveSize(one, 1, 1, 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(detail::HalveSize(one, 1, 4, 1), (std::vector<uint8_t>{2, 4}));
}

TEST(ColorTest, RgbaPacksArgb) {
    EXPECT_EQ(Globals3D::RGBA(1, 1, 1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(Globals3D::RGBA(1, 0, 0, 0.5f), 0x80FF0000u);
    EXPECT_EQ(Globals3D::RGBA(0, 0.2f, 1, 0.8f), 0xCC0033FFu);
    EXPECT_EQ(Globals3D::RGBA(2, -1, 0, 1), 0xFFFF0000u);  // clamped
    EXPECT_EQ(Globals3D::MakeVector(-1800, 500, 0), (Vector3{-1800, 500, 0}));
    EXPECT_EQ(static_cast<Color>(-1), Globals3D::RGBA(1, 1, 1, 1));
}

}  // namespace
