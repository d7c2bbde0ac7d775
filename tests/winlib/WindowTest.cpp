// Windows as a user of the library sees them: creation and destruction order, geometry,
// relationships, visibility and the attached C++ objects.
#include "winlib/Controls.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

std::vector<std::string>* g_log = nullptr;

// Logs the lifecycle messages it receives, tagged with its name.
class LoggingWnd : public CWnd
{
public:
    explicit LoggingWnd(std::string name) : m_name(std::move(name)) {}
    std::string m_name;
    bool m_deleteInPostNcDestroy = false;

protected:
    int OnCreate(LPCREATESTRUCT cs) override
    {
        Log("create");
        return CWnd::OnCreate(cs);
    }
    void OnSize(UINT type, int cx, int cy) override
    {
        Log("size " + std::to_string(cx) + "x" + std::to_string(cy));
        CWnd::OnSize(type, cx, cy);
    }
    void OnShowWindow(BOOL show, UINT status) override
    {
        Log(show ? "show" : "hide");
        CWnd::OnShowWindow(show, status);
    }
    void OnDestroy() override
    {
        Log("destroy");
        CWnd::OnDestroy();
    }
    void OnNcDestroy() override
    {
        Log("ncdestroy");
        CWnd::OnNcDestroy();
    }
    void PostNcDestroy() override
    {
        Log("postncdestroy");
        if (m_deleteInPostNcDestroy)
            delete this;
    }

private:
    void Log(const std::string& what)
    {
        if (g_log)
            g_log->push_back(m_name + ":" + what);
    }
};

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override { g_log = &m_log; }
    void TearDown() override { g_log = nullptr; }
    winlib::testing::Driver m_driver;
    std::vector<std::string> m_log;
};

TEST_F(WindowTest, CreationAndDestructionFollowTheWindowsOrder)
{
    LoggingWnd parent("parent");
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Parent", WS_POPUP | WS_VISIBLE, CRect(10, 10, 210, 110), nullptr, 0));
    auto* child = new LoggingWnd("child");
    child->m_deleteInPostNcDestroy = true;
    ASSERT_TRUE(child->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), &parent, 7));
    EXPECT_EQ(m_log, (std::vector<std::string>{"parent:create", "parent:size 200x100", "parent:show", "child:create",
                                               "child:size 50x20", "child:show"}));
    m_log.clear();

    parent.DestroyWindow();
    // WM_DESTROY goes down the tree, WM_NCDESTROY comes back up, each window's
    // PostNcDestroy right after its own WM_NCDESTROY.
    EXPECT_EQ(m_log, (std::vector<std::string>{"parent:destroy", "child:destroy", "child:ncdestroy",
                                               "child:postncdestroy", "parent:ncdestroy", "parent:postncdestroy"}));
    EXPECT_EQ(parent.m_hWnd, nullptr);
}

TEST_F(WindowTest, GeometryOfChildrenFollowsTheParentsClientArea)
{
    CWnd top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "Top", WS_POPUP | WS_VISIBLE | WS_BORDER, CRect(100, 50, 400, 250), nullptr, 0));
    CRect client;
    top.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, 298, 198)) << "a one-pixel border on each side";

    CWnd child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(10, 20, 60, 40), &top, 5));
    CRect onScreen;
    child.GetWindowRect(&onScreen);
    EXPECT_EQ(onScreen, CRect(111, 71, 161, 91));

    CPoint p(0, 0);
    child.ClientToScreen(&p);
    EXPECT_EQ(p, CPoint(111, 71));
    top.ScreenToClient(&p);
    EXPECT_EQ(p, CPoint(10, 20));
    EXPECT_EQ(CWnd::WindowFromPoint(CPoint(120, 80)), &child);
    EXPECT_EQ(CWnd::WindowFromPoint(CPoint(300, 200)), &top);

    child.MoveWindow(30, 30, 10, 10);
    child.GetWindowRect(&onScreen);
    EXPECT_EQ(onScreen, CRect(131, 81, 141, 91));
    EXPECT_EQ(top.GetDlgItem(5), &child);
    EXPECT_EQ(child.GetDlgCtrlID(), 5);
    EXPECT_EQ(child.GetParent(), &top);
}

TEST_F(WindowTest, HiddenAndDisabledChildrenAreNotHitByThePoint)
{
    CWnd top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    CWnd child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD, CRect(0, 0, 50, 50), &top, 1));
    EXPECT_EQ(CWnd::WindowFromPoint(CPoint(10, 10)), &top);
    child.ShowWindow(SW_SHOW);
    EXPECT_EQ(CWnd::WindowFromPoint(CPoint(10, 10)), &child);
    child.EnableWindow(FALSE);
    EXPECT_EQ(CWnd::WindowFromPoint(CPoint(10, 10)), &top);
}

TEST_F(WindowTest, StylesChangeThroughModifyStyle)
{
    CWnd top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
    EXPECT_TRUE(top.ModifyStyle(0, WS_BORDER));
    EXPECT_TRUE(top.GetStyle() & WS_BORDER);
    EXPECT_FALSE(top.ModifyStyle(0, WS_BORDER)) << "nothing changed";
    EXPECT_TRUE(top.ModifyStyleEx(0, WS_EX_CLIENTEDGE));
    CRect client;
    top.GetClientRect(&client);
    EXPECT_EQ(client.Width(), 100 - 2 * 3) << "border plus client edge";
}

TEST_F(WindowTest, ObjectsAttachDetachAndSubclass)
{
    const HWND hwnd = CreateWindowEx(0, "Static", "text", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, nullptr, nullptr,
                                     nullptr, nullptr);
    ASSERT_TRUE(hwnd);
    CWnd* temporary = CWnd::FromHandle(hwnd);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr) << "only a temporary object so far";
    EXPECT_EQ(temporary->GetWindowText(), "text");

    CStatic label;
    EXPECT_TRUE(label.Attach(hwnd));
    EXPECT_EQ(CWnd::FromHandle(hwnd), &label);
    EXPECT_TRUE(label.IsKindOf(RUNTIME_CLASS(CStatic)));
    EXPECT_TRUE(label.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_FALSE(label.IsKindOf(RUNTIME_CLASS(CButton)));
    EXPECT_EQ(label.Detach(), hwnd);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, RegisteredClassesAreCreatedByName)
{
    CObject* object = CRuntimeClass::CreateObject("CWnd");
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CWnd)));
    delete object;
    EXPECT_EQ(CRuntimeClass::CreateObject("CStatic"), nullptr) << "CStatic has no dynamic creation";
    EXPECT_EQ(CRuntimeClass::FromName("CStatic"), RUNTIME_CLASS(CStatic));
    EXPECT_EQ(CRuntimeClass::FromName("NoSuchClass"), nullptr);
}

TEST_F(WindowTest, DestroyingAnOwnerDestroysTheWindowsItOwns)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    LoggingWnd owned("owned");
    ASSERT_TRUE(owned.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), &owner, 0));
    EXPECT_EQ(owned.GetOwner(), &owner);
    EXPECT_EQ(::GetParent(owned.m_hWnd), owner.m_hWnd) << "GetParent of a popup is its owner";
    m_log.clear();
    owner.DestroyWindow();
    EXPECT_EQ(owned.m_hWnd, nullptr);
    EXPECT_EQ(m_log.front(), "owned:destroy");
}

} // namespace
