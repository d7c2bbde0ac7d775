#include "oms/DataFolder.h"

#include <cstdlib>
#include <filesystem>

namespace oms
{

std::string DefaultDatabasePath()
{
    std::filesystem::path folder;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        folder = data;
    else if (const char* home = std::getenv("HOME"); home && *home)
        folder = std::filesystem::path(home) / ".local" / "share";
    else
        folder = std::filesystem::temp_directory_path();
    return (folder / "kivo" / "kivo-oms.db").string();
}

} // namespace oms
