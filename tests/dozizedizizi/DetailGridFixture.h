// A detail grid as the console sets it up (section mode, the three columns, the detail data
// descriptor), and replies built field by field and handed to a builder.
#pragma once

#include "connect/Message.h"
#include "connect/ReceivedMessage.h"
#include "dozizedizizi/DetailBuilders.h"
#include "dozizedizizi/FieldLabels.h"
#include "support/DetailSections.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// What pu_get_maker_checker_Modify_Right answers in this test program.
extern int g_testModifyRight;

using BuilderFunction = void (*)(MnmHndl, CMultiLineListCtrl&);

class DetailGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_testModifyRight = 1;
        FillFieldLabels();
        ASSERT_TRUE(
            m_parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 600, 400), nullptr, 0));
        ASSERT_TRUE(m_grid.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED,
                                  CRect(0, 0, 580, 380), &m_parent, 4001));
        int column = 0;
        for (const char* name : {"Field", "Value", "Old Value"})
            m_grid.InsertColumn(column++, name, LVCFMT_LEFT, 160);
        m_grid.EnableSectionMode(TRUE);
        m_grid.SetDataDescriptor(DescribeDetailSection);
    }
    void TearDown() override
    {
        FreeSections(m_grid);
        m_grid.DestroyWindow();
        m_parent.DestroyWindow();
        ClearFieldLabels();
    }

    // The builder's sections for the reply, in a grid emptied first; a section whose lines do not
    // match its rows fails the test.
    std::vector<ShownSection> Build(BuilderFunction build, const connect::Message& reply)
    {
        FreeSections(m_grid);
        connect::ReceivedMessage received(reply);
        build(received.Handle(), m_grid);
        std::vector<std::string> faults;
        std::vector<ShownSection> sections = ReadSections(m_grid, &faults);
        for (const std::string& fault : faults)
            ADD_FAILURE() << fault;
        return sections;
    }
    std::vector<ShownSection> Build(BuilderFunction build, const ReplyFields& fields)
    {
        return Build(build, MakeReply(fields));
    }

    winlib::testing::Driver m_driver;
    CWnd m_parent;
    CMultiLineListCtrl m_grid;
};
