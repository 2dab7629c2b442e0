#pragma once
// Open and save dialogs as components. Execute asks the installed UI services, so the dialog
// is the real file dialog in the program and a scripted answer in tests.
#include <string>

#include "ui/forms/Control.h"

namespace forms {

class TOpenDialog : public TNonVisualComponent {
 public:
  explicit TOpenDialog(QObject* owner);

  std::string Title;
  std::string InitialDir;
  std::string FileName;
  // "Description|*.ext|Description|*.*"
  std::string Filter;
  int FilterIndex = 1;
  std::string DefaultExt;
  bool OverwritePrompt = false;

  // True when the user chose a file; FileName then holds it.
  bool Execute();

 protected:
  bool save_ = false;
};

class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(QObject* owner);
};

}  // namespace forms
