// Reads an exported workbook back with an independent reader (openpyxl), so export tests check
// what a spreadsheet program would see rather than what our writer meant to write.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

inline constexpr const char* kXlsxPython = "/usr/bin/python3";

// Prints "row,column type bold value" per cell that holds something; exit 3 without openpyxl.
inline constexpr const char* kXlsxReader = R"(import sys
try:
    import openpyxl
except ImportError:
    sys.exit(3)
for row in openpyxl.load_workbook(sys.argv[1]).worksheets[0].iter_rows():
    for c in row:
        if c.value is not None:
            print('%d,%d %s %d %s' % (c.row, c.column, c.data_type, 1 if c.font.b else 0, c.value))
)";

// The cells as openpyxl reads them, keyed "row,column"; empty with 'missing' set when it cannot run.
inline std::map<std::string, std::string> ReadXlsxCells(const std::string& file,
                                                        const std::filesystem::path& scratch,
                                                        std::string& missing)
{
    std::map<std::string, std::string> cells;
    if (access(kXlsxPython, X_OK) != 0)
    {
        missing = std::string(kXlsxPython) + " is missing";
        return cells;
    }
    std::ofstream(scratch / "reader.py") << kXlsxReader;
    FILE* pipe = popen(
        (std::string(kXlsxPython) + " '" + (scratch / "reader.py").string() + "' '" + file + "'").c_str(), "r");
    std::string output;
    char buffer[4096];
    while (const std::size_t n = pipe ? fread(buffer, 1, sizeof buffer, pipe) : 0)
        output.append(buffer, n);
    const int status = pipe ? pclose(pipe) : -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 3)
    {
        missing = "python3-openpyxl is not installed for " + std::string(kXlsxPython);
        return cells;
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the reader cannot open the file";
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        cells[line.substr(0, line.find(' '))] = line.substr(line.find(' ') + 1);
    return cells;
}
