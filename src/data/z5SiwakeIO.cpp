#include "data/z5SiwakeIO.h"

#include <cmath>
#include <cstdio>

#include "data/DbErrorReport.h"
#include "data/uAccConst.h"
#include "data/uAccDateCmp.h"
#include "data/uAccFunction2.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "platform/db/IBError.h"

namespace {

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// Another user holds the rows: the engine's lock conflict, or the update conflict that a
// no-wait transaction meets (reported as a deadlock).
bool IsLockConflict(const EIBError& e) {
  constexpr int kDeadlock = 335544336;
  return e.IBErrorCode == ibdb::kLockConflict || e.IBErrorCode == kDeadlock ||
         e.HasStatusCode(ibdb::kLockConflict) || e.HasStatusCode(kDeadlock);
}

const char* const kMessages[16][2] = {
    {"日付が会計期間外または、決算区分の指定が不正です。", "日付が会計期間外または、決算区分の設定が不正です。"},
    {"監査済みの仕訳は訂正できません。", "監査済みの仕訳が設定されました。"},
    {"監査済みの日付は入力できません。", "日付に監査済みの日付が設定されました。"},
    {"借方の科目コードが見つかりません。", "借方の科目コードの設定が不正です。"},
    {"借方の補助コードを入力してください。", "借方の補助コードの設定が不正です。"},
    {"借方の部門コードが見つかりません。", "借方の部門コードの設定が不正です。"},
    {"借方の消費税コードを確認してください。", "借方の消費税コードの設定が不正です。"},
    {"貸方の科目コードが見つかりません。", "貸方の科目コードの設定が不正です。"},
    {"貸方の補助コードを入力してください。", "貸方の補助コードの設定が不正です。"},
    {"貸方の部門コードが見つかりません。", "貸方の部門コードの設定が不正です。"},
    {"貸方の消費税コードを確認してください。", "貸方の消費税コードの設定が不正です。"},
    {"金額を入力してください。", "金額の設定が不正です。（０円 または null）"},
    {"マイナス金額は入力できません。", "金額にマイナス値が設定されました。"},
    {"金額桁数がオーバーしています。", "金額の設定が不正です。（桁数オーバー）"},
    {"個別原価コードが見つかりません。", "個別原価コードの設定が不正です。"},
    {"本・支店コードが不正です。データを選択し直してください。", "本・支店コードが不正です。"},
};

const char* const kParamList =
    ":HIZUKE,:MNUM,:KESSAN,:SDAYNUM,:MDAYNUM,:DNUM,:SNUM,:SCODE,:L_KGROUP,:L_KCODE,:L_HCODE,:L_BCODE,:L_KNAME,"
    ":L_HNAME,:L_BNAME,:L_TAXCODE,:L_TAXUH,:L_TAXDC,:L_NUK,:L_ZEI,:L_RIT,:L_SIKIN,:R_KGROUP,:R_KCODE,:R_HCODE,"
    ":R_BCODE,:R_KNAME,:R_HNAME,:R_BNAME,:R_TAXCODE,:R_TAXUH,:R_TAXDC,:R_NUK,:R_ZEI,:R_RIT,:R_SIKIN,:KINGAKU,"
    ":ZEIGAKU,:ZEIRITUNO,:AUTCALCU,:TAXCALCU,:OLDRATE,:TEKCODE,:TEKTEXT,:TORCODE,:TORTEXT, :FUSEN1,:FUSEN2,"
    ":FUSEN3,:FUSEN4,:FUSEN5,:CTIME,:COMMENT,:AO_COMMENT,:LINKKEY,:LINKKUB,:LINKREC,:LOCALFLG,:Reserve1,"
    ":Reserve2,:OPNCODE ";

const char* const kJoins =
    "INNER JOIN SISETUMST SI ON (SZ.SCODE = SI.SCODE)\n"
    "INNER JOIN BUMONMST  BU ON (SZ.BCODE = BU.BCODE)\n"
    "INNER JOIN KAMOKUMST KM ON (SZ.KCODE = KM.KCODE)\n"
    "INNER JOIN HOJOMST   HM ON (SZ.KCODE = HM.KCODE AND SZ.HCODE=HM.HCODE)\n";

const char* const kKmColumns =
    "KM.KCODE,KM.USERCODE,KM.REC,KM.GROUPM1,KM.GROUPM2,KM.KNAME,KM.BLDAC,KM.DAC,KM.DELFLG,KM.TAX_LCODE,"
    "KM.TAX_RCODE,KM.FUN_LCODE,KM.FUN_RCODE,KM.HOJOSW,KM.BPFLG,KM.KEIHKUBU,KM.EXT1_A4,KM.EXT1_A3,KM.EXT1_KS";

const char* const kHmTail =
    "HM.BPFLG,HM.SIME,HM.SAITO,HM.CoDATE,HM.GENDO,HM.WARIAISW,HM.WARI1,HM.WARI2,HM.WARI3,HM.TEGATA,HM.YOKKMK,"
    "HM.YOKHOJ,HM.ADDRESS,HM.KOUZA,HM.BANK,HM.SITEN,HM.KANKEI,HM.TORIHIK,HM.RIRITU,HM.RIYUU,HM.TANPO,HM.YOUTO,"
    "HM.FURIKOMI,HM.KARINAME,HM.KARIDADD";

std::string SelectCombinations(const std::string& hmColumns) {
  return std::string("SELECT SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE,SI.SNAME,") + kKmColumns + "," + hmColumns + "," +
         kHmTail + ",BU.BNAME FROM KAMOKU_SZ SZ\n" + kJoins;
}

// The account columns of a combination row (the row was read with kKmColumns).
void ReadAccount(TIBSQL& q, TKMKREC& k) {
  k.KCODE = q.FieldByName("KCODE").AsString();
  k.USERCODE = q.FieldByName("USERCODE").AsString();
  k.REC = q.FieldByName("REC").AsInteger();
  k.GROUPM1 = q.FieldByName("GROUPM1").AsString();
  k.GROUPM2 = q.FieldByName("GROUPM2").AsString();
  k.KNAME = q.FieldByName("KNAME").AsString();
  k.BLDAC = q.FieldByName("BLDAC").AsInteger();
  k.DAC = q.FieldByName("DAC").AsInteger();
  k.DELFLG = q.FieldByName("DELFLG").AsInteger();
  k.TAX_LCODE = q.FieldByName("TAX_LCODE").AsInteger();
  k.TAX_RCODE = q.FieldByName("TAX_RCODE").AsInteger();
  k.FUN_LCODE = q.FieldByName("FUN_LCODE").AsInteger();
  k.FUN_RCODE = q.FieldByName("FUN_RCODE").AsInteger();
  k.HOJOSW = Trim(q.FieldByName("HOJOSW").AsString());
  k.BPFLG = q.Fields(19).AsString();  // the account's BPFLG (the sub-account has one too)
  k.KEIHKUBU = Trim(q.FieldByName("KEIHKUBU").AsString());
  k.EXT1_A4 = q.FieldByName("EXT1_A4").AsInteger();
  k.EXT1_A3 = q.FieldByName("EXT1_A3").AsInteger();
  k.EXT1_KS = q.FieldByName("EXT1_KS").AsInteger();
}

void ReadSide(TIBSQL& q, const std::string& p, const char* userCode, TSwkBalance& s) {
  s.KGROUP = q.FieldByName(p + "KGROUP").AsString();
  s.UserCode = q.FieldByName(userCode).AsString();
  s.HCODE = q.FieldByName(p + "HCODE").AsString();
  s.BCODE = q.FieldByName(p + "BCODE").AsString();
  s.KNAME = q.FieldByName(p + "KNAME").AsString();
  s.HNAME = q.FieldByName(p + "HNAME").AsString();
  s.BNAME = q.FieldByName(p + "BNAME").AsString();
  s.TAXCODE = q.FieldByName(p + "TAXCODE").AsInteger();
  s.TAXUH = q.FieldByName(p + "TAXUH").AsInteger();
  s.TAXDC = q.FieldByName(p + "TAXDC").AsInteger();
  s.NUK = q.FieldByName(p + "NUK").AsCurrency();
  s.ZEI = q.FieldByName(p + "ZEI").AsCurrency();
  s.RIT = q.FieldByName(p + "RIT").AsCurrency();
  s.SIKIN = q.FieldByName(p + "SIKIN").AsInteger();
}

void BindSide(TIBSQL& q, const std::string& p, const TSwkBalance& s) {
  q.ParamByName(p + "KGROUP").SetString(s.KGROUP);
  q.ParamByName(p + "KCODE").SetString(s.UserCode);
  q.ParamByName(p + "HCODE").SetString(s.HCODE);
  q.ParamByName(p + "BCODE").SetString(s.BCODE);
  q.ParamByName(p + "KNAME").SetString(s.KNAME);
  q.ParamByName(p + "HNAME").SetString(s.HNAME);
  q.ParamByName(p + "BNAME").SetString(s.BNAME);
  q.ParamByName(p + "TAXCODE").SetInteger(s.TAXCODE);
  q.ParamByName(p + "TAXUH").SetInteger(s.TAXUH);
  q.ParamByName(p + "TAXDC").SetInteger(s.TAXDC);
  q.ParamByName(p + "NUK").SetCurrency(s.NUK);
  q.ParamByName(p + "ZEI").SetCurrency(s.ZEI);
  q.ParamByName(p + "RIT").SetCurrency(s.RIT);
  q.ParamByName(p + "SIKIN").SetInteger(s.SIKIN);
}

}  // namespace

