#include "platform/db/IBStatement.h"

#include <ibase.h>

#include <cstring>

#include "platform/AsciiCase.h"
#include "platform/Encoding.h"
#include "platform/db/FbClient.h"
#include "platform/db/SqlText.h"

using namespace Firebird;
using ibdb::Value;
using Kind = ibdb::Value::Kind;

namespace {

constexpr unsigned kCharsetNone = 0;
constexpr unsigned kCharsetOctets = 1;
constexpr unsigned kCharsetSjis0208 = 5;
constexpr size_t kMaxVarchar = 32765;
constexpr size_t kBlobChunk = 32768;

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '$'; }
bool IsTextType(unsigned t) { return t == SQL_TEXT || t == SQL_VARYING; }

int64_t ReadLittle(const unsigned char* p, unsigned len) {
  uint64_t v = 0;
  for (unsigned k = 0; k < len; ++k) v |= static_cast<uint64_t>(p[k]) << (8 * k);
  if (len > 0 && len < 8 && (p[len - 1] & 0x80)) v |= ~uint64_t{0} << (8 * len);
  return static_cast<int64_t>(v);
}

template <typename T>
void Put(std::vector<unsigned char>& buf, unsigned offset, const T& v) {
  std::memcpy(buf.data() + offset, &v, sizeof v);
}

template <typename T>
T Get(const unsigned char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// The program's text as the bytes a parameter sends. Columns of SJIS_0208 (or text of the
// connection) must hold every character; binary targets only need CP932.
std::string WireText(const Value& v, bool sjis0208) {
  if (!v.utf8) return v.bytes;
  if (sjis0208) return ibdb::ToWire(v.bytes);
  std::string cp932;
  if (!sjis::TryFromUtf8(v.bytes, cp932)) throw ibdb::ErrorFromCodes({ibdb::kTransliterationFailed});
  return cp932;
}

}  // namespace

namespace ibdb {

ParsedSql ParseParams(std::string_view sql) {
  ParsedSql r;
  r.text.reserve(sql.size());
  size_t i = 0;
  const size_t n = sql.size();
  while (i < n) {
    const SqlSkip skip = SkipQuotedOrComment(sql, i);
    if (skip.piece != SqlPiece::None) {
      r.text.append(sql.substr(i, skip.end - i));
      i = skip.end;
      continue;
    }
    const char c = sql[i];
    if (c == ':' && i + 1 < n) {
      if (sql[i + 1] == '"') {
        size_t j = sql.find('"', i + 2);
        if (j != std::string_view::npos) {
          r.names.emplace_back(sql.substr(i + 2, j - i - 2));
          r.text += '?';
          i = j + 1;
          continue;
        }
      } else if (IsNameStart(sql[i + 1])) {
        size_t j = i + 1;
        while (j < n && IsNameChar(sql[j])) ++j;
        r.names.push_back(ascii::Upper(sql.substr(i + 1, j - i - 1)));
        r.text += '?';
        i = j;
        continue;
      }
    }
    if (c == '?') r.names.emplace_back();  // a positional parameter without a name
    r.text += c;
    ++i;
  }
  return r;
}

}  // namespace ibdb

TIBStatement::TIBStatement() = default;

TIBStatement::~TIBStatement() {
  FreeStatement();
  if (tr_) tr_->RemoveClient(this);
  if (db_) db_->RemoveClient(this);
}

void TIBStatement::SetDatabase(TIBDatabase* db) {
  if (db == db_) return;
  FreeStatement();
  if (db_) db_->RemoveClient(this);
  db_ = db;
  if (db_) db_->AddClient(this);
}

void TIBStatement::SetTransaction(TIBTransaction* tr) {
  if (tr == tr_) return;
  TIBTransaction* old = tr_;
  tr_ = tr;
  if (old && old != cursorTr_) old->RemoveClient(this);
  if (tr_) tr_->AddClient(this);
}

TIBTransaction* TIBStatement::Transaction() const {
  if (tr_) return tr_;
  return db_ ? db_->DefaultTransaction : nullptr;
}

