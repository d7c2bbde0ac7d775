// The screen backend of the window library. Every top-level window becomes a frameless Qt
// window showing the window's image (the library draws frames and captions itself); input
// from Qt reaches the library as device input; time is the real monotonic clock.
//
// With Qt's offscreen platform (QT_QPA_PLATFORM=offscreen) nothing is shown, and the same
// windows can be saved as PNG files. That platform's own screen is 800x800 unless Qt is
// given a configuration file ("-platform offscreen:configfile=FILE"); the backend reports
// 1920x1080 instead, the size headless runs assume.
//
// Each Qt window carries the handle of the window it shows in its "hwnd" property, so that
// programs that send Qt events of their own (tests) can find it.
#pragma once

#include "winlib/WinDef.h"

#include <string>
#include <vector>

namespace winlib::qt
{

// Creates the Qt application from the command line (the first call only; it then lives to
// the end of the process, so that windows, bitmaps and fonts torn down late never outlive
// it) and installs the Qt backend. 'argc' and 'argv' must stay valid as long as the
// process runs, as Qt requires. Call before creating windows.
void InstallQtBackend(int& argc, char** argv);

// True when the installed backend is the Qt backend.
bool QtBackendInstalled();

// Paints what is pending in the top-level window holding 'hwnd' and its children, then
// writes the window's image to 'path' as a PNG. False when the window has no Qt surface
// or the file cannot be written.
bool SaveWindowPng(HWND hwnd, const std::string& path);

// The colour of one pixel of a top-level window's image, in window coordinates (the frame
// included), as it stands now; CLR_INVALID outside the image or without a Qt surface.
COLORREF WindowPixel(HWND hwnd, int x, int y);

// The colours of a rectangle of a top-level window's image, row by row, in window coordinates
// as WindowPixel takes them; CLR_INVALID for the parts outside the image. One read of the image
// for a whole area, where a pixel-by-pixel walk would look the window up for every pixel.
std::vector<COLORREF> WindowPixels(HWND hwnd, const RECT& area);

} // namespace winlib::qt
