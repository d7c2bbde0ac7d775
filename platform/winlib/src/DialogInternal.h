// Dialog creation for windows of the class library that are dialogs without being CDialog
// (dialog bars): the template's window and controls made for an existing object.
#pragma once

#include "winlib/Dialog.h"

#include <functional>

namespace winlib::detail
{

// Creates the dialog of 't' for 'object' as a window of 'style' (the template's style is
// replaced, its DS_SETFONT kept) with 'caption' as its text. 'extraNonClient' is what the
// window will reserve for itself beyond its standard frame, so that the client area still
// gets the template's size. Null when the window or a required control could not be made.
HWND CreateDialogWindow(const DialogTemplate& t, HWND parent, CWnd* object, DWORD style, DWORD exStyle,
                        const char* caption, SIZE extraNonClient);

// Runs a data exchange as CDialog::UpdateData does; false when a field failed validation.
bool RunDataExchange(CWnd* window, BOOL saveAndValidate, const std::function<void(CDataExchange*)>& exchange);

} // namespace winlib::detail
