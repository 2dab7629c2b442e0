#pragma once
// Values of statement fields and parameters. Texts are UTF-8 here; the conversion to and from
// the CP932 bytes of the connection happens when a statement binds or fetches.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Currency.h"
#include "platform/DateTime.h"

namespace ibdb {

// One typed value as it crosses the wire.
struct Value {
  enum class Kind : uint8_t { Null, Integer, Float, Text, Blob, Date, Time, Timestamp, Boolean };
  Kind kind = Kind::Null;
  int scale = 0;          // Integer: the value is i × 10^scale
  int64_t i = 0;          // Integer; Boolean (0/1)
  double d = 0;           // Float; Date/Time/Timestamp as TDateTime
  std::string bytes;      // Text and Blob
  bool utf8 = false;      // Text bytes are UTF-8 (set by the program) rather than CP932 from the wire
};

}  // namespace ibdb

// A field of the current row (also an output parameter of a stored procedure).
class TIBField {
 public:
  TIBField() = default;
  explicit TIBField(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  bool IsNull() const { return value_.kind == ibdb::Value::Kind::Null; }

  // NULL reads as "", 0, the zero date or no bytes. Texts and blobs are CP932 on the wire:
  // AsString gives them as UTF-8 text, AsBlob gives the stored bytes.
  std::string AsString() const;      // text (CHAR without its trailing blanks), numbers, dates "yyyy/mm/dd"
  int AsInteger() const;             // whole numbers; scaled numbers cut toward zero
  int64_t AsInt64() const;
  Currency AsCurrency() const;       // NUMERIC(18,4) exactly; other scales rounded half away from zero
  double AsDouble() const;
  TDateTime AsDateTime() const;      // DATE / TIMESTAMP / TIME
  std::string AsBlob() const;        // the stored bytes, unconverted

  // Layer internal.
  const ibdb::Value& RawValue() const { return value_; }
  void SetRawValue(ibdb::Value v) { value_ = std::move(v); }
  ibdb::Value& MutableRawValue() { return value_; }

 protected:
  std::string name_;
  ibdb::Value value_;
};

// A ":NAME" parameter of a statement (or an input of a stored procedure).
class TIBParam : public TIBField {
 public:
  using TIBField::TIBField;

  // Sent as CP932; a character the column cannot hold raises the transliteration error when
  // the statement runs.
  void SetString(std::string_view utf8);
  void SetInteger(int v);
  void SetInt64(int64_t v);
  void SetCurrency(Currency v);     // as NUMERIC(18,4): exact
  void SetDouble(double v);
  void SetDateTime(TDateTime v);    // TIMESTAMP
  void SetDate(TDateTime v);        // DATE (the time of day dropped); 0 writes 1899-12-30
  void SetBlob(std::string_view bytes);  // the bytes as they are
  void SetNull();
};
