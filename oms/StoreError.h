// A database that cannot be used, with a message written for the person who started the
// program: what is wrong, with which file, and what to do about it.
#pragma once

#include <stdexcept>
#include <string>

namespace oms
{

class StoreError : public std::runtime_error
{
public:
    enum class Reason
    {
        Damaged, // not a database, or a database that fails its integrity check
        Foreign, // a database, but not one of this server
        TooNew,  // made by a newer version of the server
        Locked,  // another program holds it
        Unusable // cannot be created, opened or written for another reason
    };

    StoreError(Reason reason, const std::string& message) : std::runtime_error(message), m_reason(reason) {}
    Reason GetReason() const { return m_reason; }

private:
    Reason m_reason;
};

} // namespace oms
