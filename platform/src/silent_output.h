// An audio output that plays nothing, used when there is no device to hear
// (none opens, or SDL's driver is "dummy"). It keeps a device's clock: period
// k of its frames is due k periods after it starts, so DirectSound's play
// positions, notification events and stream refills move as they would with
// a device. Nobody hears it, so nothing needs rendering ahead of time: the
// mixer renders the periods that have come due whenever the program asks it
// anything, and this thread wakes only when an event falls due.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace layer::audio {

class SilentOutput {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::time_point kNever = Clock::time_point::max();
    // Renders the periods that have come due, sets the events they bring
    // and returns when it must run again (kNever when nothing is coming).
    using Pass = std::function<Clock::time_point()>;

    SilentOutput() = default;
    SilentOutput(const SilentOutput&) = delete;
    SilentOutput& operator=(const SilentOutput&) = delete;
    ~SilentOutput() { Stop(); }

    void Start(int rate, int periodFrames, Pass pass);
    // Returns once the thread has finished its last pass.
    void Stop();

    // When period `index` is due; period 0 is due at Start.
    Clock::time_point TimeOf(std::uint64_t index) const;
    // Makes the thread run a pass by `time` if it would sleep past it: the
    // program has changed what comes next.
    void WakeBy(Clock::time_point time);

private:
    void Run();

    Pass pass;
    Clock::time_point start;
    int rate = 1;
    int periodFrames = 0;

    std::thread thread;
    std::mutex guard;
    std::condition_variable wake;
    bool stopping = false;
    bool passing = false;
    bool poked = false;
    Clock::time_point planned = kNever;
};

}  // namespace layer::audio
