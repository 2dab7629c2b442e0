#include "selection/z5Kidou.h"

#include <QEvent>
#include <QObject>
#include <QPointer>

#include "platform/AsciiCase.h"
#include "platform/TextLines.h"
#include "platform/UiServices.h"
#include "ui/forms/Application.h"

namespace {

constexpr const char* kNoInterface =
    "処理を起動するためのインターフェースが実装されていません。\rライブラリのロードに失敗した可能性があります。";

struct Registry {
  std::vector<std::string> ids;
  std::vector<TSyoriFormClass> classes;
};

// Created on first use, so that registration works whenever the start-up makes it.
Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// The hourglass for the length of a start, whatever happens.
class HourGlass {
 public:
  HourGlass() { forms::Screen().SetCursor(forms::crHourGlass); }
  ~HourGlass() { forms::Screen().SetCursor(forms::crDefault); }
  HourGlass(const HourGlass&) = delete;
  HourGlass& operator=(const HourGlass&) = delete;
};

// Notes whether the form it watches has ever been shown.
class ShowWatch : public QObject {
 public:
  explicit ShowWatch(QObject* form) { form->installEventFilter(this); }
  bool shown = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) shown = true;
    return false;
  }
};

}  // namespace

void RegisterSyoriClass(const TSyoriFormClass& FormClass, const std::string& ProgramId) {
  Registry& r = TheRegistry();
  for (const TSyoriFormClass& c : r.classes) {
    if (c.Type == FormClass.Type) return;
  }
  r.classes.push_back(FormClass);
  r.ids.push_back(ProgramId);
}

std::vector<std::string> SyoriIdList() { return TheRegistry().ids; }

forms::TForm* CreateSyoriForm(const std::string& ProgramId) {
  const Registry& r = TheRegistry();
  for (size_t i = 0; i < r.ids.size(); ++i) {
    if (ascii::SameText(r.ids[i], ProgramId)) return r.classes[i].Create(nullptr);
  }
  return nullptr;
}

int32_t RunSyoriModule(const std::string& ProgramId, int32_t Mode, const std::string& ParamText) {
  if (ProgramId.empty()) return -1;
  const bool modal = Mode == 1;
  // The hourglass says that a start is under way (a start asked for from a message pumped
  // during another one).
  if (forms::Screen().Cursor() == forms::crHourGlass) return -1;
  HourGlass busy;

  forms::TForm* form = CreateSyoriForm(ProgramId);
  auto* module = dynamic_cast<ISyoriKidou*>(form);
  if (!module) {
    uis::ShowMessage(uis::MsgKind::Error, kNoInterface);
    if (form) form->Free();
    return -1;
  }

  std::vector<std::string> params = textlines::FromText(ParamText);
  params.push_back("FormStyle=" + std::to_string(modal ? 2 : 0));

  QPointer<forms::TForm> alive(form);
  ShowWatch watch(form);
  try {
    module->SetParams(params);
    return module->Execute(modal);
  } catch (...) {
    // Nobody else would ever free a form that failed before the user saw it.
    if (alive && !watch.shown) {
      alive->removeEventFilter(&watch);
      alive->Free();
    }
    throw;
  }
}
