// End to end: the real orvane program on an Xvfb display, driven by xdotool like a player: the
// title screen, a click on Start, a few seconds of flying and firing, Escape. The screenshots are
// kept in this test's build folder (e2e/e2e_title.png, e2e/e2e_play.png). Also: a screen larger
// than the picture, a missing data file, no audio device, a quit request, the X server ending, and
// the game installed with `cmake --install`.
#include "../TestData.h"
#include "XvfbServer.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <gtest/gtest.h>

// After gtest: Xlib defines macros (None, Bool, Status) that clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using gametest::WaitForChild;
using namespace std::chrono_literals;

constexpr int kWidth = 800, kHeight = 600;

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// A child process started with extra environment; stdout and stderr go to a file.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, const fs::path& log) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    dup2(out, 2);
    for (int fd = 3; fd < 256; ++fd) close(fd);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

Picture LoadImage(const fs::path& file) {
    Picture picture;
    int channels = 0;
    uint8_t* data = stbi_load(file.c_str(), &picture.width, &picture.height, &channels, 3);
    if (data) {
        picture.rgb.assign(data, data + static_cast<size_t>(picture.width) * picture.height * 3);
        stbi_image_free(data);
    }
    return picture;
}

// Mean absolute difference per channel over the rectangle.
double Difference(const Picture& a, const Picture& b, int x1, int y1, int x2, int y2) {
    double sum = 0;
    for (int y = y1; y < y2; ++y) {
        for (int x = x1; x < x2; ++x) {
            for (int c = 0; c < 3; ++c) sum += std::abs(a.At(x, y)[c] - b.At(x, y)[c]);
        }
    }
    return sum / (3.0 * (x2 - x1) * (y2 - y1));
}

// Pixels of the rectangle that are nearly white.
int WhitePixels(const Picture& p, int x1, int y1, int x2, int y2) {
    int count = 0;
    for (int y = y1; y < y2; ++y) {
        for (int x = x1; x < x2; ++x) {
            const uint8_t* c = p.At(x, y);
            if (c[0] > 220 && c[1] > 220 && c[2] > 220) ++count;
        }
    }
    return count;
}

// Standard deviation of the brightness over the rectangle.
double Spread(const Picture& p, int x1, int y1, int x2, int y2) {
    double sum = 0, squares = 0;
    const int n = (x2 - x1) * (y2 - y1);
    for (int y = y1; y < y2; ++y) {
        for (int x = x1; x < x2; ++x) {
            const uint8_t* c = p.At(x, y);
            const double v = (c[0] + c[1] + c[2]) / 3.0;
            sum += v;
            squares += v * v;
        }
    }
    return std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
}

