// A list on a form view of the docking library finds it as its host and takes its stored appearance.
#include "grid/CommonListCtrl.h"
#include "grid/UserSettings.h"
#include "support/ScopedTempDir.h"
#include "winlib/FormView.h"
#include "winlib/Resources.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

namespace
{

constexpr UINT kFormTemplate = 9411;

class CTradesForm : public CBCGPFormView
{
public:
    CTradesForm() : CBCGPFormView(kFormTemplate) {}
};

TEST(FormViewAppearanceTest, AListOnAFormViewTakesItsStoredAppearance)
{
    ScopedTempDir settings;
    ScopedEnv appData{"APPDATA", settings.Path().c_str()};
    winlib::testing::Driver driver;
    winlib::DialogTemplate t{};
    t.id = kFormTemplate;
    t.style = WS_CHILD | DS_SETFONT;
    t.cx = 300;
    t.cy = 200;
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    winlib::RegisterDialogTemplate(t);
    std::string stored = "FFFFFF,800000,Tahoma,10,";
    std::string error;
    ASSERT_TRUE(ReadWriteSetting(SETTING_WRITE, "CUSTOMIZE_LISTS", "Trades-4000", stored,
                                 GetUserSettingsPath(), error));

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

} // namespace
