// Dialogs made from templates, driven by mouse and keyboard through the dialog manager, with an
// edit, a check box, a list box and a combo box in them.
#include "winlib/Dialog.h"
#include "winlib/Controls.h"
#include "winlib/Input.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

namespace
{

constexpr UINT kDialogId = 7001;
constexpr int kNameEdit = 100;
constexpr int kAgreeCheck = 101;

void RegisterNameDialog()
{
    winlib::DialogTemplate t{};
    t.id = kDialogId;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.cx = 186;
    t.cy = 70;
    t.caption = "Name";
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.items = {
        {"Static", "Enter your name", -1, WS_VISIBLE, 0, 8, 6, 100, 10},
        {"Edit", "", kNameEdit, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 8, 18, 170, 12},
        {"Button", "I agree", kAgreeCheck, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 8, 34, 80, 10},
        {"Button", "OK", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 74, 50, 50, 14},
        {"Button", "Cancel", IDCANCEL, WS_VISIBLE | WS_TABSTOP, 0, 128, 50, 50, 14},
    };
    winlib::RegisterDialogTemplate(t);
}

class NameDialog : public CDialog
{
public:
    NameDialog() : CDialog(kDialogId) {}
    std::string m_name = "preset";
    int m_agree = 0;
    int m_initCalls = 0;

protected:
    BOOL OnInitDialog() override
    {
        ++m_initCalls;
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, kNameEdit, m_name);
        DDV_MaxChars(dx, m_name, 10);
        DDX_Check(dx, kAgreeCheck, m_agree);
    }
};

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterNameDialog(); }
    winlib::testing::Driver m_driver;
};

TEST_F(DialogTest, TemplateUnitsBecomePixelsThroughTheFontsBaseUnits)
{
    NameDialog dialog;
    ASSERT_TRUE(dialog.Create(kDialogId));
    CRect client;
    dialog.GetClientRect(&client);
    EXPECT_EQ(client.Width(), MulDiv(186, 6, 4));
    EXPECT_EQ(client.Height(), MulDiv(70, 13, 8));
    CRect edit;
    dialog.GetDlgItem(kNameEdit)->GetWindowRect(&edit);
    dialog.ScreenToClient(&edit);
    EXPECT_EQ(edit, CRect(12, 29, 12 + 255, 29 + 20));
    EXPECT_EQ(dialog.m_initCalls, 1);
    EXPECT_EQ(dialog.GetDlgItem(kNameEdit)->GetWindowText(), "preset") << "data went to the controls";
    dialog.DestroyWindow();
}

TEST_F(DialogTest, TypingTabbingAndEnterCloseWithOkAndTheValuesComeBack)
{
    NameDialog dialog;
    m_driver.AnswerNextDialog(
        [this](HWND hwnd)
        {
            // The first tab stop, the edit, has the focus with its text selected.
            EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, kNameEdit));
            m_driver.Type("Ada");
            m_driver.Press(VK_TAB);
            EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, kAgreeCheck));
            m_driver.Press(VK_SPACE);
            m_driver.Press(VK_TAB, winlib::testing::Shift);
            EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, kNameEdit));
            m_driver.Press(VK_RETURN);
        });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_name, "Ada") << "typing replaced the selected preset";
    EXPECT_EQ(dialog.m_agree, 1);
    EXPECT_EQ(dialog.m_hWnd, nullptr) << "the dialog window is gone after DoModal";
}

// Keys typed faster than the program takes them go where the focus is when each is taken, as on
// Windows: a Tab then a Space typed in one burst press the control the Tab went to, not the one
// that had the focus when they were typed.
TEST_F(DialogTest, KeysTypedInABurstGoWhereTheFocusIsWhenEachIsTaken)
{
    NameDialog dialog;
    ASSERT_TRUE(dialog.Create(kDialogId));
    dialog.ShowWindow(SW_SHOW);
    dialog.GetDlgItem(kNameEdit)->SetFocus();
    m_driver.Pump();
    winlib::input::KeyDown(VK_TAB);
    winlib::input::Char('\t');
    winlib::input::KeyUp(VK_TAB);
    winlib::input::KeyDown(VK_SPACE);
    winlib::input::Char(' ');
    winlib::input::KeyUp(VK_SPACE);
    m_driver.Pump();
    EXPECT_EQ(GetFocus(), dialog.GetDlgItem(kAgreeCheck)->m_hWnd);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kAgreeCheck), BST_CHECKED) << "the space pressed the check box";
    EXPECT_EQ(dialog.GetDlgItem(kNameEdit)->GetWindowText(), "preset") << "and typed nothing into the edit";
    dialog.DestroyWindow();
}

