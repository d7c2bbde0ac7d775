// Which published messages a subscription wants.
#pragma once

#include "connect/Message.h"

#include <cstdint>
#include <string>
#include <vector>

namespace connect
{

class SubscriptionFilter
{
public:
    struct Term
    {
        std::int32_t fieldId = 0;
        // Empty: the field only has to be present. Otherwise its value 0 must equal this.
        std::string value;
    };

    SubscriptionFilter& Require(std::int32_t fieldId, std::string value = {});
    // Every term must hold; a filter without terms takes every message.
    bool Matches(const Message& message) const;
    const std::vector<Term>& Terms() const { return m_terms; }

private:
    std::vector<Term> m_terms;
};

} // namespace connect
