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
constexpr ArtColour displayBlack{9, 10, 11};
constexpr ArtColour meterWell{7, 8, 9};
constexpr ArtColour meterWindow{21, 23, 26};
constexpr ArtColour panelBase{33, 36, 41};
constexpr ArtColour plate{42, 46, 52};
constexpr ArtColour plateEdgeLight{62, 67, 74};
constexpr ArtColour plateEdgeDark{22, 24, 27};

// Type.
constexpr ArtColour caption{204, 208, 214};
constexpr ArtColour scale{138, 145, 153};
constexpr ArtColour heading{104, 186, 212};
constexpr ArtColour legendAboveReference{214, 168, 84};
constexpr ArtColour legendReference{226, 230, 235};
constexpr ArtColour tick{96, 102, 110};
constexpr ArtColour displayTitle{120, 196, 222};
// The editor's own text views draw in these.
constexpr ArtColour displayText{160, 160, 160};
constexpr ArtColour displayDark{72, 72, 72};

// Knobs; the key colour marks the corners the toolkit leaves out.
constexpr ArtColour knobKey{232, 225, 207};
constexpr ArtColour knobArc{38, 200, 236};
constexpr ArtColour knobGroove{19, 21, 24};
constexpr ArtColour knobCapLight{92, 98, 106};
constexpr ArtColour knobCapDark{46, 50, 56};
constexpr ArtColour knobRim{14, 15, 17};
constexpr ArtColour knobPointer{228, 231, 235};

// Meter strips.
constexpr ArtColour meterUnlit{46, 49, 54};
constexpr ArtColour meterGreen{64, 196, 92};
constexpr ArtColour meterYellow{228, 208, 62};
constexpr ArtColour meterOrange{240, 138, 40};
constexpr ArtColour meterRed{226, 52, 46};

// Faders and buttons.
constexpr ArtColour faderSlot{5, 6, 7};
constexpr ArtColour handleLight{214, 217, 221};
constexpr ArtColour handleDark{150, 154, 160};
constexpr ArtColour handleLine{28, 30, 33};
constexpr ArtColour buttonFaceLight{74, 79, 87};
constexpr ArtColour buttonFaceDark{50, 54, 60};
constexpr ArtColour lampDark{34, 44, 54};
constexpr ArtColour lampLit{132, 206, 255};
} // namespace palette
