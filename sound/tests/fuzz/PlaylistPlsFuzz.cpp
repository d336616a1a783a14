// libFuzzer target for Playlist8::LoadPLS and the profile-string reader under it. Run by hand, for
// example:
//   build-fuzz/bin/qxsound_fuzz_pls -runs=10000000 corpus-pls/
#include "FuzzFile.h"
#include "ProfileString.h"

#include <qxsound/Playlist8.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static FuzzFile file;
    qxsound::Playlist8 list;
    list.LoadPLS(file.Hold(data, size));
    // Look-ups of every shape against the same text: numbered, unnumbered, other sections.
    const auto profile = qxsound::platform::ProfileFile::Parse(std::string(reinterpret_cast<const char*>(data), size));
    for (const char* key : {"File1", "file01", "Length2", "NumberOfEntries", "a", "File999999999", ""})
        for (const char* section : {"playlist", "", "x"}) (void)profile.GetString(section, key, "d", 128);
    return 0;
}
