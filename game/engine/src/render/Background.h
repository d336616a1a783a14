// Work for the renderer done on a thread of its own at the lowest priority: on a machine whose
// cores are all rasterizing (a software renderer), it takes mostly time the frames leave unused,
// yet it is never starved for good.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <utility>

namespace quarvex::detail {

template <class Work>
auto InBackground(Work work) {
    return std::async(std::launch::async, [work = std::move(work)]() mutable {
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);  // this thread only; a failure leaves it as it is
        return work();
    });
}

// Whether the work's result is ready without waiting.
template <class Result>
bool Ready(const std::future<Result>& result) {
    return result.valid() && result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

}  // namespace quarvex::detail
