// The header of the filterable list: while a filter is set it tints the header, the filtered
// columns strongly and the others lightly; otherwise it looks like a plain header.
#pragma once

#include "winlib/HeaderCtrl.h"

#include <vector>

// What the header asks the list it belongs to (its owner window).
class CHeaderFilterState
{
public:
    virtual ~CHeaderFilterState() = default;
    // The column indices that have a filter now.
    virtual std::vector<int> GetFilteredColumns() const = 0;
    // The column index shown at a display position, -1 when none.
    virtual int GetColumnAtPosition(int position) const = 0;
    // Whether the list's filtering is on (the filter row is in use).
    virtual BOOL IsFilterOn() const = 0;
};

constexpr COLORREF kFilteredColumnTint = 0x20A5DA; // 218, 165, 32
constexpr COLORREF kFilterTint = 0x82DDEE;         // 238, 221, 130

class CColorHeaderCtrl : public CHeaderCtrl
{
    DECLARE_DYNAMIC(CColorHeaderCtrl)
public:
    // The background a header item gets now.
    COLORREF ItemBackground(int item) const;

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnEraseBkgnd(CDC* dc) override;

private:
    const CHeaderFilterState* FilterState() const;
};
