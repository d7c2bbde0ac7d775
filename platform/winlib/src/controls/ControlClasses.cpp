// The controls' window classes, which the window manager registers with its own through the
// registrar this file adds when the library loads.
#include "Internal.h"

namespace winlib::detail
{

void RegisterStaticClass();
void RegisterButtonClass();
void RegisterEditClass();
void RegisterHeaderClass();
void RegisterListViewClass();
void RegisterToolTipClass();
void RegisterDragImageClass();
void RegisterListBoxClass();
void RegisterComboBoxClass();
void RegisterComboLBoxClass();
void RegisterTreeViewClass();
void RegisterDateTimePickClass();
void RegisterMonthCalClass();

namespace
{

void RegisterControlClasses()
{
    RegisterStaticClass();
    RegisterButtonClass();
    RegisterEditClass();
    RegisterHeaderClass();
    RegisterListViewClass();
    RegisterToolTipClass();
    RegisterDragImageClass();
    RegisterListBoxClass();
    RegisterComboBoxClass();
    RegisterComboLBoxClass();
    RegisterTreeViewClass();
    RegisterDateTimePickClass();
    RegisterMonthCalClass();
}

const bool g_registrarAdded = (AddClassRegistrar(&RegisterControlClasses), true);

} // namespace

} // namespace winlib::detail
