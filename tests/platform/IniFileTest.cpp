#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ini/IniFile.h"
#include "support/ReplaceWatch.h"
#include "support/TempDir.h"

using Strings = std::vector<std::string>;

TEST(IniFile, WritesCp932WithCrLfAndKeepsOrder) {
  TempDir dir;
  const std::string file = dir.Str() + "/settings.ini";
  TIniFile ini(file);
  ini.WriteString("会社", "名前", "株式会社テスト");
  ini.WriteInteger("会社", "Count", 5);
  ini.WriteString("Second", "Key", "ｶﾅ");
  ini.WriteString("会社", "Last", "x");    // a new key goes to the end of its section
  ini.WriteInteger("会社", "count", 7);    // an existing key keeps its place and spelling
  ini.WriteBool("Second", "Flag", true);

  EXPECT_EQ(TempDir::Read(file),
            "[\x89\xef\x8e\xd0]\r\n"
            "\x96\xbc\x91\x4f=\x8a\x94\x8e\xae\x89\xef\x8e\xd0\x83\x65\x83\x58\x83\x67\r\n"
            "Count=7\r\n"
            "Last=x\r\n"
            "\r\n"
            "[Second]\r\n"
            "Key=\xb6\xc5\r\n"
            "Flag=1\r\n");

  TIniFile other(file);  // a fresh reader sees what was written
  EXPECT_EQ(other.ReadString("会社", "名前", "?"), "株式会社テスト");
  EXPECT_EQ(other.ReadInteger("會社", "count", -1), -1);  // different section name
  EXPECT_EQ(other.ReadInteger("会社", "COUNT", -1), 7);
  EXPECT_EQ(other.ReadString("second", "KEY", "?"), "ｶﾅ");
  EXPECT_TRUE(other.ReadBool("SECOND", "flag", false));
  EXPECT_EQ(other.ReadSections(), (Strings{"会社", "Second"}));
  EXPECT_EQ(other.ReadSection("会社"), (Strings{"名前", "Count", "Last"}));
  EXPECT_EQ(other.ReadSectionValues("second"), (Strings{"Key=ｶﾅ", "Flag=1"}));
}

TEST(IniFile, ReadsHandWrittenFilesLikeTheProfileFunctions) {
  TempDir dir;
  const std::string file = dir.Write("odd.ini",
                                     "stray line before any section\n"
                                     "; comment\n"
                                     "[Main]\n"
                                     "  Spaced Key  =   padded value   \n"
                                     "Quoted=\"  inner  \"\n"
                                     "Single='x'\n"
                                     "Half=\"open\n"
                                     "Empty=\n"
                                     "no equals sign here\n"
                                     "=value without name\n"
                                     "Dup=first\n"
                                     "dup=second\n"
                                     "\xff\xfe garbage=\x82\n"
                                     "[broken header\n"
                                     "[ Numbers ]  trailing text\r\n"
                                     "dec=12\r\nhex= 0x1F\r\ndollar=$10\r\nneg=-5\r\nword=abc\r\nmixed=12abc\r\n"
                                     "big=2147483648\r\nmin=-2147483648\r\nwide=$FFFFFFFF\r\nblank=\r\n");
  const TIniFile ini(file);
  EXPECT_EQ(ini.ReadString("main", "spaced key", "?"), "padded value");
  EXPECT_EQ(ini.ReadString("Main", "Quoted", "?"), "  inner  ");
  EXPECT_EQ(ini.ReadString("Main", "Single", "?"), "x");
  EXPECT_EQ(ini.ReadString("Main", "Half", "?"), "\"open");
  EXPECT_EQ(ini.ReadString("Main", "Empty", "?"), "");  // present but empty: not the default
  EXPECT_EQ(ini.ReadString("Main", "Missing", "def"), "def");
  EXPECT_EQ(ini.ReadString("Main", "Dup", "?"), "first");
  EXPECT_EQ(ini.ReadString("Main", "no equals sign here", "?"), "?");
  EXPECT_EQ(ini.ReadSection("Main"), (Strings{"Spaced Key", "Quoted", "Single", "Half", "Empty", "Dup", "?? garbage"}));
  EXPECT_EQ(ini.ReadSections(), (Strings{"Main", "Numbers"}));

  struct Case { const char* key; int expected; };
  const Case cases[] = {{"dec", 12},  {"hex", 31},   {"dollar", 16},  {"neg", -5},    {"word", 99},
                        {"mixed", 99}, {"big", 99},  {"min", -2147483647 - 1}, {"wide", -1}, {"blank", 99},
                        {"absent", 99}};
  for (const Case& c : cases) EXPECT_EQ(ini.ReadInteger("Numbers", c.key, 99), c.expected) << c.key;
  EXPECT_TRUE(ini.ReadBool("Numbers", "word", true));
  EXPECT_FALSE(ini.ReadBool("Numbers", "word", false));
  EXPECT_TRUE(ini.ReadBool("Numbers", "neg", false));
}

TEST(IniFile, WritingKeepsUntouchedLinesByteForByte) {
  TempDir dir;
  const std::string file = dir.Write("keep.ini", "; \x8a\xbf comment\r\n[A]\r\nodd line \x82\r\nk=1\r\n\r\n[B]\r\nm=2\r\n");
  TIniFile ini(file);
  ini.WriteString("A", "k", "10");
  ini.WriteString("A", "new", "n");
  EXPECT_EQ(TempDir::Read(file), "; \x8a\xbf comment\r\n[A]\r\nodd line \x82\r\nk=10\r\nnew=n\r\n\r\n[B]\r\nm=2\r\n");
}

