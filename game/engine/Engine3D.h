// Quarvex: the game's small 3D engine on SDL2 and OpenGL 3.3 core.
//
// Everything the game uses is declared here. Objects are created with std::make_shared<T>() and
// are handles onto ONE engine-wide state: every Scene3D shows the same scene, every Camera3D reads
// the same camera, textures and fonts are engine-wide and found by name.
//
// Conventions
// - World axes: x and z across the ground, y up. Left-handed like the game's physics: looking
//   along +z with y up, +x is to the right. Matrices are qxcommon::Matrix4 used with row vectors
//   (v x M); rows 1-3 of a mesh's matrix are its side (+x, right), up (+y) and forward (+z) axes,
//   row 4 its position.
// - Angles are radians. Mesh3D::RotateY(a) with a > 0 turns the mesh to its right
//   (forward (0,0,1) becomes (sin a, 0, cos a)).
// - Screen coordinates are pixels of the 800 x 600 picture, x to the right, y down, whatever the
//   size of the real window (the picture is scaled up letter-boxed on a desktop full screen, or
//   shown unscaled in its middle where OpenGL runs in software).
// - Colours are 32-bit ARGB (0xAARRGGBB); -1 (0xFFFFFFFF) is opaque white. Globals3D::RGBA packs one.
// - File names: backslashes are read as '/', a relative name resolves in the search directory
//   (Engine3D::SetSearchDirectory, else the current directory); when no file has the exact name,
//   a file in the same folder whose name differs only in letter case is used.
// - Failures: a missing or corrupt texture, model, height map, shader or font file, and a failed
//   screenshot or window, throw quarvex::EngineError naming the file and what is wrong. Nothing
//   in the engine ends the process unless asked to (Engine3D::EndProcess, EndProcessWithError).
// - Meshes and billboards stay in the scene while the game holds a handle to them; the last
//   handle dropped takes the mesh out of the scene.
// - Drawing is deferred: Clear starts a frame, RenderSky / Landscape3D::Render / RenderAll /
//   UpdateParticles mark what the frame shows, and Present draws the 3D scene with the camera as it
//   is then, followed by the frame's 2D drawings (in call order), then fades, and shows it. So 2D
//   drawings always appear above the 3D scene whatever the call order.
// - Headless: without InitFullScreen every object works on the scene model alone (no display
//   needed); Present then only ends the frame. Under SDL's "offscreen" video driver or Xvfb,
//   InitFullScreen opens a real OpenGL context.
#pragma once

#include <qxcommon/Matrix4.h>
#include <qxcommon/Vector3.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quarvex {

using qxcommon::Matrix4;
using qxcommon::Vector3;

// 32-bit ARGB colour.
using Color = uint32_t;

// Every error the engine reports. The message names the file (or the operation) and the reason.
class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace detail {
struct TextureData;
struct EffectData;
struct MeshData;
struct EmitterData;
}  // namespace detail

// ---------------------------------------------------------------------------------------------
// A texture: a handle only. Width/Height are the stored size in pixels.
class Texture3D {
public:
    explicit Texture3D(std::shared_ptr<detail::TextureData> data);
    int32_t Width() const;
    int32_t Height() const;
    // The name it was registered under ("" for an unnamed texture) and the file it came from.
    const std::string& Name() const;
    const std::string& FileName() const;

    const std::shared_ptr<detail::TextureData>& Data() const { return data_; }

private:
    std::shared_ptr<detail::TextureData> data_;
};
using TexturePtr = std::shared_ptr<Texture3D>;

// An effect texture defined by a shader file: an animated frame list with a rate and a blend.
class EffectTexture3D {
public:
    explicit EffectTexture3D(std::shared_ptr<detail::EffectData> data);
    const std::string& Name() const;
    int32_t FrameCount() const;
    float Rate() const;           // frames per second
    bool Loops() const;
    bool Additive() const;        // true: additive blend; false: alpha blend

