// The backend of headless scripted runs keeps what windows draw only while a script reads the
// screen: a terminal that runs headless for hours, repainting at every request that arrives,
// holds no more of its drawing than one read needs.
#include "host/ScriptBackend.h"

#include "winlib/Wnd.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class LineWnd : public CWnd
{
public:
    std::string m_text;

protected:
    void OnPaint() override
    {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, RGB(255, 255, 255));
        dc.TextOut(2, 2, m_text);
    }
};

std::size_t Texts(const std::vector<winlib::DrawOp>& ops, const std::string& text)
{
    std::size_t count = 0;
    for (const winlib::DrawOp& op : ops)
        count += op.kind == winlib::DrawOp::Kind::Text && op.text == text;
    return count;
}

TEST(ScriptBackend, KeepsNothingBetweenReadsAndEachReadSeesOneRepaint)
{
    winlib::testing::Driver driver;
    winlib::SetBackend(std::make_unique<host::ScriptBackend>());
    host::ScriptBackend& backend = *host::ScriptBackend::Installed();

    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 100), nullptr, 0));
    LineWnd line;
    ASSERT_TRUE(line.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(10, 10, 290, 40), &frame, 1));
    for (int i = 0; i < 500; ++i)
    {
        line.m_text = "request " + std::to_string(i);
        line.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    EXPECT_TRUE(driver.Ops(line.m_hWnd).empty()) << "five hundred repaints, and nothing kept of them";

    backend.BeginReading();
    line.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const std::vector<winlib::DrawOp> read = backend.EndReading(line.m_hWnd);
    EXPECT_EQ(Texts(read, "request 499"), 1u) << "the read sees the line as it is, once";
    EXPECT_EQ(read.size(), 1u) << "and only the texts of the window asked for";
    EXPECT_TRUE(driver.Ops(line.m_hWnd).empty()) << "the read's record is dropped after it";

    // A window made during a read is read too; after the read it keeps nothing either.
    backend.BeginReading();
    CWnd popup;
    ASSERT_TRUE(popup.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 200, 300, 300), nullptr, 0));
    LineWnd inPopup;
    inPopup.m_text = "made while reading";
    ASSERT_TRUE(inPopup.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(10, 10, 290, 40), &popup, 1));
    inPopup.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(Texts(backend.EndReading(inPopup.m_hWnd), "made while reading"), 1u);
    inPopup.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_TRUE(driver.Ops(inPopup.m_hWnd).empty());
    popup.DestroyWindow();
    frame.DestroyWindow();
}

} // namespace
