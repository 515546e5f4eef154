// The words by which the program tells the user of a refusal, a failure or
// a snapshot, all in one place: the Chinese the program is written in, each
// marked for the desktop program's translation (context "MessageTexts").
// velcard says them as they stand. messages/Messages.h puts the card
// session's codes into these words; nothing below the front ends uses them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Marks the texts for the desktop program's translation, which looks them up
// by their words; here it leaves them as they are, so velcard and the card
// data stay Chinese.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace vel {

inline constexpr const char* kDuplicateJobNameText =
    QT_TRANSLATE_NOOP("MessageTexts", "有文件重名，创建文件失败！");
inline constexpr const char* kNoFreeJobSlotText =
    QT_TRANSLATE_NOOP("MessageTexts", "创建文件失败！");
inline constexpr const char* kRenameTakenText =
    QT_TRANSLATE_NOOP("MessageTexts", "有同名文件,无法重命名！");
inline constexpr const char* kJobFullBeforeText = QT_TRANSLATE_NOOP("MessageTexts", "文件已满！");
inline constexpr const char* kKnownFileFullBeforeText =
    QT_TRANSLATE_NOOP("MessageTexts", "已知点文件已满！");
inline constexpr const char* kJobFullWhileStoringText =
    QT_TRANSLATE_NOOP("MessageTexts", "文件已满，无法存贮全部数据！");
inline constexpr const char* kRecordAreaFullText =
    QT_TRANSLATE_NOOP("MessageTexts", "记录区已满，无法再存贮数据！");
inline constexpr const char* kCodeLibraryFullText =
    QT_TRANSLATE_NOOP("MessageTexts", "特征码库已满，无法再输入!");
inline constexpr const char* kCardWriteFailedText =
    QT_TRANSLATE_NOOP("MessageTexts", "记录区写入失败，请检查存储卡！");

// Why an image is only read (the desktop program says it once on opening,
// and again for a change that was asked for).
inline constexpr const char* kWriteProtectedText = QT_TRANSLATE_NOOP(
    "MessageTexts", "存储卡处于写保护状态（或文件只读），记录区只能读取，不能修改！");
inline constexpr const char* kHardLinkedText = QT_TRANSLATE_NOOP(
    "MessageTexts",
    "记录区文件有不止一个名字（硬链接），只能读取，不能修改！\r\n请复制该文件后再修改。");
inline constexpr const char* kLinkLeavesFolderText =
    QT_TRANSLATE_NOOP("MessageTexts", "记录区文件是指向其文件夹之外的链接，只能读取，不能修改！");
inline constexpr const char* kSizeMisfitText = QT_TRANSLATE_NOOP(
    "MessageTexts",
    "记录区文件的大小（%1字节）与机型%2不符（应为%3字节），只能读取，不能修改！");  // size, model,
                                                                                    // its size

// What opening found of a change that was cut short.
inline constexpr const char* kJournalSetAsideText =
    QT_TRANSLATE_NOOP("MessageTexts",
                      "上次对记录区的修改被中断，此后存储卡又被写入过（例如在仪器上）。为不丢失这些"
                      "数据，"
                      "中断的修改没有被撤销，记录区按现在的内容打开，未作任何改动。\r\n修改记录已另"
                      "存为：%1");  // file
inline constexpr const char* kJournalShownAsBeforeText = QT_TRANSLATE_NOOP(
    "MessageTexts",
    "上次对记录区的修改被中断。存储卡不能写入，无法在卡上撤销；现在显示的是修改之前的内容。");
inline constexpr const char* kJournalOvertakenText = QT_TRANSLATE_NOOP(
    "MessageTexts",
    "上次对记录区的修改被中断，此后存储卡又被写入过；记录区按现在的内容显示，未作任何改动。");
// A change that is on the card, but whose folder the card did not confirm.
inline constexpr const char* kCommitUnconfirmedText = QT_TRANSLATE_NOOP(
    "MessageTexts", "修改已写入记录区，但存储卡没有确认写入完成；请先安全移除存储卡再拔出。");

// An import file that cannot be taken over.
inline constexpr const char* kImportFormatErrorText =
    QT_TRANSLATE_NOOP("MessageTexts", "数据格式不符，无法导入！");
inline constexpr const char* kImportFailedText = QT_TRANSLATE_NOOP("MessageTexts", "导入错误！");

// Why, shown after kImportFailedText. %1 and %2 stand for what each names.
inline constexpr const char* kImportNoCommaText =
    QT_TRANSLATE_NOOP("MessageTexts", "第%1行没有逗号");  // line number
inline constexpr const char* kImportUnreadableText =
    QT_TRANSLATE_NOOP("MessageTexts", "无法读取文件：%1\r\n%2");  // file, reason
inline constexpr const char* kImportNoSuchFormatText =
    QT_TRANSLATE_NOOP("MessageTexts", "第%1种格式不能导入");  // format index
inline constexpr const char* kImportCountMismatchText =
    QT_TRANSLATE_NOOP("MessageTexts", "点数行或结束行与文件不符");
