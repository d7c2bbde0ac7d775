#include "holder/HolderView.h"

#include "controls/ClrButton.h"
#include "winlib/ColorDialog.h"
#include "winlib/FontDialog.h"
#include "winlib/Menu.h"
#include "winlib/Modules.h"
#include "winlib/Splitter.h"

IMPLEMENT_DYNCREATE(CHolderView, CView)

namespace
{

constexpr COLORREF kCaptionFrameGrey = RGB(126, 126, 126);

using PFN_GradientFill = BOOL (*)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG);

// GradientFill from msimg32, loaded on first use; null when the library or the function is missing.
PFN_GradientFill GradientFillFunction()
{
    HMODULE module = LoadLibrary("msimg32.dll");
    if (!module)
        return nullptr;
    return reinterpret_cast<PFN_GradientFill>(GetProcAddress(module, "GradientFill"));
}

COLOR16 Channel(BYTE value)
{
    return static_cast<COLOR16>(value << 8);
}

void FillVerticalGradient(CDC& dc, const CRect& rect, COLORREF top, COLORREF bottom)
{
    const PFN_GradientFill fill = GradientFillFunction();
    if (!fill)
        return;
    TRIVERTEX vertices[2] = {
        {rect.left, rect.top, Channel(GetRValue(top)), Channel(GetGValue(top)), Channel(GetBValue(top)), 0},
        {rect.right, rect.bottom, Channel(GetRValue(bottom)), Channel(GetGValue(bottom)),
         Channel(GetBValue(bottom)), 0}};
    GRADIENT_RECT mesh{0, 1};
    fill(dc.m_hDC, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_V);
}

} // namespace

CHolderView::CHolderView() : m_clrGradientBottom(GetSysColor(COLOR_BTNSHADOW)) {}

CHolderView::~CHolderView() = default;

BOOL CHolderView::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CView::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return TRUE;
}

void CHolderView::SetCaption(const std::string& text, COLORREF color)
{
    m_strCaption = " " + text;
    m_clrCaptionText = color;
    if (m_hWnd)
        Invalidate();
}

void CHolderView::SetCaptionColor(COLORREF color)
{
    m_clrCaptionText = color;
    if (m_hWnd)
        Invalidate();
}

void CHolderView::SetBrickFont(CFont* font)
{
    m_pFont = font;
    if (m_hWnd)
        Invalidate();
}

