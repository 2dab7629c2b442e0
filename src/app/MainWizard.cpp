// TForm1: the wizard's controls, pages, checks, summary and the export run; the data
// selection behind page 2.
#include <QEvent>
#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>

#include "app/Main.h"
#include "app/MainHooks.h"
#include "app/ValueListEditor.h"
#include "app/xWizard.h"
#include "data/DataModule.h"
#include "data/uAccDateCmp.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccRecord.h"
#include "data/uAccRecordHooks.h"
#include "data/z5AppInfo.h"
#include "export/sy26.h"
#include "export/sy26Export.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "selection/z5ComDataSentaku.h"
#include "ui/forms/Application.h"
#include "ui/forms/Button.h"
#include "ui/forms/CheckBox.h"
#include "ui/forms/Edit.h"
#include "ui/forms/FileDialog.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xAnimeProgressDialog.h"
#include "ui/xKikanPanel16.h"
#include "ui/xPlButton.h"
#include "ui/z5MessageDlg2.h"

namespace {

// Fiscal month (1 to 12) of each cell of the period panel; cells 3, 7, 11 and 15 are the
// closing adjustments of their quarter.
constexpr std::array<int, 16> kCellMonth = {1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 9, 9, 10, 11, 12, 12};

bool IsClosingCell(int cell) { return cell == 3 || cell == 7 || cell == 11 || cell == 15; }

template <class T>
T* Make(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* control = new T(parent);
  control->SetName(name);
  control->SetBounds(left, top, width, height);
  return control;
}

forms::TLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, const char* caption) {
  auto* label = new forms::TLabel(parent);
  label->SetName(name);
  label->SetCaption(caption);
  label->SetLeft(left);
  label->SetTop(top);
  return label;
}

std::string Printf(const char* format, const std::string& a, const std::string& b = {}) {
  std::string out(format);
  const size_t first = out.find("%s");
  if (first != std::string::npos) out.replace(first, 2, a);
  const size_t second = out.find("%s", first == std::string::npos ? 0 : first + a.size());
  if (second != std::string::npos) out.replace(second, 2, b);
  return out;
}

// The folder part of a path without its trailing "/", "." segments and doubled separators
// ("/" for a file in the root).
std::string FolderPart(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path().lexically_normal();
  std::string text = folder.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool HasFolderPart(const std::string& path) { return path.find('/') != std::string::npos; }

}  // namespace

void TForm1::BuildControls() {
  SetName("Form1");
  SetBorderStyle(forms::bsSingle);
  SetBorderIcons(forms::biSystemMenu);
  SetPosition(forms::poScreenCenter);
  forms::TFontSpec font;
  font.Name = "ＭＳ Ｐゴシック";
  font.Height = -13;
  SetFont(font);
  SetClientSize(677, 439);

  Wizard1 = Make<TxWizard>(this, "Wizard1", 0, 0, 677, 384);
  auto* line = Make<forms::TPanel>(this, "Bevel1", 8, 388, 661, 2);
  line->SetBevelOuter(forms::bvLowered);
  Button1 = Make<forms::TButton>(this, "Button1", 352, 400, 100, 27);
  Button2 = Make<forms::TButton>(this, "Button2", 456, 400, 100, 27);
  btnCancel = Make<forms::TButton>(this, "btnCancel", 569, 400, 100, 27);
  btnCancel->SetCaption("ｷｬﾝｾﾙ");
  for (forms::TButton* b : {Button1, Button2, btnCancel}) b->SetAnchors(forms::akRight | forms::akBottom);
  SaveDialog1 = new forms::TSaveDialog(this);
  SaveDialog1->SetName("SaveDialog1");
  xAnimeProgressDialog1 = new TxAnimeProgressDialog(this);
  xAnimeProgressDialog1->SetName("xAnimeProgressDialog1");

  BuildPages();
  Wizard1->SetNextButton(Button2);
  Wizard1->SetBackButton(Button1);
  Wizard1->OnNextClicking = [this](QObject* s, bool f, bool& a) { Wizard1NextClicking(s, f, a); };
  Wizard1->OnNextClick = [this](QObject* s, bool f) { Wizard1NextClick(s, f); };
  Wizard1->OnPageChanged = [this](QObject* s) { Wizard1PageChanged(s); };
  btnCancel->OnClick = [this](QObject* s) { btnCancelClick(s); };
}

