#include "oms/JsonText.h"

namespace oms
{

void AppendJsonString(std::string& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
        {
            out += '\\';
            out += c;
        }
        else if (byte < 0x20)
        {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
        else
            out += c;
    }
    out += '"';
}

} // namespace oms
