#include "selection/z5GassanSyori.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/uAccShellOp.h"
#include "data/z5AppInfo.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "platform/db/IBError.h"
#include "platform/db/IBSQL.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kInitFailed = "分散入力用データの初期化に失敗しました。";
constexpr const char* kTooManyFolders = "作成できるフォルダ名は[999]までです。";

std::string WithoutSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string DbFileName() { return fw::AccDbFile.empty() ? std::string("qvacc.fdb") : fw::AccDbFile; }

std::string Number3(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.3d", n);
  return buf;
}

std::string Number2(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.2d", n);
  return buf;
}

// A folder name as a number; 0 for a name that is not one.
int FolderNumber(const std::string& name) {
  if (name.empty() || name.size() > 9) return 0;
  for (char c : name)
    if (c < '0' || c > '9') return 0;
  return std::stoi(name);
}

// The sub-folders of a folder in directory order.
std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_directory(ec)) names.push_back(it->path().filename().string());
  return names;
}

// Does the connected company database file lie at `file`? Compares canonical paths.
bool IsAttachedTo(const std::string& file) {
  if (!DM->IBDatabaseDAT.Connected()) return false;
  std::error_code ec1, ec2;
  const fs::path attached = fs::weakly_canonical(ResolvePath(DM->IBDatabaseDAT.DatabaseName), ec1);
  const fs::path wanted = fs::weakly_canonical(ResolvePath(file), ec2);
  return !ec1 && !ec2 && attached == wanted;
}

}  // namespace

void WriteGassanSettings(int32_t kind, int32_t count) {
  if (kind == 0 || kind == kChildKind) count = 0;
  PutAccReg("基本設定", kGassanKindKey, "整数", TAccValue(kind));
  PutAccReg("基本設定", kGassanCountKey, "整数", TAccValue(count));
}

TGassanDataCtl::TGassanDataCtl() : listCtl_(std::make_unique<TDataSentakuListCtl>()) {
  listCtl_->ConnectKind = ConnectMode;
}

TGassanDataCtl::~TGassanDataCtl() = default;

void TGassanDataCtl::SetDataFolder(const std::string& folder) {
  const std::string f = WithoutSlash(folder);
  if (f == parentFolder_) return;
  parentFolder_ = f;
  loaded_ = false;
}

void TGassanDataCtl::SetDataRec(int32_t rec) {
  if (rec == dataNo_) return;
  dataNo_ = rec;
  loaded_ = false;
}

void TGassanDataCtl::SetActive(bool active) {
  active_ = active;
  if (active) LoadChildInfo(gassanRec_);
}

