// An edit box for a signed fixed-point number: the integer part in groups of three digits and a
// set number of decimals. It takes every typed character itself and rewrites the whole text after
// each one, so that the text keeps its shape; the number it shows is kept as a double.
#pragma once

#include "winlib/Controls.h"

#include <string>

class CPriceEditControl : public CEdit
{
    DECLARE_DYNAMIC(CPriceEditControl)
public:
    // Digits the integer part may hold; a double keeps every cent up to there.
    static constexpr int kMaxIntegerDigits = 15;

    CPriceEditControl() = default;

    // Stores the value, shows it in full shape and puts the caret at the start.
    void SetValue(double value);
    double GetValue() const { return m_dValue; }

    // The text of a value: sign, grouped integer part (empty below 1) and the decimals.
    std::string FormatValue(double value) const;
    // A text with its separators taken out and put back in the integer part.
    std::string GroupText(const std::string& text) const;
    // The number a text stands for.
    double ParseText(const std::string& text) const;
    // How many digits stand before the decimal point.
    int IntegerDigits(const std::string& text) const;

    int m_nDecimals = 2;
    double m_dValue = 0;
    BOOL m_bGrouping = TRUE;
    char m_chGroupSeparator = ',';
    char m_chDecimalPoint = '.';

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

    // Sets the text, puts the caret at 'caret' (clamped) with nothing selected and recomputes the
    // value.
    void StoreText(const std::string& text, int caret);

private:
    void TypeDigit(std::string text, int caret, char digit);
    void TypeDecimalPoint(const std::string& text, int caret);
    void Backspace(std::string text, int caret);
};