    const std::shared_ptr<detail::EffectData>& Data() const { return data_; }

private:
    std::shared_ptr<detail::EffectData> data_;
};
using EffectTexturePtr = std::shared_ptr<EffectTexture3D>;

// ---------------------------------------------------------------------------------------------
// One 2D drawing of a frame, as queued by Screen2D and by the landscape's sun and lens flares.
// The queue of the last presented frame is Engine3D::LastFrame2D().
struct Draw2D {
    enum class Kind { Texture, Text, Sun, LensFlare };
    Kind kind = Kind::Texture;
    TexturePtr texture;              // Texture, Sun, LensFlare (may be null: a plain quad)
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // rectangle (Text: x1, y1 is the top-left corner)
    Color color = 0xFFFFFFFF;        // colour of the upper corners (Text: the text colour)
    Color color2 = 0xFFFFFFFF;       // colour of the lower corners
    std::string text;                // Text only
    std::string font;                // Text only: the font name given to CreateFont
};

// ---------------------------------------------------------------------------------------------
// Display options for Engine3D::SetDisplayOption.
enum DisplayOption : int32_t {
    DISPLAY_DEFAULT = 0,       // accepted, no effect
    DISPLAY_FRAME_PACING = 1,  // true (default): 60 frames per second of the clock on every display
                               // (with vsync where it refreshes at a whole multiple of 60 Hz, so a
                               // 144 Hz display or Xvfb changes nothing); false: present as fast
                               // as possible (benchmarks)
};

// The engine itself: display, frame start and end, frame rate, screenshot.
class Engine3D {
public:
    Engine3D();
    ~Engine3D();  // closes the window if this object opened it (other Engine3D objects do not)
    Engine3D(const Engine3D&) = delete;
    Engine3D& operator=(const Engine3D&) = delete;

    void SetStartupFlag(bool flag);  // accepted, no effect
    void SetWindowTitle(std::string_view title);
    // Opens a desktop full-screen window (no display-mode switch) showing a width x height picture
    // scaled up letter-boxed, with an OpenGL 3.3 core context; where OpenGL runs in software
    // (no GPU) the picture is shown pixel for pixel in the middle instead, as scaling it would
    // cost more than a frame's time. bits, the flag and the last integer are accepted and have
    // no effect. Throws EngineError when no window can be opened.
    void InitFullScreen(int32_t width, int32_t height, int32_t bits = 32, bool flag = true,
                        int32_t option = 0);
    void SetDisplayOption(int32_t option, bool value);
    // Bare file names given to the engine afterwards resolve in this directory.
    void SetSearchDirectory(std::string_view directory);
    // Begins a frame. The flag is accepted and has no effect.
    void Clear(bool flag = false);
    // Draws and shows the frame (see the conventions above), paces it and processes window events.
    void Present();
    // Frames presented per second, measured over the last second (0 before two frames).
    float GetFramesPerSecond() const;
    void SetIdleMode(int32_t mode);  // accepted, no effect
    // Writes the last presented 800 x 600 picture as a 24-bit BMP. A Windows drive path
    // ("c:\00000.bmp") means the file of that name in the user's home directory ($HOME, else the
    // current directory). Without a display the picture is the background colour. Throws on failure.
    void SaveScreenshot(std::string_view path);

    // Lets the window system process pending events (keyboard, mouse, window). Present does it too.
    static void ProcessMessages();
    // True once the user asked to close the window (its close button, Alt+F4, SIGINT/SIGTERM);
    // it stays true. The game leaves as by its Exit buttons.
    static bool QuitRequested();
    // True when InitFullScreen opened a display.
    static bool HasDisplay();
    // The 2D drawings of the last presented frame, in drawing order.
    static const std::vector<Draw2D>& LastFrame2D();
    // Closes the display and drops the whole engine state (scene, textures, fonts, input). For
    // tests and for hosts that start the engine more than once in one process.
    static void Reset();
    // End the process after releasing the engine (window, OpenGL context, pointer grab): with the
    // status, or with status 1 after printing "<program>: <message>" as one line on stderr (a
    // failure that ends the game). Standard exit: atexit handlers and static destructors run.
    [[noreturn]] static void EndProcess(int status);
    [[noreturn]] static void EndProcessWithError(std::string_view message);
};

