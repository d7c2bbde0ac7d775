#include "controls/XListCtrl.h"

#include "winlib/Api.h"
#include "winlib/ColorDialog.h"
#include "winlib/ImageList.h"

#include <algorithm>
#include <cstdio>

IMPLEMENT_DYNAMIC(CXListCtrl, CListCtrl)

const UINT WM_XLISTCTRL_CHECKBOX_CLICKED = ::RegisterWindowMessage("WM_XLISTCTRL_CHECKBOX_CLICKED");
const UINT WM_XLISTCTRL_COLORBOX_CLICKED = ::RegisterWindowMessage("WM_XLISTCTRL_COLORBOX_CLICKED");
const UINT WM_XLISTCTRL_COMBO_SELECTION = ::RegisterWindowMessage("WM_XLISTCTRL_COMBO_SELECTION");

namespace
{
constexpr int kColorBlockSize = 64;
constexpr int kCheckInset = 9;
constexpr int kCheckTextGap = 4;
constexpr UINT kCellTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
} // namespace

CXListCtrl::CXListCtrl()
{
    ReadSystemColors();
}

// The object can go before its window (a member list of an owner torn down first); the window's
// destruction then no longer reaches OnDestroy here, so the rows' cells are freed now.
CXListCtrl::~CXListCtrl()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        FreeAllCells();
}

void CXListCtrl::ReadSystemColors()
{
    m_cr3DFace = ::GetSysColor(COLOR_BTNFACE);
    m_crGrayText = ::GetSysColor(COLOR_GRAYTEXT);
    m_crHighLight = ::GetSysColor(COLOR_HIGHLIGHT);
    m_crHighLightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_crWindow = ::GetSysColor(COLOR_WINDOW);
    m_crWindowText = ::GetSysColor(COLOR_WINDOWTEXT);
}

void CXListCtrl::OnSysColorChange()
{
    CListCtrl::OnSysColorChange();
    ReadSystemColors();
}

// ---- Creation and destruction ---------------------------------------------------------------

BOOL CXListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CListCtrl::Create(style, rect, parent, id);
}

int CXListCtrl::OnCreate(LPCREATESTRUCT cs)
{
    if (CListCtrl::OnCreate(cs) == -1)
        return -1;
    SubclassHeader();
    return 0;
}

void CXListCtrl::PreSubclassWindow()
{
    CListCtrl::PreSubclassWindow();
    SubclassHeader();
}

void CXListCtrl::SubclassHeader()
{
    if (m_bHeaderIsSubclassed)
        return;
    CHeaderCtrl* header = GetHeaderCtrl();
    if (header && header->m_hWnd && !CWnd::FromHandlePermanent(header->m_hWnd) &&
        m_HeaderCtrl.SubclassWindow(header->m_hWnd))
        m_bHeaderIsSubclassed = TRUE;
}

void CXListCtrl::OnDestroy()
{
    FreeAllCells();
    CListCtrl::OnDestroy();
}

// ---- Cells ----------------------------------------------------------------------------------

CXListCtrl::Cells* CXListCtrl::CellsOf(int row) const
{
    if (row < 0 || row >= GetItemCount())
        return nullptr;
    return reinterpret_cast<Cells*>(CListCtrl::GetItemData(row));
}

bool CXListCtrl::ValidCell(int row, int column) const
{
    return row >= 0 && row < GetItemCount() && column >= 0 && column < GetColumns();
}

XLISTCTRLDATA* CXListCtrl::Cell(int row, int column) const
{
    if (!ValidCell(row, column))
        return nullptr;
    Cells* cells = CellsOf(row);
    // A row keeps as many cells as the header had columns when it came in.
    if (!cells || column >= static_cast<int>(cells->size()))
        return nullptr;
    return &(*cells)[static_cast<std::size_t>(column)];
}

void CXListCtrl::FreeCells(int row)
{
    if (Cells* cells = CellsOf(row))
    {
        delete cells;
        CListCtrl::SetItemData(row, 0);
    }
}

