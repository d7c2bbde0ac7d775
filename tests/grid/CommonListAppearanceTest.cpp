// What a common list takes from its surroundings: the stored appearance when it sits in one
// of the framework's dialogs, its font and row height, and the tooltips of header and rows.
#include "dozizedizizi/DozizEdizizi.h"
#include "frame/KTBCGPDialogBar.h"
#include "grid/CommonListCtrl.h"
#include "grid/UserSettings.h"
#include "plugin/PluginGlobals.h"
#include "support/BarTemplate.h"
#include "support/ScopedTempDir.h"
#include "winlib/HeaderCtrl.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

namespace
{

constexpr UINT kBarTemplate = 7401;

void RegisterBarTemplate()
{
    winlib::RegisterDialogTemplate(BarTemplate(kBarTemplate, 300, 200));
}

BOOL RowTip(CWnd*, int row, std::string& text, CCommonListCtrl*)
{
    text = "row " + std::to_string(row);
    return TRUE;
}

class CommonListAppearanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterBarTemplate();
        ASSERT_TRUE(m_frame.Create(nullptr, "Frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 700)));
        m_frame.EnableDocking(CBRS_ALIGN_ANY);
        m_frame.ShowWindow(SW_SHOW);
        ASSERT_TRUE(m_bar.Create("Host", &m_frame, TRUE, kBarTemplate, WS_CHILD | CBRS_TOP, 900));
        m_frame.DockControlBar(&m_bar);
        m_bar.ShowControlBar(TRUE, FALSE, FALSE);
    }
    CCommonListCtrl& MakeList()
    {
        m_list.m_strListName = "Trades";
        sKivoColInfo symbol;
        symbol.SetName("Symbol");
        symbol.m_nWidth = 80;
        sKivoColInfo quantity;
        quantity.SetName("Quantity");
        quantity.m_nWidth = 60;
        m_list.m_arrColumns = {symbol, quantity};
        EXPECT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 20, 400, 200), &m_bar, 4000));
        m_list.InitColumns();
        return m_list;
    }

    ScopedTempDir m_settings;
    ScopedEnv m_appData{"APPDATA", m_settings.Path().c_str()};
    winlib::testing::Driver m_driver;
    CBCGPFrameWnd m_frame;
    CKTBCGPDialogBar m_bar;
    CCommonListCtrl m_list;
};

TEST_F(CommonListAppearanceTest, AListInAFrameworkDialogTakesItsStoredAppearance)
{
    std::string stored = "FFFFFF,800000,Tahoma,10,";
    std::string error;
    ASSERT_TRUE(ReadWriteSetting(SETTING_WRITE, "CUSTOMIZE_LISTS", "Trades-4000", stored,
                                 GetUserSettingsPath(), error));
    MakeList();
    EXPECT_TRUE(m_list.m_bStoredAppearanceLoaded);
    EXPECT_EQ(m_list.GetBkColor(), RGB(255, 255, 255));
    EXPECT_EQ(m_list.GetTextBkColor(), RGB(255, 255, 255));
    EXPECT_EQ(m_list.GetTextColor(), 0x800000u);
    LOGFONT lf{};
    ASSERT_NE(m_list.GetFont(), nullptr);
    m_list.GetFont()->GetLogFont(&lf);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");
    EXPECT_EQ(lf.lfHeight, -MulDiv(10, 96, 72));
}

TEST_F(CommonListAppearanceTest, WithoutASettingsFileTheListKeepsGreenOnBlack)
{
    MakeList();
    EXPECT_FALSE(m_list.m_bStoredAppearanceLoaded);
    EXPECT_EQ(m_list.GetBkColor(), RGB(0, 0, 0));
    EXPECT_EQ(m_list.GetTextColor(), RGB(0, 255, 0));
    EXPECT_EQ(m_list.GetFont(), nullptr) << "nothing read, nothing applied";
}

