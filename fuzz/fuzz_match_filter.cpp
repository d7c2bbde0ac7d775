// The compiled filter (tries, automaton, bounds) must answer every cell as a plain reading of the
// rules does, alternative by alternative; and a filter list driven by random inserts, deletions,
// refreshes and filters must show exactly the records a simple model says pass, in store order
// (or newest first).
//
// Input: the first byte chooses the part. Matching: "filter\ncell\ncell...". The list: a stream
// of operations, each an opcode byte followed by its operands.
#include "grid/FilterListCtrl.h"
#include "grid/FilterPattern.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace
{

// ---- The rules read plainly -----------------------------------------------------------------------

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.size() >= start.size() && SameIgnoringCase(text.substr(0, start.size()), start);
}

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && SameIgnoringCase(text.substr(text.size() - end.size()), end);
}

bool Contains(std::string_view text, std::string_view inner)
{
    for (std::size_t at = 0; at + inner.size() <= text.size(); ++at)
    {
        if (SameIgnoringCase(text.substr(at, inner.size()), inner))
            return true;
    }
    return false;
}

bool Number(std::string_view text, double& value)
{
    const auto blank = [](char c)
    { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return false;
    const std::string copy(text);
    char* stop = nullptr;
    value = std::strtod(copy.c_str(), &stop);
    return stop == copy.c_str() + copy.size();
}

bool PlainMatch(std::string_view cell, std::string_view filter, bool exact)
{
    bool anyAlternative = false;
    std::size_t start = 0;
    while (start <= filter.size())
    {
        std::size_t end = filter.find('~', start);
        if (end == std::string_view::npos)
            end = filter.size();
        const std::string_view alt = filter.substr(start, end - start);
        start = end + 1;
        if (alt.empty())
            continue;
        anyAlternative = true;
        double bound = 0;
        double value = 0;
        if (exact)
        {
            if (SameIgnoringCase(cell, alt))
                return true;
        }
        else if (alt.size() >= 2 && alt.front() == '*' && alt.back() == '*')
        {
            if (Contains(cell, alt.substr(1, alt.size() - 2)))
                return true;
        }
        else if (alt.front() == '*')
        {
            if (EndsWith(cell, alt.substr(1)))
                return true;
        }
        else if (alt.front() == '>' || alt.front() == '<')
        {
            if (Number(alt.substr(1), bound) && Number(cell, value) &&
                (alt.front() == '>' ? value > bound : value < bound))
                return true;
        }
        else if (StartsWith(cell, alt))
            return true;
    }
    return !anyAlternative;
}

void CheckMatching(std::string_view input)
{
    const bool exact = !input.empty() && (static_cast<unsigned char>(input.front()) & 1);
    if (!input.empty())
        input.remove_prefix(1);
    std::size_t end = input.find('\n');
    const std::string_view filter = input.substr(0, end);
    const FilterPattern pattern(filter, exact);
    while (end != std::string_view::npos)
    {
        const std::size_t start = end + 1;
        end = input.find('\n', start);
        const std::string_view cell = input.substr(start, end == std::string_view::npos ? end : end - start);
        if (pattern.Matches(cell) != PlainMatch(cell, filter, exact))
            __builtin_trap();
        if ((CFilterListCtrl::MatchFilter(std::string(cell), std::string(filter), exact) != FALSE) !=
            pattern.Matches(cell))
            __builtin_trap();
    }
}

// ---- The list against its model -------------------------------------------------------------------

constexpr int kColumns = 2;
using Cells = std::array<std::string, kColumns>;

BOOL CellOf(DWORD_PTR item, int column, std::string& text, COLORREF&, COLORREF&, int&)
{
    if (!item || column < 0 || column >= kColumns)
        return FALSE;
    text = (*reinterpret_cast<const Cells*>(item))[static_cast<std::size_t>(column)];
    return TRUE;
}

struct Reader
{
    std::string_view data;
    unsigned char Byte()
    {
        if (data.empty())
            return 0;
        const auto b = static_cast<unsigned char>(data.front());
        data.remove_prefix(1);
        return b;
    }
    std::string Text(std::size_t most)
    {
        const std::size_t n = std::min<std::size_t>(Byte() % (most + 1), data.size());
        std::string text(data.substr(0, n));
        data.remove_prefix(n);
        return text;
    }
};

CWnd& Parent()
{
    static CWnd* parent = []
    {
        auto* wnd = new CWnd;
        wnd->CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 400, 300), nullptr, 0);
        return wnd;
    }();
    return *parent;
}

