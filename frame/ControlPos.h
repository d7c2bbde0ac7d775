// Anchoring of a parent window's controls: when the parent's client area changes size, each listed
// control moves and stretches by that change as its flags say. While the parent is smaller than its
// minimum size the controls stay where they were at the minimum, unless shrinking below it is allowed.
#pragma once

#include "winlib/Wnd.h"

#include <vector>

constexpr DWORD ANCHOR_MOVE_X = 1; // left and right edge move with the width
constexpr DWORD ANCHOR_MOVE_Y = 2; // top and bottom edge move with the height
constexpr DWORD ANCHOR_SIZE_X = 4; // the right edge moves with the width
constexpr DWORD ANCHOR_SIZE_Y = 8; // the bottom edge moves with the height

class CControlPos
{
public:
    explicit CControlPos(CWnd* parent = nullptr);
    virtual ~CControlPos();
    CControlPos(const CControlPos&) = delete;
    CControlPos& operator=(const CControlPos&) = delete;

    // Watches this parent; its client size now is both the minimum and the last size.
    void AttachParent(CWnd* parent);
    void SetReferenceParentSize(int width, int height);
    void AllowShrinkBelowMinimum(BOOL allow) { m_bShrinkBelowMinimum = allow; }
    BOOL GetAllowShrinkBelowMinimum() const { return m_bShrinkBelowMinimum; }

    // FALSE without a parent or without a control.
    BOOL AddControl(CWnd* control, DWORD flags);
    BOOL AddControl(UINT controlId, DWORD flags);
    BOOL RemoveControl(CWnd* control);
    BOOL RemoveControl(UINT controlId);
    void RemoveAllControls();

    // The owner calls this from its WM_SIZE handling, after the base class.
    virtual void RepositionControls();
    virtual void RememberParentSize();

private:
    struct sControlEntry
    {
        HWND m_hWnd;
        DWORD m_dwFlags;
    };

    BOOL RemoveHandle(HWND control);

    CWnd* m_pParent = nullptr;
    int m_nLastParentWidth = 0;
    int m_nLastParentHeight = 0;
    int m_nMinParentWidth = 0;
    int m_nMinParentHeight = 0;
    BOOL m_bShrinkBelowMinimum = FALSE;
    std::vector<sControlEntry*> m_arrControls; // owned, in order of adding
};
