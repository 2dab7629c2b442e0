// The import's pipeline: the transaction over both databases, the stages of the master and
// the journal pipeline, the summary, and the copy of a received master over the company file.
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "comm/z5CashBookLoader.h"
#include "data/DataModule.h"
#include "data/z5AppInfo.h"
#include "data/uAccRecord.h"
#include "platform/UiServices.h"

namespace {

std::string Format(const char* pattern, const std::string& a, const std::string& b = {}, const std::string& c = {},
                   const std::string& d = {}) {
  std::string out;
  const std::string args[] = {a, b, c, d};
  int next = 0;
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '%' && p[1] == 's' && next < 4) {
      out += args[next++];
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

const char kStopped[] = "取り込み処理を中止しました。";
const char kSucceeded[] = "取り込み処理が成功しました。";
const char kMasterNext[] = " （次回の送信時は、マスター送信を行って下さい。）";

}  // namespace

void TCashBookLoaderBox::SetStep(const std::string& label, bool step) {
  Label1->SetCaption(label);
  if (step) ProgressBar1->StepIt();
  uis::Ui().ProcessPendingEvents();
}

void TCashBookLoaderBox::Stage(const std::string& failure, const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& e) {
    AddLog(3, -100, failure + "原因: " + e.what());
    throw;
  }
}

void TCashBookLoaderBox::RunImport() {
  lastResult_ = 0;
  Info = TLomatraSyoriInfo{};
  Info.Name = "CashBookLoader";
  Log.clear();
  ListView1->Clear();
  RichEdit1->SetText("");
  ProgressBar1->SetMax(7);
  ProgressBar1->SetPosition(0);
  SetStep("準備中です…", false);
  if (DataMode == 0 && JournalImport == 0) return;

  bool summaryDue = true;
  bool copyDue = false;
  try {
    PrepareTransaction();
    IBSQL1.SetDatabase(&DM->IBDatabaseDAT);
    IBSQL2.SetDatabase(&DM->IBDatabaseDAT);
    ReceiveIBSQL1.SetDatabase(&ReceiveIBDatabase);
    ReceiveIBSQL2.SetDatabase(&ReceiveIBDatabase);
    for (TIBSQL* q : {&IBSQL1, &IBSQL2, &ReceiveIBSQL1, &ReceiveIBSQL2}) q->SetTransaction(&ReceiveIBTransaction);
    SiwakeWrite.SetTransaction(&ReceiveIBTransaction);
    startedTransaction_ = !ReceiveIBTransaction.InTransaction();
    if (startedTransaction_) ReceiveIBTransaction.StartTransaction();
    cashKCode_ = AccInf.SysKCode[kSysGenkin];

    SitenList.SQL.SetDatabase(&DM->IBDatabaseDAT);
    SitenList.SetTransaction(&ReceiveIBTransaction);
    SitenList.Kinds = TSitenList::skFacilities;
    SitenList.Execute(-1);
    ProgressBar1->StepIt();

    if (JournalImport == 1) CheckVersion();
    ProgressBar1->StepIt();

    if (JournalImport == 0) {
      if (!Stopped()) SetStep("現金仕訳の整合中です…", true);
      if (!Stopped()) {
        SetStep("摘要／取引先辞書の移行中です…", false);
        MoveDictionaries();
        ProgressBar1->StepIt();
      }
      if (!Stopped()) {
        SetStep("データリスト名称の移行中です…", false);
        MoveDataListName();
        ProgressBar1->StepIt();
      }
    } else if (!Stopped()) {
      SetStep("科目体系の整合チェック中です…", false);
      if (!CheckAccountSystem()) {
        // The data cannot be merged at all: nothing was changed, and no summary is due.
        SetStep("データ廃棄中です…", false);
        if (startedTransaction_ && ReceiveIBTransaction.InTransaction()) ReceiveIBTransaction.Rollback();
        summaryDue = false;
      } else {
        if (!Stopped()) {
          SetStep("補助科目の移行中です…", false);
          ImportSubAccounts();
          ProgressBar1->StepIt();
        }
        if (!Stopped()) {
          SetStep("開始残高の移行中です…", false);
          ImportOpeningBalances();
          ProgressBar1->StepIt();
        }
        if (!Stopped()) {
          SetStep("現金仕訳の移行中です…", false);
          MergeCashJournals();
          ProgressBar1->StepIt();
        }
        if (!Stopped() && DataMode == 0) {
          SetStep("現金残高の比較中です…", false);
          CompareCashBalances();
        }
      }
    }

    if (summaryDue) {
      if (Stopped()) {
        SetStep("データ廃棄中です…", false);
        if (startedTransaction_ && ReceiveIBTransaction.InTransaction()) ReceiveIBTransaction.Rollback();
        ProgressBar1->StepIt();
      } else {
        SetStep("データ整合中です…", false);
        if (JournalImport == 0) FinishReceived();
        ProgressBar1->StepIt();
        SetStep("データ確定中です…", false);
        if (startedTransaction_ && ReceiveIBTransaction.InTransaction()) ReceiveIBTransaction.Commit();
        ProgressBar1->StepIt();
        copyDue = JournalImport == 0;
      }
    }
  } catch (const std::exception& e) {
    if (!Stopped()) AddLog(3, -100, std::string("原因: ") + e.what());
    try {
      if (startedTransaction_ && ReceiveIBTransaction.InTransaction()) ReceiveIBTransaction.Rollback();
    } catch (const std::exception&) {
    }
  }

  // Both connections end here: a received master is about to replace the company file.
  for (TIBDatabase* db : {&ReceiveIBDatabase, &DM->IBDatabaseDAT}) {
    try {
      if (db->Connected()) db->Close();
    } catch (const std::exception&) {
      db->ForceClose();
    }
  }
  startedTransaction_ = false;

  // The success summary of a received master waits for the copy over the company file: until
  // that copy is in place nothing of the import has reached the open data.
  if (copyDue) CopyOverCompanyFile();
  if (!summaryDue) return;
  if (Stopped()) {
    AddLog(3, -100, kStopped);
    return;
  }
  bool masterNext = false;
  for (const TLomatraSyoriInfo& e : Log)
    if (e.Result == 101) masterNext = true;
  AddLog(1, 1, std::string(kSucceeded) + (masterNext ? kMasterNext : ""));
}

