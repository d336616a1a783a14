// GLSL sources of the renderer's mesh, sky and sprite programs.
#pragma once

namespace quarvex::detail::shaders {

inline const char* kMeshVertex = R"(#version 330 core
in vec3 inPosition;
in vec3 inNormal;
in vec2 inUv;
uniform mat4 uViewProj;
uniform mat4 uModel;
out vec3 vWorld;
out vec3 vNormal;
out vec2 vUv;
void main() {
    vec4 world = uModel * vec4(inPosition, 1.0);
    vWorld = world.xyz;
    vNormal = mat3(uModel) * inNormal;
    vUv = inUv;
    gl_Position = uViewProj * world;
}
)";

inline const char* kMeshFragment = R"(#version 330 core
in vec3 vWorld;
in vec3 vNormal;
in vec2 vUv;
uniform sampler2D uTexture;
uniform vec3 uEye;
uniform vec3 uLight;
uniform vec3 uFogColor;
uniform vec2 uFog;
out vec4 outColor;
void main() {
    vec4 tex = texture(uTexture, vUv);
    if (tex.a < 0.5) discard;
    vec3 toEye = normalize(uEye - vWorld);
    vec3 n = length(vNormal) > 1e-6 ? normalize(vNormal) : toEye;
    if (dot(n, toEye) < 0.0) n = -n;  // triangles are lit on the side that is seen
    float diffuse = max(dot(n, uLight), 0.0);
    vec3 h = normalize(uLight + toEye);
    float specular = pow(max(dot(n, h), 0.0), 32.0) * 0.35 * step(0.0, diffuse);
    vec3 color = tex.rgb * (0.38 + 0.8 * diffuse) + vec3(specular);
    float f = smoothstep(uFog.x, uFog.y, length(uEye - vWorld));
    outColor = vec4(mix(color, uFogColor, f), 1.0);
}
)";

inline const char* kSkyVertex = R"(#version 330 core
in vec3 inPosition;
in vec2 inUv;
uniform mat4 uViewProj;
out vec3 vDirection;
out vec2 vUv;
void main() {
    vDirection = inPosition;
    vUv = inUv;
    vec4 p = uViewProj * vec4(inPosition, 1.0);
    gl_Position = p.xyww;  // on the far plane
}
)";

inline const char* kSkyFragment = R"(#version 330 core
in vec3 vDirection;
in vec2 vUv;
uniform sampler2D uTexture;
uniform vec3 uFogColor;
out vec4 outColor;
void main() {
    vec3 sky = texture(uTexture, vUv).rgb;
    // Towards the horizon the sky meets the fogged terrain in the fog colour.
    float up = normalize(vDirection).y;
    float haze = 1.0 - smoothstep(-0.02, 0.28, up);
    outColor = vec4(mix(sky, uFogColor, haze * 0.9), 1.0);
}
)";

inline const char* kSpriteVertex = R"(#version 330 core
in vec3 inPosition;
in vec2 inUv;
in vec4 inColor;
uniform mat4 uMatrix;
out vec3 vWorld;
out vec2 vUv;
out vec4 vColor;
void main() {
    vWorld = inPosition;
    vUv = inUv;
    vColor = inColor;
    gl_Position = uMatrix * vec4(inPosition, 1.0);
}
)";

inline const char* kSpriteFragment = R"(#version 330 core
in vec3 vWorld;
in vec2 vUv;
in vec4 vColor;
uniform sampler2D uTexture;
uniform int uFogOn;
uniform int uBlend;  // 0 alpha, 1 additive, 2 glow (premultiplied)
uniform float uAlphaTest;
uniform vec3 uEye;
uniform vec3 uFogColor;
uniform vec2 uFog;
out vec4 outColor;
void main() {
    vec4 tex = texture(uTexture, vUv);
    vec4 color;
    if (uBlend == 2) {
        // A texture without alpha (light on black) covers as much as it is bright.
        float coverage = tex.a * max(tex.r, max(tex.g, tex.b));
        color = vec4(tex.rgb * tex.a * vColor.rgb, coverage * vColor.a);
    } else {
        color = tex * vColor;
        if (color.a <= uAlphaTest) discard;
    }
    if (uFogOn != 0) {
        float f = smoothstep(uFog.x, uFog.y, length(uEye - vWorld));
        if (uBlend == 0) color.rgb = mix(color.rgb, uFogColor, f);
        else if (uBlend == 1) color.rgb *= 1.0 - f;
        else color *= 1.0 - f;
    }
    outColor = color;
}
)";

}  // namespace quarvex::detail::shaders
