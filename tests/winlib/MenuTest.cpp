// Menus: building and reading them, TrackPopupMenu answered as the test driver does, and
// the popup menu window driven with the mouse and the keyboard on a scripted screen.
#include "winlib/Menu.h"
#include "ScriptedScreen.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace
{

using kivo::test::ScriptedScreen;

std::vector<HWND> MenuWindows()
{
    std::vector<HWND> windows;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
    {
        if (GetClassNameString(h) == "#32768" && IsWindowVisible(h))
            windows.push_back(h);
    }
    return windows;
}

class MenuOwner : public CWnd
{
public:
    std::vector<UINT> m_log; // menu-loop messages, commands and clicks, in order
    std::vector<UINT> m_commands;
    std::vector<HMENU> m_popups; // as OnInitMenuPopup saw them
    std::function<void(CMenu*)> m_onInitPopup;
    bool m_menuShownAtCommand = false;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_ENTERMENULOOP:
        case WM_EXITMENULOOP:
        case WM_INITMENUPOPUP:
        case WM_LBUTTONDOWN:
            m_log.push_back(message);
            break;
        case WM_COMMAND:
            m_log.push_back(message);
            m_commands.push_back(LOWORD(wParam));
            m_menuShownAtCommand = !MenuWindows().empty();
            break;
        default:
            break;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    void OnInitMenuPopup(CMenu* popup, UINT, BOOL) override
    {
        m_popups.push_back(popup ? popup->m_hMenu : nullptr);
        if (m_onInitPopup)
            m_onInitPopup(popup);
    }
};

// Copy, Open, Grid Lines (checked), a separator, Customize, Write to Excel (greyed).
void BuildContextMenu(CMenu& menu)
{
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 101, "&Open\tCtrl+O");
    menu.AppendMenu(MF_STRING | MF_CHECKED, 102, "&Grid Lines\tShift+G");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | MF_GRAYED, 103, "Write to &Excel\tShift+E");
    ASSERT_TRUE(menu.InsertMenu(0, MF_BYPOSITION | MF_STRING, 100, "&Copy\tCtrl+C"));
    ASSERT_TRUE(menu.InsertMenu(103, MF_BYCOMMAND | MF_STRING, 104, "Customize"));
}

CRect ItemRect(HMENU menu, UINT item)
{
    CRect r;
    GetMenuItemRect(nullptr, menu, item, &r);
    return r;
}

void MoveTo(POINT screen)
{
    winlib::input::MouseMove(screen);
}

void ClickAt(POINT screen)
{
    winlib::input::MouseButton(screen, winlib::input::Button::Left, true);
    winlib::input::MouseButton(screen, winlib::input::Button::Left, false);
}

void Key(int vk)
{
    winlib::input::KeyDown(vk);
    winlib::input::KeyUp(vk);
}

class MenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_owner.CreateEx(0, nullptr, "Owner", WS_POPUP | WS_VISIBLE, CRect(100, 100, 600, 500),
                                     nullptr, 0));
    }
    winlib::testing::Driver m_driver{winlib::HeadlessDrawing::Recording};
    MenuOwner m_owner;
};

