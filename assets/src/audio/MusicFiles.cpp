// Writes the game's General MIDI files.
#include "Generator.h"
#include "audio/Pieces.h"
#include "audio/WavFile.h"

namespace orvane::assets::audio {
namespace {

void WriteMusic(const std::filesystem::path& dataDir) {
    for (const auto& piece : MusicPieces()) WriteBytes(dataDir / piece.fileName, RenderPiece(piece).bytes);
}

const Registrar kReg("music", &WriteMusic);

}  // namespace
}  // namespace orvane::assets::audio
