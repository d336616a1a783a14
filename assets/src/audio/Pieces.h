// The game's music: the title theme, the game-over theme and one piece per level theme.
#pragma once

#include <vector>

#include "audio/Arranger.h"

namespace orvane::assets::audio {

// "inizio1.mid", "fine.mid", then "1.mid" .. "11.mid".
const std::vector<PiecePlan>& MusicPieces();

// Level pieces last at least this long before they loop.
constexpr double kLevelPieceMinSeconds = 64.0;

}  // namespace orvane::assets::audio
