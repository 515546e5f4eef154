// The record area of the instrument, byte for byte: the one open image file,
// its model and geometry, and in-memory copies of the small header tables.
// Every operation that changes something writes the affected bytes through
// the image file before it returns, into the transaction that commitImage()
// puts on the card whole. The one facade its caller (the card session) uses;
// the layout, the directory entries and the block allocator are its parts,
// and its answers are the codes of store/StoreCodes.h.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "store/BlockAllocator.h"
#include "store/DirectoryEntry.h"
#include "store/FixedValue.h"
#include "store/ImageByteOrder.h"
#include "store/ImageFile.h"
#include "store/ModelLayout.h"
#include "store/StoreCodes.h"

namespace vel {

class RecordAreaStore {
 public:
  explicit RecordAreaStore(Clock clock = localTimeNow);
  ~RecordAreaStore();
  RecordAreaStore(const RecordAreaStore&) = delete;
  RecordAreaStore& operator=(const RecordAreaStore&) = delete;

  // --- Image access -------------------------------------------------------
  // Opens an existing file in place (ImageFile::open); never creates it.
  bool openImage(const std::string& path, FileSystemCalls& calls = fileSystemCalls()) {
    return file_.open(path, calls);
  }
  void closeImage() { file_.close(); }
  bool isOpen() const { return file_.isOpen(); }
  // count 0 means 256; see ImageFile.
  bool readImage(ImageAddress address, uint8_t count, uint8_t* buffer) {
    return file_.read(address, count, buffer);
  }
  bool writeImage(ImageAddress address, uint8_t count, const uint8_t* buffer) {
    return file_.write(address, count, buffer);
  }
  // Puts what was written since the last commit on the card, whole or not at all.
  bool commitImage() { return file_.commit(); }
  // The file itself, for locking and transactions.
  ImageFile& imageFile() { return file_; }
  const ImageFile& imageFile() const { return file_; }
  // Size of the open image file in bytes, -1 when none is open.
  long long imageFileSize() const { return file_.size(); }

  const ImageByteOrder& byteOrder() const { return byteOrder_; }

  // --- Models, layout and format -------------------------------------------
  uint8_t detectModel();
  const ModelLayout& modelLayout() const { return layout_; }
  int instrumentModel() const { return layout_.model; }
  int sectorCount() const { return layout_.sectors; }
  int layout() const { return layout_.layout; }
  int blockCount() const { return layout_.blocks; }
  int entrySize() const { return layout_.entrySize; }
  uint8_t jobLimit() const { return layout_.jobLimit; }
  uint8_t knownPointFile() const { return layout_.knownPointFile; }
  int capacity() const { return layout_.blocks * kRecordsPerBlock; }
  uint16_t freeRecords() const { return freeRecords_; }
  // True after a detection that recognised the image, or after useModel.
  bool modelSettled() const { return modelSettled_; }

  void loadTables();
  // Empties the record area for the model in the state and writes its format
  // word. An image the last detection did not recognise is first given the
  // model chosen by modelForUnrecognisedImage. kDone or kWriteFailed.
  uint8_t formatRecordArea();
  // Sets a model with its own layout, byte order and geometry, as formatting
  // that model needs it.
  void useModel(int model, int sectors);
  // The model and sector count formatting gives an image that detection did
  // not recognise: by file size, else the model last recognised in this run.
  std::pair<int, int> modelForUnrecognisedImage() const;
  bool checkJobOrder();

  // --- Job directory ----------------------------------------------------------
  int jobCount() const;
  uint8_t jobSlotAt(int position) const;
  uint8_t jobPositionOf(uint8_t slot) const;
  uint8_t currentJob() const { return currentJob_; }
  bool hasCurrentJob() const { return currentJob_ < layout_.jobLimit; }
  uint8_t findJob(std::string_view name);
  uint8_t createJob(std::string_view name);
  uint8_t renameJob(uint8_t slot, std::string_view name);
  // A job position, or knownPointFile to empty the known-point file.
  uint8_t deleteJob(int positionOrKnownFile);
  // The stored name's leading printable characters.
  std::string jobName(uint8_t slot);
  // The job's directory entry as stored; an empty one for a slot past the jobs.
  DirectoryEntry jobEntry(uint8_t slot);
  JobTime jobCreationTime(uint8_t slot);
  uint16_t recordCount(uint8_t slot);

  // --- Job records -----------------------------------------------------------
  uint8_t appendRecord(uint8_t slot, uint8_t length, const uint8_t* record);
  uint8_t readRecord(uint8_t slot, int number, uint8_t length, uint8_t* buffer);
  uint8_t deleteRecord(uint8_t slot, int number);
  std::string recordPointName(uint8_t slot, int number);
  std::optional<RecordLocation> locateRecord(uint8_t slot, int number) {
    return allocator_.locate(slot, number);
  }

  // --- Feature codes ----------------------------------------------------------
  int featureCodeCount() const;
  std::string featureCodeAt(int position);
  // Stores the first 8 bytes of the code, followed by a NUL when shorter.
  uint8_t addFeatureCode(std::string_view code);
  uint8_t deleteFeatureCode(int position);
  uint8_t clearFeatureCodes();

  // --- In-memory tables, for views and checks ---------------------------------
  const BlockAllocator& allocator() const { return allocator_; }
  AllocationEntry allocationEntry(int block) const { return allocator_.entry(block); }
  const std::array<uint8_t, 128>& jobOrderTable() const { return jobOrder_; }
  const std::array<uint8_t, 64>& codeOrderTable() const { return codeOrder_; }

 private:
  const HeaderFields& header() const { return layout_.header(); }
  void setLayout(const ModelLayout& layout);
  bool writeHeaderByte(uint16_t offset, uint8_t value);
  bool writeHeaderWord(uint16_t offset, uint16_t hostValue);
  uint16_t readHeaderWord(uint16_t offset);
  bool writeJobOrder();
  bool writeCodeOrder();
  bool writeRecordCount(uint8_t slot, uint16_t count);
  bool writeFreeRecords(uint16_t count);
  void resetTables();

  Clock clock_;
  ImageFile file_;
  ImageByteOrder byteOrder_{false};
  ModelLayout layout_;
  BlockAllocator allocator_{file_, layout_};
  bool modelSettled_ = false;
  int lastRecognisedModel_ = -1;  // in this run; -1 before any
  int lastRecognisedSectors_ = kStandardSectors;

  uint8_t currentJob_ = 0xFF;
  uint16_t freeRecords_ = 0;
  std::array<uint8_t, 128> jobOrder_{};
  std::array<uint8_t, 64> codeOrder_{};
};

}  // namespace vel