void CXListCtrl::FreeAllCells()
{
    for (int row = 0; row < GetItemCount(); ++row)
        FreeCells(row);
}

int CXListCtrl::GetColumns() const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    return header ? header->GetItemCount() : 0;
}

int CXListCtrl::InsertItem(int row, LPCSTR text)
{
    return InsertItem(row, text, m_crWindowText, m_crWindow);
}

int CXListCtrl::InsertItem(int row, LPCSTR text, COLORREF textColor, COLORREF backgroundColor)
{
    const int index = CListCtrl::InsertItem(row, text);
    if (index < 0)
        return index;
    auto* cells = new Cells(static_cast<std::size_t>(std::max(GetColumns(), 1)));
    for (XLISTCTRLDATA& cell : *cells)
    {
        cell.crText = m_crWindowText;
        cell.crBackground = m_crWindow;
    }
    // Only the first cell takes the row's colours; the others keep the list's.
    (*cells)[0].crText = textColor;
    (*cells)[0].crBackground = backgroundColor;
    CListCtrl::SetItemData(index, reinterpret_cast<DWORD_PTR>(cells));
    return index;
}

int CXListCtrl::InsertItem(const LVITEM* item)
{
    if (!item)
        return -1;
    LVITEM copy = *item;
    copy.mask &= ~static_cast<UINT>(LVIF_PARAM);
    const int index = CListCtrl::InsertItem(&copy);
    if (index < 0)
        return index;
    auto* cells = new Cells(static_cast<std::size_t>(std::max(GetColumns(), 1)));
    for (XLISTCTRLDATA& cell : *cells)
    {
        cell.crText = m_crWindowText;
        cell.crBackground = m_crWindow;
    }
    if (item->mask & LVIF_IMAGE)
        (*cells)[0].nImage = item->iImage;
    if (item->mask & LVIF_PARAM)
        (*cells)[0].dwItemData = static_cast<DWORD_PTR>(item->lParam);
    CListCtrl::SetItemData(index, reinterpret_cast<DWORD_PTR>(cells));
    return index;
}

BOOL CXListCtrl::DeleteItem(int row)
{
    if (row < 0 || row >= GetItemCount())
        return FALSE;
    FreeCells(row);
    return CListCtrl::DeleteItem(row);
}

BOOL CXListCtrl::DeleteAllItems()
{
    FreeAllCells();
    return CListCtrl::DeleteAllItems();
}

BOOL CXListCtrl::SetItemText(int row, int column, LPCSTR text)
{
    if (!ValidCell(row, column))
        return FALSE;
    const BOOL done = CListCtrl::SetItemText(row, column, text);
    UpdateSubItem(row, column);
    return done;
}

BOOL CXListCtrl::SetItemText(int row, int column, LPCSTR text, COLORREF textColor, COLORREF backgroundColor)
{
    XLISTCTRLDATA* cell = Cell(row, column);
    if (!cell)
        return FALSE;
    BOOL done = TRUE;
    if (text)
        done = CListCtrl::SetItemText(row, column, text);
    cell->crText = textColor == static_cast<COLORREF>(-1) ? m_crWindowText : textColor;
    cell->crBackground = backgroundColor == static_cast<COLORREF>(-1) ? m_crWindow : backgroundColor;
    UpdateSubItem(row, column);
    return done;
}

BOOL CXListCtrl::SetItem(const LVITEM* item)
{
    if (!item || !ValidCell(item->iItem, item->iSubItem))
        return FALSE;
    LVITEM copy = *item;
    copy.mask &= ~static_cast<UINT>(LVIF_PARAM); // the item data holds the cells
    if (!CListCtrl::SetItem(&copy))
        return FALSE;
    if (item->mask & LVIF_IMAGE)
        SetItemImage(item->iItem, item->iSubItem, item->iImage);
    return TRUE;
}

