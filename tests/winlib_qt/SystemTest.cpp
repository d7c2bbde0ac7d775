// What the screen backend answers of the system: the cursor that the window library chooses
// shows over the windows, and the font families come from the font database.
#include "QtTestSupport.h"

#include "winlib/Cursors.h"
#include "winlib/Fonts.h"

#include <QCursor>
#include <QGuiApplication>

#include <algorithm>
#include <string>
#include <vector>

namespace qttest
{
namespace
{

using QtSystemTest = QtWindowTest;

TEST_F(QtSystemTest, TheCursorTheLibraryChoosesIsTheApplicationsCursor)
{
    const HWND top = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100), nullptr);
    ASSERT_NE(top, nullptr);
    const std::pair<LPCSTR, Qt::CursorShape> shapes[] = {{IDC_SIZEWE, Qt::SizeHorCursor},
                                                         {IDC_SIZENS, Qt::SizeVerCursor},
                                                         {IDC_IBEAM, Qt::IBeamCursor},
                                                         {IDC_SIZENWSE, Qt::SizeFDiagCursor},
                                                         {IDC_ARROW, Qt::ArrowCursor}};
    for (const auto& [cursor, shape] : shapes)
    {
        SetCursor(LoadCursor(nullptr, cursor));
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), shape);
    }
    SetCursor(nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor) << "no cursor hides it";
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

int Collect(const LOGFONT* font, const TEXTMETRIC*, DWORD, LPARAM data)
{
    reinterpret_cast<std::vector<std::string>*>(data)->emplace_back(font->lfFaceName);
    return 1;
}

TEST_F(QtSystemTest, TheFontFamiliesAreTheInstalledOnes)
{
    std::vector<std::string> faces;
    EnumFontFamilies(nullptr, nullptr, &Collect, reinterpret_cast<LPARAM>(&faces));
    ASSERT_FALSE(faces.empty());
    // The faces the screen backend draws with are installed with it.
    EXPECT_NE(std::find(faces.begin(), faces.end(), "DejaVu Sans"), faces.end());
    EXPECT_EQ(std::find(faces.begin(), faces.end(), "MS Shell Dlg"), faces.end())
        << "a Windows name that only stands for an installed face is no family of its own";
}

} // namespace
} // namespace qttest
