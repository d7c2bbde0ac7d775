// One pending authorisation request as the console lists it.
#pragma once

#include <string>

struct sMakeCheckStruct
{
    std::string m_strKey;      // unique among pending requests; the pending map's key
    std::string m_strMaker;    // who entered the request
    std::string m_strEntity;   // the user, account or limit owner it is about
    std::string m_strSpare;    // kept for the record's layout; nothing fills it
    std::string m_strAuthType; // authorisation type code as decimal text
    std::string m_strBroker;
    std::string m_strBranch;
    std::string m_strLinkedUser; // the user that goes with an investor client, else empty
    std::string m_strCategory;   // "INVESTOR_CLIENT" changes rights and the accept rule
};
