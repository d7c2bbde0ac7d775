// Failures of the messaging library that code must survive but that never happen on demand:
// a handle that cannot be opened because the library is out of resources. Tests arm them; each
// armed failure makes the next matching open fail with OTP_ERR_NO_MEMORY.
#pragma once

namespace connect
{

enum class OpenFault
{
    Message, // otp_ctor_primecb
    Scratch, // otp_open_scratch
    Time     // sys_open_time_hndl
};

void FailNextOpen(OpenFault fault, int times = 1);
void ClearOpenFaults();

} // namespace connect
