#pragma once

// The editor's colours, shared by the art generator (which paints the bitmaps) and the editor
// (which draws its text views over them).

// An opaque colour in 8-bit channels, the unit designers and the toolkit both speak.
struct ArtColour
{
    int red;
    int green;
    int blue;
};

// Linear mix: 0 gives a, 1 gives b.
inline ArtColour mixColour(ArtColour a, ArtColour b, double amount)
{
    auto mix = [amount](int from, int to) { return int(from + (to - from) * amount + 0.5); };
    return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue)};
}

namespace palette
{
// Surfaces, darkest first. Bitmaps drawn opaque over the panel use these same values so their
// edges disappear into it.
constexpr ArtColour kDisplayBlack{9, 10, 11};
constexpr ArtColour kMeterWell{7, 8, 9};
constexpr ArtColour kMeterWindow{21, 23, 26};
constexpr ArtColour kPanelBase{33, 36, 41};
constexpr ArtColour kPlate{42, 46, 52};
constexpr ArtColour kPlateEdgeLight{62, 67, 74};
constexpr ArtColour kPlateEdgeDark{22, 24, 27};

// Type.
constexpr ArtColour kCaption{204, 208, 214};
constexpr ArtColour kScale{138, 145, 153};
constexpr ArtColour kHeading{104, 186, 212};
constexpr ArtColour kLegendAboveReference{214, 168, 84};
constexpr ArtColour kLegendReference{226, 230, 235};
constexpr ArtColour kTick{96, 102, 110};
constexpr ArtColour kDisplayTitle{120, 196, 222};
// The editor's own text views draw in these.
constexpr ArtColour kDisplayText{160, 160, 160};
constexpr ArtColour kDisplayDark{72, 72, 72};

// Knobs; the key colour marks the corners the toolkit leaves out.
constexpr ArtColour kNobKey{232, 225, 207};
constexpr ArtColour kNobArc{38, 200, 236};
constexpr ArtColour kNobGroove{19, 21, 24};
constexpr ArtColour kNobCapLight{92, 98, 106};
constexpr ArtColour kNobCapDark{46, 50, 56};
constexpr ArtColour kNobRim{14, 15, 17};
constexpr ArtColour kNobPointer{228, 231, 235};

// Meter strips.
constexpr ArtColour kMeterUnlit{46, 49, 54};
constexpr ArtColour kMeterGreen{64, 196, 92};
constexpr ArtColour kMeterYellow{228, 208, 62};
constexpr ArtColour kMeterOrange{240, 138, 40};
constexpr ArtColour kMeterRed{226, 52, 46};

// Faders and buttons.
constexpr ArtColour kFaderSlot{5, 6, 7};
constexpr ArtColour kHandleLight{214, 217, 221};
constexpr ArtColour kHandleDark{150, 154, 160};
constexpr ArtColour kHandleLine{28, 30, 33};
constexpr ArtColour kButtonFaceLight{74, 79, 87};
constexpr ArtColour kButtonFaceDark{50, 54, 60};
constexpr ArtColour kLampDark{34, 44, 54};
constexpr ArtColour kLampLit{132, 206, 255};
} // namespace palette
