// kivo-oms audit as an auditor runs it: against a log tampered with by the sqlite3 shell, and an
// export read back by an independent reader.
#include "OmsTestSupport.h"

#include "oms/ServerStatus.h"
#include "support/ChildProcess.h"
#include "support/XlsxReadBack.h"

#include <fstream>

using namespace oms_test;

namespace
{

#ifdef KIVO_SQLITE3_PROGRAM
constexpr const char* kSqlite3 = KIVO_SQLITE3_PROGRAM;
#else
constexpr const char* kSqlite3 = "";
#endif

// Both files' rows, cell by cell, the same: exit 0; 3 without openpyxl.
constexpr const char* kCompare = R"(import csv, sys
try:
    import openpyxl
except ImportError:
    sys.exit(3)
with open(sys.argv[1], newline='') as f:
    rows = list(csv.reader(f))
sheet = openpyxl.load_workbook(sys.argv[2]).worksheets[0]
cells = [['' if c is None else (str(int(c)) if isinstance(c, float) and c == int(c) else str(c)) for c in row]
         for row in sheet.iter_rows(values_only=True)]
if rows != cells:
    print('csv', rows)
    print('xlsx', cells)
    sys.exit(1)
print(len(rows))
)";

class AuditCommandsTest : public ServerTest
{
protected:
    void SetUp() override
    {
        const connect::Session checker{"CHECKER2", "KIVO", 0};
        const oms::RequestRecord limits = Pending(oms::kRmsLimits);
        ASSERT_EQ(Ask(Update(limits.key, "CHECKER2", {{64031, "123456"}}), "c-1", checker).Code(), oms::kStatusOk);
        const oms::RequestRecord user = Pending(oms::kModifyUser);
        ASSERT_EQ(Ask(Reject(user, "CHECKER2", "Needs, \"proof\"\nof address"), "c-2", checker).Code(),
                  oms::kStatusOk);
        ASSERT_EQ(Ask(Accept(user, "CHECKER2"), "c-3", checker).Code(), oms::kStatusAlreadyDecided);
        server.reset();
    }
    // kivo-oms with the arguments; its exit code, its output in 'output'.
    int Oms(std::vector<std::string> args, std::string& output)
    {
        args.insert(args.begin(), {KIVO_OMS_PROGRAM, "--db", DatabasePath()});
        ChildProcess run(args, folder / "kivo-oms.log");
        const int code = run.Wait(std::chrono::seconds(60));
        output = run.Output();
        return code;
    }
    void Shell(const std::string& sql)
    {
        ChildProcess run({kSqlite3, DatabasePath(), sql}, folder / "sqlite3.log");
        ASSERT_EQ(run.Wait(std::chrono::seconds(30)), 0) << run.Output();
    }
};

TEST_F(AuditCommandsTest, VerifyHoldsOnTheServersLogAndNamesWhatTheShellChanged)
{
    if (std::string(kSqlite3).empty())
        GTEST_SKIP() << "the sqlite3 shell is not installed (scripts/deps installs it)";
    std::string out;
    ASSERT_EQ(Oms({"audit", "verify"}, out), 0) << out;
    EXPECT_NE(out.find("3 decisions logged; the chain holds; its last hash "), std::string::npos) << out;
    const std::string head = out.substr(out.rfind(' ') + 1, 64);

    // Changed.
    Shell("DROP TRIGGER decision_log_no_update; UPDATE decision_log SET checker = 'CHECKER1' WHERE seq = 1;");
    EXPECT_EQ(Oms({"audit", "verify"}, out), 1);
    EXPECT_NE(out.find("row 1 was changed or put in"), std::string::npos) << out;
    EXPECT_NE(out.find("the chain does not hold"), std::string::npos) << out;
    // Deleted.
    Shell("DROP TRIGGER decision_log_no_delete; DELETE FROM decision_log WHERE seq = 2;");
    EXPECT_EQ(Oms({"audit", "verify"}, out), 1);
    EXPECT_NE(out.find("row 2 is missing: it was deleted"), std::string::npos) << out;
    // Put in.
    Shell("INSERT INTO decision_log(seq, checker, decision, outcome, reason, edited, decided_at, status_code, "
          "status_text) VALUES(9, 'CHECKER2', 'accept', 'applied', '', '', '2026-01-01T00:00:00Z', 0, 'x');");
    EXPECT_EQ(Oms({"audit", "verify"}, out), 1);
    EXPECT_NE(out.find("row 9 does not follow the row before it"), std::string::npos) << out;
    // A chain built again from scratch still differs from the head recorded before.
    EXPECT_EQ(Oms({"audit", "verify", "--expect", std::string(64, 'f')}, out), 1);
    EXPECT_NE(head, std::string(64, 'f'));
}

TEST_F(AuditCommandsTest, TheExportHoldsTheSameDecisionsInBothFiles)
{
    std::string out;
    const std::string csv = folder / "decisions.csv";
    const std::string xlsx = folder / "decisions.xlsx";
    ASSERT_EQ(Oms({"audit", "export", "--csv", csv, "--xlsx", xlsx}, out), 0) << out;
    EXPECT_NE(out.find("Wrote 3 decisions to " + csv), std::string::npos) << out;

    std::ifstream in(csv);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("Row,Decided at,Checker,Decision,Outcome,Request,", 0), 0u) << text;
    // The update's edited value, and what it applied with the value it replaced.
    EXPECT_NE(text.find("64031=123456"), std::string::npos);
    EXPECT_NE(text.find("cash-margin (64031): 123456.00 ("), std::string::npos) << text;
    EXPECT_NE(text.find("\"Needs, \"\"proof\"\"\nof address\""), std::string::npos) << text;

    if (access(kXlsxPython, X_OK) != 0)
        GTEST_SKIP() << kXlsxPython << " is missing";
    std::ofstream(folder / "compare.py") << kCompare;
    ChildProcess compare({kXlsxPython, folder / "compare.py", csv, xlsx}, folder / "compare.log");
    const int code = compare.Wait(std::chrono::seconds(60));
    if (code == 3)
        GTEST_SKIP() << "python3-openpyxl is not installed";
    EXPECT_EQ(code, 0) << compare.Output();
    EXPECT_EQ(compare.Output(), "4\n");

    // A period without decisions: the header alone.
    ASSERT_EQ(Oms({"audit", "export", "--to", "2000-01-01", "--csv", csv}, out), 0) << out;
    EXPECT_NE(out.find("Wrote 0 decisions"), std::string::npos) << out;
}

} // namespace
