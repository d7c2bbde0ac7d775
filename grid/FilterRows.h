// The filter list's rows: the row store (one record per row the owner inserted, in store order;
// a record's store index is its place in that order) and the visible index (the records that
// pass the filter, in display order).
//
// Both are kept as rows of slots with tombstones (LiveSlots): a store index or a display position
// is a rank among the live slots, so that deleting a record renumbers every index after it
// without touching them, and finding where a record shows is a lookup rather than a search.
// Dead slots are swept out once they are a quarter of the live ones, which renumbers the slots:
// a slot number holds only until the next removal or insertion inside the store.
//
// While the visible records run in store order (always, until a sort) the visible index is one
// flag per store slot, "shown", and a display position is a rank among the shown slots: finding
// a row, showing, hiding and deleting a record then touch only the flags and their counts, never
// the record itself, which at a million records would be a miss to main memory every time. Once
// a sort puts them in another order they are also listed in display order (a row of visible
// slots, each record linked to its own), until a filter or an ordered list puts them back.
#pragma once

#include "grid/LiveSlots.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class FilterRows
{
public:
    static constexpr std::uint32_t kNone = LiveSlots::kNone;
    static constexpr std::uint32_t kPrefetchAhead = 8;

    struct Record
    {
        std::uint64_t item = 0;         // the owner's item pointer
        std::uint32_t check : 30 = 0;   // check state
        std::uint32_t held : 1 = 0;     // kept out of the visible rows until there is room (owner's list)
        std::uint32_t selected : 1 = 0; // kept here when the owner makes selection a callback state
        std::uint32_t visible = kNone;  // slot in the listed visible index, while there is one
    };

    std::uint32_t StoreCount() const { return m_storeSlots.LiveCount(); }
    // Store slots in use, live or dead: every slot number is below this.
    std::uint32_t SlotCount() const { return m_storeSlots.SlotCount(); }
    std::uint32_t VisibleCount() const { return m_shown.LiveCount(); }

    // ---- Records by store index or by slot ----
    std::uint32_t SlotOfStoreIndex(std::uint32_t index) const { return m_storeSlots.Select(index); }
    std::uint32_t StoreIndexOfSlot(std::uint32_t slot) const { return m_storeSlots.Rank(slot); }
    // Whether the slot holds a record of the store now (not one removed, nor past the last).
    bool IsStoreSlot(std::uint32_t slot) const { return m_storeSlots.IsLive(slot); }
    Record& At(std::uint32_t slot) { return m_records[slot]; }
    const Record& At(std::uint32_t slot) const { return m_records[slot]; }
    // Store slots in store order: FirstSlot, then NextSlot until kNone.
    std::uint32_t FirstSlot() const { return m_storeSlots.FirstLive(); }
    std::uint32_t NextSlot(std::uint32_t slot) const { return m_storeSlots.NextLive(slot); }

    // Adds a record at the end of the store; returns its slot.
    std::uint32_t AppendRecord();
    // Adds a record at a store index inside the store (every later index moves up by one).
    // Returns its slot. Costs a sweep of the store: records are appended far more often.
    std::uint32_t InsertRecord(std::uint32_t index);
    // Removes a record (hidden first when visible).
    void RemoveRecord(std::uint32_t slot);
    void Clear();

    // An owner that keeps the slots of its items, to find their records again without a search,
    // hears when a sweep has renumbered them: every record from slot 'first' on may have a new
    // slot, which is now its store index. The rows are whole again when it is called; it must not
    // change them.
    using SlotsRenumbered = void (*)(void* context, const FilterRows& rows, std::uint32_t first);
    void SetSlotsRenumbered(SlotsRenumbered hook, void* context)
    {
        m_pfnSlotsRenumbered = hook;
        m_pSlotsRenumberedContext = context;
    }

    // ---- The visible index ----
    // The store slot shown at a display position (before newest-first), kNone when none.
    std::uint32_t SlotAtPosition(std::uint32_t position) const
    {
        if (m_bInStoreOrder)
            return m_shown.Select(position);
        const std::uint32_t v = m_visibleSlots.Select(position);
        return v == kNone ? kNone : m_visible[v];
    }
    // The display position of a record, kNone when hidden.
    std::uint32_t PositionOfSlot(std::uint32_t slot) const
    {
        if (!m_shown.IsLive(slot))
            return kNone;
        return m_bInStoreOrder ? m_shown.Rank(slot) : m_visibleSlots.Rank(m_records[slot].visible);
    }
    void AppendVisible(std::uint32_t slot);
    // Shows a hidden record at a display position (0 ... VisibleCount()).
    void InsertVisible(std::uint32_t position, std::uint32_t slot);
    void HideSlot(std::uint32_t slot);
    // Replaces the visible index by these store slots, in this order.
    void SetVisible(std::vector<std::uint32_t> slots);
    // Calls f(slot, position) for every visible record in store order, with its display position
    // (before newest-first).
    template <class F> void ForEachVisibleInStoreOrder(F&& f) const
    {
        std::uint32_t position = 0;
        // Without gaps in the listed index a record's place there is its position.
        const bool gaps = !m_bInStoreOrder && m_visibleSlots.DeadCount() > 0;
        m_shown.ForEachLive(
            [&](std::uint32_t slot)
            {
                if (m_bInStoreOrder)
                    f(slot, position++);
                else
                    f(slot, gaps ? m_visibleSlots.Rank(m_records[slot].visible) : m_records[slot].visible);
            });
    }
    // Rebuilds the visible index from the records whose item is set and passes(item) answers true,
    // in store order. One pass over the records: each is marked shown or hidden as it is asked.
    template <class Passes> void Refilter(Passes&& passes)
    {
        LiveSlots::Words shown((SlotCount() + 63) / 64, 0);
        const std::size_t records = m_records.size();
        m_storeSlots.ForEachLive(
            [&](std::uint32_t slot)
            {
                // The owner's record a few rows on is fetched while this one is asked about: the
                // question reads it, and owners' records lie anywhere in memory.
                if (slot + kPrefetchAhead < records)
                    __builtin_prefetch(reinterpret_cast<const void*>(m_records[slot + kPrefetchAhead].item));
                // The record's link into a listed index goes with the list, dropped below. (A pass
                // that writes each record it reads also measured faster here than one that only
                // reads them: 31 against 37 ms for a million records.)
                Record& record = m_records[slot];
                record.visible = kNone;
                if (record.item != 0 && passes(record.item))
                    shown[slot >> 6] |= std::uint64_t{1} << (slot & 63);
            });
        m_shown.Assign(std::move(shown), SlotCount());
        DropVisibleList();
    }
    // The visible store slots in display order (an array from work_buffers, WorkBuffers.h).
    std::vector<std::uint32_t> VisibleSlots() const;
    // True while the visible index runs in store order (filtering keeps that order; a sort
    // may not).
    bool VisibleInStoreOrder() const { return m_bInStoreOrder; }

    std::size_t MemoryBytes() const;
    // Every live record has a consistent entry; for tests and the fuzzer.
    bool CheckConsistency() const;

private:
    void Unlink(std::uint32_t slot);
    // Lists the visible records in display order from here on (they are about to leave store order).
    void ListVisible();
    // Back to the shown flags alone: the visible records run in store order.
    void DropVisibleList();
    void SweepStore(std::uint32_t insertAt, std::uint32_t* insertedSlot);
    void SweepVisible();
    void MaybeSweep();

    std::vector<Record> m_records; // by store slot
    LiveSlots m_storeSlots;
    LiveSlots m_shown; // by store slot: live while the record is visible
    // Only while the visible records are out of store order:
    std::vector<std::uint32_t> m_visible; // visible slot -> store slot
    LiveSlots m_visibleSlots;
    bool m_bInStoreOrder = true;
    SlotsRenumbered m_pfnSlotsRenumbered = nullptr;
    void* m_pSlotsRenumberedContext = nullptr;
};
