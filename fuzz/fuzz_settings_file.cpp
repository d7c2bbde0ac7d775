// A settings file of any content goes through a real list's start: the list sits in a dialog bar,
// takes its stored appearance and column profile, is painted, and saves its profile as its window
// goes. The input is the list's stored profile up to the first line break, its stored appearance up
// to the next, and whatever else the file holds after that.
//
// Besides running clean under the sanitizers, the start must leave the file as it was but for the
// list's own profile, and that profile must read back as the list it was saved from.
#include "base/UserSettings.h"
#include "frame/KTBCGPDialogBar.h"
#include "grid/ColumnProfile.h"
#include "grid/CommonListCtrl.h"
#include "tests/support/BarTemplate.h"
#include "winlib/Backend.h"
#include "winlib/Dialog.h"
#include "winlib/FileSystem.h"
#include "winlib/Frame.h"
#include "winlib/HeaderCtrl.h"
#include "winlib/Profile.h"
#include "winlib/Runtime.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace
{
constexpr UINT kBarTemplate = 7403;
constexpr UINT kListId = 4100;

struct Surroundings
{
    Surroundings()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kivo-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        folder = pattern;
        setenv("APPDATA", folder.c_str(), 1);
        path = GetUserSettingsPath();
        winlib::SetBackend(std::make_unique<winlib::HeadlessBackend>(true));
        winlib::RegisterDialogTemplate(BarTemplate(kBarTemplate, 300, 200));
        if (!frame.Create(nullptr, "Frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 700)))
            std::abort();
        frame.EnableDocking(CBRS_ALIGN_ANY);
        frame.ShowWindow(SW_SHOW);
        if (!bar.Create("Host", &frame, TRUE, kBarTemplate, WS_CHILD | CBRS_TOP, 900))
            std::abort();
        frame.DockControlBar(&bar);
        bar.ShowControlBar(TRUE, FALSE, FALSE);
    }
    ~Surroundings()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::filesystem::path folder;
    std::string path;
    CBCGPFrameWnd frame;
    CKTBCGPDialogBar bar;
};

std::string NextLine(std::string_view& rest)
{
    const std::size_t end = rest.find('\n');
    const std::string line(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return line;
}

std::vector<std::string> Names(const char* section, const std::string& path)
{
    std::vector<char> buffer(16384);
    const DWORD length = GetPrivateProfileString(section, nullptr, "", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), path.c_str());
    std::vector<std::string> names;
    for (DWORD start = 0; start < length;)
    {
        names.emplace_back(buffer.data() + start);
        start += static_cast<DWORD>(names.back().size()) + 1;
    }
    return names;
}

// Every value of the file but the list's profile, by section and key as listed (the first few of
// each, which is enough to see a rewrite go wrong and keeps a run quick).
std::map<std::pair<std::string, std::string>, std::string> Snapshot(const std::string& path)
{
    std::map<std::pair<std::string, std::string>, std::string> values;
    const std::vector<std::string> sections = Names(nullptr, path);
    for (std::size_t s = 0; s < sections.size() && s < 16; ++s)
    {
        const std::string& section = sections[s];
        const std::vector<std::string> keys = Names(section.c_str(), path);
        for (std::size_t k = 0; k < keys.size() && k < 16; ++k)
        {
            const std::string& key = keys[k];
            if (section == "Trades" && key == "COLUMNPROFILE")
                continue;
            std::string value;
            std::string error;
            ReadWriteSetting(SETTING_READ, section, key, value, path, error);
            values[{section, key}] = value;
        }
    }
    return values;
}

sKivoColInfo Column(const char* name, int width)
{
    sKivoColInfo info;
    info.SetName(name);
    info.m_nWidth = width;
    return info;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Surroundings* const world = new Surroundings;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string profile = NextLine(rest);
    const std::string appearance = NextLine(rest);
    std::ofstream(ToNativePath(world->path.c_str()), std::ios::binary | std::ios::trunc)
        << "[Trades]\nCOLUMNPROFILE=" << profile << "\n[CUSTOMIZE_LISTS]\nTrades-" << kListId << "="
        << appearance << "\n"
        << rest;
    // Names holding a NUL cannot be told apart in the name lists, so the file is compared only
    // without them; the list starts on anything.
    const bool comparable = std::memchr(data, 0, size) == nullptr;
    const auto before = Snapshot(world->path);

    auto list = std::make_unique<CCommonListCtrl>();
    list->m_strListName = "Trades";
    list->m_arrColumns = {Column("Symbol", 80), Column("Qty", 60), Column("Price", 70)};
    if (!list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 20, 400, 200), &world->bar, kListId))
        __builtin_trap();
    list->InitColumns();
    for (int row = 0; row < 3; ++row)
    {
        list->InsertItem(row, "ABC");
        list->SetItemText(row, 1, "100");
    }
    list->SendMessage(WM_HSCROLL, SB_RIGHT, 0);
    winlib::PumpPending();
    const std::size_t columns = list->m_arrColumns.size();
    const int shown = list->GetHeaderCtrl()->GetItemCount();
    list->DestroyWindow();
    list.reset();

    // What the list saved lays out the same list again.
    std::string saved;
    if (ReadWriteColumnProfile(SETTING_READ, "Trades", saved))
    {
        std::vector<sKivoColInfo> again = {Column("Symbol", 80), Column("Qty", 60), Column("Price", 70)};
        const ColumnLayout layout = LayoutColumns(again, 3, saved);
        if (again.size() != columns || static_cast<int>(layout.displayOrder.size()) != shown)
            __builtin_trap();
    }
    // Nothing but the list's profile was written.
    if (comparable && Snapshot(world->path) != before)
        __builtin_trap();
    return 0;
}
