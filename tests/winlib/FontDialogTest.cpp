// Font enumeration over the backend's families, and the font dialog: answered and cancelled
// through the test driver, cancelled headless when nobody answers, and the real dialog on a
// scripted screen.
#include "winlib/FontDialog.h"
#include "ScriptedScreen.h"
#include "winlib/Fonts.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

using kivo::test::ScriptedScreen;

struct Seen
{
    std::vector<std::string> faces;
    std::vector<DWORD> types;
    std::vector<LONG> heights;
    int stopAfter = -1;
};

int Collect(const LOGFONT* font, const TEXTMETRIC* metrics, DWORD type, LPARAM data)
{
    auto* seen = reinterpret_cast<Seen*>(data);
    seen->faces.emplace_back(font->lfFaceName);
    seen->types.push_back(type);
    seen->heights.push_back(metrics->tmHeight);
    // The structures are the larger ones Windows hands out.
    const auto* elf = reinterpret_cast<const ENUMLOGFONTEX*>(font);
    EXPECT_STREQ(reinterpret_cast<const char*>(elf->elfStyle), "Regular");
    return seen->stopAfter == static_cast<int>(seen->faces.size()) ? 0 : 1;
}

LOGFONT Face(const char* name, LONG height = -12)
{
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    std::strncpy(lf.lfFaceName, name, LF_FACESIZE - 1);
    return lf;
}

class FontEnumTest : public ::testing::Test
{
protected:
    winlib::testing::Driver m_driver;
};

TEST_F(FontEnumTest, EveryFamilyOnceOrTheOneNamedOrNoneForAnotherCharacterSet)
{
    Seen all;
    LOGFONT any{};
    any.lfCharSet = ANSI_CHARSET;
    EXPECT_EQ(EnumFontFamiliesEx(nullptr, &any, &Collect, reinterpret_cast<LPARAM>(&all), 0), 1);
    EXPECT_EQ(all.faces, winlib::DefaultFontFamilies());
    for (std::size_t i = 0; i < all.faces.size(); ++i)
    {
        EXPECT_EQ(all.types[i], TRUETYPE_FONTTYPE);
        EXPECT_GT(all.heights[i], 0) << "measured at the default height";
    }

    Seen named;
    LOGFONT arial = Face("times new ROMAN");
    arial.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesEx(nullptr, &arial, &Collect, reinterpret_cast<LPARAM>(&named), 0);
    EXPECT_EQ(named.faces, std::vector<std::string>{"Times New Roman"}) << "the name matches in any case";

    Seen missing;
    EXPECT_EQ(EnumFontFamilies(nullptr, "No Such Face", &Collect, reinterpret_cast<LPARAM>(&missing)), 1);
    EXPECT_TRUE(missing.faces.empty());

    Seen symbols;
    LOGFONT symbol{};
    symbol.lfCharSet = 2; // SYMBOL_CHARSET
    EnumFontFamiliesEx(nullptr, &symbol, &Collect, reinterpret_cast<LPARAM>(&symbols), 0);
    EXPECT_TRUE(symbols.faces.empty());
}

TEST_F(FontEnumTest, AZeroFromTheCallbackEndsTheEnumeration)
{
    Seen some;
    some.stopAfter = 2;
    EXPECT_EQ(EnumFontFamilies(nullptr, nullptr, &Collect, reinterpret_cast<LPARAM>(&some)), 0);
    EXPECT_EQ(some.faces.size(), 2u);
}

class FontDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_owner.CreateEx(0, nullptr, "Owner", WS_POPUP | WS_VISIBLE, CRect(100, 100, 700, 500),
                                     nullptr, 0));
    }
    winlib::testing::Driver m_driver;
    CWnd m_owner;
};

TEST_F(FontDialogTest, TheAnswererSeesTheInitialFontAndItsChoiceComesBack)
{
    const LOGFONT initial = Face("Arial", -11);
    CFontDialog dialog(&initial, CF_SCREENFONTS | CF_EFFECTS, nullptr, &m_owner);
    dialog.m_cf.rgbColors = RGB(0, 0, 128);
    EXPECT_TRUE(dialog.m_cf.Flags & CF_INITTOLOGFONTSTRUCT) << "a given font starts the dialog";

    winlib::ModalRequest seen(winlib::ModalKind::Dialog);
    LOGFONT chosen = Face("Tahoma", -16);
    chosen.lfWeight = FW_BOLD;
    chosen.lfUnderline = 1;
    auto previous = winlib::SetModalAnswerer(
        [&](const winlib::ModalRequest& request)
        {
            seen = request;
            return winlib::ModalAnswer{true, IDOK, RGB(255, 0, 0), chosen};
        });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    winlib::SetModalAnswerer(previous);
    EXPECT_EQ(seen.kind, winlib::ModalKind::FontDialog);
    EXPECT_EQ(seen.window, m_owner.m_hWnd);
    EXPECT_STREQ(seen.font.lfFaceName, "Arial");
    EXPECT_EQ(seen.color, RGB(0, 0, 128));
    EXPECT_TRUE(seen.type & CF_EFFECTS);

    EXPECT_EQ(dialog.GetFaceName(), "Tahoma");
    EXPECT_EQ(dialog.GetSize(), 120) << "16 pixels are 12 points at 96 dots per inch";
    EXPECT_TRUE(dialog.IsBold());
    EXPECT_TRUE(dialog.IsUnderline());
    EXPECT_EQ(dialog.GetColor(), RGB(255, 0, 0));
    EXPECT_EQ(dialog.m_cf.nFontType & (BOLD_FONTTYPE | SCREEN_FONTTYPE), BOLD_FONTTYPE | SCREEN_FONTTYPE);
}

