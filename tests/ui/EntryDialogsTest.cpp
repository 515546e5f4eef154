// The coordinate entry dialog and the name and code entry dialog, driven by
// keys as a user types them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <array>

#include "tests/support/ModalDriver.h"
#include "tests/support/QtPrinters.h"
#include "ui/CoordinateDialog.h"
#include "ui/NameDialog.h"
#include "ui/UiLook.h"

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
    dialog = std::make_unique<CoordinateDialog>();
    dialog->show();
    dialog->activateWindow();
    QTRY_VERIFY(dialog->northEdit->hasFocus());
  }
  std::unique_ptr<CoordinateDialog> dialog;
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
    EXPECT_EQ(dialog->northEdit->text(), QString::fromLatin1(c.shown)) << c.typed;
    QTRY_VERIFY(dialog->eastEdit->hasFocus());
    EXPECT_TRUE(dialog->isVisible()) << "Enter in N must not confirm";
  }
}

TEST_F(CoordinateDialogTest, CoordinatesTakeDigitsPointAndMinusOnly) {
  open();
  typeText(QStringLiteral("1a2 ,b.-3x"));
  EXPECT_EQ(dialog->northEdit->text(), QStringLiteral("12.-3"));
  // Twelve characters at most.
  dialog->eastEdit->setFocus();
  QTRY_VERIFY(dialog->eastEdit->hasFocus());
  typeText(QStringLiteral("1234567890123"));
  EXPECT_EQ(dialog->eastEdit->text(), QStringLiteral("123456789012"));
}

TEST_F(CoordinateDialogTest, TheNameTakesCapitalsDigitsAndElevenMarks) {
  open();
  dialog->nameEdit->setFocus();
  QTRY_VERIFY(dialog->nameEdit->hasFocus());
  typeText(QStringLiteral("a_ #/b"));
  EXPECT_EQ(dialog->nameEdit->text(), QStringLiteral("A#/B"));
  typeText(QStringLiteral("x9y.z"));  // eight characters at most
  EXPECT_EQ(dialog->nameEdit->text(), QStringLiteral("A#/BX9Y."));
}

TEST_F(CoordinateDialogTest, PastedTextObeysTheFilters) {
  open();
  dialog->northEdit->insert(QStringLiteral("1 2,5e"));
  EXPECT_EQ(dialog->northEdit->text(), QStringLiteral("125"));
  dialog->nameEdit->insert(QStringLiteral("p 1_测"));
  EXPECT_EQ(dialog->nameEdit->text(), QStringLiteral("P1"));
}

TEST_F(CoordinateDialogTest, LeavingAFieldNormalisesItButAnEmptyOneStaysEmpty) {
  open();
  typeText(QStringLiteral("7.1"));
  press(Qt::Key_Tab);
  QTRY_VERIFY(dialog->eastEdit->hasFocus());
  EXPECT_EQ(dialog->northEdit->text(), QStringLiteral("7.100"));
  press(Qt::Key_Tab);
  QTRY_VERIFY(dialog->heightEdit->hasFocus());
  EXPECT_EQ(dialog->eastEdit->text(), QString());
}

