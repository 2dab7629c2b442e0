#pragma once
// What TIBSQL, TIBQuery and TIBStoredProc share: the SQL text with ":NAME" parameters, the
// prepared statement, the binding of parameters and the fields of the current row.
//
// ":NAME" marks a parameter; the same name may occur several times and binds every
// occurrence; names compare without regard to case; a ":" inside a string literal, a quoted
// name or a comment is not a parameter. The statement runs in Transaction (or the database's
// DefaultTransaction), which must be active: the layer never starts one on its own.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/IBDatabase.h"
#include "platform/db/IBField.h"

namespace Firebird {
class IStatement;
class IResultSet;
class IMessageMetadata;
}  // namespace Firebird

namespace ibdb {

class Status;

// The SQL text with each parameter replaced by "?", and the parameter name of each "?" in
// order (upper case; a quoted name keeps its case).
struct ParsedSql {
  std::string text;
  std::vector<std::string> names;
};
ParsedSql ParseParams(std::string_view sql);

}  // namespace ibdb

class TIBStatement : protected ibdb::Client {
 public:
  TIBStatement();
  virtual ~TIBStatement();
  TIBStatement(const TIBStatement&) = delete;
  TIBStatement& operator=(const TIBStatement&) = delete;

  void SetDatabase(TIBDatabase* db);
  TIBDatabase* Database() const { return db_; }
  void SetTransaction(TIBTransaction* tr);
  // The statement's own transaction, else the database's default one.
  TIBTransaction* Transaction() const;

  std::string SQL;         // UTF-8; a changed text is prepared again at the next run
  bool ParamCheck = true;  // false: ":" is left to the engine (PSQL bodies in DDL)

  // Parameters keep their values across runs of the same text.
  TIBParam& ParamByName(std::string_view name);
  int ParamCount();
  TIBParam& Params(int index);

  // Fields of the current row; a name that the statement does not return raises.
  TIBField& FieldByName(std::string_view name);
  TIBField* FindField(std::string_view name);
  TIBField& Fields(int index);
  int FieldCount() const { return static_cast<int>(fields_.size()); }

  bool Eof() const { return eof_; }

  void Prepare();
  bool Prepared() const { return stmt_ != nullptr; }
  // The prepared statement changes metadata (its work is done at commit).
  bool IsDDL() const;

 protected:
  using Row = std::vector<ibdb::Value>;

  // Runs the statement: a query opens its cursor (rows come through FetchRow); any other
  // statement executes, and one that returns values (EXECUTE PROCEDURE, RETURNING) gives
  // them as its single row. Returns true when there is a cursor or a row.
  bool Run();
  bool FetchRow(Row& row);    // false at the end of the cursor (which is then closed)
  // The next row decoded straight into the fields (their text buffers reused); at the end of
  // the cursor the fields are left as they are and false returned.
  bool FetchIntoFields();
  void SetCurrent(Row&& row);
  void SetEof();
  void CloseCursor();
  bool HasCursor() const { return cursor_ != nullptr; }
  bool HasSingleton() const { return singleton_; }
  int64_t RowsAffectedNow();
  bool IsQuery() const;

  // Ends the current result (subclasses drop buffered rows).
  virtual void ResetResult();

 private:
  void DatabaseClosing() override;
  void DatabaseDestroyed(TIBDatabase* db) override;
  void TransactionEnding(TIBTransaction* tr) override;
  void TransactionDestroyed(TIBTransaction* tr) override;

  void Parse();
  void FreeStatement();
  TIBTransaction* ActiveTransaction() const;
  std::vector<unsigned char> BindParams(TIBTransaction* tr, Firebird::IMessageMetadata*& meta);
  void Decode(unsigned index, const unsigned char* buf, TIBTransaction* tr, ibdb::Value& v);
  ibdb::Status& FetchStatus();

  TIBDatabase* db_ = nullptr;
  TIBTransaction* tr_ = nullptr;       // the one set by SetTransaction
  TIBTransaction* cursorTr_ = nullptr; // the one the open cursor runs in

  std::string parsedFrom_;   // the SQL text the parameters were parsed from
  bool parsedCheck_ = true;
  bool parsed_ = false;
  ibdb::ParsedSql parsed_sql_;
  std::vector<TIBParam> params_;   // unique names, first occurrence first
  std::vector<int> positions_;     // parameter index of each "?"

  Firebird::IStatement* stmt_ = nullptr;
  std::string preparedText_;
  unsigned type_ = 0;
  Firebird::IMessageMetadata* inDescribed_ = nullptr;
  Firebird::IMessageMetadata* inMeta_ = nullptr;   // the message last bound, kept while its shape holds
  std::vector<uint64_t> inShape_;
  Firebird::IMessageMetadata* outMeta_ = nullptr;
  std::vector<unsigned char> outBuf_;
  // Where each output column lies in outBuf_ and how it is stored, read once at Prepare.
  struct Column {
    unsigned type = 0;       // without the nullable bit
    unsigned length = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
    unsigned charset = 0;
    int scale = 0;
  };
  std::vector<Column> columns_;
  std::unique_ptr<ibdb::Status> fetchStatus_;  // one for every fetch of the statement
  Firebird::IResultSet* cursor_ = nullptr;
  bool singleton_ = false;

  std::vector<TIBField> fields_;
  bool eof_ = true;
};
