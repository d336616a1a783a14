#include "Mp3Inspection.h"

#include <qxsound/modGlobal.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace qxsound {

namespace {

// The sync scan looks at offsets 0 to 4999; the furthest byte read is the last frame-count byte of a
// "Xing" header found at the last offset. One read of the start of the file covers all of them.
constexpr int64_t kScanLength = 5000;
constexpr int64_t kXingOffset = 36;    // 4 header bytes and 32 of MPEG-1 stereo side information
constexpr int64_t kFramesOffset = 44;  // after "Xing" and its flags word
constexpr std::size_t kHeadBytes = kScanLength - 1 + kFramesOffset + 4;
constexpr std::size_t kTagBytes = 128;
constexpr off_t kMinimumLength = 256;

constexpr std::array<int16_t, 4> kVersions = {25, 0, 2, 1};
constexpr std::array<int16_t, 4> kLayers = {0, 3, 2, 1};
constexpr std::array<CONST_QX_MP3MODE, 4> kModes = {QX_MP3MODE_STEREO, QX_MP3MODE_JOINTSTEREO,
                                                    QX_MP3MODE_DUALCHANNEL, QX_MP3MODE_SINGLECHANNEL};
constexpr std::array<CONST_QX_MP3EMPHASIS, 4> kEmphases = {QX_MP3EMPHASIS_NO, QX_MP3EMPHASIS_5015,
                                                           QX_MP3EMPHASIS_RESERVED, QX_MP3EMPHASIS_CCITTJ17};
constexpr std::array<int32_t, 3> kRatesV1 = {44100, 48000, 32000};
constexpr std::array<int32_t, 3> kRatesV2 = {22050, 24000, 16000};
// Padding, private, copyright and original bits: 0 is false, 1 is true.
constexpr std::array<CONST_QX_MP3BITPROPERTY, 2> kFlags = {QX_MP3BITPROPERTY_FALSE, QX_MP3BITPROPERTY_TRUE};
// The protection bit: 0 means the frame carries a CRC.
constexpr std::array<CONST_QX_MP3BITPROPERTY, 2> kCrc = {QX_MP3BITPROPERTY_TRUE, QX_MP3BITPROPERTY_FALSE};

using BitrateTable = std::array<int16_t, 15>;
constexpr BitrateTable kBitratesV1L1 = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448};
constexpr BitrateTable kBitratesV1L2 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr BitrateTable kBitratesV1L3 = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr BitrateTable kBitratesV2L1 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
constexpr BitrateTable kBitratesV2L23 = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

// The table of a version-and-layer code (version 2.5 and layer 3 give 253); none for other codes.
const BitrateTable* BitratesOf(int32_t code) {
    switch (code) {
        case 11: return &kBitratesV1L1;
        case 12: return &kBitratesV1L2;
        case 13: return &kBitratesV1L3;
        case 21:
        case 251: return &kBitratesV2L1;
        case 22:
        case 23:
        case 252:
        case 253: return &kBitratesV2L23;
        default: return nullptr;
    }
}

// Average bytes per frame are bit rate x 144 / sampling rate for layers II and III, x 12 (in 4-byte
// slots) for layer I: the divisor of the VBR average.
int32_t VbrDivisor(int16_t layer) { return layer == 1 ? 12 : layer == 2 || layer == 3 ? 144 : 0; }

constexpr std::array<std::string_view, 147> kGenres = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip -Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&b", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro -Techno", "Ambient", "Trip -Hop", "Vocal",
    "Jazz Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel",
    "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock",
    "Ethnic", "Gothic", "Darkwave", "Techno -Industrial", "Electronic", "Pop -Folk", "Eurodance", "Dream",
    "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle",
    "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo -Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk/Rock",
    "National Folk", "Swing", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock",
    "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening",
    "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass",
    "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad",
    "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A Cappella", "Euro - House", "Dance Hall",
    "Goa", "Drum & Bass", "Club - House", "Hardcore", "Terror", "Indie", "BritPop", "Negerpunk", "Polsk Punk",
    "Beat", "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover", "Contemporary Christian",
    "Christian Rock", "Merengue", "Salsa", "Thrash Metal", "Anime", "JPop", "Synthpop"};

