#include "controls/PriceEditControl.h"

#include "winlib/Api.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CPriceEditControl, CEdit)

namespace
{

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::string CPriceEditControl::FormatValue(double value) const
{
    if (!std::isfinite(value))
        value = 0;
    const int decimals = std::clamp(m_nDecimals, 0, 15);
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, std::fabs(value));
    std::string digits = buffer;
    const std::size_t point = digits.find('.');
    std::string integer = digits.substr(0, point);
    const std::string fraction = point == std::string::npos ? std::string() : digits.substr(point + 1);
    // Below 1 the integer part is empty: 0.5 shows as .50.
    if (integer == "0")
        integer.clear();
    std::string text = integer;
    if (decimals > 0)
        text += m_chDecimalPoint + fraction;
    text = GroupText(text);
    // A sign typed before any digit leaves a negative zero: it stays in front, so that the digits
    // typed next follow it. A negative value that rounds to zero shows no sign.
    const bool negative =
        std::signbit(value) && (value == 0 || std::fabs(value) * std::pow(10.0, decimals) >= 0.5);
    return negative ? "-" + text : text;
}

std::string CPriceEditControl::GroupText(const std::string& text) const
{
    std::string plain;
    for (char c : text)
    {
        if (c != m_chGroupSeparator)
            plain += c;
    }
    const std::size_t point = plain.find(m_chDecimalPoint);
    const std::string integer = plain.substr(0, point);
    const std::string fraction = point == std::string::npos ? std::string() : plain.substr(point + 1);
    std::string grouped;
    if (m_bGrouping)
    {
        int count = 0;
        for (auto it = integer.rbegin(); it != integer.rend(); ++it)
        {
            grouped.insert(grouped.begin(), *it);
            if (++count % 3 == 0)
                grouped.insert(grouped.begin(), m_chGroupSeparator);
        }
        // No separator in front of the first digit, nor after a leading sign.
        if (!grouped.empty() && grouped[0] == m_chGroupSeparator)
            grouped.erase(0, 1);
        if (grouped.size() > 1 && grouped[0] == '-' && grouped[1] == m_chGroupSeparator)
            grouped.erase(1, 1);
    }
    else
        grouped = integer;
    // A whole number (a cell that came without decimals) keeps no point of its own: "32,000." would
    // be neither its shape nor the cell's, and would go back into the cell as it stands.
    if (m_nDecimals != 0 && point != std::string::npos)
        grouped += m_chDecimalPoint + fraction;
    return grouped;
}

double CPriceEditControl::ParseText(const std::string& text) const
{
    std::string plain;
    for (char c : text)
    {
        if (c == m_chDecimalPoint)
            plain += '.';
        else if (c != m_chGroupSeparator)
            plain += c;
    }
    return std::strtod(plain.c_str(), nullptr);
}

int CPriceEditControl::IntegerDigits(const std::string& text) const
{
    const std::size_t point = text.find(m_chDecimalPoint);
    return static_cast<int>(
        std::count_if(text.begin(), point == std::string::npos ? text.end() : text.begin() + point, IsDigit));
}

void CPriceEditControl::SetValue(double value)
{
    m_dValue = std::isfinite(value) ? value : 0;
    if (m_hWnd)
        StoreText(FormatValue(m_dValue), 0);
}

void CPriceEditControl::StoreText(const std::string& text, int caret)
{
    SetWindowText(text.c_str());
    caret = std::clamp(caret, 0, static_cast<int>(text.size()));
    SetSel(caret, caret);
    m_dValue = ParseText(text);
}

BOOL CPriceEditControl::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_KEYDOWN && wParam == VK_DELETE)
    {
        // Delete keeps the edit box's own behaviour; the number follows the text.
        *result = Default();
        m_dValue = ParseText(GetWindowText());
        return TRUE;
    }
    return CEdit::OnWndMsg(message, wParam, lParam, result);
}

