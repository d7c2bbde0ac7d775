#include "winlib/testing/Driver.h"

#include "Internal.h"
#include "winlib/Faults.h"
#include "winlib/Modules.h"
#include "winlib/Runtime.h"

#include <algorithm>
#include <stdexcept>

namespace winlib::testing
{

namespace
{

// Brings the window library back to its first state: no windows, nothing queued,
// nothing held, nothing recorded.
void ResetLibrary()
{
    using namespace winlib::detail;
    State& s = State::Get();
    while (!s.topLevels.empty())
    {
        const HWND top = s.topLevels.front();
        DestroyWindow(top);
        if (s.Find(top))
            s.topLevels.erase(std::remove(s.topLevels.begin(), s.topLevels.end(), top), s.topLevels.end());
    }
    s.queue.clear();
    {
        std::lock_guard<std::mutex> lock(s.taskLock);
        s.tasks.clear();
    }
    s.timers.clear();
    s.quit = false;
    s.focus = s.active = s.capture = nullptr;
    std::fill(std::begin(s.keys), std::end(s.keys), BYTE{0});
    s.cursor = POINT{0, 0};
    s.clipboardOpen = false;
    SetLastError(0);
    for (int vk = 0; vk < 256; ++vk)
    {
        if (GetAsyncKeyState(vk) & 0x8000)
            input::KeyUp(vk);
    }
    s.queue.clear();
    std::fill(std::begin(s.keys), std::end(s.keys), BYTE{0});
    Observed().Clear();
    Observed().keepBeeps = true;
    ClearFaults();
    UnhideAllExports();
}

} // namespace

Driver::Driver(HeadlessDrawing drawing)
{
    ResetLibrary();
    SetBackend(std::make_unique<HeadlessBackend>(true, drawing));
    SetModalAnswerer([this](const ModalRequest& request) { return Answer(request); });
}

Driver::~Driver()
{
    SetModalAnswerer(nullptr);
    ResetLibrary();
    SetBackend(std::make_unique<HeadlessBackend>());
}

ModalAnswer Driver::Answer(const ModalRequest& request)
{
    std::deque<std::function<ModalAnswer(const ModalRequest&)>>* queue = nullptr;
    switch (request.kind)
    {
    case ModalKind::Dialog:
        queue = &m_dialogs;
        break;
    case ModalKind::MessageBox:
        queue = &m_messageBoxes;
        break;
    case ModalKind::PopupMenu:
        m_menus.push_back(request);
        queue = &m_menusAnswers;
        break;
    case ModalKind::ColorDialog:
        queue = &m_colors;
        break;
    case ModalKind::FontDialog:
        queue = &m_fonts;
        break;
    }
    if (queue->empty())
        return ModalAnswer{};
    auto answer = std::move(queue->front());
    queue->pop_front();
    return answer(request);
}

POINT Driver::ToScreen(HWND hwnd, POINT client) const
{
    POINT p = client;
    ClientToScreen(hwnd, &p);
    return p;
}

void Driver::HoldModifiers(Modifiers held, bool down)
{
    const int keys[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
    const unsigned bits[] = {Shift, Ctrl, Alt};
    for (int i = 0; i < 3; ++i)
    {
        if (!(held & bits[i]))
            continue;
        if (down)
            KeyDown(keys[i]);
        else
            KeyUp(keys[i]);
    }
}

void Driver::Click(HWND hwnd, POINT client, Modifiers held)
{
    HoldModifiers(held, true);
    MouseDown(hwnd, client);
    MouseUp(hwnd, client);
    HoldModifiers(held, false);
}

void Driver::DoubleClick(HWND hwnd, POINT client, Modifiers held)
{
    HoldModifiers(held, true);
    const POINT screen = ToScreen(hwnd, client);
    input::MouseButton(screen, input::Button::Left, true);
    Pump();
    input::MouseButton(screen, input::Button::Left, false);
    Pump();
    input::MouseButton(screen, input::Button::Left, true, true);
    Pump();
    input::MouseButton(screen, input::Button::Left, false);
    Pump();
    HoldModifiers(held, false);
}

void Driver::RightClick(HWND hwnd, POINT client, Modifiers held)
{
    HoldModifiers(held, true);
    MouseDown(hwnd, client, input::Button::Right);
    MouseUp(hwnd, client, input::Button::Right);
    HoldModifiers(held, false);
}

void Driver::MouseDown(HWND hwnd, POINT client, input::Button button)
{
    input::MouseButton(ToScreen(hwnd, client), button, true);
    Pump();
}

void Driver::MouseUp(HWND hwnd, POINT client, input::Button button)
{
    input::MouseButton(ToScreen(hwnd, client), button, false);
    Pump();
}

void Driver::MouseMove(HWND hwnd, POINT client)
{
    input::MouseMove(ToScreen(hwnd, client));
    Pump();
}

void Driver::Drag(HWND hwnd, POINT from, POINT to, int steps)
{
    MouseDown(hwnd, from);
    steps = std::max(1, steps);
    for (int i = 1; i <= steps; ++i)
    {
        const POINT p{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
        MouseMove(hwnd, p);
    }
    MouseUp(hwnd, to);
}

void Driver::Wheel(HWND hwnd, POINT client, int delta)
{
    input::MouseWheel(ToScreen(hwnd, client), delta);
    Pump();
}

void Driver::ClickScreen(POINT screen, input::Button button)
{
    input::MouseButton(screen, button, true);
    Pump();
    input::MouseButton(screen, button, false);
    Pump();
}

void Driver::KeyDown(int virtualKey)
{
    input::KeyDown(virtualKey);
    Pump();
}

void Driver::KeyUp(int virtualKey)
{
    input::KeyUp(virtualKey);
    Pump();
}

void Driver::Press(int virtualKey, Modifiers held)
{
    HoldModifiers(held, true);
    KeyDown(virtualKey);
    KeyUp(virtualKey);
    HoldModifiers(held, false);
}

void Driver::Type(const std::string& text)
{
    for (char ch : text)
    {
        bool shift = false;
        const int vk = input::VirtualKeyForChar(ch, &shift);
        const bool holdShift = shift && !(GetAsyncKeyState(VK_SHIFT) & 0x8000);
        if (holdShift)
            KeyDown(VK_SHIFT);
        if (vk)
            input::KeyDown(vk);
        input::Char(ch == '\n' ? '\r' : ch);
        if (vk)
            input::KeyUp(vk);
        Pump();
        if (holdShift)
            KeyUp(VK_SHIFT);
    }
}

void Driver::AdvanceClock(DWORD ms)
{
    Backend().AdvanceClock(ms);
    Pump();
}

int Driver::Pump() { return PumpPending(); }

HeadlessBackend& Driver::Backend()
{
    // A test may have put a screen backend in since; the manual clock is the headless one's.
    HeadlessBackend* backend = GetHeadlessBackend();
    if (!backend)
        throw std::logic_error("the driver's clock and drawing need the headless backend installed");
    return *backend;
}

void Driver::AnswerNextDialog(std::function<void(HWND)> drive)
{
    m_dialogs.push_back([drive = std::move(drive)](const ModalRequest& request) {
        drive(request.window);
        return ModalAnswer{};
    });
}

void Driver::AnswerNextDialogWith(INT_PTR result)
{
    m_dialogs.push_back([result](const ModalRequest&) { return ModalAnswer{true, result, 0}; });
}

void Driver::AnswerNextMessageBox(int result)
{
    m_messageBoxes.push_back([result](const ModalRequest&) { return ModalAnswer{true, result, 0}; });
}

void Driver::AnswerNextPopupMenu(UINT command)
{
    m_menusAnswers.push_back([command](const ModalRequest&) { return ModalAnswer{true, static_cast<INT_PTR>(command), 0}; });
}

void Driver::AnswerNextPopupMenuByText(const std::string& text)
{
    m_menusAnswers.push_back([text](const ModalRequest& request) {
        for (const MenuItemSnapshot& item : request.items)
        {
            if (item.text == text && !(item.flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)))
                return ModalAnswer{true, static_cast<INT_PTR>(item.id), 0};
        }
        return ModalAnswer{true, 0, 0};
    });
}

void Driver::AnswerNextColorDialog(COLORREF color)
{
    m_colors.push_back([color](const ModalRequest&) { return ModalAnswer{true, IDOK, color}; });
}

void Driver::CancelNextColorDialog()
{
    m_colors.push_back([](const ModalRequest&) { return ModalAnswer{true, IDCANCEL, 0}; });
}

void Driver::AnswerNextFontDialog(const LOGFONT& font, COLORREF color)
{
    m_fonts.push_back([font, color](const ModalRequest&) { return ModalAnswer{true, IDOK, color, font}; });
}

void Driver::CancelNextFontDialog()
{
    m_fonts.push_back([](const ModalRequest&) { return ModalAnswer{true, IDCANCEL, 0}; });
}

const Observations& Driver::Observed() const { return winlib::Observed(); }

std::vector<std::string> Driver::MessageBoxTexts() const
{
    std::vector<std::string> texts;
    for (const MessageBoxRecord& box : winlib::Observed().messageBoxes)
        texts.push_back(box.text);
    return texts;
}

std::vector<DrawOp> Driver::Ops(HWND hwnd) const
{
    std::vector<DrawOp> ops;
    auto* top = winlib::detail::State::Get().Find(winlib::detail::TopLevelOf(hwnd));
    if (!top || !top->surface)
        return ops;
    const auto* canvas = dynamic_cast<const RecordingCanvas*>(&top->surface->GetCanvas());
    if (!canvas)
        return ops;
    for (const DrawOp& op : canvas->Ops())
    {
        if (op.window == hwnd)
            ops.push_back(op);
    }
    return ops;
}

std::vector<DrawOp> Driver::Texts(HWND hwnd) const
{
    std::vector<DrawOp> ops = Ops(hwnd);
    ops.erase(std::remove_if(ops.begin(), ops.end(), [](const DrawOp& op) { return op.kind != DrawOp::Kind::Text; }),
              ops.end());
    return ops;
}

std::vector<DrawOp> Driver::Fills(HWND hwnd) const
{
    std::vector<DrawOp> ops = Ops(hwnd);
    ops.erase(std::remove_if(ops.begin(), ops.end(), [](const DrawOp& op) { return op.kind != DrawOp::Kind::Fill; }),
              ops.end());
    return ops;
}

std::vector<std::string> Driver::TextStrings(HWND hwnd) const
{
    std::vector<std::string> texts;
    for (const DrawOp& op : Texts(hwnd))
        texts.push_back(op.text);
    return texts;
}

void Driver::ClearDrawing()
{
    for (HWND top : winlib::detail::State::Get().topLevels)
    {
        auto* w = winlib::detail::State::Get().Find(top);
        if (w && w->surface)
        {
            if (auto* canvas = dynamic_cast<RecordingCanvas*>(&w->surface->GetCanvas()))
                canvas->Clear();
        }
    }
}

void Driver::Repaint()
{
    ClearDrawing();
    for (HWND top : winlib::detail::State::Get().topLevels)
        RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Pump();
}

} // namespace winlib::testing
