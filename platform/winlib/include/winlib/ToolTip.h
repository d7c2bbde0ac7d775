// The tooltip control ("tooltips_class32") as the class library's CToolTipCtrl. Tools are
// rectangles of a window or whole windows (TTF_IDISHWND); their text is given or asked
// for with TTN_GETDISPINFO (single-byte or wide, as the tool's window answers
// WM_NOTIFYFORMAT). The tip is a top-level popup that shows after the initial delay on the
// library's clock while the mouse rests on a tool, as relayed with TTM_RELAYEVENT.
#pragma once

#include "winlib/CommCtrl.h"
#include "winlib/Wnd.h"

#include <string>

// WM_NOTIFYFORMAT: the question (lParam) and the two answers.
constexpr LPARAM NF_QUERY = 3;
constexpr LPARAM NF_REQUERY = 4;
constexpr LRESULT NFR_ANSI = 1;
constexpr LRESULT NFR_UNICODE = 2;

class CToolTipCtrl : public CWnd
{
    DECLARE_DYNAMIC(CToolTipCtrl)
public:
    CToolTipCtrl() = default;
    using CWnd::Create;
    using CWnd::CreateEx;

    // A hidden top-level popup owned by 'parent' (TTS_ styles in 'style').
    BOOL Create(CWnd* parent, DWORD style = 0);
    BOOL CreateEx(CWnd* parent, DWORD style = 0, DWORD exStyle = 0);

    // With no rectangle and id 0 the tool is the whole window (TTF_IDISHWND); otherwise it is
    // 'rect' (client coordinates of 'wnd') under 'id'. LPSTR_TEXTCALLBACK asks 'wnd' for the
    // text each time the tip shows.
    BOOL AddTool(CWnd* wnd, LPCSTR text = LPSTR_TEXTCALLBACK, LPCRECT rect = nullptr, UINT_PTR id = 0);
    void DelTool(CWnd* wnd, UINT_PTR id = 0);
    void SetToolRect(CWnd* wnd, UINT_PTR id, LPCRECT rect);
    void UpdateTipText(LPCSTR text, CWnd* wnd, UINT_PTR id = 0);
    int GetToolCount() const;
    // Fills 'info' for the tool; a non-null info.lpszText receives up to 80 characters of its text.
    BOOL GetToolInfo(TOOLINFOA& info, CWnd* wnd, UINT_PTR id = 0) const;
    void SetToolInfo(LPTOOLINFOA info);
    void GetText(std::string& text, CWnd* wnd, UINT_PTR id = 0) const;
    BOOL HitTest(CWnd* wnd, CPoint point, LPTOOLINFOA info) const;
    // The tool whose tip is showing.
    BOOL GetCurrentTool(LPTOOLINFOA info) const;

    void RelayEvent(LPMSG msg);
    void Activate(BOOL activate);
    // TTDT_AUTOMATIC: initial 'delay', auto-pop ten times and reshow a fifth of it.
    void SetDelayTime(UINT delay);
    void SetDelayTime(DWORD duration, int time);
    int GetDelayTime(DWORD duration) const;
    int SetMaxTipWidth(int width);
    int GetMaxTipWidth() const;
    void SetMargin(LPRECT rect);
    void GetMargin(LPRECT rect) const;
    void SetTipBkColor(COLORREF color);
    COLORREF GetTipBkColor() const;
    void SetTipTextColor(COLORREF color);
    COLORREF GetTipTextColor() const;
    void Pop();
    void Update();

private:
    // The identity of a tool: the whole window (TTF_IDISHWND) or 'id' on 'wnd'.
    TOOLINFOA MakeInfo(CWnd* wnd, UINT_PTR id, bool wholeWindow) const;
};
