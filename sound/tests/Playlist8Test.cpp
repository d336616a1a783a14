#include "TestSupport.h"

#include "NumberText.h"
#include "ProfileString.h"

#include <qxsound/Playlist8.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>

using namespace qxsound;

namespace {

class Playlist8Test : public qxtest::SoundTest {
protected:
    std::string Write(const std::string& name, const std::string& text) {
        const auto path = Dir() / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::vector<std::pair<std::string, int32_t>> Entries(const Playlist8& list) {
        std::vector<std::pair<std::string, int32_t>> out;
        for (const auto& e : list) out.emplace_back(e->Location(), e->Duration());
        return out;
    }
    using Entries_ = std::vector<std::pair<std::string, int32_t>>;
};

TEST(NumberText, ReadsDecimalIntegersAndRoundsFractionsHalfToEven) {
    EXPECT_EQ(TextToInt32("185"), 185);
    EXPECT_EQ(TextToInt32("  -1 "), -1);
    EXPECT_EQ(TextToInt32("+7"), 7);
    EXPECT_EQ(TextToInt32("2.5"), 2);
    EXPECT_EQ(TextToInt32("3.5"), 4);
    EXPECT_EQ(TextToInt32("2.51"), 3);
    EXPECT_EQ(TextToInt32("-2.5"), -2);
    EXPECT_EQ(TextToInt32("2147483647"), 2147483647);
    EXPECT_EQ(TextToInt32("-2147483648"), INT32_MIN);
    for (const char* bad : {"", " ", "-", ".", "12a", "a12", "1 2", "2147483648", "99999999999999999999999", "0x10"})
        EXPECT_FALSE(TextToInt32(bad).has_value()) << bad;
}

TEST(ProfileString, SectionsAndKeysIgnoreCaseAndTheFirstOccurrenceWins) {
    const auto file = platform::ProfileFile::Parse(
        "key=outside\r\n[Other]\nFile1=wrong\n[PlayList]\r\n ; comment=no\n  file1 = /a b/c.mp3  \rFILE1=second\n"
        "Path=x ; not a comment\nempty=\n");
    EXPECT_EQ(file.GetString("playlist", "File1", "d", 128), "/a b/c.mp3");
    EXPECT_EQ(file.GetString("PLAYLIST", "path", "d", 128), "x ; not a comment");
    EXPECT_EQ(file.GetString("playlist", "; comment", "d", 128), "d");
    EXPECT_EQ(file.GetString("playlist", "empty", "d", 128), "");
    EXPECT_EQ(file.GetString("playlist", "key", "default", 128), "default");  // before any section
    EXPECT_EQ(file.GetString("other", "file1", "", 128), "wrong");
}

TEST(ProfileString, NumberedKeysKeepTheFirstOccurrenceWhereverTheyAreKept) {
    // File01 and File1 are different keys; numbers past what the file's size can hold in the
    // arrays are kept by name, and the first occurrence wins in both places.
    const auto file = platform::ProfileFile::Parse(
        "[p]\nFile1=one\nFile01=zero-one\nFile1=again\nFile999999999=far\nfile999999999=far again\n"
        "File0=nought\nFile40=forty\nFile40=late\nFile1234567890=ten digits\n");
    EXPECT_EQ(file.GetString("p", "File1", "", 128), "one");
    EXPECT_EQ(file.GetString("p", "FILE01", "", 128), "zero-one");
    EXPECT_EQ(file.GetString("p", "File999999999", "", 128), "far");
    EXPECT_EQ(file.GetString("p", "File0", "", 128), "nought");
    EXPECT_EQ(file.GetString("p", "File40", "", 128), "forty");
    EXPECT_EQ(file.GetString("p", "File1234567890", "", 128), "ten digits");
    EXPECT_EQ(file.GetString("p", "File2", "none", 128), "none");
    EXPECT_EQ(file.GetString("q", "File1", "none", 128), "none");
}

TEST(ProfileString, KeyListsFindWhatFindFinds) {
    // Spilled numbers, stems of other case, stems ending in digits or with blanks, a section that
    // comes twice, and numbers past nine digits: a key list and Find agree on every one.
    const std::string text =
        "[p]\nFile1=one\nfile2=two\nFile40=forty\nTrack21=t21\nTrack2=t2\n"
        "[q]\nFile1=q-one\n[P]\nFile3=three\nFile1=late\nx=y\n";
    for (const bool spill : {false, true}) {
        // A number too far for a small file's arrays is kept by name.
        const auto file = platform::ProfileFile::Parse(spill ? "[p]\nFile999999=far\n" + text : text);
        for (const char* section : {"p", "P ", "q", "none"})
            for (const char* stem : {"File", "FILE", "Track", "Track2", " File", "", "x"}) {
                const auto keys = file.Keys(section, stem);
                for (const uint32_t n : {0u, 1u, 2u, 3u, 21u, 40u, 41u, 999999u, 999999999u, 4000000000u})
                    EXPECT_EQ(keys[n], file.Find(section, std::string(stem) + std::to_string(n)))
                        << section << "/" << stem << n << (spill ? " spilled" : "");
            }
        EXPECT_EQ(file.Keys("P", "file")[3], "three");
        EXPECT_EQ(file.Keys("p", "File")[1], "one");
        EXPECT_EQ(file.Keys("p", "Track2")[1], "t21");
    }
}

TEST(ProfileString, ValuesAndDefaultsAreCutToTheReplyBuffer) {
    const auto file = platform::ProfileFile::Parse("[s]\nk=" + std::string(300, 'v') + "\n");
    EXPECT_EQ(file.GetString("s", "k", "", 128), std::string(127, 'v'));
    EXPECT_EQ(file.GetString("s", "missing", "abcdef", 4), "abc");
    EXPECT_EQ(file.GetString("s", "k", "", 0), "");
    EXPECT_EQ(platform::GetPrivateProfileString("s", "k", "fallback", 128, "/nonexistent/x.ini"), "fallback");
}

TEST_F(Playlist8Test, AddItemRemoveAndClear) {
    Playlist8 list;
    auto a = list.Add("a.mp3");
    list.Add("b.mp3", "Bee");
    EXPECT_EQ(a->Location(), "a.mp3");
    EXPECT_EQ(a->Duration(), 0);
    EXPECT_EQ(list.Item("bee")->Location(), "b.mp3");
    EXPECT_THROW(list.Add("c.mp3", "BEE"), qxcommon::DuplicateKeyError);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_THROW(list.Item(0), qxcommon::BadIndexError);
    EXPECT_THROW(list.Item(3), qxcommon::BadIndexError);
    list.Remove(1);
    EXPECT_EQ(list.Item(1)->Location(), "b.mp3");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(Playlist8Test, ExtendedM3UOfTheDocumentation) {
    const auto file = Write("x.m3u", "#EXTM3U\r\n#EXTINF:123,Some Title\r\nC:\\a.mp3\r\n");
    Playlist8 list;
    ASSERT_TRUE(list.LoadM3U(file));
    EXPECT_EQ(Entries(list), (Entries_{{"C:\\a.mp3", 123}}));
}

TEST_F(Playlist8Test, M3UWithLineFeedEndsIsReadLineByLine) {
    Playlist8 plain;
    ASSERT_TRUE(plain.LoadM3U(Write("lf.m3u", "/music/one.mp3\n/music/two.ogg\n\n")));
    EXPECT_EQ(Entries(plain), (Entries_{{"/music/one.mp3", 0}, {"/music/two.ogg", 0}}));

    Playlist8 extended;
    ASSERT_TRUE(extended.LoadM3U(Write("lfx.m3u", "#EXTM3U\n#EXTINF:61,One\n/music/one.mp3\n#EXTINF:-1,Radio\nhttp://r/s\n")));
    EXPECT_EQ(Entries(extended), (Entries_{{"/music/one.mp3", 61}, {"http://r/s", -1}}));

    Playlist8 classic;  // CR alone ends a line too
    ASSERT_TRUE(classic.LoadM3U(Write("cr.m3u", "a.mp3\rb.mp3")));
    EXPECT_EQ(Entries(classic), (Entries_{{"a.mp3", 0}, {"b.mp3", 0}}));
}

TEST_F(Playlist8Test, M3USkipsAndKeepsAsDescribed) {
    Playlist8 list;
    list.Add("already.mp3");
    ASSERT_TRUE(list.LoadM3U(Write("s.m3u", "\r\nmy EXTM3U song.mp3\r\n#comment.mp3\r\n#EXTINF:5,t\r\n#EXTM3U\r\n")));
    // Loading appends; an "EXTM3U" location line is skipped, but the line after "#EXTINF:" is the
    // location whatever it holds, and other "#" lines are locations.
    EXPECT_EQ(Entries(list), (Entries_{{"already.mp3", 0}, {"#comment.mp3", 0}, {"#EXTM3U", 5}}));
}

TEST_F(Playlist8Test, DamagedM3UFailsAndKeepsWhatWasRead) {
    Playlist8 list;
    EXPECT_FALSE(list.LoadM3U((Dir() / "missing.m3u").string()));
    EXPECT_FALSE(list.LoadM3U(Dir().string()));  // a directory is no playlist
    EXPECT_EQ(list.Count(), 0);

    EXPECT_FALSE(list.LoadM3U(Write("d1.m3u", "a.mp3\r\n#EXTINF:abc,Title\r\nb.mp3\r\nc.mp3\r\n")));
    EXPECT_EQ(Entries(list), (Entries_{{"a.mp3", 0}, {"b.mp3", 0}}));  // b added before its duration failed
    list.Clear();
    EXPECT_FALSE(list.LoadM3U(Write("d2.m3u", "a.mp3\r\n#EXTINF:\r\nb.mp3\r\n")));
    EXPECT_EQ(list.Count(), 1);
    list.Clear();
    EXPECT_FALSE(list.LoadM3U(Write("d3.m3u", "a.mp3\n#EXTINF:12,last")));
    EXPECT_EQ(list.Count(), 1);
    list.Clear();
    EXPECT_FALSE(list.LoadM3U(Write("d4.m3u", "#EXTINF:99999999999,x\nbig.mp3\n")));
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(Playlist8Test, HugeLinesAndBinaryJunkDoNotBreakTheReaders) {
    std::string junk(1 << 20, 'x');
    for (std::size_t i = 0; i < junk.size(); i += 7) junk[i] = static_cast<char>(i * 31);
    Playlist8 list;
    list.LoadM3U(Write("junk.m3u", junk));  // whatever it gives, it gives without harm
    list.Clear();
    const std::string huge(200000, 'p');
    ASSERT_TRUE(list.LoadM3U(Write("huge.m3u", huge + "\n")));
    EXPECT_EQ(list.Item(1)->Location(), huge);
    list.Clear();
    EXPECT_FALSE(list.LoadPLS(Write("junk.pls", junk)));  // no NumberOfEntries
    ASSERT_TRUE(list.LoadPLS(Write("huge.pls", "[playlist]\nNumberOfEntries=1\nFile1=" + huge + "\n")));
    EXPECT_EQ(list.Item(1)->Location(), std::string(127, 'p'));
}

TEST_F(Playlist8Test, PlsReadsTheDeclaredEntriesWithTrimmedCutValues) {
    const auto file = Write("p.pls",
                            "[playlist]\r\nFile1= a.mp3 \r\nTitle1=A\r\nLength1=185\r\nFile2=b.mp3\r\nLength2=\r\n"
                            "File3=c.mp3\r\nNumberOfEntries=2\r\nVersion=2\r\n");
    Playlist8 list;
    ASSERT_TRUE(list.LoadPLS(file));
    EXPECT_EQ(Entries(list), (Entries_{{"a.mp3", 185}, {"b.mp3", 0}}));

    Playlist8 gaps;  // missing File and Length keys give empty entries
    ASSERT_TRUE(gaps.LoadPLS(Write("g.pls", "[PLAYLIST]\nnumberofentries=3\nfile2=/x/y.ogg\nlength3=7\n")));
    EXPECT_EQ(Entries(gaps), (Entries_{{"", 0}, {"/x/y.ogg", 0}, {"", 7}}));
}

TEST_F(Playlist8Test, DamagedPlsFails) {
    Playlist8 list;
    EXPECT_FALSE(list.LoadPLS((Dir() / "missing.pls").string()));
    EXPECT_FALSE(list.LoadPLS(Write("n1.pls", "[playlist]\nFile1=a.mp3\n")));
    EXPECT_FALSE(list.LoadPLS(Write("n2.pls", "[playlist]\nNumberOfEntries=two\n")));
    EXPECT_FALSE(list.LoadPLS(Write("n3.pls", "[playlist]\nNumberOfEntries=2000000000\n")));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.LoadPLS(Write("n4.pls", "[playlist]\nNumberOfEntries=3\nFile1=a\nFile2=b\nLength2=long\n")));
    EXPECT_EQ(Entries(list), (Entries_{{"a", 0}, {"b", 0}}));
}

TEST_F(Playlist8Test, SavesGiveTheDocumentedFiles) {
    Playlist8 list;
    list.Add("a.mp3")->Duration(185);
    list.Add("b.mp3");
    const auto pls = (Dir() / "out.pls").string(), m3u = (Dir() / "out.m3u").string();
    ASSERT_TRUE(list.SaveAsPLS(pls));
    EXPECT_EQ(Read(pls),
              "[playlist]\r\nFile1=a.mp3\r\nTitle1=a\r\nLength1=185\r\nFile2=b.mp3\r\nTitle2=b\r\nLength2=0\r\n"
              "NumberOfEntries=2\r\nVersion=2\r\n");
    ASSERT_TRUE(list.SaveAsM3U(m3u));
    EXPECT_EQ(Read(m3u), "#EXTM3U\r\n#EXTINF:185,a\r\na.mp3\r\n#EXTINF:0,b\r\nb.mp3\r\n");
    ASSERT_TRUE(list.SaveAsPLS(pls, false));
    EXPECT_EQ(Read(pls), "[playlist]\r\nFile1=a.mp3\r\nFile2=b.mp3\r\nNumberOfEntries=2\r\n");
    ASSERT_TRUE(list.SaveAsM3U(m3u, false));
    EXPECT_EQ(Read(m3u), "a.mp3\r\nb.mp3\r\n");

    Playlist8 empty;
    ASSERT_TRUE(empty.SaveAsPLS(pls));
    EXPECT_EQ(Read(pls), "[playlist]\r\nNumberOfEntries=0\r\nVersion=2\r\n");
    ASSERT_TRUE(empty.SaveAsPLS(pls, false));
    EXPECT_EQ(Read(pls), "[playlist]\r\nNumberOfEntries=0\r\n");
}

TEST_F(Playlist8Test, RoundTripsInBothFormatsAndModes) {
    Playlist8 list;
    list.Add("/music/Night Drive.flac")->Duration(241);
    list.Add("C:\\old\\song.v2.mp3")->Duration(-1);
    list.Add("http://radio.example/stream")->Duration(0);
    list.Add("  spaced.ogg")->Duration(12);
    for (bool extended : {true, false}) {
        const auto m3u = (Dir() / "r.m3u").string(), pls = (Dir() / "r.pls").string();
        ASSERT_TRUE(list.SaveAsM3U(m3u, extended));
        ASSERT_TRUE(list.SaveAsPLS(pls, extended));
        Playlist8 fromM3U, fromPls;
        ASSERT_TRUE(fromM3U.LoadM3U(m3u));
        ASSERT_TRUE(fromPls.LoadPLS(pls));
        const Entries_ locationsOnly = {
            {"/music/Night Drive.flac", 0}, {"C:\\old\\song.v2.mp3", 0}, {"http://radio.example/stream", 0},
            {"  spaced.ogg", 0}};
        EXPECT_EQ(Entries(fromM3U), extended ? Entries(list) : locationsOnly);
        // PLS values lose their surrounding spaces.
        auto expectedPls = extended ? Entries(list) : locationsOnly;
        expectedPls[3].first = "spaced.ogg";
        EXPECT_EQ(Entries(fromPls), expectedPls);
    }
}

TEST_F(Playlist8Test, ASaveThatFailsLeavesTheOldFileWhole) {
    const auto file = Write("keep.m3u", "old.mp3\r\n");
    chmod(file.c_str(), 0640);
    Playlist8 big;
    for (int32_t i = 0; i <= Playlist8::kMaxSaveEntries; ++i) big.Add("x");
    EXPECT_FALSE(big.SaveAsM3U(file));
    EXPECT_FALSE(big.SaveAsPLS(file));
    EXPECT_EQ(Read(file), "old.mp3\r\n");
    big.Remove(1);
    ASSERT_TRUE(big.SaveAsM3U(file, false));  // 32767 entries are the most a save accepts
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // a replaced file keeps its permissions

    Playlist8 small;
    small.Add("a.mp3");
    EXPECT_FALSE(small.SaveAsM3U((Dir() / "no" / "such" / "dir.m3u").string()));
    EXPECT_FALSE(small.SaveAsPLS(Dir().string()));  // a directory is not replaced
    // No temporary files are left behind.
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(Dir())) ++files;
    EXPECT_EQ(files, 1);
}

}  // namespace
