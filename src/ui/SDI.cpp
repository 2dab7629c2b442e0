#include "ui/SDI.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QWindow>
#include <algorithm>
#include <exception>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction2.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/uAccRecordHooks.h"
#include "platform/DateTime.h"
#include "platform/UiServices.h"
#include "platform/db/IBError.h"
#include "platform/db/TransactionScope.h"
#include "ui/PerfectGrid.h"
#include "ui/forms/Application.h"
#include "ui/forms/Memo.h"
#include "ui/xPlButton.h"

using namespace forms;

namespace {

// Pending mouse and key input of the form's window, dropped when it comes up, so that a key
// or click meant for the window below does not land in the new dialog.
void FlushInput(QWidget* window) {
  static const QEvent::Type kInput[] = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseMove,
                                        QEvent::KeyPress, QEvent::KeyRelease};
  QList<QWidget*> targets = window->findChildren<QWidget*>();
  targets.prepend(window);
  for (QWidget* w : targets) {
    for (QEvent::Type type : kInput) QCoreApplication::removePostedEvents(w, type);
  }
}

// Runs one step of the first show or of the close; a failure does not leave the handler.
// A database error was reported where it happened; anything else is reported here.
template <class F>
bool Reported(F&& step) {
  try {
    step();
    return true;
  } catch (const EIBError&) {
    return false;
  } catch (...) {
    HandleException(std::current_exception());
    return false;
  }
}

std::string KeyName(int vk) {
  if (vk == VK_ESCAPE) return "ESC";
  if (vk >= VK_F1 && vk <= VK_F12) return "F" + std::to_string(vk - VK_F1 + 1);
  return {};
}

}  // namespace

TBSDI::TBSDI(QWidget* owner) : TForm(owner) {
  // The form resource of the base form.
  SetName("BSDI");
  SetTag(50);
  SetCaption("( W=1005 * H=620 )");
  SetColor(clBtnFace);
  SetFont(TFontSpec{.Height = -13});
  SetKeyPreview(true);
  SetPosition(poDefault);
  SetShowHint(true);
  SetBounds(Left(), Top(), 656, 415);

  IBTransactionDAT.Params = {"read_committed", "rec_version", "nowait"};
  if (DM) IBTransactionDAT.SetDefaultDatabase(&DM->IBDatabaseDAT);

  OnCreate = [this](QObject* s) { FormCreate(s); };
  OnShow = [this](QObject* s) { FormShow(s); };
  OnActivate = [this](QObject* s) { FormActivate(s); };
  OnDeactivate = [this](QObject* s) { FormDeactivate(s); };
  OnDestroy = [this](QObject* s) { FormDestroy(s); };
  OnClose = [this](QObject* s, TCloseAction& a) { FormClose(s, a); };
  OnKeyUp = [this](QObject* s, int& k, TShiftState sh) { FormKeyUp(s, k, sh); };
}

TBSDI::~TBSDI() = default;

// ---- handlers ----

void TBSDI::FormCreate(QObject*) {
  FParentWnd = nullptr;
  FParentCaption.clear();
  const bool notDialog = BorderStyle() != bsDialog;
  FOpLog = FSkipOpenCheck = FSaveSize = FRefreshAccInfo = FActivateHook = notDialog;
  FMenuLink = false;
  FActivateHookValue = 0;
  FCreatedOK = false;
  FShownOnce = false;
  FSetupPending = true;
  FHintMemo = nullptr;
  FKeepOnClose = false;
  FLastKey = 0;
  FreeLayoutRecords();
  FDesignWidth = FDesignHeight = FMinWidth = FMinHeight = FMaxWidth = FMaxHeight = 0;
  FFontScale = 100;

  FFont = TFontSpec{};
  if (!SystemDef.AppFont.Name.empty()) FFont = FontSpecOf(SystemDef.AppFont, Screen().PixelsPerInch());
  FStrings1.clear();
  FStrings2.clear();
  FStrings3.clear();
  FDeactivated = false;
  FKikanStartCell = 0;

  ShortDateFormat = "YYYY/MM/DD";
  SetShowHint(SystemDef.ShowHint != 0);
  FGamenKeyValue = std::make_unique<TGamenKeyValue>();
  FGamenValue.clear();
  FSplitter.Clear();
  FSplitter.Delimiter = ',';
  // The form would be made its own owner here; only a real owner given later counts.
  SetupKikanPanels();
}

