// The game's characters and props, drawn in their own units so that the same
// drawing serves a sprite frame, the title picture and the icon.
#pragma once

#include <memory>

#include "canvas.h"

namespace art {

// Shared look.
constexpr Rgb kInk = Hex(0x3A2030);  // outlines: dark plum, never near-black
constexpr float kLine = 1.8f;        // outline width in sprite pixels

// The Wanderer's face in a 100 x 100 frame, centred on (47, 61).
// level 0 (calm) .. 4 (furious); talking opens the mouth.
void DrawWanderer(Canvas& c, const Place& at, int level, bool talking);

// The Box in its own 80 x 92 frame. `lidLift` raises the lid (in pixels) and
// `lidTilt` turns it (radians) about its left end.
void DrawBox(Canvas& c, const Place& at, float lidLift = 0, float lidTilt = 0);
// The lid alone, its centre at (cx, cy) of the box's units, turned by `tilt`.
void DrawLid(Canvas& c, const Place& at, float cx, float cy, float tilt);
// The box eaten down to `stage` (1..7) with the Wanderer inside, in a Wanderer frame.
void DrawEatenBox(Canvas& c, const Place& frame, int stage);
// Sleep marks for the closed box, phase 0 or 1, in a Wanderer frame.
void DrawSleepMarks(Canvas& c, const Place& frame, int phase);

// The CursorFigure's head in a 100 x 100 frame; the chin is at (50, 80).
void DrawCursorFigure(Canvas& c, const Place& at);

// The drinks in the 90 x 100 picture's units.
void DrawBottle(Canvas& c, const Place& at);
void DrawTumbler(Canvas& c, const Place& at);
void DrawPint(Canvas& c, const Place& at);

// The Spectre whole, centred on (50, 50) of a 100 x 100 frame.
void DrawSpectre(Canvas& c, const Place& at);
// A four-pointed sparkle.
void DrawSparkle(Canvas& c, const Place& at, float cx, float cy, float size, float turn = 0);
// The Wanderer's face filling a size x size picture, drawn `supersample` times
// as large with the given outline level and averaged down, so that small
// pictures keep their features.
std::unique_ptr<Canvas> WandererFace(int size, int supersample, int outline);

}  // namespace art
