// The window classes every program finds registered: the window manager's own here, the
// controls' through the registrar their part adds.
#include "Internal.h"

#include <vector>

namespace winlib::detail
{

void RegisterDialogClass();
void RegisterPopupMenuClass();

namespace
{
std::vector<void (*)()>& Registrars()
{
    static std::vector<void (*)()> registrars;
    return registrars;
}
} // namespace

void AddClassRegistrar(void (*registrar)())
{
    Registrars().push_back(registrar);
}

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
    RegisterPopupMenuClass();
    for (void (*registrar)() : Registrars())
        registrar();
}

} // namespace winlib::detail