void TGassanDataCtl::LoadChildInfo(TGassanDataRec& summary) {
  listCtl_->ConnectKind = ConnectMode;
  if (ConnectMode != 0 || parentFolder_.empty() || !DM) return;
  std::string dataNo, childNo;
  TDM::SplitDataPath(parentFolder_, dataNo, childNo);
  const int32_t no = FolderNumber(dataNo);
  if (no > 0) dataNo_ = no;
  listCtl_->InitDataListRecord(workRec_, parentFolder_);
  workRec_.REC = dataNo_;
  listCtl_->GetDataListRecord(0, workRec_, false);
  netDrive_ = workRec_.NETDRIVE;
  pasName_ = netDrive_ == 1 ? workRec_.PASNAME : std::string();

  summary = TGassanDataRec{};
  summary.DataNo = dataNo_;
  summary.Folder = parentFolder_;
  children_.clear();
  expected_.clear();

  const bool wasConnected = IsAttachedTo(parentFolder_ + "/" + DbFileName());
  if (!wasConnected && !DM->fnAccDatConnected(SystemDef.HostName, parentFolder_, false)) return;
  struct Disconnect {
    bool run;
    std::string folder;
    ~Disconnect() {
      if (!run) return;
      try {
        DM->AccDatDisconnect(folder, true, false);
      } catch (...) {
      }
    }
  } disconnect{!wasConnected, parentFolder_};
  if (!DM->fnGetAccInfo()) return;
  medical_ = AccInf.DATATYPE == 3 && AccInf.CODETYPE == 1;
  const int32_t kind = AccInf.GassanKubun;

  TDataSentakuRec registered;
  registered.REC = dataNo_;
  registered.PASNAME = parentFolder_;
  registered.GASSAN = static_cast<uint8_t>(IsCombinedKind(kind) ? kind : 1);
  listCtl_->GetDataListChildRecord(registered, false);

  if (!IsCombinedKind(kind)) {
    for (const TDataListRec& c : registered.Children) children_.push_back({dataNo_, c.ROWNO, {}, c.DataFolder});
    loaded_ = true;
    return;
  }
  summary.Siten = AccInf.SITEN;
  summary.ChildCount = AccInf.GassanCount;
  if (summary.Siten != 0) {
    TIBSQL q;
    q.SetDatabase(&DM->IBDatabaseDAT);
    q.SetTransaction(&DM->IBTransactionDAT);
    const bool started = !DM->IBTransactionDAT.Active();
    if (started) DM->IBTransactionDAT.StartTransaction();
    try {
      q.SQL = "SELECT SCODE FROM SISETUMST\nWHERE SCODE<>''\nORDER BY SCODE";
      q.ExecQuery();
      int i = 0;
      while (!q.Eof()) {
        const std::string code = q.FieldByName("SCODE").AsString();
        expected_.push_back({dataNo_, ++i, code, parentFolder_ + "/" + code});
        q.Next();
      }
      q.Close();
      summary.ChildCount = i;
      if (started) DM->IBTransactionDAT.Commit();
    } catch (...) {
      if (started && DM->IBTransactionDAT.Active()) DM->IBTransactionDAT.Rollback();
      throw;
    }
  } else {
    for (int i = 0; i < summary.ChildCount; ++i) expected_.push_back({dataNo_, i + 1, {}, parentFolder_ + "/" + Number3(i + 1)});
  }
  int position = 0;
  for (const std::string& name : SubFolders(parentFolder_)) {
    const int n = FolderNumber(name);
    if (!(medical_ && name == "00") && n <= 0) continue;
    ++position;
    TGassanChildDataRec c{dataNo_, position, {}, {}};
    if (summary.Siten != 0) {
      c.BranchCode = name == "00" ? name : Number2(n);
      c.Folder = parentFolder_ + "/" + c.BranchCode;
    } else {
      c.Folder = parentFolder_ + "/" + (name == "00" ? name : Number3(n));
    }
    for (const TDataListRec& r : registered.Children)
      if (WithoutSlash(r.PASNAME) == c.Folder || WithoutSlash(r.DataFolder) == c.Folder) c.RowNo = r.ROWNO;
    children_.push_back(c);
  }
  loaded_ = true;
}

int32_t TGassanDataCtl::IndexOfChildFolder(const std::string& folder) const {
  for (size_t i = 0; i < children_.size(); ++i)
    if (children_[i].Folder == folder) return static_cast<int32_t>(i);
  return -1;
}

int32_t TGassanDataCtl::NextRowNo(int32_t base) const {
  if (children_.empty()) return base - 1;
  int32_t top = 0;
  for (const auto& c : children_) top = std::max(top, c.RowNo);
  return base + top;
}

std::string TGassanDataCtl::NextChildFolderName(const std::string& folder, int32_t step) const {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return {};
  int top = 0;
  for (const std::string& name : SubFolders(folder)) top = std::max(top, FolderNumber(name));
  if (step + top >= 1000) throw std::runtime_error(kTooManyFolders);
  return Number3(step + top);
}

