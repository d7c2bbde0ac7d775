// The entry points the host calls, with C linkage and undecorated names.
#pragma once

#include "connect/ConnectKivo.h"

#include <string>
#include <vector>

extern "C"
{
    int GetKivoPluginInfo(std::string& name, std::string& version, const char* text, unsigned int& pluginId,
                          int& reserved);
    void GetOptionalKivoPluginInfo(void* first, std::vector<std::string>& list);
    void InitKivoPlugin(void* a, const char* name, void* b, std::string c);
    void ExitKivoPlugin();
    int ProcessKivoPluginMsg(void* message);
    void PluginProcessHotKey(void* a, int b, int c, void* d);
    void HandlePublishMsg(MnmHndl message);
}

// The signatures as the host looks them up.
using PFN_GetKivoPluginInfo = decltype(&GetKivoPluginInfo);
using PFN_GetOptionalKivoPluginInfo = decltype(&GetOptionalKivoPluginInfo);
using PFN_InitKivoPlugin = decltype(&InitKivoPlugin);
using PFN_ExitKivoPlugin = decltype(&ExitKivoPlugin);
using PFN_ProcessKivoPluginMsg = decltype(&ProcessKivoPluginMsg);
using PFN_PluginProcessHotKey = decltype(&PluginProcessHotKey);
using PFN_HandlePublishMsg = decltype(&HandlePublishMsg);

constexpr unsigned int kKivoPluginId = 29032010;
