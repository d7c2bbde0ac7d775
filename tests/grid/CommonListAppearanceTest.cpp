// A common list in a dialog bar starting from whatever the settings file holds: its stored
// appearance, values no window can use, a profile longer than the usual read buffer, a folder where
// the file should be; its font and row height, and the tooltips of header and rows.
#include "GridTestSupport.h"
#include "base/PluginGlobals.h"
#include "base/UserSettings.h"
#include "frame/KTBCGPDialogBar.h"
#include "grid/CommonListCtrl.h"
#include "support/BarTemplate.h"
#include "winlib/FormView.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

constexpr UINT kBarTemplate = 7401;
constexpr UINT kListId = 4000;
constexpr UINT kFormTemplate = 9411;

class CTradesForm : public CBCGPFormView
{
public:
    CTradesForm() : CBCGPFormView(kFormTemplate) {}
};

std::vector<std::string> g_log;
void Log(std::string line)
{
    g_log.push_back(std::move(line));
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
        winlib::RegisterDialogTemplate(BarTemplate(kBarTemplate, 300, 200));
        ASSERT_TRUE(m_frame.Create(nullptr, "Frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 700)));
        m_frame.EnableDocking(CBRS_ALIGN_ANY);
        m_frame.ShowWindow(SW_SHOW);
        ASSERT_TRUE(m_bar.Create("Host", &m_frame, TRUE, kBarTemplate, WS_CHILD | CBRS_TOP, 900));
        m_frame.DockControlBar(&m_bar);
        m_bar.ShowControlBar(TRUE, FALSE, FALSE);
        g_log.clear();
        g_pfnAddToTabbedLog = &Log;
    }
    void TearDown() override
    {
        CloseList();
        g_pfnAddToTabbedLog = nullptr;
    }

    // Starts the list as its owner does; the stored appearance and profile are read here.
    CCommonListCtrl& OpenList(int rows = 3)
    {
        using gridtest::Column;
        CloseList();
        m_list = std::make_unique<CCommonListCtrl>();
        m_list->m_strListName = "Trades";
        m_list->m_arrColumns = {Column("Symbol", 80), Column("Qty", 60), Column("Price", 70)};
        EXPECT_TRUE(
            m_list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 20, 400, 200), &m_bar, kListId));
        m_list->InitColumns();
        for (int row = 0; row < rows; ++row)
        {
            m_list->InsertItem(row, "ABC");
            m_list->SetItemText(row, 1, "100");
        }
        m_driver.Pump(); // painted, with whatever widths and font it took
        return *m_list;
    }
    // Closes the list as its window goes, which saves its profile.
    void CloseList()
    {
        if (m_list && m_list->m_hWnd)
            m_list->DestroyWindow();
        m_list.reset();
    }
    void Store(const std::string& section, const std::string& key, std::string value)
    {
        std::string error;
        ASSERT_TRUE(ReadWriteSetting(SETTING_WRITE, section, key, value, GetUserSettingsPath(), error));
    }
    std::string StoredProfile()
    {
        std::string value;
        ReadWriteColumnProfile(SETTING_READ, "Trades", value);
        return value;
    }
    LOGFONT ListFont() const
    {
        LOGFONT lf{};
        if (m_list->GetFont())
            m_list->GetFont()->GetLogFont(&lf);
        return lf;
    }

    ScopedTempDir m_settings;
    ScopedEnv m_appData{"APPDATA", m_settings.Path().c_str()};
    winlib::testing::Driver m_driver;
    CBCGPFrameWnd m_frame;
    CKTBCGPDialogBar m_bar;
    std::unique_ptr<CCommonListCtrl> m_list;
};

using StoredValuesTest = CommonListAppearanceTest;

TEST_F(CommonListAppearanceTest, AListInAFrameworkDialogTakesItsStoredAppearanceOrTheDefaultOne)
{
    // No settings file: nothing read, nothing applied, green on black.
    OpenList();
    EXPECT_FALSE(m_list->m_bStoredAppearanceLoaded);
    EXPECT_EQ(m_list->GetBkColor(), RGB(0, 0, 0));
    EXPECT_EQ(m_list->GetTextColor(), RGB(0, 255, 0));
    EXPECT_EQ(m_list->GetFont(), nullptr);

    // A settings file without the list's entry: the default appearance applies.
    Store("CUSTOMIZE_LISTS", "Other-1", "x");
    OpenList();
    EXPECT_FALSE(m_list->m_bStoredAppearanceLoaded);
    EXPECT_EQ(m_list->GetTextColor(), RGB(0, 255, 0));
    EXPECT_STREQ(ListFont().lfFaceName, "MS Shell Dlg 2");
    EXPECT_EQ(ListFont().lfHeight, -11);

    Store("CUSTOMIZE_LISTS", "Trades-4000", "FFFFFF,800000,Tahoma,10,");
    OpenList();
    EXPECT_TRUE(m_list->m_bStoredAppearanceLoaded);
    EXPECT_EQ(m_list->GetBkColor(), RGB(255, 255, 255));
    EXPECT_EQ(m_list->GetTextBkColor(), RGB(255, 255, 255));
    EXPECT_EQ(m_list->GetTextColor(), 0x800000u);
    EXPECT_STREQ(ListFont().lfFaceName, "Tahoma");
    EXPECT_EQ(ListFont().lfHeight, -MulDiv(10, 96, 72));
}