BOOL CXListCtrl::SetItemImage(int row, int column, int image)
{
    return ChangeCell(row, column, [image](XLISTCTRLDATA& cell) { cell.nImage = image; });
}

BOOL CXListCtrl::SetBold(int row, int column, BOOL bold)
{
    return ChangeCell(row, column, [bold](XLISTCTRLDATA& cell) { cell.bBold = bold; });
}

BOOL CXListCtrl::GetBold(int row, int column) const
{
    const XLISTCTRLDATA* cell = Cell(row, column);
    return cell ? cell->bBold : FALSE;
}

BOOL CXListCtrl::SetEnabled(int row, BOOL enabled)
{
    XLISTCTRLDATA* cell = Cell(row, 0);
    if (!cell)
        return FALSE;
    cell->bEnabled = enabled;
    UpdateSubItem(row, -1);
    return TRUE;
}

BOOL CXListCtrl::GetEnabled(int row) const
{
    const XLISTCTRLDATA* cell = Cell(row, 0);
    return cell ? cell->bEnabled : FALSE;
}

BOOL CXListCtrl::SetItemColorBox(int row, int column, COLORREF color)
{
    return ChangeCell(row, column,
                      [color](XLISTCTRLDATA& cell)
                      {
                          cell.bColorBox = true;
                          cell.crBackground = color;
                      });
}

BOOL CXListCtrl::GetItemColorBox(int row, int column, COLORREF& color) const
{
    const XLISTCTRLDATA* cell = Cell(row, column);
    if (!cell || !cell->bColorBox)
        return FALSE;
    color = cell->crBackground;
    return TRUE;
}

BOOL CXListCtrl::SetCheckbox(int row, int column, int state)
{
    if (!ChangeCell(row, column, [state](XLISTCTRLDATA& cell) { cell.nCheckedState = state; }))
        return FALSE;
    UpdateHeaderCheck(column);
    return TRUE;
}

int CXListCtrl::GetCheckbox(int row, int column) const
{
    const XLISTCTRLDATA* cell = Cell(row, column);
    return cell ? cell->nCheckedState : -1;
}

int CXListCtrl::CountCheckedItems(int column) const
{
    if (column < 0 || column >= GetColumns())
        return 0;
    int count = 0;
    for (int row = 0; row < GetItemCount(); ++row)
        if (GetCheckbox(row, column) == 1)
            ++count;
    return count;
}

void CXListCtrl::UpdateHeaderCheck(int column)
{
    if (GetHeaderCheckedState(column) == 0)
        return; // the column has no header check box
    SetHeaderCheckedState(column, CountCheckedItems(column) == GetItemCount() ? 2 : 1);
}

BOOL CXListCtrl::SetHeaderCheckedState(int column, int state)
{
    if (column < 0 || column >= GetColumns())
        return FALSE;
    HDITEM hdi{};
    hdi.mask = HDI_IMAGE;
    hdi.iImage = state;
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header->SetItem(column, &hdi))
        return FALSE;
    header->Invalidate();
    header->UpdateWindow();
    return TRUE;
}

int CXListCtrl::GetHeaderCheckedState(int column) const
{
    if (column < 0 || column >= GetColumns())
        return -1;
    HDITEM hdi{};
    hdi.mask = HDI_IMAGE;
    if (!GetHeaderCtrl()->GetItem(column, &hdi))
        return -1;
    // A column inserted without an image carries no check state.
    return hdi.iImage == 1 || hdi.iImage == 2 ? hdi.iImage : 0;
}

DWORD_PTR CXListCtrl::GetItemData(int row) const
{
    const XLISTCTRLDATA* cell = Cell(row, 0);
    return cell ? cell->dwItemData : 0;
}

BOOL CXListCtrl::SetItemData(int row, DWORD_PTR value)
{
    XLISTCTRLDATA* cell = Cell(row, 0);
    if (!cell)
        return FALSE;
    cell->dwItemData = value;
    return TRUE;
}

