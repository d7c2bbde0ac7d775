// The filter value picker: a small popup list of the distinct texts of one column. The user picks
// one or more of them and the picker writes them, joined with "~", as that column's filter into
// the list that opened it. One picker serves every filter list and another every multi-line list;
// each is made on first use and goes with its window.
#pragma once

#include "frame/KTBCGPDialog.h"
#include "winlib/ListBox.h"

#include <functional>
#include <string>
#include <string_view>

// What a list that opens the picker lets it do: write the picked values as the filter of a column.
class CFilterTextTarget
{
public:
    virtual ~CFilterTextTarget() = default;
    // 'text' holds the picked values joined with "~"; 'position' is the column's display position.
    virtual void SetPickedFilter(int position, const std::string& text) = 0;
};

class CFilterText : public CKTBCGPDialog
{
    DECLARE_DYNAMIC(CFilterText)
public:
    static constexpr UINT IDD = 1010;
    static constexpr int IDC_VALUES = 1032;

    // Hands each cell text of the column to 'add'; the picker drops empty and repeated texts.
    using CollectValues = std::function<void(const std::function<void(std::string_view)>& add)>;

    // The picker of the filter lists and the one of the multi-line lists, made on first use.
    static CFilterText& ForFilterLists();
    static CFilterText& ForMultiLineLists();

    // Aims the picker at the column at 'position' of 'list', fills it and shows it at 'screen'
    // (a point on the screen, usually the cursor). FALSE when its window cannot be made.
    BOOL Open(CWnd* list, CFilterTextTarget* target, int position, const CollectValues& collect,
              CPoint screen);

    // The selected texts joined with "~"; a text equal to one already joined (ignoring case) is left
    // out.
    std::string JoinSelection() const;
    // Writes the selection into the list that opened the picker and closes it.
    void ApplySelection();

    CWnd* GetList() const { return m_pList; }
    int GetPosition() const { return m_nPosition; }
    CListBox& GetValues() { return m_lbValues; }

protected:
    explicit CFilterText(CFilterText** slot);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnActivate(UINT state, CWnd* other, BOOL minimized) override;
    void PostNcDestroy() override;

private:
    static CFilterText& Instance(CFilterText*& slot);
    // Gives the focus to the list that opened the picker, when it is still there and shown.
    void FocusList();

    CFilterText** m_ppSlot;
    CListBox m_lbValues;
    CWnd* m_pList = nullptr;
    HWND m_hList = nullptr; // to tell whether the list still exists when the user picks
    CFilterTextTarget* m_pTarget = nullptr;
    int m_nPosition = -1;
};
