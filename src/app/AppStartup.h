#pragma once
// What the program sets up on its QApplication before the main block runs, and takes down
// afterwards: the form layer, the Qt user-interface services for the headless layers, the
// window services of the data layer, the report engine's printer, the data list's refresh
// of a closed data set's row and the data selection's upgrade check.
#include <memory>

class QtUiServices;

class StartupEnvironment {
 public:
  StartupEnvironment();
  ~StartupEnvironment();
  StartupEnvironment(const StartupEnvironment&) = delete;
  StartupEnvironment& operator=(const StartupEnvironment&) = delete;

 private:
  std::unique_ptr<QtUiServices> ui_;
};
