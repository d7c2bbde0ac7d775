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

#include <optional>
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

// Paints what is pending in every window, then writes the screen as it stands (every visible
// top-level window in its z-order, over the desktop's colour) as a PNG, cropped to the area
// the windows cover. False when no window shows or the file cannot be written.
bool SaveScreenPng(const std::string& path);

// The colour of one pixel of a top-level window's image, in window coordinates (the frame
// included), as it stands now; CLR_INVALID outside the image or without a Qt surface.
COLORREF WindowPixel(HWND hwnd, int x, int y);

// The colours of a rectangle of a top-level window's image, row by row, in window coordinates
// as WindowPixel takes them; CLR_INVALID for the parts outside the image. One read of the image
// for a whole area, where a pixel-by-pixel walk would look the window up for every pixel.
std::vector<COLORREF> WindowPixels(HWND hwnd, const RECT& area);

// Resizes the Qt window of a top-level window as a window manager would, and delivers what
// follows; the window then lays itself out for its new size. False without a Qt surface.
bool ResizeFromOutside(HWND hwnd, int width, int height);

// Where a window's image differs from a complete repaint of the same windows.
struct RepaintDifference
{
    HWND topLevel = nullptr;
    HWND window = nullptr; // the deepest visible window at the first differing pixel
    RECT rect{};           // the differing pixels inside that window, top-level window coordinates
    int pixels = 0;        // how many pixels differ in the whole top-level window
    std::string text;      // all of the above, for a report
};

// The repaint check. Paints what is pending in the top-level window holding 'hwnd', then
// paints every window of it again from scratch (frame, background and client, parents before
// children) into a second image and compares that with the image the screen shows. The
// screen's image is left as it was. Nothing when the two are equal (or there is no Qt
// surface). With 'imageFolder', both images of a difference are written there as PNG.
std::optional<RepaintDifference> CheckRepaint(HWND hwnd, const std::string& imageFolder = {});
// Changes whenever a window of the Qt backend has shown newly painted pixels.
unsigned PaintGeneration();
// The check for every visible top-level window, topmost first.
std::vector<RepaintDifference> CheckRepaintAll(const std::string& imageFolder = {});

} // namespace winlib::qt
