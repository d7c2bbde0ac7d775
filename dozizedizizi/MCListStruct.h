// One row of the detail view: a field with its new and old value and how it may be edited.
#pragma once

#include <string>

// Edit types of a detail row.
constexpr int MC_EDIT_DROPDOWN = 1;
constexpr int MC_EDIT_TEXT = 2;
constexpr int MC_EDIT_PRICE = 3;
constexpr int MC_EDIT_DATETIME = 4;
constexpr int MC_EDIT_DROPDOWN_ALT = 5;
constexpr int MC_EDIT_NONE = 6;

struct sMCListStruct
{
    std::string m_strField;
    std::string m_strValue;
    std::string m_strOldValue;
    int m_nEditType = MC_EDIT_NONE; // rows are read-only until a builder says otherwise
    std::string m_strEditParam;     // editor's initial text for text and price edits on an empty cell
    std::string m_strChoices;       // comma-separated choices for the drop-down types
    bool m_bEdited = false;         // the checker's value waits to be sent by Update
};
