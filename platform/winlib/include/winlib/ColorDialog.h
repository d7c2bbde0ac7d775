// The colour dialog: ChooseColor and the class library's CColorDialog. It asks the modal
// answerer first (ModalKind::ColorDialog, with the initial colour); headless and
// unanswered it is cancelled; on screen it is a modal dialog of the 48 basic colours with
// red, green and blue fields and a preview of the colour chosen.
#pragma once

#include "winlib/Dialog.h"

using LPCCHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct CHOOSECOLORA
{
    DWORD lStructSize;
    HWND hwndOwner;
    HWND hInstance;
    COLORREF rgbResult;
    COLORREF* lpCustColors;
    DWORD Flags;
    LPARAM lCustData;
    LPCCHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
};
using CHOOSECOLOR = CHOOSECOLORA;
using LPCHOOSECOLORA = CHOOSECOLORA*;
using LPCHOOSECOLOR = CHOOSECOLOR*;

constexpr DWORD CC_RGBINIT = 0x00000001;
constexpr DWORD CC_FULLOPEN = 0x00000002;
constexpr DWORD CC_PREVENTFULLOPEN = 0x00000004;
constexpr DWORD CC_SHOWHELP = 0x00000008;
constexpr DWORD CC_ENABLEHOOK = 0x00000010;
constexpr DWORD CC_ENABLETEMPLATE = 0x00000020;
constexpr DWORD CC_ENABLETEMPLATEHANDLE = 0x00000040;
constexpr DWORD CC_SOLIDCOLOR = 0x00000080;
constexpr DWORD CC_ANYCOLOR = 0x00000100;

// Control identifiers of the dialog, as the system's colour dialog numbers them.
constexpr int COLOR_RED = 706;
constexpr int COLOR_GREEN = 707;
constexpr int COLOR_BLUE = 708;
constexpr int COLOR_CURRENT = 709;
constexpr int COLOR_BOX1 = 720; // the first of the 48 basic colours, row by row

// TRUE with the chosen colour in rgbResult; FALSE when cancelled.
BOOL ChooseColor(LPCHOOSECOLOR cc);

class CColorDialog : public CDialog
{
    DECLARE_DYNAMIC(CColorDialog)
public:
    // A non-zero initial colour starts the dialog on it (CC_RGBINIT).
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);

    // IDOK with the colour in m_cc.rgbResult, or IDCANCEL.
    INT_PTR DoModal() override;
    COLORREF GetColor() const { return m_cc.rgbResult; }
    // The sixteen custom colours shared by every colour dialog of the process.
    static COLORREF* GetSavedCustomColors();

    CHOOSECOLOR m_cc{};
};
