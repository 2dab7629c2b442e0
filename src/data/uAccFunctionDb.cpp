#include "data/uAccFunctionDb.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "data/DataModule.h"
#include "data/DbRows.h"
#include "data/uAccFunction.h"
#include "platform/Encoding.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"
#include "platform/TextLines.h"
#include "platform/db/TransactionScope.h"

// ---------------------------------------------------------------------------
// TAccValue

TAccValue TAccValue::Date(TDateTime date) {
  TAccValue v;
  v.kind_ = Kind::Date;
  v.real_ = date;
  return v;
}

TAccValue TAccValue::Real(double value) {
  TAccValue v;
  v.kind_ = Kind::Real;
  v.real_ = value;
  return v;
}

namespace {

std::string RealText(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  return buf;
}

bool TryStrToDouble(const std::string& text, double& out) {
  const std::string t = TrimZenkaku(text);
  if (t.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double d = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || errno == ERANGE || !std::isfinite(d)) return false;
  out = d;
  return true;
}

}  // namespace

int32_t SafeStrToInt(const std::string& text) {
  std::string t = TrimZenkaku(text);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  int32_t v = 0;
  const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || ec != std::errc() || ptr != t.data() + t.size()) return 0;
  return v;
}

std::string TAccValue::AsString() const {
  switch (kind_) {
    case Kind::Empty: return {};
    case Kind::Text: return text_;
    case Kind::Boolean: return BoolToText(int_ != 0);
    case Kind::Date: return FormatDateText(4, real_);
    case Kind::Integer: return std::to_string(int_);
    case Kind::Amount: return amount_.ToString();
    case Kind::Real: return RealText(real_);
  }
  return {};
}

bool TAccValue::AsBoolean() const {
  switch (kind_) {
    case Kind::Text: return TextIsTrue(text_);
    case Kind::Boolean:
    case Kind::Integer: return int_ != 0;
    case Kind::Date:
    case Kind::Real: return real_ != 0;
    case Kind::Amount: return !amount_.IsZero();
    case Kind::Empty: return false;
  }
  return false;
}

TDateTime TAccValue::AsDate() const {
  switch (kind_) {
    case Kind::Text: return SafeStrToDate(text_);
    case Kind::Date:
    case Kind::Real: return real_;
    case Kind::Integer: return static_cast<TDateTime>(int_);
    case Kind::Amount: return amount_.ToDouble();
    default: return 0;
  }
}

int32_t TAccValue::AsInteger() const {
  switch (kind_) {
    case Kind::Text: return SafeStrToInt(text_);
    case Kind::Boolean:
    case Kind::Integer: return static_cast<int32_t>(int_);
    case Kind::Date:
    case Kind::Real: return static_cast<int32_t>(std::trunc(real_));
    case Kind::Amount: return static_cast<int32_t>(amount_.Trunc());
    case Kind::Empty: return 0;
  }
  return 0;
}

Currency TAccValue::AsCurrency() const {
  switch (kind_) {
    case Kind::Text: return SafeStrToCurr(text_);
    case Kind::Boolean:
    case Kind::Integer: return Currency::FromYen(int_);
    case Kind::Date:
    case Kind::Real: return Currency::FromDouble(real_);
    case Kind::Amount: return amount_;
    case Kind::Empty: return {};
  }
  return {};
}

double TAccValue::AsDouble() const {
  switch (kind_) {
    case Kind::Text: {
      double d = 0;
      return TryStrToDouble(text_, d) ? d : 0;
    }
    case Kind::Boolean:
    case Kind::Integer: return static_cast<double>(int_);
    case Kind::Date:
    case Kind::Real: return real_;
    case Kind::Amount: return amount_.ToDouble();
    case Kind::Empty: return 0;
  }
  return 0;
}

bool AccValueToText(const std::string& type, const TAccValue& value, std::string& text) {
  if (type == "文字") text = value.AsString();
  else if (type == "論理") text = BoolToText(value.AsBoolean());
  else if (type == "日付") text = FormatDateText(4, value.AsDate());  // the zero date gives ""
  else if (type == "整数") text = std::to_string(value.AsInteger());
  else if (type == "金額") text = value.AsCurrency().ToString();
  else if (type == "実数") text = RealText(value.AsDouble());
  else return false;
  return true;
}

// ---------------------------------------------------------------------------
// Factories and computer name

