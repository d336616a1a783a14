// Writes the game's sound-effect WAV files.
#include "Generator.h"
#include "audio/SoundEffects.h"
#include "audio/WavFile.h"

namespace orvane::assets::audio {
namespace {

void WriteSounds(const std::filesystem::path& dataDir) {
    for (const auto& effect : SoundEffects()) WriteBytes(dataDir / effect.fileName, EncodeWav(RenderEffect(effect)));
}

const Registrar kReg("sounds", &WriteSounds);

}  // namespace
}  // namespace orvane::assets::audio
