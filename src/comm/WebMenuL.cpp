#include "comm/WebMenuL.h"

#include <QTimer>
#include <charconv>
#include <exception>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "data/uAccRecordHooks.h"
#include "platform/AsciiCase.h"
#include "platform/UiServices.h"
#include "platform/db/IBQuery.h"
#include "ui/PerfectGrid.h"
#include "ui/forms/Application.h"
#include "ui/forms/Keys.h"

using namespace forms;

namespace {

constexpr const char* kOtherWindows =
    "メニュー以外の処理が開いています。\r全ての処理を閉じてから処理を実行してください。";
constexpr const char* kLoadFailed = "ログインユーザーリストの取得に失敗しました。";

// The value of a "name=value" line of the list (names without regard to case).
bool ParamValue(const std::vector<std::string>& lines, std::string_view name, std::string& value) {
  for (const std::string& line : lines) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (ascii::SameText(line.substr(0, eq), name)) {
      value = line.substr(eq + 1);
      return true;
    }
  }
  return false;
}

bool ToInt(const std::string& text, int32_t& out) {
  size_t b = text.find_first_not_of(' ');
  size_t e = text.find_last_not_of(' ');
  if (b == std::string::npos) return false;
  const char* first = text.data() + b;
  const char* last = text.data() + e + 1;
  auto [p, ec] = std::from_chars(first, last, out);
  return ec == std::errc() && p == last;
}

}  // namespace

TfmWebMenuL::TfmWebMenuL(QWidget* owner) : TBSDI(owner) {
  SetName("fmWebMenuL");
  SetCaption("ログインユーザー");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetClientSize(357, 361);

  pnlBottom = new TPanel(this);
  pnlBottom->SetName("pnlBottom");
  pnlBottom->SetCaption("");
  pnlBottom->SetBevelOuter(bvNone);
  pnlBottom->SetBounds(0, 241, 357, 120);
  pnlBottom->SetAlign(alBottom);
  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetCaption("");
  pnlClient->SetBevelOuter(bvNone);
  pnlClient->SetBounds(0, 0, 357, 241);
  pnlClient->SetAlign(alClient);

  PerfectGrid1 = new TPerfectGrid(pnlClient);
  PerfectGrid1->SetName("PerfectGrid1");
  PerfectGrid1->SetBounds(8, 8, 341, 229);
  PerfectGrid1->SetSelectMode(gsRow);

  HintArea = new TMemo(pnlBottom);
  HintArea->SetName("HintArea");
  HintArea->SetBounds(8, 4, 341, 68);
  HintArea->SetReadOnly(true);
  HintArea->SetTabStop(false);
  HintArea->SetLines({"他のオペレーターがTallix財務を利用中のため、バ", "ージョンアップができません。",
                      "他のオペレータの利用がない状態で、管理者権限に", "て、バージョンアップを実行してください。"});

  auto key = [this](const char* name, const char* caption, int left) {
    auto* b = new TxPlButton(pnlBottom);
    b->SetName(name);
    b->CaptionA().SetCaption(caption);
    b->SetBounds(left, 80, 94, 32);
    b->SetTabStop(false);
    b->SetHasFocus(false);
    return b;
  };
  ESC = key("ESC", "ESC:ｷｬﾝｾﾙ", 8);
  ESC->SetVisible(false);
  F1 = key("F1", "F1:", 104);
  F1->SetVisible(false);
  F12 = key("F12", "F12:閉じる", 255);
  F12->SetModalResult(mrOk);

  ESC->OnClick = [this](QObject* s) { ESCClick(s); };
  F12->OnClick = [this](QObject* s) { F12Click(s); };
}

void TfmWebMenuL::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  // The memo holds the fixed explanation; focus hints must not overwrite it.
  UsePlainDialogFlags(nullptr);

  SetGridColors(PerfectGrid1, 0);
  struct Column {
    const char* heading;
    int width;
    TAlignment align;
  };
  const Column columns[kColCount] = {{"No", 50, taCenter}, {"コード", 70, taLeftJustify}, {"オペレータ名", 154, taLeftJustify}};
  PerfectGrid1->SetCols(kColCount);
  for (int c = 0; c < kColCount; ++c) {
    PerfectGrid1->SetCellText(c, TPerfectGrid::kHeadingRow, columns[c].heading);
    PerfectGrid1->SetColWidth(c, columns[c].width);
    PerfectGrid1->SetColAlign(c, columns[c].align);
  }

  UserCount = 0;
  fnDBConect_OP();  // a failure leaves the form not created
  ParamList.clear();
  FCreatedOK = true;
}

