#include "ui/xAnimeProgressDialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "ui/forms/Application.h"
#include "ui/forms/Button.h"
#include "ui/forms/Label.h"

using namespace forms;

namespace progress {

void Wait(int milliseconds) {
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(milliseconds)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace progress

namespace {

// The window's rectangle on the screen, frame and caption included.
QRect OuterRect(QWidget* window) {
  if (auto* form = dynamic_cast<TForm*>(window)) return QRect(form->Left(), form->Top(), form->Width(), form->Height());
  return window->frameGeometry();
}

QRect WorkAreaAt(const QPoint& point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : Screen().WorkArea();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TxBusyAnime

TxBusyAnime::TxBusyAnime(QWidget* parent) : QWidget(parent) {
  timer_.setInterval(100);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] {
    frame_ = (frame_ + 1) % kFrames;
    update();
  });
}

void TxBusyAnime::SetActive(bool active) {
  if (active == timer_.isActive()) return;
  if (active) {
    timer_.start();
  } else {
    timer_.stop();
  }
  update();
}

void TxBusyAnime::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  const double cx = width() / 2.0, cy = height() / 2.0;
  const double radius = std::min(width(), height()) / 2.0 - 5.0;
  constexpr double kPi = 3.14159265358979323846;
  for (int i = 0; i < kFrames; ++i) {
    const double angle = 2.0 * kPi * i / kFrames - kPi / 2.0;
    // The running dot is dark; the two behind it fade out.
    const int behind = (frame_ - i + kFrames) % kFrames;
    const QColor color = behind == 0 ? QColor(0, 0, 128) : behind == 1 ? QColor(96, 96, 160) : behind == 2 ? QColor(150, 150, 190) : QColor(200, 200, 200);
    painter.setBrush(color);
    painter.drawEllipse(QPointF(cx + radius * std::cos(angle), cy + radius * std::sin(angle)), 3.0, 3.0);
  }
}

// ---------------------------------------------------------------------------------------
// TxProgressForm

TxProgressForm::TxProgressForm(QWidget* owner) : TForm(owner) {}

void TxProgressForm::RunShowHandler(TxAnimeProgressDialog* dialog) {
  QPointer<QWidget> alive(this);
  try {
    if (dialog->OnShow) dialog->OnShow(this);
  } catch (...) {
    // Kept and raised again by Show once the window is gone: it must not cross Qt's loop.
    dialog->kept_ = std::current_exception();
  }
  if (alive) SetModalResult(mrOk);
}

// ---------------------------------------------------------------------------------------
// TxAnimeProgressDialog

TxAnimeProgressDialog::TxAnimeProgressDialog(QObject* owner) : TNonVisualComponent(owner) {}

TxAnimeProgressDialog::~TxAnimeProgressDialog() {
  ReleaseParent();
  FreeWindow();
}

void TxAnimeProgressDialog::SetCaption(std::string_view caption) {
  caption_ = std::string(caption);
  if (window_) window_->SetCaption(caption_);
}

void TxAnimeProgressDialog::SetInfoLabel(std::string_view text) {
  infoLabel_ = std::string(text);
  if (!window_) return;
  window_->InfoText->SetCaption(infoLabel_);
  // Shown at once, even when the caller does not let the event loop run while it works.
  if (window_->isVisible()) window_->repaint();
  progress::Wait(1);
}

void TxAnimeProgressDialog::SetLabelPosition(TxLabelPosition position) {
  labelPosition_ = position;
  if (window_) LayoutWindow();
}

void TxAnimeProgressDialog::SetCommonAVI(TCommonAVI avi) {
  commonAvi_ = avi;
  if (window_) window_->Anime->setVisible(HasAnime());
}

void TxAnimeProgressDialog::SetAviFile(std::string_view file) {
  aviFile_ = std::string(file);
  if (window_) ApplyAviFile();
}

void TxAnimeProgressDialog::ApplyAviFile() {
  std::error_code ec;
  if (!aviFile_.empty() && !std::filesystem::exists(std::filesystem::path(aviFile_), ec)) aviFile_.clear();
  const bool has = HasAnime();
  window_->Anime->setVisible(has);
  if (!has) window_->Anime->SetActive(false);
}

bool TxAnimeProgressDialog::HasAnime() const { return commonAvi_ != aviNone || !aviFile_.empty(); }

bool TxAnimeProgressDialog::AnimeActive() const { return window_ && window_->Anime->Active(); }

void TxAnimeProgressDialog::SetAnimeActive(bool value) {
  if (window_) StartAnime(value);
}

void TxAnimeProgressDialog::StartAnime(bool Value) {
  if (!window_ || !HasAnime()) return;
  window_->Anime->SetActive(Value);
  if (window_->isVisible()) window_->repaint();
}

void TxAnimeProgressDialog::LayoutWindow() {
  const int textHeight = QFontMetrics(window_->font()).height();  // the height of "Wq"
  int animeTop = 16;
  int labelLeft = labelPosition_ == xlpRight ? 60 : 20;
  int labelTop = labelPosition_ == xlpRight ? 24 : 52;
  if (!window_->CancelButton) {
    const int half = window_->ClientHeight() / 2;
    animeTop = half - 20;
    labelTop = labelPosition_ == xlpRight ? half - 8 : half + 20;
  }
  window_->Anime->setGeometry(20, animeTop, 32, 32);
  window_->InfoText->SetBounds(labelLeft, labelTop, 300, textHeight);
  window_->update();
}

void TxAnimeProgressDialog::Show(TForm* AForm) {
  // The parent: the calling form, or else the window already in ParentHandle.
  if (AForm) {
    parentHandle_ = AForm;
  }
  if (parentHandle_) {
    QWidget* parent = parentHandle_->window();
    parentNormalRect_ = parent->isMaximized() || parent->isMinimized() ? parent->normalGeometry() : OuterRect(parent);
  } else {
    parentHandle_ = nullptr;
  }

  if (!window_) {
    // Owned by the calling form; without one, by the modal dialog that is up (if any), whose
    // modality would otherwise make the cancel button unreachable.
    QWidget* owner = AForm ? static_cast<QWidget*>(AForm) : QApplication::activeModalWidget();
    window_ = CreateForm<TxProgressForm>(owner);
  }
  TxProgressForm* window = window_;
  if (parentHandle_) {
    QWidget* parent = parentHandle_->window();
    if (parent != window && window->parentWidget() != parent) window->setParent(parent, window->windowFlags());
    if (AForm) window->SetFont(AForm->Font());
  }

  window->SetBorderStyle(bsDialog);
  window->SetBorderIcons(0);
  window->SetPosition(poScreenCenter);
  window->SetFormStyle(fsNormal);
  window->SetCaption(caption_);
  window->SetClientSize(380, 100);
  QPointer<TxAnimeProgressDialog> self(this);
  window->OnClose = [self](QObject*, TCloseAction&) {
    if (self && self->OnClose) self->OnClose(self.data());
  };

  if (!window->Anime) window->Anime = new TxBusyAnime(window);
  window->Anime->setGeometry(20, 16, 32, 32);
  ApplyAviFile();

  if (!window->InfoText) {
    window->InfoText = new TLabel(window);
    window->InfoText->SetAutoSize(false);
  }
  window->InfoText->SetCaption(infoLabel_);
  cancelled_ = false;

  if (cancelBtnShow_ && !window->CancelButton) {
    window->CancelButton = new TButton(window);
    window->CancelButton->SetCaption("キャンセル");
    window->CancelButton->SetBounds(152, 67, 76, 23);
    window->CancelButton->OnClick = [self](QObject*) {
      if (self) self->cancelled_ = true;  // the caller decides when to stop
    };
  } else if (!cancelBtnShow_ && window->CancelButton) {
    delete window->CancelButton;
    window->CancelButton = nullptr;
  }
  LayoutWindow();

  showing_ = true;
  StartAnime(true);
  QPointer<TxProgressForm> win(window);
  if (OnShow) {
    window->OnShow = [win, self](QObject*) {
      QMetaObject::invokeMethod(
          win.data(), [win, self] {
            if (win && self) win->RunShowHandler(self.data());
          },
          Qt::QueuedConnection);
    };
    kept_ = nullptr;
    window->ShowModal();
    if (win) {
      if (window_ == win) window_ = nullptr;
      win->Free();
    }
  } else if (parentHandle_) {
    PlaceOverParent(AForm, parentNormalRect_);
    QWidget* parent = parentHandle_->window();
    if (blocked_ != parent) {
      ReleaseParent();
      EnableWindow(parent, false);
      blocked_ = parent;
    }
    window->Show();
  } else {
    window->SetFormStyle(fsStayOnTop);
    window->Show();
  }

  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  progress::Wait(50);
  if (kept_) {
    std::exception_ptr e = kept_;
    kept_ = nullptr;
    std::rethrow_exception(e);
  }
}

void TxAnimeProgressDialog::PlaceOverParent(TForm* AForm, const QRect& normalRect) {
  TxProgressForm* window = window_;
  QRect parentRect;
  if (AForm) {
    // Over an MDI frame or a stay-on-top form the window stays in the middle of the screen.
    if (AForm->FormStyle() != fsNormal && AForm->FormStyle() != fsMDIChild) return;
    parentRect = OuterRect(AForm);
  } else {
    parentRect = normalRect;
  }
  if (parentRect.width() <= 0 && parentRect.height() <= 0) {
    window->SetFormStyle(fsStayOnTop);
    return;  // centred on the screen when shown
  }
  // Centred on the parent in screen coordinates and kept inside the work area of the parent's
  // monitor, so that a parent on a second monitor does not push the window off-screen.
  int left = parentRect.left() + (parentRect.width() - window->Width()) / 2;
  int top = parentRect.top() + (parentRect.height() - window->Height()) / 2;
  const QRect area = WorkAreaAt(parentRect.center());
  left = std::max(area.left(), std::min(left, area.left() + area.width() - window->Width()));
  top = std::max(area.top(), std::min(top, area.top() + area.height() - window->Height()));
  window->SetPosition(poDesigned);
  window->move(left, top);
}

int TxAnimeProgressDialog::Close() {
  ReleaseParent();
  showing_ = false;
  FreeWindow();
  return 0;
}

void TxAnimeProgressDialog::ReleaseParent() {
  if (blocked_) EnableWindow(blocked_, true);
  blocked_ = nullptr;
}

void TxAnimeProgressDialog::FreeWindow() {
  TxProgressForm* window = window_;
  window_ = nullptr;
  if (!window) return;
  if (window->Anime) window->Anime->SetActive(false);
  if (window->Modal()) {
    // Inside a modal run: end the loop; Show frees the window after it.
    window->SetModalResult(mrOk);
    return;
  }
  // Freed once control is back in the event loop: Close may be called from a handler of
  // the window itself.
  window->Hide();
  window->Release();
}
