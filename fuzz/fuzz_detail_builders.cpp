// Random replies of the three detail kinds, made of the fields the builders read with values
// that hit their mappings, handed to the builders on a detail grid. Nothing may crash, and
// every section the grid ends up holding must be a whole section the grid alone points to, so
// that freeing each once (as the console does) leaves nothing behind.
#include "connect/Message.h"
#include "connect/ReceivedMessage.h"
#include "dozizedizizi/DetailBuilders.h"
#include "dozizedizizi/DetailSection.h"
#include "dozizedizizi/FieldLabels.h"
#include "grid/MultiLineListCtrl.h"
#include "winlib/Backend.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

namespace
{
// Keys, owners, gates, every field of the three views, exchange codes and a few unknown ids.
constexpr int kFields[] = {31003, 54001, 64052, 64053, 64056, 64174, 63001, 64018, 63076, 64013, 64027,
                           64025, 64020, 63212, 63220, 44201, 64815, 10109, 30004, 63225, 63211, 31803,
                           64017, 64916, 12014, 64807, 64836, 64955, 64839, 64832, 64021, 64700, 64701,
                           64703, 64704, 64731, 61626, 64958, 54002, 64840, 64859, 64935, 64966, 64833,
                           13034, 64031, 64158, 64211, 64210, 41236, 64312, 64037, 41046, 41282, 64420,
                           64421, 41336, 41271, 0,     -1,    32767, 99999};

constexpr const char* kTexts[] = {"",
                                  "Y",
                                  "N",
                                  "X",
                                  "0",
                                  "-1",
                                  "OK",
                                  "ML",
                                  "|ML",
                                  "x|ML|ML",
                                  "nse_cm|nse_fo",
                                  "||mcx_sx|",
                                  "unknown_seg",
                                  "yes",
                                  "no",
                                  "RTGS",
                                  "ECS",
                                  "NEFT",
                                  "Online-Sqroff",
                                  "Offline-NonSqroff",
                                  "2500",
                                  "-0.004",
                                  "1e308",
                                  "1e39",
                                  "9223372036854775807",
                                  "99999999999999999999",
                                  "12.5",
                                  "abc"};

struct Grid
{
    Grid()
    {
        winlib::SetBackend(std::make_unique<winlib::HeadlessBackend>());
        parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 600, 400), nullptr, 0);
        grid.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 580, 380), &parent, 4001);
        int column = 0;
        for (const char* name : {"Field", "Value", "Old Value"})
            grid.InsertColumn(column++, name, LVCFMT_LEFT, 160);
        grid.EnableSectionMode(TRUE);
        grid.SetDataDescriptor(DescribeDetailSection);
        FillFieldLabels();
    }
    CWnd parent;
    CMultiLineListCtrl grid;
};

// Each field: a byte choosing the id, a byte giving 1 to 3 values, a byte per value choosing a
// text from the list or (past the list) taking raw bytes from the input as the text.
connect::Message ReadReply(const std::uint8_t*& data, const std::uint8_t* end)
{
    connect::Message reply;
    while (end - data >= 2)
    {
        const int id = kFields[*data++ % std::size(kFields)];
        const int count = 1 + *data++ % 3;
        for (int i = 0; i < count && data < end; ++i)
        {
            const std::size_t pick = *data++;
            if (pick < std::size(kTexts))
            {
                reply.Add(id, kTexts[pick]);
                continue;
            }
            const std::size_t length = std::min<std::size_t>(pick % 16, static_cast<std::size_t>(end - data));
            reply.Add(id, std::string(reinterpret_cast<const char*>(data), length));
            data += length;
        }
    }
    return reply;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Grid* shared = new Grid; // lives for the whole run, as the console's grid does
    CMultiLineListCtrl& grid = shared->grid;
    if (size == 0)
        return 0;
    const std::uint8_t* end = data + size;
    // The first byte: how many replies (1 to 4) go into one view, and of which kinds.
    const int replies = 1 + (*data & 3);
    const int kinds = *data++ >> 2;
    for (int r = 0; r < replies && data < end; ++r)
    {
        const std::uint8_t* start = data;
        const std::uint8_t* stop =
            start + std::min<std::ptrdiff_t>(end - start, 1 + (end - start) / (replies - r));
        connect::Message reply = ReadReply(data, stop);
        data = stop;
        connect::ReceivedMessage received(reply);
        switch ((kinds >> (2 * r)) % 3)
        {
        case 0:
            BuildUserDetails(received.Handle(), grid);
            break;
        case 1:
            BuildAccountDetails(received.Handle(), grid);
            break;
        default:
            BuildLimitDetails(received.Handle(), grid);
            break;
        }
    }

    std::set<const void*> seen;
    for (const auto& entry : grid.GetEntries())
    {
        const auto* section = static_cast<const sDetailSection*>(entry->m_pSection);
        if (!section || !section->m_pTitle || !seen.insert(section).second ||
            entry->m_nLineCount != section->GetLineCount())
            __builtin_trap();
        for (const auto& row : section->m_arrRows)
        {
            if (!row)
                __builtin_trap();
        }
    }
    if (static_cast<int>(seen.size()) != grid.GetSectionCount())
        __builtin_trap();
    for (const auto& entry : grid.GetEntries())
        delete static_cast<sDetailSection*>(entry->m_pSection);
    grid.DeleteAllItems();
    return 0;
}
