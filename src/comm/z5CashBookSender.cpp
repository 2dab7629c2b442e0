#include "comm/z5CashBookSender.h"

#include <exception>

#include "data/DataModule.h"
#include "platform/UiServices.h"
#include "platform/db/IBSQL.h"
#include "platform/db/TransactionScope.h"

namespace {

// One statement per line, as the statements were always written.
constexpr const char* kReadAll =
    "SELECT REC,SWKREC,DELFLG,KCODE,R_KCODE FROM SIWAKE\n"
    "WHERE (DELFLG IN (0,1)) AND (TAISHAKU=1) AND ((KCODE=:KCODE OR R_KCODE=:R_KCODE) OR (LINKREC>0))";
constexpr const char* kResetLinks =
    "UPDATE SIWAKE SET RESERVE1=:RESERVE1,RESERVE2=:RESERVE2,LINKKEY=:LINKKEY,LINKKUB=:LINKKUB,LINKREC=:LINKREC\n"
    ",LOCALFLG=:LOCALFLG\n"
    "WHERE SWKREC=:SWKREC";
constexpr const char* kReadUnlinked =
    "SELECT REC,SWKREC,LINKKUB,LINKKEY,RESERVE1 FROM SIWAKE\n"
    "WHERE (DELFLG=0) AND (LINKKUB=0) AND (TAISHAKU=1) AND ((KCODE=:KCODE OR R_KCODE=:R_KCODE) OR (LINKREC>0))";
constexpr const char* kLink =
    "UPDATE SIWAKE SET LINKKEY=:LINKKEY,LINKKUB=:LINKKUB\n"
    "WHERE SWKREC=:SWKREC";

constexpr int kLinkedWithCashBook = 10;

}  // namespace

TCashBookSender::TCashBookSender() { Info.Name = "CashBookSender"; }

void TCashBookSender::MarkCashJournal() {
  if (ModeSet == 1) MarkMode = 1;
  Count = 0;
  try {
    std::string cash, userCode;
    DM->SetSystemCode("現金", cash, userCode);
    TTransactionScope tx(DM->IBTransactionDAT);
    TIBSQL reader, updater;
    for (TIBSQL* q : {&reader, &updater}) {
      q->SetDatabase(&DM->IBDatabaseDAT);
      q->SetTransaction(&DM->IBTransactionDAT);
    }
    reader.SQL = MarkMode == 0 ? kReadAll : kReadUnlinked;
    updater.SQL = MarkMode == 0 ? kResetLinks : kLink;
    reader.ParamByName("KCODE").SetString(cash);
    reader.ParamByName("R_KCODE").SetString(cash);
    for (reader.ExecQuery(); !reader.Eof(); reader.Next()) {
      const int rec = reader.FieldByName("REC").AsInteger();
      updater.ParamByName("SWKREC").SetInteger(reader.FieldByName("SWKREC").AsInteger());
      if (MarkMode == 0) {
        const bool cashRow = reader.FieldByName("KCODE").AsString() == cash || reader.FieldByName("R_KCODE").AsString() == cash;
        const bool live = reader.FieldByName("DELFLG").AsInteger() == 0;
        updater.ParamByName("RESERVE1").SetInteger(cashRow ? rec : 0);
        updater.ParamByName("RESERVE2").SetInteger(0);
        updater.ParamByName("LINKKEY").SetString(cashRow && live ? std::to_string(rec) : std::string());
        updater.ParamByName("LINKKUB").SetInteger(cashRow && live ? kLinkedWithCashBook : 0);
        updater.ParamByName("LINKREC").SetInteger(0);
        updater.ParamByName("LOCALFLG").SetInteger(0);
      } else {
        updater.ParamByName("LINKKEY").SetString(std::to_string(rec));
        updater.ParamByName("LINKKUB").SetInteger(kLinkedWithCashBook);
      }
      updater.ExecQuery();
      ++Count;
    }
    reader.Close();
    tx.Commit();
    if (Count > 0) Count /= 2;
    AddLog(1, 1, "出納帳データの送信処理が成功しました。");
  } catch (const std::exception& e) {
    // The scope has rolled back what it started by now.
    AddLog(3, -100, std::string("出納帳データの送信処理に失敗しました。 ") + "原因: " + e.what());
    uis::ShowMessage(uis::MsgKind::Error, std::string("出納帳データの送信処理中にエラーが発生しました。\r\r") + "原因: " + e.what(),
                     {}, uis::Buttons::Ok, uis::mrOk);
  }
}

int32_t TCashBookSender::GetResult() const { return result_; }

void TCashBookSender::AddLog(uint8_t kind, int32_t result, const std::string& text) {
  Info.Kind = kind;
  Info.Result = result;
  Info.Text = text;
  Log.push_back(Info);
  result_ = 0;
  if (Log.empty()) return;
  for (const TLomatraSyoriInfo& e : Log)
    if (e.Kind == 3 || e.Result == 1) {
      result_ = e.Result;
      return;
    }
  result_ = Log.back().Result;
}

void TCashBookSender::ClearLog() {
  Log.clear();
  result_ = 0;
}
