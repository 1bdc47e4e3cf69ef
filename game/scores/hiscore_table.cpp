#include "scores/hiscore_table.h"

#include <vector>

#include "scores/own_surface.h"
#include "shell/globals.h"
#include "shell/resource_ids.h"
#include "surface_helpers.h"

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr RECT kScrollBox = {50, 400, 750, 500};
constexpr int kRowPitch = 55;
constexpr int kLineX = 50;
constexpr int kLineWidth = 530;
constexpr int kCounterX = 600;
constexpr int kCounterDrop = 4;  // counters sit this far below their names
constexpr int kCounterDigits = 5;
constexpr int kWrapY = 550;

// A clipper whose clip list is the scroll box, or null.
IDirectDrawClipper* MakeScrollBoxClipper() {
    if (directDraw == nullptr) return nullptr;
    HRGN region = CreateRectRgnIndirect(&kScrollBox);
    if (region == nullptr) return nullptr;
    IDirectDrawClipper* clipper = nullptr;
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size >= sizeof(RGNDATAHEADER)) {
        std::vector<unsigned char> buffer(size);
        RGNDATA* data = reinterpret_cast<RGNDATA*>(buffer.data());
        if (GetRegionData(region, size, data) != 0 && directDraw->CreateClipper(0, &clipper, nullptr) == DD_OK &&
            clipper != nullptr && clipper->SetClipList(data, 0) != DD_OK) {
            clipper->Release();
            clipper = nullptr;
        }
    }
    DeleteObject(region);
    return clipper;
}

}  // namespace

IDirectDrawSurface7* HiscoreTable::picture = nullptr;

HiscoreTable::HiscoreTable() : Sprite(0, 0, 0, 0, nullptr, nullptr), clipper(nullptr), records(hiscore::EmptyRecords()) {
    surface = scores::MakeOwnSurface(kScreenWidth, kScreenHeight);
    clipper = MakeScrollBoxClipper();
    if (surface != nullptr) {
        // The whole picture goes in before the clipper confines every later blit.
        if (picture != nullptr) surface->BltFast(0, 0, picture, nullptr, DDBLTFAST_NOCOLORKEY);
        SetSrcColourKey(surface, 0, 0);
        if (clipper != nullptr) surface->SetClipper(clipper);
    }
    for (int i = 0; i < kEntries; ++i) {
        lines[i] = std::make_unique<TextLine>(kLineX, kScrollBox.top + kRowPitch * i, kLineWidth);
        lines[i]->SetText("no hiscores loaded");
        counters[i] =
            std::make_unique<DigitCounter>(kCounterX, kScrollBox.top + kCounterDrop + kRowPitch * i, kCounterDigits, 0);
    }
}

HiscoreTable::~HiscoreTable() {
    if (surface != nullptr && clipper != nullptr) surface->SetClipper(nullptr);
    if (clipper != nullptr) clipper->Release();
    clipper = nullptr;
    scores::ReleaseOwnSurface(surface);
}

bool HiscoreTable::LoadFromFile(const char* fileName) {
    if (!hiscore::ReadFile(fileName, records)) return false;
    for (int i = 0; i < kEntries; ++i) {
        lines[i]->SetText(records.names[i]);
        counters[i]->SetValue(records.scores[i]);
    }
    return true;
}

bool HiscoreTable::AddEntry(const char* name, int score, const char* fileName) {
    hiscore::Records placed = records;
    if (hiscore::Insert(placed, name, score) < 0) return false;
    const bool written = hiscore::WriteFile(fileName, placed);
    // Either way the rows show what the file holds now.
    LoadFromFile(fileName);
    return written;
}

void HiscoreTable::ScrollStep() {
    // Without the clipper the rows would land outside the box, so they only move.
    const bool drawing = surface != nullptr && clipper != nullptr;
    if (drawing && picture != nullptr) surface->Blt(nullptr, picture, nullptr, 0, nullptr);
    for (int i = 0; i < kEntries; ++i) {
        TextLine& line = *lines[i];
        DigitCounter& counter = *counters[i];
        if (--line.y < 0) line.y = kWrapY;
        if (--counter.y < 0) counter.y = kWrapY;
        if (!drawing) continue;
        if (line.surface != nullptr) line.DrawSized(surface, true);
        if (counter.surface != nullptr) counter.DrawSized(surface, true);
    }
}

bool HiscoreTable::LoadAssets() { return LoadBitmapToSurface(directDraw, &picture, res::kTitleBitmap) != 0; }
