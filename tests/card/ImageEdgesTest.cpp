// Where the card meets the instrument and the user's folders: a journal the
// instrument overtook, a write-protected card, an image of two names, of the
// wrong size, of another spelling or through a link, and the journal's own
// name and permission bits.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "FaultyCalls.h"
#include "TestImage.h"
#include "card/CardSession.h"
#include "card/ImageFileAccess.h"
#include "tests/support/ScratchCard.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::ScratchDir;
using test::WriteProtectedCard;

// A card in a VEL folder of its own: job A of 60 points, job B, a code.
struct CardFolder {
  CardFolder() {
    test::writeFormattedImage(image, kRX3_8);
    CardSession session;
    EXPECT_EQ(session.open(image.string()), OpenStatus::kLoaded);
    EXPECT_TRUE(session.run(CreateJob{"A"}).done());
    EXPECT_TRUE(session.run(CreateJob{"B"}).done());
    for (int i = 0; i < 60; ++i) {
      EXPECT_TRUE(session.run(AddPoint{JobSlot{0}, "P" + std::to_string(i), {i, 0}, {1, 0}, {2, 0}})
                      .done());
    }
    EXPECT_TRUE(session.run(AddFeatureCode{"TREE"}).done());
  }
  Bytes bytes() const { return test::readBytes(image); }

  ScratchDir scratch;
  fs::path folder = scratch.folder("card/VEL");
  fs::path image = folder / "CARD.VEL";
};

// Every action that changes the card, refused alike when the image may not change.
const Action kEveryChange[] = {
    FormatArea{},
    CreateJob{"C"},
    RenameJob{JobSlot{0}, "X"},
    DeleteJob{JobPosition{0}},
    ClearKnownPoints{},
    AddPoint{JobSlot{0}, "N", {1, 0}, {2, 0}, {3, 0}},
    DeleteRecord{JobSlot{0}, 1},
    DeleteRecords{JobSlot{0}, {1, 2}},
    ImportRows{JobSlot{1}, {{"I", "1", "2", "3"}}},
    AddFeatureCode{"ROAD"},
    DeleteFeatureCode{0},
    ClearFeatureCodes{},
};

void expectNoChangeTaken(CardSession& session, ChangeRefusal why) {
  EXPECT_EQ(session.changeRefusal(), why);
  EXPECT_FALSE(session.changesAllowed());
  for (const Action& action : kEveryChange) {
    const Outcome outcome = session.run(action);
    EXPECT_TRUE(outcome.notAllowed());
    EXPECT_EQ(outcome.notAllowedBecause, why);
  }
}

// A deletion of job A stopped at the image's second write, the first done:
// the image is torn and its journal left.
void crashWhileDeletingJobA(const fs::path& image) {
  const Bytes before = test::readBytes(image);
  test::FaultyCalls calls;
  test::InstalledCalls installed(calls);
  CardSession session;
  ASSERT_EQ(session.open(image.string()), OpenStatus::kLoaded);
  calls = test::FaultyCalls(test::Fault::kCrash, 3);  // 1: the journal, 2 and 3: the image
  EXPECT_THROW(session.run(DeleteJob{JobPosition{0}}), test::SimulatedCrash);
  ASSERT_FALSE(test::sameImage(test::readBytes(image), before));
}

