// kivo-oms: the order-management server's own program. It creates and seeds the database, checks
// it, and shows what it holds and what the server answers; with --bus it serves the terminals
// and makers' tools that meet it on a message bus until it is stopped.
#include "AdminCommands.h"
#include "BusQuestion.h"
#include "connect/BusSubjects.h"
#include "connect/ConnectKivo.h"
#include "connect/Message.h"
#include "connect/NatsServerEndpoint.h"
#include "connect/NatsTransport.h"
#include "oms/DataFolder.h"
#include "oms/DetailReplies.h"
#include "oms/OmsServer.h"
#include "oms/Publication.h"
#include "oms/Store.h"
#include "oms/StoreError.h"
#include "protocol/Functions.h"

#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace
{

const char* const kUsage =
    "kivo-oms: the order-management server simulator\n"
    "\n"
    "  kivo-oms [--db FILE] [--fresh] [COMMAND]\n"
    "  kivo-oms [--db FILE] [--fresh] --bus URL --bus-credentials FILE --bus-ca FILE\n"
    "  kivo-oms [--db FILE] [--fresh] --bus URL --insecure-bus\n"
    "\n"
    "  --db FILE      the database (default: kivo/kivo-oms.db in the user's data folder)\n"
    "  --fresh        move the database aside (FILE.bak) and start with a new, seeded one\n"
    "  --bus URL      serve the terminals on the message bus at URL (nats://host:port) until\n"
    "                 stopped (SIGTERM, SIGINT); the bus may come and go meanwhile\n"
    "  --bus-credentials FILE   the server's own bus credentials (from bus init)\n"
    "  --bus-ca FILE  the certificate authority of the bus's TLS certificate (from bus init)\n"
    "  --insecure-bus serve a bus without users and TLS: anyone who reaches it acts as anyone\n"
    "                 (tests and measurements only)\n"
    "  --log-json FILE  one JSON object a line for a log collector (FILE, or - for the standard\n"
    "                 output): start, requests entered, decisions, publications, refusals, the\n"
    "                 server's state once a minute, stop\n"
    "  kivo-oms status --bus URL --bus-credentials FILE --bus-ca FILE\n"
    "                 the serving server's state as JSON: pending requests, outbox, decisions\n"
    "                 applied, last commit, bus, version (the server's or a level-0 user's credentials)\n"
    "\n"
    "  init           create and seed the database when there is none (the default)\n"
    "  check          the database's integrity and the server's rules; exit code 1 on a problem\n"
    "  stats          what the database holds\n"
    "  pending        the pending requests, oldest first\n"
    "  show KEY       the published form and the detail reply of one request\n"
    "\n"
    "  stats, pending and show only read: they work beside a running server.\n";

void PrintUsage(std::ostream& out)
{
    out << kUsage << oms::tools::kAdminUsage;
}

class NoPublisher : public connect::Publisher
{
public:
    bool Publish(const connect::Message&) override { return true; }
};

void Print(const connect::Message& message, const char* indent)
{
    for (const connect::Message::Field& field : message.Fields())
    {
        std::cout << indent << field.id << ":";
        for (const std::string& value : field.values)
            std::cout << " [" << value << "]";
        std::cout << "\n";
    }
}

// Serves until SIGTERM or SIGINT. The signals are blocked before any thread starts, so that
// only the wait below takes them.
int Serve(const oms::OmsServer::Options& options, const connect::BusOptions& bus, const std::string& logJson)
{
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    // One JSON object a line, to a file (appended) or the standard output.
    std::ofstream logFile;
    if (!logJson.empty() && logJson != "-")
    {
        logFile.open(logJson, std::ios::app);
        if (!logFile)
        {
            std::cerr << "kivo-oms: cannot write the log " << logJson << "\n";
            return 2;
        }
    }
    std::ostream& logOut = logJson == "-" ? std::cout : logFile;
    try
    {
        connect::NatsServerEndpoint endpoint(bus);
        oms::OmsServer server(options, endpoint);
        server.SetBusState([&endpoint]
                           { return std::string(endpoint.Connected() ? "connected" : "not connected"); });
        if (!logJson.empty())
            server.Log().SetSink([&logOut](const std::string& line) { logOut << line << std::endl; });
        std::cout << (server.WasCreated() ? "Created and seeded " : "Using ") << server.DatabasePath()
                  << "\n";
        server.Log().Event("started", {{"database", server.DatabasePath()}, {"bus", bus.url}});
        // What the outbox holds goes first (the bus keeps it until it is stored), then requests.
        server.Start();
        endpoint.Serve(server);
        std::cout << "Serving on " << bus.url << (endpoint.Connected() ? "" : " (waiting for the bus)")
                  << std::endl;
        // Until stopped: the server's state once a minute in the log.
        for (;;)
        {
            if (!logJson.empty())
                server.Log().Event("status", {{"state", server.StatusJson()}});
            const timespec minute{60, 0};
            if (sigtimedwait(&stop, nullptr, &minute) > 0)
                break;
        }
        endpoint.Stop();
        server.Stop();
        server.Log().Event("stopped");
        std::cout << "Stopped" << std::endl;
        return 0;
    }
    catch (const std::invalid_argument& error)
    {
        std::cerr << "kivo-oms: " << error.what() << "\n";
        return 2;
    }
}

// Asks a serving kivo-oms for its status over the bus and prints it (one JSON object).
int Status(const connect::BusOptions& bus)
{
    const oms::tools::BusAnswer answer =
        oms::tools::AskOverBus(bus, connect::Message().Add(0, protocol::kStatusFunction));
    if (answer.Status() != "0")
    {
        const std::string text = answer.Text();
        std::cerr << "kivo-oms: status: " << (text.empty() ? "no answer" : text) << "\n";
        return 1;
    }
    const std::vector<connect::Message>& replies = answer.replies;
    std::cout << (replies.size() > 1 && replies[0].Value(1) ? *replies[0].Value(1) : "{}") << "\n";
    return 0;
}

// What the command line asks for.
struct CommandLine
{
    oms::OmsServer::Options options;
    std::vector<std::string> command;
    std::string bus;
    std::string credentials;
    std::string ca;
    std::string logJson;
    bool insecure = false;
};

// Reads the options into 'line'; an exit code when the program is done with them already (it
// showed its usage, or an option was wrong).
std::optional<int> ParseCommandLine(const std::vector<std::string>& args, CommandLine& line)
{
    std::vector<std::string>& command = line.command;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--help" || args[i] == "-h")
        {
            PrintUsage(std::cout);
            return 0;
        }
        // The administration commands take options of their own.
        if (command.size() == 1 && (command[0] == "bus" || command[0] == "audit"))
        {
            command.push_back(args[i]);
            continue;
        }
        if ((args[i] == "--bus-credentials" || args[i] == "--bus-ca") && i + 1 < args.size())
        {
            (args[i] == "--bus-ca" ? line.ca : line.credentials) = args[i + 1];
            ++i;
        }
        else if (args[i] == "--insecure-bus")
            line.insecure = true;
        else if (args[i] == "--log-json" && i + 1 < args.size())
            line.logJson = args[++i];
        else if (args[i] == "--db")
        {
            if (i + 1 >= args.size())
            {
                std::cerr << "kivo-oms: --db needs a file\n\n" << kUsage;
                return 2;
            }
            line.options.databasePath = args[++i];
        }
        else if (args[i] == "--fresh")
            line.options.fresh = true;
        else if (args[i] == "--bus")
        {
            if (i + 1 >= args.size())
            {
                std::cerr << "kivo-oms: --bus needs a URL such as nats://127.0.0.1:4222\n\n" << kUsage;
                return 2;
            }
            line.bus = args[++i];
            if (const auto error = connect::BusOptions::CheckUrl(line.bus))
            {
                std::cerr << "kivo-oms: " << *error << "\n";
                return 2;
            }
        }
        else if (args[i].rfind("--", 0) == 0 && command.empty())
        {
            std::cerr << "kivo-oms: unknown option " << args[i] << "\n\n";
            PrintUsage(std::cerr);
            return 2;
        }
        else
            command.push_back(args[i]);
    }
    return std::nullopt;
}

