// The sectioned grid with in-place editing of its row lines: a click on a cell asks the owner
// which editor the cell takes, lays that editor over the cell and hands the edited text back to
// the owner when the editor closes. Tab and Shift+Tab move the edit to the same column of the
// next or previous row line; title lines are never edited.
//
// The owner (the window the grid notifies: its owner, else its parent) answers three messages:
//   WM_MULTILINE_LINE_CLICKED  (33784): wParam the grid's id; every left click on a row line.
//   WM_MULTILINE_EDIT_BEGIN    (33788): wParam line (low 16 bits) and display column (high 16
//                                       bits), lParam an sCellEditInfo to fill in.
//   WM_MULTILINE_EDIT_END      (33789): wParam the grid's id, lParam the NMLVDISPINFO of the
//                                       finished edit (line, column index, new text).
#pragma once

#include "grid/MultiLineListCtrl.h"

#include <string>
#include <unordered_set>
#include <vector>

constexpr UINT WM_MULTILINE_LINE_CLICKED = 33784;
constexpr UINT WM_MULTILINE_EDIT_BEGIN = 33788;
constexpr UINT WM_MULTILINE_EDIT_END = 33789;

// Editor kinds an owner can ask for; any other value opens no editor.
constexpr int CELL_EDITOR_DROPDOWN = 1;
constexpr int CELL_EDITOR_TEXT = 2;
constexpr int CELL_EDITOR_PRICE = 3;
constexpr int CELL_EDITOR_DATETIME = 4;

// What the owner tells the grid about the cell about to be edited.
struct sCellEditInfo
{
    int m_nEditorKind = 0;
    std::vector<std::string> m_arrChoices; // drop-down list
    std::string m_strText;                 // the editor's text when the cell is empty
};

class CMultiLineEditListCtrl : public CMultiLineListCtrl
{
    DECLARE_DYNAMIC(CMultiLineEditListCtrl)
public:
    // The control id every in-place editor of the grid carries.
    static constexpr UINT kEditorId = 1;

    CMultiLineEditListCtrl() = default;
    ~CMultiLineEditListCtrl() override;

    // Lays the editor of 'info' over the cell (line, display column) with 'text'; FALSE when
    // the kind, the line or the column takes no editor.
    BOOL OpenEditor(int line, int column, const std::string& text, const sCellEditInfo& info);
    // Moves the edit to the same column of the next (or previous) row line.
    void EditNextCell(bool forward);
    // The keyboard's way to edit (F2, or Enter on a row line): the editor of the focused row
    // line's first editable display column; FALSE when the line takes none.
    BOOL EditFocusedLine();

    void SetAcceptedChars(const std::string& chars) { m_strAcceptedChars = chars; }
    void SetReadOnlyColumn(int column, bool readOnly);
    void SetMarkedColumn(int column, bool marked);
    // Display position -> column index for the edit result; empty: the header's order.
    void SetColumnOrder(const std::vector<int>& order);

    // The cell's rectangle (line, display column) in client coordinates; scrolls the list when the
    // column reaches past its right edge. Empty when there is no such cell.
    CRect CellRect(int line, int column);

    int m_nEditedLine = -2;
    int m_nEditLine = -1;
    int m_nEditColumn = -1;
    int m_nComboLine = -1;
    int m_nComboColumn = -1;
    std::string m_strAcceptedChars = "0123456789.-";
    std::unordered_set<int> m_setMarkedColumns;
    std::unordered_set<int> m_setReadOnlyColumns;
    std::vector<int> m_arrColumnOrder;
    BOOL m_bColumnOrderUsed = FALSE;
    DWORD m_dwEditStyle = 0x1C1;       // centred, scrolling both ways, selection kept visible
    DWORD m_dwComboStyle = 0x508009C3; // child, visible, border, sorted drop-down list

protected:
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnDestroy() override;

    // The display column (0 or 1) of a line under a client point, -1 elsewhere.
    int EditableColumnAt(int line, CPoint point) const;
    // Asks the owner about (line, column) and opens what it answers; FALSE when nothing opened.
    BOOL BeginEdit(int line, int column);
    // Takes the focus from an open editor, which ends its edit.
    void CloseOpenEditor();
};