TEST(ImageEdges, AJournalTheInstrumentOvertookIsKeptAsideAndItsRecordsStay) {
  CardFolder card;
  crashWhileDeletingJobA(card.image);
  ASSERT_TRUE(fs::exists(journalPathFor(card.image.string())));
  // The instrument stores two records into job B; it knows nothing of
  // journals (the store that plays it keeps its own out of the way of ours).
  const std::string journal = journalPathFor(card.image.string());
  fs::rename(journal, journal + ".away");
  {
    RecordAreaStore instrument;
    ASSERT_TRUE(instrument.openImage(card.image.string()));
    ASSERT_EQ(instrument.detectModel(), kModelRecognised);
    instrument.loadTables();
    ASSERT_EQ(test::appendPoint(instrument, 1, "FIELD1"), kDone);
    ASSERT_EQ(test::appendPoint(instrument, 1, "FIELD2"), kDone);
    ASSERT_TRUE(instrument.commitImage());
    instrument.closeImage();
  }
  fs::rename(journal + ".away", journal);
  const Bytes written = card.bytes();

  CardSession session;
  ASSERT_EQ(session.open(card.image.string()), OpenStatus::kLoaded);
  EXPECT_EQ(session.journalFinding(), JournalFinding::kSetAside);
  EXPECT_FALSE(fs::exists(journalPathFor(card.image.string())));
  EXPECT_TRUE(fs::exists(session.journalSetAsidePath())) << session.journalSetAsidePath();
  EXPECT_EQ(fs::path(session.journalSetAsidePath()).extension(), ".JNL");
  EXPECT_TRUE(test::sameImage(card.bytes(), written)) << "nothing was put back";
  EXPECT_EQ(session.pointName(JobSlot{1}, 0), "FIELD1");
  EXPECT_EQ(session.pointName(JobSlot{1}, 1), "FIELD2");
}

TEST(ImageEdges, AJournalUnderItsOldNameIsStillPutBack) {
  CardFolder card;
  const Bytes before = card.bytes();
  crashWhileDeletingJobA(card.image);
  const std::string journal = journalPathFor(card.image.string());
  EXPECT_EQ(journal, card.image.string() + ".JNL")
      << "no reader of short names takes it for an image";
  fs::rename(journal, legacyJournalPathFor(card.image.string()));
  CardSession session;
  ASSERT_EQ(session.open(card.image.string()), OpenStatus::kLoaded);
  EXPECT_TRUE(session.restoredFromJournal());
  EXPECT_FALSE(fs::exists(legacyJournalPathFor(card.image.string())));
  EXPECT_TRUE(test::sameImage(card.bytes(), before));
}

TEST(ImageEdges, AWriteProtectedCardIsReadAndSnapshottedButTakesNoChange) {
  CardFolder card;
  crashWhileDeletingJobA(card.image);
  const Bytes torn = card.bytes();
  WriteProtectedCard locked(card.folder.string());
  test::InstalledCalls installed(locked);
  CardSession session;
  SnapshotFolder snapshots(card.scratch.path() / "backups");
  session.setSnapshotFolder(&snapshots);
  ASSERT_EQ(session.open(card.image.string()), OpenStatus::kLoaded);
  // The interrupted change cannot be undone on the card: it is read as before it.
  EXPECT_EQ(session.journalFinding(), JournalFinding::kShownAsBefore);
  EXPECT_EQ(session.jobLines().size(), 2u);
  EXPECT_EQ(session.recordLines(JobSlot{0}).size(), 60u);
  ASSERT_TRUE(session.backUp().done());
  const auto kept = snapshots.load(snapshots.list("CARD.VEL").at(0));
  ASSERT_TRUE(kept);
  EXPECT_FALSE(test::sameImage(*kept, torn)) << "the snapshot is the image as before the change";
  expectNoChangeTaken(session, ChangeRefusal::kWriteProtected);
  EXPECT_TRUE(test::sameImage(card.bytes(), torn));
  EXPECT_TRUE(fs::exists(journalPathFor(card.image.string())));
}

TEST(ImageEdges, AnImageOfTwoNamesOrThroughALinkOutOfItsFolderTakesNoChange) {
  CardFolder card;
  const Bytes before = card.bytes();
  CardSession session;

  const fs::path second = card.folder / "SECOND.VEL";
  fs::create_hard_link(card.image, second);
  ASSERT_EQ(session.open(card.image.string()), OpenStatus::kLoaded);
  expectNoChangeTaken(session, ChangeRefusal::kHardLinked);
  fs::remove(second);

  // A link beside its file is the card's own; one from elsewhere is not.
  fs::create_symlink("CARD.VEL", card.folder / "LINK.VEL");
  ASSERT_EQ(session.open((card.folder / "LINK.VEL").string()), OpenStatus::kLoaded);
  EXPECT_EQ(session.changeRefusal(), ChangeRefusal::kNone);
  const fs::path outside = card.scratch.folder("home") / "card.vel";
  fs::create_symlink(card.image, outside);
  ASSERT_EQ(session.open(outside.string()), OpenStatus::kLoaded);
  expectNoChangeTaken(session, ChangeRefusal::kLinkLeavesFolder);
  session.close();
  EXPECT_TRUE(test::sameImage(card.bytes(), before));
}

