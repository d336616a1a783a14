// libFuzzer target for Playlist8::LoadPLS and the profile-string reader under it. Run by hand, for
// example:
//   build-fuzz/bin/qxsound_fuzz_pls -runs=10000000 -max_len=1024 -entropic=0 corpus-pls/
// (-entropic=0: the default schedule spends a third of the time weighing features here).
#include "FuzzFile.h"
#include "ProfileString.h"

#include <qxsound/Playlist8.h>

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static FuzzFile file;
    // Look-ups of every shape against the same text: numbered, unnumbered, other sections.
    const auto profile = qxsound::platform::ProfileFile::Parse(std::string(reinterpret_cast<const char*>(data), size));
    for (const char* key : {"File1", "file01", "Length2", "NumberOfEntries", "a", "File999999999", ""})
        for (const char* section : {"playlist", "", "x"}) (void)profile.GetString(section, key, "d", 128);
    // A key list finds what Find finds, for stems as they come and numbers near those in use.
    for (const char* stem : {"File", "file", "Length", "a", "File1", ""}) {
        const auto keys = profile.Keys("playlist", stem);
        for (const uint32_t n : {0u, 1u, 2u, 3u, 10u, 999999999u, 1000000000u})
            if (keys[n] != profile.Find("playlist", std::string(stem) + std::to_string(n))) __builtin_trap();
    }
    // Lists of up to a million entries are the unit tests' and the benchmark's; here a count over
    // 999 (more entries than a 1024-byte input can hold) would only slow the search down.
    const std::string count = profile.GetString("playlist", "NumberOfEntries", "", 128);
    if (count.find_first_of("0123456789") != std::string::npos && count.size() > 3) return 0;
    qxsound::Playlist8 list;
    list.LoadPLS(file.Hold(data, size));
    return 0;
}
