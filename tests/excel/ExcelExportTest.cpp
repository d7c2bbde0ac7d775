// The spreadsheet export as a list drives it: the provider asked for every cell once, the file
// named and placed as documented, read back with an independent reader, and every failure leaving
// the export folder as it was.
#include "excel/ExcelInterface.h"
#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace
{

// A list as the exporter sees it: typed header cells and rows of texts.
struct Sheet
{
    std::vector<std::pair<std::string, int>> header; // text and column data type
    std::vector<std::vector<std::string>> rows;
    std::vector<std::pair<int, int>> asked; // (row, column) in the order the exporter asked
    int stopAtRow = -1;                     // the provider gives up on this row

    static int Provide(void* context, int row, int column, std::string& text, int& dataType)
    {
        auto& sheet = *static_cast<Sheet*>(context);
        sheet.asked.emplace_back(row, column);
        if (row == sheet.stopAtRow)
            return 0;
        if (row == 0)
        {
            text = sheet.header[static_cast<std::size_t>(column)].first;
            if (const int type = sheet.header[static_cast<std::size_t>(column)].second; type != -1)
                dataType = type; // a column without a description leaves the type alone
        }
        else
            text = sheet.rows[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column)];
        return 1;
    }

    int Export(const std::string& listName = "Export")
    {
        CExcelInterface exporter(static_cast<int>(rows.size()) + 1, static_cast<int>(header.size()), listName);
        exporter.m_pfnCellProvider = &Sheet::Provide;
        exporter.m_pContext = this;
        const int result = exporter.WriteToExcel();
        path = exporter.GetFilePath();
        error = exporter.GetErrorText();
        return result;
    }
    std::string path;
    std::string error;
};

std::vector<std::string> FilesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    return names;
}

// One cell as an independent reader sees it.
struct ReadCell
{
    char type = '?'; // 'n' number, 's' text
    bool bold = false;
    std::string value;
};

struct ReadSheet
{
    int rows = 0;
    int columns = 0;
    std::map<std::pair<int, int>, ReadCell> cells; // 1-based (row, column), empty cells left out
};

constexpr const char* kReaderPython = "/usr/bin/python3";

// Prints the sheet's size, then one line per cell with tabs and newlines escaped.
constexpr const char* kReaderScript = R"(import sys
try:
    import openpyxl
except ImportError:
    sys.exit(3)
sheet = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
print(sheet.max_row, sheet.max_column)
for row in sheet.iter_rows():
    for cell in row:
        if cell.value is None:
            continue
        value = repr(float(cell.value)) if cell.data_type == 'n' else str(cell.value)
        value = value.replace('\\', '\\\\').replace('\t', '\\t').replace('\n', '\\n')
        print('%d\t%d\t%s\t%d\t%s' % (cell.row, cell.column, cell.data_type, 1 if cell.font.b else 0, value))
)";

std::string Unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\\' && i + 1 < text.size())
        {
            const char next = text[++i];
            out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
        }
        else
            out += text[i];
    }
    return out;
}

// Reads the file back with openpyxl; nullopt (and a reason) when that reader is missing.
std::optional<ReadSheet> ReadBack(const std::string& file, const fs::path& scratch, std::string& missing)
{
    if (access(kReaderPython, X_OK) != 0)
    {
        missing = std::string(kReaderPython) + " is missing";
        return std::nullopt;
    }
    const fs::path script = scratch / "read_sheet.py";
    std::ofstream(script) << kReaderScript;
    const std::string command = std::string(kReaderPython) + " '" + script.string() + "' '" + file + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
    {
        missing = "cannot start " + std::string(kReaderPython);
        return std::nullopt;
    }
    std::string output;
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int status = pclose(pipe);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
    {
        missing = "python3-openpyxl is not installed for " + std::string(kReaderPython);
        return std::nullopt;
    }
    ReadSheet sheet;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        ADD_FAILURE() << "the reader could not open the file:\n" << output;
        return sheet;
    }
    std::istringstream lines(output);
    std::string line;
    std::getline(lines, line);
    std::istringstream(line) >> sheet.rows >> sheet.columns;
    while (std::getline(lines, line))
    {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (int i = 0; i < 4; ++i)
        {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        ReadCell& cell = sheet.cells[{std::stoi(fields[0]), std::stoi(fields[1])}];
        cell.type = fields[2].empty() ? '?' : fields[2][0];
        cell.bold = fields[3] == "1";
        cell.value = Unescape(line.substr(start));
    }
    return sheet;
}

