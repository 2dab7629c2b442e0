#pragma once
// The dialog base form: every framework dialog derives from TBSDI and gets one life cycle.
//
//  - Creation (FormCreate): flags from the border style, the environment font, the saved
//    screen-value store, the short date format, the period panels set to the open company.
//  - First show (FormShow, once): the operation-log entry, the company settings refresh, the
//    layout record, the rescale to the operator's font and the screen, the saved form size.
//  - Keys: Esc closes a dialog-style form and F12 any other, on key-up with no modifier.
//  - The long part of the focused control's hint goes to the hint memo; the function-key
//    captions are recomputed (UpdateFunctionKeys) on every focus change.
//  - Close (FormClose): the form size and the log entry are stored, the form frees itself
//    unless FKeepOnClose; a failure is reported and the close completes all the same.
//
// Dialogs with the border style bsDialog keep no size, write no log and refresh nothing
// unless they switch it on in their own FormCreate. A derived dialog that publishes its own
// handler overrides the virtual one and calls the base handler first:
//
//   class TMyBox : public TBSDI {
//     void FormCreate(QObject* Sender) override {
//       TBSDI::FormCreate(Sender);
//       FSaveSize = false;
//       ... build the lists ...
//       FCreatedOK = true;
//     }
//   };
//   auto* box = forms::CreateForm<TMyBox>(owner);
//
// Function keys: buttons named "ESC", "F1" ... "F12" form the key bar. A caption that is only
// its prefix ("F2:") marks the key as not offered; PressKey then does nothing, and click
// handlers ask KeyOffered first.
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/uAccClassesGamen.h"
#include "data/uAccClassesSplit.h"
#include "platform/db/IBDatabase.h"
#include "platform/db/IBQuery.h"
#include "platform/db/IBStoredProc.h"
#include "ui/SDILayout.h"
#include "ui/forms/Form.h"
#include "ui/forms/Graphics.h"

namespace forms {
class TMemo;
}
class TPerfectGrid;
class TxPlButton;

class TBSDI : public forms::TForm {
 public:
  explicit TBSDI(QWidget* owner);
  ~TBSDI() override;

  // ---- fields that derived dialogs and callers set and read ----
  QPointer<QWidget> FParentWnd;   // the owner window recorded by SetParentWnd
  std::string FParentCaption;     // its caption
  bool FMenuLink = false;         // showing the form consults the menu hook
  bool FOpLog = false;            // operation log on the first show and on close
  bool FSkipOpenCheck = false;    // a module run modally skips the open-windows question
  bool FSaveSize = false;         // geometry kept in FORMRSIZE
  bool FRefreshAccInfo = false;   // the company settings are read again on the first show
  bool FActivateHook = false;     // passed to the activation hook
  int32_t FActivateHookValue = 0; // passed to the activation hook
  bool FCreatedOK = false;        // each derived FormCreate sets it as its last step
  bool FShownOnce = false;        // the first show's steps have run
  bool FSetupPending = true;      // the dialog's Setup clears it
  forms::TMemo* FHintMemo = nullptr;  // receives the long hint of the focused control
  bool FKeepOnClose = false;      // closing hides the form instead of freeing it
  forms::TFontSpec FFont;         // copy of the environment font made at creation
  uint16_t FLastKey = 0;          // the last key released with no modifier held
  // Free for derived dialogs.
  std::vector<std::string> FStrings1, FStrings2, FStrings3;
  std::unique_ptr<TGamenKeyValue> FGamenKeyValue;
  std::string FGamenValue;        // the form's saved screen string
  int FKikanStartCell = 0;        // the start cell SetupKikanPanels computed
  bool FDeactivated = false;
  TMojiBunkatu FSplitter;         // delimiter ','

  // The form's own transaction on the company database: "read_committed", "rec_version",
  // "nowait". Queries of CreateQuery run in it.
  TIBTransaction IBTransactionDAT;

  // ---- layout fields (SDILayout.cpp) ----
  std::vector<TLayoutRec> FLayoutRecs;  // one per component, from the first show
  int FDesignWidth = 0, FDesignHeight = 0;
  int FMinWidth = 0, FMinHeight = 0, FMaxWidth = 0, FMaxHeight = 0;
  int FFontScale = 100;  // percent of the environment font to the base font
  // Pixels per inch the form is laid out for: 96 as designed, then the screen's, then the
  // operator's font scale applied (ApplyFontScale).
  int PixelsPerInch() const { return pixelsPerInch_; }

