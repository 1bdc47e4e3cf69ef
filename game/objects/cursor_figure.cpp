#include "objects/cursor_figure.h"

#include "shell/resource_ids.h"

IDirectDrawSurface7* CursorFigure::sheet = nullptr;

// The hot-spot sits low in the head, where a dropped drink should land.
CursorFigure::CursorFigure(int x, int y) : Sprite(x, y, 50, 80, nullptr, sheet) {}

bool CursorFigure::LoadAssets() { return LoadKeyedSheet(&sheet, res::kCursorFigureBitmap); }

void CursorFigure::Move(int dx, int dy) {
    x += dx;
    y += dy;
    if (x > 749) {
        x = 749;
    }
    if (x < 51) {
        x = 51;
    }
    if (y > 550) {
        y = 550;
    }
    if (y < 81) {
        y = 81;
    }
}
