#include "data/uAccTaxCmp.h"

#include <exception>
#include <map>
#include <stdexcept>

#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccRecord.h"

namespace {

// Name prefixes of the three codes of a purchase group, in code order.
constexpr const char* kPrefix[3] = {"課税売上対応", "共通売上対応", "非課売上対応"};
constexpr const char* kZenDigit[6] = {"１", "２", "３", "４", "５", "６"};
// Names of the codes x20, x30, x40 and x50 of the sales groups.
constexpr const char* kNonTaxable[4] = {"免税売上", "非課税売上", "非課税売上（有価証券）", "非課税売上（輸出等）"};

using TaxCodeTable = std::map<int32_t, TTaxCodeInfo>;

TaxCodeTable BuildTaxCodeTable() {
  TaxCodeTable t;
  auto add = [&t](int32_t code, const char* kind, const std::string& name, int32_t dc, int32_t uh, int32_t cls) {
    t[code] = TTaxCodeInfo{kind, PadRightSJIS(name, 24), dc, uh, cls};
  };
  // Sales side: sales, recovered bad debts, returns, bad debts.
  struct SalesGroup { int32_t base; const char* kind; int32_t dc; const char* typed; };
  const SalesGroup sales[] = {
      {100, "売上", 3, "課税売上"}, {200, "貸倒回収", 3, nullptr}, {300, "返還", 1, "課税返還"}, {400, "貸倒", 1, nullptr}};
  for (const auto& g : sales) {
    add(g.base + 10, g.kind, "課税売上", g.dc, 1, g.typed ? 1 : 0);
    if (g.typed)
      for (int i = 0; i < 6; ++i)
        add(g.base + 11 + i, g.kind, std::string("第") + kZenDigit[i] + "種" + g.typed, g.dc, 1, 2);
    for (int i = 0; i < 4; ++i) add(g.base + 20 + 10 * i, g.kind, kNonTaxable[i], g.dc, 0, 0);
  }
  // Purchases: groups of three by what the purchase serves.
  auto group3 = [&](int32_t first, const char* kind, const std::string& suffix, int32_t dc, int32_t uh) {
    for (int i = 0; i < 3; ++i) add(first + i, kind, kPrefix[i] + suffix, dc, uh, 0);
  };
  group3(511, "仕入", "課税仕入", 1, 2);
  group3(521, "仕入", "課税輸入", 1, 2);
  add(531, "仕入", "課税売上対応調整（棚卸）", 1, 2, 0);
  add(532, "仕入", "共通売上対応調整（棚卸）", 1, 2, 0);
  add(533, "仕入", "非課税売上対調整（棚卸）", 1, 2, 0);
  add(540, "仕入", "非課税仕入", 1, 0, 0);
  group3(551, "仕入", "特定課税仕入", 1, 2);
  group3(561, "仕入", "課税仕入返還", 3, 2);
  group3(571, "仕入", "課税輸入返還", 3, 2);
  group3(581, "仕入", "特定仕入返還", 3, 2);
  // Tax received.
  add(610, "仮受", "売上", 3, 0, 1);
  for (int i = 0; i < 6; ++i) add(611 + i, "仮受", std::string("第") + kZenDigit[i] + "種課税売上", 3, 0, 2);
  add(620, "仮受", "貸倒回収", 3, 0, 0);
  add(630, "仮受", "返還", 1, 0, 1);
  for (int i = 0; i < 6; ++i) add(631 + i, "仮受", std::string("第") + kZenDigit[i] + "種課税返還", 1, 0, 2);
  add(640, "仮受", "貸倒", 1, 0, 0);
  // Tax paid.
  group3(711, "仮払", "課税仕入", 1, 0);
  group3(721, "仮払", "課税輸入", 1, 0);
  group3(724, "仮払", "課税輸入(国)", 1, 0);
  group3(731, "仮払", "調整（棚卸）", 1, 0);
  group3(761, "仮払", "課税仕入返還", 3, 0);
  group3(771, "仮払", "課税輸入返還", 3, 0);
  add(774, "仮払", "課税売対課税輸入返還(国)", 3, 0, 0);
  add(775, "仮払", "共通売対課税輸入返還(国)", 3, 0, 0);
  add(776, "仮払", "非課売対課税輸入返還(国)", 3, 0, 0);
  add(810, "課税対象外", "課税対象外・不課税", 0, 0, 0);
  add(910, "区分未定", "区分未定　　　　　　    ", 0, 0, 0);
  return t;
}

const TaxCodeTable& TaxCodes() {
  static const TaxCodeTable table = BuildTaxCodeTable();
  return table;
}

constexpr std::array<TZeiRituRec, 3> kZeiRitu = {{
    {"8%", Currency::FromYen(8), 0, 2, "2014/04/01", 6, 1},
    {"5%", Currency::FromYen(5), 2, 1, "1997/04/01", 1, 0},
    {"3%", Currency::FromYen(3), 1, 0, "1989/04/01", 1, 0},
}};

TDateTime ParsedFrom(const TZeiRituRec& row) {
  TDateTime d = 0;
  TryStrToDate(row.FromDate, d);
  return d;
}

// The rate class of every journal line may ask for these: the fixed table's days are read
// from their text once, not on each call.
TDateTime RowFrom(const TZeiRituRec& row) {
  static const std::array<TDateTime, kZeiRitu.size()> kFrom = [] {
    std::array<TDateTime, kZeiRitu.size()> days{};
    for (size_t k = 0; k < kZeiRitu.size(); ++k) days[k] = ParsedFrom(kZeiRitu[k]);
    return days;
  }();
  if (&row >= kZeiRitu.data() && &row < kZeiRitu.data() + kZeiRitu.size())
    return kFrom[static_cast<size_t>(&row - kZeiRitu.data())];
  return ParsedFrom(row);
}

// First days of the 5% and 8% rates and of the specified purchases.
TDateTime Rate5From() {
  static const TDateTime day = EncodeDate(1997, 4, 1);
  return day;
}
TDateTime Rate8From() {
  static const TDateTime day = EncodeDate(2014, 4, 1);
  return day;
}
TDateTime SpecifiedPurchaseFrom() { return EncodeDate(2015, 10, 1); }

// A standard account of the open data set; a data set without the account has none.
bool IsAccount(const std::string& userCode, int index) {
  const std::string& own = AccInf.SysUserCode[static_cast<size_t>(index)];
  return !own.empty() && userCode == own;
}
bool IsTaxAccount(const std::string& userCode) {
  return IsAccount(userCode, kSysKaribaraiTax) || IsAccount(userCode, kSysKariukeTax);
}

bool In(int32_t code, int32_t lo, int32_t hi) { return code >= lo && code <= hi; }

bool DataKnowsRate8() {
  return AccInf.VerMajor >= 7 || (AccInf.VerMajor == 6 && AccInf.VerMinor1 >= 1);
}

// The rate as a whole percentage ("#" format: nothing for 0).
std::string RateText(Currency rate) {
  const int64_t whole = RoundCurrency(1, rate).Trunc();
  return whole == 0 ? std::string() : std::to_string(whole);
}

}  // namespace

