// Frames of the class library and of the docking library: a main frame whose client area
// is a workspace surrounded by docked control bars, control bars that dock on any side or
// float in a mini-frame, and dialog bars made from dialog templates.
#pragma once

#include "winlib/Dialog.h"
#include "winlib/Wnd.h"

#include <string>
#include <vector>

// ---- Control-bar styles -------------------------------------------------------------------
constexpr DWORD CBRS_NOALIGN = 0x00000000;
constexpr DWORD CBRS_FLOATING = 0x00000001;
constexpr DWORD CBRS_SIZE_FIXED = 0x00000002;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x00000004;
constexpr DWORD CBRS_HIDE_INPLACE = 0x00000008;
constexpr DWORD CBRS_TOOLTIPS = 0x00000010;
constexpr DWORD CBRS_FLYBY = 0x00000020;
constexpr DWORD CBRS_FLOAT_MULTI = 0x00000040;
constexpr DWORD CBRS_BORDER_3D = 0x00000080;
constexpr DWORD CBRS_BORDER_LEFT = 0x00000100;
constexpr DWORD CBRS_BORDER_TOP = 0x00000200;
constexpr DWORD CBRS_BORDER_RIGHT = 0x00000400;
constexpr DWORD CBRS_BORDER_BOTTOM = 0x00000800;
constexpr DWORD CBRS_BORDER_ANY = 0x00000F00;
constexpr DWORD CBRS_ALIGN_LEFT = 0x00001000;
constexpr DWORD CBRS_ALIGN_TOP = 0x00002000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x00004000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x00008000;
constexpr DWORD CBRS_ALIGN_ANY = 0x0000F000;
constexpr DWORD CBRS_GRIPPER = 0x00400000;
constexpr DWORD CBRS_ALL = 0x0040FFFF;
constexpr DWORD CBRS_LEFT = CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT;
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
constexpr DWORD CBRS_RIGHT = CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT;
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;

// The class library's private messages.
constexpr UINT WM_SIZEPARENT = 0x0361;
constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;
constexpr UINT WM_INITIALUPDATE = 0x0364;
constexpr UINT WM_RECALCPARENT = 0x0368;

constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;

// Modes of a dynamic layout (CalcDynamicLayout).
constexpr DWORD LM_STRETCH = 0x01;  // stretch to the whole side
constexpr DWORD LM_HORZ = 0x02;     // horizontal orientation
constexpr DWORD LM_MRUWIDTH = 0x04; // the most recently used floating size
constexpr DWORD LM_HORZDOCK = 0x08; // docked on the top or bottom
constexpr DWORD LM_VERTDOCK = 0x10; // docked on the left or right
constexpr DWORD LM_LENGTHY = 0x20;  // the length given is a height
constexpr DWORD LM_COMMIT = 0x40;   // the size is the one taken, not a question

class CFrameWnd;
class CBCGPBaseControlBar;

// A window in a frame's client area: the frame routes commands to its active view first.
class CView : public CWnd
{
    DECLARE_DYNAMIC(CView)
public:
    CFrameWnd* GetParentFrame() const;
    // WM_INITIALUPDATE: the frame's first update of the view.
    virtual void OnInitialUpdate();
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    virtual void OnDraw(CDC* dc);
    void OnPaint() override;
    void OnDestroy() override;
    // Views are made on the heap by their frame and delete themselves with their window.
    void PostNcDestroy() override;
};

// Where a frame's layout puts a docked bar (frame client coordinates).
struct DockedBarPlace
{
    CBCGPBaseControlBar* bar;
    CRect rect;
};

// What a frame creates in its client area (the view class), as the class library passes it.
struct CCreateContext
{
    CRuntimeClass* m_pNewViewClass = nullptr;
    CWnd* m_pCurrentFrame = nullptr;
};

class CFrameWnd : public CWnd
{
    DECLARE_DYNCREATE(CFrameWnd)
public:
    static const CRect rectDefault;

