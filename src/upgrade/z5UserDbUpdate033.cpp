// Company step 0.3.3: the management-analysis settings (the accounts' warning and good rates,
// the comparison periods and items of the comparative table) and the carry-in of an
// individual's year-end balances into the proprietor's capital.
#include "upgrade/z5UserDbUpdate033.h"

#include <map>
#include <sstream>

#include "upgrade/z5UserDbUpdate020.h"

namespace {

using userupdate::Lines;

// The standard accounts of each chart in the order their statements are written ("a-b" is
// every code from a to b), and the search keys of those that have one.
constexpr const char* kCorporationAccounts =
    "1101-1105 1112-1116 1122-1125 1127-1130 1132 1141-1143 1145-1147 1201-1206 1301-1311 1320 1401-1412 1416 "
    "1501-1506 1601-1608 1620 1701-1703 2101-2121 2201-2207 2301-2302 3101 3111 3201 3401 3402 3202 3203 "
    "3301-3306 3314 3313 3309-3312 3315-3317 3501 4101-4110 4115 5101 5201-5210 5215 5301 5401-5405 5411 "
    "5501-5508 5601-5619 5621 5701 5801 6101-6109 6200-6225 6231 7101-7106 7201-7206 8101-8105 8201-8205 "
    "8301-8304 9999";
constexpr const char* kCorporationKeys =
    "1101:genki 1102:touza 1112:futsu 1122:teiki 1127:teiki 1132:sonot 1141:uketo 1142:urika 1146:yuuka "
    "1201:syouh 1202:seihi 1203:hanse 1204:genza 1205:shika 1206:chozo 1301:maewa 1302:maeba 1303:tanki "
    "1304:misyu 1305:tatek 1306:karib 1307:karib 1308:fuwat 1309:misyu 1310:kurin 1320:kasid 1401:tatem "
    "1402:kouch 1403:kikai 1404:senpa 1405:syary 1406:kougu 1408:tochi 1409:kense 1416:genka 1501:eigyo "
    "1502:syaku 1506:denwa 1601:syuss 1602:tousi 1604:hosho 1605:sikik 1606:chouk 1607:chouk 1608:chouk "
    "1620:kasid 1701:sougy 2101:shiha 2102:kaika 2103:tanki 2104:mihar 2105:mihar 2106:maeuk 2107:azuka "
    "2108:kariu 2109:kariu 2111:warib 2112:mihar 2113:mihar 2114:mihar 2115:syouy 2116:kurin 2202:chouk "
    "2206:chouk 3101:shiho 3111:shink 3201:shiho 3202:rieki 3301:betto 3302:tsumi 3306:kurik 3309:yuuka "
    "3310:kurin 3311:tochi 3313:jikok 3314:jikok 3315:sonot 3501:shink 4101:uriag 4115:uriag 5101:kisyu "
    "5201:shiir 5215:shiir 5301:kimat 5401:kisyu 5402:zairy 5411:kimat 5501:ching 5502:syouy 5503:zatsu "
    "5504:houte 5505:fukur 5508:taisy 5601:gaich 5602:denry 5603:gasud 5604:suido 5605:unchi 5606:genka "
    "5607:syuuz 5608:sozei 5609:chins 5610:hoken 5611:syoum 5612:ryohi 5613:koutu 5614:tsuus 5621:zappi "
    "5701:kisyu 5801:kimat 6101:hanba 6102:ryohi 6103:kouko 6104:youki 6105:hasso 6108:hanba 6200:yakui "
    "6201:yakui 6202:kyury 6203:syouy 6204:genka 6205:chida 6206:syuuz 6207:jimuy 6208:tsuus 6209:suido "
    "6210:sozei 6211:kifuk 6212:setta 6213:hoken 6214:bihin 6215:fukur 6216:houte 6217:syary 6218:zakky "
    "6219:ri-su 6231:zappi 7101:uketo 7103:yuuka 7104:uketo 7106:zassy 7201:sihar 7203:yuuka 7204:kashi "
    "7205:kurin 7206:zasso 8101:kotei 8104:zenki 8201:kotei 8202:kotei 8203:kashi 8204:zenki 8301:houji "
    "8302:houji 9999:syoku";
constexpr const char* kGeneralAccounts =
    "1101-1105 1112-1116 1122-1125 1127-1130 1132 1141-1143 1145-1147 1201-1206 1301-1311 1320 1401-1412 1416 "
    "1501-1506 1601-1608 1620 1701-1703 2101-2121 2201-2207 2301-2302 3101 3201-3203 3301-3305 4101-4110 4115 "
    "5101 5201-5210 5215 5301 5401-5405 5411 5501-5508 5601-5619 5621 5701 5801 6101-6109 6201-6226 6231 "
    "7101-7106 7201-7206 9999";
constexpr const char* kGeneralKeys =
    "1101:genki 1102:touza 1112:futsu 1122:teiki 1127:teiki 1132:sonot 1141:uketo 1142:urika 1146:yuuka "
    "1201:syouh 1202:seihi 1203:hanse 1204:genza 1205:shika 1206:chozo 1301:maewa 1302:maeba 1303:tanki "
    "1304:misyu 1305:tatek 1306:karib 1307:karib 1308:fuwat 1309:misyu 1310:maeba 1401:tatem 1402:kouch "
    "1403:kikai 1404:senpa 1405:syary 1406:kougu 1407:tatem 1408:tochi 1409:kense 1416:genka 1501:eigyo "
    "1502:syaku 1506:denwa 1601:syuss 1602:toush 1604:hosyo 1605:shiki 1606:chouk 1607:chouk 1608:jigyo "
    "2101:shiha 2102:kaika 2103:tanki 2104:mihar 2105:mihar 2106:maeuk 2107:azuka 2108:kariu 2109:kariu "
    "2111:warib 2112:mihar 2120:saike 2121:kashi 2202:chouk 2205:jigyo 3101:motoi 4101:uriag 4103:kajis "
    "4104:zassy 4115:uriag 5101:kisyu 5201:shiir 5215:shiir 5301:kimat 5401:kisyu 5402:genza 5411:kimat "
    "5501:ching 5502:syouy 5503:zakky 5504:houte 5505:fukur 5508:taisy 5601:gaich 5602:denry 5604:suido "
    "5606:genka 5607:syuuz 5621:zappi 5701:kisyu 5801:kimat 6101:sozei 6102:niduk 6103:suido 6104:ryohi "
    "6105:tsuus 6106:kouko 6107:setta 6108:songa 6109:syuuz 6201:syoum 6202:genka 6203:fukur 6204:kyuur "
    "6205:gaich 6206:rishi 6207:chida 6208:kashi 6231:zappi 7105:kashi 7202:senjy 7204:kashi 9999:syoku";
constexpr const char* kRealEstateAccounts =
    "1101-1105 1112-1116 1122-1125 1127-1130 1132 1141-1143 1145-1147 1201-1206 1301-1311 1320 1401-1412 1416 "
    "1501-1506 1601-1608 1620 1701-1703 2101-2121 2201-2207 2301-2302 3101 3201-3203 3301-3305 4101-4110 4115 "
    "6101-6109 6201-6226 6231 7202 9999";
constexpr const char* kRealEstateKeys =
    "1101:genki 1102:touza 1112:futsu 1122:teiki 1127:teiki 1132:sonot 1141:uketo 1142:misyu 1143:misyu "
    "1146:yuuka 1301:maewa 1302:maeba 1303:tanki 1304:misyu 1305:tatek 1306:karib 1307:karib 1308:fuwat "
    "1309:misyu 1310:maeba 1401:tatem 1402:kouch 1403:kikai 1404:senpa 1405:syary 1406:kougu 1407:tatem "
    "1408:tochi 1409:kense 1416:genka 1501:eigyo 1502:syaku 1503:kouky 1506:denwa 1601:syuss 1602:toush "
    "1604:hosyo 1605:shiki 1606:chouk 1607:chouk 1608:jigyo 2101:shiha 2102:kaika 2103:tanki 2104:mihar "
    "2105:mihar 2106:maeuk 2107:azuka 2108:kariu 2109:kariu 2111:warib 2112:mihar 2113:hosyo 2120:saike "
    "2121:kashi 2202:chouk 2205:jigyo 3101:motoi 4101:chint 4102:reiki 4103:kenri 4104:koush 4115:uriag "
    "6101:sozei 6102:niduk 6103:suido 6104:ryohi 6105:tsuus 6106:kouko 6107:setta 6108:songa 6109:syuuz "
    "6201:syoum 6202:genka 6203:fukur 6204:kyuur 6205:gaich 6206:karii 6207:chida 6208:kashi 6231:sonot "
    "7202:senjy 9999:syoku";

struct THikakuItem {
  int Rec;
  int Bunrui;
  const char* Meishou;
  const char* Tanimei;
  bool Cost;  // warns at or above 105 % instead of at or below 95 %
  const char* A1;
  const char* A2;
  const char* B1;
  const char* B2;
};

constexpr THikakuItem kHikakuItems[] = {
    {1, 1, "売上総利益率", "％", false, "4100", "5280", "", ""},
    {2, 1, "売上高営業利益率", "％", false, "4100", "6100", "", ""},
    {3, 1, "売上高経常利益率", "％", false, "4100", "7200", "", ""},
    {4, 1, "総資本営業利益率", "％", false, "1100", "6100", "", ""},
    {5, 1, "総資本経常利益率", "％", false, "1100", "7200", "", ""},
    {6, 1, "自己資本経常利益率", "％", false, "3100", "7200", "", ""},
    {7, 2, "総資本回転率", "回", false, "2100", "4110", "", ""},
    {8, 2, "総資本回転日数", "日", false, "2100", "4110", "", ""},
    {9, 2, "流動資産回転率", "回", false, "1100", "1320", "4100", "4110"},
    {10, 2, "流動資産回転日数", "日", false, "1100", "1320", "4100", "4110"},
    {11, 2, "固定資産回転率", "回", false, "1100", "1600", "4100", "4110"},
    {12, 2, "固定資産回転日数", "日", false, "1100", "1600", "4100", "4110"},
    {13, 2, "受取債権回転率", "回", false, "1130", "1130", "4100", "4110"},
    {14, 2, "受取債権回転日数", "日", false, "1130", "1130", "4100", "4110"},
    {15, 2, "支払勘定回転率", "回", false, "2100", "2100", "4100", "4110"},
    {16, 2, "支払勘定回転日数", "日", false, "2100", "2100", "4100", "4110"},
    {17, 3, "流動比率", "％", false, "1100", "1320", "2100", "2100"},
    {18, 3, "当座比率", "％", false, "1100", "1100", "2100", "2100"},
    {19, 3, "固定長期適合率", "％", false, "1100", "3600", "", ""},
    {20, 3, "自己資本対固定資産率", "％", false, "1400", "1800", "3100", "3340"},
    {21, 3, "自己資本比率", "％", false, "1100", "3430", "", ""},
    {22, 3, "損益分岐点売上高", "円", false, "4100", "6100", "", ""},
    {23, 4, "売上高対支払利息比率", "％", true, "4100", "4110", "7100", "7200"},
    {24, 4, "売上高対販管費比率", "％", true, "4100", "4110", "6100", "6100"},
    {25, 4, "売上高対人件費比率", "％", true, "4100", "4110", "6100", "6100"},
    {26, 4, "人件費計合計", "円", true, "6100", "6100", "", ""},
    {27, 4, "従業員延人数", "人", true, "", "", "", ""},
    {28, 5, "付加価値", "円", false, "4100", "5820", "", ""},
    {29, 5, "労働分配率", "％", false, "4100", "5820", "6100", "6100"},
    {30, 5, "一人当たり売上高", "円", false, "4100", "4110", "", ""},
    {31, 5, "一人当たりに人件費", "円", false, "6100", "6100", "", ""},
    {32, 5, "一人当たり販管費", "円", false, "6100", "6100", "", ""},
    {33, 5, "一人当たり経常利益", "円", false, "4100", "7200", "", ""},
    {34, 5, "一人当たり資本集約度", "円", false, "1100", "3340", "", ""},
    {35, 5, "一人当たり労働装備率", "円", false, "1400", "1710", "", ""},
};

constexpr const char* kHikakuCols[] = {"過去3ヶ月", "過去6ヶ月", "過去12ヶ月", "過去24ヶ月",
                                       "当期平均",  "前期平均",  "前々期平均", "２期平均"};

// One UPDATE per account of the chart, joined into one script line.
void AddAccountBlock(Lines& lines, const char* accounts, const char* keys) {
  std::map<std::string, std::string> kana;
  std::istringstream k(keys);
  for (std::string item; k >> item;) kana[item.substr(0, item.find(':'))] = item.substr(item.find(':') + 1);
  std::string block;
  std::istringstream a(accounts);
  for (std::string range; a >> range;) {
    const size_t dash = range.find('-');
    const int first = std::stoi(range.substr(0, dash));
    const int last = dash == std::string::npos ? first : std::stoi(range.substr(dash + 1));
    for (int code = first; code <= last; ++code) {
      const std::string kcode = std::to_string(code);
      const userupdate::TVelkoranRates r = userupdate::VelkoranRatesOf(kcode);
      const auto key = kana.find(kcode);
      if (!block.empty()) block += "\r\n";
      block += "UPDATE KAMOKUMST SET KKANA='" + (key == kana.end() ? std::string() : key->second) +
               "'  ,Velkoran_BadRate=" + r.BadRate + " ,Velkoran_BadKind=" + std::to_string(r.BadKind) +
               " ,Velkoran_GoodRate=" + r.GoodRate + " ,Velkoran_GoodKind=" + std::to_string(r.GoodKind) +
               "   WHERE KCODE ='" + kcode + "';";
    }
  }
  lines.push_back(block);
}

// An individual's year-end balances of a facility carried into the proprietor's capital, per
// department when the facility keeps departments; nothing for other data.
void AddMotoirekinKuriire(Lines& s) {
  userupdate::AddText(s, R"(SET TERM ^ ;
ReCreate PROCEDURE SP_MOTOIREKIN_KURIIRE (SCODE VARCHAR(6) CHARACTER SET ASCII)
RETURNS (BCODE VARCHAR(6) CHARACTER SET ASCII, MOTOIREZAN NUMERIC(16,4), KIMATU_MOTOIREZAN NUMERIC(16,4),
  KIMATU_JIGYOKASIZAN NUMERIC(16,4), KIMATU_JIGYOKARIZAN NUMERIC(16,4), KIMATU_KARIZAN NUMERIC(16,4),
  KIMATU_KASIZAN NUMERIC(16,4))
AS
  DECLARE VARIABLE dvDATATYPE INTEGER;
  DECLARE VARIABLE dvBUMON INTEGER;
  DECLARE VARIABLE dvBUMEX INTEGER;
  DECLARE VARIABLE dvBYDEPT INTEGER;
  DECLARE VARIABLE dvMOTOIRE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE dvKASI VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE dvKARI VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE dvKCODE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE dvDAC INTEGER;
  DECLARE VARIABLE dvZAN NUMERIC(18,4);
BEGIN
  SELECT DATATYPE, BUMON FROM ACCDEF1 WHERE REC = 1 INTO :dvDATATYPE, :dvBUMON;
  IF (dvDATATYPE IS DISTINCT FROM 2) THEN EXIT;
  SELECT CODE FROM SysKmkCodeInf('元入金') INTO :dvMOTOIRE;
  SELECT CODE FROM SysKmkCodeInf('事業主貸') INTO :dvKASI;
  SELECT CODE FROM SysKmkCodeInf('事業主借') INTO :dvKARI;
  SELECT BUMEX FROM SISETUMST WHERE SCODE = :SCODE INTO :dvBUMEX;
  dvBYDEPT = 0;
  IF (dvBUMON = 2 AND dvBUMEX = 1) THEN dvBYDEPT = 1;
  FOR SELECT D.B FROM (
        SELECT BCODE AS B FROM BUMONMST WHERE :dvBYDEPT = 1
        UNION ALL
        SELECT CAST(' ' AS VARCHAR(6) CHARACTER SET ASCII) FROM RDB$DATABASE WHERE :dvBYDEPT = 0) D
      ORDER BY D.B
      INTO :BCODE DO
  BEGIN
    KIMATU_MOTOIREZAN = 0;
    KIMATU_JIGYOKASIZAN = 0;
    KIMATU_JIGYOKARIZAN = 0;
    KIMATU_KARIZAN = 0;
    KIMATU_KASIZAN = 0;
    FOR SELECT KCODE, DAC, COALESCE(KAISIZAN, 0) FROM KAMOKU_VIEW
        WHERE SCODE = :SCODE AND BCODE = :BCODE AND BPFLG = 'B'
        ORDER BY GROUPM0, KCODE, HCODE
        INTO :dvKCODE, :dvDAC, :dvZAN DO
    BEGIN
      IF (dvKCODE = dvMOTOIRE) THEN KIMATU_MOTOIREZAN = dvZAN;
      IF (dvKCODE = dvKASI) THEN KIMATU_JIGYOKASIZAN = dvZAN;
      IF (dvKCODE = dvKARI) THEN KIMATU_JIGYOKARIZAN = dvZAN;
      IF (dvDAC = 1 OR dvDAC = 4) THEN KIMATU_KARIZAN = KIMATU_KARIZAN + dvZAN;
      IF (dvDAC = 2 OR dvDAC = 3) THEN KIMATU_KASIZAN = KIMATU_KASIZAN + dvZAN;
    END
    MOTOIREZAN = KIMATU_MOTOIREZAN + (KIMATU_KARIZAN - KIMATU_KASIZAN) + KIMATU_JIGYOKARIZAN - KIMATU_JIGYOKASIZAN;
    UPDATE KAMOKU_SZ SET KAISIZAN = :MOTOIREZAN
      WHERE SCODE = :SCODE AND BCODE = :BCODE AND HCODE = ' ' AND KCODE = :dvMOTOIRE;
    UPDATE KAMOKU_SZ SET KAISIZAN = 0
      WHERE SCODE = :SCODE AND BCODE = :BCODE AND HCODE = ' ' AND (KCODE = :dvKASI OR KCODE = :dvKARI);
    SUSPEND;
  END
END^
SET TERM ; ^)");
}

}  // namespace