// The tax computation and the amount helpers must round alike, so there is one rule.
Currency RoundYen(int mode, Currency amount) { return RoundCurrency(mode, amount); }

const std::array<TZeiRituRec, 3>& ZeiRituTable() { return kZeiRitu; }

bool GetTaxCodeInfo(int32_t code, TTaxCodeInfo& info) {
  const auto& t = TaxCodes();
  const auto it = t.find(code);
  if (it == t.end()) {
    info = TTaxCodeInfo{};
    return false;
  }
  info = it->second;
  return true;
}

void NormalizeTaxCode(int32_t& code) {
  if (AccInf.TAXKANNI == 1) {
    // A main business type outside 1 to 6 names no code; the code is left unrefined.
    if ((code == 110 || code == 310 || code == 610 || code == 630) && In(AccInf.TAXJIGYOU, 1, 6))
      code += AccInf.TAXJIGYOU;
    return;
  }
  if (In(code, 111, 116)) code = 110;
  else if (In(code, 311, 316)) code = 310;
  else if (In(code, 611, 616)) code = 610;
  else if (In(code, 631, 636)) code = 630;
}

bool CheckTaxCodeForAccount(std::string& message, const std::string& userCode, int32_t code) {
  message.clear();
  const bool karibarai = IsAccount(userCode, kSysKaribaraiTax);
  if (karibarai) {
    const bool ok = In(code, 711, 713) || In(code, 721, 726) || In(code, 731, 733) || In(code, 761, 763) ||
                    In(code, 771, 776) || code == 810 || code == 910;
    if (!ok) {
      message = "仮払消費税の税コードは[700番台,810,910]を使用してください。";
      return false;
    }
  } else if (In(code, 700, 799)) {
    message = "税コードが[700番台]は、科目に仮払消費税を使用してください。";
    return false;
  }
  if (!IsAccount(userCode, kSysKariukeTax)) {
    if (In(code, 600, 699)) {
      message = "税コードが[600番台]は、科目に仮受消費税を使用してください。";
      return false;
    }
    return true;
  }
  const char* kWrong = "仮受消費税の税コードは[600番台,810,910]を使用してください。";
  if (AccInf.TAXKANNI == 0) {
    if (code == 610 || code == 620 || code == 630 || code == 640 || code == 810 || code == 910) return true;
    if (In(code, 611, 616) || In(code, 631, 636)) {
      message = "注意：原則課税が選択されています。";
      return true;
    }
    message = kWrong;
    return false;
  }
  if (AccInf.TAXKANNI == 1) {
    if (code == 610 || code == 630) {
      message = "注意：簡易課税が選択されています。";
      return true;
    }
    if (In(code, 611, 616) || code == 620 || In(code, 631, 636) || code == 640 || code == 810 || code == 910)
      return true;
    message = kWrong;
    return false;
  }
  return true;
}

