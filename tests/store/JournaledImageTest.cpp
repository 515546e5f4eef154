// The image file answers every transfer as the file itself would once it is
// committed, so that the store's bytes are those it wrote; and a commit that
// fails puts the file back, its size included.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <numeric>

#include "FaultyCalls.h"
#include "TestImage.h"

namespace vel {
namespace {

using test::Bytes;
using test::TempImage;

struct Transfer {
  bool write;
  ImageAddress address;
  uint8_t count;  // 0 means 256
};

// On a file of 5000 bytes: reads and writes across sector borders, at the end
// of the file, past it (a hole before them) and into what they made.
const Transfer kTransfers[] = {
    {false, {0, 4990}, 20},  {true, {0, 250}, 12},   {false, {0, 240}, 40},
    {true, {0, 4995}, 10},   {false, {0, 4990}, 20}, {false, {0, 5005}, 1},
    {true, {0, 6000}, 0},    {false, {0, 5000}, 0},  {false, {0, 6200}, 100},
    {false, {0, 6250}, 10},  {true, {1, 0x0010}, 3}, {false, {0, 0xFFF0}, 0},
    {false, {1, 0x0012}, 2}, {false, {2, 0}, 8},     {true, {0, 0}, 0},
    {false, {0, 0}, 0},
};

// What a plain file of bytes answers: writes past the end grow it (a hole
// before them reads as zeros), reads past the end come up short.
struct PlainFile {
  Bytes bytes;
  bool read(ImageAddress address, uint8_t count, uint8_t* buffer) const {
    const size_t wanted = count == 0 ? 256 : count;
    const auto at = static_cast<size_t>(filePosition(address));
    const size_t got = at < bytes.size() ? std::min(wanted, bytes.size() - at) : 0;
    std::copy_n(bytes.begin() + static_cast<long>(std::min(at, bytes.size())), got, buffer);
    std::fill(buffer + got, buffer + wanted, 0);
    return got == wanted;
  }
  void write(ImageAddress address, uint8_t count, const uint8_t* data) {
    const size_t wanted = count == 0 ? 256 : count;
    const auto at = static_cast<size_t>(filePosition(address));
    if (bytes.size() < at + wanted) bytes.resize(at + wanted, 0);
    std::copy_n(data, wanted, bytes.begin() + static_cast<long>(at));
  }
};

TEST(JournaledImage, AnswersEveryTransferAsAPlainFileWouldAndCommitsWhatItWrote) {
  TempImage journaled(5000, 0x5A);
  PlainFile plain{Bytes(5000, 0x5A)};
  ImageFile cached;
  ASSERT_TRUE(cached.open(journaled.path()));

  Bytes data(256);
  int step = 0;
  for (const Transfer& t : kTransfers) {
    SCOPED_TRACE("transfer " + std::to_string(step));
    std::iota(data.begin(), data.end(), static_cast<uint8_t>(++step));
    if (t.write) {
      EXPECT_TRUE(cached.write(t.address, t.count, data.data()));
      plain.write(t.address, t.count, data.data());
    } else {
      Bytes fromFile(257, 0xEE);
      Bytes fromCache(257, 0xEE);
      EXPECT_EQ(cached.read(t.address, t.count, fromCache.data()),
                plain.read(t.address, t.count, fromFile.data()));
      EXPECT_EQ(fromCache, fromFile);
    }
    EXPECT_EQ(cached.size(), static_cast<long long>(plain.bytes.size()));
  }
  EXPECT_EQ(journaled.read(), Bytes(5000, 0x5A)) << "nothing before the commit";
  ASSERT_TRUE(cached.commit());
  EXPECT_TRUE(test::sameImage(journaled.read(), plain.bytes));
  EXPECT_FALSE(std::filesystem::exists(cached.journalPath()));
}

TEST(JournaledImage, ACommitThatFailsPutsBackAFileItGrew) {
  TempImage image(5000, 0x5A);
  const Bytes data(256, 0x11);
  for (test::Fault fault : {test::Fault::kWrite, test::Fault::kFsync}) {
    for (int at : {2, 3}) {  // writes: the image's two; fsyncs: the journal folder's, the image's
      SCOPED_TRACE(std::string(test::faultName(fault)) + " " + std::to_string(at));
      test::FaultyCalls calls;
      test::InstalledCalls installed(calls);
      ImageFile file;
      ASSERT_TRUE(file.open(image.path()));
      ASSERT_TRUE(file.write({0, 4900}, 0, data.data()));
      ASSERT_TRUE(file.write({0, 9000}, 0, data.data()));
      calls = test::FaultyCalls(fault, at);
      EXPECT_FALSE(file.commit());
      EXPECT_TRUE(calls.fired());
      EXPECT_FALSE(file.hasPendingChanges());
      EXPECT_EQ(file.size(), 5000);
      EXPECT_EQ(image.read(), Bytes(5000, 0x5A));
      EXPECT_FALSE(std::filesystem::exists(file.journalPath()));
    }
  }
}

}  // namespace
}  // namespace vel
