// The terminal's menu bar: a strip of menu titles docked at the top of the main frame,
// each opening its popup menu; the chosen command goes to the frame.
#pragma once

#include "winlib/Frame.h"
#include "winlib/Menu.h"

#include <memory>
#include <string>
#include <vector>

namespace host
{

class CMenuBar : public CBCGPControlBar
{
public:
    static constexpr UINT kId = 0xE80F;

    BOOL CreateBar(CWnd* frame);
    // The menu takes ownership of the popup.
    void AddMenu(const std::string& title, std::unique_ptr<CMenu> popup);
    CSize CalcFixedLayout(BOOL stretch, BOOL horizontal) override;
    // Opens the menu at 'index' under its title (the chosen command goes to the frame).
    void OpenMenu(int index);
    // The menu keys: 0 (F10) opens the first menu, a character the menu whose title has it
    // as its mnemonic (the letter after '&'); a menu opened so has its first item selected.
    // False when no menu has that mnemonic.
    bool OpenMenuByKey(char key);
    CRect TitleRect(int index) const;

protected:
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnLButtonDown(UINT flags, CPoint point) override;

private:
    struct Entry
    {
        std::string title;
        std::unique_ptr<CMenu> popup;
    };
    std::vector<Entry> m_menus;
    int m_open = -1;
};

} // namespace host
