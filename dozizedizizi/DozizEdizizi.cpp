#include "dozizedizizi/DozizEdizizi.h"

#include "base/PluginGlobals.h"
#include "base/TabbedLog.h"
#include "connect/DarvRxControl.h"
#include "controls/DisplayTextDlg.h"
#include "dozizedizizi/AuthTypes.h"
#include "dozizedizizi/DetailBuilders.h"
#include "dozizedizizi/DetailSection.h"
#include "dozizedizizi/FieldIds.h"
#include "dozizedizizi/FieldLabels.h"
#include "dozizedizizi/MCConnection.h"
#include "dozizedizizi/RequestMessages.h"
#include "holder/HolderView.h"
#include "holder/KTHolderFrame.h"
#include "protocol/Visibility.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CDozizEdizizi, CKTBCGPDialogBar)

namespace
{
constexpr UINT kAlwaysEnabled[] = {IDC_MC_REQUEST_LIST, IDC_MC_ACCEPT, IDC_MC_REJECT, IDC_MC_UPDATE,
                                   IDC_MC_RECOVER};

// The band above the grids that the buttons take, and the margin around the grids.
constexpr int kButtonBand = 55;
constexpr int kMargin = 5;
// What the start call's placement of a second start gives a wide screen.
const CRect kRestartListRect(0, 0, 1680, 400);
const CRect kRestartBarRect(5, 35, 1675, 395);
constexpr int kCaptionHeight = 17;
// The request list's share of the grids' height (percent) before the checker sets his own: most
// of the room goes to the details of the request on view, which run to dozens of rows.
constexpr int kRequestListShare = 40;
// The least height a grid's pane keeps while the console has room for it: caption, header and a
// few rows. A stored split or a larger pane above never squeezes it below that.
constexpr int kMinimumPaneHeight = 90;

constexpr std::size_t kMaxCellText = 255;

constexpr const char* kRequestListCaption = "Maker checker List";
// The caption's colour while new requests wait unseen: yellow on the caption's grey.
constexpr COLORREF kUnseenCaptionColour = RGB(255, 230, 0);

// The request list's columns: name, data type.
constexpr std::pair<const char*, int> kRequestColumns[] = {
    {"Entity Name", KIVO_DT_TEXT}, {"Auth Type", KIVO_DT_TEXT}, {"Key", KIVO_DT_INT64},
    {"Maker", KIVO_DT_TEXT},       {"Branch", KIVO_DT_TEXT},    {"Broker", KIVO_DT_TEXT}};
constexpr int kRequestColumnWidth = 75;

// The characters a value typed into the detail grid may hold.
constexpr const char* kDetailEditCharacters =
    "0123456789.-qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM!@#$%^&*()_`,./;':}{|~ ";

sKivoColInfo Column(const char* name, int width, int format, int dataType)
{
    sKivoColInfo column;
    column.SetName(name);
    column.m_nWidth = width;
    column.m_nFormat = format;
    column.m_nDataType = dataType;
    return column;
}

// The request list's text callback: one cell of a request's row.
BOOL DescribeRequest(DWORD_PTR item, int column, std::string& text, COLORREF&, COLORREF&, int&)
{
    const auto* request = reinterpret_cast<const sMakeCheckStruct*>(item);
    if (!request || column < 0 || column >= 7)
        return FALSE;
    switch (column)
    {
    case 0:
        text = request->m_strEntity;
        break;
    case 1:
        text = GetAuthTypeText(request->m_strAuthType);
        break;
    case 2:
        text = request->m_strKey;
        break;
    case 3:
        text = request->m_strMaker;
        break;
    case 4:
        text = request->m_strBranch;
        break;
    case 5:
        text = request->m_strBroker;
        break;
    default:
        text = request->m_strSpare;
        break;
    }
    if (text.size() > kMaxCellText)
        text.resize(kMaxCellText);
    return TRUE;
}

// A new request is announced with a short, quiet tone.
constexpr DWORD kBeepFrequency = 500;
constexpr DWORD kBeepDuration = 100;

} // namespace

CDozizEdizizi* g_pDozizEdizizi = nullptr;

namespace
{
PFN_pu_get_find_menu_item_in_roles RolesOfTheConsole()
{
    return g_pDozizEdizizi ? g_pDozizEdizizi->m_pfnFindMenuItemInRoles : nullptr;
}
} // namespace

