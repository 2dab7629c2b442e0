#include "PrintTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <regex>

#include "platform/Encoding.h"
#include "print/Zenpagex_Record.h"
#include "ui/forms/Application.h"
#include "ui/forms/Form.h"

namespace {

// One widget application for the binary (the engine enumerates the installed fonts through it;
// the printing dialog is a window).
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "print_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    forms::Application().Initialize();
    forms::Screen().SetPixelsPerInch(96);
  }
  void TearDown() override {
    Zpx().Reset();
    forms::Application().FreeForms();
    app_.reset();
  }

 private:
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

namespace printtest {

std::vector<std::string> DataHeader() {
  return {
      HeaderFirstLine(),
      "*[SETTING]",
      "*PATH=.",
      "*VERSION=VCL.2.5",
      "*DATE=2024/04/01",
      "*TITLE=データリスト",
      "*FORMFILE=",
      "*PAPERSIZE=9",
      "*OUTPUTPAPER=0",
      "*ORIENTATION=0",
      "*TOPMARGIN=0",
      "*LEFTMARGIN=0",
      "*FORMTOPMARGIN=0",
      "*FORMLEFTMARGIN=0",
      "*NETC1=$C0C0C0",
      "*NETC2=$C0C0C0",
      "*USERC1=$000000",
      "*USERC2=$000000",
      "*FORMPRINT=TRUE",
      "*COPIES=1",
      "*PAGENOSWITCH=TRUE",
      "*PAGENOLEFT=1900",
      "*PAGENOTOP=2800",
      "*PAGENOALIGNMENT=2",
      "*PAGENOFORMAT=(%d/%d)",
      HeaderLastLine(),
  };
}

std::vector<std::string> JoinPages(const std::vector<std::vector<std::string>>& pages) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) lines.push_back("E;");
    lines.insert(lines.end(), pages[i].begin(), pages[i].end());
  }
  return lines;
}

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

int PdfPages(const std::string& pdf) {
  std::smatch m;
  const std::string info = Shell("pdfinfo '" + pdf + "' 2>/dev/null");
  if (!std::regex_search(info, m, std::regex(R"(Pages:\s+(\d+))"))) return -1;
  return std::stoi(m[1]);
}

void Pump() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void Key(int qtKey, QString text) {
  if (text.isEmpty()) {
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) text = QStringLiteral("\r");
    if (qtKey == Qt::Key_Backspace) text = QStringLiteral("\b");
    if (qtKey == Qt::Key_Tab) text = QStringLiteral("\t");
  }
  QWidget* target = QApplication::focusWidget();
  ASSERT_NE(target, nullptr) << "no widget has the focus";
  QPointer<QWidget> alive(target);
  QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &press);
  QWidget* now = QApplication::focusWidget();
  if (!now) now = alive.data();
  if (now) {
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(now, &release);
  }
  Pump();
}

void Type(const QString& text) {
  for (QChar c : text) {
    const char16_t u = c.toUpper().unicode();
    Key(u < 0x80 ? u : 0, QString(c));
  }
}

void Click(QWidget* widget, QPoint pos) {
  ASSERT_NE(widget, nullptr);
  if (pos == QPoint(-1, -1)) pos = widget->rect().center();
  const QPointF local(pos), global(widget->mapToGlobal(pos));
  QPointer<QWidget> alive(widget);
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &press);
  if (alive) {
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
  }
  Pump();
}

QImage Screenshot(QWidget& widget, const std::string& name) {
  const QImage shot = widget.grab().toImage();
  std::error_code ec;
  const auto build = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().parent_path();
  if (!ec) shot.save(QString::fromStdString((build / name).string()));
  return shot;
}

struct ModalScript::Queue {
  std::deque<Step> steps;
};

ModalScript::ModalScript(std::vector<Step> steps) : queue_(std::make_shared<Queue>()) {
  for (auto& s : steps) queue_->steps.push_back(std::move(s));
  auto queue = queue_;
  auto fired = fired_;
  // Each step runs from the event queue of the modal loop it belongs to, once the window is up.
  hook_ = forms::Application().AddModalShownHook([queue, fired](forms::TForm& form) {
    if (queue->steps.empty()) return;
    QPointer<QWidget> target(&form);
    QTimer::singleShot(0, &form, [queue, target] {
      if (!target || queue->steps.empty()) return;
      for (int i = 0; i < 100 && target && QApplication::activeWindow() != target; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
      }
      if (!target || queue->steps.empty()) return;
      Step step = std::move(queue->steps.front());
      queue->steps.pop_front();
      step(*target);
    });
    QTimer::singleShot(20000, &form, [target, fired] {
      if (auto* f = static_cast<forms::TForm*>(target.data()); f && f->Modal()) {
        *fired = true;
        f->SetModalResult(forms::mrAbort);
      }
    });
  });
}

ModalScript::~ModalScript() { forms::Application().RemoveModalShownHook(hook_); }

std::size_t ModalScript::Left() const { return queue_->steps.size(); }

}  // namespace printtest

std::string PrintTest::WriteRecords(const std::string& name, const std::vector<std::string>& lines) const {
  std::string bytes;
  for (const auto& line : lines) bytes += sjis::FromUtf8(line) + "\r\n";
  return dir_.Write(name, bytes);
}

std::string PrintTest::ErrorLog() const {
  const std::filesystem::path log = DocumentsDir() + "/Zenpagex_Error.log";
  if (!std::filesystem::exists(log)) return {};
  return sjis::ToUtf8(TempDir::Read(log));
}
