#include "ProfileString.h"

#include "TextLines.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace qxsound::platform {

namespace {

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

void FoldInto(std::string& out, std::string_view s) {
    for (char c : s) out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
}

std::string Slot(std::string_view section, std::string_view key) {
    std::string slot;
    slot.reserve(section.size() + key.size() + 1);
    FoldInto(slot, Trim(section));
    slot.push_back('\n');  // cannot occur inside a name read from a line
    FoldInto(slot, Trim(key));
    return slot;
}

std::string Cut(std::string_view value, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    return std::string(value.substr(0, bufferSize - 1));
}

}  // namespace

ProfileFile ProfileFile::Parse(std::string_view text) {
    ProfileFile file;
    std::string_view section;
    bool inSection = false;
    TextLines lines(text);
    while (const auto next = lines.Next()) {
        const std::string_view line = Trim(*next);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            section = close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1);
            inSection = true;
            continue;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, equals));
        if (key.empty()) continue;
        file.values_.try_emplace(Slot(section, key), Trim(line.substr(equals + 1)));
    }
    return file;
}

std::optional<ProfileFile> ProfileFile::Read(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return Parse(text);
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                   std::size_t bufferSize) const {
    const auto it = values_.find(Slot(section, key));
    return Cut(it == values_.end() ? defaultValue : std::string_view(it->second), bufferSize);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    std::size_t bufferSize, const std::string& fileName) {
    const auto file = ProfileFile::Read(fileName);
    return file ? file->GetString(section, key, defaultValue, bufferSize) : Cut(defaultValue, bufferSize);
}

}  // namespace qxsound::platform
