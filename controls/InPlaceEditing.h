// What the in-place cell editors share: the messages that move the edit to another cell, the
// result they report to their list, and the number stepping of column 7.
#pragma once

#include "winlib/Wnd.h"

#include <string>

// Posted to the list: move the edit to the next or the previous editable cell.
constexpr UINT WM_INPLACE_NEXT_CELL = WM_USER + 900;
constexpr UINT WM_INPLACE_PREVIOUS_CELL = WM_USER + 901;

// The arrow keys of an edit in this column step its number instead of moving the edit.
constexpr int kInPlaceNumberColumn = 7;

// Sends the edit's result to its parent list: LVN_ENDLABELEDIT with the row, the column and the
// text, from the list's own window, the editor's control id as the sender id.
void SendEndLabelEdit(CWnd* editor, int row, int column, const std::string& text);

// Up doubles the number the text starts with; Down halves it when the half is above 0. The text
// is read as a long integer up to its first non-digit and written back with "%ld".
std::string StepInPlaceNumber(const std::string& text, bool up);

// The clipboard's text, empty when there is none.
std::string ClipboardText(HWND owner);

// True when every character of 'text' is one of 'accepted'.
bool AllAccepted(const std::string& text, const std::string& accepted);
