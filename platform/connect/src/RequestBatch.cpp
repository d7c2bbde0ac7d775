#include "connect/RequestBatch.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace connect
{

void ServeRequests(RequestHandler* handler, std::span<IncomingRequest> requests)
{
    struct Parsed
    {
        std::optional<Message> message;
        std::optional<ReplyStream> replies;
    };
    std::vector<Parsed> parsed(requests.size());
    std::vector<RequestHandler::Request> batch;
    for (std::size_t i = 0; i < requests.size(); ++i)
    {
        IncomingRequest& request = requests[i];
        wire::Error error = wire::Error::None;
        parsed[i].message = Message::FromWire(request.envelope.body, &error);
        const std::string* function =
            parsed[i].message ? parsed[i].message->Value(kRequestFunctionField) : nullptr;
        parsed[i].replies.emplace(function ? *function : std::string(), request.sink,
                                  request.envelope.messageId, request.envelope.session,
                                  request.authenticatedUser);
        if (!parsed[i].message)
            parsed[i].replies->Close(kStatusMalformedRequest,
                                     std::string("malformed request: ") + wire::ErrorText(error));
        else if (!handler)
            parsed[i].replies->Close(kStatusNoServer, "no server is answering requests");
        else
            batch.push_back(RequestHandler::Request{&*parsed[i].message, &*parsed[i].replies});
    }
    if (!batch.empty())
    {
        // The server is someone else's code: whatever it does, each requester gets its closing reply.
        try
        {
            handler->OnRequests(batch);
        }
        catch (const std::exception& failure)
        {
            for (const RequestHandler::Request& request : batch)
                request.replies->Close(kStatusHandlerFailed,
                                       std::string("the server failed: ") + failure.what());
        }
        catch (...)
        {
            for (const RequestHandler::Request& request : batch)
                request.replies->Close(kStatusHandlerFailed, "the server failed");
        }
    }
    for (Parsed& request : parsed)
        request.replies->Close(kStatusNotClosed, "the server did not close the request");
}

} // namespace connect
