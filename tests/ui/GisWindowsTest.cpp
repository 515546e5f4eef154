// The GIS formats in the windows: the CRS chosen with the keyboard, asked
// before a GIS file is saved and kept for the image, GeoJSON refused for
// local coordinates, and the 11-character cut of the text formats said.
// A program of its own: it registers the GIS formats, as the program does.
#include <QTest>

#include "card/CrsMemory.h"
#include "exchange/FormatRegistry.h"
#include "exchange/PointOutput.h"
#include "gis/GisFormats.h"
#include "messages/MessageTexts.h"
#include "tests/support/WindowFixture.h"
#include "ui/CrsDialog.h"
#include "ui/ImportWindow.h"
#include "ui/Language.h"
#include "ui/PlanWindow.h"
#include "ui/PointOutputWindow.h"

namespace vel::test {
namespace {

namespace fs = std::filesystem;

QStringList listedCodes(const CrsDialog& dialog) {
  QStringList codes;
  for (int i = 0; i < dialog.crsList->count(); ++i) {
    codes << dialog.crsList->item(i)->data(Qt::UserRole).toString();
  }
  return codes;
}

TEST(CrsDialogTest, TypedWordsFindTheCrsAndTheKeysChooseIt) {
  CrsDialog dialog("EPSG:4548");
  dialog.show();
  // The current choice is offered, after local coordinates.
  EXPECT_EQ(listedCodes(dialog), (QStringList{QString(), QStringLiteral("EPSG:4548")}));
  EXPECT_EQ(dialog.chosen(), "EPSG:4548");

  dialog.searchEdit->selectAll();
  QTest::keyClicks(dialog.searchEdit, QStringLiteral("cgcs2000 117"));
  const QStringList found = listedCodes(dialog);
  EXPECT_TRUE(found.contains(QStringLiteral("EPSG:4548")));
  EXPECT_TRUE(found.contains(QStringLiteral("EPSG:4527"))) << "zone 39 lies on 117E";
  EXPECT_EQ(dialog.chosen(), "EPSG:4548") << "still listed, still chosen";

  // Up from the search field moves in the list; Return takes the choice.
  QTest::keyClick(dialog.searchEdit, Qt::Key_Up);
  EXPECT_EQ(dialog.chosen(), found[dialog.crsList->currentRow()].toStdString());
  QTest::keyClick(dialog.searchEdit, Qt::Key_Home, Qt::ControlModifier);
  dialog.crsList->setCurrentRow(0);
  QTest::keyClick(dialog.searchEdit, Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.chosen(), "") << "local coordinates";

  CrsDialog cancelled("");
  cancelled.show();
  EXPECT_EQ(listedCodes(cancelled), QStringList{QString()});
  QTest::keyClick(cancelled.searchEdit, Qt::Key_Escape);
  EXPECT_EQ(cancelled.result(), QDialog::Rejected);
}

class GisWindowsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    registerGisFormats(FormatRegistry::instance());
    slot = newJob("ZONE");
    // A Gauss-Kruger easting with its zone: 12 characters.
    append(slot, surveyRecord(kCRD, "C1", "K1", {3380000, 123}, {39512345, 678}, {12, 345}));
    append(slot, pointRecord("P2", "3380100.000", "512400.000", "1.000"));
  }
  std::unique_ptr<PointOutputWindow> openOutput() {
    auto form = std::make_unique<PointOutputWindow>(session, prompts);
    form->job = slot;
    form->chooseCrs = [this](const std::string& current) {
      offered.push_back(current);
      return answer;
    };
    form->show();
    return form;
  }
  int placeOfFormat(int id) { return placeOf(FormatRegistry::instance().writers(), id); }

  JobSlot slot;
  std::vector<std::string> offered;
  std::optional<std::string> answer;
};

TEST_F(GisWindowsTest, AGisSaveAsksForTheCrsOffersTheLastOneAndKeepsIt) {
  auto form = openOutput();
  answer = "EPSG:4527";
  prompts.answerFile(pathToQString(file("zone.gpkg")), placeOfFormat(kGeoPackageFormat));
  form->saveAsButton->click();
  EXPECT_TRUE(fs::exists(file("zone.gpkg")));
  EXPECT_EQ(rememberedCrs(image), "EPSG:4527");
  EXPECT_TRUE(prompts.shownOf(Kind::kOk).empty()) << "a GIS file keeps every digit";

  // "保  存" writes the same file again without asking; "另 存 为" offers the kept CRS.
  form->saveButton->click();
  EXPECT_EQ(offered.size(), 1u);
  answer = std::nullopt;  // cancelled: nothing written
  prompts.answerFile(pathToQString(file("zone.shp")), placeOfFormat(kShapefileFormat));
  form->saveAsButton->click();
  EXPECT_EQ(offered, (std::vector<std::string>{"", "EPSG:4527"}));
  EXPECT_FALSE(fs::exists(file("zone.shp")));
}

