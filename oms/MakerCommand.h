// The words in which a maker writes a request, on the command line or one a line in a file:
//
//     [maker=ID] VERB ENTITY [FIELD=VALUE ...]
//
// VERB is add-user, modify-user, delete-user, add-account, modify-account, delete-account or
// limits; ENTITY a user or account id, or for limits an owner such as client:KVC10001. FIELD is
// a field's name (docs/server.md) or id. A value with spaces is quoted ("Asha Rao"); inside
// quotes a backslash makes the next quote or backslash part of the value.
#pragma once

#include "oms/MakerRequest.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oms
{

class MakerCommand
{
public:
    // Splits a line into words as a shell would for these simple cases; nothing (and 'error')
    // for an unclosed quote.
    static std::optional<std::vector<std::string>> Split(std::string_view line, std::string* error);
    // The request the words say; 'maker' unless a maker=ID word comes first.
    static std::optional<MakerRequest> Parse(const std::vector<std::string>& words, const std::string& maker,
                                             std::string* error);
    // The verb of a request type ("modify-user" for 340).
    static const char* VerbOf(int type);
};

} // namespace oms
