// The receiver a control hands its traffic to. All calls come on the user-interface thread.
#pragma once

#include "connect/ConnectKivo.h"

// Status codes of OnStatus.
enum
{
    DARV_STATUS_MESSAGE_REJECTED = 1 // a delivery broke the wire format and was dropped
};

class CDarvRxNotifierBase
{
public:
    // Something the receiver may want to know that is not a message; 'text' says what.
    virtual void OnStatus(int status, const char* text) = 0;
    // One reply or published message. The handle lives until the call returns. 'a' is the
    // control it came through; 'b' the request or subscription handle that control gave out.
    virtual void OnMessage(void* a, MnmHndl message, void* b) = 0;

    virtual ~CDarvRxNotifierBase() = default;
};