// The own-transaction protocol of one operation. End(ok) closes the statement and, when the
// flag was set, ends the transaction (a write rolls back after an error) and clears the flag.
class TSiwakeWrite::OwnScope {
 public:
  OwnScope(TSiwakeWrite& w, bool write) : w_(w), write_(write), own_(w.OwnTransaction != 0) {
    // Taken now, so that the operations this one calls work inside it.
    w_.OwnTransaction = 0;
    if (own_ && w_.tr_ && !w_.tr_->Active()) w_.tr_->StartTransaction();
  }
  ~OwnScope() {
    if (!ended_) {
      try {
        End(false);
      } catch (...) {
      }
    }
  }
  bool Own() const { return own_; }
  void End(bool ok) {
    ended_ = true;
    w_.sql_.Close();
    if (!own_) return;
    if (!w_.tr_ || !w_.tr_->Active()) return;
    if (write_ && !ok)
      w_.tr_->Rollback();
    else
      w_.tr_->Commit();
  }

 private:
  TSiwakeWrite& w_;
  bool write_;
  bool own_;
  bool ended_ = false;
};

TSiwakeWrite::TSiwakeWrite() = default;

void TSiwakeWrite::SetTransaction(TIBTransaction* tr) {
  tr_ = tr;
  sql_.Close();
  sql_.SetDatabase(tr ? tr->DefaultDatabase() : nullptr);
  sql_.SetTransaction(tr);
}