// The bits of four bytes as "0" and "1" characters, first byte first and most significant bit
// first, with the leading zeros left out.
class BitString {
public:
    explicit BitString(const uint8_t (&bytes)[4]) {
        for (uint8_t byte : bytes) {
            for (int bit = 7; bit >= 0; --bit) {
                const bool one = (byte >> bit) & 1;
                if (one || size_ > 0) text_[size_++] = one ? '1' : '0';
            }
        }
    }

    std::size_t Size() const { return size_; }
    std::string_view Text() const { return {text_, size_}; }

    // The characters from 1-based `position` on, at most `length` of them; "" past the end.
    std::string_view Field(std::size_t position, std::size_t length) const {
        if (position > size_) return {};
        return Text().substr(position - 1, length);
    }
    int32_t Value(std::size_t position, std::size_t length) const { return BinaryTextToLong(Field(position, length)); }

private:
    char text_[32];
    std::size_t size_ = 0;
};

// The bytes of a file that were read: its start and its last 128 bytes.
struct FileBytes {
    int64_t length = 0;
    const uint8_t* head = nullptr;
    int64_t headSize = 0;
    const uint8_t* tag = nullptr;  // none when it could not be read

    // Copies `count` bytes at `offset`; false when any of them lies outside what was read.
    bool Read(int64_t offset, int64_t count, uint8_t* out) const {
        if (offset < 0 || offset + count > headSize) return false;
        std::memcpy(out, head + offset, static_cast<std::size_t>(count));
        return true;
    }
};

// The offset of the first 0xFF 0xFA or 0xFF 0xFB pair starting below kScanLength; -1 for none.
int64_t FindSync(const FileBytes& f) {
    const int64_t end = std::min(kScanLength, f.headSize);
    int64_t p = 0;
    while (p < end) {
        const void* ff = std::memchr(f.head + p, 0xFF, static_cast<std::size_t>(end - p));
        if (!ff) break;
        p = static_cast<const uint8_t*>(ff) - f.head;
        if (p + 1 < f.headSize && (f.head[p + 1] == 0xFA || f.head[p + 1] == 0xFB)) return p;
        ++p;
    }
    return -1;
}

void ReadXing(const FileBytes& f, int64_t start, Mp3Properties& p) {
    uint8_t marker[4];
    if (!f.Read(start + kXingOffset, 4, marker)) return;
    if (std::memcmp(marker, "Xing", 4) != 0) {
        p.VariableBitRate = false;
        return;
    }
    p.VariableBitRate = true;
    uint8_t count[4];
    if (!f.Read(start + kFramesOffset, 4, count)) return;
    const BitString bits(count);
    if (bits.Size() < 32) p.Frames = BinaryTextToLong(bits.Text());  // 32 places do not fit an int32
}

void ReadTag(const FileBytes& f, Mp3Properties& p) {
    if (!f.tag) return;
    const char* t = reinterpret_cast<const char*>(f.tag);
    if (std::memcmp(t, "TAG", 3) != 0) {
        p.HasTag = false;
        p.SongName.clear();
        p.Artist.clear();
        p.Album.clear();
        p.Year.clear();
        p.Comment.clear();
        p.Track.clear();
        p.Genre = 255;
        return;
    }
    p.HasTag = true;
    p.SongName.assign(t + 3, 30);
    p.Artist.assign(t + 33, 30);
    p.Album.assign(t + 63, 30);
    p.Year.assign(t + 93, 4);
    p.Comment.assign(t + 97, 29);
    p.Track.assign(1, t[126]);
    p.Genre = f.tag[127];
}

