#include "connect/RequestHandler.h"

#include <exception>
#include <string>

namespace connect
{

void RequestHandler::OnRequests(std::span<const Request> batch)
{
    for (const Request& request : batch)
    {
        // The server is someone else's code: whatever it does, the requester gets its closing reply.
        try
        {
            OnRequest(*request.message, *request.replies);
        }
        catch (const std::exception& failure)
        {
            request.replies->Close(kStatusHandlerFailed, std::string("the server failed: ") + failure.what());
        }
        catch (...)
        {
            request.replies->Close(kStatusHandlerFailed, "the server failed");
        }
    }
}

} // namespace connect