TEST_F(CommonListAppearanceTest, WithASettingsFileButNoEntryTheDefaultAppearanceApplies)
{
    std::string other = "x";
    std::string error;
    ASSERT_TRUE(
        ReadWriteSetting(SETTING_WRITE, "CUSTOMIZE_LISTS", "Other-1", other, GetUserSettingsPath(), error));
    MakeList();
    EXPECT_FALSE(m_list.m_bStoredAppearanceLoaded);
    EXPECT_EQ(m_list.GetTextColor(), RGB(0, 255, 0));
    ASSERT_NE(m_list.GetFont(), nullptr);
    LOGFONT lf{};
    m_list.GetFont()->GetLogFont(&lf);
    EXPECT_STREQ(lf.lfFaceName, "MS Shell Dlg 2");
    EXPECT_EQ(lf.lfHeight, -11);
}

TEST_F(CommonListAppearanceTest, RowsAreAsHighAsTheFontPlusOne)
{
    m_list.m_strListName = "Rows";
    ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, CRect(0, 20, 400, 200),
                              &m_bar, 4001));
    m_list.ApplyListFont("MS Shell Dlg 2", "8");
    m_list.InsertColumn(0, "A", LVCFMT_LEFT, 50);
    m_list.InsertItem(0, "x");
    m_list.InsertItem(1, "y");
    CRect first;
    CRect second;
    m_list.GetItemRect(0, &first, LVIR_BOUNDS);
    m_list.GetItemRect(1, &second, LVIR_BOUNDS);
    EXPECT_EQ(second.top - first.top, 13 + 0 + 1) << "the model font's height, no leading, and one";
    m_list.ApplyListFont("MS Shell Dlg 2", "16");
    m_list.GetItemRect(0, &first, LVIR_BOUNDS);
    m_list.GetItemRect(1, &second, LVIR_BOUNDS);
    EXPECT_EQ(second.top - first.top, 21 + 4 + 1) << "measured again when the font changes";
}

TEST_F(CommonListAppearanceTest, RowTooltipsAskTheProviderForTheRowUnderTheMouse)
{
    MakeList();
    m_list.InsertItem(0, "A");
    m_list.InsertItem(1, "B");
    CRect row;
    m_list.GetItemRect(1, &row, LVIR_BOUNDS);
    TOOLINFOA info{};
    EXPECT_EQ(m_list.OnToolHitTestForTest(row.CenterPoint(), &info), -1) << "no provider, no tooltip";
    m_list.m_pfnRowToolTip = &RowTip;
    EXPECT_EQ(m_list.OnToolHitTestForTest(row.CenterPoint(), &info), 2);
    EXPECT_EQ(info.uId, 2u);

    NMTTDISPINFOA single{};
    single.hdr = NMHDR{nullptr, 2, static_cast<UINT>(TTN_NEEDTEXTA)};
    m_list.SendMessage(WM_NOTIFY, 2, reinterpret_cast<LPARAM>(&single));
    ASSERT_NE(single.lpszText, nullptr);
    EXPECT_STREQ(single.lpszText, "row 1");
    NMTTDISPINFOW wide{};
    wide.hdr = NMHDR{nullptr, 1, static_cast<UINT>(TTN_NEEDTEXTW)};
    m_list.SendMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&wide));
    ASSERT_NE(wide.lpszText, nullptr);
    EXPECT_EQ(std::wstring(wide.lpszText), L"row 0");
}

TEST_F(CommonListAppearanceTest, HeaderTooltipsFollowTheHeaderItems)
{
    MakeList();
    CToolTipCtrl* tips = m_list.HeaderToolTipForTest();
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(tips->GetToolCount(), 2);
    std::string text;
    tips->GetText(text, m_list.GetHeaderCtrl(), 2);
    EXPECT_EQ(text, "Quantity");
    TOOLINFOA before{};
    before.cbSize = sizeof before;
    tips->GetToolInfo(before, m_list.GetHeaderCtrl(), 2);
    m_list.SetColumnWidth(0, 150);
    TOOLINFOA after{};
    after.cbSize = sizeof after;
    tips->GetToolInfo(after, m_list.GetHeaderCtrl(), 2);
    EXPECT_EQ(after.rect.left, 150) << "the second column's tool moved with the first column's width";
    EXPECT_NE(after.rect.left, before.rect.left);
}

} // namespace
