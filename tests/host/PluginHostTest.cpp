// Loading the plug-in: a missing file or missing entry points leave a clear line in the log
// and the terminal running.
#include "host/HostServices.h"
#include "host/PluginHost.h"

#include <gtest/gtest.h>

namespace
{

TEST(PluginHost, AMissingLibraryIsLoggedAndNothingIsCalled)
{
    host::HostServices::Get().log.clear();
    host::PluginHost plugin;
    EXPECT_FALSE(plugin.Load("/nonexistent/DozizEdizizi.so"));
    EXPECT_FALSE(plugin.IsLoaded());
    plugin.Start(); // harmless without a library
    plugin.HotKey();
    EXPECT_TRUE(host::HostServices::Get().LogContains("Plug-in not loaded: /nonexistent/DozizEdizizi.so"));
}

TEST(PluginHost, ALibraryWithoutTheEntryPointsIsRefused)
{
    host::HostServices::Get().log.clear();
    host::PluginHost plugin;
    // The window library is a real shared library, just not a plug-in.
    EXPECT_FALSE(plugin.Load(KIVO_NOT_A_PLUGIN));
    EXPECT_TRUE(host::HostServices::Get().LogContains("has no entry point GetKivoPluginInfo"));
}

TEST(PluginHost, TheRealPlugInLoadsAndReportsItself)
{
    host::HostServices::Get().log.clear();
    host::PluginHost plugin;
    ASSERT_TRUE(plugin.Load(KIVO_PLUGIN_LIBRARY));
    EXPECT_TRUE(plugin.IsLoaded());
}

} // namespace