void CPriceEditControl::OnChar(UINT ch, UINT, UINT)
{
    const char c = static_cast<char>(ch);
    int start = 0;
    int end = 0;
    GetSel(start, end);
    std::string text = GetWindowText();
    const bool shaped = IsDigit(c) || c == '-' || c == '+' || c == m_chDecimalPoint;
    if (shaped || c == '\b')
    {
        if (start != end)
        {
            text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
            StoreText(text, start);
            if (c == '\b')
                return;
        }
        // The text in full shape again, all decimals shown, the caret where it was. A text with
        // more integer digits than a double holds to the cent (a cell that came in that large)
        // is only regrouped: rebuilt from the value, its last digits would change.
        if (c != '\b')
        {
            text = IntegerDigits(text) > kMaxIntegerDigits ? GroupText(text) : FormatValue(m_dValue);
            StoreText(text, start);
        }
    }
    const int caret = std::min(start, static_cast<int>(text.size()));
    if (c == '-')
    {
        if (!text.empty() && text[0] == '-')
            StoreText(text.substr(1), caret - 1);
        else
            StoreText("-" + text, caret + 1);
    }
    else if (c == '+')
    {
        if (!text.empty() && text[0] == '-')
            StoreText(text.substr(1), caret - 1);
    }
    else if (IsDigit(c))
        TypeDigit(text, caret, c);
    else if (c == m_chDecimalPoint)
        TypeDecimalPoint(text, caret);
    else if (c == '\b')
        Backspace(text, caret);
    // Every other character, the clipboard's control characters too, is ignored.
}

void CPriceEditControl::TypeDigit(std::string text, int caret, char digit)
{
    const std::size_t point = text.find(m_chDecimalPoint);
    const auto at = static_cast<std::size_t>(caret);
    if (point == std::string::npos || at <= point)
    {
        if (IntegerDigits(text) >= kMaxIntegerDigits)
        {
            MessageBeep(MB_ICONEXCLAMATION);
            return;
        }
        const int fromEnd = static_cast<int>(text.size()) - caret;
        text.insert(at, 1, digit);
        text = GroupText(text);
        int newCaret = static_cast<int>(text.size()) - fromEnd;
        if (newCaret >= 0 && newCaret < static_cast<int>(text.size()) && text[newCaret] == m_chGroupSeparator)
            ++newCaret;
        StoreText(text, newCaret);
        return;
    }
    if (at >= text.size())
        return; // every decimal is already there
    text[at] = digit;
    int newCaret = caret + 1;
    if (newCaret < static_cast<int>(text.size()) && text[newCaret] == m_chGroupSeparator)
        ++newCaret;
    StoreText(text, newCaret);
}

void CPriceEditControl::TypeDecimalPoint(const std::string& text, int caret)
{
    const std::size_t point = text.find(m_chDecimalPoint);
    std::string shaped = text;
    if (point != std::string::npos && static_cast<std::size_t>(caret) <= point)
        shaped = text.substr(0, static_cast<std::size_t>(caret)) + text.substr(point);
    shaped = GroupText(shaped);
    const std::size_t newPoint = shaped.find(m_chDecimalPoint);
    StoreText(shaped, newPoint == std::string::npos ? static_cast<int>(shaped.size())
                                                    : static_cast<int>(newPoint) + 1);
}

void CPriceEditControl::Backspace(std::string text, int caret)
{
    const std::size_t point = text.find(m_chDecimalPoint);
    if (point != std::string::npos && static_cast<std::size_t>(caret) == point + 1)
        caret = static_cast<int>(point); // the last integer digit goes, not the point
    if (point == std::string::npos || static_cast<std::size_t>(caret) <= point)
    {
        if (caret <= 0)
            return;
        const int fromEnd = static_cast<int>(text.size()) - caret;
        auto at = static_cast<std::size_t>(caret - 1);
        if (text[at] == m_chGroupSeparator && at > 0)
        {
            text.erase(at - 1, 2);
        }
        else
            text.erase(at, 1);
        text = GroupText(text);
        StoreText(text, static_cast<int>(text.size()) - fromEnd);
        return;
    }
    // In the fraction: the digit goes and a 0 fills the end.
    text.erase(static_cast<std::size_t>(caret - 1), 1);
    text += '0';
    StoreText(text, caret - 1);
}
