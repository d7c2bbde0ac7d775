// The price edit laid over a cell: the price edit control with the in-place editor's keys, its
// result reported to the list when it loses the focus, and its own colours (saddle brown on a
// pale yellow).
#pragma once

#include "controls/InPlaceEditor.h"
#include "controls/PriceEditControl.h"
#include "winlib/Gdi.h"
#include "winlib/ListCtrl.h"

#include <string>

constexpr COLORREF kInPlacePriceText = RGB(139, 69, 19);
constexpr COLORREF kInPlacePriceBackground = RGB(238, 232, 170);

class CInPlacePriceEdit : public CInPlaceEditor<CInPlacePriceEdit, CPriceEditControl>
{
    DECLARE_DYNAMIC(CInPlacePriceEdit)
public:
    // 'accepted' are the characters a paste may hold; the text is trimmed before it is shown.
    BOOL ShowPriceEditCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column,
                           const std::string& accepted, const std::string& text, CListCtrl* owner);

    std::string m_strAccepted;
    CBrush m_brBackground;
    COLORREF m_clrText = kInPlacePriceText;
    COLORREF m_clrBackground = kInPlacePriceBackground;

protected:
    friend class CInPlaceEditor<CInPlacePriceEdit, CPriceEditControl>;
    CInPlacePriceEdit();
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    HBRUSH CtlColor(CDC* dc, UINT ctlColor) override;
    void StartInNewWindow() override;
    void StartInOpenWindow() override;
    BOOL OnArrowKey(MSG* msg) override { return StepNumberOrMove(msg); }
};

template <>
std::unique_ptr<CInPlacePriceEdit>& CInPlaceEditor<CInPlacePriceEdit, CPriceEditControl>::Instance();
