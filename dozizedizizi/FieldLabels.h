// The process-wide tables that connect server field ids with the labels of the detail rows.
#pragma once

#include "dozizedizizi/KTMap.h"

#include <string>

using CFieldLabelMap = CKTMap<int, int, std::string, const std::string&>;
using CFieldIdMap = CKTMap<std::string, const std::string&, int, int>;

// Field id to label, for every detail field.
CFieldLabelMap& GetFieldLabelMap();

// Label to field id, for the limit values a checker may edit.
CFieldIdMap& GetFieldIdMap();

// Fills the field-label table, the field-id table and the exchange list.
void FillFieldLabels();

// Empties all three; the console does this when it is destroyed.
void ClearFieldLabels();

// Label of a field id; empty when the id has none.
std::string GetFieldLabel(int nFieldId);

// Field id of an editable label; false when the label is not editable.
bool GetLabelFieldId(const std::string& strLabel, int& nFieldId);
