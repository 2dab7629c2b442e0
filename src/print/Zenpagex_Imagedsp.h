#pragma once
// The preview window: the pages of one print job on screen as the printing loop puts them on
// paper. The renderer draws the form layer and then the data layer of the shown page onto a
// paint box the size of the printer's printable area at the chosen zoom, inside a sheet the
// size of the paper. From the window the user pages through the job, zooms, prints all pages
// or the shown one, changes the printer, adjusts margins and scale corrections, and closes
// it with a result a caller uses to step to the previous (−1) or next (1) report, or 0.
//
// Nothing here shows a modal box from a paint: a file that vanished while the window is open
// leaves the page blank and is logged once.
#include <QImage>
#include <QScrollArea>
#include <functional>
#include <cstdint>
#include <memory>
#include <string_view>
#include <string>
#include <vector>

#include "print/Zenpagex_Def.h"
#include "ui/forms/Button.h"
#include "ui/forms/CheckBox.h"
#include "ui/forms/ComboBox.h"
#include "ui/forms/Form.h"
#include "ui/forms/Panel.h"

class Tfmyohaku;

// Shows `job` modally; the window's result, or 0 when the preview did not start (engine not
// ready, a file missing).
int ShowPreview(TZPGXDEF& job);

// The hint window of the preview's application: hints in the system font.
class TBigHintWindow {
 public:
  // Makes hints of the whole application use it.
  static void Install();
};

// A scrolling area of the form layer.
class TScrollBox : public forms::TWidgetControl<QScrollArea> {
 public:
  explicit TScrollBox(QWidget* parent);
};

// A surface that its OnPaint handler draws on: the handler paints Canvas(), which is then
// shown as it is.
class TPaintBox : public forms::TWidgetControl<QWidget> {
 public:
  explicit TPaintBox(QWidget* parent);
  QImage& Canvas() { return canvas_; }
  forms::TNotifyEvent OnPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage canvas_;
};

// The printer set-up dialog of the preview: printer, paper and orientation of the engine's
// printer.
class TPrinterSetupDialog : public forms::TForm {
 public:
  explicit TPrinterSetupDialog(QWidget* owner);
  forms::TComboBox* PrinterCombo;
  forms::TComboBox* PaperCombo;
  forms::TRadioButton* PortraitButton;
  forms::TRadioButton* LandscapeButton;
  forms::TButton* OkButton;
  forms::TButton* CancelButton;

  // Shows the dialog; on OK the engine's printer takes the choices. True on OK.
  bool Execute();

 private:
  void FillPapers();
};

class TImageDispForm : public forms::TForm {
 public:
  explicit TImageDispForm(QWidget* owner);
  ~TImageDispForm() override;

  forms::TPanel* SpeedBar;
  forms::TSpeedButton* CloseButton;
  forms::TSpeedButton* PrintButton;
  forms::TSpeedButton* PrintSetupButton;
  forms::TSpeedButton* SB_MARGIN;
  forms::TSpeedButton* ZoomJustButton;
  forms::TSpeedButton* SpeedButton3;
  forms::TSpeedButton* ZoomInButton;
  forms::TSpeedButton* ZoomOutButton;
  forms::TPanel* DispZoom;
  forms::TSpeedButton* PgJump;
  forms::TSpeedButton* TopPage;
  forms::TSpeedButton* PrevPage;
  forms::TSpeedButton* NextPage;
  forms::TSpeedButton* LastPage;
  forms::TSpeedButton* CurrentPage;
  forms::TPanel* WherePage;
  forms::TSpeedButton* PrevPaper;
  forms::TSpeedButton* NextPaper;
  forms::TSpeedButton* ImageOut;
  forms::TSpeedButton* ImageOpen;
  forms::TSpeedButton* ImageOpenCancel;
  TScrollBox* ImagePaintScrollBox;
  forms::TPanel* ScrollContent;
  forms::TPanel* PaperPanel;
  TPaintBox* ImagePaintBox;

