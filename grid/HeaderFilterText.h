// The text of one header filter, as the filter bar keeps it: every grid with a filter row reads
// and writes it through these, so that all of them cut a long filter at the same length.
#pragma once

#include <string>

class CHeaderCtrl;

// What one header filter holds; a longer text is cut to this many characters.
constexpr int kFilterTextLimit = 1023;

// The filter text of header item 'item' (not its display position); empty when the item has
// no value or does not exist.
std::string GetHeaderFilterText(const CHeaderCtrl& header, int item);
// Sets the filter text of header item 'item', cut at kFilterTextLimit characters.
void SetHeaderFilterText(CHeaderCtrl& header, int item, const std::string& text);
