// Editing limit values in the detail grid: which editor a cell gets, what the console keeps for
// Update, and the whole road from an opened limits request to the Update message.
#include "ConsoleTestSupport.h"

#include "controls/InPlacePriceEdit.h"
#include "dozizedizizi/DetailSection.h"

namespace
{

class LimitEditingTest : public ConsoleTest
{
protected:
    // Opens a limits request whose details the server answers with these limit fields.
    CDozizEdizizi& OpenLimits()
    {
        CDozizEdizizi& console = OpenConsole();
        server.SetScript(
            [](const connect::Message& request, connect::ReplyStream& replies)
            {
                if (*request.Value(0) != "om_get_auth_limits_details")
                    return;
                connect::Message reply;
                reply.Add(64056, "BRK1").Add(31003, "D1");
                reply.AddValues(64031, {"2500", "2000"});
                reply.AddValues(64312, {"review", "none"});
                reply.AddValues(41236, {"12", "10"});
                reply.AddValues(64037, {"yes", "no"});
                replies.Reply(reply);
                replies.Close(0, "done");
            });
        Publish(PublishedRequest("auth pending", "L1", "360").Add(64056, "BRK1"));
        console.OpenRequest(console.FindRequest("L1"));
        Settle();
        return console;
    }

    // The display line of the row labelled 'field', -1 when none shows.
    int LineOf(const std::string& field)
    {
        CMultiLineEditListCtrl& grid = g_pDozizEdizizi->GetDetailList();
        for (int line = 0; line < grid.GetLineCount(); ++line)
        {
            if (grid.GetItemText(line, 0) == "   " + field)
                return line;
        }
        return -1;
    }

    sCellEditInfo AskEditor(int line, int column)
    {
        sCellEditInfo info;
        g_pDozizEdizizi->SendMessage(33788, MAKEWPARAM(line, column), reinterpret_cast<LPARAM>(&info));
        return info;
    }

    // The grid's report of a finished edit, as it sends it.
    void EndEdit(int line, int column, const std::string& text)
    {
        NMLVDISPINFO info{};
        info.hdr.code = LVN_ENDLABELEDIT;
        info.item.iItem = line;
        info.item.iSubItem = column;
        std::string copy = text;
        info.item.pszText = copy.data();
        g_pDozizEdizizi->SendMessage(33789, 4001, reinterpret_cast<LPARAM>(&info));
    }