void TForm1::BuildPages() {
  QWidget* p1 = Wizard1->AddPage("page1");
  QWidget* p2 = Wizard1->AddPage("page2");
  QWidget* p3 = Wizard1->AddPage("page3");
  QWidget* p4 = Wizard1->AddPage("page4");
  QWidget* p5 = Wizard1->AddPage("page5");

  // page1: the introduction.
  Panel1 = Make<forms::TPanel>(p1, "Panel1", 16, 16, 645, 352);
  Panel1->SetBevelOuter(forms::bvNone);
  Panel1->SetEnabled(false);
  Memo1a = Make<forms::TMemo>(Panel1, "Memo1a", 24, 24, 600, 60);
  Memo1a->SetBorderStyle(forms::bsNone);
  Memo1a->SetColor(forms::clBtnFace);
  Memo1b = Make<forms::TMemo>(Panel1, "Memo1b", 24, 120, 600, 200);
  Memo1b->SetBorderStyle(forms::bsNone);
  Memo1b->SetColor(forms::clBtnFace);

  // page2: the data set.
  Label2a = MakeLabel(p2, "Label2a", 24, 24, "");
  btnDataSentaku = Make<TxPlButton>(p2, "btnDataSentaku", 24, 56, 160, 34);
  btnDataSentaku->CaptionA().SetCaption("データ選択を開く");
  btnDataSentaku->OnClick = [this](QObject* s) { btnDataSentakuClick(s); };
  listDataInfo = Make<TValueListEditor>(p2, "listDataInfo", 24, 104, 432, 150);
  listDataInfo->SetColWidths(150, 261);
  Label2c = MakeLabel(p2, "Label2c", 24, 336, "対象のデータが正しく指定されているか確認し、[次へ]をクリックしてください。");

  // page3: the period.
  Label3a = MakeLabel(p3, "Label3a", 24, 24, "計算条件を指定してください。");
  GroupBox3a = Make<forms::TGroupBox>(p3, "GroupBox3a", 24, 56, 420, 76);
  GroupBox3a->SetCaption("計算対象期間");
  xKikanPanel3a = Make<TxKikanPanel16>(GroupBox3a, "xKikanPanel3a", 16, 26, 388, 36);
  xKikanPanel3a->SetBackColor(forms::clNavy);
  xKikanPanel3a->SetKBDMOUSE(true);
  xKikanPanel3a->OnMouseUp = [this](QObject* s, forms::TMouseButton, forms::TShiftState, int, int) {
    xKikanPanel3aMouseUp(s);
  };
  GroupBox3b = Make<forms::TGroupBox>(p3, "GroupBox3b", 24, 148, 420, 56);
  GroupBox3b->SetCaption("消費税計算区分");
  RadioButton3a = Make<forms::TRadioButton>(GroupBox3b, "RadioButton3a", 24, 24, 100, 20);
  RadioButton3a->SetCaption("税込み");
  RadioButton3b = Make<forms::TRadioButton>(GroupBox3b, "RadioButton3b", 160, 24, 100, 20);
  RadioButton3b->SetCaption("税抜き");
  Label3b = MakeLabel(p3, "Label3b", 24, 336, "計算条件が正しく指定されているか確認し、[次へ]をクリックしてください。");

  // page4: the intermediate file.
  Label4a = MakeLabel(p4, "Label4a", 24, 24, "");
  GroupBox4a = Make<forms::TGroupBox>(p4, "GroupBox4a", 24, 56, 629, 64);
  GroupBox4a->SetCaption("中間ﾌｧｲﾙ");
  Edit4a = Make<forms::TEdit>(GroupBox4a, "Edit4a", 16, 26, 510, 22);
  BitBtn4a = Make<forms::TButton>(GroupBox4a, "BitBtn4a", 536, 24, 80, 26);
  BitBtn4a->SetCaption("参照");
  BitBtn4a->OnClick = [this](QObject* s) { BitBtn4aClick(s); };
  Label4b = MakeLabel(p4, "Label4b", 24, 336, "中間ファイル名が正しく指定されているか確認し、[次へ]をクリックしてください。");

  // page5: the summary.
  Memo5a = Make<forms::TMemo>(p5, "Memo5a", 24, 16, 629, 40);
  Memo5a->SetBorderStyle(forms::bsNone);
  Memo5a->SetColor(forms::clBtnFace);
  Memo5a->SetReadOnly(true);
  Memo5a->SetLines({"以上で設定が完了しました。", "内容を確認し、よろしければ[完了]をクリックしてください。"});
  Memo5b = Make<forms::TMemo>(p5, "Memo5b", 24, 64, 629, 304);
  Memo5b->SetReadOnly(true);
  Memo5b->SetScrollBars(forms::ssVertical);
  Memo5b->SetWordWrap(false);
  forms::TFontSpec mono;
  mono.Name = "ＭＳ ゴシック";
  mono.Height = -12;
  Memo5b->SetFont(mono);
  for (forms::TMemo* m : {Memo1a, Memo1b}) m->SetReadOnly(true);
}

