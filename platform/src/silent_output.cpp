#include "silent_output.h"

#include <chrono>

namespace layer::audio {

void SilentOutput::Start(int rate, int channels, int periodFrames, Render renderer) {
    Stop();
    render = std::move(renderer);
    stopping = false;
    thread = std::thread([this, rate, channels, periodFrames] { Run(rate, channels, periodFrames); });
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

void SilentOutput::Run(int rate, int channels, int periodFrames) {
    using Clock = std::chrono::steady_clock;
    std::vector<std::int16_t> scratch(static_cast<std::size_t>(periodFrames * channels));
    // Deadlines count whole periods from the start, so a late wake-up is
    // made up by the next one rather than slowing the output down for good.
    auto start = Clock::now();
    std::uint64_t periods = 0;
    std::unique_lock<std::mutex> lock(guard);
    while (!stopping) {
        lock.unlock();
        render(scratch.data(), periodFrames);
        lock.lock();
        ++periods;
        auto due = start + std::chrono::microseconds(periods * periodFrames * 1000000ull / static_cast<unsigned>(rate));
        // After a long stall (a suspended machine) start counting afresh
        // instead of rushing through the missed periods at once.
        if (Clock::now() - due > std::chrono::milliseconds(250)) {
            start = Clock::now();
            periods = 0;
            due = start;
        }
        wake.wait_until(lock, due, [this] { return stopping; });
    }
}

}  // namespace layer::audio
