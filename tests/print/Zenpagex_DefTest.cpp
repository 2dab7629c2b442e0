// The job record's first values, the cut of its display texts, and the engine state's reset.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PrintTestSupport.h"
#include "platform/Encoding.h"
#include "print/Zenpagex_Def.h"
#include "print/Zenpagex_State.h"

TEST_F(PrintJob, CurrentJobStartsWithTheEngineDefaults) {
  const TZPGXDEF& j = Zpx().CurrentJob;
  const struct {
    const char* field;
    long long actual, expected;
  } numbers[] = {
      {"PrinterNum", j.PrinterNum, -1},     {"PaperSize", j.PaperSize, 0},
      {"OutPutPaper", j.OutPutPaper, 0},    {"VRATIO", j.VRATIO, 1000},
      {"HRATIO", j.HRATIO, 1000},           {"Orientation", j.Orientation, 0},
      {"BinNum", j.BinNum, 7},              {"NetColor1", j.NetColor1, 0xC0C0C0},
      {"NetColor2", j.NetColor2, 0xC0C0C0}, {"UserColor1", j.UserColor1, 0},
      {"OcrGreen", j.OcrGreen, 0x2CBE00},   {"OcrPurple", j.OcrPurple, 0x741A82},
      {"Zoom", j.Zoom, 10},                 {"PaperLength", j.PaperLength, 2970},
      {"PaperWidth", j.PaperWidth, 2100},   {"Scale", j.Scale, 100},
      {"Copies", j.Copies, 1},              {"PrintQuality", j.PrintQuality, -4},
      {"ColorMode", j.ColorMode, 0},        {"Duplex", j.Duplex, 1},
      {"Collate", j.Collate, 0},            {"PageBango.Alignment", j.PageBango.Alignment, 2},
      {"PageBango.FontSize", j.PageBango.FontSize, 10}, {"PageBango.Count", j.PageBango.Count, 0},
  };
  for (const auto& n : numbers) EXPECT_EQ(n.actual, n.expected) << n.field;

  const struct {
    const char* field;
    bool actual, expected;
  } switches[] = {
      {"PrintFom", j.PrintFom, true},     {"PrnDlg", j.PrnDlg, true},       {"CurrentPage", j.CurrentPage, true},
      {"ModeSw", j.ModeSw, true},         {"Permit", j.Permit, true},       {"GrayScale", j.GrayScale, false},
      {"PrevPaperButton", j.PrevPaperButton, false}, {"PageBango.Switch", j.PageBango.Switch, false},
  };
  for (const auto& s : switches) EXPECT_EQ(s.actual, s.expected) << s.field;

  EXPECT_EQ(j.PaperName, "A4");
  EXPECT_EQ(j.FormFile, "");
  EXPECT_EQ(j.DataFile, "");
  EXPECT_EQ(j.PageBango.FontName, "ＭＳ 明朝");
  EXPECT_EQ(j.PageBango.Format, "(%d/%d)");
  EXPECT_EQ(EngineVersion, "VCL.2.5");
}

TEST_F(PrintJob, DisplayTextsAreCutAtACharacterBoundary) {
  const struct {
    std::string text;
    std::size_t bytes;
  } cases[] = {
      {std::string(70, 'A'), 63},
      {std::string(63, 'A'), 63},
      {"データリスト", 12},
      // 40 double-byte characters: 31 of them fit, the 32nd would be cut in half.
      {[] { std::string s; for (int i = 0; i < 40; ++i) s += "帳"; return s; }(), 62},
      // Half-width katakana take one byte each.
      {"A" + [] { std::string s; for (int i = 0; i < 70; ++i) s += "ｱ"; return s; }(), 63},
  };
  for (const auto& c : cases) {
    const std::string cut = JobText(c.text);
    EXPECT_EQ(sjis::ByteLength(cut), c.bytes) << c.text;
    EXPECT_EQ(c.text.rfind(cut, 0), 0u) << "a prefix of the text";
  }
}

TEST_F(PrintJob, ResetPutsTheWholeEngineStateBack) {
  TZenpagexState& s = Zpx();
  s.CurrentJob.DataFile = dir_.Str() + "/" + std::string(300, 'd') + ".txt";
  s.CurrentJob.PageBango.Switch = true;
  s.ShownPage = 4;
  s.TotalPages = 9;
  s.VRatioCur = 707;
  s.PaperMode = 2;
  s.PageNumberList = {"1", "0"};
  s.DataFields[2][5].Name = "AMOUNT";
  s.FormPageCount = 3;
  s.Printer = std::make_unique<printtest::FixedPrinter>(9, 200, 287);
  s.EngineReady = true;

  // Paths are kept whole in copies of the record.
  const TZPGXDEF copy = s.CurrentJob;
  EXPECT_EQ(copy.DataFile.size(), dir_.Str().size() + 305);

  s.Reset();
  EXPECT_EQ(s.CurrentJob, TZPGXDEF());
  EXPECT_EQ(s.ShownPage, 1);
  EXPECT_EQ(s.TotalPages, 1);
  EXPECT_EQ(s.VRatioCur, 0);
  EXPECT_EQ(s.PaperMode, 0);
  EXPECT_TRUE(s.PageNumberList.empty());
  EXPECT_EQ(s.DataFields[2][5], TDataField());
  EXPECT_EQ(s.FormPageCount, 0);
  EXPECT_EQ(s.Printer, nullptr);
  EXPECT_FALSE(s.EngineReady);
}
