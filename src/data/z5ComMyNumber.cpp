#include "data/z5ComMyNumber.h"

#include <array>
#include <exception>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/uAccScramble.h"
#include "data/z5AppInfo.h"
#include "platform/AsciiCase.h"
#include "platform/UiServices.h"
#include "platform/db/TransactionScope.h"

namespace {

const char* const kGroup = "基本設定";
const char* const kUse = "＃USE";
const char* const kKey = "＃KEY";
const char* const kValue = "＃VALUE";
constexpr int kUniqueKeyViolation = 335544665;

struct StateText {
  const char* text;   // composed into "マイナンバー情報" + text + "されました。"
  const char* whole;  // the whole comment instead, when set
  const char* word;   // a word of the process name that selects `special`
  const char* special;
};
const std::array<StateText, 11> kStates = {{
    {"**", nullptr, nullptr, nullptr},
    {"が登録", nullptr, nullptr, nullptr},
    {"が変更", nullptr, nullptr, nullptr},
    {"が削除", nullptr, nullptr, nullptr},
    {"が参照", nullptr, nullptr, nullptr},
    {"が印刷", nullptr, nullptr, nullptr},
    {"を含むデータが保存", nullptr, "送信", "マイナンバー情報を含むデータが送信されました。"},
    {"を含むデータが復元", nullptr, "受信", "マイナンバー情報を含むデータが受信されました。"},
    {"を含めずにデータが保存", nullptr, "送信", "マイナンバー情報を含めずにデータが送信されました。"},
    {"が既定値に設定", "マイナンバー管理パスワードを既定値に設定しました。", nullptr, nullptr},
    {"が変更", "マイナンバー管理パスワードを変更しました。", nullptr, nullptr},
}};

// The first `bytes` CP932 bytes of the text, without blanks at either end; a double-byte
// character is never cut in half.
std::string Cut(const std::string& text, int bytes) { return TrimZenkaku(PadRightSJIS(text, bytes)); }

bool Blank(const std::string& s) { return TrimZenkaku(s).empty(); }

std::string RemoveAll(std::string text, const std::string& part) {
  if (part.empty()) return text;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) text.erase(at, part.size());
  return text;
}

// The data set of a database file for the length of one operation. The company database is
// connected to it when it is not; when it is connected to another data set, that connection is
// put back afterwards, so an operation never works on a data set it was not given.
class DataSetFrame {
 public:
  DataSetFrame(const std::string& host, const std::string& dbFile, bool checkExists) {
    if (checkExists && !DM->FExist(dbFile, ConnectMode)) return;
    folder_ = RemoveAll(dbFile, "/" + fw::AccDbFile);
    TIBDatabase& db = DM->IBDatabaseDAT;
    const std::string name =
        TDM::DatabaseName(ConnectMode, host.empty() ? SystemDef.HostName : host, folder_, fw::AccDbFile);
    bool wasConnected = db.Connected();
    if (wasConnected && db.DatabaseName != name) {
      otherName_ = db.DatabaseName;
      otherParams_ = db.Params;
      wasConnected = false;
    }
    if (!wasConnected) {
      connectedHere_ = true;
      DM->fnAccDatConnected(host, folder_, false);
    }
    ok_ = db.Connected();
  }
  ~DataSetFrame() {
    if (!connectedHere_) return;
    try {
      DM->AccDatDisconnect(folder_, false, false);
      if (!otherName_.empty()) {
        DM->IBDatabaseDAT.DatabaseName = otherName_;
        DM->IBDatabaseDAT.Params = otherParams_;
        DM->IBDatabaseDAT.Open();
      }
    } catch (const std::exception&) {
      DM->IBDatabaseDAT.ForceClose();
    }
  }
  DataSetFrame(const DataSetFrame&) = delete;
  DataSetFrame& operator=(const DataSetFrame&) = delete;
  bool Ok() const { return ok_; }

 private:
  std::string folder_;
  std::string otherName_;
  std::vector<std::string> otherParams_;
  bool connectedHere_ = false;
  bool ok_ = false;
};

