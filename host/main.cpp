// kivo-host: the trading terminal, with the Maker Checker console plugged in.
#include "connect/BusOptions.h"
#include "host/HostApp.h"
#include "host/HostServices.h"
#include "host/ScriptBackend.h"
#include "host/ScriptRunner.h"
#include "resources/AppBitmaps.h"
#include "winlib/Backend.h"
#include "winlib/Runtime.h"
#ifdef KIVO_HOST_WITH_QT
#include "winlib/qt/QtBackend.h"
#endif

#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace
{

#ifdef KIVO_HOST_WITH_QT
int g_repaintDifferences = 0;

// Where the images of a repaint difference go, when the environment names a folder.
std::string RepaintImageFolder()
{
    const char* folder = std::getenv("KIVO_REPAINT_IMAGES");
    return folder ? folder : "";
}

// Runs the repaint check from a timer whenever the windows have shown something new and the
// loop has nothing else to do; each new difference is reported once on the error stream.
void WatchRepaints(std::function<std::vector<std::string>()> check)
{
    static std::function<std::vector<std::string>()> s_check;
    static unsigned s_seen = 0;
    static std::string s_last;
    s_check = std::move(check);
    s_seen = winlib::qt::PaintGeneration() - 1;
    SetTimer(nullptr, 0, 200,
             [](HWND, UINT, UINT_PTR, DWORD)
             {
                 if (winlib::qt::PaintGeneration() == s_seen || !winlib::IsIdle())
                     return;
                 for (const std::string& difference : s_check())
                 {
                     ++g_repaintDifferences;
                     if (difference != s_last)
                         std::cerr << "kivo-host: repaint check: " << difference << std::endl;
                     s_last = difference;
                 }
                 s_seen = winlib::qt::PaintGeneration();
             });
}
#endif

} // namespace

int main(int argc, char** argv)
{
    host::HostOptions options;
    if (const auto error = host::ParseOptions(argc, argv, options))
    {
        std::cerr << "kivo-host: " << *error << "\n\n" << host::UsageText();
        return 2;
    }
    if (options.showHelp)
    {
        std::cout << host::UsageText();
        return 0;
    }
    if (options.pluginPath.empty())
        options.pluginPath = host::DefaultPluginPath(argv[0]);
    // Before the screen's threads start: it sets the environment.
    connect::TrustOnlyTheBusAuthority(options.server.busCa);

    if (options.mode == host::ScreenMode::Headless)
        winlib::SetBackend(std::make_unique<host::ScriptBackend>());
    else
    {
#ifdef KIVO_HOST_WITH_QT
        if (options.mode == host::ScreenMode::Offscreen)
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        winlib::qt::InstallQtBackend(argc, argv);
#else
        std::cerr << "kivo-host: built without the screen backend; use --headless --script FILE\n";
        return 2;
#endif
    }
    RegisterAppBitmaps();
    const std::vector<std::string> warnings = host::EnvironmentWarnings();
    for (const std::string& warning : warnings)
        std::cerr << "kivo-host: " << warning << "\n";

    host::CKivoHostApp app(options);
    if (!app.InitInstance())
    {
        if (!app.StartError().empty())
            std::cerr << "kivo-host: " << app.StartError() << "\n";
        return 1;
    }
    for (const std::string& warning : warnings)
        host::HostServices::Get().Log(warning);

    host::ScreenHooks hooks;
#ifdef KIVO_HOST_WITH_QT
    if (options.mode != host::ScreenMode::Headless)
    {
        hooks.screenshot = [](HWND, const std::string& path) { return winlib::qt::SaveScreenPng(path); };
        hooks.saveWindow = [](HWND window, const std::string& path)
        { return winlib::qt::SaveWindowPng(window, path); };
        hooks.resizeFromOutside = [](HWND hwnd, int width, int height)
        { return winlib::qt::ResizeFromOutside(hwnd, width, height); };
        if (options.checkRepaint)
        {
            hooks.checkRepaint = []
            {
                std::vector<std::string> found;
                for (const winlib::qt::RepaintDifference& d :
                     winlib::qt::CheckRepaintAll(RepaintImageFolder()))
                    found.push_back(d.text);
                return found;
            };
        }
    }
#endif

    int code = 0;
    if (!options.script.empty())
    {
        host::ScriptRunner runner(app, hooks);
        code = runner.RunFile(options.script);
    }
#ifdef KIVO_HOST_WITH_QT
    // After a script, the screenshot shows what the script left on the screen.
    if (!options.screenshot.empty() && app.Frame() && app.Frame()->m_hWnd)
    {
        winlib::PumpPending();
        if (!winlib::qt::SaveWindowPng(app.Frame()->m_hWnd, options.screenshot))
        {
            std::cerr << "kivo-host: cannot write " << options.screenshot << "\n";
            code = 1;
        }
    }
#endif
    if (options.script.empty() && options.screenshot.empty())
    {
#ifdef KIVO_HOST_WITH_QT
        // On screen the check looks whenever something new was shown and the loop has settled.
        if (hooks.checkRepaint)
            WatchRepaints(hooks.checkRepaint);
#endif
        code = app.Run();
#ifdef KIVO_HOST_WITH_QT
        if (code == 0 && g_repaintDifferences > 0)
            code = 3;
#endif
    }
    app.ExitInstance();
    return code;
}