// A list on a form view of the docking library finds it as its host just the same.
TEST_F(CommonListAppearanceTest, AListOnAFormViewTakesItsStoredAppearance)
{
    winlib::DialogTemplate t = BarTemplate(kFormTemplate, 300, 200);
    t.style = WS_CHILD | DS_SETFONT;
    winlib::RegisterDialogTemplate(t);
    Store("CUSTOMIZE_LISTS", "Trades-4000", "FFFFFF,800000,Tahoma,10,");
    CWnd top;
    ASSERT_TRUE(
        top.CreateEx(0, "AfxWnd", nullptr, WS_OVERLAPPED | WS_VISIBLE, 0, 0, 600, 500, nullptr, nullptr));
    auto* form = new CTradesForm; // views delete themselves with their window
    ASSERT_TRUE(form->CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 500, 400), &top, 1));
    CCommonListCtrl list;
    list.m_strListName = "Trades";
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 400, 200), form, 4000));
    EXPECT_TRUE(list.m_bStoredAppearanceLoaded);
    EXPECT_EQ(list.GetTextColor(), 0x800000u);
}

TEST_F(CommonListAppearanceTest, RowsAreAsHighAsTheFontPlusOne)
{
    m_list = std::make_unique<CCommonListCtrl>();
    m_list->m_strListName = "Rows";
    ASSERT_TRUE(m_list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED,
                               CRect(0, 20, 400, 200), &m_bar, 4001));
    m_list->InsertColumn(0, "A", LVCFMT_LEFT, 50);
    m_list->InsertItem(0, "x");
    m_list->InsertItem(1, "y");
    const auto rowHeight = [&](const char* size)
    {
        m_list->ApplyListFont("MS Shell Dlg 2", size);
        CRect first;
        CRect second;
        m_list->GetItemRect(0, &first, LVIR_BOUNDS);
        m_list->GetItemRect(1, &second, LVIR_BOUNDS);
        return second.top - first.top;
    };
    EXPECT_EQ(rowHeight("8"), 13 + 0 + 1) << "the model font's height, no leading, and one";
    EXPECT_EQ(rowHeight("16"), 21 + 4 + 1) << "measured again when the font changes";
}

TEST_F(CommonListAppearanceTest, RowTooltipsAskTheProviderForTheRowUnderTheMouse)
{
    OpenList(2);
    CRect row;
    m_list->GetItemRect(1, &row, LVIR_BOUNDS);
    TOOLINFOA info{};
    EXPECT_EQ(m_list->OnToolHitTestForTest(row.CenterPoint(), &info), -1) << "no provider, no tooltip";
    m_list->m_pfnRowToolTip = &RowTip;
    EXPECT_EQ(m_list->OnToolHitTestForTest(row.CenterPoint(), &info), 2);
    EXPECT_EQ(info.uId, 2u);

    NMTTDISPINFOA single{};
    single.hdr = NMHDR{nullptr, 2, static_cast<UINT>(TTN_NEEDTEXTA)};
    m_list->SendMessage(WM_NOTIFY, 2, reinterpret_cast<LPARAM>(&single));
    ASSERT_NE(single.lpszText, nullptr);
    EXPECT_STREQ(single.lpszText, "row 1");
    NMTTDISPINFOW wide{};
    wide.hdr = NMHDR{nullptr, 1, static_cast<UINT>(TTN_NEEDTEXTW)};
    m_list->SendMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&wide));
    ASSERT_NE(wide.lpszText, nullptr);
    EXPECT_EQ(std::wstring(wide.lpszText), L"row 0");
}

TEST_F(CommonListAppearanceTest, HeaderTooltipsFollowTheHeaderItems)
{
    OpenList(0);
    CToolTipCtrl* tips = m_list->HeaderToolTipForTest();
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(tips->GetToolCount(), 3);
    std::string text;
    tips->GetText(text, m_list->GetHeaderCtrl(), 2);
    EXPECT_EQ(text, "Qty");
    TOOLINFOA before{};
    before.cbSize = sizeof before;
    tips->GetToolInfo(before, m_list->GetHeaderCtrl(), 2);
    m_list->SetColumnWidth(0, 150);
    TOOLINFOA after{};
    after.cbSize = sizeof after;
    tips->GetToolInfo(after, m_list->GetHeaderCtrl(), 2);
    EXPECT_EQ(after.rect.left, 150) << "the second column's tool moved with the first column's width";
    EXPECT_NE(after.rect.left, before.rect.left);
}