    CFrameWnd();
    ~CFrameWnd() override;

    using CWnd::Create;
    virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style = WS_OVERLAPPEDWINDOW,
                        const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCSTR menuName = nullptr,
                        DWORD exStyle = 0, CCreateContext* context = nullptr);
    // Lays out the control bars along the edges and gives the rest to the view or workspace.
    virtual void RecalcLayout(BOOL notify = TRUE);
    // Asks for a layout on the next idle instead of now.
    void DelayRecalcLayout(BOOL notify = TRUE);
    BOOL IsLayoutPending() const { return m_bDelayedLayout; }
    // The client area left for the view once the docked bars have their places.
    CRect GetWorkspaceRect() const;

    CView* GetActiveView() const { return m_pActiveView; }
    virtual void SetActiveView(CView* view, BOOL notify = TRUE);
    CWnd* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);
    virtual BOOL OnCreateClient(LPCREATESTRUCT cs, CCreateContext* context);

    // Asks every control bar of the frame for its controls' state (the idle update).
    void UpdateControlBars();

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

protected:
    // The places of the docked bars (when 'places' is not null) and the workspace that remains.
    virtual CRect CalcLayout(std::vector<DockedBarPlace>* places) const;
    // The idle work: a delayed layout, then the control bars' update.
    virtual void OnIdle();

    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnDestroy() override;
    void OnActivate(UINT state, CWnd* other, BOOL minimized) override;

    CView* m_pActiveView = nullptr;
    CCreateContext* m_pCreateContext = nullptr;
    int m_nIdleHandler = 0;
    BOOL m_bDelayedLayout = FALSE;
    BOOL m_bInRecalcLayout = FALSE;
    // The control that had the focus when the frame lost the activation.
    HWND m_hWndLastFocus = nullptr;

private:
    void StopIdle();
};

// ---- The docking library ------------------------------------------------------------------

// Every bar that can dock in a docking frame.
class CBCGPBaseControlBar : public CWnd
{
    DECLARE_DYNAMIC(CBCGPBaseControlBar)
public:
    CBCGPBaseControlBar();
    ~CBCGPBaseControlBar() override;

    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD style) { m_dwStyle = style; }
    // The sides (CBRS_ALIGN_*) on which the bar may dock.
    void EnableDocking(DWORD alignment);
    DWORD GetEnabledAlignment() const { return m_dwEnabledAlignment; }
    // The side it is docked on now, 0 while floating or not docked.
    DWORD GetCurrentAlignment() const;

    virtual BOOL IsFloating() const;
    BOOL IsDocked() const { return m_pDockFrame != nullptr && !IsFloating(); }
    // Shows or hides the bar and relays out its frame (at once, or on the next idle when delayed).
    virtual void ShowControlBar(BOOL show, BOOL delay, BOOL activate);
    BOOL IsVisible() const;
    // Takes the bar out of its dock into a floating mini-frame at 'rect' (screen coordinates).
    virtual BOOL FloatControlBar(CRect rect, BOOL delayRecalcLayout = FALSE);
    // Docks the bar back on a side of its frame (CBRS_ALIGN_*; 0 for the last side).
    virtual BOOL DockToFrameWindow(DWORD alignment = 0);
    CFrameWnd* GetDockSiteFrameWnd() const { return m_pDockFrame; }
    // The mini-frame carrying the bar while it floats.
    CWnd* GetParentMiniFrame() const;
    // The client size the bar wants in a mini-frame.
    virtual CSize CalcFloatingSize();

    // The size the bar wants along its dock side (width for left/right, height for top/bottom).
    virtual CSize CalcFixedLayout(BOOL stretch, BOOL horizontal);
    // Bars with CBRS_SIZE_DYNAMIC: the size for a length and LM_* mode. The frame asks it for the
    // docked size; a floating bar's mini-frame tells it each new width and height the user drags.
    virtual CSize CalcDynamicLayout(int length, DWORD mode);

    // The least thickness (height docked top or bottom, width docked left or right) the bar
    // keeps when the frame is too small for every bar's wanted size: its gripper band and a
    // strip of its contents. Bars without a gripper (a menu strip) keep their whole size.
    virtual int GetMinimumThickness(BOOL horizontal);

    // Called after the bar became floating / was docked again.
    virtual void OnAfterFloat();
    virtual void OnAfterDock();

    // The height (or width, docked left or right) of the gripper band with the caption.
    int GetGripperSize() const;
    // In window coordinates; empty without a gripper.
    CRect GetGripperRect() const;
    std::string GetCaption() const;

    // Thickness of the gripper band.
    static constexpr int kGripperBand = 18;
    // How much of its contents a bar with a gripper shows at the least, beside the band.
    static constexpr int kMinimumContents = 48;

