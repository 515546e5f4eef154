// The card session's codes in the program's words: one table for both front
// ends. velcard says them in Chinese as they stand; the desktop program
// hands in its translation. Nothing is ever composed below the front ends,
// and nothing said is taken apart again.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "card/Outcome.h"
#include "card/Snapshots.h"
#include "exchange/FormatRegistry.h"

namespace vel {

// A text of messages/MessageTexts.h in the language to speak (UTF-8).
using Translate = std::function<std::string(const char* source)>;
// The words as they stand: velcard's.
std::string asWritten(const char* source);

// A refusal's text; empty for one the program says nothing of.
std::string refusalText(Refusal refusal, const Translate& tr);
// Why an image takes no change.
std::string changeRefusalText(ChangeRefusal why, const SizeMisfit& misfit, const Translate& tr);
// Why the snapshot before an action could not be kept: the words, the
// folder, and the reason on a line of its own (CR LF, as the boxes break).
std::string notBackedUpText(const SnapshotFailure& failure, const Translate& tr);
// What a snapshot was kept before, and what the image held then; the words
// an earlier version kept when its line holds no codes.
std::string snapshotActionText(const Snapshot& snapshot, const Translate& tr);
std::string snapshotContentsText(const Snapshot& snapshot, const Translate& tr);
// Why a file gave no points (the words after "导入错误！").
std::string readProblemText(const ReadProblem& problem, const Translate& tr);
// Why a file of points was not written ("文件写入失败！" and the reason);
// empty when it was.
std::string writeProblemText(const WriteResult& result, const Translate& tr);
// That coordinates were cut to the 11 characters of a text format; empty
// when none was.
std::string coordinatesCutText(const WriteResult& result, const Translate& tr);
// A text file that fits another format than the one chosen, or none.
std::string formatSuggestionText(int fitting, int chosen, const Translate& tr);
std::string formatMisfitText(int chosen, std::size_t line, const std::string& text,
                             const Translate& tr);
// That a text file's coordinates were cut to 11 characters; empty when none was.
std::string importCutText(const ReadResult& read, const Translate& tr);
// The rows (from 1) whose names would break the exchange files.
std::string nameBreaksFilesText(const std::vector<std::size_t>& rows, const Translate& tr);
// The system's reason for an error number, in the user's words.
std::string systemReasonText(int error, const Translate& tr);

}  // namespace vel
