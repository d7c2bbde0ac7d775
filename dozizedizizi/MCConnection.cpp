#include "dozizedizizi/MCConnection.h"

#include "base/HostFunctions.h"
#include "base/TabbedLog.h"
#include "dozizedizizi/MCRxr.h"
#include "winlib/Wnd.h"

sMCConnection::sMCConnection() = default;

sMCConnection::~sMCConnection()
{
    // A receiver that no control was ever given to cannot be called back, so it goes with the
    // context even when closing could not release anything; one a control still holds stays.
    if (!m_pControl0 && !m_pControl3)
    {
        delete m_pRxr0;
        delete m_pRxr3;
    }
}

void sMCConnection::Open()
{
    int error = 0;
    if (!otp_ctor_primecb(&m_hMnm, &error))
        AfxMessageBox("MnmHndl Open failed in Market Context");
    if (!otp_open_scratch(&m_hBuf, OTP_SCRATCH_SIZE, &error))
        AfxMessageBox("BufHndl Open failed in Market Context");
    if (!otp_open_scratch(&m_hTimeBuf, OTP_SCRATCH_SIZE, &error))
        AfxMessageBox("TimeBufHndl Open failed in Market Context");
    if (!sys_open_time_hndl(&m_hTm, &error))
        AfxMessageBox("TmHndl Open failed in Market Context");
    m_pRxr0 = new CMCRxr;
    m_pRxr3 = new CMCRxr;
    const auto getControl = FindHostFunction<PFN_GetDarvRxControl>("GetDarvRxControl");
    if (!getControl)
    {
        AfxMessageBox("From ZAM Connection to darv failed");
        return;
    }
    m_pControl0 = getControl(0, m_pRxr0);
    m_pControl3 = getControl(3, m_pRxr3);
}

void sMCConnection::Close()
{
    const auto getControl = FindHostFunction<PFN_GetDarvRxControl>("GetDarvRxControl");
    if (!getControl)
    {
        AddToTabbedLog("Destroying Darv Connection Failed", 2);
        return;
    }
    if (m_pControl3)
        getControl(reinterpret_cast<INT_PTR>(m_pControl3), nullptr);
    if (m_pControl0)
        getControl(reinterpret_cast<INT_PTR>(m_pControl0), nullptr);
    m_pControl3 = nullptr;
    m_pControl0 = nullptr;
    delete m_pRxr0;
    delete m_pRxr3;
    m_pRxr0 = nullptr;
    m_pRxr3 = nullptr;
    int error = 0;
    if (m_hBuf)
        otp_close_scratch(m_hBuf, &error);
    if (m_hMnm)
        otp_dtor_primecb(m_hMnm, &error);
    if (m_hTimeBuf)
        otp_close_scratch(m_hTimeBuf, &error);
    if (m_hTm)
        sys_close_time_hndl(m_hTm, &error);
    m_hBuf = nullptr;
    m_hMnm = nullptr;
    m_hTimeBuf = nullptr;
    m_hTm = nullptr;
}
