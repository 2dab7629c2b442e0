#pragma once
#include <filesystem>
#include <string>

// A fresh folder under the system temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string Str() const { return path_.string(); }
  // Writes the bytes to a file below the folder (creating folders) and returns its path.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  // Reads a whole file as bytes.
  static std::string Read(const std::filesystem::path& file);

 private:
  std::filesystem::path path_;
};