  // ---- handlers ----
  virtual void FormCreate(QObject* Sender);
  // What the plain dialogs of the framework set after the base creation: no menu link, no
  // open-windows question, no kept size, no activation hook; long hints go to `hintMemo`.
  void UsePlainDialogFlags(forms::TMemo* hintMemo);
  virtual void FormShow(QObject* Sender);
  virtual void FormActivate(QObject* Sender);
  virtual void FormDeactivate(QObject* Sender);
  virtual void FormDestroy(QObject* Sender);
  virtual void FormClose(QObject* Sender, forms::TCloseAction& Action);
  virtual void FormKeyUp(QObject* Sender, int& Key, forms::TShiftState Shift);

  // ---- operations ----
  // Records the owner window: the form stays above it. The form itself is never its own
  // owner (nothing changes then).
  void SetParentWnd(QWidget* window);
  // Mode 0 opens, mode 1 closes the form's entry in the company's operation log (OPINF).
  // A database failure is reported and raised again.
  void PutProcRirekiInfo(int mode);
  // Load and store the geometry in FORMRSIZE (only with FSaveSize); a database failure is
  // reported and the form keeps its geometry.
  void GetFormSize();
  void PutFormSize();
  // Mode 1: centred on the rectangle (X, Y, W, H) of the main form's client area; mode 2:
  // centred on the main form; any other mode: on the screen. Kept inside the work area. A
  // form that was set up and lies inside the work area stays where it is.
  void SetFormPosition(int X, int Y, int W, int H, uint8_t Mode);
  // A new query (stored procedure) on the company database in IBTransactionDAT; null when
  // there is no data module.
  std::unique_ptr<TIBQuery> CreateQuery();
  std::unique_ptr<TIBStoredProc> CreateStoredProc(const std::string& name);
  // FGamenValue from and to the screen-value store, under the form's name.
  void LoadGamenValue();
  void SaveGamenValue();

  // ---- layout, font scaling and panel set-up (SDILayout.cpp) ----
  // The period panels to the open company's fiscal year (end of FormCreate).
  void SetupKikanPanels();
  // The first show, in this order: controls shifted for thick window frames, the design
  // bounds and column widths recorded, the form rescaled to the operator's font.
  void AdjustFrameWidth();
  void SaveInitialLayout();
  void ApplyFontScale();
  void FreeLayoutRecords();
  // The grid's colours from the operator's settings; mode 1 keeps one colour for all rows.
  void SetGridColors(TPerfectGrid* grid, int mode);
  // Scales the form's client size, every control's bounds and every font of its own by
  // M / D (as a form is scaled to another pixel density).
  void ScaleBy(int M, int D);

  // ---- function keys ----
  // The button of a key: the component named "ESC", "F1" ... "F12"; null when none.
  TxPlButton* KeyButton(int vk) const;
  // The caption says what the key does (it is more than the bare "F2:").
  static bool KeyOffered(const TxPlButton* button);
  // Clicks the key's button when it is there, visible, enabled and offered.
  bool PressKey(int vk);

  // A dialog whose creation did not complete says so: "<caption>画面の初期化に失敗しました。"
  // and "処理を終了します。" as an error box.
  void ReportInitFailed();

 protected:
  void CMShowingChanged() override;
  void CMFocusChanged(forms::TControl* control) override;
  // Recomputes the function-key captions; called on every focus change. Dialogs with a key
  // bar override it.
  virtual void UpdateFunctionKeys() {}

 private:
  void ScaleLoadedForm();
  void ApplyConstraints();
  // The client area of the main form (the work area when there is none).
  QSize MainClientSize() const;

  int pixelsPerInch_ = 96;
};

// The long part of a control's hint into the memo: nothing for no control, the memo cleared
// for an empty hint, the whole hint when it has no "|", else the text after the first "|".
void ShowLongHint(forms::TControl* control, forms::TMemo* target);

// The cell of the 16-cell period panel that starts month m (1 to 12); 0 for anything else.
int KikanCellOfMonth(int month);
