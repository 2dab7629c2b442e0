// The dialog base form's layout work: the period panels at creation; on the first show the
// rescale of a form designed at 96 dpi to the screen, the frame-width shift, the layout
// record and the rescale to the operator's font; the grid colours.
#include "ui/SDILayout.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QStringList>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "data/uAccFunction2.h"
#include "data/uAccRecord.h"
#include "ui/GKitSpreadControl.h"
#include "ui/PerfectGrid.h"
#include "ui/SDI.h"
#include "ui/forms/Application.h"
#include "ui/forms/ComboBox.h"
#include "ui/forms/Label.h"
#include "ui/forms/Panel.h"
#include "ui/TallixDateEdit.h"
#include "ui/TallixExDateEdit.h"
#include "ui/xKikanPanel12.h"
#include "ui/xKikanPanel16.h"
#include "ui/xKikanPanel4.h"
#include "ui/xPlButton.h"

using namespace forms;

// ---------------------------------------------------------------------------------------
// Arithmetic

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  std::int64_t num = static_cast<std::int64_t>(number) * numerator;
  std::int64_t den = denominator;
  if (den < 0) num = -num, den = -den;
  // Halves away from zero.
  std::int64_t q = num / den, rem = num % den;
  if (rem < 0) rem = -rem;
  if (rem * 2 >= den) q += num < 0 ? -1 : 1;
  if (q > std::numeric_limits<int>::max() || q < std::numeric_limits<int>::min()) return -1;
  return static_cast<int>(q);
}

TFontScale ComputeFontScale(int screenDpi, int baseFontSize, int envFontSize) {
  TFontScale s;
  const int env = MulDiv(envFontSize, screenDpi, 96);
  const int base = MulDiv(baseFontSize, screenDpi, 96);
  if (base <= 0 || env <= 0) {
    // No font to compare with: the form stays as the screen shows it.
    s.baseDpi = s.ppi = screenDpi;
    return s;
  }
  s.baseDpi = baseFontSize == 10 ? screenDpi : 96;
  // Whole percent, truncated; exact integer arithmetic (12 over 10 is 120, not 119.99).
  s.scale = static_cast<int>(static_cast<long long>(env) * 100 / base);
  s.ppi = static_cast<int>((static_cast<long long>(s.baseDpi) * s.scale + 50) / 100);
  return s;
}

TFontSpec FontSpecOf(const TAppFont& font, int ppi) {
  TFontSpec qtFont;
  qtFont.Name = font.Name;
  qtFont.SetSize(font.Size, ppi);
  qtFont.Style = (font.Bold ? fsBold : 0u) | (font.Italic ? fsItalic : 0u);
  qtFont.Charset = font.CharSet;
  return qtFont;
}

namespace {

// Scales a value recorded at 96 dpi to the form's pixels per inch, truncating.
int FromDesign(double value, int ppi) { return static_cast<int>(std::trunc(value * ppi / 96.0)); }

// The controls directly inside `parent` (child windows are forms of their own).
std::vector<TControl*> ChildControlsOf(QWidget* parent) {
  std::vector<TControl*> list;
  for (QObject* child : parent->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w->isWindow()) continue;
    if (auto* c = dynamic_cast<TControl*>(child)) list.push_back(c);
  }
  return list;
}

struct Bounds {
  TControl* control;
  QRect rect;
};

void CollectBounds(QWidget* parent, std::vector<Bounds>& out) {
  for (TControl* c : ChildControlsOf(parent)) {
    out.push_back({c, QRect(c->Left(), c->Top(), c->Width(), c->Height())});
    CollectBounds(c->Widget(), out);
  }
}

void ScaleOwnFont(TControl* c, int M, int D, bool always) {
  if (!always && c->ParentFont()) return;
  TFontSpec f = c->Font();
  f.Height = MulDiv(f.Height, M, D);
  c->SetFont(f);
}