std::string CompanyNameOf(TIBSQL& q) {
  q.Close();
  q.SQL = "SELECT SHOUGOU FROM ACCDEF1\nWHERE REC=1";
  q.ExecQuery();
  std::string name = q.Eof() ? std::string() : q.FieldByName("SHOUGOU").AsString();
  q.Close();
  return name;
}

}  // namespace

bool MyNumberPasswordDlg(const std::string& expected) {
  if (SystemDef.MyNumberAdmin == 0) return true;
  if (expected.empty()) return false;
  uis::InputRequest request;
  request.mode = 1;
  request.caption = "マイナンバー管理パスワードの確認";
  request.message = "マイナンバー管理パスワードを入力して下さい。";
  request.maxLength = 8;
  request.charFilter = 30;
  request.hint =
      "パスワード(英数字8文字以内)を入力し、[OK]ボタンを押して下さい。3回続けて失敗すると呼出し元の画面に戻ります。";
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) {
      request.message = "正しいパスワードを入力して下さい。";
      request.messageRed = true;
    }
    request.value.clear();
    if (!uis::Ui().InputText(request)) return false;
    if (TrimZenkaku(request.value) == expected) return true;
  }
  return false;
}

TMyNumberIO::TMyNumberIO() {
  for (TIBSQL* q : {&Sql, &Sql2}) {
    q->SetDatabase(&DM->IBDatabaseDAT);
    q->SetTransaction(&DM->IBTransactionDAT);
    q->ParamCheck = true;
  }
}

TMyNumberIO::~TMyNumberIO() {
  for (TIBSQL* q : {&Sql, &Sql2}) {
    try {
      q->Close();
    } catch (const std::exception&) {
    }
  }
}

void TMyNumberIO::MakeLogRec(TMyNumberLogRec& rec, uint8_t state, const std::string& procName) {
  rec.FHIZUKE = 0;
  rec.FSERIAL = SystemDef.SerialText;
  rec.FOPCODE = std::to_string(SystemDef.OpCode);
  rec.FOPNAME = SystemDef.OpName;
  rec.FHOST = Cut(SystemDef.PcName, 60);
  rec.FSTATE = state;
  rec.FPROCNAME = Cut(procName, 40);
  std::string comment;
  if (state < kStates.size()) {
    const StateText& s = kStates[state];
    if (s.word && procName.find(s.word) != std::string::npos)
      comment = s.special;
    else if (s.whole)
      comment = s.whole;
    else
      comment = std::string("マイナンバー情報") + s.text + "されました。";
  }
  rec.FCOMMENT = Cut(comment, 100);
}

void TMyNumberIO::GetLogList(int32_t newestFirst) {
  LogCount = 0;
  LogList.clear();
  try {
    TTransactionScope tx(DM->IBTransactionDAT);
    CompanyName = CompanyNameOf(Sql);
    Sql.SQL = "SELECT COUNT(FSERIAL) AS RECCNT FROM MYNUMBER_LOG";
    Sql.ExecQuery();
    LogCount = Sql.Eof() ? 0 : Sql.FieldByName("RECCNT").AsInteger();
    Sql.Close();
    if (LogCount > 0) {
      LogList.reserve(static_cast<size_t>(LogCount));
      Sql.SQL = std::string("SELECT FHIZUKE,FSERIAL,FOPCODE,FOPNAME,FHOST,FSTATE,FPROCNAME,FCOMMENT\n"
                            "FROM MYNUMBER_LOG\n") +
                (newestFirst == 1 ? "ORDER BY FHIZUKE DESC,FSERIAL,FOPCODE" : "ORDER BY FHIZUKE,FSERIAL,FOPCODE");
      // Every row read is kept, also rows the count above left out.
      for (Sql.ExecQuery(); !Sql.Eof(); Sql.Next()) {
        TMyNumberLogRec r;
        r.FHIZUKE = Sql.FieldByName("FHIZUKE").AsDateTime();
        r.FSERIAL = Sql.FieldByName("FSERIAL").AsString();
        r.FOPCODE = Sql.FieldByName("FOPCODE").AsString();
        r.FOPNAME = Sql.FieldByName("FOPNAME").AsString();
        r.FHOST = Sql.FieldByName("FHOST").AsString();
        r.FSTATE = static_cast<uint8_t>(Sql.FieldByName("FSTATE").AsInteger());
        r.FPROCNAME = Sql.FieldByName("FPROCNAME").AsString();
        r.FCOMMENT = Sql.FieldByName("FCOMMENT").AsString();
        LogList.push_back(std::move(r));
      }
      Sql.Close();
      LogCount = static_cast<int32_t>(LogList.size());
    }
  } catch (const std::exception& e) {
    Sql.Close();
    ShowErrorDetail("管理ログリストの取得に失敗しました。", e.what(), uis::MsgKind::Error);
  }
}