bool CheckTaxAccountCounterCode(std::string& message, const std::string& userCode, int32_t& code) {
  message.clear();
  if (!IsTaxAccount(userCode) || code == 810 || code == 910) return true;
  message = "仮受消費税、仮払消費税の相手税コードは[810,910]を使用してください。";
  code = 810;
  return false;
}

bool CheckSyokuchiTaxCode(std::string& message, const std::string& userCode, int32_t& code) {
  message.clear();
  if (!IsAccount(userCode, kSysShokuchi) || code == 810 || code == 910) return true;
  message = "諸口の消費税コードは、[810,910]を使用してください。";
  code = 810;
  return false;
}

bool IsSpecifiedPurchaseCode(int32_t code) { return In(code, 551, 553) || In(code, 581, 583); }

bool CheckSpecifiedPurchase(std::string& message, int32_t code, int32_t rateNo, TDateTime date) {
  message.clear();
  if (!IsSpecifiedPurchaseCode(code)) return true;
  bool ok = true;
  if (date < SpecifiedPurchaseFrom()) {
    message = "特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では[" +
              FormatDateStyle("yyyy/mm/dd", 3, SpecifiedPurchaseFrom()) + "]より前の取引を登録できません。";
    ok = false;
  }
  const Currency r = GetZeiRitu(rateNo, date);
  if (r != Currency::FromYen(8)) {
    message = "特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では税率[" + RateText(r) + "%]は使用できません。";
    ok = false;
  }
  return ok;
}

Currency GetZeiRitu(int32_t rateNo, TDateTime date) {
  if (date < Rate5From()) return Currency::FromYen(3);
  if (rateNo == 1) return Currency::FromYen(3);
  if (rateNo == 2) return Currency::FromYen(5);
  return date >= Rate8From() && DataKnowsRate8() ? Currency::FromYen(8) : Currency::FromYen(5);
}

