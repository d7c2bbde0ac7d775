// The rich edit control (RichEdit20A) and the class library's CRichEditCtrl. It shows and edits
// plain text as the multi-line edit does (the character formatting of a real rich edit is not
// kept), with both scroll bars: enough for read-only text panes.
#pragma once

#include "winlib/Wnd.h"

#include <string>

inline constexpr char RICHEDIT_CLASS[] = "RichEdit20A";

class CRichEditCtrl : public CWnd
{
    DECLARE_DYNAMIC(CRichEditCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    BOOL SetReadOnly(BOOL readOnly = TRUE)
    {
        return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly, 0));
    }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    int GetFirstVisibleLine() const { return static_cast<int>(SendMessage(EM_GETFIRSTVISIBLELINE)); }
    void SetSel(long start, long end) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
    void ReplaceSel(LPCSTR text, BOOL canUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
    }
};
