// The date or time picker laid over a cell. One object serves every edit; its window is made for
// each edit and closed when the edit ends, which is when the focus leaves it (not when it only
// moves into the picker's own calendar). The text it reports is normalised: dates as dd/mm/yyyy,
// times as hh:mm:ss; Escape reports the starting value.
#pragma once

#include "controls/InPlaceEditor.h"
#include "winlib/DateTimeCtrl.h"

#include <string>

class CInPlaceDTPicker : public CInPlaceEditor<CInPlaceDTPicker, CDateTimeCtrl>
{
    DECLARE_DYNAMIC(CInPlaceDTPicker)
public:
    // With the time-format style bits (DTS_TIMEFORMAT) the picker edits a time of day, otherwise
    // a date. Dates are kept between 1 January 1970 and 31 December 3000, which every value of
    // the calendar time can show.
    BOOL ShowDateTimeCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column,
                          const CTime& value);

    bool IsTimeMode() const { return m_bTimeMode; }
    // The picker's text in the reported form.
    std::string NormalisedText(const std::string& text) const;

    CTime m_timeStart;
    int m_nTabDirection = 0; // 1 forward, 2 backward

protected:
    friend class CInPlaceEditor<CInPlaceDTPicker, CDateTimeCtrl>;
    CInPlaceDTPicker() = default;
    void StartInNewWindow() override;
    void StartInOpenWindow() override { SetTime(&m_timeStart); }
    std::string EditResult() const override;
    bool EditGoesOn() const override;
    void EditEnded() override;
    void MoveToCell(bool next) override;

private:
    bool m_bTimeMode = false;
};

template <> std::unique_ptr<CInPlaceDTPicker>& CInPlaceEditor<CInPlaceDTPicker, CDateTimeCtrl>::Instance();
