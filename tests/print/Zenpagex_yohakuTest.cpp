// The margin dialog and its number fields, driven with keys and clicks as a user does.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include "PrintTestSupport.h"
#include "print/Zenpagex_yohaku.h"
#include "ui/forms/Application.h"

namespace {

class MarginDialog : public PrintTest {
 protected:
  void SetUp() override {
    PrintTest::SetUp();
    dlg_ = forms::CreateForm<Tfmyohaku>(nullptr);
  }
  void TearDown() override {
    dlg_->Free();
    PrintTest::TearDown();
  }
  // Focuses `edit` and types `keys` into it.
  static void TypeInto(TEditZpx* edit, const QString& keys) {
    edit->SetFocus();
    printtest::Pump();
    printtest::Type(keys);
  }

  Tfmyohaku* dlg_ = nullptr;
};

TEST_F(MarginDialog, CharFilterTable) {
  struct Case {
    const char* text;
    char32_t key;
    int mode;
    bool allSelected;
    bool accepted;
  };
  const Case cases[] = {
      {"", U'5', 0, false, true},   {"", 8, 0, false, false},     {"12", U'0', 0, false, true},
      {"0", U'0', 0, false, false}, {"00", U'0', 1, false, false}, {"", 8, 1, false, true},
      {"0", U'0', 2, false, false}, {"0", U'0', 2, true, true},   {"", U'.', 2, false, false},
      {"1.", U'.', 2, false, false}, {"1", U'.', 2, false, true}, {".", U'0', 2, false, false},
      {"", U'-', 3, false, true},   {"5", U'-', 3, false, false}, {"5", U'-', 3, true, true},
      {"-", U'0', 3, false, false}, {"-", U'5', 3, false, true},  {"0", U'0', 3, true, true},
      {"1", U'.', 3, false, false}, {"1", U'a', 3, false, false}, {"", 8, 3, false, true},
      {".", U'0', 4, false, false}, {"-1", U'.', 4, false, true}, {"-1.5", U'.', 4, false, false},
      {"", U'-', 4, false, true},   {"1", U'x', 4, false, false},
  };
  for (const auto& c : cases) {
    const char32_t got = CharFilter(c.text, c.key, c.mode, c.allSelected);
    EXPECT_EQ(got, c.accepted ? c.key : 0) << "mode " << c.mode << " text \"" << c.text << "\" key "
                                            << static_cast<int>(c.key) << (c.allSelected ? " all selected" : "");
  }
}

TEST_F(MarginDialog, ValuesBeyondTheLimitsShowClampedAndOkStoresThem) {
  dlg_->SetTopMargin(150);
  dlg_->SetLeftMargin(-30);
  dlg_->SetVRatio(900);
  dlg_->SetHRatio(1020);
  EXPECT_EQ(dlg_->ED_TOP->Text(), "100");
  EXPECT_EQ(dlg_->ED_LEFT->Text(), "-30");
  EXPECT_EQ(dlg_->ED_VRATIO->Text(), "0");
  EXPECT_EQ(dlg_->ED_HRATIO->Text(), "20");
  printtest::ModalScript script({[&](QWidget& w) {
    printtest::Screenshot(w, "margin_dialog.png");
    printtest::Click(dlg_->Button1);
  }});
  EXPECT_EQ(dlg_->ShowModal(), forms::mrOk);
  EXPECT_EQ(dlg_->TopMargin(), 100);
  EXPECT_EQ(dlg_->LeftMargin(), -30);
  EXPECT_EQ(dlg_->VRatio(), 1000);
  EXPECT_EQ(dlg_->HRatio(), 1020);
}

TEST_F(MarginDialog, TypingUpDownsAndLeavingAField) {
  printtest::ModalScript script({[&](QWidget&) {
    // Three characters at most: "-99" can be typed, a fourth key is refused.
    TypeInto(dlg_->ED_TOP, "-999");
    EXPECT_EQ(dlg_->ED_TOP->Text(), "-99");
    // A '-' in the middle and letters are refused.
    TypeInto(dlg_->ED_LEFT, "1-x5");
    EXPECT_EQ(dlg_->ED_LEFT->Text(), "15");
    // Beyond the limit: clamped when the field is left.
    TypeInto(dlg_->ED_VRATIO, "75");
    printtest::Key(Qt::Key_Return);
    EXPECT_EQ(dlg_->ED_VRATIO->Text(), "50");
    // Only a '-' left in a field reads as 0.
    TypeInto(dlg_->ED_HRATIO, "-");
    EXPECT_EQ(dlg_->ED_HRATIO->Text(), "-");
    // The up-down steps from the typed number by its increment.
    printtest::Click(dlg_->UpDown1, QPoint(dlg_->UpDown1->width() / 2, 2));
    EXPECT_EQ(dlg_->ED_LEFT->Text(), "25");
    printtest::Click(dlg_->UpDown2, QPoint(dlg_->UpDown2->width() / 2, dlg_->UpDown2->height() - 2));
    EXPECT_EQ(dlg_->ED_TOP->Text(), "-100");
    printtest::Click(dlg_->UpDown2, QPoint(dlg_->UpDown2->width() / 2, dlg_->UpDown2->height() - 2));
    EXPECT_EQ(dlg_->ED_TOP->Text(), "-100");
    printtest::Click(dlg_->Button1);
  }});
  EXPECT_EQ(dlg_->ShowModal(), forms::mrOk);
  EXPECT_EQ(dlg_->TopMargin(), -100);
  EXPECT_EQ(dlg_->LeftMargin(), 25);
  EXPECT_EQ(dlg_->VRatio(), 1050);
  EXPECT_EQ(dlg_->HRatio(), 1000);
}

TEST_F(MarginDialog, NothingCanBePastedIntoAField) {
  QApplication::clipboard()->setText("55");
  printtest::ModalScript script({[&](QWidget&) {
    dlg_->ED_TOP->SetFocus();
    printtest::Pump();
    dlg_->ED_TOP->selectAll();
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QCoreApplication::sendEvent(dlg_->ED_TOP, &paste);
    QKeyEvent shiftInsert(QEvent::KeyPress, Qt::Key_Insert, Qt::ShiftModifier);
    QCoreApplication::sendEvent(dlg_->ED_TOP, &shiftInsert);
    printtest::Pump();
    EXPECT_EQ(dlg_->ED_TOP->Text(), "0");
    dlg_->Close();  // the close box
  }});
  EXPECT_NE(dlg_->ShowModal(), forms::mrOk);
}

}  // namespace
