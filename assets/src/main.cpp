// Writes every data file the game loads into the directory given as the only argument.
#include "Generator.h"

#include <algorithm>
#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    using namespace orvane::assets;
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " DATA_DIRECTORY\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    auto& generators = Generators();
    std::sort(generators.begin(), generators.end(),
              [](const GeneratorEntry& a, const GeneratorEntry& b) { return a.name < b.name; });
    try {
        std::filesystem::create_directories(dir);
        for (const auto& g : generators) g.write(dir);
    } catch (const std::exception& e) {
        std::cerr << "orvane_assets: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
