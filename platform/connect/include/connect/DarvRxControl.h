// A receiver control: the plug-in's door to the server. The host hands controls out, each bound
// to a receiver, and takes them back. Every call belongs on the user-interface thread.
#pragma once

#include "connect/ConnectKivo.h"

#include <string>
#include <vector>

class CDarvRxControl
{
public:
    // Sends the message (the one built in the scratch buffer) as a request. Every reply to it,
    // the closing reply last, goes to the receiver. 'outHandle' (may be null) receives the
    // request's handle, the one OnMessage passes as 'b'; 'zero' is not used.
    virtual int Send(void** outHandle, MnmHndl message, int zero, int* err) = 0;
    // Registers a filter of 'count' field ids and values: a published message matches when each
    // field is present and, where the value is not empty, value 0 equals it. Matches go to the
    // receiver. 'control' must be this control or null; the flags and the number are the
    // original interface's options and are not used. 'outHandle' receives the subscription's
    // handle (a small number that Unsubscribe takes).
    virtual int Subscribe(void** outHandle, const int* fieldIds, const std::vector<std::string>& values,
                          int count, CDarvRxControl* control, bool flag1, int option, bool flag2,
                          int* err) = 0;
    // 0 drops every subscription of this control (and succeeds when there is none); any other
    // number drops that subscription only.
    virtual int Unsubscribe(int which) = 0;

protected:
    // Controls are given back to the host that made them, never deleted by their user.
    ~CDarvRxControl() = default;
};
