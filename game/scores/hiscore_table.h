// The ten best scores with their names, kept in "hiscores.zk", and the title
// screen they scroll on: the title picture in a surface of its own, with the
// rows climbing through its framed box.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <memory>

#include "objects/sprite.h"
#include "scores/digit_counter.h"
#include "scores/hiscore_file.h"
#include "scores/text_line.h"

class HiscoreTable : public Sprite {
public:
    static constexpr int kEntries = hiscore::kEntries;

    // The title picture with every row reading "no hiscores loaded", score 0.
    HiscoreTable();
    ~HiscoreTable();
    HiscoreTable(const HiscoreTable&) = delete;
    HiscoreTable& operator=(const HiscoreTable&) = delete;

    // Reads the table and redraws every row. False when the file cannot be
    // opened or read; the table then stays as it was.
    bool LoadFromFile(const char* fileName);

    // Places the entry if the score earns a place, replaces the file with the
    // new table and reads it back. True when the file now holds the entry;
    // false when the score earns no place (nothing is touched) or the file
    // could not be written (it stays as it was, and so does the table).
    bool AddEntry(const char* name, int score, const char* fileName);

    // Moves every row up one pixel, wrapping at the top, and redraws the box.
    void ScrollStep();

    // The score a new one has to beat to earn a place.
    int TenthScore() const { return records.scores[kEntries - 1]; }

    const char* Name(int entry) const { return records.names[entry]; }
    int Score(int entry) const { return records.scores[entry]; }
    const TextLine& Line(int entry) const { return *lines[entry]; }
    const DigitCounter& Counter(int entry) const { return *counters[entry]; }

    // Loads the title picture (no colour key).
    static bool LoadAssets();

    static IDirectDrawSurface7* picture;

    IDirectDrawClipper* clipper;

private:
    std::unique_ptr<TextLine> lines[kEntries];
    std::unique_ptr<DigitCounter> counters[kEntries];
    hiscore::Records records;
};