std::string TSiwakeWrite::Message(int pair) const {
  if (pair < 0 || pair >= 16) return "";
  return kMessages[pair][MessageStyle == 1 ? 1 : 0];
}

void TSiwakeWrite::InitSiwakeRec(TSWKREC& rec, int32_t kessan, TDateTime date) {
  rec = TSWKREC{};
  rec.PcName = SystemDef.PcName;
  rec.TAISHAKU = 1;
  rec.HIZUKE = date;
  rec.KESSAN = kessan;
  rec.L.TAXCODE = 910;
  rec.R.TAXCODE = 910;
  rec.RTIME = Now();
  rec.OPCODE = SystemDef.LogonId;
  rec.OLDRATE = CheckZeiRituNo(0, date);
}

void TSiwakeWrite::GetSiwake(TSWKREC& rec, int32_t recNo, bool fromView) {
  InitSiwakeRec(rec, 0, Today());
  OwnScope own(*this, false);
  try {
    switch (HistoryView) {
      case 1: sql_.SQL = "SELECT * FROM KAKOSIWAKE1_VIEW WHERE REC=:REC"; break;
      case 2: sql_.SQL = "SELECT * FROM KAKOSIWAKE2_VIEW WHERE REC=:REC"; break;
      case 0:
        if (fromView) {
          sql_.SQL = "SELECT * FROM SIWAKE_VIEW WHERE REC=:REC";
        } else {
          sql_.SQL =
              "SELECT S.REC,S.SWKREC,S.SWKNO,S.DELFLG,S.TAISHAKU,S.HIZUKE,S.MNUM,S.KESSAN,S.DNUM,S.SNUM,S.SDAYNUM,"
              "S.MDAYNUM,S.SCODE,S.SITREC,\n"
              "S.KGROUP,S.KCODE,K1.USERCODE,S.HCODE,S.BCODE,S.KNAME,S.HNAME,S.BNAME,S.TAXCODE,S.TAXUH,S.TAXDC,S.NUK,"
              "S.ZEI,S.RIT,S.SIKIN,\n"
              "S.R_KGROUP,S.R_KCODE,K2.USERCODE AS R_USERCODE,S.R_HCODE,S.R_BCODE,S.R_KNAME,S.R_HNAME,S.R_BNAME,"
              "S.R_TAXCODE,S.R_TAXUH,S.R_TAXDC,S.R_NUK,S.R_ZEI,S.R_RIT,S.R_SIKIN,\n"
              "S.KINGAKU,S.ZEIGAKU,S.ZEIRITUNO,S.AUTCALCU,S.TAXCALCU,S.OLDRATE,S.TEKCODE,S.TEKTEXT,S.TORCODE,"
              "S.TORTEXT,S.FUSEN1,S.FUSEN2,S.FUSEN3,S.FUSEN4,S.FUSEN5,S.CTIME,S.COMMENT,S.AO_COMMENT,\n"
              "S.LINKKEY,S.LINKKUB,S.LINKREC,S.LOCALFLG,S.RESERVE1,S.RESERVE2,S.RTIME,S.OPCODE\n"
              "FROM SIWAKE S\n"
              "INNER JOIN KAMOKUMST K1 ON (S.KCODE = K1.KCODE)\n"
              "INNER JOIN KAMOKUMST K2 ON (S.R_KCODE = K2.KCODE)\n"
              "WHERE S.REC=:REC";
        }
        break;
      default:
        own.End(true);
        return;  // no history beyond the two past years
    }
    sql_.ParamByName("REC").SetInteger(recNo);
    sql_.ExecQuery();
    if (!sql_.Eof()) {
      TIBSQL& q = sql_;
      rec.REC = q.FieldByName("REC").AsInteger();
      rec.SWKREC = q.FieldByName("SWKREC").AsInteger();
      rec.SWKNO = q.FieldByName("SWKNO").AsInteger();
      rec.DELFLG = q.FieldByName("DELFLG").AsInteger();
      rec.TAISHAKU = q.FieldByName("TAISHAKU").AsInteger();
      rec.HIZUKE = q.FieldByName("HIZUKE").AsDateTime();
      rec.MNUM = q.FieldByName("MNUM").AsInteger();
      rec.KESSAN = q.FieldByName("KESSAN").AsInteger();
      rec.SDAYNUM = q.FieldByName("SDAYNUM").AsInteger();
      rec.MDAYNUM = q.FieldByName("MDAYNUM").AsInteger();
      rec.DNUM = q.FieldByName("DNUM").AsInteger();
      rec.SNUM = q.FieldByName("SNUM").AsInteger();
      rec.SCODE = q.FieldByName("SCODE").AsString();
      rec.SITREC = q.FieldByName("SITREC").AsInteger();
      ReadSide(q, "", "USERCODE", rec.L);
      ReadSide(q, "R_", "R_USERCODE", rec.R);
      rec.KINGAKU = q.FieldByName("KINGAKU").AsCurrency();
      rec.ZEIGAKU = q.FieldByName("ZEIGAKU").AsCurrency();
      rec.ZEIRITUNO = q.FieldByName("ZEIRITUNO").AsInteger();
      rec.AUTCALCU = q.FieldByName("AUTCALCU").AsInteger();
      rec.TAXCALCU = q.FieldByName("TAXCALCU").AsInteger();
      rec.OLDRATE = q.FieldByName("OLDRATE").AsInteger();
      rec.TEKCODE = q.FieldByName("TEKCODE").AsInteger();
      rec.TEKTEXT = q.FieldByName("TEKTEXT").AsString();
      rec.TORCODE = q.FieldByName("TORCODE").AsInteger();
      rec.TORTEXT = q.FieldByName("TORTEXT").AsString();
      rec.FUSEN1 = q.FieldByName("FUSEN1").AsInteger();
      rec.FUSEN2 = q.FieldByName("FUSEN2").AsInteger();
      rec.FUSEN3 = q.FieldByName("FUSEN3").AsInteger();
      rec.FUSEN4 = q.FieldByName("FUSEN4").AsInteger();
      rec.FUSEN5 = q.FieldByName("FUSEN5").AsInteger();
      rec.CTIME = q.FieldByName("CTIME").AsDateTime();
      rec.COMMENT = q.FieldByName("COMMENT").AsString();
      rec.AO_COMMENT = q.FieldByName("AO_COMMENT").AsString();
      rec.LINKKEY = q.FieldByName("LINKKEY").AsString();
      rec.LINKKUB = q.FieldByName("LINKKUB").AsInteger();
      rec.LINKREC = q.FieldByName("LINKREC").AsInteger();
      rec.LOCALFLG = q.FieldByName("LOCALFLG").AsInteger();
      rec.RESERVE1 = q.FieldByName("RESERVE1").AsInteger();
      rec.RESERVE2 = q.FieldByName("RESERVE2").AsInteger();
      rec.RTIME = q.FieldByName("RTIME").AsDateTime();
      rec.OPCODE = q.FieldByName("OPCODE").AsInteger();
    }
    own.End(true);
  } catch (const EIBError& e) {
    ReportDbError(e, "TSiwakeWrite.GetSiwake", "", true);
    own.End(true);
    throw;
  }
}

