#include "upgrade/z5SystemDbUpdate.h"

#include <cstdio>
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/uAccClassesCodeTaikei.h"
#include "data/uAccRecord.h"
#include "platform/db/IBSQL.h"
#include "upgrade/z5MenuListOldHistory.h"
#include "platform/AsciiCase.h"
#include "platform/Encoding.h"
#include "platform/Paths.h"
#include "upgrade/z5DbUpdateScript.h"

namespace {

using Lines = std::vector<std::string>;

int32_t Run(const TDbVersion& v, const Lines& statements) {
  return RunUpdateStatements(TUpdateDb::System, v, statements);
}

// The trigger that numbers the version rows after the highest one.
Lines VersionRecBody() {
  return {"AS", "  DECLARE VARIABLE REC_WK INTEGER;", "begin", "  SELECT MAX(REC) FROM VERSION INTO :REC_WK;",
          "  IF (REC_WK IS NULL) THEN NEW.REC = 1;", "  ELSE NEW.REC = REC_WK + 1;"};
}

// The data list's stored-folder procedure over the system data folder (client/server only).
Lines DataListUpdateCall() {
  return {"SELECT * FROM SP_DATALIST_UPDATE(" + SqlLiteral(ascii::Upper(SystemDef.SysDir)) + ");", "COMMIT;"};
}

const char* const kListTables[] = {"DATALIST", "SERVERDATALIST", "CHILD_DATALIST", "CHILD_SERVERDATALIST"};

}  // namespace

int32_t ExecSystemDbUpdate031() {
  Lines s = {"SET TERM ^ ;", "CREATE TRIGGER VERSION_REC FOR VERSION ACTIVE BEFORE INSERT POSITION 0"};
  for (const std::string& l : VersionRecBody()) s.push_back(l);
  s.push_back("end ^");
  s.push_back("SET TERM ;^");
  s.insert(s.end(), {
      "ALTER TABLE DATALIST ADD VER_TEXT VARCHAR(20) CHARACTER SET SJIS_0208, ADD KYOYULOCK INTEGER DEFAULT 0;",
      "DROP TRIGGER SERVERDATALIST_NO;",
      "ALTER TABLE SERVERDATALIST DROP GROUPID;",
      "DROP TABLE SERVERDATALIST;",
      "CREATE TABLE SERVERDATALIST (",
      "  GROUPID INTEGER NOT NULL,",
      "  DRIVELETTER VARCHAR(1) CHARACTER SET ASCII NOT NULL,",
      "  REC INTEGER NOT NULL,",
      "  ENTTEXT VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  SHOUGOU VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  PASNAME VARCHAR(128) CHARACTER SET SJIS_0208,",
      "  DATATYPE INTEGER, CODETYPE INTEGER, NENDO INTEGER,",
      "  KISHU TIMESTAMP, KIMATU TIMESTAMP,",
      "  DATALOCK INTEGER DEFAULT 0, TANTOU INTEGER DEFAULT 0,",
      "  VER_MAJOR INTEGER DEFAULT 0, VER_MINOR1 INTEGER DEFAULT 0, VER_MINOR2 INTEGER DEFAULT 0,",
      "  VER_TEXT VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  PRIMARY KEY (GROUPID, DRIVELETTER, REC));",
      "ALTER TABLE SERVERDATALIST ADD FOREIGN KEY (GROUPID) REFERENCES USERGROUP (GROUPID)",
      "  ON UPDATE CASCADE ON DELETE CASCADE;",
      "CREATE TABLE KENSAKUJYOKEN (",
      "  OPCODE INTEGER NOT NULL, LISTTYPE INTEGER NOT NULL,",
      "  JYOKENUSE INTEGER, DATATYPE INTEGER, CODETYPE INTEGER,",
      "  DATACODE VARCHAR(10) CHARACTER SET ASCII,",
      "  DATANAME VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  TANTO INTEGER,",
      "  DATAVER VARCHAR(10) CHARACTER SET ASCII,",
      "  SEIHINNAME VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  SORTCOL INTEGER, SORTTYPE INTEGER,",
      "  PRIMARY KEY (OPCODE, LISTTYPE));",
  });
  return Run({0, 3, 1}, s);
}

