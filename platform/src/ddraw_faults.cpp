#include "ddraw_faults.h"

#include <array>
#include <mutex>

#include "winerror.h"

namespace {

struct Pending {
    int count = 0;
    HRESULT result = S_OK;
};

std::mutex guard;
std::array<Pending, 5> pending;

}  // namespace

namespace layer {

HRESULT TakeFault(seam::FaultCall call) {
    std::lock_guard<std::mutex> lock(guard);
    Pending& slot = pending[static_cast<std::size_t>(call)];
    if (slot.count <= 0) return S_OK;
    --slot.count;
    return slot.result;
}

}  // namespace layer

namespace seam {

void FailNextCalls(FaultCall call, int count, HRESULT result) {
    std::lock_guard<std::mutex> lock(guard);
    pending[static_cast<std::size_t>(call)] = Pending{count, result};
}

void ClearFaults() {
    std::lock_guard<std::mutex> lock(guard);
    pending.fill(Pending{});
}

}  // namespace seam