void TForm1::SetPageTexts() {
  const std::string& source = Exporter->ProgramName;
  const std::string& target = Exporter->TargetName;
  if (CallerWnd == 0) {
    Memo1a->SetLines({Printf("『%s』から『%s』へデータを連動させるための", source, target), "中間ファイルを作成します。"});
  } else {
    Memo1a->SetLines({Printf("『%s』から『%s』へデータの連動をおこないます。", source, target)});
  }
  Memo1b->SetLines({Printf("『%s』が起動している場合は終了してください。", source), "", "", "", "", "",
                    "作成を始めるには[次へ]をクリックしてください。"});
  Label2a->SetCaption("連動元となる対象データを「データ選択を開く」ボタンを押して指定します。");
  xKikanPanel3a->SetKikanMove(true);
  GroupBox3b->SetVisible(false);
  if (Label4a) Label4a->SetCaption(Printf("連動先となる『%s』で使用する中間ファイルを指定します。", target));
  if (Edit4a) Edit4a->SetText(Exporter->ExportFile);
}

// ---------------------------------------------------------------------------------------------
// Page flow

void TForm1::Wizard1PageChanged(QObject*) {
  if (Wizard1->ActivePage() == "page2" && listDataInfo->RowCount() == 1) btnDataSentaku->SetFocus();
}

void TForm1::Wizard1NextClicking(QObject*, bool, bool& AllowChange) {
  AllowChange = false;
  const std::string page = Wizard1->ActivePage();
  if (page == "page2") {
    AllowChange = CheckDataSelected();
  } else if (page == "page3") {
    ApplyPeriodRule();
    if (CallerWnd != 0) ShowSummary();
    AllowChange = true;
  } else if (page == "page4") {
    if (CallerWnd != 0) {
      AllowChange = true;
      return;
    }
    const std::string file = Edit4a->Text();
    if (file.empty() || file.back() == '/') {
      uis::ShowMessage(uis::MsgKind::Warning, "中間ﾌｧｲﾙが指定されていません。\r指定してから[次へ]をｸﾘｯｸしてください。\r");
      Button2->SetCaption(Wizard1->NextButtonCap);
      return;
    }
    if (HasFolderPart(file) && FolderPart(file) == SystemDrive) {
      uis::ShowMessage(uis::MsgKind::Warning, Printf("ｼｽﾃﾑﾄﾞﾗｲﾌﾞ(%s)直下にﾌｧｲﾙは指定できません。", SystemDrive) +
                                                  "\r別のﾄﾞﾗｲﾌﾞまたはﾌｫﾙﾀﾞを指定してから[次へ]をｸﾘｯｸしてください。\r");
      Button2->SetCaption(Wizard1->NextButtonCap);
      return;
    }
    ShowSummary();
    AllowChange = true;
  } else {
    AllowChange = true;
  }
}

bool TForm1::CheckDataSelected() {
  if (SystemDef.DataDir.empty() || listDataInfo->RowCount() == 1) {
    uis::ShowMessage(uis::MsgKind::Warning,
                     "会計データの選択が行われていません。\r「データ選択を開く」ボタンを押して選択して下さい。");
    btnDataSentaku->SetFocus();
    return false;
  }
  if (Wizard1->PageIndexOf("page3") >= 0) {
    xKikanPanel3a->SetKikan(AccInf.SIME, AccInf.KISHU, AccInf.KIMATU, AccInf.KAISI);
    xKikanPanel3a->SetStno(AccInf.PrevKikanNo);
    xKikanPanel3a->SetEdno(AccInf.LastKikanNo);
    if (AccInf.TAXDEFUH == 0) RadioButton3a->SetChecked(true);
    if (AccInf.TAXDEFUH == 1) RadioButton3b->SetChecked(true);
  }
  TakeAccInfo(*Exporter, AccInf);
  return true;
}

