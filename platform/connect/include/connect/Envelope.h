// What travels with a request besides the message itself: an id that is unique for every
// message the library sends, so that a server recognises a message it has seen before (a
// resend), and the session of the terminal that sent it, which the message's own fields cannot
// vouch for. The plug-in never sees either.
#pragma once

#include "connect/WireFormat.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace connect
{

// The logged-in user of the terminal that sent a request, as the terminal knows him.
struct Session
{
    std::string user; // empty: the sender has no session (a tool, a test)
    std::string broker;
    int privilege = -1;

    bool Known() const { return !user.empty(); }
    bool operator==(const Session&) const = default;
};

struct Envelope
{
    std::string messageId;
    Session session;
    std::vector<std::uint8_t> body; // the message, in the wire format

    // One byte string for transports that carry no headers of their own: the header as a
    // message of its own (docs/wire-format.md), then the body.
    std::vector<std::uint8_t> ToBytes() const;
    // Empty when the header is malformed or no body follows it; the body itself is not checked
    // here, its reader does that.
    static std::optional<Envelope> FromBytes(std::span<const std::uint8_t> bytes,
                                             wire::Error* error = nullptr);

    bool operator==(const Envelope&) const = default;
};

// A new message id: a random number drawn once per process, then a count. Unique across
// processes and runs without asking anyone.
std::string NewMessageId();

} // namespace connect
