#include "upgrade/z5MenuListOldHistory.h"

#include <cstdio>

namespace {

struct Slot {
  int page;
  int menu;
  const char* program;
  const char* option;
};

// The slots both tables share, unless table B replaces them.
const Slot kCommon[] = {
    {1, 0, "VqSiwake", "SyoriType=1"}, {1, 1, "VqSiwake", "SyoriType=0"}, {1, 2, "VqMonitor", ""},
    {1, 3, "VqMotocho", "SyoriType=0"}, {1, 4, "VqSisanhyo", ""}, {1, 5, "VqNippou", ""},
    {1, 10, "VqDataGassan", ""},
    {3, 0, "VqTaxKazeiSet", ""}, {3, 1, "VqTaxSinkokusyo", ""}, {3, 2, "VqTaxUtiwakesyo", ""},
    {3, 3, "VqTaxSyukeihyo", ""}, {3, 4, "VqTaxSisanhyo", ""}, {3, 5, "VqTaxSinkokusyoSyusei", ""},
    {4, 0, "VqSimulation", ""}, {4, 1, "VqGetujiHikakuGraph", ""}, {4, 2, "VqSankiHikakuGraph", ""},
    {4, 3, "VqSankiKamokuGraph", ""}, {4, 5, "VqSogoHikakuPL", ""}, {4, 6, "VqYojitutaihi", ""},
    {4, 8, "VqGetujiHikaku", ""}, {4, 9, "VqSankiHikaku", ""}, {4, 10, "VqBumonHikakuBL", ""},
    {4, 11, "VqSikinguri", ""}, {4, 12, "VqSitenHikakuBL", ""}, {4, 17, "VqKanendoZan", ""},
    {4, 19, "VqZenkamoku2", ""},
    {5, 0, "VqKihon2", ""}, {5, 1, "VqBumon2", ""}, {5, 3, "VqKaisizan2", ""}, {5, 4, "VqBumKaisizan2", ""},
    {5, 5, "VqSitenGroup", ""}, {5, 15, "VqCodeHenkou", ""},
    {6, 0, "VqCodeTaikei", ""}, {6, 1, "VqOperator", ""}, {6, 5, "VqSiwakeText", "SyoriType=2"},
    {6, 6, "VqSiwakeText", "SyoriType=1"}, {6, 7, "VqSiwakeText", "SyoriType=0"}, {6, 10, "VqSiwakeJisyoCP", ""},
    {6, 11, "VqSiwakeJisyoEx", "SyoriType=0"}, {6, 12, "VqSiwakeJisyoEx", "SyoriType=1"},
    {6, 13, "VqBookmarkSet", ""}, {6, 15, "VqSiwakeSyufuku", ""}, {6, 19, "VqChouboSet", ""},
    {7, 19, "VqUtiwakeAll", ""},
    {8, 0, "VqDataTusin", "SyoriType=1"}, {8, 1, "VqDataTusin", "SyoriType=2"}, {8, 2, "VqTusinSettei", "SyoriType=1"},
    {8, 5, "VqUlqHozn", "SyoriType=1"}, {8, 6, "VqUlqHozn", "SyoriType=2"}, {8, 10, "VqDataTusin", "SyoriType=3"},
    {8, 11, "VqDataTusin", "SyoriType=4"}, {8, 12, "VqTusinSettei", "SyoriType=2"},
    {8, 13, "VqDataTusin", "SyoriType=8"}, {8, 14, "VqDataTusin", "SyoriType=5"},
    {9, 0, "VqKansa", ""}, {9, 1, "VqOASettei", ""}, {9, 2, "VqAoInfo", ""}, {9, 3, "VqVelkorMenuCtl", ""},
    {9, 4, "VqAoProMenu", ""},
    {10, 10, "VqHikakuSuiihyo", ""},
};

// Page 2 and the slots that differ, table A.
const Slot kOnlyA[] = {
    {2, 0, "VqHojinKessansyo", ""}, {2, 1, "VqCashFlow", ""}, {2, 2, "VqIkkatuPrint", ""},
    {2, 3, "VqGaikyosyo", ""}, {2, 5, "VqKojinKessansyo", ""}, {2, 6, "VqGenkaSyokyaku", ""},
    {2, 7, "VqTouzaChoseihyo", "SyoriType=0"}, {2, 10, "VqNendoKousin", ""}, {2, 11, "VqKurikosiChosei", ""},
    {2, 14, "VqIkkatuZeinuki", ""}, {2, 15, "VqDensiChoubo", ""},
    {4, 4, "VqKeieiBunseki", ""}, {4, 7, "VqYosoku", ""}, {4, 18, "VqYosan", ""}, {5, 2, "VqKamoku2", ""},
    {10, 0, "VqVelkoran1", ""}, {10, 1, "VqVelkoran_HendouSoneki", ""},
};

// Table B.
const Slot kOnlyB[] = {
    {2, 0, "VqMBKessansyo", ""}, {2, 1, "VqMBKessansyoSisetsu", ""}, {2, 2, "VqMBHokukuJigyo", ""},
    {2, 3, "VqMBHokukuZaisan", ""}, {2, 4, "VqMBHokukuKansa", ""}, {2, 5, "VqCashFlow", ""},
    {2, 6, "VqIkkatuPrint", ""}, {2, 7, "VqGaikyosyo", ""}, {2, 8, "VqGenkaSyokyaku", ""},
    {2, 9, "VqTouzaChoseihyo", "SyoriType=0"}, {2, 10, "VqNendoKousin", ""}, {2, 11, "VqKurikosiChosei", ""},
    {2, 14, "VqIkkatuZeinuki", ""}, {2, 15, "VqDensiChoubo", ""},
    {4, 4, "VqKeieiBunseki2", ""}, {4, 7, "VqYosoku2", ""}, {4, 18, "VqYosan2", ""}, {5, 2, "VqMBKamoku2", ""},
    {11, 0, "VqFuzokuKikan", ""}, {11, 19, "VqFuzokuIkkatu", ""},
    {12, 0, "VqGenkaHaifuSettei", ""},
};

void Put(std::vector<TMenuListRec>& list, int page, int menu, std::string program, std::string option) {
  TMenuListRec& r = list[static_cast<size_t>((page - 1) * 20 + menu)];
  r.ProgramId = std::move(program);
  r.Option = std::move(option);
}

std::vector<TMenuListRec> Empty(int pages) {
  std::vector<TMenuListRec> list(static_cast<size_t>(pages) * 20);
  for (size_t i = 0; i < list.size(); ++i) {
    list[i].PageNo = static_cast<int32_t>(i / 20) + 1;
    list[i].MenuNo = static_cast<int32_t>(i % 20);
  }
  return list;
}

std::string Numbered(const char* stem, int n) {
  char text[48];
  std::snprintf(text, sizeof text, "%s%.2d", stem, n);
  return text;
}

// The breakdown sheets 01 to 17 on page 7.
void PutUtiwake(std::vector<TMenuListRec>& list) {
  for (int menu = 0; menu <= 16; ++menu) Put(list, 7, menu, Numbered("VqUtiwake", menu + 1), "");
}

}  // namespace

