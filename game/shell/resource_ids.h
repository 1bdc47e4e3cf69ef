// The executable's resources by id. The resource script uses the same numbers.
#pragma once

namespace res {

constexpr int kTitleString = 1;
constexpr int kIcon = 101;

constexpr int kStarfieldBitmap = 109;
constexpr int kWandererBitmap = 110;
constexpr int kDrinkBitmap = 111;
constexpr int kSpectreBitmap = 113;
constexpr int kCursorFigureBitmap = 115;
constexpr int kStatusBarBitmap = 121;
constexpr int kTitleBitmap = 125;
constexpr int kRoundCaptionBitmap = 130;
constexpr int kDigitFontBitmap = 131;
constexpr int kBoxBitmap = 133;
constexpr int kLetterFontBitmap = 134;
constexpr int kGameOverBitmap = 135;
constexpr int kInstructionsBitmap = 151;

constexpr int kSwearWave1 = 140;
constexpr int kFallAsleepWave = 141;
constexpr int kTakeDrinkWave = 142;
constexpr int kSwearWave2 = 143;
constexpr int kSwearWave3 = 144;
constexpr int kSwearWave4 = 145;
constexpr int kRageWave = 146;
constexpr int kEatBoxWave = 147;
constexpr int kSpectreTouchWave = 148;
constexpr int kInterludeWave = 149;
constexpr int kSpectreAppearWave = 150;

}  // namespace res
