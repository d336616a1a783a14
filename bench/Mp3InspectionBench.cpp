// MP3 inspection per file over a folder of 1,000 MP3 files (warm cache), beside the bare system calls
// a reader of the same bytes needs: open, a read of the first 5047 bytes, a read of the last 128,
// close. The files are made by lame from a tone (constant and variable bit rates, mono and stereo,
// with and without an ID3v2 tag), each with an ID3v1 tag of its own.
#include "Mp3Inspection.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 1000;

std::vector<char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteTone(const fs::path& path, int channels) {
    constexpr int kRate = 44100;
    std::vector<float> samples(static_cast<std::size_t>(2 * kRate * channels));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.3f * static_cast<float>(std::sin(2 * std::numbers::pi * 440.0 *
                                                        static_cast<double>(i / channels) / kRate));
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = kRate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) throw std::runtime_error("cannot write " + path.string());
    sf_writef_float(file, samples.data(), 2 * kRate);
    sf_close(file);
}

struct File {
    std::string name;
    off_t size;
};

// The folder's files, made once per run.
const std::vector<File>& Files() {
    static const std::vector<File> files = [] {
        const fs::path dir = fs::temp_directory_path() / "qxsound-bench-mp3";
        fs::remove_all(dir);
        fs::create_directories(dir / "seed");
        WriteTone(dir / "seed" / "mono.wav", 1);
        WriteTone(dir / "seed" / "stereo.wav", 2);
        const char* kinds[][2] = {{"-b 32", "mono"},      {"-b 128", "stereo"}, {"-b 320", "stereo"},
                                  {"-V 2", "stereo"},     {"-V 6", "stereo"},   {"-V 4", "mono"},
                                  {"-b 64 --tt Seed --add-id3v2", "stereo"}};
        std::vector<std::vector<char>> seeds;
        for (const auto& [options, input] : kinds) {
            const fs::path mp3 = dir / "seed" / ("seed" + std::to_string(seeds.size()) + ".mp3");
            const std::string command = std::string("lame --quiet ") + options + " '" +
                                        (dir / "seed" / (std::string(input) + ".wav")).string() + "' '" +
                                        mp3.string() + "'";
            if (std::system(command.c_str()) != 0) throw std::runtime_error("lame failed: " + command);
            seeds.push_back(ReadAll(mp3));
        }
        std::vector<File> out;
        for (int i = 0; i < kFiles; ++i) {
            std::vector<char> bytes = seeds[static_cast<std::size_t>(i) % seeds.size()];
            char tag[128] = "TAG";
            std::snprintf(tag + 3, 30, "Track %d", i);
            std::memcpy(tag + 33, "Bench", 5);
            tag[126] = static_cast<char>(i % 20 + 1);
            tag[127] = static_cast<char>(i % 148);
            bytes.insert(bytes.end(), tag, tag + sizeof tag);
            out.push_back({(dir / ("file" + std::to_string(i) + ".mp3")).string(), static_cast<off_t>(bytes.size())});
            std::ofstream(out.back().name, std::ios::binary)
                .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        return out;
    }();
    return files;
}

// One inspection per iteration, round the folder; one pass first so every file is in the cache.
template <typename Read>
void OverTheFolder(benchmark::State& state, Read read) {
    const auto& files = Files();
    for (const auto& file : files) read(file);
    std::size_t i = 0;
    for (auto _ : state) {
        read(files[i]);
        if (++i == files.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Mp3Inspection_QXSound(benchmark::State& state) {
    qxsound::Mp3Properties properties;
    OverTheFolder(state, [&](const File& file) {
        qxsound::InspectMp3(file.name, properties);
        benchmark::DoNotOptimize(properties);
    });
    if (!properties.HasTag) state.SkipWithError("the files' tags were not found");
}

void BM_Mp3Inspection_BareSystemCalls(benchmark::State& state) {
    char head[5047];
    char tag[128];
    OverTheFolder(state, [&](const File& file) {
        const int fd = ::open(file.name.c_str(), O_RDONLY | O_CLOEXEC);
        benchmark::DoNotOptimize(::pread(fd, head, sizeof head, 0));
        benchmark::DoNotOptimize(::pread(fd, tag, sizeof tag, file.size - 128));
        ::close(fd);
    });
}

BENCHMARK(BM_Mp3Inspection_QXSound);
BENCHMARK(BM_Mp3Inspection_BareSystemCalls);

}  // namespace
