#include "AudioFileReaders.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace orvane::assets::audio::readers {

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) throw std::runtime_error("cannot open " + file.string());
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

namespace {

class Cursor {
public:
    Cursor(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end)
        : bytes_(bytes), pos_(begin), end_(end) {}
    bool AtEnd() const { return pos_ >= end_; }
    std::size_t Position() const { return pos_; }
    std::uint8_t Byte() {
        if (pos_ >= end_) throw std::runtime_error("unexpected end of data");
        return bytes_[pos_++];
    }
    std::uint8_t Peek() const {
        if (pos_ >= end_) throw std::runtime_error("unexpected end of data");
        return bytes_[pos_];
    }
    std::uint32_t LittleEndian(int count) {
        std::uint32_t v = 0;
        for (int i = 0; i < count; ++i) v |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        return v;
    }
    std::uint32_t BigEndian(int count) {
        std::uint32_t v = 0;
        for (int i = 0; i < count; ++i) v = (v << 8) | Byte();
        return v;
    }
    std::string Tag() {
        std::string tag;
        for (int i = 0; i < 4; ++i) tag += static_cast<char>(Byte());
        return tag;
    }
    std::uint32_t VarLen() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = Byte();
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80)) return v;
        }
        throw std::runtime_error("variable-length quantity longer than four bytes");
    }
    void Skip(std::size_t count) {
        if (count > end_ - pos_) throw std::runtime_error("chunk runs past its end");
        pos_ += count;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t pos_, end_;
};

}  // namespace

WavData ParseWav(const std::vector<std::uint8_t>& bytes) {
    Cursor c(bytes, 0, bytes.size());
    if (c.Tag() != "RIFF") throw std::runtime_error("no RIFF header");
    const std::uint32_t riffSize = c.LittleEndian(4);
    if (riffSize + 8 != bytes.size()) throw std::runtime_error("RIFF size does not match the file size");
    if (c.Tag() != "WAVE") throw std::runtime_error("not a WAVE file");
    WavData wav;
    bool haveFormat = false, haveData = false;
    while (!c.AtEnd()) {
        const std::string tag = c.Tag();
        const std::uint32_t size = c.LittleEndian(4);
        const std::size_t start = c.Position();
        if (size > bytes.size() - start) throw std::runtime_error("chunk " + tag + " runs past the file");
        if (tag == "fmt ") {
            wav.format = static_cast<int>(c.LittleEndian(2));
            wav.channels = static_cast<int>(c.LittleEndian(2));
            wav.sampleRate = static_cast<int>(c.LittleEndian(4));
            wav.byteRate = c.LittleEndian(4);
            wav.blockAlign = static_cast<int>(c.LittleEndian(2));
            wav.bitsPerSample = static_cast<int>(c.LittleEndian(2));
            haveFormat = true;
        } else if (tag == "data") {
            if (!haveFormat) throw std::runtime_error("data chunk before fmt chunk");
            if (wav.bitsPerSample != 16) throw std::runtime_error("expected 16-bit samples");
            if (wav.blockAlign <= 0 || size % static_cast<std::uint32_t>(wav.blockAlign) != 0)
                throw std::runtime_error("data size is not a whole number of frames");
            for (std::uint32_t frame = 0; frame < size / static_cast<std::uint32_t>(wav.blockAlign); ++frame) {
                const auto v = static_cast<std::int16_t>(c.LittleEndian(2));
                wav.samples.push_back(v / 32768.0);
                c.Skip(static_cast<std::size_t>(wav.blockAlign - 2));
            }
            haveData = true;
        }
        c.Skip(start + size + (size & 1) - c.Position());
    }
    if (!haveFormat || !haveData) throw std::runtime_error("missing fmt or data chunk");
    if (wav.format != 1) throw std::runtime_error("not PCM");
    if (wav.blockAlign != wav.channels * wav.bitsPerSample / 8) throw std::runtime_error("inconsistent block align");
    if (wav.byteRate != static_cast<std::uint32_t>(wav.sampleRate * wav.blockAlign))
        throw std::runtime_error("inconsistent byte rate");
    return wav;
}

std::uint32_t MidiData::EndTick() const {
    return trackEnds.empty() ? 0 : *std::max_element(trackEnds.begin(), trackEnds.end());
}

double MidiData::Seconds() const {
    double seconds = 0;
    std::uint32_t tick = 0, tempo = 500000;
    const std::uint32_t end = EndTick();
    for (const auto& [at, value] : tempos) {
        if (at >= end) break;
        seconds += static_cast<double>(at - tick) * tempo / 1e6 / division;
        tick = at;
        tempo = value;
    }
    return seconds + static_cast<double>(end - tick) * tempo / 1e6 / division;
}

