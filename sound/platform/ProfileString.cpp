#include "ProfileString.h"

#include "TextLines.h"
#include "WholeFile.h"

#include <algorithm>

namespace qxsound::platform {

namespace {

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Cut(std::string_view value, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    return std::string(value.substr(0, bufferSize - 1));
}

}  // namespace

std::string ProfileFile::Name(std::string_view section, std::string_view key) {
    std::string name(section.size() + 1 + key.size(), '\n');  // "\n" cannot occur in a name
    std::transform(section.begin(), section.end(), name.begin(), Fold);
    std::transform(key.begin(), key.end(), name.begin() + static_cast<std::ptrdiff_t>(section.size()) + 1, Fold);
    return name;
}

std::optional<ProfileFile::Numbered> ProfileFile::NumberedOf(std::string_view section, std::string_view key) const {
    // A number without leading zeros ("File01" is a name of its own) and of at most 9 digits.
    std::size_t digits = key.size();
    while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9') --digits;
    if (digits == key.size() || key.size() - digits > 9 || (key[digits] == '0' && digits + 1 != key.size()))
        return std::nullopt;
    uint32_t n = 0;
    for (std::size_t i = digits; i < key.size(); ++i) n = n * 10 + static_cast<uint32_t>(key[i] - '0');
    return Numbered{Name(section, key.substr(0, digits)), n};
}

void ProfileFile::Insert(std::string_view section, std::string_view key, std::string_view value) {
    // The first occurrence wins: a numbered key is either in its array or, when the array could not
    // hold it at the time, by name (and the array never takes it later).
    if (auto numbered = NumberedOf(section, key)) {
        auto& list = numbered_[std::move(numbered->stem)];
        const std::size_t at = numbered->number;
        if (at < list.size() && list[at]) return;
        if (spilled_ && named_.count(Name(section, key)) != 0) return;
        if (at >= list.size()) {
            const std::size_t size = std::max(at + 1, std::min(2 * list.size(), list.size() + budget_));
            if (size - list.size() <= budget_) {
                budget_ -= size - list.size();
                list.resize(size);
            }
        }
        if (at < list.size()) {
            list[at] = value;
            return;
        }
        spilled_ = true;
    }
    named_.try_emplace(Name(section, key), value);
}

ProfileFile ProfileFile::Parse(std::string text) {
    ProfileFile file;
    file.text_ = std::make_unique<std::string>(std::move(text));
    const std::string& all = *file.text_;
    file.budget_ = static_cast<std::size_t>(std::count(all.begin(), all.end(), '\n')) +
                   static_cast<std::size_t>(std::count(all.begin(), all.end(), '\r')) + 16;
    std::string_view section;
    bool inSection = false;
    TextLines lines(all);
    while (const auto next = lines.Next()) {
        const std::string_view line = Trim(*next);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            section = Trim(close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1));
            inSection = true;
            continue;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, equals));
        if (!key.empty()) file.Insert(section, key, Trim(line.substr(equals + 1)));
    }
    return file;
}

std::optional<ProfileFile> ProfileFile::Read(const std::string& fileName) {
    const auto text = ReadWholeFile(fileName);
    if (!text) return std::nullopt;
    return Parse(*text);
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                   std::size_t bufferSize) const {
    section = Trim(section);
    key = Trim(key);
    if (const auto numbered = NumberedOf(section, key)) {
        const auto it = numbered_.find(numbered->stem);
        if (it != numbered_.end() && numbered->number < it->second.size() && it->second[numbered->number])
            return Cut(*it->second[numbered->number], bufferSize);
        if (!spilled_) return Cut(defaultValue, bufferSize);
    }
    const auto it = named_.find(Name(section, key));
    return Cut(it == named_.end() ? defaultValue : it->second, bufferSize);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    std::size_t bufferSize, const std::string& fileName) {
    const auto file = ProfileFile::Read(fileName);
    return file ? file->GetString(section, key, defaultValue, bufferSize) : Cut(defaultValue, bufferSize);
}

}  // namespace qxsound::platform
