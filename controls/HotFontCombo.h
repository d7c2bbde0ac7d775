// The face list of the font dialog: an owner-drawn drop-down list of every installed font family,
// each shown in its own face, with a flat border that turns three-dimensional while the mouse is
// over it or it has the focus.
#pragma once

#include "winlib/ListBox.h"

#include <string>

class CHotFontCombo : public CComboBox
{
    DECLARE_DYNAMIC(CHotFontCombo)
public:
    CHotFontCombo();
    ~CHotFontCombo() override;

    // Lists the installed families and selects the current face when it is one of them.
    void FillFonts();
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;

    // The face chosen last, or the one set before filling.
    std::string m_strFontName;

    // Whether the border was last drawn raised.
    bool IsDrawnHot() const { return m_bDrawnHot; }
    static constexpr UINT_PTR kHoverTimer = 1;
    static constexpr UINT kHoverPeriod = 10; // ms

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void ReadSystemColors();
    void DrawBorder(bool hot);
    void GotFocus();
    void LostFocus();
    void MouseOver();
    void HoverTick();

    COLORREF m_clrHilite = 0;
    COLORREF m_clrLight = 0;
    COLORREF m_clrDarkShadow = 0;
    COLORREF m_clrShadow = 0;
    COLORREF m_clrFace = 0;
    bool m_bHasFocus = false;
    bool m_bTimerRunning = false;
    bool m_bDrawnHot = false;
};
