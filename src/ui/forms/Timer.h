#pragma once
// The timer component. An Interval of 0 means the timer is off (it never fires), unlike a
// QTimer with interval 0, which would fire continuously.
#include <QTimer>

#include "ui/forms/Control.h"

namespace forms {

class TTimer : public TNonVisualComponent {
 public:
  explicit TTimer(QObject* owner);

  int Interval() const { return interval_; }
  void SetInterval(int milliseconds);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);

  TNotifyEvent OnTimer;

 private:
  void Update();

  QTimer timer_;
  int interval_ = 1000;
  bool enabled_ = true;
};

}  // namespace forms