void TMyNumberIO::GetLogListOfData(const std::string& host, const std::string& dbFile) {
  DataSetFrame frame(host, dbFile, true);
  if (frame.Ok()) GetLogList(0);
}

void TMyNumberIO::BindRow(TIBSQL& q, const TMyNumberLogRec& rec) {
  q.ParamByName("FHIZUKE").SetDateTime(rec.FHIZUKE);
  q.ParamByName("FSERIAL").SetString(rec.FSERIAL);
  q.ParamByName("FOPCODE").SetString(rec.FOPCODE);
  q.ParamByName("FOPNAME").SetString(rec.FOPNAME);
  q.ParamByName("FHOST").SetString(rec.FHOST);
  q.ParamByName("FSTATE").SetInteger(rec.FSTATE);
  q.ParamByName("FPROCNAME").SetString(rec.FPROCNAME);
  q.ParamByName("FCOMMENT").SetString(rec.FCOMMENT);
}

void TMyNumberIO::AddLog(TMyNumberLogRec& rec) {
  const char* const kFailed = "管理ログリストの追加に失敗しました。";
  for (int collisions = 0; collisions < 4;) {
    try {
      TTransactionScope tx(DM->IBTransactionDAT);
      Sql.Close();
      Sql.SQL =
          "INSERT INTO MYNUMBER_LOG(FHIZUKE,FSERIAL,FOPCODE,FOPNAME,FHOST,FSTATE,FPROCNAME,FCOMMENT)\n"
          "VALUES(:FHIZUKE,:FSERIAL,:FOPCODE,:FOPNAME,:FHOST,:FSTATE,:FPROCNAME,:FCOMMENT)";
      if (rec.FHIZUKE == 0) rec.FHIZUKE = Now();
      BindRow(Sql, rec);
      Sql.ExecQuery();
      Sql.Close();
      return;
    } catch (const EIBError& e) {
      Sql.Close();
      if (e.IBErrorCode == kUniqueKeyViolation) {
        // The time stamp is taken: try again with a fresh one.
        rec.FHIZUKE = 0;
        ++collisions;
        continue;
      }
      ReportDbError(e, "TMyNumberIO.AddLog", kFailed, true);
      return;
    } catch (const std::exception& e) {
      Sql.Close();
      ShowErrorDetail(kFailed, e.what(), uis::MsgKind::Error);
      return;
    }
  }
}

void TMyNumberIO::AddLogOfData(TMyNumberLogRec& rec, const std::string& host, const std::string& dbFile) {
  DataSetFrame frame(host, dbFile, true);
  if (frame.Ok()) AddLog(rec);
}

void TMyNumberIO::MergeLog(const std::string& host, const std::string& dbFile) {
  if (CompanyName.empty()) return;
  DataSetFrame frame(host, dbFile, true);
  if (!frame.Ok()) return;
  try {
    TTransactionScope tx(DM->IBTransactionDAT);
    if (CompanyNameOf(Sql2) != CompanyName) return;
    for (TMyNumberLogRec& r : LogList) {
      Sql2.SQL =
          "SELECT COUNT(FHIZUKE) AS RECCNT FROM MYNUMBER_LOG\n"
          "WHERE (FHIZUKE=:FHIZUKE) AND (FSERIAL=:FSERIAL) AND (FOPCODE=:FOPCODE) AND (FHOST=:FHOST)";
      Sql2.ParamByName("FHIZUKE").SetDateTime(r.FHIZUKE);
      Sql2.ParamByName("FSERIAL").SetString(r.FSERIAL);
      Sql2.ParamByName("FOPCODE").SetString(r.FOPCODE);
      Sql2.ParamByName("FHOST").SetString(r.FHOST);
      Sql2.ExecQuery();
      const int count = Sql2.Eof() ? 0 : Sql2.FieldByName("RECCNT").AsInteger();
      Sql2.Close();
      if (count == 0) AddLog(r);
    }
  } catch (const std::exception& e) {
    Sql2.Close();
    ShowErrorDetail("管理ログリストのマージに失敗しました。", e.what(), uis::MsgKind::Error);
  }
}

