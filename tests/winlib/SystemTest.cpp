// System services: message boxes, beeps, the clipboard, global memory, display affinity
// and functions found by name in the program.
#include "winlib/App.h"
#include "winlib/Faults.h"
#include "winlib/Modules.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <cstring>

extern "C" int winlib_test_exported_function() { return 42; }

namespace
{

TEST(MessageBoxes, AreRecordedAndAnsweredOrTakeTheirDefaultButton)
{
    winlib::testing::Driver driver;
    EXPECT_EQ(MessageBox(nullptr, "Proceed?", "Question", MB_YESNO | MB_DEFBUTTON2), IDNO)
        << "headless and unanswered: the default button";
    driver.AnswerNextMessageBox(IDYES);
    EXPECT_EQ(MessageBox(nullptr, "Again?", "Question", MB_YESNO), IDYES);
    EXPECT_EQ(AfxMessageBox("Exe is not compatible with ZAM"), IDOK);
    ASSERT_EQ(driver.Observed().messageBoxes.size(), 3u);
    EXPECT_EQ(driver.Observed().messageBoxes[1].result, IDYES);
    EXPECT_EQ(driver.MessageBoxTexts().back(), "Exe is not compatible with ZAM");
}

TEST(Beeps, AreRecordedWithTheirFrequencyAndDuration)
{
    winlib::testing::Driver driver;
    Beep(500, 100);
    MessageBeep(MB_ICONEXCLAMATION);
    ASSERT_EQ(driver.Observed().beeps.size(), 2u);
    EXPECT_EQ(driver.Observed().beeps[0].frequency, 500u);
    EXPECT_EQ(driver.Observed().beeps[0].duration, 100u);
    EXPECT_EQ(driver.Observed().beeps[1].messageBeepType, MB_ICONEXCLAMATION);
}

bool PutOnClipboard(const char* text)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, std::strlen(text) + 1);
    char* p = memory ? static_cast<char*>(GlobalLock(memory)) : nullptr;
    if (!p)
    {
        if (memory)
            GlobalFree(memory);
        CloseClipboard();
        return false;
    }
    std::memcpy(p, text, std::strlen(text) + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    return true;
}

TEST(Clipboard, HoldsPlainTextAndSurvivesArmedFailures)
{
    winlib::testing::Driver driver;
    ASSERT_TRUE(PutOnClipboard("row\t1\r\n"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(nullptr)) << "only one opener at a time";
    HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_NE(data, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(static_cast<HGLOBAL>(data))), "row\t1\r\n");
    GlobalUnlock(static_cast<HGLOBAL>(data));
    CloseClipboard();

    winlib::FailNext(winlib::Fault::OpenClipboard);
    EXPECT_FALSE(PutOnClipboard("lost"));
    winlib::FailNext(winlib::Fault::GlobalLock);
    EXPECT_FALSE(PutOnClipboard("lost too"));
    EXPECT_EQ(driver.Observed().clipboardWrites, std::vector<std::string>{"row\t1\r\n"});
    EXPECT_TRUE(PutOnClipboard("kept"));
}

TEST(DisplayAffinity, IsRecordedForTopLevelWindowsOnly)
{
    winlib::testing::Driver driver;
    CWnd top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    CWnd child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD, CRect(0, 0, 5, 5), &top, 1));
    EXPECT_TRUE(SetWindowDisplayAffinity(top.m_hWnd, WDA_NONE));
    EXPECT_FALSE(SetWindowDisplayAffinity(child.m_hWnd, WDA_NONE));
    ASSERT_EQ(driver.Observed().affinityChanges.size(), 1u);
    EXPECT_EQ(driver.Observed().affinityChanges[0].window, top.m_hWnd);
}

TEST(Modules, FindTheProgramsExportsByNameUnlessHidden)
{
    winlib::testing::Driver driver;
    const HMODULE program = GetModuleHandle(nullptr);
    ASSERT_NE(program, nullptr);
    using Function = int (*)();
    auto f = reinterpret_cast<Function>(GetProcAddress(program, "winlib_test_exported_function"));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f(), 42);
    EXPECT_EQ(GetProcAddress(program, "no_such_function_anywhere"), nullptr);
    winlib::HideExport("winlib_test_exported_function");
    EXPECT_EQ(GetProcAddress(program, "winlib_test_exported_function"), nullptr);
    winlib::UnhideExport("winlib_test_exported_function");
    EXPECT_NE(GetProcAddress(program, "winlib_test_exported_function"), nullptr);
}

TEST(Modules, SystemLibrariesAreFoundByNameAndCanGoMissing)
{
    winlib::testing::Driver driver;
    HMODULE msimg = LoadLibrary("MSIMG32.DLL");
    ASSERT_NE(msimg, nullptr);
    EXPECT_NE(GetProcAddress(msimg, "GradientFill"), nullptr);
    HMODULE theme = LoadLibrary("UxTheme.dll");
    ASSERT_NE(theme, nullptr);
    using SetTheme = HRESULT (*)(HWND, const wchar_t*, const wchar_t*);
    auto setTheme = reinterpret_cast<SetTheme>(GetProcAddress(theme, "SetWindowTheme"));
    ASSERT_NE(setTheme, nullptr);
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_EQ(setTheme(wnd.m_hWnd, L" ", L" "), S_OK);
    EXPECT_EQ(winlib::WindowThemeName(wnd.m_hWnd), L" | ");

    winlib::HideSystemLibrary("uxtheme.dll", true);
    EXPECT_EQ(LoadLibrary("UxTheme.dll"), nullptr);
    winlib::HideSystemLibrary("uxtheme.dll", false);
}

TEST(Metrics, ClassicColoursAndMulDiv)
{
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(MulDiv(8, 96, 72), 11) << "10.67 rounds to 11";
    EXPECT_EQ(MulDiv(-8, 96, 72), -11) << "rounds away from zero";
    EXPECT_EQ(MulDiv(5, 3, 2), 8) << "7.5 rounds up";
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
    EXPECT_EQ(GetBValue(0x20A5DA), 0x20) << "colours are 0xBBGGRR";
}

} // namespace
