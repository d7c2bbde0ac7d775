// The messages the console sends to the server: the three detail queries, the decisions (accept,
// reject, update) and the recovery request. Each builds its fields in a fixed order and writes
// what became of it to the host's log; a failing step ends that message and nothing is sent.
#pragma once

#include "dozizedizizi/KTMap.h"
#include "protocol/Functions.h"

#include <string>

struct sMCConnection;
struct sMakeCheckStruct;

using CEditedValueMap = CKTMap<int, int, std::string, const std::string&>;

// The detail query of 'functionName' for the request. Once its fields are in, and before it goes,
// 'detailKey' becomes the request's key: from then on that request is the one on view. 1 when sent.
int SendDetailsQuery(const sMCConnection* connection, const char* functionName,
                     const sMakeCheckStruct& request, const char* sentText, std::string& detailKey);

// One decision each; 1 when sent.
int SendAcceptMessage(const sMCConnection* connection, const sMakeCheckStruct& request);
int SendRejectMessage(const sMCConnection* connection, const sMakeCheckStruct& request,
                      const std::string& reason);
// Accepts the limits request 'key' with the values the checker edited, in the map's order.
int SendUpdateMessage(const sMCConnection* connection, const std::string& key, const CEditedValueMap& values);
// Asks the server to send every pending request again.
int SendRecoverMessage(const sMCConnection* connection);