void CHolderView::SetControl(CWnd* control)
{
    m_pControl = control;
    if (!m_hWnd || !control || !control->m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    if (m_dwStyle & (HVS_CAPTION | HVS_CLOSE_BUTTON))
        client.top = std::min<LONG>(client.bottom, client.top + m_nCaptionHeight);
    control->MoveWindow(&client);
    if (!(m_dwStyle & HVS_CLOSE_BUTTON) || m_pCloseButton)
        return;
    m_pCloseFont = std::make_unique<CFont>();
    m_pCloseFont->CreatePointFont(100, "Times New Roman");
    auto button = std::make_unique<CClrButton>();
    const CRect place(client.right - kCloseButtonWidth, 0, client.right, m_nCaptionHeight);
    if (!button->Create("x", WS_CHILD | BS_PUSHBUTTON | BS_OWNERDRAW | BS_CENTER, place, this,
                        ID_HOLDER_CLOSE))
        return;
    button->SetFontName("Times New Roman");
    button->SetFontSize("10");
    button->SetFont(m_pCloseFont.get(), FALSE);
    button->SetCheck(BST_UNCHECKED);
    m_pCloseButton = std::move(button);
    m_pCloseButton->ShowWindow(SW_SHOW);
    PlaceCloseButton();
}

void CHolderView::PlaceCloseButton()
{
    if (!m_pCloseButton || !m_pCloseButton->m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    m_pCloseButton->MoveWindow(client.right - kCloseButtonWidth, -2, kCloseButtonWidth + 2,
                               m_nCaptionHeight + 2);
    m_pCloseButton->Invalidate();
}

// ---- Painting -------------------------------------------------------------------------------

BOOL CHolderView::OnEraseBkgnd(CDC* dc)
{
    // The caption, the brick and the control cover the view; a plain view paints itself.
    if (m_dwStyle & (HVS_PLAIN | HVS_BRICK))
        return TRUE;
    return CView::OnEraseBkgnd(dc);
}

void CHolderView::OnDraw(CDC* dc)
{
    if (m_dwStyle & HVS_PLAIN)
    {
        CRect client;
        GetClientRect(&client);
        dc->FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
        return;
    }
    if (m_dwStyle & (HVS_CAPTION | HVS_CLOSE_BUTTON))
        DrawCaption(*dc);
    if (m_dwStyle & HVS_BRICK)
        DrawBrick(*dc);
    if (m_pControl && m_pControl->m_hWnd)
        m_pControl->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CHolderView::DrawCaption(CDC& dc)
{
    CRect client;
    GetClientRect(&client);
    CRect bar(client.left, client.top, client.right, client.top + m_nCaptionHeight);
    if (m_dwStyle & HVS_CLOSE_BUTTON)
        bar.right -= kCloseButtonWidth;
    dc.SetBkMode(TRANSPARENT);
    const HGDIOBJ oldFont = dc.SelectObject(GetStockObject(ANSI_VAR_FONT));
    if (m_dwStyle & HVS_GRADIENT)
    {
        CRect fill = bar;
        fill.right -= 1;
        fill.bottom -= 1;
        FillVerticalGradient(dc, fill, m_clrGradientTop, m_clrGradientBottom);
        dc.SetTextColor(m_clrCaptionText);
    }
    else
    {
        dc.FillSolidRect(&bar, GetSysColor(COLOR_BTNFACE));
        dc.SetTextColor(RGB(0, 0, 0));
    }
    dc.Draw3dRect(&bar, GetSysColor(COLOR_BTNHIGHLIGHT), kCaptionFrameGrey);
    CRect text = bar;
    dc.DrawText(m_strCaption, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    dc.SelectObject(oldFont);
}

void CHolderView::DrawBrick(CDC& dc)
{
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
    dc.Draw3dRect(&client, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_clrCaptionText);
    CFont* old = m_pFont && m_pFont->m_hObject ? dc.SelectObject(m_pFont) : nullptr;
    CRect text = client;
    dc.DrawText(m_strCaption, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (old)
        dc.SelectObject(old);
}

// ---- Size -----------------------------------------------------------------------------------

void CHolderView::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    const bool liveControl = m_pControl && m_pControl->m_hWnd && ::IsWindow(m_pControl->m_hWnd);
    if ((m_dwStyle & HVS_PLAIN) || (m_pControl && !liveControl))
    {
        if (m_pOwner && m_pOwner->m_hWnd)
            m_pOwner->SendMessage(WM_HOLDER_PANE_SIZE, static_cast<WPARAM>(cx), static_cast<LPARAM>(cy));
    }
    else if (liveControl)
    {
        if (m_dwStyle & HVS_CLOSE_BUTTON)
            m_pControl->MoveWindow(0, m_nCaptionHeight, cx, std::max(0, cy - m_nCaptionHeight));
        else
            m_pControl->MoveWindow(0, 0, cx, cy);
    }
    if (m_pControl)
        PlaceCloseButton();
}

void CHolderView::OnDestroy()
{
    if (m_pCloseButton && m_pCloseButton->m_hWnd)
        m_pCloseButton->DestroyWindow();
    CView::OnDestroy();
}

// ---- Forwarding -------------------------------------------------------------------------------

BOOL CHolderView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (m_pOwner && m_pOwner->m_hWnd)
    {
        *result = m_pOwner->SendMessage(WM_NOTIFY, wParam, lParam);
        return TRUE;
    }
    return CView::OnNotify(wParam, lParam, result);
}

BOOL CHolderView::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const bool handled = HandleOwnCommand(LOWORD(wParam));
    if (m_pOwner && m_pOwner->m_hWnd)
    {
        m_pOwner->SendMessage(WM_COMMAND, wParam, lParam);
        return TRUE;
    }
    return handled ? TRUE : CView::OnCommand(wParam, lParam);
}

void CHolderView::OnContextMenu(CWnd* wnd, CPoint point)
{
    if (m_dwStyle & HVS_BRICK)
    {
        CMenu menu;
        menu.CreatePopupMenu();
        menu.AppendMenu(MF_STRING, ID_HOLDER_SET_COLOR, "Set Color");
        menu.AppendMenu(MF_STRING, ID_HOLDER_SET_FONT, "Set Font");
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING, ID_HOLDER_SET_COLOR_ALL, "Set Color to All Bricks");
        menu.AppendMenu(MF_STRING, ID_HOLDER_SET_FONT_ALL, "Set Font to All Bricks");
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING, ID_HOLDER_FIT_TO_WINDOW, "Fit To Window");
        menu.AppendMenu(MF_STRING, ID_HOLDER_DEFAULTS, "Set Default Values");
        CPoint cursor;
        ::GetCursorPos(&cursor);
        menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, this);
        return;
    }
    (void)point;
    CWnd* target = m_pOwner && m_pOwner->m_hWnd ? m_pOwner : GetParent();
    if (target && target->m_hWnd)
        target->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(wnd ? wnd->m_hWnd : m_hWnd),
                            static_cast<LPARAM>(::GetMessagePos()));
}

LRESULT CHolderView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOLDER_SET_CAPTION_COLOR)
    {
        SetCaptionColor(static_cast<COLORREF>(wParam));
        return 0;
    }
    return CView::WindowProc(message, wParam, lParam);
}

// ---- Own commands -----------------------------------------------------------------------------

