#include "ListViewCells.h"

namespace winlib::detail
{

ListCells::Column ListCells::NewColumn() const
{
    Column column((m_slots + kBlock - 1) / kBlock);
    for (Cells& cells : column)
        cells = std::make_unique<ListCell[]>(kBlock);
    return column;
}

std::uint32_t ListCells::Take()
{
    if (!m_free.empty())
    {
        const std::uint32_t slot = m_free.back();
        m_free.pop_back();
        return slot;
    }
    if (m_slots % kBlock == 0)
    {
        for (Column& column : m_columns)
            column.push_back(std::make_unique<ListCell[]>(kBlock));
    }
    return m_slots++;
}

void ListCells::Release(std::uint32_t slot)
{
    for (Column& column : m_columns)
        column[slot / kBlock][slot % kBlock] = ListCell{};
    m_free.push_back(slot);
}

void ListCells::Clear()
{
    std::vector<Column>(1).swap(m_columns);
    std::vector<std::uint32_t>().swap(m_free);
    m_slots = 0;
}

const ListCell* ListCells::Find(std::uint32_t slot, std::size_t column) const
{
    if (column >= m_columns.size() || slot >= m_slots)
        return nullptr;
    return &m_columns[column][slot / kBlock][slot % kBlock];
}

ListCell& ListCells::At(std::uint32_t slot, std::size_t column)
{
    while (m_columns.size() <= column)
        m_columns.push_back(NewColumn());
    return m_columns[column][slot / kBlock][slot % kBlock];
}

void ListCells::InsertColumn(std::size_t index)
{
    // Without rows there are no cells to shift, and a column made now would only cost every
    // row inserted later a cell it may never use.
    if (m_slots > 0 && index < m_columns.size())
        m_columns.insert(m_columns.begin() + static_cast<std::ptrdiff_t>(index), NewColumn());
}

void ListCells::EraseColumn(std::size_t index)
{
    if (index >= m_columns.size())
        return;
    m_columns.erase(m_columns.begin() + static_cast<std::ptrdiff_t>(index));
    if (m_columns.empty())
        m_columns.push_back(NewColumn());
}

void ListCells::Relay(const std::vector<std::uint32_t>& slots)
{
    const std::uint32_t old = m_slots;
    m_slots = static_cast<std::uint32_t>(slots.size());
    for (Column& column : m_columns)
    {
        Column laid = NewColumn();
        for (std::uint32_t i = 0; i < m_slots; ++i)
        {
            const std::uint32_t from = slots[i];
            if (from < old)
                laid[i / kBlock][i % kBlock] = std::move(column[from / kBlock][from % kBlock]);
        }
        column.swap(laid);
    }
    std::vector<std::uint32_t>().swap(m_free);
}

} // namespace winlib::detail