namespace userupdate {

TVelkoranRates VelkoranRatesOf(const std::string& kcode) {
  const TVelkoranRates gain{"0.95", 0, "1.05", 1};
  const TVelkoranRates cost{"1.05", 1, "0.95", 0};
  const TVelkoranRates none{"0", 0, "0", 0};
  if (kcode == "9999" || kcode.empty()) return none;
  const std::string two = kcode.substr(0, 2);
  switch (kcode[0]) {
    case '1':
    case '3':
    case '4': return gain;
    case '2':
    case '5':
    case '6': return cost;
    default: break;
  }
  if (two == "71" || two == "81") return gain;
  if (two == "72" || two == "82" || two == "83") return cost;
  return none;
}

void SetVelkoranKamokuCorp(Lines& lines) { AddAccountBlock(lines, kCorporationAccounts, kCorporationKeys); }
void SetVelkoranKamokuKojin(Lines& lines) { AddAccountBlock(lines, kGeneralAccounts, kGeneralKeys); }
void SetVelkoranKamokuFudousan(Lines& lines) { AddAccountBlock(lines, kRealEstateAccounts, kRealEstateKeys); }

void AddVelkoranKamokuBlock(Lines& lines, int dataType, int codeType) {
  if (dataType == 1) {
    SetVelkoranKamokuCorp(lines);
  } else if (codeType == 1) {
    SetVelkoranKamokuKojin(lines);
  } else if (codeType == 2) {
    SetVelkoranKamokuFudousan(lines);
  }
}

}  // namespace userupdate

