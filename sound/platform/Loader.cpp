#include "Loader.h"

#include "MidiSynth.h"

#include <qxsound/Error.h>

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace qxsound::platform {

namespace {

// The rate a spare synthesizer is made at before anything plays: OpenAL Soft's default.
constexpr int32_t kMidiSampleRate = 44100;

uint32_t ReadLittle(const std::vector<uint8_t>& d, std::size_t at) {
    return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (static_cast<uint32_t>(d[at + 3]) << 24);
}

void WriteLittle(std::vector<uint8_t>& d, uint32_t v) {
    for (int i = 0; i < 4; ++i) d.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool HasTag(const std::vector<uint8_t>& d, std::size_t at, const char* tag) {
    return d.size() >= at + 4 && std::memcmp(d.data() + at, tag, 4) == 0;
}

std::ifstream OpenFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    std::error_code ec;
    if (!in || !std::filesystem::is_regular_file(fileName, ec))
        throw Error(DMUS_E_LOADER_FAILEDOPEN, "cannot open \"" + fileName + "\"");
    return in;
}

std::vector<uint8_t> ReadAll(const std::string& fileName) {
    std::ifstream in = OpenFile(fileName);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Title(const std::string& fileName) {
    const auto slash = fileName.find_last_of("/\\");
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

// Chunks of a RIFF form: (tag, offset of data, length), bounds-checked.
struct Chunk {
    std::string tag;
    std::size_t at;
    std::size_t length;
};

std::vector<uint8_t> ChunkBytes(const std::vector<uint8_t>& d, const Chunk& c) {
    return std::vector<uint8_t>(d.begin() + static_cast<std::ptrdiff_t>(c.at),
                                d.begin() + static_cast<std::ptrdiff_t>(c.at + c.length));
}

std::vector<Chunk> RiffChunks(const std::vector<uint8_t>& d, const std::string& fileName) {
    std::vector<Chunk> chunks;
    std::size_t at = 12;
    const std::size_t end = std::min<std::size_t>(d.size(), 8 + static_cast<std::size_t>(ReadLittle(d, 4)));
    while (at + 8 <= end) {
        const std::size_t length = ReadLittle(d, at + 4);
        if (at + 8 + length > end) {
            throw Error(DMUS_E_LOADER_FORMATNOTSUPPORTED, "\"" + fileName + "\" has a truncated chunk");
        }
        chunks.push_back({std::string(d.begin() + static_cast<std::ptrdiff_t>(at),
                                      d.begin() + static_cast<std::ptrdiff_t>(at) + 4),
                          at + 8, length});
        at += 8 + length + (length & 1);
    }
    return chunks;
}

// A MIDI file, checked and timed; synthesised only when it plays.
SegmentContent MidiContent(const std::vector<uint8_t>& smf, const std::string& fileName) {
    SegmentContent content;
    content.midi = std::make_shared<const MidiFile>(smf, fileName);
    content.length = std::max(1, content.midi->MusicTimeLength());
    MidiSynth::Prepare(kMidiSampleRate);
    return content;
}

SegmentContent WaveContent(std::shared_ptr<const PcmData> pcm, const std::string& name) {
    SegmentContent content;
    content.pcm = std::move(pcm);
    const int64_t ticks = static_cast<int64_t>(content.pcm->Frames()) * 2 * DMUS_PPQ / content.pcm->SampleRate();
    content.length = static_cast<int32_t>(std::max<int64_t>(1, ticks));
    content.name = name;
    return content;
}

}  // namespace

SegmentContent ReadSegmentFile(const std::vector<uint8_t>& d, const std::string& fileName) {
    const auto bad = [&](const std::string& why) {
        return Error(DMUS_E_LOADER_FORMATNOTSUPPORTED, "\"" + fileName + "\" is not a usable segment file: " + why);
    };
    if (d.size() < 12 || !HasTag(d, 0, "RIFF") || !HasTag(d, 8, "DMSG")) throw bad("no RIFF DMSG header");
    const Chunk* header = nullptr;
    const Chunk* wave = nullptr;
    const Chunk* midi = nullptr;
    std::string name;
    const auto chunks = RiffChunks(d, fileName);
    for (const auto& c : chunks) {
        if (c.tag == "segh") header = &c;
        if (c.tag == "wave") wave = &c;
        if (c.tag == "midi") midi = &c;
        if (c.tag == "UNAM") name.assign(d.begin() + static_cast<std::ptrdiff_t>(c.at),
                                         d.begin() + static_cast<std::ptrdiff_t>(c.at + c.length));
    }
    if (!header || header->length < 20) throw bad("no segment header");
    if (!wave && !midi) throw bad("no wave or MIDI track");
    SegmentContent content = midi ? MidiContent(ChunkBytes(d, *midi), fileName)
                                  : WaveContent(PcmData::ReadMemory(ChunkBytes(d, *wave), fileName), std::string());
    const auto field = [&](int i) { return static_cast<int32_t>(ReadLittle(d, header->at + 4 * static_cast<std::size_t>(i))); };
    const int32_t length = field(0);
    const int32_t repeats = field(1);
    const int32_t loopStart = field(2);
    const int32_t loopEnd = field(3);
    const int32_t playStart = field(4);
    if (length <= 0 || repeats < -1 || loopStart < 0 || loopEnd < 0 || (loopEnd != 0 && loopEnd <= loopStart) ||
        loopEnd > length || playStart < 0 || playStart >= length)
        throw bad("inconsistent segment header");
    content.length = length;
    content.repeats = repeats;
    content.loopStart = loopStart;
    content.loopEnd = loopEnd;
    content.playStart = playStart;
    content.name = name.empty() ? Title(fileName) : name;
    return content;
}

std::vector<uint8_t> MakeSegmentFile(int32_t length, int32_t repeats, int32_t loopStart, int32_t loopEnd,
                                     int32_t playStart, const std::string& name, const std::string& contentTag,
                                     const std::vector<uint8_t>& contentBytes) {
    std::vector<uint8_t> body = {'D', 'M', 'S', 'G'};
    const auto chunk = [&](const char* tag, const std::vector<uint8_t>& data) {
        body.insert(body.end(), tag, tag + 4);
        WriteLittle(body, static_cast<uint32_t>(data.size()));
        body.insert(body.end(), data.begin(), data.end());
        if (data.size() & 1) body.push_back(0);
    };
    std::vector<uint8_t> header;
    for (int32_t v : {length, repeats, loopStart, loopEnd, playStart}) WriteLittle(header, static_cast<uint32_t>(v));
    chunk("segh", header);
    if (!name.empty()) chunk("UNAM", std::vector<uint8_t>(name.begin(), name.end()));
    chunk(contentTag.c_str(), contentBytes);
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
    WriteLittle(file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::shared_ptr<DirectMusicSegment8> OpenALLoader::LoadSegment(const std::string& fileName) {
    std::error_code ec;
    const auto path = std::filesystem::absolute(fileName, ec).lexically_normal().string();
    const auto modified = std::filesystem::last_write_time(fileName, ec);
    const auto size = ec ? 0 : std::filesystem::file_size(fileName, ec);
    if (!ec) {
        auto it = cache_.find(path);
        if (it != cache_.end() && it->second.modified == modified && it->second.size == size) {
            if (auto content = it->second.content.lock()) return std::make_shared<OpenALSegment>(content);
        }
    }
    auto content = Decode(fileName);
    std::erase_if(cache_, [](const auto& entry) { return entry.second.content.expired(); });
    if (!ec) cache_[path] = Cached{content, modified, size};
    return std::make_shared<OpenALSegment>(std::move(content));
}

std::shared_ptr<const SegmentContent> OpenALLoader::Decode(const std::string& fileName) {
    std::vector<uint8_t> head(12, 0);
    {
        std::ifstream in = OpenFile(fileName);
        in.read(reinterpret_cast<char*>(head.data()), 12);
        head.resize(static_cast<std::size_t>(in.gcount()));
    }
    SegmentContent content;
    if (HasTag(head, 0, "MThd")) {
        content = MidiContent(ReadAll(fileName), fileName);
        content.name = Title(fileName);
    } else if (HasTag(head, 0, "RIFF") && HasTag(head, 8, "RMID")) {
        const auto bytes = ReadAll(fileName);
        const auto chunks = RiffChunks(bytes, fileName);
        auto data = std::find_if(chunks.begin(), chunks.end(), [](const Chunk& c) { return c.tag == "data"; });
        if (data == chunks.end())
            throw Error(DMUS_E_LOADER_FORMATNOTSUPPORTED, "\"" + fileName + "\" has no MIDI data chunk");
        content = MidiContent(ChunkBytes(bytes, *data), fileName);
        content.name = Title(fileName);
    } else if (HasTag(head, 0, "RIFF") && HasTag(head, 8, "DMSG")) {
        content = ReadSegmentFile(ReadAll(fileName), fileName);
    } else {
        content = WaveContent(PcmData::ReadFile(fileName), Title(fileName));
    }
    return std::make_shared<const SegmentContent>(std::move(content));
}

}  // namespace qxsound::platform
