// The spreadsheet export as a list drives it: every cell asked for once, the file named and placed
// as documented and read back with an independent reader, and failures leaving the folder empty.
#include "excel/ExcelInterface.h"
#include "support/ScopedTempDir.h"
#include "support/XlsxReadBack.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace
{

// A list as the exporter sees it: typed header cells (type -1: no column description) and rows.
struct Sheet
{
    Sheet(std::vector<std::pair<std::string, int>> h, std::vector<std::vector<std::string>> r)
        : header(std::move(h)), rows(std::move(r))
    {
    }
    std::vector<std::pair<std::string, int>> header;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::pair<int, int>> asked;
    int stopAtRow = -1; // the provider gives up here
    std::string path;
    std::string error;

    static int Provide(void* context, int row, int column, std::string& text, int& dataType)
    {
        auto& sheet = *static_cast<Sheet*>(context);
        sheet.asked.emplace_back(row, column);
        if (row == sheet.stopAtRow)
            return 0;
        const auto c = static_cast<std::size_t>(column);
        if (row > 0)
        {
            text = sheet.rows[static_cast<std::size_t>(row - 1)][c];
            return 1;
        }
        text = sheet.header[c].first;
        if (sheet.header[c].second != -1)
            dataType = sheet.header[c].second;
        return 1;
    }

    int Export(const std::string& listName = "Export")
    {
        CExcelInterface exporter(static_cast<int>(rows.size()) + 1, static_cast<int>(header.size()),
                                 listName);
        exporter.m_pfnCellProvider = &Sheet::Provide;
        exporter.m_pContext = this;
        const int result = exporter.WriteToExcel();
        path = exporter.GetFilePath();
        error = exporter.GetErrorText();
        return result;
    }
};

Sheet SmallSheet()
{
    return Sheet({{"Id", 4}, {"Qty", 1}, {"Price", 2}, {"Name", 3}, {"Note", -1}},
                 {{"1001", "12", "10.50", "Alpha", "7"},
                  {"1002", " 3 ", "-", "42", "x"},
                  {"9007199254740993", "NA", "-0.25", "Caf\xE9", ""}});
}

std::size_t FileCount(const fs::path& folder)
{
    std::error_code ec;
    return fs::exists(folder, ec)
               ? static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}))
               : 0;
}

class ExcelExport : public ::testing::Test
{
protected:
    ScopedTempDir m_temp;
    fs::path m_folder = m_temp.Path() / "exports";
    ScopedEnv m_exportDir{"KIVO_EXPORT_DIR", m_folder.c_str()};
};

TEST_F(ExcelExport, AReaderFindsABoldHeaderNumbersAsNumbersAndTextAsText)
{
    Sheet sheet = SmallSheet();
    ASSERT_EQ(sheet.Export(), 1) << sheet.error;
    std::string missing;
    const auto cells = ReadXlsxCells(sheet.path, m_temp.Path(), missing);
    if (!missing.empty())
        GTEST_SKIP() << "cannot read the file back: " << missing;

    // Cell type ('s' text, 'n' number), bold, value; the empty cell of row 4 is no cell.
    // clang-format off
    const std::map<std::string, std::string> expected = {
        {"1,1", "s 1 Id"}, {"1,2", "s 1 Qty"}, {"1,3", "s 1 Price"}, {"1,4", "s 1 Name"}, {"1,5", "s 1 Note"},
        {"2,1", "n 0 1001"}, {"2,2", "n 0 12"}, {"2,3", "n 0 10.5"}, {"2,4", "s 0 Alpha"}, {"2,5", "s 0 7"},
        {"3,1", "n 0 1002"}, {"3,2", "n 0 3"}, {"3,3", "s 0 -"}, {"3,4", "s 0 42"}, {"3,5", "s 0 x"},
        {"4,1", "s 0 9007199254740993"}, {"4,2", "s 0 NA"}, {"4,3", "n 0 -0.25"}, {"4,4", "s 0 Caf\xC3\xA9"}};
    // clang-format on
    EXPECT_EQ(cells, expected);
}

TEST_F(ExcelExport, EveryCellIsAskedOnceIntoAFileNamedAfterTheListAndTheTime)
{
    const std::time_t before = std::time(nullptr);
    Sheet sheet = SmallSheet();
    ASSERT_EQ(sheet.Export("Pending: a/b"), 1) << sheet.error;
    const std::time_t after = std::time(nullptr);

    std::vector<std::pair<int, int>> expected;
    for (int row = 0; row <= 3; ++row)
        for (int column = 0; column < 5; ++column)
            expected.emplace_back(row, column);
    EXPECT_EQ(sheet.asked, expected);

    const fs::path written(sheet.path);
    EXPECT_EQ(written.parent_path(), m_folder) << "created when missing";
    std::smatch match;
    const std::string name = written.filename().string();
    ASSERT_TRUE(std::regex_match(name, match, std::regex(R"(Pending_ a_b_(\d{8}_\d{6})\.xlsx)"))) << name;
    std::tm stamp{};
    ASSERT_TRUE(strptime(match[1].str().c_str(), "%Y%m%d_%H%M%S", &stamp));
    stamp.tm_isdst = -1;
    EXPECT_GE(std::mktime(&stamp), before);
    EXPECT_LE(std::mktime(&stamp), after) << "local time";

    Sheet again = SmallSheet();
    ASSERT_EQ(again.Export("Pending: a/b"), 1);
    EXPECT_NE(again.path, sheet.path) << "a second export within the second keeps the first";
    EXPECT_EQ(FileCount(m_folder), 2u) << "and nothing else is left behind";
}