    std::string Edited(int fieldId)
    {
        std::string text = "<none>";
        g_pDozizEdizizi->m_mapEditedValues.Lookup(fieldId, text);
        return text;
    }
};

TEST_F(LimitEditingTest, ValueCellsOfLimitsOpenThePriceOrTextEditor)
{
    OpenLimits();
    const int cash = LineOf("Cash Margin");
    const int remarks = LineOf("Remarks Text");
    ASSERT_GT(cash, 0);
    ASSERT_GT(remarks, 0);
    EXPECT_EQ(AskEditor(cash, 1).m_nEditorKind, 3);
    EXPECT_EQ(AskEditor(remarks, 1).m_nEditorKind, 2);
    EXPECT_EQ(AskEditor(cash, 0).m_nEditorKind, 0) << "only the Value column is edited";
    EXPECT_EQ(AskEditor(0, 1).m_nEditorKind, 0) << "a title line is never edited";
    EXPECT_EQ(AskEditor(LineOf("RMS Limit For"), 1).m_nEditorKind, 0) << "the owner row is not editable";
}

TEST_F(LimitEditingTest, WithoutTheModifyRightNothingOpens)
{
    TestHost().modifyRight = 0;
    OpenLimits();
    ASSERT_GT(LineOf("Cash Margin"), 0);
    EXPECT_EQ(AskEditor(LineOf("Cash Margin"), 1).m_nEditorKind, 0);
    EXPECT_EQ(AskEditor(LineOf("Remarks Text"), 1).m_nEditorKind, 0);
}

TEST_F(LimitEditingTest, EditedValuesAreKeptInTheFormTheServerReads)
{
    OpenLimits();
    EndEdit(LineOf("Cash Margin"), 1, "1,234.6");
    EXPECT_EQ(Edited(64031), "1234.60") << "an amount: two decimals";
    EndEdit(LineOf("Order quantity limit"), 1, "1,234.6");
    EXPECT_EQ(Edited(41236), "1235") << "a quantity: whole";
    EndEdit(LineOf("GroupWise Validation"), 1, "1,234.6");
    EXPECT_EQ(Edited(64037), "1234.6") << "a flag: as typed, without commas";
    EndEdit(LineOf("Remarks Text"), 1, "call, then decide");
    EXPECT_EQ(Edited(64312), "call then decide");
    EXPECT_EQ(g_pDozizEdizizi->m_mapEditedValues.GetCount(), 4);

    // The row shows what was typed, commas gone.
    CMultiLineEditListCtrl& grid = g_pDozizEdizizi->GetDetailList();
    EXPECT_EQ(grid.GetItemText(LineOf("Cash Margin"), 1), "   1234.6");
}

TEST_F(LimitEditingTest, AnEditEndingElsewhereStillKeepsTheRowsValue)
{
    OpenLimits();
    const int cash = LineOf("Cash Margin");
    EndEdit(cash, 2, "999");
    EXPECT_EQ(Edited(64031), "2500.00") << "the row's value is kept, not the text of the other column";
    EXPECT_EQ(g_pDozizEdizizi->GetDetailList().GetItemText(cash, 2), "   2000");
    EndEdit(0, 1, "1");
    EXPECT_EQ(g_pDozizEdizizi->m_mapEditedValues.GetCount(), 1) << "a title line changes nothing";
    EndEdit(LineOf("RMS Limit For"), 1, "5");
    EXPECT_EQ(g_pDozizEdizizi->m_mapEditedValues.GetCount(), 1) << "a label without a field id is not kept";
}

TEST_F(LimitEditingTest, TypingIntoTheGridAndPressingUpdateSendsTheNewLimit)
{
    CDozizEdizizi& console = OpenLimits();
    CMultiLineEditListCtrl& grid = console.GetDetailList();
    const int cash = LineOf("Cash Margin");
    ASSERT_GT(cash, 0);
    const CRect cell = grid.CellRect(cash, 1);
    host.driver.Click(grid.m_hWnd, cell.CenterPoint());
    host.driver.Press('A', winlib::testing::Ctrl);
    host.driver.Type("3000");
    host.driver.Press(VK_RETURN);
    Settle();
    EXPECT_EQ(Edited(64031), "3000.00");

    host.wire.Clear();
    host.driver.Click(console.GetDlgItem(IDC_MC_UPDATE)->m_hWnd, CPoint(3, 3));
    Settle();
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(FieldsOf(sent[0]), (WireFields{{0, {"om_authenticate_functionality"}},
                                             {54294, {"CHK1"}},
                                             {51803, {"L1"}},
                                             {63713, {"360"}},
                                             {10303, {"accepted"}},
                                             {64031, {"3000.00"}}}));
    EXPECT_TRUE(console.m_mapEditedValues.IsEmpty());
}

// The colours the Value cell of a line is drawn in: text and background.
std::pair<COLORREF, COLORREF> ValueColours(int line)
{
    int within = 0;
    const sMultiLineColInfo* entry = g_pDozizEdizizi->GetDetailList().ResolveLine(line, &within);
    std::string text;
    COLORREF textColour = CLR_NONE;
    COLORREF background = CLR_NONE;
    int image = -1;
    EXPECT_TRUE(entry &&
                DescribeDetailSection(entry->m_pSection, 1, text, textColour, background, image, within));
    return {textColour, background};
}

TEST_F(LimitEditingTest, AnEditedValueIsMarkedUntilUpdateSendsIt)
{
    CDozizEdizizi& console = OpenLimits();
    const int cash = LineOf("Cash Margin");
    const int quantity = LineOf("Order quantity limit");
    const std::pair<COLORREF, COLORREF> plain{CLR_NONE, CLR_NONE};
    const std::pair<COLORREF, COLORREF> marked{kInPlacePriceText, kInPlacePriceBackground};
    ASSERT_EQ(ValueColours(cash), plain);

    EndEdit(cash, 1, "-5.00");
    EXPECT_EQ(ValueColours(cash), marked) << "in the colours it was typed in";
    EXPECT_EQ(ValueColours(quantity), plain) << "only what was edited";

    // An Update refused before it is sent keeps the edits, and their marks, for correcting.
    const int flag = LineOf("GroupWise Validation");
    EndEdit(flag, 1, "maybe");
    host.wire.Clear();
    console.OnUpdate();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(ValueColours(cash), marked);
    EXPECT_EQ(ValueColours(flag), marked);
    EndEdit(flag, 1, "E");
    console.OnUpdate();
    EXPECT_EQ(ValueColours(cash), plain) << "sent: the value is no longer only on this screen";
    EXPECT_EQ(*Sent().back().Value(64031), "-5.00") << "the sign typed is the sign sent";
}

TEST_F(LimitEditingTest, AnUpdateAfterTheRequestWasDecidedElsewhereStillSendsTheEdits)
{
    CDozizEdizizi& console = OpenLimits();
    EndEdit(LineOf("Cash Margin"), 1, "10");
    Publish(PublishedRequest("accepted", "L1", "360").Add(64056, "BRK1"));
    EXPECT_EQ(console.GetDetailList().GetSectionCount(), 0) << "the view went with the request";
    host.wire.Clear();
    console.OnUpdate();
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(*Sent()[0].Value(51803), "L1");
    EXPECT_EQ(*Sent()[0].Value(64031), "10.00");
}

TEST_F(LimitEditingTest, EachEditTypeGetsItsEditorAndDropDownsTheirChoices)
{
    CDozizEdizizi& console = OpenConsole();
    auto section = std::make_unique<sDetailSection>();
    section->m_pTitle = std::make_unique<sMCListStruct>();
    section->m_pTitle->m_strField = "Choices";
    for (int type : {1, 5, 4, 6, 2, 3})
    {
        auto row = std::make_unique<sMCListStruct>();
        row->m_strField = "Row " + std::to_string(type);
        row->m_strValue = "1,000";
        row->m_nEditType = type;
        row->m_strChoices = "NSE,BSE,,MCX";
        row->m_strEditParam = "preset " + std::to_string(type);
        section->m_arrRows.push_back(std::move(row));
    }
    sDetailSection* shown = section.get();
    CMultiLineEditListCtrl& grid = console.GetDetailList();
    grid.InsertSectionItem(0, " ");
    grid.SetSectionData(0, section.release(), 7);
    grid.ToggleSection(0);
    for (int line : {1, 2})
    {
        const sCellEditInfo info = AskEditor(line, 1);
        EXPECT_EQ(info.m_nEditorKind, 1) << line;
        EXPECT_EQ(info.m_arrChoices, (std::vector<std::string>{"NSE", "BSE"})) << line;
    }
    EXPECT_EQ(AskEditor(3, 1).m_nEditorKind, 4);
    EXPECT_EQ(AskEditor(4, 1).m_nEditorKind, 0);
    // Text and price editors start from the row's preset text when the cell is empty.
    const sCellEditInfo text = AskEditor(5, 1);
    EXPECT_EQ(text.m_nEditorKind, 2);
    EXPECT_EQ(text.m_strText, "preset 2");
    const sCellEditInfo price = AskEditor(6, 1);
    EXPECT_EQ(price.m_nEditorKind, 3);
    EXPECT_EQ(price.m_strText, "preset 3");
    EXPECT_EQ(shown->m_arrRows[0]->m_strValue, "1000") << "commas go when an edit begins";
}

} // namespace
