#include "Paths.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace quarvex::detail {

std::string ToLower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

namespace {

std::string Slashes(std::string_view name) {
    std::string out(name);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

// The same path with its last component matched without regard to case, if one exists.
std::string MatchCase(const fs::path& path) {
    std::error_code ec;
    if (fs::exists(path, ec)) return path.string();
    const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const std::string wanted = ToLower(path.filename().string());
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (ToLower(it->path().filename().string()) == wanted) return it->path().string();
    }
    return path.string();
}

}  // namespace

std::string ResolvePath(std::string_view name, const std::string& searchDir) {
    fs::path path(Slashes(name));
    if (path.is_relative() && !searchDir.empty()) path = fs::path(searchDir) / path;
    return MatchCase(path.lexically_normal());
}

std::string ResolveOutputPath(std::string_view name, const std::string& searchDir) {
    std::string text = Slashes(name);
    if (text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':') {
        const char* home = std::getenv("HOME");
        fs::path base = (home && *home) ? fs::path(home) : fs::current_path();
        return (base / fs::path(text.substr(2)).relative_path()).lexically_normal().string();
    }
    fs::path path(text);
    if (path.is_relative() && !searchDir.empty()) path = fs::path(searchDir) / path;
    return path.lexically_normal().string();
}

}  // namespace quarvex::detail
