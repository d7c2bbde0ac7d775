#include "connect/SubscriptionFilter.h"

#include <algorithm>

namespace connect
{

SubscriptionFilter& SubscriptionFilter::Require(std::int32_t fieldId, std::string value)
{
    m_terms.push_back(Term{fieldId, std::move(value)});
    return *this;
}

bool SubscriptionFilter::Matches(const Message& message) const
{
    return std::all_of(m_terms.begin(), m_terms.end(),
                       [&message](const Term& term)
                       {
                           const std::string* current = message.Value(term.fieldId, 0);
                           return current && (term.value.empty() || *current == term.value);
                       });
}

} // namespace connect
