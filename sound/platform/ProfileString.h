// Initialisation-file reading in the manner of GetPrivateProfileString: "[section]" headers and
// "key=value" lines, section and key names compared without regard to ASCII case, the first
// occurrence winning. Lines end at CR, LF or CR LF; lines starting with ";" are comments. A value is
// the text after the first "=", with surrounding spaces and tabs removed; it is not cut at ";", so
// a file name keeps whatever it holds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qxsound::platform {

class ProfileFile {
public:
    // Reads and indexes the whole file; std::nullopt when it cannot be read.
    static std::optional<ProfileFile> Read(const std::string& fileName);
    // Indexes text already in memory.
    static ProfileFile Parse(std::string text);

    // The value of `key` in `section`, or `defaultValue` when there is none, cut to `bufferSize` - 1
    // characters as a reply buffer of that size would hold it (bufferSize 0 gives "").
    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                          std::size_t bufferSize) const;
    // The whole value of `key` in `section` (pointing into this object), or std::nullopt.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

    // The keys `stem`1, `stem`2, ... of `section` ("File1", "File2", ...), each found as Find finds
    // it, but for the most part without hashing its name again.
    class KeyList;
    KeyList Keys(std::string_view section, std::string_view stem) const;

private:
    // Numbered keys ("File12": the stem "File" and the number 12, the shape of every list in such
    // files) are kept in a dense array per section and stem, so that reading a list in order
    // touches memory in order; other keys, and numbered ones past the arrays' budget, by their
    // whole name.
    // Keys are stored as the folded text "section\nkey"; they are looked up by the unfolded pair,
    // hashed and compared as folded, so that a look-up builds no string.
    struct RawName {
        std::string_view section, key;
    };
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view folded) const;
        std::size_t operator()(RawName name) const;
    };
    struct NameEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const { return a == b; }
        bool operator()(RawName a, std::string_view b) const;
        bool operator()(std::string_view a, RawName b) const { return (*this)(b, a); }
    };
    template <class T>
    using ByName = std::unordered_map<std::string, T, NameHash, NameEqual>;

    struct Numbered {
        RawName stem;
        uint32_t number;
    };
    using List = std::vector<std::optional<std::string_view>>;
    static std::string Name(RawName name);  // folded "section\nkey"
    static std::optional<Numbered> NumberedOf(std::string_view section, std::string_view key);
    void Insert(std::string_view section, std::string_view key, std::string_view value);
    List& ListOf(RawName stem);  // found or made, while parsing

    std::unique_ptr<const std::string> text_;  // the values point into it
    std::size_t budget_ = 0;                    // array slots left; no more than the file has lines
    bool spilled_ = false;                      // a numbered key was kept by name
    ByName<std::string_view> named_;
    ByName<List> numbered_;
    // The lists the parser used last, by the stem's text as written (lists alternate, "File1",
    // "Title1", "Length1"), so that most lines are neither hashed nor looked up.
    struct Recent {
        RawName stem;
        List* list = nullptr;
    };
    std::array<Recent, 4> recent_{};
    std::size_t nextRecent_ = 0;
};

class ProfileFile::KeyList {
public:
    std::optional<std::string_view> operator[](uint32_t number) const;

private:
    friend class ProfileFile;
    KeyList(const ProfileFile& file, std::string_view section, std::string_view stem, const List* list, bool direct)
        : file_(file), section_(section), stem_(stem), list_(list), direct_(direct) {}
    const ProfileFile& file_;
    std::string_view section_, stem_;
    const List* list_;  // the stem's list, if it has one
    bool direct_;       // the list holds every "stem<number>" that is kept in a list
};

// One look-up in a file, read anew: the file missing gives `defaultValue` (cut the same way).
std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    std::size_t bufferSize, const std::string& fileName);

}  // namespace qxsound::platform
