#include "excel/ExcelInterface.h"

#include "CellText.h"

#include <xlsxwriter.h>

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace
{

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFolder()
{
    std::string home = Environment("HOME");
    if (!home.empty())
        return home;
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        home = found->pw_dir;
    return home;
}

std::string LocalTimestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &local);
    return text;
}

// The first of "<stem>.xlsx", "<stem>_2.xlsx" ... that nothing in the folder is called yet, so that
// two exports within one second both survive.
fs::path UnusedFileName(const fs::path& folder, const std::string& stem)
{
    std::error_code ec;
    fs::path candidate = folder / (stem + ".xlsx");
    for (int n = 2; fs::symlink_status(candidate, ec).type() != fs::file_type::not_found; ++n)
        candidate = folder / (stem + "_" + std::to_string(n) + ".xlsx");
    return candidate;
}

// The file being written under a hidden name; removed unless the export went through, so that a
// failure leaves nothing half-written in the folder.
class PartialFile
{
public:
    explicit PartialFile(fs::path path) : m_path(std::move(path)) {}
    ~PartialFile()
    {
        if (m_created && !m_kept)
        {
            std::error_code ignored;
            fs::remove(m_path, ignored);
        }
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // Creates the file empty, which also proves that the folder takes new files.
    bool Create()
    {
        const int fd = ::open(m_path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd < 0)
            return false;
        ::close(fd);
        m_created = true;
        return true;
    }
    void Keep() { m_kept = true; }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
    bool m_created = false;
    bool m_kept = false;
};

struct WorkbookDiscard
{
    void operator()(lxw_workbook* book) const { lxw_workbook_free(book); }
};
using WorkbookPtr = std::unique_ptr<lxw_workbook, WorkbookDiscard>;

std::string CellName(int row, int column)
{
    return "row " + std::to_string(row) + ", column " + std::to_string(column);
}

} // namespace

CExcelInterface::CExcelInterface(int rows, int columns) : CExcelInterface(rows, columns, "Export") {}

CExcelInterface::CExcelInterface(int rows, int columns, std::string listName)
    : m_nRows(rows), m_nColumns(columns)
{
    SetListName(listName);
}

CExcelInterface::~CExcelInterface() = default;

void CExcelInterface::SetListName(const std::string& listName)
{
    m_strListName = excel::FileNameStem(listName);
}

std::string CExcelInterface::GetExportFolder()
{
    std::string folder = Environment("KIVO_EXPORT_DIR");
    if (!folder.empty())
        return folder;
    std::string data = Environment("XDG_DATA_HOME");
    if (data.empty() || data.front() != '/')
    {
        const std::string home = HomeFolder();
        if (home.empty())
            return "";
        data = home + "/.local/share";
    }
    return data + "/DarvKIVO/Exports";
}

int CExcelInterface::Fail(std::string reason)
{
    m_strError = std::move(reason);
    m_strFilePath.clear();
    return 0;
}

int CExcelInterface::WriteToExcel()
{
    return Write(std::string());
}

int CExcelInterface::WriteToExcel(const std::string& filePath)
{
    if (filePath.empty())
        return Fail("no file was named to write");
    return Write(filePath);
}

int CExcelInterface::Write(const std::string& filePath)
{
    m_strFilePath.clear();
    m_strError.clear();
    if (!m_pfnCellProvider)
        return Fail("no cell provider is set");
    if (m_nRows < 1 || m_nColumns < 1)
        return Fail("there is nothing to write");
    if (m_nRows > LXW_ROW_MAX)
        return Fail(std::to_string(m_nRows) + " rows are more than a sheet holds (" +
                    std::to_string(LXW_ROW_MAX) + ")");
    if (m_nColumns > LXW_COL_MAX)
        return Fail(std::to_string(m_nColumns) + " columns are more than a sheet holds (" +
                    std::to_string(LXW_COL_MAX) + ")");

    const std::string folderName =
        filePath.empty() ? GetExportFolder() : fs::absolute(fs::path(filePath)).parent_path().string();
    if (folderName.empty())
        return Fail("there is no export folder: no home folder is known");
    const fs::path folder(folderName);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec))
        return Fail("the export folder " + folderName + " cannot be created");

    const std::string stem = m_strListName + "_" + LocalTimestamp();
    PartialFile partial(folder / ("." + stem + "." + std::to_string(getpid()) + ".partial"));
    if (!partial.Create())
        return Fail("cannot write into the export folder " + folderName + ": " + std::strerror(errno));

    // Rows go to disk as they are finished, so a full sheet does not have to fit in memory.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    WorkbookPtr book(workbook_new_opt(partial.Path().c_str(), &options));
    lxw_worksheet* sheet = book ? workbook_add_worksheet(book.get(), nullptr) : nullptr;
    lxw_format* bold = book ? workbook_add_format(book.get()) : nullptr;
    if (!sheet || !bold)
        return Fail("the spreadsheet writer cannot start a workbook");
    format_set_bold(bold);
    worksheet_freeze_panes(sheet, 1, 0);

    std::vector<int> columnTypes(static_cast<std::size_t>(m_nColumns), -1);
    std::string text;
    for (int row = 0; row < m_nRows; ++row)
    {
        for (int column = 0; column < m_nColumns; ++column)
        {
            text.clear();
            int dataType = -1;
            if (m_pfnCellProvider(m_pContext, row, column, text, dataType) == 0)
                return Fail("the list stopped the export at " + CellName(row, column));
            int& columnType = columnTypes[static_cast<std::size_t>(column)];
            if (row == 0)
                columnType = dataType;
            else if (dataType == -1)
                dataType = columnType;

            const auto sheetRow = static_cast<lxw_row_t>(row);
            const auto sheetColumn = static_cast<lxw_col_t>(column);
            std::optional<double> number;
            if (row > 0 && excel::IsNumericDataType(dataType))
                number = excel::NumericCellValue(text);
            lxw_error result;
            if (number)
                result = worksheet_write_number(sheet, sheetRow, sheetColumn, *number, nullptr);
            else
            {
                if (!excel::IsValidUtf8(text))
                    text = excel::ToUtf8(text);
                // A UTF-16 text is never longer than its UTF-8 form, so only long texts need counting.
                if (text.size() > excel::kMaxCellTextLength &&
                    excel::Utf16Length(text) > excel::kMaxCellTextLength)
                    return Fail("the text at " + CellName(row, column) + " is longer than 32,767 characters");
                result = worksheet_write_string(sheet, sheetRow, sheetColumn, text.c_str(),
                                                row == 0 ? bold : nullptr);
            }
            if (result != LXW_NO_ERROR)
                return Fail("the spreadsheet writer refused " + CellName(row, column) + ": " +
                            lxw_strerror(result));
        }
    }

    const lxw_error closed = workbook_close(book.release());
    if (closed != LXW_NO_ERROR)
        return Fail(std::string("the spreadsheet file cannot be written: ") + lxw_strerror(closed));
    const fs::path target = filePath.empty() ? UnusedFileName(folder, stem) : fs::path(filePath);
    fs::rename(partial.Path(), target, ec);
    if (ec)
        return Fail("the spreadsheet file cannot be given its name " + target.string() + ": " + ec.message());
    partial.Keep();
    m_strFilePath = target.string();
    return 1;
}
