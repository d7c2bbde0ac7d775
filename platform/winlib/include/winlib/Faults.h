// Failures of the system that code must survive but that never happen on demand:
// a clipboard held by another program, memory that cannot be allocated or locked, a full disk.
// Tests arm them; each armed failure fires on the next matching call.
#pragma once

namespace winlib
{

enum class Fault
{
    OpenClipboard,
    GlobalAlloc,
    GlobalLock,
    CreateWindow, // the next window creation fails, as when the system is out of resources
    FileWrite     // the next file rewrite stops half-way, as on a full disk
};

void FailNext(Fault fault, int times = 1);
// Consumes one armed failure; true when the call must fail.
bool ShouldFail(Fault fault);
void ClearFaults();

} // namespace winlib
