// How the exporter reads the texts the lists give it: which cells become numbers, how long a text
// is in the spreadsheet's own measure, and how texts and list names are made safe to write.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace excel
{

// The largest text a cell holds, in UTF-16 code units as the format counts them.
constexpr std::size_t kMaxCellTextLength = 32767;

// Column data types whose cells are stored as numbers when their text is one.
bool IsNumericDataType(int dataType);

// The number a cell's whole text (blanks trimmed) stands for: an optional sign, digits with an
// optional decimal point and an optional exponent. Infinity, NaN, hexadecimal, thousands
// separators and integers too large for a double to hold exactly give nullopt.
std::optional<double> NumericCellValue(std::string_view text);

bool IsValidUtf8(std::string_view text);

// The text as valid UTF-8: valid sequences are kept, any other byte is read as Windows-1252
// (the code page the lists' texts come from on Windows).
std::string ToUtf8(std::string_view text);

// Length of valid UTF-8 text in UTF-16 code units.
std::size_t Utf16Length(std::string_view utf8);

// A list name fit to start a file name: characters no file name may hold become '_', blanks and
// dots are trimmed from both ends, the length is cut to 100 bytes on a character boundary, and
// an empty result is "Export".
std::string FileNameStem(std::string_view listName);

} // namespace excel
