// Qt keys as the keyboard of the window library reports them: virtual-key codes for key
// messages and the characters a press types, as TranslateMessage would have made them.
#pragma once

#include <QString>
#include <Qt>

#include <string>

namespace winlib::qt
{

// The virtual key of a Qt key code; 0 when it has none. 'modifiers' tells keypad keys apart.
int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);

// The characters a key press types (WM_CHAR): Enter, Tab, Backspace and Escape as
// '\r', '\t', '\b' and 0x1B, Ctrl+letter as the control characters 1 to 26, nothing
// while Alt alone is held (those are menu keys), else the text Qt reports, in Latin-1.
std::string CharsForKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

} // namespace winlib::qt
