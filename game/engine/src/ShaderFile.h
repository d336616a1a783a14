// Reader of our shader files: named effect textures, each an animated frame list.
//
//   Name { blend add|alpha   rate <frames per second>   loop 0|1   frame <file> ... }
//
// one statement per line, comments from // or #, keywords without regard to case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quarvex::detail {

struct ShaderBlock {
    std::string name;
    bool additive = false;
    float rate = 10.0f;
    bool loop = true;
    std::vector<std::string> frames;
    std::vector<int> frameLines;  // line of each frame statement, for error messages
};

// Parses the text of a shader file; fileName is used in error messages ("file line N: ...").
// Throws EngineError on any fault.
std::vector<ShaderBlock> ParseShaderFile(std::string_view text, const std::string& fileName);

}  // namespace quarvex::detail