TIBTransaction* TIBStatement::ActiveTransaction() const {
  if (!db_) throw EIBError("The statement has no database");
  if (!db_->Connected()) throw EIBError("Database not open");
  TIBTransaction* tr = Transaction();
  if (!tr) throw EIBError("The statement has no transaction");
  if (!tr->HasDatabase(db_)) throw EIBError("The statement's transaction belongs to another database");
  if (!tr->InTransaction()) throw EIBError("Transaction is not active");
  return tr;
}

void TIBStatement::Parse() {
  if (parsed_ && parsedFrom_ == SQL && parsedCheck_ == ParamCheck) return;
  parsed_sql_ = ParamCheck ? ibdb::ParseParams(SQL) : ibdb::ParsedSql{SQL, {}};
  parsedFrom_ = SQL;
  parsedCheck_ = ParamCheck;
  parsed_ = true;
  params_.clear();
  positions_.clear();
  for (const std::string& name : parsed_sql_.names) {
    int index = -1;
    if (!name.empty()) {
      for (size_t k = 0; k < params_.size(); ++k)
        if (ascii::Upper(params_[k].Name()) == ascii::Upper(name)) index = static_cast<int>(k);
    }
    if (index < 0) {
      params_.emplace_back(name);
      index = static_cast<int>(params_.size()) - 1;
    }
    positions_.push_back(index);
  }
}

TIBParam& TIBStatement::ParamByName(std::string_view name) {
  Parse();
  std::string key = ascii::Upper(name);
  for (TIBParam& p : params_)
    if (!p.Name().empty() && ascii::Upper(p.Name()) == key) return p;
  throw EIBError("Parameter \"" + std::string(name) + "\" not found in the statement");
}

int TIBStatement::ParamCount() {
  Parse();
  return static_cast<int>(params_.size());
}

TIBParam& TIBStatement::Params(int index) {
  Parse();
  if (index < 0 || index >= static_cast<int>(params_.size()))
    throw EIBError("Parameter index " + std::to_string(index) + " out of range");
  return params_[static_cast<size_t>(index)];
}

TIBField* TIBStatement::FindField(std::string_view name) {
  std::string key = ascii::Upper(name);
  for (TIBField& f : fields_)
    if (ascii::Upper(f.Name()) == key) return &f;
  return nullptr;
}

TIBField& TIBStatement::FieldByName(std::string_view name) {
  if (TIBField* f = FindField(name)) return *f;
  throw EIBError("Field \"" + std::string(name) + "\" not found");
}

TIBField& TIBStatement::Fields(int index) {
  if (index < 0 || index >= static_cast<int>(fields_.size()))
    throw EIBError("Field index " + std::to_string(index) + " out of range");
  return fields_[static_cast<size_t>(index)];
}

void TIBStatement::Prepare() {
  Parse();
  TIBTransaction* tr = ActiveTransaction();
  if (stmt_ && preparedText_ == parsed_sql_.text) return;
  FreeStatement();
  std::string wire = ibdb::ToWire(parsed_sql_.text);
  ibdb::Status st;
  try {
    stmt_ = db_->Attachment()->prepare(st.get(), tr->Handle(), static_cast<unsigned>(wire.size()), wire.c_str(),
                                       static_cast<unsigned>(db_->SQLDialect), IStatement::PREPARE_PREFETCH_METADATA);
    preparedText_ = parsed_sql_.text;
    type_ = stmt_->getType(st.get());
    inDescribed_ = stmt_->getInputMetadata(st.get());
    outMeta_ = stmt_->getOutputMetadata(st.get());
    outBuf_.assign(outMeta_->getMessageLength(st.get()), 0);
    unsigned count = outMeta_->getCount(st.get());
    fields_.clear();
    columns_.clear();
    for (unsigned k = 0; k < count; ++k) {
      fields_.emplace_back(ibdb::FromWire(outMeta_->getAlias(st.get(), k)));
      columns_.push_back(Column{outMeta_->getType(st.get(), k) & ~1u, outMeta_->getLength(st.get(), k),
                                outMeta_->getOffset(st.get(), k), outMeta_->getNullOffset(st.get(), k),
                                outMeta_->getCharSet(st.get(), k), outMeta_->getScale(st.get(), k)});
    }
    unsigned inputs = inDescribed_->getCount(st.get());
    if (inputs != positions_.size()) {
      FreeStatement();
      throw EIBError("The statement has " + std::to_string(inputs) + " parameters, the text names " +
                     std::to_string(positions_.size()));
    }
  } catch (const FbException& e) {
    EIBError err = ibdb::ToError(e.getStatus());
    FreeStatement();
    throw err;
  }
}