const std::vector<TMenuListRec>& OldMenuListA() {
  static const std::vector<TMenuListRec> list = [] {
    std::vector<TMenuListRec> l = Empty(10);
    for (const Slot& s : kCommon) Put(l, s.page, s.menu, s.program, s.option);
    for (const Slot& s : kOnlyA) Put(l, s.page, s.menu, s.program, s.option);
    PutUtiwake(l);
    return l;
  }();
  return list;
}

const std::vector<TMenuListRec>& OldMenuListB() {
  static const std::vector<TMenuListRec> list = [] {
    std::vector<TMenuListRec> l = Empty(12);
    for (const Slot& s : kCommon) Put(l, s.page, s.menu, s.program, s.option);
    for (const Slot& s : kOnlyB) Put(l, s.page, s.menu, s.program, s.option);
    PutUtiwake(l);
    for (int n = 1; n <= 9; ++n) Put(l, 11, n, Numbered("VqFuzokuM", n), "");
    for (int n = 1; n <= 5; ++n) Put(l, 11, 9 + n, Numbered("VqFuzokuR", n), "");
    for (int n = 1; n <= 11; ++n) Put(l, 12, n, Numbered("VqGenkaKeisan", n), "");
    return l;
  }();
  return list;
}

std::string FindOldMenuProgram(int32_t level, int32_t page, int32_t menu, std::string& programId,
                               std::string& option, int oemKind) {
  programId.clear();
  option.clear();
  const std::vector<TMenuListRec>& list = level <= 1000 ? OldMenuListA() : OldMenuListB();
  for (const TMenuListRec& r : list) {
    if (r.PageNo == page && r.MenuNo == menu) {
      programId = r.ProgramId;
      // The "SyoriType" line of the option text, whole.
      size_t start = 0;
      while (start <= r.Option.size()) {
        size_t end = r.Option.find_first_of("\r\n", start);
        if (end == std::string::npos) end = r.Option.size();
        const std::string line = r.Option.substr(start, end - start);
        if (line.rfind("SyoriType", 0) == 0) {
          option = line;
          break;
        }
        start = end + 1;
      }
      break;
    }
  }
  if (level <= 1000 && (oemKind == 1 || oemKind == 2) && page == 1) {
    switch (menu) {
      case 15: programId = "VqZenkokuSiwake"; option = "SyoriType=1"; break;
      case 17: programId = "VqKobetuIchiranhyo"; option.clear(); break;
      case 18: programId = "VqKobetuMeisaihyo"; option.clear(); break;
      case 19: programId = "VqKobetuMotocho"; option.clear(); break;
      default: break;
    }
  }
  if (programId.empty()) option.clear();
  return programId;
}
