// One detail reply as the builders read it: each field id with up to two values, value 0 the
// new value and value 1 the value before the change. A value that cannot be read in the asked
// form counts as absent.
#pragma once

#include "connect/ConnectKivo.h"

#include <optional>
#include <string>

class CDetailReply
{
public:
    explicit CDetailReply(MnmHndl message) : m_hMessage(message) {}

    bool IsPresent(int nFieldId) const;
    // Number of values of the field; 0 when it is absent.
    int GetValueCount(int nFieldId) const;

    std::optional<std::string> GetText(int nFieldId, int nIndex) const;
    std::optional<double> GetDouble(int nFieldId, int nIndex) const;
    std::optional<long long> GetLong(int nFieldId, int nIndex) const;

    // Value 0 as text, or "NA" when it cannot be read: how a row shows a missing new value.
    std::string GetNewText(int nFieldId) const;
    // Value 1 as text, or empty: how a row shows a missing old value.
    std::string GetOldText(int nFieldId) const;

private:
    MnmHndl m_hMessage;
};
