// A maker's request that the server will not take, with the reason in words a maker reads.
#pragma once

#include <stdexcept>
#include <string>

namespace oms
{

class MakerError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace oms
