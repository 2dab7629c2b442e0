#pragma once
// Base64 of byte strings (standard alphabet, "=" padding) for the names on the relay channel.
#include <stdexcept>
#include <string>
#include <string_view>

// A Base64 text that holds a character outside the alphabet, or "=" anywhere but at the end
// of its last complete group.
class EBase64Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TxPzConv {
 public:
  // Properties of the text-conversion component; the Base64 operations do not use them.
  enum TJisByteCodeType { btAscii, btJis };
  enum TJisKanaConvType { ktNone, ktZenWithDaku };
  TJisByteCodeType JisByteCodeType = btAscii;
  TJisKanaConvType JisKanaConvType = ktZenWithDaku;

  // Four characters per three bytes; a last group of one byte ends in "==", of two in "=".
  static std::string EncodeBase64(std::string_view bytes);
  // Decodes the complete four-character groups; characters after the last complete group are
  // ignored. Throws EBase64Error on a character outside the alphabet or misplaced padding.
  static std::string DecodeBase64(std::string_view text);
};
