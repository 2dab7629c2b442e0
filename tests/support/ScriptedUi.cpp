#include "support/ScriptedUi.h"

namespace {

std::string KindWord(uis::MsgKind kind) {
  switch (kind) {
    case uis::MsgKind::Warning: return "警告";
    case uis::MsgKind::Error: return "エラー";
    case uis::MsgKind::Information: return "情報";
    case uis::MsgKind::Confirmation: return "確認";
  }
  return "?";
}

template <typename T>
std::optional<T> Take(std::deque<T>& queue) {
  if (queue.empty()) return std::nullopt;
  T front = std::move(queue.front());
  queue.pop_front();
  return front;
}

}  // namespace

std::string ScriptedUi::MessageText(size_t i) const {
  std::string text;
  for (const auto& line : messages.at(i).lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

bool ScriptedUi::Shown(std::string_view part) const {
  for (const auto& m : messages) {
    if (m.detail.find(part) != std::string::npos) return true;
    for (const auto& line : m.lines)
      if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

int ScriptedUi::MessageBox(const uis::MessageRequest& request) {
  messages.push_back(request);
  std::string entry = "message " + KindWord(request.kind) + ":";
  for (size_t i = 0; i < request.lines.size(); ++i) entry += (i ? " / " : " ") + request.lines[i];
  log.push_back(entry);
  return Take(messageAnswers).value_or(request.defaultResult);
}

bool ScriptedUi::InputText(uis::InputRequest& request) {
  inputs.push_back(request);
  log.push_back("input " + request.caption);
  const InputAnswer answer = Take(inputAnswers).value_or(Cancel());
  if (answer.ok) request.value = answer.value;
  return answer.ok;
}

bool ScriptedUi::FileDialog(uis::FileDialogRequest& request) {
  fileDialogs.push_back(request);
  log.push_back("file " + request.caption);
  const auto answer = Take(fileAnswers).value_or(std::nullopt);
  if (answer) request.fileName = *answer;
  return answer.has_value();
}

bool ScriptedUi::FolderDialog(uis::FolderDialogRequest& request) {
  folderDialogs.push_back(request);
  log.push_back("folder " + request.caption);
  const auto answer = Take(folderAnswers).value_or(std::nullopt);
  if (answer) request.folder = *answer;
  return answer.has_value();
}

void ScriptedUi::ProgressShow(const std::string& caption, const std::string& text) {
  log.push_back("progress show " + caption + ": " + text);
}

void ScriptedUi::ProgressText(const std::string& text) { log.push_back("progress " + text); }

void ScriptedUi::ProgressClose() { log.push_back("progress close"); }

void ScriptedUi::ProcessPendingEvents() {
  ++pendingEventCalls;
  if (onPendingEvents) onPendingEvents();
}

void ScriptedUi::RequestQuit() {
  ++quitRequests;
  log.push_back("quit");
}
