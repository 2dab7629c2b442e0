#pragma once
// Two ways of keeping setting values of the company database from standing there in plain text.
//
// The settings scrambling (EasyEncode/EasyDecode) is a keyed substitution over the 62 letters
// and digits; data passwords written by earlier versions of the accounting product are stored
// with it, so it must stay exactly as it is. Only letters and digits are transformed; any other
// character ends the result there. Keys and texts are at most 255 bytes.
//
// The protected-value transform (ProtectStoreText/ProtectReadText over P_Check1) keeps the
// personal-number settings. Its store form is printable ASCII of at most 255 bytes; the read
// form of a store form gives the original text back; anything that is not one of our store
// forms is refused (an empty result), so the caller can keep such a stored value untouched.
#include <cstdint>
#include <string>

struct TEasyEncodeInfo {
  int32_t TargetLength = 0;  // length to which EasyEncode pads the plain text
  int32_t SourceLength = 0;  // number of characters EasyDecode restores
  std::string Key;
  std::string PlainText;     // EasyEncode input (padded in place); EasyDecode output
  std::string CodedText;     // EasyEncode output; EasyDecode input
};

// The key with which the data password is scrambled, and the lengths used with it.
inline constexpr const char* kDataPasswordKey = "tesnubo";
inline constexpr int32_t kDataPasswordLength = 8;

// Both lengths 0 and both texts empty; the key stays.
void InitEasyEncode(TEasyEncodeInfo& info);
// Pads PlainText with A, B, ... Z, A ... by TargetLength - SourceLength characters, then codes
// it into CodedText. Always true; callers that store the coded text test the answer all the same.
bool EasyEncode(TEasyEncodeInfo& info);
// Restores at most SourceLength characters of CodedText into PlainText. A character outside
// the alphabet ends the plain text there (a text that does not decode gives an empty one).
void EasyDecode(TEasyEncodeInfo& info);

// The codes of P_Check1: the store form of a text, and the read form of a store form.
inline constexpr const char* kProtectStoreCode = "902";
inline constexpr const char* kProtectReadCode = "161";

// The protected-value transform: `in` (zero-terminated) by `code` into `out` (zero-terminated,
// at most 255 bytes). Returns 1 on success; anything else is a refusal (an unknown code, a text
// too long for its store form to fit, or for "161" a text that is not an intact store form), and
// `out` is then left empty. `aux` is not used and stays zero-filled.
int P_Check1(const char* in, const char* code, char out[256], char aux[256]);

// The store form of the text; empty for a blank text or a refusal.
std::string ProtectStoreText(const std::string& text);
// The text a store form stands for; empty for a blank text or a refusal.
std::string ProtectReadText(const std::string& text);
