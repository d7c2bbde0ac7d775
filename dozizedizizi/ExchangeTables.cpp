#include "dozizedizizi/ExchangeTables.h"

#include <array>

namespace
{
struct Exchange
{
    int id;
    std::string_view code;
    std::array<std::string_view, 4> names; // names that map to the id, unused slots empty
};

// Row order matters: names are searched in this order.
constexpr std::array<Exchange, 20> kExchanges{{
    {64700, "NSE", {"NSE", "nse_cm"}},       {64703, "BSE", {"BSE", "bse_cm"}},
    {64701, "NFO", {"NFO", "nse_fo"}},       {64705, "BFO", {"BFO", "bse_fo"}},
    {64706, "CDS", {"CDS", "cde_fo"}},       {64704, "MCX", {"MCX", "mcx_fo", "MCXSX", "mcx_sx"}},
    {64707, "ICEX", {"ICEX", "icx_fo"}},     {64702, "NCDEX", {"NCDEX", "ncx_fo"}},
    {64709, "LMEMX", {"LMEMX", "lme_mx"}},   {64725, "DGCX", {"DGCX", "dgx_fo"}},
    {64727, "ACE", {"ACE", "ace_fo"}},       {64728, "USE", {"USE", "use_fo"}},
    {64726, "RCME", {"RCME", "rcme_fo"}},    {64708, "NMCE", {"NMCE", "nmc_fo"}},
    {64729, "CMEMX", {"CMEMX", "cme_mx"}},   {64730, "SGX", {"SGX", "sgx_fo"}},
    {64731, "nse_slb", {"SLBM", "nse_slb"}}, {64741, "BINX", {"BINX", "binx_fo"}},
    {61625, "BCO", {"BCO", "bse_com"}},      {61626, "NCO", {"NCO", "nse_com"}},
}};

struct Segment
{
    std::string_view name;
    std::string_view code;
};

constexpr std::array<Segment, 25> kSegments{{
    {"nse_cm", "NSE"},   {"bse_cm", "BSE"},      {"nse_fo", "NFO"},   {"bse_fo", "BFO"},
    {"cde_fo", "CDS"},   {"mcx_fo", "MCX"},      {"mcx_sx", "MCXSX"}, {"icx_fo", "ICEX"},
    {"ncx_fo", "NCDEX"}, {"lme_mx", "LMEMX"},    {"dgx_fo", "DGCX"},  {"ace_fo", "ACE"},
    {"use_fo", "USE"},   {"rcme_fo", "RCME"},    {"nmc_fo", "NMCE"},  {"cme_mx", "CMEMX"},
    {"sgx_fo", "SGX"},   {"nse_slb", "SLBM"},    {"binx_fo", "BINX"}, {"bse_com", "BCO"},
    {"nse_com", "NCO"},  {"nse_ipo", "NSE_IPO"}, {"nse_mf", "MFSS"},  {"cpw_fwd", "CPW"},
    {"any", "ANY"},
}};

// The order, and MCX (64704) appearing twice, are what the limit details walk.
constexpr std::array<int, 21> kExchangeListOrder{64700, 64703, 64701, 64705, 64702, 64704, 64707,
                                                 64706, 64704, 64709, 64725, 64727, 64728, 64726,
                                                 64708, 64729, 64730, 64731, 64741, 61625, 61626};
} // namespace

std::string GetExchangeCode(int nExchangeId)
{
    for (const Exchange& exchange : kExchanges)
    {
        if (exchange.id == nExchangeId)
            return std::string(exchange.code);
    }
    return {};
}

int GetExchangeId(std::string_view name)
{
    if (name.empty())
        return -1;
    for (const Exchange& exchange : kExchanges)
    {
        for (std::string_view candidate : exchange.names)
        {
            if (candidate == name)
                return exchange.id;
        }
    }
    return -1;
}

std::string GetSegmentCode(std::string_view segment)
{
    for (const Segment& entry : kSegments)
    {
        if (entry.name == segment)
            return std::string(entry.code);
    }
    return {};
}

std::vector<int>& GetExchangeList()
{
    static std::vector<int> exchangeList;
    return exchangeList;
}

void FillExchangeList()
{
    std::vector<int>& list = GetExchangeList();
    list.assign(kExchangeListOrder.begin(), kExchangeListOrder.end());
}
