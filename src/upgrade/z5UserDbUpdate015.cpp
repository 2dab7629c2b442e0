// Company step 0.1.5: a deleted sub-account or department leaves the dictionary entries and
// audit items that named it in place with a blank code (a deleted sub-account also leaves a
// history row); the past-year balance follows a changed opening balance; the notes table gets
// its title flag; the tables of the individuals' blue return are created empty.
#include <string>

#include "upgrade/z5UserDbUpdate.h"

namespace {

// The account references by which a deleted sub-account took the entries naming it along.
struct TDictionaryKey {
  const char* table;
  const char* name;
};
constexpr TDictionaryKey kDroppedKeys[] = {
    {"SWKDIC", "SWKDIC_KAR_KCODE"},        {"SWKDIC", "SWKDIC_KAS_KCODE"},
    {"TEKDIC", "TEKDIC_KAR_KCODE"},        {"TEKDIC", "TEKDIC_KAS_KCODE"},
    {"TORDIC", "TORDIC_KAR_KCODE"},        {"TORDIC", "TORDIC_KAS_KCODE"},
    {"KANSA_ITEM", "KANSA_ITEM_MOTKCODE"}, {"KANSA_ITEM", "KANSA_ITEM_TOZKCODE"},
};

// The code columns that name a department or sub-account, with the account column each sits
// under, in the order the triggers blank them.
struct TCodeColumn {
  const char* table;
  const char* account;
  const char* side;  // prefix of the department and sub-account columns
};
constexpr TCodeColumn kCodeColumns[] = {
    {"SWKDIC", "L_KCODE", "L_"},       {"SWKDIC", "R_KCODE", "R_"},       {"TEKDIC", "KAR_KCODE", "KAR_"},
    {"TEKDIC", "KAS_KCODE", "KAS_"},   {"TORDIC", "KAR_KCODE", "KAR_"},   {"TORDIC", "KAS_KCODE", "KAS_"},
    {"KANSA_ITEM", "MOT_KCODE", "MOT_"}, {"KANSA_ITEM", "TOZ_KCODE", "TOZ_"},
};

// The deleted sub-account's columns in the order of the history table, after its own number.
constexpr const char* kHojoLogColumns[] = {
    "REC",     "KCODE",   "HCODE",   "HKANA",  "HNAME",  "TAX_LCODE", "TAX_RCODE", "TAX_NUM", "BPFLG",
    "SIME",    "SAITO",   "CoDATE",  "GENDO",  "WARIAISW", "WARI1",   "WARI2",     "WARI3",   "TEGATA",
    "YOKKMK",  "YOKHOJ",  "ADDRESS", "KOUZA",  "BANK",   "SITEN",     "KANKEI",    "TORIHIK", "RIRITU",
    "RIYUU",   "TANPO",   "YOUTO",   "FURIKOMI", "KARINAME", "KARIDADD", "RTIME",   "OPCODE",
};

void AddTriggers(userupdate::Lines& s) {
  s.insert(s.end(), {
      "SET TERM ^ ;",
      "",
      "ALTER TRIGGER KAMOKUSZ_AFTER_UPDATE ACTIVE AFTER UPDATE POSITION 0",
      "AS",
      "  DECLARE VARIABLE VRETAINED VARCHAR(6) CHARACTER SET ASCII;",
      "  DECLARE VARIABLE VKAISINO INTEGER;",
      "  DECLARE VARIABLE VMNUM INTEGER;",
      "  DECLARE VARIABLE VZAN NUMERIC(18,4);",
      "BEGIN",
      "  IF (NEW.KAISIZAN IS DISTINCT FROM OLD.KAISIZAN) THEN",
      "  BEGIN",
      "    VRETAINED = '';",
      "    SELECT CODE FROM SYSKMKCODEINF('繰越利益剰余金') INTO :VRETAINED;",
      "    IF (NEW.KCODE IS DISTINCT FROM VRETAINED) THEN",
      "    BEGIN",
      "      VKAISINO = 0;",
      "      SELECT KAISINO FROM ACCDEF1 WHERE REC = 1 INTO :VKAISINO;",
      "      /* The slot just before the data's first month; the closing slots 3, 7, 11 are skipped. */",
      "      VMNUM = CASE VKAISINO WHEN 1 THEN 0 WHEN 2 THEN 1 WHEN 3 THEN 2 WHEN 4 THEN 4 WHEN 5 THEN 5",
      "        WHEN 6 THEN 6 WHEN 7 THEN 8 WHEN 8 THEN 9 WHEN 9 THEN 10 WHEN 10 THEN 12 WHEN 11 THEN 13",
      "        WHEN 12 THEN 14 ELSE 0 END;",
      "      SELECT SUM(KAISIZAN) FROM KAMOKU_SZ",
      "        WHERE SCODE = NEW.SCODE AND KCODE = NEW.KCODE AND HCODE = NEW.HCODE AND BCODE = NEW.BCODE",
      "        INTO :VZAN;",
      "      UPDATE KAMOKU_PZ SET NUKIZAN = :VZAN",
      "        WHERE SCODE = NEW.SCODE AND KCODE = NEW.KCODE AND HCODE = NEW.HCODE AND BCODE = NEW.BCODE",
      "          AND MNUM = :VMNUM;",
      "    END",
      "  END",
      "END ^",
      "",
      "CREATE TRIGGER BUMONMST_BEFORE_DELETE FOR BUMONMST ACTIVE BEFORE DELETE POSITION 0",
      "AS",
      "BEGIN",
  });
  for (const TCodeColumn& c : kCodeColumns) {
    s.push_back(std::string("  UPDATE ") + c.table + " SET " + c.side + "BCODE = ' ' WHERE " + c.side +
                "BCODE = OLD.BCODE;");
  }
  s.insert(s.end(), {
      "END ^",
      "",
      "ALTER TRIGGER HOJOMST_BEFORE_DELETE ACTIVE BEFORE DELETE POSITION 0",
      "AS",
      "BEGIN",
  });
  for (const TCodeColumn& c : kCodeColumns) {
    s.push_back(std::string("  UPDATE ") + c.table + " SET " + c.side + "HCODE = ' ' WHERE " + c.account +
                " = OLD.KCODE AND " + c.side + "HCODE = OLD.HCODE;");
  }
  std::string values = "    VALUES (GEN_ID(HOJOLOG_REC_GEN, 1)";
  s.push_back("  INSERT INTO HOJOLOG");
  size_t onLine = 1;
  for (const char* c : kHojoLogColumns) {
    if (onLine == 8) {
      s.push_back(values + ",");
      values = "      ";
      onLine = 0;
    } else {
      values += ", ";
    }
    values += std::string("OLD.") + c;
    ++onLine;
  }
  s.push_back(values + ");");
  s.insert(s.end(), {
      "END ^",
      "",
      "SET TERM ; ^",
      "COMMIT ;",
  });
}

void AddBlueReturnTables(userupdate::Lines& s) {
  s.insert(s.end(), {
      "/* 青色決算書用テーブル作成 */",
      "RECREATE TABLE AO_SINKOKU (",
      "  REC INTEGER NOT NULL,",
      "  ZEIRISI_ADD1 VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  ZEIRISI_ADD2 VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  ZEIRISI_SIMEI1 VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  ZEIRISI_SIMEI2 VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  ZEIRISI_TEL VARCHAR(15) CHARACTER SET ASCII,",
      "  GYOUSHUKUBUN INTEGER DEFAULT 0,",
      "  KURIIRE1 CURRENCY,",
      "  KURIIRE2 CURRENCY,",
      "  KURIIRE3 CURRENCY,",
      "  KURIIRE4 CURRENCY,",
      "  KURIIRE5 CURRENCY,",
      "  HASUU INTEGER DEFAULT 0,",
      "  KOUJOKUBUN INTEGER DEFAULT 0,",
      "  KOUJO6 CURRENCY,",
      "  KOUJO7 CURRENCY,",
      "  KOUJO8 CURRENCY,",
      "  KOUJO9 CURRENCY,",
      "  FUSAIRISI CURRENCY,",
      "  HIZUKE DATE,",
      "  KISHU DATE,",
      "  KIMATU DATE,",
      "  YOUSI INTEGER DEFAULT 0,",
      "  COLOR INTEGER DEFAULT 1,",
      "  WAKU INTEGER DEFAULT 1,",
      "  PRIMARY KEY (REC));",
      "ALTER TABLE EXTERKS ADD AO_KISHUZAN CURRENCY;",
      "ALTER TABLE EXTERKS ADD AO_KIMATUZAN CURRENCY;",
      "COMMIT;",
      "UPDATE EXTERKS SET AO_KISHUZAN=0 ,AO_KIMATUZAN=0 ;",
      "COMMIT;",
      "RECREATE TABLE AO_URIAGE (",
      "  REC INTEGER NOT NULL,",
      "  URIAGE CURRENCY,",
      "  SIIRE CURRENCY,",
      "  PRIMARY KEY (REC));",
      "RECREATE TABLE AO_KYUUYO (",
      "  REC INTEGER NOT NULL,",
      "  NUMBER INTEGER DEFAULT 0,",
      "  SENJYU INTEGER DEFAULT 0,",
      "  SIMEI VARCHAR(8) CHARACTER SET SJIS_0208,",
      "  TUZUKIGARA VARCHAR(5) CHARACTER SET SJIS_0208,",
      "  NENREI INTEGER DEFAULT 0,",
      "  TUKISUU INTEGER DEFAULT 0,",
      "  KYUUYO CURRENCY,",
      "  SHOUYO CURRENCY,",
      "  GOUKEI COMPUTED BY (KYUUYO + SHOUYO),",
      "  GENSEN CURRENCY,",
      "  PRIMARY KEY (REC));",
      "RECREATE TABLE AO_TIDAI (",
      "  REC INTEGER NOT NULL,",
      "  SIHARAISAKI1 VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  SIHARAISAKI2 VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  BUKKEN1 VARCHAR(7) CHARACTER SET SJIS_0208,",
      "  BUKKEN2 VARCHAR(7) CHARACTER SET SJIS_0208,",
      "  KENRI CURRENCY,",
      "  KOUSIN CURRENCY,",
      "  TINRYOU CURRENCY,",
      "  KEIHI CURRENCY,",
      "  PRIMARY KEY (REC));",
      "RECREATE TABLE AO_RISI (",
      "  REC INTEGER NOT NULL,",
      "  SIHARAISAKI1 VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  SIHARAISAKI2 VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  KIMARU CURRENCY,",
      "  RISI CURRENCY,",
      "  KEIHI CURRENCY,",
      "  PRIMARY KEY (REC));",
      "RECREATE TABLE AO_HOUSHU (",
      "  REC INTEGER NOT NULL,",
      "  SIHARAISAKI1 VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  SIHARAISAKI2 VARCHAR(20) CHARACTER SET SJIS_0208,",
      "  HOUSHU CURRENCY,",
      "  KEIHI CURRENCY,",
      "  GENSEN CURRENCY,",
      "  PRIMARY KEY (REC));",
      "RECREATE TABLE AO_NOTE (",
      "  REC INTEGER NOT NULL,",
      "  MEMO VARCHAR(300) CHARACTER SET SJIS_0208,",
      "  PRIMARY KEY (REC));",
      "RECREATE TABLE AO_FUDOUSAN (",
      "  REC INTEGER NOT NULL,",
      "  NUMBER INTEGER DEFAULT 0,",
      "  KUBUN VARCHAR(6) CHARACTER SET SJIS_0208,",
      "  YOUTO VARCHAR(6) CHARACTER SET SJIS_0208,",
      "  SHOZAITI VARCHAR(30) CHARACTER SET SJIS_0208,",
      "  TINSYAKU VARCHAR(30) CHARACTER SET SJIS_0208,",
      "  KAISI DATE,",
      "  SHUURYOU DATE,",
      "  MENSEKI CURRENCY,",
      "  GETUGAKU CURRENCY,",
      "  NENGAKU CURRENCY,",
      "  REIKIN CURRENCY,",
      "  KENRIKIN CURRENCY,",
      "  KOUSINRYOU CURRENCY,",
      "  MEIGIRYOU CURRENCY,",
      "  SIKIKIN CURRENCY,",
      "  PRIMARY KEY (REC));",
      "COMMIT;",
  });
}

}  // namespace

int32_t ExecUserDbUpdate015() {
  userupdate::Lines s{"/* 辞書テーブルの参照整合性の変更 */"};
  for (const TDictionaryKey& k : kDroppedKeys) {
    s.push_back(std::string("ALTER TABLE ") + k.table + " DROP CONSTRAINT " + k.name + ";");
  }
  s.push_back("COMMIT;");
  AddTriggers(s);
  userupdate::AddGuardedBlock(s, "KESSAN", "CHUKI_TITLEPRINT",
                              {"/* KESSANテーブルへ注記表タイトル印字区分を追加 */", "ALTER TABLE KESSAN",
                               "ADD CHUKI_TITLEPRINT INTEGER DEFAULT 0;",
                               "UPDATE KESSAN SET CHUKI_TITLEPRINT=0 WHERE REC=1;", "COMMIT;"});
  AddBlueReturnTables(s);
  return userupdate::RunStep01(5, std::move(s));
}
