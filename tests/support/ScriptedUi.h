#pragma once
// A user interface for tests: records every request the code under test makes and answers from
// queues the test fills beforehand. An empty queue answers with the request's default (the
// default button of a message box; cancel for inputs and dialogs).
//
//   ScriptedUi ui;
//   ScopedUi use(ui);
//   ui.messageAnswers = {uis::mrYes};
//   ui.inputAnswers.push_back(ScriptedUi::Ok("secret"));
//   RunTheCode();
//   ASSERT_EQ(ui.messages.size(), 1u);
//   EXPECT_EQ(ui.MessageText(0), "保存しますか？");
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/UiServices.h"

class ScriptedUi : public uis::UiServices {
 public:
  struct InputAnswer {
    bool ok = false;
    std::string value;
  };
  static InputAnswer Ok(std::string value) { return {true, std::move(value)}; }
  static InputAnswer Cancel() { return {false, {}}; }

  // --- answers, taken from the front ---
  std::deque<int> messageAnswers;
  std::deque<InputAnswer> inputAnswers;
  std::deque<std::optional<std::string>> fileAnswers;    // chosen path, or nullopt = cancel
  std::deque<std::optional<std::string>> folderAnswers;  // chosen folder, or nullopt = cancel
  int dpi = 96;
  bool busyCursor = false;
  // Runs on every ProcessPendingEvents, e.g. to act while the code waits.
  std::function<void()> onPendingEvents;

  // --- what was shown, in order ---
  std::vector<uis::MessageRequest> messages;
  std::vector<uis::InputRequest> inputs;  // as shown, before the answer was filled in
  std::vector<uis::FileDialogRequest> fileDialogs;
  std::vector<uis::FolderDialogRequest> folderDialogs;
  // One line per request of every kind, in the order they came:
  //   "message エラー: line1 / line2", "input <caption>", "file <caption>", "folder <caption>",
  //   "progress show <caption>: <text>", "progress <text>", "progress close", "quit"
  std::vector<std::string> log;
  int pendingEventCalls = 0;
  int quitRequests = 0;

  // The lines of message `i` joined with "\n".
  std::string MessageText(size_t i) const;
  // True when any message shown so far has `part` in its lines or its detail.
  bool Shown(std::string_view part) const;

  int MessageBox(const uis::MessageRequest& request) override;
  bool InputText(uis::InputRequest& request) override;
  bool FileDialog(uis::FileDialogRequest& request) override;
  bool FolderDialog(uis::FolderDialogRequest& request) override;
  void ProgressShow(const std::string& caption, const std::string& text) override;
  void ProgressText(const std::string& text) override;
  void ProgressClose() override;
  void ProcessPendingEvents() override;
  int ScreenDpi() override { return dpi; }
  bool IsBusyCursor() override { return busyCursor; }
  void RequestQuit() override;
};

// Installs a UI for the lifetime of the guard and puts the previous one back afterwards.
class ScopedUi {
 public:
  explicit ScopedUi(uis::UiServices& ui) : previous_(uis::SetUi(&ui)) {}
  ~ScopedUi() { uis::SetUi(previous_); }
  ScopedUi(const ScopedUi&) = delete;
  ScopedUi& operator=(const ScopedUi&) = delete;

 private:
  uis::UiServices* previous_;
};