void TMyNumberIO::DeleteLog(const TMyNumberLogRec& rec) {
  try {
    TTransactionScope tx(DM->IBTransactionDAT);
    Sql.Close();
    Sql.SQL = "DELETE FROM MYNUMBER_LOG\nWHERE (FHIZUKE=:FHIZUKE) AND (FSERIAL=:FSERIAL) AND (FOPCODE=:FOPCODE)";
    Sql.ParamByName("FHIZUKE").SetDateTime(rec.FHIZUKE);
    Sql.ParamByName("FSERIAL").SetString(rec.FSERIAL);
    Sql.ParamByName("FOPCODE").SetString(rec.FOPCODE);
    Sql.ExecQuery();
    Sql.Close();
  } catch (const std::exception& e) {
    Sql.Close();
    ShowErrorDetail("管理ログリストの削除に失敗しました。", e.what(), uis::MsgKind::Error);
  }
}

void TMyNumberIO::ReadSettings(const std::string& host, const std::string& dbFile, const std::string& request,
                               const std::string& procName) {
  MyNumberUse = 0;
  MyNumberKey.clear();
  MyNumberValue.clear();
  StoredKey.clear();
  StoredValue.clear();
  DataSetFrame frame(host, dbFile, true);
  if (!frame.Ok()) return;
  try {
    TTransactionScope tx(DM->IBTransactionDAT);
    TAccValue v;
    GetAccReg(kGroup, kUse, "整数", v, "0");
    MyNumberUse = v.AsInteger();
    GetAccReg(kGroup, kKey, "文字", v, "");
    StoredKey = v.AsString();
    GetAccReg(kGroup, kValue, "文字", v, "");
    StoredValue = v.AsString();
    // An empty stored text reads back as one blank, which the transform makes empty.
    if (!StoredKey.empty()) MyNumberKey = ProtectReadText(StoredKey);
    if (!StoredValue.empty()) MyNumberValue = ProtectReadText(StoredValue);
    if (ascii::Upper(request) == "MYNUMBER_CLEAR") {
      PutAccReg(kGroup, kUse, "整数", TAccValue(int32_t{0}));
      DeleteAccReg(kGroup, kKey);
      DeleteAccReg(kGroup, kValue);
      MakeLogRec(LogRec, 3, procName.empty() ? std::string("アプリケーション") : procName);
      AddLog(LogRec);
    }
  } catch (const std::exception& e) {
    ShowErrorDetail("マイナンバー情報の取得に失敗しました。", e.what(), uis::MsgKind::Error);
  }
}

void TMyNumberIO::WriteSettings(const std::string& host, const std::string& dbFile) {
  if (MyNumberUse != 1) return;
  DataSetFrame frame(host, dbFile, false);
  if (!frame.Ok()) return;
  // The stored form to write: the one read when it still stands for the object's value
  // (also when the transform cannot read it), else the store form of the value.
  auto storeForm = [](const std::string& value, const std::string& stored) {
    if (!Blank(stored) && ProtectReadText(stored) == value) return stored;
    return ProtectStoreText(value);
  };
  try {
    TTransactionScope tx(DM->IBTransactionDAT);
    PutAccReg(kGroup, kUse, "整数", TAccValue(MyNumberUse));
    if (const std::string s = storeForm(MyNumberKey, StoredKey); !s.empty())
      PutAccReg(kGroup, kKey, "文字", TAccValue(s));
    if (const std::string s = storeForm(MyNumberValue, StoredValue); !s.empty())
      PutAccReg(kGroup, kValue, "文字", TAccValue(s));
  } catch (const std::exception& e) {
    ShowErrorDetail("マイナンバー情報の設定に失敗しました。", e.what(), uis::MsgKind::Error);
  }
  DeleteLog(LogRec);
}