CDozizEdizizi::CDozizEdizizi()
{
    g_pfnConsoleRoles = &RolesOfTheConsole;
    m_wndRequestList.m_strListName = "Maker-Checker";
    m_wndRequestList.SetDataDescriptor(&DescribeRequest);
    m_requests.SetView(&m_requestListView);
}

CDozizEdizizi::~CDozizEdizizi()
{
    m_requests.Clear();
    ClearDetailView();
    ClearFieldLabels();
    m_mapEditedValues.RemoveAll();
    if (m_pConnection)
    {
        m_pConnection->Close();
        m_pConnection.reset();
    }
}

LRESULT CDozizEdizizi::HandleInitDialog(WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CKTBCGPDialogBar::HandleInitDialog(wParam, lParam);
    if (!m_pConnection)
    {
        m_pConnection = std::make_unique<sMCConnection>();
        m_pConnection->Open();
    }
    CRect client;
    GetClientRect(&client);
    const CRect holder(client.left + kMargin, client.top + kButtonBand, client.right - kMargin,
                       client.bottom - kMargin);
    m_pHolderFrame = std::make_unique<CKTHolderFrame>();
    m_pHolderFrame->CreateTwoGridHolder(this, HOLDER_HORIZONTAL, holder, &m_wndRequestList,
                                        kRequestListCaption, IDC_MC_REQUEST_LIST, &m_wndDetailList,
                                        "Maker Checker Details List", IDC_MC_DETAIL_LIST);
    m_bDefaultSplit = m_pHolderFrame->m_hWnd && !m_pHolderFrame->LoadPaneSizes();
    if (m_pHolderFrame->m_hWnd)
    {
        CFlatSplitterWnd& splitter = m_pHolderFrame->GetSplitter();
        // The request list keeps a stored height of at least that; the details below it keep
        // their minimum whatever the list's height (the layout reserves it).
        if (splitter.GetRowCount() > 1)
        {
            splitter.SetRowInfo(0, std::max(splitter.GetRowIdeal(0), kMinimumPaneHeight), 0);
            splitter.SetRowInfo(1, splitter.GetRowIdeal(1), kMinimumPaneHeight);
        }
    }
    ApplyDefaultSplit();
    InitialiseRequestList();
    InitialiseDetailList();
    FillFieldLabels();
    const auto modifyRight =
        FindHostFunction<PFN_pu_get_maker_checker_Modify_Right>("pu_get_maker_checker_Modify_Right");
    if (!modifyRight || modifyRight() == 0)
    {
        if (CWnd* update = GetDlgItem(IDC_MC_UPDATE))
            update->ShowWindow(SW_HIDE);
    }
    return result;
}

