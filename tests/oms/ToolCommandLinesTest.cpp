// kivo-oms and kivo-maker as an operator types them: a mistake on the command line ends the
// program with exit code 2 and the reason before any database is made, a command that runs
// says what it did, and a request the server cannot take is exit code 1 with nothing entered.
#include "support/ChildProcess.h"
#include "support/ScopedTempDir.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using testing::HasSubstr;

namespace
{

constexpr const char* kNoBus = "nats://127.0.0.1:1";

class ToolCommandLinesTest : public testing::Test
{
protected:
    struct Run
    {
        int exitCode;
        std::string output;
    };

    Run Program(const char* program, const std::vector<std::string>& arguments)
    {
        std::vector<std::string> argv = {program};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        ChildProcess child(argv, (folder.Path() / ("run-" + std::to_string(++m_runs) + ".log")).string());
        const int code = child.Wait(std::chrono::seconds(60));
        return {code, child.Output()};
    }
    Run Oms(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--db", Database()});
        return Program(KIVO_OMS_PROGRAM, arguments);
    }
    Run Maker(const std::vector<std::string>& arguments) { return Program(KIVO_MAKER_PROGRAM, arguments); }
    std::string Database() const { return (folder.Path() / "oms.db").string(); }
    std::string File(const std::string& name, const std::string& text) const
    {
        const std::filesystem::path path = folder.Path() / name;
        std::ofstream(path) << text;
        return path.string();
    }

    ScopedTempDir folder;

private:
    int m_runs = 0;
};

TEST_F(ToolCommandLinesTest, KivoOmsRefusesAMistakenCommandLineWithItsReasonAndMakesNoDatabase)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
        {{"--bogus"}, "kivo-oms: unknown option --bogus\n\nkivo-oms: the order-management"},
        {{"frobnicate"}, "kivo-oms: unknown command frobnicate\n"},
        {{"show"}, "kivo-oms: show needs a request key\n"},
        {{"status"}, "kivo-oms: status asks a serving kivo-oms on the bus: give --bus URL and credentials\n"},
        {{"--db"}, "kivo-oms: --db needs a file\n"},
        {{"--bus"}, "kivo-oms: --bus needs a URL such as nats://127.0.0.1:4222\n"},
        {{"--bus", "http://bus"}, "kivo-oms: \"http://bus\" is not a message bus URL"},
        {{"--bus", kNoBus, "stats"}, "kivo-oms: --bus serves; it takes no command (stats)\n"},
        {{"--bus", kNoBus}, "kivo-oms: --bus needs the server's credentials (--bus-credentials FILE"},
        {{"--bus", kNoBus, "--bus-ca", "ca.pem"},
         "kivo-oms: a secured bus needs both --bus-credentials FILE and --bus-ca FILE\n"},
        {{"--bus", kNoBus, "--bus-credentials", "none.creds", "--bus-ca", "ca.pem"},
         "kivo-oms: the bus credentials none.creds cannot be read"},
    };
    for (const auto& [arguments, reason] : mistakes)
    {
        const Run run = Oms(arguments);
        EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(arguments) << "\n" << run.output;
        EXPECT_THAT(run.output, HasSubstr(reason)) << testing::PrintToString(arguments);
    }
    EXPECT_FALSE(std::filesystem::exists(Database()));

    // The usage, the administration commands' with it, on the standard output.
    const Run help = Oms({"stats", "-h"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.output, HasSubstr("  show KEY       the published form"));
    EXPECT_THAT(help.output, HasSubstr("  audit verify [--expect HASH]"));
    // After "bus" the words are the bus command's own (which wants a database made first).
    const Run bus = Oms({"bus", "list", "--listen"});
    EXPECT_EQ(bus.exitCode, 1) << bus.output;
    EXPECT_THAT(bus.output, HasSubstr("kivo-oms: there is no database "));
    EXPECT_FALSE(std::filesystem::exists(Database()));
}

