// The image file on the card: one open descriptor, every transfer checked.
#pragma once

#include <cstdint>
#include <string>

namespace vel {

// A location in the image: file position = page * 65536 + offset.
struct ImageAddress {
  uint8_t page = 0;
  uint16_t offset = 0;
};
constexpr long long filePosition(ImageAddress a) {
  return a.page * 65536LL + a.offset;
}

constexpr int kTransferBytes = 256;  // the most one transfer moves

class ImageFile {
 public:
  ImageFile() = default;
  ~ImageFile();
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  // Opens an existing regular file for reading and writing in place; never
  // creates it.
  bool open(const std::string& path);
  // Forces what was written, then closes.
  void close();
  bool isOpen() const { return fd_ >= 0; }

  // count 0 means 256. False when no image is open, positioning fails or fewer
  // bytes were moved; a short read fills the rest of the buffer with 0.
  bool read(ImageAddress address, uint8_t count, uint8_t* buffer);
  bool write(ImageAddress address, uint8_t count, const uint8_t* buffer);
  // Forces what was written to the device.
  bool sync();
  // Size of the open file in bytes, -1 when none is open.
  long long size() const;

 private:
  int fd_ = -1;
};

}  // namespace vel