bool CHolderView::HandleOwnCommand(UINT id)
{
    switch (id)
    {
    case ID_HOLDER_CLOSE:
        ClosePane();
        return true;
    case ID_HOLDER_SET_COLOR:
    {
        CColorDialog dialog(m_clrCaptionText, 0, this);
        if (dialog.DoModal() == IDOK)
            SetCaptionColor(dialog.GetColor());
        return true;
    }
    case ID_HOLDER_SET_COLOR_ALL:
    {
        const std::vector<CHolderView*> views = SiblingBricks();
        if (views.empty())
            return true;
        CColorDialog dialog(0, 0, this);
        if (dialog.DoModal() == IDOK)
        {
            for (CHolderView* view : views)
                view->SetCaptionColor(dialog.GetColor());
        }
        return true;
    }
    case ID_HOLDER_SET_FONT:
    {
        LOGFONT chosen{};
        if (ChooseBrickFont(chosen))
            RecreateBrickFont(chosen);
        return true;
    }
    case ID_HOLDER_SET_FONT_ALL:
    {
        const std::vector<CHolderView*> views = SiblingBricks();
        LOGFONT chosen{};
        if (!views.empty() && ChooseBrickFont(chosen))
        {
            for (CHolderView* view : views)
                view->RecreateBrickFont(chosen);
        }
        return true;
    }
    case ID_HOLDER_FIT_TO_WINDOW:
        FitToWindow();
        return true;
    case ID_HOLDER_DEFAULTS:
        for (CHolderView* view : SiblingBricks())
            view->ApplyDefaultFont();
        return true;
    default:
        return false;
    }
}

void CHolderView::ClosePane()
{
    auto* splitter = dynamic_cast<CSplitterWnd*>(GetParent());
    int row = 0;
    int col = 0;
    if (splitter && splitter->IsChildPane(this, &row, &col))
    {
        CRect client;
        splitter->GetClientRect(&client);
        int current = 0;
        int minimum = 0;
        if (splitter->GetColumnCount() > 1)
        {
            splitter->GetColumnInfo(col, current, minimum);
            splitter->SetColumnInfo(col, 0, minimum);
            // The last column takes whatever is left, so the one before it takes everything.
            if (col == splitter->GetColumnCount() - 1)
            {
                splitter->GetColumnInfo(col - 1, current, minimum);
                splitter->SetColumnInfo(col - 1, client.Width(), minimum);
            }
        }
        if (splitter->GetRowCount() > 1)
        {
            splitter->GetRowInfo(row, current, minimum);
            splitter->SetRowInfo(row, 0, minimum);
            if (row == splitter->GetRowCount() - 1)
            {
                splitter->GetRowInfo(row - 1, current, minimum);
                splitter->SetRowInfo(row - 1, client.Height(), minimum);
            }
        }
        splitter->RecalcLayout();
    }
    if (m_pCloseButton && m_pCloseButton->m_hWnd)
    {
        m_pCloseButton->SetCheck(BST_UNCHECKED);
        m_pCloseButton->ModifyStyle(WS_BORDER, 0);
        m_pCloseButton->SendMessage(WM_KILLFOCUS, 0, 0);
    }
}

std::vector<CHolderView*> CHolderView::SiblingBricks() const
{
    std::vector<CHolderView*> views;
    auto* splitter = dynamic_cast<CSplitterWnd*>(GetParent());
    if (!splitter)
        return views;
    for (int col = 0; col < splitter->GetColumnCount(); ++col)
    {
        if (auto* view = dynamic_cast<CHolderView*>(splitter->GetPane(0, col)))
            views.push_back(view);
    }
    return views;
}

void CHolderView::FitToWindow()
{
    auto* splitter = dynamic_cast<CSplitterWnd*>(GetParent());
    if (!splitter || splitter->GetColumnCount() < 1)
        return;
    CWnd* frame = splitter->GetParent();
    CRect client;
    (frame && frame->m_hWnd ? frame : static_cast<CWnd*>(splitter))->GetClientRect(&client);
    const int width = client.Width() / splitter->GetColumnCount();
    for (int col = 0; col < splitter->GetColumnCount(); ++col)
    {
        int current = 0;
        int minimum = 0;
        splitter->GetColumnInfo(col, current, minimum);
        splitter->SetColumnInfo(col, width, minimum);
        splitter->RecalcLayout();
    }
}

void CHolderView::ApplyDefaultFont()
{
    // The font object is replaced in place; a view without one has nothing to replace.
    if (!m_pFont)
        return;
    m_pFont->DeleteObject();
    m_pFont->CreateFont(13, 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Times New Roman");
    if (m_hWnd)
        Invalidate();
}

bool CHolderView::ChooseBrickFont(LOGFONT& chosen)
{
    LOGFONT current{};
    const bool hasFont = m_pFont && m_pFont->m_hObject && m_pFont->GetLogFont(&current);
    CFontDialog dialog(hasFont ? &current : nullptr, CF_SCREENFONTS | CF_EFFECTS, nullptr, this);
    if (dialog.DoModal() != IDOK)
        return false;
    dialog.GetCurrentFont(&chosen);
    return true;
}

void CHolderView::RecreateBrickFont(const LOGFONT& font)
{
    // As with the default font: the object is replaced in place, so a view needs one first.
    if (!m_pFont)
        return;
    m_pFont->DeleteObject();
    m_pFont->CreateFontIndirect(&font);
    if (m_hWnd)
        Invalidate();
}