TEST_F(StoredValuesTest, AColumnWidthNoWindowCanHaveIsHeldToTheLargestOne)
{
    Store("Trades", "COLUMNPROFILE", "0,0,2147483647,1,1,2147483647,2,2,-2147483648");
    CCommonListCtrl& list = OpenList();
    EXPECT_EQ(list.GetColumnWidth(0), 32767);
    EXPECT_EQ(list.GetColumnWidth(1), 32767);
    EXPECT_EQ(list.GetColumnWidth(2), 0);
    CRect last;
    list.GetHeaderCtrl()->GetItemRect(2, &last);
    EXPECT_EQ(last.left, 2 * 32767) << "the edges add up without overflowing";
    list.SendMessage(WM_HSCROLL, SB_RIGHT, 0);
    m_driver.Pump();
    CloseList();
    EXPECT_EQ(StoredProfile(), "0,0,32767,1,1,32767,2,2,0");
}

TEST_F(StoredValuesTest, AFontSizeOutOfRangeGivesTheDefaultSize)
{
    for (const char* size : {"400000000", "-1610612736", "0", "2147483647", "huge"})
    {
        Store("CUSTOMIZE_LISTS", "Trades-4000", std::string("FFFFFF,0,Tahoma,") + size);
        OpenList();
        EXPECT_STREQ(ListFont().lfFaceName, "Tahoma") << size;
        EXPECT_EQ(ListFont().lfHeight, -11) << size << ": 8 points at 96 dots per inch";
        EXPECT_EQ(m_list->GetBkColor(), 0xFFFFFFu) << "the rest of the appearance still applies";
    }
    // Set directly, as the appearance dialog would, the size is checked just the same.
    m_list->ApplyListFont("Arial", "-1610612736");
    EXPECT_EQ(ListFont().lfHeight, -11);
    m_list->ApplyListFont("Arial", "1638");
    EXPECT_EQ(ListFont().lfHeight, -MulDiv(1638, 96, 72));
    m_driver.Pump();
}

TEST_F(StoredValuesTest, ColoursThatAreNotHexadecimalLeaveTheTextReadable)
{
    Store("CUSTOMIZE_LISTS", "Trades-4000", "black,nothing,Tahoma,9");
    CCommonListCtrl& list = OpenList();
    EXPECT_EQ(list.GetBkColor(), RGB(0, 0, 0));
    EXPECT_EQ(list.GetTextColor(), RGB(0, 255, 0)) << "green on black, not black on black";
    Store("CUSTOMIZE_LISTS", "Trades-4000", "FFFFFF,-1,Tahoma,9");
    OpenList();
    EXPECT_EQ(m_list->GetBkColor(), RGB(255, 255, 255));
    EXPECT_EQ(m_list->GetTextColor(), RGB(0, 255, 0));
}

TEST_F(StoredValuesTest, TwoHundredUserDefinedColumnsSurviveARestart)
{
    std::string profile = "0,0,80,1,1,60,2,2,70";
    for (int i = 3; i < 203; ++i)
    {
        const std::string n = std::to_string(i);
        profile += "," + n + "," + n + ",80,Value " + n + "#[1]*" + n + "#Qty*" + n;
    }
    ASSERT_GT(profile.size(), 4095u) << "longer than the usual read buffer";
    Store("Trades", "COLUMNPROFILE", profile);
    for (int start = 0; start < 2; ++start)
    {
        CCommonListCtrl& list = OpenList();
        ASSERT_EQ(list.m_arrColumns.size(), 203u) << "start " << start;
        EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 203);
        const sKivoColInfo& lastColumn = list.m_arrColumns.back();
        EXPECT_EQ(lastColumn.GetName(), "Value 202");
        EXPECT_EQ(lastColumn.m_strExpression, "[1]*202");
        EXPECT_EQ(lastColumn.m_strDisplayExpression, "Qty*202");
        CloseList();
        EXPECT_EQ(StoredProfile(), profile) << "saved back whole at the close of start " << start;
    }
}

TEST_F(StoredValuesTest, AFolderWhereTheSettingsFileShouldBeLeavesTheDefaultsAndSaysSo)
{
    const fs::path file = m_settings.Path() / "DarvKIVO" / "KivoVovode" / "UserSetting.ini";
    fs::create_directories(file);
    CCommonListCtrl& list = OpenList();
    EXPECT_EQ(list.GetTextColor(), RGB(0, 255, 0));
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 3);
    EXPECT_EQ(list.GetColumnWidth(0), 80) << "the declared layout";
    CloseList();
    EXPECT_EQ(m_driver.MessageBoxTexts(), std::vector<std::string>{"Error while saving column profile"});
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_NE(g_log[0].find("UserSetting.ini is a folder, not a file"), std::string::npos) << g_log[0];
    EXPECT_TRUE(fs::is_directory(file));
}

} // namespace
