// Detail replies built field by field, and the detail grid's sections as a checker reads them: each section's
// title line and rows, in the grid's order, with what a test needs to compare them and to print a difference.
#pragma once

#include "connect/Message.h"
#include "dozizedizizi/DetailSection.h"
#include "grid/MultiLineListCtrl.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

// A reply as a test writes it: each field id with its values (new, then old).
using ReplyFields = std::vector<std::pair<int, std::vector<std::string>>>;

inline connect::Message MakeReply(const ReplyFields& fields)
{
    connect::Message reply;
    for (const auto& [id, values] : fields)
        reply.AddValues(id, values);
    return reply;
}

struct ShownRow
{
    std::string field;
    std::string value;
    std::string oldValue;
    int editType = MC_EDIT_NONE;
    bool operator==(const ShownRow&) const = default;
};

struct ShownSection
{
    std::string title;
    std::string titleValue;
    std::string titleOldValue;
    std::vector<ShownRow> rows;
    bool operator==(const ShownSection&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ShownRow& row)
{
    return out << "{\"" << row.field << "\", \"" << row.value << "\", \"" << row.oldValue << "\", "
               << row.editType << "}";
}

inline std::ostream& operator<<(std::ostream& out, const ShownSection& section)
{
    out << "\n[\"" << section.title << "\"";
    if (!section.titleValue.empty() || !section.titleOldValue.empty())
        out << " \"" << section.titleValue << "\" \"" << section.titleOldValue << "\"";
    out << "]";
    for (const ShownRow& row : section.rows)
        out << "\n    " << row;
    return out;
}

inline ShownRow ReadRow(const sMCListStruct& row)
{
    return {row.m_strField, row.m_strValue, row.m_strOldValue, row.m_nEditType};
}

// Every section the grid holds, in entry order. A section whose line count does not match its
// rows, or whose title line is editable, is reported as a failure of its own.
inline std::vector<ShownSection> ReadSections(const CMultiLineListCtrl& grid,
                                              std::vector<std::string>* faults = nullptr)
{
    std::vector<ShownSection> sections;
    for (const auto& entry : grid.GetEntries())
    {
        const auto* section = static_cast<const sDetailSection*>(entry->m_pSection);
        if (!section || !section->m_pTitle)
        {
            if (faults)
                faults->push_back("an entry without a section or title");
            continue;
        }
        ShownSection shown;
        shown.title = section->m_pTitle->m_strField;
        shown.titleValue = section->m_pTitle->m_strValue;
        shown.titleOldValue = section->m_pTitle->m_strOldValue;
        for (const auto& row : section->m_arrRows)
            shown.rows.push_back(ReadRow(*row));
        if (faults && entry->m_nLineCount != section->GetLineCount())
            faults->push_back("\"" + shown.title + "\" shows " + std::to_string(entry->m_nLineCount) +
                              " lines for " + std::to_string(section->m_arrRows.size()) + " rows");
        if (faults && section->m_pTitle->m_nEditType != MC_EDIT_NONE)
            faults->push_back("\"" + shown.title + "\" has an editable title");
        sections.push_back(std::move(shown));
    }
    return sections;
}

// What the console does when it clears the detail view: the sections are its own to delete.
inline void FreeSections(CMultiLineListCtrl& grid)
{
    for (const auto& entry : grid.GetEntries())
        delete static_cast<sDetailSection*>(entry->m_pSection);
    grid.DeleteAllItems();
}
