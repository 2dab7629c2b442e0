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
#include "selection/z5ComDataSentaku.h"
#include "ui/QtUiServices.h"
#include "ui/forms/Application.h"

namespace {

QWidget* TopLevelOf(WindowHandle handle) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (static_cast<WindowHandle>(w->winId()) == handle) return w;
  }
  return nullptr;
}

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
}

StartupEnvironment::~StartupEnvironment() {
  EngineShutdown();
  DataListRefreshHook = nullptr;
  SetWindowHooks({});
  uis::SetUi(nullptr);
  forms::Application().FreeForms();
}
