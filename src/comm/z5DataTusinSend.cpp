// The data send: backup with trailer, LHA pack and check, encryption, FTP upload into the
// relay folder, completion request 1820, and the cloud dump when the company asks for it.
#include <filesystem>
#include <memory>

#include "comm/FileCipher.h"
#include "comm/FtpSession.h"
#include "comm/z5DataTusin.h"
#include <curl/curl.h>
#include "comm/z5DataTusinCommon.h"
#include "comm/z5WaitMess.h"
#include "comm/z5WebVelkoranDataDump.h"
#include "data/DataModule.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "platform/DateTime.h"
#include "platform/Paths.h"
#include "ui/PerfectGrid.h"
#include "ui/forms/Application.h"

using namespace forms;
using namespace commmsg;
namespace fs = std::filesystem;

namespace {

constexpr const char* kAntivirus =
    "送信処理に失敗しました。ウイルス対策ソフトを実行中の場合は、終了してから再度送信を行ってください。";

// "yyyymmddhhnn" as "yyyy/mm/dd hh:nn".
std::string WireTimeText(const std::string& t) {
  if (t.size() < 12) return t;
  return t.substr(0, 4) + "/" + t.substr(4, 2) + "/" + t.substr(6, 2) + " " + t.substr(8, 2) + ":" + t.substr(10, 2);
}

}  // namespace

bool IsFtpConnectFailure(const std::string& error) {
  for (CURLcode c : {CURLE_COULDNT_CONNECT, CURLE_COULDNT_RESOLVE_HOST, CURLE_LOGIN_DENIED, CURLE_OPERATION_TIMEDOUT,
                     CURLE_WEIRD_SERVER_REPLY, CURLE_GOT_NOTHING, CURLE_RECV_ERROR, CURLE_SEND_ERROR})
    if (error == curl_easy_strerror(c)) return true;
  return false;
}

// The display form of a completion reply's time (era form with the era-display setting).
std::string CommTimeDisplay(const std::string& wire) {
  const std::string text = WireTimeText(wire);
  if (!SystemDef.R4Bit10) return text;
  TDateTime d = 0;
  if (!TryStrToDate(text.substr(0, 10), d)) return text;
  return FormatDateStyle("yy/mm/dd", 2, d) + " " + text.substr(11);
}

TRelayUpload UploadToRelayFolder(const TCommConfig& config, const std::string& host, const std::string& user,
                                 const std::string& password, const std::string& localFile, int folderNo,
                                 const std::function<void()>& afterStore) {
  std::error_code ec;
  const auto localSize = static_cast<std::int64_t>(fs::file_size(localFile, ec));
  if (ec) return TRelayUpload::Failed;
  const std::string dir = "/" + TwoDigits(folderNo);
  const std::string remote = dir + "/qvacc.wen";
  const std::string backup = dir + "/qvacc.wenbak";
  TFtpSession ftp(config, host, user, password);
  if (!ftp.Login()) {
    ftp.Close();
    return TRelayUpload::NoConnection;
  }
  if (!ftp.CanEnter(dir)) {
    ftp.Close();
    return TRelayUpload::NoFolder;
  }
  bool movedAside = false;
  if (ftp.Size(remote) > 0) {
    // A server that refuses to rename over an existing file would otherwise fail every
    // second upload into a used folder.
    if (ftp.Size(backup) >= 0) ftp.Delete(backup);
    if (!ftp.Rename(remote, backup)) {
      ftp.Close();
      return TRelayUpload::Failed;
    }
    movedAside = true;
  }
  // After a failed or short upload the previous deposit goes back in place.
  auto restorePrevious = [&] {
    if (ftp.Size(remote) > 0) ftp.Delete(remote);
    if (movedAside && ftp.Size(backup) > 0) ftp.Rename(backup, remote);
    ftp.Close();
  };
  if (!ftp.Store(localFile, remote)) {
    restorePrevious();
    return TRelayUpload::Failed;
  }
  if (afterStore) afterStore();
  if (ftp.Size(remote) != localSize) {
    restorePrevious();
    return TRelayUpload::SizeMismatch;
  }
  ftp.Close();
  return TRelayUpload::Stored;
}

void SayUploadFailure(TRelayUpload result) {
  switch (result) {
    case TRelayUpload::Stored: return;
    case TRelayUpload::NoConnection: Say(uis::MsgKind::Error, "　\r\nサーバーの接続に失敗しました。\r\n ", uis::Buttons::Ok); return;
    case TRelayUpload::NoFolder: Say(uis::MsgKind::Error, "　\r\n転送先のディレクトリが存在しません。\r\n ", uis::Buttons::Ok); return;
    case TRelayUpload::Failed: Say(uis::MsgKind::Error, "　\r\nデータの送信に失敗しました。\r\n ", uis::Buttons::Ok); return;
    case TRelayUpload::SizeMismatch: Say(uis::MsgKind::Error, kAntivirus, uis::Buttons::Yes); return;
  }
}

