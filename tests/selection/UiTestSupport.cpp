// The GUI test helpers of the ui tests (one QApplication, keys, clicks, modal scripts), built
// into this test binary too.
#include "ui/UiTestSupport.cpp"
