#include "grid/FilterRows.h"

#include "grid/WorkBuffers.h"

static_assert(sizeof(FilterRows::Record) == 16, "a record is an item pointer, a check state and a link");

std::uint32_t FilterRows::AppendRecord()
{
    m_records.emplace_back();
    m_shown.Append(false);
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
    // The record itself is left as it is: a dead slot is never read, and writing it would fetch
    // its line for nothing.
    if (!m_storeSlots.IsLive(slot))
        return;
    Unlink(slot);
    m_storeSlots.Kill(slot);
    MaybeSweep();
}

void FilterRows::Clear()
{
    m_records.clear();
    m_records.shrink_to_fit();
    m_storeSlots = LiveSlots{};
    m_shown = LiveSlots{};
    m_visible.clear();
    m_visible.shrink_to_fit();
    m_visibleSlots = LiveSlots{};
    m_bInStoreOrder = true;
}

void FilterRows::AppendVisible(std::uint32_t slot)
{
    if (m_shown.IsLive(slot))
        return;
    // In store order while no shown record lies after this one.
    if (m_bInStoreOrder && m_shown.Rank(slot) != VisibleCount())
        ListVisible();
    m_shown.Revive(slot);
    if (!m_bInStoreOrder)
    {
        m_records[slot].visible = m_visibleSlots.Append();
        m_visible.push_back(slot);
    }
}

void FilterRows::InsertVisible(std::uint32_t position, std::uint32_t slot)
{
    if (m_shown.IsLive(slot))
        return;
    if (position >= VisibleCount())
    {
        AppendVisible(slot);
        return;
    }
    if (m_bInStoreOrder && m_shown.Rank(slot) == position)
    {
        m_shown.Revive(slot);
        return;
    }
    std::vector<std::uint32_t> slots = VisibleSlots();
    slots.insert(slots.begin() + position, slot);
    SetVisible(slots);
}

void FilterRows::Unlink(std::uint32_t slot)
{
    if (!m_shown.IsLive(slot))
        return;
    m_shown.Kill(slot);
    if (!m_bInStoreOrder)
    {
        Record& record = m_records[slot];
        m_visibleSlots.Kill(record.visible);
        record.visible = kNone;
    }
}

void FilterRows::HideSlot(std::uint32_t slot)
{
    Unlink(slot);
    MaybeSweep();
}

void FilterRows::SetVisible(std::vector<std::uint32_t> slots)
{
    LiveSlots::Words shown((SlotCount() + 63) / 64, 0);
    bool inOrder = true;
    for (std::size_t v = 0; v < slots.size(); ++v)
    {
        shown[slots[v] >> 6] |= std::uint64_t{1} << (slots[v] & 63);
        if (v > 0 && slots[v - 1] > slots[v])
            inOrder = false;
    }
    m_shown.Assign(std::move(shown), SlotCount());
    if (inOrder)
    {
        DropVisibleList();
        work_buffers::Keep(slots);
        return;
    }
    // The records learn their places in slot order: writing each record's place in display order
    // would miss the cache at nearly every record of a long sorted list.
    std::vector<std::uint32_t> placeOfSlot = work_buffers::Take<std::uint32_t>(m_records.size());
    std::fill(placeOfSlot.begin(), placeOfSlot.end(), kNone);
    for (std::uint32_t v = 0; v < slots.size(); ++v)
        placeOfSlot[slots[v]] = v;
    for (std::size_t slot = 0; slot < m_records.size(); ++slot)
        m_records[slot].visible = placeOfSlot[slot];
    work_buffers::Keep(placeOfSlot);
    work_buffers::Keep(m_visible);
    m_visible = std::move(slots);
    m_visibleSlots.Reset(static_cast<std::uint32_t>(m_visible.size()));
    m_bInStoreOrder = false;
}

void FilterRows::ListVisible()
{
    if (!m_bInStoreOrder)
        return;
    m_visible.clear();
    m_visible.reserve(VisibleCount());
    m_shown.ForEachLive(
        [&](std::uint32_t slot)
        {
            m_records[slot].visible = static_cast<std::uint32_t>(m_visible.size());
            m_visible.push_back(slot);
        });
    m_visibleSlots.Reset(static_cast<std::uint32_t>(m_visible.size()));
    m_bInStoreOrder = false;
}

void FilterRows::DropVisibleList()
{
    m_visible.clear();
    m_visibleSlots.Reset(0);
    m_bInStoreOrder = true;
}

