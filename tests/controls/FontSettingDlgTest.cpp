// The font dialog: installed faces in a sorted list, the stored face and size selected when
// shown, OK and Cancel, a face that is not installed kept, and the face list's hover border.
#include "controls/FontSettingDlg.h"
#include "resources/PluginResources.h"
#include "winlib/Api.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

class FontSettingDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterPluginResources(); }

    // Opens the dialog for face and size and lets 'drive' work it; the dialog's result.
    INT_PTR Run(CFontSettingDlg& dialog, std::function<void(CFontSettingDlg&)> drive)
    {
        m_driver.AnswerNextDialog([&dialog, drive](HWND) { drive(dialog); });
        return dialog.DoModal();
    }

    static std::string Selected(CComboBox& combo)
    {
        std::string text;
        if (combo.GetCurSel() != CB_ERR)
            combo.GetLBText(combo.GetCurSel(), text);
        return text;
    }
    void Press(CFontSettingDlg& dialog, int button)
    {
        CWnd* control = dialog.GetDlgItem(button);
        CRect rect;
        control->GetClientRect(&rect);
        m_driver.Click(control->m_hWnd, rect.CenterPoint());
    }

    winlib::testing::Driver m_driver{winlib::HeadlessDrawing::Recording};
};

TEST_F(FontSettingDlgTest, AnInstalledFaceAndAListedSizeAreShownAndOkKeepsThem)
{
    CFontSettingDlg dialog("Tahoma", "12");
    std::vector<std::string> faces;
    std::vector<std::string> sizes;
    std::string face, size;
    EXPECT_EQ(Run(dialog,
                  [&](CFontSettingDlg& d)
                  {
                      for (int i = 0; i < d.FaceList().GetCount(); ++i)
                      {
                          faces.emplace_back();
                          d.FaceList().GetLBText(i, faces.back());
                      }
                      for (int i = 0; i < d.SizeList().GetCount(); ++i)
                      {
                          sizes.emplace_back();
                          d.SizeList().GetLBText(i, sizes.back());
                      }
                      face = Selected(d.FaceList());
                      size = Selected(d.SizeList());
                      Press(d, IDOK);
                  }),
              IDOK);
    // The headless backend's fixed set of families, sorted.
    EXPECT_EQ(faces,
              (std::vector<std::string>{"Arial", "Courier New", "Microsoft Sans Serif", "MS Sans Serif",
                                        "MS Shell Dlg", "Segoe UI", "Tahoma", "Times New Roman", "Verdana"}));
    EXPECT_EQ(sizes, (std::vector<std::string>{"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24",
                                               "26", "28", "36", "48", "72"}));
    EXPECT_EQ(face, "Tahoma");
    EXPECT_EQ(size, "12");
    EXPECT_EQ(dialog.GetFontName(), "Tahoma");
    EXPECT_EQ(dialog.GetFontSize(), "12");
}

TEST_F(FontSettingDlgTest, AChoiceIsTakenOnOkAndCancelKeepsWhatWasGiven)
{
    CFontSettingDlg chosen("Arial", "8");
    Run(chosen,
        [&](CFontSettingDlg& d)
        {
            d.FaceList().SetCurSel(d.FaceList().FindStringExact(-1, "Verdana"));
            d.SizeList().SetCurSel(d.SizeList().FindStringExact(-1, "36"));
            Press(d, IDOK);
        });
    EXPECT_EQ(chosen.GetFontName(), "Verdana");
    EXPECT_EQ(chosen.GetFontSize(), "36");

    CFontSettingDlg cancelled("Arial", "8");
    EXPECT_EQ(Run(cancelled,
                  [&](CFontSettingDlg& d)
                  {
                      d.FaceList().SetCurSel(d.FaceList().FindStringExact(-1, "Verdana"));
                      Press(d, IDCANCEL);
                  }),
              IDCANCEL);
    EXPECT_EQ(cancelled.GetFontName(), "Arial");
    EXPECT_EQ(cancelled.GetFontSize(), "8");
}

TEST_F(FontSettingDlgTest, AFaceThatIsNotInstalledIsKeptOnOk)
{
    // The lists' own default face, which this machine does not have.
    CFontSettingDlg dialog("MS Shell Dlg 2", "13");
    int faceSelection = 0, sizeSelection = 0;
    Run(dialog,
        [&](CFontSettingDlg& d)
        {
            faceSelection = d.FaceList().GetCurSel();
            sizeSelection = d.SizeList().GetCurSel();
            Press(d, IDOK);
        });
    EXPECT_EQ(faceSelection, CB_ERR);
    EXPECT_EQ(sizeSelection, CB_ERR);
    EXPECT_EQ(dialog.GetFontName(), "MS Shell Dlg 2");
    EXPECT_EQ(dialog.GetFontSize(), "13");
}

TEST_F(FontSettingDlgTest, TheFaceListLooksRaisedWhileHoveredOrFocusedAndFlatAfterwards)
{
    CFontSettingDlg dialog("Arial", "8");
    bool hotOver = true, hotAway = true, coldAfter = false, hotFocused = false, coldUnfocused = false;
    Run(dialog,
        [&](CFontSettingDlg& d)
        {
            CHotFontCombo& combo = d.FaceList();
            d.GetDlgItem(IDOK)->SetFocus();
            m_driver.Pump();
            CRect rect;
            combo.GetClientRect(&rect);
            m_driver.MouseMove(combo.m_hWnd, rect.CenterPoint());
            hotOver = combo.IsDrawnHot();
            // Away from the list: flat again within a few ticks of its timer.
            m_driver.MouseMove(d.m_hWnd, CPoint(2, 2));
            m_driver.AdvanceClock(30);
            m_driver.Pump();
            hotAway = combo.IsDrawnHot();
            // The last thing drawn on the list's border is the face colour.
            const std::vector<winlib::DrawOp> fills = m_driver.Fills(combo.m_hWnd);
            coldAfter = !fills.empty() && fills.back().color == GetSysColor(COLOR_BTNFACE);
            combo.SetFocus();
            m_driver.Pump();
            hotFocused = combo.IsDrawnHot();
            d.GetDlgItem(IDOK)->SetFocus();
            m_driver.Pump();
            coldUnfocused = !combo.IsDrawnHot();
            Press(d, IDCANCEL);
        });
    EXPECT_TRUE(hotOver);
    EXPECT_FALSE(hotAway);
    EXPECT_TRUE(coldAfter);
    EXPECT_TRUE(hotFocused);
    EXPECT_TRUE(coldUnfocused);
}

} // namespace