std::string TSiwakeWrite::WriteSql(bool insert) const {
  if (!insert)
    return std::string("SELECT NEWREC,NEWSWKREC,NEWSWKNO,UPREC,NEWSDAYNUM FROM SP_SIWAKE_UPD(") +
           ":REC,:SWKREC,:SWKNO,:DELFLG," + kParamList + ")";
  // Before data version 6.1 the insert procedure has no entry number per branch yet.
  const bool oldVersion = AccInf.VerMajor < 6 || (AccInf.VerMajor == 6 && AccInf.VerMinor1 == 0);
  return std::string(oldVersion ? "SELECT NEWREC,NEWSWKREC,NEWSDAYNUM,0 AS NEWSITREC FROM SP_SIWAKE_INS("
                                : "SELECT NEWREC,NEWSWKREC,NEWSDAYNUM,NEWSITREC FROM SP_SIWAKE_INS(") +
         kParamList + ")";
}

void TSiwakeWrite::BindWrite(const TSWKREC& rec) {
  TIBSQL& q = sql_;
  if (rec.REC != 0) {
    q.ParamByName("REC").SetInteger(rec.REC);
    q.ParamByName("SWKREC").SetInteger(rec.SWKREC);
    q.ParamByName("SWKNO").SetInteger(rec.SWKNO);
    q.ParamByName("DELFLG").SetInteger(rec.DELFLG);
  }
  q.ParamByName("HIZUKE").SetDateTime(rec.HIZUKE);
  q.ParamByName("MNUM").SetInteger(rec.MNUM);
  q.ParamByName("KESSAN").SetInteger(rec.KESSAN);
  q.ParamByName("SDAYNUM").SetInteger(rec.SDAYNUM);
  q.ParamByName("MDAYNUM").SetInteger(rec.MDAYNUM);
  q.ParamByName("DNUM").SetInteger(rec.DNUM);
  q.ParamByName("SNUM").SetInteger(rec.SNUM);
  q.ParamByName("SCODE").SetString(rec.SCODE);
  BindSide(q, "L_", rec.L);
  BindSide(q, "R_", rec.R);
  q.ParamByName("KINGAKU").SetCurrency(rec.KINGAKU);
  q.ParamByName("ZEIGAKU").SetCurrency(rec.ZEIGAKU);
  q.ParamByName("ZEIRITUNO").SetInteger(rec.ZEIRITUNO);
  q.ParamByName("AUTCALCU").SetInteger(rec.AUTCALCU);
  q.ParamByName("TAXCALCU").SetInteger(rec.TAXCALCU);
  q.ParamByName("OLDRATE").SetInteger(rec.OLDRATE);
  q.ParamByName("TEKCODE").SetInteger(rec.TEKCODE);
  q.ParamByName("TEKTEXT").SetString(rec.TEKTEXT);
  q.ParamByName("TORCODE").SetInteger(rec.TORCODE);
  q.ParamByName("TORTEXT").SetString(rec.TORTEXT);
  q.ParamByName("FUSEN1").SetInteger(rec.FUSEN1);
  q.ParamByName("FUSEN2").SetInteger(rec.FUSEN2);
  q.ParamByName("FUSEN3").SetInteger(rec.FUSEN3);
  q.ParamByName("FUSEN4").SetInteger(rec.FUSEN4);
  q.ParamByName("FUSEN5").SetInteger(rec.FUSEN5);
  q.ParamByName("CTIME").SetDateTime(rec.CTIME);
  q.ParamByName("COMMENT").SetString(rec.COMMENT);
  q.ParamByName("AO_COMMENT").SetString(rec.AO_COMMENT);
  q.ParamByName("LINKKEY").SetString(rec.LINKKEY);
  q.ParamByName("LINKKUB").SetInteger(rec.LINKKUB);
  q.ParamByName("LINKREC").SetInteger(rec.LINKREC);
  q.ParamByName("LOCALFLG").SetInteger(rec.LOCALFLG);
  q.ParamByName("Reserve1").SetInteger(rec.RESERVE1);
  q.ParamByName("Reserve2").SetInteger(rec.RESERVE2);
  q.ParamByName("OPNCODE").SetInteger(SystemDef.LogonId);
}