TEST_F(ExcelExport, TheDefaultFolderFollowsTheDataHome)
{
    ScopedEnv emptyOverride("KIVO_EXPORT_DIR", "");
    ScopedEnv home("HOME", (m_temp.Path() / "home").c_str());
    {
        ScopedEnv dataHome("XDG_DATA_HOME", (m_temp.Path() / "data").c_str());
        Sheet sheet = SmallSheet();
        ASSERT_EQ(sheet.Export(), 1) << sheet.error;
        EXPECT_EQ(fs::path(sheet.path).parent_path(), m_temp.Path() / "data/DarvKIVO/Exports");
    }
    const std::string underHome = (m_temp.Path() / "home/.local/share/DarvKIVO/Exports").string();
    ScopedEnv relative("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(CExcelInterface::GetExportFolder(), underHome) << "a relative data home is ignored";
    ScopedEnv unset("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(CExcelInterface::GetExportFolder(), underHome);
}

TEST_F(ExcelExport, FoldersAndSizesThatCannotBeWrittenFailBeforeTheListIsAsked)
{
    std::ofstream(m_temp.Path() / "blocker") << "a file where a folder should be";
    for (const fs::path& folder : {m_temp.Path() / "blocker" / "exports", m_temp.Path() / "blocker"})
    {
        ScopedEnv blocked("KIVO_EXPORT_DIR", folder.c_str());
        Sheet sheet = SmallSheet();
        EXPECT_EQ(sheet.Export(), 0) << folder;
        EXPECT_TRUE(sheet.path.empty());
        EXPECT_FALSE(sheet.error.empty());
        EXPECT_TRUE(sheet.asked.empty());
    }

    int asked = 0;
    for (const auto& [rows, columns] :
         {std::pair{1048577, 2}, std::pair{2, 16385}, std::pair{0, 2}, std::pair{2, 0}})
    {
        CExcelInterface exporter(rows, columns);
        exporter.m_pfnCellProvider = [](void* context, int, int, std::string&, int&)
        {
            ++*static_cast<int*>(context);
            return 1;
        };
        exporter.m_pContext = &asked;
        EXPECT_EQ(exporter.WriteToExcel(), 0) << rows << " x " << columns;
    }
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(CExcelInterface(2, 2).WriteToExcel(), 0) << "no provider";
    EXPECT_EQ(FileCount(m_folder), 0u);
}

TEST_F(ExcelExport, AnOverLongTextOrAListThatGivesUpLeavesNoFile)
{
    // The limit counts characters in UTF-16 units: 32,767 two-byte characters fit, 16,384
    // characters above U+FFFF (surrogate pairs) do not.
    std::string accented;
    std::string emoji;
    for (int i = 0; i < 32767; ++i)
        accented += "\xC3\xA9";
    for (int i = 0; i < 16384; ++i)
        emoji += "\xF0\x9F\x98\x80";
    Sheet fits({{"Text", 3}}, {{std::string(32767, 'a')}, {accented}});
    EXPECT_EQ(fits.Export(), 1) << fits.error;
    fs::remove(fits.path);

    Sheet tooLong({{"Name", 3}, {"Note", 3}},
                  {{"a", "b"}, {"c", std::string(32768, 'd')}, {"never", "asked"}});
    EXPECT_EQ(tooLong.Export(), 0);
    EXPECT_NE(tooLong.error.find("row 2, column 1"), std::string::npos) << tooLong.error;
    EXPECT_EQ(tooLong.asked.back(), std::make_pair(2, 1)) << "nothing is asked after the failure";
    Sheet pairs({{"Emoji", 3}}, {{emoji}});
    EXPECT_EQ(pairs.Export(), 0);

    Sheet givesUp = SmallSheet();
    givesUp.stopAtRow = 2;
    EXPECT_EQ(givesUp.Export(), 0);
    EXPECT_EQ(givesUp.asked.back(), std::make_pair(2, 0));
    EXPECT_TRUE(givesUp.path.empty());
    EXPECT_EQ(FileCount(m_folder), 0u) << "not even the partial file";
}

} // namespace