// Tab cannot take the checker out of the detail grid (the grid keeps Tab for its editors): F6, as
// in the panes of any window, moves between the parts of the console.
BOOL CDozizEdizizi::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F6 && !(::GetKeyState(VK_CONTROL) & 0x8000))
    {
        FocusNextPart((::GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return TRUE;
    }
    return CKTBCGPDialogBar::PreTranslateMessage(msg);
}

void CDozizEdizizi::FocusNextPart(bool backwards)
{
    CWnd* parts[] = {GetDlgItem(IDC_MC_ACCEPT), &m_wndRequestList, &m_wndDetailList};
    constexpr int kParts = 3;
    const HWND focus = ::GetFocus();
    int current = 0;
    for (int part = 1; part < kParts; ++part)
    {
        const HWND window = parts[part]->m_hWnd;
        if (window && focus && (focus == window || ::IsChild(window, focus)))
            current = part;
    }
    for (int step = 1; step < kParts; ++step)
    {
        CWnd* next = parts[(current + (backwards ? kParts - step : step)) % kParts];
        if (next && next->m_hWnd && next->IsWindowVisible() && next->IsWindowEnabled())
        {
            next->SetFocus();
            return;
        }
    }
}

void CDozizEdizizi::InitialiseRequestList()
{
    if (!m_wndRequestList.m_hWnd)
        return;
    m_wndRequestList.m_arrColumns.clear();
    for (const auto& [name, type] : kRequestColumns)
        m_wndRequestList.m_arrColumns.push_back(Column(name, kRequestColumnWidth, KIVO_ALIGN_RIGHT, type));
    m_wndRequestList.InitColumns();
    m_wndRequestList.EnableFilter(TRUE);
    // New requests are inserted at the end of the store; the list shows the newest on top, and
    // keeps the checker's place while he works in it.
    m_wndRequestList.SetNewestFirst(TRUE);
    m_wndRequestList.SetKeepPlace(TRUE);
    m_wndRequestList.SetOwner(this);
    m_wndRequestList.SetExtendedStyle(m_wndRequestList.GetExtendedStyle() | LVS_EX_CHECKBOXES);
    m_wndRequestList.SetCallbackMask(LVIS_SELECTED);
    // The declared widths cut most texts: until the checker sizes the columns (or his stored
    // layout does), they follow the list's width and what its rows show.
    m_wndRequestList.SetColumnsFollowView(!m_wndRequestList.HasStoredWidths());
}

void CDozizEdizizi::InitialiseDetailList()
{
    if (!m_wndDetailList.m_hWnd)
        return;
    // White and black are the grid's colours until the checker stores his own: the appearance the
    // grid loaded when it was created stays.
    if (!m_wndDetailList.m_bStoredAppearanceLoaded)
    {
        m_wndDetailList.m_appearance.m_clrBackground = RGB(255, 255, 255);
        m_wndDetailList.m_appearance.m_clrText = RGB(0, 0, 0);
        m_wndDetailList.SetBkColor(RGB(255, 255, 255));
        m_wndDetailList.SetTextColor(RGB(0, 0, 0));
    }
    m_wndDetailList.m_arrColumns = {Column("Field", 160, KIVO_ALIGN_LEFT, KIVO_DT_TEXT),
                                    Column("Value", 200, KIVO_ALIGN_CENTER, KIVO_DT_TEXT),
                                    Column("Old Value", 200, KIVO_ALIGN_CENTER, KIVO_DT_TEXT)};
    m_wndDetailList.InitColumns();
    m_wndDetailList.EnableSectionMode(TRUE);
    m_wndDetailList.SetExtendedStyle((m_wndDetailList.GetExtendedStyle() | LVS_EX_GRIDLINES) &
                                     ~LVS_EX_HEADERDRAGDROP);
    m_wndDetailList.SetDataDescriptor(&DescribeDetailSection);
    m_wndDetailList.SetAcceptedChars(kDetailEditCharacters);
    // Fitted to the window when a request's details are in, and again as the grid's size changes,
    // so that no column is ever pushed out of view.
    m_wndDetailList.SetColumnsFollowView(!m_wndDetailList.HasStoredWidths(), ID_LIST_FIT_TO_WINDOW);
}

// The grids follow the console: each list first, then the holder frame around them.
void CDozizEdizizi::OnSize(UINT type, int cx, int cy)
{
    if (m_pHolderFrame && m_pHolderFrame->m_hWnd)
    {
        CRect client;
        GetClientRect(&client);
        client.top += kCaptionHeight;
        if (m_wndRequestList.m_hWnd)
            m_wndRequestList.MoveWindow(&client, TRUE);
        if (m_wndDetailList.m_hWnd)
            m_wndDetailList.MoveWindow(&client, TRUE);
        CRect holder;
        GetWindowRect(&holder);
        ScreenToClient(&holder);
        holder.top += kButtonBand;
        holder.left += kMargin;
        holder.right -= kMargin;
        holder.bottom -= kMargin;
        if (holder.Width() > 0)
            m_pHolderFrame->MoveWindow(&holder, TRUE);
        ApplyDefaultSplit();
    }
    CKTBCGPDialogBar::OnSize(type, cx, cy);
}

bool CDozizEdizizi::CheckerMovedSplit() const
{
    if (!m_bDefaultSplit)
        return true;
    const CFlatSplitterWnd& splitter = m_pHolderFrame->GetSplitter();
    return m_nDefaultSplit >= 0 && splitter.GetRowIdeal(0) != m_nDefaultSplit;
}

void CDozizEdizizi::ApplyDefaultSplit()
{
    if (!m_bDefaultSplit || !m_pHolderFrame || !m_pHolderFrame->m_hWnd)
        return;
    CFlatSplitterWnd& splitter = m_pHolderFrame->GetSplitter();
    if (!splitter.m_hWnd || splitter.GetRowCount() < 2)
        return;
    if (CheckerMovedSplit())
    {
        m_bDefaultSplit = false;
        return;
    }
    CRect client;
    splitter.GetClientRect(&client);
    int current = 0;
    int minimum = 0;
    splitter.GetRowInfo(0, current, minimum);
    m_nDefaultSplit = std::max(client.Height(), 0) * kRequestListShare / 100;
    splitter.SetRowInfo(0, m_nDefaultSplit, minimum);
    splitter.RecalcLayout();
}

void CDozizEdizizi::PlaceForRestart()
{
    if (!m_pHolderFrame || !m_pHolderFrame->m_hWnd)
        return;
    if (m_wndRequestList.m_hWnd)
        m_wndRequestList.MoveWindow(&kRestartListRect, TRUE);
    CRect client;
    GetClientRect(&client);
    if (m_wndDetailList.m_hWnd)
        m_wndDetailList.MoveWindow(&client, TRUE);
    if (kRestartBarRect.Width() > 0)
        m_pHolderFrame->MoveWindow(&kRestartBarRect, TRUE);
    MoveWindow(&kRestartBarRect, TRUE);
}

void CDozizEdizizi::OnContextMenu(CWnd* wnd, CPoint point)
{
    const bool caption = wnd && (wnd->m_hWnd == m_hWnd || wnd->IsKindOf(RUNTIME_CLASS(CHolderView)));
    if (!caption || !m_pHolderFrame || !m_pHolderFrame->m_hWnd)
    {
        CKTBCGPDialogBar::OnContextMenu(wnd, point);
        return;
    }
    if (point.x == -1 && point.y == -1)
        ::GetCursorPos(&point);
    m_pHolderFrame->ShowPanesMenu(point);
}

void CDozizEdizizi::OnDestroy()
{
    // The split the checker chose is his for the next start; an untouched one stays a share. A
    // pane closed now is no split to keep: the next start shows both as they were before.
    if (m_pHolderFrame && m_pHolderFrame->m_hWnd && CheckerMovedSplit() &&
        m_pHolderFrame->GetSplitter().IsPaneOpen(0) && m_pHolderFrame->GetSplitter().IsPaneOpen(1))
        m_pHolderFrame->SavePaneSizes();
    // The grids go with the window: what they show goes first, while they still hold it.
    m_requests.Clear();
    ClearDetailView();
    CKTBCGPDialogBar::OnDestroy();
}

// ---- Editing a limit value ------------------------------------------------------------

namespace
{

std::string WithoutCommas(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), ','), text.end());
    return text;
}

