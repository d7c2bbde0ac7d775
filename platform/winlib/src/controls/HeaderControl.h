// The header control ("SysHeader32"): the behaviour class shared by its source files
// (HeaderControl.cpp: messages, notifications and items; HeaderInput.cpp: the mouse and the
// filter bar's editing; HeaderPaint.cpp: geometry, hit-testing and painting).
#pragma once

#include "ControlMetrics.h"
#include "winlib/CommCtrl.h"

#include <string>
#include <vector>

namespace winlib::detail
{

inline constexpr UINT_PTR kFilterTimer = 0x4846;

struct HeaderItem
{
    std::string text;
    int width = 0;
    int fmt = HDF_LEFT | HDF_STRING;
    LPARAM lParam = 0;
    int image = I_IMAGENONE;
    HBITMAP bitmap = nullptr;
    UINT filterType = HDFT_ISSTRING;
    std::string filter;
};

class HeaderBehaviour : public ControlBehaviour
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum class Mode
    {
        None,
        Press,       // button held on an item; a click unless it turns into a drag
        PressVetoed, // the parent refused the drag: nothing happens on release
        Track,       // resizing by a divider
        Drag,        // reordering
        FilterButton
    };

    // ---- Messages (HeaderControl.cpp) ------------------------------------------------

    void OnCreate(HWND hwnd);
    LRESULT OnSetFont(HWND hwnd, WPARAM wParam, LPARAM lParam);
    void OnStyleChanged(const STYLESTRUCT& change);
    LRESULT MouseMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void RightButtonUp(POINT pt);
    void FilterTimeOut();
    LRESULT HeaderMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HitTestMessage(HDHITTESTINFO* info) const;
    HIMAGELIST SetImageList(WPARAM which, HIMAGELIST images);
    bool GetOrder(std::size_t count, int* out) const;

    // ---- Geometry --------------------------------------------------------------------

    bool ValidIndex(int index) const { return index >= 0 && index < static_cast<int>(m_items.size()); }
    DWORD Style() const { return StyleOf(m_hwnd); }
    bool HasFilterBar() const { return (Style() & HDS_FILTERBAR) != 0; }

    // Button and filter rows take their height from the font.
    void Measure();
    int ItemRowHeight() const { return m_itemRowHeight; }
    int FilterRowHeight() const { return m_filterRowHeight; }

    // Where the buttons end and the filter bar begins.
    int ItemBottom() const;
    int Position(int index) const;
    int LeftOf(int index) const;

    // The whole column of an item, buttons and filter bar together.
    CRect ItemRect(int index) const;
    CRect ButtonRect(int index) const;
    CRect FilterRect(int index) const;
    CRect FilterButtonRect(int index) const;
    CRect FilterFieldRect(int index) const;
    int HitTest(POINT pt, UINT* flags) const;
    bool Layout(HDLAYOUT* layout) const;
    void Repaint() { InvalidateRect(m_hwnd, nullptr, TRUE); }

    void HeightChanged() const;
    void InvalidatePart(const RECT& part) { InvalidateRect(m_hwnd, &part, TRUE); }

    // ---- Notifications ---------------------------------------------------------------

    void QueryNotifyFormat();
    HDITEMA Describe(int index, UINT mask) const;

    // An NMHEADER notification in the form the parent asked for.
    LRESULT Notify(UINT codeA, UINT codeW, int item, const HDITEMA* pitem, int button = 0) const;
    void FilterChanged(int item) const { Notify(HDN_FILTERCHANGE, HDN_FILTERCHANGE, item, nullptr); }

    // ---- Items -----------------------------------------------------------------------

    LRESULT InsertItem(int index, const HDITEMA* source);
    bool DeleteItem(int index);
    static void Apply(HeaderItem& item, const HDITEMA& source);
    bool GetItem(int index, HDITEMA* out) const;
    bool SetItem(int index, const HDITEMA* source);

    // Changes a width the way the user does, with the change notifications.
    void SetWidth(int index, int width);
    void MoveToPosition(int index, int position);
    bool SetOrder(int count, const int* order);

    // ---- Filter bar ------------------------------------------------------------------

    bool EditFilter(int index, bool discardChanges);
    void ShowEditText();
    void PlaceEdit();
    void EditNotification(UINT code);
    void EditKey(int key);

    // Ends editing: a change still waiting for its time-out is reported now.
    void EndFilterEdit(bool discard, bool hide);
    bool ClearFilter(int index);

    // ---- Mouse -----------------------------------------------------------------------

    void ButtonDown(CPoint pt);
    void MouseMove(CPoint pt);
    void ButtonUp(CPoint pt);
    void DoubleClick(CPoint pt);
    void FilterButtonClicked(int index);
    void FinishTrack(int width);

    // The gap between items (0 before the first, n after the last) nearest to x: where the
    // dragged item would go.
    int DropGap(int x) const;

    // The position the dragged item takes when dropped into a gap: the gaps on either side
    // of it leave it where it is.
    int PositionForGap(int index, int gap) const;
    void EndMouseMode();
    void CancelMouseMode();

    // ---- Painting --------------------------------------------------------------------

    LRESULT CustomDraw(HDC hdc, DWORD stage, const RECT& rc, int item, UINT state, LPARAM lParam) const;
    void Paint(HDC hdc, const RECT& paint);
    bool Pressed(int index) const;
    void PaintItem(HDC hdc, int index, HFONT font, LRESULT overall);
    static void PaintSortArrow(HDC hdc, const CRect& area, bool up);
    void PaintFilter(HDC hdc, int index, HFONT font);

    // Where a dragged item would land, or the line a divider being resized would move to.
    void PaintFeedback(HDC hdc);

    HWND m_hwnd = nullptr;
    std::vector<HeaderItem> m_items;
    std::vector<int> m_order; // display position -> item index
    HIMAGELIST m_images = nullptr;
    HIMAGELIST m_stateImages = nullptr;
    int m_bitmapMargin = 6;
    int m_itemRowHeight = 20;
    int m_filterRowHeight = 19;
    bool m_unicode = false;
    Mode m_mode = Mode::None;
    int m_item = -1;
    CPoint m_down;
    bool m_pressedInside = false;
    int m_trackOffset = 0;
    int m_trackWidth = 0;
    int m_dropGap = -1;
    int m_filterTimeout = 1000;
    bool m_filterPending = false;
    int m_pendingItem = -1;
    HWND m_edit = nullptr;
    bool m_editing = false;
    int m_editItem = -1;
    std::string m_editOriginal;
    bool m_notifiedDuringEdit = false;
    bool m_settingEditText = false;
    bool m_discardOnEnd = false;
    UINT m_editKeyMessage = 0;
    UINT m_hideEditMessage = 0;
};

} // namespace winlib::detail
