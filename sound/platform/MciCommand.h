// The command texts of the MCI stand-in: words, commands and positions, read without touching any
// device. Keywords compare without regard to case; a device name or element is kept as written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qxsound::platform {

// Error codes of the command interpreter (the values Windows' MCI uses for the same failures).
enum MciError : int32_t {
    MCIERR_INVALID_DEVICE_ID = 257,
    MCIERR_UNRECOGNIZED_KEYWORD = 259,
    MCIERR_UNRECOGNIZED_COMMAND = 261,
    MCIERR_HARDWARE = 262,
    MCIERR_INVALID_DEVICE_NAME = 263,
    MCIERR_MISSING_COMMAND_STRING = 267,
    MCIERR_PARAM_OVERFLOW = 268,
    MCIERR_BAD_INTEGER = 270,
    MCIERR_MISSING_PARAMETER = 273,
    MCIERR_UNSUPPORTED_FUNCTION = 274,
    MCIERR_DEVICE_NOT_READY = 276,
    MCIERR_INTERNAL = 277,
    MCIERR_OUTOFRANGE = 282,
    MCIERR_FLAGS_NOT_COMPATIBLE = 284,
    MCIERR_DUPLICATE_ALIAS = 289,
    MCIERR_BAD_TIME_FORMAT = 293,
    MCIERR_DUPLICATE_FLAGS = 295,
    MCIERR_NO_IDENTITY = 350,
};

// The words of a command: runs of characters other than blanks, or double-quoted texts in which
// "" stands for one quote (so an element name may hold blanks and quotes). std::nullopt when a
// quote is not closed.
std::optional<std::vector<std::string>> SplitMciWords(std::string_view text);

enum class MciVerb { Open, Close, Play, Pause, Stop, Seek, Set, Status, Info, SetAudio };

enum class MciItem {
    None,
    Mode,
    Position,
    Length,
    NumberOfTracks,
    CurrentTrack,
    TimeFormat,
    Ready,
    MediaPresent,
    Identity,
    Upc,
    Product,
};

enum class MciTimeFormat { Milliseconds, Msf, Tmsf };

struct MciCommand {
    MciVerb verb = MciVerb::Open;
    std::string device;  // the device, alias or element; "all" for close all
    // open
    std::string type;
    std::string alias;
    bool shareable = false;
    // play ("from", "to"), seek ("to"), setaudio ("to"); positions are read by the device
    std::optional<std::string> from;
    std::optional<std::string> to;
    // set time format
    std::optional<MciTimeFormat> timeFormat;
    // status, info; status position and length may name a track
    MciItem item = MciItem::None;
    std::optional<std::string> track;
    bool wait = false;
};

// The command, or the error code of a text that is not one.
std::variant<MciCommand, int32_t> ParseMciCommand(std::string_view text);

// A position in CD frames (1/75 s) from the start of the disc (0 = the start of the disc's
// first sector, 150 frames before the first track's usual start), given the disc's track starts
// (also in frames from the disc start, first track first) and its end. std::nullopt for a text
// that is not a position in the format; out-of-range values are for the caller to reject.
struct MciDisc {
    std::vector<int64_t> trackStarts;  // of tracks firstTrack, firstTrack + 1, ...
    int32_t firstTrack = 1;
    int64_t end = 0;
};
std::optional<int64_t> ParseMciPosition(std::string_view text, MciTimeFormat format, const MciDisc& disc);

// The text in lower case (ASCII letters only), as names and keywords are compared.
std::string MciLower(std::string_view text);

// Integers as the interpreter reads them: decimal digits only, at most int32.
std::optional<int32_t> ParseMciInteger(std::string_view text);

}  // namespace qxsound::platform
