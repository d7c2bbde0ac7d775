// Where the server keeps its database unless told otherwise: the user's data folder
// ($XDG_DATA_HOME, else ~/.local/share), in kivo/kivo-oms.db. The terminal, the server and the
// maker tool agree on it, so that a maker's request reaches the terminal the user runs.
#pragma once

#include <string>

namespace oms
{

std::string DefaultDatabasePath();

} // namespace oms
