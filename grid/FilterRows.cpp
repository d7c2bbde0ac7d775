#include "grid/FilterRows.h"

static_assert(sizeof(FilterRows::Record) == 16, "a record is an item pointer, a check state and a link");

std::uint32_t FilterRows::AppendRecord()
{
    m_records.emplace_back();
    return m_storeSlots.Append();
}

std::uint32_t FilterRows::InsertRecord(std::uint32_t index)
{
    if (index >= StoreCount())
        return AppendRecord();
    std::uint32_t inserted = kNone;
    SweepStore(index, &inserted);
    return inserted;
}

void FilterRows::RemoveRecord(std::uint32_t slot)
{
    if (!m_storeSlots.IsLive(slot))
        return;
    Unlink(slot);
    m_records[slot] = Record{};
    m_storeSlots.Kill(slot);
    MaybeSweep();
}

void FilterRows::Clear()
{
    m_records.clear();
    m_records.shrink_to_fit();
    m_storeSlots = LiveSlots{};
    m_visible.clear();
    m_visible.shrink_to_fit();
    m_visibleSlots = LiveSlots{};
    m_bInStoreOrder = true;
}

void FilterRows::AppendVisible(std::uint32_t slot)
{
    Record& record = m_records[slot];
    if (record.visible != kNone)
        return;
    if (m_bInStoreOrder && VisibleCount() > 0 && SlotAtPosition(VisibleCount() - 1) > slot)
        m_bInStoreOrder = false;
    record.visible = m_visibleSlots.Append();
    m_visible.push_back(slot);
}

void FilterRows::InsertVisible(std::uint32_t position, std::uint32_t slot)
{
    if (m_records[slot].visible != kNone)
        return;
    if (position >= VisibleCount())
    {
        AppendVisible(slot);
        return;
    }
    std::vector<std::uint32_t> slots = VisibleSlots();
    if (m_bInStoreOrder && !((position == 0 || slots[position - 1] < slot) && slot < slots[position]))
        m_bInStoreOrder = false;
    const bool inOrder = m_bInStoreOrder;
    slots.insert(slots.begin() + position, slot);
    SetVisible(slots);
    m_bInStoreOrder = inOrder;
}

void FilterRows::Unlink(std::uint32_t slot)
{
    Record& record = m_records[slot];
    if (record.visible == kNone)
        return;
    m_visibleSlots.Kill(record.visible);
    record.visible = kNone;
}

void FilterRows::HideSlot(std::uint32_t slot)
{
    Unlink(slot);
    MaybeSweep();
}

void FilterRows::SetVisible(const std::vector<std::uint32_t>& slots)
{
    // The records learn their places in slot order: writing each record's place in display order
    // would miss the cache at nearly every record of a long sorted list.
    std::vector<std::uint32_t> placeOfSlot(m_records.size(), kNone);
    m_bInStoreOrder = true;
    for (std::uint32_t v = 0; v < slots.size(); ++v)
    {
        placeOfSlot[slots[v]] = v;
        if (v > 0 && slots[v - 1] > slots[v])
            m_bInStoreOrder = false;
    }
    for (std::size_t slot = 0; slot < m_records.size(); ++slot)
        m_records[slot].visible = placeOfSlot[slot];
    m_visible = slots;
    m_visibleSlots.Reset(static_cast<std::uint32_t>(slots.size()));
}

std::vector<std::uint32_t> FilterRows::VisibleSlots() const
{
    std::vector<std::uint32_t> slots;
    slots.reserve(VisibleCount());
    for (std::uint32_t v = m_visibleSlots.FirstLive(); v != kNone; v = m_visibleSlots.NextLive(v))
        slots.push_back(m_visible[v]);
    return slots;
}

void FilterRows::MaybeSweep()
{
    if (m_visibleSlots.DeadCount() > 64 && m_visibleSlots.DeadCount() > m_visibleSlots.LiveCount() / 4)
        SweepVisible();
    if (m_storeSlots.DeadCount() > 64 && m_storeSlots.DeadCount() > m_storeSlots.LiveCount() / 4)
        SweepStore(kNone, nullptr);
}

void FilterRows::SweepVisible()
{
    std::uint32_t out = 0;
    for (std::uint32_t v = m_visibleSlots.FirstLive(); v != kNone; v = m_visibleSlots.NextLive(v))
    {
        const std::uint32_t slot = m_visible[v];
        m_visible[out] = slot;
        m_records[slot].visible = out;
        ++out;
    }
    m_visible.resize(out);
    m_visibleSlots.Reset(out);
}

void FilterRows::SweepStore(std::uint32_t insertAt, std::uint32_t* insertedSlot)
{
    if (!insertedSlot)
    {
        // In place: each live record moves down to its store index, never past one still to move.
        std::uint32_t out = 0;
        for (std::uint32_t slot = m_storeSlots.FirstLive(); slot != kNone; slot = m_storeSlots.NextLive(slot))
        {
            const Record record = m_records[slot];
            if (record.visible != kNone)
                m_visible[record.visible] = out;
            m_records[out++] = record;
        }
        m_records.resize(out);
        m_storeSlots.Reset(out);
        return;
    }
    std::vector<Record> records;
    records.reserve(StoreCount() + (insertedSlot ? 1 : 0));
    std::uint32_t index = 0;
    for (std::uint32_t slot = m_storeSlots.FirstLive(); slot != kNone;
         slot = m_storeSlots.NextLive(slot), ++index)
    {
        if (index == insertAt)
        {
            *insertedSlot = static_cast<std::uint32_t>(records.size());
            records.emplace_back();
        }
        const Record& record = m_records[slot];
        if (record.visible != kNone)
            m_visible[record.visible] = static_cast<std::uint32_t>(records.size());
        records.push_back(record);
    }
    m_records.swap(records);
    m_storeSlots.Reset(static_cast<std::uint32_t>(m_records.size()));
}

std::size_t FilterRows::MemoryBytes() const
{
    return m_records.capacity() * sizeof(Record) + m_storeSlots.MemoryBytes() +
           m_visible.capacity() * sizeof(std::uint32_t) + m_visibleSlots.MemoryBytes();
}

bool FilterRows::CheckConsistency() const
{
    std::uint32_t visible = 0;
    for (std::uint32_t slot = FirstSlot(); slot != kNone; slot = NextSlot(slot))
    {
        const Record& record = m_records[slot];
        if (record.visible == kNone)
            continue;
        if (!m_visibleSlots.IsLive(record.visible) || m_visible[record.visible] != slot)
            return false;
        ++visible;
    }
    if (visible != VisibleCount())
        return false;
    for (std::uint32_t v = m_visibleSlots.FirstLive(); v != kNone; v = m_visibleSlots.NextLive(v))
    {
        if (!m_storeSlots.IsLive(m_visible[v]) || m_records[m_visible[v]].visible != v)
            return false;
    }
    return true;
}
