// A review sheet: every image of the data directory as a labelled thumbnail in one PNG.
#pragma once

#include <filesystem>
#include <string>

namespace orvane::assets::visual {

// Writes the sheet of all images whose file names contain `filter` (all when empty) and
// returns how many images it shows.
int WriteContactSheet(const std::filesystem::path& dataDir, const std::filesystem::path& out,
                      const std::string& filter = {});

}  // namespace orvane::assets::visual
