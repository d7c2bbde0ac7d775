// The list box control and the list of a combo box ("ComboLBox"): the behaviour class shared
// by its source files (ListBoxControl.cpp: messages and items; ListBoxInput.cpp: selection,
// keyboard and mouse; ListBoxPaint.cpp: geometry, scrolling and painting).
#pragma once

#include "ComboListHost.h"
#include "ControlUtil.h"

#include <string>
#include <vector>

namespace winlib::detail
{

inline constexpr int kMaxListBoxItemHeight = 255;

struct ListItem
{
    std::string text;
    ULONG_PTR data = 0;
    int height = 0;
    bool selected = false; // multiple-selection lists only
};

class ListBoxBehaviour : public ControlBehaviour
{
public:
    explicit ListBoxBehaviour(bool comboList) : m_comboList(comboList) {}

    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // ---- Styles ----------------------------------------------------------------------------
    bool Variable() const { return (m_style & LBS_OWNERDRAWVARIABLE) != 0; }
    bool OwnerDraw() const { return (m_style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
    bool HasStrings() const { return !OwnerDraw() || (m_style & LBS_HASSTRINGS); }
    bool Sorted() const { return (m_style & LBS_SORT) != 0; }
    bool NoSelection() const { return (m_style & LBS_NOSEL) != 0; }
    bool Extended() const { return !NoSelection() && (m_style & LBS_EXTENDEDSEL); }
    bool Multiple() const { return !NoSelection() && (m_style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)); }
    bool Single() const { return !NoSelection() && !Multiple(); }
    int Count() const { return static_cast<int>(m_items.size()); }
    bool Valid(int index) const { return index >= 0 && index < Count(); }

    // ---- Who the list works for -------------------------------------------------------------
    // A combo box's list measures, draws and asks colours for the combo box, of its parent.
    HWND ItemWindow(HWND hwnd) const { return m_host ? m_host->ComboWindow() : hwnd; }
    HWND Owner(HWND hwnd) const { return GetParent(ItemWindow(hwnd)); }
    UINT ControlType() const { return m_host ? ODT_COMBOBOX : ODT_LISTBOX; }
    UINT ControlId(HWND hwnd) const { return static_cast<UINT>(GetDlgCtrlID(ItemWindow(hwnd))); }
    bool IsPopup(HWND hwnd) const { return (StyleOf(hwnd) & WS_POPUP) != 0; }
    // The drop-down list of a combo box while it is shown.
    bool Dropped(HWND hwnd) const { return m_host && IsPopup(hwnd) && IsWindowVisible(hwnd); }

    // Tells whoever listens that the user changed the selection; false when that destroyed us.
    bool SelectionChangedByUser(HWND hwnd, UINT code = LBN_SELCHANGE);
    LRESULT Create(HWND hwnd, const CREATESTRUCT* cs);
    int FontHeight(HWND hwnd) const;

    // WM_MEASUREITEM to the owner; returns the height it asked for.
    int Measure(HWND hwnd, int index, ULONG_PTR data, int height);

    // Sorted lists without strings ask their owner; returns <0, 0, >0 as item 'index' sorts
    // before, with or after 'data'.
    int CompareWithOwner(HWND hwnd, int index, ULONG_PTR data);

    // ---- Geometry ----------------------------------------------------------------------------
    int ItemHeight(int index) const;
    int ClientHeight(HWND hwnd) const { return ClientOf(hwnd).Height(); }

    // The item's rectangle in client coordinates, above or below the client area when hidden.
    CRect ItemRect(HWND hwnd, int index) const;

    // The item at a client y, or -1 above the first or below the last one.
    int ItemAtY(int y) const;

    // Items wholly visible from 'top' down, at least one.
    int PageFrom(HWND hwnd, int top) const;

    // The largest top index that still shows the last item whole.
    int MaxTop(HWND hwnd) const;
    void InvalidateItem(HWND hwnd, int index);
    void UpdateScrollBar(HWND hwnd);
    void SetTop(HWND hwnd, int top);
    void EnsureVisible(HWND hwnd, int index);

    // Keeps the client area a whole number of items high unless told otherwise.
    void Resized(HWND hwnd);

    // ---- Selection ----------------------------------------------------------------------------
    // What is selected, to tell whether an action of the user changed it.
    struct Selection
    {
        int single = -1;
        std::vector<bool> flags;
        bool operator==(const Selection&) const = default;
    };
    Selection CurrentSelection() const;
    bool IsSelected(int index) const;
    void SelectSingle(HWND hwnd, int index);
    void SelectItem(HWND hwnd, int index, bool on);
    void SelectRange(HWND hwnd, int first, int last, bool on);
    void ClearSelection(HWND hwnd);
    void SetCaret(HWND hwnd, int index, bool scroll = true);

    // The caret moved to 'index' by a key: selects as the selection mode and the shift
    // keys say. False when a notification destroyed the list.
    bool KeyboardMove(HWND hwnd, int index, bool shift, bool ctrl);

    // ---- Items ------------------------------------------------------------------------------
    int SortedPosition(HWND hwnd, const ListItem& item, LPARAM lParam);
    LRESULT Insert(HWND hwnd, int index, LPARAM lParam, bool sorted);

    // WM_DELETEITEM for an item with something the owner may have to free.
    void SendDeleteItem(HWND hwnd, int index);
    LRESULT Delete(HWND hwnd, int index);
    void ResetContent(HWND hwnd);
    void ItemsChanged(HWND hwnd, int from);

    // Searches the items after 'start', wrapping round to it; -1 when none matches.
    template <typename Match> int Find(int start, Match match) const
    {
        const int n = Count();
        if (!n)
            return LB_ERR;
        if (start < 0 || start >= n)
            start = n - 1;
        for (int k = 1; k <= n; ++k)
        {
            const int i = (start + k) % n;
            if (match(i))
                return i;
        }
        return LB_ERR;
    }

    int FindString(HWND hwnd, int start, LPARAM lParam, bool exact);

    // ---- Messages -----------------------------------------------------------------------------
    void SetFont(HWND hwnd, WPARAM wParam, LPARAM lParam);
    void SetRedraw(HWND hwnd, WPARAM wParam, LPARAM lParam);
    void FocusChanged(HWND hwnd, bool gained);
    LRESULT ListMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT GetText(int index, LPARAM buffer) const;
    LRESULT GetItemRect(HWND hwnd, int index, RECT* out) const;
    LRESULT SetItemHeight(HWND hwnd, int index, int height);
    LRESULT ItemFromPoint(HWND hwnd, CPoint p) const;
    LRESULT SelectionMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT SetCurSel(HWND hwnd, int index);
    LRESULT SetSel(HWND hwnd, bool on, int item);
    LRESULT GetSelItems(int room, int* out) const;
    LRESULT SelectString(HWND hwnd, int start, LPARAM lParam);

    // ---- Keyboard -----------------------------------------------------------------------------
    LRESULT InputMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Wheel(HWND hwnd, int delta);
    void KeyDown(HWND hwnd, int vk);

    // Type-ahead: the next item after the caret that starts with the character.
    void Char(HWND hwnd, unsigned char ch);

    // ---- Mouse --------------------------------------------------------------------------------
    int ItemAtPoint(HWND hwnd, CPoint p) const;
    void ButtonDown(HWND hwnd, UINT message, WPARAM flags, CPoint p);
    void MouseMove(HWND hwnd, WPARAM flags, CPoint p);

    // Dragging above or below the list scrolls it one item per move.
    void DragBeyondEdge(HWND hwnd, CPoint p);

    // The selection follows the mouse while the button is held (or over a dropped list).
    void TrackTo(HWND hwnd, int index);
    void ButtonUp(HWND hwnd, CPoint p);

    // A press while the combo box's list is dropped and holds the mouse.
    void DroppedPress(HWND hwnd, CPoint p);
    void CaptureChanged(HWND hwnd, HWND newCapture);
    void VScroll(HWND hwnd, UINT code, int pos);

    // ---- Painting -----------------------------------------------------------------------------
    HBRUSH Colors(HWND hwnd, HDC hdc) const;
    void Paint(HWND hwnd, HDC hdc, const RECT& dirty);
    void DrawTextItem(HDC hdc, int index, const CRect& r, HBRUSH brush, COLORREF text, bool caret);
    void DrawOwnerItem(HWND hwnd, HDC hdc, UINT index, UINT action, UINT state, const CRect& r);

    const bool m_comboList;
    ComboListHost* m_host = nullptr;
    DWORD m_style = 0;
    std::vector<ListItem> m_items;
    int m_itemHeight = 13;
    int m_sel = -1;    // single selection
    int m_caret = 0;   // the item with the focus rectangle
    int m_anchor = -1; // where extended selections start
    int m_top = 0;
    int m_wheel = 0; // wheel movement not yet turned into lines
    bool m_focused = false;
    bool m_tracking = false;    // the button is held after a press on an item
    bool m_dragCtrl = false;    // that press had Ctrl held
    bool m_barTracking = false; // a dropped list's scroll bar is being dragged
    bool m_redraw = true;
    bool m_resizing = false;
};

} // namespace winlib::detail