int CXListCtrl::GetCurSel() const
{
    return GetNextItem(-1, LVNI_SELECTED);
}

BOOL CXListCtrl::SetCurSel(int row)
{
    if (row < 0 || row >= GetItemCount())
        return FALSE;
    return SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

BOOL CXListCtrl::GetSubItemRect(int row, int column, int area, CRect& rect) const
{
    if (!CListCtrl::GetSubItemRect(row, column, area, rect))
        return FALSE;
    if (column == 0 && GetColumns() > 1)
    {
        CRect next;
        if (CListCtrl::GetSubItemRect(row, 1, LVIR_BOUNDS, next))
            rect.right = next.left;
    }
    return TRUE;
}

void CXListCtrl::UpdateSubItem(int row, int column)
{
    if (!m_hWnd || row < 0 || row >= GetItemCount())
        return;
    CRect rect;
    if (column == -1)
        GetItemRect(row, &rect, LVIR_BOUNDS);
    else if (!GetSubItemRect(row, column, LVIR_BOUNDS, rect))
        return;
    InvalidateRect(&rect);
    UpdateWindow();
}

CWnd* CXListCtrl::Target() const
{
    CWnd* parent = GetParent();
    return parent ? parent : GetOwner();
}

// ---- Input ----------------------------------------------------------------------------------

void CXListCtrl::OnLButtonDown(UINT flags, CPoint point)
{
    int row = -1;
    for (int r = 0; r < GetItemCount(); ++r)
    {
        CRect rect;
        if (GetItemRect(r, &rect, LVIR_BOUNDS) && rect.PtInRect(point))
        {
            row = r;
            break;
        }
    }
    if (row >= 0)
    {
        const XLISTCTRLDATA* first = Cell(row, 0);
        if (!first || !first->bEnabled)
            return; // a disabled row takes no click at all, not even the selection
    }
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_XLISTCTRL_LBUTTONDOWN, reinterpret_cast<WPARAM>(&point), 0);
    if (row < 0)
    {
        CListCtrl::OnLButtonDown(flags, point);
        return;
    }
    int column = -1;
    for (int c = 0; c < GetColumns(); ++c)
    {
        CRect rect;
        if (GetSubItemRect(row, c, LVIR_BOUNDS, rect) && rect.PtInRect(point))
        {
            column = c;
            break;
        }
    }
    XLISTCTRLDATA* cell = Cell(row, column);
    if (!cell)
    {
        CListCtrl::OnLButtonDown(flags, point);
        return;
    }
    if (cell->nCheckedState == -1)
    {
        if (!cell->bColorBox)
        {
            CListCtrl::OnLButtonDown(flags, point);
            return;
        }
        // Select the row first, so that it shows which keyword the dialog is for.
        CListCtrl::OnLButtonDown(flags, point);
        CColorDialog dialog(cell->crBackground, CC_FULLOPEN, this);
        if (dialog.DoModal() != IDOK)
            return;
        cell = Cell(row, column); // the dialog ran a loop: the row may have gone
        if (!cell)
            return;
        cell->crBackground = dialog.GetColor();
        UpdateSubItem(row, column);
        if (CWnd* target = Target(); target && target->m_hWnd)
        {
            auto* block = new char[kColorBlockSize]();
            std::snprintf(block, kColorBlockSize, "%d|%d", row, column);
            if (!target->PostMessage(WM_XLISTCTRL_COLORBOX_CLICKED, reinterpret_cast<WPARAM>(block),
                                     static_cast<LPARAM>(cell->crBackground)))
                delete[] block;
        }
        return;
    }
    cell->nCheckedState = cell->nCheckedState == 0 ? 1 : 0;
    UpdateSubItem(row, column);
    if (CWnd* target = Target(); target && target->m_hWnd)
        target->SendMessage(WM_XLISTCTRL_CHECKBOX_CLICKED, static_cast<WPARAM>(row),
                            static_cast<LPARAM>(column));
    UpdateHeaderCheck(column);
    CListCtrl::OnLButtonDown(flags, point);
}