int32_t ExecSystemDbUpdate032() {
  return Run({0, 3, 2}, {"INSERT INTO OPERATOR (GROUPID,OPCODE,OPNAME,JOBLEVEL,PASWORD,DATAPAS,JIMUSHO,OKINIIRI,KANSA)",
                         "VALUES (10000,1,'システムユーザー',9,'1','',0,0,0);", "COMMIT;"});
}

int32_t ExecSystemDbUpdate033() {
  return Run({0, 3, 3}, {"UPDATE OPERATOR SET PASWORD='' ", "WHERE GROUPID=10000 AND OPCODE=1;", "COMMIT;"});
}

int32_t ExecSystemDbUpdate101() {
  return Run({1, 0, 1}, ConnectMode == 1 ? DataListUpdateCall() : Lines{});
}

int32_t ExecSystemDbUpdate300() {
  Lines s = {"SET TERM ^ ;", "ALTER TRIGGER VERSION_REC ACTIVE BEFORE INSERT POSITION 0"};
  for (const std::string& l : VersionRecBody()) s.push_back(l);
  s.insert(s.end(), {"end ^", "SET TERM ; ^", "COMMIT;",
                     "ALTER TABLE DATALIST ADD UPDATE_LOCK INTEGER DEFAULT 0, ADD GASSAN INTEGER DEFAULT 0;",
                     "ALTER TABLE SERVERDATALIST ADD UPDATE_LOCK INTEGER DEFAULT 0, ADD GASSAN INTEGER DEFAULT 0;",
                     "UPDATE DATALIST       SET UPDATE_LOCK=0,GASSAN=0;",
                     "UPDATE SERVERDATALIST SET UPDATE_LOCK=0,GASSAN=0;"});
  return Run({3, 0, 0}, s);
}

int32_t ExecSystemDbUpdate305() {
  const char* common =
      "  ENTTEXT VARCHAR(20) CHARACTER SET SJIS_0208, SHOUGOU VARCHAR(20) CHARACTER SET SJIS_0208,";
  return Run({3, 0, 5},
             {"RECREATE TABLE CHILD_DATALIST (",
              "  REC INTEGER NOT NULL, ROWNO INTEGER NOT NULL, GROUPID INTEGER DEFAULT 10000,", common,
              "  PASNAME VARCHAR(127) CHARACTER SET SJIS_0208,",
              "  NETDRIVE INTEGER, DATATYPE INTEGER, CODETYPE INTEGER, NENDO INTEGER,",
              "  KISHU TIMESTAMP, KIMATU TIMESTAMP, DATALOCK INTEGER DEFAULT 0, TANTOU INTEGER DEFAULT 0,",
              "  VER_MAJOR INTEGER DEFAULT 0, VER_MINOR1 INTEGER DEFAULT 0, VER_MINOR2 INTEGER DEFAULT 0,",
              "  VER_TEXT VARCHAR(20) CHARACTER SET SJIS_0208,",
              "  KYOYULOCK INTEGER DEFAULT 0, UPDATE_LOCK INTEGER DEFAULT 0, GASSAN INTEGER DEFAULT 0,",
              "  PRIMARY KEY (REC, ROWNO));",
              "ALTER TABLE CHILD_DATALIST ADD FOREIGN KEY (REC) REFERENCES DATALIST (REC)",
              "  ON UPDATE CASCADE ON DELETE CASCADE;",
              "RECREATE TABLE CHILD_SERVERDATALIST (",
              "  GROUPID INTEGER NOT NULL, DRIVELETTER VARCHAR(1) CHARACTER SET ASCII NOT NULL,",
              "  REC INTEGER NOT NULL, ROWNO INTEGER NOT NULL,", common,
              "  PASNAME VARCHAR(127) CHARACTER SET SJIS_0208,",
              "  DATATYPE INTEGER, CODETYPE INTEGER, NENDO INTEGER,",
              "  KISHU TIMESTAMP, KIMATU TIMESTAMP, DATALOCK INTEGER DEFAULT 0, TANTOU INTEGER DEFAULT 0,",
              "  VER_MAJOR INTEGER DEFAULT 0, VER_MINOR1 INTEGER DEFAULT 0, VER_MINOR2 INTEGER DEFAULT 0,",
              "  VER_TEXT VARCHAR(20) CHARACTER SET SJIS_0208,",
              "  UPDATE_LOCK INTEGER DEFAULT 0, GASSAN INTEGER DEFAULT 0,",
              "  PRIMARY KEY (GROUPID, DRIVELETTER, REC, ROWNO));",
              "ALTER TABLE CHILD_SERVERDATALIST ADD FOREIGN KEY (GROUPID, DRIVELETTER, REC)",
              "  REFERENCES SERVERDATALIST (GROUPID, DRIVELETTER, REC) ON UPDATE CASCADE ON DELETE CASCADE;",
              "COMMIT;"});
}

