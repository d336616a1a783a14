// An Xvfb X server of a given screen size on a free display number, for as long as the object lives.
#pragma once

#include <chrono>
#include <string>

#include <sys/types.h>

namespace gametest {

class XvfbServer {
public:
    XvfbServer(int width, int height);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N", or empty when the server could not be started.
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// Waits for a child process to end within the time: its exit status, -1 while it still runs,
// 128 + the signal that ended it.
int WaitForChild(pid_t pid, std::chrono::milliseconds limit);

}  // namespace gametest