bool TfmWebMenuL::fnDBConect_OP() {
  LoginUsers.clear();
  UserCount = 0;
  if (!DM) return false;
  TIBTransaction& tr = DM->IBTransactionDEF;
  const bool started = !tr.InTransaction();
  if (started) tr.StartTransaction();
  // Whatever happens, a transaction started here is ended here: left open it would hold the
  // logon table's snapshot for the rest of the session.
  auto endStarted = [&] {
    if (!started) return;
    try {
      if (tr.InTransaction()) tr.Commit();
    } catch (...) {
    }
  };
  try {
    TIBQuery q;
    q.SetDatabase(&DM->IBDatabaseDEF);
    q.SetTransaction(&tr);
    q.SQL = "SELECT * FROM LOGONUSERLIST ";
    q.Open();
    while (!q.Eof()) {
      if (q.FieldByName("OPCODE").AsInteger() != SystemDef.LogonId) {
        TLoginUserR user;
        user.OperatorCode = q.FieldByName("OPERATORCODE").AsInteger();
        user.GroupId = q.FieldByName("GROUPID").AsInteger();
        LoginUsers.push_back(std::move(user));
      }
      q.Next();
    }
    q.Close();
    UserCount = static_cast<int32_t>(LoginUsers.size());

    q.SQL = std::string("SELECT * FROM OPERATOR ") + "WHERE GROUPID =:GROUPID and OPCODE =:OPCODE ";
    for (TLoginUserR& user : LoginUsers) {
      q.ParamByName("GROUPID").SetInteger(user.GroupId);
      q.ParamByName("OPCODE").SetInteger(user.OperatorCode);
      q.Open();
      if (!q.Eof()) user.OpName = q.FieldByName("OPNAME").AsString();
      q.Close();
    }
    endStarted();
  } catch (const EIBError& e) {
    ReportDbError(e, "TfmWebMenuL.fnDBConect_OP", kLoadFailed, true);
    endStarted();
    throw;
  } catch (...) {
    endStarted();
    throw;
  }
  return UserCount > 0;
}

void TfmWebMenuL::SetParams(const std::vector<std::string>& Params) {
  ParamList = Params;
  std::string v;
  int32_t n = 0;
  if (ParamValue(ParamList, "SyoriType", v) && ToInt(v, n) && n >= 0) SyoriType = n;
  int32_t style = 0;
  if (ParamValue(ParamList, "FormStyle", v) && !ToInt(v, style)) style = 0;
  switch (style) {
    case 0: SetFormStyle(fsMDIChild); break;
    case 1: SetFormStyle(fsMDIForm); break;
    case 2: SetFormStyle(fsNormal); break;
    default: SetFormStyle(fsStayOnTop); break;
  }
}

int32_t TfmWebMenuL::Execute(bool Modal) {
  Screen().SetCursor(crDefault);
  if (!Modal) {
    Show();
    return 1;
  }
  const int32_t result = OthersLoggedOn();
  if (!FSkipOpenCheck && MenuHook && MenuHook(10, "") > 0) {
    uis::ShowMessage(uis::MsgKind::Warning, kOtherWindows);
    Release();  // never shown, so nothing else would free it
    return result;
  }
  if (!FCreatedOK) {
    ReportInitFailed();
    Release();
    return result;
  }
  SetFormPosition(0, 0, 0, 0, 3);
  FSetupPending = false;
  ShowModal();
  return OthersLoggedOn();
}

void TfmWebMenuL::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!Showing()) return;
  if (UserCount == 0) {
    // Nobody to list: the form closes as soon as its showing is complete.
    QTimer::singleShot(0, this, [this] { Guard([&] { Close(); }); });
    return;
  }
  FillGrid();
  PerfectGrid1->SetFocus();
}

void TfmWebMenuL::FillGrid() {
  PerfectGrid1->SetRedraw(false);
  PerfectGrid1->DeleteAllRows();
  PerfectGrid1->InsertRows(0, static_cast<int>(LoginUsers.size()));
  for (int row = 0; row < static_cast<int>(LoginUsers.size()); ++row) {
    const TLoginUserR& user = LoginUsers[row];
    PerfectGrid1->SetCellText(kColNo, row, std::to_string(row + 1));
    PerfectGrid1->SetCellText(kColCode, row, std::to_string(user.OperatorCode));
    PerfectGrid1->SetCellText(kColName, row, user.OpName);
  }
  PerfectGrid1->SetRedraw(true);
}

void TfmWebMenuL::ESCClick(QObject*) {}

void TfmWebMenuL::F12Click(QObject*) {
  SetModalResult(mrOk);
  if (!Modal()) Close();
}

void TfmWebMenuL::FormKeyUp(QObject* Sender, int& Key, TShiftState Shift) {
  switch (Key) {
    case VK_ESCAPE:
      ESCClick(ESC);
      Key = 0;
      return;
    case VK_F12:
      PressKey(VK_F12);
      Key = 0;
      return;
    case VK_F1:
      Key = 0;
      return;
    default:
      TBSDI::FormKeyUp(Sender, Key, Shift);
  }
}

void TfmWebMenuL::FormClose(QObject* Sender, TCloseAction& Action) {
  TBSDI::FormClose(Sender, Action);
  LoginUsers.clear();
  SetModalResult(UserCount > 0 ? mrOk : mrCancel);
}

void RegisterWebMenuL() { RegisterSyoriClass<TfmWebMenuL>("WebMenuL"); }
