// How every in-place cell editor begins and ends an edit, over the control it is made of. One
// object of each kind serves every edit; its window is made for an edit (or taken over when it is
// still open) and closed after it. The edit ends once, when the editor loses the focus: Enter
// gives the focus back to the list, Escape does the same after marking the edit cancelled, Tab
// asks the list for another cell. The list then hears the result (the starting text when
// cancelled) through SendEndLabelEdit, and the editor's window closes, posted, so that the
// message that took the focus is over first.
//
// An editor says what differs: how its window shows the starting value, what its result is, and
// any key it handles its own way.
#pragma once

#include "controls/InPlaceEditing.h"
#include "winlib/Api.h"

#include <memory>
#include <string>

template <class Editor, class Control> class CInPlaceEditor : public Control
{
public:
    static Editor* GetInstance()
    {
        std::unique_ptr<Editor>& instance = Instance();
        if (!instance)
            instance.reset(new Editor);
        return instance.get();
    }

    static void DeleteInstance()
    {
        std::unique_ptr<Editor>& instance = Instance();
        if (instance && instance->m_hWnd)
            instance->DestroyWindow();
        instance.reset();
    }

    int m_nRow = -1;
    int m_nColumn = -1;
    BOOL m_bCancelled = FALSE;
    // Given back when Escape cancels the edit (the picker gives back its starting value).
    std::string m_strStartText;
    // The list asked for another cell, the editor's parent when there is none (the combo box asks
    // its owner).
    CWnd* m_pOwnerList = nullptr;

protected:
    CInPlaceEditor() = default;

    // Starts an edit of (row, column) once the editor's own fields for it are set. A window whose
    // edit ended but whose close is still queued makes way for the new edit; one still open is
    // moved over the cell and shows the new value.
    BOOL BeginEdit(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column)
    {
        m_nRow = row;
        m_nColumn = column;
        m_bCancelled = FALSE;
        if (this->m_hWnd && m_bClosing)
            this->DestroyWindow();
        m_bClosing = false;
        if (this->m_hWnd)
        {
            this->MoveWindow(&rect);
            StartInOpenWindow();
            this->SetFocus();
            return TRUE;
        }
        return this->Create(style | WS_CHILD | WS_VISIBLE, rect, parent, id);
    }

    // The starting value shown in a window just made (it has the list's font already), and in a
    // window taken over from the last edit (the focus comes after).
    virtual void StartInNewWindow() = 0;
    virtual void StartInOpenWindow() = 0;

    // What the list is told when the edit ends.
    virtual std::string EditResult() const { return m_bCancelled ? m_strStartText : this->GetWindowText(); }
    // True when losing the focus does not end the edit.
    virtual bool EditGoesOn() const { return false; }
    // Runs once the list has the result, before the window's close is posted.
    virtual void EditEnded() {}

    // Enter, and Escape once the edit is marked cancelled: the focus goes back to the list's
    // window, which ends the edit.
    virtual BOOL EndWithKey(MSG*)
    {
        if (CWnd* parent = this->GetParent())
            parent->SetFocus();
        return TRUE;
    }

    // Tab (next) and Shift+Tab: the list takes the focus, which ends the edit, and is asked for the
    // cell; the focus then stays with the editor's parent.
    virtual void MoveToCell(bool next)
    {
        CWnd* parent = this->GetParent();
        AskForCell(OwnerList(), next);
        if (parent && ::IsWindow(parent->m_hWnd))
            parent->SetFocus();
    }

    // Up and Down; the control's own by default.
    virtual BOOL OnArrowKey(MSG* msg) { return Control::PreTranslateMessage(msg); }

    // For the text editors: in the number column the arrows step the number and the edit goes on
    // (the key too), elsewhere they move to the cell below or above.
    BOOL StepNumberOrMove(MSG* msg)
    {
        if (m_nColumn == kInPlaceNumberColumn)
        {
            this->SetWindowText(StepInPlaceNumber(this->GetWindowText(), msg->wParam == VK_UP).c_str());
            return Control::PreTranslateMessage(msg);
        }
        MoveToCell(msg->wParam == VK_DOWN);
        return TRUE;
    }

    CWnd* OwnerList() const { return m_pOwnerList ? m_pOwnerList : this->GetParent(); }

    static void AskForCell(CWnd* list, bool next)
    {
        if (!list)
            return;
        list->SetFocus();
        list->PostMessage(next ? WM_INPLACE_NEXT_CELL : WM_INPLACE_PREVIOUS_CELL);
    }

    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message != WM_KEYDOWN)
            return Control::PreTranslateMessage(msg);
        switch (msg->wParam)
        {
        case VK_ESCAPE:
            m_bCancelled = TRUE;
            [[fallthrough]];
        case VK_RETURN:
            return EndWithKey(msg);
        case VK_TAB:
            MoveToCell((::GetKeyState(VK_SHIFT) & 0x8000) == 0);
            return TRUE;
        case VK_UP:
        case VK_DOWN:
            return OnArrowKey(msg);
        default:
            return Control::PreTranslateMessage(msg);
        }
    }

    int OnCreate(LPCREATESTRUCT cs) override
    {
        if (Control::OnCreate(cs) == -1)
            return -1;
        if (CWnd* parent = this->GetParent())
            this->SetFont(parent->GetFont());
        StartInNewWindow();
        return 0;
    }

    void OnKillFocus(CWnd* newWnd) override
    {
        Control::OnKillFocus(newWnd);
        if (m_bClosing || EditGoesOn())
            return;
        m_bClosing = true;
        SendEndLabelEdit(this, m_nRow, m_nColumn, EditResult());
        EditEnded();
        if (this->m_hWnd)
            this->PostMessage(WM_CLOSE);
    }

    void OnClose() override { this->DestroyWindow(); }

private:
    // The one object of the kind; each editor keeps it in its own source file, so that every
    // module holding the editor has an object of its own.
    static std::unique_ptr<Editor>& Instance();

    bool m_bClosing = false;
};