TEST(MenuFunctions, ItemsAreInsertedChangedAndReadBackByPositionAndByCommand)
{
    CMenu menu;
    BuildContextMenu(menu);
    ASSERT_EQ(menu.GetMenuItemCount(), 6u);
    const UINT ids[] = {100, 101, 102, 0, 104, 103};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(menu.GetMenuItemID(i), ids[i]) << "position " << i;
    EXPECT_EQ(menu.GetMenuItemID(6), static_cast<UINT>(-1));

    std::string text;
    EXPECT_EQ(menu.GetMenuString(102, text, MF_BYCOMMAND), 19);
    EXPECT_EQ(text, "&Grid Lines\tShift+G");
    char small[5];
    EXPECT_EQ(menu.GetMenuString(0, small, sizeof small, MF_BYPOSITION), 4);
    EXPECT_STREQ(small, "&Cop") << "truncated to the buffer, terminated";

    EXPECT_EQ(menu.CheckMenuItem(102, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED) << "the previous state";
    EXPECT_EQ(menu.CheckMenuItem(102, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(menu.EnableMenuItem(103, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(menu.EnableMenuItem(5, MF_BYPOSITION | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(menu.CheckMenuItem(999, MF_BYCOMMAND), static_cast<UINT>(-1)) << "no such item";
    EXPECT_EQ(menu.GetMenuState(102, MF_BYCOMMAND), MF_CHECKED);
    EXPECT_EQ(menu.GetMenuState(3, MF_BYPOSITION), MF_SEPARATOR);
    EXPECT_EQ(menu.GetMenuState(999, MF_BYCOMMAND), static_cast<UINT>(-1));

    EXPECT_TRUE(menu.ModifyMenu(101, MF_BYCOMMAND | MF_STRING, 105, "&Open Again"));
    EXPECT_EQ(menu.GetMenuItemID(1), 105u);
    EXPECT_TRUE(menu.DeleteMenu(105, MF_BYCOMMAND));
    EXPECT_FALSE(menu.DeleteMenu(105, MF_BYCOMMAND));
    EXPECT_EQ(menu.GetMenuItemCount(), 5u);
    EXPECT_TRUE(menu.InsertMenu(static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, 106, "Last"));
    EXPECT_EQ(menu.GetMenuItemID(5), 106u) << "-1 appends";
    EXPECT_FALSE(menu.InsertMenu(999, MF_BYCOMMAND | MF_STRING, 107, "Nowhere"));
}

TEST(MenuFunctions, SubmenusAreSearchedByCommandAndOwnedByTheirParent)
{
    const HMENU root = CreatePopupMenu();
    const HMENU sub = CreatePopupMenu();
    AppendMenu(sub, MF_STRING, 201, "Deep");
    AppendMenu(root, MF_STRING, 200, "Top");
    ASSERT_TRUE(AppendMenu(root, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&More"));
    EXPECT_FALSE(AppendMenu(root, MF_POPUP, 12345, "Not a menu"));

    EXPECT_EQ(GetSubMenu(root, 1), sub);
    EXPECT_EQ(GetSubMenu(root, 0), nullptr);
    EXPECT_EQ(GetMenuItemID(root, 1), static_cast<UINT>(-1)) << "a submenu item has no command";
    EXPECT_EQ(GetMenuState(root, 1, MF_BYPOSITION), MF_POPUP | (1u << 8)) << "item count in the high byte";

    // By command, an item inside the submenu is found and changed where it lies.
    EXPECT_EQ(CheckMenuItem(root, 201, MF_BYCOMMAND | MF_CHECKED), 0u);
    EXPECT_EQ(GetMenuState(sub, 0, MF_BYPOSITION), MF_CHECKED);
    ASSERT_TRUE(InsertMenu(root, 201, MF_BYCOMMAND | MF_STRING, 202, "Deeper"));
    EXPECT_EQ(GetMenuItemCount(sub), 2);
    EXPECT_EQ(GetMenuItemID(sub, 0), 202u);

    // RemoveMenu leaves the submenu alive; DestroyMenu of its new parent takes it along.
    ASSERT_TRUE(RemoveMenu(root, 1, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(sub));
    const HMENU other = CreatePopupMenu();
    AppendMenu(other, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Again");
    EXPECT_TRUE(DestroyMenu(other));
    EXPECT_FALSE(IsMenu(sub));
    EXPECT_FALSE(DestroyMenu(other));
    DestroyMenu(root);
}

TEST(MenuFunctions, CMenuOwnsWhatItAttachesAndWrapsWhatItDoesNot)
{
    HMENU kept = nullptr;
    HMENU destroyed = nullptr;
    {
        CMenu owning;
        ASSERT_TRUE(owning.CreatePopupMenu());
        destroyed = owning.m_hMenu;
        EXPECT_EQ(CMenu::FromHandle(destroyed), &owning);
        EXPECT_FALSE(owning.CreatePopupMenu()) << "one menu per object";

        CMenu detaching;
        detaching.CreatePopupMenu();
        kept = detaching.Detach();
        EXPECT_EQ(detaching.GetSafeHmenu(), nullptr);
    }
    EXPECT_FALSE(IsMenu(destroyed)) << "the destructor destroys an attached menu";
    ASSERT_TRUE(IsMenu(kept)) << "a detached menu lives on";

    const HMENU sub = CreatePopupMenu();
    AppendMenu(kept, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub");
    CMenu* wrapper = CMenu::FromHandle(kept)->GetSubMenu(0);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->m_hMenu, sub);
    EXPECT_EQ(CMenu::FromHandle(sub), wrapper) << "one wrapper per handle";
    EXPECT_TRUE(DestroyMenu(kept));
    EXPECT_FALSE(IsMenu(sub));
}

TEST_F(MenuTest, TheDriverReadsTheItemsOfTheMenuShown)
{
    CMenu menu;
    BuildContextMenu(menu);
    m_driver.AnswerNextPopupMenu(0);
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, 250, 260, &m_owner);

    ASSERT_EQ(m_driver.PopupMenusShown().size(), 1u);
    const winlib::ModalRequest& shown = m_driver.PopupMenusShown().front();
    EXPECT_EQ(shown.window, m_owner.m_hWnd);
    EXPECT_EQ(shown.point.x, 250);
    EXPECT_EQ(shown.point.y, 260);
    EXPECT_EQ(shown.type, TPM_LEFTALIGN | TPM_RIGHTBUTTON);
    ASSERT_EQ(shown.items.size(), 6u);
    std::vector<std::string> texts;
    for (const winlib::MenuItemSnapshot& item : shown.items)
        texts.push_back(item.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"&Copy\tCtrl+C", "&Open\tCtrl+O", "&Grid Lines\tShift+G", "",
                                               "Customize", "Write to &Excel\tShift+E"}));
    EXPECT_TRUE(shown.items[2].flags & MF_CHECKED);
    EXPECT_FALSE(shown.items[1].flags & MF_CHECKED);
    EXPECT_TRUE(shown.items[3].flags & MF_SEPARATOR);
    EXPECT_TRUE(shown.items[5].flags & MF_GRAYED);
    EXPECT_EQ(shown.items[5].id, 103u);
}

TEST_F(MenuTest, TheChosenCommandReachesTheOwnerAfterTheMenuLoop)
{
    CMenu menu;
    BuildContextMenu(menu);
    m_driver.AnswerNextPopupMenuByText("Customize");
    EXPECT_NE(menu.TrackPopupMenu(TPM_LEFTALIGN, 10, 10, &m_owner), 0);
    EXPECT_EQ(m_owner.m_commands, (std::vector<UINT>{104}));
    EXPECT_EQ(m_owner.m_log,
              (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_EXITMENULOOP, WM_COMMAND}));
    EXPECT_EQ(m_owner.m_popups, (std::vector<HMENU>{menu.m_hMenu}))
        << "OnInitMenuPopup gets the menu's object";

    m_driver.AnswerNextPopupMenu(101);
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &m_owner), 101);
    EXPECT_EQ(m_owner.m_commands.size(), 1u) << "TPM_RETURNCMD returns the command instead of sending it";
}

TEST_F(MenuTest, ADismissedMenuDeliversNothing)
{
    CMenu menu;
    BuildContextMenu(menu);
    m_driver.AnswerNextPopupMenu(0);
    EXPECT_NE(menu.TrackPopupMenu(0, 10, 10, &m_owner), 0) << "dismissing is not a failure";
    m_driver.AnswerNextPopupMenu(103);
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &m_owner), 0) << "a greyed item cannot be chosen";
    m_driver.AnswerNextPopupMenu(999);
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &m_owner), 0) << "nor one the menu does not have";
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &m_owner), 0) << "unanswered headless: dismissed";
    EXPECT_TRUE(m_owner.m_commands.empty());
    EXPECT_EQ(m_driver.PopupMenusShown().size(), 4u);
    EXPECT_EQ(TrackPopupMenu(menu.m_hMenu, 0, 0, 0, 0, nullptr, nullptr), FALSE) << "no owner";
}

