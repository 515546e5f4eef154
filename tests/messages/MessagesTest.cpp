// The card session's codes in the program's words: Chinese as written for
// velcard, and through whatever translation a window hands in.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "exchange/ExchangeFile.h"
#include "messages/Messages.h"

namespace vel {
namespace {

ReadProblem problem(ReadProblem::Kind kind, std::string path, int error, std::size_t line) {
  ReadProblem made;
  made.kind = kind;
  made.path = std::move(path);
  made.error = error;
  made.line = line;
  return made;
}

SnapshotFailure failure(SnapshotFailure::Reason reason, std::string index, int error) {
  SnapshotFailure made;
  made.reason = reason;
  made.folder = "/b";
  made.index = std::move(index);
  made.error = error;
  return made;
}

// A translation that shows where it was asked for.
std::string bracketed(const char* source) {
  return std::string("[") + source + "]";
}

TEST(Messages, SayEachCodeInTheProgramsWords) {
  const struct {
    std::string said;
    std::string words;
  } cases[] = {
      {refusalText(Refusal::kDuplicateJobName, asWritten), "有文件重名，创建文件失败！"},
      {refusalText(Refusal::kRecordAreaFull, asWritten), "记录区已满，无法再存贮数据！"},
      {refusalText(Refusal::kSnapshotFromOtherCard, asWritten),
       "这个备份来自另一张存储卡，没有恢复！"},
      {refusalText(Refusal::kNothingThere, asWritten), ""},
      {changeRefusalText(ChangeRefusal::kSizeMisfit, {1000, kRX3_8, 2129920}, asWritten),
       "记录区文件的大小（1000字节）与机型RX3-8不符（应为2129920字节），只能读取，不能修改！"},
      {changeRefusalText(ChangeRefusal::kNone, {}, asWritten), ""},
      {notBackedUpText(failure(SnapshotFailure::Reason::kDiskFull, "", 0), asWritten),
       "无法保存备份，操作已取消：/b\r\n磁盘已满"},
      {notBackedUpText(failure(SnapshotFailure::Reason::kSystemError, "", ENOTDIR), asWritten),
       "无法保存备份，操作已取消：/b\r\n" + std::to_string(ENOTDIR) + " " + std::strerror(ENOTDIR)},
      {notBackedUpText(failure(SnapshotFailure::Reason::kIndexUnreadable, "/b/index.txt", EACCES),
                       asWritten),
       "无法读取备份索引/b/index.txt，操作已取消，备份均未改动：\r\n没有写入权限"},
      {readProblemText(problem(ReadProblem::Kind::kUnreadable, "/x.QPL", ENOENT, 0), asWritten),
       "无法读取文件：/x.QPL\r\n文件不存在"},
      {readProblemText(problem(ReadProblem::Kind::kUnreadable, "/x.QPL", kNotText, 4), asWritten),
       "无法读取文件：/x.QPL\r\n第4行含有空字节（NUL），这不是文本文件，整个文件未导入"},
      {readProblemText(problem(ReadProblem::Kind::kNoComma, "", 0, 2), asWritten), "第2行没有逗号"},
      {systemReasonText(EACCES, asWritten), "没有读取权限"},
      {systemReasonText(ENOSPC, asWritten),
       "系统错误" + std::to_string(ENOSPC) + "：" + std::strerror(ENOSPC)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.said, c.words);
}

TEST(Messages, SayWhatASnapshotWasKeptBeforeFromItsCodeOrItsOldWords) {
  Snapshot coded;
  coded.label = {SnapshotAction::kRenameJob, {"JOB1", "MAIN"}};
  coded.contents = {true, true, {{"MAIN", 3}, {"ROAD", 0}}, 2, 1};
  EXPECT_EQ(snapshotActionText(coded, asWritten), "工作文件改名 JOB1 → MAIN");
  EXPECT_EQ(snapshotContentsText(coded, asWritten), "工作文件 MAIN(3) ROAD(0)；已知点 2；特征码 1");
  // Values go into the translated words, wherever the translation puts them.
  EXPECT_EQ(snapshotActionText(coded, bracketed), "[工作文件改名 JOB1 → MAIN]");
  coded.contents = {true, true, {}, 0, 0};
  EXPECT_EQ(snapshotContentsText(coded, bracketed), "[工作文件 [无]；已知点 0；特征码 0]");
  coded.contents.recognised = false;
  EXPECT_EQ(snapshotContentsText(coded, asWritten), "未识别的记录区");

  Snapshot old;
  old.action = "删除工作文件 ZERO";
  old.summary = "工作文件 无；已知点 0；特征码 0";
  EXPECT_EQ(snapshotActionText(old, bracketed), "删除工作文件 ZERO");
  EXPECT_EQ(snapshotContentsText(old, bracketed), "工作文件 无；已知点 0；特征码 0");
}

}  // namespace
}  // namespace vel
