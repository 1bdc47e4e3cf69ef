#include "silent_output.h"

namespace layer::audio {

void SilentOutput::Start(int outputRate, int framesPerPeriod, Pass renderDue) {
    Stop();
    pass = std::move(renderDue);
    rate = outputRate;
    periodFrames = framesPerPeriod;
    start = Clock::now();
    stopping = poked = passing = false;
    planned = kNever;
    thread = std::thread([this] { Run(); });
}

void SilentOutput::Stop() {
    if (!thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(guard);
        stopping = true;
    }
    wake.notify_all();
    thread.join();
}

// Whole microseconds from the start, so rounding never accumulates: a
// period is due no later than its exact time.
SilentOutput::Clock::time_point SilentOutput::TimeOf(std::uint64_t index) const {
    return start + std::chrono::microseconds(index * static_cast<std::uint64_t>(periodFrames) * 1000000ull /
                                             static_cast<std::uint64_t>(rate));
}

void SilentOutput::WakeBy(Clock::time_point time) {
    std::lock_guard<std::mutex> lock(guard);
    // A pass under way may have planned from what was there before.
    if (!passing && time >= planned) return;
    poked = true;
    wake.notify_one();
}

void SilentOutput::Run() {
    std::unique_lock<std::mutex> lock(guard);
    const auto woken = [this] { return stopping || poked; };
    while (!stopping) {
        passing = true;
        poked = false;
        lock.unlock();
        const Clock::time_point next = pass();
        lock.lock();
        passing = false;
        if (poked) continue;
        planned = next;
        if (next == kNever) wake.wait(lock, woken);
        else wake.wait_until(lock, next, woken);
        planned = kNever;
    }
}

}  // namespace layer::audio