TEST_F(MenuTest, TheOwnerCanChangeTheMenuBeforeItShows)
{
    CMenu menu;
    BuildContextMenu(menu);
    m_owner.m_onInitPopup = [](CMenu* popup)
    {
        popup->EnableMenuItem(103, MF_BYCOMMAND | MF_ENABLED);
        popup->CheckMenuItem(102, MF_BYCOMMAND | MF_UNCHECKED);
    };
    m_driver.AnswerNextPopupMenu(103);
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &m_owner), 103);
    const winlib::ModalRequest& shown = m_driver.PopupMenusShown().front();
    EXPECT_FALSE(shown.items[5].flags & MF_GRAYED);
    EXPECT_FALSE(shown.items[2].flags & MF_CHECKED);

    m_owner.m_popups.clear();
    m_driver.AnswerNextPopupMenu(100);
    menu.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY, 10, 10, &m_owner);
    EXPECT_TRUE(m_owner.m_popups.empty()) << "TPM_NONOTIFY: no WM_INITMENUPOPUP";
}

// ---- The menu window, on a scripted screen ----------------------------------------------------

class MenuWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_owner.CreateEx(0, nullptr, "Owner", WS_POPUP | WS_VISIBLE, CRect(100, 100, 900, 700),
                                     nullptr, 0));
        BuildContextMenu(m_menu);
    }
    void TearDown() override { EXPECT_EQ(m_screen.Starved(), 0) << "the script ended before the menu"; }

    winlib::testing::Driver m_driver;
    ScriptedScreen& m_screen = ScriptedScreen::Install();
    MenuOwner m_owner;
    CMenu m_menu;
};

