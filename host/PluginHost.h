// Loads the plug-in library and calls its entry points in the documented order: the
// information first, the start call, published messages while running, the exit call.
#pragma once

#include "connect/Message.h"
#include "plugin/Exports.h"
#include "winlib/WinDef.h"

#include <deque>
#include <string>

namespace host
{

class PluginHost
{
public:
    PluginHost() = default;
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Opens the library and finds its entry points; false (with a log line saying why) when
    // the file is missing or an entry point is not there. The terminal runs on either way.
    bool Load(const std::string& path);
    bool IsLoaded() const { return m_module != nullptr; }
    // GetKivoPluginInfo, GetOptionalKivoPluginInfo, then InitKivoPlugin.
    void Start();
    bool IsStarted() const { return m_started; }
    // PluginProcessHotKey; a stopped plug-in is started first, so that the key always brings
    // its console up.
    void HotKey();
    void Publish(MnmHndl message);
    // While held, published messages wait in order instead of reaching the plug-in, as on a
    // slow bus; letting go delivers them all (scripts use it for decisions that cross).
    void HoldPublished(bool hold);
    // ExitKivoPlugin; the library stays mapped until the process ends, as its windows'
    // classes and handlers may still be reached while the frame goes down.
    void Stop();
    // Opens the plug-in's window-framework demonstration in 'workspace'; false (with a log line)
    // when the plug-in has none.
    bool ShowFrameworkDemo(HWND workspace);

    const std::string& Name() const { return m_name; }
    const std::string& Version() const { return m_version; }

private:
    void* m_module = nullptr;
    bool m_started = false;
    bool m_holding = false;
    std::deque<connect::Message> m_held;
    std::string m_name;
    std::string m_version;
    PFN_GetKivoPluginInfo m_getInfo = nullptr;
    PFN_GetOptionalKivoPluginInfo m_getOptionalInfo = nullptr;
    PFN_InitKivoPlugin m_init = nullptr;
    PFN_ExitKivoPlugin m_exit = nullptr;
    PFN_ProcessKivoPluginMsg m_processMessage = nullptr;
    PFN_PluginProcessHotKey m_hotKey = nullptr;
    PFN_HandlePublishMsg m_handlePublish = nullptr;
};

// Where the plug-in is looked for when no path is given: beside the program, then in the
// build tree's plug-in folder.
std::string DefaultPluginPath(const char* argv0);

} // namespace host
