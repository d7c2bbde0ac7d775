// The pane of a holder frame: a view that hosts one control, optionally under a caption bar
// with a close button that collapses the pane, or a "brick" that shows a text in its own colour
// and font. Notifications, commands and context menus of the control go on to the owner
// window, which handles them as if the control were its own child.
#pragma once

#include "winlib/Frame.h"

#include <memory>
#include <string>

class CClrButton;

// Styles (they combine).
constexpr DWORD HVS_CAPTION = 2;
constexpr DWORD HVS_CLOSE_BUTTON = 4;
constexpr DWORD HVS_BRICK = 8;
constexpr DWORD HVS_PLAIN = 16;
constexpr DWORD HVS_GRADIENT = 32;

// Commands: the close button and the brick menu.
constexpr UINT ID_HOLDER_SET_COLOR = 1111;
constexpr UINT ID_HOLDER_SET_FONT = 1112;
constexpr UINT ID_HOLDER_SET_FONT_ALL = 16007;
constexpr UINT ID_HOLDER_SET_COLOR_ALL = 16008;
constexpr UINT ID_HOLDER_CLOSE = 16009;
constexpr UINT ID_HOLDER_FIT_TO_WINDOW = 16010;
constexpr UINT ID_HOLDER_DEFAULTS = 16012;

// Sent to a view: wParam becomes the caption text colour.
constexpr UINT WM_HOLDER_SET_CAPTION_COLOR = WM_USER + 222;
// Sent to the owner: the view (without a live control, or plain) is now wParam x lParam.
constexpr UINT WM_HOLDER_PANE_SIZE = WM_USER + 1115;

class CHolderView : public CView
{
    DECLARE_DYNCREATE(CHolderView)
public:
    CHolderView();
    ~CHolderView() override;

    // The window that receives the forwarded notifications, commands and size reports.
    void SetOwner(CWnd* owner) { m_pOwner = owner; }
    CWnd* GetOwnerWindow() const { return m_pOwner; }
    void AddStyle(DWORD style) { m_dwStyle |= style; }
    DWORD GetHolderStyle() const { return m_dwStyle; }
    // The caption is kept with a blank in front of the text.
    void SetCaption(const std::string& text, COLORREF color);
    std::string GetCaption() const { return m_strCaption; }
    void SetCaptionColor(COLORREF color);
    COLORREF GetCaptionColor() const { return m_clrCaptionText; }
    void SetBrickFont(CFont* font);
    CFont* GetBrickFont() const { return m_pFont; }
    // Hosts the control (not owned): it fills the view below the caption; with the close-button
    // style the button is made at the caption's right end.
    void SetControl(CWnd* control);
    CWnd* GetControl() const { return m_pControl; }
    CClrButton* GetCloseButton() const { return m_pCloseButton.get(); }
    int GetCaptionHeight() const { return m_nCaptionHeight; }
    // What the close button does: the pane gets no room in the parent splitter.
    void ClosePane();

    // Width of the close button at the caption's right end.
    static constexpr int kCloseButtonWidth = 15;

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnDraw(CDC* dc) override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnContextMenu(CWnd* wnd, CPoint point) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void DrawCaption(CDC& dc);
    void DrawBrick(CDC& dc);
    void PlaceCloseButton();
    bool HandleOwnCommand(UINT id);
    // The views of the parent splitter's columns; empty when the parent is no splitter.
    std::vector<CHolderView*> SiblingBricks() const;
    void FitToWindow();
    void ApplyDefaultFont();
    // The font dialog preset to the brick font; false when cancelled.
    bool ChooseBrickFont(LOGFONT& chosen);
    void RecreateBrickFont(const LOGFONT& font);

    std::string m_strCaption;
    CWnd* m_pControl = nullptr;
    CWnd* m_pOwner = nullptr;
    std::unique_ptr<CClrButton> m_pCloseButton;
    std::unique_ptr<CFont> m_pCloseFont;
    CFont* m_pFont = nullptr;
    DWORD m_dwStyle = 0;
    int m_nCaptionHeight = 17;
    COLORREF m_clrCaptionText = RGB(255, 255, 255);
    COLORREF m_clrGradientTop = RGB(126, 126, 126);
    COLORREF m_clrGradientBottom;
};