bool TfmDataTusin::SendDataToRelay() {
  const int row = std::max(0, PerfectGrid1->Row() == TPerfectGrid::kNoRow ? 0 : PerfectGrid1->Row());
  const int folderNo = row + 1;
  if (!Ask("　\r\n中継サーバーの No." + std::to_string(folderNo) + " フォルダに、現在利用中のデータを送信します。実行しますか？\r\n "))
    return true;

  repaint();
  Screen().SetCursor(crHourGlass);
  const std::string work = ExcludePathDelim(SystemDef.WorkDir) + "/ComS";
  const std::string fbk = work + "/" + BackupFileName;
  const std::string lzh = work + "/qvacc.lzh";
  const std::string wen = work + "/qvacc.wen";
  OpenChainSteps({"送信用データ保存", "送信用データ圧縮", "送信用データ暗号化", "中継サーバーへデータ送信"},
                 CloudKind == 1 ? "経営Velkoranクラウドへデータ送信" : nullptr);
  TChainCleanup cleanup{this, work};
  auto fail = [](const std::string& text, uis::Buttons buttons = uis::Buttons::Yes) {
    Say(uis::MsgKind::Error, text, buttons);
    return true;
  };

  if (!ForceDirectory(work)) return fail("送信用フォルダの作成に失敗しました。");
  if (!RemoveIfPresent(fbk)) return fail("旧バックアップファイルが削除出来ません。");
  if (!SaveSendData(true)) return true;
  WaitMess->SetStep(WaitMess->CheckBox1, "送信用データ保存　終了", TfmWaitMess::Finished);
  WaitMess->SetStep(WaitMess->CheckBox2, "送信用データ圧縮　実行中", TfmWaitMess::Running);
  StepWait();

  // Pack and check.
  try {
    if (!RemoveIfPresent(lzh)) return fail("旧圧縮ファイルが削除出来ません。");
    if (!LocalExists(fbk)) return fail("　\r\nバックアップファイルが見つかりません。\r\n ");
    if (!ArchiverLoaded) return fail("圧縮エラー");
    const std::string command = "a \"" + ResolvePath(lzh) + "\" \"" + ResolvePath(fbk) + "\"";
    if (Archiver.Unlha(this, command.c_str(), nullptr, 0) != 0) return fail("圧縮エラー");
    StepWait();
    if (LocalExists(lzh) && !Archiver.UnlhaCheckArchive(ResolvePath(lzh).c_str(), 2)) return fail(kAntivirus);
  } catch (const std::exception&) {
    return fail("圧縮失敗");
  }
  WaitMess->SetStep(WaitMess->CheckBox2, "送信用データ圧縮　終了", TfmWaitMess::Finished);
  WaitMess->SetStep(WaitMess->CheckBox3, "送信用データ暗号化　実行中", TfmWaitMess::Running);

  // Encrypt.
  if (!LocalExists(lzh)) return fail("　\r\n圧縮ファイルが見つかりません。\r\n ");
  if (!RemoveIfPresent(wen)) return fail("旧ワークファイルが削除出来ません。");
  try {
    EncryptFile(ResolvePath(lzh), ResolvePath(wen), CommFileKey(AccInf.PASWORD));
  } catch (const std::exception&) {
    return fail("　\r\n暗号失敗\r\n ");
  }
  if (!LocalExists(wen)) return fail("　\r\n暗号失敗\r\n ");
  WaitMess->SetStep(WaitMess->CheckBox3, "送信用データ暗号化　終了", TfmWaitMess::Finished);
  WaitMess->SetStep(WaitMess->CheckBox4, "中継サーバーへデータ送信　実行中", TfmWaitMess::Running);
  StepWait();

  // Upload. The previous deposit stays as qvacc.wenbak until the new file is complete.
  if (!LocalExists(wen)) return fail("　\r\n暗号化ファイルが見つかりません。\r\n ");
  const TRelayUpload upload = UploadToRelayFolder(Config, RelayInfo.FtpHost, AccInf.WEB_HOLDER, RelayInfo.FtpPassword,
                                                  ResolvePath(wen), folderNo, [this] { StepWait(); });
  if (upload != TRelayUpload::Stored) {
    SayUploadFailure(upload);
    return true;
  }

  // Completion.
  TRelayDeposit deposit;
  deposit.FolderNo = folderNo;
  deposit.Name = AccInf.ENTTEXT;
  deposit.Term = AccInf.NENDO;
  deposit.PeriodStart = AccInf.KISHU;
  deposit.PeriodEnd = AccInf.KIMATU;
  deposit.VerMajor = AccInf.VerMajor;
  deposit.VerMinor = AccInf.VerMinor1;
  const TRelayResult r = SendRelayCompletion(
      Config, kScodeDataDeposit,
      DepositRequest(Config.RelayHost, kScodeDataDeposit, RelayInfo.InstallationId.empty() ? Config.InstallationId : RelayInfo.InstallationId,
                     Account(), deposit));
  if (r.outcome == TRelayResult::ConnectFailure) return fail("　\r\nサーバーに接続出来ません。(完了処理)\r\n ", uis::Buttons::Ok);
  if (!r.ok()) return fail(RelayFailureMessage(kScodeDataDeposit, r), uis::Buttons::Ok);
  TRelayFolder& f = RelayInfo.Folders.at(row);
  f.SentTime = WireTimeText(r.time);
  f.SentTimeText = CommTimeDisplay(r.time);
  f.ReceivedTime = "-";
  f.ReceivedTimeText = "-";

  // The row as the folder now holds it.
  PerfectGrid1->SetCellText(1, row, AccInf.ENTTEXT);
  PerfectGrid1->SetCellText(2, row, std::to_string(AccInf.NENDO) + "期");
  if (SystemDef.R4Bit10) {
    PerfectGrid1->SetCellText(3, row, FormatDateStyle("yy/mm/dd", 2, AccInf.KISHU) + " ～ " +
                                          FormatDateStyle("yy/mm/dd", 2, AccInf.KIMATU));
  } else {
    PerfectGrid1->SetCellText(3, row, FormatDateTime("yyyy/mm/dd", AccInf.KISHU) + " ～ " +
                                          FormatDateTime("yyyy/mm/dd", AccInf.KIMATU));
  }
  PerfectGrid1->SetCellText(4, row, f.SentTimeText);
  PerfectGrid1->SetCellText(5, row, "-");
  PerfectGrid1->SetCellText(6, row, VersionLabel(AccInf.VerMajor, AccInf.VerMinor1));
  WaitMess->SetStep(WaitMess->CheckBox4, "中継サーバーへデータ送信　終了", TfmWaitMess::Finished);
  if (CloudKind == 1) WaitMess->SetStep(WaitMess->CheckBox5, "経営Velkoranクラウドへデータ送信　実行中", TfmWaitMess::Running);
  StepWait();
  if (CloudKind == 1) {
    if (!SendCloudDump()) return true;
    WaitMess->SetStep(WaitMess->CheckBox5, "経営Velkoranクラウドへデータ送信　終了", TfmWaitMess::Finished);
    StepWait();
  }
  FreeWaitMess();
  EnableWindow(this, true);
  activateWindow();
  Say(uis::MsgKind::Information, "　\r\nデータ送信処理が終了しました。\r\n ", uis::Buttons::Yes);
  return false;
}

