// The text files the terminal is given on its command line (profile, script), read safely.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace host
{

// The longest profile or script the terminal reads; anything longer is a mistake, not a script.
constexpr std::size_t kLargestTextFile = 16u << 20;

// Reads the plain file at path into lines (without their line ends; a UTF-8 byte-order mark at
// the start is skipped, as editors write one). A folder, device, pipe or a file larger than
// kLargestTextFile is refused before it is read. Returns an error text naming what (for example
// "script") and the path, or nothing.
std::optional<std::string> ReadTextLines(const std::string& path, const std::string& what,
                                         std::vector<std::string>& lines);

} // namespace host
