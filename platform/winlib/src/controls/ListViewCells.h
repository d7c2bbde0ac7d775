// The cells of the report list view's rows, kept column by column in blocks. A row takes a slot
// when it is inserted and keeps it until it is deleted: sorting moves the rows, never their
// cells. A column read in slot order therefore walks memory from one end to the other, whatever
// order the rows are in, where a read in row order after a sort would miss the cache on every row.
#pragma once

#include "winlib/CommCtrl.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace winlib::detail
{

struct ListCell
{
    std::string text;
    bool callback = false; // LPSTR_TEXTCALLBACK: the parent supplies the text
    int image = I_IMAGENONE;
};

class ListCells
{
public:
    // Slots a block holds: small enough that the last, partly used block of each column costs
    // little against a list of a hundred thousand rows, large enough to read as one stream.
    static constexpr std::uint32_t kBlock = 1024;

    ListCells() { m_columns.resize(1); }

    // A slot for a new row; its cells read as a row's that were never set.
    std::uint32_t Take();
    // The slot's cells emptied and the slot kept for the next row.
    void Release(std::uint32_t slot);
    // No rows at all, and no cells but the labels' until some are set.
    void Clear();

    // Slots in use or released; a reader of a whole column visits [0, Slots()).
    std::uint32_t Slots() const { return m_slots; }
    std::size_t FreeSlots() const { return m_free.size(); }
    const std::vector<std::uint32_t>& Released() const { return m_free; }
    std::size_t Columns() const { return m_columns.size(); }

    // Null when no row has a cell in that column yet: it reads as empty.
    const ListCell* Find(std::uint32_t slot, std::size_t column) const;
    // The cell, its column made first when there is none.
    ListCell& At(std::uint32_t slot, std::size_t column);
    // The cells of slots [block * kBlock, block * kBlock + kBlock) of a column that exists.
    const ListCell* Block(std::size_t column, std::uint32_t block) const
    {
        return m_columns[column][block].get();
    }

    // A column of empty cells before 'index', the ones from there on shifted up; nothing when no
    // row has cells that far, or there are no rows.
    void InsertColumn(std::size_t index);
    // The column's cells gone, the ones after it shifted down; the last column's going leaves one
    // of empty cells, as every row has a label.
    void EraseColumn(std::size_t index);

    // The cells of slots[i] moved to slot i; 'slots' names every slot in use once. Nothing is
    // free afterwards, and the blocks left empty are freed.
    void Relay(const std::vector<std::uint32_t>& slots);

private:
    using Cells = std::unique_ptr<ListCell[]>;
    using Column = std::vector<Cells>;

    Column NewColumn() const;

    std::vector<Column> m_columns; // m_columns[column][slot / kBlock][slot % kBlock]
    std::uint32_t m_slots = 0;
    std::vector<std::uint32_t> m_free;
};

} // namespace winlib::detail