void TIBStatement::FreeStatement() {
  CloseCursor();
  ibdb::Status st;
  if (inMeta_) inMeta_->release();
  if (inDescribed_) inDescribed_->release();
  if (outMeta_) outMeta_->release();
  inMeta_ = inDescribed_ = outMeta_ = nullptr;
  inShape_.clear();
  columns_.clear();
  if (stmt_) {
    try {
      stmt_->free(st.get());  // releases the statement on success
    } catch (const FbException&) {
      stmt_->release();
    }
    stmt_ = nullptr;
  }
  preparedText_.clear();
  singleton_ = false;
}

bool TIBStatement::IsQuery() const {
  return type_ == isc_info_sql_stmt_select || type_ == isc_info_sql_stmt_select_for_upd;
}

bool TIBStatement::IsDDL() const { return stmt_ && type_ == isc_info_sql_stmt_ddl; }

void TIBStatement::ResetResult() {}

std::vector<unsigned char> TIBStatement::BindParams(TIBTransaction* tr, IMessageMetadata*& meta) {
  meta = nullptr;
  const unsigned n = static_cast<unsigned>(positions_.size());
  if (n == 0) return {};
  ibdb::Status st;
  try {
    // What each "?" sends: the described type for NULL, else the type of the value set.
    struct Slot {
      unsigned type, length, charset;
      int scale, subType;
      std::string wire;
      bool blob;
    };
    std::vector<Slot> slots(n);
    std::vector<uint64_t> shape;
    for (unsigned p = 0; p < n; ++p) {
      const Value& v = params_[static_cast<size_t>(positions_[p])].RawValue();
      unsigned dt = inDescribed_->getType(st.get(), p) & ~1u;
      unsigned dlen = inDescribed_->getLength(st.get(), p);
      unsigned dcs = inDescribed_->getCharSet(st.get(), p);
      int dsub = inDescribed_->getSubType(st.get(), p);
      Slot& s = slots[p];
      s = Slot{dt, dlen, dcs, inDescribed_->getScale(st.get(), p), dsub, {}, false};
      switch (v.kind) {
        case Kind::Null: break;
        case Kind::Integer: s = Slot{SQL_INT64, 8, 0, v.scale, 0, {}, false}; break;
        case Kind::Float: s = Slot{SQL_DOUBLE, 8, 0, 0, 0, {}, false}; break;
        case Kind::Boolean: s = Slot{SQL_BOOLEAN, 1, 0, 0, 0, {}, false}; break;
        case Kind::Date: s = Slot{SQL_TYPE_DATE, 4, 0, 0, 0, {}, false}; break;
        case Kind::Time: s = Slot{SQL_TYPE_TIME, 4, 0, 0, 0, {}, false}; break;
        case Kind::Timestamp: s = Slot{SQL_TIMESTAMP, 8, 0, 0, 0, {}, false}; break;
        case Kind::Text:
        case Kind::Blob: {
          if (dt == SQL_BLOB) {
            bool text = dsub == isc_blob_text && dcs != kCharsetOctets;
            s.wire = v.kind == Kind::Blob ? v.bytes : WireText(v, text && dcs != kCharsetNone);
            s.blob = true;
            s.length = 8;
            break;
          }
          bool textTarget = IsTextType(dt);
          unsigned cs = textTarget ? dcs : (v.kind == Kind::Blob ? kCharsetOctets : kCharsetNone);
          s.wire = v.kind == Kind::Blob ? v.bytes : WireText(v, cs == kCharsetSjis0208);
          if (s.wire.size() > kMaxVarchar) throw ibdb::ErrorFromCodes({isc_arith_except, isc_string_truncation});
          unsigned len = static_cast<unsigned>(s.wire.size());
          if (textTarget && dlen > len && dlen <= kMaxVarchar) len = dlen;
          s = Slot{SQL_VARYING, len, cs, 0, 0, std::move(s.wire), false};
          break;
        }
      }
      shape.push_back((uint64_t{s.type} << 48) ^ (uint64_t{s.length} << 16) ^ (uint64_t{s.charset} << 8) ^
                      static_cast<uint64_t>(static_cast<uint8_t>(s.scale)));
      shape.push_back(static_cast<uint64_t>(static_cast<uint32_t>(s.subType)));
    }
    if (!inMeta_ || shape != inShape_) {
      IMetadataBuilder* b = inDescribed_->getBuilder(st.get());
      try {
        for (unsigned p = 0; p < n; ++p) {
          const Slot& s = slots[p];
          b->setType(st.get(), p, s.type | 1);
          b->setSubType(st.get(), p, s.subType);
          b->setLength(st.get(), p, s.length);
          b->setCharSet(st.get(), p, s.charset);
          b->setScale(st.get(), p, s.scale);
        }
        IMessageMetadata* built = b->getMetadata(st.get());
        b->release();
        if (inMeta_) inMeta_->release();
        inMeta_ = built;
        inShape_ = shape;
      } catch (...) {
        b->release();
        throw;
      }
    }
    std::vector<unsigned char> buf(inMeta_->getMessageLength(st.get()), 0);
    for (unsigned p = 0; p < n; ++p) {
      const Value& v = params_[static_cast<size_t>(positions_[p])].RawValue();
      const Slot& s = slots[p];
      unsigned off = inMeta_->getOffset(st.get(), p);
      Put<short>(buf, inMeta_->getNullOffset(st.get(), p), v.kind == Kind::Null ? -1 : 0);
      if (v.kind == Kind::Null) continue;
      if (s.blob) {
        ISC_QUAD id{};
        IBlob* blob = db_->Attachment()->createBlob(st.get(), tr->Handle(), &id, 0, nullptr);
        try {
          for (size_t at = 0; at < s.wire.size(); at += kBlobChunk) {
            size_t len = std::min(kBlobChunk, s.wire.size() - at);
            blob->putSegment(st.get(), static_cast<unsigned>(len), s.wire.data() + at);
          }
          blob->close(st.get());  // releases the blob on success
        } catch (...) {
          blob->release();
          throw;
        }
        Put(buf, off, id);
        continue;
      }
      ISC_DATE date;
      ISC_TIME time;
      switch (s.type) {
        case SQL_INT64: Put<int64_t>(buf, off, v.i); break;
        case SQL_DOUBLE: Put<double>(buf, off, v.d); break;
        case SQL_BOOLEAN: Put<unsigned char>(buf, off, v.i ? 1 : 0); break;
        case SQL_TYPE_DATE:
          ibdb::ToIscTimestamp(v.d, date, time);
          Put(buf, off, date);
          break;
        case SQL_TYPE_TIME:
          ibdb::ToIscTimestamp(v.d, date, time);
          Put(buf, off, time);
          break;
        case SQL_TIMESTAMP:
          ibdb::ToIscTimestamp(v.d, date, time);
          Put(buf, off, ISC_TIMESTAMP{date, time});
          break;
        case SQL_VARYING:
          Put<unsigned short>(buf, off, static_cast<unsigned short>(s.wire.size()));
          std::memcpy(buf.data() + off + 2, s.wire.data(), s.wire.size());
          break;
        default: break;
      }
    }
    meta = inMeta_;
    return buf;
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
}

ibdb::Status& TIBStatement::FetchStatus() {
  if (!fetchStatus_) fetchStatus_ = std::make_unique<ibdb::Status>();
  return *fetchStatus_;
}

// Decodes from the column's place in the message buffer; the value's text buffer is reused,
// so a row of short texts allocates nothing.
void TIBStatement::Decode(unsigned k, const unsigned char* buf, TIBTransaction* tr, Value& v) {
  const Column& c = columns_[k];
  v.scale = 0;
  v.i = 0;
  v.d = 0;
  v.utf8 = false;
  v.bytes.clear();
  if (Get<short>(buf + c.nullOffset) != 0) {
    v.kind = Kind::Null;
    return;
  }
  const unsigned char* p = buf + c.offset;
  switch (c.type) {
    case SQL_TEXT: {
      v.kind = Kind::Text;
      size_t len = c.length;
      // CHAR values come padded with blanks to the column's byte length.
      if (c.charset != kCharsetOctets)
        while (len > 0 && p[len - 1] == ' ') --len;
      v.bytes.assign(reinterpret_cast<const char*>(p), len);
      break;
    }
    case SQL_VARYING:
      v.kind = Kind::Text;
      v.bytes.assign(reinterpret_cast<const char*>(p + 2), Get<unsigned short>(p));
      break;
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
      v.kind = Kind::Integer;
      v.i = c.type == SQL_SHORT ? Get<int16_t>(p) : c.type == SQL_LONG ? Get<int32_t>(p) : Get<int64_t>(p);
      v.scale = c.scale;
      break;
    case SQL_FLOAT:
      v.kind = Kind::Float;
      v.d = Get<float>(p);
      break;
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      v.kind = Kind::Float;
      v.d = Get<double>(p);
      break;
    case SQL_TYPE_DATE:
      v.kind = Kind::Date;
      v.d = ibdb::FromIscTimestamp(Get<ISC_DATE>(p), 0);
      break;
    case SQL_TYPE_TIME:
      v.kind = Kind::Time;
      v.d = ibdb::FromIscTimestamp(15018, Get<ISC_TIME>(p));
      break;
    case SQL_TIMESTAMP: {
      ISC_TIMESTAMP ts = Get<ISC_TIMESTAMP>(p);
      v.kind = Kind::Timestamp;
      v.d = ibdb::FromIscTimestamp(ts.timestamp_date, ts.timestamp_time);
      break;
    }
    case SQL_BOOLEAN:
      v.kind = Kind::Boolean;
      v.i = *p ? 1 : 0;
      break;
    case SQL_BLOB: {
      ISC_QUAD id = Get<ISC_QUAD>(p);
      v.kind = Kind::Blob;
      ibdb::Status st;
      try {
        IBlob* blob = db_->Attachment()->openBlob(st.get(), tr->Handle(), &id, 0, nullptr);
        try {
          std::vector<char> chunk(kBlobChunk);
          for (;;) {
            unsigned got = 0;
            int rc = blob->getSegment(st.get(), static_cast<unsigned>(chunk.size()), chunk.data(), &got);
            if (rc != IStatus::RESULT_OK && rc != IStatus::RESULT_SEGMENT) break;
            v.bytes.append(chunk.data(), got);
          }
          blob->close(st.get());
        } catch (...) {
          blob->release();
          throw;
        }
      } catch (const FbException& e) {
        ibdb::Raise(e);
      }
      break;
    }
    case SQL_NULL: v.kind = Kind::Null; break;
    default:
      v.kind = Kind::Null;
      throw EIBError("Unsupported data type " + std::to_string(c.type) + " in field \"" + fields_[k].Name() + "\"");
  }
}

bool TIBStatement::Run() {
  CloseCursor();
  ResetResult();
  SetEof();
  singleton_ = false;
  Prepare();
  TIBTransaction* tr = ActiveTransaction();
  IMessageMetadata* inMeta = nullptr;
  std::vector<unsigned char> inBuf = BindParams(tr, inMeta);
  ibdb::Status st;
  try {
    if (IsQuery()) {
      cursor_ = stmt_->openCursor(st.get(), tr->Handle(), inMeta, inBuf.empty() ? nullptr : inBuf.data(), outMeta_, 0);
      cursorTr_ = tr;
      tr->AddClient(this);
      return true;
    }
    bool returns = !fields_.empty();
    stmt_->execute(st.get(), tr->Handle(), inMeta, inBuf.empty() ? nullptr : inBuf.data(), returns ? outMeta_ : nullptr,
                   returns ? outBuf_.data() : nullptr);
    if (!returns) return false;
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
  Row row(fields_.size());
  for (unsigned k = 0; k < fields_.size(); ++k) Decode(k, outBuf_.data(), tr, row[k]);
  singleton_ = true;
  SetCurrent(std::move(row));
  return true;
}

bool TIBStatement::FetchRow(Row& row) {
  if (!cursor_) return false;
  int rc;
  try {
    rc = cursor_->fetchNext(FetchStatus().get(), outBuf_.data());
  } catch (const FbException& e) {
    // A cursor whose fetch failed stays open in the engine until it is closed.
    EIBError err = ibdb::ToError(e.getStatus());
    CloseCursor();
    throw err;
  }
  if (rc != IStatus::RESULT_OK) {
    CloseCursor();
    return false;
  }
  row.resize(fields_.size());
  for (unsigned k = 0; k < fields_.size(); ++k) Decode(k, outBuf_.data(), cursorTr_, row[k]);
  return true;
}

bool TIBStatement::FetchIntoFields() {
  if (!cursor_) return false;
  int rc;
  try {
    rc = cursor_->fetchNext(FetchStatus().get(), outBuf_.data());
  } catch (const FbException& e) {
    EIBError err = ibdb::ToError(e.getStatus());
    CloseCursor();
    throw err;
  }
  if (rc != IStatus::RESULT_OK) {
    CloseCursor();
    return false;
  }
  for (unsigned k = 0; k < fields_.size(); ++k) Decode(k, outBuf_.data(), cursorTr_, fields_[k].MutableRawValue());
  eof_ = false;
  return true;
}

void TIBStatement::SetCurrent(Row&& row) {
  for (size_t k = 0; k < fields_.size() && k < row.size(); ++k) fields_[k].SetRawValue(std::move(row[k]));
  eof_ = false;
}

void TIBStatement::SetEof() {
  eof_ = true;
  for (TIBField& f : fields_) f.SetRawValue(Value{});
}

void TIBStatement::CloseCursor() {
  if (cursor_) {
    ibdb::Status st;
    try {
      cursor_->close(st.get());  // releases the cursor on success
    } catch (const FbException&) {
      cursor_->release();
    }
    cursor_ = nullptr;
  }
  if (cursorTr_) {
    if (cursorTr_ != tr_) cursorTr_->RemoveClient(this);
    cursorTr_ = nullptr;
  }
}

int64_t TIBStatement::RowsAffectedNow() {
  if (!stmt_) return -1;
  const unsigned char items[] = {isc_info_sql_records};
  unsigned char buf[128] = {0};
  ibdb::Status st;
  try {
    stmt_->getInfo(st.get(), sizeof items, items, sizeof buf, buf);
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
  if (buf[0] != isc_info_sql_records) return 0;
  int64_t counts[4] = {0, 0, 0, 0};  // select, insert, update, delete
  size_t pos = 3;
  while (pos + 3 <= sizeof buf && buf[pos] != isc_info_end) {
    unsigned char item = buf[pos];
    unsigned len = static_cast<unsigned>(ReadLittle(buf + pos + 1, 2));
    if (pos + 3 + len > sizeof buf) break;
    int64_t value = ReadLittle(buf + pos + 3, len);
    if (item >= isc_info_req_select_count && item <= isc_info_req_delete_count)
      counts[item - isc_info_req_select_count] = value;
    pos += 3 + len;
  }
  switch (type_) {
    case isc_info_sql_stmt_select:
    case isc_info_sql_stmt_select_for_upd: return counts[0];
    case isc_info_sql_stmt_insert: return counts[1];
    case isc_info_sql_stmt_update: return counts[2];
    case isc_info_sql_stmt_delete: return counts[3];
    default: return counts[1] + counts[2] + counts[3];
  }
}

void TIBStatement::DatabaseClosing() {
  CloseCursor();
  ResetResult();
  SetEof();
  FreeStatement();
}

void TIBStatement::DatabaseDestroyed(TIBDatabase* db) {
  if (db != db_) return;
  DatabaseClosing();
  db_ = nullptr;
}

void TIBStatement::TransactionEnding(TIBTransaction* tr) {
  if (tr != cursorTr_) return;
  // The cursor dies with its transaction; the values of the current row stay readable.
  CloseCursor();
  ResetResult();
  eof_ = true;
}

void TIBStatement::TransactionDestroyed(TIBTransaction* tr) {
  TransactionEnding(tr);
  if (tr == tr_) tr_ = nullptr;
}
