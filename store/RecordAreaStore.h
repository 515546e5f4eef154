// The record area of the instrument, byte for byte: the one open image file,
// its model and geometry, and in-memory copies of the small header tables.
// Every operation that changes something writes the affected bytes to the
// image before it returns.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/FixedValue.h"
#include "store/ImageByteOrder.h"

namespace vel {

// Result codes of the store's operations.
constexpr uint8_t kDone = 0;
constexpr uint8_t kWriteFailed = 253;  // bytes did not reach the image file
constexpr uint8_t kJobFull = 254;      // the job already holds kMaxJobRecords records
constexpr uint8_t kRefused = 255;      // none, not found, full or refused

// Results of detectModel.
constexpr uint8_t kModelRecognised = 1;
constexpr uint8_t kModelNotRecognised = 0;
constexpr uint8_t kModelJobOrderPlausible = 2;  // unknown format word, job order table passes
constexpr uint8_t kNoImage = 255;

constexpr int kRecordSize = 42;
constexpr int kMaxJobRecords = 3072;
constexpr int kMaxFeatureCodes = 64;
constexpr int kNameLength = 8;  // job names, point names and feature codes

enum Model : int { kRX3_8 = 0, kRX2_8 = 1, kRX3_32 = 2, kRX9_32 = 3 };

// "RX3-8", "RX2-8", "RX3-32" or "RX9-32"; "" for an index outside 0 to 3.
const char* modelName(int model);

// Sector count of a model; RX3-8 also exists with kRX3_8LongSectors.
constexpr int kStandardSectors = 8320;
constexpr int kRX3_8LongSectors = 8704;
constexpr int kLayout1Sectors = 8312;
int defaultSectors(int model);
constexpr long long kSectorSize = 256;

// A location in the image: file position = page * 65536 + offset.
struct ImageAddress {
  uint8_t page = 0;
  uint16_t offset = 0;
};
constexpr long long filePosition(ImageAddress a) {
  return a.page * 65536LL + a.offset;
}

struct RecordLocation {
  uint16_t block = 0;
  uint8_t sector = 0;  // 0 to 7
  uint8_t slot = 0;    // 0 to 5

  friend bool operator==(const RecordLocation&, const RecordLocation&) = default;
};

// Creation time of a job on the RX9-32.
struct JobTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
};
using Clock = std::function<JobTime()>;
JobTime localTimeNow();

// A known point's list row: the name in 8 columns, then N, E and Z each as the
// 11-character wide text padded to 12, two blanks between the fields.
std::string knownPointText(std::string_view name, FixedValue n, FixedValue e, FixedValue z);

// "yy-mm-dd hh:mm", the hour padded with a space.
std::string formatJobDate(const JobTime& time);

// Where the small header fields of a layout lie.
struct HeaderFields;

struct AllocationEntry {
  uint8_t owner = 0xFF;  // 0xFF free, otherwise job slot + 1
  uint8_t count = 0;     // used record slots, 0 to 48
};

class RecordAreaStore {
 public:
  explicit RecordAreaStore(Clock clock = localTimeNow);
  ~RecordAreaStore();
  RecordAreaStore(const RecordAreaStore&) = delete;
  RecordAreaStore& operator=(const RecordAreaStore&) = delete;

  // --- Image access -------------------------------------------------------
  // Opens an existing file for reading and writing in place; never creates it.
  bool openImage(const std::string& path);
  void closeImage();
  bool isOpen() const { return fd_ >= 0; }
  // count 0 means 256. False when no image is open, positioning fails or fewer
  // bytes were moved; a short read fills the rest of the buffer with 0.
  bool readImage(ImageAddress address, uint8_t count, uint8_t* buffer);
  bool writeImage(ImageAddress address, uint8_t count, const uint8_t* buffer);
  // Forces what was written to the device.
  bool syncImage();
  // Size of the open image file in bytes, -1 when none is open.
  long long imageFileSize() const;

  void setImageByteOrder(bool littleEndian) { byteOrder_ = ImageByteOrder(littleEndian); }
  const ImageByteOrder& byteOrder() const { return byteOrder_; }
  uint16_t swapInt16(uint16_t value) const { return byteOrder_.swapInt16(value); }

  // --- Models, layout and format -------------------------------------------
  uint8_t detectModel();
  int instrumentModel() const { return model_; }
  int sectorCount() const { return sectors_; }
  int layout() const { return layout_; }
  int blockCount() const { return blocks_; }
  int entrySize() const { return entrySize_; }
  uint8_t jobLimit() const { return jobLimit_; }
  uint8_t knownPointFile() const { return knownPointFile_; }
  int capacity() const { return blocks_ * kRecordsPerBlock; }
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

