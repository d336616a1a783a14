// GLSL sources of the renderer's mesh, sky and sprite programs.
#pragma once

namespace quarvex::detail::shaders {

// Lighting and fog are worked out per vertex: a software renderer pays for every instruction of
// a fragment shader, and the meshes are flat-shaded triangles anyway.
inline const char* kMeshVertex = R"(#version 330 core
in vec3 inPosition;
in vec3 inNormal;
in vec2 inUv;
uniform mat4 uViewProj;
uniform mat4 uModel;
uniform vec3 uEye;
uniform vec3 uLight;
uniform vec2 uFog;
out vec2 vUv;
out float vDiffuse;
out float vSpecular;
out float vFog;
void main() {
    vec4 world = uModel * vec4(inPosition, 1.0);
    vec3 toEye = uEye - world.xyz;
    float dist = length(toEye);
    toEye /= max(dist, 1e-4);
    vec3 n = mat3(uModel) * inNormal;
    n = length(n) > 1e-6 ? normalize(n) : toEye;
    if (dot(n, toEye) < 0.0) n = -n;  // triangles are lit on the side that is seen
    float diffuse = max(dot(n, uLight), 0.0);
    vDiffuse = 0.38 + 0.8 * diffuse;
    vSpecular = diffuse > 0.0 ? 0.35 * pow(max(dot(n, normalize(uLight + toEye)), 0.0), 32.0) : 0.0;
    vFog = smoothstep(uFog.x, uFog.y, dist);
    vUv = inUv;
    gl_Position = uViewProj * world;
}
)";

// Built with CUTOUT for textures with transparent pixels; without it, the depth test can be
// finished before shading.
inline const char* kMeshFragment = R"(
in vec2 vUv;
in float vDiffuse;
in float vSpecular;
in float vFog;
uniform sampler2D uTexture;
uniform vec3 uFogColor;
out vec4 outColor;
void main() {
    vec4 tex = texture(uTexture, vUv);
#ifdef CUTOUT
    if (tex.a < 0.5) discard;
#endif
    outColor = vec4(mix(tex.rgb * vDiffuse + vSpecular, uFogColor, vFog), 1.0);
}
)";

inline const char* kSkyVertex = R"(#version 330 core
in vec3 inPosition;
in vec2 inUv;
uniform mat4 uViewProj;
out vec2 vUv;
out float vHaze;
void main() {
    vUv = inUv;
    // Towards the horizon the sky meets the fogged terrain in the fog colour.
    vHaze = 0.9 * (1.0 - smoothstep(-0.02, 0.28, normalize(inPosition).y));
    vec4 p = uViewProj * vec4(inPosition, 1.0);
    gl_Position = p.xyww;  // on the far plane
}
)";

inline const char* kSkyFragment = R"(#version 330 core
in vec2 vUv;
in float vHaze;
uniform sampler2D uTexture;
uniform vec3 uFogColor;
out vec4 outColor;
void main() {
    outColor = vec4(mix(texture(uTexture, vUv).rgb, uFogColor, vHaze), 1.0);
}
)";

inline const char* kSpriteVertex = R"(#version 330 core
in vec3 inPosition;
in vec2 inUv;
in vec4 inColor;
uniform mat4 uMatrix;
uniform int uFogOn;
uniform vec3 uEye;
uniform vec2 uFog;
out vec2 vUv;
out vec4 vColor;
out float vFog;
void main() {
    vUv = inUv;
    vColor = inColor;
    vFog = uFogOn != 0 ? smoothstep(uFog.x, uFog.y, length(uEye - inPosition)) : 0.0;
    gl_Position = uMatrix * vec4(inPosition, 1.0);
}
)";

// Built once per blend mode (BLEND 0 alpha, 1 additive, 2 glow) and with CUTOUT where pixels at
// or under the alpha threshold are dropped: a software renderer runs every branch it is given,
// and only a shader without discard lets the depth test run before shading.
inline const char* kSpriteFragment = R"(
in vec2 vUv;
in vec4 vColor;
in float vFog;
uniform sampler2D uTexture;
uniform float uAlphaTest;
uniform vec3 uFogColor;
out vec4 outColor;
void main() {
    vec4 tex = texture(uTexture, vUv);
#if BLEND == 2
    // A texture without alpha (light on black) covers as much as it is bright.
    float coverage = tex.a * max(tex.r, max(tex.g, tex.b));
    vec4 color = vec4(tex.rgb * tex.a * vColor.rgb, coverage * vColor.a);
    color *= 1.0 - vFog;
#else
    vec4 color = tex * vColor;
#ifdef CUTOUT
    if (color.a <= uAlphaTest) discard;
#endif
#if BLEND == 0
    color.rgb = mix(color.rgb, uFogColor, vFog);
#else
    color.rgb *= 1.0 - vFog;
#endif
#endif
    outColor = color;
}
)";

// The finished picture shown in the window, scaled: nothing but a texture lookup, which a
// software renderer can run on its fast path for flat, unblended rectangles.
inline const char* kPictureVertex = R"(#version 330 core
in vec3 inPosition;
in vec2 inUv;
out vec2 vUv;
void main() {
    vUv = inUv;
    gl_Position = vec4(inPosition.xy, 0.0, 1.0);
}
)";

inline const char* kPictureFragment = R"(#version 330 core
in vec2 vUv;
uniform sampler2D uPicture;
out vec4 outColor;
void main() {
    outColor = texture(uPicture, vUv);
}
)";

}  // namespace quarvex::detail::shaders
