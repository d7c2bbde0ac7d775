// What the list of a combo box ("ComboLBox") tells the combo box it belongs to. The combo
// box passes itself as the list's creation parameter; the list then draws and measures
// for the combo box (ODT_COMBOBOX, to the combo box's parent) and reports the user's
// actions here instead of sending LBN_ notifications.
#pragma once

#include "winlib/WinDef.h"

namespace winlib::detail
{

class ComboListHost
{
public:
    virtual HWND ComboWindow() const = 0;
    // The user moved the list's selection (mouse tracking, keys, type-ahead).
    virtual void ListSelectionChanged() = 0;
    // The mouse button went up on an item of the dropped list.
    virtual void ListItemChosen() = 0;
    // A press outside the dropped list; 'onCombo' when it was on the combo box itself.
    virtual void ListPressedOutside(bool onCombo) = 0;
    // The dropped list lost the mouse capture to another window.
    virtual void ListCaptureLost() = 0;
    virtual void ListDoubleClicked() = 0;

protected:
    ~ComboListHost() = default;
};

} // namespace winlib::detail
