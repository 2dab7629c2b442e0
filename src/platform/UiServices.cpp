#include "platform/UiServices.h"

#include <atomic>
#include <cstdio>

#include "platform/TextLines.h"

namespace uis {
namespace {

const char* KindWord(MsgKind kind) {
  switch (kind) {
    case MsgKind::Warning: return "警告";
    case MsgKind::Error: return "エラー";
    case MsgKind::Information: return "情報";
    case MsgKind::Confirmation: return "確認";
  }
  return "";
}

// No one to ask: every request takes its default answer, and messages still reach a reader
// through standard error (a log of the demo or of a batch run).
class HeadlessUi final : public UiServices {
 public:
  int MessageBox(const MessageRequest& request) override {
    const std::string caption = request.caption.empty() ? KindWord(request.kind) : request.caption;
    std::string text = "[" + caption + "]";
    for (const auto& line : request.lines) text += " " + line;
    if (!request.detail.empty()) text += " (" + request.detail + ")";
    std::fprintf(stderr, "%s\n", text.c_str());
    return request.defaultResult;
  }
  bool InputText(InputRequest&) override { return false; }
  bool FileDialog(FileDialogRequest&) override { return false; }
  bool FolderDialog(FolderDialogRequest&) override { return false; }
  void ProgressShow(const std::string&, const std::string&) override {}
  void ProgressText(const std::string&) override {}
  void ProgressClose() override {}
  void ProcessPendingEvents() override {}
  int ScreenDpi() override { return 96; }
  bool IsBusyCursor() override { return false; }
  // Without an event loop there is nothing to end; the caller returns on its own.
  void RequestQuit() override {}
};

HeadlessUi& Headless() {
  static HeadlessUi headless;
  return headless;
}

std::atomic<UiServices*> installed{nullptr};

}  // namespace

UiServices& Ui() {
  UiServices* ui = installed.load();
  return ui ? *ui : Headless();
}

UiServices* SetUi(UiServices* ui) {
  UiServices* previous = installed.exchange(ui);
  return previous ? previous : &Headless();
}

int ShowMessage(MsgKind kind, const std::string& text, const std::string& detail, Buttons buttons,
                int defaultResult) {
  MessageRequest request;
  request.kind = kind;
  request.lines = textlines::Split(text);
  request.detail = detail;
  request.buttons = buttons;
  request.defaultResult = defaultResult;
  return Ui().MessageBox(request);
}

}  // namespace uis
