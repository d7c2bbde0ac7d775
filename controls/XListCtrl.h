// A report list whose cells each carry their own text and background colours, bold flag, image,
// optional check box and optional colour box, all painted by the list itself through custom draw.
// A click on a check-box cell toggles it; a click on a colour-box cell opens the colour dialog.
// The owner hears of both through registered messages. Its header can show a check box per column
// that checks or unchecks the whole column.
#pragma once

#include "controls/XHeaderCtrl.h"
#include "winlib/ListCtrl.h"

#include <string>
#include <vector>

// Registered once when the library loads; shared by every list.
extern const UINT WM_XLISTCTRL_CHECKBOX_CLICKED; // sent: wParam row, lParam column
extern const UINT WM_XLISTCTRL_COLORBOX_CLICKED; // posted: wParam new char[64] "row|column", lParam colour
extern const UINT WM_XLISTCTRL_COMBO_SELECTION;  // no cell sends it; kept for owners that listen
// Sent to the parent on every left click the list does not swallow (wParam: CPoint* in client
// coordinates) and for every row a header check-box click touched (wParam: int* row).
constexpr UINT WM_XLISTCTRL_LBUTTONDOWN = WM_USER + 45;
constexpr UINT WM_XLISTCTRL_HEADER_CHECK = WM_USER + 46;

// One cell. The first cell of a row also holds the row's enabled flag and user value.
struct XLISTCTRLDATA
{
    BOOL bEnabled = TRUE;
    BOOL bBold = FALSE;
    int nImage = -1;
    COLORREF crText = 0;
    COLORREF crBackground = 0;
    int nCheckedState = -1; // -1 no check box, 0 unchecked, 1 checked
    DWORD_PTR dwItemData = 0;
    bool bColorBox = false; // the cell shows crBackground as a colour box
};

class CXListCtrl : public CListCtrl
{
    DECLARE_DYNAMIC(CXListCtrl)
public:
    CXListCtrl();
    ~CXListCtrl() override;

    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int InsertItem(int row, LPCSTR text);
    int InsertItem(int row, LPCSTR text, COLORREF textColor, COLORREF backgroundColor);
    int InsertItem(const LVITEM* item);
    BOOL DeleteItem(int row);
    BOOL DeleteAllItems();

    BOOL SetItemText(int row, int column, LPCSTR text);
    // A null text keeps the text; a colour of -1 stands for the list's default.
    BOOL SetItemText(int row, int column, LPCSTR text, COLORREF textColor, COLORREF backgroundColor);
    std::string GetItemText(int row, int column) const { return CListCtrl::GetItemText(row, column); }
    BOOL SetItem(const LVITEM* item);
    BOOL SetItemImage(int row, int column, int image);
    BOOL SetBold(int row, int column, BOOL bold);
    BOOL GetBold(int row, int column) const;
    BOOL SetEnabled(int row, BOOL enabled);
    BOOL GetEnabled(int row) const;
    BOOL SetItemColorBox(int row, int column, COLORREF color);
    BOOL GetItemColorBox(int row, int column, COLORREF& color) const;
    BOOL SetCheckbox(int row, int column, int state);
    int GetCheckbox(int row, int column) const;
    int CountCheckedItems(int column) const;
    BOOL SetHeaderCheckedState(int column, int state);
    int GetHeaderCheckedState(int column) const;
    // The row's own value; the list view's item data holds the cells.
    DWORD_PTR GetItemData(int row) const;
    BOOL SetItemData(int row, DWORD_PTR value);
    int GetCurSel() const;
    BOOL SetCurSel(int row);
    int GetColumns() const;
    // Column 0 ends where column 1 begins, so that its cell is never the whole row.
    BOOL GetSubItemRect(int row, int column, int area, CRect& rect) const;
    // Repaints a cell (column -1: the row) at once.
    void UpdateSubItem(int row, int column);

    CXHeaderCtrl& GetXHeader() { return m_HeaderCtrl; }

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnDestroy() override;
    void PreSubclassWindow() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnSysColorChange() override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    using Cells = std::vector<XLISTCTRLDATA>;
    Cells* CellsOf(int row) const;
    XLISTCTRLDATA* Cell(int row, int column) const;
    bool ValidCell(int row, int column) const;
    // Finds the cell, lets 'change' alter it and repaints it; FALSE for a cell the list lacks.
    template <typename Change> BOOL ChangeCell(int row, int column, Change change)
    {
        XLISTCTRLDATA* cell = Cell(row, column);
        if (!cell)
            return FALSE;
        change(*cell);
        UpdateSubItem(row, column);
        return TRUE;
    }
    void FreeCells(int row);
    void FreeAllCells();
    void SubclassHeader();
    void ReadSystemColors();
    // The window the list tells of clicks: its parent, else its owner.
    CWnd* Target() const;
    void UpdateHeaderCheck(int column);

    LRESULT CustomDraw(NMLVCUSTOMDRAW* cd);
    void SelectionColors(int row, int column, COLORREF& text, COLORREF& background) const;
    int DrawImage(int row, int column, CDC& dc, COLORREF background, CRect rect);
    void DrawText(int row, int column, CDC& dc, COLORREF text, CRect rect);
    void DrawCheckbox(int row, int column, CDC& dc, COLORREF text, COLORREF background, CRect rect);
    void OnColumnClick(int column);

    CXHeaderCtrl m_HeaderCtrl;
    BOOL m_bHeaderIsSubclassed = FALSE;
    COLORREF m_cr3DFace = 0;
    COLORREF m_crGrayText = 0;
    COLORREF m_crHighLight = 0;
    COLORREF m_crHighLightText = 0;
    COLORREF m_crWindow = 0;
    COLORREF m_crWindowText = 0;
};