TEST(IniFile, EraseSectionAndDeleteKey) {
  TempDir dir;
  const std::string file = dir.Write("e.ini", "[A]\r\na=1\r\n\r\n[B]\r\nb1=1\r\nb2=2\r\n\r\n[C]\r\nc=3\r\n[b]\r\nagain=4\r\n");
  TIniFile ini(file);
  ini.DeleteKey("b", "B1");
  EXPECT_FALSE(ini.ValueExists("B", "b1"));
  EXPECT_TRUE(ini.ValueExists("B", "b2"));
  ini.DeleteKey("Nowhere", "x");  // nothing to do, no failure
  ini.EraseSection("b");          // both sections named B go
  EXPECT_EQ(TempDir::Read(file), "[A]\r\na=1\r\n\r\n[C]\r\nc=3\r\n");
  EXPECT_FALSE(ini.SectionExists("B"));
  ini.DeleteKey("C", "c");
  EXPECT_FALSE(ini.SectionExists("C"));  // an empty section counts as absent
  EXPECT_EQ(ini.ReadSections(), (Strings{"A", "C"}));
}

TEST(IniFile, WritesAreSeenByOtherReadersAtOnce) {
  TempDir dir;
  const std::string file = dir.Str() + "/shared.ini";
  TIniFile reader(file);
  TIniFile writer(file);
  EXPECT_EQ(reader.ReadString("S", "k", "none"), "none");  // a missing file reads as empty
  writer.WriteString("S", "k", "one");
  EXPECT_EQ(reader.ReadString("S", "k", "none"), "one");
  writer.WriteString("S", "k", "two");
  EXPECT_EQ(reader.ReadString("S", "k", "none"), "two");
  reader.EraseSection("S");
  EXPECT_EQ(writer.ReadString("S", "k", "none"), "none");
  // Only the file itself is left behind: no temporary files.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(IniFile, FailuresAreReportedAndNeverLeaveBrokenFiles) {
  TempDir dir;
  TIniFile missingFolder(dir.Str() + "/no/such/folder/x.ini");
  EXPECT_THROW(missingFolder.WriteString("S", "k", "v"), EIniFileException);
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "no"));

  TIniFile nothing(dir.Str() + "/nothing.ini");
  nothing.EraseSection("S");  // deleting from a missing file creates none
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "nothing.ini"));

  std::filesystem::create_directory(dir.Path() / "folder.ini");
  TIniFile folder(dir.Str() + "/folder.ini");
  EXPECT_THROW(folder.ReadString("S", "k", ""), EIniFileException);
  EXPECT_THROW(folder.WriteString("S", "k", "v"), EIniFileException);

  // A value cannot smuggle lines (sections, keys) into the file.
  TIniFile ini(dir.Str() + "/inject.ini");
  ini.WriteString("S", "k", "safe\r\n[Evil]\r\nkey=1");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "safe");
  EXPECT_EQ(ini.ReadSections(), (Strings{"S"}));
  EXPECT_THROW(ini.WriteString("S", "a=b", "v"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("", "k", "v"), std::invalid_argument);
}

TEST(IniFile, AnUpdateIsWrittenOnceAndWholeOrNotAtAll) {
  TempDir dir;
  const std::string file = dir.Write("company.ini", "[DATAINFO]\r\nSHOUGOU=Old\r\nNENDO=2015\r\n");
  const std::string updated = "[DATAINFO]\r\nSHOUGOU=New\r\nNENDO=2016\r\n";
  ReplaceRecorder replaced;
  TIniFile ini(file);
  TIniFile other(file);

  ini.BeginUpdate();
  ini.EraseSection("DATAINFO");
  ini.WriteString("DATAINFO", "SHOUGOU", "New");
  ini.WriteInteger("DATAINFO", "NENDO", 2016);
  EXPECT_EQ(ini.ReadString("DATAINFO", "SHOUGOU", ""), "New");    // the update sees its own writes,
  EXPECT_EQ(other.ReadString("DATAINFO", "SHOUGOU", ""), "Old");  // nobody else does before its end
  EXPECT_TRUE(replaced.Replaced().empty());
  ini.UpdateFile();
  EXPECT_EQ(replaced.Replaced().size(), 1u);
  EXPECT_EQ(TempDir::Read(file), updated);
  EXPECT_EQ(other.ReadString("DATAINFO", "SHOUGOU", ""), "New");

  // The same values again change nothing and write nothing.
  ini.BeginUpdate();
  ini.EraseSection("DATAINFO");
  ini.WriteString("DATAINFO", "SHOUGOU", "New");
  ini.WriteInteger("DATAINFO", "NENDO", 2016);
  ini.UpdateFile();
  EXPECT_EQ(replaced.Replaced().size(), 1u);

  // An update that ends in an exception leaves the file as it was.
  {
    TIniFile broken(file);
    broken.BeginUpdate();
    broken.EraseSection("DATAINFO");
    EXPECT_THROW(broken.WriteString("DATAINFO", "", "x"), std::invalid_argument);
  }
  EXPECT_EQ(TempDir::Read(file), updated);

  // Outside an update every write is on disk at once.
  ini.WriteString("DATAINFO", "NENDO", "2017");
  EXPECT_EQ(replaced.Replaced().size(), 2u);
  EXPECT_EQ(other.ReadInteger("DATAINFO", "NENDO", 0), 2017);
}