TEST_F(CoordinateDialogTest, EscapeCancelsFromTheCoordinatesOnly) {
  for (int field = 0; field < 3; ++field) {
    open();
    QLineEdit* edits[] = {dialog->northEdit, dialog->eastEdit, dialog->heightEdit};
    edits[field]->setFocus();
    QTRY_VERIFY(edits[field]->hasFocus());
    typeText(QStringLiteral("5"));
    press(Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible()) << "field " << field;
    EXPECT_EQ(dialog->result(), 0);
  }
  open();
  dialog->nameEdit->setFocus();
  QTRY_VERIFY(dialog->nameEdit->hasFocus());
  press(Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  dialog->okButton->setFocus();
  QTRY_VERIFY(dialog->okButton->hasFocus());
  press(Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(CoordinateDialogTest, TheLayoutAndTabOrderAreAsDesigned) {
  open();
  EXPECT_EQ(dialog->size(), QSize(354, 233));
  EXPECT_EQ(dialog->palette().color(QPalette::Window), QColor(209, 231, 252));
  EXPECT_EQ(dialog->titleLabel->text(), QStringLiteral("输入坐标 "));
  EXPECT_EQ(dialog->titleLabel->font().pixelSize(), 19);
  EXPECT_EQ(dialog->northEdit->geometry(), QRect(120, 52, 200, 24));
  EXPECT_EQ(dialog->okButton->text(), QStringLiteral("确  定"));
  EXPECT_EQ(dialog->cancelButton->text(), QStringLiteral("取  消"));
  EXPECT_TRUE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);

  const QWidget* order[] = {dialog->northEdit, dialog->eastEdit, dialog->heightEdit,
                            dialog->nameEdit,  dialog->okButton, dialog->cancelButton};
  for (size_t i = 0; i + 1 < std::size(order); ++i) {
    EXPECT_EQ(order[i]->nextInFocusChain(), order[i + 1]) << i;
  }
}

// The modal dialog as the pages use it.
class ShowCoordinateDialogTest : public EntryDialogTest {
 protected:
  uint8_t run(std::function<void(CoordinateDialog&)> keys, uint8_t preset = 0) {
    ModalDriver driver([&](QDialog& d) {
      auto& form = static_cast<CoordinateDialog&>(d);
      // The callers propose the name: the entry starts in N.
      QTRY_VERIFY(form.northEdit->hasFocus());
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
  const uint8_t result = run([](CoordinateDialog& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("工作文件"));
    EXPECT_EQ(d.nameEdit->text(), QStringLiteral("A10"));
    typeText(QStringLiteral("1234.5"));
    press(Qt::Key_Return);
    QTRY_VERIFY(d.eastEdit->hasFocus());
    typeText(QStringLiteral("-0.5"));
    press(Qt::Key_Return);
    QTRY_VERIFY(d.heightEdit->hasFocus());
    press(Qt::Key_Return);  // empty Z becomes 0.000
    QTRY_VERIFY(d.nameEdit->hasFocus());
    EXPECT_EQ(d.heightEdit->text(), QStringLiteral("0.000"));
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
  const uint8_t result = run([](CoordinateDialog& d) {
    d.northEdit->setText(QStringLiteral("1"));
    d.eastEdit->setText(QStringLiteral("2"));
    d.heightEdit->setText(QStringLiteral("3"));
    d.nameEdit->setFocus();
    QTRY_VERIFY(d.nameEdit->hasFocus());
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
  const uint8_t result = run([](CoordinateDialog& d) {
    typeText(QStringLiteral("1"));
    press(Qt::Key_Return);
    QTRY_VERIFY(d.eastEdit->hasFocus());
    // E empty: the focus goes back to it and the dialog stays open.
    d.heightEdit->setFocus();
    QTRY_VERIFY(d.heightEdit->hasFocus());
    typeText(QStringLiteral("3.5"));
    d.okButton->click();
    EXPECT_TRUE(d.isVisible());
    QTRY_VERIFY(d.eastEdit->hasFocus());
    EXPECT_EQ(d.northEdit->text(), QStringLiteral("1.000"));
    typeText(QStringLiteral("2"));
    // The name empty: the focus goes there.
    d.okButton->click();
    EXPECT_TRUE(d.isVisible());
    QTRY_VERIFY(d.nameEdit->hasFocus());
    EXPECT_EQ(d.eastEdit->text(), QStringLiteral("2.000"));
    EXPECT_EQ(d.heightEdit->text(), QStringLiteral("3.500"));
    typeText(QStringLiteral("p1"));
    d.okButton->click();
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
    std::function<void(CoordinateDialog&)> keys;
  } ways[] = {
      {"escape in Z",
       [](CoordinateDialog& d) {
         d.heightEdit->setFocus();
         QTRY_VERIFY(d.heightEdit->hasFocus());
         press(Qt::Key_Escape);
       }},
      {"cancel button", [](CoordinateDialog& d) { d.cancelButton->click(); }},
      {"close box", [](CoordinateDialog& d) { d.close(); }},
  };
  for (const auto& way : ways) {
    setName("KEEP");
    values = {FixedValue{9, 9}, FixedValue{8, 8}, FixedValue{7, 7}};
    const PointValues before = values;
    const uint8_t result = run([&](CoordinateDialog& d) {
      d.northEdit->setText(QStringLiteral("1"));
      d.eastEdit->setText(QStringLiteral("2"));
      d.heightEdit->setText(QStringLiteral("3"));
      d.nameEdit->setText(QStringLiteral("NEW"));
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
  const auto look = [&](CoordinateDialog& d) {
    shown = {d.northEdit->text(), d.eastEdit->text(), d.heightEdit->text()};
    d.cancelButton->click();
  };
  run(look, 0);
  EXPECT_EQ(shown, (QStringList{"", "", ""}));
  run(look, 1);
  EXPECT_EQ(shown, (QStringList{"12.500", "-0.250", "-3.001"}));
}

// --- Name and code entry dialog -------------------------------------------------

class ShowNameDialogTest : public EntryDialogTest {
 protected:
  uint8_t run(std::function<void(NameDialog&)> keys, int maxLength = 8) {
    ModalDriver driver([&](QDialog& d) {
      auto& form = static_cast<NameDialog&>(d);
      QTRY_VERIFY(form.nameEdit->hasFocus());
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
    run([&](NameDialog& d) {
      typeText(QString::fromUtf8(c.typed));
      field = d.nameEdit->text();
      d.cancelButton->click();
    });
    EXPECT_EQ(field, QString::fromLatin1(c.kept)) << c.typed;
  }
}

TEST_F(ShowNameDialogTest, EnterConfirmsAndTheBufferIsNulPadded) {
  clear();
  const uint8_t result = run([](NameDialog&) {
    typeText(QStringLiteral("abc"));
    press(Qt::Key_Return);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(bytes(), std::string("ABC\0\0\0\0\0", 8));
  EXPECT_EQ(buffer[8], kUntouched);
}

TEST_F(ShowNameDialogTest, TheFieldTakesTheMaximumLengthAndFillsTheBuffer) {
  clear();
  const uint8_t result = run([](NameDialog& d) {
    typeText(QStringLiteral("abcdefghi"));
    EXPECT_EQ(d.nameEdit->text(), QStringLiteral("ABCDEFGH"));
    press(Qt::Key_Return);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(bytes(), "ABCDEFGH");
  EXPECT_EQ(buffer[8], kUntouched);

  clear();
  run(
      [](NameDialog& d) {
        typeText(QStringLiteral("abcdef"));
        EXPECT_EQ(d.nameEdit->text(), QStringLiteral("ABCD"));
        press(Qt::Key_Return);
      },
      4);
  EXPECT_EQ(std::string(buffer.data(), 5), std::string("ABCD\0", 5));
}

TEST_F(ShowNameDialogTest, AnEmptyFieldCannotBeConfirmed) {
  clear();
  const uint8_t result = run([](NameDialog& d) {
    press(Qt::Key_Return);
    d.okButton->click();
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
    std::function<void(NameDialog&)> close;
  } ways[] = {{"escape", [](NameDialog&) { press(Qt::Key_Escape); }},
              {"cancel button", [](NameDialog& d) { d.cancelButton->click(); }},
              {"close box", [](NameDialog& d) { d.close(); }}};
  for (const auto& way : ways) {
    clear();
    const uint8_t result = run([&](NameDialog& d) {
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
  run([](NameDialog& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("新建工作文件"));
    EXPECT_EQ(d.promptLabel->text(), QStringLiteral("输入文件名："));
    EXPECT_EQ(d.nameEdit->text(), QStringLiteral("OLD"));
    EXPECT_EQ(d.size(), QSize(272, 114));
    EXPECT_EQ(d.okButton->text(), QStringLiteral("确 定"));
    EXPECT_TRUE(d.okButton->isDefault());
    EXPECT_EQ(d.cancelButton->text(), QStringLiteral("取  消"));
    EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(d.windowFlags() & Qt::WindowMinimizeButtonHint);
    d.cancelButton->click();
  });
  EXPECT_EQ(bytes(), std::string("OLD\0\0\0\0\0", 8));
}

}  // namespace
}  // namespace vel::test