int TSiwakeWrite::PutSiwake(TSWKREC& rec) {
  OwnScope own(*this, true);
  const bool insert = rec.REC == 0;
  for (int attempt = 0;; ++attempt) {
    try {
      sql_.Close();
      sql_.SQL = WriteSql(insert);
      BindWrite(rec);
      sql_.ExecQuery();
      int result = 0;
      if (insert) {
        rec.REC = sql_.FieldByName("NEWREC").AsInteger();
        rec.SWKREC = sql_.FieldByName("NEWSWKREC").AsInteger();
        rec.SDAYNUM = sql_.FieldByName("NEWSDAYNUM").AsInteger();
        rec.SWKNO = rec.SWKREC;
        rec.SITREC = sql_.FieldByName("NEWSITREC").AsInteger();
        rec.RTIME = Now();
        result = rec.REC;
      } else {
        const int uprec = sql_.FieldByName("UPREC").AsInteger();
        if (uprec == -2) {
          rec.REC = sql_.FieldByName("NEWREC").AsInteger();
          result = -2;
        } else if (uprec == -1) {
          result = -1;
        } else {
          rec.REC = sql_.FieldByName("NEWREC").AsInteger();
          rec.SWKREC = sql_.FieldByName("NEWSWKREC").AsInteger();
          rec.SWKNO = sql_.FieldByName("NEWSWKNO").AsInteger();
          rec.SDAYNUM = sql_.FieldByName("NEWSDAYNUM").AsInteger();
          rec.RTIME = Now();
          result = 0;
        }
      }
      own.End(true);
      return result;
    } catch (const EIBError& e) {
      ReportDbError(e, "TSiwakeWrite.PutSiwake", "", true);
      // Another user holds the rows: try again a few times, letting the program breathe, and
      // give up rather than wait for a holder that never lets go.
      if (!IsLockConflict(e) || attempt >= LockRetries) {
        own.End(false);
        throw;
      }
      sql_.Close();
      if (own.Own() && tr_ && tr_->Active()) {
        tr_->Rollback();
        tr_->StartTransaction();
      }
      WaitWithMessages(LockPauseMs);
    } catch (...) {
      own.End(false);
      throw;
    }
  }
}

