// Changes an image as another program would: through a store of its own,
// committed to the card before it returns. A window or session that has the
// image open does not see the change until it opens the image again.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "store/RecordAreaStore.h"

namespace vel::test {

template <class Change>
void changeAsAnotherProgram(const std::filesystem::path& image, Change&& change) {
  RecordAreaStore other;
  ASSERT_TRUE(other.openImage(image.string()));
  ASSERT_EQ(other.detectModel(), kModelRecognised);
  other.loadTables();
  change(other);
  ASSERT_TRUE(other.commitImage());
  other.closeImage();
}

}  // namespace vel::test
