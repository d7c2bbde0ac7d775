// Reading the fields of a received message: value 0 is the current value, value 1 the value
// before the change. A value that cannot be read counts as absent.
#pragma once

#include "connect/ConnectKivo.h"

#include <string>

// True when the field is present; 'count' receives its number of values.
inline bool GetFieldValueCount(MnmHndl message, int fieldId, int& count)
{
    int error = 0;
    count = 0;
    return otp_get_field(message, fieldId, &count, &error) != 0;
}

// Value 'index' of the field as text; false (and 'value' untouched) when it cannot be read.
inline bool ReadFieldText(MnmHndl message, int fieldId, int index, std::string& value)
{
    const char* text = nullptr;
    int error = 0;
    if (!otp_get_data_as_cstring(message, fieldId, index, &text, &error) || !text)
        return false;
    value = text;
    return true;
}
