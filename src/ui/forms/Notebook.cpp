#include "ui/forms/Notebook.h"

#include "platform/AsciiCase.h"
#include "ui/forms/Form.h"

namespace forms {
namespace {

bool Contains(const TControl* outer, const TControl* inner) {
  for (const TControl* c = inner; c; c = c->Parent()) {
    if (c == outer) return true;
  }
  return false;
}

}  // namespace

TPage::TPage(QWidget* parent) : TWidgetControl<QWidget>(parent) {
  SetParentColor(true);
  SetTabStop(false);
  setFocusPolicy(Qt::NoFocus);
}

TNotebook::TNotebook(QWidget* parent) : TWidgetControl<QStackedWidget>(parent) {
  SetParentColor(true);
  SetTabStop(false);
  setFocusPolicy(Qt::NoFocus);
  resize(150, 150);
}

TPage* TNotebook::AddPage(std::string_view name) {
  auto* page = new TPage(this);
  page->SetName(name);
  const int previous = currentIndex();
  addWidget(page);
  // The first page becomes the current one; later pages wait to be chosen.
  if (previous >= 0) setCurrentIndex(previous);
  return page;
}

void TNotebook::DeletePage(int index) {
  TPage* page = Page(index);
  if (!page) return;
  if (TForm* form = ParentForm()) {
    if (Contains(page, form->ActiveControl())) form->SetActiveControl(this);
  }
  removeWidget(page);
  delete page;
}

TPage* TNotebook::Page(int index) const {
  return index >= 0 && index < count() ? dynamic_cast<TPage*>(widget(index)) : nullptr;
}

int TNotebook::PageIndexOf(std::string_view name) const {
  for (int i = 0; i < count(); ++i) {
    if (TPage* page = Page(i); page && ascii::SameText(page->Name(), name)) return i;
  }
  return -1;
}

TPage* TNotebook::PageByName(std::string_view name) const { return Page(PageIndexOf(name)); }

std::vector<std::string> TNotebook::Pages() const {
  std::vector<std::string> names;
  for (int i = 0; i < count(); ++i) names.push_back(Page(i) ? Page(i)->Name() : std::string());
  return names;
}

void TNotebook::SetPageIndex(int index) {
  if (index == currentIndex() || index < 0 || index >= count()) return;
  TForm* form = ParentForm();
  // Take the focus off the page that goes away, so Qt does not pass it on by itself.
  if (form && Contains(this, form->ActiveControl())) setFocus(Qt::OtherFocusReason);
  setCurrentIndex(index);
  if (form && form->ActiveControl() == this) SelectFirst();
  if (OnPageChanged) OnPageChanged(this);
}

std::string TNotebook::ActivePage() const {
  TPage* page = Page(currentIndex());
  return page ? page->Name() : std::string();
}

void TNotebook::SetActivePage(std::string_view name) {
  const int index = PageIndexOf(name);
  if (index >= 0) SetPageIndex(index);
}

}  // namespace forms
