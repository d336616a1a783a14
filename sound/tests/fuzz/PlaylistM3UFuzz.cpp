// libFuzzer target for Playlist8::LoadM3U. Run by hand, for example:
//   build-fuzz/bin/qxsound_fuzz_m3u -runs=10000000 -max_len=1024 corpus-m3u/
#include "FuzzFile.h"

#include <qxsound/Playlist8.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static FuzzFile file;
    qxsound::Playlist8 list;
    list.LoadM3U(file.Hold(data, size));
    for (const auto& entry : list) (void)entry->Location().size();
    return 0;
}
