#include "host/HostOptions.h"

#include "connect/BusOptions.h"
#include "host/TextFile.h"
#include "winlib/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace host
{

namespace
{

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::optional<bool> ParseBool(const std::string& value)
{
    std::string v = value;
    std::transform(v.begin(), v.end(), v.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (v == "1" || v == "yes" || v == "true" || v == "on")
        return true;
    if (v == "0" || v == "no" || v == "false" || v == "off")
        return false;
    return std::nullopt;
}

std::optional<int> ParseInt(const std::string& value)
{
    try
    {
        std::size_t used = 0;
        const int n = std::stoi(value, &used);
        if (used == value.size())
            return n;
    }
    catch (const std::exception&)
    {
    }
    return std::nullopt;
}

// Applies one setting; an error text when the key is unknown or the value is not valid.
std::optional<std::string> Apply(UserProfile& profile, const std::string& key, const std::string& value)
{
    const auto flag = [&](bool& target) -> std::optional<std::string>
    {
        const auto b = ParseBool(value);
        if (!b)
            return "'" + key + "' takes yes or no, not '" + value + "'";
        target = *b;
        return std::nullopt;
    };
    if (key == "user")
        profile.userId = value;
    else if (key == "broker")
        profile.brokerId = value;
    else if (key == "peer-data")
        profile.peerData2 = value;
    else if (key == "privilege-info")
        profile.privilegeInfo = value;
    else if (key == "privilege")
    {
        // Only these levels choose a subscription filter; any other would silently see nothing.
        const auto n = ParseInt(value);
        if (!n || (*n != 0 && *n != 1 && *n != 2 && *n != 4))
            return "'privilege' takes 0, 1, 2 or 4, not '" + value + "'";
        profile.privilege = *n;
    }
    else if (key == "roles")
    {
        profile.roles.clear();
        std::stringstream list(value);
        std::string item;
        while (std::getline(list, item, ','))
        {
            item = Trim(item);
            if (item.empty())
                continue;
            const auto n = ParseInt(item);
            if (!n)
                return "'roles' takes numbers separated by commas, not '" + item + "'";
            profile.roles.insert(*n);
        }
    }
    else if (key == "modify-right")
        return flag(profile.modifyRight);
    else if (key == "sharing-default")
        return flag(profile.sharingDefault);
    else if (key == "sharing-status")
        return flag(profile.sharingStatus);
    else
        return "unknown profile setting '" + key + "'";
    return std::nullopt;
}

} // namespace

std::optional<std::string> ReadProfileFile(const std::string& path, UserProfile& profile)
{
    std::vector<std::string> lines;
    if (auto error = ReadTextLines(path, "profile", lines))
        return error;
    int number = 0;
    for (std::string line : lines)
    {
        ++number;
        const auto hash = line.find('#');
        if (hash != std::string::npos)
            line.resize(hash);
        line = Trim(line);
        if (line.empty())
            continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            return path + ":" + std::to_string(number) + ": expected key = value";
        if (auto error = Apply(profile, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))))
            return path + ":" + std::to_string(number) + ": " + *error;
    }
    return std::nullopt;
}

