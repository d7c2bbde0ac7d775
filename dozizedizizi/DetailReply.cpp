#include "dozizedizizi/DetailReply.h"

#include "dozizedizizi/DetailMappings.h"

bool CDetailReply::IsPresent(int nFieldId) const
{
    int count = 0;
    int error = 0;
    return otp_get_field(m_hMessage, nFieldId, &count, &error) != 0;
}

int CDetailReply::GetValueCount(int nFieldId) const
{
    int count = 0;
    int error = 0;
    if (!otp_get_field(m_hMessage, nFieldId, &count, &error))
        return 0;
    return count > 0 ? count : 0;
}

std::optional<std::string> CDetailReply::GetText(int nFieldId, int nIndex) const
{
    const char* text = nullptr;
    int error = 0;
    if (!otp_get_data_as_cstring(m_hMessage, nFieldId, nIndex, &text, &error) || !text)
        return std::nullopt;
    return std::string(text);
}

std::optional<double> CDetailReply::GetDouble(int nFieldId, int nIndex) const
{
    double value = 0;
    int error = 0;
    if (!otp_get_data_as_double(m_hMessage, nFieldId, nIndex, &value, &error))
        return std::nullopt;
    return value;
}

std::optional<long long> CDetailReply::GetLong(int nFieldId, int nIndex) const
{
    long long value = 0;
    int error = 0;
    if (!otp_get_data_as_long(m_hMessage, nFieldId, nIndex, &value, &error))
        return std::nullopt;
    return value;
}

std::string CDetailReply::GetNewText(int nFieldId) const
{
    return GetText(nFieldId, 0).value_or(kNotAvailable);
}

std::string CDetailReply::GetOldText(int nFieldId) const
{
    return GetText(nFieldId, 1).value_or("");
}
