// One message to the server, built field by field in the messaging context's scratch buffer and
// sent through its kind-0 control. Each step only says whether it worked: what a failure means
// (and what is logged) is the caller's business.
#pragma once

#include <string>

struct sMCConnection;

class OutgoingMessage
{
public:
    // A null context (or one whose handles could not be opened) fails every step.
    explicit OutgoingMessage(const sMCConnection* connection) : m_pConnection(connection) {}

    // Clears the scratch buffer (its first word) and starts an empty message in it.
    bool Start();
    // Appends one field with one value.
    bool Add(int fieldId, const std::string& value);
    // Sends what was built as a request; the replies go to the context's receiver.
    bool Send();

private:
    const sMCConnection* m_pConnection;
};