// The connection to the bus that 'line' describes, for serving or for asking the server's
// status; an exit code when the options do not make one.
std::variant<connect::BusOptions, int> BusOptionsOf(const CommandLine& line)
{
    connect::BusOptions busOptions;
    busOptions.url = line.bus;
    busOptions.user = connect::BusSubjects::kServerUser;
    busOptions.clientName = "kivo-oms";
    busOptions.caFile = line.ca;
    busOptions.inOrder = true;
    if (line.credentials.empty() != line.ca.empty())
    {
        std::cerr << "kivo-oms: a secured bus needs both --bus-credentials FILE and --bus-ca FILE\n";
        return 2;
    }
    if (line.credentials.empty() && !line.insecure)
    {
        std::cerr << "kivo-oms: --bus needs the server's credentials (--bus-credentials FILE --bus-ca FILE, "
                     "from kivo-oms bus init), or --insecure-bus for a bus without users and TLS\n";
        return 2;
    }
    connect::TrustOnlyTheBusAuthority(line.ca); // no thread runs yet
    try
    {
        if (!line.credentials.empty())
            busOptions.LoadCredentials(line.credentials);
    }
    catch (const std::invalid_argument& error)
    {
        std::cerr << "kivo-oms: " << error.what() << "\n";
        return 2;
    }
    return busOptions;
}