std::vector<std::uint32_t> FilterRows::VisibleSlots() const
{
    std::vector<std::uint32_t> slots = work_buffers::Take<std::uint32_t>(0);
    slots.reserve(VisibleCount());
    if (m_bInStoreOrder)
        m_shown.ForEachLive([&](std::uint32_t slot) { slots.push_back(slot); });
    else
        m_visibleSlots.ForEachLive([&](std::uint32_t v) { slots.push_back(m_visible[v]); });
    return slots;
}

void FilterRows::MaybeSweep()
{
    if (!m_bInStoreOrder && m_visibleSlots.DeadCount() > 64 &&
        m_visibleSlots.DeadCount() > m_visibleSlots.LiveCount() / 4)
        SweepVisible();
    if (m_storeSlots.DeadCount() > 64 && m_storeSlots.DeadCount() > m_storeSlots.LiveCount() / 4)
        SweepStore(kNone, nullptr);
}

void FilterRows::SweepVisible()
{
    std::uint32_t out = 0;
    m_visibleSlots.ForEachLive(
        [&](std::uint32_t v)
        {
            const std::uint32_t slot = m_visible[v];
            m_visible[out] = slot;
            m_records[slot].visible = out;
            ++out;
        });
    m_visible.resize(out);
    m_visibleSlots.Reset(out);
}

void FilterRows::SweepStore(std::uint32_t insertAt, std::uint32_t* insertedSlot)
{
    // Each live record moves to its store index (one after 'insertAt' with an empty record
    // inserted there), its shown flag with it, and a listed visible slot follows it.
    const std::uint32_t count = StoreCount() + (insertedSlot ? 1 : 0);
    LiveSlots::Words shown((count + 63) / 64, 0);
    std::vector<Record> inserted;
    if (insertedSlot)
        inserted.reserve(count);
    std::uint32_t out = 0;
    std::uint32_t firstMoved = kNone;
    m_storeSlots.ForEachLive(
        [&](std::uint32_t slot)
        {
            if (insertedSlot && out == insertAt)
            {
                *insertedSlot = out++;
                inserted.emplace_back();
            }
            if (firstMoved == kNone && out != slot)
                firstMoved = out;
            const Record record = m_records[slot];
            if (m_shown.IsLive(slot))
            {
                shown[out >> 6] |= std::uint64_t{1} << (out & 63);
                if (!m_bInStoreOrder)
                    m_visible[record.visible] = out;
            }
            // In place, each record moves down, never past one still to move.
            if (insertedSlot)
                inserted.push_back(record);
            else
                m_records[out] = record;
            ++out;
        });
    if (insertedSlot)
        m_records.swap(inserted);
    else
        m_records.resize(out);
    m_storeSlots.Reset(out);
    m_shown.Assign(std::move(shown), out);
    if (m_pfnSlotsRenumbered && firstMoved != kNone)
        m_pfnSlotsRenumbered(m_pSlotsRenumberedContext, *this, firstMoved);
}

std::size_t FilterRows::MemoryBytes() const
{
    return m_records.capacity() * sizeof(Record) + m_storeSlots.MemoryBytes() + m_shown.MemoryBytes() +
           m_visible.capacity() * sizeof(std::uint32_t) + m_visibleSlots.MemoryBytes();
}

bool FilterRows::CheckConsistency() const
{
    if (m_shown.SlotCount() != SlotCount() || m_records.size() != SlotCount())
        return false;
    std::uint32_t visible = 0;
    for (std::uint32_t slot = m_shown.FirstLive(); slot != kNone; slot = m_shown.NextLive(slot))
    {
        if (!m_storeSlots.IsLive(slot))
            return false;
        ++visible;
        if (m_bInStoreOrder)
            continue;
        const std::uint32_t v = m_records[slot].visible;
        if (!m_visibleSlots.IsLive(v) || m_visible[v] != slot)
            return false;
    }
    if (visible != VisibleCount())
        return false;
    if (m_bInStoreOrder)
        return m_visibleSlots.LiveCount() == 0;
    if (m_visibleSlots.LiveCount() != visible)
        return false;
    for (std::uint32_t v = m_visibleSlots.FirstLive(); v != kNone; v = m_visibleSlots.NextLive(v))
    {
        if (!m_shown.IsLive(m_visible[v]) || m_records[m_visible[v]].visible != v)
            return false;
    }
    return true;
}
