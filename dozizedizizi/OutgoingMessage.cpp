#include "dozizedizizi/OutgoingMessage.h"

#include "connect/DarvRxControl.h"
#include "dozizedizizi/MCConnection.h"

#include <cstring>

bool OutgoingMessage::Start()
{
    if (!m_pConnection || !m_pConnection->m_hBuf)
        return false;
    std::memset(reinterpret_cast<void*>(m_pConnection->m_hBuf), 0, 4);
    int error = 0;
    return otp_start_msg(m_pConnection->m_hMnm, m_pConnection->m_hBuf, &error) != 0;
}

bool OutgoingMessage::Add(int fieldId, const std::string& value)
{
    int error = 0;
    return m_pConnection &&
           otp_add_data_as_cstring(m_pConnection->m_hMnm, fieldId, 1, value.c_str(), &error) != 0;
}

bool OutgoingMessage::Send()
{
    if (!m_pConnection || !m_pConnection->m_pControl0)
        return false;
    void* handle = nullptr;
    int error = 0;
    return m_pConnection->m_pControl0->Send(&handle, m_pConnection->m_hMnm, 0, &error) != 0;
}