// Inside a chain of panels one of which is named `a` or `b`.
bool InsidePanelNamed(TControl* c, const char* a, const char* b) {
  for (TControl* p = c->Parent(); p && dynamic_cast<TPanel*>(p); p = p->Parent()) {
    if (p->Name() == a || p->Name() == b) return true;
  }
  return false;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
  }
}

// Splits a spread grid's list; items numbered from 1 as the grid numbers them.
QString ItemOf(const QStringList& items, int n) { return n >= 1 && n <= items.size() ? items[n - 1] : QString(); }

}  // namespace

// ---------------------------------------------------------------------------------------
// Scaling the form

void TBSDI::ScaleBy(int M, int D) {
  if (M == D || D == 0) return;
  // Every bound is taken before anything moves, so that anchors and alignment reacting to a
  // parent's new size cannot scale a control twice.
  std::vector<Bounds> bounds;
  CollectBounds(this, bounds);
  const int cw = ClientWidth(), ch = ClientHeight();
  ScaleOwnFont(this, M, D, true);
  SetClientSize(MulDiv(cw, M, D), MulDiv(ch, M, D));
  for (const Bounds& b : bounds) {
    ScaleOwnFont(b.control, M, D, false);
    const int left = MulDiv(b.rect.left(), M, D), top = MulDiv(b.rect.top(), M, D);
    const int right = MulDiv(b.rect.left() + b.rect.width(), M, D);
    const int bottom = MulDiv(b.rect.top() + b.rect.height(), M, D);
    b.control->SetBounds(left, top, right - left, bottom - top);
  }
}

void TBSDI::ScaleLoadedForm() {
  // Forms are designed at 96 dpi; on another screen they are first brought to the screen's
  // density, as loading a form does. Grid columns are left to ApplyFontScale.
  const int screen = Screen().PixelsPerInch();
  if (pixelsPerInch_ == screen || screen <= 0) return;
  ScaleBy(screen, pixelsPerInch_);
  pixelsPerInch_ = screen;
}

// ---------------------------------------------------------------------------------------
// Period panels

namespace {

// The date edit to the company's fiscal year and the operator's settings: the era display, and
// the part the caret starts in.
void SetupDateEdit(TTallixDateEdit& edit, bool eraForm) {
  if (OemKind == 1 || OemKind == 2) {
    edit.SetDisplayKind(2);
    edit.SetDateStyle(3);
    edit.SetCurrentPart(TTallixDateEdit::dpMonth);
    edit.SetMinDate(AccInf.KISHU);
    edit.SetMaxDate(AccInf.KIMATU);
  }
  edit.SetCurrentPart(SystemDef.仕訳日付フォーカス);
  const uint8_t flag = edit.ExtraFlag();
  if (eraForm) {
    edit.SetEraMode(true);
    edit.SetMinDate(AccInf.KISHU);
    edit.SetMaxDate(AccInf.KIMATU);
    edit.LoadEraTable(dateedit::SystemEras());
  } else {
    edit.SetEraMode(false);
  }
  edit.SetExtraFlag(flag);
}

}  // namespace

int KikanCellOfMonth(int month) {
  if (month < 1 || month > 12) return 0;
  return month - 1 + (month - 1) / 3;
}