std::optional<std::string> ParseOptions(int argc, char** argv, HostOptions& options)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    // What each option that takes a value expects, for the messages.
    const std::map<std::string, std::string> takesValue = {
        {"--screenshot", "a PNG file to write"},
        {"--script", "a file of host actions"},
        {"--plugin", "the plug-in library's path"},
        {"--db", "the server's database file"},
        {"--maker-every", "a number of seconds"},
        {"--bus", "a URL such as nats://127.0.0.1:4222"},
        {"--bus-credentials", "the user's bus credentials file"},
        {"--bus-ca", "the bus's certificate authority file"},
        {"--profile", "a profile file"},
        {"--geometry", "WIDTHxHEIGHT+X+Y, such as 960x1000+0+0"},
        {"--user", "the user's identity"},
        {"--broker", "the broker code"},
        {"--peer-data", "a text"},
        {"--privilege-info", "a text"},
        {"--privilege", "0, 1, 2 or 4"},
        {"--roles", "role numbers separated by commas"},
        {"--modify-right", "yes or no"},
        {"--sharing-default", "yes or no"},
        {"--sharing-status", "yes or no"}};
    const auto valueAt = [&](std::size_t i, std::string& value) -> std::optional<std::string>
    {
        const std::string& arg = args[i];
        const std::string expected = " needs a value: " + takesValue.at(arg);
        if (i + 1 >= args.size())
            return arg + expected;
        if (args[i + 1].rfind("--", 0) == 0)
            return arg + expected + ", not the option " + args[i + 1];
        value = args[i + 1];
        return std::nullopt;
    };
    // The profile file comes first, whatever its place, so that the other options win.
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        if (args[i] != "--profile")
            continue;
        std::string path;
        if (auto error = valueAt(i, path))
            return error;
        if (auto error = ReadProfileFile(path, options.profile))
            return error;
    }
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h")
            options.showHelp = true;
        else if (arg == "--fresh")
            options.server.fresh = true;
        else if (arg == "--no-server")
            options.server.embedded = false;
        else if (arg == "--no-maker")
            options.server.makerEvery = 0;
        else if (arg == "--offscreen")
            options.mode = ScreenMode::Offscreen;
        else if (arg == "--headless")
            options.mode = ScreenMode::Headless;
        else if (arg == "--check-repaint")
            options.checkRepaint = true;
        else if (arg == "--on-screen")
            options.scriptOnScreen = true;
        else if (takesValue.count(arg))
        {
            std::string v;
            if (auto error = valueAt(i, v))
                return error;
            ++i;
            if (arg == "--screenshot")
                options.screenshot = v;
            else if (arg == "--script")
                options.script = v;
            else if (arg == "--plugin")
                options.pluginPath = v;
            else if (arg == "--db")
                options.server.database = v;
            else if (arg == "--bus")
            {
                if (const auto error = connect::BusOptions::CheckUrl(v))
                    return *error;
                options.server.bus = v;
            }
            else if (arg == "--geometry")
            {
                int width = 0;
                int height = 0;
                int x = 0;
                int y = 0;
                char end = 0;
                if (std::sscanf(v.c_str(), "%dx%d+%d+%d%c", &width, &height, &x, &y, &end) != 4 ||
                    width < 320 || height < 240 || x < 0 || y < 0)
                    return "--geometry takes WIDTHxHEIGHT+X+Y of at least 320x240, such as 960x1000+0+0, not "
                           "'" +
                           v + "'";
                options.place = CRect(x, y, x + width, y + height);
            }
            else if (arg == "--bus-credentials")
                options.server.busCredentials = v;
            else if (arg == "--bus-ca")
                options.server.busCa = v;
            else if (arg == "--maker-every")
            {
                char* end = nullptr;
                const double seconds = std::strtod(v.c_str(), &end);
                if (v.empty() || *end || seconds < 0)
                    return "--maker-every takes a number of seconds, not '" + v + "'";
                options.server.makerEvery = seconds;
            }
            else if (arg != "--profile")
            {
                if (auto error = Apply(options.profile, arg.substr(2), v))
                    return "option " + arg + ": " + *error;
            }
        }
        else if (arg.rfind("-", 0) == 0)
            return "unknown option '" + arg + "' (kivo-host --help lists them)";
        else
            return "unexpected argument '" + arg + "': options start with --";
    }
    if (options.showHelp)
        return std::nullopt;
    if (options.mode == ScreenMode::Headless && options.script.empty())
        return "--headless needs --script FILE: without a screen there is nothing to show and nothing to do";
    // A script runs without a screen unless pictures are asked for; a screenshot alone needs
    // no display.
    if (options.scriptOnScreen && (options.script.empty() || options.mode != ScreenMode::Screen))
        return "--on-screen runs a --script on the display, not with --offscreen or --headless";
    if (!options.script.empty() && options.mode == ScreenMode::Screen && !options.scriptOnScreen)
        options.mode = options.checkRepaint || !options.screenshot.empty() ? ScreenMode::Offscreen
                                                                           : ScreenMode::Headless;
    if (!options.screenshot.empty() && options.mode == ScreenMode::Screen)
        options.mode = ScreenMode::Offscreen;
    if (!options.server.bus.empty() && (!options.server.embedded || options.server.fresh ||
                                        !options.server.database.empty() || options.server.makerEvery >= 0))
        return "--bus reaches the server kivo-oms serves; --db, --fresh, --maker-every, --no-maker and "
               "--no-server are for the server inside the terminal";
    if (options.server.bus.empty() &&
        (!options.server.busCredentials.empty() || !options.server.busCa.empty()))
        return "--bus-credentials and --bus-ca are for the message bus: give --bus URL too";
    if (options.server.busCredentials.empty() != options.server.busCa.empty())
        return "a secured bus needs both --bus-credentials FILE and --bus-ca FILE";
    if (options.mode == ScreenMode::Headless && !options.screenshot.empty())
        return "--screenshot needs the offscreen screen, not --headless";
    if (options.mode == ScreenMode::Headless && options.checkRepaint)
        return "--check-repaint needs a screen (--offscreen or none), not --headless";
    return std::nullopt;
}

