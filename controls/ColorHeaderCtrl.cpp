#include "controls/ColorHeaderCtrl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CColorHeaderCtrl, CHeaderCtrl)

const CHeaderFilterState* CColorHeaderCtrl::FilterState() const
{
    CWnd* owner = GetOwner() ? GetOwner() : GetParent();
    return owner ? dynamic_cast<const CHeaderFilterState*>(owner) : nullptr;
}

COLORREF CColorHeaderCtrl::ItemBackground(int item) const
{
    const CHeaderFilterState* state = FilterState();
    if (!state)
        return GetSysColor(COLOR_BTNFACE);
    const std::vector<int> filtered = state->GetFilteredColumns();
    if (filtered.empty())
        return GetSysColor(COLOR_BTNFACE);
    // The item's column, through the order the user gave the columns.
    const int count = GetItemCount();
    std::vector<int> order(static_cast<std::size_t>(std::max(count, 0)));
    int position = item;
    if (count > 0 && GetOrderArray(order.data(), count))
    {
        const auto it = std::find(order.begin(), order.end(), item);
        if (it != order.end())
            position = static_cast<int>(it - order.begin());
    }
    const int column = state->GetColumnAtPosition(position);
    const bool isFiltered = std::find(filtered.begin(), filtered.end(), column) != filtered.end();
    return isFiltered ? kFilteredColumnTint : kFilterTint;
}

BOOL CColorHeaderCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(NM_CUSTOMDRAW))
    {
        auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
        if (draw->dwDrawStage == CDDS_PREPAINT)
        {
            *result = CDRF_NOTIFYITEMDRAW;
            return TRUE;
        }
        if (draw->dwDrawStage == CDDS_ITEMPREPAINT)
        {
            ::SetTextColor(draw->hdc, RGB(0, 0, 0));
            ::SetBkColor(draw->hdc, ItemBackground(static_cast<int>(draw->dwItemSpec)));
            *result = CDRF_NEWFONT;
            return TRUE;
        }
        *result = CDRF_DODEFAULT;
        return TRUE;
    }
    return CHeaderCtrl::OnChildNotify(message, wParam, lParam, result);
}

BOOL CColorHeaderCtrl::OnEraseBkgnd(CDC* dc)
{
    const CHeaderFilterState* state = FilterState();
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, (state && state->IsFilterOn()) ? kFilterTint : GetSysColor(COLOR_BTNFACE));
    return TRUE;
}
