// The one engine-wide state behind every public handle: the scene model, the 2D queue, input,
// and (when a display is open) the renderer behind the Display interface.
#pragma once

#include "CameraModel.h"
#include "Engine3D.h"
#include "Image.h"
#include "InputState.h"
#include "MeshModel.h"
#include "ParticleModel.h"
#include "TerrainModel.h"
#include "Textures.h"

#include <glm/glm.hpp>

#include <array>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quarvex::detail {

struct EngineState;

struct FontFace {
    std::string file;
    int size = 20;
    bool bold = false, underline = false, italic = false;
};

struct FadeState {
    bool active = false;
    bool fadeIn = true;
    double start = 0.0;
    double seconds = 0.0;
    // Opacity of the black cover at time now: 0 = picture fully visible.
    float Cover(double now) const;
};

// What the current frame shows besides its 2D queue.
struct FrameRequest {
    bool sky = false;
    bool terrain = false;
    bool scene = false;
};

// The window and renderer. The OpenGL implementation is the only one; without it the engine runs
// on the scene model alone.
class Display {
public:
    virtual ~Display() = default;
    // Draws the frame described by the state and shows it.
    virtual void Present(EngineState& state) = 0;
    // The last presented picture (800 x 600).
    virtual Image ReadPicture() = 0;
    virtual void PumpEvents(InputState& input) = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void WarpMouse(float x, float y) = 0;
    // While captured the pointer is virtual; on release the real one is put where it was (x, y).
    virtual void SetPointerCaptured(bool captured, float x, float y) = 0;
    virtual void SetFramePacing(bool on) = 0;
    // Where the picture is in the window, in window coordinates: its top left corner and the
    // window units a picture pixel spans.
    virtual void PictureInWindow(float& x, float& y, float& scale) const = 0;
};

// Opens the desktop full-screen window with its OpenGL context; throws EngineError.
std::unique_ptr<Display> CreateGlDisplay(const std::string& title, int width, int height);

struct EngineState {
    EngineState();

    std::string searchDir;
    std::string title = "Orvane";
    TextureRegistry textures;

    // The scene draws a mesh while the game holds a handle to it: a released mesh leaves it.
    std::vector<std::weak_ptr<MeshData>> meshes;
    std::vector<std::weak_ptr<EmitterData>> emitters;
    CameraData camera;
    std::array<TexturePtr, 6> sky;  // front (+z), back, left, right, top, down
    float skySize = 1500.0f;
    glm::vec3 background{0.4f, 0.6f, 0.9f};
    float viewRange = 100.0f;
    TerrainData terrain;

    FrameRequest frame;
    uint64_t frameNumber = 1;  // the frame being built
    std::vector<Draw2D> queue;
    std::vector<Draw2D> lastQueue;
    std::map<std::string, FontFace> fonts;  // by lower-case name
    FadeState fade;
    InputState input;

    std::deque<double> presentTimes;
    bool framePacing = true;
    const Engine3D* displayOwner = nullptr;  // the engine object that opened the display
    std::unique_ptr<Display> display;

    double Now() const;  // seconds of a steady clock
    float FogStart() const { return camera.farPlane * 0.35f; }
    // Direction of the sun's light (towards the sun), raised so that a low sun still lights tops.
    glm::vec3 LightDirection() const;
    void EndFrame();  // after drawing: the queue becomes the last frame's, a new frame starts
    void AddMesh(const std::shared_ptr<MeshData>& mesh);
    void DropReleasedMeshes();
};

EngineState& State();
EngineState* ExistingState();  // null before the first use and after ResetState
void ResetState();

// Finds a font file for a family through fontconfig ("Arial" gives Liberation Sans).
std::string FindFontFile(const std::string& family, bool bold, bool italic);

// ARGB colour to RGBA floats.
glm::vec4 UnpackColor(Color c);

}  // namespace quarvex::detail
