// Test seam: mouse input delivered straight to the DirectInput mouse devices,
// as the window system's relative motion and button events would arrive,
// without a window or an event pump. Tests only; the system code never
// includes this.
#pragma once

namespace seam {

// Relative motion in mickeys.
void InjectMouseMotion(int dx, int dy);
// Button 0 left, 1 right, 2 middle, 3 the first side button.
void InjectMouseButton(int button, bool down);
// Wheel motion in notches (one notch is 120 units of the Z axis).
void InjectMouseWheel(int notches);

}  // namespace seam
