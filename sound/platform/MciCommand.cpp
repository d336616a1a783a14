#include "MciCommand.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace qxsound::platform {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The words after the device, read front to back.
class Words {
public:
    explicit Words(std::vector<std::string> words) : words_(std::move(words)) {}
    bool Done() const { return at_ >= words_.size(); }
    std::string Take() { return Done() ? std::string() : words_[at_++]; }
    // Takes the keywords if they come next.
    bool Accept(std::initializer_list<std::string_view> keywords) {
        if (at_ + keywords.size() > words_.size()) return false;
        std::size_t i = at_;
        for (auto k : keywords)
            if (MciLower(words_[i++]) != k) return false;
        at_ = i;
        return true;
    }

private:
    std::vector<std::string> words_;
    std::size_t at_ = 0;
};

struct Failure {
    int32_t code;
};

// Sets a value given once at most.
template <typename T, typename V>
void Once(std::optional<T>& slot, V&& value) {
    if (slot) throw Failure{MCIERR_DUPLICATE_FLAGS};
    slot = std::forward<V>(value);
}

std::string Argument(Words& words) {
    if (words.Done()) throw Failure{MCIERR_MISSING_PARAMETER};
    return words.Take();
}

void ParseOpen(Words& words, MciCommand& c) {
    std::optional<std::string> type, alias;
    std::optional<bool> shareable;
    while (!words.Done()) {
        if (words.Accept({"type"}))
            Once(type, Argument(words));
        else if (words.Accept({"alias"}))
            Once(alias, Argument(words));
        else if (words.Accept({"shareable"}))
            Once(shareable, true);
        else
            throw Failure{MCIERR_UNRECOGNIZED_KEYWORD};
    }
    c.type = type.value_or("");
    c.alias = alias.value_or("");
    c.shareable = shareable.value_or(false);
}

void ParsePlaySeek(Words& words, MciCommand& c) {
    while (!words.Done()) {
        if (c.verb == MciVerb::Play && words.Accept({"from"}))
            Once(c.from, Argument(words));
        else if (words.Accept({"to"}))
            Once(c.to, Argument(words));
        else
            throw Failure{MCIERR_UNRECOGNIZED_KEYWORD};
    }
    if (c.verb == MciVerb::Seek && !c.to) throw Failure{MCIERR_MISSING_PARAMETER};
}

void ParseSet(Words& words, MciCommand& c) {
    while (!words.Done()) {
        if (!words.Accept({"time", "format"})) throw Failure{MCIERR_UNRECOGNIZED_KEYWORD};
        const std::string format = MciLower(Argument(words));
        MciTimeFormat f;
        if (format == "tmsf")
            f = MciTimeFormat::Tmsf;
        else if (format == "msf")
            f = MciTimeFormat::Msf;
        else if (format == "milliseconds" || format == "ms")
            f = MciTimeFormat::Milliseconds;
        else
            throw Failure{MCIERR_BAD_TIME_FORMAT};
        Once(c.timeFormat, f);
    }
    if (!c.timeFormat) throw Failure{MCIERR_MISSING_PARAMETER};
}

void ParseItem(Words& words, MciCommand& c) {
    struct Name {
        std::initializer_list<std::string_view> words;
        MciItem item;
        bool status;
    };
    static const std::array<Name, 11> names{{
        {{"mode"}, MciItem::Mode, true},
        {{"position"}, MciItem::Position, true},
        {{"length"}, MciItem::Length, true},
        {{"number", "of", "tracks"}, MciItem::NumberOfTracks, true},
        {{"current", "track"}, MciItem::CurrentTrack, true},
        {{"time", "format"}, MciItem::TimeFormat, true},
        {{"ready"}, MciItem::Ready, true},
        {{"media", "present"}, MciItem::MediaPresent, true},
        {{"identity"}, MciItem::Identity, false},
        {{"upc"}, MciItem::Upc, false},
        {{"product"}, MciItem::Product, false},
    }};
    while (!words.Done()) {
        if (words.Accept({"track"})) {
            Once(c.track, Argument(words));
            continue;
        }
        const auto name = std::find_if(names.begin(), names.end(), [&](const Name& n) {
            return n.status == (c.verb == MciVerb::Status) && words.Accept(n.words);
        });
        if (name == names.end()) throw Failure{MCIERR_UNRECOGNIZED_KEYWORD};
        if (c.item != MciItem::None) throw Failure{MCIERR_FLAGS_NOT_COMPATIBLE};
        c.item = name->item;
    }
    if (c.item == MciItem::None) throw Failure{MCIERR_MISSING_PARAMETER};
    if (c.track && c.item != MciItem::Position && c.item != MciItem::Length)
        throw Failure{MCIERR_FLAGS_NOT_COMPATIBLE};
}

void ParseSetAudio(Words& words, MciCommand& c) {
    if (!words.Accept({"volume", "to"})) throw Failure{words.Done() ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD};
    c.to = Argument(words);
    if (!words.Done()) throw Failure{MCIERR_UNRECOGNIZED_KEYWORD};
}

}  // namespace

