#pragma once
// Test contents for the archiver and cipher tests.
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace commtest {

// Bytes that pack well and badly in turn: ledger-like text lines, random stretches and runs,
// like a database backup.
inline std::string MixedBytes(std::size_t size, std::uint32_t seed = 7) {
  std::mt19937 rng(seed);
  std::string out;
  out.reserve(size + 512);
  while (out.size() < size) {
    switch (rng() % 4) {
      case 0:
        for (int i = 0; i < 20; ++i)
          out += "2025/04/" + std::to_string(10 + rng() % 20) + ",売上高," + std::to_string(rng() % 100000) + ",現金\r\n";
        break;
      case 1:
        for (int i = 0; i < 300; ++i) out += static_cast<char>(rng());
        break;
      case 2:
        out += std::string(rng() % 2000, static_cast<char>(rng()));
        break;
      default:
        if (out.size() > 9000) out += out.substr(out.size() - 8000 + rng() % 4000, 700);
        break;
    }
  }
  out.resize(size);
  return out;
}

inline std::string RandomBytes(std::size_t size, std::uint32_t seed = 11) {
  std::mt19937 rng(seed);
  std::string out(size, '\0');
  for (auto& c : out) c = static_cast<char>(rng());
  return out;
}

// The names of the entries of a folder.
inline std::vector<std::string> Names(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  return names;
}

}  // namespace commtest
