#include "selection/z5DataListKensaku.h"

#include <exception>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "platform/UiServices.h"
#include "platform/db/TransactionScope.h"

using namespace forms;

namespace {

constexpr const char* kSelectFailed = "検索条件レコードの参照に失敗しました。";
constexpr const char* kUpdateFailed = "検索条件レコードの更新に失敗しました。";

}  // namespace

int32_t StoredToListSortCol(int32_t stored) {
  switch (stored) {
    case 1: return 2;
    case 2: return 3;
    case 3: return 4;
    case 4: return 5;
    case 5: return 6;
    case 6: return 1;
    default: return 0;
  }
}

int32_t ListToStoredSortCol(int32_t listCol) {
  switch (listCol) {
    case 1: return 6;
    case 2: return 1;
    case 3: return 2;
    case 4: return 3;
    case 5: return 4;
    case 6: return 5;
    default: return 0;
  }
}

const std::vector<std::pair<std::string, std::pair<int32_t, int32_t>>>& DataKbnItems() {
  static const std::vector<std::pair<std::string, std::pair<int32_t, int32_t>>> items = {
      {"選択なし", {0, 0}},      {"法人", {1, 1}},         {"個人(一般)", {2, 1}}, {"個人(不動産)", {2, 2}},
      {"医療法人", {3, 1}},      {"個人(クリニック)", {2, 3}}, {"個人(農業)", {2, 4}}};
  return items;
}

int DataKbnItemOf(int32_t dataType, int32_t codeType) {
  if (dataType == 1) return 1;
  if (dataType == 3) return 4;
  if (dataType == 2) {
    switch (codeType) {
      case 1: return 2;
      case 2: return 3;
      case 3: return 5;
      case 4: return 6;
      default: return 0;
    }
  }
  return 0;
}

TDataListKensakuBox::TDataListKensakuBox(QWidget* owner) : TBSDI(owner) {
  SetName("DataListKensakuBox");
  SetCaption("検索条件の設定");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetKeyPreview(true);
  SetShowHint(true);
  SetClientSize(420, 330);

  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetName("GroupBox1");
  GroupBox1->SetCaption("");
  GroupBox1->SetBounds(12, 8, 396, 168);
  auto label = [this](const char* name, const char* caption, int top) {
    auto* l = new TLabel(GroupBox1);
    l->SetName(name);
    l->SetCaption(caption);
    l->SetBounds(16, top + 4, 0, 0);
    return l;
  };
  auto combo = [this](const char* name, int top) {
    auto* c = new TxComboBox(GroupBox1);
    c->SetName(name);
    c->SetStyle(csDropDownList);
    c->SetBounds(140, top, 240, 21);
    c->SetKeyStyles({ksEnter});
    return c;
  };
  Label1 = label("Label1", "コード:", 14);
  txtCode = new TxEdit(GroupBox1);
  txtCode->SetName("txtCode");
  txtCode->SetBounds(140, 14, 100, 21);
  txtCode->SetMaxLength(8);
  txtCode->SetImeMode(imDisable);
  Label2 = label("Label2", "データ区分:", 44);
  cmbDataKbn = combo("cmbDataKbn", 44);
  Label3 = label("Label3", "データリスト名:", 74);
  txtListName = new TxEdit(GroupBox1);
  txtListName->SetName("txtListName");
  txtListName->SetBounds(140, 74, 240, 21);
  txtListName->SetMaxLength(40);
  txtListName->SetImeMode(imHira);
  Label4 = label("Label4", "担当者:", 104);
  cmbTanto = combo("cmbTanto", 104);
  Label5 = label("Label5", "データバージョン:", 134);
  cmbDataVer = combo("cmbDataVer", 134);

  cboxYukou = new TxCheckBox(this);
  cboxYukou->SetName("cboxYukou");
  cboxYukou->SetCaption("この検索条件を毎回有効にする");
  cboxYukou->SetBounds(20, 184, 300, 17);

  HintArea = new TMemo(this);
  HintArea->SetName("HintArea");
  HintArea->SetBounds(12, 212, 396, 60);
  HintArea->SetReadOnly(true);
  HintArea->SetTabStop(false);

  auto button = [this](const char* name, const char* caption, int left, int result) {
    auto* b = new TxPlButton(this);
    b->SetName(name);
    b->CaptionA().SetCaption(caption);
    b->SetBounds(left, 286, 97, 28);
    b->SetModalResult(result);
    return b;
  };
  btnOK = button("btnOK", "OK", 202, mrNone);
  btnOK->OnClick = [this](QObject* s) { btnOKClick(s); };
  btnCancel = button("btnCancel", "キャンセル", 311, mrCancel);

  tr_.Params = {"read_committed", "rec_version", "nowait"};
  if (DM) tr_.SetDefaultDatabase(&DM->IBDatabaseDEF);
  if (DM) sql_.SetDatabase(&DM->IBDatabaseDEF);
  sql_.SetTransaction(&tr_);
}

void TDataListKensakuBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  UsePlainDialogFlags(HintArea);
  ListType = 0;
  std::vector<std::string> kinds;
  for (const auto& item : DataKbnItems()) kinds.push_back(item.first);
  cmbDataKbn->SetItems(kinds);

  users_.Group = SystemDef.GroupId;
  users_.HeaderText = "選択なし";
  if (DM) users_.Execute();
  cmbTanto->SetItems(users_.Items);

  editions_.FirstName = "選択なし";
  editions_.Execute(0);
  cmbDataVer->SetItems(editions_.Names);
  FCreatedOK = true;
}

void TDataListKensakuBox::FormClose(QObject* Sender, TCloseAction& Action) {
  TBSDI::FormClose(Sender, Action);
  Action = caHide;
}

void TDataListKensakuBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!FCreatedOK) {
    ReportInitFailed();
    Close();
    return;
  }
  if (!Showing()) return;
  repaint();
  txtCode->SetFocus();
}

void TDataListKensakuBox::LoadHints() {
  cmbDataKbn->SetHint("選択した区分に該当するデータを抽出して表示します。|選択した区分に該当するデータを抽出して表示します。");
  txtCode->SetHint("入力したコードを前方一致（先頭一致）で抽出して表示します。|入力したコード前方一致（先頭一致）で抽出して表示します。");
  txtListName->SetHint("入力した文字を含むデータを抽出して表示します。|入力した文字を含むデータを抽出して表示します。");
  cmbTanto->SetHint("選択したｵﾍﾟﾚｰﾀが担当するデータを抽出して表示します。|選択したｵﾍﾟﾚｰﾀが担当するデータを抽出して表示します。");
  cmbDataVer->SetHint("選択したﾊﾞｰｼﾞｮﾝのデータを抽出して表示します。| 選択したﾊﾞｰｼﾞｮﾝのデータを抽出して表示します。");
  cboxYukou->SetHint(
      "ここで設定した条件に該当するデータだけを常時表示させる場合にﾁｪｯｸします。| ここで設定した条件に該当するデータだけを常時表示させる場合にﾁｪｯｸします。");
  btnOK->SetHint("設定した条件に該当するデータを表示します。| 設定した条件に該当するデータを表示します。");
  btnCancel->SetHint("データの検索を中止します。| データの検索を中止します。");
}

void TDataListKensakuBox::Setup(uint8_t mode) {
  SetupMode = mode;
  LoadHints();
  const TDataKensakuRec& r = KensakuRec;
  cmbDataKbn->SetItemIndex(DataKbnItemOf(r.DATATYPE, r.CODETYPE));
  txtCode->SetText(r.DATACODE);
  txtListName->SetText(r.DATANAME);
  int tanto = 0;
  for (size_t i = 1; i < users_.Items.size(); ++i)
    if (users_.GetOpCode(static_cast<int>(i)) == r.TANTO && r.TANTO != 0) tanto = static_cast<int>(i);
  cmbTanto->SetItemIndex(cmbTanto->Items().empty() ? -1 : tanto);
  int edition = 0;
  for (size_t i = 1; i < editions_.Names.size(); ++i)
    if (!r.SEIHINNAME.empty() && editions_.Names[i] == r.SEIHINNAME) edition = static_cast<int>(i);
  cmbDataVer->SetItemIndex(cmbDataVer->Items().empty() ? -1 : edition);
  cboxYukou->SetChecked(r.JYOKENUSE != 0);
  FSetupPending = false;
}

