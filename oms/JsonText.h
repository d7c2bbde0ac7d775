// JSON text the server writes itself: the log collector's lines and the changed fields a request
// keeps in its row.
#pragma once

#include <string>
#include <string_view>

namespace oms
{

// 'text' as a JSON string, quotes included, appended to 'out'. Quotes, backslashes and control
// bytes are escaped; every other byte goes as it is, so that text comes back byte for byte.
void AppendJsonString(std::string& out, std::string_view text);

} // namespace oms