TEST_F(MenuWindowTest, AClickOnAnItemChoosesItAfterTheWindowIsGone)
{
    HWND window = nullptr;
    m_screen.Then(
        [&]
        {
            const std::vector<HWND> windows = MenuWindows();
            ASSERT_EQ(windows.size(), 1u);
            window = windows.front();
            MoveTo(ItemRect(m_menu.m_hMenu, 4).CenterPoint());
        });
    m_screen.Then([&] { ClickAt(ItemRect(m_menu.m_hMenu, 4).CenterPoint()); });
    EXPECT_NE(m_menu.TrackPopupMenu(TPM_LEFTALIGN, 300, 200, &m_owner), 0);

    EXPECT_EQ(m_owner.m_commands, (std::vector<UINT>{104}));
    EXPECT_FALSE(m_owner.m_menuShownAtCommand) << "the window goes away before the command";
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(m_owner.m_log.back(), WM_COMMAND);
    EXPECT_EQ(m_driver.PopupMenusShown().size(), 1u) << "the answerer was asked first";
    EXPECT_EQ(m_screen.StepsLeft(), 0u);
}

TEST_F(MenuWindowTest, TheWindowIsATopmostPopupShowingTheItems)
{
    std::vector<winlib::DrawOp> ops;
    CRect windowRect;
    HWND window = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    CRect hovered;
    CRect checked;
    m_screen.Then(
        [&]
        {
            window = MenuWindows().front();
            GetWindowRect(window, &windowRect);
            style = static_cast<DWORD>(GetWindowLong(window, GWL_STYLE));
            exStyle = static_cast<DWORD>(GetWindowLong(window, GWL_EXSTYLE));
            EXPECT_EQ(reinterpret_cast<HMENU>(SendMessage(window, MN_GETHMENU, 0, 0)), m_menu.m_hMenu);
            EXPECT_EQ(MenuItemFromPoint(nullptr, m_menu.m_hMenu, ItemRect(m_menu.m_hMenu, 1).CenterPoint()),
                      1);
            hovered = ItemRect(m_menu.m_hMenu, 1);
            checked = ItemRect(m_menu.m_hMenu, 2);
            MoveTo(hovered.CenterPoint());
        });
    m_screen.Then(
        [&]
        {
            ops = m_driver.Ops(window);
            Key(VK_ESCAPE);
        });
    EXPECT_EQ(m_menu.TrackPopupMenu(TPM_RETURNCMD, 300, 200, &m_owner), 0) << "Escape dismisses";

    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CHILD);
    EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST), WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    EXPECT_EQ(windowRect.TopLeft(), CPoint(300, 200)) << "left-top aligned at the point";

    const auto text = [&ops](const std::string& s)
    {
        const auto it = std::find_if(ops.begin(), ops.end(),
                                     [&](const winlib::DrawOp& op)
                                     { return op.kind == winlib::DrawOp::Kind::Text && op.text == s; });
        return it == ops.end() ? winlib::DrawOp{} : *it;
    };
    for (const char* label : {"Copy", "Open", "Grid Lines", "Customize", "Write to Excel"})
        EXPECT_EQ(text(label).text, label) << "the label without its '&' and accelerator";
    const int right = text("Ctrl+C").local.right;
    for (const char* accelerator : {"Ctrl+O", "Shift+G", "Shift+E"})
        EXPECT_EQ(text(accelerator).local.right, right) << accelerator << " is right-aligned in one column";
    EXPECT_GT(text("Ctrl+C").local.left, text("Customize").local.right) << "a column of its own";
    EXPECT_EQ(text("Write to Excel").color, GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(text("Copy").color, GetSysColor(COLOR_MENUTEXT));

    // The check mark is drawn for the checked item only, in the gutter left of the labels
    // (and right of the window's edge).
    checked.OffsetRect(-windowRect.left, -windowRect.top);
    const int labels = text("Copy").local.left;
    int ticks = 0;
    int stray = 0;
    for (const winlib::DrawOp& op : ops)
    {
        const int left = std::min(op.local.left, op.local.right);
        const int right = std::max(op.local.left, op.local.right);
        const int top = std::min(op.local.top, op.local.bottom);
        const int bottom = std::max(op.local.top, op.local.bottom);
        if (op.kind != winlib::DrawOp::Kind::Line || left < 3 || right >= labels)
            continue;
        if (top >= checked.top && bottom <= checked.bottom)
            ++ticks;
        else
            ++stray;
    }
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(stray, 0);

    // Hovering highlights the item under the mouse.
    CRect hoveredClient = hovered;
    hoveredClient.OffsetRect(-windowRect.left, -windowRect.top);
    const bool highlighted = std::any_of(ops.begin(), ops.end(),
                                         [&](const winlib::DrawOp& op)
                                         {
                                             return op.kind == winlib::DrawOp::Kind::Fill &&
                                                    op.color == GetSysColor(COLOR_HIGHLIGHT) &&
                                                    op.local == hoveredClient;
                                         });
    EXPECT_TRUE(highlighted);
    EXPECT_EQ(text("Open").color, GetSysColor(COLOR_MENUTEXT)) << "first painted plainly";
    const auto lastOpen = std::find_if(
        ops.rbegin(), ops.rend(),
        [](const winlib::DrawOp& op) { return op.kind == winlib::DrawOp::Kind::Text && op.text == "Open"; });
    ASSERT_NE(lastOpen, ops.rend());
    EXPECT_EQ(lastOpen->color, GetSysColor(COLOR_HIGHLIGHTTEXT)) << "then in the highlight's colours";
}