void TDataListKensakuBox::btnOKClick(QObject*) {
  TDataKensakuRec& r = KensakuRec;
  const int kind = cmbDataKbn->ItemIndex();
  const auto& items = DataKbnItems();
  const auto pair = (kind > 0 && kind < static_cast<int>(items.size())) ? items[kind].second : std::pair{0, 0};
  r.DATATYPE = pair.first;
  r.CODETYPE = pair.second;
  r.DATACODE = txtCode->Text();
  r.DATANAME = txtListName->Text();
  const int tanto = cmbTanto->ItemIndex();
  r.TANTO = tanto > 0 ? users_.GetOpCode(tanto) : 0;
  const int edition = cmbDataVer->ItemIndex();
  if (edition > 0 && edition < static_cast<int>(editions_.Rows.size())) {
    const TDataVersionRec& v = editions_.Rows[edition];
    r.DATAVER = std::to_string(v.MAJOR) + "." + std::to_string(v.MINOR1);
    r.SEIHINNAME = editions_.Names[edition];
  } else {
    r.DATAVER.clear();
    r.SEIHINNAME = edition == 0 && !editions_.Names.empty() ? editions_.Names[0] : std::string();
  }
  r.DataVerText.clear();
  r.DataVerMode = 0;
  r.JYOKENUSE = cboxYukou->Checked() ? 1 : 0;
  SetModalResult(mrOk);
}

void TDataListKensakuBox::InitKensakuRec(TDataKensakuRec& rec) const {
  rec = TDataKensakuRec{};
  rec.OPCODE = SystemDef.LogonId;
  rec.LISTTYPE = ListType;
}

void TDataListKensakuBox::BindAll(TIBSQL& q, const TDataKensakuRec& rec) {
  q.ParamByName("OPCODE").SetInteger(rec.OPCODE);
  q.ParamByName("LISTTYPE").SetInteger(rec.LISTTYPE);
  q.ParamByName("JYOKENUSE").SetInteger(rec.JYOKENUSE);
  q.ParamByName("DATATYPE").SetInteger(rec.DATATYPE);
  q.ParamByName("CODETYPE").SetInteger(rec.CODETYPE);
  q.ParamByName("DATACODE").SetString(rec.DATACODE);
  q.ParamByName("DATANAME").SetString(rec.DATANAME);
  q.ParamByName("TANTO").SetInteger(rec.TANTO);
  q.ParamByName("DATAVER").SetString(rec.DATAVER);
  q.ParamByName("SEIHINNAME").SetString(rec.SEIHINNAME);
  q.ParamByName("SORTCOL").SetInteger(ListToStoredSortCol(rec.SORTCOL));
  q.ParamByName("SORTTYPE").SetInteger(rec.SORTTYPE);
}