TEST_F(DialogTest, EscapeAndTheCancelButtonCancel)
{
    NameDialog dialog;
    m_driver.AnswerNextDialog([this](HWND) { m_driver.Press(VK_ESCAPE); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_name, "preset") << "nothing saved on cancel";

    NameDialog clicked;
    m_driver.AnswerNextDialog([this](HWND hwnd)
                              { m_driver.Click(GetDlgItem(hwnd, IDCANCEL), CPoint(3, 3)); });
    EXPECT_EQ(clicked.DoModal(), IDCANCEL);
}

TEST_F(DialogTest, FailedValidationKeepsTheDialogOpen)
{
    NameDialog dialog;
    m_driver.AnswerNextDialog(
        [this](HWND hwnd)
        {
            m_driver.Type("far too long a name");
            EXPECT_EQ(GetWindowTextString(GetDlgItem(hwnd, kNameEdit)), "far too lo")
                << "the edit was limited to the validated length when the data went in";
            // Text set by the program is not limited; validation catches it.
            SetWindowText(GetDlgItem(hwnd, kNameEdit), "far too long a name");
            m_driver.Press(VK_RETURN);
            EXPECT_TRUE(IsWindowVisible(hwnd)) << "still open after the validation message";
            ASSERT_EQ(m_driver.MessageBoxTexts().size(), 1u);
            EXPECT_EQ(m_driver.MessageBoxTexts().back(), "Enter no more than 10 characters.");
            EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, kNameEdit)) << "the failing field gets the focus back";
            SetWindowText(GetDlgItem(hwnd, kNameEdit), "Grace");
            m_driver.Click(GetDlgItem(hwnd, IDOK), CPoint(3, 3));
        });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_name, "Grace");
}

TEST_F(DialogTest, AnUnansweredModalDialogIsCancelledHeadless)
{
    NameDialog dialog;
    const int before = winlib::UnansweredModalCount();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(winlib::UnansweredModalCount(), before + 1);
}

TEST_F(DialogTest, TheOwnerIsDisabledWhileTheModalDialogRuns)
{
    CWnd owner;
    ASSERT_TRUE(
        owner.CreateEx(0, nullptr, "Owner", WS_POPUP | WS_VISIBLE, CRect(0, 0, 600, 400), nullptr, 0));
    NameDialog dialog;
    dialog.m_pParentWnd = &owner;
    bool ownerEnabledDuring = true;
    m_driver.AnswerNextDialogWith(IDOK);
    m_driver.AnswerNextDialog(
        [&](HWND)
        {
            ownerEnabledDuring = owner.IsWindowEnabled() != FALSE;
            m_driver.Press(VK_ESCAPE);
        });
    EXPECT_EQ(dialog.DoModal(), IDOK) << "answered with a result without touching it";
    NameDialog second;
    second.m_pParentWnd = &owner;
    EXPECT_EQ(second.DoModal(), IDCANCEL);
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(CWnd::GetActiveWindow(), &owner);
}

// A push button whose clicks are counted by its parent.
class ClickCounter : public CWnd
{
public:
    int clicks = 0;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (HIWORD(wParam) == BN_CLICKED)
            ++clicks;
        return CWnd::OnCommand(wParam, lParam);
    }
};

TEST_F(DialogTest, AModalDialogKeepsEveryOtherWindowFromInputAndNestedOnesUnwindInOrder)
{
    CWnd owner;
    ASSERT_TRUE(
        owner.CreateEx(0, nullptr, "Owner", WS_POPUP | WS_VISIBLE, CRect(0, 0, 600, 400), nullptr, 0));
    // A window beside the owner, as a floating bar or a modeless dialog is.
    ClickCounter beside;
    ASSERT_TRUE(
        beside.CreateEx(0, nullptr, "Beside", WS_POPUP | WS_VISIBLE, CRect(620, 0, 820, 100), &owner, 0));
    CButton button;
    ASSERT_TRUE(
        button.Create("Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 110, 40), &beside, 5));
    m_driver.Click(button.m_hWnd, CPoint(50, 15));
    ASSERT_EQ(beside.clicks, 1);

    NameDialog outer;
    outer.m_pParentWnd = &owner;
    NameDialog inner;
    bool duringOuter = true;
    bool duringInner = true;
    bool afterInner = false;
    m_driver.AnswerNextDialog(
        [&](HWND outerWindow)
        {
            m_driver.Click(button.m_hWnd, CPoint(50, 15));
            duringOuter = owner.IsWindowEnabled() || beside.IsWindowEnabled();
            inner.m_pParentWnd = CWnd::FromHandle(outerWindow);
            m_driver.AnswerNextDialog(
                [&](HWND)
                {
                    duringInner = ::IsWindowEnabled(outerWindow) || owner.IsWindowEnabled();
                    m_driver.Press(VK_ESCAPE);
                });
            inner.DoModal();
            afterInner =
                ::IsWindowEnabled(outerWindow) && !owner.IsWindowEnabled() && !beside.IsWindowEnabled();
            m_driver.Press(VK_ESCAPE);
        });
    EXPECT_EQ(outer.DoModal(), IDCANCEL);
    EXPECT_FALSE(duringOuter) << "the owner and the window beside it are disabled";
    EXPECT_EQ(beside.clicks, 1) << "a click on a disabled window's button does nothing";
    EXPECT_FALSE(duringInner) << "the nested dialog disables the one that opened it";
    EXPECT_TRUE(afterInner) << "the nested dialog gave back only what it took";
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_TRUE(beside.IsWindowEnabled());
    m_driver.Click(button.m_hWnd, CPoint(50, 15));
    EXPECT_EQ(beside.clicks, 2);
}

} // namespace

namespace
{

constexpr UINT kOrderDialogId = 7002;
constexpr int kClientEdit = 200;
constexpr int kSideList = 201;
constexpr int kLotCombo = 202;

class OrderDialog : public CDialog
{
public:
    OrderDialog() : CDialog(kOrderDialogId) {}
    std::string m_client;
    std::string m_side = "Sell";
    int m_lot = 0;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        for (const char* side : {"Short", "Buy", "Sell"})
            SendDlgItemMessage(kSideList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(side));
        for (const char* lot : {"8", "9", "10", "11"})
            SendDlgItemMessage(kLotCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lot));
        UpdateData(FALSE); // the list has its items now
        return TRUE;
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, kClientEdit, m_client);
        DDX_LBString(dx, kSideList, m_side);
        DDX_CBIndex(dx, kLotCombo, m_lot);
    }
};