protected:
    friend class CBCGPFrameWnd;
    friend class CBCGPMiniFrameWnd;

    void OnNcPaint() override;
    LRESULT OnNcHitTest(CPoint point) override;
    void OnNcLButtonDown(UINT hitTest, CPoint point) override;
    void OnNcLButtonDblClk(UINT hitTest, CPoint point) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnDestroy() override;

    // Takes the bar into 'frame' on 'side' (parent, style, frame) without laying out.
    void AttachToFrame(CFrameWnd* frame, DWORD side);
    // The frame edge (CBRS_ALIGN_*) the screen point lies on, 0 for none.
    DWORD DockSideAt(CPoint screen) const;
    void ContinueGripperDrag(CPoint screen);
    void EndGripperDrag();

    DWORD m_dwStyle = 0;               // CBRS_* style of the bar; its ALIGN bits are the dock side
    DWORD m_dwEnabledAlignment = 0;    // CBRS_ALIGN_* sides it may dock on
    DWORD m_dwLastAlignment = CBRS_ALIGN_TOP;
    BOOL m_bHasGripper = FALSE;
    CFrameWnd* m_pDockFrame = nullptr; // the frame it docks in
    CWnd* m_pMiniFrame = nullptr;      // while floating
    CSize m_sizeDocked{0, 0};          // its size while docked
    CRect m_rectFloating;              // its last floating rectangle (the mini-frame's, on the screen)

private:
    struct GripperDrag
    {
        bool active = false;
        bool floated = false;
        bool awayFromEdges = false; // docking on an edge only after the drag has left them
        CPoint start;
        CPoint miniFrameOffset; // mini-frame origin minus the cursor once floating
    };
    GripperDrag m_drag;
};

class CBCGPControlBar : public CBCGPBaseControlBar
{
    DECLARE_DYNAMIC(CBCGPControlBar)
public:
    // Asks each child control for its state through CCmdUI (the idle update).
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
};

class CBCGPDockingControlBar : public CBCGPControlBar
{
    DECLARE_DYNAMIC(CBCGPDockingControlBar)
public:
    using CWnd::Create;
    virtual BOOL Create(LPCSTR caption, CWnd* parent, const RECT& rect, BOOL hasGripper, UINT id, DWORD style);
};

// A docking bar whose window is a dialog made from a template: its controls are the
// template's, it gets WM_INITDIALOG, and the dialog manager handles its keyboard.
class CBCGPDialogBar : public CBCGPDockingControlBar
{
    DECLARE_DYNAMIC(CBCGPDialogBar)
public:
    CBCGPDialogBar();
    ~CBCGPDialogBar() override;

    using CBCGPDockingControlBar::Create;
    // 'style' carries the window style in its high bits and the CBRS_* bar style in the rest.
    virtual BOOL Create(LPCSTR windowName, CWnd* parent, BOOL hasGripper, UINT templateId, UINT style, UINT id);
    // WM_INITDIALOG: derived bars initialise their controls here (call the base first).
    virtual LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    CSize CalcFixedLayout(BOOL stretch, BOOL horizontal) override;
    CSize CalcFloatingSize() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual void DoDataExchange(CDataExchange* dx);
    CSize m_sizeDefault{0, 0}; // the template's size in pixels
};

