// The cash-journal merge: each received cash row is matched with the open data's copy and
// written, restored or deleted there through the journal writer.
//
// A received row's class: new on the other side (DELFLG 0, RESERVE1 0), deleted there before
// it was ever linked (DELFLG 1, RESERVE1 0), a copy of an open-data row (RESERVE1 = that
// row's REC, DELFLG 0) and such a copy deleted there (DELFLG 1). Rows are matched through the
// link columns; a match is rewritten only when the other side changed it since the last
// exchange (its LINKREC counts the changes, kept in the open row's RESERVE2).
#include <cstdio>

#include "comm/z5CashBookLoader.h"
#include "data/DataModule.h"
#include "data/uAccFunction.h"
#include "data/uAccRecord.h"
#include "data/uAccTaxCmp.h"

struct TCashBookLoaderBox::ReceivedRow {
  int32_t REC = 0, SWKREC = 0, SWKNO = 0, DELFLG = 0, KESSAN = 0, DNUM = 0, SNUM = 0;
  TDateTime HIZUKE = 0;
  std::string SCODE;
  struct Side {
    std::string KGROUP, KCODE, USERCODE, HCODE, BCODE, KNAME;
    int32_t TAXCODE = 0;
  } L, R;
  Currency KINGAKU, ZEIGAKU;
  int32_t ZEIRITUNO = 0, AUTCALCU = 0, TAXCALCU = 0, OLDRATE = 0, FUSEN1 = 0, FUSEN2 = 0;
  std::string TEKTEXT, TORTEXT, COMMENT, AO_COMMENT;
  int32_t LINKREC = 0, RESERVE1 = 0;
};

struct TCashBookLoaderBox::FoundRow {
  int32_t REC = 0, SWKNO = 0, LINKREC = 0, DELFLG = 0, RESERVE1 = 0, RESERVE2 = 0;
};

