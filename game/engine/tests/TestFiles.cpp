#include "TestFiles.h"

#include <SDL.h>
#include <SDL_image.h>

#include <array>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

namespace enginetest {

ScratchDir::ScratchDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("engine_tests_" + std::to_string(rd()) + "_" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void WriteImage(const std::string& path, int width, int height,
                const std::function<uint32_t(int, int)>& pixel) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!s) throw std::runtime_error(SDL_GetError());
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < width; ++x) row[x] = pixel(x, y);
    }
    const bool png = path.size() > 4 && path.substr(path.size() - 4) == ".png";
    const int rc = png ? IMG_SavePNG(s, path.c_str()) : SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);
    if (rc != 0) throw std::runtime_error("cannot write " + path);
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

namespace {
void Put16(std::string& out, uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); }
void Put32(std::string& out, uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); }
void PutFloat(std::string& out, float v) { out.append(reinterpret_cast<const char*>(&v), 4); }
std::string Chunk(uint16_t id, const std::string& body) {
    std::string out;
    Put16(out, id);
    Put32(out, static_cast<uint32_t>(body.size() + 6));
    return out + body;
}
}  // namespace

void Write3ds(const std::string& path, const std::vector<std::array<float, 9>>& triangles) {
    std::string vertices, faces, uvs;
    Put16(vertices, static_cast<uint16_t>(triangles.size() * 3));
    Put16(uvs, static_cast<uint16_t>(triangles.size() * 3));
    Put16(faces, static_cast<uint16_t>(triangles.size()));
    for (size_t t = 0; t < triangles.size(); ++t) {
        for (int k = 0; k < 9; ++k) PutFloat(vertices, triangles[t][k]);
        for (int k = 0; k < 3; ++k) {
            PutFloat(uvs, k == 1 ? 1.0f : 0.0f);
            PutFloat(uvs, k == 2 ? 1.0f : 0.0f);
        }
        for (int k = 0; k < 3; ++k) Put16(faces, static_cast<uint16_t>(t * 3 + k));
        Put16(faces, 0);  // face flags
    }
    const std::string mesh = Chunk(0x4110, vertices) + Chunk(0x4140, uvs) + Chunk(0x4120, faces);
    const std::string object = Chunk(0x4000, std::string("box") + '\0' + Chunk(0x4100, mesh));
    std::string version;
    Put32(version, 3);
    const std::string file = Chunk(0x4D4D, Chunk(0x0002, version) + Chunk(0x3D3D, object));
    std::ofstream(path, std::ios::binary) << file;
}

Picture ReadBmp(const std::string& path) {
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (!loaded) throw std::runtime_error("cannot read " + path + ": " + SDL_GetError());
    SDL_Surface* s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    Picture p;
    p.width = s->w;
    p.height = s->h;
    p.pixels.resize(static_cast<size_t>(p.width) * p.height);
    for (int y = 0; y < p.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < p.width; ++x) p.pixels[static_cast<size_t>(y) * p.width + x] = row[x] & 0xFFFFFF;
    }
    SDL_FreeSurface(s);
    return p;
}

void SaveAsPng(const std::string& bmpPath, const std::string& pngPath) {
    SDL_Surface* s = SDL_LoadBMP(bmpPath.c_str());
    if (!s) return;
    IMG_SavePNG(s, pngPath.c_str());
    SDL_FreeSurface(s);
}

}  // namespace enginetest