void TBSDI::FormShow(QObject*) {
  if (FShownOnce) return;
  // A failing step ends the one-time steps; they run again on the next show.
  Reported([&] {
    if (FOpLog) {
      PutProcRirekiInfo(0);
      SystemDef.DialogFlag = 1;
    }
    if (FRefreshAccInfo && DM) DM->fnGetAccInfo();
    ScaleLoadedForm();
    AdjustFrameWidth();
    SaveInitialLayout();
    ApplyFontScale();
    GetFormSize();
    FShownOnce = true;
  });
}

void TBSDI::FormActivate(QObject*) {
  if (ActivateHook) ActivateHook(FActivateHook, FActivateHookValue);
  // The saved FPU control word of the original is 0 here: nothing to load.
}

void TBSDI::FormDeactivate(QObject*) { FDeactivated = true; }

void TBSDI::FormDestroy(QObject*) {
  FreeLayoutRecords();
  FStrings1.clear();
  FStrings2.clear();
  FStrings3.clear();
  FGamenKeyValue.reset();
  FSplitter.Clear();
}

void TBSDI::FormClose(QObject*, TCloseAction& Action) {
  Screen().SetCursor(crHourGlass);
  Reported([&] {
    if (FSaveSize) PutFormSize();
  });
  Reported([&] {
    if (FOpLog) PutProcRirekiInfo(1);
  });
  if (QGuiApplication::inputMethod()) QGuiApplication::inputMethod()->reset();
  Screen().SetCursor(crDefault);
  if (!FKeepOnClose) Action = caFree;
}

void TBSDI::FormKeyUp(QObject*, int& Key, TShiftState Shift) {
  if (Shift & (ssShift | ssCtrl | ssAlt | ssLeft | ssRight | ssMiddle)) return;
  if (Key == VK_ESCAPE && BorderStyle() == bsDialog) Close();
  else if (Key == VK_F12 && BorderStyle() != bsDialog) Close();
  FLastKey = static_cast<uint16_t>(Key);
}

void TBSDI::CMShowingChanged() {
  if (Showing()) {
    FlushInput(this);
    SystemDef.LauncherFlag = 0;
    if (MenuHook) {
      if (FMenuLink && MenuHook(10, "") > 0) FMenuLink = false;
      if (FMenuLink) {
        SystemDef.LauncherFlag = static_cast<uint8_t>(MenuHook(11, "LomatraMenu") & 0xFF);
        MenuHook(4, "");
      }
    }
  }
  Screen().SetCursor(crDefault);
}

void TBSDI::CMFocusChanged(TControl* control) {
  if (FHintMemo) ShowLongHint(control, FHintMemo);
  UpdateFunctionKeys();
}

// ---- owner ----

void TBSDI::SetParentWnd(QWidget* window) {
  if (window && window->window() == this) return;
  FParentWnd = window;
  if (FormStyle() != fsNormal || !window) return;
  if (QWidget* top = window->window()) {
    // The owner is the window the form stays above, not the parent that frees it.
    if (!windowHandle()) create();
    if (!top->windowHandle()) top->winId();
    windowHandle()->setTransientParent(top->windowHandle());
    if (TForm* form = dynamic_cast<TForm*>(top)) FParentCaption = form->Caption();
  }
}

// ---- operation log ----

std::unique_ptr<TIBQuery> TBSDI::CreateQuery() {
  if (!DM) return nullptr;
  auto q = std::make_unique<TIBQuery>();
  q->SetDatabase(&DM->IBDatabaseDAT);
  q->SetTransaction(&IBTransactionDAT);
  q->SQL.clear();
  return q;
}

std::unique_ptr<TIBStoredProc> TBSDI::CreateStoredProc(const std::string& name) {
  if (!DM) return nullptr;
  auto sp = std::make_unique<TIBStoredProc>();
  sp->SetDatabase(&DM->IBDatabaseDAT);
  sp->SetTransaction(&IBTransactionDAT);
  sp->StoredProcName = name;
  return sp;
}

