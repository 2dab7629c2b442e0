#pragma once
// Date texts in western and era (和暦) form. Which form the slash and 年月日 patterns write is
// the operator's era display switch (SystemDef.R4Bit10 = 1: era form).
//
// The era text kind chooses what leads an era date: 0 nothing (the era-form result is then
// trimmed of blanks at both ends), 1 the era name ("平成"), 2 the era sign ("H"), any other
// value the era name, except that FormatDateStyle with kind 3 leads with the era sign and
// then takes every blank out of the result ("H26/04/05").
//
// The western forms either go through FormatDateTime with the pattern itself or are printf
// forms with blank-padded numbers ("2014/ 4/ 5"). A pattern without an era form gives an
// empty text in era form. None of these raises.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/DateTime.h"

// "from ～ to": western "yyyy/mm/dd", era "H 26/04/01" (era sign, zero-padded numbers).
std::string FormatKikanText(TDateTime from, TDateTime to);

// Slash patterns: "yyyy/mm/dd", "yy/mm/dd", "yyyy/mm", "yy/mm", "yyyy", "yy", "yyyy/m/d",
// "yy/m/d", "y/m/d", "yyyy/m", "yy/m", "y/m", "y", "yy2/mm/dd", "y/m/".
std::string FormatDateStyle(std::string_view pattern, int32_t kind, TDateTime date);

// 年月日 patterns: "yyyy年mm月dd日", "yyyy年m月d日", "yyyy年 m月 d日" and their two-digit-year,
// year-month and year forms.
std::string FormatDateStyleJ(std::string_view pattern, int32_t kind, TDateTime date);

// Era patterns, written in era form whatever the display switch: "gg ee年" (also for an
// empty pattern), "gg ee年mm月dd日", "e", "ee", "ggee･mm･dd", "ee.mm.dd".
std::string FormatWarekiText(std::string_view pattern, int32_t kind, TDateTime date);