class ExcelExport : public ::testing::Test
{
protected:
    ScopedTempDir m_temp;
    fs::path m_folder = m_temp.Path() / "exports";
    ScopedEnv m_exportDir{"KIVO_EXPORT_DIR", m_folder.c_str()};

    static Sheet SmallSheet()
    {
        Sheet sheet;
        sheet.header = {{"Id", 4}, {"Qty", 1}, {"Price", 2}, {"Name", 3}, {"Note", -1}};
        sheet.rows = {{"1001", "12", "10.50", "Alpha", "7"},
                      {"1002", " 3 ", "-", "42", "x"},
                      {"9007199254740993", "NA", "-0.25", "Caf\xE9", ""}};
        return sheet;
    }
};

TEST_F(ExcelExport, AReaderFindsABoldHeaderNumbersAsNumbersAndTextAsText)
{
    Sheet sheet = SmallSheet();
    ASSERT_EQ(sheet.Export("Request List"), 1) << sheet.error;

    std::string missing;
    const auto read = ReadBack(sheet.path, m_temp.Path(), missing);
    if (!read)
        GTEST_SKIP() << "cannot read the file back: " << missing;
    EXPECT_EQ(read->rows, 4);
    EXPECT_EQ(read->columns, 5);

    const auto expectCell = [&](int row, int column, char type, const std::string& value) {
        const auto found = read->cells.find({row, column});
        ASSERT_NE(found, read->cells.end()) << "row " << row << " column " << column;
        EXPECT_EQ(found->second.type, type) << "row " << row << " column " << column;
        EXPECT_EQ(found->second.value, value) << "row " << row << " column " << column;
        EXPECT_EQ(found->second.bold, row == 1) << "row " << row << " column " << column;
    };
    expectCell(1, 1, 's', "Id");
    expectCell(1, 2, 's', "Qty");
    expectCell(1, 5, 's', "Note");

    expectCell(2, 1, 'n', "1001.0");
    expectCell(2, 2, 'n', "12.0");
    expectCell(2, 3, 'n', "10.5");
    expectCell(2, 4, 's', "Alpha");
    expectCell(2, 5, 's', "7"); // a column without a type stays text

    expectCell(3, 2, 'n', "3.0"); // blanks around a number are trimmed
    expectCell(3, 3, 's', "-");
    expectCell(3, 4, 's', "42"); // a text column keeps its numbers as text

    expectCell(4, 1, 's', "9007199254740993"); // a 64-bit id a double cannot hold stays text
    expectCell(4, 2, 's', "NA");
    expectCell(4, 3, 'n', "-0.25");
    expectCell(4, 4, 's', "Caf\xC3\xA9"); // Windows-1252 text arrives as UTF-8
    EXPECT_EQ(read->cells.count({4, 5}), 0u) << "an empty cell is no cell";
}

TEST_F(ExcelExport, TheProviderIsAskedForEveryCellOnceRowByRow)
{
    Sheet sheet = SmallSheet();
    ASSERT_EQ(sheet.Export(), 1) << sheet.error;
    std::vector<std::pair<int, int>> expected;
    for (int row = 0; row <= 3; ++row)
        for (int column = 0; column < 5; ++column)
            expected.emplace_back(row, column);
    EXPECT_EQ(sheet.asked, expected);
}