std::vector<std::array<int32_t, 3>> TCashBookLoaderBox::ReadVersion(TIBSQL& q) {
  q.Close();
  q.SQL = "SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION\nORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC";
  q.ExecQuery();
  std::vector<std::array<int32_t, 3>> rows;
  if (!q.Eof())
    rows.push_back({q.FieldByName("MAJOR").AsInteger(), q.FieldByName("MINOR1").AsInteger(),
                    q.FieldByName("MINOR2").AsInteger()});
  q.Close();
  return rows;
}

bool TCashBookLoaderBox::CheckVersion() {
  const auto rows = ReadVersion(ReceiveIBSQL1);
  ReceivedVersion = rows.empty() ? std::array<int32_t, 3>{0, 0, 0} : rows.front();
  if (ReceivedVersion >= CashBookMinDataVersion) return true;
  char text[200];
  std::snprintf(text, sizeof text, "受信したデータバージョンがVer%d.%d.%dに達していません。", CashBookMinDataVersion[0],
                CashBookMinDataVersion[1], CashBookMinDataVersion[2]);
  AddLog(3, -100,
         std::string(text) + (DataMode == 0 ? "顧問先へ「Tallix現金出納帳」のプログラム更新を行うように連絡して下さい。"
                                            : "送信元へ「Tallix財務」のプログラム更新を行うように連絡して下さい。"));
  return false;
}

// ---- master pipeline ----