// kivo-oms --bus: serves the bus, or with "status" asks the server serving it.
int RunOnBus(CommandLine& line, bool status)
{
    if (!line.command.empty() && !status)
    {
        std::cerr << "kivo-oms: --bus serves; it takes no command (" << line.command[0] << ")\n";
        return 2;
    }
    std::variant<connect::BusOptions, int> made = BusOptionsOf(line);
    if (const int* code = std::get_if<int>(&made))
        return *code;
    const connect::BusOptions& busOptions = std::get<connect::BusOptions>(made);
    if (status)
        return Status(busOptions);
    if (busOptions.user != connect::BusSubjects::kServerUser)
    {
        std::cerr << "kivo-oms: " << line.credentials << " are the credentials of " << busOptions.user
                  << ", not the server's (kivo-oms.creds from bus init)\n";
        return 2;
    }
    if (line.insecure)
        std::cerr << "kivo-oms: serving a bus without users and TLS: whoever reaches it acts as any user\n";
    oms::OmsServer::Options& options = line.options;
    options.watchIntervalMs = 250;
    options.publishInBackground = true;
    options.busGrants = !line.insecure;
    options.operatorUser = connect::BusSubjects::kServerUser;
    try
    {
        return Serve(options, busOptions, line.logJson);
    }
    catch (const oms::StoreError& error)
    {
        std::cerr << "kivo-oms: " << error.what() << "\n";
        return 1;
    }
}

int Check(oms::Store& store)
{
    int code = 0;
    for (const std::string& problem : store.CheckConsistency())
    {
        std::cout << problem << "\n";
        code = 1;
    }
    if (code == 0)
        std::cout << store.Path() << ": consistent\n";
    return code;
}

void PrintStats(oms::Store& store)
{
    for (const char* kind : {"user", "account", "limits"})
        std::cout << kind << ": "
                  << store.Db().QueryText(std::string("SELECT COUNT(*) FROM entities WHERE kind = '") + kind +
                                          "'")
                  << "\n";
    for (const char* status : {oms::kPending, oms::kAccepted, oms::kRejected})
        std::cout << status << ": " << store.CountRequests(status) << "\n";
    std::cout << "decisions logged: " << store.Db().QueryText("SELECT COUNT(*) FROM decision_log")
              << "\noutbox: " << store.Db().QueryText("SELECT COUNT(*) FROM outbox") << "\n";
}