int32_t CheckZeiRituNo(int32_t rateNo, TDateTime date) {
  if (date < Rate8From()) return rateNo > 1 ? 0 : rateNo;
  int32_t current = 0;
  for (const auto& row : kZeiRitu) {
    if (RowFrom(row) <= date) {
      current = row.RateNo;
      break;
    }
  }
  if (rateNo == current) return rateNo;
  for (const auto& row : kZeiRitu)
    if (row.RateNo == rateNo && RowFrom(row) <= date) return rateNo;
  return current;
}

int32_t ZeiRituToNo(Currency rate, TDateTime date) {
  if (date < Rate5From()) return 0;
  if (date < Rate8From()) return rate == Currency::FromYen(3) ? 0 : 1;
  for (const auto& row : kZeiRitu)
    if (row.Rate == rate) return row.RateClass;
  for (const auto& row : kZeiRitu)
    if (RowFrom(row) <= date) return row.RateClass;
  return 0;
}

bool CalcSiwakeTaxSide(TSWKREC& entry, TSwkBalance& side) {
  try {
    TTaxCodeInfo info;
    GetTaxCodeInfo(side.TAXCODE, info);
    side.TAXDC = info.TAXDC;
    side.TAXUH = info.TAXUH;
    side.NUK = side.ZEI = side.RIT = Currency();

    const Currency r = GetZeiRitu(entry.OLDRATE, entry.HIZUKE);
    if (side.TAXUH != 0) side.RIT = r;
    const Currency k = entry.KINGAKU;

    if (side.TAXUH != 0 && !IsTaxAccount(side.UserCode)) {
      if (entry.AUTCALCU == 0) {
        side.NUK = entry.TAXCALCU == 0 ? k - entry.ZEIGAKU : k;
        side.ZEI = entry.TAXCALCU == 0 || entry.TAXCALCU == 1 ? entry.ZEIGAKU : Currency();
        return true;
      }
      const int mode = side.TAXUH == 1 ? AccInf.TAXU_HASUU : AccInf.TAXH_HASUU;
      // The quotients are amounts of four decimals (nearest) before they go to the yen.
      if (entry.TAXCALCU == 1) {
        side.NUK = k;
        side.ZEI = RoundYen(mode, k.MulDiv(r.Raw(), Currency::FromYen(100).Raw()));
      } else if (entry.TAXCALCU == 0) {
        const int64_t den = (Currency::FromYen(100) + r).Raw();
        if (den == 0) throw std::domain_error("rate of -100%");
        const Currency t = RoundYen(mode, k.MulDiv(r.Raw(), den));
        side.NUK = k - t;
        side.ZEI = t;
      } else {
        side.NUK = k;
      }
      return true;
    }
    side.NUK = k;
    side.ZEI = Currency();
    side.RIT = IsTaxAccount(side.UserCode) && side.TAXCODE != 810 && side.TAXCODE != 910 ? r : Currency();
    return true;
  } catch (const std::exception&) {
    ShowMessageLines("仕訳の消費税額が計算できません。", uis::MsgKind::Error);
    return false;
  }
}

bool CalcSiwakeTax(TSWKREC& entry) {
  if (IsSpecifiedPurchaseCode(entry.L.TAXCODE) || IsSpecifiedPurchaseCode(entry.R.TAXCODE)) entry.TAXCALCU = 2;
  entry.KINGAKU = RoundYen(0, entry.KINGAKU);
  entry.ZEIGAKU = RoundYen(0, entry.ZEIGAKU);
  if (!CalcSiwakeTaxSide(entry, entry.L) || !CalcSiwakeTaxSide(entry, entry.R)) return false;
  if (entry.TAXCALCU == 1) {
    const Currency d = entry.L.NUK + entry.L.ZEI;
    const Currency c = entry.R.NUK + entry.R.ZEI;
    if (d < c) {
      entry.L.NUK = c;
      entry.L.ZEI = Currency();
    } else if (c < d) {
      entry.R.NUK = d;
      entry.R.ZEI = Currency();
    }
  }
  entry.ZEIGAKU = entry.L.ZEI > entry.R.ZEI ? entry.L.ZEI : entry.R.ZEI;
  return true;
}
