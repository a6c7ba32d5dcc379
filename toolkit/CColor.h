#pragma once

// An 8-bit RGB colour; alpha 255 is opaque. The editor's colours give only red, green and blue.
struct CColor
{
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    unsigned char alpha = 255;

    bool sameRgb(const CColor& other) const
    {
        return red == other.red && green == other.green && blue == other.blue;
    }
    bool operator==(const CColor& other) const { return sameRgb(other) && alpha == other.alpha; }
    bool operator!=(const CColor& other) const { return !(*this == other); }
};

constexpr CColor kBlackCColor{0, 0, 0, 255};
constexpr CColor kWhiteCColor{255, 255, 255, 255};
constexpr CColor kGreyCColor{127, 127, 127, 255};
