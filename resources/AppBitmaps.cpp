#include "resources/AppBitmaps.h"

#include "winlib/Resources.h"

#include <string>
#include <vector>

namespace
{

// '#' black, '+' grey, '.' white.
winlib::BitmapResource FromArt(UINT id, const std::vector<std::string>& rows)
{
    winlib::BitmapResource bitmap{id, static_cast<int>(rows.front().size()), static_cast<int>(rows.size()), {}};
    for (const std::string& row : rows)
    {
        for (char c : row)
            bitmap.pixels.push_back(c == '#' ? 0x000000 : c == '+' ? 0x808080 : 0xFFFFFF);
    }
    return bitmap;
}

} // namespace

void RegisterAppBitmaps()
{
    winlib::RegisterBitmapResource(FromArt(131, {
                                                    "....#....",
                                                    "...###...",
                                                    "..#####..",
                                                    ".#######.",
                                                    "#########",
                                                }));
    winlib::RegisterBitmapResource(FromArt(132, {
                                                    "#########",
                                                    ".#######.",
                                                    "..#####..",
                                                    "...###...",
                                                    "....#....",
                                                }));
    // The third image marks a column that no longer orders the rows: blank, so that only the
    // column the rows are sorted by shows an arrow.
    winlib::RegisterBitmapResource(FromArt(133, {
                                                    ".........",
                                                    ".........",
                                                    ".........",
                                                    ".........",
                                                    ".........",
                                                }));
}