TEST_F(ExcelExport, TheFileIsNamedAfterTheListAndTheTimeInTheExportFolder)
{
    EXPECT_FALSE(fs::exists(m_folder));
    const std::time_t before = std::time(nullptr);
    Sheet sheet = SmallSheet();
    ASSERT_EQ(sheet.Export("Pending: a/b"), 1) << sheet.error;
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(sheet.error.empty());

    const fs::path written(sheet.path);
    EXPECT_EQ(written.parent_path(), m_folder) << "the folder is created when missing";
    std::smatch match;
    const std::string name = written.filename().string();
    ASSERT_TRUE(std::regex_match(name, match, std::regex(R"(Pending_ a_b_(\d{8}_\d{6})\.xlsx)"))) << name;
    std::tm stamp{};
    ASSERT_NE(strptime(match[1].str().c_str(), "%Y%m%d_%H%M%S", &stamp), nullptr);
    stamp.tm_isdst = -1;
    const std::time_t when = std::mktime(&stamp);
    EXPECT_GE(when, before);
    EXPECT_LE(when, after) << "local time of the export";

    // A second export in the same second must not replace the first.
    Sheet again = SmallSheet();
    ASSERT_EQ(again.Export("Pending: a/b"), 1) << again.error;
    EXPECT_NE(again.path, sheet.path);
    EXPECT_TRUE(fs::exists(sheet.path));
    EXPECT_TRUE(fs::exists(again.path));
    EXPECT_EQ(FilesIn(m_folder).size(), 2u) << "nothing else is left in the folder";

    CExcelInterface unnamed(2, 1);
    EXPECT_EQ(unnamed.GetListName(), "Export");
    unnamed.SetListName("");
    EXPECT_EQ(unnamed.GetListName(), "Export");
    EXPECT_TRUE(unnamed.GetFilePath().empty()) << "nothing written yet";
}

