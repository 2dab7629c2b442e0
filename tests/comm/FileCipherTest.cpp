#include <gtest/gtest.h>

#include <filesystem>

#include "comm/CommTestFiles.h"
#include "comm/FileCipher.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using commtest::Names;

TEST(CommCipher, RoundTripsAndNeverRepeatsItsOutput) {
  for (const std::string& plain : {std::string(), std::string("x"), commtest::MixedBytes(3 * (1 << 20) + 17)}) {
    TempDir dir;
    const std::string src = dir.Write("a.lzh", plain);
    const std::string enc1 = (dir.Path() / "a.wen").string(), enc2 = (dir.Path() / "b.wen").string();
    EncryptFile(src, enc1, "K3y#42秘密");
    EncryptFile(src, enc2, "K3y#42秘密");
    EXPECT_NE(TempDir::Read(enc1), TempDir::Read(enc2));  // fresh salt and IV each time
    EXPECT_EQ(fs::file_size(enc1), plain.size() + 37 + 16);
    if (plain.size() > 100) EXPECT_EQ(TempDir::Read(enc1).find(plain.substr(0, 100)), std::string::npos);

    const std::string back = (dir.Path() / "back.lzh").string();
    DecryptFile(enc2, back, "K3y#42秘密");
    EXPECT_TRUE(TempDir::Read(back) == plain) << plain.size();
  }
}

TEST(CommCipher, WrongKeyOrChangedBytesLeaveNoOutput) {
  TempDir base;
  const std::string src = base.Write("a.lzh", commtest::MixedBytes(300000));
  const std::string enc = (base.Path() / "a.wen").string();
  EncryptFile(src, enc, "K3y#42pw");
  const std::string sealed = TempDir::Read(enc);

  auto flip = [&](std::size_t at) {
    std::string s = sealed;
    s[at] ^= 0x01;
    return s;
  };
  const struct {
    const char* what;
    std::string file;
    std::string key;
  } cases[] = {
      {"wrong key", sealed, "K3y#42pW"},
      {"flipped salt byte", flip(12), "K3y#42pw"},
      {"flipped version byte", flip(4), "K3y#42pw"},
      {"flipped data byte", flip(sealed.size() / 2), "K3y#42pw"},
      {"flipped tag byte", flip(sealed.size() - 1), "K3y#42pw"},
      {"cut short", sealed.substr(0, sealed.size() - 1000), "K3y#42pw"},
      {"not encrypted", TempDir::Read(src), "K3y#42pw"},
      {"empty file", "", "K3y#42pw"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string in = dir.Write("in.wen", c.file);
    const std::string out = (dir.Path() / "out.lzh").string();
    EXPECT_THROW(DecryptFile(in, out, c.key), ECipherError) << c.what;
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"in.wen"}) << c.what;  // no output, no leftovers
  }
  // An older file of the destination's name stays as it was.
  TempDir dir;
  const std::string in = dir.Write("in.wen", sealed);
  const std::string out = dir.Write("out.lzh", "previous");
  EXPECT_THROW(DecryptFile(in, out, "wrong"), ECipherError);
  EXPECT_EQ(TempDir::Read(out), "previous");
  EXPECT_THROW(DecryptFile((dir.Path() / "missing.wen").string(), out, "K3y#42pw"), ECipherError);
  EXPECT_THROW(EncryptFile((dir.Path() / "missing").string(), out, "K3y#42pw"), ECipherError);
  EXPECT_EQ(TempDir::Read(out), "previous");
}
