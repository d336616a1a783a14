// libFuzzer target for the readers of untrusted files: segment files (RIFF DMSG with embedded wave
// or MIDI data) and audio files decoded from memory. Run by hand, for example:
//   build-fuzz/bin/qxsound_fuzz_loader -max_total_time=300 -timeout=10 corpus/
#include "Loader.h"
#include "Pcm.h"

#include <qxsound/Error.h>

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    try {
        const auto content = qxsound::platform::ReadSegmentFile(bytes, "fuzz.sgt");
        (void)content.FrameAt(content.length, 44100);
    } catch (const qxsound::Error&) {
    }
    try {
        const auto pcm = qxsound::platform::PcmData::ReadMemory(bytes, "fuzz.wav");
        (void)pcm->FloatsAt(22050);
    } catch (const qxsound::Error&) {
    }
    return 0;
}