int32_t ExecSystemDbUpdate307() {
  Lines s;
  const int moves[][2] = {{100, 10}, {110, 11}, {120, 12}, {12, 110}, {11, 100}, {10, 120}};
  for (const auto& m : moves) {
    s.push_back("UPDATE JOBCONTROL SET PAGENO=" + std::to_string(m[0]));
    s.push_back("WHERE (LEVELNO>1000) AND (PAGENO=" + std::to_string(m[1]) + ");");
  }
  s.push_back("COMMIT;");
  return Run({3, 0, 7}, s);
}

int32_t ExecSystemDbUpdate400() {
  Lines s = {"RECREATE TABLE GENGO (",
             "  GNAME VARCHAR(10) CHARACTER SET SJIS_0208 DEFAULT '',",
             "  GSIGN VARCHAR(2) CHARACTER SET ASCII DEFAULT '',",
             "  STARTDATE TIMESTAMP,",
             "  YEAROFFSET INTEGER DEFAULT 0);",
             "INSERT INTO GENGO VALUES ('明治','M','1868/09/08',1868);",
             "INSERT INTO GENGO VALUES ('大正','T','1912/07/30',1912);",
             "INSERT INTO GENGO VALUES ('昭和','S','1926/12/25',1926);",
             "INSERT INTO GENGO VALUES ('平成','H','1989/01/08',1989);",
             "COMMIT;"};
  for (const char* t : kListTables)
    s.push_back(std::string("ALTER TABLE ") + t + " ADD DATACODE VARCHAR(10) CHARACTER SET ASCII DEFAULT '';");
  for (const char* t : kListTables) s.push_back(std::string("UPDATE ") + t + " SET DATACODE='';");
  s.insert(s.end(), {"COMMIT;",
                     "SET TERM ^ ;",
                     "CREATE OR ALTER PROCEDURE SP_DATALIST_INSERT (MAXCNT INTEGER, PATHTEXT VARCHAR(254) CHARACTER SET SJIS_0208)",
                     "RETURNS (REC INTEGER, PASNAME VARCHAR(254) CHARACTER SET SJIS_0208)",
                     "AS",
                     "  DECLARE VARIABLE CNT INTEGER;",
                     "begin",
                     "  SELECT MAX(REC) FROM DATALIST INTO :CNT;",
                     "  WHILE (CNT < MAXCNT) DO",
                     "  BEGIN",
                     "    CNT = CNT + 1;",
                     "    REC = CNT;",
                     "    PASNAME = PATHTEXT || '\\' || SUBSTRING(CAST(CNT + 10000 AS VARCHAR(10)) FROM 2 FOR 4);",
                     "    INSERT INTO DATALIST (REC,GROUPID,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU)",
                     "    VALUES (:REC,10000,'','',:PASNAME,0,0,0,0,'1899/12/30','1899/12/30');",
                     "    SUSPEND;",
                     "  END",
                     "end ^",
                     "SET TERM ; ^",
                     "COMMIT;",
                     "DELETE FROM USERCODE WHERE RECNO>10;"});
  for (int r = 11; r <= 20; ++r) {
    s.push_back("INSERT INTO USERCODE (RECNO,NAME,DATATYPE,CODETYPE,INIDAT1,INIDAT2,INIDAT3,INIDAT4,INIDAT5,INIDAT6,"
                "INIDAT7,INIDAT8) VALUES (" +
                std::to_string(r) + ",'',0,0,'','','','','','','','');");
  }
  s.insert(s.end(), {"COMMIT;", "UPDATE SYSTEMINI SET RESERVE2=63 ", "WHERE (REC=10) AND (RESERVE1=1);", "COMMIT;"});
  return Run({4, 0, 0}, s);
}

