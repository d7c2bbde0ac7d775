// Exchange ids, codes and segment names as the detail views show them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Code of an exchange id; empty when unknown.
std::string GetExchangeCode(int nExchangeId);

// Id of an exchange or segment name (case-sensitive); -1 when unknown.
int GetExchangeId(std::string_view name);

// Exchange code shown for a segment name; empty when unknown.
std::string GetSegmentCode(std::string_view segment);

// The process-wide exchange list, in the order the limit details walk it.
std::vector<int>& GetExchangeList();

// Empties the exchange list and fills it afresh.
void FillExchangeList();
