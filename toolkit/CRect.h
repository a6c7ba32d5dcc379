#pragma once

// Integer pixel geometry in frame coordinates: x grows to the right, y downwards.
struct CPoint
{
    constexpr CPoint() = default;
    constexpr CPoint(long x, long y) : x(x), y(y) {}

    CPoint& offset(long dx, long dy)
    {
        x += dx;
        y += dy;
        return *this;
    }
    bool operator==(const CPoint& other) const { return x == other.x && y == other.y; }
    bool operator!=(const CPoint& other) const { return !(*this == other); }

    long x = 0;
    long y = 0;
};

// A rectangle whose right and bottom edges are exclusive, so width = right - left.
struct CRect
{
    constexpr CRect() = default;
    constexpr CRect(long left, long top, long right, long bottom)
        : left(left), top(top), right(right), bottom(bottom)
    {
    }

    long width() const { return right - left; }
    long height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }

    CRect& offset(long dx, long dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    bool pointInside(const CPoint& where) const
    {
        return where.x >= left && where.x < right && where.y >= top && where.y < bottom;
    }
    bool rectOverlap(const CRect& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    // Shrinks this rectangle to its overlap with other (empty when they do not overlap).
    CRect& bound(const CRect& other)
    {
        left = left > other.left ? left : other.left;
        top = top > other.top ? top : other.top;
        right = right < other.right ? right : other.right;
        bottom = bottom < other.bottom ? bottom : other.bottom;
        if (right < left)
            right = left;
        if (bottom < top)
            bottom = top;
        return *this;
    }
    bool operator==(const CRect& other) const
    {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
    bool operator!=(const CRect& other) const { return !(*this == other); }

    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};
