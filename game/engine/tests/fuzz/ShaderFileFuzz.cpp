// libFuzzer target for the shader file reader: any input either parses or throws EngineError.
// Build with clang and -DORVANE_ENGINE_FUZZ=ON, then run: bin/shader_file_fuzz [corpus folder]
#include "Engine3D.h"
#include "ShaderFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const auto blocks = quarvex::detail::ParseShaderFile(
            std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.shader");
        for (const auto& block : blocks) {
            if (block.frames.empty() || !(block.rate > 0.0f)) __builtin_trap();  // never accepted
        }
    } catch (const quarvex::EngineError&) {
    }
    return 0;
}
