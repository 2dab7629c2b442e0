// Lays out the demo installation in the folder given as the only argument and prints the
// environment that points the program at it, one NAME=value line each, for example
//   eval "$(make_demo_installation /tmp/demo | sed 's/^/export /')"
// The folder must be empty or missing.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "fixtures/DemoInstallation.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  try {
    auto inst = fixtures::MakeDemoInstallation(std::filesystem::absolute(argv[1]));
    for (const auto& [name, value] : inst->EnvironmentVariables()) {
      // Single-quoted for the shell; a quote inside is closed, escaped and reopened.
      std::string quoted;
      for (char c : value) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
      std::printf("%s='%s'\n", name.c_str(), quoted.c_str());
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_demo_installation: %s\n", e.what());
    return 1;
  }
}
