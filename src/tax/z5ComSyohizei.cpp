#include "tax/z5ComSyohizei.h"

TTAXPAR TaxPar;
TKanpuMeisai_Hojin KanpuMeisai_Hojin;
TKanpuMeisai_Kojin KanpuMeisai_Kojin;
TSyohizeiSinkoku Sinkoku;
TKazeiHyoujunUtiwake KazeiHyoujunUtiwake;
TFuhyou1_H260401 Fuhyou1[4];
TFuhyou2_H260401 Fuhyou2[4];
TFuhyou4_H260401 Fuhyou4[4];
TFuhyou5_H260401 Fuhyou5[5];

void ResetTaxEngineRecords() {
  TaxPar = TTAXPAR{};
  KanpuMeisai_Hojin = TKanpuMeisai_Hojin{};
  KanpuMeisai_Kojin = TKanpuMeisai_Kojin{};
  Sinkoku = TSyohizeiSinkoku{};
  KazeiHyoujunUtiwake = TKazeiHyoujunUtiwake{};
  for (auto& c : Fuhyou1) c = TFuhyou1_H260401{};
  for (auto& c : Fuhyou2) c = TFuhyou2_H260401{};
  for (auto& c : Fuhyou4) c = TFuhyou4_H260401{};
  for (auto& c : Fuhyou5) c = TFuhyou5_H260401{};
}