// Fades of the whole picture; both return at once and run over the given milliseconds.
class ScreenFade3D {
public:
    void FadeIn(int32_t milliseconds);   // from black to the picture
    void FadeOut(int32_t milliseconds);  // from the picture to black
};

class Mesh3D;
using MeshPtr = std::shared_ptr<Mesh3D>;

// A handle onto the engine-wide scene.
class Scene3D {
public:
    // An empty mesh that the scene draws once it has geometry and is shown. The name is informative.
    MeshPtr CreateMesh(std::string_view name = "");
    // A camera-facing textured quad of width x height centred at (x, y, z); it turns about the
    // vertical axis to face the camera. texture may be null (an effect texture can be set later).
    // The three integers and the flag are accepted and have no effect.
    MeshPtr CreateBillboard(const TexturePtr& texture, float x, float y, float z, float width,
                            float height, std::string_view name = "", int32_t option1 = 0,
                            int32_t option2 = 0, int32_t option3 = 0, bool flag = true);
    // Reads a shader file (format below) and registers its effect textures by name, replacing
    // earlier ones of the same names. Throws EngineError naming the file and line on any fault.
    //
    //   // comments start with // or #; blank lines ignored; keywords case-insensitive
    //   Explosion                 // effect texture name (case-insensitive lookup)
    //   {
    //       blend add             // add (additive) | alpha (alpha blend)
    //       rate 15               // frames per second
    //       loop 0                // 1 = loops (default), 0 = plays once then holds the last frame
    //       frame explosion_00.png   // frame texture files (search directory), in order
    //       frame explosion_01.png
    //   }
    //
    // Several blocks per file. Defaults: blend alpha, rate 10, loop 1.
    void LoadShaderFile(std::string_view file);
    // Visible distance: the far plane is range x 20 world units (100 -> 2000), and distance fog
    // blends into the background colour from 35 % of it to the far plane.
    void SetViewRange(float range);
    void SetSceneFlag(bool flag);  // accepted, no effect
    // Background and fog colour, components 0..1.
    void SetBackgroundColor(float r, float g, float b);
    // Sky box faces, seen from inside: front = +z, back = -z, left = -x, right = +x, top = +y,
    // down = -y. The box is drawn behind everything, centred on the eye; size is accepted.
    void SetSkyBox(const TexturePtr& front, const TexturePtr& back, const TexturePtr& left,
                   const TexturePtr& right, const TexturePtr& top, const TexturePtr& down,
                   float size);
    // The one engine camera: eye position and the point it looks at (y up).
    void SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ);
    // This frame shows the sky box.
    void RenderSky();
    // This frame shows every shown mesh and billboard and every particle emitter updated in it.
    void RenderAll();
    // Meshes and billboards in the scene (those the game still holds).
    int32_t MeshCount() const;
};

// Loads textures from image files (JPEG, BMP, PNG, ...).
class TextureFactory3D {
public:
    void SetLoadMode(int32_t mode);  // accepted, no effect
    // Loads the file; width/height -1 keep the stored size, other values resample the image.
    // Pixels of the colour key's RGB become transparent (0 = no key; JPEG files match within a
    // small tolerance), judged before resampling. A non-empty name registers the texture under
    // it, case-insensitively; loading a registered name again returns the same handle with the
    // new picture, so everything built with it shows the new one. The flag is accepted. Throws
    // on a bad file.
    TexturePtr LoadTexture(std::string_view file, std::string_view name = "", int32_t width = -1,
                           int32_t height = -1, Color colorKey = 0, bool flag = true);
    // Decodes the file on a thread of its own at low priority, so that a LoadTexture of it alike
    // (same size and colour key, the file unchanged) finds the picture decoded; until then it
    // waits for the decoding rather than starting its own. Errors are left to that LoadTexture.
    void PreloadTexture(std::string_view file, int32_t width = -1, int32_t height = -1, Color colorKey = 0);
};

