#include "ui/forms/FileDialog.h"

#include "platform/UiServices.h"

namespace forms {

TOpenDialog::TOpenDialog(QObject* owner) : TNonVisualComponent(owner) {}

bool TOpenDialog::Execute() {
  uis::FileDialogRequest request;
  request.caption = Title;
  request.initialDir = InitialDir;
  request.fileName = FileName;
  request.filter = Filter;
  request.defaultExt = DefaultExt;
  request.save = save_;
  request.overwritePrompt = OverwritePrompt;
  if (!uis::Ui().FileDialog(request)) return false;
  FileName = request.fileName;
  return true;
}

TSaveDialog::TSaveDialog(QObject* owner) : TOpenDialog(owner) { save_ = true; }

}  // namespace forms
