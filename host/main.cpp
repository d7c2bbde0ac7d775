// kivo-host: the trading terminal, with the Maker Checker console plugged in.
#include "host/HostApp.h"
#include "host/ScriptRunner.h"
#include "resources/AppBitmaps.h"
#include "winlib/Backend.h"
#include "winlib/Runtime.h"
#ifdef KIVO_HOST_WITH_QT
#include "winlib/qt/QtBackend.h"
#endif

#include <cstdlib>
#include <iostream>

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

    if (options.mode == host::ScreenMode::Headless)
        winlib::SetBackend(std::make_unique<winlib::HeadlessBackend>(false));
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

    host::CKivoHostApp app(options);
    if (!app.InitInstance())
    {
        if (!app.StartError().empty())
            std::cerr << "kivo-host: " << app.StartError() << "\n";
        return 1;
    }

    if (!options.script.empty())
    {
        host::ScriptRunner runner(app);
#ifdef KIVO_HOST_WITH_QT
        runner.m_saveWindow = [](HWND window, const std::string& path)
        { return winlib::qt::SaveWindowPng(window, path); };
#endif
        int code = runner.RunFile(options.script);
#ifdef KIVO_HOST_WITH_QT
        // A screenshot after a script shows what the script left on the screen.
        if (!options.screenshot.empty() &&
            !winlib::qt::SaveWindowPng(app.Frame()->m_hWnd, options.screenshot))
        {
            std::cerr << "kivo-host: cannot write " << options.screenshot << "\n";
            code = 1;
        }
#endif
        app.ExitInstance();
        return code;
    }
#ifdef KIVO_HOST_WITH_QT
    if (!options.screenshot.empty())
    {
        winlib::PumpPending();
        const bool saved = winlib::qt::SaveWindowPng(app.Frame()->m_hWnd, options.screenshot);
        if (!saved)
            std::cerr << "kivo-host: cannot write " << options.screenshot << "\n";
        app.ExitInstance();
        return saved ? 0 : 1;
    }
#endif
    const int code = app.Run();
    app.ExitInstance();
    return code;
}