int32_t ExecSystemDbUpdate402() {
  Lines s;
  if (OemKind == 0) {
    if (ConnectMode == 1) s = DataListUpdateCall();
    for (const char* t : kListTables)
      s.push_back(std::string("ALTER TABLE ") + t +
                  " ADD DATA_STATUS INTEGER DEFAULT 0, ADD YOBI1 VARCHAR(10) CHARACTER SET ASCII DEFAULT '',"
                  " ADD YOBI2 VARCHAR(10) CHARACTER SET ASCII DEFAULT '', ADD YOBI3 VARCHAR(10) CHARACTER SET ASCII DEFAULT '';");
    for (const char* t : kListTables)
      s.push_back(std::string("UPDATE ") + t + " SET DATA_STATUS=0,YOBI1='',YOBI2='',YOBI3='';");
    s.push_back("COMMIT;");
  }
  return Run({4, 0, 2}, s);
}

namespace {

// The OEM editions load their code systems into the rows 1 to 10 from the step's folder.
void ImportCodeTaikeiFiles() {
  static const char* const kFiles[] = {"販売業.txt", "製造業.txt", "建設業.txt", "運送業.txt", "病院.txt", "その他.txt",
                                       "", "個人　一般.txt", "個人　不動産.txt", "個人　医業.txt"};
  if (!DM || !DM->fnAccDefConnected(SystemDef.HostName, true)) return;
  try {
    TCodeTaikeiIO io;
    for (int slot = 1; slot <= 10; ++slot) {
      const char* file = kFiles[slot - 1];
      if (!*file) continue;
      if (!io.ImportFile(IncludeTrailingPathDelimiter(UpdateFileFolder({5, 0, 0})) + file, slot)) break;
    }
  } catch (...) {
    DM->IBDatabaseDEF.Close();
    throw;
  }
  DM->IBDatabaseDEF.Close();
}

}  // namespace

