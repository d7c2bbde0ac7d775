#include "grid/FilterText.h"

#include "winlib/Api.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <unordered_set>
#include <vector>

IMPLEMENT_DYNAMIC(CFilterText, CKTBCGPDialog)

namespace
{

CFilterText* g_pFilterListPicker = nullptr;
CFilterText* g_pMultiLinePicker = nullptr;

bool LessNoCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) {
                                            return std::tolower(static_cast<unsigned char>(x)) <
                                                   std::tolower(static_cast<unsigned char>(y));
                                        });
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) {
                                                  return std::tolower(static_cast<unsigned char>(x)) ==
                                                         std::tolower(static_cast<unsigned char>(y));
                                              });
}

} // namespace

CFilterText::CFilterText(CFilterText** slot) : CKTBCGPDialog(IDD, nullptr), m_ppSlot(slot) {}

CFilterText& CFilterText::Instance(CFilterText*& slot)
{
    if (!slot)
        slot = new CFilterText(&slot); // deletes itself with its window (PostNcDestroy)
    return *slot;
}

CFilterText& CFilterText::ForFilterLists()
{
    return Instance(g_pFilterListPicker);
}

CFilterText& CFilterText::ForMultiLineLists()
{
    return Instance(g_pMultiLinePicker);
}

void CFilterText::PostNcDestroy()
{
    if (m_ppSlot && *m_ppSlot == this)
        *m_ppSlot = nullptr;
    delete this;
}

BOOL CFilterText::OnInitDialog()
{
    CKTBCGPDialog::OnInitDialog();
    m_lbValues.SubclassDlgItem(IDC_VALUES, this);
    return TRUE;
}

BOOL CFilterText::Open(CWnd* list, CFilterTextTarget* target, int position, const CollectValues& collect,
                       CPoint screen)
{
    if (!list || !target)
        return FALSE;
    if (!m_hWnd && !Create(IDD, list))
        return FALSE;
    m_pList = list;
    m_hList = list->m_hWnd;
    m_pTarget = target;
    m_nPosition = position;

    // The texts are collected and ordered first, so that the sorted list box only ever appends:
    // a column of a million distinct values must not cost a million insertions in the middle.
    std::unordered_set<std::string> seen;
    std::vector<std::string> values;
    if (collect)
    {
        collect(
            [&](std::string_view text)
            {
                if (!text.empty() && seen.emplace(text).second)
                    values.emplace_back(text);
            });
    }
    std::sort(values.begin(), values.end(), LessNoCase);
    m_lbValues.SetRedraw(FALSE);
    m_lbValues.ResetContent();
    for (const std::string& value : values)
        m_lbValues.AddString(value.c_str());
    m_lbValues.SetRedraw(TRUE);
    m_lbValues.Invalidate();

    SetWindowPos(nullptr, screen.x, screen.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetActiveWindow();
    m_lbValues.SetFocus();
    return TRUE;
}

std::string CFilterText::JoinSelection() const
{
    std::string joined;
    const int count = m_lbValues.m_hWnd ? m_lbValues.GetSelCount() : 0;
    if (count <= 0)
        return joined;
    std::vector<int> selected(static_cast<std::size_t>(count));
    const int got = m_lbValues.GetSelItems(count, selected.data());
    std::vector<std::string> alternatives;
    for (int i = 0; i < got; ++i)
    {
        std::string text;
        m_lbValues.GetText(selected[static_cast<std::size_t>(i)], text);
        // A value the filter already holds (in any case, as the filter ignores case) adds
        // nothing. Only whole alternatives count: a value that merely occurs inside another, as
        // B inside AB, still matches rows of its own and must stay.
        const bool present = std::any_of(alternatives.begin(), alternatives.end(),
                                         [&](const std::string& other) { return EqualNoCase(other, text); });
        if (present)
            continue;
        alternatives.push_back(text);
        if (!joined.empty())
            joined += '~';
        joined += text;
    }
    return joined;
}

void CFilterText::ApplySelection()
{
    const std::string text = JoinSelection();
    CFilterTextTarget* target = m_pTarget;
    const bool listAlive = m_hList && ::IsWindow(m_hList) && CWnd::FromHandlePermanent(m_hList) == m_pList;
    const int position = m_nPosition;
    ShowWindow(SW_HIDE);
    if (target && listAlive)
        target->SetPickedFilter(position, text);
    FocusList();
}

void CFilterText::FocusList()
{
    // Closed from the keyboard or by a pick, the picker hands the keys back to its list: the field
    // of the filter row that had them is gone by now, and the frame's first control (the console's
    // Accept button) must not be the one the next Enter presses.
    if (m_hList && ::IsWindow(m_hList) && CWnd::FromHandlePermanent(m_hList) == m_pList &&
        ::IsWindowVisible(m_hList))
        ::SetFocus(m_hList);
}

void CFilterText::OnOK()
{
    ApplySelection();
}

void CFilterText::OnCancel()
{
    ShowWindow(SW_HIDE);
    FocusList();
}

BOOL CFilterText::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_VALUES && HIWORD(wParam) == LBN_DBLCLK)
    {
        ApplySelection();
        return TRUE;
    }
    return CKTBCGPDialog::OnCommand(wParam, lParam);
}

void CFilterText::OnActivate(UINT state, CWnd* other, BOOL minimized)
{
    CKTBCGPDialog::OnActivate(state, other, minimized);
    if (LOWORD(state) == WA_INACTIVE && IsWindowVisible())
        ShowWindow(SW_HIDE);
}
