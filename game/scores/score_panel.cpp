#include "scores/score_panel.h"

#include "scores/digit_counter.h"
#include "scores/own_surface.h"
#include "shell/globals.h"
#include "shell/resource_ids.h"
#include "surface_helpers.h"

namespace {

constexpr int kPanelWidth = 800;
constexpr int kPanelHeight = 35;

struct Field {
    int x;
    int digits;
};
constexpr Field kRoundField = {155, 2};
constexpr Field kScoreField = {390, 5};
constexpr Field kDrinksField = {725, 2};

}  // namespace

IDirectDrawSurface7* ScorePanel::picture = nullptr;

ScorePanel::ScorePanel(int x, int y) : Sprite(x, y, 0, 0, nullptr, nullptr) {
    surface = scores::MakeOwnSurface(kPanelWidth, kPanelHeight);
    if (surface != nullptr && picture != nullptr) surface->BltFast(0, 0, picture, nullptr, DDBLTFAST_NOCOLORKEY);
    SetValues(0, 0, 0);
    if (surface != nullptr) SetSrcColourKey(surface, 0, 0);
}

ScorePanel::~ScorePanel() { scores::ReleaseOwnSurface(surface); }

void ScorePanel::SetValues(int round, int score, int drinks) {
    const struct {
        const Field& field;
        int value;
    } fields[] = {{kRoundField, round}, {kScoreField, score}, {kDrinksField, drinks}};
    for (const auto& f : fields) {
        if (f.value == -1) continue;
        // Drawn without the key, the counter's ground replaces the old digits.
        DigitCounter counter(f.field.x, 0, f.field.digits, f.value);
        if (surface != nullptr && counter.surface != nullptr) counter.Draw(surface, false);
    }
}

bool ScorePanel::LoadAssets() { return LoadBitmapToSurface(directDraw, &picture, res::kStatusBarBitmap) != 0; }