void CXListCtrl::OnColumnClick(int column)
{
    const int state = GetHeaderCheckedState(column);
    if (state <= 0)
        return; // no header check box: the rows stay as they are
    const int flipped = state == 1 ? 2 : 1;
    SetHeaderCheckedState(column, flipped);
    CWnd* parent = GetParent();
    for (int row = 0; row < GetItemCount(); ++row)
    {
        XLISTCTRLDATA* cell = Cell(row, column);
        if (!cell || cell->nCheckedState == -1)
            continue;
        if (GetEnabled(row))
            cell->nCheckedState = flipped - 1;
        UpdateSubItem(row, column);
        if (parent)
            parent->SendMessage(WM_XLISTCTRL_HEADER_CHECK, reinterpret_cast<WPARAM>(&row), 0);
    }
}

BOOL CXListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_NOTIFY)
    {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr->code == static_cast<UINT>(NM_CUSTOMDRAW))
        {
            *result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
            return TRUE;
        }
        if (hdr->code == static_cast<UINT>(NM_CLICK))
        {
            *result = 0;
            return FALSE; // the parent hears of the click too
        }
        if (hdr->code == static_cast<UINT>(LVN_COLUMNCLICK))
        {
            OnColumnClick(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem);
            return FALSE;
        }
    }
    return CListCtrl::OnChildNotify(message, wParam, lParam, result);
}

// ---- Painting -------------------------------------------------------------------------------

LRESULT CXListCtrl::CustomDraw(NMLVCUSTOMDRAW* cd)
{
    const DWORD stage = cd->nmcd.dwDrawStage;
    if (stage == CDDS_PREPAINT || stage == CDDS_ITEMPREPAINT)
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYSUBITEMDRAW;
    if (stage != (CDDS_ITEMPREPAINT | CDDS_SUBITEM))
        return CDRF_DODEFAULT;

    const int row = static_cast<int>(cd->nmcd.dwItemSpec);
    const int column = cd->iSubItem;
    COLORREF text = m_crWindowText;
    COLORREF background = m_crWindow;
    const XLISTCTRLDATA* cell = Cell(row, column);
    if (cell)
    {
        text = cell->crText;
        background = cell->crBackground;
    }
    if (!GetEnabled(row))
        text = m_crGrayText;
    cd->clrText = text;
    cd->clrTextBk = background;

    CDC* dc = CDC::FromHandle(cd->nmcd.hdc);
    CRect rect;
    GetSubItemRect(row, column, LVIR_LABEL, rect);
    if (cell && cell->nCheckedState != -1)
    {
        DrawCheckbox(row, column, *dc, text, background, rect);
        return CDRF_SKIPDEFAULT;
    }
    if (cell && cell->bColorBox)
    {
        dc->FillSolidRect(&rect, background);
        return CDRF_SKIPDEFAULT;
    }
    SelectionColors(row, column, text, background);
    rect.left += DrawImage(row, column, *dc, background, rect);
    DrawText(row, column, *dc, text, rect);
    return CDRF_SKIPDEFAULT;
}

void CXListCtrl::SelectionColors(int row, int column, COLORREF& text, COLORREF& background) const
{
    if (!(GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED))
        return;
    if (!(GetExtendedStyle() & LVS_EX_FULLROWSELECT) && column != 0)
        return;
    if (::GetFocus() == m_hWnd)
    {
        text = m_crHighLightText;
        background = m_crHighLight;
    }
    else if (GetStyle() & LVS_SHOWSELALWAYS)
    {
        text = m_crWindowText;
        background = m_cr3DFace;
    }
}

