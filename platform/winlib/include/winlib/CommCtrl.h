// Common controls (list view, header, tooltips, image lists, date/time picker and month
// calendar): messages, notification codes, styles, flags and structures, with the Windows
// names and values.
//
// Text is single-byte: the unsuffixed names are the A forms, as in a non-Unicode Windows
// build. The W notification codes are defined as well, with the W structures where a
// control has to answer in either form (tooltip text, header items, list-view display
// info and label editing, find and info-tip requests).
//
// What all controls share is in CommCtrlCommon.h, each control family in a header of its own.
#pragma once

#include "winlib/CommCtrlCommon.h"
#include "winlib/CommCtrlDateTime.h"
#include "winlib/CommCtrlHeader.h"
#include "winlib/CommCtrlListView.h"
#include "winlib/CommCtrlToolTips.h"
