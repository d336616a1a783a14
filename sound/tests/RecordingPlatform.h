// A recording fake of the audio platform: every call is appended to a shared log, and calls whose
// name is listed in `failing` throw qxsound::Error.
#pragma once

#include "DirectX8.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qxtest {

struct Recorder {
    std::vector<std::string> log;
    std::set<std::string> failing;
    int32_t musicTime = 1000;  // GetMusicTime gives this, then advances it by 10
    int32_t playbackDevices = 2;
    int32_t captureDevices = 1;

    void Call(const std::string& entry, const std::string& name);
    // Entries of the log that start with `prefix`.
    std::vector<std::string> Matching(const std::string& prefix) const;
    std::size_t CountOf(const std::string& prefix) const { return Matching(prefix).size(); }
};

std::shared_ptr<qxsound::platform::DirectX8> MakeRecordingRoot(std::shared_ptr<Recorder> recorder);

}  // namespace qxtest