// Coordinates of a text file longer than its 11 characters.
inline constexpr const char* kImportCoordinatesCutText = QT_TRANSLATE_NOOP(
    "MessageTexts",
    "%1 个点的坐标超过 11 位，只读入了前 11 位（第一个：%2）。GIS 格式（GeoPackage、Shapefile、"
    "GeoJSON、KML、CSV 带表头、DXF（CAD））保留全部数字。");  // count, name

// Names that would break the files they are later written to.
inline constexpr const char* kNameBreaksFilesText =
    QT_TRANSLATE_NOOP("MessageTexts",
                      "第%"
                      "1个点的点号含有逗号、双引号或控制字符，以后导出时会破坏文件。请修改后再导入"
                      "；没有导入任何点。");  // rows
inline constexpr const char* kNameBreaksFilesCellText =
    QT_TRANSLATE_NOOP("MessageTexts", "点号含有逗号、双引号或控制字符，以后导出时会破坏文件");
inline constexpr const char* kImportCoordinateCutCellText =
    QT_TRANSLATE_NOOP("MessageTexts", "文件中的坐标超过 11 位，只读入了前 11 位");
inline constexpr const char* kNameCutCellText =
    QT_TRANSLATE_NOOP("MessageTexts", "点号超过 8 个字节，只保留前 8 个字节（原为：%1）");  // name

// A text file that does not look like the format it is opened as.
inline constexpr const char* kFormatSuggestionText =
    QT_TRANSLATE_NOOP("MessageTexts",
                      "这个文件看起来是 %1 格式，按 %1 格式读入吗？\r\n（选择的是 %2 "
                      "格式，选“否”则按 %2 格式读入。）");  // fitting, chosen
inline constexpr const char* kFormatMisfitText = QT_TRANSLATE_NOOP(
    "MessageTexts", "这个文件不像 %1 格式，第%2行不符：\r\n%3");  // format, line number, line
inline constexpr const char* kImportCrsMismatchText =
    QT_TRANSLATE_NOOP("MessageTexts",
                      "文件的坐标系是 %1，记录区的坐标系是 "
                      "%2：一方没有坐标系，无法换算，没有导入任何点。");  // file's,
                                                                          // image's
inline constexpr const char* kNoCrsText = QT_TRANSLATE_NOOP("MessageTexts", "本地坐标（无坐标系）");
inline constexpr const char* kImportNoPointsText =
    QT_TRANSLATE_NOOP("MessageTexts", "文件中没有可以导入的点（图层：%1）");  // layer

// The system's reasons a file cannot be read; others as kSystemErrorText.
inline constexpr const char* kNoSuchFileText = QT_TRANSLATE_NOOP("MessageTexts", "文件不存在");
inline constexpr const char* kNotAFolderOnPathText =
    QT_TRANSLATE_NOOP("MessageTexts", "路径中有一段不是文件夹");
inline constexpr const char* kNoReadPermissionText =
    QT_TRANSLATE_NOOP("MessageTexts", "没有读取权限");
inline constexpr const char* kIsAFolderText = QT_TRANSLATE_NOOP("MessageTexts", "这是一个文件夹");
inline constexpr const char* kImportTooLargeText =
    QT_TRANSLATE_NOOP("MessageTexts", "文件大于64 MiB，无法导入");  // over kMaxTextFileBytes
inline constexpr const char* kNotRegularFileText =
    QT_TRANSLATE_NOOP("MessageTexts", "这不是普通文件（是管道或设备）");
inline constexpr const char* kImportNulText = QT_TRANSLATE_NOOP(
    "MessageTexts", "第%1行含有空字节（NUL），这不是文本文件，整个文件未导入");  // line number
inline constexpr const char* kImportUtf16Text =
    QT_TRANSLATE_NOOP("MessageTexts", "文件是UTF-16编码，请先另存为GBK(ANSI)编码，整个文件未导入");
inline constexpr const char* kNameTooLongText = QT_TRANSLATE_NOOP("MessageTexts", "文件名太长");
inline constexpr const char* kInputOutputErrorText =
    QT_TRANSLATE_NOOP("MessageTexts", "读取时发生输入输出错误");
inline constexpr const char* kSystemErrorText =
    QT_TRANSLATE_NOOP("MessageTexts", "系统错误%1：%2");  // error number, system's text

// Snapshots of the image, kept before an action that removes or overwrites data.
inline constexpr const char* kSnapshotFailedText =
    QT_TRANSLATE_NOOP("MessageTexts", "无法保存备份，操作已取消：");  // + folder, reason
inline constexpr const char* kDiskFullText = QT_TRANSLATE_NOOP("MessageTexts", "磁盘已满");
inline constexpr const char* kNoWritePermissionText =
    QT_TRANSLATE_NOOP("MessageTexts", "没有写入权限");
inline constexpr const char* kImageTooLargeText =
    QT_TRANSLATE_NOOP("MessageTexts", "记录区文件大于16 MiB");
inline constexpr const char* kNameTakenText =
    QT_TRANSLATE_NOOP("MessageTexts", "文件名已被占用（或是一个链接）");