std::optional<std::vector<std::string>> SplitMciWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i == text.size()) return words;
        std::string word;
        if (text[i] == '"') {
            ++i;
            while (true) {
                if (i == text.size()) return std::nullopt;
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        word += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                word += text[i++];
            }
            // A quoted word ends at its quote.
            if (i < text.size() && !IsBlank(text[i])) return std::nullopt;
        } else {
            while (i < text.size() && !IsBlank(text[i])) {
                if (text[i] == '"') return std::nullopt;
                word += text[i++];
            }
        }
        words.push_back(std::move(word));
    }
}

std::variant<MciCommand, int32_t> ParseMciCommand(std::string_view text) {
    auto split = SplitMciWords(text);
    if (!split) return MCIERR_UNRECOGNIZED_KEYWORD;
    if (split->empty()) return MCIERR_MISSING_COMMAND_STRING;
    MciCommand c;
    static const std::array<std::pair<std::string_view, MciVerb>, 10> verbs{{
        {"open", MciVerb::Open},
        {"close", MciVerb::Close},
        {"play", MciVerb::Play},
        {"pause", MciVerb::Pause},
        {"stop", MciVerb::Stop},
        {"seek", MciVerb::Seek},
        {"set", MciVerb::Set},
        {"status", MciVerb::Status},
        {"info", MciVerb::Info},
        {"setaudio", MciVerb::SetAudio},
    }};
    const std::string verb = MciLower((*split)[0]);
    const auto found = std::find_if(verbs.begin(), verbs.end(), [&](const auto& v) { return v.first == verb; });
    if (found == verbs.end()) return MCIERR_UNRECOGNIZED_COMMAND;
    c.verb = found->second;
    if (split->size() < 2) return MCIERR_INVALID_DEVICE_NAME;
    c.device = (*split)[1];
    if (c.device.empty()) return MCIERR_INVALID_DEVICE_NAME;
    // "wait" and "notify" may stand anywhere after the device.
    std::vector<std::string> rest;
    for (std::size_t i = 2; i < split->size(); ++i) {
        const std::string word = MciLower((*split)[i]);
        if (word == "wait")
            c.wait = true;
        else if (word != "notify")
            rest.push_back(std::move((*split)[i]));
    }
    Words words(std::move(rest));
    try {
        switch (c.verb) {
        case MciVerb::Open: ParseOpen(words, c); break;
        case MciVerb::Play:
        case MciVerb::Seek: ParsePlaySeek(words, c); break;
        case MciVerb::Set: ParseSet(words, c); break;
        case MciVerb::Status:
        case MciVerb::Info: ParseItem(words, c); break;
        case MciVerb::SetAudio: ParseSetAudio(words, c); break;
        case MciVerb::Close:
        case MciVerb::Pause:
        case MciVerb::Stop:
            if (!words.Done()) return MCIERR_UNRECOGNIZED_KEYWORD;
            break;
        }
    } catch (const Failure& f) {
        return f.code;
    }
    return c;
}

std::string MciLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::optional<int32_t> ParseMciInteger(std::string_view text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    int64_t value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        value = value * 10 + (ch - '0');
    }
    if (value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<int64_t> ParseMciPosition(std::string_view text, MciTimeFormat format, const MciDisc& disc) {
    const std::string word = MciLower(text);
    if (word == "start") return disc.trackStarts.empty() ? 0 : disc.trackStarts.front();
    if (word == "end") return disc.end;
    if (format == MciTimeFormat::Milliseconds) {
        const auto ms = ParseMciInteger(text);
        if (!ms) return std::nullopt;
        return static_cast<int64_t>(*ms) * 75 / 1000;
    }
    // Up to four (tmsf) or three (msf) fields joined by ":"; a single plain number in tmsf is a
    // track.
    std::vector<int32_t> fields;
    std::size_t at = 0;
    while (true) {
        const std::size_t colon = text.find(':', at);
        const auto field = ParseMciInteger(text.substr(at, colon == std::string_view::npos ? std::string_view::npos : colon - at));
        if (!field) return std::nullopt;
        fields.push_back(*field);
        if (colon == std::string_view::npos) break;
        at = colon + 1;
    }
    const std::size_t maxFields = format == MciTimeFormat::Tmsf ? 4 : 3;
    if (fields.size() > maxFields) return std::nullopt;
    fields.resize(maxFields, 0);
    int64_t base = 0;
    std::size_t f = 0;
    if (format == MciTimeFormat::Tmsf) {
        const int64_t index = static_cast<int64_t>(fields[f++]) - disc.firstTrack;
        if (index < 0 || index >= static_cast<int64_t>(disc.trackStarts.size())) return -1;  // no such track: out of range
        base = disc.trackStarts[static_cast<std::size_t>(index)];
    }
    return base + static_cast<int64_t>(fields[f]) * 60 * 75 + static_cast<int64_t>(fields[f + 1]) * 75 + fields[f + 2];
}

}  // namespace qxsound::platform
