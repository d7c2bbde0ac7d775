// The status codes of the server's closing replies (field 32766, value 0). 0 is success; every
// other code comes with a text that says what happened in words a checker reads, and terminals
// write those texts in their logs.
#pragma once

namespace protocol
{

enum ServerStatus : int
{
    kStatusOk = 0,
    kStatusNoRequest = 1,      // no request has that key
    kStatusAlreadyDecided = 2, // the request was accepted or rejected before
    kStatusOwnRequest = 3,     // the checker is the request's maker
    kStatusBadMessage = 4,     // a field is missing, contradicts the request, or has a bad value
    kStatusCannotApply = 5,    // the change no longer fits what the database holds
    kStatusNotVisible = 6,     // the request is not among those the user may see
    kStatusUnknownUser = 7,    // the asking user is not known and no session vouches for him
    kStatusUnknownFunction = 8,
    kStatusServerFault = 9, // the database failed; nothing was recorded
    kStatusNotAuthorised =
        10 // the sender may not do this: his roles, his access, or a claim the server does not share
};

} // namespace protocol
