// The test driver: real input through the message queue, a clock that moves only when
// told to, answers for modal loops, and read-back of what the library drew, showed and
// recorded. One Driver per test; it starts from a clean window library and cleans up.
#pragma once

#include "winlib/Backend.h"
#include "winlib/Input.h"
#include "winlib/Modal.h"
#include "winlib/Observe.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace winlib::testing
{

enum Modifiers : unsigned
{
    NoModifiers = 0,
    Shift = 1,
    Ctrl = 2,
    Alt = 4
};

class Driver
{
public:
    explicit Driver(HeadlessDrawing drawing = HeadlessDrawing::Null);
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // ---- Mouse, at a point of a window's client area ----
    void Click(HWND hwnd, POINT client, Modifiers held = NoModifiers);
    void DoubleClick(HWND hwnd, POINT client, Modifiers held = NoModifiers);
    void RightClick(HWND hwnd, POINT client, Modifiers held = NoModifiers);
    void MouseDown(HWND hwnd, POINT client, input::Button button = input::Button::Left);
    void MouseUp(HWND hwnd, POINT client, input::Button button = input::Button::Left);
    void MouseMove(HWND hwnd, POINT client);
    void Drag(HWND hwnd, POINT from, POINT to, int steps = 4);
    void Wheel(HWND hwnd, POINT client, int delta);
    // The same at a point on the screen (for the non-client area and overlapping windows).
    void ClickScreen(POINT screen, input::Button button = input::Button::Left);

    // ---- Keyboard ----
    void KeyDown(int virtualKey);
    void KeyUp(int virtualKey);
    // Presses and releases a key with modifiers held around it.
    void Press(int virtualKey, Modifiers held = NoModifiers);
    // Types text as key presses with their characters (Shift where the character needs it).
    void Type(const std::string& text);

    // ---- Time and the loop ----
    void AdvanceClock(DWORD ms);
    int Pump();

    // ---- Answers for modal loops, taken in order, one per loop ----
    // Drives the next modal dialog (click, type ...); the dialog ends as its code decides.
    void AnswerNextDialog(std::function<void(HWND dialog)> drive);
    // Ends the next modal dialog with a result without touching it.
    void AnswerNextDialogWith(INT_PTR result);
    void AnswerNextMessageBox(int result);
    void AnswerNextPopupMenu(UINT command);
    // Chooses the item whose text is 'text' (0 when the menu has none).
    void AnswerNextPopupMenuByText(const std::string& text);
    void AnswerNextColorDialog(COLORREF color);
    void CancelNextColorDialog();
    // The font dialog chooses 'font' (and 'color', the text colour of its effects).
    void AnswerNextFontDialog(const LOGFONT& font, COLORREF color = 0);
    void CancelNextFontDialog();

    // ---- Read-back ----
    const Observations& Observed() const;
    std::vector<std::string> MessageBoxTexts() const;
    const std::vector<ModalRequest>& PopupMenusShown() const { return m_menus; }
    // Every drawing operation a window made on its top-level surface (recording mode).
    std::vector<DrawOp> Ops(HWND hwnd) const;
    std::vector<DrawOp> Texts(HWND hwnd) const;
    std::vector<DrawOp> Fills(HWND hwnd) const;
    std::vector<std::string> TextStrings(HWND hwnd) const;
    void ClearDrawing();
    // Invalidates everything and paints it now, so that Ops() hold a full frame.
    void Repaint();

    HeadlessBackend& Backend();

private:
    ModalAnswer Answer(const ModalRequest& request);
    void HoldModifiers(Modifiers held, bool down);
    POINT ToScreen(HWND hwnd, POINT client) const;

    std::deque<std::function<ModalAnswer(const ModalRequest&)>> m_dialogs;
    std::deque<std::function<ModalAnswer(const ModalRequest&)>> m_messageBoxes;
    std::deque<std::function<ModalAnswer(const ModalRequest&)>> m_menusAnswers;
    std::deque<std::function<ModalAnswer(const ModalRequest&)>> m_colors;
    std::deque<std::function<ModalAnswer(const ModalRequest&)>> m_fonts;
    std::vector<ModalRequest> m_menus;
};

} // namespace winlib::testing
