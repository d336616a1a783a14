// Playlist8 load and save, each beside an anchor that does only the file work: reading the same
// file's lines into strings with std::getline, or writing the same bytes with std::ofstream.
//   load: an extended M3U and a PLS file of 100,000 entries (target: under 100 ms each)
//   save: 32,767 entries (the most a save accepts) as extended M3U and PLS (target: under 100 ms each)
#include <qxsound/Playlist8.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using qxsound::Playlist8;

namespace {

std::string Location(int i) { return "/home/user/Music/Artist " + std::to_string(i % 97) + "/Track " + std::to_string(i) + ".mp3"; }

std::filesystem::path Temp(const std::string& name) {
    return std::filesystem::temp_directory_path() / ("qxsound-playlist-bench-" + name);
}

const std::string& BigFile(bool pls) {
    static const std::string m3u = [] {
        Playlist8 list;
        for (int i = 1; i <= 100000; ++i) list.Add(Location(i))->Duration(100 + i % 300);
        // A save writes at most 32,767 entries: write the big files directly.
        std::string text = "#EXTM3U\r\n";
        for (const auto& e : list)
            text += "#EXTINF:" + std::to_string(e->Duration()) + ",Track\r\n" + e->Location() + "\r\n";
        std::ofstream(Temp("100k.m3u"), std::ios::binary) << text;
        return Temp("100k.m3u").string();
    }();
    static const std::string plsFile = [] {
        std::string text = "[playlist]\r\n";
        for (int i = 1; i <= 100000; ++i) {
            const std::string n = std::to_string(i);
            text += "File" + n + "=" + Location(i) + "\r\nTitle" + n + "=Track\r\nLength" + n + "=" +
                    std::to_string(100 + i % 300) + "\r\n";
        }
        text += "NumberOfEntries=100000\r\nVersion=2\r\n";
        std::ofstream(Temp("100k.pls"), std::ios::binary) << text;
        return Temp("100k.pls").string();
    }();
    return pls ? plsFile : m3u;
}

const Playlist8& FullList() {
    static const Playlist8 list = [] {
        Playlist8 l;
        for (int i = 1; i <= Playlist8::kMaxSaveEntries; ++i) l.Add(Location(i))->Duration(100 + i % 300);
        return l;
    }();
    return list;
}

void BM_Load(benchmark::State& state, bool pls) {
    const std::string& file = BigFile(pls);
    for (auto _ : state) {
        Playlist8 list;
        const bool ok = pls ? list.LoadPLS(file) : list.LoadM3U(file);
        if (!ok || list.Count() != 100000) state.SkipWithError("the load failed");
        benchmark::DoNotOptimize(list);
    }
}

void BM_ReadLines_Anchor(benchmark::State& state, bool pls) {
    const std::string& file = BigFile(pls);
    for (auto _ : state) {
        std::ifstream in(file, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
        benchmark::DoNotOptimize(lines);
    }
}

void BM_Save(benchmark::State& state, bool pls) {
    const auto file = Temp(pls ? "save.pls" : "save.m3u").string();
    for (auto _ : state) {
        const bool ok = pls ? FullList().SaveAsPLS(file) : FullList().SaveAsM3U(file);
        if (!ok) state.SkipWithError("the save failed");
    }
}

void BM_WriteBytes_Anchor(benchmark::State& state, bool pls) {
    const auto file = Temp(pls ? "save.pls" : "save.m3u").string();
    if (!(pls ? FullList().SaveAsPLS(file) : FullList().SaveAsM3U(file))) state.SkipWithError("the save failed");
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto copy = Temp(pls ? "anchor.pls" : "anchor.m3u").string();
    for (auto _ : state) std::ofstream(copy, std::ios::binary) << bytes;
}

}  // namespace

BENCHMARK_CAPTURE(BM_Load, M3U_100k, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadLines_Anchor, M3U_100k, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Load, PLS_100k, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadLines_Anchor, PLS_100k, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, M3U_32767, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteBytes_Anchor, M3U_32767, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, PLS_32767, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteBytes_Anchor, PLS_32767, true)->Unit(benchmark::kMillisecond);