void TBSDI::SetupKikanPanels() {
  // A missing panel is skipped. (The operator's period mode, which would start the panels on
  // the first periods, is never set in this program.)
  if (auto* panel = dynamic_cast<TxKikanPanel16*>(FindComponent("KikanPanel16"))) {
    panel->SetKikan(AccInf.SIME, AccInf.KISHU, AccInf.KIMATU, AccInf.KAISI);
    const int cell = KikanCellOfMonth(AccInf.KAISINO);
    FKikanStartCell = cell;
    panel->SetStno(cell);
    panel->SetEdno(panel->KikanMove() ? 15 : panel->Stno());
  }
  if (auto* panel = dynamic_cast<TxKikanPanel12*>(FindComponent("KikanPanel12"))) {
    panel->SetKikan(AccInf.SIME, AccInf.KISHU, AccInf.KIMATU, AccInf.KAISI);
    panel->SetStno(AccInf.KAISINO - 1);
    panel->SetEdno(panel->KikanMove() ? 11 : AccInf.KAISINO - 1);
  }
  for (const char* name : {"KikanPanel4", "KikanPanel2"}) {
    if (auto* panel = dynamic_cast<TxKikanPanel4*>(FindComponent(name))) {
      panel->SetKikan(AccInf.SIME, AccInf.KISHU, AccInf.KIMATU, AccInf.KAISI);
    }
  }
  const bool eraForm = SystemDef.R4Bit10 == 1;
  for (TComponent* c : Components()) {
    if (auto* spread = dynamic_cast<TSpreadGrid*>(c)) gkspread::SetNoBeep(*spread, true);
    if (auto* edit = dynamic_cast<TTallixDateEdit*>(c)) SetupDateEdit(*edit, eraForm);
    if (auto* edit = dynamic_cast<TTallixExDateEdit*>(c)) {
      edit->SetEraMode(eraForm);
      if (eraForm) {
        edit->SetEraDisplay(1);
        edit->LoadEraTable(dateedit::SystemEras());
      }
    }
  }
}

// ---------------------------------------------------------------------------------------
// Frame width

void TBSDI::AdjustFrameWidth() {
  const int excess = SystemDef.ExtraHeight;
  if (BorderStyle() == bsDialog || excess < 0) return;
  for (TComponent* component : Components()) {
    auto* control = dynamic_cast<TControl*>(component);
    if (!control) continue;
    auto* panel = dynamic_cast<TPanel*>(control);
    const bool leftPanel = panel && panel->Align() == alLeft;
    if (leftPanel) {
      if (panel->Left() == 0) panel->SetWidth(panel->Width() - excess);
      else if (panel->Anchors() == (akLeft | akTop | akRight | akBottom)) panel->SetWidth(panel->Width() + excess);
      continue;
    }
    if (control->Parent() && dynamic_cast<TGroupBox*>(control->Parent())) continue;
    if (InsidePanelNamed(control, "pnlSwkInA", "pnlChoseiNasi")) continue;
    control->SetLeft(std::max(control->Left() - excess, 0));
  }
}

// ---------------------------------------------------------------------------------------
// Layout record

void TBSDI::FreeLayoutRecords() { FLayoutRecs.clear(); }

void TBSDI::ApplyConstraints() {
  // Constraints count the outer size; only resizable forms have any (fixed ones keep theirs).
  if (BorderStyle() != bsSizeable && BorderStyle() != bsSizeToolWin) return;
  const int fw = Width() - ClientWidth(), fh = Height() - ClientHeight();
  setMinimumSize(std::max(FMinWidth - fw, 0), std::max(FMinHeight - fh, 0));
  setMaximumSize(FMaxWidth > 0 ? std::max(FMaxWidth - fw, 0) : QWIDGETSIZE_MAX,
                 FMaxHeight > 0 ? std::max(FMaxHeight - fh, 0) : QWIDGETSIZE_MAX);
}

