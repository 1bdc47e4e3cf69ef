// Test seam: lets an empty PeekMessageA sleep under the dummy video driver as
// it does on a real display (until the program's next frame is due, or until
// input, a posted message or a kernel event wakes it). Without this, it waits
// at most a millisecond there. Tests only; the system code never includes this.
#pragma once

namespace seam {
void SleepWhenIdle(bool on);
}
