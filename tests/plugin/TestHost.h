// A host for the plug-in's tests: the host functions exported by the test program with
// values each test sets, a main frame of the docking library and a real messaging transport.
#pragma once

#include "RecordingTransport.h"
#include "connect/ControlFactory.h"
#include "connect/InProcessTransport.h"
#include "support/ScopedTempDir.h"
#include "winlib/App.h"
#include "winlib/Frame.h"
#include "winlib/testing/Driver.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct TestHostState
{
    std::string brokerId = "BRK1";
    std::string peerData2 = "second";
    std::string userId = "CHK1";
    int privilege = 0;
    std::set<int> roles = {60302, 60303, 60304};
    int modifyRight = 1;
    int defaultSharing = 1;
    int sharing = 1;
    int registerResult = 7;

    // What the plug-in did through the host functions.
    std::vector<std::string> log;
    std::vector<CWnd*> registered;
    std::vector<std::string> calls;              // host function names in call order
    std::vector<std::string> controlEvents;      // "give 0", "give 3", "back 3" ...
    std::map<const void*, INT_PTR> controlKinds; // the kind each control out was given for

    connect::ControlFactory* controls = nullptr;
};

TestHostState& TestHost();

// Sets up a clean library, the host state, the application with a docking main frame and a
// transport; tears it all down (plug-in included) afterwards.
class PluginFixture
{
public:
    // 'beforeWindows' runs before any window is made: a screen test installs its backend there.
    explicit PluginFixture(const std::function<void()>& beforeWindows = {});
    ~PluginFixture();
    // The user's settings file (column profiles, pane sizes) lives in a folder of its own that
    // goes with the fixture: no test sees what another left, and none touches the real one.
    ScopedTempDir settings;
    ScopedEnv appData{"APPDATA", settings.Path().c_str()};
    winlib::testing::Driver driver;
    CWinApp app{"Plug-in tests"};
    CBCGPMDIFrameWnd frame;
    connect::InProcessTransport transport;
    // The controls talk to the transport through this, which keeps what they sent.
    RecordingTransport wire{transport};
    std::unique_ptr<connect::ControlFactory> controls;
};