bool TfmDataTusin::SaveSendData(bool ShowError) {
  const std::string folder = SystemDef.DataDir;
  SetDataStatus(folder, 4);
  bool saved = false;
  try {
    TBackupRestoreThread t(true);
    t.FreeOnTerminate = false;
    t.CallerName = "TfmDataTusin";
    t.Mode = 0;
    t.Remote = ConnectMode != 0 ? 1 : 0;
    t.Host = SystemDef.HostName;
    t.DbFile = ExcludePathDelim(folder) + "/qvacc.fdb";
    t.BackupFile = ExcludePathDelim(SystemDef.WorkDir) + "/ComS/" + BackupFileName;
    t.ClearBackupInfo();
    t.SHOUGOU = AccInf.SHOUGOU;
    t.KISHU = FormatDateTime("yyyy/mm/dd", AccInf.KISHU);
    t.KIMATU = FormatDateTime("yyyy/mm/dd", AccInf.KIMATU);
    t.SIWAKE = DM->GetYukouSiwakeCount("");
    t.TOTALSIWAKE = DM->GetSiwakeCounts("");
    t.DATAVARSION = std::to_string(AccInf.VerMajor) + "." + std::to_string(AccInf.VerMinor1) + "." +
                    std::to_string(AccInf.VerMinor2);
    t.GASSAN = AccInf.GassanKubun;
    t.USEMYNUMBER = AccInf.MyNumberUse;
    t.WriteInfo = 1;
    t.ActivateIndexes = 1;
    t.Confirm = 0;
    t.AskMyNumber = 0;
    t.LogMyNumber = 1;
    saved = RunThread(t);
    if (!saved) Say(uis::MsgKind::Warning, t.ErrorMessage1 + "\r" + t.ErrorMessage2, uis::Buttons::Yes);
  } catch (...) {
    SetDataStatus(folder, 1);
    throw;
  }
  SetDataStatus(folder, 1);
  if (SyoriType == 1) show();
  if (!saved && ShowError) Say(uis::MsgKind::Error, "データの保存に失敗しました。\r保存処理を中止しました。", uis::Buttons::Yes);
  return saved;
}

bool TfmDataTusin::RunThread(TBackupRestoreThread& t) {
  t.Resume();
  while (!t.IsTerminated()) WaitWithMessages(300);
  return t.Succeeded == 1;
}

bool TfmDataTusin::SendCloudDump() {
  const int row = PerfectGrid1->Row() == TPerfectGrid::kNoRow ? 0 : PerfectGrid1->Row();
  TFtpWebDbSqlDump dump;
  const std::string status = dump.UploadDump(AccInf.WEB_HOLDER, row + 1);
  if (status == "000") return true;
  Say(uis::MsgKind::Error, "経営Velkoranクラウドデータ送信エラー : " + status + " " + TFtpWebDbSqlDump::StatusText(status),
      uis::Buttons::Yes);
  return false;
}