void TCashBookLoaderBox::MoveDictionaries() {
  int64_t entries = 0;
  Stage("辞書分類件数の取得」に失敗しました。 ", [&] {
    IBSQL1.Close();
    IBSQL1.SQL = "SELECT COUNT(TEKCODE) AS RECCNT FROM TEKDIC";
    IBSQL1.ExecQuery();
    entries = IBSQL1.Eof() ? 0 : IBSQL1.FieldByName("RECCNT").AsInteger();
    IBSQL1.Close();
  });
  if (entries == 0) return;
  const std::string file = (std::filesystem::path(SystemDef.TempDir) / "qvzjisyo.txt").string();
  JisyoLoader.SetVersion("1.1");
  Stage("「摘要・取引先辞書の移行(エクスポート)」に失敗しました。 ", [&] {
    JisyoLoader.SetDatabase(&DM->IBDatabaseDAT);
    JisyoLoader.SetTransaction(&DM->IBTransactionDAT);
    if (!JisyoLoader.ExportDictionaries(file, true)) throw std::runtime_error("辞書ファイルを作成できません。");
  });
  // The file holds the company's dictionaries: it goes as soon as the import has read it.
  struct RemoveFile {
    std::string path;
    ~RemoveFile() {
      std::error_code ec;
      std::filesystem::remove(path, ec);
    }
  } remove{file};
  Stage("「摘要・取引先辞書の移行(インポート)」に失敗しました。 ", [&] {
    JisyoLoader.SetDatabase(&ReceiveIBDatabase);
    JisyoLoader.SetTransaction(&ReceiveIBTransaction);
    if (!JisyoLoader.ImportDictionaries(file, true)) throw std::runtime_error("辞書ファイルを読み込めません。");
  });
}

void TCashBookLoaderBox::MoveDataListName() {
  Stage("「データリスト名称の更新」に失敗しました。 ", [&] {
    IBSQL1.Close();
    IBSQL1.SQL = "SELECT ENTTEXT,DATALOCK FROM ACCDEF1 WHERE REC=1";
    IBSQL1.ExecQuery();
    const std::string entText = IBSQL1.Eof() ? "" : IBSQL1.FieldByName("ENTTEXT").AsString();
    const int32_t dataLock = IBSQL1.Eof() ? 0 : IBSQL1.FieldByName("DATALOCK").AsInteger();
    IBSQL1.Close();
    ReceiveIBSQL2.Close();
    ReceiveIBSQL2.SQL =
        "UPDATE ACCDEF1 SET ENTTEXT=:ENTTEXT,\nPASWORD=:PASWORD,WEB_HOLDER=:WEB_HOLDER,DATALOCK=:DATALOCK\nWHERE REC=1";
    ReceiveIBSQL2.ParamByName("ENTTEXT").SetString(entText);
    ReceiveIBSQL2.ParamByName("PASWORD").SetString("");
    ReceiveIBSQL2.ParamByName("WEB_HOLDER").SetString("");
    ReceiveIBSQL2.ParamByName("DATALOCK").SetInteger(dataLock);
    ReceiveIBSQL2.ExecQuery();
    ReceiveIBSQL2.Close();
  });
}

void TCashBookLoaderBox::FinishReceived() {
  Stage("取り込み後処理に失敗しました。 ", [&] {
    for (const char* table : {"OPINF", "OPHIST", "OPLICENSE", "OPDEFSISETU"}) {
      ReceiveIBSQL2.Close();
      ReceiveIBSQL2.SQL = std::string("DELETE FROM ") + table;
      ReceiveIBSQL2.ExecQuery();
    }
    for (const char* code : {"合算データ区分", "合算データ数"}) {
      ReceiveIBSQL2.Close();
      ReceiveIBSQL2.SQL = "DELETE FROM ACCREG\nWHERE (AGROUP=:AGROUP) AND (ACODE=:ACODE)";
      ReceiveIBSQL2.ParamByName("AGROUP").SetString("基本設定");
      ReceiveIBSQL2.ParamByName("ACODE").SetString(code);
      ReceiveIBSQL2.ExecQuery();
    }
    ReceiveIBSQL2.Close();
  });
}

