#include "app/MainHooks.h"

#include <utility>

#include "data/DataModule.h"
#include "data/uAccClasses.h"
#include "data/uAccRecord.h"
#include "data/uAccRecordHooks.h"
#include "data/z5AppInfo.h"
#include "platform/AsciiCase.h"
#include "platform/UiServices.h"
#include "platform/db/IBServices.h"
#include "selection/z5Kidou.h"

namespace {

TValidateDataFile& Validator() {
  static TValidateDataFile validator;
  return validator;
}

bool EngineValidate(const std::string& host, const std::string& file) {
  TIBValidationService service;
  service.ServerName = host;
  service.Params = {"user_name=" + SystemDef.DbUser, "password=" + SystemDef.DbPassword};
  try {
    service.Attach();
    service.DatabaseName = file;
    service.Options = TIBValidationService::ValidateDB | TIBValidationService::ValidateFull;
    service.ServiceStart();
    bool sound = true;
    while (!service.Eof()) {
      const std::string line = service.GetNextLine();
      if (ascii::Lower(line).find("error") != std::string::npos) sound = false;
    }
    service.Detach();
    return sound;
  } catch (const std::exception&) {
    service.Detach();
    return false;
  }
}

// Marks the data set of the folder broken in the data list of the system database. What the
// step started is committed, or rolled back after a failure; failures are not reported.
void MarkBrokenInDataList(const std::string& folder) {
  if (DM == nullptr) return;
  TIBTransaction& tr = DM->IBTransactionDEF;
  bool started = false;
  try {
    if (!tr.InTransaction()) {
      tr.StartTransaction();
      started = true;
    }
    int32_t dataNo = 0;
    int32_t childNo = 0;
    DM->DataPathToRec(folder, dataNo, childNo);
    TIBSQL& q = DM->IBSQLDEF;
    if (dataNo > 0 && childNo == 0) {
      q.Close();
      q.SQL = "UPDATE DATALIST SET DATA_STATUS=1 WHERE REC=:REC";
      q.ParamByName("REC").SetInteger(dataNo);
      q.ExecQuery();
      q.Close();
    } else if (dataNo > 0 && childNo > 0) {
      q.Close();
      q.SQL = "UPDATE CHILD_DATALIST SET DATA_STATUS=1 WHERE REC=:REC AND ROWNO=:ROWNO";
      q.ParamByName("REC").SetInteger(dataNo);
      q.ParamByName("ROWNO").SetInteger(childNo);
      q.ExecQuery();
      q.Close();
    }
    if (started) tr.Commit();
  } catch (const std::exception&) {
    if (started && tr.InTransaction()) {
      try {
        tr.Rollback();
      } catch (const std::exception&) {
        // The connection is gone; nothing is left to end.
      }
    }
  }
}

}  // namespace

void SetValidateDataFile(TValidateDataFile validate) { Validator() = std::move(validate); }

bool ValidateDataFile(const std::string& Host, const std::string& DatabaseFile) {
  if (Validator()) return Validator()(Host, DatabaseFile);
  return EngineValidate(Host, DatabaseFile);
}

void VerifyDataFolder(const std::string& Host, const std::string& DataFolder, int32_t Quiet, int32_t& Result) {
  SystemDef.DataCheckFailed = 0;
  const std::string file = DataFolder + "/" + fw::AccDbFile;
  const bool local = Host.empty() || Host == "127.0.0.1";
  const bool sound = ValidateDataFile(local ? std::string() : Host, file);
  if (!sound) {
    SystemDef.DataCheckFailed = 1;
    if (Quiet == 0) {
      uis::ShowMessage(uis::MsgKind::Error,
                       "データ検証の結果、このデータは破損している恐れがあります。\r"
                       "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。\r"
                       "ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。");
    }
    MarkBrokenInDataList(DataFolder);
    try {
      TDataInfomation info;
      info.ConnectKind = ConnectMode;
      info.SetStatus(DataFolder, 10);
    } catch (const std::exception&) {
      // The mark is a courtesy to the data list; the validation's outcome stands.
    }
  }
  Result = sound ? 1 : 0;
}

void InstallFrameworkHooks() {
  MenuHook = NullMenuHook;
  RunSyoriModuleProc = RunSyoriModule;
  DataCheckHook = VerifyDataFolder;
}

void ClearFrameworkHooks() {
  MenuHook = nullptr;
  RunSyoriModuleProc = nullptr;
  DataCheckHook = nullptr;
}