int MidiData::ProgramOf(int channel) const {
    for (const auto& [ch, program] : programs)
        if (ch == channel) return program;
    return -1;
}

MidiData ParseMidi(const std::vector<std::uint8_t>& bytes) {
    Cursor header(bytes, 0, bytes.size());
    if (header.Tag() != "MThd") throw std::runtime_error("no MThd chunk");
    if (header.BigEndian(4) != 6) throw std::runtime_error("unexpected header length");
    MidiData midi;
    midi.format = static_cast<int>(header.BigEndian(2));
    midi.trackCount = static_cast<int>(header.BigEndian(2));
    midi.division = static_cast<int>(header.BigEndian(2));
    if (midi.division <= 0 || midi.division >= 0x8000) throw std::runtime_error("division is not ticks per quarter");

    std::size_t pos = header.Position();
    for (int t = 0; t < midi.trackCount; ++t) {
        Cursor chunk(bytes, pos, bytes.size());
        if (chunk.Tag() != "MTrk") throw std::runtime_error("no MTrk chunk");
        const std::uint32_t length = chunk.BigEndian(4);
        const std::size_t begin = chunk.Position();
        if (length > bytes.size() - begin) throw std::runtime_error("track runs past the file");
        pos = begin + length;
        Cursor c(bytes, begin, pos);
        std::uint32_t tick = 0;
        std::uint8_t running = 0;
        bool ended = false;
        std::map<std::pair<int, int>, std::uint32_t> sounding;
        while (!c.AtEnd()) {
            if (ended) throw std::runtime_error("events after end of track");
            tick += c.VarLen();
            std::uint8_t status = c.Peek();
            if (status & 0x80) {
                c.Byte();
            } else {
                if (!running) throw std::runtime_error("running status without a status byte");
                status = running;
            }
            if (status == 0xFF) {
                running = 0;
                const std::uint8_t type = c.Byte();
                const std::uint32_t size = c.VarLen();
                std::vector<std::uint8_t> data;
                for (std::uint32_t i = 0; i < size; ++i) data.push_back(c.Byte());
                if (type == 0x2F) {
                    ended = true;
                    midi.trackEnds.push_back(tick);
                } else if (type == 0x51 && size == 3) {
                    midi.tempos.push_back({tick, (data[0] << 16) | (data[1] << 8) | data[2]});
                } else if (type == 0x58 && size == 4 && midi.beatUnit == 0) {
                    midi.beatsPerBar = data[0];
                    midi.beatUnit = 1 << data[1];
                } else if (type == 0x59 && size == 2) {
                    midi.hasKeySignature = true;
                    midi.keySharps = static_cast<std::int8_t>(data[0]);
                    midi.keyMinor = data[1] == 1;
                }
                continue;
            }
            if (status == 0xF0 || status == 0xF7) {
                running = 0;
                c.Skip(c.VarLen());
                continue;
            }
            if (status >= 0xF0) throw std::runtime_error("system message in a file");
            running = status;
            const int kind = status & 0xF0, channel = status & 0x0F;
            const int a = c.Byte();
            const int b = (kind == 0xC0 || kind == 0xD0) ? 0 : c.Byte();
            if (a > 127 || b > 127) throw std::runtime_error("data byte out of range");
            const auto key = std::make_pair(channel, a);
            if (kind == 0x90 && b > 0) {
                if (sounding.count(key))
                    midi.problems.push_back("overlapping note " + std::to_string(a) + " on channel " +
                                            std::to_string(channel) + " at tick " + std::to_string(tick));
                sounding[key] = tick;
            } else if (kind == 0x80 || kind == 0x90) {
                const auto it = sounding.find(key);
                if (it == sounding.end()) {
                    midi.problems.push_back("note off without note on at tick " + std::to_string(tick));
                } else {
                    midi.notes.push_back({channel, a, it->second, tick});
                    sounding.erase(it);
                }
            } else if (kind == 0xC0) {
                if (tick == 0) midi.programs.push_back({channel, a});
                else midi.lateProgramChannels.push_back(channel);
            }
        }
        if (!ended) throw std::runtime_error("track without end-of-track event");
        for (const auto& [key, at] : sounding)
            midi.problems.push_back("note " + std::to_string(key.second) + " on channel " + std::to_string(key.first) +
                                    " never released (from tick " + std::to_string(at) + ")");
    }
    if (pos != bytes.size()) throw std::runtime_error("trailing data after the last track");
    return midi;
}

}  // namespace orvane::assets::audio::readers
