#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <filesystem>
#include <string>

#include "export/XMLSaveDoc.h"
#include "platform/Encoding.h"
#include "support/TempDir.h"

namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n";

std::string Cp932(const std::string& utf8) {
  std::string out;
  EXPECT_TRUE(sjis::TryFromUtf8(utf8, out)) << utf8;
  return out;
}

// The text of the first element `name` as an XML reader of the saved bytes sees it.
std::string ReadBack(const std::string& bytes, const std::string& name) {
  xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "x.xml", nullptr, XML_PARSE_NONET);
  if (doc == nullptr) return "<unreadable>";
  std::string text = "<missing>";
  for (xmlNodePtr n = xmlDocGetRootElement(doc)->children; n != nullptr; n = n->next) {
    if (n->type == XML_ELEMENT_NODE && name == reinterpret_cast<const char*>(n->name)) {
      xmlChar* c = xmlNodeGetContent(n);
      text = reinterpret_cast<const char*>(c);
      xmlFree(c);
      break;
    }
  }
  xmlFreeDoc(doc);
  return text;
}

TEST(XmlSaveDocTest, EscapeTextReplacesTheFiveCharactersAmpersandFirst) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"&<>\"'", "&amp;&lt;&gt;&quot;&apos;"},
      {"&amp;", "&amp;amp;"},
      {"株式会社Ａ＆Ｂ", "株式会社Ａ＆Ｂ"},  // full-width characters pass unchanged
      {"a'b\"c", "a&apos;b&quot;c"},
  };
  for (const auto& c : cases) EXPECT_EQ(TXmlSaveDoc::EscapeText(c.in), c.out) << c.in;
}

TEST(XmlSaveDocTest, SavesCp932WithTheDeclarationAndNoIndentation) {
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  TXmlNode root = doc.CreateRoot("REPORT", "");
  TXmlNode sys = doc.AddNode(nullptr, "SYSTEM");
  doc.AddTextNode(sys, "NAME", "㈱サンプル～①ｶﾅ");
  doc.AddTextNode(sys, "EMPTY", "");
  EXPECT_EQ(doc.DocumentElement(), root);

  const std::string expected =
      kDecl + Cp932("<REPORT><SYSTEM><NAME>㈱サンプル～①ｶﾅ</NAME><EMPTY/></SYSTEM></REPORT>\n");
  EXPECT_EQ(doc.SaveToBytes(), expected);
}

TEST(XmlSaveDocTest, DeclarationCarriesStandaloneOnlyWhenGiven) {
  TXmlSaveDoc with("1.0", "Shift_JIS", "yes");
  with.CreateRoot("R", "");
  EXPECT_EQ(with.SaveToBytes(), "<?xml version=\"1.0\" encoding=\"Shift_JIS\" standalone=\"yes\"?>\n<R/>\n");
  EXPECT_THROW(TXmlSaveDoc("1.0", "Shift_JIS", "maybe"), EXmlDocError);
}