void TForm1::ApplyPeriodRule() {
  const int start = xKikanPanel3a->Stno();
  if (IsClosingCell(start)) xKikanPanel3a->SetStno(start - 1);
}

void TForm1::xKikanPanel3aMouseUp(QObject*) { ApplyPeriodRule(); }

void TForm1::BitBtn4aClick(QObject*) {
  SaveDialog1->Title = "中間ﾌｧｲﾙの指定";
  SaveDialog1->InitialDir = DocumentsDir;
  SaveDialog1->Filter = "中間ﾌｧｲﾙ (*.xml)|*.XML|すべてのﾌｧｲﾙ(*.*)|*.*";
  SaveDialog1->DefaultExt = "xml";
  const std::string current = Edit4a->Text();
  SaveDialog1->FileName = !current.empty() && std::filesystem::is_regular_file(current) ? current : std::string();
  if (SaveDialog1->Execute()) Edit4a->SetText(SaveDialog1->FileName);
}

std::string TForm1::ResolvedExportFile(const std::string& text) const {
  return HasFolderPart(text) ? text : DocumentsDir + "/" + text;
}

void TForm1::ShowSummary() {
  TComDataExport& ex = *Exporter;
  TExportParams& p = ex.Params;
  std::vector<std::string> lines;
  lines.push_back("【連動元情報】");
  lines.push_back(" 会社名        : " + ex.KomonsakiName);
  lines.push_back(" 会計年度      : " + (p.FiscalYear > 0 ? std::to_string(p.FiscalYear) : std::string("-")) + " 期");
  lines.push_back(" 会計期間      : " + FormatDateStyleJ("yyyy年m月d日", 1, p.YearStart) + " ～ " +
                  FormatDateStyleJ("yyyy年m月d日", 1, p.YearEnd));
  lines.push_back("");
  lines.push_back("【ﾃﾞｰﾀ区分】");
  lines.push_back(std::string(" 法人個人区分  : ") + (p.DataType == 2 ? "個人" : "法人"));
  lines.push_back(std::string(" 課税区分      : ") + (p.Simplified != 0 ? "簡易" : "原則"));
  const char* method = p.AccumMethod != 0 ? "積上方式" : "原則方式";
  lines.push_back(std::string(" 売上税額計算  : ") + method);
  if (p.Simplified == 0) lines.push_back(std::string(" 仕入税額計算  : ") + method);

  p.StartSlot = xKikanPanel3a->Stno();
  p.EndSlot = xKikanPanel3a->Edno();
  p.LastSlot = xKikanPanel3a->LastNo();
  p.TaxCalcKind = RadioButton3a->Checked() ? 0 : 1;

  lines.push_back("");
  lines.push_back("【計算条件】");
  auto monthOf = [&](int monthIndex) { return GetSimeDate(monthIndex, p.ClosingDay, p.YearStart); };
  const int start = std::clamp(p.StartSlot, 0, 15);
  const int end = std::clamp(p.EndSlot, 0, 15);
  if (start == end) {
    lines.push_back(" 計算対象期間  : " + FormatDateStyleJ("yyyy年m月", 1, monthOf(kCellMonth[start] - 1)));
  } else {
    int endMonth = kCellMonth[end] - 1;
    if (p.LastSlot != 15 && p.LastSlot == end && end > 0) endMonth = kCellMonth[end - 1] - 1;
    lines.push_back(" 計算対象期間  : " + FormatDateStyleJ("yyyy年m月", 1, monthOf(kCellMonth[start] - 1)) + " ～ " +
                    FormatDateStyleJ("yy年m月", 1, monthOf(endMonth)));
  }

  if (CallerWnd == 0) {
    // A bare name is saved in the documents folder, where the summary says it goes.
    ex.ExportFile = ResolvedExportFile(Edit4a->Text());
    lines.push_back("");
    lines.push_back("【中間ﾌｧｲﾙ】");
    lines.push_back(" " + ex.ExportFile);
  }

  lines.push_back("");
  lines.push_back("【制限事項】");
  lines.push_back(" １）「課税標準額に対する消費税額の計算の特例の適用」には対応しておりません。");
  if (p.Simplified == 0) {
    lines.push_back(" ２）以下の輸入消費税区分は連動をおこないません。");
    lines.push_back("       521～523　課税輸入");
    lines.push_back("       571～573　課税輸入返還");
    lines.push_back("       721～723　課税輸入");
    lines.push_back("       771～773　課税輸入返還");
    lines.push_back(" ３）付表２の項目⑬の金額については連動をおこないません。");
  }
  Memo5b->Clear();
  Memo5b->SetLines(lines);
}