std::vector<std::string> EnvironmentWarnings()
{
    std::vector<std::string> warnings;
    for (const std::string& refused : winlib::RefusedAppDataVariables())
        warnings.push_back(refused + " is not an absolute path and is ignored: the settings folder "
                                     "does not move with the working directory");
    return warnings;
}

std::string UsageText()
{
    return "kivo-host: the trading terminal with the Maker Checker console\n"
           "\n"
           "  kivo-host [options]\n"
           "\n"
           "  --offscreen            render without a display\n"
           "  --screenshot FILE      (offscreen) write the main window to FILE as PNG and exit\n"
           "  --headless             no screen at all; needs --script\n"
           "  --script FILE          run host actions from FILE (see docs/host.md) and exit;\n"
           "                         headless unless --offscreen or --check-repaint is given\n"
           "  --check-repaint        after every script step (offscreen), or whenever the screen settles,\n"
           "                         compare each window with a complete repaint of it\n"
           "  --on-screen            run the --script on the display (a test driving it with real input)\n"
           "  --plugin PATH          the plug-in library (default: DozizEdizizi.so beside the program, or\n"
           "                         where the terminal's package installs it)\n"
           "  --profile FILE         the logged-in user's profile (key = value lines)\n"
           "  --geometry WxH+X+Y     where the terminal's window opens (default: fitted to the screen)\n"
           "  --user ID --broker ID --privilege 0|1|2|4 --roles 60302,60303 --modify-right yes|no\n"
           "  --sharing-default yes|no --sharing-status yes|no --peer-data TEXT --privilege-info TEXT\n"
           "\n"
           "  The order-management server runs inside the terminal:\n"
           "  --db FILE              its database (default: kivo/kivo-oms.db in the user's data folder)\n"
           "  --fresh                move the database aside (FILE.bak) and start with a new one\n"
           "  --maker-every SECONDS  a maker's request that often (default 5; none in a scripted run)\n"
           "  --no-maker             no maker's requests but the ones entered with kivo-maker\n"
           "  --no-server            no server at all\n"
           "\n"
           "  Or the terminal meets a server of its own (kivo-oms --bus URL) on a message bus:\n"
           "  --bus URL              the bus, such as tls://bus.example:4222 (several separated by commas)\n"
           "  --bus-credentials FILE the user's credentials on the bus (from kivo-oms bus grant)\n"
           "  --bus-ca FILE          the authority of the bus's TLS certificate (ca.pem from kivo-oms bus "
           "init)\n";
}

} // namespace host