void TCashBookLoaderBox::CopyOverCompanyFile() {
  const std::string company = (std::filesystem::path(SystemDef.DataDir) / fw::AccDbFile).string();
  const std::string saved = std::filesystem::path(company).replace_extension(".f00").string();
  const char failed[] = "受信データの移行処理後のコピーに失敗しました。";
  if (!DM->FMove(company, saved, ConnectMode)) {
    AddLog(3, -100, failed);
    return;
  }
  if (DM->FCopy(ReceivedPath, company, ConnectMode)) {
    DM->FDel(saved, ConnectMode);
    return;
  }
  AddLog(3, -100, failed);
  if (DM->FExist(company, ConnectMode)) DM->FDel(company, ConnectMode);
  // The saved file may now be the only copy of the company data: it is never deleted here.
  if (!DM->FMove(saved, company, ConnectMode))
    AddLog(3, -100, "元の会計データは「" + saved + "」に残っています。");
}

// ---- journal pipeline ----

bool TCashBookLoaderBox::CheckAccountSystem() {
  bool ok = true;
  Stage("「科目体系の整合チェック」に失敗しました。 ", [&] {
    auto settings = [](TIBSQL& q) {
      q.Close();
      q.SQL = "SELECT SITEN,BUMON FROM ACCDEF1 WHERE REC=1";
      q.ExecQuery();
      std::pair<int32_t, int32_t> v{0, 0};
      if (!q.Eof()) v = {q.FieldByName("SITEN").AsInteger(), q.FieldByName("BUMON").AsInteger()};
      q.Close();
      return v;
    };
    const auto open = settings(IBSQL1);
    const auto received = settings(ReceiveIBSQL1);
    auto sitenText = [](int32_t v) { return std::string(v == 1 ? "本・支店管理を行う" : "本・支店管理を行わない"); };
    auto bumonText = [](int32_t v) {
      return std::string(v == 1   ? "部門管理を行う[損益]"
                         : v == 2 ? "部門管理を行う[全科目]"
                                  : "部門管理を行わない");
    };
    if (open.first != received.first) {
      AddLog(3, -106,
             Format("(使用データ:%s ≠ 受信データ:%s) 受信データの本・支店管理区分の設定内容に違いがありました。",
                    sitenText(open.first), sitenText(received.first)));
      ok = false;
    }
    if (open.second != received.second) {
      AddLog(3, -107,
             Format("(使用データ:%s ≠ 受信データ:%s) 受信データの部門管理区分の設定内容に違いがありました。",
                    bumonText(open.second), bumonText(received.second)));
      ok = false;
    }

    const auto version = ReadVersion(ReceiveIBSQL1);
    ReceivedVersion = version.empty() ? std::array<int32_t, 3>{0, 0, 0} : version.front();

    // Before version 6 some accounts stood in other groups; they count as in today's group.
    std::set<std::string> movedTo5685;
    if (ReceivedVersion[0] < 6) {
      const int32_t type = AccInf.DATATYPE, code = AccInf.CODETYPE;
      if (OemKind == 0 && (type == 1 || (type == 2 && (code == 1 || code == 3))))
        movedTo5685 = {"5601"};
      else if ((OemKind == 1 || OemKind == 2) && (type == 1 || (type == 2 && code == 1)))
        movedTo5685 = {"52100", "52200", "52300"};
    }

    struct Acc {
      std::string kcode, userCode, group, hojosw, name;
      int32_t use = 0;
      std::string Signature() const { return group + "-" + std::to_string(use) + "-" + hojosw; }
    };
    auto accounts = [](TIBSQL& q) {
      q.Close();
      q.SQL = "SELECT KCODE,USERCODE,GROUPM0,USE,HOJOSW,KNAME FROM KAMOKUMST\nORDER BY KCODE";
      q.ExecQuery();
      std::vector<Acc> out;
      for (; !q.Eof(); q.Next()) {
        Acc a;
        a.kcode = Trim(q.FieldByName("KCODE").AsString());
        a.userCode = Trim(q.FieldByName("USERCODE").AsString());
        a.group = Trim(q.FieldByName("GROUPM0").AsString());
        a.use = q.FieldByName("USE").AsInteger();
        a.hojosw = Trim(q.FieldByName("HOJOSW").AsString());
        a.name = q.FieldByName("KNAME").AsString();
        if (Trim(a.name).empty()) a.name = "名称登録なし";
        out.push_back(a);
      }
      q.Close();
      return out;
    };
    std::map<std::string, Acc> receivedAccounts;
    for (Acc a : accounts(ReceiveIBSQL1)) {
      if (movedTo5685.count(a.kcode)) a.group = "5685";
      receivedAccounts.emplace(a.userCode, a);
    }
    for (const Acc& o : accounts(IBSQL1)) {
      const auto it = receivedAccounts.find(o.userCode);
      if (it == receivedAccounts.end()) {
        AddLog(3, -104, Format("(使用データ:%s %s) 科目コードが見つかりません。", o.userCode, o.name));
        ok = false;
        continue;
      }
      const Acc& r = it->second;
      if (o.Signature() == r.Signature()) continue;
      if (DataMode == 0 && JournalImport == 1 && o.use > 0 && r.use == 0) {
        AddLog(2, 101, Format("(使用データ:%s %s) 受信データの当科目は[使用しない]に設定されています。", o.userCode, o.name));
      } else {
        AddLog(3, -105,
               Format("(使用データ:%s %s ≠ 受信データ:%s %s) 受信データの科目の設定内容に違いがありました。", o.userCode,
                      o.name, r.userCode, r.name));
        ok = false;
      }
    }
    if (!ok)
      AddLog(3, -103,
             DataMode == 1 ? "データ送信元の設定変更により科目体系に差異が発生しています。データ送信元にご連絡して下さい。"
                           : "データの設定変更により科目体系に差異が発生しています。マスター送信を行って下さい。");
  });
  return ok;
}

