#include "audio/WavFile.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace orvane::assets::audio {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

}  // namespace

std::vector<std::uint8_t> EncodeWav(const Signal& signal, int sampleRate) {
    constexpr std::uint16_t channels = 1;
    constexpr std::uint16_t bits = 16;
    constexpr std::uint16_t blockAlign = channels * bits / 8;
    const auto dataSize = static_cast<std::uint32_t>(signal.size() * blockAlign);

    std::vector<std::uint8_t> out;
    out.reserve(44 + dataSize + 1);
    PutTag(out, "RIFF");
    Put32(out, 36 + dataSize + (dataSize & 1));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, channels);
    Put32(out, static_cast<std::uint32_t>(sampleRate));
    Put32(out, static_cast<std::uint32_t>(sampleRate) * blockAlign);
    Put16(out, blockAlign);
    Put16(out, bits);
    PutTag(out, "data");
    Put32(out, dataSize);
    for (float s : signal) {
        const double scaled = std::clamp(std::round(static_cast<double>(s) * 32767.0), -32768.0, 32767.0);
        Put16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(scaled)));
    }
    if (dataSize & 1) out.push_back(0);  // chunks are word-aligned
    return out;
}

void WriteBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    if (!stream) throw std::runtime_error("cannot write " + file.string());
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!stream) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace orvane::assets::audio
