#pragma once

#include "toolkit/CColor.h"

// Small bitmaps the toolkit tests load through findBitmapResource, made with cairo at start-up.
enum TestBitmapId : int
{
    kBackgroundId = 1, // 120 x 80, flat kBackgroundColor
    kKnobId,           // 65 frames of 10 x 10; frame i is (i, 100, 200) with key-coloured corners
    kTrackId,          // 10 x 100 fader track, kTrackColor
    kHandleId,         // 10 x 20 fader handle, kHandleColor
    kButtonId,         // 2 frames of 10 x 10: kButtonOffColor, kButtonOnColor
    kLitStripId,       // 4 x 50, row r is (200, r, 0)
    kUnlitStripId,     // 4 x 50, row r is (0, r, 200)
    kCorruptPngId,     // bytes that are not a PNG
};

constexpr int kKnobFrames = 65;
constexpr int kKnobSizePixels = 10;
constexpr int kStripHeightPixels = 50;
constexpr CColor kBackgroundColor{10, 20, 30, 255};
constexpr CColor kKnobKeyColor{232, 225, 207, 255};
constexpr CColor kTrackColor{40, 40, 40, 255};
constexpr CColor kHandleColor{220, 220, 220, 255};
constexpr CColor kButtonOffColor{30, 30, 90, 255};
constexpr CColor kButtonOnColor{120, 200, 255, 255};

// Frames drawScaledBitmapFrame has drawn so far in the process.
int& scaledFramesDrawn();

// The colour of a knob filmstrip frame's centre.
inline CColor knobFrameColor(int frame)
{
    return CColor{static_cast<unsigned char>(frame), 100, 200, 255};
}
