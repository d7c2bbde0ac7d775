// What every detail builder shares: rows made from reply fields, and sections that are opened,
// filled and then either handed to the grid (when they have rows) or dropped.
#pragma once

#include "dozizedizizi/DetailReply.h"
#include "dozizedizizi/DetailSection.h"
#include "dozizedizizi/MCListStruct.h"

#include <memory>
#include <span>
#include <string>

class CMultiLineListCtrl;

class CDetailSectionBuilder
{
public:
    // How a value is shown; null shows it as received.
    using Mapping = std::string (*)(const std::string&);

    // A row made from one field: its mappings, and a label of its own where the label table
    // has none for it.
    struct FieldRow
    {
        int nFieldId = 0;
        Mapping mapValue = nullptr;
        Mapping mapOldValue = nullptr;
        const char* pszLabel = nullptr;
    };

    CDetailSectionBuilder(MnmHndl message, CMultiLineListCtrl& grid);
    // A section still open is dropped.
    ~CDetailSectionBuilder();
    CDetailSectionBuilder(const CDetailSectionBuilder&) = delete;
    CDetailSectionBuilder& operator=(const CDetailSectionBuilder&) = delete;

    const CDetailReply& Reply() const { return m_reply; }

    // Opens a section whose title row shows the title in the field column; the title row is
    // returned so that a builder can fill its other columns. A section still open is dropped.
    sMCListStruct& OpenSection(const std::string& strTitle);
    // Appends a row to the open section.
    sMCListStruct& AddRow(std::string strField, std::string strValue, std::string strOldValue,
                          int nEditType = MC_EDIT_NONE);
    int GetRowCount() const;

    // Only when the field is present: its label, value 0 ("NA" when it cannot be read) and
    // value 1 (empty when absent), each through its mapping. True when a row was added.
    bool AddFieldRow(const FieldRow& row);
    bool AddFieldRow(int nFieldId) { return AddFieldRow(FieldRow{nFieldId}); }
    void AddFieldRows(std::span<const FieldRow> rows);
    void AddFieldRows(std::span<const int> fieldIds);
    // Only when value nIndex of the field is present: its label and that value, mapped, in the
    // value column (or, for bOld, in the old-value column).
    bool AddValueRow(int nFieldId, int nIndex, Mapping map, bool bOld = false);
    // A product list: an unlabelled row with the new list and, when the reply has one, an
    // unlabelled row with the old list in the old-value column.
    void AddProductListRows(int nFieldId);
    // One unlabelled row per value of the field ("NA" for a value that cannot be read).
    void AddEveryValueRows(int nFieldId);

    // Shows the open section when it has a row and drops it otherwise. The shown section
    // belongs to the grid's owner; false when it was dropped.
    bool CloseSection();
    // Shows the open section even with no row (title only).
    void CloseSectionShown();
    // Drops the open section without showing it.
    void DropSection();

    // Shows the "No Parameters are Modified" section, title only, after the grid's sections.
    void ShowNoParameters();
    // The same at a given position (appended when the grid holds fewer sections).
    void ShowNoParametersAt(int nIndex);

private:
    void Show(int nIndex);

    CDetailReply m_reply;
    CMultiLineListCtrl& m_grid;
    std::unique_ptr<sDetailSection> m_pSection; // the open section, until the grid takes it
};
