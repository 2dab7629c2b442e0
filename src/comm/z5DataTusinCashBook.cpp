// The cash-book exchanges: the checks before the relay is asked, the folder rules once the
// three cash-book folders are read, the send chain (marking, backup, pack, encrypt, upload,
// completion 1810, marking) and the receive chain (download, decrypt, extract, restore into
// the work database, import).
#include <exception>
#include <filesystem>

#include "comm/FileCipher.h"
#include "comm/FtpSession.h"
#include "comm/z5CashBookLoader.h"
#include "comm/z5CashBookSender.h"
#include "comm/z5DataTusin.h"
#include "comm/z5DataTusinCommon.h"
#include "comm/z5HikakuMess2.h"
#include "comm/z5WaitMess.h"
#include "data/DataModule.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "platform/DateTime.h"
#include "platform/NamedLock.h"
#include "platform/Paths.h"
#include "ui/forms/Application.h"

using namespace forms;
using namespace commmsg;

namespace {

constexpr const char* kAntivirus =
    "送信処理に失敗しました。ウイルス対策ソフトを実行中の場合は、終了してから再度送信を行ってください。";
constexpr const char* kFinished = "　\r\n送信処理が終了しました。\r\n　";
constexpr const char* kMasterFinished = "　\r\n送信処理が終了しました。\r\n ";
constexpr const char* kWrongPassword = "　\r\nパスワードが違います。\r\n ";

bool IsCashBookSend(int kind) { return kind == 3 || kind == 5 || kind == 7 || kind == 9; }

// The relay folder a send kind writes: 3 "/02", 5 "/03", 7 and 9 "/01".
int SendFolderNo(int kind) { return kind == 3 ? 2 : kind == 5 ? 3 : 1; }

std::string OpenStart() { return FormatDateTime("yyyy/mm/dd", AccInf.KISHU); }

// The date part of a relay or open date text.
std::string Date10(const std::string& text) { return text.substr(0, 10); }

std::string ChainFailureText(bool send, const std::exception& e) {
  return std::string(send ? "送信処理中にエラーになりました。\r\n" : "受信処理中にエラーになりました。\r\n") +
         ExceptionClassName(e) + " error , with message : " + e.what();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Before the relay is asked

bool TfmDataTusin::CashBookPreChecks() {
  const bool consolidated = AccInf.GassanKubun == 1 || AccInf.GassanKubun == 2;
  if ((SyoriType == 3 || SyoriType == 5) && consolidated) {
    Say(uis::MsgKind::Error, "現在選択中のデータは合算データのため、現金出納帳の送信処理は行えません。\r\n ", uis::Buttons::Yes);
    return false;
  }
  if (IsCashBookSend(SyoriType)) {
    // The cash book is being upgraded: its data must not change under it.
    if (NamedLock::Exists(kCashBookVersionUpLock)) return false;
    if (!Ask("  \r\n中継サーバーにデータを送信します。\r\n ")) return false;
  }
  if (SyoriType == 4 && consolidated) {
    Say(uis::MsgKind::Error, "現在選択中のデータは合算データのため、現金出納帳の受信処理は行えません。\r\n ", uis::Buttons::Yes);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// The folder rules

int32_t TfmDataTusin::RunCashBookBranch() {
  const auto& folders = RelayInfo.Folders;
  auto holds = [&](int i) { return !TrimZenkaku(folders[i].CompanyName).empty(); };
  auto sameStart = [&](int i) { return Date10(folders[i].PeriodStart) == Date10(OpenStart()); };
  ReportedFailure = false;

  if (IsCashBookSend(SyoriType)) {
    if (SyoriType == 5) {
      if (holds(0)) {
        Say(uis::MsgKind::Error, "　\r\n受信処理を行ってから、マスター送信して下さい。\r\n ", uis::Buttons::Yes);
        return -1;
      }
      if (holds(2) && !sameStart(2) && ConfirmOverwrite(2) != 1) return -1;
      if (holds(1)) {
        if (!Ask("中継サーバーに現金出納帳データが存在します。\r\nこのままマスター送信をすると、削除されます。続行しますか？")) return -1;
        DeleteCashBookFolder(1);
      }
    } else {
      if (holds(2) && sameStart(2)) {
        Say(uis::MsgKind::Error, "　\r\n中継サーバーに未受信の全データが存在しますので送信できません。\r\n ", uis::Buttons::Yes);
        return -1;
      }
      const int target = SendFolderNo(SyoriType) - 1;
      if (holds(target) && ConfirmOverwrite(target) == -1) return -1;
    }
    TCashBookSend sent = TCashBookSend::Failed;
    try {
      sent = SendCashBook();
    } catch (const std::exception& e) {
      Say(uis::MsgKind::Error, ChainFailureText(true, e), uis::Buttons::Ok);
      return 0;
    }
    if (sent != TCashBookSend::Completed) return 0;
    if (SyoriType != 7) Say(uis::MsgKind::Information, SyoriType == 5 ? kMasterFinished : kFinished, uis::Buttons::Yes);
    return 1;
  }

  // Receive kinds: 4 reads the cash book's journals; 6 and 10 a master before journals.
  int index = -1;
  if (SyoriType == 4) index = holds(0) ? 0 : -1;
  else index = holds(2) ? 2 : holds(1) ? 1 : -1;
  if (index < 0) {
    if (SyoriType != 6) Say(uis::MsgKind::Warning, "　\r\n受信データがありません。\r\n ", uis::Buttons::Yes);
    return 0;
  }
  const TRelayFolder& f = folders[index];
  if (AccInf.TusinPassword[1] != f.FolderPassword) {
    Say(uis::MsgKind::Error, kWrongPassword, uis::Buttons::Yes);
    return -1;
  }
  const bool name = AccInf.SHOUGOU != f.CompanyName;
  const bool period = !sameStart(index);
  if (index == 2) {
    if (period) {
      ShowReceiveNotice(f, false, true, false);
      return -1;
    }
    if (name && !ShowReceiveNotice(f, true, false, true)) return -1;
  } else if (name || period) {
    ShowReceiveNotice(f, name, period, false);
    return -1;
  }

  if ((SyoriType == 4 || SyoriType == 10) && !Ask("　\r\nこれよりデータを受信します。\r\n ")) return 0;
  bool received = false;
  try {
    received = ReceiveCashBook(index);
  } catch (const std::exception& e) {
    Say(uis::MsgKind::Error, ChainFailureText(false, e), uis::Buttons::Ok);
    return 0;
  }
  if (!received) {
    if (!ReportedFailure) Say(uis::MsgKind::Error, "　\r\n受信処理が正常に終了していません。\r\n ", uis::Buttons::Yes);
    return 0;
  }
  DeleteCashBookFolder(index);
  return index == 2 ? 2 : 1;
}

bool TfmDataTusin::ShowReceiveNotice(const TRelayFolder& f, bool name, bool period, bool question) {
  auto* notice = CreateForm<TfmHikakuMess2>(this);
  bool yes = false;
  try {
    if (question) {
      notice->Label1->SetCaption("商号が違いますが、受信を続行しますか？");
      notice->Label2->SetCaption("");
    } else {
      notice->Label1->SetCaption("中継サーバーのデータと下記相違点があるため受信出来ません。");
      notice->Label2->SetCaption(SyoriType == 6 ? "データを切り換えて実行して下さい。" : "");
    }
    notice->Label5->SetCaption(HikakuOpenName(AccInf.SHOUGOU));
    notice->Label6->SetCaption(HikakuRelayName(f.CompanyName));
    notice->Label8->SetCaption(HikakuOpenPeriod(OpenStart(), FormatDateTime("yyyy/mm/dd", AccInf.KIMATU)));
    notice->Label9->SetCaption(HikakuRelayPeriod(Date10(f.PeriodStart), Date10(f.PeriodEnd)));
    notice->Arrange(false, name, period, question, !question && SyoriType == 6);
    notice->ShowModal();
    yes = HikakuMess2Answer == 1;
  } catch (...) {
    notice->Free();
    throw;
  }
  notice->Free();
  return yes;
}

// ---------------------------------------------------------------------------------------
// Send

TfmDataTusin::TCashBookSend TfmDataTusin::SendCashBook() {
  Screen().SetCursor(crHourGlass);
  const std::string work = ExcludePathDelim(SystemDef.WorkDir) + "/ComS";
  const std::string fbk = work + "/" + BackupFileName;
  const std::string lzh = work + "/qvacc.lzh";
  const std::string wen = work + "/qvacc.wen";
  OpenChainSteps({"送信用データ保存", "送信用データ圧縮", "送信用データ暗号化", "中継サーバーへデータ送信"});
  TChainCleanup cleanup{this, work};
  auto fail = [](const std::string& text, uis::Buttons buttons = uis::Buttons::Yes) {
    Say(uis::MsgKind::Error, text, buttons);
    return TCashBookSend::Failed;
  };

  if (SyoriType == 5) {
    TCashBookSender sender;
    sender.ModeSet = 0;
    sender.MarkMode = 0;
    sender.MarkCashJournal();
    if (sender.GetResult() != 1) {
      Say(uis::MsgKind::Error, "　\r\nデータセンダーエラー1\r\n ", uis::Buttons::Yes);
      return TCashBookSend::MarkingFailed;
    }
  }
  if (!ForceDirectory(work)) return fail("　\r\n送信用フォルダの作成に失敗しました。\r\n ");
  if (!RemoveIfPresent(fbk)) return fail("旧バックアップファイルが削除出来ません。");
  if (!SaveSendData(true)) return TCashBookSend::Failed;

  WaitMess->SetStep(WaitMess->CheckBox1, "送信用データ保存　終了", TfmWaitMess::Finished);
  WaitMess->SetStep(WaitMess->CheckBox2, "送信用データ圧縮　実行中", TfmWaitMess::Running);
  StepWait();
  try {
    if (!RemoveIfPresent(lzh)) return fail("旧圧縮ファイルが削除出来ません。");
    if (!LocalExists(fbk)) return fail("　\r\nバックアップファイルが見つかりません。\r\n ");
    if (!ArchiverLoaded) return fail("圧縮失敗");
    const std::string command = "a \"" + ResolvePath(lzh) + "\" \"" + ResolvePath(fbk) + "\"";
    if (Archiver.Unlha(this, command.c_str(), nullptr, 0) != 0) return fail("圧縮失敗");
    if (!Archiver.UnlhaCheckArchive(ResolvePath(lzh).c_str(), 2)) return fail(kAntivirus);
  } catch (const std::exception&) {
    return fail("　\r\n圧縮失敗\r\n ");
  }

  WaitMess->SetStep(WaitMess->CheckBox2, "送信用データ圧縮　終了", TfmWaitMess::Finished);
  WaitMess->SetStep(WaitMess->CheckBox3, "送信用データ暗号化　実行中", TfmWaitMess::Running);
  if (!LocalExists(lzh)) return fail("　\r\n圧縮ファイルが見つかりません。\r\n ");
  if (!RemoveIfPresent(wen)) return fail("旧ワークファイルが削除出来ません。");
  try {
    EncryptFile(ResolvePath(lzh), ResolvePath(wen), CommFileKey(AccInf.TusinPassword[1]));
  } catch (const std::exception&) {
    return fail("　\r\n暗号失敗\r\n ");
  }

  WaitMess->SetStep(WaitMess->CheckBox3, "送信用データ暗号化　終了", TfmWaitMess::Finished);
  WaitMess->SetStep(WaitMess->CheckBox4, "中継サーバーへデータ送信　実行中", TfmWaitMess::Running);
  StepWait();
  if (!LocalExists(wen)) return fail("　\r\n暗号化ファイルが見つかりません。\r\n ");
  const int folderNo = SendFolderNo(SyoriType);
  const TRelayUpload upload = UploadToRelayFolder(Config, RelayInfo.FtpHost, AccInf.TusinHolder[1], RelayInfo.FtpPassword,
                                                  ResolvePath(wen), folderNo, [this] { StepWait(); });
  if (upload != TRelayUpload::Stored) {
    SayUploadFailure(upload);
    return TCashBookSend::Failed;
  }

  TRelayDeposit deposit;
  deposit.FolderNo = folderNo;
  deposit.Name = AccInf.SHOUGOU;
  deposit.Term = AccInf.NENDO;
  deposit.PeriodStart = AccInf.KISHU;
  deposit.PeriodEnd = AccInf.KIMATU;
  deposit.VerMajor = AccInf.VerMajor;
  deposit.VerMinor = AccInf.VerMinor1;
  const std::string installation = RelayInfo.InstallationId.empty() ? Config.InstallationId : RelayInfo.InstallationId;
  const TRelayResult r = SendRelayCompletion(
      Config, kScodeCashBookDeposit, DepositRequest(Config.RelayHost, kScodeCashBookDeposit, installation, Account(), deposit));
  if (r.outcome == TRelayResult::ConnectFailure) return fail("　\r\nサーバーに接続出来ません。(完了処理)\r\n ", uis::Buttons::Ok);
  if (!r.ok()) {
    if (r.status.empty()) return fail("　\r\n送信エラー\r\n ", uis::Buttons::Ok);
    return fail("　\r\nサーバーエラー(" + r.status + ")\r\n ", uis::Buttons::Ok);
  }
  WaitMess->SetStep(WaitMess->CheckBox4, "中継サーバーへデータ送信　終了", TfmWaitMess::Finished);

  if (SyoriType != 5) {
    TCashBookSender sender;
    sender.ModeSet = 1;
    sender.MarkCashJournal();
    if (sender.GetResult() != 1) {
      Say(uis::MsgKind::Error, "　\r\nデータセンダーエラー2\r\n ", uis::Buttons::Yes);
      return TCashBookSend::MarkingFailed;
    }
  }
  return TCashBookSend::Completed;
}

// ---------------------------------------------------------------------------------------
// Receive

bool TfmDataTusin::ReceiveCashBook(int FolderIndex) {
  ReportedFailure = false;
  if (FolderIndex < 0 || FolderIndex > 2) return false;
  Screen().SetCursor(crHourGlass);
  const std::string work = ExcludePathDelim(SystemDef.WorkDir) + "/ComR";
  const std::string wen = work + "/qvacc.wen";
  const std::string lzh = work + "/qvacc.lzh";
  const std::string fbk = work + "/" + BackupFileName;
  OpenChainSteps({"中継サーバーからデータ受信", "受信データ暗号解読", "受信データ圧縮解凍", "受信データ復元・照合"});
  TChainCleanup cleanup{this, work};
  auto fail = [this](const std::string& text, uis::Buttons buttons = uis::Buttons::Yes,
                     uis::MsgKind kind = uis::MsgKind::Error) {
    Say(kind, text, buttons);
    ReportedFailure = true;
    return false;
  };

  if (!ForceDirectory(work)) return fail("受信用フォルダの作成に失敗しました。");
  if (!RemoveIfPresent(wen)) return fail("旧ワークファイルが削除出来ません。");
  {
    const std::string remote = "/" + TwoDigits(FolderIndex + 1) + "/qvacc.wen";
    TFtpSession ftp(Config, RelayInfo.FtpHost, AccInf.TusinHolder[1], RelayInfo.FtpPassword);
    if (!ftp.Login()) {
      ftp.Close();
      return fail("　\r\nサーバーの接続に失敗しました。\r\n ", uis::Buttons::Ok);
    }
    if (ftp.Size(remote) < 1) {
      ftp.Close();
      return fail("　\r\nダウンロードファイルが見つかりません。\r\n ", uis::Buttons::Ok, uis::MsgKind::Warning);
    }
    // A failed download is said as such rather than passed over.
    if (!ftp.Retrieve(remote, ResolvePath(wen))) {
      ftp.Close();
      return fail("　\r\nデータの受信に失敗しました。\r\n ", uis::Buttons::Ok);
    }
    ftp.Close();
  }

  WaitMess->SetStep(WaitMess->CheckBox1, "中継サーバーからデータ受信　終了", TfmWaitMess::Finished);
  WaitMess->SetStep(WaitMess->CheckBox2, "受信データ暗号解読　実行中", TfmWaitMess::Running);
  StepWait();
  if (const std::string failure = DecryptAndExtract(work, wen, lzh, fbk, CommFileKey(AccInf.TusinPassword[1]));
      !failure.empty())
    return fail(failure);

  if (!LocalExists(fbk)) return fail("　\r\n解凍ファイルが見つかりません。\r\n ");
  const std::string workDb = ExcludePathDelim(SystemDef.TempDir) + "/qvacc.fdb";
  struct WorkDbCleanup {
    std::string path;
    ~WorkDbCleanup() { RemoveIfPresent(path); }
  } workDbCleanup{workDb};
  // The restore goes through the data module's company connection and leaves it on the work
  // database; the import (and everything after this run) needs it on the company data again.
  const std::string companyDb = DM->IBDatabaseDAT.DatabaseName;
  const bool restored = RestoreReceivedData();
  if (!DM->IBDatabaseDAT.Connected() || DM->IBDatabaseDAT.DatabaseName != companyDb) {
    if (DM->IBDatabaseDAT.Connected()) DM->IBDatabaseDAT.Close();
    ReconnectAfterReceive();  // warns when it cannot
    if (!DM->IBDatabaseDAT.Connected()) {
      ReportedFailure = true;
      return false;
    }
  }
  if (!restored) {
    ReportedFailure = true;
    return false;
  }
  WaitMess->SetStep(WaitMess->CheckBox4, "受信データ復元　終了", TfmWaitMess::Finished);
  StepWait();

  // The import: the box lives for this call and has let go of the work database before the
  // database file is deleted.
  try {
    TCashBookLoaderBox box;
    box.DataMode = FolderIndex == 0 ? 0 : 1;
    box.JournalImport = FolderIndex == 2 ? 0 : 1;
    box.OpenReceivedDatabase(ResolvePath(workDb));
    if (FolderIndex == 0) {
      box.SetAutoRun(true);
      box.ShowModal();
    } else {
      box.RunQuiet();
    }
    // Only a finished import counts: a box closed before or during its run leaves the relay
    // folder for the next attempt.
    if (box.GetResult() != 1) {
      ReportedFailure = true;
      return false;
    }
  } catch (const std::exception&) {
    Say(uis::MsgKind::Error, "　\r\n出納帳データローダーエラー\r\n ", uis::Buttons::Ok);
    return false;
  }
  return true;
}
