#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "data/z5AppInfo.h"
#include "export/ComDataExp.h"
#include "export/sy26.h"
#include "platform/Encoding.h"
#include "platform/ini/IniFile.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

// The common application data, program folder and registry store of a test of their own.
class ComDataExpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppInfoDefaults(AppInfo);
    ApplyAppInfo(0);
  }

  std::string IniFile() const { return (dir_.Path() / "common/Quorin/Zivodarorer/ini/Soravin.ini").string(); }
  std::string Registry() const { return (dir_.Path() / "registry.ini").string(); }
  void RegisterProduct(const std::string& subkey, const std::string& product, const std::string& version) const {
    TIniFile reg(Registry());
    const std::string section = "HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\" + subkey;
    reg.WriteString(section, "Product", product);
    reg.WriteString(section, "Version", version);
  }

  TempDir dir_;
  ScopedEnv common_{"RENDO_COMMON_APPDATA", (dir_.Path() / "common").string()};
  ScopedEnv program_{"RENDO_PROGRAM_DIR", (dir_.Path() / "program").string()};
  ScopedEnv registry_{"RENDO_REGISTRY", (dir_.Path() / "registry.ini").string()};
};

TEST_F(ComDataExpTest, IdentityAndSettingsFolder) {
  RegisterProduct("ZIVODARORER10", "Tallix財務", "10.2.0");
  TSyohizeiDataExport exp("", 0);
  EXPECT_EQ(exp.DataRootDir, (dir_.Path() / "common/Quorin/Zivodarorer").string());
  EXPECT_EQ(exp.IniDir, exp.DataRootDir + "/ini");
  EXPECT_TRUE(std::filesystem::is_directory(exp.IniDir)) << "created when missing";
  EXPECT_EQ(exp.ProgramName, "Tallix財務");
  EXPECT_EQ(exp.ProgramVer, "10.2.0");
  EXPECT_EQ(exp.Caption, "消費税のSoravin（平成26年度版 以降） from Tallix財務");
  EXPECT_EQ(exp.TargetName, "消費税のSoravin");
  EXPECT_EQ(exp.Kind, "SY");
  EXPECT_EQ(exp.GyoumuPrefix, "SY26");
  EXPECT_EQ(exp.MinProgramVer, "10.0.0");
  EXPECT_EQ(exp.SelectCondition, 0);
  EXPECT_EQ(exp.DataVerMajor, "10");
  EXPECT_EQ(exp.Params.ClosingDay, 99);
  EXPECT_EQ(exp.ExeDir, (dir_.Path() / "program").string());
}

TEST_F(ComDataExpTest, RegistryLastMatchingSubkeyWinsAndMissingValuesStayEmpty) {
  {
    TSyohizeiDataExport none("", 0);
    EXPECT_EQ(none.ProgramName, "");
    EXPECT_EQ(none.ProgramVer, "");
  }
  RegisterProduct("ZIVODARORER10", "first", "10.0.0");
  RegisterProduct("zivodarorer10b", "second", "10.1.0");
  RegisterProduct("ZIVODARORER11", "newer major", "11.0.0");  // another pattern
  TSyohizeiDataExport exp("", 0);
  EXPECT_EQ(exp.ProgramName, "second");
  EXPECT_EQ(exp.ProgramVer, "10.1.0");

  std::string value = "kept";
  TComDataExport::GetSeihinRegValue(12, 0, "Product", value);
  EXPECT_EQ(value, "kept") << "no subkey for version 12";
  TComDataExport::GetSeihinRegValue(10, 0, "Missing", value);
  EXPECT_EQ(value, "");
  value = "/opt/";
  TComDataExport::GetSeihinRegValue(12, 1, "RootDir", value);
  EXPECT_EQ(value, "/opt/zivodarorer20b");
}