namespace {

template <class T>
std::unique_ptr<T> CreateOn(const std::string& dbName, bool snapshot) {
  if (!DM) return nullptr;
  try {
    auto q = std::make_unique<T>();
    if (dbName == "ACCDEF") {
      q->SetDatabase(&DM->IBDatabaseDEF);
      q->SetTransaction(&DM->IBTransactionDEF);
    } else {
      q->SetDatabase(&DM->IBDatabaseDAT);
      q->SetTransaction(snapshot ? &DM->IBTransactionDATSS : &DM->IBTransactionDAT);
    }
    q->SQL.clear();
    return q;
  } catch (const std::exception&) {
    return nullptr;
  }
}

}  // namespace

std::unique_ptr<TIBQuery> CreateAccQuery(const std::string& dbName, bool snapshot) {
  return CreateOn<TIBQuery>(dbName, snapshot);
}

std::unique_ptr<TIBSQL> CreateAccSQL(const std::string& dbName, bool snapshot) {
  return CreateOn<TIBSQL>(dbName, snapshot);
}

std::string GetPCName() {
  if (ConnectMode == 2) return SystemDef.WinUserName.empty() ? "ANONYMOUS" : SystemDef.WinUserName;
  std::string name = sysinfo::ComputerName();
  if (name.empty()) return "PCNAME-ERROR";
  return sjis::CutToBytes(name, 200);
}

// ---------------------------------------------------------------------------
// ACCREG

namespace {

std::unique_ptr<TIBQuery> StoreQuery() {
  if (!DM) throw std::logic_error("the data module is not created");
  return CreateAccQuery("ACCDAT", false);
}

bool IsPictureType(const std::string& t) { return t == "画像" || t == "BMP" || t == "JPG"; }

// A memo is stored with every line ended by CR LF, whatever breaks it came with.
std::string MemoText(std::string_view text) { return textlines::ToText(textlines::FromText(text)); }

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(ResolvePath(path), std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open file \"" + path + "\"");
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) throw std::runtime_error("Cannot read file \"" + path + "\"");
  return s.str();
}

// A new file "accreg-<local time><unique part><ext>" in the work folder. The time alone would
// give two pictures read within one second the same file, the second replacing the first.
std::string WritePictureFile(const std::string& bytes, const std::string& ext) {
  std::string dir = SystemDef.WorkDir.empty() ? folders::TempDir() : ResolvePath(SystemDef.WorkDir);
  std::string path = IncludeTrailingPathDelimiter(dir) + "accreg-" + FormatDateTime("yyyymmddhhnnss", Now()) +
                     "-XXXXXX" + ext;
  std::vector<char> buf(path.begin(), path.end());
  buf.push_back('\0');
  const int fd = mkstemps(buf.data(), static_cast<int>(ext.size()));
  if (fd < 0) throw std::runtime_error("Cannot create file \"" + path + "\": " + std::strerror(errno));
  path.assign(buf.data());
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      ::unlink(path.c_str());
      throw std::runtime_error("Cannot write file \"" + path + "\": " + std::strerror(err));
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) {
    ::unlink(path.c_str());
    throw std::runtime_error("Cannot write file \"" + path + "\"");
  }
  return path;
}

}  // namespace

void GetAccReg(const std::string& group, const std::string& key, const std::string& type, TAccValue& value,
               const std::string& def) {
  auto q = StoreQuery();
  TTransactionScope tx(DM->IBTransactionDAT);
  q->SQL = "SELECT ATYPE,ATEXT FROM ACCREG WHERE AGROUP=:AGROUP AND ACODE=:ACODE ";
  q->ParamByName("AGROUP").SetString(group);
  q->ParamByName("ACODE").SetString(key);
  q->Open();
  std::string text;
  if (!q->Eof()) {
    text = q->FieldByName("ATEXT").AsString();
  } else {
    text = def;
    q->Close();
    q->SQL = "INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT) VALUES(:AGROUP,:ACODE,:ATYPE,:ATEXT)";
    q->ParamByName("AGROUP").SetString(group);
    q->ParamByName("ACODE").SetString(key);
    q->ParamByName("ATYPE").SetString(type);
    q->ParamByName("ATEXT").SetString(def);
    q->ExecSQL();
  }
  if (text.empty()) text = " ";
  if (type == "文字") value = TAccValue(text);
  else if (type == "論理") value = TAccValue(TextIsTrue(text));
  else if (type == "日付") value = TAccValue::Date(SafeStrToDate(text));
  else if (type == "整数") value = TAccValue(SafeStrToInt(text));
  else if (type == "金額") value = TAccValue(SafeStrToCurr(text));
  else if (type == "実数") value = TAccValue::Real(TAccValue(text).AsDouble());
  else value = TAccValue("Data Type Error");
  q->Close();
}

