// Test seam: DirectSound without an audio device. After UseManualAudio, a
// DirectSoundCreate opens no device and starts no thread; the mixer then runs
// only when RenderAudio asks it to, and what it renders counts as played at
// once, so positions, notification events and wraps can be checked frame by
// frame. Tests and benchmarks only.
#pragma once

namespace seam {

// Output format of the hand-driven mixer (16-bit, 1 or 2 channels); a rate
// of 0 goes back to the default audio device. Takes effect at the next
// DirectSoundCreate that opens the mixer (none may be open).
void UseManualAudio(int rate, int channels);

// Mixes `frames` frames (interleaved 16-bit samples, the manual channel
// count) into `out`, as if the device had just played them: play positions
// move on and every notification that is due is set before it returns.
void RenderAudio(short* out, int frames);

// What the mixer does when the application gains (true) or loses (false)
// the foreground.
void SetAudioActive(bool active);

// While refused, DirectSoundCreate fails with DSERR_NODRIVER, as it would on
// a system without DirectSound; otherwise a missing audio device only turns
// the sound off.
void RefuseDirectSound(bool refuse);

}  // namespace seam
