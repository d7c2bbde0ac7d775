// kivo-maker: enters makers' requests into the server's database, from the command line, from a
// file of requests, or generated at a chosen rate. A running server (a terminal that embeds it)
// publishes them within a moment; otherwise they are published when it starts.
#include "BusQuestion.h"
#include "connect/ConnectKivo.h"
#include "connect/NatsTransport.h"
#include "oms/DataFolder.h"
#include "oms/FieldCatalogue.h"
#include "oms/MakerCommand.h"
#include "oms/MakerDesk.h"
#include "oms/MakerError.h"
#include "oms/SampleData.h"
#include "oms/SampleRequests.h"
#include "oms/Seeder.h"
#include "oms/SqliteError.h"
#include "oms/SqliteTransaction.h"
#include "oms/Store.h"
#include "oms/StoreError.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

namespace
{

const char* const kUsage =
    "kivo-maker: enters makers' requests for the checkers' console\n"
    "\n"
    "  kivo-maker [--db FILE] --maker ID VERB ENTITY [FIELD=VALUE ...]\n"
    "  kivo-maker [--db FILE] [--maker ID] --file FILE\n"
    "  kivo-maker --bus URL --bus-credentials FILE --bus-ca FILE VERB ENTITY [FIELD=VALUE ...] | --file "
    "FILE\n"
    "  kivo-maker [--db FILE] --generate [--every SECONDS] [--count N] [--not ID]\n"
    "  kivo-maker --fields user|account|limits\n"
    "\n"
    "  VERB      add-user, modify-user, delete-user, add-account, modify-account, delete-account, limits\n"
    "  ENTITY    a user or account id; for limits the owner: broker:, branch:, group:, dealer:, client: and "
    "a code\n"
    "  FIELD     a field's name (see --fields) or id; several values of a field are separated by '|'\n"
    "  --file    one request a line in the same words (maker=ID first on a line names its maker); '#' starts "
    "a\n"
    "            comment. The file is entered whole or, when a line is refused, not at all.\n"
    "  --generate  realistic requests by the brokers' makers, one every few seconds (default 5), until\n"
    "            --count requests were entered or the program is stopped; --not ID leaves that maker out\n"
    "  --db FILE the server's database (default: kivo/kivo-oms.db in the user's data folder)\n"
    "  --bus URL hand the requests to the server on the message bus (kivo-oms --bus URL), from any\n"
    "            machine; the server enters them all or none\n"
    "  --bus-credentials FILE  the maker's own credentials on the bus (kivo-oms bus grant): he enters\n"
    "            requests only as himself\n"
    "  --bus-ca FILE  the authority of the bus's TLS certificate (ca.pem from kivo-oms bus init)\n"
    "            (on an unsecured bus, without them, --maker ID says who sends)\n"
    "\n"
    "  kivo-maker --maker MAKER1 modify-user KV1234 email=asha.rao@example.in status=Suspended\n"
    "  kivo-maker --maker MAKER2 limits client:KVC10001 cash-margin=2500000 remarks=\"Raised on request\"\n";

void Report(const oms::MakerRequest& request, std::int64_t key)
{
    std::cout << "Entered request " << key << ": " << oms::MakerCommand::VerbOf(request.type) << " "
              << request.entity << " by " << request.maker << std::endl;
}

int Generate(oms::Store& store, double every, long count, const std::string& excluded)
{
    oms::SampleData data(std::random_device{}());
    oms::MakerDesk desk(store);
    for (long entered = 0; count <= 0 || entered < count;)
    {
        std::vector<oms::MakerRequest> requests = oms::SampleRequests(store, data).Any(excluded);
        for (const oms::MakerRequest& request : requests)
        {
            try
            {
                Report(request, desk.Enter(request));
                ++entered;
            }
            catch (const oms::MakerError&)
            {
                // A sample that clashes with a pending request: the next one will do.
            }
        }
        if (!requests.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(every * 1000)));
    }
    return 0;
}

