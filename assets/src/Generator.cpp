#include "Generator.h"

namespace orvane::assets {

std::vector<GeneratorEntry>& Generators() {
    static std::vector<GeneratorEntry> generators;
    return generators;
}

}  // namespace orvane::assets
