// A name typed into a file dialog: the chosen filter's extension, and on
// opening the file under another letter case of that extension.
#include <gtest/gtest.h>

#include "card/TypedFileName.h"
#include "tests/support/ScratchCard.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

class TypedFileNameTest : public ::testing::Test {
 protected:
  TypedFileNameTest() : folder(scratch.folder("card")) {
    for (const char* name : {"TEST.VEL", "c.dat", "d.Dat", "d.DAT", "e.csv", "noext"}) {
      test::writeBytes(folder / name, {'1'});
    }
    fs::create_directory(folder / "sub.DAT");
    fs::create_directory(folder / "dir");
  }

  fs::path complete(const char* typed, const char* extension, bool opening) {
    return completeTypedFileName(folder / typed, extension, opening);
  }

  test::ScratchDir scratch;
  fs::path folder;
};

TEST_F(TypedFileNameTest, ANameWithoutExtensionGetsTheFiltersOne) {
  const struct {
    const char* typed;
    const char* extension;
    bool opening;
    const char* chosen;
  } cases[] = {
      {"f7", "DXF", false, "f7.DXF"},  // saving: always the filter's, with or without its dot
      {"f2", ".pts", false, "f2.pts"},
      {"c", "DAT", false, "c.DAT"},      // saving never looks for another letter case
      {"x.txt", "DXF", false, "x.txt"},  // typed with an extension: as typed
      {"TEST.", "VEL", true, "TEST."},
      {"f7", "", false, "f7"},       // a filter without extension adds nothing
      {"dir", "QPL", false, "dir"},  // a folder stays a folder
      {"TEST", "VEL", true, "TEST.VEL"},
      {"missing", "QPL", true, "missing.QPL"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(complete(c.typed, c.extension, c.opening), folder / c.chosen);
  }
}

TEST_F(TypedFileNameTest, OpeningFindsTheFileUnderAnotherLetterCaseOfItsExtension) {
  EXPECT_EQ(complete("TEST", "vel", true), folder / "TEST.VEL");
  EXPECT_EQ(complete("c", "DAT", true), folder / "c.dat");
  EXPECT_EQ(complete("e", "CSV", true), folder / "e.csv");
  // Of several, the first in name order; the exact one when it exists.
  EXPECT_EQ(complete("d", "dat", true), folder / "d.DAT");
  EXPECT_EQ(complete("d", "Dat", true), folder / "d.Dat");
  // Only the extension's letter case may differ; a folder is no match.
  EXPECT_EQ(complete("C", "DAT", true), folder / "C.DAT");
  EXPECT_EQ(complete("sub", "dat", true), folder / "sub.dat");
  EXPECT_EQ(complete("noext", "QPL", true), folder / "noext.QPL");
}

}  // namespace
}  // namespace vel
