#include "grid/HeaderFilterText.h"

#include "winlib/HeaderCtrl.h"

#include <cstring>

namespace
{
HDITEM FilterItem(HD_TEXTFILTER& filter)
{
    HDITEM hdi{};
    hdi.mask = HDI_FILTER;
    hdi.type = HDFT_ISSTRING;
    hdi.pvFilter = &filter;
    return hdi;
}
} // namespace

std::string GetHeaderFilterText(const CHeaderCtrl& header, int item)
{
    char buffer[kFilterTextLimit + 1] = {};
    HD_TEXTFILTER filter{buffer, kFilterTextLimit + 1};
    HDITEM hdi = FilterItem(filter);
    if (!header.GetItem(item, &hdi) || (hdi.type & HDFT_HASNOVALUE))
        return {};
    return buffer;
}

void SetHeaderFilterText(CHeaderCtrl& header, int item, const std::string& text)
{
    char buffer[kFilterTextLimit + 1] = {};
    std::strncpy(buffer, text.c_str(), kFilterTextLimit);
    HD_TEXTFILTER filter{buffer, kFilterTextLimit + 1};
    HDITEM hdi = FilterItem(filter);
    header.SetItem(item, &hdi);
}