void TBSDI::SaveInitialLayout() {
  const std::vector<TComponent*> components = Components();
  if (!FLayoutRecs.empty() && FLayoutRecs.size() != components.size()) FreeLayoutRecords();
  if (FLayoutRecs.empty()) FLayoutRecs.resize(components.size());

  if (FDesignWidth == 0) FDesignWidth = Width();
  if (FDesignHeight == 0) FDesignHeight = Height();
  if (FSaveSize && BorderStyle() != bsDialog) {
    if (FMinWidth == 0) FMinWidth = Width() * 6 / 10;
    if (FMinHeight == 0) FMinHeight = Height() * 6 / 10;
    FMaxWidth = FMaxHeight = 0;
  } else {
    FMinWidth = FMinHeight = FMaxWidth = FMaxHeight = 0;
  }
  if (pixelsPerInch_ <= 96) {
    FMaxWidth = Screen().Width();
    FMaxHeight = Screen().Height();
  }
  ApplyConstraints();

  const int screenDpi = Screen().PixelsPerInch();
  const int baseDpi = ComputeFontScale(screenDpi, SystemDef.SecondFont.Size, SystemDef.AppFont.Size).baseDpi;
  for (size_t i = 0; i < FLayoutRecs.size(); ++i) {
    auto* control = dynamic_cast<TControl*>(components[i]);
    if (!control) continue;
    TLayoutRec& rec = FLayoutRecs[i];
    control->SetShowHint(SystemDef.ShowHint != 0);

    if (auto* spread = dynamic_cast<TSpreadGrid*>(control)) {
      if (!rec.Columns) rec.Columns = std::make_unique<TColumnLayoutRec>();
      TColumnLayoutRec& col = *rec.Columns;
      gkspread::SetRedraw(*spread, false);
      col.SizeA = gkspread::GetRowHeightMin(*spread);
      col.SizeB = gkspread::GetColWidthMin(*spread);
      col.DividerV = gkspread::GetWindowDividerVert(*spread);
      col.DividerH = gkspread::GetWindowDividerHorz(*spread);
      const QStringList heights = gkspread::GetRowsHeight(*spread).split(gkspread::GetRowSep(*spread));
      col.FrozenHeights.clear();
      for (int r = 0; r <= gkspread::GetRowsFrozen(*spread); ++r) {
        bool ok = false;
        const int h = ItemOf(heights, r + 1).trimmed().toInt(&ok);
        col.FrozenHeights.push_back(ok ? h : -1);
      }
      const QStringList widths = gkspread::GetColsWidth(*spread).split(QLatin1Char('|'));
      const int cols = gkspread::GetCols(*spread);
      col.ColWidths.clear();
      for (int c = 0; c <= cols; ++c) {
        const QString item = c < widths.size() ? widths[c].trimmed() : QString();
        bool ok = false;
        const int w = item.toInt(&ok);
        col.ColWidths[c] = item.isEmpty() ? static_cast<int>(std::lround(col.SizeB)) : ok ? w : 0;
      }
      gkspread::SetRedraw(*spread, true);
    } else if (auto* grid = dynamic_cast<TPerfectGrid*>(control)) {
      // The grid's bounds are brought to the base density before they are recorded.
      grid->SetBounds(grid->Left(), grid->Top(), ScaleByDpi(grid->Width(), baseDpi, screenDpi),
                      ScaleByDpi(grid->Height(), baseDpi, screenDpi));
      if (!rec.Columns) rec.Columns = std::make_unique<TColumnLayoutRec>();
      TColumnLayoutRec& col = *rec.Columns;
      col.SizeA = grid->DefHeight();
      col.SizeB = grid->DefWidth();
      col.ColWidths.clear();
      for (int c = -grid->FixedLefts(); c < grid->Cols(); ++c) col.ColWidths[c] = grid->ColWidth(c);
    }

    rec.Top = control->Top();
    rec.Height = control->Height();
    rec.Left = control->Left();
    rec.Width = control->Width();
    rec.Tag = control->Tag();
    if (auto* combo = dynamic_cast<QComboBox*>(control->Widget())) rec.ItemHeight = QFontMetrics(combo->font()).height();

    if (AccInf.IsMedical == 1) {
      if (auto* label = dynamic_cast<TLabel*>(control)) {
        std::string caption = label->Caption();
        ReplaceAll(caption, "本・支店", "施設");
        ReplaceAll(caption, "支店", "施設");
        if (caption != label->Caption()) label->SetCaption(caption);
      }
    }
  }
}

// ---------------------------------------------------------------------------------------
// Font scale

