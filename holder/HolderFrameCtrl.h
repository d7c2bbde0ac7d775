// One pane of a holder frame: what it holds, under which caption, and the key of its stored size.
#pragma once

#include "winlib/Wnd.h"

#include <string>

// Pane kinds.
constexpr short HFC_LIST_CTRL = 0;      // a report list control made by the frame
constexpr short HFC_TREE_CTRL = 1;      // a tree control made by the frame
constexpr short HFC_LIST_BOX = 2;       // a sorted list box made by the frame, plus the record's style
constexpr short HFC_RICH_EDIT = 4;      // a read-only multi-line rich edit made by the frame
constexpr short HFC_GRID = 6;           // a grid of the framework, made through its CreateEx
constexpr short HFC_ATTACH = 8;         // an existing window, only attached to the pane
constexpr short HFC_REPARENT = 10;      // an existing window, moved into the pane
constexpr short HFC_SELF_CREATING = 11; // a CHolderPaneCtrl that creates itself

struct sHOLDERFRAMECTRL
{
    short m_nKind = HFC_LIST_CTRL;
    UINT m_nCtrlId = 0;
    // The control. For the kinds the frame makes, null lets the frame make (and own) one.
    CWnd* m_pCtrl = nullptr;
    std::string m_strCaption;
    // Set by the frame: the requesting window's class name and the control id; the key of the
    // pane's stored size.
    std::string m_strName;
    CFont* m_pFont = nullptr; // applied to the control after creation when set
    DWORD m_dwStyle = 0;      // extra window style bits of a list box pane
};

// A control of kind 11: it creates its own window in the pane.
class CHolderPaneCtrl : public CWnd
{
public:
    // Creates the window as a child of 'pane' at 'rect' with the id, notifying 'owner'.
    virtual BOOL CreateInPane(UINT id, CWnd* owner, CWnd* pane, const CRect& rect) = 0;
};
