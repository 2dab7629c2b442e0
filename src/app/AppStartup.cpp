#include "app/AppStartup.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QWidget>

#include "data/DataModule.h"
#include "data/uAccFunction2Win.h"
#include "platform/UiServices.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_Vdb.h"
#include "selection/DbUpdateCheck.h"
#include "selection/z5ComDataSentaku.h"
#include "ui/QtUiServices.h"
#include "ui/forms/Application.h"
#include "upgrade/z5DbUpdate.h"

namespace {

QWidget* TopLevelOf(WindowHandle handle) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (static_cast<WindowHandle>(w->winId()) == handle) return w;
  }
  return nullptr;
}

// The data selection's question "does this version need an upgrade?" answered by the upgrade
// dialog's step lists; one hidden dialog per data-selection dialog, as the selection expects.
class UpgradeCheck final : public IDbUpdateCheck {
 public:
  UpgradeCheck() : box_(forms::CreateForm<TDbUpdateBox>(nullptr)) {}
  ~UpgradeCheck() override { box_->Free(); }
  UpgradeCheck(const UpgradeCheck&) = delete;
  UpgradeCheck& operator=(const UpgradeCheck&) = delete;
  void PrepareUpdate(int Mode, const std::string& VersionText) override {
    box_->PrepareUpdate(static_cast<uint8_t>(Mode), VersionText);
  }
  bool UpdatePending() const override { return box_->NeedUpdate; }

 private:
  TDbUpdateBox* box_;
};

}  // namespace

StartupEnvironment::StartupEnvironment() {
  // The database engine's restore service stops to ask on standard input when it meets a cut
  // backup file; started from a terminal, the program would wait there unseen.
  if (const int devNull = open("/dev/null", O_RDONLY); devNull >= 0) {
    dup2(devNull, STDIN_FILENO);
    close(devNull);
  }
  forms::Application().Initialize();
  ui_ = std::make_unique<QtUiServices>();
  uis::SetUi(ui_.get());
  SetWindowHooks({
      [](WindowHandle handle) {
        if (QWidget* w = TopLevelOf(handle)) {
          w->raise();
          w->activateWindow();
        }
      },
      [](WindowHandle handle) {
        if (QWidget* w = TopLevelOf(handle)) {
          for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease, QEvent::MouseButtonPress,
                                 QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick, QEvent::MouseMove}) {
            QCoreApplication::removePostedEvents(w, t);
          }
        }
      },
      [](const std::string& className, const std::string& title) -> WindowHandle {
        for (QWidget* w : QApplication::topLevelWidgets()) {
          if (!className.empty() && className != w->metaObject()->className()) continue;
          if (!title.empty() && QString::fromStdString(title) != w->windowTitle()) continue;
          return static_cast<WindowHandle>(w->winId());
        }
        return 0;
      },
  });
  EngineStartup([] { return std::make_unique<TVDBPrint>(); });
  InstallDataListRefreshHook();
  DbUpdateCheckFactory = [] { return std::make_unique<UpgradeCheck>(); };
}

StartupEnvironment::~StartupEnvironment() {
  EngineShutdown();
  DbUpdateCheckFactory = nullptr;
  DataListRefreshHook = nullptr;
  SetWindowHooks({});
  uis::SetUi(nullptr);
  forms::Application().FreeForms();
}
