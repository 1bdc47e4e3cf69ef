// The game's one source of chance. Every run starts the same sequence, and
// every object draws from it in a fixed order, so a run replays draw for draw.
#pragma once

#include <cstdint>

// The next raw value of the sequence, 0 to 32767.
int GameRandom();

// The next value scaled to k: for a whole k > 0 a number from 0 to k - 1.
int RandomScaled(int k);

// Puts the sequence back at a given state (1 is where every run begins).
// The game itself never calls this; it lets a test replay a run from its start.
void SetGameRandomState(std::uint32_t state);
