// Byte transfers to and from the image file.
#include <gtest/gtest.h>

#include <numeric>

#include "TestImage.h"

namespace vel {
namespace {

using test::Bytes;
using test::TempImage;

TEST(ImageAddresses, CountPagesOf64KiB) {
  EXPECT_EQ(filePosition({1, 0x0010}), 65552);
  EXPECT_EQ(filePosition({0x20, 0x7FD2}), 0x207FD2);
  EXPECT_EQ(filePosition({0xFF, 0xFFFF}), 0xFFFFFFLL);
}

TEST(ImageTransfers, MoveCountBytesWithZeroMeaning256) {
  TempImage image(3 * 65536, 0x11);
  RecordAreaStore store;
  ASSERT_TRUE(store.openImage(image.path()));

  Bytes data(256);
  std::iota(data.begin(), data.end(), 0);
  ASSERT_TRUE(store.writeImage({1, 0x0010}, 0, data.data()));
  ASSERT_TRUE(store.commitImage());
  EXPECT_EQ(image.read(65552, 256), data);
  EXPECT_EQ(image.read(65552 + 256, 1), Bytes{0x11});

  Bytes ones(256, 0xAB);
  ASSERT_TRUE(store.writeImage({2, 0}, 255, ones.data()));
  ASSERT_TRUE(store.commitImage());
  Bytes expected(255, 0xAB);
  expected.push_back(0x11);
  EXPECT_EQ(image.read(2 * 65536, 256), expected) << "255 moves 255 bytes";

  Bytes back(256, 0);
  ASSERT_TRUE(store.readImage({1, 0x0010}, 0, back.data()));
  EXPECT_EQ(back, data);
  Bytes part(256, 0x77);
  ASSERT_TRUE(store.readImage({1, 0x0010}, 255, part.data()));
  EXPECT_EQ(Bytes(part.begin(), part.begin() + 255), Bytes(data.begin(), data.begin() + 255));
  EXPECT_EQ(part[255], 0x77) << "a read of 255 bytes leaves the 256th buffer byte alone";
}

TEST(ImageTransfers, FailWithoutAnOpenImage) {
  RecordAreaStore store;
  EXPECT_FALSE(store.isOpen());
  uint8_t buffer[8] = {};
  EXPECT_FALSE(store.readImage({0, 0x0100}, 8, buffer));
  EXPECT_FALSE(store.writeImage({0, 0x0100}, 8, buffer));
  EXPECT_EQ(store.imageFileSize(), -1);

  TempImage image(4096);
  ASSERT_TRUE(store.openImage(image.path()));
  store.closeImage();
  EXPECT_FALSE(store.isOpen());
  EXPECT_FALSE(store.readImage({0, 0}, 8, buffer));
  EXPECT_FALSE(store.writeImage({0, 0}, 8, buffer));
  EXPECT_EQ(image.read(0, 8), Bytes(8, 0xFF));
}

TEST(ImageTransfers, OpenOnlyExistingFilesAndNeverTruncate) {
  RecordAreaStore store;
  const std::string missing =
      (std::filesystem::temp_directory_path() / "velstore-no-such.VEL").string();
  std::filesystem::remove(missing);
  EXPECT_FALSE(store.openImage(missing));
  EXPECT_FALSE(std::filesystem::exists(missing)) << "opening must not create the file";

  TempImage image(5000, 0x42);
  ASSERT_TRUE(store.openImage(image.path()));
  EXPECT_EQ(store.imageFileSize(), 5000);
  store.closeImage();
  EXPECT_EQ(image.size(), 5000);
  EXPECT_EQ(image.read(4990, 10), Bytes(10, 0x42));
}

// A card image that ends early must not pass off stale buffer bytes as data.
TEST(ImageTransfers, ReportShortReadsAndZeroTheUnreadRest) {
  TempImage image(0x0110, 0x5A);
  RecordAreaStore store;
  ASSERT_TRUE(store.openImage(image.path()));

  Bytes buffer(256, 0xEE);
  EXPECT_FALSE(store.readImage({0, 0x0100}, 32, buffer.data()));
  Bytes expected(16, 0x5A);
  expected.resize(32, 0x00);
  expected.resize(256, 0xEE);
  EXPECT_EQ(buffer, expected) << "16 bytes read, 16 zeroed, the rest untouched";

  Bytes beyond(8, 0xEE);
  EXPECT_FALSE(store.readImage({1, 0}, 8, beyond.data()));
  EXPECT_EQ(beyond, Bytes(8, 0));

  Bytes whole(16, 0xEE);
  EXPECT_TRUE(store.readImage({0, 0x0100}, 16, whole.data())) << "a read that ends at the end";
  EXPECT_EQ(whole, Bytes(16, 0x5A));
}

TEST(ImageTransfers, ReachTheFileWhenCommittedAndNeverBefore) {
  TempImage image(4096, 0);
  RecordAreaStore store;
  ASSERT_TRUE(store.openImage(image.path()));
  const Bytes data = {1, 2, 3, 4, 5};
  ASSERT_TRUE(store.writeImage({0, 0x0123}, 5, data.data()));
  EXPECT_EQ(image.read(0x0123, 5), Bytes(5, 0));  // read through a stream of its own
  ASSERT_TRUE(store.commitImage());
  EXPECT_EQ(image.read(0x0123, 5), data);
  // What was not committed never reaches the file.
  ASSERT_TRUE(store.writeImage({0, 0x0200}, 5, data.data()));
  store.closeImage();
  EXPECT_EQ(image.read(0x0200, 5), Bytes(5, 0));
}

}  // namespace
}  // namespace vel
