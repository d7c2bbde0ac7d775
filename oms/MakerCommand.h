// The words in which a maker writes a request, on the command line or one a line in a file:
//
//     [maker=ID] VERB ENTITY [FIELD=VALUE ...]
//
// VERB is add-user, modify-user, delete-user, add-account, modify-account, delete-account or
// limits; ENTITY a user or account id, or for limits an owner such as client:KVC10001. FIELD is
// a field's name (docs/server.md) or id. A value with spaces is quoted ("Asha Rao"); inside
// quotes a backslash makes the next quote or backslash part of the value.
//
// Over the message bus a makers' tool sends the same lines to the server's function
// kEnterFunction, one line a value of field kLineField, with its maker in 54247 for lines that
// do not name one; the server enters them all in one transaction or, when one is refused, none.
#pragma once

#include "oms/MakerRequest.h"
#include "protocol/Functions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oms
{

class MakerCommand
{
public:
    static constexpr const char* kEnterFunction = protocol::kEnterFunction;
    static constexpr std::int32_t kLineField = 1;

    struct Line
    {
        MakerRequest request;
        int number = 0; // from 1, counting blank and comment lines
    };

    // Splits a line into words as a shell would for these simple cases; nothing (and 'error')
    // for an unclosed quote.
    static std::optional<std::vector<std::string>> Split(std::string_view line, std::string* error);
    // The request the words say; 'maker' unless a maker=ID word comes first.
    static std::optional<MakerRequest> Parse(const std::vector<std::string>& words, const std::string& maker,
                                             std::string* error);
    // The requests of a file's lines, blank lines and '#' comments skipped; nothing, with the
    // reason in 'error' and the line's number in 'badLine', when a line says no request.
    static std::optional<std::vector<Line>> ParseLines(const std::vector<std::string>& lines,
                                                       const std::string& maker, std::string* error,
                                                       int* badLine);
    // A word as a line must hold it to be split back the same: quoted when it is empty or has a
    // blank, a quote or a backslash.
    static std::string Quote(const std::string& word);
    // The verb of a request type ("modify-user" for 340).
    static const char* VerbOf(int type);
};

} // namespace oms
