// The plain edit box laid over a cell. One object serves every edit (GetInstance); its window is
// made for each edit and closed when the edit ends, which is when it loses the focus: it then
// reports its text (the starting text when Escape cancelled it) to the list.
#pragma once

#include "winlib/Controls.h"
#include "winlib/ListCtrl.h"

#include <string>

class CInPlaceEdit : public CEdit
{
    DECLARE_DYNAMIC(CInPlaceEdit)
public:
    static CInPlaceEdit* GetInstance();
    static void DeleteInstance();

    // Puts the edit over 'rect' of 'parent' for the cell (row, column); TRUE also when its window
    // already existed. An empty 'accepted' takes every character.
    BOOL ShowEditCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column,
                      const std::string& accepted, const std::string& text, CListCtrl* owner);

    int m_nRow = -1;
    int m_nColumn = -1;
    BOOL m_bCancelled = FALSE;
    std::string m_strAccepted;
    std::string m_strStartText;
    CListCtrl* m_pOwnerList = nullptr;

protected:
    CInPlaceEdit() = default;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnKillFocus(CWnd* newWnd) override;
    void OnClose() override;

private:
    bool m_bClosing = false;
};
