#pragma once
// A small waiting window for long work on the main thread: a caption, a busy animation, one
// line of progress text and, optionally, a cancel button. The component lives on a form; the
// window is built each time it is shown and freed when it closes.
//
// Modeless (no OnShow): Show displays the window over the calling form, blocks input to that
// form and returns; the caller works, sets InfoLabel, polls Cancelled and calls Close.
// Modal (OnShow set): Show runs the window modally and calls OnShow from inside the modal
// loop; the window closes when the handler returns, and an exception from the handler is
// raised again by Show once the window is gone.
//
// Animation files are not played: any animation that is set (a built-in one or an existing
// AviFile) shows the program's own busy animation.
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <exception>
#include <string>
#include <string_view>

#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace forms {
class TLabel;
class TButton;
}  // namespace forms

enum TxLabelPosition { xlpRight, xlpBottom };
enum TCommonAVI {
  aviNone, aviFindFolder, aviFindFile, aviFindComputer, aviCopyFiles, aviCopyFile, aviRecycleFile,
  aviEmptyRecycle, aviDeleteFile,
};

// The busy animation: a ring of dots with one bright dot running round.
class TxBusyAnime : public QWidget {
 public:
  explicit TxBusyAnime(QWidget* parent);
  void SetActive(bool active);
  bool Active() const { return timer_.isActive(); }
  int Frame() const { return frame_; }
  static constexpr int kFrames = 8;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer timer_;
  int frame_ = 0;
};

class TxAnimeProgressDialog;

// The progress window, built in code.
class TxProgressForm : public forms::TForm {
 public:
  explicit TxProgressForm(QWidget* owner);

  TxBusyAnime* Anime = nullptr;
  forms::TLabel* InfoText = nullptr;
  forms::TButton* CancelButton = nullptr;

  // Runs the dialog's OnShow inside the modal loop; the loop ends whatever happens.
  void RunShowHandler(TxAnimeProgressDialog* dialog);
};

class TxAnimeProgressDialog : public forms::TNonVisualComponent {
 public:
  explicit TxAnimeProgressDialog(QObject* owner);
  ~TxAnimeProgressDialog() override;

  // The progress window while it exists, else null.
  TxProgressForm* Handle() const { return window_.data(); }
  QWidget* ParentHandle() const { return parentHandle_.data(); }
  void SetParentHandle(QWidget* window) { parentHandle_ = window; }
  std::string Caption() const { return caption_; }
  void SetCaption(std::string_view caption);
  std::string InfoLabel() const { return infoLabel_; }
  void SetInfoLabel(std::string_view text);
  TxLabelPosition LabelPosition() const { return labelPosition_; }
  void SetLabelPosition(TxLabelPosition position);
  TCommonAVI CommonAVI() const { return commonAvi_; }
  void SetCommonAVI(TCommonAVI avi);
  std::string AviFile() const { return aviFile_; }
  void SetAviFile(std::string_view file);
  bool AnimeActive() const;
  void SetAnimeActive(bool value);
  bool CancelBtnShow() const { return cancelBtnShow_; }
  void SetCancelBtnShow(bool value) { cancelBtnShow_ = value; }

  // True from Show to Close (also after a modal run, until Close).
  bool Showing() const { return showing_; }
  // Set by a click on the cancel button; cleared by Show.
  bool Cancelled() const { return cancelled_; }

  forms::TNotifyEvent OnShow;
  forms::TNotifyEvent OnClose;

  void Show(forms::TForm* AForm);
  // Unblocks the parent, frees the window. Safe to call any number of times. Returns 0.
  int Close();
  void StartAnime(bool Value);

 private:
  friend class TxProgressForm;
  bool HasAnime() const;
  void ApplyAviFile();
  void LayoutWindow();
  void PlaceOverParent(forms::TForm* AForm, const QRect& parentRect);
  void ReleaseParent();
  void FreeWindow();

  QPointer<TxProgressForm> window_;
  QPointer<QWidget> parentHandle_;
  std::string caption_;
  std::string infoLabel_;
  TxLabelPosition labelPosition_ = xlpRight;
  TCommonAVI commonAvi_ = aviNone;
  std::string aviFile_;
  bool cancelBtnShow_ = true;
  bool showing_ = false;
  bool cancelled_ = false;
  // The window this dialog has blocked (at most once), so that Close and the destructor
  // unblock exactly what Show blocked.
  QPointer<QWidget> blocked_;
  QRect parentNormalRect_;
  std::exception_ptr kept_;
};

namespace progress {
// Sleeps until `milliseconds` have passed, 1 ms at a time, handling no events.
void Wait(int milliseconds);
}  // namespace progress
