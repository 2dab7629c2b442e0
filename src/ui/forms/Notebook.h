#pragma once
// The notebook: a stack of named pages of which one is shown. Controls are placed on the
// pages (Page(i) is their parent). Changing the page first takes the focus off a control of
// the old page, then focuses the first control of the new one, then fires OnPageChanged.
#include <QStackedWidget>
#include <string>
#include <string_view>
#include <vector>

#include "ui/forms/Control.h"

namespace forms {

class TPage : public TWidgetControl<QWidget> {
 public:
  explicit TPage(QWidget* parent);
  std::string Caption() const { return Name(); }
};

class TNotebook : public TWidgetControl<QStackedWidget> {
 public:
  explicit TNotebook(QWidget* parent);

  // Appends a page named `name`.
  TPage* AddPage(std::string_view name);
  // Removes (and frees) page `index`; the page index keeps pointing at a valid page.
  void DeletePage(int index);
  int PageCount() const { return count(); }
  TPage* Page(int index) const;
  // The page of that name (compared without regard to case); null when none.
  TPage* PageByName(std::string_view name) const;
  int PageIndexOf(std::string_view name) const;
  // The page names in order.
  std::vector<std::string> Pages() const;

  int PageIndex() const { return currentIndex(); }
  void SetPageIndex(int index);
  std::string ActivePage() const;
  void SetActivePage(std::string_view name);

  TNotifyEvent OnPageChanged;
};

}  // namespace forms
