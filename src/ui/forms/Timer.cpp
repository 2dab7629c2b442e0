#include "ui/forms/Timer.h"

#include "ui/forms/Application.h"

namespace forms {

TTimer::TTimer(QObject* owner) : TNonVisualComponent(owner) {
  connect(&timer_, &QTimer::timeout, this, [this] {
    Guard([&] {
      if (OnTimer) OnTimer(this);
    });
  });
  Update();
}

void TTimer::SetInterval(int milliseconds) {
  if (interval_ == milliseconds) return;
  interval_ = milliseconds;
  Update();
}

void TTimer::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  Update();
}

void TTimer::Update() {
  timer_.stop();
  if (enabled_ && interval_ > 0) timer_.start(interval_);
}

}  // namespace forms
