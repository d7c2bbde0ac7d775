#include "host/ConsoleScriptActions.h"

#include "host/ScriptBackend.h"
#include "oms/Publication.h"
#include "protocol/Visibility.h"
#include "winlib/CommCtrl.h"
#include "winlib/Input.h"
#include "winlib/Modal.h"
#include "winlib/Observe.h"
#include "winlib/Runtime.h"

#include <iostream>
#include <set>
#include <vector>

namespace host
{

namespace
{

constexpr int kRequestListId = 4000;
constexpr int kDetailGridId = 4001;

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The parts of "a | b | c", trimmed.
std::vector<std::string> Parts(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t bar = text.find('|', start);
        parts.push_back(Trim(text.substr(start, bar - start)));
        if (bar == std::string::npos)
            return parts;
        start = bar + 1;
    }
}

HWND FindDescendant(HWND parent, int id)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        if (GetDlgCtrlID(child) == id)
            return child;
        if (HWND deeper = FindDescendant(child, id))
            return deeper;
    }
    return nullptr;
}

std::string CellText(HWND list, int row, int column)
{
    char text[512] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessage(list, LVM_GETITEMTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

int RowCount(HWND list)
{
    return list ? static_cast<int>(SendMessage(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

CRect PartOf(HWND list, int row, int part)
{
    CRect rect(part, 0, 0, 0);
    SendMessage(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// Sub-item 0 answers for the whole row, as on Windows: the first cell ends where the second begins.
CRect CellOf(HWND list, int row, int column)
{
    CRect rect(LVIR_BOUNDS, column, 0, 0);
    SendMessage(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    if (column == 0)
    {
        CRect second(LVIR_BOUNDS, 1, 0, 0);
        if (SendMessage(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&second)))
            rect.right = second.left;
    }
    return rect;
}

POINT OnScreen(HWND window, POINT client)
{
    ClientToScreen(window, &client);
    return client;
}

void Click(HWND window, POINT client, bool twice)
{
    const POINT screen = OnScreen(window, client);
    winlib::input::MouseButton(screen, winlib::input::Button::Left, true);
    winlib::PumpPending();
    winlib::input::MouseButton(screen, winlib::input::Button::Left, false);
    winlib::PumpPending();
    if (!twice)
        return;
    winlib::input::MouseButton(screen, winlib::input::Button::Left, true, true);
    winlib::PumpPending();
    winlib::input::MouseButton(screen, winlib::input::Button::Left, false);
    winlib::PumpPending();
}

void Type(const std::string& text)
{
    for (char ch : text)
    {
        bool shift = false;
        const int key = winlib::input::VirtualKeyForChar(ch, &shift);
        if (shift)
            winlib::input::KeyDown(VK_SHIFT);
        if (key)
            winlib::input::KeyDown(key);
        winlib::input::Char(ch);
        if (key)
            winlib::input::KeyUp(key);
        if (shift)
            winlib::input::KeyUp(VK_SHIFT);
        winlib::PumpPending();
    }
}

void Press(int key)
{
    winlib::input::KeyDown(key);
    winlib::input::KeyUp(key);
    winlib::PumpPending();
}

// What the grid shows: its cells as it draws them, line by line (it keeps no item texts). On a
// screen, where drawing is not recorded, the texts it gives for its cells, trimmed.
std::vector<std::vector<std::string>> DrawnCells(HWND grid, int columns)
{
    std::vector<std::vector<std::string>> lines;
    ScriptBackend* backend = ScriptBackend::Installed();
    if (grid && !backend)
    {
        for (int line = 0; line < RowCount(grid); ++line)
        {
            std::vector<std::string> cells;
            for (int column = 0; column < columns; ++column)
                cells.push_back(Trim(CellText(grid, line, column)));
            lines.push_back(cells);
        }
        return lines;
    }
    if (!grid)
        return lines;
    backend->BeginReading();
    RedrawWindow(grid, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    winlib::PumpPending();
    const std::vector<winlib::DrawOp> texts = backend->EndReading(grid);
    const int count = RowCount(grid);
    for (int line = 0; line < count; ++line)
    {
        std::vector<std::string> cells(static_cast<std::size_t>(columns));
        for (int column = 0; column < columns; ++column)
        {
            const CRect cell = CellOf(grid, line, column);
            for (const winlib::DrawOp& op : texts)
            {
                const CPoint at = op.local.CenterPoint();
                if (cell.PtInRect(at))
                    cells[static_cast<std::size_t>(column)] += op.text;
            }
        }
        lines.push_back(cells);
    }
    return lines;
}

// The detail grid's line whose field column reads 'field'; -1 when there is none.
int LineOf(const std::vector<std::vector<std::string>>& lines, const std::string& field)
{
    for (std::size_t line = 0; line < lines.size(); ++line)
    {
        if (lines[line][0] == field)
            return static_cast<int>(line);
    }
    return -1;
}

// edit-detail FIELD | VALUE: a click on the line's value opens its editor; the text typed over
// all it holds (Ctrl+A) replaces it, Enter ends the edit.
bool EditCell(HWND grid, int line, const std::vector<std::string>& parts)
{
    if (parts.size() != 2)
    {
        std::cerr << "kivo-host script: write edit-detail FIELD | VALUE\n";
        return false;
    }
    Click(grid, CellOf(grid, line, 1).CenterPoint(), false);
    winlib::input::KeyDown(VK_CONTROL);
    Press('A');
    winlib::input::KeyUp(VK_CONTROL);
    Type(parts[1]);
    Press(VK_RETURN);
    return true;
}

// A step that did not hold, and why, for whoever reads the script's output.
bool Fail(const std::string& action, const std::string& argument, const std::string& why)
{
    std::cerr << "kivo-host script: " << action << " " << argument << ": " << why << "\n";
    return false;
}

} // namespace

ConsoleScriptActions::ConsoleScriptActions(CKivoHostApp& app,
                                           std::function<std::optional<std::string>(const std::string&)> key)
    : m_app(app), m_key(std::move(key))
{
    // A dialog the script has an answer for gets it typed in and confirmed with Enter; when it
    // is still open after that (it refused the answer) it is cancelled, so that the script does
    // not wait on a dialog nobody will close. A dialog without an answer is left to the script's
    // next steps, which run inside its loop.
    winlib::SetModalAnswerer(
        [this](const winlib::ModalRequest& request)
        {
            winlib::ModalAnswer answer;
            if (request.kind != winlib::ModalKind::Dialog || m_dialogTexts.empty())
                return answer;
            const std::string text = m_dialogTexts.front();
            m_dialogTexts.pop_front();
            m_bAnswering = true;
            Type(text);
            Press(VK_RETURN);
            m_bAnswering = false;
            answer.answered = true;
            answer.result = IDCANCEL;
            return answer;
        });
}

ConsoleScriptActions::~ConsoleScriptActions()
{
    winlib::SetModalAnswerer({});
}

HWND ConsoleScriptActions::RequestList() const
{
    CWnd* console = m_app.Frame() ? m_app.Frame()->FindBar("Maker Checker") : nullptr;
    return console ? FindDescendant(console->m_hWnd, kRequestListId) : nullptr;
}

HWND ConsoleScriptActions::DetailGrid() const
{
    CWnd* console = m_app.Frame() ? m_app.Frame()->FindBar("Maker Checker") : nullptr;
    return console ? FindDescendant(console->m_hWnd, kDetailGridId) : nullptr;
}

int ConsoleScriptActions::RowOf(const std::string& key) const
{
    const HWND list = RequestList();
    const int rows = RowCount(list);
    for (int row = 0; row < rows; ++row)
    {
        // The "Key" column.
        if (CellText(list, row, 2) == key)
            return row;
    }
    return -1;
}

bool ConsoleScriptActions::ExpectPendingListed(const std::function<bool(const std::string&)>& fail) const
{
    EmbeddedServer* embedded = m_app.Server();
    if (!embedded)
        return fail("it needs the embedded server");
    // What the checker should see: the pending requests his subscription would bring, but for
    // his own and those of a type whose role he lacks.
    const UserProfile& profile = m_app.Options().profile;
    const auto filter = protocol::VisibilityFilter(profile.privilege, profile.userId, profile.brokerId);
    std::set<std::string> expected;
    embedded->Server().WithStore(
        [&](oms::Store& store)
        {
            store.ForEachPending(
                [&](const oms::RequestRecord& request)
                {
                    const int role = request.type == oms::kRmsLimits            ? 60302
                                     : oms::IsAccountType(request.type)         ? 60304
                                     : request.category == oms::kInvestorClient ? 60304
                                                                                : 60303;
                    if (filter && filter->Matches(oms::PublishedForm(request)) &&
                        request.maker != profile.userId && profile.roles.count(role))
                        expected.insert(std::to_string(request.key));
                });
        });
    std::multiset<std::string> listed;
    const HWND list = RequestList();
    for (int row = 0; row < RowCount(list); ++row)
        listed.insert(CellText(list, row, 2));
    if (std::set<std::string>(listed.begin(), listed.end()) == expected && listed.size() == expected.size())
        return true;
    std::string missing;
    std::string extra;
    for (const std::string& key : expected)
    {
        if (!listed.count(key))
            missing += " " + key;
    }
    for (const std::string& key : listed)
    {
        if (!expected.count(key) || listed.count(key) > 1)
            extra += " " + key;
    }
    return fail(std::to_string(listed.size()) + " rows for " + std::to_string(expected.size()) +
                " pending requests; missing:" + missing + "; not pending or twice:" + extra);
}

void ConsoleScriptActions::AddActions(ScriptActionTable& table)
{
    table.Add("answer-dialog",
              [this](const auto&, const std::string& argument)
              {
                  m_dialogTexts.push_back(argument);
                  return true;
              });
    table.Add("expect-beeps", Bound(this, &ConsoleScriptActions::ExpectBeeps));
    table.Add({"hold-published", "release-published"},
              [this](const std::string& action, const auto&)
              {
                  m_app.Plugin().HoldPublished(action == "hold-published");
                  return true;
              });
    table.Add(
        "expect-pending-listed", [this](const std::string& action, const std::string& argument)
        { return ExpectPendingListed([&](const std::string& why) { return Fail(action, argument, why); }); });
    table.Add("print-rows", Bound(this, &ConsoleScriptActions::PrintRows));
    table.Add("print-details", Bound(this, &ConsoleScriptActions::PrintDetails));
    table.Add("note-row-under-pointer", Bound(this, &ConsoleScriptActions::NoteRowUnderPointer));
    table.Add("print-rect", Bound(this, &ConsoleScriptActions::PrintRect));
    table.Add("expect-newest-first", Bound(this, &ConsoleScriptActions::ExpectNewestFirst));
    table.Add("expect-rows",
              [this](const std::string& action, const std::string& argument)
              {
                  const int rows = RowCount(RequestList());
                  return std::to_string(rows) == argument ||
                         Fail(action, argument, "the list has " + std::to_string(rows) + " rows");
              });
    table.Add({"expect-row", "expect-no-row", "open-row", "tick-row", "untick-row", "expect-row-entity",
               "expect-top-row", "expect-ticked", "expect-unticked", "expect-focused-row",
               "expect-under-pointer"},
              Bound(this, &ConsoleScriptActions::OnRow));
    table.Add({"expect-detail", "expect-no-detail", "edit-detail"},
              Bound(this, &ConsoleScriptActions::OnDetail));
}

bool ConsoleScriptActions::ExpectBeeps(const std::string& action, const std::string& argument)
{
    // Counted since the previous expect-beeps, so that a script checks each step's own.
    const std::size_t all = winlib::Observed().beeps.size();
    const std::size_t beeps = all - m_beepsSeen;
    m_beepsSeen = all;
    return std::to_string(beeps) == (argument.empty() ? "0" : argument) ||
           Fail(action, argument, "there were " + std::to_string(beeps) + " beeps");
}

bool ConsoleScriptActions::PrintRows(const std::string&)
{
    // For whoever writes a script: what the list shows, one line a row.
    const HWND list = RequestList();
    for (int row = 0; row < RowCount(list); ++row)
    {
        for (int column = 0; column < 6; ++column)
            std::cout << (column ? " | " : "") << CellText(list, row, column);
        std::cout << "\n";
    }
    return true;
}

bool ConsoleScriptActions::PrintDetails(const std::string&)
{
    // What the detail grid shows, one line a row.
    for (const std::vector<std::string>& cells : DrawnCells(DetailGrid(), 3))
        std::cout << cells[0] << " | " << cells[1] << " | " << cells[2] << "\n";
    return true;
}

bool ConsoleScriptActions::NoteRowUnderPointer(const std::string& action, const std::string& argument)
{
    // The request whose row is under the pointer now, for later steps to name as "noted".
    const HWND list = RequestList();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    LVHITTESTINFO hit{};
    hit.pt = cursor;
    if (list)
        ::ScreenToClient(list, &hit.pt);
    const int row =
        list ? static_cast<int>(SendMessage(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) : -1;
    if (row < 0)
        return Fail(action, argument, "the pointer is on no row of the request list");
    m_notedKey = CellText(list, row, 2);
    std::cout << "noted " << m_notedKey << std::endl;
    return true;
}

bool ConsoleScriptActions::PrintRect(const std::string& action, const std::string& argument)
{
    // Where something is on the screen, for a test that drives the terminal with real input:
    // "grid N" (its client area), "row KEY" (the request's row and, after it, the middle of its
    // check box), "detail FIELD" (the Value cell of the detail line), "button ID".
    const std::size_t space = argument.find(' ');
    const std::string what = argument.substr(0, space);
    const std::string name = space == std::string::npos ? "" : Trim(argument.substr(space + 1));
    CRect rect;
    HWND window = nullptr;
    CPoint extra(-1, -1);
    if (what == "grid")
    {
        window = name == "2" ? DetailGrid() : RequestList();
        if (window)
            ::GetClientRect(window, &rect);
    }
    else if (what == "row")
    {
        const std::optional<std::string> key = KeyNamed(name);
        window = RequestList();
        const int row = key ? RowOf(*key) : -1;
        if (row < 0)
            return Fail(action, argument, "no row shows that request");
        rect = PartOf(window, row, LVIR_BOUNDS);
        const CRect icon = PartOf(window, row, LVIR_ICON);
        extra = CPoint((rect.left + icon.left) / 2, rect.CenterPoint().y);
    }
    else if (what == "detail")
    {
        window = DetailGrid();
        const int line = LineOf(DrawnCells(window, 3), name);
        if (line < 0)
            return Fail(action, argument, "no line of the detail grid is labelled so");
        rect = CellOf(window, line, 1);
    }
    else if (what == "button")
    {
        CWnd* console = m_app.Frame() ? m_app.Frame()->FindBar("Maker Checker") : nullptr;
        CWnd* button = console ? console->GetDlgItem(std::atoi(name.c_str())) : nullptr;
        window = button ? button->m_hWnd : nullptr;
        if (window)
            ::GetClientRect(window, &rect);
    }
    if (!window)
        return Fail(action, argument, "there is no such window");
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    std::cout << argument << ": " << rect.left << " " << rect.top << " " << rect.right << " " << rect.bottom;
    if (extra.x >= 0)
    {
        POINT point = extra;
        ::ClientToScreen(window, &point);
        std::cout << " " << point.x << " " << point.y;
    }
    std::cout << std::endl;
    return true;
}

bool ConsoleScriptActions::ExpectNewestFirst(const std::string& action, const std::string& argument)
{
    // The Key column, read as numbers, descends from the first row to the last.
    const HWND list = RequestList();
    for (int row = 1; row < RowCount(list); ++row)
    {
        const std::string above = CellText(list, row - 1, 2);
        const std::string key = CellText(list, row, 2);
        if (std::stoll("0" + above) <= std::stoll("0" + key))
            return Fail(action, argument,
                        "row " + std::to_string(row - 1) + " shows " + above + " above " + key);
    }
    return true;
}

std::optional<std::string> ConsoleScriptActions::KeyNamed(const std::string& word) const
{
    return word == "noted" && !m_notedKey.empty() ? std::optional<std::string>(m_notedKey) : m_key(word);
}

bool ConsoleScriptActions::OnRow(const std::string& action, const std::string& argument)
{
    const std::size_t space = argument.find(' ');
    const std::optional<std::string> key = KeyNamed(Trim(argument.substr(0, space)));
    if (!key)
        return Fail(action, argument, "no such key");
    const int row = RowOf(*key);
    if (action == "expect-no-row")
        return row < 0 || Fail(action, argument, "row " + std::to_string(row) + " shows it");
    if (row < 0)
        return Fail(action, argument, "no row shows request " + *key);
    const HWND list = RequestList();
    if (action == "expect-row")
        return true;
    if (action == "expect-top-row")
        return row == 0 || Fail(action, argument, "it shows in row " + std::to_string(row));
    if (action == "expect-under-pointer")
    {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        LVHITTESTINFO hit{};
        hit.pt = cursor;
        ::ScreenToClient(list, &hit.pt);
        const int under = static_cast<int>(SendMessage(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        return under == row || Fail(action, argument,
                                    "it shows in row " + std::to_string(row) + ", the pointer is on row " +
                                        std::to_string(under));
    }
    if (action == "expect-focused-row")
    {
        const int focused = static_cast<int>(
            SendMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
        return focused == row || Fail(action, argument,
                                      "it shows in row " + std::to_string(row) + ", the focus is on row " +
                                          std::to_string(focused));
    }
    if (action == "expect-ticked" || action == "expect-unticked")
    {
        const bool ticked = (SendMessage(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12) == 2;
        return ticked == (action == "expect-ticked") ||
               Fail(action, argument, ticked ? "it is ticked" : "it is not ticked");
    }
    if (action == "expect-row-entity")
    {
        const std::string wanted = space == std::string::npos ? "" : Trim(argument.substr(space + 1));
        const std::string entity = CellText(list, row, 0);
        return entity == wanted || Fail(action, argument, "the entity reads '" + entity + "'");
    }
    return ClickRow(action, argument, list, row);
}

bool ConsoleScriptActions::ClickRow(const std::string& action, const std::string& argument, HWND list,
                                    int row)
{
    // A row is clicked where the checker sees it: scrolled into view first, as he would.
    SendMessage(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    winlib::PumpPending();
    if (action == "open-row")
    {
        Click(list, PartOf(list, row, LVIR_LABEL).CenterPoint(), true);
        return true;
    }
    // A click on the check box, which sits before the row's icon and label, turns it over.
    const CRect bounds = PartOf(list, row, LVIR_BOUNDS);
    const CRect icon = PartOf(list, row, LVIR_ICON);
    Click(list, CPoint((bounds.left + icon.left) / 2, bounds.CenterPoint().y), false);
    const UINT state = static_cast<UINT>(SendMessage(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    const bool ticked = (state >> 12) == 2;
    if (action == "tick-row")
        return ticked || Fail(action, argument, "the row is not ticked");
    return !ticked || Fail(action, argument, "the row is still ticked");
}

bool ConsoleScriptActions::OnDetail(const std::string& action, const std::string& argument)
{
    const HWND grid = DetailGrid();
    const std::vector<std::string> parts = Parts(argument);
    // "@N" names the grid's line N (from 0) without reading the grid.
    const bool byNumber = parts[0].size() > 1 && parts[0][0] == '@' &&
                          parts[0].find_first_not_of("0123456789", 1) == std::string::npos;
    if (byNumber && action == "edit-detail")
    {
        const int line = std::stoi(parts[0].substr(1));
        if (line >= RowCount(grid))
            return Fail(action, argument, "the detail grid has " + std::to_string(RowCount(grid)) + " lines");
        return EditCell(grid, line, parts);
    }
    const std::vector<std::vector<std::string>> lines = DrawnCells(grid, 3);
    const int line = LineOf(lines, parts[0]);
    if (action == "expect-no-detail")
        return line < 0 || Fail(action, argument, "line " + std::to_string(line) + " shows it");
    if (line < 0)
        return Fail(action, argument, "no line of the detail grid is labelled so");
    if (action == "expect-detail")
    {
        for (std::size_t column = 1; column < parts.size() && column < 3; ++column)
        {
            const std::string& text = lines[static_cast<std::size_t>(line)][column];
            if (text != parts[column])
                return Fail(action, argument, "column " + std::to_string(column) + " reads '" + text + "'");
        }
        return true;
    }
    return EditCell(grid, line, parts);
}

} // namespace host
