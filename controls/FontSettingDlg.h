// A small modal dialog in which the user picks a font face and a point size, as the appearance
// dialog's font button asks for them.
#pragma once

#include "controls/HotFontCombo.h"
#include "frame/KTBCGPDialog.h"

#include <string>

class CFontSettingDlg : public CKTBCGPDialog
{
    DECLARE_DYNAMIC(CFontSettingDlg)
public:
    static constexpr UINT IDD = 302;
    static constexpr int IDC_FONT_FACE = 33076;
    static constexpr int IDC_FONT_SIZE = 33077;

    CFontSettingDlg(const std::string& face, const std::string& size, CWnd* parent = nullptr);

    // After OK, the face and size chosen; after Cancel, the ones given.
    const std::string& GetFontName() const { return m_strFontName; }
    const std::string& GetFontSize() const { return m_strFontSize; }

    CHotFontCombo& FaceList() { return m_cbFont; }
    CComboBox& SizeList() { return m_cbSize; }

protected:
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnOK() override;

private:
    CHotFontCombo m_cbFont;
    CComboBox m_cbSize;
    std::string m_strFontName;
    std::string m_strFontSize;
};