// How an edited limit goes to the server: whole numbers for the quantity and security limits,
// the text itself for the remarks and the validation flag, two decimals for every amount.
std::string EditedValueText(int fieldId, const std::string& value)
{
    if (fieldId == 64312 || fieldId == 64037)
        return value;
    const double number = std::strtod(value.c_str(), nullptr);
    char text[64];
    std::snprintf(text, sizeof text,
                  (fieldId == 41236 || fieldId == 64210 || fieldId == 64211) ? "%.0f" : "%.2f", number);
    return text;
}

constexpr const char* kValueColumn = "Value";

} // namespace

sMCListStruct* CDozizEdizizi::DetailRowAt(int line) const
{
    int within = 0;
    const sMultiLineColInfo* entry = m_wndDetailList.ResolveLine(line, &within);
    if (!entry || within == 0 || !entry->m_pSection)
        return nullptr;
    return static_cast<sDetailSection*>(entry->m_pSection)->GetLine(within);
}

void CDozizEdizizi::OnBeginEdit(int line, int column, sCellEditInfo& info)
{
    sMCListStruct* row = DetailRowAt(line);
    if (!row)
        return;
    row->m_strValue = WithoutCommas(row->m_strValue);
    const int index = m_wndDetailList.GetColumnAtPosition(column);
    if (index < 0 || index >= static_cast<int>(m_wndDetailList.m_arrColumns.size()) ||
        m_wndDetailList.m_arrColumns[static_cast<std::size_t>(index)].GetName() != kValueColumn)
        return;
    switch (row->m_nEditType)
    {
    case MC_EDIT_DROPDOWN:
    case MC_EDIT_DROPDOWN_ALT:
    {
        info.m_nEditorKind = CELL_EDITOR_DROPDOWN;
        std::size_t start = 0;
        while (start <= row->m_strChoices.size())
        {
            const std::size_t comma = row->m_strChoices.find(',', start);
            const std::string choice = row->m_strChoices.substr(
                start, comma == std::string::npos ? std::string::npos : comma - start);
            if (choice.empty())
                break;
            info.m_arrChoices.push_back(choice);
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        break;
    }
    case MC_EDIT_TEXT:
        info.m_nEditorKind = CELL_EDITOR_TEXT;
        info.m_strText = row->m_strEditParam;
        break;
    case MC_EDIT_PRICE:
        info.m_nEditorKind = CELL_EDITOR_PRICE;
        info.m_strText = row->m_strEditParam;
        break;
    case MC_EDIT_DATETIME:
        info.m_nEditorKind = CELL_EDITOR_DATETIME;
        break;
    default:
        break;
    }
}

void CDozizEdizizi::OnEndEdit(const NMLVDISPINFO& edit)
{
    sMCListStruct* row = DetailRowAt(edit.item.iItem);
    if (!row)
        return;
    const int column = edit.item.iSubItem;
    if (column >= 0 && column < static_cast<int>(m_wndDetailList.m_arrColumns.size()) &&
        m_wndDetailList.m_arrColumns[static_cast<std::size_t>(column)].GetName() == kValueColumn &&
        edit.item.pszText)
        row->m_strValue = edit.item.pszText;
    // Whatever column the edit ended in, a limit's current value is what Update sends.
    int fieldId = 0;
    if (GetLabelFieldId(row->m_strField, fieldId))
    {
        row->m_strValue = WithoutCommas(row->m_strValue);
        m_mapEditedValues.SetAt(fieldId, EditedValueText(fieldId, row->m_strValue));
        row->m_bEdited = true;
    }
    m_wndDetailList.RedrawItems(edit.item.iItem, edit.item.iItem);
}

BOOL CDozizEdizizi::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_MULTILINE_EDIT_BEGIN && lParam)
        OnBeginEdit(LOWORD(wParam), HIWORD(wParam), *reinterpret_cast<sCellEditInfo*>(lParam));
    else if (message == WM_MULTILINE_EDIT_END && lParam)
        OnEndEdit(*reinterpret_cast<const NMLVDISPINFO*>(lParam));
    else
        return CKTBCGPDialogBar::OnWndMsg(message, wParam, lParam, result);
    *result = Default();
    return TRUE;
}