TEST_F(MenuWindowTest, AClickOutsideDismissesAndGoesNoFurther)
{
    m_screen.Then([&] { ClickAt(CPoint(800, 650)); });
    EXPECT_EQ(m_menu.TrackPopupMenu(TPM_RETURNCMD, 300, 200, &m_owner), 0);
    m_driver.Pump();
    EXPECT_TRUE(MenuWindows().empty());
    EXPECT_EQ(std::count(m_owner.m_log.begin(), m_owner.m_log.end(), WM_LBUTTONDOWN), 0);
    EXPECT_TRUE(m_owner.m_commands.empty());
}

TEST_F(MenuWindowTest, AGreyedItemIgnoresTheClick)
{
    m_screen.Then([&] { ClickAt(ItemRect(m_menu.m_hMenu, 5).CenterPoint()); });
    m_screen.Then(
        [&]
        {
            EXPECT_EQ(MenuWindows().size(), 1u) << "still open";
            ClickAt(ItemRect(m_menu.m_hMenu, 0).CenterPoint());
        });
    EXPECT_EQ(m_menu.TrackPopupMenu(TPM_RETURNCMD, 300, 200, &m_owner), 100);
}

TEST_F(MenuWindowTest, TheKeyboardMovesOverSeparatorsAndChoosesWithEnter)
{
    m_screen.Then(
        [&]
        {
            for (int k = 0; k < 4; ++k)
                Key(VK_DOWN); // Copy, Open, Grid Lines, (separator) Customize
            Key(VK_RETURN);
        });
    EXPECT_EQ(m_menu.TrackPopupMenu(TPM_RETURNCMD, 300, 200, &m_owner), 104);

    m_screen.Then(
        [&]
        {
            Key(VK_UP); // wraps to the last item, which is greyed: Enter does nothing
            Key(VK_RETURN);
        });
    m_screen.Then(
        [&]
        {
            EXPECT_EQ(MenuWindows().size(), 1u);
            winlib::input::Char('o'); // the mnemonic of "&Open"
        });
    EXPECT_EQ(m_menu.TrackPopupMenu(TPM_RETURNCMD, 300, 200, &m_owner), 101);
}