void TBSDI::ApplyFontScale() {
  // Repaints stay off until the whole form is rescaled.
  struct UpdatesOff {
    QWidget* w;
    bool was;
    explicit UpdatesOff(QWidget* widget) : w(widget), was(widget->updatesEnabled()) { w->setUpdatesEnabled(false); }
    ~UpdatesOff() { w->setUpdatesEnabled(was); }
  } updatesOff(this);

  const int screenDpi = Screen().PixelsPerInch();
  const bool hasEnvFont = !SystemDef.AppFont.Name.empty();
  const TFontScale s = ComputeFontScale(screenDpi, SystemDef.SecondFont.Size, SystemDef.AppFont.Size);
  FFontScale = s.scale;
  ScaleBy(s.ppi, s.baseDpi);
  pixelsPerInch_ = s.ppi;
  const TFontSpec envFont = hasEnvFont ? FontSpecOf(SystemDef.AppFont, screenDpi) : Font();
  const int ppi = pixelsPerInch_;

  const std::vector<TComponent*> components = Components();
  for (size_t i = 0; i < FLayoutRecs.size() && i < components.size(); ++i) {
    auto* control = dynamic_cast<TControl*>(components[i]);
    if (!control) continue;
    const TLayoutRec& rec = FLayoutRecs[i];
    if (auto* spread = dynamic_cast<TSpreadGrid*>(control)) {
      if (!rec.Columns) continue;
      const TColumnLayoutRec& col = *rec.Columns;
      gkspread::SetRedraw(*spread, false);
      spread->SetFont(envFont);
      gkspread::SetRowHeightMin(*spread, FromDesign(col.SizeA, ppi));
      for (size_t r = 0; r < col.FrozenHeights.size(); ++r) {
        if (col.FrozenHeights[r] > 0) {
          gkspread::SetCelHeight(*spread, static_cast<int16_t>(r), 0, FromDesign(col.FrozenHeights[r], ppi));
        }
      }
      const int16_t frozen = gkspread::GetRowsFrozen(*spread);
      if (frozen > 0) {
        gkspread::SetRowsFrozen(*spread, 0);
        gkspread::SetRowsFrozen(*spread, frozen);
      }
      gkspread::SetColWidthMin(*spread, FromDesign(col.SizeB, ppi));
      QString list;
      for (const QString& item : gkspread::GetColsWidth(*spread).split(QLatin1Char('|'))) {
        bool ok = false;
        const int w = item.trimmed().toInt(&ok);
        list += ok ? QString::number(FromDesign(w, ppi)) + QLatin1Char('|') : QStringLiteral("|");
      }
      gkspread::SetColsWidth(*spread, list);
      gkspread::SetRedraw(*spread, true);
    } else if (auto* grid = dynamic_cast<TPerfectGrid*>(control)) {
      grid->SetFont(envFont);
      grid->SetDefHeight(FromDesign(grid->DefHeight(), ppi));
      grid->SetDefWidth(FromDesign(grid->DefWidth(), ppi));
      for (int c = -grid->FixedLefts(); c < grid->Cols(); ++c) grid->SetColWidth(c, FromDesign(grid->ColWidth(c), ppi));
    } else if (auto* button = dynamic_cast<TxPlButton*>(control)) {
      if (button->Image().Picture().Empty()) {
        button->SetCaptionVertCenter(true);
        button->Image().SetVertCenter(true);
      }
    }
  }
  if (hasEnvFont) SetFont(envFont);
}

// ---------------------------------------------------------------------------------------
// Grid colours

void TBSDI::SetGridColors(TPerfectGrid* grid, int mode) {
  if (!grid) return;
  grid->SetFixedBackColor(SystemDef.ColHeaderColor);
  grid->SetFixedBorderColor(0x808080);
  grid->SetBackColor(SystemDef.ClientColor);
  grid->SetOddRowBackColor(SystemDef.ClientColor);
  grid->SetFocusBorderColor(SystemDef.ActiveColor);
  grid->SetBorderColor(0x808080);
  grid->SetThruBorderColor(OemKind == 1 || OemKind == 2 ? 0x246BFF : 0x008000);
  grid->SetDisabledColor(0x808080);
  grid->SetVoidAreaColor(clGrayText);
  if (mode != 1) {
    grid->SetBackColor(SystemDef.ClientColor1);
    grid->SetOddRowBackColor(SystemDef.ClientColor2);
  }
}