// Engine-wide look-ups and small helpers.
class Globals3D {
public:
    // The texture registered under the name (letter case ignored), or null when there is none
    // (a null texture draws as plain colour).
    static TexturePtr GetTexture(std::string_view name);
    // The effect texture of a loaded shader file with that name (case ignored), or null.
    static EffectTexturePtr GetEffectTexture(std::string_view name);
    // Packs components 0..1 (clamped) into an ARGB colour.
    static Color RGBA(float r, float g, float b, float a);
    static Vector3 MakeVector(float x, float y, float z);
};

// 2D drawing over the frame. All Screen2D objects draw into the same per-frame queue.
class Screen2D {
public:
    // Registers a font under name. face is a font family ("Arial" renders with Liberation Sans,
    // found through fontconfig), size in points at 800 x 600. Throws when no font file is found.
    void CreateFont(std::string_view name, std::string_view face, int32_t size, bool bold = false,
                    bool underline = false, bool italic = false);
    // Text with its top-left corner at (x, y), anti-aliased. An unknown font name draws with a
    // default 20-point Liberation Sans.
    void DrawText(std::string_view text, float x, float y, Color color = 0xFFFFFFFF,
                  std::string_view fontName = "");
    // Stretches the texture over the rectangle. color tints the image; color2, when not 0, tints
    // the lower corners instead (a vertical gradient). A null texture draws a plain quad.
    void DrawTexture(const TexturePtr& texture, float x1, float y1, float x2, float y2,
                     Color color = 0xFFFFFFFF, Color color2 = 0);
    // Screen position of a world point with the current camera. Returns false (and leaves
    // x, y unchanged) when the point is behind the eye.
    bool ProjectToScreen(const Vector3& point, float& x, float& y);
};

// Keyboard and mouse. Keys by DirectInput scan code (1 Escape, 17 W, 29 Left Ctrl, 45 X, ...).
class Input3D {
public:
    bool IsKeyPressed(int32_t scanCode);
    // Pointer position in 800 x 600 pixels and the left (1) and right (2) buttons.
    void GetMouseState(int32_t& x, int32_t& y, bool& button1, bool& button2);
    // Mouse motion since the last call, in pixels of the 800 x 600 picture; wheel in notches.
    // While the game reads motion every frame the pointer is captured (SDL relative mouse mode),
    // so motion never stops at the screen edge; a frame presented without reading it releases the
    // pointer again. Motion counts only while the pointer is captured, from the frame after the
    // first that read it: motion of the free pointer (menus, SetMousePosition) moves the pointer
    // and never reaches play.
    void GetMouseMovement(int32_t& dx, int32_t& dy, bool& button1, bool& button2, bool& button3,
                          int32_t& wheel);
    void GetMouseMovement(int32_t& dx, int32_t& dy);
    void SetMousePosition(int32_t x, int32_t y);

    // Scripted input for tests and replays; real events add to the same state.
    static void SimulateKey(int32_t scanCode, bool down);
    static void SimulateMouseButton(int32_t button, bool down);  // 1 left, 2 right, 3 middle
    static void SimulateMouseMotion(int32_t dx, int32_t dy);      // also moves the pointer
    static void SimulateQuit();                                   // the window's close button
    // The DirectInput scan code of an SDL scan code (SDL_Scancode value), 0 when it has none.
    static int32_t ScanCodeFromSdl(int32_t sdlScancode);
};

