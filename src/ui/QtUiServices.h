#pragma once
// The UI services of the headless layers, carried out with the forms of this layer: message
// boxes as the stand-alone message form, text entry as the framework's input dialog, a modeless
// progress window, file and folder dialogs, the print dialog, pending-event processing, the
// screen's dpi and the busy cursor. Install it at start-up with uis::SetUi once the
// QApplication exists.
// Requests from a thread other than the GUI thread are carried out on the GUI thread, the
// calling thread waiting for the answer.
#include <QPointer>
#include <string>

#include "platform/UiServices.h"

class QWidget;

namespace forms {
class TForm;
class TLabel;
}  // namespace forms

class QtUiServices final : public uis::UiServices {
 public:
  QtUiServices();
  ~QtUiServices() override;

  int MessageBox(const uis::MessageRequest& request) override;
  bool InputText(uis::InputRequest& request) override;
  bool FileDialog(uis::FileDialogRequest& request) override;
  bool FolderDialog(uis::FolderDialogRequest& request) override;
  // The print dialog: all pages or a range, copies, collation and orientation.
  bool PrintRange(uis::PrintRangeRequest& request) override;
  void ProgressShow(const std::string& caption, const std::string& text) override;
  void ProgressText(const std::string& text) override;
  void ProgressClose() override;
  void ProcessPendingEvents() override;
  int ScreenDpi() override;
  bool IsBusyCursor() override;
  void RequestQuit() override;

  // The progress window while it is shown (tests look at it).
  forms::TForm* ProgressWindow() const;

 private:
  QPointer<QWidget> progress_;
  forms::TLabel* progressLabel_ = nullptr;
  QPointer<QWidget> progressOwner_;
};

// A file filter "Description|*.ext|..." in Qt's form "Description (*.ext);;...".
std::string QtFileFilter(const std::string& filter);