BOOL CDozizEdizizi::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    // A double click, or Enter from the keyboard, opens the selected request.
    if (header && header->idFrom == IDC_MC_REQUEST_LIST &&
        (header->code == static_cast<UINT>(NM_DBLCLK) || header->code == static_cast<UINT>(NM_RETURN)))
    {
        const int row = m_wndRequestList.GetNextItem(-1, LVNI_SELECTED);
        if (row >= 0)
        {
            if (auto* request = reinterpret_cast<sMakeCheckStruct*>(m_wndRequestList.GetItemData(row)))
                OpenRequest(request);
        }
        *result = 0;
        return TRUE;
    }
    if (header && header->idFrom == IDC_MC_REQUEST_LIST && header->code == FLN_UNSEENROWSCHANGED)
    {
        ShowUnseenRequests();
        *result = 0;
        return TRUE;
    }
    if (header && header->code == HDN_FILTERCHANGE)
    {
        if (header->idFrom == IDC_MC_REQUEST_LIST)
        {
            m_wndRequestList.ApplyFilter();
            return TRUE;
        }
        if (header->idFrom == IDC_MC_DETAIL_LIST)
        {
            m_wndDetailList.ApplyFilter();
            return TRUE;
        }
    }
    return CKTBCGPDialogBar::OnNotify(wParam, lParam, result);
}

// The request list's caption counts the new requests the checker has not seen while he works in
// the list (they wait on top of it), in a colour that catches the eye, and says how to see them.
void CDozizEdizizi::ShowUnseenRequests()
{
    auto* view = dynamic_cast<CHolderView*>(m_wndRequestList.GetParent());
    if (!view)
        return;
    const int unseen = m_wndRequestList.GetUnseenNewRows();
    if (unseen > 0 && m_clrRequestCaption == CLR_NONE)
        m_clrRequestCaption = view->GetCaptionColor();
    std::string caption = kRequestListCaption;
    if (unseen > 0)
        caption +=
            "  -  " + std::to_string(unseen) +
            (unseen == 1 ? " new request on top (Home shows it)" : " new requests on top (Home shows them)");
    const COLORREF colour = unseen > 0 ? kUnseenCaptionColour : m_clrRequestCaption;
    view->SetCaption(caption, colour == CLR_NONE ? view->GetCaptionColor() : colour);
    if (unseen == 0)
        m_clrRequestCaption = CLR_NONE;
    view->Invalidate(FALSE);
}