namespace {

// "#,##0" of the whole yen.
std::string Amount(Currency c) {
  int64_t v = c.Trunc();
  const bool negative = v < 0;
  std::string digits = std::to_string(negative ? -v : v);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return negative ? "-" + out : out;
}

std::string DateText(TDateTime d) {
  int y = 0, m = 0, day = 0;
  DecodeDate(d, y, m, day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", y, m, day);
  return text;
}

}  // namespace

void TCashBookLoaderBox::MergeCashJournals() {
  Stage("「現金仕訳の取り込み」に失敗しました。 ", [&] {
    std::string facility;
    DM->GetOpeDefSisetu(facility);
    SiwakeWrite.SetSitenCode(SystemDef.SisetuCode.empty() ? " " : SystemDef.SisetuCode);

    std::vector<ReceivedRow> rows;
    TIBSQL& q = ReceiveIBSQL1;
    q.Close();
    q.SQL =
        "SELECT SWK.*,K1.USERCODE AS USERCODE,K2.USERCODE AS R_USERCODE FROM SIWAKE SWK\n"
        "INNER JOIN KAMOKUMST K1 ON(SWK.KCODE=K1.KCODE)\n"
        "INNER JOIN KAMOKUMST K2 ON(SWK.R_KCODE=K2.KCODE)\n"
        "WHERE (SWK.DELFLG IN (0,1)) AND (SWK.TAISHAKU=1) AND ((SWK.KCODE=:KCODE OR SWK.R_KCODE=:R_KCODE) OR "
        "(SWK.LINKREC>0))\n"
        "ORDER BY SWK.HIZUKE,SWK.KESSAN,SWK.SWKNO";
    q.ParamByName("KCODE").SetString(cashKCode_);
    q.ParamByName("R_KCODE").SetString(cashKCode_);
    for (q.ExecQuery(); !q.Eof(); q.Next()) {
      ReceivedRow r;
      r.REC = q.FieldByName("REC").AsInteger();
      r.SWKREC = q.FieldByName("SWKREC").AsInteger();
      r.SWKNO = q.FieldByName("SWKNO").AsInteger();
      r.DELFLG = q.FieldByName("DELFLG").AsInteger();
      r.HIZUKE = q.FieldByName("HIZUKE").AsDateTime();
      r.KESSAN = q.FieldByName("KESSAN").AsInteger();
      r.DNUM = q.FieldByName("DNUM").AsInteger();
      r.SNUM = q.FieldByName("SNUM").AsInteger();
      r.SCODE = q.FieldByName("SCODE").AsString();
      for (auto [side, p] : {std::pair{&r.L, std::string()}, std::pair{&r.R, std::string("R_")}}) {
        side->KGROUP = q.FieldByName(p + "KGROUP").AsString();
        side->KCODE = q.FieldByName(p + "KCODE").AsString();
        side->USERCODE = q.FieldByName(p + "USERCODE").AsString();
        side->HCODE = q.FieldByName(p + "HCODE").AsString();
        side->BCODE = q.FieldByName(p + "BCODE").AsString();
        side->KNAME = q.FieldByName(p + "KNAME").AsString();
        side->TAXCODE = q.FieldByName(p + "TAXCODE").AsInteger();
      }
      r.KINGAKU = q.FieldByName("KINGAKU").AsCurrency();
      r.ZEIGAKU = q.FieldByName("ZEIGAKU").AsCurrency();
      r.ZEIRITUNO = q.FieldByName("ZEIRITUNO").AsInteger();
      r.AUTCALCU = q.FieldByName("AUTCALCU").AsInteger();
      r.TAXCALCU = q.FieldByName("TAXCALCU").AsInteger();
      r.OLDRATE = q.FieldByName("OLDRATE").AsInteger();
      r.TEKTEXT = q.FieldByName("TEKTEXT").AsString();
      r.TORTEXT = q.FieldByName("TORTEXT").AsString();
      r.FUSEN1 = q.FieldByName("FUSEN1").AsInteger();
      r.FUSEN2 = q.FieldByName("FUSEN2").AsInteger();
      r.COMMENT = q.FieldByName("COMMENT").AsString();
      r.AO_COMMENT = q.FieldByName("AO_COMMENT").AsString();
      r.LINKREC = q.FieldByName("LINKREC").AsInteger();
      r.RESERVE1 = q.FieldByName("RESERVE1").AsInteger();
      rows.push_back(std::move(r));
    }
    q.Close();

    for (const ReceivedRow& r : rows) {
      // A refused row stops the merge: the import is then rolled back as a whole.
      if (Stopped()) break;
      MergeRow(r);
    }
  });
}

bool TCashBookLoaderBox::LookUp(const std::string& where,
                                const std::vector<std::pair<std::string, std::string>>& textParams,
                                const std::vector<std::pair<std::string, int32_t>>& intParams, FoundRow& found) {
  TIBSQL& q = IBSQL1;
  q.Close();
  // Both rows of an entry carry the link columns: the debit row stands for the entry, and a
  // live copy is preferred over a deleted one.
  q.SQL =
      "SELECT COUNT(REC) AS RECCNT,REC,SWKNO,LINKREC,RESERVE1,RESERVE2,DELFLG FROM SIWAKE\n"
      "WHERE (DELFLG IN (0,1)) AND (TAISHAKU=1) AND " +
      where +
      "\nGROUP BY REC,SWKNO,LINKREC,RESERVE1,RESERVE2,DELFLG\n"
      "ORDER BY DELFLG,REC DESC";
  for (const auto& [name, value] : textParams) q.ParamByName(name).SetString(value);
  for (const auto& [name, value] : intParams) q.ParamByName(name).SetInteger(value);
  q.ExecQuery();
  const bool hit = !q.Eof() && q.FieldByName("RECCNT").AsInteger() > 0;
  if (hit) {
    found.REC = q.FieldByName("REC").AsInteger();
    found.SWKNO = q.FieldByName("SWKNO").AsInteger();
    found.LINKREC = q.FieldByName("LINKREC").AsInteger();
    found.DELFLG = q.FieldByName("DELFLG").AsInteger();
    found.RESERVE1 = q.FieldByName("RESERVE1").AsInteger();
    found.RESERVE2 = q.FieldByName("RESERVE2").AsInteger();
  }
  q.Close();
  return hit;
}

bool TCashBookLoaderBox::FindOpenRow(const ReceivedRow& r, FoundRow& found) {
  if (r.RESERVE1 == 0) {
    if (LookUp("(RESERVE1=:RESERVE1)", {}, {{"RESERVE1", r.REC}}, found)) return true;
    // A row corrected on the other side has a new REC; an earlier version of its journal
    // may be the one linked here.
    std::string list;
    TIBSQL& q = ReceiveIBSQL2;
    q.Close();
    q.SQL = "SELECT REC FROM SIWAKE\nWHERE (TAISHAKU=1) AND (SWKNO=:SWKNO)";
    q.ParamByName("SWKNO").SetInteger(r.SWKNO);
    for (q.ExecQuery(); !q.Eof(); q.Next()) list += (list.empty() ? "" : ",") + std::to_string(q.FieldByName("REC").AsInteger());
    q.Close();
    if (list.empty()) list = "-1";
    return LookUp("(RESERVE1 IN (" + list + "))", {}, {}, found);
  }
  if (LookUp("(LINKKEY=:LINKKEY) AND (LINKKUB=10)", {{"LINKKEY", std::to_string(r.RESERVE1)}}, {}, found)) return true;
  // The linked row may have been corrected here since: its journal's live debit row.
  return LookUp("(SWKNO=(SELECT S2.SWKNO FROM SIWAKE S2 WHERE S2.REC=:REC))", {}, {{"REC", r.RESERVE1}}, found);
}

std::string TCashBookLoaderBox::RowText(const ReceivedRow& r, bool withNumber) const {
  const std::string partner = r.L.KCODE != cashKCode_ ? r.L.KNAME : r.R.KNAME;
  std::string text = TrimZenkaku(r.TEKTEXT);
  if (text.empty()) text = "－";
  const std::string number = withNumber ? "(仕訳番号:" + std::to_string(SwkRec.SWKREC) + " " : "(仕訳番号:-  ";
  return number + "日付:" + DateText(r.HIZUKE) + " 相手科目:" + partner + " 摘要:" + text + " 金額:" + Amount(r.KINGAKU) +
         ") ";
}

int TCashBookLoaderBox::WriteEntry(const ReceivedRow& r, std::string& message) {
  TSWKREC& e = SwkRec;
  e.HIZUKE = r.HIZUKE;
  e.KESSAN = r.KESSAN;
  e.DNUM = r.DNUM;
  e.SNUM = r.SNUM;
  e.SCODE = r.SCODE;
  for (auto [side, from] : {std::pair{&e.L, &r.L}, std::pair{&e.R, &r.R}}) {
    side->KGROUP = from->KGROUP;
    side->UserCode = from->USERCODE;
    side->HCODE = from->HCODE;
    side->BCODE = from->BCODE;
    side->TAXCODE = from->TAXCODE;
    side->KNAME.clear();
    side->HNAME.clear();
    side->BNAME.clear();
    side->NUK = Currency();
    side->ZEI = Currency();
    side->RIT = Currency();
  }
  e.KINGAKU = r.KINGAKU;
  e.ZEIGAKU = r.ZEIGAKU;
  e.ZEIRITUNO = r.ZEIRITUNO;
  e.AUTCALCU = r.AUTCALCU;
  e.TAXCALCU = r.TAXCALCU;
  e.OLDRATE = r.OLDRATE;
  e.TEKCODE = 0;
  e.TEKTEXT = r.TEKTEXT;
  e.TORCODE = 0;
  e.TORTEXT = r.TORTEXT;
  e.FUSEN1 = r.FUSEN1;
  e.FUSEN2 = r.FUSEN2;
  e.COMMENT = r.COMMENT;
  e.AO_COMMENT = r.AO_COMMENT;
  e.RTIME = Now();
  e.OPCODE = SystemDef.LogonId;

  int errNo = 0;
  if (!SiwakeWrite.TestSiwake(e, errNo, message)) return -1;
  CalcSiwakeTax(e);
  if (e.L.ZEI == Currency() && e.R.ZEI == Currency()) e.TAXCALCU = 2;
  e.LOCALFLG = 10;
  const int result = SiwakeWrite.PutSiwake(e);
  if (result == -1) message = "訂正対象の仕訳は既に削除されています。";
  if (result == -2) message = "訂正対象の仕訳は既に訂正されています。";
  return result;
}

void TCashBookLoaderBox::SetLinkReserve(const ReceivedRow& r, bool found) {
  TIBSQL& q = IBSQL2;
  q.Close();
  q.SQL = "UPDATE SIWAKE SET RESERVE1=:RESERVE1,RESERVE2=:RESERVE2\nWHERE (SWKREC=:SWKREC)";
  q.ParamByName("RESERVE1").SetInteger(found && SwkRec.RESERVE1 > 0 ? SwkRec.RESERVE1 : r.REC);
  q.ParamByName("RESERVE2").SetInteger(r.LINKREC);
  q.ParamByName("SWKREC").SetInteger(SwkRec.SWKREC);
  q.ExecQuery();
  q.Close();
}

void TCashBookLoaderBox::MergeRow(const ReceivedRow& r) {
  if (r.SCODE != SiwakeWrite.SitenCode()) SiwakeWrite.SetSitenCode(r.SCODE);
  const int cls = r.DELFLG == 0 ? (r.RESERVE1 == 0 ? 1 : r.RESERVE1 > 0 ? 3 : 0)
                  : r.DELFLG == 1 ? (r.RESERVE1 == 0 ? 2 : r.RESERVE1 > 0 ? 4 : 0)
                                  : 0;
  if (cls == 0) return;
  FoundRow found;
  const bool isFound = FindOpenRow(r, found);

  if (cls == 2 || cls == 4) {
    if (!isFound || found.DELFLG != 0) return;  // nothing here, or deleted here already
    SiwakeWrite.GetSiwake(SwkRec, found.REC, false);
    SiwakeWrite.DeleteSiwake(SwkRec.SWKREC);
    SetLinkReserve(r, true);
    AddLog(2, 12, RowText(r, true) + "受信データの削除仕訳が優先されました。");
    return;
  }

  bool write = true;
  if (isFound) {
    write = found.RESERVE1 == 0 ? r.LINKREC > 0 : r.LINKREC > 0 && (r.RESERVE1 == 0 || r.LINKREC > found.RESERVE2);
  }
  SiwakeWrite.InitSiwakeRec(SwkRec, r.KESSAN, r.HIZUKE);
  if (isFound && !write) {
    if (found.RESERVE1 == 0) {
      SiwakeWrite.GetSiwake(SwkRec, found.REC, false);
      SetLinkReserve(r, true);
    }
    return;
  }
  if (isFound) {
    SiwakeWrite.GetSiwake(SwkRec, found.REC, false);
    if (found.DELFLG == 1) {
      SiwakeWrite.RestoreSiwake(SwkRec.SWKREC);
      TIBSQL& q = IBSQL2;
      q.Close();
      q.SQL = "UPDATE SIWAKE SET LINKKEY=:LINKKEY,LINKKUB=:LINKKUB\nWHERE (SWKREC=:SWKREC)";
      q.ParamByName("LINKKEY").SetString(std::to_string(r.RESERVE1));
      q.ParamByName("LINKKUB").SetInteger(10);
      q.ParamByName("SWKREC").SetInteger(SwkRec.SWKREC);
      q.ExecQuery();
      q.Close();
      SiwakeWrite.GetSiwake(SwkRec, found.REC, false);
    }
  }
  std::string message;
  const int result = WriteEntry(r, message);
  if (result < 0) {
    AddLog(3, -111, RowText(r, false) + message);
    return;
  }
  SetLinkReserve(r, isFound);
  if (result == 0 && isFound && (found.DELFLG == 1 || SwkRec.REC != found.REC))
    AddLog(2, 11, RowText(r, true) + "受信データの訂正仕訳が優先されました。");
}
