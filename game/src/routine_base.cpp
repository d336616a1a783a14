#include "routine_base.h"

#include "CameraFPS.h"
#include "variabili_globali.h"

#include <Engine3D.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace orvane {

using quarvex::Globals3D;

namespace {
constexpr float kSkySize = 1500.0f;
constexpr float kFirstLandscapeFactor = 0.4f;

void SetSkyBox() {
    if (!mainScene) throw std::logic_error("the sky box is set before CreateScene");
    mainScene->SetSkyBox(Globals3D::GetTexture("Front"), Globals3D::GetTexture("Back"), Globals3D::GetTexture("Left"),
                         Globals3D::GetTexture("Right"), Globals3D::GetTexture("Top"), Globals3D::GetTexture("Down"),
                         kSkySize);
}

// The terrain texture over all 8 x 8 chunks.
void SetTerrainTexture(const char* name) {
    quarvex::Landscape3D& land = RequireLand();
    land.SetTerrainTexture(Globals3D::GetTexture(name), true);
    land.SetTerrainTextureScale(1.0f, 1.0f, true);
    land.SetChunkTexture(Globals3D::GetTexture(name), 0, 0, 8, 8);
}

void LoadLevelTexture(const char* name, const std::string& file) {
    if (!levelTextures) throw std::logic_error("a level texture is loaded before LoadTextures");
    levelTextures->LoadTexture(ProgramFile(file), name, -1, -1, 0, true);
}
}  // namespace

void CreateScene() {
    mainScene = std::make_shared<quarvex::Scene3D>();
    mainScene->SetViewRange(100.0f);
    mainScene->SetSceneFlag(true);
    mainScene->SetBackgroundColor(0.4f, 0.6f, 0.9f);
    SetSkyBox();
}

void BuildTerrain() {
    Land = std::make_shared<quarvex::Landscape3D>();
    Land->SetLandscapeFactor(kFirstLandscapeFactor);
    Land->GenerateFromHeightMap("land_map.jpg", 32, 8, 8, 0, 0, true);
    Land->SetBaseTexture(Globals3D::GetTexture("terrain"));
    Land->SetSurfaceOptions(true, 0.9f, 0.0f, 9.0f, 3.0f, 0.0f, 0.0f);
    Land->RefreshSurface();
    Land->SetScaleFactor(1.0f);
    Land->SetDistanceFactor(14.0f);
    Land->EnableSurfaceFeature(true);
    Land->SetSun(Globals3D::GetTexture("Sun"), Globals3D::MakeVector(-1800.0f, 500.0f, 0.0f), 2.0f);
    SetTerrainTexture("terrain");
    Land->SetDetailTexture(Globals3D::GetTexture("detail"));
    Land->SetDetailTextureScale(4.0f, 4.0f, true);
    Land->SetDetailMode(4);
    struct Flare {
        const char* texture;
        float size, distance;
        quarvex::Color color1, color2;
    };
    const Flare flares[4] = {
        {"Flare1", 10.0f, 40.0f, Globals3D::RGBA(0.5f, 0.5f, 0.5f, 0.5f), Globals3D::RGBA(1, 1, 1, 0.5f)},
        {"Flare2", 2.0f, 18.0f, Globals3D::RGBA(1, 1, 1, 0.5f), Globals3D::RGBA(1, 1, 1, 0.5f)},
        {"Flare3", 3.6f, 15.0f, Globals3D::RGBA(1, 1, 1, 0.5f), Globals3D::RGBA(0.7f, 1, 1, 0.5f)},
        {"Flare4", 2.0f, 6.0f, Globals3D::RGBA(1, 0.1f, 0, 0.5f), Globals3D::RGBA(0.5f, 1, 1, 0.5f)}};
    for (int i = 0; i < 4; ++i) {
        const Flare& f = flares[i];
        Land->SetLensFlare(i + 1, f.size, Globals3D::GetTexture(f.texture), f.distance, f.color1, f.color2);
    }
}

void RenderTerrain() {
    quarvex::Landscape3D& land = RequireLand();
    land.Update();
    land.Render(true, true);
}

void CreatePlayer() {
    Player = std::make_shared<CameraFPS>();
    Player->SetCameraHeight(35.0f);
    Player->SetPosition(1000.0f, 85.0f);
    Player->SetProjectileSpeed(140.0f);
    Player->SetProjectileMass(10.0f);
    Player->SetConstantForce(Vector3{0.0f, 0.0f, 0.0f});
}

void LoadLevelAssets() {
    const std::string n = std::to_string(themeIndex.Value());
    for (const char* face : {"Front", "Back", "Right", "Left", "Down"}) LoadLevelTexture(face, "c" + n + ".jpg");
    LoadLevelTexture("0000", "a" + n + ".jpg");
    LoadLevelTexture("starship", "b" + n + ".jpg");
    LoadLevelTexture("fighter", "a" + n + ".jpg");
    LoadLevelTexture("ostacolo", "ab" + n + ".jpg");
    LoadLevelTexture("Top", "c" + n + ".jpg");
    SetSkyBox();
    RequireLand().SetLandscapeFactor(static_cast<float>(themeIndex.Value() + 1));
    LoadLevelTexture("Terrain2", "e" + n + ".jpg");
    SetTerrainTexture("terrain2");
    LoadLevelTexture("detail", "f" + n + ".jpg");
    RequireLand().SetDetailTexture(Globals3D::GetTexture("detail"));
    PreloadNextLevelAssets();
}

void PreloadNextLevelAssets() {
    if (!levelTextures) throw std::logic_error("level textures are preloaded before LoadTextures");
    const std::string n = std::to_string(NextThemeIndex(themeIndex.Value()));
    for (const char* prefix : {"c", "a", "b", "ab", "e", "f"}) levelTextures->PreloadTexture(ProgramFile(prefix + n + ".jpg"));
}

void ResetLandscape() {
    quarvex::Landscape3D& land = RequireLand();
    land.SetLandscapeFactor(kFirstLandscapeFactor);
    land.SetTerrainTexture(Globals3D::GetTexture("terrain"), true);
    land.SetChunkTexture(Globals3D::GetTexture("terrain"), 0, 0, 8, 8);
    land.SetDetailTexture(Globals3D::GetTexture("detail"));
}

}  // namespace orvane
