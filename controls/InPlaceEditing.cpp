#include "controls/InPlaceEditing.h"

#include "winlib/Api.h"
#include "winlib/CommCtrl.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

void SendEndLabelEdit(CWnd* editor, int row, int column, const std::string& text)
{
    CWnd* list = editor ? editor->GetParent() : nullptr;
    if (!list || !list->m_hWnd)
        return;
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    NMLVDISPINFO info{};
    info.hdr.hwndFrom = list->m_hWnd;
    info.hdr.idFrom = static_cast<UINT_PTR>(editor->GetDlgCtrlID());
    info.hdr.code = LVN_ENDLABELEDIT;
    info.item.mask = LVIF_TEXT;
    info.item.iItem = row;
    info.item.iSubItem = column;
    info.item.pszText = buffer.data();
    info.item.cchTextMax = static_cast<int>(text.size());
    list->SendMessage(WM_NOTIFY, static_cast<WPARAM>(list->GetDlgCtrlID()), reinterpret_cast<LPARAM>(&info));
}

std::string StepInPlaceNumber(const std::string& text, bool up)
{
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (up)
        value = (value > LONG_MAX / 2 || value < LONG_MIN / 2) ? value : value * 2;
    else if (value / 2 > 0)
        value /= 2;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%ld", value);
    return buffer;
}

std::string ClipboardText(HWND owner)
{
    std::string text;
    if (!::IsClipboardFormatAvailable(CF_TEXT) || !::OpenClipboard(owner))
        return text;
    if (auto data = static_cast<HGLOBAL>(::GetClipboardData(CF_TEXT)))
    {
        if (const char* chars = static_cast<const char*>(::GlobalLock(data)))
        {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

bool AllAccepted(const std::string& text, const std::string& accepted)
{
    return text.find_first_not_of(accepted) == std::string::npos;
}
