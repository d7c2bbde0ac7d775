// Pending requests by the thousand for the benchmarks that recover them: every type, spread over
// the brokers and branches, each changing two fields, entered straight into a server's store in
// one transaction.
#pragma once

#include "oms/RequestRecord.h"
#include "oms/SqliteTransaction.h"
#include "oms/Store.h"

#include <string>

inline void AddManyPending(oms::Store& store, int count)
{
    static const int kTypes[] = {oms::kAddUser,      oms::kModifyUser,    oms::kDeleteUser, oms::kAddClient,
                                 oms::kModifyClient, oms::kDeleteAccount, oms::kRmsLimits};
    static const char* const kBranches[] = {"KIVO-MUM", "KIVO-DEL", "ASHV-AMD", "DHAN-CHE"};
    oms::SqliteTransaction transaction(store.Db());
    for (int i = 0; i < count; ++i)
    {
        oms::RequestRecord request;
        request.type = kTypes[i % 7];
        request.kind = oms::IsUserType(request.type)      ? oms::EntityKind::User
                       : oms::IsAccountType(request.type) ? oms::EntityKind::Account
                                                          : oms::EntityKind::Limits;
        const std::string branch = kBranches[i % 4];
        const std::string id = branch.substr(0, 2) + std::to_string(500000 + i);
        request.entity = request.kind == oms::EntityKind::Limits ? "client:" + id : id;
        (request.kind == oms::EntityKind::User ? request.user : request.account) = id;
        request.category = request.kind == oms::EntityKind::User ? "DEALER" : "RETAIL";
        request.maker = "MAKER" + std::to_string(1 + i % 3);
        request.broker = branch.substr(0, 4);
        request.branch = branch;
        request.enteredAt = "2024-06-01T10:22:33Z";
        store.InsertRequest(request,
                            {{50110, {"desk@kivo-trade.in"}, std::vector<std::string>{"old@kivo-trade.in"}},
                             {64031, {"2500000.00"}, std::nullopt}});
    }
    transaction.Commit();
}
