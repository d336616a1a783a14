// What an MP3 file says about itself: its first MPEG audio frame header (found by a sync scan of
// the first 5000 bytes, accepting only the second bytes 0xFA and 0xFB, that is MPEG-1 layer III),
// a "Xing" variable-bit-rate header and an ID3 version 1 tag.
#pragma once

#include <qxsound/Enums8.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qxsound {

struct Mp3Properties {
    int16_t Bitrate = 0;  // kbit/s; the average of a VBR file; 1 for an unlisted version and layer
    int32_t Frequency = 0;  // Hz; 0 for a reserved MPEG version
    CONST_QX_MP3MODE Mode = QX_MP3MODE_STEREO;
    CONST_QX_MP3EMPHASIS Emphasis = QX_MP3EMPHASIS_NO;
    int16_t MpegVersion = 0;  // 1, 2, 25 (2.5) or 0 (reserved)
    int16_t MpegLayer = 0;    // 1, 2, 3 or 0 (reserved)
    CONST_QX_MP3BITPROPERTY Padding = QX_MP3BITPROPERTY_UNDEFINED;
    CONST_QX_MP3BITPROPERTY Crc = QX_MP3BITPROPERTY_UNDEFINED;
    CONST_QX_MP3BITPROPERTY Copyright = QX_MP3BITPROPERTY_UNDEFINED;
    CONST_QX_MP3BITPROPERTY Original = QX_MP3BITPROPERTY_UNDEFINED;
    CONST_QX_MP3BITPROPERTY PrivateBit = QX_MP3BITPROPERTY_UNDEFINED;
    bool VariableBitRate = false;
    int32_t Frames = 0;  // from the "Xing" header; kept when a file has none
    bool HasTag = false;
    // Tag fields, one character per byte, untrimmed (trailing spaces and NULs stay).
    std::string SongName, Artist, Album, Year, Comment;
    std::string Track;  // one character: the track byte
    int16_t Genre = 0;  // 0-255; 255 when the file has no tag

    friend bool operator==(const Mp3Properties&, const Mp3Properties&) = default;
};

// Inspects the file and stores what it finds in `properties`. Nothing is cleared first: a step that
// cannot be carried out (a file that cannot be opened or is under 256 bytes, a read outside the
// file, an index outside a table, a value that does not fit) is skipped and leaves what it would
// have set as it was. Reads the file with two reads at most.
void InspectMp3(const std::string& fileName, Mp3Properties& properties);
// The same for the whole of a file's bytes.
void InspectMp3(std::span<const uint8_t> file, Mp3Properties& properties);

// The name of an ID3v1 genre number; "Unknown" outside 0-146.
std::string_view Mp3GenreName(int32_t genre) noexcept;

// Rounds to the nearest integer, halves to the even one, whatever the floating-point rounding mode.
double RoundHalfEven(double value) noexcept;

}  // namespace qxsound
