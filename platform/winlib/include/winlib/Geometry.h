// CPoint, CSize and CRect: the class library's value types over POINT, SIZE and RECT.
#pragma once

#include "winlib/WinDef.h"

#include <algorithm>

class CSize;
class CRect;

class CPoint : public POINT
{
public:
    constexpr CPoint() : POINT{0, 0} {}
    constexpr CPoint(int px, int py) : POINT{px, py} {}
    constexpr CPoint(POINT p) : POINT(p) {}
    explicit constexpr CPoint(LPARAM lp) : POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)} {}

    void Offset(int dx, int dy)
    {
        x += dx;
        y += dy;
    }
    void SetPoint(int px, int py)
    {
        x = px;
        y = py;
    }
    constexpr bool operator==(const POINT& o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const POINT& o) const { return !(*this == o); }
    // Same-class overloads, so that C++20's reversed comparisons are not ambiguous.
    constexpr bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const CPoint& o) const { return !(*this == o); }
    constexpr CPoint operator+(const POINT& o) const { return CPoint(x + o.x, y + o.y); }
    constexpr CPoint operator-(const POINT& o) const { return CPoint(x - o.x, y - o.y); }
    constexpr CPoint operator-() const { return CPoint(-x, -y); }
    CPoint& operator+=(const POINT& o)
    {
        x += o.x;
        y += o.y;
        return *this;
    }
    CPoint& operator-=(const POINT& o)
    {
        x -= o.x;
        y -= o.y;
        return *this;
    }
};

class CSize : public SIZE
{
public:
    constexpr CSize() : SIZE{0, 0} {}
    constexpr CSize(int w, int h) : SIZE{w, h} {}
    constexpr CSize(SIZE s) : SIZE(s) {}
    constexpr bool operator==(const SIZE& o) const { return cx == o.cx && cy == o.cy; }
    constexpr bool operator!=(const SIZE& o) const { return !(*this == o); }
    constexpr bool operator==(const CSize& o) const { return cx == o.cx && cy == o.cy; }
    constexpr bool operator!=(const CSize& o) const { return !(*this == o); }
    constexpr CSize operator+(const SIZE& o) const { return CSize(cx + o.cx, cy + o.cy); }
    constexpr CSize operator-(const SIZE& o) const { return CSize(cx - o.cx, cy - o.cy); }
};

class CRect : public RECT
{
public:
    constexpr CRect() : RECT{0, 0, 0, 0} {}
    constexpr CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    constexpr CRect(const RECT& r) : RECT(r) {}
    constexpr CRect(LPCRECT r) : RECT(r ? *r : RECT{0, 0, 0, 0}) {}
    constexpr CRect(POINT topLeft, SIZE size)
        : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy}
    {
    }
    constexpr CRect(POINT topLeft, POINT bottomRight) : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr CSize Size() const { return CSize(Width(), Height()); }
    constexpr CPoint TopLeft() const { return CPoint(left, top); }
    constexpr CPoint BottomRight() const { return CPoint(right, bottom); }
    constexpr CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    constexpr bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    constexpr bool PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    constexpr bool EqualRect(const RECT& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    constexpr bool operator==(const RECT& o) const { return EqualRect(o); }
    constexpr bool operator!=(const RECT& o) const { return !EqualRect(o); }
    constexpr bool operator==(const CRect& o) const { return EqualRect(o); }
    constexpr bool operator!=(const CRect& o) const { return !EqualRect(o); }

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }

    void SetRect(int l, int t, int r, int b)
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    void CopyRect(LPCRECT r) { *static_cast<RECT*>(this) = *r; }
    void OffsetRect(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
    void MoveToX(int x)
    {
        right = x + Width();
        left = x;
    }
    void MoveToY(int y)
    {
        bottom = y + Height();
        top = y;
    }
    void MoveToXY(int x, int y)
    {
        MoveToX(x);
        MoveToY(y);
    }
    void InflateRect(int dx, int dy)
    {
        left -= dx;
        right += dx;
        top -= dy;
        bottom += dy;
    }
    void InflateRect(int l, int t, int r, int b)
    {
        left -= l;
        top -= t;
        right += r;
        bottom += b;
    }
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
    void NormalizeRect()
    {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
    }
    // Both return FALSE and leave an empty rectangle when the result is empty, as on Windows.
    BOOL IntersectRect(LPCRECT a, LPCRECT b)
    {
        SetRect(std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                std::min(a->bottom, b->bottom));
        if (IsRectEmpty())
        {
            SetRectEmpty();
            return FALSE;
        }
        return TRUE;
    }
    BOOL UnionRect(LPCRECT a, LPCRECT b)
    {
        const CRect ra(a), rb(b);
        if (ra.IsRectEmpty())
            *this = rb;
        else if (rb.IsRectEmpty())
            *this = ra;
        else
            SetRect(std::min(ra.left, rb.left), std::min(ra.top, rb.top), std::max(ra.right, rb.right),
                    std::max(ra.bottom, rb.bottom));
        if (IsRectEmpty())
        {
            SetRectEmpty();
            return FALSE;
        }
        return TRUE;
    }
    CRect operator&(const RECT& o) const
    {
        CRect r;
        r.IntersectRect(this, &o);
        return r;
    }
    CRect operator|(const RECT& o) const
    {
        CRect r;
        r.UnionRect(this, &o);
        return r;
    }
    CRect& operator&=(const RECT& o)
    {
        const CRect self(*this);
        IntersectRect(&self, &o);
        return *this;
    }
    CRect& operator|=(const RECT& o)
    {
        const CRect self(*this);
        UnionRect(&self, &o);
        return *this;
    }
    CRect operator+(POINT p) const
    {
        CRect r(*this);
        r.OffsetRect(p);
        return r;
    }
    CRect operator-(POINT p) const
    {
        CRect r(*this);
        r.OffsetRect(-p.x, -p.y);
        return r;
    }
};

inline BOOL PtInRect(const RECT* r, POINT p) { return CRect(*r).PtInRect(p) ? TRUE : FALSE; }
inline BOOL IsRectEmpty(const RECT* r) { return CRect(*r).IsRectEmpty() ? TRUE : FALSE; }
inline BOOL SetRect(LPRECT r, int l, int t, int rr, int b)
{
    *r = RECT{l, t, rr, b};
    return TRUE;
}
inline BOOL OffsetRect(LPRECT r, int dx, int dy)
{
    CRect c(*r);
    c.OffsetRect(dx, dy);
    *r = c;
    return TRUE;
}
inline BOOL InflateRect(LPRECT r, int dx, int dy)
{
    CRect c(*r);
    c.InflateRect(dx, dy);
    *r = c;
    return TRUE;
}
inline BOOL IntersectRect(LPRECT out, const RECT* a, const RECT* b)
{
    CRect c;
    const BOOL result = c.IntersectRect(a, b);
    *out = c;
    return result;
}
inline BOOL UnionRect(LPRECT out, const RECT* a, const RECT* b)
{
    CRect c;
    const BOOL result = c.UnionRect(a, b);
    *out = c;
    return result;
}
inline BOOL CopyRect(LPRECT out, const RECT* in)
{
    *out = *in;
    return TRUE;
}