int TSiwakeWrite::DeleteSiwake(int32_t swkrec) {
  OwnScope own(*this, true);
  try {
    sql_.SQL = "SELECT RESULT+1 AS RES FROM SP_SIWAKE_DEL(:SWKREC,:OPCODE)";
    sql_.ParamByName("SWKREC").SetInteger(swkrec);
    sql_.ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
    sql_.ExecQuery();
    const int result = sql_.Eof() ? 0 : sql_.FieldByName("RES").AsInteger();
    own.End(true);
    return result;
  } catch (const EIBError& e) {
    ReportDbError(e, "TSiwakeWrite.DeleteSiwake", "", true);
    own.End(false);
    throw;
  }
}

int TSiwakeWrite::RestoreSiwake(int32_t swkrec) {
  OwnScope own(*this, true);
  try {
    sql_.SQL = "UPDATE SIWAKE SET DELFLG=0,OPCODE=:OPCODE,RTIME=:RTIME WHERE SWKREC=:SWKREC";
    sql_.ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
    sql_.ParamByName("RTIME").SetDateTime(Now());
    sql_.ParamByName("SWKREC").SetInteger(swkrec);
    sql_.ExecQuery();
    own.End(true);
    return 1;
  } catch (const EIBError& e) {
    ReportDbError(e, "TSiwakeWrite.RestoreSiwake", "", true);
    own.End(false);
    throw;
  }
}

void TSiwakeWrite::SetSitenCode(const std::string& code) {
  siten_ = code;
  GetKamokuArray(code);
}

bool TSiwakeWrite::GetKamokuArray(const std::string& scode) {
  OwnScope own(*this, false);
  try {
    sql_.SQL = std::string("SELECT COUNT(SZ.SCODE) AS RECCNT FROM KAMOKU_SZ SZ\n") + kJoins + "WHERE SZ.SCODE=:SCODE";
    sql_.ParamByName("SCODE").SetString(scode);
    sql_.ExecQuery();
    CombinationCount = sql_.Eof() ? 0 : sql_.FieldByName("RECCNT").AsInteger();
    sql_.Close();
    Combinations.assign(static_cast<std::size_t>(CombinationCount), TKamokuRec{});
    CombinationIndex.clear();
    if (CombinationCount > 0) {
      sql_.SQL = SelectCombinations("HM.HNAME,HM.REC AS H_REC,HM.TAX_LCODE AS H_TAX_LCODE,HM.TAX_RCODE AS H_TAX_RCODE") +
                 "WHERE SZ.SCODE=:SCODE\nORDER BY SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE";
      sql_.ParamByName("SCODE").SetString(scode);
      sql_.ExecQuery();
      int r = 0, first = -1;
      uint8_t hasHojo = 0, hasBumon = 0;
      std::string previous;
      auto storeFlags = [&] {
        if (first < 0) return;
        Combinations[first].HasHojo = hasHojo;
        Combinations[first].HasBumon = hasBumon;
      };
      while (!sql_.Eof() && r < CombinationCount) {
        TKamokuRec& k = Combinations[r];
        ReadAccount(sql_, k.Kmk);
        if (first < 0 || k.Kmk.USERCODE != previous) {
          storeFlags();
          first = r;
          hasHojo = hasBumon = 0;
          previous = k.Kmk.USERCODE;
          CombinationIndex.push_back(previous + "=" + std::to_string(r));
        }
        k.Bum.BCODE = sql_.FieldByName("BCODE").AsString();
        k.Bum.BNAME = sql_.FieldByName("BNAME").AsString();
        k.Hoj.KCODE = k.Kmk.KCODE;
        k.Hoj.HCODE = sql_.FieldByName("HCODE").AsString();
        k.Hoj.HNAME = sql_.FieldByName("HNAME").AsString();
        k.Hoj.REC = sql_.FieldByName("H_REC").AsInteger();
        k.Hoj.TAX_LCODE = sql_.FieldByName("H_TAX_LCODE").AsInteger();
        k.Hoj.TAX_RCODE = sql_.FieldByName("H_TAX_RCODE").AsInteger();
        if (k.Hoj.HCODE != " ") hasHojo = 1;
        if (k.Bum.BCODE != " ") hasBumon = 1;
        ++r;
        sql_.Next();
      }
      storeFlags();
    }
    own.End(true);
    return true;
  } catch (const EIBError& e) {
    ReportDbError(e, "TSiwakeWrite.GetKamokuArray", "", true);
    own.End(true);
    throw;
  }
}

