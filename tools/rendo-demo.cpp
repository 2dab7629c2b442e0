// The program on the demo installation. With a display the wizard window opens for the user;
// without one (or with --headless) the same program runs off-screen and a simulated user walks
// the wizard by clicks and keys: [次へ], [データ選択を開く], [次へ] twice, types the output
// file, [次へ], [完了], and answers the closing message with Enter. The path of the written
// file is printed on standard output.
//
//   rendo-demo [--headless] [--list-pdf PDF_FILE] OUTPUT_FILE
//                                with --list-pdf the simulated user first opens the data list
//                                (the data selection of data management), prints it (F8, OK)
//                                onto the PDF pseudo-printer, which writes PDF_FILE, and
//                                closes it (Esc)
//   rendo-demo --first-paint     off-screen: prints "painted <ns>" (CLOCK_REALTIME) when the
//                                first page has been painted, and closes the window (the
//                                start-up benchmark runs this)
//
// Environment: the RENDO_* folders of the demo installation.
//
// The simulated user logs on as the installation's administrator (operator 10, password
// "admin"). In the data selection the demo company is the only data set of this version: the
// list opens on it and Enter chooses it.
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppStartup.h"
#include "app/Main.h"
#include "app/MainHooks.h"
#include "app/xWizard.h"
#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "export/sy26.h"
#include "selection/Logon.h"
#include "selection/z5DataSentaku.h"
#include "selection/z5Kidou.h"
#include "ui/forms/Application.h"
#include "ui/forms/Button.h"
#include "ui/forms/Edit.h"
#include "ui/xPlButton.h"

namespace {

void Click(QWidget* widget) {
  const QPointF local(widget->rect().center());
  const QPointF global(widget->mapToGlobal(widget->rect().center()));
  QPointer<QWidget> alive(widget);
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &press);
  if (!alive) return;
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &release);
}

// A key at the focused widget, as the keyboard delivers it; inside `window` when one is given
// (the window itself when the focus is elsewhere).
void Key(int key, const QString& text, QWidget* window = nullptr) {
  QWidget* target = QApplication::focusWidget();
  if (window && (target == nullptr || target->window() != window)) target = window;
  if (target == nullptr) return;
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &press);
  if (QWidget* now = QApplication::focusWidget()) {
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(now, &release);
  }
}

void Type(const std::string& text) {
  for (QChar c : QString::fromStdString(text)) {
    const char16_t u = c.toUpper().unicode();
    Key(u < 0x80 ? u : 0, QString(c));
  }
}

// Reports the first paint of the window and closes it.
class FirstPaint : public QObject {
 public:
  explicit FirstPaint(TForm1* form) : form_(form) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!done_ && watched == form_ && event->type() == QEvent::Paint) {
      done_ = true;
      timespec now{};
      clock_gettime(CLOCK_REALTIME, &now);
      std::printf("painted %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
      std::fflush(stdout);
      QTimer::singleShot(0, form_, [f = form_] { f->close(); });
    }
    return false;
  }

 private:
  TForm1* form_;
  bool done_ = false;
};

// Runs the steps one after the other from the event loop, each once the previous one and
// what it caused have been handled.
void RunSteps(std::shared_ptr<std::vector<std::function<void()>>> steps, size_t i) {
  if (i >= steps->size()) return;
  QTimer::singleShot(50, qApp, [steps, i] {
    (*steps)[i]();
    RunSteps(steps, i + 1);
  });
}

}  // namespace

int main(int argc, char** argv) {
  bool headless = std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr;
  bool firstPaint = false;
  std::string output;
  std::string listPdf;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--headless") headless = true;
    else if (arg == "--first-paint") firstPaint = headless = true;
    else if (arg == "--list-pdf" && i + 1 < argc) listPdf = argv[++i];
    else output = arg;
  }
  if (output.empty() && !firstPaint) {
    std::fprintf(stderr, "usage: %s [--headless] [--list-pdf PDF_FILE] OUTPUT_FILE\n", argv[0]);
    return 2;
  }
  if (headless) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The print engine's printer becomes the PDF pseudo-printer writing this file.
  if (!listPdf.empty()) setenv("RENDO_PRINT_PDF", listPdf.c_str(), 1);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  StartupEnvironment environment;
  RegisterDataSentakuBox();

  std::string written;
  if (firstPaint) {
    SetMainFormHook([](TForm1& form) { form.installEventFilter(new FirstPaint(&form)); });
  } else if (headless) {
    // Whatever box comes up is answered with Enter, as the user reading it would.
    // The logon is filled in as the installation's administrator (operator 10); any other box
    // is answered with Enter, as the user reading it would.
    auto listPrinted = std::make_shared<bool>(listPdf.empty());
    forms::Application().AddModalShownHook([listPrinted](forms::TForm& box) {
      box.activateWindow();
      QPointer<QWidget> target(&box);
      QTimer::singleShot(50, qApp, [target, listPrinted] {
        if (!target) return;
        if (auto* list = dynamic_cast<TDataSentakuBox*>(target.data()); list && !*listPrinted) {
          // The data list opened for printing: F8 prints it (its print dialog and the
          // printer's are answered with Enter, OK), then a click on ESC closes the list.
          *listPrinted = true;
          Key(Qt::Key_F8, {}, target);
          if (!target) return;
          target->activateWindow();
          QTimer::singleShot(200, qApp, [target, list] {
            if (target) Click(list->KeyButtons[0]);
          });
          return;
        }
        if (auto* logon = dynamic_cast<TLogonBox*>(target.data())) {
          logon->txtOpCode->SetFocus();
          Type("10");
          logon->txtPassword->SetFocus();
          Type("admin");
          Click(logon->OKBtn);
          return;
        }
        Key(Qt::Key_Return, QStringLiteral("\r"), target);
      });
    });
    SetMainFormHook([&written, output, listPdf](TForm1& form) {
      TForm1* f = &form;
      auto steps = std::make_shared<std::vector<std::function<void()>>>(std::vector<std::function<void()>>{
          [f] { Click(f->Button2); },         // to the data set
          [print = !listPdf.empty()] {
            // The data list as the operator's data management shows it, printed on the way.
            if (print) RunSyoriModule("VqDataSenkaku", 1, "SyoriType=0");
          },
          [f] { f->activateWindow(); },
          [f] { Click(f->btnDataSentaku); },  // choose it
          [f] { f->activateWindow(); },       // back in the window once the progress window is gone
          [f] { Click(f->Button2); },         // to the period: the fiscal year as proposed
          [f] { Click(f->Button2); },         // to the output file
          [f, output] {
            f->Edit4a->SetFocus();
            f->Edit4a->SelectAll();
            Type(output);
          },
          [f] { Click(f->Button2); },  // to the summary
          [f, &written] {
            written = f->Exporter->ExportFile;
            Click(f->Button2);  // [完了]
          },
          // A walk that went wrong leaves the window open on some page: close it rather than
          // wait for a user who is not there.
          [f] { QTimer::singleShot(30000, f, [f] { f->close(); }); },
      });
      RunSteps(steps, 0);
    });
  }
  const int result = RunProgram({});
  if (headless && !firstPaint && result == 0) std::printf("%s\n", written.c_str());
  return result;
}
