// The column profile of a list: its hidden columns on the left, its shown columns in display
// order on the right. The user moves columns across and views the result or views and stores it.
// Each list owns one; every opening makes the dialog window afresh and fills it from the list.
#pragma once

#include "controls/KTDragListCtrl.h"
#include "frame/KTBCGPDialog.h"

#include <map>
#include <string>
#include <vector>

class CCommonListCtrl;

// Sent to the dialog with a column name (const char*) as wParam: 1 when the column may not be hidden.
// The drag lists ask the same before a column leaves for the other side.
constexpr UINT WM_REPOSITION_IS_FIXED = WM_DRAGLIST_KEEP_ROW;

class CRepositionColumns : public CKTBCGPDialog
{
    DECLARE_DYNAMIC(CRepositionColumns)
public:
    static constexpr UINT IDD = 9002;
    static constexpr int IDC_VIEW = 10001;
    static constexpr int IDC_SHOW = 10003;
    static constexpr int IDC_HIDE = 10004;
    static constexpr int IDC_SAVE = 10005;
    static constexpr int IDC_DEFAULT = 10006;
    static constexpr int IDC_HIDDEN = 10007;
    static constexpr int IDC_SHOWN = 10008;
    static constexpr int IDC_SORT_LABEL = 10009;
    static constexpr int IDC_SORT = 10010;
    static constexpr int IDC_SORT_COLUMN = 10012;

    explicit CRepositionColumns(CCommonListCtrl* list);

    // Makes the window afresh over the list, fills it and shows it.
    BOOL Open(const std::string& listName, const std::vector<std::string>& fixedColumns, BOOL secondMode);

    void ShowSelected();
    void HideSelected();
    void View();
    void Save();

    CKTDragListCtrl& Hidden() { return m_lcHidden; }
    CKTDragListCtrl& Shown() { return m_lcShown; }
    std::string m_strDefaultSort;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override;
    void OnOK() override;

private:
    void Fill();
    bool IsFixed(const std::string& name) const;
    int ColumnNamed(const std::string& name) const;
    // Stores the shown columns' widths in their descriptions and empties the header.
    void TakeDownHeader();
    static std::vector<int> Selected(CListCtrl& list);
    static std::vector<std::string> Texts(CListCtrl& list);

    CCommonListCtrl* m_pList;
    CKTDragListCtrl m_lcHidden; // both sides move columns to each other by dragging too
    CKTDragListCtrl m_lcShown;
    std::map<int, int> m_mapPosition; // working copy: column index -> position, -1 hidden
    std::vector<std::string> m_arrFixedColumns;
    BOOL m_bDealerNetPosition = FALSE;
    BOOL m_bSecondMode = FALSE;
    BOOL m_bPrepared = FALSE;
};