TEST_F(ExcelExport, TheDefaultFolderFollowsTheDataHome)
{
    ScopedEnv noOverride("KIVO_EXPORT_DIR", "");
    ScopedEnv dataHome("XDG_DATA_HOME", (m_temp.Path() / "data").c_str());
    ScopedEnv home("HOME", (m_temp.Path() / "home").c_str());
    EXPECT_EQ(CExcelInterface::GetExportFolder(), (m_temp.Path() / "data/DarvKIVO/Exports").string())
        << "an empty override counts as none";

    Sheet sheet = SmallSheet();
    ASSERT_EQ(sheet.Export(), 1) << sheet.error;
    EXPECT_EQ(fs::path(sheet.path).parent_path(), m_temp.Path() / "data/DarvKIVO/Exports");

    {
        ScopedEnv relative("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(CExcelInterface::GetExportFolder(), (m_temp.Path() / "home/.local/share/DarvKIVO/Exports").string())
            << "a relative data home is ignored";
    }
    {
        ScopedEnv unset("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(CExcelInterface::GetExportFolder(), (m_temp.Path() / "home/.local/share/DarvKIVO/Exports").string());
    }
    ScopedEnv override("KIVO_EXPORT_DIR", "/somewhere/else");
    EXPECT_EQ(CExcelInterface::GetExportFolder(), "/somewhere/else");
}

TEST_F(ExcelExport, AFolderThatCannotBeMadeOrWrittenFailsWithoutAskingTheList)
{
    std::ofstream(m_temp.Path() / "blocker") << "a file where a folder should be";
    {
        ScopedEnv blocked("KIVO_EXPORT_DIR", (m_temp.Path() / "blocker" / "exports").c_str());
        Sheet sheet = SmallSheet();
        EXPECT_EQ(sheet.Export(), 0);
        EXPECT_TRUE(sheet.path.empty());
        EXPECT_FALSE(sheet.error.empty());
        EXPECT_TRUE(sheet.asked.empty());
    }
    {
        ScopedEnv isAFile("KIVO_EXPORT_DIR", (m_temp.Path() / "blocker").c_str());
        Sheet sheet = SmallSheet();
        EXPECT_EQ(sheet.Export(), 0);
        EXPECT_TRUE(sheet.asked.empty());
    }
    if (geteuid() != 0) // permissions do not stop the superuser
    {
        fs::create_directories(m_folder);
        ASSERT_EQ(chmod(m_folder.c_str(), 0555), 0);
        Sheet sheet = SmallSheet();
        EXPECT_EQ(sheet.Export(), 0);
        EXPECT_TRUE(sheet.asked.empty());
        chmod(m_folder.c_str(), 0755);
        EXPECT_TRUE(FilesIn(m_folder).empty());
    }
}

TEST_F(ExcelExport, SizesASheetCannotHoldFailBeforeAnythingIsAsked)
{
    int asked = 0;
    const auto provider = [](void* context, int, int, std::string&, int&) {
        ++*static_cast<int*>(context);
        return 1;
    };
    for (const auto& [rows, columns] : {std::pair{1048577, 2}, std::pair{2, 16385}, std::pair{0, 2}, std::pair{2, 0},
                                        std::pair{-1, 2}})
    {
        CExcelInterface exporter(rows, columns);
        exporter.m_pfnCellProvider = provider;
        exporter.m_pContext = &asked;
        EXPECT_EQ(exporter.WriteToExcel(), 0) << rows << " x " << columns;
        EXPECT_FALSE(exporter.GetErrorText().empty());
    }
    EXPECT_EQ(asked, 0);

    CExcelInterface noProvider(2, 2);
    EXPECT_EQ(noProvider.WriteToExcel(), 0);
    EXPECT_FALSE(fs::exists(m_folder) && !FilesIn(m_folder).empty()) << "no file for any of them";
}

TEST_F(ExcelExport, TextsAreMeasuredInCharactersUpToTheLimit)
{
    Sheet sheet;
    sheet.header = {{"Text", 3}};
    sheet.rows = {{std::string(32767, 'a')}};
    // 32,767 two-byte characters are twice as many bytes but still within the limit.
    std::string accented;
    for (int i = 0; i < 32767; ++i)
        accented += "\xC3\xA9";
    sheet.rows.push_back({accented});
    ASSERT_EQ(sheet.Export(), 1) << sheet.error;

    std::string missing;
    const auto read = ReadBack(sheet.path, m_temp.Path(), missing);
    if (!read)
        GTEST_SKIP() << "cannot read the file back: " << missing;
    EXPECT_EQ(read->cells.at(std::make_pair(2, 1)).value, std::string(32767, 'a'));
    EXPECT_EQ(read->cells.at(std::make_pair(3, 1)).value, accented);
}

TEST_F(ExcelExport, AnOverLongTextOrAListThatGivesUpLeavesNoFile)
{
    Sheet tooLong;
    tooLong.header = {{"Name", 3}, {"Note", 3}};
    tooLong.rows = {{"short", "fine"}, {"short", std::string(32768, 'b')}, {"never", "asked"}};
    EXPECT_EQ(tooLong.Export(), 0);
    EXPECT_TRUE(tooLong.path.empty());
    EXPECT_NE(tooLong.error.find("row 2, column 1"), std::string::npos) << tooLong.error;
    EXPECT_EQ(tooLong.asked.back(), std::make_pair(2, 1)) << "nothing is asked after the failure";
    EXPECT_TRUE(FilesIn(m_folder).empty()) << "not even the partial file";

    // Characters above U+FFFF count twice: 16,384 of them are 32,768 units.
    Sheet pairs;
    pairs.header = {{"Emoji", 3}};
    std::string emoji;
    for (int i = 0; i < 16384; ++i)
        emoji += "\xF0\x9F\x98\x80";
    pairs.rows = {{emoji}};
    EXPECT_EQ(pairs.Export(), 0);

    Sheet givesUp = SmallSheet();
    givesUp.stopAtRow = 2;
    EXPECT_EQ(givesUp.Export(), 0);
    EXPECT_EQ(givesUp.asked.back(), std::make_pair(2, 0));
    EXPECT_TRUE(FilesIn(m_folder).empty());

    Sheet fine = SmallSheet();
    EXPECT_EQ(fine.Export(), 1) << "a failure leaves the exporter's folder usable";
    EXPECT_EQ(FilesIn(m_folder).size(), 1u);
}

} // namespace
