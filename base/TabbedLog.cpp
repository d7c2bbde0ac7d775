#include "base/TabbedLog.h"

#include "base/PluginGlobals.h"
#include "winlib/Wnd.h"

void AddToTabbedLog(std::string text, int level)
{
    std::string line;
    if (level == 1)
    {
        line = "Maker Checker Zam Error : " + text;
        AfxMessageBox(line);
    }
    else if (level == 2)
        line = "Maker Checker Zam Message : " + text;
    if (g_pfnAddToTabbedLog)
        g_pfnAddToTabbedLog(line);
}