// Free texts stand escaped twice in the file, as the importing application expects: a reader
// gets the once-escaped text back, never a re-parsed entity.
TEST(XmlSaveDocTest, TextIsEscapedByTheWriterAndAgainOnSaving) {
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  doc.CreateRoot("R", "");
  doc.AddTextNode(doc.DocumentElement(), "A", "A&B");
  doc.AddTextNode(doc.DocumentElement(), "B", "<x> \"q\" 'a'");
  doc.AddTextNode(doc.DocumentElement(), "C", "Ａ＆Ｂ");
  const std::string bytes = doc.SaveToBytes();
  EXPECT_NE(bytes.find("<A>A&amp;amp;B</A>"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("<B>&amp;lt;x&amp;gt; &amp;quot;q&amp;quot; &amp;apos;a&amp;apos;</B>"), std::string::npos)
      << bytes;
  EXPECT_NE(bytes.find(Cp932("<C>Ａ＆Ｂ</C>")), std::string::npos);
  EXPECT_EQ(ReadBack(bytes, "A"), "A&amp;B");
  EXPECT_EQ(ReadBack(bytes, "C"), "Ａ＆Ｂ");
}

TEST(XmlSaveDocTest, FindNodeAndSetChildText) {
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  doc.CreateRoot("R", "");
  TXmlNode first = doc.AddNode(nullptr, "G");
  TXmlNode second = doc.AddNode(nullptr, "G");
  doc.AddTextNode(second, "G", "nested");  // not a direct child of the root
  doc.AddTextNode(first, "FLAG", "1");

  // Direct children of the document element only, first match.
  EXPECT_EQ(doc.FindNode(nullptr, "G"), first);
  EXPECT_EQ(doc.FindNode(nullptr, "FLAG"), nullptr);
  EXPECT_EQ(doc.FindNode(second, "G") != nullptr, true);

  doc.SetChildText(first, "FLAG", "");  // an empty value changes nothing
  EXPECT_EQ(TXmlSaveDoc::NodeText(doc.FindNode(first, "FLAG")), "1");
  doc.SetChildText(first, "FLAG", "2");
  EXPECT_EQ(TXmlSaveDoc::NodeText(doc.FindNode(first, "FLAG")), "2");
  doc.SetChildText(first, "FLAG", "a&b", "kind", "x<y");
  EXPECT_NE(doc.SaveToBytes().find("<FLAG kind=\"x&amp;lt;y\">a&amp;amp;b</FLAG>"), std::string::npos)
      << doc.SaveToBytes();
  EXPECT_THROW(doc.SetChildText(first, "MISSING", "1"), EXmlDocError);
}

TEST(XmlSaveDocTest, RefusalsOfTheDocumentModel) {
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  EXPECT_THROW(doc.AddNode(nullptr, "X"), EXmlDocError) << "no root to append to";
  doc.CreateRoot("R", "");
  EXPECT_THROW(doc.AddNode(nullptr, "1BAD"), EXmlDocError);
  EXPECT_THROW(doc.AddNode(nullptr, "A&B"), EXmlDocError) << "the escaped name is not a name";
  EXPECT_THROW(doc.AddTextNode(nullptr, "T", "x"), EXmlDocError);
}

TEST(XmlSaveDocTest, CharacterOutsideCp932FailsTheSave) {
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  doc.CreateRoot("R", "");
  doc.AddTextNode(doc.DocumentElement(), "N", "𠮷野家");
  try {
    doc.SaveToBytes();
    FAIL() << "saved a character Shift_JIS cannot hold";
  } catch (const EXmlDocError& e) {
    EXPECT_NE(std::string(e.what()).find("U+20BB7"), std::string::npos) << e.what();
  }
}

TEST(XmlSaveDocTest, SaveToFileReplacesTheTargetOnlyWhenComplete) {
  TempDir dir;
  const std::string target = (dir.Path() / "out.xml").string();
  {
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    doc.CreateRoot("GOOD", "");
    doc.SaveToFile(target);
  }
  const std::string good = TempDir::Read(target);
  EXPECT_EQ(good, kDecl + "<GOOD/>\n");
  {
    // An output name as long as a file system takes (the temporary name must not grow with it).
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    doc.CreateRoot("LONG", "");
    const std::filesystem::path longName = dir.Path() / (std::string(246, 'n') + ".xml");
    doc.SaveToFile(longName.string());
    EXPECT_EQ(TempDir::Read(longName), kDecl + "<LONG/>\n");
    std::filesystem::remove(longName);
  }

  // A failing save keeps the earlier file and leaves nothing beside it.
  TXmlSaveDoc bad("1.0", "Shift_JIS", "");
  bad.CreateRoot("BAD", "");
  bad.AddTextNode(bad.DocumentElement(), "N", "😀");
  EXPECT_THROW(bad.SaveToFile(target), EXmlDocError);
  EXPECT_EQ(TempDir::Read(target), good);
  EXPECT_THROW(bad.SaveToFile((dir.Path() / "missing" / "x.xml").string()), EXmlDocError);
  // Written completely, but the rename fails (a folder stands under the name): the temporary
  // file goes again.
  std::filesystem::create_directory(dir.Path() / "taken.xml");
  TXmlSaveDoc ok("1.0", "Shift_JIS", "");
  ok.CreateRoot("OK", "");
  EXPECT_THROW(ok.SaveToFile((dir.Path() / "taken.xml").string()), EXmlDocError);
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
}

// The handler registered under "Shift_JIS" also reads: a file written here parses back.
TEST(XmlSaveDocTest, SavedFileParsesBackAsShiftJis) {
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  doc.CreateRoot("R", "");
  doc.AddTextNode(doc.DocumentElement(), "N", "髙橋㈱～ｶﾅ");
  EXPECT_EQ(ReadBack(doc.SaveToBytes(), "N"), "髙橋㈱～ｶﾅ");
}

}  // namespace