bool TSiwakeWrite::FindCombination(const std::string& scode, const std::string& bcode, const std::string& userCode,
                                   std::string hcode) {
  OwnScope own(*this, false);
  Current = TCurrentCombination{};
  sql_.Close();
  if (hcode.empty()) hcode = " ";
  sql_.SQL = SelectCombinations("HM.HNAME,HM.REC,HM.TAX_LCODE,HM.TAX_RCODE") +
             (bcode.empty() ? "WHERE SZ.SCODE=:SCODE AND KM.USERCODE=:USERCODE AND SZ.HCODE=:HCODE"
                            : "WHERE SZ.SCODE=:SCODE AND KM.USERCODE=:USERCODE AND SZ.HCODE=:HCODE AND SZ.BCODE=:BCODE");
  sql_.ParamByName("SCODE").SetString(scode);
  sql_.ParamByName("USERCODE").SetString(userCode);
  sql_.ParamByName("HCODE").SetString(hcode);
  if (!bcode.empty()) sql_.ParamByName("BCODE").SetString(bcode);
  sql_.ExecQuery();
  Current.SCODE = scode;
  Current.BCODE = bcode;
  Current.HCODE = hcode;
  Current.Kmk.KCODE = userCode;
  const bool found = !sql_.Eof();
  if (found) {
    ReadAccount(sql_, Current.Kmk);
    Current.Kmk.USERCODE = userCode;
    Current.SNAME = sql_.FieldByName("SNAME").AsString();
    Current.BNAME = sql_.FieldByName("BNAME").AsString();
    Current.HNAME = sql_.FieldByName("HNAME").AsString();
  }
  own.End(true);
  return found;
}

void TSiwakeWrite::LoadStoredCodes(int32_t recNo, TSwkBalance& debit, TSwkBalance& credit) {
  sql_.Close();
  sql_.SQL =
      "SELECT KCODE,USERCODE,HCODE,BCODE,KNAME,HNAME,BNAME,R_KCODE,R_USERCODE,R_HCODE,R_BCODE,R_KNAME,R_HNAME,R_BNAME "
      "FROM SIWAKE_VIEW\nWHERE REC=:REC";
  sql_.ParamByName("REC").SetInteger(recNo);
  sql_.ExecQuery();
  if (!sql_.Eof()) {
    for (auto [side, p, user] : {std::tuple{&debit, "", "USERCODE"}, std::tuple{&credit, "R_", "R_USERCODE"}}) {
      const std::string pre = p;
      side->UserCode = sql_.FieldByName(user).AsString();
      side->HCODE = sql_.FieldByName(pre + "HCODE").AsString();
      side->BCODE = sql_.FieldByName(pre + "BCODE").AsString();
      side->KNAME = sql_.FieldByName(pre + "KNAME").AsString();
      side->HNAME = sql_.FieldByName(pre + "HNAME").AsString();
      side->BNAME = sql_.FieldByName(pre + "BNAME").AsString();
    }
  }
  sql_.Close();
}