bool TGassanDataCtl::CreateChildData(const std::string& name) {
  std::string childName = name;
  if (gassanRec_.Siten != 0) {
    branchCode_ = name;
  } else {
    if (childName.empty()) childName = NextChildFolderName(parentFolder_, 1);
    branchCode_.clear();
  }
  if (childName.empty()) return false;
  childFolder_ = parentFolder_ + "/" + childName;
  if (!ForceDirectory(childFolder_)) return false;
  const std::string dbName = DbFileName();
  // The parent's file is copied as it lies: it must not be attached while it is copied.
  DM->AccDatDisconnect(parentFolder_, false, false);
  if (!CopyFileTo(parentFolder_ + "/" + dbName, childFolder_ + "/" + dbName)) {
    SafeDeleteFiles(childFolder_, soDelete, false, false);
    childFolder_.clear();
    return false;
  }
  try {
    AccDataSyokika();
  } catch (...) {
    if (DM->IBDatabaseDAT.Connected()) DM->AccDatDisconnect(childFolder_, false, false);
    SafeDeleteFiles(childFolder_, soDelete, false, false);
    childFolder_.clear();
    branchCode_.clear();
    return false;
  }
  int32_t index = IndexOfChildFolder(childFolder_);
  if (index < 0) {
    children_.push_back({});
    index = static_cast<int32_t>(children_.size()) - 1;
  }
  const int32_t rowNo = NextRowNo(1);
  children_[index] = {dataNo_, rowNo, gassanRec_.Siten != 0 ? branchCode_ : std::string(), childFolder_};

  if (netDrive_ == 1) {
    listCtl_->InitDataListRecord(workRec_, WithoutSlash(pasName_) + "/" + childName);
    workRec_.NETDRIVE = netDrive_;
    workRec_.KYOYULOCK = 1;
  } else {
    listCtl_->InitDataListRecord(workRec_, childFolder_);
  }
  workRec_.REC = dataNo_;
  workRec_.ROWNO = rowNo;
  workRec_.GASSAN = kChildKind;
  listCtl_->SetFromDataInfo(workInfo_, workRec_);
  workRec_.GASSAN = kChildKind;
  listCtl_->UpdateDataListChildRecord(workRec_, 0, true);
  childFolder_.clear();
  branchCode_.clear();
  return true;
}