void TCashBookLoaderBox::ImportSubAccounts() {
  Stage("「補助科目の取り込み」に失敗しました。 ", [&] {
    IBSQL1.Close();
    IBSQL1.SQL = "SELECT HOJO_INS_MODE FROM ACCDEF1 WHERE REC=1";
    IBSQL1.ExecQuery();
    const int32_t savedMode = IBSQL1.Eof() ? 0 : IBSQL1.FieldByName("HOJO_INS_MODE").AsInteger();
    IBSQL1.Close();
    auto setMode = [&](int32_t mode) {
      IBSQL2.Close();
      IBSQL2.SQL = "UPDATE ACCDEF1 SET HOJO_INS_MODE=" + std::to_string(mode);
      IBSQL2.ExecQuery();
      IBSQL2.Close();
    };
    setMode(0);

    std::set<std::string> keys;
    IBSQL1.SQL = "SELECT KCODE,HCODE FROM HOJOMST";
    for (IBSQL1.ExecQuery(); !IBSQL1.Eof(); IBSQL1.Next())
      keys.insert(IBSQL1.FieldByName("KCODE").AsString() + "-" + IBSQL1.FieldByName("HCODE").AsString());
    IBSQL1.Close();
    const std::string firstBranch = SitenList.Count > 0 ? SitenList.GetCode(0) : " ";

    ReceiveIBSQL1.Close();
    ReceiveIBSQL1.SQL = "SELECT KCODE,HCODE,HKANA,HNAME,TAX_LCODE,TAX_RCODE,BPFLG FROM HOJOMST\nORDER BY KCODE,HCODE";
    for (ReceiveIBSQL1.ExecQuery(); !ReceiveIBSQL1.Eof(); ReceiveIBSQL1.Next()) {
      TIBSQL& r = ReceiveIBSQL1;
      const std::string kcode = r.FieldByName("KCODE").AsString(), hcode = r.FieldByName("HCODE").AsString();
      IBSQL2.Close();
      if (!keys.count(kcode + "-" + hcode)) {
        IBSQL2.SQL =
            "INSERT INTO HOJOMST(KCODE,HCODE,HKANA,HNAME,TAX_LCODE,TAX_RCODE,BPFLG,OPCODE)\n"
            "VALUES(:KCODE,:HCODE,:HKANA,:HNAME,:TAX_LCODE,:TAX_RCODE,:BPFLG,:OPCODE)";
        IBSQL2.ParamByName("BPFLG").SetString(r.FieldByName("BPFLG").AsString());
      } else {
        IBSQL2.SQL =
            "UPDATE HOJOMST SET HKANA=:HKANA,HNAME=:HNAME,TAX_LCODE=:TAX_LCODE,TAX_RCODE=:TAX_RCODE,RTIME=:RTIME,"
            "OPCODE=:OPCODE\nWHERE (KCODE=:KCODE)AND(HCODE=:HCODE)";
        IBSQL2.ParamByName("RTIME").SetDateTime(Now());
      }
      IBSQL2.ParamByName("KCODE").SetString(kcode);
      IBSQL2.ParamByName("HCODE").SetString(hcode);
      IBSQL2.ParamByName("HKANA").SetString(r.FieldByName("HKANA").AsString());
      IBSQL2.ParamByName("HNAME").SetString(r.FieldByName("HNAME").AsString());
      IBSQL2.ParamByName("TAX_LCODE").SetInteger(r.FieldByName("TAX_LCODE").AsInteger());
      IBSQL2.ParamByName("TAX_RCODE").SetInteger(r.FieldByName("TAX_RCODE").AsInteger());
      IBSQL2.ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
      IBSQL2.ExecQuery();
      IBSQL2.Close();
      if (!keys.count(kcode + "-" + hcode)) {
        IBSQL2.SQL = "SELECT OUT_SCODE FROM SP_HOJO_KAMOKUSZ_INS(:SCODE,:KCODE,:HCODE)";
        IBSQL2.ParamByName("SCODE").SetString(firstBranch);
        IBSQL2.ParamByName("KCODE").SetString(kcode);
        IBSQL2.ParamByName("HCODE").SetString(hcode);
        IBSQL2.ExecQuery();
        IBSQL2.Close();
        keys.insert(kcode + "-" + hcode);
      }
    }
    ReceiveIBSQL1.Close();
    setMode(savedMode);
  });
}

