// Work done on a thread of its own while frames go on being drawn.
#pragma once

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <utility>

namespace quarvex::detail {

enum class Urgency {
    // Only in time no other thread of the machine wants: for work whose result merely looks a
    // little better, which may wait indefinitely on a busy machine.
    Idle,
    // At the lowest priority, yet never starved for good: for work the renderer will wait for
    // if it is not done in time.
    Low,
};

template <class Work>
auto InBackground(Urgency urgency, Work work) {
    return std::async(std::launch::async, [urgency, work = std::move(work)]() mutable {
        // For this thread only; a failure leaves it at normal priority.
        if (urgency == Urgency::Idle) {
            const sched_param idle{};
            pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);
        } else {
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
        }
        return work();
    });
}

// Whether the work's result is ready without waiting.
template <class Result>
bool Ready(const std::future<Result>& result) {
    return result.valid() && result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

}  // namespace quarvex::detail
