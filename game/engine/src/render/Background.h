// Work for the renderer done on a thread of its own at idle priority: on a machine whose cores
// are all rasterizing (a software renderer), it takes only time the frame leaves unused.
#pragma once

#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <future>
#include <utility>

namespace quarvex::detail {

template <class Work>
auto InBackground(Work work) {
    return std::async(std::launch::async, [work = std::move(work)]() mutable {
        const sched_param idle{};
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);  // a failure leaves it at normal priority
        return work();
    });
}

// Whether the work's result is ready without waiting.
template <class Result>
bool Ready(const std::future<Result>& result) {
    return result.valid() && result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

}  // namespace quarvex::detail