void TBSDI::PutProcRirekiInfo(int mode) {
  std::unique_ptr<TIBQuery> q = CreateQuery();
  std::unique_ptr<TIBStoredProc> sp = CreateStoredProc("OPINF_DELETE");
  if (!q || !sp) return;
  try {
    TTransactionScope tx(IBTransactionDAT);
    // Opening marks whatever entry of the job is still there as ended by an error.
    sp->ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
    sp->ParamByName("JOBNAME").SetString(Caption());
    sp->ParamByName("STATE").SetString(mode == 0 ? "エラー終了" : mode == 1 ? "正常終了" : "");
    sp->ExecProc();
    if (mode == 0) {
      q->SQL = "INSERT INTO OPINF(OPCODE,JOBNAME,PCNAME,OPENTIME)\nVALUES(:OPCODE,:JOBNAME,:PCNAME,:OPENTIME)";
      q->ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
      q->ParamByName("JOBNAME").SetString(Caption());
      q->ParamByName("PCNAME").SetString(SystemDef.PcName);
      q->ParamByName("OPENTIME").SetDateTime(Now());
      q->ExecSQL();
    }
  } catch (const EIBError& e) {
    ReportDbError(e, "TBSDI.PutProcRirekiInfo", "", true);
    throw;
  }
}

// ---- form size ----

QSize TBSDI::MainClientSize() const {
  if (TForm* main = Application().MainForm(); main && main != this) return QSize(main->ClientWidth(), main->ClientHeight());
  return Screen().WorkArea().size();
}

void TBSDI::GetFormSize() {
  if (!FSaveSize) return;
  std::unique_ptr<TIBQuery> q = CreateAccQuery("ACCDEF", false);
  if (!q) return;
  try {
    TTransactionScope tx(DM->IBTransactionDEF);
    q->SQL = "SELECT FMTOP,FMLEFT,FMHEIGHT,FMWIDTH FROM FORMRSIZE\nWHERE FMNAME=:FMNAME AND OPCODE=:OPCODE";
    q->ParamByName("FMNAME").SetString(Name());
    q->ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
    q->Open();
    if (!q->Eof()) {
      // A stored size is in pixels as it was stored, whatever the screen now.
      const int top = q->FieldByName("FMTOP").AsInteger(), left = q->FieldByName("FMLEFT").AsInteger();
      const int height = q->FieldByName("FMHEIGHT").AsInteger(), width = q->FieldByName("FMWIDTH").AsInteger();
      q->Close();
      SetBounds(left, top, width, height);
    } else {
      q->Close();
      // The first show for this operator: the standard size at this form's density.
      const int height = GetSysMetric(ScaleByDpi(648, pixelsPerInch_, 96), 0);
      const int width = GetSysMetric(ScaleByDpi(1012, pixelsPerInch_, 96), 0);
      SetBounds(0, 0, width, height);
      q->SQL = "INSERT INTO FORMRSIZE\nVALUES(:OPCODE ,:FNAME,:TOP,:LEFT,:HEIGHT,:WIDTH,:DEFHEIGHT,:DEFWIDTH)";
      q->ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
      q->ParamByName("FNAME").SetString(Name());
      q->ParamByName("TOP").SetInteger(Top());
      q->ParamByName("LEFT").SetInteger(Left());
      q->ParamByName("HEIGHT").SetInteger(Height());
      q->ParamByName("WIDTH").SetInteger(Width());
      q->ParamByName("DEFHEIGHT").SetInteger(Height());
      q->ParamByName("DEFWIDTH").SetInteger(Width());
      q->ExecSQL();
    }
  } catch (const EIBError& e) {
    ReportDbError(e, "TBSDI.GetFormSize", "", true);
  }
}

void TBSDI::PutFormSize() {
  if (!FSaveSize) return;
  FreeLayoutRecords();
  const QSize main = MainClientSize();
  int top, left, height, width;
  if (WindowState() == wsMaximized) {
    top = 0;
    left = 0;
    height = main.height() - (SystemDef.Reserved126 + SystemDef.FrameHeight);
    width = main.width() - SystemDef.FrameHeight;
  } else {
    top = std::max(Top(), 0);
    left = std::max(Left(), 0);
    height = Height();
    width = Width();
  }
  if (top > main.height()) top = 0;
  if (left > main.width()) left = 0;

  std::unique_ptr<TIBQuery> q = CreateAccQuery("ACCDEF", false);
  if (!q) return;
  try {
    TTransactionScope tx(DM->IBTransactionDEF);
    q->SQL = "UPDATE FORMRSIZE SET FMTOP=:FMTOP,FMLEFT=:FMLEFT,FMHEIGHT=:FMHEIGHT,FMWIDTH=:FMWIDTH\n"
             "WHERE OPCODE=:OPCODE AND FMNAME=:FMNAME";
    q->ParamByName("FMTOP").SetInteger(top);
    q->ParamByName("FMLEFT").SetInteger(left);
    q->ParamByName("FMHEIGHT").SetInteger(height);
    q->ParamByName("FMWIDTH").SetInteger(width);
    q->ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
    q->ParamByName("FMNAME").SetString(Name());
    q->ExecSQL();
  } catch (const EIBError& e) {
    ReportDbError(e, "TBSDI.PutFormSize", "", true);
  }
}

