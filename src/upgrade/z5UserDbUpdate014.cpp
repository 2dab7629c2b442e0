// Company step 0.1.4: the cash-flow statement's layout, written anew over whatever layout the
// database held, without the per-facility switches of its earlier form.
#include "upgrade/z5UserDbUpdate014.h"

#include <cstddef>
#include <cstdio>
#include <stdexcept>

#include "upgrade/z5UserDbUpdate.h"

namespace userupdate {
namespace {

// A line's accounts: entries "<sign><code>/<type>" separated by blanks; "<sign><a>:<b>/<type>"
// stands for every code from a to b.
struct TLineRow {
  int rec, group, order;
  const char* name;
  const char* accounts;
};

// Lines 1 to 68; 69 to 102 repeat 26 to 59 (see below).
constexpr TLineRow kLines[] = {
    {1, 10, 1, "Ⅰ　営業活動によるキャッシュ・フロー", ""},
    {2, 11, 1, "税引前当期純利益（損失）", "+9999/1"},
    {3, 11, 2, "減価償却費", "+5606/2 +6204/2"},
    {4, 11, 3, "貸倒引当金の増加額", "+1320/2 +1620/2"},
    {5, 11, 4, "退職給付引当金の増加", ""},
    {6, 11, 5, "賞与引当金の増加額", "+2115/2"},
    {7, 11, 6, "その他の引当金の増加額", ""},
    {8, 11, 7, "受取利息及び受取配当金", "-7101/2 -7104/2"},
    {9, 11, 8, "支払利息", "+7201/2"},
    {10, 11, 9, "為替換算差損", ""},
    {11, 11, 10, "有価証券売却益", "-7103/2"},
    {12, 11, 11, "有価証券売却損", "+7203/2"},
    {13, 11, 12, "固定資産売却益", "-8101/2"},
    {14, 11, 13, "固定資産売却損", "+8201/2"},
    {15, 11, 14, "固定資産除却損", "+8202/2"},
    {16, 11, 15, "投資有価証券売却益", ""},
    {17, 11, 16, "投資有価証券売却損", ""},
    {18, 11, 17, "売上債権の増加（減少）額", "-1141/2 -1142/2"},
    {19, 11, 18, "たな卸資産の増加（減少）額", "-1201:1206/2"},
    {20, 11, 19, "仕入債務の減少（増加）額", "+2101/2 +2102/2"},
    {21, 11, 20, "未払消費税等の増加（減少）額", "-1307/2 +2108/2 +2112/2"},
    {22, 11, 21, "割引手形の増加（減少）額", "+2111/2"},
    {23, 11, 22, "役員賞与の支払額", ""},
    {24, 11, 23, "その他資産・負債の増減額",
     "-1143/2 -1145/2 -1147/2 -1301/2 -1302/2 -1304:1306/2 -1308/2 -1309/2 -1311/2 -1603:1605/2 -1607/2 "
     "+2104:2107/2 +2109/2 +2110/2 +2117:2121/2 +3501/4"},
    {25, 12, 1, "小　計", ""},
    {26, 13, 1, "利息及び配当金の受取額", "+7101/2 +7104/2"},
    {27, 13, 2, "利息の支払額", "-7201/2"},
    {28, 13, 3, "法人税等の支払額", "-1310/2 -1608/2 +2114/2 +2116/2 +2206/2 -8301:8304/2"},
    {29, 15, 1, "営業活動によるキャッシュ・フロー", ""},
    {30, 20, 1, "Ⅱ　投資活動によるキャッシュ・フロー", ""},
    {31, 21, 1, "有価証券の取得による支出", "-1146/3"},
    {32, 21, 2, "有価証券の売却による収入", "+1146/4"},
    {33, 21, 3, "有形固定資産の取得による支出", "-1401:1409/3 +1409/4 -1410:1412/3 +3311/4"},
    {34, 21, 4, "有形固定資産の売却による収入",
     "+1401:1408/4 +1410:1412/4 +1416/2 -6204/2 -3311/3 +8101/2 -8201/2 -8202/2"},
    {35, 21, 5, "投資有価証券の取得による支出", "-1602/3 -1601/3 +3309/4"},
    {36, 21, 6, "投資有価証券の売却による収入", "+1602/4 +1601/4 -3309/3"},
    {37, 21, 7, "貸付けによる支出", "-1303/3 -1606/3"},
    {38, 21, 8, "貸付金の回収による収入", "+1303/4 +1606/4"},
    {39, 21, 9, "その他投資活動による支出", "-1122:1125/3 -1127:1130/3 -1501:1506/3 -1701:1703/3"},
    {40, 21, 10, "その他投資活動による収入", "+1122:1125/4 +1127:1130/4 +1501:1506/4 +1701:1703/4"},
    {41, 25, 1, "投資活動によるキャッシュ・フロー", ""},
    {42, 30, 1, "Ⅲ　財務活動によるキャッシュ・フロー", ""},
    {43, 31, 1, "短期借入れによる収入", "+2103/4"},
    {44, 31, 2, "短期借入金の返済による支出", "-2103/3"},
    {45, 31, 3, "長期借入れによる収入", "+2202/4"},
    {46, 31, 4, "長期借入金の返済による支出", "-2202/3"},
    {47, 31, 5, "社債の発行による収入", ""},
    {48, 31, 6, "社債の償還による支出", ""},
    {49, 31, 7, "株式の発行による収入", "+3101/4 +3111/2 +3201/4"},
    {50, 31, 8, "自己株式の売却による収入", "+3313/4 +3314/4"},
    {51, 31, 9, "自己株式の取得による支出", "-3313/3 -3314/3"},
    {52, 31, 10, "配当金の支払額", "-2113/2"},
    {53, 31, 11, "その他財務活動による収入",
     "+2201/4 +2203:2205/4 +2207/4 +2301/4 +2302/4 +3401/4 +3402/4 +3202/4 +3203/4 +3301:3305/4 +3312/4 "
     "+3315:3317/4"},
    {54, 31, 12, "その他財務活動による支出",
     "-2201/3 -2203:2205/3 -2207/3 -2301/3 -2302/3 -3101/3 -3201/3 -3401/3 -3402/3 -3202/3 -3203/3 -3301:3305/3 "
     "-3312/3 -3315/3 -3317/3 -3501/3"},
    {55, 35, 1, "財務活動によるキャッシュ・フロー", ""},
    {56, 40, 1, "Ⅳ　現金及び現金同等物に係る換算差額", ""},
    {57, 50, 1, "Ⅴ　現金及び現金同等物の増加額", ""},
    {58, 60, 1, "Ⅵ　現金及び現金同等物の期首残高", "+1101:1105/0 +1112:1116/0 +1132/0"},
    {59, 70, 1, "Ⅶ　現金及び現金同等物の期末残高", "+1101:1105/1 +1112:1116/1 +1132/1"},
    {60, 10, 1, "Ⅰ　営業活動によるキャッシュ・フロー", ""},
    {61, 11, 1, "営業収入", "-1141/2 -1142/2 +1320/2 -1308/2 +2106/2 +2111/2 +4101:4110/2 -4115/2"},
    {62, 11, 2, "原材料又は商品の仕入れによる支出", "+2101/2 +2102/2 -5201:5210/2 -5215/2 -5402:5405/2"},
    {63, 11, 3, "人件費の支出",
     "+2115/2 +3501/4 -5501:5508/2 -6101/2 -6200:6203/2 -6215/2 -6216/2 -6218/2"},
    {64, 11, 4, "その他の営業収入", "-1304/2 +2107/2 +2109/2 +7105/2 +7106/2"},
    {65, 11, 5, "その他の営業支出",
     "-1301/2 -1302/2 -1305/2 -1306/2 -1604/2 -1605/2 -1607/2 +2104/2 +2105/2 -5601:5605/2 -5607:5619/2 -5621/2 "
     "-6102:6109/2 -6205:6214/2 -6217/2 -6219:6225/2 -6231/2 -7206/2"},
    {66, 11, 6, "未払消費税等の増加（減少）額", "-1307/2 -1309/2 +2108/2 +2112/2"},
    {67, 11, 7, "その他", "+8104/2 -8204/2"},
    {68, 12, 1, "小　計", ""},
};

// The direct method repeats the lines from 26 on under numbers raised by this much.
constexpr int kRepeatFirst = 26, kRepeatLast = 59, kRepeatShift = 43;
// The direct method's sale of fixed assets takes only the first entries of line 34.
constexpr int kFixedAssetSales = 34;
constexpr size_t kFixedAssetSalesDirect = 14;
// Line 34's last four entries share one row number.
constexpr size_t kSharedRecEntries = 4;

TCashFlowLine MakeLine(int rec, int kind, int group, int order, const char* name) {
  TCashFlowLine l;
  l.Rec = rec;
  l.Kind = kind;
  l.Group = group;
  l.Order = order;
  l.Name = name;
  switch (group) {
    case 10: case 20: case 30: case 40: case 50: l.Del = 1; l.Mku = 1; l.Margin = 0; break;
    case 60: case 70: l.Del = 1; l.Mku = 0; l.Margin = 0; break;
    case 12: case 15: case 25: case 35: l.Del = 1; l.Mku = 1; l.Margin = 2; break;
    default: l.Del = 0; l.Mku = 0; l.Margin = 1; break;
  }
  // The profit before tax starts the indirect method and cannot be removed.
  if (rec == 2) l.Del = l.Mku = l.Margin = 1;
  return l;
}

std::vector<TCashFlowAccount> Expand(int cmRec, const std::string& accounts) {
  std::vector<TCashFlowAccount> out;
  size_t pos = 0;
  while (pos < accounts.size()) {
    size_t end = accounts.find(' ', pos);
    if (end == std::string::npos) end = accounts.size();
    const std::string e = accounts.substr(pos, end - pos);
    pos = end + 1;
    if (e.empty()) continue;
    int from = 0, to = 0, type = 0;
    char sign = 0;
    if (std::sscanf(e.c_str(), "%c%d:%d/%d", &sign, &from, &to, &type) != 4) {
      to = 0;
      if (std::sscanf(e.c_str(), "%c%d/%d", &sign, &from, &type) != 3) throw std::logic_error("cash-flow entry " + e);
      to = from;
    }
    for (int k = from; k <= to; ++k) out.push_back({0, cmRec, sign, std::to_string(k), type});
  }
  return out;
}

const TLineRow& RowOf(int rec) { return kLines[rec - 1]; }

struct TLayout {
  std::vector<TCashFlowLine> lines;
  std::vector<TCashFlowAccount> accounts;
};

const TLayout& Layout() {
  static const TLayout layout = [] {
    TLayout t;
    for (const TLineRow& l : kLines) {
      t.lines.push_back(MakeLine(l.rec, l.rec <= 59 ? 1 : 0, l.group, l.order, l.name));
      std::vector<TCashFlowAccount> a = Expand(l.rec, l.accounts);
      t.accounts.insert(t.accounts.end(), a.begin(), a.end());
    }
    for (int rec = kRepeatFirst; rec <= kRepeatLast; ++rec) {
      const TLineRow& l = RowOf(rec);
      const int direct = rec + kRepeatShift;
      t.lines.push_back(MakeLine(direct, 0, l.group, l.order, l.name));
      std::vector<TCashFlowAccount> a = Expand(direct, l.accounts);
      if (rec == kFixedAssetSales) a.resize(kFixedAssetSalesDirect);
      if (rec == 54) {
        // The direct method's other financing payments also take 3316.
        for (size_t i = 0; i < a.size(); ++i) {
          if (a[i].KCode == "3315") {
            a.insert(a.begin() + static_cast<std::ptrdiff_t>(i) + 1, {0, direct, '-', "3316", 3});
            break;
          }
        }
      }
      t.accounts.insert(t.accounts.end(), a.begin(), a.end());
    }
    // Row numbers in order, but the last entries of line 34 share theirs.
    size_t line34Last = 0, line34Count = 0;
    for (size_t i = 0; i < t.accounts.size(); ++i) {
      if (t.accounts[i].CmRec == kFixedAssetSales) {
        line34Last = i;
        ++line34Count;
      }
    }
    const size_t sharedFirst = line34Last + 1 - kSharedRecEntries;
    int next = 1;
    for (size_t i = 0; i < t.accounts.size(); ++i) {
      if (line34Count >= kSharedRecEntries && i > sharedFirst && i <= line34Last) {
        t.accounts[i].CfRec = t.accounts[sharedFirst].CfRec;
        continue;
      }
      t.accounts[i].CfRec = next++;
    }
    return t;
  }();
  return layout;
}

std::string Quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) {
    q += c;
    if (c == '\'') q += '\'';
  }
  return q + "'";
}

}  // namespace