void TCashBookLoaderBox::ImportOpeningBalances() {
  Stage("「現金科目の開始残高の取り込み」に失敗しました。 ", [&] {
    const bool old = ReceivedVersion[0] < 6;
    ReceiveIBSQL1.Close();
    ReceiveIBSQL1.SQL = old ? "SELECT SCODE,KCODE,HCODE,BCODE,KAISIZAN,KAISIZAN AS KISHU_KOMI,KAISIZAN AS KISHU_NUKI "
                              "FROM KAMOKU_SZ\nWHERE KCODE=:KCODE\nORDER BY SCODE,KCODE,HCODE,BCODE"
                            : "SELECT SCODE,KCODE,HCODE,BCODE,KAISIZAN,KISHU_KOMI,KISHU_NUKI FROM KAMOKU_SZ\n"
                              "WHERE KCODE=:KCODE\nORDER BY SCODE,KCODE,HCODE,BCODE";
    ReceiveIBSQL1.ParamByName("KCODE").SetString(cashKCode_);
    for (ReceiveIBSQL1.ExecQuery(); !ReceiveIBSQL1.Eof(); ReceiveIBSQL1.Next()) {
      TIBSQL& r = ReceiveIBSQL1;
      IBSQL2.Close();
      IBSQL2.SQL =
          "UPDATE KAMOKU_SZ SET KAISIZAN=0,KISHU_KOMI=:KISHU_KOMI,KISHU_NUKI=:KISHU_NUKI\n"
          "WHERE (SCODE=:SCODE)AND(KCODE=:KCODE)AND(HCODE=:HCODE)AND(BCODE=:BCODE)";
      IBSQL2.ParamByName("KISHU_KOMI").SetCurrency(r.FieldByName("KISHU_KOMI").AsCurrency());
      IBSQL2.ParamByName("KISHU_NUKI").SetCurrency(r.FieldByName("KISHU_NUKI").AsCurrency());
      for (const char* key : {"SCODE", "KCODE", "HCODE", "BCODE"})
        IBSQL2.ParamByName(key).SetString(r.FieldByName(key).AsString());
      IBSQL2.ExecQuery();
      IBSQL2.Close();
    }
    ReceiveIBSQL1.Close();
  });
}

