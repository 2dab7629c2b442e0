#pragma once
// Saved screen values: one text per screen and operator (what a dialog shows when it opens
// again), kept in the system database table STYLECOLOR under the style name "020-" + key.
#include <cstdint>
#include <string>

#include "platform/db/IBSQL.h"

class TGamenKeyValue {
 public:
  // Works on the data module's system database; OpCode is the logon id at creation, and an
  // object made before the logon (logon id 0) neither reads nor writes.
  TGamenKeyValue();

  TIBSQL SQL;
  int32_t OpCode = 0;
  std::string Prefix = "020-";
  std::string StyleName;
  std::string Value;

  // StyleName := Prefix + key, ASCII letters upper-cased, at most 40 bytes (never half a
  // double-byte character), trimmed.
  void SetKey(const std::string& key);
  // The saved text of the key into text; text is left as it was when nothing is saved.
  void FukugenValue(const std::string& key, std::string& text);
  // Saves the text (trimmed, at most 1024 bytes) under the key.
  void HozonValue(const std::string& key, const std::string& text);
  void ClearValue();
};
