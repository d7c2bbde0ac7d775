// What the library did that a user would see or hear outside the windows themselves:
// message boxes, beeps, clipboard writes and display-affinity changes. Kept for tests
// and for the host's diagnostics; cleared on demand.
#pragma once

#include "winlib/WinDef.h"

#include <string>
#include <vector>

namespace winlib
{

struct MessageBoxRecord
{
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
    int result;
};

struct BeepRecord
{
    DWORD frequency; // 0 for MessageBeep
    DWORD duration;
    UINT messageBeepType;
};

struct AffinityRecord
{
    HWND window;
    DWORD affinity;
};

struct Observations
{
    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<BeepRecord> beeps;
    std::vector<std::string> clipboardWrites;
    std::vector<AffinityRecord> affinityChanges;
    // False: beeps are not kept (a program that makes a great many of them and reads none).
    bool keepBeeps = true;
    void Clear()
    {
        messageBoxes.clear();
        beeps.clear();
        clipboardWrites.clear();
        affinityChanges.clear();
    }
};

Observations& Observed();

} // namespace winlib
