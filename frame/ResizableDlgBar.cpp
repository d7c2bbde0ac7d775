#include "frame/ResizableDlgBar.h"

#include "base/SettingText.h"
#include "winlib/App.h"
#include "winlib/Cursors.h"
#include "winlib/Profile.h"

#include <cstdlib>
#include <string>

CResizableDlgBar::CResizableDlgBar() = default;

CResizableDlgBar::~CResizableDlgBar() = default;

BOOL CResizableDlgBar::Create(LPCSTR windowName, CWnd* parent, BOOL hasGripper, UINT templateId, UINT style,
                              UINT id, BOOL keepInStep)
{
    if (!CKTBCGPDialogBar::Create(windowName, parent, hasGripper, templateId, style, id))
        return FALSE;
    m_bKeepInStep = keepInStep;
    return TRUE;
}

BOOL CResizableDlgBar::Create(CWnd* parent, LPCSTR templateName, UINT style, UINT id, BOOL keepInStep)
{
    UINT templateId = 0;
    if (templateName && IS_INTRESOURCE(templateName))
        templateId = static_cast<UINT>(reinterpret_cast<UINT_PTR>(templateName));
    else if (templateName && templateName[0] == '#')
        templateId = static_cast<UINT>(std::strtoul(templateName + 1, nullptr, 10));
    if (templateId == 0)
        return FALSE;
    return Create("", parent, (style & CBRS_GRIPPER) ? TRUE : FALSE, templateId, style, id, keepInStep);
}

CSize CResizableDlgBar::CalcDynamicLayout(int length, DWORD mode)
{
    if (!(mode & (LM_HORZDOCK | LM_VERTDOCK)))
    {
        if (mode & LM_MRUWIDTH)
        {
            if (m_nFixedHeight)
                m_szFloating.cy = m_nFixedHeight;
            if (m_nFixedWidth)
                m_szFloating.cx = m_nFixedWidth;
            return m_szFloating;
        }
        if (!(mode & LM_LENGTHY))
        {
            m_szFloating.cx = length;
            if (m_bKeepInStep)
                m_szDocked.cx = length;
            return CSize(length, m_szFloating.cy);
        }
        m_szFloating.cy = length;
        if (m_bKeepInStep)
            m_szDocked.cy = length;
        return CSize(m_szFloating.cx, length);
    }
    if (mode & LM_STRETCH)
        return (mode & LM_HORZ) ? CSize(32767, m_szDocked.cy) : CSize(m_szDocked.cx, 32767);
    if (m_nFixedHeight)
        m_szDocked.cy = m_nFixedHeight;
    if (m_nFixedWidth)
        m_szDocked.cx = m_nFixedWidth;
    return m_szDocked;
}

CSize CResizableDlgBar::CalcFloatingSize()
{
    // A bar that never floated opens its mini-frame at its current size.
    const CSize floating = CalcDynamicLayout(0, LM_MRUWIDTH);
    return (floating.cx > 0 && floating.cy > 0) ? floating : m_sizeDefault;
}

BOOL CResizableDlgBar::DestroyWindow()
{
    return CWnd::DestroyWindow();
}

void CResizableDlgBar::OnSize(UINT type, int cx, int cy)
{
    // A bar squeezed to nothing keeps the size it had.
    if (cx < 1 || cy <= 0)
        return;
    CKTBCGPDialogBar::OnSize(type, cx, cy);
    m_sizeDefault = CSize(cx, cy);
}

void CResizableDlgBar::UseSize(CSize size)
{
    m_sizeDefault = size;
    m_szDocked = size;
    m_szFloating = size;
}

void CResizableDlgBar::SaveBarSize()
{
    const std::string value = std::to_string(m_sizeDefault.cx) + "," + std::to_string(m_sizeDefault.cy);
    const std::string key = std::to_string(GetDlgCtrlID());
    if (!m_strSettingsFile.empty())
        WritePrivateProfileString(m_strSection.c_str(), key.c_str(), value.c_str(),
                                  m_strSettingsFile.c_str());
}

void CResizableDlgBar::LoadBarSize()
{
    const std::string key = std::to_string(GetDlgCtrlID());
    if (m_strSettingsFile.empty())
    {
        UseSize(m_szDefault);
        return;
    }
    char buffer[32] = {};
    const DWORD read = GetPrivateProfileString(m_strSection.c_str(), key.c_str(), "Not Found", buffer,
                                               sizeof buffer, m_strSettingsFile.c_str());
    const std::string text(buffer);
    if (read == 0 || text == "Not Found")
    {
        UseSize(m_szDefault);
        return;
    }
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return;
    // A size that is not a size (text, a sign, nothing, a size no window can have) leaves the bar as
    // it was.
    const std::optional<int> width = ParseStoredSize(std::string_view(text).substr(0, comma));
    const std::optional<int> height = ParseStoredSize(std::string_view(text).substr(comma + 1));
    if (!width || !height || *width < 1 || *height < 1)
        return;
    UseSize(CSize(*width, *height));
}

BOOL CResizableDlgBar::ShowBar(BOOL show)
{
    if (auto* frame = dynamic_cast<CBCGPMDIFrameWnd*>(AfxGetMainWnd()))
        frame->ShowControlBar(this, show, FALSE, show);
    return TRUE;
}