void CDozizEdizizi::DoDataExchange(CDataExchange* dx)
{
    CKTBCGPDialogBar::DoDataExchange(dx);
}

// Every button stays enabled: controls without a handler are never disabled here.
void CDozizEdizizi::OnUpdateCmdUI(CFrameWnd* target, BOOL)
{
    CKTBCGPDialogBar::OnUpdateCmdUI(target, FALSE);
}

BOOL CDozizEdizizi::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo)
{
    if (nCode == CN_UPDATE_COMMAND_UI && pExtra)
    {
        for (UINT id : kAlwaysEnabled)
        {
            if (id == nID)
            {
                static_cast<CCmdUI*>(pExtra)->Enable(TRUE);
                return TRUE;
            }
        }
    }
    return CKTBCGPDialogBar::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CDozizEdizizi::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED)
    {
        switch (LOWORD(wParam))
        {
        case IDC_MC_ACCEPT:
            OnAccept();
            return TRUE;
        case IDC_MC_REJECT:
            OnReject();
            return TRUE;
        case IDC_MC_UPDATE:
            OnUpdate();
            return TRUE;
        case IDC_MC_RECOVER:
            ClearDetailView();
            OnRecover();
            return TRUE;
        default:
            break;
        }
    }
    return CKTBCGPDialogBar::OnCommand(wParam, lParam);
}

// ---- Published requests ----------------------------------------------------------------

int CDozizEdizizi::SubscribeRequests()
{
    const auto rule = protocol::VisibilityRule(g_nUserPrivilege, g_strUserId, g_strBrokerId);
    if (!rule)
        return 1;
    std::vector<int> ids;
    std::vector<std::string> values;
    for (const protocol::Requirement& requirement : *rule)
    {
        ids.push_back(requirement.field);
        values.push_back(requirement.value);
    }
    CDarvRxControl* control = m_pConnection ? m_pConnection->m_pControl0 : nullptr;
    void* handle = nullptr;
    int error = 0;
    if (!control || !control->Subscribe(&handle, ids.data(), values, static_cast<int>(ids.size()), control,
                                        false, 0, true, &error))
        AddToTabbedLog("Failed to subscribe ", 2);
    return 1;
}

int CDozizEdizizi::UnsubscribeRequests()
{
    CDarvRxControl* control = m_pConnection ? m_pConnection->m_pControl0 : nullptr;
    if (control && control->Unsubscribe(0))
        return 1;
    AddToTabbedLog("Failed to Unsubscribe", 2);
    return 0;
}

void CDozizEdizizi::HandlePublishMsg(MnmHndl message)
{
    const auto roles = FindHostFunction<PFN_pu_get_find_menu_item_in_roles>("pu_get_find_menu_item_in_roles");
    const sPublishedOutcome outcome = m_requests.Apply(message, roles, g_strUserId);
    switch (outcome.effect)
    {
    case PublishedEffect::Decided:
    case PublishedEffect::Unlisted:
        // The view goes even when a decided request was never listed here: what it showed is
        // decided.
        if (outcome.key == m_strDetailKey)
            ClearDetailView();
        break;
    case PublishedEffect::Listed:
    case PublishedEffect::Refreshed:
        Beep(kBeepFrequency, kBeepDuration);
        break;
    case PublishedEffect::None:
        break;
    }
}

// ---- The request list ------------------------------------------------------------------

void CDozizEdizizi::RedrawRequestList()
{
    if (m_wndRequestList.m_hWnd)
        m_wndRequestList.Invalidate(TRUE);
}

std::vector<sMakeCheckStruct*> CDozizEdizizi::TickedRequests() const
{
    std::vector<sMakeCheckStruct*> ticked;
    if (!m_wndRequestList.m_hWnd)
        return ticked;
    const int rows = m_wndRequestList.GetItemCount();
    for (int row = 0; row < rows; ++row)
    {
        if (!m_wndRequestList.GetCheck(row))
            continue;
        if (auto* request = reinterpret_cast<sMakeCheckStruct*>(m_wndRequestList.GetItemData(row)))
            ticked.push_back(request);
    }
    return ticked;
}

