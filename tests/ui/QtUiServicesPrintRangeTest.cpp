// The print dialog of the Qt UI services, driven with clicks and keys: a page range, copies,
// collation and orientation come back in the request; cancel leaves it as it was.
#include <QImage>
#include <filesystem>
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "support/ScriptedUi.h"
#include "ui/QtUiServices.h"
#include "ui/forms/Application.h"
#include "ui/forms/Button.h"
#include "ui/forms/CheckBox.h"
#include "ui/forms/Edit.h"
#include "ui/forms/Label.h"

using namespace forms;

namespace {

class QtPrintRangeTest : public ::testing::Test {
 protected:
  QtUiServices qt;
  ScopedUi use{qt};

  static uis::PrintRangeRequest Request() {
    uis::PrintRangeRequest r;
    r.printerName = "PDF";
    r.maxPage = 6;
    r.toPage = 6;
    r.copies = 1;
    return r;
  }
  template <class T>
  static T* Find(TForm& f, const char* name) {
    auto* c = dynamic_cast<T*>(f.FindComponent(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  // Focuses `edit`, selects its text and types `text` over it.
  static void Retype(TEdit* edit, const QString& text) {
    edit->SetFocus();
    uitest::Pump();
    edit->SelectAll();
    uitest::Type(text);
  }
};

TEST_F(QtPrintRangeTest, RangeCopiesCollationAndOrientation) {
  std::string printer, pages;
  bool allFirst = false;
  uitest::ModalScript script({[&](TForm& f) {
    printer = Find<TLabel>(f, "lblPrinter")->Caption();
    pages = Find<TLabel>(f, "lblPages")->Caption();
    allFirst = Find<TRadioButton>(f, "rbAll")->Checked();
    // Typing a page number chooses the range; letters are refused.
    Retype(Find<TEdit>(f, "edFrom"), "3x");
    Retype(Find<TEdit>(f, "edTo"), "5");
    Retype(Find<TEdit>(f, "edCopies"), "3");
    uitest::Click(Find<TCheckBox>(f, "cbCollate"));
    uitest::Click(Find<TRadioButton>(f, "rbLandscape"));
    const QImage shot = f.grab().toImage();
    std::error_code ec;
    const auto build = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().parent_path();
    if (!ec) shot.save(QString::fromStdString((build / "print_range_dialog.png").string()));
    uitest::Click(Find<TButton>(f, "btnOK"));
  }});
  uis::PrintRangeRequest r = Request();
  ASSERT_TRUE(uis::Ui().PrintRange(r));
  EXPECT_EQ(printer, "プリンタ名:  PDF");
  EXPECT_EQ(pages, "(1～6 ページ)");
  EXPECT_TRUE(allFirst);
  EXPECT_TRUE(r.pageRange);
  EXPECT_EQ(r.fromPage, 3);
  EXPECT_EQ(r.toPage, 5);
  EXPECT_EQ(r.copies, 3);
  EXPECT_TRUE(r.collate);
  EXPECT_EQ(r.orientation, 1);
}

TEST_F(QtPrintRangeTest, RangeOutsideThePagesIsBroughtInsideAndCancelChangesNothing) {
  uitest::ModalScript outside({[&](TForm& f) {
    Retype(Find<TEdit>(f, "edFrom"), "0");
    Retype(Find<TEdit>(f, "edTo"), "99");
    Retype(Find<TEdit>(f, "edCopies"), "0");
    uitest::Key(Qt::Key_Return);  // the default button
  }});
  uis::PrintRangeRequest r = Request();
  ASSERT_TRUE(uis::Ui().PrintRange(r));
  EXPECT_TRUE(r.pageRange);
  EXPECT_EQ(r.fromPage, 1);
  EXPECT_EQ(r.toPage, 6);
  EXPECT_EQ(r.copies, 1);

  uitest::ModalScript cancel({[&](TForm& f) {
    Retype(Find<TEdit>(f, "edFrom"), "2");
    uitest::Key(Qt::Key_Escape);
  }});
  uis::PrintRangeRequest c = Request();
  EXPECT_FALSE(uis::Ui().PrintRange(c));
  EXPECT_FALSE(c.pageRange);
  EXPECT_EQ(c.fromPage, 1);
}

}  // namespace
