#include "frame/FlatFrameWnd.h"

IMPLEMENT_DYNCREATE(CFlatFrameWnd, CBCGPFrameWnd)

BOOL CFlatFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CBCGPFrameWnd::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return TRUE;
}