void CDozizEdizizi::ClearDetailView()
{
    if (!m_wndDetailList.IsSectionMode())
        return;
    for (const auto& entry : m_wndDetailList.GetEntries())
    {
        delete static_cast<sDetailSection*>(entry->m_pSection);
        entry->m_pSection = nullptr;
    }
    m_wndDetailList.DeleteAllItems();
}

// ---- Queries ---------------------------------------------------------------------------

void CDozizEdizizi::OpenRequest(sMakeCheckStruct* request)
{
    if (!request)
        return;
    ClearDetailView();
    const std::string& type = request->m_strAuthType;
    int sent = 0;
    if (type == AUTH_ADD_USER || type == AUTH_MODIFY_USER)
        sent = RequestUserDetails(request);
    else if (type == AUTH_ADD_CLIENT || type == AUTH_MODIFY_CLIENT)
        sent = RequestAccountDetails(request);
    else if (type == AUTH_RMS_LIMITS)
    {
        // Edits belong to the limits on view: a fresh view starts without any.
        m_mapEditedValues.RemoveAll();
        sent = RequestLimitsDetails(request);
    }
    if (sent)
        ++m_nDetailQueriesSent;
}

int CDozizEdizizi::RequestUserDetails(sMakeCheckStruct* request)
{
    return SendDetailsQuery(m_pConnection.get(), protocol::kUserDetailsFunction, *request,
                            "Request for getting entities details sent ", m_strDetailKey);
}

int CDozizEdizizi::RequestAccountDetails(sMakeCheckStruct* request)
{
    return SendDetailsQuery(m_pConnection.get(), protocol::kAccountDetailsFunction, *request,
                            "Request for getting account details sent ", m_strDetailKey);
}

int CDozizEdizizi::RequestLimitsDetails(sMakeCheckStruct* request)
{
    return SendDetailsQuery(m_pConnection.get(), protocol::kLimitsDetailsFunction, *request,
                            "Request for getting entities details sent ", m_strDetailKey);
}

void CDozizEdizizi::AddDetails(const std::string& functionName, MnmHndl reply)
{
    if (!m_wndDetailList.m_hWnd || m_nDetailQueriesAnswered + 1 < m_nDetailQueriesSent)
        return;
    if (functionName == protocol::kLimitsDetailsFunction)
        BuildLimitDetails(reply, m_wndDetailList);
    else if (functionName == protocol::kUserDetailsFunction)
        BuildUserDetails(reply, m_wndDetailList);
    else if (functionName == protocol::kAccountDetailsFunction)
        BuildAccountDetails(reply, m_wndDetailList);
}

void CDozizEdizizi::CompleteDetailView()
{
    if (++m_nDetailQueriesAnswered < m_nDetailQueriesSent || !m_wndDetailList.m_hWnd)
        return;
    m_wndDetailList.ExpandAllSections();
    m_wndDetailList.FitColumns(ID_LIST_FIT_TO_WINDOW);
}

// ---- Decisions -------------------------------------------------------------------------

int CDozizEdizizi::SendAccept(sMakeCheckStruct* request)
{
    return request ? SendAcceptMessage(m_pConnection.get(), *request) : 0;
}

int CDozizEdizizi::SendReject(sMakeCheckStruct* request, const std::string& reason)
{
    return request ? SendRejectMessage(m_pConnection.get(), *request, reason) : 0;
}

void CDozizEdizizi::AcceptRequests(const std::vector<sMakeCheckStruct*>& requests)
{
    // A failed send shows a message box, and while it is up a published decision may take a
    // record away: the requests are decided on copies taken now.
    std::vector<sMakeCheckStruct> copies;
    copies.reserve(requests.size());
    for (const sMakeCheckStruct* request : requests)
        copies.push_back(*request);

    std::vector<sMakeCheckStruct*> investorUsers;
    std::vector<sMakeCheckStruct*> investorClients;
    for (sMakeCheckStruct& copy : copies)
    {
        sMakeCheckStruct* request = &copy;
        if (request->m_strCategory == CATEGORY_INVESTOR_CLIENT && request->m_strAuthType == AUTH_ADD_USER)
            investorUsers.push_back(request);
        else if (request->m_strCategory == CATEGORY_INVESTOR_CLIENT &&
                 request->m_strAuthType == AUTH_ADD_CLIENT)
            investorClients.push_back(request);
        else
            SendAccept(request);
    }

    // An investor's user and client account are accepted together, the user first.
    for (std::size_t c = investorClients.size(); c-- > 0;)
    {
        sMakeCheckStruct* client = investorClients[c];
        for (std::size_t u = investorUsers.size(); u-- > 0;)
        {
            sMakeCheckStruct* user = investorUsers[u];
            if (user->m_strEntity != client->m_strLinkedUser)
                continue;
            SendAccept(user);
            SendAccept(client);
            investorUsers.erase(investorUsers.begin() + static_cast<std::ptrdiff_t>(u));
            investorClients.erase(investorClients.begin() + static_cast<std::ptrdiff_t>(c));
            break;
        }
    }

    const std::vector<sMakeCheckStruct*>& unpaired = investorUsers.empty() ? investorClients : investorUsers;
    std::string names;
    for (auto it = unpaired.rbegin(); it != unpaired.rend(); ++it)
        names += "  " + (*it)->m_strEntity;
    if (names.empty())
        return;
    std::string text = "Autenticate User and Account for" + names;
    AfxMessageBox(text);
    text += "For Investor client Autenticate User and Client Together";
    AddToTabbedLog(std::move(text), 2);
}