void TForm1::Wizard1NextClick(QObject*, bool FinalState) {
  if (!FinalState) return;
  xAnimeProgressDialog1->SetCaption("連動データの作成中");
  xAnimeProgressDialog1->SetInfoLabel("連動データの作成中です…");
  xAnimeProgressDialog1->SetAviFile(SystemDef.ExeDir + "/progress.avi");
  xAnimeProgressDialog1->SetCancelBtnShow(false);
  xAnimeProgressDialog1->Show(this);
  forms::Screen().SetCursor(forms::crHourGlass);

  int32_t result = 4;
  std::exception_ptr escaped;
  try {
    result = RunExport();
  } catch (...) {
    escaped = std::current_exception();
  }
  xAnimeProgressDialog1->Close();
  forms::Screen().SetCursor(forms::crDefault);
  if (result == 1) {
    if (CallerWnd == 0) uis::ShowMessage(uis::MsgKind::Information, "中間ファイルが作成されました。\r");
    ResultCode = 0;
    Close();
  } else if (result == 3) {
    ResultCode = 1;
  } else {
    uis::ShowMessage(uis::MsgKind::Error, "中間ファイルの作成に失敗しました。\r");
    ResultCode = 2;
    Close();
  }
  if (escaped) forms::HandleException(escaped);
}

int32_t TForm1::RunExport() {
  int32_t result = 4;
  try {
    WriteSyohizeiFile(*Exporter);
    result = 1;
  } catch (const EDataExportError& e) {
    xAnimeProgressDialog1->StartAnime(false);
    const std::string message = std::string(e.what()) + "\r" + e.Detail + "\r";
    if (e.Code == 16 || e.Code == 6) {
      uis::ShowMessage(uis::MsgKind::Information, message);
      result = 3;
    } else {
      uis::ShowMessage(uis::MsgKind::Error, message);
    }
  }
  return result;
}

void TForm1::btnCancelClick(QObject*) {
  if (uis::ShowMessage(uis::MsgKind::Information,
                       "[キャンセル]ボタンが押されました。\r連動データの作成ウィザードを終了してもよろしいですか？\r", {},
                       uis::Buttons::YesNo, uis::mrYes) == uis::mrYes) {
    ResultCode = 1;
    Close();
  }
}

// ---------------------------------------------------------------------------------------------
// Data selection

void TForm1::DisconnectData(const std::string& folder) {
  if (DM && DM->IBDatabaseDAT.Connected()) DM->AccDatDisconnect(folder, true, false);
  DataConnected = false;
}

void TForm1::FillDataInfo() {
  listDataInfo->Clear();
  std::string typeName;
  std::string codeName;
  try {
    TDM::GetDataTypeName(AccInf.DATATYPE, typeName);
    TDM::GetCodeTypeName(AccInf.DATATYPE, AccInf.CODETYPE, codeName, false);
  } catch (const std::exception&) {
    // A kind this program does not name is shown without its name.
  }
  listDataInfo->Add("データ区分=" + (codeName.empty() ? typeName : typeName + "／" + codeName));
  if (AccInf.DATATYPE == 1) listDataInfo->Add("会社名=" + AccInf.SHOUGOU);
  if (AccInf.DATATYPE == 2) listDataInfo->Add("データ名=" + AccInf.SHOUGOU);
  listDataInfo->Add("会計年度=" + std::to_string(AccInf.NENDO) + "期");
  listDataInfo->Add("会計期間=" + FormatKikanText(AccInf.KISHU, AccInf.KIMATU));
}

void TForm1::btnDataSentakuClick(QObject*) {
  if (DataConnected) {
    DisconnectData(SystemDef.DataDir);
    if (ProgramKind == 0) SendBackSharedData();
  }
  if (SelectData(3, 1)) FillDataInfo();
  if (SystemDef.DataDir.empty()) listDataInfo->Clear();
}

