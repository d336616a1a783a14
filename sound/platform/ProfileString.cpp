#include "ProfileString.h"

#include "TextLines.h"
#include "WholeFile.h"

#include <algorithm>
#include <charconv>

namespace qxsound::platform {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Cut(std::string_view value, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    return std::string(value.substr(0, bufferSize - 1));
}

// FNV-1a over the folded bytes.
std::size_t FoldedHash(std::size_t hash, std::string_view s) {
    for (const char c : s) hash = (hash ^ static_cast<unsigned char>(Fold(c))) * 1099511628211ULL;
    return hash;
}

bool FoldedEqual(std::string_view raw, std::string_view folded) {
    return std::equal(raw.begin(), raw.end(), folded.begin(), [](char a, char b) { return Fold(a) == b; });
}

constexpr std::size_t kHashBasis = 14695981039346656037ULL;

}  // namespace

std::size_t ProfileFile::NameHash::operator()(std::string_view folded) const { return FoldedHash(kHashBasis, folded); }

std::size_t ProfileFile::NameHash::operator()(RawName name) const {
    return FoldedHash(FoldedHash(FoldedHash(kHashBasis, name.section), "\n"), name.key);
}

bool ProfileFile::NameEqual::operator()(RawName a, std::string_view b) const {
    return b.size() == a.section.size() + 1 + a.key.size() && b[a.section.size()] == '\n' &&
           FoldedEqual(a.section, b.substr(0, a.section.size())) && FoldedEqual(a.key, b.substr(a.section.size() + 1));
}

std::string ProfileFile::Name(RawName name) {
    std::string folded(name.section.size() + 1 + name.key.size(), '\n');  // "\n" cannot occur in a name
    std::transform(name.section.begin(), name.section.end(), folded.begin(), Fold);
    std::transform(name.key.begin(), name.key.end(),
                   folded.begin() + static_cast<std::ptrdiff_t>(name.section.size()) + 1, Fold);
    return folded;
}

std::optional<ProfileFile::Numbered> ProfileFile::NumberedOf(std::string_view section, std::string_view key) {
    // A number without leading zeros ("File01" is a name of its own) and of at most 9 digits.
    std::size_t digits = key.size();
    while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9') --digits;
    if (digits == key.size() || key.size() - digits > 9 || (key[digits] == '0' && digits + 1 != key.size()))
        return std::nullopt;
    uint32_t n = 0;
    for (std::size_t i = digits; i < key.size(); ++i) n = n * 10 + static_cast<uint32_t>(key[i] - '0');
    return Numbered{{section, key.substr(0, digits)}, n};
}

void ProfileFile::Insert(std::string_view section, std::string_view key, std::string_view value) {
    // The first occurrence wins: a numbered key is either in its array or, when the array could not
    // hold it at the time, by name (and the array never takes it later).
    if (auto numbered = NumberedOf(section, key)) {
        auto& list = ListOf(numbered->stem);
        const std::size_t at = numbered->number;
        if (at < list.size() && list[at]) return;
        if (spilled_ && named_.find(RawName{section, key}) != named_.end()) return;
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
    if (named_.find(RawName{section, key}) == named_.end()) named_.try_emplace(Name({section, key}), value);
}

ProfileFile::List& ProfileFile::ListOf(RawName stem) {
    // A section's text is one place in the file: the same section has the same pointer.
    for (const auto& recent : recent_)
        if (recent.list && recent.stem.section.data() == stem.section.data() &&
            recent.stem.section.size() == stem.section.size() && recent.stem.key == stem.key)
            return *recent.list;
    auto found = numbered_.find(stem);
    if (found == numbered_.end()) found = numbered_.try_emplace(Name(stem)).first;
    recent_[nextRecent_++ % recent_.size()] = {stem, &found->second};
    return found->second;
}

ProfileFile ProfileFile::Parse(std::string text) {
    ProfileFile file;
    file.text_ = std::make_unique<std::string>(std::move(text));
    const std::string& all = *file.text_;
    // A numbered key's line takes at least four bytes ("a1=" and its end): half the size is room
    // for every key of a dense file, twice over.
    file.budget_ = all.size() / 2 + 16;
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
    auto text = ReadWholeFile(fileName);
    if (!text) return std::nullopt;
    return Parse(std::move(*text));
}

std::optional<std::string_view> ProfileFile::Find(std::string_view section, std::string_view key) const {
    section = Trim(section);
    key = Trim(key);
    if (const auto numbered = NumberedOf(section, key)) {
        const auto it = numbered_.find(numbered->stem);
        if (it != numbered_.end() && numbered->number < it->second.size() && it->second[numbered->number])
            return it->second[numbered->number];
        if (!spilled_) return std::nullopt;
    }
    const auto it = named_.find(RawName{section, key});
    if (it == named_.end()) return std::nullopt;
    return it->second;
}

ProfileFile::KeyList ProfileFile::Keys(std::string_view section, std::string_view stem) const {
    // A stem ending in a digit or with blanks round it is not the stem its names are kept under.
    section = Trim(section);
    const bool direct = !stem.empty() && Trim(stem) == stem && (stem.back() < '0' || stem.back() > '9');
    const auto it = direct ? numbered_.find(RawName{section, stem}) : numbered_.end();
    return KeyList(*this, section, stem, it == numbered_.end() ? nullptr : &it->second, direct);
}

std::optional<std::string_view> ProfileFile::KeyList::operator[](uint32_t number) const {
    if (direct_ && number <= 999'999'999) {
        if (list_ && number < list_->size() && (*list_)[number]) return (*list_)[number];
        if (!file_.spilled_) return std::nullopt;
    }
    char digits[16];
    const std::string key = std::string(stem_).append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
    return file_.Find(section_, key);
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                   std::size_t bufferSize) const {
    return Cut(Find(section, key).value_or(defaultValue), bufferSize);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    std::size_t bufferSize, const std::string& fileName) {
    const auto file = ProfileFile::Read(fileName);
    return file ? file->GetString(section, key, defaultValue, bufferSize) : Cut(defaultValue, bufferSize);
}

}  // namespace qxsound::platform