int32_t ExecSystemDbUpdate500() {
  if (OemKind == 1 || OemKind == 2) ImportCodeTaikeiFiles();
  const std::string folder = SystemDef.SysDir;
  Lines s = {
      "CREATE TABLE DATAPLACEMAN (",
      "  REC INTEGER NOT NULL, ORDERKBN INTEGER DEFAULT 0,",
      "  NAME VARCHAR(20) CHARACTER SET SJIS_0208 DEFAULT '',",
      "  PATH VARCHAR(127) CHARACTER SET SJIS_0208 DEFAULT '',",
      "  YOBI1 VARCHAR(10) CHARACTER SET ASCII DEFAULT '', YOBI2 VARCHAR(10) CHARACTER SET ASCII DEFAULT '',",
      "  YOBI3 VARCHAR(10) CHARACTER SET ASCII DEFAULT '',",
      "  PRIMARY KEY (REC));",
      "CREATE TABLE DATALIST_EX (",
      "  DATAPLACEREC INTEGER NOT NULL, REC INTEGER NOT NULL, GROUPID INTEGER DEFAULT 10000,",
      "  ENTTEXT VARCHAR(20) CHARACTER SET SJIS_0208 DEFAULT '', SHOUGOU VARCHAR(20) CHARACTER SET SJIS_0208 DEFAULT '',",
      "  PASNAME VARCHAR(127) CHARACTER SET SJIS_0208 DEFAULT '',",
      "  NETDRIVE INTEGER DEFAULT 0, DATATYPE INTEGER DEFAULT 0, CODETYPE INTEGER DEFAULT 0, NENDO INTEGER DEFAULT 0,",
      "  KISHU TIMESTAMP, KIMATU TIMESTAMP,",
      "  DATALOCK INTEGER DEFAULT 0, TANTOU INTEGER DEFAULT 0,",
      "  VER_MAJOR INTEGER DEFAULT 0, VER_MINOR1 INTEGER DEFAULT 0, VER_MINOR2 INTEGER DEFAULT 0,",
      "  VER_TEXT VARCHAR(20) DEFAULT '',",
      "  KYOYULOCK INTEGER DEFAULT 0, UPDATE_LOCK INTEGER DEFAULT 0, GASSAN INTEGER DEFAULT 0,",
      "  DATACODE VARCHAR(10) CHARACTER SET ASCII DEFAULT '', DATA_STATUS INTEGER DEFAULT 0,",
      "  YOBI1 VARCHAR(10) CHARACTER SET ASCII DEFAULT '', YOBI2 VARCHAR(10) CHARACTER SET ASCII DEFAULT '',",
      "  YOBI3 VARCHAR(10) CHARACTER SET ASCII DEFAULT '',",
      "  PRIMARY KEY (DATAPLACEREC, REC));",
      "ALTER TABLE DATALIST_EX ADD FOREIGN KEY (DATAPLACEREC) REFERENCES DATAPLACEMAN (REC)",
      "  ON UPDATE CASCADE ON DELETE CASCADE;",
      "ALTER TABLE DATALIST_EX ADD FOREIGN KEY (GROUPID) REFERENCES USERGROUP (GROUPID)",
      "  ON UPDATE CASCADE ON DELETE CASCADE;",
      "SET TERM ^ ;",
      "CREATE OR ALTER PROCEDURE SP_DATALIST_INSERT (DATAPLACEREC INTEGER, PATHTEXT VARCHAR(254) CHARACTER SET SJIS_0208,",
      "  MAXCNT INTEGER)",
      "RETURNS (REC INTEGER, PATHNAME VARCHAR(254) CHARACTER SET SJIS_0208)",
      "AS",
      "  DECLARE VARIABLE CNT INTEGER;",
      "begin",
      "  IF (DATAPLACEREC = 0) THEN",
      "    SELECT MAX(REC) FROM DATALIST INTO :CNT;",
      "  ELSE",
      "    SELECT MAX(REC) FROM DATALIST_EX WHERE DATAPLACEREC = :DATAPLACEREC INTO :CNT;",
      "  IF (CNT IS NULL) THEN CNT = 0;",
      "  WHILE (CNT < MAXCNT) DO",
      "  BEGIN",
      "    CNT = CNT + 1;",
      "    REC = CNT;",
      "    PATHNAME = PATHTEXT || '\\' || SUBSTRING(CAST(CNT + 10000 AS VARCHAR(10)) FROM 2 FOR 4);",
      "    IF (DATAPLACEREC = 0) THEN",
      "      INSERT INTO DATALIST (REC,GROUPID,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU)",
      "      VALUES (:REC,10000,'','',:PATHNAME,0,0,0,0,'1899/12/30','1899/12/30');",
      "    ELSE",
      "      INSERT INTO DATALIST_EX (DATAPLACEREC,REC,GROUPID,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,",
      "        KISHU,KIMATU)",
      "      VALUES (:DATAPLACEREC,:REC,10000,'','',:PATHNAME,0,0,0,0,'1899/12/30','1899/12/30');",
      "    SUSPEND;",
      "  END",
      "end ^",
      "SET TERM ; ^",
      "COMMIT;",
  };
  // A folder text too long for the name column gives the standard name.
  const std::string name = sjis::ByteLength(folder) > 40 ? "標準の場所" : folder;
  s.push_back("INSERT INTO DATAPLACEMAN(REC,ORDERKBN,NAME,PATH) VALUES(0,1," + SqlLiteral(name) + "," +
              SqlLiteral(folder) + ");");
  for (int n = 1; n <= 99; ++n) {
    char head[64];
    std::snprintf(head, sizeof head, "VALUES(%.2d,%.2d,'',", n, n + 1);
    char digits[8];
    std::snprintf(digits, sizeof digits, "%.2d", n);
    s.push_back(std::string("INSERT INTO DATAPLACEMAN(REC,ORDERKBN,NAME,PATH) ") + head + SqlLiteral(folder + digits) + ");");
  }
  s.push_back("COMMIT;");
  if (OemKind == 1 || OemKind == 2) {
    s.push_back("UPDATE SYSREG SET STEXT='1' WHERE SCODE='試算表集計出力区分';");
    s.push_back("COMMIT;");
  }
  return Run({5, 0, 0}, s);
}

