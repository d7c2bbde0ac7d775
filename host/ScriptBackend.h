// The headless backend of scripted runs: it records what each window draws, so that a script
// can read the console's grids as a user sees them (the detail grid draws its own cells and
// keeps no item texts).
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

    // Forgets what was drawn so far, so that a repaint shows what is drawn now.
    void ClearDrawing();
    // The texts 'window' drew since the last ClearDrawing.
    std::vector<winlib::DrawOp> TextsOf(HWND window) const;

    // The installed backend when it is this one.
    static ScriptBackend* Installed();

private:
    class TrackedSurface;
    std::map<HWND, TrackedSurface*> m_surfaces;
};

} // namespace host
