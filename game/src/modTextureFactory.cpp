#include "modTextureFactory.h"

#include "variabili_globali.h"

#include <Engine3D.h>

#include <memory>

namespace orvane {

namespace {
struct NamedTexture {
    const char* name;
    const char* file;
    quarvex::Color colorKey;
};

constexpr NamedTexture kTextures[] = {
    {"sparo", "f2.jpg", 0},             // projectile
    {"Terrain", "e1.jpg", 0},
    {"sun", "sun.jpg", 0},
    {"starship", "iniziofuocook.jpg", 0},
    {"fighter", "iniziofuocook.jpg", 0},
    {"ostacolo", "copertura2.jpg", 0},  // obstacles
    {"fire", "fire.jpg", 0},            // starship sterns
    {"water", "water.jpg", 0},
    {"detail", "f1.jpg", 0},            // terrain detail
    {"Front", "Back3.jpg", 0},
    {"Back", "Front3.jpg", 0},
    {"Right", "Left3.jpg", 0},
    {"Left", "Right3.jpg", 0},
    {"Down", "top3.jpg", 0},
    {"Top", "Down3.jpg", 0},
    {"Wall", "Wall.Bmp", 0},
    {"Flare1", "flare1.jpg", 0},
    {"Flare2", "flare2.jpg", 0},
    {"Flare3", "flare3.jpg", 0},
    {"Flare4", "flare4.jpg", 0},
    {"holo", "holo.jpg", 0},            // player carrier
    {"TankTexture", "tank.bmp", 0},
    {"vita", "facesx.bmp", 0xFF000000}, // HUD
    {"0000", "a1.jpg", 0},              // tanks
    {"ParticleTexture", "snow.bmp", 0}, // explosions
    {"Cross", "mirino2.bmp", 0xFFFFFFFF},
    {"logos", "logon.bmp", 0xFF000000}, // HUD
};
}  // namespace

void LoadTextures() {
    levelTextures = std::make_shared<quarvex::TextureFactory3D>();
    levelTextures->SetLoadMode(1);
    for (const NamedTexture& t : kTextures) levelTextures->LoadTexture(t.file, t.name, -1, -1, t.colorKey, true);
}

}  // namespace orvane