int32_t ExecUserDbUpdate033() {
  Lines s;
  AddMotoirekinKuriire(s);
  userupdate::AddText(s, R"(ALTER TABLE KAMOKUMST ADD Velkoran_BadRate CURRENCY, ADD Velkoran_BadKind INTEGER DEFAULT 0,
  ADD Velkoran_GoodRate CURRENCY, ADD Velkoran_GoodKind INTEGER DEFAULT 0;
RECREATE TABLE VELKORAN_HIKAKU_COL (
  REC INTEGER NOT NULL,
  NUM INTEGER DEFAULT 0,
  MEISHOU VARCHAR(20) CHARACTER SET SJIS_0208,
  PRIMARY KEY (REC));)");
  int rec = 0;
  for (const char* name : kHikakuCols) {
    ++rec;
    s.push_back("INSERT INTO VELKORAN_HIKAKU_COL VALUES (" + std::to_string(rec) + "," + std::to_string(rec) + ",'" +
                name + "');");
  }
  userupdate::AddText(s, R"(RECREATE TABLE VELKORAN_HIKAKU (
  REC INTEGER NOT NULL,
  BUNRUI INTEGER DEFAULT 0,
  MEISHOU VARCHAR(20) CHARACTER SET SJIS_0208,
  TANIMEI VARCHAR(5) CHARACTER SET SJIS_0208,
  BadRate NUMERIC(16,4) DEFAULT 0,
  BadKind INTEGER DEFAULT 0,
  GoodRate NUMERIC(16,4) DEFAULT 0,
  GoodKind INTEGER DEFAULT 1,
  GROUPA1 AC_CODE,
  GROUPA2 AC_CODE,
  GROUPB1 AC_CODE,
  GROUPB2 AC_CODE,
  PRIMARY KEY (REC));)");
  for (const THikakuItem& i : kHikakuItems) {
    const char* rates = i.Cost ? "1.05,1,0.95,0" : "0.95,0,1.05,1";
    s.push_back("INSERT INTO VELKORAN_HIKAKU VALUES (" + std::to_string(i.Rec) + "," + std::to_string(i.Bunrui) + ",'" +
                i.Meishou + "','" + i.Tanimei + "'," + rates + ",'" + i.A1 + "','" + i.A2 + "','" + i.B1 + "','" +
                i.B2 + "');");
  }
  const userupdate::TFilter f = userupdate::CurrentFilter();
  userupdate::AddVelkoranKamokuBlock(s, f.DataType, f.CodeType);
  s.push_back("COMMIT;");
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({0, 3, 3}, body);
}