TEST_F(FontDialogTest, WithoutEffectsTheColourAndEffectsStayAsTheyWere)
{
    LOGFONT initial = Face("Arial");
    initial.lfStrikeOut = 1;
    CFontDialog dialog(&initial, CF_SCREENFONTS, nullptr, &m_owner);
    dialog.m_cf.rgbColors = RGB(1, 2, 3);
    m_driver.AnswerNextFontDialog(Face("Verdana"), RGB(200, 0, 0));
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetFaceName(), "Verdana");
    EXPECT_TRUE(dialog.IsStrikeOut());
    EXPECT_EQ(dialog.GetColor(), RGB(1, 2, 3));
}

TEST_F(FontDialogTest, CancelledOrUnansweredTheFontIsKept)
{
    const LOGFONT initial = Face("Arial");
    CFontDialog dialog(&initial, CF_SCREENFONTS | CF_EFFECTS, nullptr, &m_owner);
    m_driver.CancelNextFontDialog();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetFaceName(), "Arial");

    const int before = winlib::UnansweredModalCount();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(winlib::UnansweredModalCount(), before + 1);
    EXPECT_EQ(dialog.GetFaceName(), "Arial");
    EXPECT_FALSE(ChooseFont(nullptr));
}

// ---- The dialog on a scripted screen ----------------------------------------------------------

class FontDialogWindowTest : public FontDialogTest
{
protected:
    void TearDown() override { EXPECT_EQ(m_screen.Starved(), 0); }
    ScriptedScreen& m_screen = ScriptedScreen::Install();
};

int SelectedIndex(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessage(dialog, id, LB_GETCURSEL, 0, 0));
}

std::string SelectedText(HWND dialog, int id)
{
    char text[64] = {};
    const int index = SelectedIndex(dialog, id);
    if (index >= 0)
        SendDlgItemMessage(dialog, id, LB_GETTEXT, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(text));
    return text;
}

TEST_F(FontDialogWindowTest, StartsOnTheInitialFontAndReturnsWhatIsPicked)
{
    std::string face;
    std::string style;
    std::string size;
    int faces = 0;
    m_driver.AnswerNextDialog(
        [&](HWND dialog)
        {
            face = SelectedText(dialog, FONT_FACES);
            style = SelectedText(dialog, FONT_STYLES);
            size = SelectedText(dialog, FONT_SIZES);
            faces = static_cast<int>(SendDlgItemMessage(dialog, FONT_FACES, LB_GETCOUNT, 0, 0));
            const HWND sizes = GetDlgItem(dialog, FONT_SIZES);
            const int row = static_cast<int>(SendMessage(sizes, LB_GETITEMHEIGHT, 0, 0));
            m_driver.Click(sizes, CPoint(5, row * 4 + row / 2)); // the fifth size, 12
            const HWND styles = GetDlgItem(dialog, FONT_STYLES);
            m_driver.Click(styles, CPoint(5, row * 3 + row / 2)); // Bold Italic
            m_driver.Click(GetDlgItem(dialog, FONT_UNDERLINE), CPoint(3, 3));
            m_driver.Click(GetDlgItem(dialog, IDOK), CPoint(5, 5));
        });
    LOGFONT initial = Face("Tahoma", -13); // 10 points
    initial.lfWeight = FW_BOLD;
    CFontDialog dialog(&initial, CF_SCREENFONTS | CF_EFFECTS, nullptr, &m_owner);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(faces, static_cast<int>(winlib::DefaultFontFamilies().size()));
    EXPECT_EQ(face, "Tahoma");
    EXPECT_EQ(style, "Bold");
    EXPECT_EQ(size, "10");
    EXPECT_EQ(dialog.GetFaceName(), "Tahoma");
    EXPECT_EQ(dialog.GetSize(), 120);
    EXPECT_TRUE(dialog.IsBold());
    EXPECT_TRUE(dialog.IsItalic());
    EXPECT_TRUE(dialog.IsUnderline());
    EXPECT_EQ(dialog.m_lf.lfHeight, -16);
}

TEST_F(FontDialogWindowTest, AFaceThatIsNotInstalledIsKeptAndEscapeCancels)
{
    int selected = 0;
    m_driver.AnswerNextDialog(
        [&](HWND dialog)
        {
            selected = SelectedIndex(dialog, FONT_FACES);
            m_driver.Click(GetDlgItem(dialog, IDOK), CPoint(5, 5));
        });
    CFontDialog dialog(nullptr, CF_SCREENFONTS, nullptr, &m_owner);
    std::strcpy(dialog.m_lf.lfFaceName, "No Such Face");
    dialog.m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(selected, LB_ERR);
    EXPECT_EQ(dialog.GetFaceName(), "No Such Face");

    m_driver.AnswerNextDialog([&](HWND) { m_driver.Press(VK_ESCAPE); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

} // namespace