class PlayUnderXvfbTest : public ::testing::Test {
protected:
    // One X server for the tests of this program.
    static void SetUpTestSuite() { server = new gametest::XvfbServer(kWidth, kHeight); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    void SetUp() override {
        ASSERT_FALSE(xvfb.Display().empty()) << "Xvfb could not be started";
        artefacts = fs::path(ORVANE_E2E_ARTEFACTS);
        fs::create_directories(artefacts);
        x = XOpenDisplay(xvfb.Display().c_str());
        ASSERT_TRUE(x) << "cannot open " << xvfb.Display();
    }
    void TearDown() override {
        if (game > 0 && WaitForChild(game, 0ms) == -1) {
            kill(game, SIGKILL);
            WaitForChild(game, 5s);
        }
        if (x) XCloseDisplay(x);
    }

    void StartGame(const std::string& program, const std::vector<std::string>& extraEnv = {}) {
        std::vector<std::string> env = {"DISPLAY=" + xvfb.Display(), "SDL_VIDEODRIVER=x11",
                                        "HOME=" + artefacts.string()};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        game = Spawn({program}, env, artefacts / "e2e_orvane.log");
    }

    // Runs xdotool on the test's display.
    int Tool(const std::string& arguments) {
        return std::system(("DISPLAY=" + xvfb.Display() + " xdotool " + arguments + " >/dev/null 2>&1").c_str());
    }
    bool WaitForWindow(std::chrono::seconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (Tool("search --onlyvisible --name 'Orvane 2020 the Sun'") == 0) return true;
            if (WaitForChild(game, 0ms) != -1) return false;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    // A press held long enough for a frame to see it, as a player's is.
    void Press(const std::string& what, const std::string& down, const std::string& up) {
        Tool(down + " " + what);
        std::this_thread::sleep_for(150ms);
        Tool(up + " " + what);
    }

    // The screen's top left width x height pixels, kept as `name`.
    Picture Screenshot(const std::string& name, int width = kWidth, int height = kHeight) {
        XImage* image = XGetImage(x, DefaultRootWindow(x), 0, 0, width, height, AllPlanes, ZPixmap);
        Picture picture;
        if (!image) return picture;
        picture.width = width;
        picture.height = height;
        picture.rgb.resize(static_cast<size_t>(width) * height * 3);
        for (int py = 0; py < height; ++py) {
            for (int px = 0; px < width; ++px) {
                const unsigned long pixel = XGetPixel(image, px, py);
                uint8_t* p = &picture.rgb[(static_cast<size_t>(py) * width + px) * 3];
                p[0] = (pixel >> 16) & 0xFF;
                p[1] = (pixel >> 8) & 0xFF;
                p[2] = pixel & 0xFF;
            }
        }
        XDestroyImage(image);
        stbi_write_png((artefacts / name).c_str(), width, height, 3, picture.rgb.data(), width * 3);
        return picture;
    }

    static inline gametest::XvfbServer* server = nullptr;
    const gametest::XvfbServer& xvfb = *server;
    Display* x = nullptr;
    fs::path artefacts;
    pid_t game = -1;
};

TEST_F(PlayUnderXvfbTest, TitleStartFlyFireAndEscape) {
    StartGame(ORVANE_PROGRAM);
    ASSERT_TRUE(WaitForWindow(30s)) << ReadFile(artefacts / "e2e_orvane.log");
    // The title image, but for the pointer at (119, 176) and JPEG noise, once it has faded in
    // (four seconds) after the start-up.
    const Picture intro = LoadImage(fs::path(ORVANE_DATA_DIR) / "intro.jpg");
    ASSERT_EQ(intro.width, kWidth);
    Picture title;
    const auto end = std::chrono::steady_clock::now() + 60s;
    do {
        std::this_thread::sleep_for(500ms);
        title = Screenshot("e2e_title.png");
        ASSERT_EQ(title.width, kWidth);
    } while (Difference(title, intro, 0, 300, 800, 600) >= 12.0 && std::chrono::steady_clock::now() < end);
    EXPECT_LT(Difference(title, intro, 0, 300, 800, 600), 12.0);
    Tool("mousemove 320 195");
    Press("1", "mousedown", "mouseup");
    // Fly for a while: turn with the mouse, fire now and then.
    for (int step = 0; step < 24; ++step) {
        Tool(step % 8 < 4 ? "mousemove_relative -- 12 0" : "mousemove_relative -- -12 0");
        if (step % 6 == 0) Press("1", "mousedown", "mouseup");
        std::this_thread::sleep_for(200ms);
    }
    std::this_thread::sleep_for(500ms);  // play fades in over four seconds too
    const Picture play = Screenshot("e2e_play.png");
    EXPECT_GT(Difference(play, intro, 0, 0, 800, 600), 30.0) << "still the title screen";
    EXPECT_GT(WhitePixels(play, 20, 10, 140, 34), 20) << "no \"Level: 1\" text";
    EXPECT_GT(WhitePixels(play, 580, 10, 780, 34), 20) << "no speed text";
    EXPECT_GT(WhitePixels(play, 360, 560, 520, 590), 20) << "no score text";
    // The terrain below the horizon varies in brightness (about 5 to 7 here); an empty or one-colour
    // picture there does not vary at all.
    EXPECT_GT(Spread(play, 150, 420, 640, 540), 3.0) << "no textured terrain below the horizon";
    EXPECT_EQ(WaitForChild(game, 0ms), -1) << "the game ended during play";

    Press("Escape", "keydown", "keyup");
    const int status = WaitForChild(game, 15s);
    game = -1;
    EXPECT_EQ(status, 0) << ReadFile(artefacts / "e2e_orvane.log");
}

// A screen larger than the picture: without a GPU the picture is shown unscaled in the middle on
// a black border, and after the first frames only the picture is copied to the screen.
class LargeScreenTest : public PlayUnderXvfbTest {
protected:
    static constexpr int kScreenWidth = 1280, kScreenHeight = 960;
    static constexpr int kLeft = (kScreenWidth - kWidth) / 2, kTop = (kScreenHeight - kHeight) / 2;
    static void SetUpTestSuite() { server = new gametest::XvfbServer(kScreenWidth, kScreenHeight); }

    Picture Screen(const std::string& name) { return Screenshot(name, kScreenWidth, kScreenHeight); }
    static Picture PictureOf(const Picture& screen) {
        Picture picture;
        picture.width = kWidth;
        picture.height = kHeight;
        for (int y = 0; y < kHeight; ++y) {
            const uint8_t* row = screen.At(kLeft, kTop + y);
            picture.rgb.insert(picture.rgb.end(), row, row + kWidth * 3);
        }
        return picture;
    }
    // Pixels of the border (above, below, left and right of the picture) that are not black.
    static int LitBorderPixels(const Picture& screen) {
        int lit = 0;
        for (int y = 0; y < kScreenHeight; y += 2) {
            for (int x = 0; x < kScreenWidth; x += 2) {
                const bool inside = x >= kLeft && x < kLeft + kWidth && y >= kTop && y < kTop + kHeight;
                const uint8_t* c = screen.At(x, y);
                if (!inside && c[0] + c[1] + c[2] > 6) ++lit;
            }
        }
        return lit;
    }
};

TEST_F(LargeScreenTest, ThePictureSitsUnscaledInTheMiddleOnABlackBorderAndKeepsChanging) {
    StartGame(ORVANE_PROGRAM, {"ALSOFT_DRIVERS=null"});
    ASSERT_TRUE(WaitForWindow(30s)) << ReadFile(artefacts / "e2e_orvane.log");
    const Picture intro = LoadImage(fs::path(ORVANE_DATA_DIR) / "intro.jpg");
    Picture screen;
    const auto end = std::chrono::steady_clock::now() + 60s;
    do {
        std::this_thread::sleep_for(500ms);
        screen = Screen("e2e_large_title.png");
    } while (Difference(PictureOf(screen), intro, 0, 300, 800, 600) >= 12.0 && std::chrono::steady_clock::now() < end);
    EXPECT_LT(Difference(PictureOf(screen), intro, 0, 300, 800, 600), 12.0) << "the title is not in the middle";
    EXPECT_EQ(LitBorderPixels(screen), 0);
    // Frames after the title reach the screen too: X held starts play, with its HUD.
    Tool("keydown x");
    bool playing = false;
    for (const auto until = std::chrono::steady_clock::now() + 30s; !playing && std::chrono::steady_clock::now() < until;) {
        std::this_thread::sleep_for(500ms);
        screen = Screen("e2e_large_play.png");
        playing = WhitePixels(PictureOf(screen), 20, 10, 140, 34) > 20;
    }
    Tool("keyup x");
    EXPECT_TRUE(playing) << "no \"Level: 1\" text in the middle of the screen";
    EXPECT_EQ(LitBorderPixels(screen), 0);
    Press("Escape", "keydown", "keyup");
    EXPECT_EQ(WaitForChild(game, 15s), 0) << ReadFile(artefacts / "e2e_orvane.log");
    game = -1;
}

TEST_F(PlayUnderXvfbTest, AMissingDataFileEndsTheGameWithOneLineNamingIt) {
    const fs::path dir = gametest::DataWithout("orvane_e2e_without_help", ORVANE_DATA_DIR, [](const fs::path& file) {
        return file.filename() == "help.jpg" || file.filename() == "orvane";
    });
    fs::copy_file(ORVANE_PROGRAM, dir / "orvane");
    StartGame((dir / "orvane").string(), {"ALSOFT_DRIVERS=null"});
    const int status = WaitForChild(game, 30s);
    game = -1;
    EXPECT_EQ(status, 1);
    const std::string log = ReadFile(artefacts / "e2e_orvane.log");
    EXPECT_NE(log.find("orvane: "), std::string::npos) << log;
    EXPECT_NE(log.find("help.jpg"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
}

TEST_F(PlayUnderXvfbTest, WithoutAnAudioDeviceTheGameRunsSilentlyAndQuitsOnRequest) {
    StartGame(ORVANE_PROGRAM, {"ALSOFT_DRIVERS=nosuchdriver"});
    ASSERT_TRUE(WaitForWindow(30s)) << ReadFile(artefacts / "e2e_orvane.log");
    // X held from the title on starts play: wait for the HUD's "Level: 1".
    Tool("keydown x");
    bool playing = false;
    for (const auto end = std::chrono::steady_clock::now() + 60s; !playing && std::chrono::steady_clock::now() < end;) {
        std::this_thread::sleep_for(500ms);
        playing = WhitePixels(Screenshot("e2e_silent_play.png"), 20, 10, 140, 34) > 20;
    }
    Tool("keyup x");
    EXPECT_TRUE(playing);
    EXPECT_EQ(WaitForChild(game, 0ms), -1) << "the game ended";
    kill(game, SIGTERM);  // a request to quit, as the window's close button is
    const int status = WaitForChild(game, 15s);
    game = -1;
    EXPECT_EQ(status, 0);
    EXPECT_NE(ReadFile(artefacts / "e2e_orvane.log").find("orvane: no sound"), std::string::npos);
}

TEST_F(PlayUnderXvfbTest, WhenTheXServerEndsTheGameEndsWithOneLineSayingSo) {
    auto own = std::make_unique<gametest::XvfbServer>(kWidth, kHeight);
    ASSERT_FALSE(own->Display().empty());
    game = Spawn({ORVANE_PROGRAM}, {"DISPLAY=" + own->Display(), "SDL_VIDEODRIVER=x11", "ALSOFT_DRIVERS=null"},
                 artefacts / "e2e_orvane.log");
    const std::string search =
        "DISPLAY=" + own->Display() + " xdotool search --onlyvisible --name 'Orvane 2020 the Sun' >/dev/null 2>&1";
    bool shown = false;
    for (const auto end = std::chrono::steady_clock::now() + 30s; !shown && std::chrono::steady_clock::now() < end;) {
        std::this_thread::sleep_for(200ms);
        shown = std::system(search.c_str()) == 0;
    }
    ASSERT_TRUE(shown) << ReadFile(artefacts / "e2e_orvane.log");
    std::this_thread::sleep_for(1s);
    own.reset();
    const int status = WaitForChild(game, 15s);
    game = -1;
    EXPECT_EQ(status, 1);
    const std::string log = ReadFile(artefacts / "e2e_orvane.log");
    EXPECT_NE(log.find("orvane: the connection to the X display was lost"), std::string::npos) << log;
}

TEST_F(PlayUnderXvfbTest, TheInstalledGameFindsItsData) {
    const fs::path prefix = artefacts / "installed";
    fs::remove_all(prefix);
    const std::string install = "cmake --install \"" + std::string(ORVANE_BUILD_DIR) + "\" --prefix \"" +
                                prefix.string() + "\" > \"" + (artefacts / "e2e_install.log").string() + "\" 2>&1";
    ASSERT_EQ(std::system(install.c_str()), 0) << ReadFile(artefacts / "e2e_install.log");
    ASSERT_TRUE(fs::exists(prefix / "share/orvane/land_map.jpg"));
    StartGame((prefix / "bin/orvane").string(), {"ALSOFT_DRIVERS=null"});
    ASSERT_TRUE(WaitForWindow(30s)) << ReadFile(artefacts / "e2e_orvane.log");
    Tool("keydown Escape");  // held until the title screen, after the start-up, sees it
    const int status = WaitForChild(game, 60s);
    Tool("keyup Escape");
    game = -1;
    EXPECT_EQ(status, 0) << ReadFile(artefacts / "e2e_orvane.log");
}

}  // namespace
