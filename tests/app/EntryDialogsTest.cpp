// The coordinate entry dialog and the name and code entry dialog, driven by
// keys as a user types them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <array>

#include "app/UiLook.h"
#include "records/Unit2.h"
#include "records/Unit3.h"
#include "tests/app/ModalDriver.h"
#include "tests/app/QtPrinters.h"

namespace vel::test {
namespace {

constexpr char kUntouched = '\x5A';  // a byte no dialog writes

QWidget* focused() {
  return QApplication::focusWidget();
}

// Types into whichever field has the focus, as the keyboard does; keys of
// characters beyond ASCII carry their text alone, as from an input method.
void typeText(const QString& text) {
  if (!focused()) {
    ADD_FAILURE() << "no field has the focus";
    return;
  }
  for (const QChar c : text) {
    if (c.unicode() < 128) {
      QTest::keyClicks(focused(), QString(c));
    } else {
      QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
}
void press(Qt::Key key) {
  if (!focused()) {
    ADD_FAILURE() << "no field has the focus";
    return;
  }
  QTest::keyClick(focused(), key);
}

class EntryDialogTest : public ::testing::Test {
 protected:
  ScopedScreenScale designScale{1.0};
};

// --- Coordinate entry dialog ----------------------------------------------------

class CoordinateDialogTest : public EntryDialogTest {
 protected:
  // A shown, active dialog with the focus in N.
  void open() {
    dialog = std::make_unique<TForm2>();
    dialog->show();
    dialog->activateWindow();
    QTRY_VERIFY(dialog->Edit1->hasFocus());
  }
  std::unique_ptr<TForm2> dialog;
};

TEST_F(CoordinateDialogTest, EnterNormalisesTheNumberAndMovesOn) {
  const struct {
    const char* typed;
    const char* shown;
  } cases[] = {{"12.5", "12.500"},  {"-0.25", "-0.250"},     {"5.", "5.000"},
               {"1.2345", "1.234"}, {"-", "0.000"},          {".", "0.000"},
               {"", "0.000"},       {"-12.3456", "-12.345"}, {"007", "7.000"}};
  for (const auto& c : cases) {
    open();
    typeText(QString::fromLatin1(c.typed));
    press(Qt::Key_Return);
    EXPECT_EQ(dialog->Edit1->text(), QString::fromLatin1(c.shown)) << c.typed;
    QTRY_VERIFY(dialog->Edit2->hasFocus());
    EXPECT_TRUE(dialog->isVisible()) << "Enter in N must not confirm";
  }
}

TEST_F(CoordinateDialogTest, CoordinatesTakeDigitsPointAndMinusOnly) {
  open();
  typeText(QStringLiteral("1a2 ,b.-3x"));
  EXPECT_EQ(dialog->Edit1->text(), QStringLiteral("12.-3"));
  // Twelve characters at most.
  dialog->Edit2->setFocus();
  QTRY_VERIFY(dialog->Edit2->hasFocus());
  typeText(QStringLiteral("1234567890123"));
  EXPECT_EQ(dialog->Edit2->text(), QStringLiteral("123456789012"));
}

TEST_F(CoordinateDialogTest, TheNameTakesCapitalsDigitsAndElevenMarks) {
  open();
  dialog->Edit4->setFocus();
  QTRY_VERIFY(dialog->Edit4->hasFocus());
  typeText(QStringLiteral("a_ #/b"));
  EXPECT_EQ(dialog->Edit4->text(), QStringLiteral("A#/B"));
  typeText(QStringLiteral("x9y.z"));  // eight characters at most
  EXPECT_EQ(dialog->Edit4->text(), QStringLiteral("A#/BX9Y."));
}

TEST_F(CoordinateDialogTest, PastedTextObeysTheFilters) {
  open();
  dialog->Edit1->insert(QStringLiteral("1 2,5e"));
  EXPECT_EQ(dialog->Edit1->text(), QStringLiteral("125"));
  dialog->Edit4->insert(QStringLiteral("p 1_测"));
  EXPECT_EQ(dialog->Edit4->text(), QStringLiteral("P1"));
}

TEST_F(CoordinateDialogTest, LeavingAFieldNormalisesItButAnEmptyOneStaysEmpty) {
  open();
  typeText(QStringLiteral("7.1"));
  press(Qt::Key_Tab);
  QTRY_VERIFY(dialog->Edit2->hasFocus());
  EXPECT_EQ(dialog->Edit1->text(), QStringLiteral("7.100"));
  press(Qt::Key_Tab);
  QTRY_VERIFY(dialog->Edit3->hasFocus());
  EXPECT_EQ(dialog->Edit2->text(), QString());
}

TEST_F(CoordinateDialogTest, EscapeCancelsFromTheCoordinatesOnly) {
  for (int field = 0; field < 3; ++field) {
    open();
    QLineEdit* edits[] = {dialog->Edit1, dialog->Edit2, dialog->Edit3};
    edits[field]->setFocus();
    QTRY_VERIFY(edits[field]->hasFocus());
    typeText(QStringLiteral("5"));
    press(Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible()) << "field " << field;
    EXPECT_EQ(dialog->result(), 0);
  }
  open();
  dialog->Edit4->setFocus();
  QTRY_VERIFY(dialog->Edit4->hasFocus());
  press(Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  dialog->ImButton1->setFocus();
  QTRY_VERIFY(dialog->ImButton1->hasFocus());
  press(Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(CoordinateDialogTest, TheLayoutAndTabOrderAreAsDesigned) {
  open();
  EXPECT_EQ(dialog->size(), QSize(354, 233));
  EXPECT_EQ(dialog->palette().color(QPalette::Window), QColor(209, 231, 252));
  EXPECT_EQ(dialog->Label5->text(), QStringLiteral("输入坐标 "));
  EXPECT_EQ(dialog->Label5->font().pixelSize(), 19);
  EXPECT_EQ(dialog->Edit1->geometry(), QRect(120, 52, 200, 24));
  EXPECT_EQ(dialog->ImButton1->text(), QStringLiteral("确  定"));
  EXPECT_EQ(dialog->ImButton2->text(), QStringLiteral("取  消"));
  EXPECT_TRUE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);

  const QWidget* order[] = {dialog->Edit1, dialog->Edit2,     dialog->Edit3,
                            dialog->Edit4, dialog->ImButton1, dialog->ImButton2};
  for (size_t i = 0; i + 1 < std::size(order); ++i) {
    EXPECT_EQ(order[i]->nextInFocusChain(), order[i + 1]) << i;
  }
}

// The modal dialog as the pages use it.
class ShowCoordinateDialogTest : public EntryDialogTest {
 protected:
  uint8_t run(std::function<void(TForm2&)> keys, uint8_t preset = 0) {
    ModalDriver driver([&](QDialog& d) {
      auto& form = static_cast<TForm2&>(d);
      // The callers propose the name: the entry starts in N.
      QTRY_VERIFY(form.Edit1->hasFocus());
      keys(form);
    });
    const uint8_t result = showCoordinateDialog(QStringLiteral("工作文件"), preset,
                                                std::span<char, 8>(name.data(), 8), values);
    EXPECT_TRUE(driver.acted());
    return result;
  }
  void setName(const char* text) {
    name.fill(kUntouched);
    std::fill(name.begin(), name.end() - 1, '\0');
    std::copy(text, text + std::strlen(text), name.begin());
  }
  std::string nameBytes() const { return std::string(name.data(), 8); }

  std::array<char, 9> name{};
  PointValues values{};
};

TEST_F(ShowCoordinateDialogTest, EnterWalksThroughTheFieldsAndConfirmsInTheName) {
  setName("A10");
  const uint8_t result = run([](TForm2& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("工作文件"));
    EXPECT_EQ(d.Edit4->text(), QStringLiteral("A10"));
    typeText(QStringLiteral("1234.5"));
    press(Qt::Key_Return);
    QTRY_VERIFY(d.Edit2->hasFocus());
    typeText(QStringLiteral("-0.5"));
    press(Qt::Key_Return);
    QTRY_VERIFY(d.Edit3->hasFocus());
    press(Qt::Key_Return);  // empty Z becomes 0.000
    QTRY_VERIFY(d.Edit4->hasFocus());
    EXPECT_EQ(d.Edit3->text(), QStringLiteral("0.000"));
    press(Qt::Key_Return);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(values[0], (FixedValue{1234, 500}));
  EXPECT_EQ(values[1], (FixedValue{0, -500}));
  EXPECT_EQ(values[2], (FixedValue{0, 0}));
  EXPECT_EQ(nameBytes(), std::string("A10\0\0\0\0\0", 8));
  EXPECT_EQ(name[8], kUntouched);
}

TEST_F(ShowCoordinateDialogTest, AnEightCharacterNameFillsTheBufferWithoutATerminator) {
  setName("");
  const uint8_t result = run([](TForm2& d) {
    d.Edit1->setText(QStringLiteral("1"));
    d.Edit2->setText(QStringLiteral("2"));
    d.Edit3->setText(QStringLiteral("3"));
    d.Edit4->setFocus();
    QTRY_VERIFY(d.Edit4->hasFocus());
    typeText(QStringLiteral("abcdefgh"));
    press(Qt::Key_Return);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(nameBytes(), "ABCDEFGH");
  EXPECT_EQ(name[8], kUntouched);
  EXPECT_EQ(values[2], (FixedValue{3, 0}));
}

TEST_F(ShowCoordinateDialogTest, ConfirmingStopsAtTheFirstEmptyField) {
  setName("");
  const uint8_t result = run([](TForm2& d) {
    typeText(QStringLiteral("1"));
    press(Qt::Key_Return);
    QTRY_VERIFY(d.Edit2->hasFocus());
    // E empty: the focus goes back to it and the dialog stays open.
    d.Edit3->setFocus();
    QTRY_VERIFY(d.Edit3->hasFocus());
    typeText(QStringLiteral("3.5"));
    d.ImButton1->click();
    EXPECT_TRUE(d.isVisible());
    QTRY_VERIFY(d.Edit2->hasFocus());
    EXPECT_EQ(d.Edit1->text(), QStringLiteral("1.000"));
    typeText(QStringLiteral("2"));
    // The name empty: the focus goes there.
    d.ImButton1->click();
    EXPECT_TRUE(d.isVisible());
    QTRY_VERIFY(d.Edit4->hasFocus());
    EXPECT_EQ(d.Edit2->text(), QStringLiteral("2.000"));
    EXPECT_EQ(d.Edit3->text(), QStringLiteral("3.500"));
    typeText(QStringLiteral("p1"));
    d.ImButton1->click();
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(values[0], (FixedValue{1, 0}));
  EXPECT_EQ(values[1], (FixedValue{2, 0}));
  EXPECT_EQ(values[2], (FixedValue{3, 500}));
  EXPECT_EQ(nameBytes(), std::string("P1\0\0\0\0\0\0", 8));
}

TEST_F(ShowCoordinateDialogTest, CancellingLeavesTheCallersNameAndValuesAlone) {
  const struct {
    const char* how;
    std::function<void(TForm2&)> keys;
  } ways[] = {
      {"escape in Z",
       [](TForm2& d) {
         d.Edit3->setFocus();
         QTRY_VERIFY(d.Edit3->hasFocus());
         press(Qt::Key_Escape);
       }},
      {"cancel button", [](TForm2& d) { d.ImButton2->click(); }},
      {"close box", [](TForm2& d) { d.close(); }},
  };
  for (const auto& way : ways) {
    setName("KEEP");
    values = {FixedValue{9, 9}, FixedValue{8, 8}, FixedValue{7, 7}};
    const PointValues before = values;
    const uint8_t result = run([&](TForm2& d) {
      d.Edit1->setText(QStringLiteral("1"));
      d.Edit2->setText(QStringLiteral("2"));
      d.Edit3->setText(QStringLiteral("3"));
      d.Edit4->setText(QStringLiteral("NEW"));
      way.keys(d);
    });
    EXPECT_EQ(result, 0) << way.how;
    EXPECT_EQ(nameBytes(), std::string("KEEP\0\0\0\0", 8)) << way.how;
    EXPECT_EQ(values, before) << way.how;
  }
}

TEST_F(ShowCoordinateDialogTest, ThePresetFlagDecidesWhetherTheValuesAreShown) {
  values = {FixedValue{12, 500}, FixedValue{0, -250}, FixedValue{-3, -1}};
  setName("P");
  QStringList shown;
  const auto look = [&](TForm2& d) {
    shown = {d.Edit1->text(), d.Edit2->text(), d.Edit3->text()};
    d.ImButton2->click();
  };
  run(look, 0);
  EXPECT_EQ(shown, (QStringList{"", "", ""}));
  run(look, 1);
  EXPECT_EQ(shown, (QStringList{"12.500", "-0.250", "-3.001"}));
}

// --- Name and code entry dialog -------------------------------------------------

class ShowNameDialogTest : public EntryDialogTest {
 protected:
  uint8_t run(std::function<void(TForm3&)> keys, int maxLength = 8) {
    ModalDriver driver([&](QDialog& d) {
      auto& form = static_cast<TForm3&>(d);
      QTRY_VERIFY(form.Edit1->hasFocus());
      keys(form);
    });
    const uint8_t result = showNameDialog(QStringLiteral("新建工作文件"),
                                          QStringLiteral("输入文件名："), buffer, maxLength);
    EXPECT_TRUE(driver.acted());
    return result;
  }
  void clear() {
    buffer.fill('\0');
    buffer[8] = kUntouched;
  }
  std::string bytes() const { return std::string(buffer.data(), 8); }

  std::array<char, 9> buffer{};
};

TEST_F(ShowNameDialogTest, TypedTextIsFilteredAndCapitalised) {
  const struct {
    const char* typed;
    const char* kept;
  } cases[] = {{"job1", "JOB1"},
               {"a b_c", "ABC"},
               {"P-1#", "P-1#"},
               {"x.$%!&@+", "X.$%!&@+"},
               {"é,;:测_", ""}};
  for (const auto& c : cases) {
    clear();
    QString field;
    run([&](TForm3& d) {
      typeText(QString::fromUtf8(c.typed));
      field = d.Edit1->text();
      d.ImButton2->click();
    });
    EXPECT_EQ(field, QString::fromLatin1(c.kept)) << c.typed;
  }
}

TEST_F(ShowNameDialogTest, EnterConfirmsAndTheBufferIsNulPadded) {
  clear();
  const uint8_t result = run([](TForm3&) {
    typeText(QStringLiteral("abc"));
    press(Qt::Key_Return);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(bytes(), std::string("ABC\0\0\0\0\0", 8));
  EXPECT_EQ(buffer[8], kUntouched);
}

TEST_F(ShowNameDialogTest, TheFieldTakesTheMaximumLengthAndFillsTheBuffer) {
  clear();
  const uint8_t result = run([](TForm3& d) {
    typeText(QStringLiteral("abcdefghi"));
    EXPECT_EQ(d.Edit1->text(), QStringLiteral("ABCDEFGH"));
    press(Qt::Key_Return);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(bytes(), "ABCDEFGH");
  EXPECT_EQ(buffer[8], kUntouched);

  clear();
  run(
      [](TForm3& d) {
        typeText(QStringLiteral("abcdef"));
        EXPECT_EQ(d.Edit1->text(), QStringLiteral("ABCD"));
        press(Qt::Key_Return);
      },
      4);
  EXPECT_EQ(std::string(buffer.data(), 5), std::string("ABCD\0", 5));
}

TEST_F(ShowNameDialogTest, AnEmptyFieldCannotBeConfirmed) {
  clear();
  const uint8_t result = run([](TForm3& d) {
    press(Qt::Key_Return);
    d.ImButton1->click();
    EXPECT_TRUE(d.isVisible());
    press(Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(bytes(), std::string(8, '\0'));
}

TEST_F(ShowNameDialogTest, TheBufferTakesTheTextEvenWhenCancelled) {
  const struct {
    const char* how;
    std::function<void(TForm3&)> close;
  } ways[] = {{"escape", [](TForm3&) { press(Qt::Key_Escape); }},
              {"cancel button", [](TForm3& d) { d.ImButton2->click(); }},
              {"close box", [](TForm3& d) { d.close(); }}};
  for (const auto& way : ways) {
    clear();
    const uint8_t result = run([&](TForm3& d) {
      typeText(QStringLiteral("abc"));
      way.close(d);
    });
    EXPECT_EQ(result, 0) << way.how;
    EXPECT_EQ(bytes(), std::string("ABC\0\0\0\0\0", 8)) << way.how;
  }
}

TEST_F(ShowNameDialogTest, ThePresetIsShownAndTheDialogIsAsDesigned) {
  clear();
  std::memcpy(buffer.data(), "OLD", 3);
  run([](TForm3& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("新建工作文件"));
    EXPECT_EQ(d.Label1->text(), QStringLiteral("输入文件名："));
    EXPECT_EQ(d.Edit1->text(), QStringLiteral("OLD"));
    EXPECT_EQ(d.size(), QSize(272, 114));
    EXPECT_EQ(d.ImButton1->text(), QStringLiteral("确 定"));
    EXPECT_TRUE(d.ImButton1->isDefault());
    EXPECT_EQ(d.ImButton2->text(), QStringLiteral("取  消"));
    EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(d.windowFlags() & Qt::WindowMinimizeButtonHint);
    d.ImButton2->click();
  });
  EXPECT_EQ(bytes(), std::string("OLD\0\0\0\0\0", 8));
}

}  // namespace
}  // namespace vel::test
