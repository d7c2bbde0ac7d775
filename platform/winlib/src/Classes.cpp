// The window classes every program finds registered.
#include "Internal.h"

namespace winlib::detail
{

void RegisterDialogClass();
void RegisterStaticClass();
void RegisterButtonClass();
void RegisterEditClass();
void RegisterHeaderClass();
void RegisterListViewClass();
void RegisterPopupMenuClass();
void RegisterToolTipClass();
void RegisterDragImageClass();
void RegisterListBoxClass();
void RegisterComboBoxClass();
void RegisterComboLBoxClass();
void RegisterTreeViewClass();
void RegisterDateTimePickClass();
void RegisterMonthCalClass();

void RegisterBuiltinClasses()
{
    State& s = State::Get();
    // Plain windows of the class library: the default behaviour only.
    s.RegisterBuiltin("AfxWnd", nullptr, -1);
    s.RegisterBuiltin("AfxFrameOrView", nullptr, COLOR_WINDOW);
    s.RegisterBuiltin("AfxControlBar", nullptr, COLOR_BTNFACE);
    s.RegisterBuiltin("BCGPMiniFrame", nullptr, COLOR_BTNFACE);
    s.RegisterBuiltin("MDIClient", nullptr, COLOR_APPWORKSPACE);
    RegisterDialogClass();
    RegisterStaticClass();
    RegisterButtonClass();
    RegisterEditClass();
    RegisterHeaderClass();
    RegisterListViewClass();
    RegisterPopupMenuClass();
    RegisterToolTipClass();
    RegisterDragImageClass();
    RegisterListBoxClass();
    RegisterComboBoxClass();
    RegisterComboLBoxClass();
    RegisterTreeViewClass();
    RegisterDateTimePickClass();
    RegisterMonthCalClass();
}

} // namespace winlib::detail
