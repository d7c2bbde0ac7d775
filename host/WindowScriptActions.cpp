#include "host/WindowScriptActions.h"

#include "winlib/CommCtrl.h"
#include "winlib/Input.h"
#include "winlib/Runtime.h"

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <vector>

namespace host
{

namespace
{

constexpr int kPaneCloseButtonId = 16009;
// How far below a header's top its titles are clicked.
constexpr int kHeaderTitleY = 6;

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A control's or menu item's text as the user reads it: without '&' marks and the shortcut.
std::string Label(const std::string& text)
{
    std::string label;
    for (char c : text)
    {
        if (c == '\t')
            break;
        if (c != '&')
            label += c;
    }
    return Trim(label);
}

std::string ClassOf(HWND hwnd)
{
    char name[64] = {};
    ::GetClassName(hwnd, name, sizeof name);
    return name;
}

void Click(POINT at, winlib::input::Button button)
{
    winlib::input::MouseMove(at);
    winlib::input::MouseButton(at, button, true);
    winlib::input::MouseButton(at, button, false);
}

// The first visible window under 'parent', depth first, whose text starts with 'text'.
HWND FindByText(HWND parent, const std::string& text)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        if (!::IsWindowVisible(child))
            continue;
        if (Label(::GetWindowTextString(child)).rfind(text, 0) == 0)
            return child;
        if (HWND deeper = FindByText(child, text))
            return deeper;
    }
    return nullptr;
}

// Whether a window's caption, blanks in front left out (" Column Profile"), starts with 'title'.
bool Titled(HWND hwnd, const std::string& title)
{
    return Trim(::GetWindowTextString(hwnd)).rfind(title, 0) == 0;
}

// A visible top-level window whose caption starts with 'title'.
HWND TopLevelTitled(const std::string& title)
{
    for (HWND top = ::GetTopWindow(nullptr); top; top = ::GetWindow(top, GW_HWNDNEXT))
    {
        if (::IsWindowVisible(top) && Titled(top, title))
            return top;
    }
    return nullptr;
}

HWND OpenPopupMenu()
{
    for (HWND top = ::GetTopWindow(nullptr); top; top = ::GetWindow(top, GW_HWNDNEXT))
    {
        if (ClassOf(top) == "#32768" && ::IsWindowVisible(top))
            return top;
    }
    return nullptr;
}

HWND HeaderOf(HWND list)
{
    return list ? reinterpret_cast<HWND>(::SendMessage(list, LVM_GETHEADER, 0, 0)) : nullptr;
}

std::string HeaderText(HWND header, int item)
{
    char text[256] = {};
    HDITEM hdi{};
    hdi.mask = HDI_TEXT;
    hdi.pszText = text;
    hdi.cchTextMax = sizeof text;
    ::SendMessage(header, HDM_GETITEM, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&hdi));
    return text;
}

