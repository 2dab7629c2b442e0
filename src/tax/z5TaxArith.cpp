#include "tax/z5TaxArith.h"

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace {

// --- Conversion factors: num / den per rate class 0, 1, 2. ---

struct Factor {
  int64_t num[kRateClassCount];
  int64_t den[kRateClassCount];
};

Factor FactorOf(TaxConv op) {
  switch (op) {
    case TaxConv::KOMI2NUKI: return {{100, 100, 100}, {103, 105, 108}};
    case TaxConv::KOMI_KOKUZEI: return {{3, 4, 63}, {103, 105, 1080}};
    case TaxConv::NUKI_ZEIGAKU: return {{3, 5, 8}, {100, 100, 100}};
    case TaxConv::TAX_KOKUZEI: return {{1, 4, 63}, {1, 5, 80}};
    case TaxConv::TAX_ZEIRITU: return {{3, 4, 63}, {100, 100, 1000}};
    case TaxConv::JYOTOWARI: return {{0, 25, 17}, {1, 100, 63}};
    case TaxConv::NUKI_KOKUZEI: return {{0, 4, 63}, {1, 100, 1000}};
  }
  throw std::invalid_argument("unknown tax conversion " + std::to_string(static_cast<int>(op)));
}

// --- Tax-code slots. ---

// The tax codes in the order of their slots 1..93: first the codes in ascending order, then
// the codes added later.
constexpr int32_t kSlotCodes[] = {
    110, 111, 112, 113, 114, 115, 120, 130, 140, 150,                 // 1..10
    210, 220, 230, 240, 250,                                          // 11..15
    310, 311, 312, 313, 314, 315, 320, 330, 340, 350,                 // 16..25
    410, 420, 430, 440, 450,                                          // 26..30
    511, 512, 513, 521, 522, 523, 531, 532, 533, 540,                 // 31..40
    561, 562, 563, 571, 572, 573,                                     // 41..46
    610, 611, 612, 613, 614, 615, 620, 630, 631, 632, 633, 634, 635,  // 47..59
    640,                                                              // 60
    711, 712, 713, 721, 722, 723, 731, 732, 733,                      // 61..69
    761, 762, 763, 771, 772, 773, 810, 910,                           // 70..77
    724, 725, 726, 774, 775, 776,                                     // 78..83
    116, 316, 616, 636,                                               // 84..87
    551, 552, 553, 581, 582, 583,                                     // 88..93
};
static_assert(std::size(kSlotCodes) == 93);
static_assert(std::size(kSlotCodes) < kTaxSlotCount);

constexpr int32_t kMaxCode = 999;

constexpr std::array<int8_t, kMaxCode + 1> MakeSlotTable() {
  std::array<int8_t, kMaxCode + 1> t{};
  for (size_t i = 0; i < std::size(kSlotCodes); ++i)
    t[static_cast<size_t>(kSlotCodes[i])] = static_cast<int8_t>(i + 1);
  return t;
}
constexpr std::array<int8_t, kMaxCode + 1> kSlotOfCode = MakeSlotTable();

constexpr Currency kYen = Currency::FromYen(1);

}  // namespace

Currency ConvertTaxAmount(int32_t rateClass, TaxConv op, Currency amount) {
  const Factor f = FactorOf(op);
  if (rateClass < 0 || rateClass >= kRateClassCount) return Currency();
  // The exact product, then one rounding to four decimals with halves to even.
  const __int128 p = static_cast<__int128>(amount.Raw()) * f.num[rateClass];
  const int64_t d = f.den[rateClass];
  __int128 q = p / d;
  __int128 r = p % d;
  if (r < 0) r = -r;
  if (2 * r > d || (2 * r == d && (q % 2 != 0))) q += p < 0 ? -1 : 1;
  return Currency::FromRaw(static_cast<int64_t>(q));
}

int32_t TaxCodeSlot(int32_t code) {
  if (code < 0 || code > kMaxCode) return 0;
  return kSlotOfCode[static_cast<size_t>(code)];
}

namespace taxarith {

bool Contains(CodeSet set, int code) {
  for (int c : set)
    if (c == code) return true;
  return false;
}

Currency Tr(Currency x) { return Round(x, RoundMode::TowardZero, kYen); }
Currency Tr1000(Currency x) { return Round(x, RoundMode::TowardZero, Currency::FromYen(1000)); }
Currency Tr100(Currency x) { return Round(x, RoundMode::TowardZero, Currency::FromYen(100)); }
Currency Th(Currency x) { return Currency::FromYen(Tr1000(x).Trunc() / 1000); }
Currency Max0(Currency x) { return x < Currency() ? Currency() : x; }

Currency Thousands(Currency yen, RoundMode mode) { return Round(yen.MulDiv(1, 1000), mode, kYen); }

void SplitNet(Currency net, Currency& refund, Currency& payable) {
  refund = Currency();
  payable = Currency();
  if (net < Currency())
    refund = -net;
  else if (net > Currency())
    payable = Tr100(net);
}

Currency Journal::K(CodeSet codes) const {
  Currency s;
  for (int code : codes) s += t_.KOMI_SUM[c_][TaxCodeSlot(code)];
  return s;
}

Currency Journal::N(CodeSet codes) const {
  Currency s;
  for (int code : codes) s += t_.NUK_SUM[c_][TaxCodeSlot(code)];
  return s;
}

Currency Journal::Z(CodeSet codes) const {
  Currency s;
  for (int code : codes) s += t_.ZEI_SUM[c_][TaxCodeSlot(code)];
  return s;
}

Currency NationalTax(const Journal& j, CodeSet codes) {
  return Tr(j.Conv(TaxConv::KOMI_KOKUZEI, j.K(codes))) +
         Tr(j.Conv(TaxConv::TAX_KOKUZEI, j.Z(codes)));
}

}  // namespace taxarith
