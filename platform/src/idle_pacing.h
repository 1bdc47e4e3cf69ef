// How long an empty message queue lets the program's idle loop sleep. A game
// polls PeekMessageA and draws from its idle handler when enough ticks have
// passed; the layer learns that cadence from the frames it shows and sleeps
// until the tick the next frame is due, then wakes on every tick until it
// comes. Input, posted messages and kernel events wake the loop at once
// whatever this says.
#pragma once

#include <chrono>

namespace layer {

using IdleClock = std::chrono::steady_clock;

// An empty PeekMessageA returns: the program's idle pass reads the tick
// counter now, and any frame it draws goes by that tick.
void NoteIdlePass();
// The present calls this with every frame shown.
void NoteFrameShown();
// A message was taken from the queue: the program may have changed what it
// draws, so its next idle pass runs at once.
void NoteMessageTaken();
// The time an empty PeekMessageA may sleep until; `now` when it must not
// sleep at all.
IdleClock::time_point IdleWakeTime(IdleClock::time_point now);

}  // namespace layer