// A button that finds nothing to do says so in the log (never in a box): the checker learns
// every outcome, "nothing" included, and the server's answer tells the rest.
void CDozizEdizizi::OnAccept()
{
    const std::vector<sMakeCheckStruct*> ticked = TickedRequests();
    if (ticked.empty())
    {
        AddToTabbedLog("Nothing to accept: no request shown is ticked", 2);
        return;
    }
    AcceptRequests(ticked);
}

// The ticked rows are read once the reason is in: the list may change while the dialog is up.
void CDozizEdizizi::OnReject()
{
    const std::string reason = AskRejectionReason();
    if (reason.empty())
    {
        AddToTabbedLog("Nothing rejected: the Rejection dialog was closed without a reason", 2);
        return;
    }
    const std::vector<sMakeCheckStruct*> ticked = TickedRequests();
    if (ticked.empty())
    {
        AddToTabbedLog("Nothing to reject: no request shown is ticked", 2);
        return;
    }
    RejectRequests(ticked, reason);
}

std::string CDozizEdizizi::AskRejectionReason()
{
    CDisplayTextDlg dialog(this);
    if (dialog.DoModal() != IDOK)
        return {};
    return dialog.m_strText;
}

void CDozizEdizizi::RejectRequests(const std::vector<sMakeCheckStruct*>& requests, const std::string& reason)
{
    std::vector<sMakeCheckStruct> copies;
    copies.reserve(requests.size());
    for (const sMakeCheckStruct* request : requests)
        copies.push_back(*request);
    for (sMakeCheckStruct& copy : copies)
        SendReject(&copy, reason);
}

void CDozizEdizizi::OnUpdate()
{
    if (m_mapEditedValues.IsEmpty())
    {
        AddToTabbedLog(NothingToUpdate(), 2);
        return;
    }
    if (SendUpdateMessage(m_pConnection.get(), m_strDetailKey, m_mapEditedValues))
    {
        m_mapEditedValues.RemoveAll();
        UnmarkEditedRows();
    }
}

// Why Update has nothing to send, in the checker's terms.
std::string CDozizEdizizi::NothingToUpdate() const
{
    if (m_strDetailKey.empty())
        return "Nothing to update: open an RMS Limits request and edit its values first";
    const sMakeCheckStruct* shown = FindRequest(m_strDetailKey);
    if (shown && shown->m_strAuthType != AUTH_RMS_LIMITS)
        return "Nothing to update: request " + m_strDetailKey + " is a " +
               GetAuthTypeText(shown->m_strAuthType) + " request, and Update sends edited RMS limits only";
    return "Nothing to update: no limit of request " + m_strDetailKey + " was edited";
}

// Sent values are no longer the checker's own: their rows lose the mark.
void CDozizEdizizi::UnmarkEditedRows()
{
    if (!m_wndDetailList.IsSectionMode())
        return;
    for (const auto& entry : m_wndDetailList.GetEntries())
    {
        if (auto* section = static_cast<sDetailSection*>(entry->m_pSection))
        {
            for (const auto& row : section->m_arrRows)
                row->m_bEdited = false;
        }
    }
    if (m_wndDetailList.m_hWnd)
        m_wndDetailList.Invalidate(FALSE);
}

void CDozizEdizizi::OnRecover()
{
    SendRecoverMessage(m_pConnection.get());
}