TEST_F(MenuWindowTest, ASubmenuOpensBesideItsItem)
{
    const HMENU sub = CreatePopupMenu();
    AppendMenu(sub, MF_STRING, 201, "Deep");
    AppendMenu(sub, MF_STRING, 202, "Deeper");
    m_menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&More");
    CRect parentItem;
    m_screen.Then(
        [&]
        {
            parentItem = ItemRect(m_menu.m_hMenu, 6);
            MoveTo(parentItem.CenterPoint());
        });
    m_screen.Then(
        [&]
        {
            ASSERT_EQ(MenuWindows().size(), 2u);
            const CRect deep = ItemRect(sub, 1);
            EXPECT_GE(deep.left, parentItem.right - 4) << "to the right of the parent item";
            EXPECT_EQ(m_owner.m_popups.back(), sub);
            MoveTo(deep.CenterPoint());
        });
    m_screen.Then(
        [&]
        {
            EXPECT_EQ(MenuWindows().size(), 2u) << "moving into the submenu keeps it open";
            ClickAt(ItemRect(sub, 1).CenterPoint());
        });
    EXPECT_EQ(m_menu.TrackPopupMenu(TPM_RETURNCMD, 300, 200, &m_owner), 202);
    EXPECT_TRUE(MenuWindows().empty());

    m_screen.Then([&] { MoveTo(ItemRect(m_menu.m_hMenu, 6).CenterPoint()); });
    m_screen.Then(
        [&]
        {
            Key(VK_ESCAPE); // closes the submenu only
        });
    m_screen.Then(
        [&]
        {
            EXPECT_EQ(MenuWindows().size(), 1u);
            MoveTo(ItemRect(m_menu.m_hMenu, 0).CenterPoint());
            Key(VK_RETURN);
        });
    EXPECT_EQ(m_menu.TrackPopupMenu(TPM_RETURNCMD, 300, 200, &m_owner), 100);
}

TEST_F(MenuWindowTest, AMenuNearTheScreenEdgeOpensTowardsTheInside)
{
    CRect where;
    m_screen.Then(
        [&]
        {
            GetWindowRect(MenuWindows().front(), &where);
            Key(VK_ESCAPE);
        });
    m_menu.TrackPopupMenu(TPM_RETURNCMD, 1910, 1075, &m_owner);
    EXPECT_EQ(where.right, 1910);
    EXPECT_EQ(where.bottom, 1075);
}

} // namespace
