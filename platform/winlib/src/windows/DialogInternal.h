// Dialog creation for windows of the class library that are dialogs without being CDialog
// (dialog bars, form views), and the pieces every modal loop shares.
#pragma once

#include "winlib/Dialog.h"

#include <vector>

namespace winlib::detail
{

// Makes the dialog of a template and its controls. 'object', when there is one, is attached to
// the dialog's window before its first message.
HWND CreateFromTemplate(const DialogTemplate& t, HWND parent, CWnd* object, DLGPROC proc, LPARAM initParam,
                        SIZE extraNonClient = SIZE{0, 0});

// Creates the dialog of 't' for 'object' as a window of 'style' (the template's style is
// replaced, its DS_SETFONT kept) with 'caption' as its text. 'extraNonClient' is what the
// window will reserve for itself beyond its standard frame, so that the client area still
// gets the template's size. Null when the window or a required control could not be made.
HWND CreateDialogWindow(const DialogTemplate& t, HWND parent, CWnd* object, DWORD style, DWORD exStyle,
                        const char* caption, SIZE extraNonClient);

// Disabling a modal dialog's owner takes the focus from the owner's control that had it; once the
// owner is active again that control gets it back, rather than whatever the owner's activation
// picks (the first button of a bar, where the next Enter would press it).
HWND OwnerFocus(HWND owner);
void GiveFocusBack(HWND owner, HWND focus);

// A modal loop disables every other shown top-level window of the program, not only its owner: a
// floating bar or a modeless dialog beside the owner would otherwise take the input the loop waits
// on, and open windows the loop's end knows nothing of. Each loop enables again exactly the windows
// it disabled, so nested loops unwind in order.
std::vector<HWND> DisableForModal(HWND owner);
void EnableAfterModal(const std::vector<HWND>& disabled);

// Modal loops that nobody answered and that ended by themselves (winlib::UnansweredModalCount).
int UnansweredModals();
void CountUnansweredModal();

} // namespace winlib::detail
