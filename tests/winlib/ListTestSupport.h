// A top-level window for list view and header tests: it records what its controls tell it
// (WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_CONTEXTMENU) and answers as the test says.
#pragma once

#include "winlib/CommCtrl.h"
#include "winlib/HeaderCtrl.h"
#include "winlib/ListCtrl.h"
#include "winlib/Wnd.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace listtest
{

struct Note
{
    UINT code = 0;
    HWND from = nullptr;
    int item = -1;
    int subItem = 0;
    UINT newState = 0;
    UINT oldState = 0;
    UINT changed = 0;
    POINT point{0, 0};
    UINT keyFlags = 0;
    LPARAM lParam = 0;
    int from_ = -1; // LVN_ODSTATECHANGED, LVN_ODCACHEHINT
    int to = -1;
    UINT key = 0;   // LVN_KEYDOWN
    UINT mask = 0;  // LVN_GETDISPINFO, header notifications: the item's mask
    int width = -1; // header notifications with an item: cxy
    int order = -1; // header notifications with an item: iOrder
    std::string text;
    DWORD stage = 0; // NM_CUSTOMDRAW
};

class RecordingParent : public CWnd
{
public:
    RecordingParent()
    {
        CreateEx(0, "AfxWnd", "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700, nullptr, nullptr);
    }

    std::vector<Note> notes;
    std::vector<DRAWITEMSTRUCT> drawn;
    std::vector<MEASUREITEMSTRUCT> measured;
    int contextMenus = 0;
    LRESULT notifyFormat = NFR_ANSI;
    UINT measuredHeight = 0; // the answer to WM_MEASUREITEM when not 0
    // Answers a notification; the default answer is 0.
    std::function<LRESULT(NMHDR*)> answer;
    // Fills LVN_GETDISPINFO; the default writes "R<item>C<subitem>".
    std::function<void(NMLVDISPINFO*)> dispInfo;

    void Clear()
    {
        notes.clear();
        drawn.clear();
        measured.clear();
        contextMenus = 0;
    }

    std::vector<Note> Of(UINT code) const
    {
        std::vector<Note> found;
        std::copy_if(notes.begin(), notes.end(), std::back_inserter(found),
                     [code](const Note& n) { return n.code == code; });
        return found;
    }

    int Count(UINT code) const { return static_cast<int>(Of(code).size()); }

    std::vector<UINT> Codes() const
    {
        std::vector<UINT> codes;
        for (const Note& n : notes)
            codes.push_back(n.code);
        return codes;
    }

    // The codes of the notifications, without the display-information and custom-draw traffic.
    std::vector<UINT> Events() const
    {
        std::vector<UINT> codes;
        for (const Note& n : notes)
        {
            if (n.code != LVN_GETDISPINFO && n.code != NM_CUSTOMDRAW && n.code != LVN_ODCACHEHINT)
                codes.push_back(n.code);
        }
        return codes;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_NOTIFY:
            return Record(reinterpret_cast<NMHDR*>(lParam));
        case WM_NOTIFYFORMAT:
            return notifyFormat;
        case WM_DRAWITEM:
            // A control with an object of its own draws itself, as the class library arranges.
            if (CWnd::ReflectLastMsg(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem))
                return TRUE;
            drawn.push_back(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_MEASUREITEM:
        {
            auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (CWnd::ReflectLastMsg(::GetDlgItem(m_hWnd, static_cast<int>(mis->CtlID))))
                return TRUE;
            measured.push_back(*mis);
            if (measuredHeight)
                mis->itemHeight = measuredHeight;
            return TRUE;
        }
        case WM_CONTEXTMENU:
            ++contextMenus;
            return 0;
        default:
            return CWnd::WindowProc(message, wParam, lParam);
        }
    }

private:
    static bool IsList(HWND hwnd) { return GetClassNameString(hwnd) == "SysListView32"; }

    LRESULT Record(NMHDR* header)
    {
        Note note;
        note.code = header->code;
        note.from = header->hwndFrom;
        const UINT code = header->code;
        const bool fromList = IsList(header->hwndFrom);
        // NMITEMACTIVATE is an NMLISTVIEW with the key flags after it.
        const bool activation = fromList && (code == NM_CLICK || code == NM_DBLCLK || code == NM_RCLICK ||
                                             code == LVN_ITEMACTIVATE);
        if (activation || code == LVN_ITEMCHANGING || code == LVN_ITEMCHANGED || code == LVN_INSERTITEM ||
            code == LVN_DELETEITEM || code == LVN_DELETEALLITEMS || code == LVN_COLUMNCLICK ||
            code == LVN_BEGINDRAG)
        {
            const auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
            if (activation)
                note.keyFlags = reinterpret_cast<NMITEMACTIVATE*>(header)->uKeyFlags;
            note.item = nm->iItem;
            note.subItem = nm->iSubItem;
            note.newState = nm->uNewState;
            note.oldState = nm->uOldState;
            note.changed = nm->uChanged;
            note.point = nm->ptAction;
            note.lParam = nm->lParam;
        }
        else if (code == LVN_ODSTATECHANGED)
        {
            const auto* nm = reinterpret_cast<NMLVODSTATECHANGE*>(header);
            note.from_ = nm->iFrom;
            note.to = nm->iTo;
            note.newState = nm->uNewState;
            note.oldState = nm->uOldState;
        }
        else if (code == LVN_ODCACHEHINT)
        {
            const auto* nm = reinterpret_cast<NMLVCACHEHINT*>(header);
            note.from_ = nm->iFrom;
            note.to = nm->iTo;
        }
        else if (code == LVN_KEYDOWN)
            note.key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
        else if (code == LVN_GETDISPINFO)
        {
            auto* nm = reinterpret_cast<NMLVDISPINFO*>(header);
            note.item = nm->item.iItem;
            note.subItem = nm->item.iSubItem;
            note.mask = nm->item.mask;
            note.newState = nm->item.stateMask;
            if (dispInfo)
                dispInfo(nm);
            else if ((nm->item.mask & LVIF_TEXT) && nm->item.pszText)
            {
                const std::string text =
                    "R" + std::to_string(nm->item.iItem) + "C" + std::to_string(nm->item.iSubItem);
                std::snprintf(nm->item.pszText, static_cast<std::size_t>(nm->item.cchTextMax), "%s",
                              text.c_str());
            }
        }
        else if (code == NM_CUSTOMDRAW)
        {
            const auto* nm = reinterpret_cast<NMCUSTOMDRAW*>(header);
            note.stage = nm->dwDrawStage;
            note.item = static_cast<int>(nm->dwItemSpec);
            if (fromList)
                note.subItem = reinterpret_cast<NMLVCUSTOMDRAW*>(header)->iSubItem;
        }
        else if (code == HDN_FILTERBTNCLICK)
            note.item = reinterpret_cast<NMHDFILTERBTNCLICK*>(header)->iItem;
        else if (code <= HDN_FIRST && code >= HDN_LAST && code != HDN_FILTERBTNCLICK)
        {
            const auto* nm = reinterpret_cast<NMHEADER*>(header);
            note.item = nm->iItem;
            if (nm->pitem)
            {
                note.mask = nm->pitem->mask;
                note.width = nm->pitem->cxy;
                note.order = nm->pitem->iOrder;
                const bool wide = code == HDN_ITEMCHANGINGW || code == HDN_ITEMCHANGEDW ||
                                  code == HDN_TRACKW || code == HDN_BEGINTRACKW || code == HDN_ENDTRACKW;
                if ((nm->pitem->mask & HDI_TEXT) && nm->pitem->pszText)
                {
                    if (wide)
                    {
                        for (const wchar_t* p = reinterpret_cast<HDITEMW*>(nm->pitem)->pszText; *p; ++p)
                            note.text.push_back(static_cast<char>(*p));
                    }
                    else
                        note.text = nm->pitem->pszText;
                }
            }
        }
        notes.push_back(note);
        return answer ? answer(header) : 0;
    }
};

} // namespace listtest