TEST_F(ToolCommandLinesTest, KivoOmsMakesTheDatabaseOnceChecksItAndShowsWhatItHolds)
{
    const Run init = Oms({});
    EXPECT_EQ(init.exitCode, 0) << init.output;
    EXPECT_EQ(init.output, "Created and seeded " + Database() + "\n");
    EXPECT_EQ(Oms({"init"}).output, "Using " + Database() + "\n");
    const Run check = Oms({"check"});
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_EQ(check.output, Database() + ": consistent\n");

    const Run pending = Oms({"pending"});
    ASSERT_EQ(pending.exitCode, 0) << pending.output;
    const std::string key = pending.output.substr(0, pending.output.find(' '));
    const Run show = Oms({"show", key});
    EXPECT_EQ(show.exitCode, 0) << show.output;
    EXPECT_THAT(show.output,
                testing::StartsWith("published:\n  54211: [auth pending]\n  51803: [" + key + "]\n"));
    EXPECT_THAT(show.output, HasSubstr("]\ndetails:\n  "));
    const Run missing = Oms({"show", "999999"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.output, "kivo-oms: there is no request 999999\n");

    // Made afresh: the old one is moved aside.
    const Run fresh = Oms({"--fresh", "init"});
    EXPECT_EQ(fresh.exitCode, 0) << fresh.output;
    EXPECT_EQ(fresh.output, "Created and seeded " + Database() + "\n");
    EXPECT_TRUE(std::filesystem::exists(Database() + ".bak"));
}

TEST_F(ToolCommandLinesTest, KivoMakerRefusesAMistakenCommandLineWithTheUsageAndMakesNoDatabase)
{
    const std::string db = Database();
    const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
        {{"--db", db}, "give one request, or --file FILE, or --generate"},
        {{"--db", db, "--generate", "--file", "requests.txt"},
         "give one request, or --file FILE, or --generate"},
        {{"--db", db, "--generate", "--every", "0"}, "--every takes a positive number, not '0'"},
        {{"--db", db, "--generate", "--count", "1.5"}, "--count takes a positive number, not '1.5'"},
        {{"--db", db, "--generate", "--every", "soon"}, "--every takes a positive number, not 'soon'"},
        {{"--db", db, "--fields", "orders"}, "--fields takes user, account or limits"},
        {{"--db", db, "--frob"}, "unknown option --frob"},
        {{"--db", db, "--maker"}, "--maker needs a value"},
        {{"--bus", "http://bus", "add-user", "KV1"}, "\"http://bus\" is not a message bus URL"},
        {{"--bus", kNoBus, "--generate"},
         "--bus hands requests to the server; --generate and --db need the database"},
        {{"--bus", kNoBus, "--db", db, "add-user", "KV1"},
         "--bus hands requests to the server; --generate and --db need the database itself"},
        {{"--bus", kNoBus, "--bus-credentials", "m.creds", "add-user", "KV1"},
         "a secured bus needs both --bus-credentials FILE and --bus-ca FILE"},
        {{"--bus", kNoBus, "add-user", "KV1"}, "on the bus a maker says who he is"},
    };
    for (const auto& [arguments, reason] : mistakes)
    {
        const Run run = Maker(arguments);
        EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(arguments) << "\n" << run.output;
        EXPECT_THAT(run.output, HasSubstr("kivo-maker: " + reason)) << testing::PrintToString(arguments);
        EXPECT_THAT(run.output, HasSubstr("\n\nkivo-maker: enters makers' requests"))
            << testing::PrintToString(arguments);
    }
    EXPECT_FALSE(std::filesystem::exists(db));

    const Run fields = Maker({"--db", db, "--fields", "account", "--frob"});
    EXPECT_EQ(fields.exitCode, 0) << fields.output;
    EXPECT_THAT(fields.output, HasSubstr("  the id\n"));
    EXPECT_THAT(fields.output, testing::Not(HasSubstr("unknown option")));
    EXPECT_FALSE(std::filesystem::exists(db));
}

TEST_F(ToolCommandLinesTest, KivoMakerEntersARequestOrAWholeFileAndNothingOfARefusedOne)
{
    const std::string db = Database();
    const Run one =
        Maker({"--db", db, "--maker", "MAKER2", "limits", "branch:KIVO-PUN", "remarks=Two words"});
    EXPECT_EQ(one.exitCode, 0) << one.output;
    EXPECT_THAT(one.output,
                testing::MatchesRegex("Created and seeded the database .*oms.db\n"
                                      "Entered request [0-9]+: limits branch:KIVO-PUN by MAKER2\n"));
    const Run unknown = Maker({"--db", db, "--maker", "MAKER1", "frob", "KV1"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_THAT(unknown.output, testing::StartsWith("kivo-maker: 'frob' is not a request: add-user, "));
    const Run again = Maker({"--db", db, "--maker", "MAKER2", "limits", "branch:KIVO-PUN", "cash-margin=10"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_THAT(again.output, testing::StartsWith("kivo-maker: refused: request "));

    // A refused line refuses the whole file: its first line is not entered either.
    const std::string good = "maker=MAKER1 limits branch:KIVO-DEL cash-margin=100\n";
    const Run refused = Maker({"--db", db, "--file", File("refused.txt", good + "maker=MAKER1 frob KV1\n")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.output,
                testing::EndsWith("refused.txt:2: 'frob' is not a request: add-user, modify-user, "
                                  "delete-user, add-account, modify-account, delete-account or "
                                  "limits; nothing was entered\n"));
    const Run waiting =
        Maker({"--db", db, "--file",
               File("waiting.txt", good + "maker=MAKER2 limits branch:KIVO-PUN cash-margin=5\n")});
    EXPECT_EQ(waiting.exitCode, 1);
    EXPECT_THAT(waiting.output, HasSubstr("waiting.txt:2: request "));
    const Run entered = Maker({"--db", db, "--file", File("good.txt", good)});
    EXPECT_EQ(entered.exitCode, 0) << entered.output;
    EXPECT_THAT(entered.output,
                testing::MatchesRegex("Entered request [0-9]+: limits branch:KIVO-DEL by MAKER1\n"));

    const Run missing = Maker({"--db", db, "--file", (folder.Path() / "none.txt").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(missing.output, HasSubstr("kivo-maker: cannot read "));

    // A request or a file that says no request makes no database where there is none.
    const std::string none = (folder.Path() / "none.db").string();
    const Run verb = Maker({"--db", none, "--maker", "MAKER1", "frob", "KV1"});
    EXPECT_EQ(verb.exitCode, 2);
    EXPECT_THAT(verb.output, testing::StartsWith("kivo-maker: 'frob' is not a request: "));
    const Run badFile = Maker({"--db", none, "--file", File("bad.txt", good + "maker=MAKER1 frob KV1\n")});
    EXPECT_EQ(badFile.exitCode, 1);
    EXPECT_THAT(badFile.output, HasSubstr("bad.txt:2: 'frob' is not a request"));
    EXPECT_FALSE(std::filesystem::exists(none));
}

} // namespace
