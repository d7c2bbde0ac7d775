// Input from the devices, as the screen backend and the test driver deliver it. Each call
// turns into the messages the system would queue (mouse messages to the window under the
// cursor or to the capture, keys and characters to the focus); they are dispatched by the
// pump, through the PreTranslateMessage walk, like any queued input.
#pragma once

#include "winlib/Api.h"

namespace winlib::input
{

enum class Button
{
    Left,
    Right,
    Middle
};

void MouseMove(POINT screen);
// A press or release; 'doubleClick' marks the second press of a double click.
void MouseButton(POINT screen, Button button, bool down, bool doubleClick = false);
void MouseWheel(POINT screen, int delta);
void KeyDown(int virtualKey);
void KeyUp(int virtualKey);
// A character the keyboard produced (what TranslateMessage would have made of a key).
void Char(char ch);

// The virtual key that types a character on a US keyboard, and whether Shift is needed.
int VirtualKeyForChar(char ch, bool* needsShift);

} // namespace winlib::input
