// Company step 0.2.0, and what the steps 0.2.0 to 0.4.1 share.
#include "upgrade/z5UserDbUpdate020.h"

#include <cstdio>

namespace userupdate {

void AddText(Lines& s, std::string_view text) {
  size_t start = 0;
  while (start <= text.size()) {
    const size_t nl = text.find('\n', start);
    const size_t end = nl == std::string_view::npos ? text.size() : nl;
    if (!(nl == std::string_view::npos && start == end)) s.emplace_back(text.substr(start, end - start));
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
}

std::string BalanceColumn(int32_t slot) {
  char buf[16];
  std::snprintf(buf, sizeof buf, slot <= 0 ? "ZANM%02d" : "ZANP%02d", slot <= 0 ? -slot : slot);
  return buf;
}

std::string BudgetColumn(int32_t slot) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "YOSAN%02d", slot);
  return buf;
}

namespace {

constexpr int32_t kFirstBalanceSlot = -32;
constexpr int32_t kLastSlot = 15;

std::string Column(const std::string& prefix, int32_t slot) {
  return prefix == "YOSAN" ? BudgetColumn(slot) : BalanceColumn(slot);
}

int32_t FirstSlot(const std::string& prefix) { return prefix == "YOSAN" ? 1 : kFirstBalanceSlot; }

}  // namespace

std::string GroupZandakaSignature() {
  std::string s =
      "(PSCODE VARCHAR(6) CHARACTER SET ASCII, PGCODE VARCHAR(6) CHARACTER SET ASCII) "
      "RETURNS (USERCODE VARCHAR(6) CHARACTER SET ASCII, KCODE VARCHAR(6) CHARACTER SET ASCII, "
      "HCODE VARCHAR(6) CHARACTER SET ASCII";
  for (int32_t n = kFirstBalanceSlot; n <= kLastSlot; ++n) s += ", " + BalanceColumn(n) + " NUMERIC(16,4)";
  for (int32_t n = 1; n <= kLastSlot; ++n) s += ", " + BudgetColumn(n) + " NUMERIC(16,4)";
  return s + ")";
}

void AddSlotAssignments(Lines& lines, const std::string& prefix, const std::string& slot, const std::string& value,
                        const std::string& indent) {
  for (int32_t n = FirstSlot(prefix); n <= kLastSlot; ++n) {
    lines.push_back(indent + "IF (" + slot + " = " + std::to_string(n) + ") THEN " + Column(prefix, n) + " = " +
                    value + ";");
  }
}

void AddSlotClear(Lines& lines, const std::string& prefix, const std::string& value, const std::string& indent) {
  std::string line = indent;
  for (int32_t n = FirstSlot(prefix); n <= kLastSlot; ++n) {
    line += Column(prefix, n) + " = " + value + "; ";
    if (line.size() > 100) {
      line.pop_back();
      lines.push_back(line);
      line = indent;
    }
  }
  if (line != indent) {
    line.pop_back();
    lines.push_back(line);
  }
}

}  // namespace userupdate

// A version of its own; the step changes nothing else.
int32_t ExecUserDbUpdate020() { return userupdate::RunStep({0, 2, 0}, {}); }