TEST_F(GisWindowsTest, GeoJsonInLocalCoordinatesIsRefusedAndTheTextFormatsSayTheirCut) {
  auto form = openOutput();
  answer = "";
  prompts.answerFile(pathToQString(file("site.geojson")), placeOfFormat(kGeoJsonFormat));
  form->saveAsButton->click();
  ASSERT_EQ(prompts.shownOf(Kind::kOk).size(), 1u);
  EXPECT_EQ(prompts.shownOf(Kind::kOk)[0].text, messageText(kNeedsCrsText));
  EXPECT_FALSE(fs::exists(file("site.geojson")));
  EXPECT_FALSE(form->saved());

  prompts.answerFile(pathToQString(file("site.CSV")), 6);
  form->saveAsButton->click();
  const auto boxes = prompts.shownOf(Kind::kOk);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, QStringLiteral("提示"));
  EXPECT_TRUE(boxes[1].text.startsWith(QStringLiteral("1 个点的坐标超过 11 位")))
      << boxes[1].text.toStdString();
  EXPECT_TRUE(boxes[1].text.contains(QStringLiteral("第一个：C1"))) << boxes[1].text.toStdString();
  const std::vector<uint8_t> csv = readBytes(file("site.CSV"));
  EXPECT_EQ(std::string(csv.begin(), csv.begin() + 41),
            "\"C1\",\"3380000.123\",\"39512345.67\",\"12.345\"");
}

TEST_F(GisWindowsTest, ThePlanSavesItsPointsAsAGeoPackage) {
  PlanWindow plan(cardPlan(session, slot, QStringLiteral("CARD.VEL")), prompts);
  plan.chooseCrs = [](const std::string&) { return std::optional<std::string>("EPSG:4527"); };
  prompts.answerFile(pathToQString(file("plan")), 4);
  plan.saveButton->click();
  EXPECT_TRUE(fs::exists(file("plan.gpkg")));
  EXPECT_TRUE(prompts.shownOf(Kind::kOk).empty());
  EXPECT_EQ(rememberedCrs(image), "EPSG:4527");
}

// A GeoPackage of the job comes back into another job: its fields offered
// for the name and the height (guessed from their names), the points in the
// grid, and stored as confirmed; a file of a CRS into an image without one
// is refused with both named.
TEST_F(GisWindowsTest, AGeoPackageComesBackWithItsFieldsOfferedAndIsStored) {
  const std::string gpkg = file("zone.gpkg").string();
  std::vector<SurveyPoint> points = outputPoints(session.points(slot));
  ASSERT_TRUE(FormatRegistry::instance()
                  .byId(kGeoPackageFormat)
                  ->write(gpkg, points, {"EPSG:4527"})
                  .written());
  ASSERT_TRUE(rememberCrs(image, "EPSG:4527"));
  const JobSlot back = newJob("BACK");
  ImportHost host{session, prompts, [](const Outcome& outcome) { return outcome.done(); }, nullptr};
  ImportWindow form(QString::fromStdString(gpkg), kGeoPackageFormat, host);
  form.target = back;
  form.show();
  ASSERT_NE(form.nameFieldBox, nullptr);
  EXPECT_EQ(form.nameFieldBox->currentText(), QStringLiteral("name"));
  EXPECT_EQ(form.heightFieldBox->currentText(), QStringLiteral("z"));
  EXPECT_EQ(cellOf(form.grid, 0, 0), QStringLiteral("C1"));
  EXPECT_EQ(cellOf(form.grid, 0, 1), QStringLiteral("3380000.123"));
  EXPECT_EQ(cellOf(form.grid, 1, 3), QStringLiteral("1.000"));

  // The name from another field: the kind, chosen with the keyboard.
  form.nameFieldBox->setFocus();
  while (form.nameFieldBox->currentText() != QStringLiteral("kind")) {
    QTest::keyClick(form.nameFieldBox, Qt::Key_Down);
  }
  EXPECT_EQ(cellOf(form.grid, 0, 0), QStringLiteral("CRD"));
  form.confirmButton->click();
  EXPECT_EQ(pointNames(back), (QStringList{QStringLiteral("CRD"), QStringLiteral("PT")}));

  ASSERT_TRUE(rememberCrs(image, ""));
  ImportWindow local(QString::fromStdString(gpkg), kGeoPackageFormat, host);
  const auto boxes = prompts.shownOf(Kind::kOk);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(boxes[1].text.contains(QStringLiteral("EPSG:4527"))) << boxes[1].text.toStdString();
  EXPECT_TRUE(boxes[1].text.contains(QStringLiteral("本地坐标"))) << boxes[1].text.toStdString();
  EXPECT_EQ(cellOf(local.grid, 0, 0), QString());
}

}  // namespace
}  // namespace vel::test
