#pragma once
// Query objects on the data module's connections, the computer name, and the per-data typed
// settings store (tables ACCREG and ACCREG_BLOB_BINARY of the company database).
//
// Settings are text values tagged with a type word that decides how the text is read and
// written: "文字" text, "論理" boolean ("TRUE"/"FALSE"), "日付" date ("yyyy/mm/dd"; the zero
// date as an empty text), "整数" 32-bit integer, "金額" amount (shortest decimal form), "実数"
// double (15 significant digits). Reading a missing setting inserts it with its default.
//
// Transactions: every store operation works in the company database's IBTransactionDAT and
// starts it only when it is not active; it then commits on success and rolls back on failure.
// Inside a caller's transaction it does neither. Failures reach the caller as exceptions
// (EIBError for the database); the store reports nothing itself.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Currency.h"
#include "platform/DateTime.h"

class TIBQuery;
class TIBSQL;

// The value of a typed setting: text, boolean, date, integer, amount or double. The As...
// readers convert between kinds as far as that makes sense (a text that is no number reads
// as 0, a number as its decimal text).
class TAccValue {
 public:
  enum class Kind : uint8_t { Empty, Text, Boolean, Date, Integer, Amount, Real };

  TAccValue() = default;
  TAccValue(std::string text) : kind_(Kind::Text), text_(std::move(text)) {}
  TAccValue(const char* text) : kind_(Kind::Text), text_(text) {}
  TAccValue(bool value) : kind_(Kind::Boolean), int_(value ? 1 : 0) {}
  TAccValue(int32_t value) : kind_(Kind::Integer), int_(value) {}
  TAccValue(Currency value) : kind_(Kind::Amount), amount_(value) {}
  static TAccValue Date(TDateTime date);
  static TAccValue Real(double value);

  Kind kind() const { return kind_; }
  std::string AsString() const;
  bool AsBoolean() const;
  TDateTime AsDate() const;
  int32_t AsInteger() const;
  Currency AsCurrency() const;
  double AsDouble() const;

  bool operator==(const TAccValue&) const = default;

 private:
  Kind kind_ = Kind::Empty;
  std::string text_;
  int64_t int_ = 0;
  double real_ = 0;  // Date and Real
  Currency amount_;
};

// Text forms shared by the two typed stores.
// The value as the store writes it for the type word; false for an unknown type word.
bool AccValueToText(const std::string& type, const TAccValue& value, std::string& text);
// A decimal 32-bit integer (blanks around it allowed); 0 when the text is not one.
int32_t SafeStrToInt(const std::string& text);

// A query (or SQL object) on the system database for the name "ACCDEF", on the company
// database for any other name; on the company database with snapshot set it runs in the
// snapshot transaction. Its SQL text is empty. Null when it cannot be created (no data module).
std::unique_ptr<TIBQuery> CreateAccQuery(const std::string& dbName, bool snapshot);
std::unique_ptr<TIBSQL> CreateAccSQL(const std::string& dbName, bool snapshot);

// The name of this computer in logs and journal entries: in connection mode 2 the user name
// (or "ANONYMOUS"), else the host name (or "PCNAME-ERROR" when there is none).
std::string GetPCName();

void GetAccReg(const std::string& group, const std::string& key, const std::string& type, TAccValue& value,
               const std::string& def);
void PutAccReg(const std::string& group, const std::string& key, const std::string& type, const TAccValue& value);
void DeleteAccReg(const std::string& group, const std::string& key);
// Pictures (type 画像, "BMP", "JPG") are written to a new file in the work folder whose path
// becomes the value; a memo (メモ) becomes its lines, each ended by CR LF. A missing row or
// another stored type leaves the value unchanged. The type word passed is not consulted.
void GetAccRegBlob(const std::string& group, const std::string& key, const std::string& type, TAccValue& value);
// Pictures: the value is the path of the picture file, whose bytes are stored. A memo: the
// value's lines, each ended by CR LF. Another type word stores null.
void PutAccRegBlob(const std::string& group, const std::string& key, const std::string& type, const TAccValue& value);
