// The receiver of the console's messaging context: the messaging library calls OnMessage
// with each reply.
#pragma once

#include "connect/DarvRxNotifierBase.h"

class CMCRxr : public CDarvRxNotifierBase
{
public:
    void OnStatus(int status, const char* text) override;
    void OnMessage(void* a, MnmHndl message, void* b) override;
};
