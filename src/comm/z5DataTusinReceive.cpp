// The data receive: FTP download of the relay folder's archive, decryption, extraction, the
// match checks against the open data and the restore over it; the consolidation settings
// carried over, the data-list row brought up to date, completion request 1830. Also the two
// F5 deletes (1750).
#include <filesystem>

#include "comm/FileCipher.h"
#include "comm/FtpSession.h"
#include "comm/z5DataTusin.h"
#include "comm/z5DataTusinCommon.h"
#include "comm/z5WaitMess.h"
#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "platform/DateTime.h"
#include "platform/Paths.h"
#include "platform/db/IBSQL.h"
#include "platform/db/TransactionScope.h"
#include "ui/PerfectGrid.h"
#include "ui/forms/Application.h"
#include "ui/xAnimeProgressDialog.h"
#include "ui/z5MessageDlg.h"

using namespace forms;
using namespace commmsg;
namespace fs = std::filesystem;

namespace {

constexpr const char* kNoData = "　\r\n選択したフォルダには、データは存在しません。\r\n ";
constexpr const char* kNoConnect = "　\r\nサーバーに接続出来ません。\r\n ";

// The consolidation refusal for an open kind and a received kind; empty when the restore
// may go on.
std::string GassanRefusal(const std::string& open, int received) {
  const char* openName = open == "1" ? "合算データ" : open == "2" ? "合算本支店データ" : nullptr;
  if (!openName) return {};
  const char* receivedName = nullptr;
  if (received == 0) receivedName = "通常データ";
  else if (received == 1 && open == "2") receivedName = "合算データ";
  else if (received == 2 && open == "1") receivedName = "合算本支店データ";
  else if (received == 10) receivedName = "分散データ";
  if (!receivedName) return {};
  return std::string("現在の処理データは、") + openName + "ですが、受信したデータは、" + receivedName +
         "なので、復元出来ません。";
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Receive

// The receive's middle steps, shared by the data and the cash-book receive: the downloaded
// file decrypted into the archive (a wrong key or a damaged file leaves none), the archive
// extracted into the work folder, the step window moved on. The failure's message, or empty.
std::string TfmDataTusin::DecryptAndExtract(const std::string& work, const std::string& wen, const std::string& lzh,
                                            const std::string& fbk, const std::string& key) {
  if (!LocalExists(wen)) return "　\r\n受信ファイルが見つかりません。\r\n ";
  if (!RemoveIfPresent(lzh)) return "旧圧縮ファイルが削除出来ません。";
  try {
    DecryptFile(ResolvePath(wen), ResolvePath(lzh), key);
  } catch (const std::exception&) {
    return "　\r\n暗号解読失敗\r\n ";
  }
  WaitMess->SetStep(WaitMess->CheckBox2, "受信データ暗号解読　終了", TfmWaitMess::Finished);
  WaitMess->SetStep(WaitMess->CheckBox3, "受信データ圧縮解凍　実行中", TfmWaitMess::Running);
  StepWait();

  if (!LocalExists(lzh)) return "　\r\n解読ファイルが見つかりません。\r\n ";
  if (!RemoveIfPresent(fbk)) return "旧復元ファイルが削除出来ません。";
  try {
    if (!ArchiverLoaded) return "　\r\n解凍失敗\r\n ";
    const std::string command = "e \"" + ResolvePath(lzh) + "\" \"" + ResolvePath(work) + "/\"";
    if (Archiver.Unlha(this, command.c_str(), nullptr, 0) != 0) return "　\r\n解凍失敗\r\n ";
  } catch (const std::exception&) {
    return "　\r\n解凍失敗\r\n ";
  }
  WaitMess->SetStep(WaitMess->CheckBox3, "受信データ圧縮解凍　終了", TfmWaitMess::Finished);
  WaitMess->SetStep(WaitMess->CheckBox4, "受信データ復元・照合　実行中", TfmWaitMess::Running);
  StepWait();
  return "";
}

bool TfmDataTusin::ReceiveDataFromRelay() {
  const int row = PerfectGrid1->Row() == TPerfectGrid::kNoRow ? -1 : PerfectGrid1->Row();
  if (row < 0 || TrimZenkaku(PerfectGrid1->CellText(1, row)).empty()) {
    Say(uis::MsgKind::Information, kNoData, uis::Buttons::Yes);
    return true;
  }
  const TRelayFolder folder = RelayInfo.Folders.at(row);
  if (folder.FolderPassword != AccInf.PASWORD) {
    Say(uis::MsgKind::Warning, "　\r\n選択したデータと現在利用中のデータではパスワードが一致しません。\r\n ", uis::Buttons::Yes);
    return true;
  }
  if (!Ask("　\r\n受信処理を開始します。現在利用中のデータが中継サーバーのデータで上書きされます。実行しますか？\r\n "))
    return true;

  repaint();
  F12->SetEnabled(false);
  F5->SetEnabled(false);
  Screen().SetCursor(crHourGlass);
  if (ConnectMode == 0) {
    GassanKubun.clear();
    GassanCount.clear();
    ReadGassanKubun();
  }
  const std::string work = ExcludePathDelim(SystemDef.WorkDir) + "/ComR";
  const std::string wen = work + "/qvacc.wen";
  const std::string lzh = work + "/qvacc.lzh";
  const std::string fbk = work + "/" + BackupFileName;
  OpenChainSteps({"中継サーバーからデータ受信", "受信データ暗号解読", "受信データ圧縮解凍", "受信データ復元・照合"});
  TChainCleanup cleanup{this, work, true};
  auto fail = [](const std::string& text, uis::Buttons buttons = uis::Buttons::Yes,
                 uis::MsgKind kind = uis::MsgKind::Error) {
    Say(kind, text, buttons);
    return true;
  };

  if (!ForceDirectory(work)) return fail("　\r\n受信用フォルダの作成に失敗しました。\r\n ");
  if (!RemoveIfPresent(wen)) return fail("旧ワークファイルが削除出来ません。");

  // Download.
  {
    const std::string remote = "/" + TwoDigits(row + 1) + "/qvacc.wen";
    TFtpSession ftp(Config, RelayInfo.FtpHost, AccInf.WEB_HOLDER, RelayInfo.FtpPassword);
    const std::int64_t size = ftp.Size(remote);
    if (size < 0 && IsFtpConnectFailure(ftp.LastError())) {
      ftp.Close();
      return fail("　\r\nサーバーの接続に失敗しました。\r\n ", uis::Buttons::Ok);
    }
    if (size < 1) {
      ftp.Close();
      return fail("　\r\nダウンロードファイルが見つかりません。\r\n ", uis::Buttons::Ok, uis::MsgKind::Warning);
    }
    if (!ftp.Retrieve(remote, ResolvePath(wen))) {
      ftp.Close();
      return fail("　\r\nデータの受信に失敗しました。\r\n ", uis::Buttons::Ok);
    }
    ftp.Close();
  }
  WaitMess->SetStep(WaitMess->CheckBox1, "中継サーバーからデータ受信　終了", TfmWaitMess::Finished);
  WaitMess->SetStep(WaitMess->CheckBox2, "受信データ暗号解読　実行中", TfmWaitMess::Running);
  StepWait();

  if (const std::string failure = DecryptAndExtract(work, wen, lzh, fbk, CommFileKey(AccInf.PASWORD)); !failure.empty())
    return fail(failure);
  if (!LocalExists(fbk)) return fail("　\r\n解凍ファイルが見つかりません。\r\n ");
  if (!RestoreReceivedData()) return true;
  WaitMess->SetStep(WaitMess->CheckBox4, "受信データ復元　終了", TfmWaitMess::Finished);
  StepWait();
  activateWindow();

  // The open data's consolidation kind goes on with the received data.
  if (ConnectMode != 0) {
    GassanKubun = "0";
    GassanCount = "0";
    WriteGassanKubun();
  } else if (GassanKubun == "1" || GassanKubun == "2" || GassanKubun == "10") {
    WriteGassanKubun();
  } else if (GassanKubun == "0") {
    ReadGassanKubun();
    if (GassanKubun == "10") {
      GassanKubun = "0";
      GassanCount = "0";
      WriteGassanKubun();
    }
  }
  if (DM && DM->IBTransactionDEF.InTransaction()) DM->IBTransactionDEF.Commit();
  FreeWaitMess();

  // Completion.
  const TRelayResult r = SendRelayCompletion(
      Config, kScodeCollected,
      CollectedRequest(Config.RelayHost, RelayInfo.InstallationId.empty() ? Config.InstallationId : RelayInfo.InstallationId,
                       Account(), row + 1));
  if (r.outcome == TRelayResult::ConnectFailure) return fail("　\r\nサーバーに接続出来ません。(完了処理)\r\n ", uis::Buttons::Ok);
  if (!r.ok()) {
    if (!r.status.empty()) return fail(RelayFailureMessage(kScodeCollected, r), uis::Buttons::Ok);
    return fail("　\r\n受信完了処理エラー\r\n ", uis::Buttons::Ok);
  }
  TRelayFolder& f = RelayInfo.Folders.at(row);
  f.ReceivedTimeText = CommTimeDisplay(r.time);
  f.ReceivedTime = r.time.size() >= 12 ? r.time.substr(0, 4) + "/" + r.time.substr(4, 2) + "/" + r.time.substr(6, 2) + " " +
                                             r.time.substr(8, 2) + ":" + r.time.substr(10, 2)
                                       : r.time;
  PerfectGrid1->SetCellText(5, row, f.ReceivedTimeText);
  Say(uis::MsgKind::Information, "　\r\nデータ受信処理が終了しました。\r\n ", uis::Buttons::Yes);
  return false;
}

// ---------------------------------------------------------------------------------------
// Restore

bool TfmDataTusin::RestoreReceivedData() {
  if (SyoriType == 2 && PerfectGrid1->Row() == TPerfectGrid::kNoRow) return false;
  const std::string work = ExcludePathDelim(SystemDef.WorkDir) + "/ComR";
  const std::string received = work + "/" + BackupFileName;
  if (!LocalExists(received)) {
    Say(uis::MsgKind::Information, "この場所には、バックアップファイル(" + BackupFileName + ")がありませんでした。\r",
        uis::Buttons::Yes);
    return false;
  }
  const std::string temp = ExcludePathDelim(SystemDef.TempDir);
  ForceDirectory(temp);
  for (const char* name : {"qvacc.fbk", "qvacc.fdb", "qvacc.ini"})
    if (DM->FExist(temp + "/" + name, 0)) DM->FDel(temp + "/" + name, 0);
  const std::string copy = temp + "/" + BackupFileName;
  if (!DM->FCopy(received, copy, 0)) {
    Say(uis::MsgKind::Information, "ワーク領域にファイルをコピー出来なかったため、復元処理は失敗しました。", uis::Buttons::Yes);
    return false;
  }
  TBackupRestoreThread trailer(true);
  const bool hasTrailer = trailer.ReadBackupInfo(ResolvePath(copy), true);

  const std::string folder = SystemDef.DataDir;
  bool refused = false;
  uis::Ui().ProgressShow("照合チェック", "照合チェック中、しばらくお待ちください…");
  struct ProgressGuard {
    ~ProgressGuard() { uis::Ui().ProgressClose(); }
  } progress;
  if (DM->FExist(ExcludePathDelim(folder) + "/qvacc.fdb", ConnectMode)) {
    if (!hasTrailer) {
      TBackupRestoreThread trial(true);
      trial.CallerName = "TfmDataTusin";
      trial.Mode = 1;
      trial.Host = "127.0.0.1";
      trial.DbFile = temp + "/qvacc.fdb";
      trial.BackupFile = copy;
      trial.ActivateIndexes = 0;
      trial.Confirm = 0;
      if (!RunThread(trial)) {
        Say(uis::MsgKind::Warning, trial.ErrorMessage1 + "\r" + trial.ErrorMessage2, uis::Buttons::Yes);
        refused = true;
      } else {
        refused = !CheckRestoredMatch("復元", SystemDef.HostName, folder, temp);
      }
    } else if (SyoriType == 2) {
      TDataInfomationRec source;
      DataInfo.InitDataInfoRec(source);
      source.SHOUGOU = trailer.SHOUGOU;
      source.KISHU = trailer.KISHU;
      source.KIMATU = trailer.KIMATU;
      source.SIWAKE = trailer.SIWAKE;
      source.TOTALSIWAKE = trailer.TOTALSIWAKE;
      source.VERSION2 = trailer.DATAVARSION;
      source.USEMYNUMBER = trailer.USEMYNUMBER;
      const std::string refusal = GassanRefusal(GassanKubun, trailer.GASSAN);
      if (!refusal.empty()) {
        Say(uis::MsgKind::Warning, refusal, uis::Buttons::Yes);
        refused = true;
      } else {
        refused = !CheckTrailerMatch("復元", source, folder);
      }
    }
  }
  if (refused) return false;

  // The restore replaces the file: nothing of this program may stay attached to it. The
  // data module's connection comes back when the dialog closes.
  uis::Ui().ProgressText("復元中、しばらくお待ちください…");
  if (IBDatabaseOwn.Connected()) IBDatabaseOwn.Close();
  if (SyoriType == 2 && DM->IBDatabaseDAT.Connected()) {
    if (IBTransactionDAT.InTransaction()) IBTransactionDAT.Rollback();
    DM->AccDatDisconnect(folder, false, false);
  }
  if (!DM->DExist(folder, ConnectMode)) DM->MkDir(folder, ConnectMode);
  SetDataStatus(folder, 5);
  bool restored = false;
  {
    TBackupRestoreThread t(true);
    t.CallerName = "TfmDataTusin";
    t.Mode = 1;
    t.Confirm = 0;
    t.AskMyNumber = 0;
    t.LogMyNumber = 1;
    t.USEMYNUMBER = trailer.USEMYNUMBER;
    t.Remote = ConnectMode != 0 ? 1 : 0;
    t.ActivateIndexes = 1;
    t.BackupFile = copy;
    if (SyoriType == 2) {
      t.Host = SystemDef.HostName;
      t.DbFile = ExcludePathDelim(folder) + "/qvacc.fdb";
    } else {
      t.Host = "127.0.0.1";
      t.DbFile = temp + "/qvacc.fdb";
    }
    restored = RunThread(t);
    if (!restored) Say(uis::MsgKind::Warning, t.ErrorMessage1 + "\r" + t.ErrorMessage2, uis::Buttons::Yes);
  }
  if (restored && SyoriType == 2) {
    TDataInfomationRec info;
    DataInfo.InitDataInfoRec(info);
    DataInfo.GetDataInfoOfFolder(folder, info);
    DataInfo.UpdateDataInfomation(SystemDef.HostName, folder, info);
    if (DataRows.empty()) DataRows.resize(1);
    TDataSentakuRec& r0 = DataRows[0];
    r0.ENTTEXT = info.DATALISTNAME.empty() ? info.SHOUGOU : info.DATALISTNAME;
    r0.PASNAME = folder;
    r0.NENDO = info.NENDO;
    TDateTime d = 0;
    r0.KISHU = TryStrToDate(info.KISHU, d) ? d : 0;
    r0.KIMATU = TryStrToDate(info.KIMATU, d) ? d : 0;
    r0.VER_MAJOR = info.MAJOR;
    r0.VER_MINOR1 = info.MINOR1;
    r0.VER_MINOR2 = info.MINOR2;
    r0.VER_TEXT = info.VERSION2;
    UpdateDataListRecord(0);
  }
  SetDataStatus(folder, 1);
  if (SyoriType == 2) show();
  if (restored) Success = 1;
  else Say(uis::MsgKind::Error, "データの復元に失敗しました。\r復元処理を中止しました。", uis::Buttons::Yes);
  return restored;
}

bool TfmDataTusin::CheckRestoredMatch(const std::string& Op, const std::string& Host, const std::string& Target,
                                      const std::string& Source) {
  if (TrimZenkaku(Source).empty()) {
    Say(uis::MsgKind::Warning, Op + "処理元のデータパスが不正です。\r", uis::Buttons::Yes);
    return false;
  }
  if (TrimZenkaku(Target).empty()) {
    Say(uis::MsgKind::Warning, Op + "処理先のデータパスが不正です。\r", uis::Buttons::Yes);
    return false;
  }
  if (!DM->DExist(Target, ConnectMode)) {
    DM->MkDir(Target, ConnectMode);
    return true;
  }
  if (!DM->FExist(ExcludePathDelim(Target) + "/qvacc.fdb", ConnectMode)) return true;
  TDataInfomationRec target, source;
  DataInfo.InitDataInfoRec(target);
  DataInfo.InitDataInfoRec(source);
  DataInfo.RefreshIniFile(Target, "DATAINFO");
  DataInfo.ReadDataInfo(Target, target);
  DataInfo.ReadIniFile(Host, Source, source);
  return CheckDataMatch(Op, source, target);
}

bool TfmDataTusin::CheckTrailerMatch(const std::string& Op, const TDataInfomationRec& Source, const std::string& Target) {
  if (TrimZenkaku(Target).empty()) {
    Say(uis::MsgKind::Warning, Op + "処理先のデータパスが不正です。\r", uis::Buttons::Yes);
    return false;
  }
  if (!DM->DExist(Target, ConnectMode)) {
    DM->MkDir(Target, ConnectMode);
    return true;
  }
  if (!DM->FExist(ExcludePathDelim(Target) + "/qvacc.fdb", ConnectMode)) return true;
  TDataInfomationRec target;
  DataInfo.InitDataInfoRec(target);
  DataInfo.RefreshIniFile(Target, "DATAINFO");
  DataInfo.ReadDataInfo(Target, target);
  return CheckDataMatch(Op, Source, target);
}

bool TfmDataTusin::CheckDataMatch(const std::string& Op, const TDataInfomationRec& Source, const TDataInfomationRec& Target) {
  auto blank = [](const TDataInfomationRec& i) { return i.SHOUGOU.empty() && i.KISHU.empty() && i.KIMATU.empty(); };
  if (blank(Source)) {
    Say(uis::MsgKind::Warning, Op + "処理元のデータ情報が不正です。\r", uis::Buttons::Yes);
    return false;
  }
  if (blank(Target)) {
    Say(uis::MsgKind::Warning, Op + "処理先のデータ情報が不正です。\r", uis::Buttons::Yes);
    return false;
  }
  std::vector<std::string> lines;
  const std::string from = "　【" + Op + "元】：";
  const std::string to = "　【" + Op + "先】：";
  auto date = [](const std::string& text) {
    if (!SystemDef.R4Bit10) return text;
    TDateTime d = 0;
    return TryStrToDate(text, d) ? FormatDateStyle("yy/mm/dd", 2, d) : text;
  };
  if (Source.SHOUGOU != Target.SHOUGOU) lines.insert(lines.end(), {"会社名に違いがありました。", from + Source.SHOUGOU, to + Target.SHOUGOU, ""});
  if (Source.KISHU != Target.KISHU)
    lines.insert(lines.end(), {"期首に違いがありました。", from + date(Source.KISHU), to + date(Target.KISHU), ""});
  if (Source.KIMATU != Target.KIMATU)
    lines.insert(lines.end(), {"期末に違いがありました。", from + date(Source.KIMATU), to + date(Target.KIMATU), ""});
  if (Source.TOTALSIWAKE < Target.TOTALSIWAKE)
    lines.insert(lines.end(), {"仕訳件数(修正・削除仕訳含む)が減っています。", from + FormatAmount(Source.TOTALSIWAKE) + " 件",
                               to + FormatAmount(Target.TOTALSIWAKE) + " 件", ""});
  if (lines.empty()) return true;
  uis::Ui().ProgressClose();
  TMessageInfoRec info;
  InitMessageInfo(info);
  info.Kind = 2;
  info.Caption = "データ照合チェックの結果";
  info.Message = "以下の項目に違いが検出されました。";
  info.MessageColor = 255;
  info.Lines = lines;
  info.AgreeCaption = "データ" + Op + "処理の続行に同意します。";
  return ShowMessageBox(info) == mrOk;
}

// ---------------------------------------------------------------------------------------
// Consolidation settings of the open data, on the form's own connection

bool TfmDataTusin::ConnectOwn() {
  try {
    if (IBDatabaseOwn.Connected()) IBDatabaseOwn.Close();
    IBDatabaseOwn.DatabaseName =
        TDM::DatabaseName(ConnectMode, SystemDef.HostName, ExcludePathDelim(SystemDef.DataDir), "qvacc.fdb");
    IBDatabaseOwn.Params = TDM::ConnectParams();
    IBDatabaseOwn.Open();
    return true;
  } catch (const EIBError& e) {
    ReportDbError(e, "Bunsan DatConnected",
                  "ユーザーデータベースの接続処理に失敗しました。\rDBファイルが削除、破損 または 使用中の可能性がありますので接続パスを確認して下さい。",
                  true);
  } catch (const std::exception& e) {
    ReportFailure(e, "Bunsan DatConnected",
                  "ユーザーデータベースの接続処理に失敗しました。\rDBファイルが削除、破損 または 使用中の可能性がありますので接続パスを確認して下さい。",
                  true);
  }
  return false;
}

int32_t TfmDataTusin::ReadGassanKubun() {
  if (!ConnectOwn()) return 1;
  TIBTransaction tr;
  tr.SetDefaultDatabase(&IBDatabaseOwn);
  tr.Params = {"read_committed", "rec_version", "nowait"};
  try {
    TTransactionScope tx(tr, TTransactionScope::End::Commit);
    TIBSQL q;
    q.SetDatabase(&IBDatabaseOwn);
    q.SetTransaction(&tr);
    q.SQL = "SELECT * FROM ACCREG WHERE AGROUP=:AGROUP and ACODE=:ACODE";
    auto read = [&q](const char* code) {
      q.ParamByName("AGROUP").SetString("基本設定");
      q.ParamByName("ACODE").SetString(code);
      q.ExecQuery();
      std::string text = q.Eof() ? std::string() : q.FieldByName("ATEXT").AsString();
      q.Close();
      return text;
    };
    GassanKubun = read("合算データ区分");
    GassanCount = read("合算データ数");
  } catch (const EIBError& e) {
    ReportDbError(e, "ACCREG", "基本情報の取得に失敗しました。\r", true);
  } catch (const std::exception& e) {
    ReportFailure(e, "ACCREG", "基本情報の取得に失敗しました。\r", true);
  }
  IBDatabaseOwn.Close();
  return 1;
}

int32_t TfmDataTusin::WriteGassanKubun() {
  if (!ConnectOwn()) return 1;
  TIBTransaction tr;
  tr.SetDefaultDatabase(&IBDatabaseOwn);
  tr.Params = {"read_committed", "rec_version", "nowait"};
  try {
    TTransactionScope tx(tr);
    TIBSQL q;
    q.SetDatabase(&IBDatabaseOwn);
    q.SetTransaction(&tr);
    q.SQL = "UPDATE ACCREG SET ATEXT=:ATEXT WHERE (AGROUP=:AGROUP) AND (ACODE=:ACODE)";
    for (const auto& [code, text] : {std::pair<const char*, std::string>{"合算データ区分", GassanKubun},
                                     std::pair<const char*, std::string>{"合算データ数", GassanCount}}) {
      q.ParamByName("ATEXT").SetString(text);
      q.ParamByName("AGROUP").SetString("基本設定");
      q.ParamByName("ACODE").SetString(code);
      q.ExecQuery();
    }
  } catch (const EIBError& e) {
    ReportDbError(e, "ACCREG", "基本情報の取得に失敗しました。\r", true);
  } catch (const std::exception& e) {
    ReportFailure(e, "ACCREG", "基本情報の取得に失敗しました。\r", true);
  }
  IBDatabaseOwn.Close();
  return 1;
}

// ---------------------------------------------------------------------------------------
// Data list

void TfmDataTusin::UpdateDataListRecord(int Index) {
  const TDataSentakuRec& row = DataRows.at(Index);
  const std::string folder = ExcludePathDelim(TrimZenkaku(row.PASNAME));
  if (folder.empty()) throw std::runtime_error("データフォルダパスが不正です。\r処理を中止します。");
  TIBTransaction& tr = DM->IBTransactionDEF;
  TIBSQL q;
  q.SetDatabase(&DM->IBDatabaseDEF);
  q.SetTransaction(&tr);
  const std::string set =
      " SET ENTTEXT=:ENTTEXT, NENDO=:NENDO, KISHU=:KISHU, KIMATU=:KIMATU, VER_MAJOR=:VER_MAJOR,"
      " VER_MINOR1=:VER_MINOR1, VER_MINOR2=:VER_MINOR2, VER_TEXT=:VER_TEXT";
  auto values = [&] {
    q.ParamByName("ENTTEXT").SetString(row.ENTTEXT);
    q.ParamByName("NENDO").SetInteger(row.NENDO);
    q.ParamByName("KISHU").SetDate(row.KISHU);
    q.ParamByName("KIMATU").SetDate(row.KIMATU);
    q.ParamByName("VER_MAJOR").SetInteger(row.VER_MAJOR);
    q.ParamByName("VER_MINOR1").SetInteger(row.VER_MINOR1);
    q.ParamByName("VER_MINOR2").SetInteger(row.VER_MINOR2);
    q.ParamByName("VER_TEXT").SetString(row.VER_TEXT);
  };
  // The last path element of a data folder is its data number (four digits); a child of
  // distributed data adds a two- or three-character element below its parent's.
  auto number = [](const std::string& text, int32_t& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoi(text);
    return true;
  };
  const auto slash = folder.rfind('/');
  const std::string last = slash == std::string::npos ? folder : folder.substr(slash + 1);
  try {
    TTransactionScope tx(tr);
    if (ConnectMode != 0) {
      q.SQL = std::string(SystemDef.DataPlaceRec == 0 ? "UPDATE DATALIST" : "UPDATE DATALIST_EX") + set +
              " WHERE PASNAME=:PASNAME";
      values();
      q.ParamByName("PASNAME").SetString(folder);
      q.ExecQuery();
    } else if (GassanKubun != "10") {
      int32_t rec = 0;
      if (last.size() < 4 || !number(last.substr(last.size() - 4), rec)) {
        Say(uis::MsgKind::Error, "データフォルダ（" + folder + "）がデータ番号で終わっていないため、データリストを更新出来ません。",
            uis::Buttons::Yes);
        return;
      }
      q.SQL = "UPDATE DATALIST" + set + " WHERE REC=:REC";
      values();
      q.ParamByName("REC").SetInteger(rec);
      q.ExecQuery();
    } else {
      const std::string parentPath = slash == std::string::npos ? std::string() : folder.substr(0, slash);
      const auto pslash = parentPath.rfind('/');
      const std::string parent = pslash == std::string::npos ? parentPath : parentPath.substr(pslash + 1);
      int32_t rec = 0;
      if ((last.size() != 2 && last.size() != 3) || parent.size() < 4 || !number(parent.substr(parent.size() - 4), rec)) {
        Say(uis::MsgKind::Error, "C_DATALISTが更新出来ません。(1)", uis::Buttons::Yes);
        return;
      }
      TIBSQL find;
      find.SetDatabase(&DM->IBDatabaseDEF);
      find.SetTransaction(&tr);
      find.SQL = "SELECT * FROM Child_DATALIST WHERE (REC=:REC) and (PASNAME LIKE :PASNAME)";
      find.ParamByName("REC").SetInteger(rec);
      find.ParamByName("PASNAME").SetString("%" + last);
      find.ExecQuery();
      if (find.Eof()) {
        find.Close();
        Say(uis::MsgKind::Error, "C_DATALISTが更新出来ません。(2)", uis::Buttons::Yes);
        return;
      }
      const int32_t rowNo = find.FieldByName("ROWNO").AsInteger();
      find.Close();
      q.SQL = "UPDATE Child_DATALIST" + set + " WHERE (REC=:REC) and (ROWNO=:ROWNO) and (GROUPID=:GROUPID)";
      values();
      q.ParamByName("REC").SetInteger(rec);
      q.ParamByName("ROWNO").SetInteger(rowNo);
      q.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
      q.ExecQuery();
    }
  } catch (const EIBError& e) {
    ReportDbError(e, "TDataSentakuBox.UpdateDataListRecord", "", true);
    throw;
  }
}

// ---------------------------------------------------------------------------------------
// Deleting a relay folder's data

namespace {

// Sends 1750 for the folder under a progress window; true on "000" (failures shown).
bool DeleteFolderOnRelay(TfmDataTusin& form, const TRelayAccount& account, int folderNo) {
  TxAnimeProgressDialog progress(&form);
  progress.SetCaption("削除中");
  progress.SetInfoLabel("データ削除中…");
  progress.SetAviFile(ExcludePathDelim(SystemDef.ExeDir) + "/progress.avi");
  progress.SetCancelBtnShow(false);
  progress.Show(&form);
  const std::string id =
      form.RelayInfo.InstallationId.empty() ? form.Config.InstallationId : form.RelayInfo.InstallationId;
  const TRelayResult r =
      SendRelayCompletion(form.Config, kScodeDeleteFolder, DeleteFolderRequest(form.Config.RelayHost, id, account, folderNo));
  progress.Close();
  Screen().SetCursor(crDefault);
  if (r.ok()) return true;
  if (r.outcome == TRelayResult::ConnectFailure) Say(uis::MsgKind::Error, kNoConnect, uis::Buttons::Ok);
  else Say(uis::MsgKind::Error, RelayFailureMessage(kScodeDeleteFolder, r), uis::Buttons::Ok);
  return false;
}

}  // namespace

int32_t TfmDataTusin::DeleteRelayFolder() {
  const int row = PerfectGrid1->Row() == TPerfectGrid::kNoRow ? -1 : PerfectGrid1->Row();
  if (row < 0 || TrimZenkaku(PerfectGrid1->CellText(1, row)).empty()) {
    Say(uis::MsgKind::Information, kNoData, uis::Buttons::Yes);
    return 1;
  }
  if (!Ask("　\r\n選択した中継サーバーのデータを削除します。実行しますか？\r\n ")) return 1;
  if (DeleteFolderOnRelay(*this, Account(), row + 1)) {
    ClearRow(row);
    activateWindow();
    Say(uis::MsgKind::Information, "　\r\n中継サーバーのデータを削除しました。\r\n ", uis::Buttons::Yes);
  }
  return 1;
}

int32_t TfmDataTusin::DeleteCashBookFolder(int Index) {
  if (Index < 0 || Index > 2) return 1;
  if (SyoriType == 8 && TrimZenkaku(PerfectGrid1->CellText(1, Index)).empty()) {
    Say(uis::MsgKind::Information, kNoData, uis::Buttons::Yes);
    return 1;
  }
  if (DeleteFolderOnRelay(*this, Account(), Index + 1) && SyoriType == 8) {
    ClearRow(Index);
    activateWindow();
    Say(uis::MsgKind::Information, "　\r\n中継サーバーのデータを削除しました。\r\n ", uis::Buttons::Yes);
  }
  return 1;
}