TEST(ImageEdges, AnImageWhoseSizeDoesNotFitItsModelIsOnlyRead) {
  for (const long long size : {1000LL, 4LL << 30}) {
    SCOPED_TRACE(size);
    CardFolder card;
    fs::resize_file(card.image, static_cast<uintmax_t>(size));
    CardSession session;
    SnapshotFolder snapshots(card.scratch.path() / "backups");
    session.setSnapshotFolder(&snapshots);
    ASSERT_EQ(session.open(card.image.string()), OpenStatus::kLoaded);
    const SizeMisfit misfit = session.sizeMisfit();
    EXPECT_EQ(misfit.size, size);
    EXPECT_EQ(misfit.model, kRX3_8);
    EXPECT_EQ(misfit.expected, test::kSize8320);
    expectNoChangeTaken(session, ChangeRefusal::kSizeMisfit);
    // No image larger than its model is read whole (4 GiB would be).
    EXPECT_EQ(session.backUp().kind,
              size > test::kSize8320 ? Outcome::Kind::kNotBackedUp : Outcome::Kind::kDone);
    session.close();
    EXPECT_EQ(static_cast<long long>(fs::file_size(card.image)), size);
  }
}

TEST(ImageEdges, AnImageIsUsedByTheSpellingItsFolderLists) {
  ScratchDir scratch;
  const fs::path folder = scratch.folder("VEL");
  for (const char* name : {"CARD.VEL", "TWIN.VEL", "twin.vel"})
    test::writeBlankImage(folder / name);
  struct Case {
    const char* asked;
    const char* used;
  };
  for (const Case& c :
       {Case{"CARD.VEL", "CARD.VEL"}, Case{"card.vel", "CARD.VEL"}, Case{"Card.Vel", "CARD.VEL"},
        Case{"twin.vel", "twin.vel"}, Case{"Twin.VEL", "Twin.VEL"}, Case{"none.vel", "none.vel"}}) {
    EXPECT_EQ(listedSpelling(folder / c.asked), folder / c.used) << c.asked;
  }
  test::writeFormattedImage(folder / "CARD.VEL", kRX3_32);
  CardSession session;
  ASSERT_EQ(session.open((folder / "card.vel").string()), OpenStatus::kLoaded);
  EXPECT_EQ(session.imageName(), "CARD.VEL") << "snapshots are filed by the one spelling";
}

TEST(ImageEdges, AJournalNeverFollowsALinkAndKeepsTheImagesPermissionBits) {
  CardFolder card;
  const Bytes before = card.bytes();
  // A link planted at the journal's name is neither followed nor replaced:
  // found on opening, it is no journal and goes; made while the image is
  // open, the commit fails.
  const fs::path victim = card.scratch.path() / "victim.txt";
  std::ofstream(victim) << "mine";
  fs::create_symlink(victim, journalPathFor(card.image.string()));
  {
    CardSession session;
    ASSERT_EQ(session.open(card.image.string()), OpenStatus::kLoaded);
    EXPECT_FALSE(fs::is_symlink(journalPathFor(card.image.string())));
  }
  {
    CardSession session;
    ASSERT_EQ(session.open(card.image.string()), OpenStatus::kLoaded);
    fs::create_symlink(victim, journalPathFor(card.image.string()));
    EXPECT_TRUE(session.run(DeleteJob{JobPosition{0}}).writeFailed());
  }
  EXPECT_EQ(test::readBytes(victim), (Bytes{'m', 'i', 'n', 'e'}));
  EXPECT_TRUE(fs::is_symlink(journalPathFor(card.image.string())));
  EXPECT_TRUE(test::sameImage(card.bytes(), before));
  fs::remove(journalPathFor(card.image.string()));

  // A private image leaves a private journal.
  ::chmod(card.image.c_str(), 0600);
  crashWhileDeletingJobA(card.image);
  struct stat info {};
  ASSERT_EQ(::stat(journalPathFor(card.image.string()).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace vel