// The file's lines, or nothing (and the reason told) when it cannot be read.
std::optional<std::vector<std::string>> ReadLines(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
    {
        std::cerr << "kivo-maker: cannot read " << path << "\n";
        return std::nullopt;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A file's requests; nothing, with the reason told, when it cannot be read or a line says no request.
std::optional<std::vector<oms::MakerCommand::Line>> ReadRequests(const std::string& path, const std::string& maker)
{
    const std::optional<std::vector<std::string>> lines = ReadLines(path);
    if (!lines)
        return std::nullopt;
    std::string error;
    int badLine = 0;
    auto requests = oms::MakerCommand::ParseLines(*lines, maker, &error, &badLine);
    if (!requests)
        std::cerr << "kivo-maker: " << path << ":" << badLine << ": " << error << "; nothing was entered\n";
    return requests;
}

int EnterFile(oms::Store& store, const std::string& path, const std::vector<oms::MakerCommand::Line>& requests)
{
    oms::SqliteTransaction transaction(store.Db());
    oms::MakerDesk desk(store);
    std::vector<std::int64_t> keys;
    for (const oms::MakerCommand::Line& line : requests)
    {
        try
        {
            keys.push_back(desk.EnterWithin(line.request));
        }
        catch (const oms::MakerError& error)
        {
            std::cerr << "kivo-maker: " << path << ":" << line.number << ": " << error.what()
                      << "; nothing was entered\n";
            return 1;
        }
    }
    transaction.Commit();
    for (std::size_t i = 0; i < keys.size(); ++i)
        Report(requests[i].request, keys[i]);
    return 0;
}

// Hands the lines to the server on the bus, which enters them all or none, and reports its
// answer. The library closes the request itself when the bus or the server is not there.
int EnterOverBus(const connect::BusOptions& options, const std::vector<std::string>& lines,
                 const std::string& maker)
{
    connect::Message body = connect::Message().Add(0, oms::MakerCommand::kEnterFunction);
    if (!maker.empty())
        body.Add(54247, maker);
    if (!lines.empty())
        body.AddValues(oms::MakerCommand::kLineField, lines);
    const oms::tools::BusAnswer answer = oms::tools::AskOverBus(options, body);
    if (answer.Status() != "0")
    {
        std::cerr << "kivo-maker: refused: " << answer.Text() << "\n";
        return 1;
    }
    const std::vector<connect::Message>& replies = answer.replies;
    for (std::size_t i = 0; i + 1 < replies.size(); ++i)
    {
        const connect::Message& entered = replies[i];
        const std::string* key = entered.Value(51803);
        const std::string* type = entered.Value(63713);
        const std::string* entity = entered.Value(oms::MakerCommand::kLineField);
        const std::string* by = entered.Value(54247);
        if (key && type && entity && by)
            Report(oms::MakerRequest{*by, std::atoi(type->c_str()), *entity, {}}, std::atoll(key->c_str()));
    }
    return 0;
}

// A mistake on the command line: what it was, then the usage; the exit code.
int UsageError(const std::string& error)
{
    std::cerr << "kivo-maker: " << error << "\n\n" << kUsage;
    return 2;
}

// --fields KIND: the fields of a kind of entity, by name and id.
int PrintFields(const std::string& kind)
{
    const oms::EntityKind which = kind == "user"      ? oms::EntityKind::User
                                  : kind == "account" ? oms::EntityKind::Account
                                                      : oms::EntityKind::Limits;
    if (kind != "user" && kind != "account" && kind != "limits")
        return UsageError("--fields takes user, account or limits");
    for (const oms::FieldSpec& spec : oms::FieldCatalogue::For(which))
        std::cout << spec.key << " (" << spec.id << ")" << (spec.identity ? "  the id" : "") << "\n";
    return 0;
}

// What the command line asks for.
struct CommandLine
{
    std::string database = oms::DefaultDatabasePath();
    std::string maker;
    std::string file;
    std::string excluded;
    std::string bus;
    std::string credentials;
    std::string ca;
    bool databaseGiven = false;
    bool generate = false;
    double every = 5;
    long count = 0;
    std::vector<std::string> words;
};

// --every SECONDS and --count N; an exit code when the value is not a positive number.
std::optional<int> ReadPositive(const std::string& arg, const std::string& value, CommandLine& line)
{
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (value.empty() || *end || number <= 0 || (arg == "--count" && number != static_cast<long>(number)))
        return UsageError(arg + " takes a positive number, not '" + value + "'");
    if (arg == "--every")
        line.every = number;
    else
        line.count = static_cast<long>(number);
    return std::nullopt;
}

// Reads the options into 'line'; an exit code when the program is done with them already (it
// showed its usage or the fields, or an option was wrong).
std::optional<int> ParseCommandLine(const std::vector<std::string>& args, CommandLine& line)
{
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--db" || arg == "--maker" || arg == "--file" || arg == "--every" ||
                                arg == "--count" || arg == "--not" || arg == "--fields" || arg == "--bus" ||
                                arg == "--bus-credentials" || arg == "--bus-ca";
        if (takesValue && i + 1 >= args.size())
            return UsageError(arg + " needs a value");
        if (arg == "--help" || arg == "-h")
        {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--db")
        {
            line.database = args[++i];
            line.databaseGiven = true;
        }
        else if (arg == "--bus")
        {
            line.bus = args[++i];
            if (const auto error = connect::BusOptions::CheckUrl(line.bus))
                return UsageError(*error);
        }
        else if (arg == "--bus-credentials")
            line.credentials = args[++i];
        else if (arg == "--bus-ca")
            line.ca = args[++i];
        else if (arg == "--maker")
            line.maker = args[++i];
        else if (arg == "--file")
            line.file = args[++i];
        else if (arg == "--not")
            line.excluded = args[++i];
        else if (arg == "--generate")
            line.generate = true;
        else if (arg == "--every" || arg == "--count")
        {
            if (const std::optional<int> wrong = ReadPositive(arg, args[++i], line))
                return wrong;
        }
        else if (arg == "--fields")
            return PrintFields(args[++i]);
        else if (arg.rfind("--", 0) == 0)
            return UsageError("unknown option " + arg);
        else
            line.words.push_back(arg);
    }
    return std::nullopt;
}

// --bus: the requests are drawn up here and handed to the server, whose database is out of reach.
int EnterOnBus(const CommandLine& line)
{
    if (line.generate || line.databaseGiven)
        return UsageError("--bus hands requests to the server; --generate and --db need the database itself");
    if (line.credentials.empty() != line.ca.empty())
        return UsageError("a secured bus needs both --bus-credentials FILE and --bus-ca FILE");
    connect::TrustOnlyTheBusAuthority(line.ca); // no thread runs yet
    connect::BusOptions options;
    options.url = line.bus;
    options.clientName = "kivo-maker";
    options.caFile = line.ca;
    options.user = line.maker;
    try
    {
        if (!line.credentials.empty())
            options.LoadCredentials(line.credentials);
    }
    catch (const std::invalid_argument& error)
    {
        return UsageError(error.what());
    }
    // The bus knows the maker by his credentials: he enters requests as nobody else.
    if (!line.credentials.empty() && !line.maker.empty() && line.maker != options.user)
        return UsageError(line.credentials + " are the bus credentials of " + options.user + ", not of " +
                          line.maker);
    if (options.user.empty())
        return UsageError("on the bus a maker says who he is: --bus-credentials FILE (or --maker ID on an "
                          "unsecured bus)");
    if (!line.file.empty())
    {
        const std::optional<std::vector<std::string>> lines = ReadLines(line.file);
        return lines ? EnterOverBus(options, *lines, line.maker) : 1;
    }
    std::string request;
    for (const std::string& word : line.words)
        request += (request.empty() ? "" : " ") + oms::MakerCommand::Quote(word);
    return EnterOverBus(options, {request}, line.maker);
}

// Without --bus: straight into the database, which is made and seeded when there is none.
int EnterIntoDatabase(const CommandLine& line)
{
    // What is to be entered is read first: a mistaken request makes no database.
    std::optional<std::vector<oms::MakerCommand::Line>> fileRequests;
    std::optional<oms::MakerRequest> request;
    if (!line.file.empty())
    {
        fileRequests = ReadRequests(line.file, line.maker);
        if (!fileRequests)
            return 1;
    }
    else if (!line.generate)
    {
        std::string error;
        request = oms::MakerCommand::Parse(line.words, line.maker, &error);
        if (!request)
            return UsageError(error);
    }
    try
    {
        oms::Store::Options options;
        options.seed = [](oms::Store& store) { oms::Seeder(store).Run(); };
        std::unique_ptr<oms::Store> store = oms::Store::Open(line.database, options);
        if (store->WasCreated())
            std::cout << "Created and seeded the database " << line.database << "\n";
        if (line.generate)
            return Generate(*store, line.every, line.count, line.excluded);
        if (fileRequests)
            return EnterFile(*store, line.file, *fileRequests);
        Report(*request, oms::MakerDesk(*store).Enter(*request));
        return 0;
    }
    catch (const oms::StoreError& error)
    {
        std::cerr << "kivo-maker: " << error.what() << "\n";
        return 1;
    }
    catch (const oms::MakerError& error)
    {
        std::cerr << "kivo-maker: refused: " << error.what() << "\n";
        return 1;
    }
    catch (const oms::SqliteError& error)
    {
        std::cerr << "kivo-maker: the database failed: " << error.what() << "\n";
        return 1;
    }
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine line;
    if (const std::optional<int> done = ParseCommandLine({argv + 1, argv + argc}, line))
        return *done;
    const int modes = (line.generate ? 1 : 0) + (line.file.empty() ? 0 : 1) + (line.words.empty() ? 0 : 1);
    if (modes != 1)
        return UsageError("give one request, or --file FILE, or --generate");
    return line.bus.empty() ? EnterIntoDatabase(line) : EnterOnBus(line);
}
