// The ground services of the system: faults tests arm, what the library observed for read-back,
// the modal answerer, the classic colours, beeps, global memory and the last error code.
#include "GlobalMemory.h"
#include "winlib/Api.h"
#include "winlib/Faults.h"
#include "winlib/Modal.h"
#include "winlib/Observe.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace winlib
{

Observations& Observed()
{
    static Observations observations;
    return observations;
}

namespace
{
std::map<Fault, int>& Armed()
{
    static std::map<Fault, int> armed;
    return armed;
}

ModalAnswerer& Answerer()
{
    static ModalAnswerer answerer;
    return answerer;
}
} // namespace

void FailNext(Fault fault, int times)
{
    Armed()[fault] += times;
}

bool ShouldFail(Fault fault)
{
    auto it = Armed().find(fault);
    if (it == Armed().end() || it->second <= 0)
        return false;
    --it->second;
    return true;
}

void ClearFaults()
{
    Armed().clear();
}

ModalAnswerer SetModalAnswerer(ModalAnswerer answerer)
{
    return std::exchange(Answerer(), std::move(answerer));
}

ModalAnswer AskModalAnswerer(const ModalRequest& request, bool* asked)
{
    // The answerer may itself open modal loops; it is out of the way meanwhile.
    ModalAnswerer answerer = Answerer();
    if (asked)
        *asked = static_cast<bool>(answerer);
    if (!answerer)
        return ModalAnswer{};
    return answerer(request);
}

} // namespace winlib

// The classic Windows scheme.
DWORD GetSysColor(int index)
{
    switch (index)
    {
    case COLOR_SCROLLBAR:
        return RGB(212, 208, 200);
    case COLOR_BACKGROUND:
        return RGB(58, 110, 165);
    case COLOR_ACTIVECAPTION:
        return RGB(10, 36, 106);
    case COLOR_INACTIVECAPTION:
        return RGB(128, 128, 128);
    case COLOR_MENU:
        return RGB(212, 208, 200);
    case COLOR_WINDOW:
        return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME:
        return RGB(0, 0, 0);
    case COLOR_MENUTEXT:
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
    case COLOR_INFOTEXT:
        return RGB(0, 0, 0);
    case COLOR_CAPTIONTEXT:
    case COLOR_HIGHLIGHTTEXT:
    case COLOR_BTNHIGHLIGHT:
        return RGB(255, 255, 255);
    case COLOR_ACTIVEBORDER:
    case COLOR_INACTIVEBORDER:
    case COLOR_BTNFACE:
    case COLOR_3DLIGHT:
    case COLOR_MENUBAR:
        return RGB(212, 208, 200);
    case COLOR_INACTIVECAPTIONTEXT:
        return RGB(212, 208, 200);
    case COLOR_APPWORKSPACE:
    case COLOR_BTNSHADOW:
    case COLOR_GRAYTEXT:
        return RGB(128, 128, 128);
    case COLOR_HIGHLIGHT:
    case COLOR_MENUHILIGHT:
        return RGB(10, 36, 106);
    case COLOR_3DDKSHADOW:
        return RGB(64, 64, 64);
    case COLOR_INFOBK:
        return RGB(255, 255, 225);
    case COLOR_HOTLIGHT:
        return RGB(0, 0, 128);
    case COLOR_GRADIENTACTIVECAPTION:
        return RGB(166, 202, 240);
    case COLOR_GRADIENTINACTIVECAPTION:
        return RGB(192, 192, 192);
    default:
        return 0;
    }
}

BOOL MessageBeep(UINT type)
{
    winlib::Observed().beeps.push_back(winlib::BeepRecord{0, 0, type});
    return TRUE;
}

BOOL Beep(DWORD frequency, DWORD durationMs)
{
    if (winlib::Observed().keepBeeps)
        winlib::Observed().beeps.push_back(winlib::BeepRecord{frequency, durationMs, 0});
    return TRUE;
}

// ---- Global memory ---------------------------------------------------------------------

namespace
{
struct GlobalBlock
{
    std::vector<char> bytes;
    int locks = 0;
};

std::set<GlobalBlock*>& Blocks()
{
    static std::set<GlobalBlock*> blocks;
    return blocks;
}

GlobalBlock* Block(HGLOBAL h)
{
    auto* block = reinterpret_cast<GlobalBlock*>(h);
    return Blocks().count(block) ? block : nullptr;
}
} // namespace

std::vector<char>* winlib::detail::GlobalBytes(HGLOBAL memory)
{
    GlobalBlock* block = Block(memory);
    return block ? &block->bytes : nullptr;
}

HGLOBAL GlobalAlloc(UINT, std::size_t bytes)
{
    if (winlib::ShouldFail(winlib::Fault::GlobalAlloc))
        return nullptr;
    auto* block = new GlobalBlock;
    block->bytes.assign(std::max<std::size_t>(bytes, 1), '\0');
    Blocks().insert(block);
    return reinterpret_cast<HGLOBAL>(block);
}

LPVOID GlobalLock(HGLOBAL memory)
{
    GlobalBlock* block = Block(memory);
    if (!block || winlib::ShouldFail(winlib::Fault::GlobalLock))
        return nullptr;
    ++block->locks;
    return block->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL memory)
{
    GlobalBlock* block = Block(memory);
    if (!block || block->locks == 0)
        return FALSE;
    return --block->locks > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL memory)
{
    GlobalBlock* block = Block(memory);
    if (!block)
        return memory;
    Blocks().erase(block);
    delete block;
    return nullptr;
}

std::size_t GlobalSize(HGLOBAL memory)
{
    const GlobalBlock* block = Block(memory);
    return block ? block->bytes.size() : 0;
}

namespace
{
DWORD g_lastError = 0;
} // namespace

DWORD GetLastError()
{
    return g_lastError;
}
void SetLastError(DWORD error)
{
    g_lastError = error;
}
