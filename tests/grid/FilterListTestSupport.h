// A filter list in data mode over records of six cells, inside an owner that re-applies the
// filter whenever the list reports a filter change, as the console does.
#pragma once

#include "GridTestSupport.h"
#include "grid/FilterListCtrl.h"
#include "resources/PluginResources.h"
#include "support/ScopedTempDir.h"
#include "winlib/HeaderCtrl.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace filterlist
{

struct Order
{
    std::array<std::string, 6> cells; // Symbol, Side, Qty, Price, Time, Trader
};

inline BOOL OrderCell(DWORD_PTR item, int column, std::string& text, COLORREF&, COLORREF&, int&)
{
    const auto* order = reinterpret_cast<const Order*>(item);
    if (!order || column < 0 || column >= 6)
        return FALSE;
    text = order->cells[static_cast<std::size_t>(column)];
    return TRUE;
}

// The owner: re-applies the list's filter on every filter change it hears of.
class Owner : public CWnd
{
public:
    CFilterListCtrl* m_pList = nullptr;
    std::vector<UINT> m_codes;   // header notifications heard from the list
    std::vector<UINT_PTR> m_ids; // and the identifiers they came with

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (m_pList && hdr->hwndFrom == m_pList->m_hWnd && hdr->code <= HDN_FIRST && hdr->code > HDN_LAST)
        {
            m_codes.push_back(hdr->code);
            m_ids.push_back(hdr->idFrom);
            if (hdr->code == static_cast<UINT>(HDN_FILTERCHANGE))
                m_pList->ApplyFilter();
        }
        return CWnd::OnNotify(wParam, lParam, result);
    }
};

class FilterListTest : public ::testing::Test
{
protected:
    static constexpr DWORD kGridStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT |
                                        LVS_OWNERDRAWFIXED | LVS_OWNERDATA; // as the holder frame makes grids

    explicit FilterListTest(winlib::HeadlessDrawing drawing = winlib::HeadlessDrawing::Null)
        : m_driver(drawing)
    {
    }

    void SetUp() override
    {
        RegisterPluginResources();
        ASSERT_TRUE(
            m_owner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 700, 400), nullptr, 0));
        MakeList();
    }
    void TearDown() override
    {
        if (m_list && m_list->m_hWnd)
            m_list->DestroyWindow();
    }

    void MakeList(int width = 600)
    {
        if (m_list && m_list->m_hWnd)
            m_list->DestroyWindow();
        m_list = std::make_unique<CFilterListCtrl>();
        m_owner.m_pList = m_list.get();
        m_list->m_strListName = "Orders";
        using gridtest::Column;
        m_list->m_arrColumns = {Column("Symbol", 75, 0, 3), Column("Side", 75, 0, 3),
                                Column("Qty", 75, 1, 1),    Column("Price", 75, 1, 2),
                                Column("Time", 75, 2, 6),   Column("Trader", 75, 0, 3)};
        ASSERT_TRUE(m_list->CreateEx(0, kGridStyle, CRect(0, 0, width, 300), &m_owner, 4000));
        m_list->InitColumns();
        m_list->SetDataDescriptor(&OrderCell);
        m_list->EnableFilter(TRUE);
    }

    // Inserts a record as the console does: a row at 0, then the record as its data.
    Order& Add(std::array<std::string, 6> cells)
    {
        m_orders.push_back(Order{std::move(cells)});
        m_list->InsertItem(0, "");
        m_list->SetItemData(0, reinterpret_cast<DWORD_PTR>(&m_orders.back()));
        return m_orders.back();
    }
    Order& Add(const std::string& symbol, const std::string& side = "Buy", const std::string& qty = "1",
               const std::string& price = "1", const std::string& time = "01/01/2024",
               const std::string& trader = "T")
    {
        return Add({symbol, side, qty, price, time, trader});
    }
    std::vector<std::string> Shown(int column = 0) const
    {
        std::vector<std::string> texts;
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            texts.push_back(m_list->GetItemText(row, column));
        return texts;
    }
    CHeaderCtrl& Header() const { return *m_list->GetHeaderCtrl(); }
    CPoint HeaderPoint(int item) const
    {
        CRect r;
        Header().GetItemRect(item, &r);
        return CPoint(r.CenterPoint().x, r.top + 6);
    }
    // Clicks a dialog's button as the user does.
    void Press(CWnd& dialog, int id, winlib::testing::Modifiers held = winlib::testing::NoModifiers)
    {
        CWnd* button = dialog.GetDlgItem(id);
        CRect rect;
        button->GetClientRect(&rect);
        m_driver.Click(button->m_hWnd, rect.CenterPoint(), held);
        m_driver.Pump();
    }
    // Types into the filter field of a header item and lets the time-out run out.
    void TypeFilter(int item, const std::string& text)
    {
        Header().EditFilter(item, FALSE);
        m_driver.Type(text);
        m_driver.AdvanceClock(600);
        m_driver.Pump();
    }

    ScopedTempDir m_settings;
    ScopedEnv m_appData{"APPDATA", m_settings.Path().c_str()};
    winlib::testing::Driver m_driver;
    Owner m_owner;
    std::unique_ptr<CFilterListCtrl> m_list;
    std::deque<Order> m_orders; // stable addresses
};

} // namespace filterlist