int CXListCtrl::DrawImage(int row, int column, CDC& dc, COLORREF background, CRect rect)
{
    dc.FillSolidRect(&rect, background);
    const int spacing = m_HeaderCtrl.GetSpacing();
    rect.left += spacing;
    CImageList* images = GetImageList(LVSIL_SMALL);
    const XLISTCTRLDATA* cell = Cell(row, column);
    if (!images || !cell || cell->nImage == -1 || rect.Width() <= 0)
        return 0;
    IMAGEINFO info{};
    if (!images->GetImageInfo(cell->nImage, &info))
        return 0;
    const int width = info.rcImage.right - info.rcImage.left;
    const int height = info.rcImage.bottom - info.rcImage.top;
    const COLORREF old = images->SetBkColor(background);
    images->DrawEx(&dc, cell->nImage, CPoint(rect.left, rect.top + (rect.Height() - height) / 2),
                   CSize(std::min(width, static_cast<int>(rect.Width())),
                         std::min(height, static_cast<int>(rect.Height()))),
                   CLR_DEFAULT, CLR_DEFAULT, ILD_NORMAL);
    images->SetBkColor(old);
    return width + spacing;
}

void CXListCtrl::DrawText(int row, int column, CDC& dc, COLORREF text, CRect rect)
{
    const std::string label = CListCtrl::GetItemText(row, column);
    if (label.empty())
        return;
    LVCOLUMN lvc{};
    lvc.mask = LVCF_FMT;
    GetColumn(column, &lvc);
    UINT format = kCellTextFormat;
    switch (lvc.fmt & LVCFMT_JUSTIFYMASK)
    {
    case LVCFMT_RIGHT:
        format |= DT_RIGHT;
        break;
    case LVCFMT_CENTER:
        format |= DT_CENTER;
        break;
    default:
        format |= DT_LEFT;
        break;
    }
    CFont bold;
    CFont* oldFont = nullptr;
    if (GetBold(row, column))
    {
        LOGFONT lf{};
        if (CFont* current = dc.GetCurrentFont(); current && current->GetLogFont(&lf))
        {
            lf.lfWeight = FW_BOLD;
            if (bold.CreateFontIndirect(&lf))
                oldFont = dc.SelectObject(&bold);
        }
    }
    dc.SetTextColor(text);
    dc.SetBkMode(TRANSPARENT);
    dc.DrawText(label, &rect, format);
    if (oldFont)
        dc.SelectObject(oldFont);
}

void CXListCtrl::DrawCheckbox(int row, int column, CDC& dc, COLORREF text, COLORREF background, CRect rect)
{
    dc.FillSolidRect(&rect, background);
    CRect box = rect;
    box.bottom -= 1;
    box.left += kCheckInset;
    const std::string label = CListCtrl::GetItemText(row, column);
    if (label.empty())
        box.left = rect.left + rect.Width() / 2 - box.Height() / 2 - 1;
    box.right = box.left + box.Height();
    dc.FillSolidRect(&box, m_crWindow);
    box.left += 1;
    dc.DrawEdge(&box, EDGE_SUNKEN, BF_RECT);

    if (GetCheckbox(row, column) == 1)
    {
        CPen pen(PS_SOLID, 1, GetEnabled(row) ? RGB(0, 0, 0) : m_crGrayText);
        CPen* oldPen = dc.SelectObject(&pen);
        // A tick: down to the left in four strokes, then up to the left in three.
        for (int stroke = 0; stroke < 4; ++stroke)
        {
            dc.MoveTo(box.left + 9 - stroke, box.top + 3 + stroke);
            dc.LineTo(box.left + 9 - stroke, box.top + 6 + stroke);
        }
        for (int stroke = 0; stroke < 3; ++stroke)
        {
            dc.MoveTo(box.left + 5 - stroke, box.top + 5 - stroke);
            dc.LineTo(box.left + 5 - stroke, box.top + 8 - stroke);
        }
        dc.SelectObject(oldPen);
    }
    if (!label.empty())
    {
        CRect textRect = rect;
        textRect.left = box.right + kCheckTextGap;
        dc.SetTextColor(text);
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(label, &textRect, kCellTextFormat);
    }
}