void CheckList(std::string_view input)
{
    Reader in{input};
    const unsigned char flags = in.Byte();
    const bool exact = flags & 1;
    const bool newestFirst = flags & 2;

    CFilterListCtrl list;
    list.m_strListName = "Fuzz";
    for (int c = 0; c < kColumns; ++c)
    {
        sKivoColInfo info;
        info.SetName(c ? "Side" : "Symbol");
        info.m_nWidth = 60;
        info.m_nDataType = 3;
        list.m_arrColumns.push_back(info);
    }
    list.CreateEx(0, WS_CHILD | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_OWNERDATA, CRect(0, 0, 300, 200),
                  &Parent(), 7);
    list.InitColumns();
    list.SetDataDescriptor(&CellOf);
    list.EnableFilter(TRUE);
    list.SetNewestFirst(newestFirst ? TRUE : FALSE);
    list.m_bMatchExactly = exact ? TRUE : FALSE;

    std::deque<Cells> owned;   // the owner's records, never moved
    std::vector<Cells*> store; // the model: records in store order
    std::array<std::string, kColumns> filters;
    const auto passes = [&](const Cells& cells)
    {
        for (int c = 0; c < kColumns; ++c)
        {
            if (!PlainMatch(cells[static_cast<std::size_t>(c)], filters[static_cast<std::size_t>(c)], exact))
                return false;
        }
        return true;
    };

    for (int steps = 0; steps < 200 && !in.data.empty(); ++steps)
    {
        const unsigned char op = in.Byte() % 5;
        if (op == 0 || op == 1)
        {
            if (store.size() >= 64)
                continue;
            owned.push_back(Cells{in.Text(6), in.Text(4)});
            store.push_back(&owned.back());
            list.InsertItem(0, "");
            list.SetItemData(0, reinterpret_cast<DWORD_PTR>(store.back()));
        }
        else if (op == 2 && !store.empty())
        {
            const std::size_t index = in.Byte() % store.size();
            list.DeleteDataItem(static_cast<int>(index));
            store.erase(store.begin() + static_cast<std::ptrdiff_t>(index));
        }
        else if (op == 3 && !store.empty())
        {
            const std::size_t index = in.Byte() % store.size();
            *store[index] = Cells{in.Text(6), in.Text(4)};
            list.RefreshDataItem(static_cast<int>(index));
            // A refreshed record that now passes shows again, in its store place.
        }
        else if (op == 4)
        {
            const int column = in.Byte() % kColumns;
            filters[static_cast<std::size_t>(column)] = in.Text(12);
            list.SetColumnFilter(column, filters[static_cast<std::size_t>(column)]);
            list.ApplyFilter();
        }
        else
            continue;

        std::vector<const Cells*> shown;
        for (const Cells* cells : store)
        {
            if (passes(*cells))
                shown.push_back(cells);
        }
        if (newestFirst)
            std::reverse(shown.begin(), shown.end());
        if (list.GetItemCount() != static_cast<int>(shown.size()) ||
            list.GetStoreCount() != static_cast<int>(store.size()))
            __builtin_trap();
        for (std::size_t row = 0; row < shown.size(); ++row)
        {
            if (list.GetItemData(static_cast<int>(row)) != reinterpret_cast<DWORD_PTR>(shown[row]))
                __builtin_trap();
        }
    }
    list.DestroyWindow();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.empty())
        return 0;
    const bool listPart = static_cast<unsigned char>(input.front()) & 0x80;
    input.remove_prefix(1);
    if (listPart)
        CheckList(input);
    else
        CheckMatching(input);
    return 0;
}