const std::vector<TCashFlowLine>& CashFlowLines() { return Layout().lines; }
const std::vector<TCashFlowAccount>& CashFlowAccounts() { return Layout().accounts; }

std::vector<std::string> CashFlowInserts() {
  std::vector<std::string> s;
  for (const TCashFlowLine& l : CashFlowLines()) {
    s.push_back("INSERT INTO CASHFMST (CM_REC,CM_KIND,CM_GROUP,CM_ORDER,CM_DEL,CM_MKU,CM_MARGIN,CM_NAME1,CM_HOSEI) "
                "VALUES (" +
                std::to_string(l.Rec) + "," + std::to_string(l.Kind) + "," + std::to_string(l.Group) + "," +
                std::to_string(l.Order) + "," + std::to_string(l.Del) + "," + std::to_string(l.Mku) + "," +
                std::to_string(l.Margin) + "," + Quoted(l.Name) + "," + std::to_string(l.Hosei) + ");");
  }
  for (const TCashFlowAccount& a : CashFlowAccounts()) {
    s.push_back("INSERT INTO CASHFMKU (CF_REC,CM_REC,CF_CAL,CF_KCODE,CF_CTYPE) VALUES (" + std::to_string(a.CfRec) +
                "," + std::to_string(a.CmRec) + "," + Quoted(std::string(1, a.Cal)) + "," + Quoted(a.KCode) + "," +
                std::to_string(a.CType) + ");");
  }
  return s;
}

}  // namespace userupdate

int32_t ExecUserDbUpdate014() {
  userupdate::Lines s{
      "DROP TRIGGER CASHFMST_SISETU_BEFORE_INSERT;",
      "DROP TRIGGER CASHFMST_AFTER_INSERT;",
      "ALTER TABLE CASHFMST_SISETU DROP CONSTRAINT CASHFMST_SISETU_SCODE;",
      "ALTER TABLE CASHFMST_SISETU DROP CONSTRAINT CASHFMST_SISET_REC;",
      "DROP TABLE CASHFMST_SISETU;",
      "COMMIT;",
      "DELETE FROM CASHFMKU;",
      "DELETE FROM CASHFMST;",
      "SET GENERATOR CASHFMST_GEN TO 0;",
      "SET GENERATOR CASHFMKU_GEN TO 0;",
      "COMMIT;",
  };
  const userupdate::Lines inserts = userupdate::CashFlowInserts();
  s.insert(s.end(), inserts.begin(), inserts.end());
  s.push_back("COMMIT;");
  return userupdate::RunStep01(4, std::move(s));
}
