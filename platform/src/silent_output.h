// An audio output that plays nothing at a real device's pace: used when no
// audio device opens, so DirectSound still moves its play positions, sets its
// notification events and drains streams as fast as a listener would hear
// them. A thread of its own asks for one period of frames at each period's
// deadline, as a device's callback thread does.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace layer::audio {

class SilentOutput {
public:
    // Receives `frames` frames of interleaved 16-bit samples to fill.
    using Render = std::function<void(std::int16_t* out, int frames)>;

    SilentOutput() = default;
    SilentOutput(const SilentOutput&) = delete;
    SilentOutput& operator=(const SilentOutput&) = delete;
    ~SilentOutput() { Stop(); }

    void Start(int rate, int channels, int periodFrames, Render render);
    // Returns once the thread has finished its last period.
    void Stop();

private:
    void Run(int rate, int channels, int periodFrames);

    Render render;
    std::thread thread;
    std::mutex guard;
    std::condition_variable wake;
    bool stopping = false;
};

}  // namespace layer::audio