bool TDataListKensakuBox::SelectRecord(TDataKensakuRec& rec) {
  const int32_t opCode = rec.OPCODE, listType = rec.LISTTYPE;
  InitKensakuRec(rec);
  rec.LISTTYPE = listType;
  (void)opCode;
  if (!DM) return false;
  try {
    TTransactionScope tx(tr_);
    sql_.Close();
    sql_.SQL =
        "SELECT JYOKENUSE,DATATYPE,CODETYPE,DATACODE,DATANAME,TANTO,DATAVER,SEIHINNAME,SORTCOL,SORTTYPE FROM KENSAKUJYOKEN\n"
        "WHERE (OPCODE=:OPCODE)AND(LISTTYPE=:LISTTYPE)";
    sql_.ParamByName("OPCODE").SetInteger(rec.OPCODE);
    sql_.ParamByName("LISTTYPE").SetInteger(rec.LISTTYPE);
    sql_.ExecQuery();
    if (!sql_.Eof()) {
      rec.JYOKENUSE = sql_.FieldByName("JYOKENUSE").AsInteger();
      rec.DATATYPE = sql_.FieldByName("DATATYPE").AsInteger();
      rec.CODETYPE = sql_.FieldByName("CODETYPE").AsInteger();
      rec.DATACODE = sql_.FieldByName("DATACODE").AsString();
      rec.DATANAME = sql_.FieldByName("DATANAME").AsString();
      rec.TANTO = sql_.FieldByName("TANTO").AsInteger();
      rec.DATAVER = sql_.FieldByName("DATAVER").AsString();
      rec.SEIHINNAME = sql_.FieldByName("SEIHINNAME").AsString();
      rec.SORTCOL = StoredToListSortCol(sql_.FieldByName("SORTCOL").AsInteger());
      rec.SORTTYPE = sql_.FieldByName("SORTTYPE").AsInteger();
      sql_.Close();
    } else {
      sql_.Close();
      sql_.SQL =
          "INSERT INTO KENSAKUJYOKEN(OPCODE,LISTTYPE,JYOKENUSE,DATATYPE,CODETYPE,DATACODE,DATANAME,TANTO,DATAVER,SEIHINNAME,"
          "SORTCOL,SORTTYPE)\n"
          "VALUES(:OPCODE,:LISTTYPE,:JYOKENUSE,:DATATYPE,:CODETYPE,:DATACODE,:DATANAME,:TANTO,:DATAVER,:SEIHINNAME,:SORTCOL,"
          ":SORTTYPE)";
      BindAll(sql_, rec);
      sql_.ExecQuery();
      sql_.Close();
    }
    return true;
  } catch (const std::exception& e) {
    sql_.Close();
    const int32_t keepType = rec.LISTTYPE;
    InitKensakuRec(rec);
    rec.LISTTYPE = keepType;
    ReportFailure(e, "TDataListKensakuBox.SelectRecord", kSelectFailed);
    return false;
  }
}

bool TDataListKensakuBox::UpdateRecord(const TDataKensakuRec& rec) {
  if (!DM) return false;
  try {
    TTransactionScope tx(tr_);
    sql_.Close();
    sql_.SQL =
        "UPDATE KENSAKUJYOKEN\n"
        "SET JYOKENUSE=:JYOKENUSE,DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,DATACODE=:DATACODE,DATANAME=:DATANAME,TANTO=:TANTO,\n"
        "DATAVER=:DATAVER,SEIHINNAME=:SEIHINNAME,SORTCOL=:SORTCOL,SORTTYPE=:SORTTYPE\n"
        "WHERE (OPCODE=:OPCODE)AND(LISTTYPE=:LISTTYPE)";
    BindAll(sql_, rec);
    sql_.ExecQuery();
    sql_.Close();
    return true;
  } catch (const std::exception& e) {
    sql_.Close();
    ReportFailure(e, "TDataListKensakuBox.UpdateRecord", kUpdateFailed);
    return false;
  }
}

bool TDataListKensakuBox::UpdateRecordSortField(const TDataKensakuRec& rec) {
  if (!DM) return false;
  try {
    TTransactionScope tx(tr_);
    sql_.Close();
    sql_.SQL =
        "UPDATE KENSAKUJYOKEN\n"
        "SET SORTCOL=:SORTCOL,SORTTYPE=:SORTTYPE\n"
        "WHERE (OPCODE=:OPCODE)AND(LISTTYPE=:LISTTYPE)";
    sql_.ParamByName("SORTCOL").SetInteger(ListToStoredSortCol(rec.SORTCOL));
    sql_.ParamByName("SORTTYPE").SetInteger(rec.SORTTYPE);
    sql_.ParamByName("OPCODE").SetInteger(rec.OPCODE);
    sql_.ParamByName("LISTTYPE").SetInteger(rec.LISTTYPE);
    sql_.ExecQuery();
    sql_.Close();
    return true;
  } catch (const std::exception& e) {
    sql_.Close();
    ReportFailure(e, "TDataListKensakuBox.UpdateRecordSortField", kUpdateFailed);
    return false;
  }
}
