#include "dozizedizizi/AuthTypes.h"

#include <array>

namespace
{
struct AuthType
{
    std::string_view code;
    std::string_view text;
    int role;
    bool userRequest; // user requests about an investor client need the client role instead
};

constexpr std::array<AuthType, 7> kAuthTypes{{
    {AUTH_ADD_USER, "ADD USER", ROLE_USERS, true},
    {AUTH_MODIFY_USER, "MODIFY USER", ROLE_USERS, true},
    {AUTH_DELETE_USER, "DELETE USER", ROLE_USERS, true},
    {AUTH_ADD_CLIENT, "ADD CLIENT", ROLE_CLIENTS, false},
    {AUTH_MODIFY_CLIENT, "MODIFY CLIENT", ROLE_CLIENTS, false},
    {AUTH_DELETE_ACCOUNT, "DELETE Account", ROLE_CLIENTS, false},
    {AUTH_RMS_LIMITS, "RMS Limits", ROLE_RMS_LIMITS, false},
}};

const AuthType* FindAuthType(std::string_view code)
{
    for (const AuthType& type : kAuthTypes)
    {
        if (type.code == code)
            return &type;
    }
    return nullptr;
}
} // namespace

std::string GetAuthTypeText(std::string_view code)
{
    const AuthType* type = FindAuthType(code);
    return type ? std::string(type->text) : std::string();
}

int GetAuthTypeRole(std::string_view code, std::string_view category)
{
    const AuthType* type = FindAuthType(code);
    if (!type)
        return 0;
    if (type->userRequest && category == CATEGORY_INVESTOR_CLIENT)
        return ROLE_CLIENTS;
    return type->role;
}
