// "common.shader" defines the two animated effect textures the game asks for, and every frame
// it lists exists; the flame loops without a jump and the explosion blooms then fades.
#include "ImageFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

namespace orvane::assets::visual::test {
namespace {

struct Effect {
    std::map<std::string, std::string> settings;
    std::vector<std::string> frames;
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Reads the format as documented in the file: names, braces, keyword lines, comments.
std::map<std::string, Effect> ReadShaderFile(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::map<std::string, Effect> out;
    std::string line, current;
    bool inside = false;
    while (std::getline(in, line)) {
        for (const char* marker : {"//", "#"})
            if (auto p = line.find(marker); p != std::string::npos) line.erase(p);
        std::istringstream words(line);
        std::string first, value;
        if (!(words >> first)) continue;
        if (first == "{") {
            inside = true;
        } else if (first == "}") {
            inside = false;
        } else if (!inside) {
            current = Lower(first);
            out[current];
        } else {
            words >> value;
            if (Lower(first) == "frame")
                out[current].frames.push_back(value);
            else
                out[current].settings[Lower(first)] = value;
        }
    }
    return out;
}

double MeanBrightness(const Decoded& d) {
    double s = 0;
    for (size_t i = 0; i < d.rgb.size(); ++i) s += d.rgb[i];
    return s / d.rgb.size();
}

double MeanDifference(const Decoded& a, const Decoded& b) {
    double s = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) s += std::abs(a.rgb[i] - b.rgb[i]);
    return s / a.rgb.size();
}

TEST(Effects, ShaderFileDefinesFlameAndExplosionWithExistingFrames) {
    const auto effects = ReadShaderFile(kDataDir / "common.shader");
    ASSERT_EQ(effects.size(), 2u);
    ASSERT_TRUE(effects.count("flame1"));
    ASSERT_TRUE(effects.count("explosion"));
    EXPECT_EQ(effects.at("flame1").settings.at("blend"), "add");
    EXPECT_EQ(effects.at("flame1").settings.at("loop"), "1");
    EXPECT_EQ(effects.at("explosion").settings.at("blend"), "add");
    EXPECT_EQ(effects.at("explosion").settings.at("loop"), "0");
    EXPECT_GE(effects.at("explosion").frames.size(), 12u);
    EXPECT_GE(effects.at("flame1").frames.size(), 6u);
    for (const auto& [name, e] : effects) {
        SCOPED_TRACE(name);
        EXPECT_GT(std::stoi(e.settings.at("rate")), 0);
        int w = 0, h = 0;
        for (const std::string& f : e.frames) {
            EXPECT_EQ(f.substr(f.size() - 4), ".png");
            const Decoded d = Decode(kDataDir / f);
            ASSERT_TRUE(d.Valid()) << f;
            if (w == 0) w = d.width, h = d.height;
            EXPECT_EQ(d.width, w) << f;
            EXPECT_EQ(d.height, h) << f;
            // Additive frames: the corners are black so the billboard's edges vanish.
            EXPECT_EQ(d.At(0, 0), (Pixel{0, 0, 0})) << f;
            EXPECT_EQ(d.At(w - 1, 0), (Pixel{0, 0, 0})) << f;
        }
    }
}

TEST(Effects, FlameLoopsWithoutAJump) {
    const auto frames = ReadShaderFile(kDataDir / "common.shader").at("flame1").frames;
    ASSERT_GE(frames.size(), 2u);
    std::vector<Decoded> d;
    for (const auto& f : frames) d.push_back(Decode(kDataDir / f));
    double step = 0;
    for (size_t i = 0; i + 1 < d.size(); ++i) step = std::max(step, MeanDifference(d[i], d[i + 1]));
    EXPECT_GT(step, 0.5) << "the flame moves";
    EXPECT_LT(MeanDifference(d.back(), d.front()), step * 1.3);
}

TEST(Effects, ExplosionBloomsThenFadesButStaysVisible) {
    const auto frames = ReadShaderFile(kDataDir / "common.shader").at("explosion").frames;
    std::vector<double> light;
    for (const auto& f : frames) light.push_back(MeanBrightness(Decode(kDataDir / f)));
    const auto peak = std::max_element(light.begin(), light.end()) - light.begin();
    EXPECT_LT(peak, static_cast<long>(light.size()) / 2) << "brightest early";
    EXPECT_LT(light.back(), light[peak] * 0.7);
    EXPECT_GT(light.back(), 1.0) << "the held last frame still shows embers";
}

}  // namespace
}  // namespace orvane::assets::visual::test
