#include "TestSupport.h"

#include "Mp3Inspection.h"

#include <sys/stat.h>

#include <cstring>

using namespace qxsound;

namespace {

using Bytes = std::vector<uint8_t>;

// An ID3v1 tag record.
Bytes Tag(const std::string& title, uint8_t track, uint8_t genre) {
    Bytes tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    std::memcpy(tag.data() + 3, title.data(), std::min<std::size_t>(title.size(), 30));
    std::memcpy(tag.data() + 33, "An Artist", 9);
    std::memcpy(tag.data() + 63, "Album  ", 7);
    std::memcpy(tag.data() + 93, "1999", 4);
    std::memcpy(tag.data() + 97, "a comment", 9);
    tag[126] = track;
    tag[127] = genre;
    return tag;
}

// `size` bytes of filler (never 0xFF) with `header` at `offset`.
Bytes FileWith(std::size_t size, std::size_t offset, const Bytes& header) {
    Bytes b(size, 0x11);
    std::copy(header.begin(), header.end(), b.begin() + static_cast<std::ptrdiff_t>(offset));
    return b;
}

// A frame header at 0 with a "Xing" header holding `frames` at 36 and 44.
Bytes XingFile(std::size_t size, std::array<uint8_t, 4> frames, const Bytes& header = {0xFF, 0xFB, 0x90, 0x64}) {
    Bytes b = FileWith(size, 0, header);
    std::memcpy(b.data() + 36, "Xing", 4);
    std::copy(frames.begin(), frames.end(), b.begin() + 44);
    return b;
}

class Mp3Inspection : public qxtest::SoundTest {
protected:
    // Writes the bytes and inspects them into `p`.
    void Inspect(const Bytes& bytes, Mp3Properties& p) {
        const auto path = Dir() / ("f" + std::to_string(files_++) + ".mp3");
        qxtest::WriteBytes(path, bytes);
        InspectMp3(path.string(), p);
    }
    Mp3Properties Inspected(const Bytes& bytes) {
        Mp3Properties p;
        Inspect(bytes, p);
        return p;
    }

private:
    int files_ = 0;
};

TEST_F(Mp3Inspection, HeaderFF_FB_90_64IsMpeg1LayerThreeAt128kJointStereo) {
    const auto p = Inspected(FileWith(1000, 0, {0xFF, 0xFB, 0x90, 0x64}));
    EXPECT_EQ(p.MpegVersion, 1);
    EXPECT_EQ(p.MpegLayer, 3);
    EXPECT_EQ(p.Bitrate, 128);
    EXPECT_EQ(p.Frequency, 44100);
    EXPECT_EQ(p.Mode, QX_MP3MODE_JOINTSTEREO);
    EXPECT_EQ(p.Emphasis, QX_MP3EMPHASIS_NO);
    EXPECT_EQ(p.Crc, QX_MP3BITPROPERTY_FALSE);
    EXPECT_EQ(p.Padding, QX_MP3BITPROPERTY_FALSE);
    EXPECT_EQ(p.PrivateBit, QX_MP3BITPROPERTY_FALSE);
    EXPECT_EQ(p.Copyright, QX_MP3BITPROPERTY_FALSE);
    EXPECT_EQ(p.Original, QX_MP3BITPROPERTY_TRUE);
    EXPECT_FALSE(p.VariableBitRate);
    EXPECT_FALSE(p.HasTag);
    EXPECT_EQ(p.Genre, 255);

    auto mono = FileWith(1000, 0, {0xFF, 0xFB, 0x90, 0xC4});
    EXPECT_EQ(Inspected(mono).Mode, QX_MP3MODE_SINGLECHANNEL);
    // Every other field of the second byte pair: protection on, 48 kHz, 320k, padding, private,
    // copyright, emphasis 50/15.
    const auto q = Inspected(FileWith(1000, 0, {0xFF, 0xFA, 0xE7, 0x09}));
    EXPECT_EQ(q.Crc, QX_MP3BITPROPERTY_TRUE);
    EXPECT_EQ(q.Bitrate, 320);
    EXPECT_EQ(q.Frequency, 48000);
    EXPECT_EQ(q.Padding, QX_MP3BITPROPERTY_TRUE);
    EXPECT_EQ(q.PrivateBit, QX_MP3BITPROPERTY_TRUE);
    EXPECT_EQ(q.Copyright, QX_MP3BITPROPERTY_TRUE);
    EXPECT_EQ(q.Original, QX_MP3BITPROPERTY_FALSE);
    EXPECT_EQ(q.Emphasis, QX_MP3EMPHASIS_5015);
    EXPECT_EQ(q.Mode, QX_MP3MODE_STEREO);
}

TEST_F(Mp3Inspection, SyncScanCoversOffsetsBelow5000AndOnlyTheSecondBytesFAAndFB) {
    EXPECT_EQ(Inspected(FileWith(6000, 4999, {0xFF, 0xFB, 0x90, 0x64})).Bitrate, 128);
    // At 5000 the pair is not found: the header is read from before the file start, 00 11 11 11,
    // whose bit string "100010001000100010001" has the reserved version bits 01.
    const auto late = Inspected(FileWith(6000, 5000, {0xFF, 0xFB, 0x90, 0x64}));
    EXPECT_EQ(late.MpegVersion, 0);
    EXPECT_EQ(late.Bitrate, 0);
    // 0xFF 0xF3 (MPEG-2 layer III) is passed over for a later 0xFF 0xFA.
    Bytes b = FileWith(2000, 10, {0xFF, 0xF3, 0x90, 0x64});
    const Bytes later = {0xFF, 0xFA, 0x50, 0x00};  // 64k at 44.1 kHz, stereo
    std::copy(later.begin(), later.end(), b.begin() + 700);
    const auto p = Inspected(b);
    EXPECT_EQ(p.MpegVersion, 1);
    EXPECT_EQ(p.Bitrate, 64);
    EXPECT_EQ(p.Mode, QX_MP3MODE_STEREO);
    // A pair cut by the end of the file is no pair.
    Bytes cut = FileWith(300, 0, {});
    cut.back() = 0xFF;
    EXPECT_EQ(Inspected(cut).MpegVersion, 0);
}

TEST_F(Mp3Inspection, XingHeaderGivesFramesAndAnAverageRoundedHalfToEven) {
    const auto p = Inspected(XingFile(24000, {0x00, 0x00, 0x01, 0x2C}));
    EXPECT_TRUE(p.VariableBitRate);
    EXPECT_EQ(p.Frames, 300);
    // 24000 x 44100 / 300 / 1000 / 144 = 24.5, which rounds to 24; 72000 gives 73.5, rounded to 74.
    EXPECT_EQ(p.Bitrate, 24);
    EXPECT_EQ(Inspected(XingFile(72000, {0x00, 0x00, 0x01, 0x2C})).Bitrate, 74);
    // Layer I divides by 12. A found header is always layer III: layer I is met only without a sync,
    // with the header read from before the file start and "Xing" from offset 35.
    Bytes layer1 = FileWith(24000, 0, {0xFF, 0xFF, 0x00});
    std::memcpy(layer1.data() + 35, "Xing\0\0\0\0\0\0\x01\x2C", 12);
    const auto l = Inspected(layer1);
    EXPECT_EQ(l.MpegLayer, 1);
    EXPECT_EQ(l.Frames, 300);
    EXPECT_EQ(l.Bitrate, 294);
    // Frame counts of 2^31 and more do not fit and keep Frames.
    Mp3Properties q;
    q.Frames = 7;
    Inspect(XingFile(24000, {0x80, 0x00, 0x00, 0x00}), q);
    EXPECT_TRUE(q.VariableBitRate);
    EXPECT_EQ(q.Frames, 7);
    // Frames 0: the average is skipped and Bitrate keeps its value.
    Mp3Properties zero;
    zero.Bitrate = 42;
    Inspect(XingFile(24000, {0, 0, 0, 0}), zero);
    EXPECT_EQ(zero.Frames, 0);
    EXPECT_EQ(zero.Bitrate, 42);
}

TEST_F(Mp3Inspection, FramesSurviveALaterConstantBitRateFile) {
    Mp3Properties p;
    Inspect(XingFile(24000, {0x00, 0x00, 0x01, 0x2C}), p);
    Inspect(FileWith(24000, 0, {0xFF, 0xFB, 0x90, 0x64}), p);
    EXPECT_FALSE(p.VariableBitRate);
    EXPECT_EQ(p.Frames, 300);
    EXPECT_EQ(p.Bitrate, 128);
}

TEST_F(Mp3Inspection, HeaderBeforeTheFileStartReadsShortBitStrings) {
    Mp3Properties p;
    Inspect(FileWith(1000, 0, {0xFF, 0xFB, 0x90, 0x64}), p);
    const Mp3Properties known = p;
    // No sync: the header is 00 FF F9 54, bits "111111111111100101010100", layer bits 00.
    Inspect(FileWith(1000, 0, {0xFF, 0xF9, 0x54}), p);
    EXPECT_EQ(p.MpegVersion, 1);
    EXPECT_EQ(p.MpegLayer, 0);
    EXPECT_EQ(p.Frequency, 48000);
    EXPECT_EQ(p.Bitrate, 1);
    EXPECT_EQ(p.Mode, QX_MP3MODE_STEREO);
    EXPECT_EQ(p.Padding, known.Padding);
    EXPECT_EQ(p.Crc, known.Crc);
    EXPECT_EQ(p.Original, known.Original);
    EXPECT_EQ(p.Copyright, known.Copyright);
    EXPECT_EQ(p.PrivateBit, known.PrivateBit);
    // Version bits 01: reserved version, no frequency, and the rest unchanged.
    Inspect(FileWith(1000, 0, {0xFF, 0xEB, 0x54}), p);
    EXPECT_EQ(p.MpegVersion, 0);
    EXPECT_EQ(p.Frequency, 0);
    EXPECT_EQ(p.Bitrate, 1);
    EXPECT_EQ(p.Original, known.Original);
    // Version 2 layer II at 16 kHz, 160k; the bits past the 24th are missing: copyright and
    // original stay undefined while padding, private and the CRC flag are read.
    Inspect(FileWith(1000, 0, {0xFF, 0xF4, 0xE8}), p);
    EXPECT_EQ(p.MpegVersion, 2);
    EXPECT_EQ(p.MpegLayer, 2);
    EXPECT_EQ(p.Frequency, 16000);
    EXPECT_EQ(p.Bitrate, 160);
    EXPECT_EQ(p.Crc, QX_MP3BITPROPERTY_TRUE);
    EXPECT_EQ(p.Padding, QX_MP3BITPROPERTY_FALSE);
    EXPECT_EQ(p.PrivateBit, QX_MP3BITPROPERTY_FALSE);
    EXPECT_EQ(p.Copyright, QX_MP3BITPROPERTY_UNDEFINED);
    EXPECT_EQ(p.Original, QX_MP3BITPROPERTY_UNDEFINED);
    // Sampling-rate index 3 keeps the frequency; bit-rate index 15 keeps the bit rate.
    p.Frequency = 12345;
    p.Bitrate = 77;
    Inspect(FileWith(1000, 0, {0xFF, 0xFB, 0xFC, 0x64}), p);
    EXPECT_EQ(p.Frequency, 12345);
    EXPECT_EQ(p.Bitrate, 77);
    EXPECT_EQ(p.Crc, QX_MP3BITPROPERTY_FALSE);
}

TEST_F(Mp3Inspection, TagFieldsAreTakenWhole) {
    Bytes b = FileWith(1000, 0, {0xFF, 0xFB, 0x90, 0x64});
    const Bytes tag = Tag("Song", 0x05, 146);
    std::copy(tag.begin(), tag.end(), b.end() - 128);
    const auto p = Inspected(b);
    EXPECT_TRUE(p.HasTag);
    EXPECT_EQ(p.SongName, std::string("Song") + std::string(26, '\0'));
    EXPECT_EQ(p.SongName.size(), 30u);
    EXPECT_EQ(p.Artist, std::string("An Artist") + std::string(21, '\0'));
    EXPECT_EQ(p.Album, std::string("Album  ") + std::string(23, '\0'));
    EXPECT_EQ(p.Year, "1999");
    EXPECT_EQ(p.Comment.size(), 29u);
    EXPECT_EQ(p.Track, std::string(1, '\x05'));
    EXPECT_EQ(p.Genre, 146);
    EXPECT_EQ(Mp3GenreName(p.Genre), "Synthpop");
    EXPECT_EQ(Mp3GenreName(147), "Unknown");
    EXPECT_EQ(Mp3GenreName(0), "Blues");
    EXPECT_EQ(Mp3GenreName(-1), "Unknown");
    // Bytes above 127 stay single characters, and genre 255 is a number like any other.
    const Bytes high = Tag("\xE9t\xE9", 0xFF, 255);
    std::copy(high.begin(), high.end(), b.end() - 128);
    const auto q = Inspected(b);
    EXPECT_EQ(q.SongName.substr(0, 3), "\xE9t\xE9");
    EXPECT_EQ(q.Track, "\xFF");
    EXPECT_EQ(q.Genre, 255);
    // A later file without a tag clears the texts.
    Mp3Properties r = p;
    Inspect(FileWith(1000, 0, {0xFF, 0xFB, 0x90, 0x64}), r);
    EXPECT_FALSE(r.HasTag);
    EXPECT_EQ(r.SongName, "");
    EXPECT_EQ(r.Track, "");
    EXPECT_EQ(r.Genre, 255);
}

TEST_F(Mp3Inspection, FilesUnder256BytesAndThingsThatAreNoFilesChangeNothing) {
    Mp3Properties p;
    Inspect(XingFile(1000, {0, 0, 1, 0x2C}), p);
    const Mp3Properties before = p;
    Bytes small = FileWith(255, 0, {0xFF, 0xFB, 0x90, 0xC4});
    Inspect(small, p);
    EXPECT_EQ(p, before);
    Inspect({}, p);
    EXPECT_EQ(p, before);
    InspectMp3((Dir() / "missing.mp3").string(), p);
    InspectMp3(Dir().string(), p);
    EXPECT_EQ(p, before);
    const auto fifo = Dir() / "fifo.mp3";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    InspectMp3(fifo.string(), p);  // no writer: must not wait for one
    EXPECT_EQ(p, before);
    // 256 bytes are inspected.
    small.push_back(0x11);
    Inspect(small, p);
    EXPECT_EQ(p.Mode, QX_MP3MODE_SINGLECHANNEL);
    EXPECT_FALSE(p.VariableBitRate);
}

TEST_F(Mp3Inspection, ShortFilesReadOnlyWhatTheyHold) {
    // A sync pair two bytes before the end: the two missing header bytes read as 0, the "Xing"
    // bytes lie past the end (VariableBitRate keeps its value).
    Mp3Properties p;
    p.VariableBitRate = true;
    p.Bitrate = 99;
    Bytes b = FileWith(300, 298, {0xFF, 0xFB});
    Inspect(b, p);
    EXPECT_TRUE(p.VariableBitRate);
    EXPECT_EQ(p.MpegVersion, 1);
    EXPECT_EQ(p.Frequency, 44100);
    EXPECT_EQ(p.Bitrate, 99);  // a VBR average needs a frame count
    EXPECT_EQ(p.Mode, QX_MP3MODE_STEREO);
    // The tag of a file shorter than the scan is found in the same read.
    const Bytes tag = Tag("Short", 1, 17);
    std::copy(tag.begin(), tag.end(), b.end() - 128);
    EXPECT_EQ(Inspected(b).Genre, 17);
}

TEST(Mp3Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(24.5), 24.0);
    EXPECT_EQ(RoundHalfEven(73.5), 74.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(9.6), 10.0);
    EXPECT_EQ(RoundHalfEven(10.4), 10.0);
    EXPECT_EQ(RoundHalfEven(0.49999999999999994), 0.0);
}

}  // namespace
