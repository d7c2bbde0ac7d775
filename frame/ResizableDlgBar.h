// A dialog bar whose docked and floating sizes follow the user's dragging and can be kept per bar
// (by its control id) in a settings file, section "KIVO_DIALOG_BAR_SIZE", as "width,height".
#pragma once

#include "frame/KTBCGPDialogBar.h"

#include <string>

class CResizableDlgBar : public CKTBCGPDialogBar
{
public:
    CResizableDlgBar();
    ~CResizableDlgBar() override;

    using CKTBCGPDialogBar::Create;
    // With 'keepInStep', a change of the floating width (height) changes the docked one too.
    BOOL Create(LPCSTR windowName, CWnd* parent, BOOL hasGripper, UINT templateId, UINT style, UINT id,
                BOOL keepInStep);
    // The template given by name: MAKEINTRESOURCE(id) or "#id".
    BOOL Create(CWnd* parent, LPCSTR templateName, UINT style, UINT id, BOOL keepInStep);

    void SetFixedWidth(int width) { m_nFixedWidth = width; }
    void SetFixedHeight(int height) { m_nFixedHeight = height; }
    // Where SaveBarSize and LoadBarSize keep the size; nothing is read or written while empty.
    void SetSettingsFile(const std::string& path) { m_strSettingsFile = path; }
    const std::string& GetSettingsFile() const { return m_strSettingsFile; }

    void SaveBarSize();
    void LoadBarSize();
    // Shows or hides the bar through the application's main frame; TRUE.
    BOOL ShowBar(BOOL show);

    CSize CalcDynamicLayout(int length, DWORD mode) override;
    CSize CalcFloatingSize() override;
    BOOL DestroyWindow() override;

    CSize GetCurrentSize() const { return m_sizeDefault; }
    CSize GetDockedSize() const { return m_szDocked; }
    CSize GetFloatingSize() const { return m_szFloating; }

    static constexpr const char* kSection = "KIVO_DIALOG_BAR_SIZE";

protected:
    void OnSize(UINT type, int cx, int cy) override;

private:
    void UseSize(CSize size);

    std::string m_strSettingsFile;
    std::string m_strSection = kSection;
    CSize m_szDocked{0, 0};
    CSize m_szFloating{0, 0};
    CSize m_szDefault{500, 27};
    BOOL m_bKeepInStep = FALSE;
    int m_nFixedWidth = 0;
    int m_nFixedHeight = 0;
};
