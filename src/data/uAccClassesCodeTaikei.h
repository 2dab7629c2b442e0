#pragma once
// The code systems (コード体系) stored in the system database table USERCODE: the import of a
// code-system file into an existing row, and the repair of the data and code types of stored
// rows (run once by every new object, so the system database must be connected before).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/uAccClassesSplit.h"
#include "platform/db/IBQuery.h"
#include "platform/db/IBSQL.h"

struct TCodeTaikeiRec2 {
  int32_t RECNO = 0;
  std::string NAME;
  int32_t DATATYPE = 0;
  int32_t CODETYPE = 0;
  std::string Reserve1;
  int32_t Reserve2 = 0;
  int32_t Reserve3 = 0;
  int32_t Reserve4 = 0;
  std::string SeihinKubun = "-";  // product kind; "-" when the file gives none
  uint8_t Reserve5 = 0;
  std::array<std::vector<std::string>, 8> IniDat;  // the lines for INIDAT1 to INIDAT8
  std::string Reserve6;
  int32_t Reserve7 = 0;
  int32_t Reserve8 = 0;
};

class TCodeTaikeiIO {
 public:
  TCodeTaikeiIO();
  TCodeTaikeiIO(const TCodeTaikeiIO&) = delete;
  TCodeTaikeiIO& operator=(const TCodeTaikeiIO&) = delete;

  // Reads a code-system file (Shift-JIS) into the row RECNO. A file of another product kind
  // is refused with a message and nothing is written.
  bool ImportFile(const std::string& path, int32_t recNo);
  // True only when the row was there and has been written.
  bool UpDateRecored(const TCodeTaikeiRec2& rec);
  void KubunSyufuku();
  bool CheckSeihinKubun(const std::string& kind, std::string& message);

  TIBSQL SQL;
  TIBQuery Query;
  TMojiBunkatu Splitter;
};
