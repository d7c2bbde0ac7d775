// The subjects of the message bus. Requests go to one subject the server listens on; published
// messages go to subjects that carry the fields subscription filters choose by, so that a
// filter becomes a subject pattern and the bus itself picks what each terminal receives:
//
//   PREFIX.published.B.b.R.r.T.t.U.u.K.k
//
// one pair of tokens for each of broker (64056), branch (64053), type (63713), user (31003) and
// request key (51803): "p" and the value when the message has the field, "a" and "_" when it
// has not. A filter asking for the field with a value gives "p.VALUE", one asking only for the
// field "p.*", and a field the filter leaves free "*.*". A filter that names any other field
// takes the pattern of its other terms, and the terminal checks the whole filter on arrival.
#pragma once

#include "connect/Message.h"
#include "connect/SubscriptionFilter.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace connect
{

class BusSubjects
{
public:
    // The fields a published subject carries, in their order there.
    static constexpr std::array<std::int32_t, 5> kSubjectFields = {64056, 64053, 63713, 31003, 51803};

    explicit BusSubjects(std::string prefix = "kivo");

    const std::string& Prefix() const { return m_prefix; }
    // Where the server takes requests.
    std::string Requests() const { return m_prefix + ".requests"; }
    // Every published subject (the stream keeps these).
    std::string PublishedAll() const { return m_prefix + ".published.>"; }
    // The persistent stream of published messages.
    std::string Stream() const;

    std::string PublishedSubject(const Message& message) const;
    std::string FilterSubject(const SubscriptionFilter& filter) const;
    // True when the subject pattern says all of the filter, so that no check on arrival is
    // needed.
    static bool SubjectSaysAll(const SubscriptionFilter& filter);

    // A value as a subject token: letters, digits, '-' and '_' stay; every other byte becomes
    // '~' and two hexadecimal digits; the empty value is "~".
    static std::string Token(std::string_view value);

    // The id under which the bus recognises a publication it stored already: the fingerprint
    // of the message's bytes. A server publishes each state of a request (pending, accepted,
    // rejected) once, so equal bytes are the same publication sent again.
    static std::string PublicationId(std::span<const std::uint8_t> wire);

private:
    std::string m_prefix;
};

} // namespace connect