void RegisterOrderDialog()
{
    winlib::DialogTemplate t{};
    t.id = kOrderDialogId;
    t.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
    t.cx = 160;
    t.cy = 100;
    t.caption = "Order";
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.items = {
        {"Edit", "", kClientEdit, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 8, 8, 100, 12},
        {"ListBox", "", kSideList, WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_SORT | LBS_NOTIFY,
         0, 8, 26, 100, 40},
        {"ComboBox", "", kLotCombo, WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 112, 8, 40,
         60},
        {"Button", "OK", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 20, 80, 50, 14},
        {"Button", "Cancel", IDCANCEL, WS_VISIBLE | WS_TABSTOP, 0, 90, 80, 50, 14},
    };
    winlib::RegisterDialogTemplate(t);
}

TEST(DialogWalkThrough, TypeTabThroughAListAndADroppedComboBoxAndEnterClosesWithOk)
{
    winlib::testing::Driver driver;
    RegisterOrderDialog();
    OrderDialog dialog;
    driver.AnswerNextDialog(
        [&driver](HWND hwnd)
        {
            const HWND edit = GetDlgItem(hwnd, kClientEdit);
            const HWND list = GetDlgItem(hwnd, kSideList);
            EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 1) << "the data went in: Sell is chosen, sorted";
            CRect client;
            GetClientRect(list, &client);
            EXPECT_EQ(client.Height() % 13, 0) << "40 dialog units trimmed to whole items";
            EXPECT_EQ(GetFocus(), edit);
            driver.Type("ACME Corp");
            driver.Press(VK_TAB);
            EXPECT_EQ(GetFocus(), list) << "Tab went through the dialog manager to the list";
            driver.Press(VK_DOWN);
            EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 2) << "the list took the arrow key";
            // A click on the first item of the list (items are 13 pixels high in the default font).
            driver.Click(list, CPoint(10, 5));
            EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 0);
            // In a dropped combo box Enter closes the list before it would press the default button.
            const HWND combo = GetDlgItem(hwnd, kLotCombo);
            driver.Press(VK_TAB);
            EXPECT_EQ(GetFocus(), combo);
            driver.Press(VK_F4);
            driver.Press(VK_DOWN);
            driver.Press(VK_RETURN);
            EXPECT_TRUE(IsWindow(hwnd)) << "Enter went to the dropped list";
            EXPECT_FALSE(SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0));
            driver.Press(VK_DOWN);
            driver.Press(VK_RETURN);
        });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_client, "ACME Corp");
    EXPECT_EQ(dialog.m_side, "Buy");
    EXPECT_EQ(dialog.m_lot, 2);
}

} // namespace

namespace
{

INT_PTR RawDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
    {
        EndDialog(hwnd, LOWORD(wParam) == IDOK ? 42 : 7);
        return TRUE;
    }
    return FALSE;
}

TEST(RawDialogs, GetTheDialogManagersKeyboardWithoutAClassLibraryObject)
{
    winlib::testing::Driver driver;
    RegisterNameDialog();
    driver.AnswerNextDialog(
        [&driver](HWND hwnd)
        {
            EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, kNameEdit));
            driver.Press(VK_TAB);
            EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, kAgreeCheck));
            driver.Press(VK_RETURN);
        });
    EXPECT_EQ(DialogBoxParam(nullptr, kDialogId, nullptr, &RawDialogProc, 0), 42);
    driver.AnswerNextDialog([&driver](HWND) { driver.Press(VK_ESCAPE); });
    EXPECT_EQ(DialogBoxParam(nullptr, kDialogId, nullptr, &RawDialogProc, 0), 7);
}

} // namespace