// Run alone, the output file comes from Soravin.ini and goes back there; a caller's own
// file is neither read nor stored. DATA is written back exactly as read.
TEST_F(ComDataExpTest, SoravinIniPerFunctionId) {
  struct Case {
    int32_t functionId;
    std::string functionText, exportFileAfterCreate, exportFileInIni;
  } cases[] = {
      {0, "1", "/old/前回.xml", "/new/今回.xml"},
      {5, "5", "/caller/given.xml", "/old/前回.xml"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(IniFile());
    std::filesystem::create_directories(std::filesystem::path(IniFile()).parent_path());
    {
      TIniFile ini(IniFile());
      ini.WriteString("SYOUHIZEI", "DATA", "");
      ini.WriteString("SYOUHIZEI", "KOMONSAKI", "前回の会社");
      ini.WriteString("SYOUHIZEI", "EXPORTFILE", "/old/前回.xml");
      ini.WriteString("HOJINZEI", "EXPORTFILE", "/other/kind.xml");
    }
    auto exp = std::make_unique<TSyohizeiDataExport>(c.functionId == 0 ? "/ignored.xml" : "/caller/given.xml",
                                                     c.functionId);
    EXPECT_EQ(exp->KomonsakiName, "前回の会社");
    EXPECT_EQ(exp->ExportFile, c.exportFileAfterCreate) << c.functionId;
    EXPECT_EQ(exp->FunctionId, std::stoi(c.functionText));
    EXPECT_EQ(exp->CallerFunctionId, c.functionId);
    exp->KomonsakiName = "今回の会社";
    exp->ExportFile = c.functionId == 0 ? "/new/今回.xml" : "/caller/given.xml";
    exp.reset();

    TIniFile ini(IniFile());
    EXPECT_TRUE(ini.ValueExists("SYOUHIZEI", "DATA"));
    EXPECT_EQ(ini.ReadString("SYOUHIZEI", "DATA", "x"), "");
    EXPECT_EQ(ini.ReadString("SYOUHIZEI", "KOMONSAKI", ""), "今回の会社");
    EXPECT_EQ(ini.ReadString("SYOUHIZEI", "EXPORTFILE", ""), c.exportFileInIni) << c.functionId;
    EXPECT_EQ(ini.ReadString("HOJINZEI", "EXPORTFILE", ""), "/other/kind.xml");
  }
  EXPECT_EQ(TComDataExport::SettingsSection("RC_G"), "RENKETUNOUZEI_G");
  EXPECT_EQ(TComDataExport::SettingsSection("XX"), "");
}

TEST_F(ComDataExpTest, SoravinIniMissingReadsEmpty) {
  TSyohizeiDataExport exp("/given.xml", 0);
  EXPECT_EQ(exp.ExportFile, "");
  EXPECT_EQ(exp.KomonsakiName, "");
  EXPECT_EQ(exp.LastDataPath, "");
}

std::string SystemAndBasic(TComDataExport& exp) {
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  exp.SetSystemNode(doc);
  exp.SetBasicNode(doc);
  std::string utf8;
  EXPECT_TRUE(sjis::TryToUtf8(doc.SaveToBytes(), utf8));
  return utf8;
}

TEST_F(ComDataExpTest, SystemAndBasicNodesByCompanyKind) {
  RegisterProduct("ZIVODARORER10", "Tallix財務", "10.2.0");
  TSyohizeiDataExport exp("", 7);
  exp.KomonsakiName = "株式会社Ａ&B";
  exp.Params.YearStart = EncodeDate(2014, 4, 1);
  exp.Params.YearEnd = EncodeDate(2015, 3, 31);

  const std::string system =
      "<SYSTEM><GYOUMUPREFIX>SY26</GYOUMUPREFIX><VERSION>1</VERSION><FUNCTIONID>7</FUNCTIONID>"
      "<CONNECTEDPROGRAMVER>10.0.0</CONNECTEDPROGRAMVER><PROGRAMNAME>Tallix財務</PROGRAMNAME>"
      "<PROGRAMVER>10.2.0</PROGRAMVER></SYSTEM>";
  const struct {
    int dataType, simplified;
    std::string kubun;
  } cases[] = {
      {1, 0, "<HOUJINKOJINKUBUN>1</HOUJINKOJINKUBUN><KAZEIKUBUN>1</KAZEIKUBUN>"},
      {2, 0, "<HOUJINKOJINKUBUN>2</HOUJINKOJINKUBUN><KAZEIKUBUN>1</KAZEIKUBUN>"},
      {3, 1, "<HOUJINKOJINKUBUN>1</HOUJINKOJINKUBUN><KAZEIKUBUN>2</KAZEIKUBUN>"},
  };
  for (const auto& c : cases) {
    exp.Params.DataType = c.dataType;
    exp.Params.Simplified = c.simplified;
    const std::string purchase = c.simplified != 0 ? "<SHIIREZEIGAKUKEISAN/>" : "<SHIIREZEIGAKUKEISAN>1</SHIIREZEIGAKUKEISAN>";
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<REPORT>" + system +
        "<BASIC><KOMONSAKINAME>株式会社Ａ&amp;amp;B</KOMONSAKINAME><JIGYOUNENDOFROM>20140401</JIGYOUNENDOFROM>"
        "<JIGYOUNENDOTO>20150331</JIGYOUNENDOTO>" +
        c.kubun +
        "<KEIKASHOCHIKAZEISHISAN>1</KEIKASHOCHIKAZEISHISAN><URIAGEZEIGAKUKEISAN>1</URIAGEZEIGAKUKEISAN>" + purchase +
        "</BASIC></REPORT>\n";
    EXPECT_EQ(SystemAndBasic(exp), expected) << c.dataType;
  }
}

TEST_F(ComDataExpTest, UnknownPrefixRaises256AfterKomonsakiName) {
  TSyohizeiDataExport exp("", 0);
  exp.GyoumuPrefix = "XX01";
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  exp.SetSystemNode(doc);
  try {
    exp.SetBasicNode(doc);
    FAIL();
  } catch (const EDataExportError& e) {
    EXPECT_STREQ(e.what(), "業務Prefixが条件に加えられていません。");
    EXPECT_EQ(e.Code, 256);
    EXPECT_EQ(e.Detail, "SetBasicNode(BASICﾉｰﾄﾞを作成)");
  }
  TXmlNode basic = doc.FindNode(nullptr, "BASIC");
  ASSERT_NE(basic, nullptr);
  EXPECT_NE(doc.FindNode(basic, "KOMONSAKINAME"), nullptr);
  EXPECT_EQ(doc.FindNode(basic, "JIGYOUNENDOFROM"), nullptr);
}

// A company or product name the file cannot hold stops the export with a clear message
// instead of writing a file that names another company.
TEST_F(ComDataExpTest, FreeTextOutsideShiftJisRaisesExportError) {
  TSyohizeiDataExport exp("", 0);
  const struct {
    std::string name;
    bool ok;
  } cases[] = {{"髙橋商店㈱", true}, {"𠮷野商事", false}, {"A\x01B", false}, {"ｶﾌﾞｼｷｶﾞｲｼｬ", true}};
  for (const auto& c : cases) {
    exp.KomonsakiName = c.name;
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    exp.SetSystemNode(doc);
    if (c.ok) {
      EXPECT_NO_THROW(exp.SetBasicNode(doc)) << c.name;
      continue;
    }
    try {
      exp.SetBasicNode(doc);
      ADD_FAILURE() << c.name;
    } catch (const EDataExportError& e) {
      EXPECT_EQ(e.Code, kExportErrBadText);
      EXPECT_NE(e.Detail.find("KOMONSAKINAME"), std::string::npos) << e.Detail;
    }
  }
  exp.KomonsakiName = "";
  exp.ProgramName = "製品😀";
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  EXPECT_THROW(exp.SetSystemNode(doc), EDataExportError);
}

// A period the makers cannot turn into dates is refused; a one-slot period and the closing
// slot of a quarter are periods like any other.
TEST(ExportPeriodTest, StartAfterEndAndSlotsOutsideTheYearAreRefused) {
  const struct {
    int32_t start, end;
    bool ok;
  } cases[] = {{0, 15, true}, {7, 7, true}, {2, 3, true}, {9, 4, false}, {15, 0, false}, {-1, 15, false}, {0, 16, false}};
  for (const auto& c : cases) {
    TExportParams p;
    p.StartSlot = c.start;
    p.EndSlot = c.end;
    try {
      CheckExportPeriod(p);
      EXPECT_TRUE(c.ok) << c.start << ".." << c.end;
    } catch (const EDataExportError& e) {
      EXPECT_FALSE(c.ok) << c.start << ".." << c.end;
      EXPECT_EQ(e.Code, kExportErrPeriod);
    }
  }
  TSyohizeiDataMake maker;
  maker.StartSlot = 9;
  maker.EndSlot = 4;
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  EXPECT_THROW(maker.Make(doc), EDataExportError) << "refused before the database is touched";
}

}  // namespace