// The header's items in the order the user sees them.
std::vector<int> DisplayOrder(HWND header)
{
    const int count = static_cast<int>(::SendMessage(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<int> order(static_cast<std::size_t>(std::max(count, 0)));
    if (count > 0)
        ::SendMessage(header, HDM_GETORDERARRAY, static_cast<WPARAM>(count),
                      reinterpret_cast<LPARAM>(order.data()));
    return order;
}

int HeaderItemNamed(HWND header, const std::string& text)
{
    const int count = static_cast<int>(::SendMessage(header, HDM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item)
    {
        if (HeaderText(header, item) == text)
            return item;
    }
    return -1;
}

// An item's rectangle on the screen.
bool HeaderItemRect(HWND header, int item, RECT& rect)
{
    if (item < 0 ||
        !::SendMessage(header, HDM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect)))
        return false;
    ::MapWindowPoints(header, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return true;
}

void CollectGrids(HWND parent, std::vector<HWND>& grids)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        if (ClassOf(child) == "SysListView32")
            grids.push_back(child);
        CollectGrids(child, grids);
    }
}

int TextWidth(HWND list, const std::string& text)
{
    return static_cast<int>(
        ::SendMessage(list, LVM_GETSTRINGWIDTH, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

std::string CellText(HWND list, int row, int item)
{
    char text[512] = {};
    LVITEM lvi{};
    lvi.iSubItem = item;
    lvi.pszText = text;
    lvi.cchTextMax = sizeof text;
    ::SendMessage(list, LVM_GETITEMTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&lvi));
    return text;
}

} // namespace

std::vector<HWND> WindowScriptActions::ConsoleGrids(CKivoHostApp& app)
{
    std::vector<HWND> grids;
    CWnd* console = app.Frame() ? app.Frame()->FindBar("Maker Checker") : nullptr;
    if (console && console->m_hWnd)
        CollectGrids(console->m_hWnd, grids);
    return grids;
}

HWND WindowScriptActions::Grid(int number) const
{
    const std::vector<HWND> grids = ConsoleGrids(m_app);
    return number >= 1 && number <= static_cast<int>(grids.size())
               ? grids[static_cast<std::size_t>(number - 1)]
               : nullptr;
}

HWND WindowScriptActions::Pane(int number) const
{
    // Each grid sits in its pane, the holder view.
    const HWND grid = Grid(number);
    return grid ? ::GetParent(grid) : nullptr;
}

bool WindowScriptActions::ClickHeader(int grid, const std::string& text, bool right)
{
    const HWND header = HeaderOf(Grid(grid));
    RECT rect{};
    if (!header || !HeaderItemRect(header, HeaderItemNamed(header, text), rect))
        return false;
    // Near the top: a header with a filter row has its filter field in the lower half.
    Click(POINT{(rect.left + rect.right) / 2, rect.top + kHeaderTitleY},
          right ? winlib::input::Button::Right : winlib::input::Button::Left);
    return true;
}

bool WindowScriptActions::ClickFilterButton(int grid, const std::string& text)
{
    const HWND header = HeaderOf(Grid(grid));
    RECT rect{};
    if (!header || !HeaderItemRect(header, HeaderItemNamed(header, text), rect))
        return false;
    // The button sits at the right end of the item's filter field, at the header's bottom.
    Click(POINT{rect.right - 4, rect.bottom - 4}, winlib::input::Button::Left);
    return true;
}

bool WindowScriptActions::DragHeader(int grid, const std::string& from, const std::string& to)
{
    const HWND header = HeaderOf(Grid(grid));
    RECT source{};
    RECT target{};
    if (!header || !HeaderItemRect(header, HeaderItemNamed(header, from), source) ||
        !HeaderItemRect(header, HeaderItemNamed(header, to), target))
        return false;
    // Pressed in the middle of one item and let go a little inside the other's near edge, in
    // steps as a hand moves.
    const POINT start{(source.left + source.right) / 2, source.top + kHeaderTitleY};
    const POINT end{target.left < source.left ? target.left + 4 : target.right - 4, start.y};
    winlib::input::MouseMove(start);
    winlib::input::MouseButton(start, winlib::input::Button::Left, true);
    constexpr int kSteps = 8;
    for (int step = 1; step <= kSteps; ++step)
    {
        winlib::input::MouseMove(POINT{start.x + (end.x - start.x) * step / kSteps, start.y});
        winlib::PumpPending();
    }
    winlib::input::MouseButton(end, winlib::input::Button::Left, false);
    return true;
}

bool WindowScriptActions::ExpectArrows(int grid, const std::string& expected) const
{
    const HWND header = HeaderOf(Grid(grid));
    if (!header)
        return false;
    std::string shown;
    for (int item : DisplayOrder(header))
    {
        HDITEM hdi{};
        hdi.mask = HDI_FORMAT | HDI_IMAGE;
        ::SendMessage(header, HDM_GETITEM, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&hdi));
        // Images 0 and 1 are the arrows; the third one is blank.
        if ((hdi.fmt & HDF_IMAGE) && (hdi.iImage == 0 || hdi.iImage == 1))
            shown +=
                (shown.empty() ? "" : ", ") + HeaderText(header, item) + (hdi.iImage == 0 ? " up" : " down");
    }
    if (shown.empty())
        shown = "none";
    if (shown != expected)
        std::cerr << "kivo-host script: the arrows show on " << shown << "\n";
    return shown == expected;
}

bool WindowScriptActions::ExpectColumnsFit(int grid) const
{
    const HWND list = Grid(grid);
    const HWND header = HeaderOf(list);
    if (!header)
        return false;
    // The list view's own margins around a cell's text.
    constexpr int kCellMargins = 12;
    const int rows = static_cast<int>(::SendMessage(list, LVM_GETITEMCOUNT, 0, 0));
    const int top = static_cast<int>(::SendMessage(list, LVM_GETTOPINDEX, 0, 0));
    const int onView = static_cast<int>(::SendMessage(list, LVM_GETCOUNTPERPAGE, 0, 0));
    bool fits = true;
    int right = 0;
    for (int item : DisplayOrder(header))
    {
        const int width =
            static_cast<int>(::SendMessage(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(item), 0));
        right += width;
        const std::string title = HeaderText(header, item);
        int needed = TextWidth(list, title) + kCellMargins;
        for (int row = top; row < rows && row <= top + onView; ++row)
            needed = std::max(needed, TextWidth(list, CellText(list, row, item)) + kCellMargins);
        if (width < needed)
        {
            std::cerr << "kivo-host script: column " << title << " is " << width << " pixels wide and needs "
                      << needed << "\n";
            fits = false;
        }
    }
    RECT client{};
    ::GetClientRect(list, &client);
    if (right > client.right)
    {
        std::cerr << "kivo-host script: the columns run " << right - client.right
                  << " pixels past the view\n";
        fits = false;
    }
    return fits;
}

void WindowScriptActions::AddActions(ScriptActionTable& table)
{
    table.Add("dialog-click", [](const auto&, const std::string& argument) { return DialogClick(argument); });
    table.Add("print-windows", [](const auto&, const auto&) { return PrintWindows(); });
    table.Add("expect-window",
              [](const auto&, const std::string& argument) { return TopLevelTitled(argument) != nullptr; });
    table.Add("expect-no-window",
              [](const auto&, const std::string& argument) { return TopLevelTitled(argument) == nullptr; });
    table.Add("expect-active",
              [](const auto&, const std::string& argument)
              {
                  const HWND active = ::GetActiveWindow();
                  return active && Titled(active, argument);
              });
    table.Add("expect-frame-enabled",
              [this](const auto&, const std::string& argument)
              {
                  // The main window takes input (with "no": a modal window keeps it from it).
                  CWnd* frame = m_app.Frame();
                  return frame && frame->m_hWnd &&
                         (::IsWindowEnabled(frame->m_hWnd) != 0) == (argument != "no");
              });
    table.Add({"expect-menu-checked", "expect-menu-unchecked"},
              [](const std::string& action, const std::string& argument)
              { return ExpectMenuCheck(argument, action == "expect-menu-checked"); });
    table.Add("expect-clipboard",
              [](const auto&, const std::string& argument) { return ExpectClipboard(argument); });
    AddGridActions(table);
}

void WindowScriptActions::AddGridActions(ScriptActionTable& table)
{
    table.Add({"click-header", "right-click-header"},
              OnGrid([this](const std::string& action, int grid, const std::string& rest)
                     { return ClickHeader(grid, rest, action == "right-click-header"); }));
    table.Add("click-filter-button", OnGrid([this](const auto&, int grid, const std::string& rest)
                                            { return ClickFilterButton(grid, rest); }));
    table.Add("drag-header", OnGrid(
                                 [this](const auto&, int grid, const std::string& rest)
                                 {
                                     // drag-header N FROM > TO
                                     const auto arrow = rest.find('>');
                                     return arrow != std::string::npos &&
                                            DragHeader(grid, Trim(rest.substr(0, arrow)),
                                                       Trim(rest.substr(arrow + 1)));
                                 }));
    table.Add("expect-arrows", OnGrid([this](const auto&, int grid, const std::string& rest)
                                      { return ExpectArrows(grid, rest); }));
    table.Add("expect-columns", OnGrid([this](const auto&, int grid, const std::string& rest)
                                       { return ExpectColumns(grid, rest); }));
    table.Add("expect-columns-fit",
              OnGrid([this](const auto&, int grid, const auto&) { return ExpectColumnsFit(grid); }));
    table.Add("expect-rows-on-view", OnGrid([this](const auto&, int grid, const std::string& rest)
                                            { return ExpectRowsOnView(grid, rest); }));
    table.Add("close-pane", OnGrid([this](const auto&, int grid, const auto&) { return ClosePane(grid); }));
    table.Add("right-click-pane",
              OnGrid([this](const auto&, int grid, const auto&) { return RightClickPane(grid); }));
    table.Add("expect-pane", OnGrid([this](const auto&, int grid, const std::string& rest)
                                    { return ExpectPane(grid, rest); }));
}

ScriptAction WindowScriptActions::OnGrid(
    std::function<bool(const std::string& action, int grid, const std::string& rest)> step)
{
    // "N REST": the console's Nth grid, and what the action does with it.
    return [step = std::move(step)](const std::string& action, const std::string& argument)
    {
        std::istringstream words(argument);
        int grid = 0;
        words >> grid;
        std::string rest;
        std::getline(words, rest);
        return step(action, grid, Trim(rest));
    };
}

bool WindowScriptActions::DialogClick(const std::string& argument)
{
    // dialog-click TEXT: the active window's control whose text starts with TEXT; "@ID": the
    // control with that id (a button that shows a colour or a font has no text).
    const HWND active = ::GetActiveWindow();
    HWND control = nullptr;
    if (argument.empty())
        return false;
    if (active && argument.size() > 1 && argument[0] == '@')
        control = ::GetDlgItem(active, std::atoi(argument.c_str() + 1));
    else if (active)
        control = FindByText(active, argument);
    if (control && !::IsWindowVisible(control))
        control = nullptr;
    if (!control)
        return false;
    RECT rect{};
    ::GetWindowRect(control, &rect);
    Click(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, winlib::input::Button::Left);
    return true;
}

bool WindowScriptActions::PrintWindows()
{
    // The visible top-level windows, topmost first (for writing scripts).
    const HWND active = ::GetActiveWindow();
    for (HWND top = ::GetTopWindow(nullptr); top; top = ::GetWindow(top, GW_HWNDNEXT))
    {
        if (!::IsWindowVisible(top))
            continue;
        RECT rect{};
        ::GetWindowRect(top, &rect);
        std::cout << ClassOf(top) << " '" << ::GetWindowTextString(top) << "' (" << rect.left << ","
                  << rect.top << ")-(" << rect.right << "," << rect.bottom << ")"
                  << (top == active ? " active" : "") << (::IsWindowEnabled(top) ? "" : " disabled")
                  << std::endl;
    }
    return true;
}

bool WindowScriptActions::ExpectMenuCheck(const std::string& text, bool checked)
{
    const HWND popup = OpenPopupMenu();
    const HMENU menu = popup ? reinterpret_cast<HMENU>(::SendMessage(popup, MN_GETHMENU, 0, 0)) : nullptr;
    for (int position = 0; menu && position < ::GetMenuItemCount(menu); ++position)
    {
        char buffer[256] = {};
        ::GetMenuString(menu, static_cast<UINT>(position), buffer, sizeof buffer, MF_BYPOSITION);
        if (Label(buffer).rfind(text, 0) != 0)
            continue;
        return ((::GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_CHECKED) != 0) ==
               checked;
    }
    return false;
}

bool WindowScriptActions::ExpectClipboard(const std::string& argument)
{
    // expect-clipboard A | B: the clipboard's first row starts with these cells.
    if (!::OpenClipboard(nullptr))
        return false;
    const auto data = static_cast<HGLOBAL>(::GetClipboardData(CF_TEXT));
    const char* text = data ? static_cast<const char*>(::GlobalLock(data)) : nullptr;
    std::string first = text ? text : "";
    if (data)
        ::GlobalUnlock(data);
    ::CloseClipboard();
    first = first.substr(0, first.find("\r\n"));
    std::string cells;
    std::istringstream row(first);
    for (std::string cell; std::getline(row, cell, '\t');)
        cells += (cells.empty() ? "" : " | ") + cell;
    const std::string expected = Trim(argument);
    const bool held = cells.rfind(expected, 0) == 0;
    if (!held)
        std::cerr << "kivo-host script: the clipboard's first row reads " << cells << "\n";
    return held;
}

bool WindowScriptActions::ExpectColumns(int grid, const std::string& expected) const
{
    // expect-columns N A, B, C: the grid's header reads so, in the order the user sees.
    const HWND header = HeaderOf(Grid(grid));
    std::string shown;
    for (int item : header ? DisplayOrder(header) : std::vector<int>{})
        shown += (shown.empty() ? "" : ", ") + HeaderText(header, item);
    if (shown != expected)
        std::cerr << "kivo-host script: the header reads " << shown << "\n";
    return header && shown == expected;
}

bool WindowScriptActions::ExpectRowsOnView(int grid, const std::string& rows) const
{
    // expect-rows-on-view N M: at least M whole rows of the grid are in view.
    const HWND list = Grid(grid);
    const int onView = list ? static_cast<int>(::SendMessage(list, LVM_GETCOUNTPERPAGE, 0, 0)) : -1;
    if (onView < std::atoi(rows.c_str()))
        std::cerr << "kivo-host script: " << onView << " rows of grid " << grid << " are in view\n";
    return onView >= std::atoi(rows.c_str());
}

bool WindowScriptActions::ClosePane(int grid)
{
    const HWND pane = Pane(grid);
    const HWND close = pane ? ::GetDlgItem(pane, kPaneCloseButtonId) : nullptr;
    if (!close || !::IsWindowVisible(close))
        return false;
    RECT rect{};
    ::GetWindowRect(close, &rect);
    Click(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, winlib::input::Button::Left);
    return true;
}

bool WindowScriptActions::RightClickPane(int grid)
{
    // On the pane's caption, left of its close button.
    const HWND pane = Pane(grid);
    RECT rect{};
    if (!pane || !::IsWindowVisible(pane) || !::GetWindowRect(pane, &rect) || rect.bottom - rect.top < 10)
        return false;
    Click(POINT{rect.left + 40, rect.top + 7}, winlib::input::Button::Right);
    return true;
}

bool WindowScriptActions::ExpectPane(int grid, const std::string& state) const
{
    // expect-pane N shown | closed: shown with room for its header and a few rows, or given no room.
    constexpr int kShownHeight = 60;
    const HWND pane = Pane(grid);
    RECT rect{};
    const bool shown = pane && ::IsWindowVisible(pane) && ::GetWindowRect(pane, &rect) &&
                       rect.bottom - rect.top >= kShownHeight;
    if (state != "shown" && state != "closed")
        return false;
    if (shown != (state == "shown"))
        std::cerr << "kivo-host script: pane " << grid << " is " << rect.bottom - rect.top
                  << " pixels high\n";
    return shown == (state == "shown");
}

} // namespace host
