// The subjects of the message bus. Requests go to one subject the server listens on; published
// messages go to subjects that carry the fields subscription filters choose by, so that a
// filter becomes a subject pattern and the bus itself picks what each terminal receives:
//
//   PREFIX.published.B.b.R.r.T.t.U.u.K.k
//
// Requests go to a subject of the sender's own, PREFIX.requests.USER, and their replies to an
// inbox of his own, PREFIX.inbox.USER.*: on a secured bus each user may publish only on his
// request subject and read only his inbox, so the server knows the sender from the subject
// the bus let him publish on, whatever the message says.
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
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace connect
{

// A request's header saying that its sender takes several replies in one bus message, laid one
// after another (each reply's wire form gives its own length). Value "1". A server that does not
// know it answers one reply a message, which such a sender reads all the same.
inline constexpr const char* kBatchedRepliesHeader = "Kivo-Batched-Replies";

class BusSubjects
{
public:
    // The fields a published subject carries, in their order there.
    static constexpr std::array<std::int32_t, 5> kSubjectFields = {64056, 64053, 63713, 31003, 51803};

    explicit BusSubjects(std::string prefix = "kivo");

    // The bus user of the server itself: not a possible user id (those are letters, digits, '-'
    // and '_'), so that no user of the server's table can be given its rights by name.
    static constexpr const char* kServerUser = "@kivo-oms";

    const std::string& Prefix() const { return m_prefix; }
    // Where a user's requests go, and the pattern of all of them, where the server takes them.
    std::string RequestsFrom(std::string_view user) const { return m_prefix + ".requests." + Token(user); }
    std::string AllRequests() const { return m_prefix + ".requests.*"; }
    // The sender of a request, from the subject it came on; empty when it is no request subject.
    std::optional<std::string> SenderOf(std::string_view subject) const;
    // The root of a user's inboxes: his replies and the published messages his subscriptions
    // receive arrive on subjects below it.
    std::string InboxOf(std::string_view user) const { return m_prefix + ".inbox." + Token(user); }
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
    // The value a token stands for; empty when the text is no token Token would write.
    static std::optional<std::string> FromToken(std::string_view token);

    // The id under which the bus recognises a publication it stored already: the fingerprint
    // of the message's bytes. A server publishes each state of a request (pending, accepted,
    // rejected) once, so equal bytes are the same publication sent again.
    static std::string PublicationId(std::span<const std::uint8_t> wire);

private:
    std::string m_prefix;
};

} // namespace connect
