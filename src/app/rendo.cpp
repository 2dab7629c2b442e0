// The program: the linkage wizard on a Qt application.
//
//   rendo                                      stand-alone: the user chooses the output file
//   rendo "<caller>,<message>,<function id>,<output file>"
//                                              started by a calling program, which receives the
//                                              result (0 created, 1 cancelled, 2 failed)
//
// The exit status is the same result code.
#include <QApplication>
#include <string>
#include <vector>

#include "app/AppStartup.h"
#include "app/Main.h"
#include "comm/WebMenuL.h"
#include "comm/z5DataTusin.h"
#include "selection/z5DataSentaku.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  StartupEnvironment environment;
  RegisterDataSentakuBox();
  RegisterWebMenuL();
  RegisterDataTusin();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return RunProgram(args);
}
