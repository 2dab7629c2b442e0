#include "export/ComRendo.h"

#include <string>

#include "export/ComDataExp.h"

void CheckExportPeriod(const TExportParams& params) {
  const std::string detail =
      "開始 " + std::to_string(params.StartSlot) + " / 終了 " + std::to_string(params.EndSlot);
  auto inRange = [](int32_t slot) { return slot >= 0 && slot <= kMaxSlot; };
  if (!inRange(params.StartSlot) || !inRange(params.EndSlot)) {
    throw EDataExportError("計算期間の期間番号が正しくありません。(0～15)", kExportErrPeriod, detail);
  }
  if (params.StartSlot > params.EndSlot) {
    throw EDataExportError("計算期間の開始が終了より後になっています。", kExportErrPeriod, detail);
  }
}