// ---- position ----

void TBSDI::SetFormPosition(int X, int Y, int W, int H, uint8_t Mode) {
  const QRect work = Screen().WorkArea();
  const int workRight = work.left() + work.width(), workBottom = work.top() + work.height();
  int left = Left(), top = Top();
  if (!FSetupPending && left > 0 && left < workRight && top > 0 && top < workBottom) return;

  TForm* main = Application().MainForm();
  const bool mainShowing = main && main != this && main->Showing();
  auto screenCentre = [&] {
    SetPosition(poScreenCenter);
    left = 0;
    top = 0;
  };
  switch (Mode) {
    case 1:
      SetPosition(poDesigned);
      if (mainShowing) {
        left = main->Left() + 2 * SystemDef.FrameHeight + X + W / 2 - Width() / 2;
        top = main->Top() + 2 * SystemDef.FrameHeight + 2 * SystemDef.CaptionHeight + SystemDef.MenuHeight + Y + H / 2 -
              Height() / 2;
      } else {
        screenCentre();
      }
      break;
    case 2:
      SetPosition(poDesigned);
      if (mainShowing) {
        left = main->Left() + (main->Width() - Width()) / 2;
        top = main->Top() + (main->Height() - Height()) / 2;
      } else {
        screenCentre();
      }
      break;
    default:
      screenCentre();
      break;
  }
  left = std::max(left, 0);
  top = std::max(top, 0);
  if (left + Width() > workRight) left = workRight - Width();
  if (top + Height() > workBottom) top = workBottom - Height();
  if (BorderStyle() == bsDialog) {
    left = std::max(left, 0);
    top = std::max(top, 0);
  }
  move(left, top);
}

// ---- saved screen values ----

void TBSDI::LoadGamenValue() {
  if (FGamenKeyValue) FGamenKeyValue->FukugenValue(Name(), FGamenValue);
}

void TBSDI::SaveGamenValue() {
  if (FGamenKeyValue) FGamenKeyValue->HozonValue(Name(), FGamenValue);
}

// ---- function keys ----

TxPlButton* TBSDI::KeyButton(int vk) const {
  const std::string name = KeyName(vk);
  return name.empty() ? nullptr : dynamic_cast<TxPlButton*>(FindComponent(name));
}

bool TBSDI::KeyOffered(const TxPlButton* button) {
  if (!button) return false;
  const std::string caption = button->CaptionA().Caption();
  const auto colon = caption.find(':');
  return !caption.empty() && !(colon != std::string::npos && colon + 1 == caption.size());
}

bool TBSDI::PressKey(int vk) {
  TxPlButton* button = KeyButton(vk);
  if (!button || !button->Visible() || !button->Enabled() || !KeyOffered(button)) return false;
  button->Click();
  return true;
}

// ---- hints ----

void ShowLongHint(TControl* control, TMemo* target) {
  if (!control || !target) return;
  const std::string hint = control->Hint();
  if (hint.empty()) {
    target->Clear();
    return;
  }
  const auto bar = hint.find('|');
  target->SetText(bar == std::string::npos ? hint : hint.substr(bar + 1));
}

void TBSDI::ReportInitFailed() {
  uis::ShowMessage(uis::MsgKind::Error, Caption() + "画面の初期化に失敗しました。\r処理を終了します。");
}

void TBSDI::UsePlainDialogFlags(forms::TMemo* hintMemo) {
  FMenuLink = FSkipOpenCheck = FSaveSize = FActivateHook = false;
  FHintMemo = hintMemo;
}
