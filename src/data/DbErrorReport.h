#pragma once
// Reporting of failures to the user: the message boxes that the database error reporter and
// other modules share.
#include <string>

#include "platform/UiServices.h"

// One modal box of the given kind with an OK button: the message, and when the detail is not
// empty a blank line, the heading "[詳細情報]" and the detail below it. Nothing is shown when
// both texts are empty.
void ShowErrorDetail(const std::string& message, const std::string& detail, uis::MsgKind kind);

// One modal box of the given kind with an OK button, showing the parts of the message between
// its commas one per line. Used for messages that carry paths or lists.
void ShowMessageLines(const std::string& message, uis::MsgKind kind);