class Camera3D {
public:
    Vector3 GetPosition() const;  // the eye of the last SetCamera
    Vector3 GetLookAt() const;    // the target of the last SetCamera
};

// A mesh of the scene. Its world placement is scale, then rotation, then position:
// world = (local * scale) x rotation + position, with rows of the rotation = side, up, forward.
class Mesh3D {
public:
    explicit Mesh3D(std::shared_ptr<detail::MeshData> data);

    // Loads a 3DS (or other assimp-readable) model, adding its triangles. 3DS files are z-up with
    // the model's front along -y: a file's (x, y, z) becomes (x, z, -y) here (file +z is up, file
    // -y is the mesh's forward +z). Material groups are numbered from 0 in file order. Throws on
    // a bad file.
    void Load3DS(std::string_view file, bool flag = true);
    // Texture of one group (-1: every group and every triangle).
    void SetTexture(const TexturePtr& texture, int32_t group = -1);
    void SetScale(float x, float y, float z);
    void SetMeshOption(bool flag, int32_t option);  // accepted, no effect
    void SetMeshMode(int32_t mode);                  // accepted, no effect
    void SetMeshFlag(bool flag);                     // accepted, no effect
    void SetMeshOption2(int32_t option);             // accepted, no effect
    // Shows the effect texture (animated from this call on) instead of the mesh's texture,
    // with the effect's blend; an effect that plays once plays again when the mesh is moved
    // (SetPosition) after it ended. A null effect removes it. The flag is accepted.
    void SetEffectTexture(const EffectTexturePtr& effect, bool flag = true);
    void ClearGeometry();
    // Adds one triangle in local coordinates. Texture coordinates: first corner (0, 0), second
    // (0, tileV), third (tileU, tileV). The two integers are accepted and have no effect.
    // Triangles are drawn from both sides.
    void AddTriangle(const TexturePtr& texture, float x1, float y1, float z1, float x2, float y2,
                     float z2, float x3, float y3, float z3, float tileU = 1.0f,
                     float tileV = 1.0f, int32_t option1 = -1, int32_t option2 = 0);
    // Makes the geometry added since the last FinishGeometry drawable (segment tests see the
    // triangles as soon as they are added).
    void FinishGeometry();
    void ShowMesh(bool show);
    bool IsShown() const;
    void SetPosition(float x, float y, float z);
    Vector3 GetPosition() const;
    // Moves along the mesh's own axes; positive side is to the right.
    void MoveRelative(float forward, float up, float side);
    // Turns about the mesh's own up axis by angle radians (positive turns right).
    void RotateY(float angle);
    // Rotation from rows 1-3 and position from row 4 of a row-vector matrix (the physics
    // library's world matrix). Scale is kept.
    void SetMatrix(const Matrix4& matrix);
    Matrix4 GetMatrix() const;  // rotation rows and position; scale not included
    // Local point to world point.
    Vector3 TransformPoint(const Vector3& local) const;
    // True when the segment from start to end (world) touches one of the mesh's triangles where
    // they are now (ends included). The level is accepted; every level tests triangles.
    // A billboard is tested as the quad facing the current camera.
    bool IntersectsSegment(const Vector3& start, const Vector3& end, int32_t level = 3) const;
    int32_t TriangleCount() const;
    const std::string& Name() const;

    const std::shared_ptr<detail::MeshData>& Data() const { return data_; }

private:
    std::shared_ptr<detail::MeshData> data_;
};