inline constexpr const char* kFolderInUseText =
    QT_TRANSLATE_NOOP("MessageTexts", "另一个程序正在使用备份文件夹");
inline constexpr const char* kSnapshotIndexUnreadableText = QT_TRANSLATE_NOOP(
    "MessageTexts", "无法读取备份索引%1，操作已取消，备份均未改动：\r\n%2");  // file, reason
inline constexpr const char* kSnapshotFromOtherCardText =
    QT_TRANSLATE_NOOP("MessageTexts", "这个备份来自另一张存储卡，没有恢复！");
inline constexpr const char* kImageSizeMisfitReasonText =
    QT_TRANSLATE_NOOP("MessageTexts", "记录区文件的大小与机型不符");
inline constexpr const char* kSnapshotMismatchText =
    QT_TRANSLATE_NOOP("MessageTexts", "备份与当前记录区的大小或机型不同，无法恢复！");
inline constexpr const char* kSnapshotDamagedText =
    QT_TRANSLATE_NOOP("MessageTexts", "备份文件已损坏或丢失，无法恢复！");

// What a snapshot was taken before, as its list names it. %1 and %2 as above.
inline constexpr const char* kFormatAction = QT_TRANSLATE_NOOP("MessageTexts", "格式化记录区");
inline constexpr const char* kDeleteJobAction =
    QT_TRANSLATE_NOOP("MessageTexts", "删除工作文件 %1");  // job
inline constexpr const char* kRenameJobAction =
    QT_TRANSLATE_NOOP("MessageTexts", "工作文件改名 %1 → %2");  // old name, new name
inline constexpr const char* kDeleteRecordAction =
    QT_TRANSLATE_NOOP("MessageTexts", "删除记录 %1 第%2条");  // job, record from 1
inline constexpr const char* kDeleteRecordsAction =
    QT_TRANSLATE_NOOP("MessageTexts", "删除记录 %1 共%2条");  // job, how many
inline constexpr const char* kDeleteJobsAction =
    QT_TRANSLATE_NOOP("MessageTexts", "删除工作文件 共%1个");  // how many
inline constexpr const char* kDeleteCodesAction =
    QT_TRANSLATE_NOOP("MessageTexts", "删除特征码 共%1个");  // how many
inline constexpr const char* kDeleteKnownPointAction =
    QT_TRANSLATE_NOOP("MessageTexts", "删除已知点 %1");  // point
inline constexpr const char* kClearKnownPointsAction =
    QT_TRANSLATE_NOOP("MessageTexts", "清空已知点");
inline constexpr const char* kDeleteCodeAction =
    QT_TRANSLATE_NOOP("MessageTexts", "删除特征码 %1");  // code
inline constexpr const char* kClearCodesAction = QT_TRANSLATE_NOOP("MessageTexts", "清空特征码");
inline constexpr const char* kImportJobAction =
    QT_TRANSLATE_NOOP("MessageTexts", "导入坐标到 %1");  // job
inline constexpr const char* kImportKnownPointsAction =
    QT_TRANSLATE_NOOP("MessageTexts", "导入已知点");
inline constexpr const char* kRestoreAction =
    QT_TRANSLATE_NOOP("MessageTexts", "恢复备份 %1");  // the restored snapshot's time
inline constexpr const char* kManualSnapshotAction = QT_TRANSLATE_NOOP("MessageTexts", "手动备份");

// A snapshot's summary: its jobs with their record counts, known points, codes.
inline constexpr const char* kSummaryText =
    QT_TRANSLATE_NOOP("MessageTexts", "工作文件 %1；已知点 %2；特征码 %3");
inline constexpr const char* kNoJobsText = QT_TRANSLATE_NOOP("MessageTexts", "无");
inline constexpr const char* kUnrecognisedSummaryText =
    QT_TRANSLATE_NOOP("MessageTexts", "未识别的记录区");

// A typed coordinate outside the range the grids take.
inline constexpr const char* kCoordinateRangeText = QT_TRANSLATE_NOOP(
    "MessageTexts", "输入的坐标数据超出最大范围:\r\n(-999999.999m~9999999.999m)\r\n请重新输入!");

// Saving points in a file.
inline constexpr const char* kCoordinatesCutText =
    QT_TRANSLATE_NOOP("MessageTexts",
                      "%1 个点的坐标超过 11 位，文件中只写入了前 11 位（第一个：%2）。\r\n"
                      "GIS 格式（GeoPackage、Shapefile、GeoJSON、KML、CSV "
                      "带表头、DXF（CAD））保留全部数字。");  // count, name
inline constexpr const char* kNeedsCrsText = QT_TRANSLATE_NOOP(
    "MessageTexts",
    "GeoJSON 和 KML 文件使用 WGS 84 经纬度，需要选定坐标系；现在是本地坐标，没有写入文件。");
inline constexpr const char* kFileWriteFailedText =
    QT_TRANSLATE_NOOP("MessageTexts", "文件写入失败！");

// A text with %1, %2, ... replaced by the values in order; a mark without a
// value stays as it is.
std::string placeValues(std::string_view text, std::initializer_list<std::string_view> values);

}  // namespace vel
