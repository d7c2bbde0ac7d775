// The price edit laid over a cell: the price edit control with the in-place editor's keys, its
// result reported to the list when it loses the focus, and its own colours (saddle brown on a
// pale yellow).
#pragma once

#include "controls/PriceEditControl.h"
#include "winlib/Gdi.h"
#include "winlib/ListCtrl.h"

#include <string>

constexpr COLORREF kInPlacePriceText = RGB(139, 69, 19);
constexpr COLORREF kInPlacePriceBackground = RGB(238, 232, 170);

class CInPlacePriceEdit : public CPriceEditControl
{
    DECLARE_DYNAMIC(CInPlacePriceEdit)
public:
    static CInPlacePriceEdit* GetInstance();
    static void DeleteInstance();

    // 'accepted' are the characters a paste may hold; the text is trimmed before it is shown.
    BOOL ShowPriceEditCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column,
                           const std::string& accepted, const std::string& text, CListCtrl* owner);

    int m_nRow = -1;
    int m_nColumn = -1;
    BOOL m_bCancelled = FALSE;
    std::string m_strAccepted;
    std::string m_strStartText;
    CListCtrl* m_pOwnerList = nullptr;
    CBrush m_brBackground;
    COLORREF m_clrText = kInPlacePriceText;
    COLORREF m_clrBackground = kInPlacePriceBackground;

protected:
    CInPlacePriceEdit();
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnKillFocus(CWnd* newWnd) override;
    void OnClose() override;
    HBRUSH CtlColor(CDC* dc, UINT ctlColor) override;

private:
    bool m_bClosing = false;
};
