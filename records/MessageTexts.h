// The texts by which the program tells the user of a refusal or a failure.
// The desktop program and velcard show the same words.
#pragma once

namespace vel {

inline constexpr const char* kDuplicateJobNameText = "有文件重名，创建文件失败！";
inline constexpr const char* kNoFreeJobSlotText = "创建文件失败！";
inline constexpr const char* kRenameTakenText = "有同名文件,无法重命名！";
inline constexpr const char* kJobFullBeforeText = "文件已满！";
inline constexpr const char* kKnownFileFullBeforeText = "已知点文件已满！";
inline constexpr const char* kJobFullWhileStoringText = "文件已满，无法存贮全部数据！";
inline constexpr const char* kRecordAreaFullText = "记录区已满，无法再存贮数据！";
inline constexpr const char* kCodeLibraryFullText = "特征码库已满，无法再输入!";
inline constexpr const char* kCardWriteFailedText = "记录区写入失败，请检查存储卡！";

}  // namespace vel
