#include "QtKeyMap.h"

#include "winlib/Input.h"

namespace winlib::qt
{

namespace
{

int KeypadKey(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return VK_NUMPAD0 + (qtKey - Qt::Key_0);
    switch (qtKey)
    {
    case Qt::Key_Asterisk:
        return VK_MULTIPLY;
    case Qt::Key_Plus:
        return VK_ADD;
    case Qt::Key_Minus:
        return VK_SUBTRACT;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return VK_DECIMAL;
    case Qt::Key_Slash:
        return VK_DIVIDE;
    default:
        return 0;
    }
}

} // namespace

int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::KeypadModifier)
    {
        if (const int vk = KeypadKey(qtKey))
            return vk;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1 + (qtKey - Qt::Key_F1);
    switch (qtKey)
    {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_AltGr:
        return VK_RMENU;
    case Qt::Key_Menu:
        return VK_APPS;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return VK_LWIN;
    case Qt::Key_Super_R:
        return VK_RWIN;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_CapsLock:
        return VK_CAPITAL;
    case Qt::Key_NumLock:
        return VK_NUMLOCK;
    case Qt::Key_ScrollLock:
        return VK_SCROLL;
    case Qt::Key_Print:
        return VK_SNAPSHOT;
    case Qt::Key_Clear:
        return VK_CLEAR;
    case Qt::Key_Help:
        return VK_HELP;
    default:
        break;
    }
    // Printable keys: Qt codes them as the (upper-case) ASCII character they carry, and
    // shifted punctuation as its own character, which the US layout table places.
    if (qtKey >= 0x20 && qtKey <= 0x7E)
        return input::VirtualKeyForChar(static_cast<char>(qtKey), nullptr);
    return 0;
}

std::string CharsForKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
    const bool alt = (modifiers & Qt::AltModifier) != 0;
    if (alt && !ctrl)
    {
        // Alt with a letter or digit: the character a menu key stands for.
        if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
            return std::string(1, static_cast<char>('a' + (qtKey - Qt::Key_A)));
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return std::string(1, static_cast<char>('0' + (qtKey - Qt::Key_0)));
        if (qtKey == Qt::Key_Space)
            return " ";
        return {};
    }
    switch (qtKey)
    {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return ctrl ? "\n" : "\r";
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return ctrl ? "" : "\t";
    case Qt::Key_Backspace:
        return ctrl ? "\x7f" : "\b";
    case Qt::Key_Escape:
        return "\x1b";
    default:
        break;
    }
    if (ctrl && !alt)
    {
        if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
            return std::string(1, static_cast<char>(qtKey - Qt::Key_A + 1));
        switch (qtKey)
        {
        case Qt::Key_BracketLeft:
            return "\x1b";
        case Qt::Key_Backslash:
            return "\x1c";
        case Qt::Key_BracketRight:
            return "\x1d";
        default:
            return {};
        }
    }
    // Control characters in the text (Delete's 0x7F ...) type nothing on Windows.
    std::string chars;
    for (const QChar ch : text)
    {
        const char16_t u = ch.unicode();
        if (u >= 0x20 && u != 0x7F && u <= 0xFF)
            chars += static_cast<char>(u);
    }
    return chars;
}

} // namespace winlib::qt
