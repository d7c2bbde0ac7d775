// A push button drawn by the program in its own text and face colours. Its label may describe a
// font ("Arial (Bold , 10)"), as the appearance dialog's font button does; the holder view uses one
// as the close button of a pane.
#pragma once

#include "winlib/Controls.h"

#include <string>

class CClrButton : public CButton
{
    DECLARE_DYNAMIC(CClrButton)
public:
    CClrButton();
    ~CClrButton() override;

    // Text and face; the disabled face goes back to the system's button face.
    void SetColors(COLORREF text, COLORREF face);
    void SetColors(COLORREF text, COLORREF face, COLORREF disabledFace);
    // Every colour back to the system's.
    void ResetColors();
    COLORREF GetTextColor() const { return m_clrText; }

    std::string GetFontName() const { return m_strFontName; }
    std::string GetFontSize() const { return m_strFontSize; }
    int GetFontStyle() const { return m_nFontStyle; }
    void SetFontName(const std::string& name) { m_strFontName = name; }
    void SetFontSize(const std::string& size) { m_strFontSize = size; }
    void SetFontStyle(int style) { m_nFontStyle = style; }
    // Remembers the three and shows them as the label: the name, then " (" style " , " size ")",
    // or " (" size ")" when the style is -1.
    void SetFontDescription(const std::string& name, const std::string& size, int style);

    void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    COLORREF m_clrText;
    COLORREF m_clrFace;
    COLORREF m_clrDisabledFace;
    COLORREF m_clrLight;
    COLORREF m_clrHighlight;
    COLORREF m_clrShadow;
    COLORREF m_clrDarkShadow;
    std::string m_strFontName;
    std::string m_strFontSize;
    int m_nFontStyle = -1;
    // The button stays owner-drawn, so whether it is the default button is kept here rather than in
    // its style.
    bool m_bDefault = false;
};