class CBCGPDialog : public CDialog
{
    DECLARE_DYNAMIC(CBCGPDialog)
public:
    CBCGPDialog() = default;
    explicit CBCGPDialog(UINT templateId, CWnd* parent = nullptr) : CDialog(templateId, parent) {}
};

// The floating frame of a control bar: a small tool window with the bar's caption.
class CBCGPMiniFrameWnd : public CWnd
{
    DECLARE_DYNAMIC(CBCGPMiniFrameWnd)
public:
    CBCGPMiniFrameWnd() = default;
    using CWnd::Create;
    BOOL Create(CBCGPBaseControlBar* bar, const CRect& screenRect);
    CBCGPBaseControlBar* GetControlBar() const { return m_pBar; }

protected:
    friend class CBCGPBaseControlBar;

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnWindowPosChanged(WINDOWPOS* pos) override;
    void OnClose() override;
    void OnNcLButtonDown(UINT hitTest, CPoint point) override;
    void OnNcLButtonDblClk(UINT hitTest, CPoint point) override;
    void PostNcDestroy() override;
    CBCGPBaseControlBar* m_pBar = nullptr;
    bool m_bCreated = false;       // deletes itself with its window only once Create succeeded
    bool m_bCaptionDrag = false;   // the user is moving it by its caption
    bool m_bAwayFromEdges = false; // that move has left the frame's dock edges
};

class CBCGPFrameWnd : public CFrameWnd
{
    DECLARE_DYNCREATE(CBCGPFrameWnd)
public:
    CBCGPFrameWnd();
    ~CBCGPFrameWnd() override;

    // The sides (CBRS_ALIGN_*) on which bars may dock.
    BOOL EnableDocking(DWORD alignment);
    // Docks the bar on the first side it and the frame allow (or 'side', a CBRS_ALIGN_* value).
    void DockControlBar(CBCGPBaseControlBar* bar, DWORD side = 0, LPCRECT rect = nullptr);
    void ShowControlBar(CBCGPBaseControlBar* bar, BOOL show, BOOL delay, BOOL activate);
    void RecalcLayout(BOOL notify = TRUE) override;
    const std::vector<CBCGPBaseControlBar*>& GetControlBars() const { return m_bars; }
    // Keeps a bar in the docking order (once); DockControlBar does this.
    void AddControlBar(CBCGPBaseControlBar* bar);
    // Forgets a bar that is being destroyed.
    void RemoveControlBar(CBCGPBaseControlBar* bar);
    DWORD GetDockAlignment() const { return m_dwDockAlignment; }
    // The first side (top, bottom, left, right) both the frame and the bar allow, 0 for none.
    DWORD FindDockSide(const CBCGPBaseControlBar* bar, DWORD preferred = 0) const;

    // What the workspace keeps when the docked bars share a frame too small for them all.
    static constexpr int kWorkspaceMinimum = 32;

protected:
    CRect CalcLayout(std::vector<DockedBarPlace>* places) const override;

    std::vector<CBCGPBaseControlBar*> m_bars; // in docking order, not owned
    DWORD m_dwDockAlignment = 0;
};

class CBCGPMDIFrameWnd : public CBCGPFrameWnd
{
    DECLARE_DYNCREATE(CBCGPMDIFrameWnd)
public:
    // The workspace in the middle (the MDI client area).
    CWnd* GetMDIClient() { return &m_wndMDIClient; }
    BOOL OnCreateClient(LPCREATESTRUCT cs, CCreateContext* context) override;
    void RecalcLayout(BOOL notify = TRUE) override;

protected:
    CWnd m_wndMDIClient;
};
