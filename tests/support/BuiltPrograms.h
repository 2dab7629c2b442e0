#pragma once
// Programs of the build that tests start as other processes: found from the folder of the
// running test executable (build/tests), so that the test programs and their helpers, copied
// together elsewhere, still find each other.
//
//   BuiltProgram("db_hold")          build/tests/db_hold
//   BuiltProgram("../rendo-export")  build/rendo-export
#include <filesystem>
#include <string>

std::filesystem::path BuiltProgram(const std::string& relativeToTests);