bool TForm1::SelectData(int32_t SyoriType, int32_t Ask) {
  if (SystemDef.DataDir.empty()) Ask = 1;
  DataVerText.clear();
  SystemDef.DialogFlag = 0;
  PrevDataDir = SystemDef.DataDir;
  bool result = false;
  bool first = true;
  auto confirm = [](const std::string& text) {
    return uis::ShowMessage(uis::MsgKind::Confirmation, text, {}, uis::Buttons::OkCancel, uis::mrOk) == uis::mrOk;
  };
  // Cancel in a confirmation: nothing stays selected.
  auto giveUp = [&] {
    SystemDef.DataDir.clear();
    return false;
  };
  for (;;) {
    int32_t run = 1;
    if (Ask == 1) {
      const std::string params = "SyoriType=" + std::to_string(SyoriType) + "\rJyokenSet=1\rDataVerMajor=" +
                                 Exporter->DataVerMajor;
      run = RunSyoriModuleProc ? RunSyoriModuleProc("VqDataSenkaku", 1, params) : -1;
    } else {
      Ask = 1;
    }
    result = run == 1;
    if (!result && !first) SystemDef.DataDir = PrevDataDir;
    first = false;
    if (SystemDef.DataDir.find_first_not_of(" \t") == std::string::npos) return result;
    if (ProgramKind == 0) {
      std::string sharePath;
      int32_t netDrive = 0, shareLock = 0;
      if (!DataListCtl().ConvLocalPathToSharePath(SystemDef.DataDir, sharePath, netDrive, shareLock)) {
        if (!confirm("共有データパスの変換に失敗しました。\rデータ選択画面を開き、選択しなおしますか？\r"))
          return giveUp();
        SystemDef.DataDir = PrevDataDir;
        continue;
      }
      if (ReceiveSharedData() != 1) {
        SystemDef.DataDir = PrevDataDir;
        continue;
      }
    }

    ShowExchangeProgress("接続中", "会計データに接続中です…");
    const std::string folder = SystemDef.DataDir;
    bool failed = false;
    bool cancelled = false;
    DataConnected = DM && DM->fnAccDatConnected(SystemDef.HostName, folder, true);
    if (!DataConnected) {
      cancelled = !confirm("データの接続に失敗しました。\rデータ選択画面を開き、別のデータを選択しますか？\r");
      failed = true;
    } else if (!DM->fnGetAccInfo()) {
      // A data set that is connected but unreadable is closed again with its own folder, so
      // that it is not left marked in use.
      DisconnectData(folder);
      cancelled = !confirm("データの接続に失敗しました。\rデータ選択画面を開き、別のデータを選択しますか？\r");
      failed = true;
    } else if (!DM->fnGetExistsOpeDefSisetu()) {
      cancelled = !confirm("このデータを扱う権限がありません。\rデータ選択画面を開き、別のデータを選択しますか？\r");
      DisconnectData(folder);
      failed = true;
    } else {
      std::string version;
      DM->fnGetDataBaseVer(version);
      DataVerText = version;
      if (!IsVersionAtLeast(version, Exporter->MinProgramVer)) {
        cancelled = !confirm("このプログラムで処理できるデータバージョンに達していません。\rデータバージョン:" +
                             Exporter->MinProgramVer + "以降のデータを選択して下さい。\r\r" +
                             "データ選択画面を開き、別のデータを選択しますか？\r");
        DisconnectData(folder);
        failed = true;
      }
    }
    if (failed && ProgramKind == 0) SendBackSharedData();
    xAnimeProgressDialog1->Close();
    if (cancelled) return giveUp();
    if (!failed) return result;
  }
}

TDataSentakuListCtl& TForm1::DataListCtl() {
  if (!ListCtl) {
    ListCtl = std::make_unique<TDataSentakuListCtl>();
    ListCtl->ConnectKind = ConnectMode;
  }
  return *ListCtl;
}

namespace {

void Warn(const std::string& text) { uis::ShowMessage(uis::MsgKind::Warning, text, {}, uis::Buttons::Ok, uis::mrOk); }

// The framework's information box with a text and a detail line.
void Inform(const std::string& text, const std::string& detail) {
  TMessage2InfoRec info;
  InitMessage2Info(2, info);
  info.Lines[0].Text = text;
  info.Lines[1].Text = detail;
  ShowMessage2(info);
}

// Where the selected data set lives: its share path, whether it is shared data (NETDRIVE 1)
// and whether it is taken to a computer (KYOYULOCK 1).
struct TShareState {
  std::string path;
  int32_t netDrive = 0;
  int32_t lock = 0;
};

// The share state of SystemDef.DataDir; false, after a warning box with `failure`, when the
// folder cannot be converted.
bool ShareStateOf(TDataSentakuListCtl& ctl, TShareState& share, const char* failure) {
  if (ctl.ConvLocalPathToSharePath(SystemDef.DataDir, share.path, share.netDrive, share.lock)) return true;
  Warn(failure);
  return false;
}

}  // namespace

