// The game-data generator: each generator module registers a function that writes its files.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orvane::assets {

using WriteFunction = std::function<void(const std::filesystem::path& dataDir)>;

struct GeneratorEntry {
    std::string name;
    WriteFunction write;
};

// Generators in registration order (sorted by name before running, so the order is stable).
std::vector<GeneratorEntry>& Generators();

// Registers a generator at start-up: `static const orvane::assets::Registrar r("sounds", &WriteSounds);`
struct Registrar {
    Registrar(std::string name, WriteFunction write) { Generators().push_back({std::move(name), std::move(write)}); }
};

}  // namespace orvane::assets
