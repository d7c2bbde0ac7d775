// Modal loops (dialogs, message boxes, popup menus, the colour and font dialogs) ask an answerer
// before they wait for a user. Tests install one through the test driver; on screen
// there is none and the loop waits for real input. Headless without an answerer, a
// message box takes its default button, a popup menu is dismissed, a colour or font dialog is
// cancelled and a modal dialog that nobody closes is cancelled once nothing is left to do.
#pragma once

#include "winlib/Api.h"

#include <functional>
#include <string>
#include <vector>

namespace winlib
{

struct MenuItemSnapshot
{
    UINT id;
    UINT flags; // MF_GRAYED, MF_CHECKED, MF_SEPARATOR, MF_POPUP ...
    std::string text;
};

enum class ModalKind
{
    Dialog,
    MessageBox,
    PopupMenu,
    ColorDialog,
    FontDialog
};

struct ModalRequest
{
    explicit ModalRequest(ModalKind k) : kind(k) {}
    ModalKind kind;
    HWND window = nullptr;               // the dialog (Dialog), the owner otherwise
    std::string text;                    // message box text
    std::string caption;                 // message box caption, dialog caption
    UINT type = 0;                       // message box type, popup-menu flags
    POINT point{0, 0};                   // where a popup menu opens
    std::vector<MenuItemSnapshot> items; // popup menu items
    COLORREF color = 0;                  // colour dialog's initial colour, font dialog's text colour
    LOGFONT font{};                      // font dialog's initial font (type: its CF_ flags)
};

struct ModalAnswer
{
    // Dialog: true ends it with 'result' right away; false lets the loop run on (the
    // answerer may have driven the dialog's controls itself).
    bool answered = false;
    INT_PTR result = 0; // button id, menu command (0 = dismissed), IDOK/IDCANCEL
    COLORREF color = 0; // colour dialog: the chosen colour; font dialog: the text colour
    LOGFONT font{};     // font dialog: the chosen font
};

using ModalAnswerer = std::function<ModalAnswer(const ModalRequest&)>;

// Installs the answerer (an empty function removes it); returns the previous one.
ModalAnswerer SetModalAnswerer(ModalAnswerer answerer);
// Asks the answerer; 'asked' tells whether there was one.
ModalAnswer AskModalAnswerer(const ModalRequest& request, bool* asked);
// Modal dialogs that ended because nobody answered them (headless only).
int UnansweredModalCount();

} // namespace winlib