// A data set kept on the share server is taken to this computer before it is opened, when the
// operator's settings ask for the automatic exchange.
int32_t TForm1::ReceiveSharedData() {
  if (ProgramKind != 0 || ConnectMode != 0) return 1;
  TDataSentakuListCtl& ctl = DataListCtl();
  TShareState share;
  if (!ShareStateOf(ctl, share, "共有データパスの変換に失敗しました。データ選択画面を開きます。")) return 0;
  const std::string& sharePath = share.path;
  if (share.netDrive != 1 || share.lock != 0) return 1;
  if (SystemDef.R4Bit1 == 0) {
    Warn("このデータは共有取得が行われていません。データ選択画面を開きます。");
    return 0;
  }
  ShowExchangeProgress("共有データ受信中", "共有データから受信中…");
  TDataSentakuRec row;
  int32_t got = 0;
  try {
    ctl.GetDataListRecordFromPath(SystemDef.DataDir, row);
    got = ctl.CheckKyoyuDataGet(row, 1);
  } catch (const std::exception& e) {
    xAnimeProgressDialog1->SetAnimeActive(false);
    Warn(e.what());
    xAnimeProgressDialog1->Close();
    return 0;
  }
  xAnimeProgressDialog1->Close();
  std::error_code ec;
  if (got == 1 && std::filesystem::exists(ResolvePath(SystemDef.DataDir + "/" + fw::AccDbFile), ec)) return 1;
  if (got != 0 && got != 1) return got;
  // The folder keeps its case: file names are case-sensitive here.
  PrevDataDir = row.DataFolder;
  Inform("共有サーバーが起動していない、接続が切断されている または 共有サーバー上のデータ領域が削除された可能性があります。",
         "共有データパス: " + sharePath);
  return 0;
}

// A data set taken from the share server goes back to it when it is closed; not while a check
// found it or one of its members damaged.
int32_t TForm1::SendBackSharedData() {
  if (ProgramKind != 0 || ConnectMode != 0 || SystemDef.DataDir.empty()) return 1;
  if (SystemDef.DataCheckFailed == 1) return 0;
  if (SystemDef.R4Bit1 == 0) return 1;
  TDataSentakuListCtl& ctl = DataListCtl();
  TShareState share;
  if (!ShareStateOf(ctl, share, "共有データパスの変換に失敗しました。共有データの自動保管は行えませんでした。")) return 0;
  if (share.netDrive != 1 || share.lock != 1) return 1;
  ShowExchangeProgress("共有データ送信中", "共有データへ送信中…");
  int32_t stored = 0;
  try {
    TDataSentakuRec row;
    ctl.GetDataListRecordFromPath(SystemDef.DataDir, row);
    bool sound = DM && DM->CallDataCheckHook(SystemDef.HostName, row.DataFolder, 1, 0) != 0;
    for (const TDataListRec& child : row.Children)
      if (sound) sound = DM->CallDataCheckHook(SystemDef.HostName, child.DataFolder, 1, 0) != 0;
    if (!sound) {
      xAnimeProgressDialog1->SetAnimeActive(false);
      Inform("合算・分散データに破損したデータが存在するため、共有データの自動保管を中止します。",
             "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。");
    } else {
      stored = ctl.CheckKyoyuDataPut(row, 1);
    }
  } catch (const std::exception& e) {
    xAnimeProgressDialog1->SetAnimeActive(false);
    Warn(e.what());
    stored = 0;
  }
  xAnimeProgressDialog1->Close();
  return stored;
}

void TForm1::ShowExchangeProgress(const std::string& caption, const std::string& info) {
  xAnimeProgressDialog1->SetCaption(caption);
  xAnimeProgressDialog1->SetInfoLabel(info);
  xAnimeProgressDialog1->SetAviFile(SystemDef.ExeDir + "/progress.avi");
  xAnimeProgressDialog1->SetCancelBtnShow(false);
  xAnimeProgressDialog1->Show(this);
}
