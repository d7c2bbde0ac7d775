// The spreadsheet exporter the lists hand their contents to: one sheet with a bold header row and
// one row per list item, written as an .xlsx file into the export folder.
//
// A list constructs it with its row count (items + 1 for the header) and column count, sets the
// cell provider and then the context passed back to it, and calls WriteToExcel once.
#pragma once

#include <string>

class CExcelInterface
{
public:
    // Asked once for every cell, row by row and column by column within a row, starting with the
    // header row 0. Fills 'text' (given empty) and may set 'dataType' (given -1) to a column data
    // type: 1 integer, 2/5/7/9 decimal, 3/8 text, 4 64-bit integer, 6 date-time text. The type
    // reported with the header row is the column's; a data row reports -1 to keep the column's.
    // Returns 1; 0 abandons the export, which then fails.
    using CellProvider = int (*)(void* context, int row, int column, std::string& text, int& dataType);

    // rows counts the header row. The file is named after the list, "Export" unless given.
    CExcelInterface(int rows, int columns);
    CExcelInterface(int rows, int columns, std::string listName);
    ~CExcelInterface();
    CExcelInterface(const CExcelInterface&) = delete;
    CExcelInterface& operator=(const CExcelInterface&) = delete;

    // Set by the list after construction, in this order.
    CellProvider m_pfnCellProvider = nullptr;
    void* m_pContext = nullptr;

    // Writes "<list name>_YYYYMMDD_HHMMSS.xlsx" (local time; "_2", "_3" ... is added when a file of
    // that name exists) into GetExportFolder(). Cells of the numeric types (1, 2, 4, 5, 7, 9) whose
    // whole text, blanks trimmed, is a number are stored as numbers; everything else, "-", "NA" and
    // empty cells included, as text. Integers beyond 2^53 stay text so that no digit is lost.
    // Non-zero on success. On failure (no provider, nothing to write, more than 1,048,576 rows or
    // 16,384 columns, a folder that cannot be created or written, a text over 32,767 characters,
    // the provider giving up, a writer error) returns 0 and leaves no file behind.
    int WriteToExcel();
    // The same into the file named, replacing it (its folder is made when missing): for
    // programs that are told where to write rather than the lists' export folder.
    int WriteToExcel(const std::string& filePath);

    // Characters a file name cannot hold become '_'; an empty name means "Export".
    void SetListName(const std::string& listName);
    const std::string& GetListName() const { return m_strListName; }

    // The full path of the file the last successful WriteToExcel wrote, for the host's log;
    // empty before that and after a failure.
    std::string GetFilePath() const { return m_strFilePath; }
    // Why the last WriteToExcel failed; empty after a success.
    std::string GetErrorText() const { return m_strError; }

    // $KIVO_EXPORT_DIR when set and not empty; else $XDG_DATA_HOME (when absolute), else
    // ~/.local/share, followed by "/DarvKIVO/Exports". Empty when there is no home folder.
    static std::string GetExportFolder();

private:
    int Write(const std::string& filePath);
    int Fail(std::string reason);

    int m_nRows;
    int m_nColumns;
    std::string m_strListName;
    std::string m_strFilePath;
    std::string m_strError;
};