void TGassanDataCtl::AccDataSyokika() {
  if (childFolder_.empty()) return;
  const std::string dbFile = childFolder_ + "/" + DbFileName();
  // Everything below deletes: it may only ever run on the new member's own copy.
  if (!DM->fnAccDatConnected(SystemDef.HostName, childFolder_, true) || !IsAttachedTo(dbFile)) {
    if (DM->IBDatabaseDAT.Connected()) DM->AccDatDisconnect(childFolder_, true, false);
    ShowErrorDetail(kInitFailed, dbFile, uis::MsgKind::Error);
    throw std::runtime_error(kInitFailed);
  }
  TIBTransaction& tr = DM->IBTransactionDAT;
  const bool started = !tr.Active();
  TIBSQL q;
  q.SetDatabase(&DM->IBDatabaseDAT);
  q.SetTransaction(&tr);
  auto exec = [&](const std::string& sql) {
    q.Close();
    q.SQL = sql;
    q.ExecQuery();
    q.Close();
  };
  // This program's company databases carry a part of the full schema: statements on tables,
  // columns or generators it does not have are left out.
  auto hasTable = [&](const char* table) { return DM->fnExistence_Table(table); };
  auto hasField = [&](const char* table, const char* field) { return DM->fnExistence_Field(table, field); };
  auto hasGenerator = [&](const std::string& name) {
    TIBSQL g;
    g.SetDatabase(&DM->IBDatabaseDAT);
    g.SetTransaction(&tr);
    g.SQL = "SELECT COUNT(*) AS N FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME=:NAME";
    g.ParamByName("NAME").SetString(name);
    g.ExecQuery();
    const bool found = !g.Eof() && g.FieldByName("N").AsInteger() > 0;
    g.Close();
    return found;
  };
  auto progress = [&](const char* what) {
    if (!branchCode_.empty()) uis::Ui().ProgressText("分散データ[" + branchCode_ + "]の作成中です(" + what + ")…");
    uis::Ui().ProcessPendingEvents();
  };
  try {
    if (started) tr.StartTransaction();
    progress("監査情報クリア");
    q.SQL = "UPDATE ACCDEF1\nSET KANSA_FIXDATE=:KANSA_FIXDATE,KANSA_DATE=:KANSA_DATE,KANSA_LOCK=:KANSA_LOCK\nWHERE REC=1";
    q.ParamByName("KANSA_FIXDATE").SetDateTime(0);
    q.ParamByName("KANSA_DATE").SetDateTime(0);
    q.ParamByName("KANSA_LOCK").SetInteger(0);
    q.ExecQuery();
    q.Close();

    progress("残高クリア");
    if (hasField("KAMOKU_SZ", "KAISIZAN")) {
      std::string sql = "UPDATE KAMOKU_SZ SET KAISIZAN=0,\n";
      for (int i = 1; i <= 16; ++i) sql += "HAIBUN" + Number2(i) + "=0,";
      exec(sql + "KAKOZAN=0,KISHU_KOMI=0,KISHU_NUKI=0;");
    }
    if (hasTable("KAMOKU_MS"))
      exec("UPDATE KAMOKU_MS SET KAR_NUK=0,KAR_TAX=0,KAS_NUK=0,KAS_TAX=0,\n"
           "BYOSAN=0,BYOSOKU=0,RYOSAN=0,KAR_IKKATSU=0,KAS_IKKATSU=0;");
    if (hasTable("KAKOZAN")) {
      std::string sql = "UPDATE KAKOZAN SET KISHU=0,\n";
      for (int i = 1; i <= 16; ++i) {
        const std::string n = std::to_string(i);
        sql += "KOMIZAN_" + n + "=0,NUKIZAN_" + n + "=0,IKKATSU_" + n + "=0,HAIBUN_" + n + "=0,";
        if (i % 2 == 0) sql += "\n";
      }
      exec(sql + "TRIGGER_SWITCH=1");
    }
    if (hasTable("KAMOKU_TAX")) exec("UPDATE KAMOKU_TAX SET KAR=0,KAS=0;");
    exec("UPDATE SISETUMST SET SIWAKECOUNT=0;");

    progress("仕訳クリア");
    for (const char* table : {"SIWAKE", "KAKOSIWAKE1", "KAKOSIWAKE2", "KS_SISAN"})
      if (hasTable(table)) exec(std::string("DELETE FROM ") + table + ";");
    std::vector<std::string> generators{"SIWAKE_REC_GEN"};
    for (int i = 0; i <= 99; ++i) generators.push_back("SIWAKE" + Number2(i) + "_GEN");
    generators.push_back("KSSISAN_GEN");
    for (const std::string& g : generators)
      if (hasGenerator(g)) exec("SET GENERATOR " + g + " TO 0;");
    WriteGassanSettings(kChildKind, 0);

    if (medical_) {
      progress("施設調整");
      // The member keeps the blank facility and its own; the codes are bound, never spliced.
      q.SQL = "DELETE FROM SISETUMST\nWHERE (SCODE NOT IN (:BLANK, :SCODE))";
      q.ParamByName("BLANK").SetString(" ");
      q.ParamByName("SCODE").SetString(branchCode_);
      q.ExecQuery();
      q.Close();
      if (branchCode_ == "00") {
        TIBSQL rows;
        rows.SetDatabase(&DM->IBDatabaseDAT);
        rows.SetTransaction(&tr);
        rows.SQL = "SELECT ' ' AS SCODE,KCODE,HCODE,BCODE FROM KAMOKU_SZ\nGROUP BY KCODE,HCODE,BCODE\nHAVING COUNT(SCODE)=1";
        rows.ExecQuery();
        std::vector<std::array<std::string, 4>> keys;
        while (!rows.Eof()) {
          keys.push_back({rows.FieldByName("SCODE").AsString(), rows.FieldByName("KCODE").AsString(),
                          rows.FieldByName("HCODE").AsString(), rows.FieldByName("BCODE").AsString()});
          rows.Next();
        }
        rows.Close();
        for (const auto& k : keys) {
          q.SQL = "DELETE FROM KAMOKU_SZ\nWHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=:HCODE AND BCODE=:BCODE";
          q.ParamByName("SCODE").SetString(k[0]);
          q.ParamByName("KCODE").SetString(k[1]);
          q.ParamByName("HCODE").SetString(k[2]);
          q.ParamByName("BCODE").SetString(k[3]);
          q.ExecQuery();
          q.Close();
        }
      }
    }
    if (started) tr.Commit();
    dataInfo_.InitDataInfoRec(workInfo_);
    dataInfo_.GetDataInfoRec(workInfo_);
    DM->AccDatDisconnect(childFolder_, true, false);
  } catch (const EIBError& e) {
    if (started && tr.Active()) tr.Rollback();
    ReportDbError(e, "TGassanDataCtl.AccDataSyokika", kInitFailed, false);
    throw;
  } catch (const std::exception& e) {
    if (started && tr.Active()) tr.Rollback();
    ShowErrorDetail(kInitFailed, e.what(), uis::MsgKind::Error);
    throw;
  }
}

void TGassanDataCtl::PutGassanSettings(int32_t kind, int32_t count) {
  if (parentFolder_.empty()) return;
  if (!DM->fnAccDatConnected(SystemDef.HostName, parentFolder_, false)) return;
  try {
    WriteGassanSettings(kind, count);
  } catch (...) {
    DM->AccDatDisconnect(parentFolder_, true, true);
    throw;
  }
  DM->AccDatDisconnect(parentFolder_, true, true);
}
