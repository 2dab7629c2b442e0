#include "support/ForeignHolder.h"

#include <chrono>
#include <stdexcept>
#include <string>

#include "platform/db/FbEnvironment.h"
#include "support/BuiltPrograms.h"

ForeignHolder::ForeignHolder(const std::filesystem::path& database) {
  fbenv::RootLayout layout;  // no settings of ours: the installed, exclusive server mode
  layout.root = (dir_.Path() / "firebird").string();
  const std::string root = fbenv::BuildRoot(layout);

  const std::string file = database.string();
  helper_.Start({BuiltProgram("db_hold").string(), root, file});
  const std::string said = helper_.ReadUntil("held\n", std::chrono::seconds(60));
  if (said.find("held\n") == std::string::npos) {
    helper_.Stop(std::chrono::seconds(0));
    throw std::runtime_error("ForeignHolder: the helper did not hold " + file + ": " + said);
  }
}

ForeignHolder::~ForeignHolder() { helper_.Stop(std::chrono::seconds(30)); }
