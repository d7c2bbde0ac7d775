// How the terminal was started: the screen mode, the plug-in, the logged-in user's profile
// and, for headless runs, the script of host actions.
#pragma once

#include "winlib/Geometry.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace host
{

// The logged-in user as the terminal knows it. The plug-in reads it through the host
// functions exported by the executable.
struct UserProfile
{
    std::string userId = "CHECKER1";
    std::string brokerId = "KIVO";
    std::string peerData2 = "TERMINAL-01"; // passed on, unused by the plug-in
    std::string privilegeInfo = "ADMIN";   // passed on, unused by the plug-in
    int privilege = 0;                     // 0 sees every request; 1, 2 and 4 narrow it down
    std::set<int> roles = {60302, 60303, 60304};
    bool modifyRight = true;
    bool sharingDefault = true; // windows may be shared by default
    bool sharingStatus = true;  // sharing is currently allowed
};

enum class ScreenMode
{
    Screen,    // real windows through Qt
    Offscreen, // Qt's offscreen platform: screenshots without a display
    Headless   // no Qt at all: the script drives everything
};

// The order-management server that the terminal embeds.
struct ServerOptions
{
    bool embedded = true; // --no-server: the terminal runs without one
    std::string database; // --db FILE; empty: kivo/kivo-oms.db in the user's data folder
    bool fresh = false;   // --fresh: the database is moved aside and a new one seeded
    // --maker-every SECONDS: a maker's request that often; 0 (or --no-maker) none. Unset (-1):
    // every 5 seconds, except in a scripted run, which stays as its script makes it.
    double makerEvery = -1;
    // --bus URL: the server is a program of its own (kivo-oms --bus) that the terminal meets on
    // the message bus at URL; nothing is embedded then.
    std::string bus;
    // --bus-credentials FILE, --bus-ca FILE: the user's bus credentials (kivo-oms bus grant) and
    // the authority of the bus's TLS certificate; without them the bus must be an unsecured one.
    std::string busCredentials;
    std::string busCa;
};

struct HostOptions
{
    ScreenMode mode = ScreenMode::Screen;
    std::string screenshot; // offscreen: write the main frame here and exit
    std::string script;     // headless: host actions, one per line
    std::string pluginPath; // empty: next to the executable
    UserProfile profile;
    ServerOptions server;
    // --geometry WxH+X+Y: where the main window opens (two terminals side by side ...); empty:
    // a place that fits the screen.
    CRect place;
    bool showHelp = false;
    // After every script step (or, on screen, whenever the loop settles) each window must
    // look as a complete repaint of it would; a difference is reported and fails the run.
    bool checkRepaint = false;
    // A script on the display itself, for a test that drives the windows with real input while
    // the script waits for it and checks what it did.
    bool scriptOnScreen = false;
};

// Parses the command line; a profile file (--profile FILE) is read first and the other
// options override it. Returns an error text, or nothing when all is well.
std::optional<std::string> ParseOptions(int argc, char** argv, HostOptions& options);
// Reads "key = value" lines (user, broker, peer-data, privilege-info, privilege, roles,
// modify-right, sharing-default, sharing-status); '#' starts a comment.
std::optional<std::string> ReadProfileFile(const std::string& path, UserProfile& profile);
std::string UsageText();
// What the terminal should say about its environment before it starts: a configuration folder
// given as a relative path, which the settings file does not follow.
std::vector<std::string> EnvironmentWarnings();

} // namespace host
