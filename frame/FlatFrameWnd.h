// A docking-library frame made without the sunken client edge.
#pragma once

#include "winlib/Frame.h"

class CFlatFrameWnd : public CBCGPFrameWnd
{
    DECLARE_DYNCREATE(CFlatFrameWnd)
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
};
