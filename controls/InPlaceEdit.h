// The plain edit box laid over a cell. One object serves every edit (GetInstance); its window is
// made for each edit and closed when the edit ends, which is when it loses the focus: it then
// reports its text (the starting text when Escape cancelled it) to the list.
#pragma once

#include "controls/InPlaceEditor.h"
#include "winlib/Controls.h"
#include "winlib/ListCtrl.h"

#include <string>

class CInPlaceEdit : public CInPlaceEditor<CInPlaceEdit, CEdit>
{
    DECLARE_DYNAMIC(CInPlaceEdit)
public:
    // Puts the edit over 'rect' of 'parent' for the cell (row, column); TRUE also when its window
    // already existed. An empty 'accepted' takes every character.
    BOOL ShowEditCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column,
                      const std::string& accepted, const std::string& text, CListCtrl* owner);

    std::string m_strAccepted;

protected:
    friend class CInPlaceEditor<CInPlaceEdit, CEdit>;
    CInPlaceEdit() = default;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void StartInNewWindow() override;
    void StartInOpenWindow() override;
    BOOL OnArrowKey(MSG* msg) override { return StepNumberOrMove(msg); }
};

template <> std::unique_ptr<CInPlaceEdit>& CInPlaceEditor<CInPlaceEdit, CEdit>::Instance();
