// The layer's side of a replay journal. While recording, every answer the
// layer gives the program that depends on time or the outside world is
// written down in call order; while replaying, those answers come from the
// journal instead, and the program must ask the same questions in the same
// order. The program learns of neither: it sees the Windows API as always.
//
// Which mode, and which file, the entry says through the environment
// (WINLAYER_RECORD or WINLAYER_REPLAY, with the journal's header already
// written or checked by it). Only the thread that makes the first journaled
// call is journaled; the program has no other.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>

#include "journal_format.h"
#include "winuser.h"

namespace layer {

enum class JournalMode { Off, Recording, Replaying };

// The mode for calls made on this thread.
JournalMode JournalModeHere();
inline bool Journaling() { return JournalModeHere() != JournalMode::Off; }
inline bool ReplayingHere() { return JournalModeHere() == JournalMode::Replaying; }
// Replaying on any thread: the pump and the devices leave the outside world alone.
bool ReplayingAnywhere();

// One question of the program. Recording: `live` answers it from the outside
// world and the answer is written. Replaying: the journal answers, after the
// question was checked against the one recorded; a different question ends
// the process with exit code 3. `live` fills record.answer and record.data.
journal::Record JournalExchange(journal::Call call, std::initializer_list<std::int64_t> question,
                                const std::function<void(journal::Record&)>& live);

// A question whose whole answer is the call's result.
template <class Live>
auto JournaledResult(journal::Call call, std::initializer_list<std::int64_t> question, Live live)
    -> decltype(live()) {
    if (!Journaling()) return live();
    return static_cast<decltype(live())>(
        JournalExchange(call, question, [&live](journal::Record& r) { r.answer = {static_cast<std::int64_t>(live())}; })
            .answer[0]);
}

// Every message the layer sends a window procedure goes through here. One
// sent while the pump delivers the outside world's events (and not from
// inside another such message) is written down while recording; a replay
// delivers those from the journal when it reaches them.
LRESULT CallWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, WNDPROC proc);

// Held by the pump while it delivers the outside world's events.
class OutsideWorldScope {
public:
    OutsideWorldScope();
    ~OutsideWorldScope();
    OutsideWorldScope(const OutsideWorldScope&) = delete;
    OutsideWorldScope& operator=(const OutsideWorldScope&) = delete;
};

// The replay was asked to stop (Escape or the window's close button).
[[noreturn]] void StopReplayByPlayer();

// The tick last answered to the program, for naming frames.
DWORD LastJournalTick();

// Writes out what is held back; recording calls it once a frame.
void FlushJournal();

}  // namespace layer
