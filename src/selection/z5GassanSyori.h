#pragma once
// Combined data (合算データ) and their distributed input members (分散データ).
//
// A combined data set keeps members in sub-folders of its own folder: "%.3d" numbered folders
// for combined data (kind 1), folders named by branch code for combined branch data (kind 2),
// and for a medical corporation possibly "00". A member is a copy of the parent's company
// database cleared of everything entered (journal entries, balances, budgets, audit marks),
// marked kind 10, and registered as a child row of the parent in the data list.
//
//   TGassanDataCtl ctl;
//   ctl.SetDataFolder(parentFolder);
//   ctl.SetDataRec(parentRec);
//   ctl.SetActive(true);              // reads the parent's settings and members
//   if (ctl.CreateChildData("")) ctl.PutGassanSettings(1, count + 1);
//
// Members exist only in local mode: in the server modes reading the members does nothing.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/uAccClasses.h"
#include "selection/z5ComDataSentaku.h"

// The parent as the control sees it.
struct TGassanDataRec {
  int32_t DataNo = 0;      // REC of the parent
  int32_t Reserved = 0;
  std::string Folder;      // the parent's data folder
  int32_t Siten = 0;       // the parent's branch setting; non-zero for combined branch data
  int32_t ChildCount = 0;  // 合算データ数, or for branch data the number of branch codes
};

// One member.
struct TGassanChildDataRec {
  int32_t DataNo = 0;      // REC of the parent
  int32_t RowNo = 0;       // ROWNO of the child row (1-based)
  std::string BranchCode;  // branch data only
  std::string Folder;
};
using TGassanChildDataArray = std::vector<TGassanChildDataRec>;

// The two company settings of a combination.
inline constexpr const char* kGassanKindKey = "合算データ区分";
inline constexpr const char* kGassanCountKey = "合算データ数";
// Writes both settings into the connected company database (count 0 for kinds 0 and 10).
void WriteGassanSettings(int32_t kind, int32_t count);

class TGassanDataCtl {
 public:
  TGassanDataCtl();
  ~TGassanDataCtl();
  TGassanDataCtl(const TGassanDataCtl&) = delete;
  TGassanDataCtl& operator=(const TGassanDataCtl&) = delete;

  // Changing the parent marks the control unloaded.
  void SetDataFolder(const std::string& folder);
  void SetDataRec(int32_t rec);
  // Active true reads the parent's settings and members (LoadChildInfo).
  void SetActive(bool active);
  bool Active() const { return active_; }
  bool Loaded() const { return loaded_; }

  void LoadChildInfo(TGassanDataRec& summary);
  // Index of the member in that folder among the existing members, -1 when none.
  int32_t IndexOfChildFolder(const std::string& folder) const;
  // base + the largest row number of the existing members; base - 1 when there are none.
  int32_t NextRowNo(int32_t base) const;
  // The next numbered member folder name below folder ("%.3d"): empty when the folder does
  // not exist; raises "作成できるフォルダ名は[999]までです。" beyond 999.
  std::string NextChildFolderName(const std::string& folder, int32_t step) const;
  // Creates a member (named by branch code for branch data, else numbered when name is
  // empty): folder, copy of the parent database, clearing, child row. A failure removes the
  // half-made folder and gives false.
  bool CreateChildData(const std::string& name);
  // Clears the copied database of the member being created. Shows and raises its failures.
  void AccDataSyokika();
  // Writes the parent's two combination settings.
  void PutGassanSettings(int32_t kind, int32_t count);

  const TGassanDataRec& GassanRec() const { return gassanRec_; }
  const TGassanChildDataArray& Children() const { return children_; }
  const TGassanChildDataArray& ExpectedChildren() const { return expected_; }
  // The information of the last member created.
  const TDataInfomationRec& ChildInfo() const { return workInfo_; }
  // The member being created (for AccDataSyokika called on its own).
  void SetChild(const std::string& folder, const std::string& branchCode) {
    childFolder_ = folder;
    branchCode_ = branchCode;
  }

 private:
  bool active_ = false;
  bool loaded_ = false;
  std::string parentFolder_;
  std::string childFolder_;
  std::string branchCode_;
  int32_t netDrive_ = 0;
  std::string pasName_;
  int32_t dataNo_ = 0;
  TGassanDataRec gassanRec_;
  TGassanChildDataArray children_;
  TGassanChildDataArray expected_;
  std::unique_ptr<TDataSentakuListCtl> listCtl_;
  TDataInfomation dataInfo_;
  TDataListRec workRec_;
  TDataInfomationRec workInfo_;
  bool medical_ = false;  // the parent is a medical corporation (data type 3, code type 1)
};
