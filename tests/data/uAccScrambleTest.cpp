// The settings scrambling and the protected-value transform.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/uAccScramble.h"

namespace {

TEasyEncodeInfo Info(const std::string& key, int32_t target, int32_t source) {
  TEasyEncodeInfo info;
  info.Key = "kept";
  InitEasyEncode(info);
  EXPECT_EQ(info.Key, "kept");
  info.Key = key;
  info.TargetLength = target;
  info.SourceLength = source;
  return info;
}

std::string Encode(const std::string& plain, const std::string& key, int32_t target, int32_t source) {
  TEasyEncodeInfo info = Info(key, target, source);
  info.PlainText = plain;
  EXPECT_TRUE(EasyEncode(info));
  return info.CodedText;
}

std::string Decode(const std::string& coded, const std::string& key, int32_t source) {
  TEasyEncodeInfo info = Info(key, source, source);
  info.CodedText = coded;
  EasyDecode(info);
  return info.PlainText;
}

}  // namespace

// Coded texts worked out by hand from the algorithm (the key sum runs on across the text and
// is never reset when the key starts again); data passwords stored by the accounting product
// read back through exactly these.
TEST(EasyEncode, CodesAndDecodesKnownTexts) {
  struct Case {
    std::string plain;
    int32_t target, source;
    std::string coded;
  };
  const std::vector<Case> cases = {
      {"password", 8, 8, "hFOAxZPt"},
      {"abcdefghij", 10, 10, "2GylfQExb3"},
      {"Zz9", 3, 3, "R4v"},
      {"Abc12", 8, 5, "sGy93bZS"},  // padded with A, B, C
      {"pass word", 9, 9, "hFOA"},  // a blank ends the coded text
      {"pass語rd", 8, 8, "hFOA"},   // so does a full-width character
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Encode(c.plain, kDataPasswordKey, c.target, c.source), c.coded) << c.plain;
  }
  EXPECT_EQ(Decode("hFOAxZPt", kDataPasswordKey, 8), "password");
  EXPECT_EQ(Decode("sGy93bZS", kDataPasswordKey, 5), "Abc12");
  EXPECT_EQ(Decode("2GylfQExb3", kDataPasswordKey, 8), "abcdefgh");  // at most SourceLength characters
  EXPECT_EQ(Decode("hFOAxZPt", kDataPasswordKey, 0), "");
  EXPECT_EQ(Decode("hFO-xZPt", kDataPasswordKey, 8), "pas");  // a foreign character ends the text
  // Without a key nothing moves.
  EXPECT_EQ(Encode("abc", "", 3, 3), "abc");
  EXPECT_EQ(Decode("abc", "", 3), "abc");
}

TEST(EasyEncode, PaddingStaysInThePlainTextAndEveryAlphabetTextRoundTrips) {
  TEasyEncodeInfo info = Info(kDataPasswordKey, 30, 2);
  info.PlainText = "xy";
  EasyEncode(info);
  EXPECT_EQ(info.PlainText, "xyABCDEFGHIJKLMNOPQRSTUVWXYZAB");  // the capitals start again after Z
  EXPECT_EQ(info.CodedText.size(), 30u);

  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz";
  for (const std::string key : {"tesnubo", "k", "ｶﾅ鍵key"}) {
    for (size_t len = 1; len <= alphabet.size(); len += 7) {
      const std::string plain = alphabet.substr(alphabet.size() - len);
      const int32_t n = static_cast<int32_t>(len);
      EXPECT_EQ(Decode(Encode(plain, key, n, n), key, n), plain) << key << " " << plain;
    }
  }
}

TEST(ProtectTransform, StoreFormsReadBack) {
  const std::vector<std::string> texts = {"pw", "12345678", " lead and trail ", "マイナンバー管理ｶﾅ",
                                          std::string(176, 'x')};
  for (const auto& text : texts) {
    const std::string stored = ProtectStoreText(text);
    ASSERT_FALSE(stored.empty()) << text;
    EXPECT_LE(stored.size(), 255u);
    for (unsigned char c : stored) EXPECT_TRUE(c > 32 && c < 127) << stored;
    EXPECT_EQ(ProtectStoreText(text), stored);  // stable
    EXPECT_EQ(ProtectReadText(stored), text);
  }
  EXPECT_NE(ProtectStoreText("pw"), ProtectStoreText("px"));
}

TEST(ProtectTransform, RefusesWhatItCannotRead) {
  const std::string stored = ProtectStoreText("secret");
  std::string damaged = stored;
  damaged[damaged.size() / 2] = damaged[damaged.size() / 2] == 'A' ? 'B' : 'A';
  for (const std::string& text : {std::string("secret"), std::string("$Z1$"), damaged,
                                  stored.substr(0, stored.size() - 1), stored + "A", std::string("$Z1$!!!!")}) {
    EXPECT_EQ(ProtectReadText(text), "") << text;
  }
  // Blank texts never reach the transform; a text too long for its store form is refused.
  EXPECT_EQ(ProtectStoreText("   "), "");
  EXPECT_EQ(ProtectReadText(" "), "");
  EXPECT_EQ(ProtectStoreText(std::string(177, 'x')), "");

  char out[256], aux[256] = {};
  std::memset(out, 'z', sizeof out);
  EXPECT_NE(P_Check1("secret", "555", out, aux), 1);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(P_Check1("secret", kProtectStoreCode, out, aux), 1);
  EXPECT_EQ(std::string(out), stored);
}
