// The game's generated data with some files left out, as links in a scratch folder.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace gametest {

// A fresh folder <temp>/<name> linking every data file of dataDir for which leaveOut is false.
inline std::filesystem::path DataWithout(const std::string& name, const std::filesystem::path& dataDir,
                                         const std::function<bool(const std::filesystem::path&)>& leaveOut) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator(dataDir)) {
        if (entry.is_regular_file() && !leaveOut(entry.path())) fs::create_symlink(entry.path(), dir / entry.path().filename());
    }
    return dir;
}

}  // namespace gametest