void ReadHeader(const BitString& bits, const FileBytes& f, Mp3Properties& p) {
    // Two-place fields index four-entry tables: always inside them.
    p.MpegVersion = kVersions[static_cast<std::size_t>(bits.Value(12, 2))];
    p.MpegLayer = kLayers[static_cast<std::size_t>(bits.Value(14, 2))];
    p.Mode = kModes[static_cast<std::size_t>(bits.Value(25, 2))];
    p.Emphasis = kEmphases[static_cast<std::size_t>(bits.Value(31, 2))];

    const std::array<int32_t, 3>* rates = p.MpegVersion == 1                           ? &kRatesV1
                                          : p.MpegVersion == 2 || p.MpegVersion == 25 ? &kRatesV2
                                                                                      : nullptr;
    if (!rates) {
        p.Frequency = 0;
        return;
    }
    const auto rateIndex = static_cast<std::size_t>(bits.Value(21, 2));
    if (rateIndex < rates->size()) p.Frequency = (*rates)[rateIndex];

    if (p.VariableBitRate) {
        const int32_t divisor = VbrDivisor(p.MpegLayer);
        if (p.Frames != 0 && divisor != 0) {
            const double average =
                RoundHalfEven(static_cast<double>(f.length) * p.Frequency / p.Frames / 1000.0 / divisor);
            if (average >= std::numeric_limits<int16_t>::min() && average <= std::numeric_limits<int16_t>::max())
                p.Bitrate = static_cast<int16_t>(average);
        }
    } else {
        const BitrateTable* table = BitratesOf(p.MpegVersion * 10 + p.MpegLayer);
        if (!table) {
            p.Bitrate = 1;
            return;
        }
        const auto index = static_cast<std::size_t>(bits.Value(17, 4));
        if (index < table->size()) p.Bitrate = (*table)[index];
    }

    // A bit whose place is missing from a short bit string leaves its property undefined.
    const auto flag = [&](std::size_t position, const auto& table, CONST_QX_MP3BITPROPERTY& out) {
        out = QX_MP3BITPROPERTY_UNDEFINED;
        const std::string_view bit = bits.Field(position, 1);
        if (!bit.empty()) out = table[static_cast<std::size_t>(BinaryTextToLong(bit))];
    };
    flag(30, kFlags, p.Original);
    flag(29, kFlags, p.Copyright);
    flag(23, kFlags, p.Padding);
    flag(24, kFlags, p.PrivateBit);
    flag(16, kCrc, p.Crc);
}

void Inspect(const FileBytes& f, Mp3Properties& p) {
    const int64_t start = FindSync(f);
    ReadXing(f, start, p);
    // A byte before the file start reads as 0, as does one past what could be read.
    uint8_t header[4] = {};
    for (int64_t i = 0; i < 4; ++i)
        if (start + i >= 0) f.Read(start + i, 1, &header[i]);
    ReadTag(f, p);
    ReadHeader(BitString(header), f, p);
}

// pread until `count` bytes or the end of the file; the number of bytes read.
int64_t ReadAt(int fd, uint8_t* out, std::size_t count, off_t offset) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, out + done, count - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<int64_t>(done);
}

}  // namespace

void InspectMp3(const std::string& fileName, Mp3Properties& properties) {
    // Non-blocking, so that a FIFO's name cannot hang the open; only regular files are inspected.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < kMinimumLength) {
        ::close(fd);
        return;
    }
    uint8_t head[kHeadBytes];
    uint8_t tag[kTagBytes];
    FileBytes f;
    f.length = st.st_size;
    f.head = head;
    f.headSize = ReadAt(fd, head, static_cast<std::size_t>(std::min<off_t>(st.st_size, kHeadBytes)), 0);
    const int64_t tagOffset = f.length - static_cast<int64_t>(kTagBytes);
    if (f.length <= f.headSize)
        f.tag = head + tagOffset;
    else if (ReadAt(fd, tag, kTagBytes, tagOffset) == static_cast<int64_t>(kTagBytes))
        f.tag = tag;
    ::close(fd);
    Inspect(f, properties);
}

void InspectMp3(std::span<const uint8_t> file, Mp3Properties& properties) {
    if (file.size() < static_cast<std::size_t>(kMinimumLength)) return;
    FileBytes f;
    f.length = static_cast<int64_t>(file.size());
    f.head = file.data();
    f.headSize = static_cast<int64_t>(std::min(file.size(), kHeadBytes));
    f.tag = file.data() + file.size() - kTagBytes;
    Inspect(f, properties);
}

std::string_view Mp3GenreName(int32_t genre) noexcept {
    if (genre < 0 || genre >= static_cast<int32_t>(kGenres.size())) return "Unknown";
    return kGenres[static_cast<std::size_t>(genre)];
}

double RoundHalfEven(double value) noexcept {
    const double whole = std::trunc(value);
    if (std::fabs(value - whole) == 0.5) return 2.0 * std::round(value / 2.0);
    return std::round(value);
}

}  // namespace qxsound
