#include "host/PluginHost.h"

#include "connect/MessageHandle.h"
#include "connect/ReceivedMessage.h"
#include "host/HostServices.h"
#include "plugin/FrameworkDemo.h"

#include <dlfcn.h>
#include <filesystem>

namespace host
{

namespace
{
constexpr const char* kHostText = "Kivo Terminal";
}

PluginHost::~PluginHost()
{
    Stop();
}

bool PluginHost::Load(const std::string& path)
{
    HostServices& services = HostServices::Get();
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
    {
        const char* why = dlerror();
        services.Log("Plug-in not loaded: " + path + " (" + (why ? why : "unknown error") + ")");
        return false;
    }
    const auto find = [module](const char* name) { return dlsym(module, name); };
    struct Entry
    {
        const char* name;
        void* address;
    };
    const Entry entries[] = {{"GetKivoPluginInfo", find("GetKivoPluginInfo")},
                             {"GetOptionalKivoPluginInfo", find("GetOptionalKivoPluginInfo")},
                             {"InitKivoPlugin", find("InitKivoPlugin")},
                             {"ExitKivoPlugin", find("ExitKivoPlugin")},
                             {"ProcessKivoPluginMsg", find("ProcessKivoPluginMsg")},
                             {"PluginProcessHotKey", find("PluginProcessHotKey")},
                             {"HandlePublishMsg", find("HandlePublishMsg")}};
    for (const Entry& entry : entries)
    {
        if (!entry.address)
        {
            services.Log("Plug-in not loaded: " + path + " has no entry point " + entry.name);
            dlclose(module);
            return false;
        }
    }
    m_module = module;
    m_getInfo = reinterpret_cast<PFN_GetKivoPluginInfo>(entries[0].address);
    m_getOptionalInfo = reinterpret_cast<PFN_GetOptionalKivoPluginInfo>(entries[1].address);
    m_init = reinterpret_cast<PFN_InitKivoPlugin>(entries[2].address);
    m_exit = reinterpret_cast<PFN_ExitKivoPlugin>(entries[3].address);
    m_processMessage = reinterpret_cast<PFN_ProcessKivoPluginMsg>(entries[4].address);
    m_hotKey = reinterpret_cast<PFN_PluginProcessHotKey>(entries[5].address);
    m_handlePublish = reinterpret_cast<PFN_HandlePublishMsg>(entries[6].address);
    return true;
}

void PluginHost::Start()
{
    if (!m_module)
        return;
    HostServices& services = HostServices::Get();
    unsigned int id = 0;
    int reserved = 0;
    if (!m_getInfo(m_name, m_version, kHostText, id, reserved))
        services.Log("Plug-in gave no information");
    std::vector<std::string> optional;
    m_getOptionalInfo(nullptr, optional);
    services.Log("Plug-in loaded: " + m_name + " " + m_version + " (id " + std::to_string(id) + ")");
    m_init(nullptr, kHostText, nullptr, std::string());
    m_started = true;
}

void PluginHost::HotKey()
{
    if (!m_started)
        Start();
    if (m_started)
        m_hotKey(nullptr, 0, 0, nullptr);
}

bool PluginHost::ShowFrameworkDemo(HWND workspace)
{
    const auto show =
        m_module ? reinterpret_cast<PFN_KivoShowFrameworkDemo>(dlsym(m_module, "KivoShowFrameworkDemo"))
                 : nullptr;
    if (!show)
    {
        HostServices::Get().Log("The plug-in has no window framework demonstration");
        return false;
    }
    return show(workspace) != 0;
}

void PluginHost::Publish(MnmHndl message)
{
    if (!m_started)
        return;
    if (m_holding)
    {
        if (std::optional<connect::Message> copy = connect::ToMessage(message))
            m_held.push_back(std::move(*copy));
        return;
    }
    m_handlePublish(message);
}

void PluginHost::HoldPublished(bool hold)
{
    m_holding = hold;
    while (!m_holding && !m_held.empty())
    {
        const connect::ReceivedMessage received(m_held.front());
        m_held.pop_front();
        if (m_started)
            m_handlePublish(received.Handle());
    }
}

void PluginHost::Stop()
{
    if (!m_started)
        return;
    m_started = false;
    m_exit();
}

std::string DefaultPluginPath(const char* argv0)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path program = fs::canonical("/proc/self/exe", error);
    if (error)
        program = fs::absolute(argv0 ? argv0 : "", error);
    const fs::path dir = program.parent_path();
    for (const fs::path& candidate :
         {dir / "DozizEdizizi.so", dir.parent_path() / "plugin" / "DozizEdizizi.so"})
    {
        if (fs::exists(candidate, error))
            return candidate.string();
    }
    return (dir / "DozizEdizizi.so").string();
}

} // namespace host