int32_t ExecSystemDbUpdate700() {
  // The office details are rewritten before the script, outside of it.
  if (DM && DM->fnAccDefConnected(SystemDef.HostName, true)) {
    try {
      sysupdate::ConvertSystemIniAddress();
    } catch (...) {
      DM->IBDatabaseDEF.Close();
      throw;
    }
    DM->IBDatabaseDEF.Close();
  }
  return RunUpdateFiles(TUpdateDb::System, {7, 0, 0}, {"sysup01.sql"});
}

int32_t ExecSystemDbUpdate704() { return RunUpdateFiles(TUpdateDb::System, {7, 0, 4}, {"sysup01.sql"}); }

int32_t ExecSystemDbUpdate800() { return RunUpdateFiles(TUpdateDb::System, {8, 0, 0}, {"sysup01.sql"}); }

int32_t ExecSystemDbUpdate802() {
  const int32_t result = RunUpdateFiles(TUpdateDb::System, {8, 0, 2}, {"sysup01.sql"});
  return result == kStepOk ? sysupdate::RunPostStep(sysupdate::ConvertJobControl2) : result;
}

int32_t ExecSystemDbUpdate904() {
  const int32_t result = Run({9, 0, 4}, {});
  return result == kStepOk ? sysupdate::RunPostStep(sysupdate::ConvertDicAutoSettings) : result;
}

