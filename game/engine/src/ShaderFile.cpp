#include "ShaderFile.h"

#include "Engine3D.h"
#include "Paths.h"

#include <charconv>
#include <sstream>

namespace quarvex::detail {

namespace {

std::vector<std::string> Tokens(std::string_view line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' || (line[i] == '/' && i + 1 < line.size() && line[i + 1] == '/')) {
            line = line.substr(0, i);
            break;
        }
    }
    std::vector<std::string> tokens;
    std::string current;
    for (char c : line) {
        if (c == '{' || c == '}') {
            if (!current.empty()) tokens.push_back(std::move(current));
            current.clear();
            tokens.emplace_back(1, c);
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (!current.empty()) tokens.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) tokens.push_back(std::move(current));
    return tokens;
}

[[noreturn]] void Fail(const std::string& file, int line, const std::string& what) {
    throw EngineError("Shader file \"" + file + "\" line " + std::to_string(line) + ": " + what);
}

float Number(const std::string& text, const std::string& file, int line, const char* keyword) {
    float value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        Fail(file, line, std::string("'") + keyword + "' needs a number, not '" + text + "'");
    }
    return value;
}

}  // namespace

std::vector<ShaderBlock> ParseShaderFile(std::string_view text, const std::string& file) {
    std::vector<ShaderBlock> blocks;
    enum class State { Outside, AfterName, Inside } state = State::Outside;
    int blockLine = 0;
    int lineNumber = 0;
    std::istringstream in{std::string(text)};
    std::string rawLine;
    while (std::getline(in, rawLine)) {
        ++lineNumber;
        std::vector<std::string> tokens = Tokens(rawLine);
        size_t i = 0;
        while (i < tokens.size()) {
            const std::string& token = tokens[i];
            if (state == State::Outside) {
                if (token == "{" || token == "}") Fail(file, lineNumber, "'" + token + "' without an effect name before it");
                blocks.emplace_back();
                blocks.back().name = token;
                blockLine = lineNumber;
                state = State::AfterName;
                ++i;
            } else if (state == State::AfterName) {
                if (token != "{") Fail(file, lineNumber, "expected '{' after the effect name '" + blocks.back().name + "'");
                state = State::Inside;
                ++i;
            } else if (token == "}") {
                if (blocks.back().frames.empty()) {
                    Fail(file, lineNumber, "the effect '" + blocks.back().name + "' has no frames");
                }
                state = State::Outside;
                ++i;
            } else if (token == "{") {
                Fail(file, lineNumber, "'{' inside the effect '" + blocks.back().name + "' (missing '}'?)");
            } else {
                // A statement takes the rest of the line up to a closing brace.
                const std::string keyword = ToLower(token);
                std::vector<std::string> args;
                ++i;
                while (i < tokens.size() && tokens[i] != "}" && tokens[i] != "{") args.push_back(tokens[i++]);
                if (i < tokens.size() && tokens[i] == "{") {
                    Fail(file, lineNumber, "'{' inside the effect '" + blocks.back().name + "' (missing '}'?)");
                }
                ShaderBlock& block = blocks.back();
                auto one = [&]() -> const std::string& {
                    if (args.size() != 1) Fail(file, lineNumber, "'" + keyword + "' takes one value");
                    return args[0];
                };
                if (keyword == "blend") {
                    const std::string mode = ToLower(one());
                    if (mode == "add") block.additive = true;
                    else if (mode == "alpha") block.additive = false;
                    else Fail(file, lineNumber, "unknown blend '" + args[0] + "' (add or alpha)");
                } else if (keyword == "rate") {
                    block.rate = Number(one(), file, lineNumber, "rate");
                    if (!(block.rate > 0.0f)) Fail(file, lineNumber, "'rate' must be above 0");
                } else if (keyword == "loop") {
                    const float value = Number(one(), file, lineNumber, "loop");
                    if (value != 0.0f && value != 1.0f) Fail(file, lineNumber, "'loop' is 0 or 1");
                    block.loop = value != 0.0f;
                } else if (keyword == "frame") {
                    block.frames.push_back(one());
                    block.frameLines.push_back(lineNumber);
                } else {
                    Fail(file, lineNumber, "unknown keyword '" + token + "'");
                }
            }
        }
    }
    if (state == State::AfterName) Fail(file, blockLine, "the effect '" + blocks.back().name + "' has no '{'");
    if (state == State::Inside) Fail(file, blockLine, "the effect '" + blocks.back().name + "' is not closed with '}'");
    return blocks;
}

}  // namespace quarvex::detail