  // --- Order tables (job order: n = jobLimit, code order: n = 64) ------------
  static uint8_t allocateListEntry(uint8_t* table, int n);
  static void removeListEntry(int position, uint8_t* table, int n);

  // --- Job directory ----------------------------------------------------------
  int jobCount() const;
  uint8_t jobSlotAt(int position) const;
  uint8_t jobPositionOf(uint8_t slot) const;
  uint8_t currentJob() const { return currentJob_; }
  bool hasCurrentJob() const { return currentJob_ < jobLimit_; }
  uint8_t findJob(std::string_view name);
  uint8_t createJob(std::string_view name);
  uint8_t renameJob(uint8_t slot, std::string_view name);
  // A job position, or knownPointFile to empty the known-point file.
  uint8_t deleteJob(int positionOrKnownFile);
  std::string jobName(uint8_t slot);
  std::string jobListLine(int position);
  JobTime jobCreationTime(uint8_t slot);
  uint16_t recordCount(uint8_t slot);

  // --- Job records -----------------------------------------------------------
  uint8_t appendRecord(uint8_t slot, uint8_t length, const uint8_t* record);
  uint8_t readRecord(uint8_t slot, int number, uint8_t length, uint8_t* buffer);
  uint8_t deleteRecord(uint8_t slot, int number);
  std::string recordPointName(uint8_t slot, int number);
  std::optional<RecordLocation> locateRecord(uint8_t slot, int number);
  uint8_t findBlockForJob(uint8_t slot, RecordLocation& location);
  uint8_t takeFreeSlot(uint16_t block, RecordLocation& location);
  static ImageAddress recordAddress(RecordLocation location);

  // --- Known points ---------------------------------------------------------
  std::string knownPointLine(int number);

  // --- Feature codes ----------------------------------------------------------
  int featureCodeCount() const;
  std::string featureCodeAt(int position);
  // Stores the first 8 bytes of the code, followed by a NUL when shorter.
  uint8_t addFeatureCode(std::string_view code);
  uint8_t deleteFeatureCode(int position);
  uint8_t clearFeatureCodes();

  // --- In-memory tables, for views and checks ---------------------------------
  AllocationEntry allocationEntry(int block) const { return allocation_.at(block); }
  const std::array<uint8_t, 128>& jobOrderTable() const { return jobOrder_; }
  const std::array<uint8_t, 64>& codeOrderTable() const { return codeOrder_; }

  static constexpr int kRecordsPerBlock = 48;
  static constexpr int kMaxBlocks = 1080;

 private:
  const HeaderFields& header() const;
  bool writeHeaderByte(uint16_t offset, uint8_t value);
  bool writeHeaderWord(uint16_t offset, uint16_t hostValue);
  uint16_t readHeaderWord(uint16_t offset);
  bool writeJobOrder();
  bool writeCodeOrder();
  bool readAllocationTable();
  bool writeAllocationTable();
  bool writeAllocationEntry(int block);
  bool readBitmap(int block, uint8_t* bitmap);
  bool writeBitmap(int block, const uint8_t* bitmap);
  bool writeRecordCount(uint8_t slot, uint16_t count);
  bool writeFreeRecords(uint16_t count);
  uint16_t entryOffset(uint8_t slot) const;
  bool ownsBlock(int block, uint8_t slot) const;
  void setGeometry(int sectors);
  void resetTables();

  Clock clock_;
  int fd_ = -1;
  ImageByteOrder byteOrder_{false};

  int model_ = kRX3_8;
  int sectors_ = kStandardSectors;
  int blocks_ = kStandardSectors / 8 - 8;
  int layout_ = 0;
  int entrySize_ = 16;
  uint8_t jobLimit_ = 128;
  uint8_t knownPointFile_ = 128;
  bool modelSettled_ = false;
  int lastRecognisedModel_ = -1;  // in this run; -1 before any
  int lastRecognisedSectors_ = kStandardSectors;

  uint8_t currentJob_ = 0xFF;
  uint16_t freeRecords_ = 0;
  std::array<uint8_t, 128> jobOrder_{};
  std::array<uint8_t, 64> codeOrder_{};
  std::array<AllocationEntry, kMaxBlocks> allocation_{};
};

}  // namespace vel
