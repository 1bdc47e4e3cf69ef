#include "injected_faults.h"

#include <array>
#include <atomic>
#include <mutex>

#include "journal_session.h"
#include "seam_hooks.h"
#include "winerror.h"

namespace {

struct Pending {
    int count = 0;
    HRESULT result = S_OK;
};

std::mutex guard;
std::array<Pending, 5> pending;
// Whether any failure is pending: what every blit and flip reads, so that
// with none armed they pay one relaxed load and never the lock.
std::atomic<bool> armed{false};

// Under the guard.
void Rearm() {
    bool any = false;
    for (const Pending& slot : pending) any = any || slot.count > 0;
    armed.store(any, std::memory_order_release);
}

}  // namespace

namespace layer {

namespace {

HRESULT TakeFaultLive(seam::FaultCall call) {
    if (!armed.load(std::memory_order_acquire)) return S_OK;
    std::lock_guard<std::mutex> lock(guard);
    Pending& slot = pending[static_cast<std::size_t>(call)];
    if (slot.count <= 0) return S_OK;
    const HRESULT result = slot.result;
    if (--slot.count == 0) Rearm();
    return result;
}

}  // namespace

// A surface's lost or busy state is the outside world's doing, so a journal
// keeps what each blit and flip found; the mouse's calls keep theirs whole.
HRESULT TakeFault(seam::FaultCall call) {
    const bool surfaceCall =
        call == seam::FaultCall::Blt || call == seam::FaultCall::BltFast || call == seam::FaultCall::Flip;
    if (!surfaceCall) return TakeFaultLive(call);
    return JournaledResult(journal::Call::SurfaceResult, {static_cast<std::int64_t>(call)},
                           [call] { return TakeFaultLive(call); });
}

}  // namespace layer

namespace layer::testing {

void FailNextCalls(seam::FaultCall call, int count, HRESULT result) {
    std::lock_guard<std::mutex> lock(guard);
    pending[static_cast<std::size_t>(call)] = Pending{count, result};
    Rearm();
}

void ClearFaults() {
    std::lock_guard<std::mutex> lock(guard);
    pending.fill(Pending{});
    Rearm();
}

}  // namespace layer::testing