void PutAccReg(const std::string& group, const std::string& key, const std::string& type, const TAccValue& value) {
  static const TRowSql kSql{
      "SELECT COUNT(AGROUP) AS RECCNT FROM ACCREG\nWHERE (AGROUP=:AGROUP) AND (ACODE=:ACODE)",
      "INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT)\nVALUES(:AGROUP,:ACODE,:ATYPE,:ATEXT)",
      "UPDATE ACCREG SET ATEXT=:ATEXT\nWHERE AGROUP=:AGROUP AND ACODE=:ACODE",
  };
  auto q = StoreQuery();
  TTransactionScope tx(DM->IBTransactionDAT);
  WriteRowByKey(*q, kSql, [&](TIBStatement& st, TRowStep step) {
    st.ParamByName("AGROUP").SetString(group);
    st.ParamByName("ACODE").SetString(key);
    if (step == TRowStep::Count) return;
    if (step == TRowStep::Insert) st.ParamByName("ATYPE").SetString(type);
    std::string text;
    if (AccValueToText(type, value, text)) st.ParamByName("ATEXT").SetString(text);
    else st.ParamByName("ATEXT").SetNull();
  });
}

void DeleteAccReg(const std::string& group, const std::string& key) {
  auto q = StoreQuery();
  TTransactionScope tx(DM->IBTransactionDAT);
  q->SQL = "DELETE FROM ACCREG\nWHERE (AGROUP=:AGROUP) AND (ACODE=:ACODE)";
  q->ParamByName("AGROUP").SetString(group);
  q->ParamByName("ACODE").SetString(key);
  q->ExecSQL();
  q->Close();
}

void GetAccRegBlob(const std::string& group, const std::string& key, const std::string& /*type*/,
                   TAccValue& value) {
  auto q = StoreQuery();
  TTransactionScope tx(DM->IBTransactionDAT);
  q->SQL = "SELECT FGROUP,FKEY,FTYPE,FVALUE FROM ACCREG_BLOB_BINARY\nWHERE FGROUP=:FGROUP AND FKEY=:FKEY";
  q->ParamByName("FGROUP").SetString(group);
  q->ParamByName("FKEY").SetString(key);
  q->Open();
  if (!q->Eof()) {
    const std::string stored = q->FieldByName("FTYPE").AsString();
    if (IsPictureType(stored)) {
      const std::string ext = stored == "JPG" ? ".jpg" : ".bmp";
      value = TAccValue(WritePictureFile(q->FieldByName("FVALUE").AsBlob(), ext));
    } else if (stored == "メモ") {
      value = TAccValue(MemoText(sjis::ToUtf8(q->FieldByName("FVALUE").AsBlob())));
    }
  }
  q->Close();
}

void PutAccRegBlob(const std::string& group, const std::string& key, const std::string& type, const TAccValue& value) {
  static const TRowSql kSql{
      "SELECT COUNT(FGROUP) AS RECCNT FROM ACCREG_BLOB_BINARY\nWHERE (FGROUP=:FGROUP) AND (FKEY=:FKEY)",
      "INSERT INTO ACCREG_BLOB_BINARY(FGROUP,FKEY,FTYPE,FVALUE)\nVALUES(:FGROUP,:FKEY,:FTYPE,:FVALUE)",
      "UPDATE ACCREG_BLOB_BINARY SET FTYPE=:FTYPE,FVALUE=:FVALUE\nWHERE FGROUP=:FGROUP AND FKEY=:FKEY",
  };
  auto q = StoreQuery();
  TTransactionScope tx(DM->IBTransactionDAT);
  WriteRowByKey(*q, kSql, [&](TIBStatement& st, TRowStep step) {
    st.ParamByName("FGROUP").SetString(group);
    st.ParamByName("FKEY").SetString(key);
    if (step == TRowStep::Count) return;
    st.ParamByName("FTYPE").SetString(type);
    if (IsPictureType(type)) st.ParamByName("FVALUE").SetBlob(ReadWholeFile(value.AsString()));
    else if (type == "メモ") st.ParamByName("FVALUE").SetBlob(sjis::FromUtf8(MemoText(value.AsString())));
    else st.ParamByName("FVALUE").SetNull();
  });
}