// The terrain: a height map over chunksX x chunksZ chunks of 256 units (8 x 8: 0..2048 on x and z).
// A handle onto the engine-wide terrain.
class Landscape3D {
public:
    // Builds the terrain from a grey-scale height map image (brightness = height). precision is
    // the number of grid cells per chunk side (32: one cell per 8 units; clamped to 1..64).
    // x, z are accepted. Throws on a bad file.
    void GenerateFromHeightMap(std::string_view file, int32_t precision = 32, int32_t chunksX = 8,
                               int32_t chunksZ = 8, int32_t x = 0, int32_t z = 0, bool smooth = true);
    // Height scale: the brightest pixel stands at 220 f / (f + 1) units (0.4 -> 63, 3 -> 165,
    // 12 -> 203), so low factors give gentle hills and high ones stay flyable.
    void SetLandscapeFactor(float factor);
    float GetLandscapeFactor() const;
    void SetBaseTexture(const TexturePtr& texture);                   // every chunk
    void SetTerrainTexture(const TexturePtr& texture, bool flag = true);  // every chunk
    // Repeats of the base texture across the whole terrain (1 = stretched once).
    void SetTerrainTextureScale(float u, float v, bool flag = true);
    // Texture of the chunks x..x+w-1, z..z+h-1.
    void SetChunkTexture(const TexturePtr& texture, int32_t x, int32_t z, int32_t w, int32_t h);
    void SetDetailTexture(const TexturePtr& texture);
    // Repeats of the detail texture per chunk.
    void SetDetailTextureScale(float u, float v, bool flag = true);
    void SetDetailMode(int32_t mode);  // accepted; the detail texture is always blended
    // Accepted, no effect.
    void SetSurfaceOptions(bool flag, float a, float b, float c, float d, float e, float f);
    void RefreshSurface();
    void SetScaleFactor(float factor);
    void SetDistanceFactor(float factor);
    void EnableSurfaceFeature(bool enable);
    // The sun: a texture drawn where the direction from the terrain's centre to position points
    // (at infinity), size scales the sprite (1 = 64 pixels). The sun also lights the meshes.
    void SetSun(const TexturePtr& texture, const Vector3& position, float size);
    // Lens flare index 1..4: a sprite of size x 16 pixels on the line from the sun through the
    // screen centre, distance / 40 of the way (40 = at the centre, beyond it past the centre),
    // tinted from color1 (near the sun) to color2. Additive.
    void SetLensFlare(int32_t index, float size, const TexturePtr& texture, float distance,
                      Color color1, Color color2);
    void Update();  // accepted, no effect
    // This frame shows the terrain, the sun and its lens flares. The flags are accepted.
    void Render(bool flag1 = true, bool flag2 = true);
    // Ground height at (x, z) on the drawn triangles; outside the terrain the nearest edge.
    // 0 before GenerateFromHeightMap.
    float GetHeight(float x, float z) const;
};

// A particle emitter; drawn in the frames in which UpdateParticles is called.
class Particles3D {
public:
    Particles3D();
    ~Particles3D();

    // maxParticles alive at once; lifetime of a particle in frames; size in world units of a
    // particle; position; speed scale; texture (null: a soft round spot).
    void CreateEmitter(int32_t maxParticles, int32_t lifetime, float size, const Vector3& position,
                       float speed, const TexturePtr& texture);
    void SetEmitterShape(int32_t shape, int32_t a, int32_t b);  // accepted: emission is spherical
    void SetEmitterPower(float power);                          // initial speed, units per frame
    void SetEmitterTexture(const TexturePtr& texture, int32_t option = -1);
    void SetEmitterRate(float seconds);  // one particle per this many seconds (at 60 frames/s)
    // Start colour (r, g, b, a) and end colour (r, g, b) of a particle, then three more values
    // accepted; components outside 0..1 take the fire palette (yellow-white to deep red).
    void SetEmitterColors(int32_t mode, float r1, float g1, float b1, float a1, float r2, float g2,
                          float b2, float c8, float c9, float c10, float c11);
    void SetEmitterPosition(const Vector3& position);
    void SetEmitterMode(int32_t mode);  // accepted, no effect
    // Emits and advances one frame (1/60 s) and marks the emitter to be drawn in this frame.
    void UpdateParticles();
    int32_t ParticleCount() const;

private:
    std::shared_ptr<detail::EmitterData> data_;
};

}  // namespace quarvex
