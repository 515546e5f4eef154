// What a name typed into a file dialog stands for once the dialog closes.
#pragma once

#include <filesystem>
#include <string_view>

namespace vel {

// A name whose last part holds no '.' gets `extension` ("DAT" or ".DAT";
// empty adds nothing); a folder stays a folder. When opening, and no file of
// the completed name exists, an existing file in the same folder whose name
// differs from it only in the letter case of the extension is taken instead:
// a card folder copied to a disk that tells letter cases apart still opens.
// A name typed with an extension is taken as it is.
std::filesystem::path completeTypedFileName(const std::filesystem::path& typed,
                                            std::string_view extension, bool opening);

}  // namespace vel
