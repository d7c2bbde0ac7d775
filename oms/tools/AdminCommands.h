// The commands of kivo-oms that look after the deployment rather than serve: who may use the
// message bus (bus ...) and the decision log's audit trail (audit ...). They open the database
// beside a running server (they do not take its lock); SQLite orders their writes with its own.
#pragma once

#include <string>
#include <vector>

namespace oms::tools
{

// 'args' are the command's words after "bus" or "audit"; the exit code.
int RunBusCommand(const std::string& databasePath, const std::vector<std::string>& args);
int RunAuditCommand(const std::string& databasePath, const std::vector<std::string>& args);

extern const char* const kAdminUsage;

} // namespace oms::tools