void PrintPending(oms::Store& store)
{
    store.ForEachPending(
        [](const oms::RequestRecord& r)
        {
            std::cout << r.key << "  " << oms::AuthTypeText(r.type) << "  " << r.entity << "  " << r.category
                      << "  by " << r.maker << "  " << r.broker << " " << r.branch << "\n";
        });
}

int Show(oms::Store& store, const std::string& key)
{
    const std::optional<oms::RequestRecord> r = store.Request(std::atoll(key.c_str()));
    if (!r)
    {
        std::cerr << "kivo-oms: there is no request " << key << "\n";
        return 1;
    }
    std::cout << "published:\n";
    Print(oms::PublishedForm(*r), "  ");
    std::cout << "details:\n";
    Print(oms::DetailReplies(store).Build(*r, store.Changes(r->key)), "  ");
    return 0;
}

// One of the commands on the database; 'created' says whether the server made it just now.
int RunCommand(const std::string& verb, const std::vector<std::string>& command, oms::Store& store,
               bool created)
{
    if (verb == "init")
    {
        std::cout << (created ? "Created and seeded " : "Using ") << store.Path() << "\n";
        return 0;
    }
    if (verb == "check")
        return Check(store);
    if (verb == "stats")
        PrintStats(store);
    else if (verb == "pending")
        PrintPending(store);
    else
        return Show(store, command[1]);
    return 0;
}

// kivo-oms without --bus: a command on the database itself.
int RunOnDatabase(const CommandLine& line)
{
    const std::vector<std::string>& command = line.command;
    const oms::OmsServer::Options& options = line.options;
    const std::string verb = command.empty() ? "init" : command[0];
    if (verb != "init" && verb != "check" && verb != "stats" && verb != "pending" && verb != "show")
    {
        std::cerr << "kivo-oms: unknown command " << verb << "\n\n";
        PrintUsage(std::cerr);
        return 2;
    }
    if (verb == "show" && command.size() != 2)
    {
        std::cerr << "kivo-oms: show needs a request key\n";
        return 2;
    }

    NoPublisher nobody;
    try
    {
        // What only reads reads beside a running server (a terminal's, or kivo-oms --bus): WAL
        // lets a reader see the last commit while the server writes. A database still to be made
        // (or made afresh) is made by the server, which takes the database for its own first.
        std::error_code missing;
        if (verb != "init" && verb != "check" && !options.fresh &&
            std::filesystem::exists(options.databasePath, missing))
        {
            oms::Store::Options reading;
            reading.readOnly = true;
            return RunCommand(verb, command, *oms::Store::Open(options.databasePath, reading), false);
        }
        oms::OmsServer server(options, nobody);
        const bool created = server.WasCreated();
        int code = 0;
        server.WithStore([&](oms::Store& store) { code = RunCommand(verb, command, store, created); });
        return code;
    }
    catch (const oms::StoreError& error)
    {
        std::cerr << "kivo-oms: " << error.what() << "\n";
        return 1;
    }
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine line;
    line.options.databasePath = oms::DefaultDatabasePath();
    line.options.watchIntervalMs = 0;
    if (const std::optional<int> done = ParseCommandLine({argv + 1, argv + argc}, line))
        return *done;
    const std::vector<std::string>& command = line.command;
    if (!command.empty() && command[0] == "bus")
        return oms::tools::RunBusCommand(line.options.databasePath, {command.begin() + 1, command.end()});
    if (!command.empty() && command[0] == "audit")
        return oms::tools::RunAuditCommand(line.options.databasePath, {command.begin() + 1, command.end()});
    const bool status = !command.empty() && command[0] == "status";
    if (status && line.bus.empty())
    {
        std::cerr << "kivo-oms: status asks a serving kivo-oms on the bus: give --bus URL and credentials\n";
        return 2;
    }
    if (!line.bus.empty())
        return RunOnBus(line, status);
    return RunOnDatabase(line);
}