bool TSiwakeWrite::FindCostCode(const std::string& code) {
  CostCodeIndex = 0;
  if (!CostCodes) return false;
  for (std::size_t i = 0; i < CostCodes->size(); ++i) {
    if ((*CostCodes)[i].Code == code) {
      CostCodeIndex = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

bool TSiwakeWrite::HasSubAccounts(const std::string& scode, const std::string& userCode) {
  sql_.Close();
  sql_.SQL =
      "SELECT COUNT(K.SCODE) FROM KAMOKU_SZ K\nINNER JOIN KAMOKUMST KM ON (K.KCODE=KM.KCODE)\n"
      "WHERE (K.SCODE=:SCODE) AND (KM.USERCODE=:USERCODE) AND (K.BCODE=' ')";
  sql_.ParamByName("SCODE").SetString(scode);
  sql_.ParamByName("USERCODE").SetString(userCode);
  sql_.ExecQuery();
  const int n = sql_.Eof() ? 0 : sql_.Fields(0).AsInteger();
  sql_.Close();
  return n > 1;
}

bool TSiwakeWrite::HasDepartments(const std::string& scode, const std::string& userCode) {
  sql_.Close();
  sql_.SQL =
      "SELECT COUNT(K.SCODE) FROM KAMOKU_SZ K\nINNER JOIN KAMOKUMST KM ON (K.KCODE=KM.KCODE)\n"
      "WHERE (K.SCODE=:SCODE) AND (KM.USERCODE=:USERCODE) AND (K.HCODE=' ') AND (K.BCODE<>' ')";
  sql_.ParamByName("SCODE").SetString(scode);
  sql_.ParamByName("USERCODE").SetString(userCode);
  sql_.ExecQuery();
  const int n = sql_.Eof() ? 0 : sql_.Fields(0).AsInteger();
  sql_.Close();
  return n >= 1;
}

bool TSiwakeWrite::TestSiwake(TSWKREC& rec, int& errNo, std::string& message) {
  errNo = 0;
  message.clear();
  OwnScope own(*this, false);
  auto fail = [&](int number, int pair) {
    errNo = number;
    message = Message(pair);
    return false;
  };
  auto failText = [&](int number, const std::string& text) {
    errNo = number;
    message = text;
    return false;
  };
  try {
    const bool result = [&]() -> bool {
      TSwkBalance storedL, storedR;
      if (rec.REC != 0) LoadStoredCodes(rec.REC, storedL, storedR);

      const double day = std::floor(rec.HIZUKE);
      int32_t t = GetKikanNo(AccInf.SIME, rec.KESSAN, AccInf.KISHU, rec.HIZUKE, AccInf.KIMATU);
      if (rec.KESSAN == 1 && day == std::floor(AccInf.KIMATU)) t = 16;
      if (t == -1 || day < std::floor(AccInf.KAISI) || day > std::floor(AccInf.KIMATU)) return fail(1, 0);
      rec.MNUM = t;

      if (AccInf.KANSA_LOCK == 1 && SystemDef.JimushoOperator == 0 && SystemDef.JobLevel != 9) {
        if (rec.CTIME > 0) return fail(2, 1);
        if (AccInf.KANSA_DATE > 0 && AccInf.KANSA_FIXDATE > 0 && day <= std::floor(AccInf.KANSA_FIXDATE))
          return fail(3, 2);
      }

      if (AccInf.KobetuGenkaUse == 1 && Checks[ckCostCode] != 0 && rec.SNUM != 0) {
        const int width =
            AccInf.KobetuGenkaDigits < KobetuGenkaCodeWidths.size() ? KobetuGenkaCodeWidths[AccInf.KobetuGenkaDigits] : 3;
        char code[32];
        std::snprintf(code, sizeof code, "%0*d", width, rec.SNUM);
        if (!FindCostCode(code)) {
          std::string text = Message(14);
          ReplaceAll(text, "個別原価", AccInf.KobetuGenkaName);
          return failText(4, text);
        }
      }

      if (AccInf.SITEN == 1 && Trim(rec.SCODE).empty()) {
        std::string text = Message(15);
        if (AccInf.DATATYPE == 3) ReplaceAll(text, "本・支店", "施設");
        return failText(5, text);
      }

      // One side: its account (error base+0, pairs pair0..pair0+2), then its tax code
      // (error base+1 with pair0+3, base+2..base+5 from the tax-code checks).
      auto side = [&](TSwkBalance& s, const TSwkBalance& stored, TSwkBalance& other, bool debit, int base,
                      int pair0) -> bool {
        if (Checks[ckAccounts] != 0) {
          if (!FindCombination(rec.SCODE, s.BCODE, s.UserCode, s.HCODE)) return fail(base, pair0);
          s.KGROUP = Current.Kmk.GROUPM1;
          s.SIKIN = debit ? Current.Kmk.FUN_LCODE : Current.Kmk.FUN_RCODE;
          if (rec.REC == 0) {
            s.KNAME = Current.Kmk.KNAME;
            s.HNAME = Current.HNAME;
            s.BNAME = Current.BNAME;
          } else {
            if (s.KNAME != stored.KNAME || s.UserCode != stored.UserCode) s.KNAME = Current.Kmk.KNAME;
            if (s.HNAME != stored.HNAME || s.UserCode != stored.UserCode || Current.HCODE != stored.HCODE)
              s.HNAME = Current.HNAME;
            if (s.BNAME != stored.BNAME || Current.BCODE != stored.BCODE) s.BNAME = Current.BNAME;
          }
          s.HCODE = Current.HCODE;
          s.BCODE = Current.BCODE;
          if (HasSubAccounts(rec.SCODE, s.UserCode) && Trim(s.HCODE).empty()) return fail(base, pair0 + 1);
          if (HasDepartments(rec.SCODE, s.UserCode) && Trim(s.BCODE).empty()) return fail(base, pair0 + 2);
        }
        if (Checks[ckTaxCodes] != 0) {
          NormalizeTaxCode(s.TAXCODE);
          TTaxCodeInfo info;
          if (!GetTaxCodeInfo(s.TAXCODE, info)) return fail(base + 1, pair0 + 3);
          s.TAXUH = info.TAXUH;
          s.TAXDC = info.TAXDC;
          std::string text;
          if (!CheckTaxCodeForAccount(text, s.UserCode, s.TAXCODE)) return failText(base + 2, text);
          if (!CheckTaxAccountCounterCode(text, s.UserCode, other.TAXCODE)) return failText(base + 3, text);
          if (!CheckSyokuchiTaxCode(text, s.UserCode, s.TAXCODE)) return failText(base + 4, text);
          if (!CheckSpecifiedPurchase(text, s.TAXCODE, rec.OLDRATE, rec.HIZUKE)) return failText(base + 5, text);
        }
        return true;
      };
      if (!side(rec.L, storedL, rec.R, true, 11, 3)) return false;
      if (!side(rec.R, storedR, rec.L, false, 21, 7)) return false;

      if (Checks[ckAmount] != 0) {
        if (rec.KINGAKU < Currency::FromYen(1)) return fail(31, rec.KINGAKU < Currency() ? 12 : 11);
        if (rec.KINGAKU > Currency::FromYen(9999999999LL)) return fail(31, 13);
      }
      if (Checks[ckTexts] != 0) {
        rec.TEKTEXT = RemoveTabCrLf(rec.TEKTEXT);
        rec.TORTEXT = RemoveTabCrLf(rec.TORTEXT);
      }
      return true;
    }();
    own.End(true);
    return result;
  } catch (const EIBError& e) {
    ReportDbError(e, "TSiwakeWrite.TestSiwake", "", true);
    own.End(true);
    throw;
  }
}