void TCashBookLoaderBox::CompareCashBalances() {
  Stage("「科目残高の比較」に失敗しました。 ", [&] {
    IBSQL1.Close();
    IBSQL1.SQL = "SELECT DAC FROM KAMOKUMST WHERE KCODE=:KCODE";
    IBSQL1.ParamByName("KCODE").SetString(cashKCode_);
    IBSQL1.ExecQuery();
    const int32_t dac = IBSQL1.Eof() ? 1 : IBSQL1.FieldByName("DAC").AsInteger();
    IBSQL1.Close();
    const bool net = AccInf.TAXDEFUH == 1;
    const bool debitSide = dac == 1 || dac == 4;
    const std::string movement =
        net ? (debitSide ? "SELECT SUM(KAR_NUK-KAR_IKKATSU)-SUM(KAS_NUK-KAS_IKKATSU) AS ZANDAKA FROM KAMOKU_MS"
                         : "SELECT SUM(KAS_NUK-KAS_IKKATSU)-SUM(KAR_NUK-KAR_IKKATSU) AS ZANDAKA FROM KAMOKU_MS")
            : (debitSide ? "SELECT SUM(KAR_NUK+KAR_TAX)-SUM(KAS_NUK+KAS_TAX) AS ZANDAKA FROM KAMOKU_MS"
                         : "SELECT SUM(KAS_NUK+KAS_TAX)-SUM(KAR_NUK+KAR_TAX) AS ZANDAKA FROM KAMOKU_MS");
    auto balance = [&](TIBSQL& q, bool old) {
      q.Close();
      q.SQL = std::string(old ? "SELECT SUM(KAISIZAN) AS KAISI_KOMIZAN,SUM(KAISIZAN) AS KAISI_NUKIZAN FROM KAMOKU_SZ"
                              : "SELECT SUM(KISHU_KOMI) AS KAISI_KOMIZAN,SUM(KISHU_NUKI) AS KAISI_NUKIZAN FROM KAMOKU_SZ") +
              "\nWHERE KCODE=:KCODE";
      q.ParamByName("KCODE").SetString(cashKCode_);
      q.ExecQuery();
      Currency total = q.Eof() ? Currency() : q.FieldByName(net ? "KAISI_NUKIZAN" : "KAISI_KOMIZAN").AsCurrency();
      q.Close();
      q.SQL = movement + "\nWHERE KCODE=:KCODE";
      q.ParamByName("KCODE").SetString(cashKCode_);
      q.ExecQuery();
      if (!q.Eof()) total = total + q.FieldByName("ZANDAKA").AsCurrency();
      q.Close();
      return total;
    };
    const Currency open = balance(IBSQL1, AccInf.VerMajor != 0 && AccInf.VerMajor < 6);
    const Currency received = balance(ReceiveIBSQL1, ReceivedVersion[0] < 6);
    if (open != received)
      AddLog(2, 201,
             "本データと出納帳データの間で現金残高の違いが発生しました。前回のデータ送信後に現金取引の追加・訂正を行っていると残高の違いは発生します。");
  });
}