namespace sysupdate {

void ConvertSystemIniAddress() {
  TSystemIniRec rec;
  rec.REC = 10;
  if (!DM->GetSysIni(rec) || rec.RESERVE1 != 1) return;
  std::string name, address, tel;
  TDM::GetNameValue(rec.SSTR, "NAME", name);
  TDM::GetNameValue(rec.SSTR, "JYUSHO", address);
  TDM::GetNameValue(rec.SSTR, "TEL", tel);
  // A value read from CR LF lines must not keep the CR.
  for (std::string* v : {&name, &address, &tel}) {
    while (!v->empty() && (v->back() == '\r' || v->back() == '\n')) v->pop_back();
  }
  rec.RESERVE1 = 1;
  rec.RESERVE3 = 1;
  rec.RESERVE4 = 0;
  rec.RESERVE5 = 0;
  rec.SSTR = "NAME=" + name + "\rJYUSHO=" + address + "\rTEL=" + tel + "\r";
  if (!DM->SetSysIni(rec)) throw std::runtime_error("SYSTEMINI row 10 was not written");
}

void ConvertJobControl2() {
  TIBSQL reader, writer;
  for (TIBSQL* q : {&reader, &writer}) {
    q->SetDatabase(&DM->IBDatabaseDEF);
    q->SetTransaction(&DM->IBTransactionDEF);
  }
  reader.ParamCheck = false;
  reader.SQL = "SELECT LEVELNO,PAGENO,MENUNO FROM JOBCONTROL\nORDER BY LEVELNO,PAGENO,MENUNO";
  writer.SQL = "INSERT INTO JOBCONTROL2(LEVELNO,PROC_ID,PROC_OPTION)\nVALUES(:LEVELNO,:PROC_ID,:PROC_OPTION)";
  reader.ExecQuery();
  while (!reader.Eof()) {
    const int32_t level = reader.FieldByName("LEVELNO").AsInteger();
    std::string program, option;
    FindOldMenuProgram(level, reader.FieldByName("PAGENO").AsInteger(), reader.FieldByName("MENUNO").AsInteger(),
                       program, option, OemKind);
    if (!program.empty()) {
      writer.ParamByName("LEVELNO").SetInteger(level);
      writer.ParamByName("PROC_ID").SetString(program);
      writer.ParamByName("PROC_OPTION").SetString(option);
      writer.ExecQuery();
    }
    reader.Next();
  }
  reader.Close();
}

TDicSide DicSettings(int32_t autoKind, int32_t inputKind) {
  TDicSide d;
  d.Dictionary = autoKind == 1 ? 1 : 0;
  d.Association = autoKind == 2 ? 1 : 0;
  d.Automatic = autoKind == 1 || autoKind == 2 ? 1 : 0;
  d.NoInput = inputKind > 0 ? 1 : 0;
  if (d.Dictionary != 1 && d.Association != 1) d.Dictionary = 1;
  return d;
}

void ConvertDicAutoSettings() {
  struct Row {
    int32_t code, tek, tor;
  };
  std::vector<Row> rows;
  {
    TIBSQL q;
    q.SetDatabase(&DM->IBDatabaseDEF);
    q.SetTransaction(&DM->IBTransactionDEF);
    q.SQL = "SELECT OPCODE,DICTEKAUTO,DICTORAUTO FROM SYSDEF\nORDER BY OPCODE";
    q.ExecQuery();
    while (!q.Eof()) {
      rows.push_back({q.FieldByName("OPCODE").AsInteger(), q.FieldByName("DICTEKAUTO").AsInteger(),
                      q.FieldByName("DICTORAUTO").AsInteger()});
      q.Next();
    }
    q.Close();
  }
  const char* const kTek[] = {"摘要＿辞書開く区分", "摘要＿連想開く区分", "摘要＿自動開く区分", "摘要＿入力なし区分"};
  const char* const kTor[] = {"取引先＿辞書開く区分", "取引先＿連想開く区分", "取引先＿自動開く区分", "取引先＿入力なし区分"};
  for (const Row& r : rows) {
    TAccValue tekInput, torInput;
    DM->funcGetSysReg("摘要項目の入力区分", "整数", tekInput, r.code, "0");
    DM->funcGetSysReg("取引先項目の入力区分", "整数", torInput, r.code, "0");
    const TDicSide tek = DicSettings(r.tek, tekInput.AsInteger());
    const TDicSide tor = DicSettings(r.tor, torInput.AsInteger());
    for (int side = 0; side < 2; ++side) {
      const TDicSide& d = side == 0 ? tek : tor;
      const char* const* names = side == 0 ? kTek : kTor;
      const int32_t values[] = {d.Dictionary, d.Association, d.Automatic, d.NoInput};
      for (int i = 0; i < 4; ++i) DM->funcPutSysReg(names[i], "整数", r.code, TAccValue(values[i]));
    }
  }
}

int32_t RunPostStep(void (*conversion)()) {
  int32_t result = kStepOk;
  if (!DM || !DM->fnAccDefConnected(SystemDef.HostName, true)) return kStepException;
  TIBTransaction& tr = DM->IBTransactionDEF;
  try {
    if (!tr.Active()) tr.StartTransaction();
    conversion();
    tr.Commit();
  } catch (const std::exception&) {
    // Half-converted data is not kept: the step fails as a whole.
    try {
      if (tr.Active()) tr.Rollback();
    } catch (...) {
    }
    result = kStepException;
  }
  DM->IBDatabaseDEF.Close();
  return result;
}

}  // namespace sysupdate

void InstallSystemDbUpdateBuilders(TArrayDbUpdateListRec& list) {
  const struct {
    TDbVersion version;
    int32_t (*run)();
  } builders[] = {
      {{0, 3, 1}, ExecSystemDbUpdate031}, {{0, 3, 2}, ExecSystemDbUpdate032}, {{0, 3, 3}, ExecSystemDbUpdate033},
      {{1, 0, 1}, ExecSystemDbUpdate101}, {{3, 0, 0}, ExecSystemDbUpdate300}, {{3, 0, 5}, ExecSystemDbUpdate305},
      {{3, 0, 7}, ExecSystemDbUpdate307}, {{4, 0, 0}, ExecSystemDbUpdate400}, {{4, 0, 2}, ExecSystemDbUpdate402},
      {{5, 0, 0}, ExecSystemDbUpdate500}, {{7, 0, 0}, ExecSystemDbUpdate700}, {{7, 0, 4}, ExecSystemDbUpdate704},
      {{8, 0, 0}, ExecSystemDbUpdate800}, {{8, 0, 2}, ExecSystemDbUpdate802}, {{9, 0, 4}, ExecSystemDbUpdate904},
  };
  for (TDbUpdateListRec& r : list) {
    for (const auto& b : builders) {
      if (r.Version() == b.version) r.RunProc = b.run;
    }
  }
}
