#pragma once
// Simplified method: the link from 付表4 to 付表5. Runs 付表5, carries its deemed credit back
// into 付表4 and writes the business-type breakdown of the return.
#include "tax/z5ComSyohizei.h"

// Expects the three tax lines of 付表5 columns 1..4 handed over by 付表4. Writes
// KOUJYO_SIIRE of the four 付表4 columns and the return's JIGYOU_URIAGE, JIGYOU_WARIAI and
// JIGYOU_URIAGE_GOUKEI (through 付表5 also SIMPLE_FLAG2). Always true.
bool CalcBusinessTypeBreakdown(TTAXPAR& settings, TSyohizeiSinkoku& ret);