  // The margin dialog, created at the first activation.
  Tfmyohaku* Yohaku() const { return yohaku_; }
  // 0 stop, −1 previous report, 1 next report.
  int PreviewCloseNum = 0;
  // The printer set-up dialog the set-up button runs; replaceable (tests).
  std::function<void(TImageDispForm&)> RunPrinterSetup;

  void FormCreate(QObject* sender);
  void FormShow(QObject* sender);
  void FormClose(QObject* sender, forms::TCloseAction& action);
  void FormDeactivate(QObject* sender);
  void FormResize(QObject* sender);
  void ImagePaintBoxPaint(QObject* sender);
  void ImagePaintBoxMouseDown(QObject* sender, forms::TMouseButton button, forms::TShiftState shift, int x, int y);
  void ImagePaintBoxMouseMove(QObject* sender, forms::TShiftState shift, int x, int y);
  void ImagePaintBoxMouseUp(QObject* sender, forms::TMouseButton button, forms::TShiftState shift, int x, int y);
  void PrintButtonClick(QObject* sender);
  void CurrentPageClick(QObject* sender);
  void PrintSetupButtonClick(QObject* sender);
  void SB_MARGINClick(QObject* sender);
  void ZoomInButtonClick(QObject* sender);
  void ZoomOutButtonClick(QObject* sender);
  void ZoomJustButtonClick(QObject* sender);
  void SpeedButton3Click(QObject* sender);
  void ZoomDisp(QObject* sender);
  void PgJumpClick(QObject* sender);
  void Top_PageClick(QObject* sender);
  void DispPrev(QObject* sender);
  void DispNext(QObject* sender);
  void Bottom_PageClick(QObject* sender);
  void CloseButtonClick(QObject* sender);
  void PrevPaperClick(QObject* sender);
  void NextPaperClick(QObject* sender);
  // The snapshot tools: their buttons stay hidden and disabled in this program.
  void ImageSave_Click(QObject* sender);
  void ImageOpen_Click(QObject* sender);
  void ImageOpenCancel_Click(QObject* sender);

 private:
  void SyncOrientation();
  // The fit rule: the largest zoom from 20 down to 5 at which the paper fits the scroll box;
  // 0 when none does. `w` and `h` receive the sheet's size at that zoom.
  int FitZoom(int& w, int& h) const;
  void ShowWherePage();
  void PageChanged();
  // Every preview window in front again.
  static void ShowPreviewsAgain();
  double PixelsPerInch() const;
  // Runs a snapshot tool: nothing while a paint is under way, no painting while it works,
  // then the layout and a repaint.
  void SnapshotTool(const char* context, const std::function<void()>& work);
  // The page totals, the page text, the form's variables and the orientations anew, after
  // the files shown changed.
  void FilesChanged();

  // The job's settings while a snapshot is shown.
  struct TKeptSettings {
    int PaperSize = 0, OutPutPaper = 0, Orientation = 0, TopMargin = 0, LeftMargin = 0;
    std::int32_t NetColor1 = 0, NetColor2 = 0, UserColor1 = 0, UserColor2 = 0;
    bool PrintFom = true;
  } kept_;

  Tfmyohaku* yohaku_ = nullptr;
  bool created_ = false;
  int dragX_ = 0, dragY_ = 0;
  bool dragging_ = false;
  double hPixels_ = 0, vPixels_ = 0;  // pixels per 0.1 mm
  std::vector<int> orientations_;
  bool missingLogged_ = false;
};

// The record lines of a snapshot: the data file's lines with the files they name copied beside
// the snapshot ("<folder>/<stem>_..."): the job's form ("*FORMFILE="), forms placed on pages
// ("FORM;"), pictures ("IMAGE;") and the first chart ("CHART;", saved as a picture). `lines`
// are rewritten to name the copies; the copies are made.
void SaveSnapshotLines(std::vector<std::string>& lines, std::string_view prefix, const std::string& folder,
                       const std::string& stem);

// The window while a preview runs; nullptr otherwise.
TImageDispForm* ImageDispForm();
// Creates the window into the global reference; tried up to six times, the sixth failure is
// passed on.
void CreatePreviewForm();
