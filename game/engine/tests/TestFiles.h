// Fixtures made at run time: a scratch folder, images, a tiny 3DS model, text files.
#pragma once

#include "Engine3D.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace enginetest {

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// A fixture on a fresh engine whose search directory is a scratch folder; the engine's state is
// reset again afterwards.
class EngineWithFiles : public ::testing::Test {
protected:
    void SetUp() override {
        quarvex::Engine3D::Reset();
        engine.SetSearchDirectory(dir.Path().string());
    }
    void TearDown() override { quarvex::Engine3D::Reset(); }

    ScratchDir dir;
    quarvex::Engine3D engine;
};

// Writes a width x height 32-bit image; pixel(x, y) returns 0xAARRGGBB. BMP, or PNG when the name
// ends in ".png".
void WriteImage(const std::string& path, int width, int height,
                const std::function<uint32_t(int, int)>& pixel);
void WriteText(const std::string& path, const std::string& text);

// A 3DS file with one object made of the given triangles (9 floats each), written chunk by chunk.
void Write3ds(const std::string& path, const std::vector<std::array<float, 9>>& triangles);

// Reads a 24-bit BMP written by SaveScreenshot into 0xRRGGBB values (row 0 = top).
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture ReadBmp(const std::string& path);
// Saves a BMP as PNG for a person to look at.
void SaveAsPng(const std::string& bmpPath, const std::string& pngPath);

}  // namespace enginetest
