// Company step 0.1.3: the audit items, re-created with their eight references, and the audit
// report heading.
#include "upgrade/z5UserDbUpdate.h"

namespace {

struct TAuditKey {
  const char* name;
  const char* columns;
  const char* references;
};

// In the order they are dropped and added again.
constexpr TAuditKey kAuditKeys[] = {
    {"KANSA_ITEM_SIWAKE", "SWK_KENSAKU", "SWK_SEARCH (REC)"},
    {"KANSA_ITEM_MOTO", "MOT_KENSAKU", "SWK_SEARCH (REC)"},
    {"KANSA_ITEM_MOTBCODE", "MOT_BCODE", "BUMONMST (BCODE)"},
    {"KANSA_ITEM_MOTHCODE", "MOT_KCODE, MOT_HCODE", "HOJOMST (KCODE, HCODE)"},
    {"KANSA_ITEM_MOTKCODE", "MOT_KCODE", "KAMOKUMST (KCODE)"},
    {"KANSA_ITEM_TOZBCODE", "TOZ_BCODE", "BUMONMST (BCODE)"},
    {"KANSA_ITEM_TOZHCODE", "TOZ_KCODE, TOZ_HCODE", "HOJOMST (KCODE, HCODE)"},
    {"KANSA_ITEM_TOZKCODE", "TOZ_KCODE", "KAMOKUMST (KCODE)"},
};

}  // namespace

int32_t ExecUserDbUpdate013() {
  userupdate::Lines s;
  for (const TAuditKey& k : kAuditKeys) s.push_back(std::string("ALTER TABLE KANSA_ITEM DROP CONSTRAINT ") + k.name + ";");
  s.insert(s.end(), {
      "DROP TABLE KANSA_ITEM;",
      "CREATE TABLE KANSA_ITEM (",
      "  REC INTEGER NOT NULL,",
      "  JUNJO INTEGER DEFAULT 0,",
      "  TEXT VARCHAR(15) CHARACTER SET SJIS_0208,",
      "  NOTE VARCHAR(64) CHARACTER SET SJIS_0208,",
      "  PRINT INTEGER DEFAULT 1,",
      "  CHECKMARK INTEGER DEFAULT 0,",
      "  CHOUBO INTEGER DEFAULT 0,",
      "  KENSAKU INTEGER DEFAULT 0,",
      "  SWK_KENSAKU INTEGER DEFAULT NULL,",
      "  MOT_KENSAKU INTEGER DEFAULT NULL,",
      "  MOT_KCODE VARCHAR(6) CHARACTER SET ASCII DEFAULT NULL,",
      "  MOT_HCODE VARCHAR(6) CHARACTER SET ASCII DEFAULT NULL,",
      "  MOT_BCODE VARCHAR(6) CHARACTER SET ASCII DEFAULT NULL,",
      "  TOZ_KCODE VARCHAR(6) CHARACTER SET ASCII DEFAULT NULL,",
      "  TOZ_HCODE VARCHAR(6) CHARACTER SET ASCII DEFAULT NULL,",
      "  TOZ_BCODE VARCHAR(6) CHARACTER SET ASCII DEFAULT NULL,",
      "  PRIMARY KEY (REC));",
  });
  for (const TAuditKey& k : kAuditKeys) {
    s.push_back(std::string("ALTER TABLE KANSA_ITEM ADD CONSTRAINT ") + k.name + " FOREIGN KEY (" + k.columns +
                ") REFERENCES " + k.references);
    s.push_back("  ON UPDATE CASCADE ON DELETE SET NULL;");
  }
  s.insert(s.end(), {
      "DELETE FROM KANSA;",
      "INSERT INTO KANSA (REC,TITLE,NOTE,JIMUSHO,TANTOU) VALUES (1,'監査報告書',",
      "  '監査対象期間において、下記項目の監査が完了致しましたのでご報告申し上げます。','','');",
      "INSERT INTO KANSA_ITEM (REC,JUNJO,TEXT,NOTE,PRINT,CHECKMARK,CHOUBO)",
      "  VALUES (1,1,'現・預金の残高確認','現・預金の残高を確認しました。',0,0,0);",
      "COMMIT;",
  });
  return userupdate::RunStep01(3, std::move(s));
}
