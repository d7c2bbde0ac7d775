#include "dozizedizizi/DetailSectionBuilder.h"

#include "dozizedizizi/DetailMappings.h"
#include "dozizedizizi/FieldLabels.h"
#include "grid/MultiLineListCtrl.h"

namespace
{
constexpr const char* kNoParametersTitle = "No Parameters are Modified";

std::string Shown(CDetailSectionBuilder::Mapping map, const std::string& value)
{
    return map ? map(value) : value;
}
} // namespace

CDetailSectionBuilder::CDetailSectionBuilder(MnmHndl message, CMultiLineListCtrl& grid)
    : m_reply(message), m_grid(grid)
{
}

CDetailSectionBuilder::~CDetailSectionBuilder() = default;

sMCListStruct& CDetailSectionBuilder::OpenSection(const std::string& strTitle)
{
    m_pSection = std::make_unique<sDetailSection>();
    m_pSection->m_pTitle = std::make_unique<sMCListStruct>();
    m_pSection->m_pTitle->m_strField = strTitle;
    return *m_pSection->m_pTitle;
}

sMCListStruct& CDetailSectionBuilder::AddRow(std::string strField, std::string strValue,
                                             std::string strOldValue, int nEditType)
{
    auto& row = m_pSection->m_arrRows.emplace_back(std::make_unique<sMCListStruct>());
    row->m_strField = std::move(strField);
    row->m_strValue = std::move(strValue);
    row->m_strOldValue = std::move(strOldValue);
    row->m_nEditType = nEditType;
    return *row;
}

int CDetailSectionBuilder::GetRowCount() const
{
    return m_pSection ? static_cast<int>(m_pSection->m_arrRows.size()) : 0;
}

bool CDetailSectionBuilder::AddFieldRow(const FieldRow& row)
{
    if (!m_reply.IsPresent(row.nFieldId))
        return false;
    const std::optional<std::string> value = m_reply.GetText(row.nFieldId, 0);
    const std::optional<std::string> oldValue = m_reply.GetText(row.nFieldId, 1);
    AddRow(row.pszLabel ? std::string(row.pszLabel) : GetFieldLabel(row.nFieldId),
           value ? Shown(row.mapValue, *value) : kNotAvailable,
           oldValue ? Shown(row.mapOldValue, *oldValue) : std::string());
    return true;
}

void CDetailSectionBuilder::AddFieldRows(std::span<const FieldRow> rows)
{
    for (const FieldRow& row : rows)
        AddFieldRow(row);
}

void CDetailSectionBuilder::AddFieldRows(std::span<const int> fieldIds)
{
    for (int field : fieldIds)
        AddFieldRow(field);
}

bool CDetailSectionBuilder::AddValueRow(int nFieldId, int nIndex, Mapping map, bool bOld)
{
    const std::optional<std::string> value = m_reply.GetText(nFieldId, nIndex);
    if (!value)
        return false;
    if (bOld)
        AddRow(GetFieldLabel(nFieldId), {}, Shown(map, *value));
    else
        AddRow(GetFieldLabel(nFieldId), Shown(map, *value), {});
    return true;
}

void CDetailSectionBuilder::AddProductListRows(int nFieldId)
{
    const std::optional<std::string> products = m_reply.GetText(nFieldId, 0);
    AddRow({}, products ? MapProductList(*products) : kNotAvailable, {});
    if (const std::optional<std::string> oldProducts = m_reply.GetText(nFieldId, 1))
        AddRow({}, {}, MapProductList(*oldProducts));
}

void CDetailSectionBuilder::AddEveryValueRows(int nFieldId)
{
    const int count = m_reply.GetValueCount(nFieldId);
    for (int i = 0; i < count; ++i)
        AddRow({}, m_reply.GetText(nFieldId, i).value_or(kNotAvailable), {});
}

bool CDetailSectionBuilder::CloseSection()
{
    if (!m_pSection)
        return false;
    if (m_pSection->m_arrRows.empty())
    {
        DropSection();
        return false;
    }
    Show(m_grid.GetSectionCount());
    return true;
}

void CDetailSectionBuilder::CloseSectionShown()
{
    if (m_pSection)
        Show(m_grid.GetSectionCount());
}

void CDetailSectionBuilder::DropSection()
{
    m_pSection.reset();
}

void CDetailSectionBuilder::ShowNoParameters()
{
    ShowNoParametersAt(m_grid.GetSectionCount());
}

void CDetailSectionBuilder::ShowNoParametersAt(int nIndex)
{
    OpenSection(kNoParametersTitle);
    Show(nIndex);
}

// The grid takes a line count: the title line and one line per row. A grid that refuses the
// entry (it has no data descriptor yet) never owns the section, so it is dropped here. The
// section goes to the entry just made, addressed by its index: a reply may arrive after the
// view's sections were opened, when the entry's index no longer names its display line.
void CDetailSectionBuilder::Show(int nIndex)
{
    const int before = m_grid.GetSectionCount();
    const int used = m_grid.InsertSectionItem(nIndex, " ");
    if (m_grid.GetSectionCount() == before)
    {
        DropSection();
        return;
    }
    const int lines = m_pSection->GetLineCount();
    m_grid.SetEntryData(used, m_pSection.release(), lines);
}
