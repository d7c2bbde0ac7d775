// The headless backend of scripted runs: while a script reads, it records what each window
// draws, so that the script can read the console's grids as a user sees them (the detail grid
// draws its own cells and keeps no item texts). Between reads it records nothing, so that a run
// of any length takes no more memory than one read.
#pragma once

#include "winlib/Backend.h"
#include "winlib/Canvas.h"

#include <map>
#include <string>
#include <vector>

namespace host
{

class ScriptBackend : public winlib::HeadlessBackend
{
public:
    ScriptBackend();
    ~ScriptBackend() override;

    std::unique_ptr<winlib::Surface> CreateSurface(HWND topLevel, const RECT& screenRect) override;

    // Starts a read: what is drawn from now on is recorded, for a repaint to show what is there.
    void BeginReading();
    // Ends the read: the texts 'window' drew since BeginReading; the record is dropped.
    std::vector<winlib::DrawOp> EndReading(HWND window);

    // The installed backend when it is this one.
    static ScriptBackend* Installed();

private:
    class TrackedSurface;
    void KeepDrawing(bool keeping);

    std::map<HWND, TrackedSurface*> m_surfaces;
    bool m_reading = false;
};

} // namespace host
