// The console's messaging context: the message handle and scratch buffers it builds requests
// in, and the two receiver controls the host hands out (kinds 0 and 3) with their receivers.
#pragma once

#include "connect/ConnectKivo.h"

#include <memory>

class CDarvRxControl;
class CMCRxr;

struct sMCConnection
{
    sMCConnection();
    ~sMCConnection();
    sMCConnection(const sMCConnection&) = delete;
    sMCConnection& operator=(const sMCConnection&) = delete;

    // Opens everything in order; a failing step is reported and opening goes on.
    void Open();
    // Gives the controls back (kind 3, then kind 0), deletes the receivers and closes the
    // handles. Without the host's control function nothing is released.
    void Close();

    MnmHndl m_hMnm = nullptr;
    BufHndl m_hBuf = nullptr;
    TimeBufHndl m_hTimeBuf = nullptr;
    TmHndl m_hTm = nullptr;
    CMCRxr* m_pRxr0 = nullptr;
    CMCRxr* m_pRxr3 = nullptr;
    CDarvRxControl* m_pControl0 = nullptr; // the one the console sends and subscribes through
    CDarvRxControl* m_pControl3 = nullptr;
};
