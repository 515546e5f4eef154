#include "card/TypedFileName.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vel {
namespace {

namespace fs = std::filesystem;

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

fs::path completeTypedFileName(const fs::path& typed, std::string_view extension, bool opening) {
  const std::string name = typed.filename().string();
  if (name.empty() || name.find('.') != std::string::npos || extension.empty() ||
      extension == ".") {
    return typed;
  }
  std::error_code error;
  if (fs::is_directory(typed, error)) return typed;  // the dialog walks into a folder

  if (extension.front() == '.') extension.remove_prefix(1);
  const std::string stem = name + '.';
  fs::path completed = typed;
  completed.replace_filename(stem + std::string(extension));
  if (!opening || fs::exists(completed, error)) return completed;

  // The first match in name order, so that the choice does not hang on the
  // order the folder lists its entries in.
  const fs::path folder = typed.has_parent_path() ? typed.parent_path() : fs::path(".");
  std::vector<std::string> matches;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string candidate = it->path().filename().string();
    std::error_code typeError;
    if (candidate.size() > stem.size() && candidate.compare(0, stem.size(), stem) == 0 &&
        sameIgnoringAsciiCase(std::string_view(candidate).substr(stem.size()), extension) &&
        !it->is_directory(typeError)) {
      matches.push_back(candidate);
    }
  }
  if (matches.empty()) return completed;
  return typed.parent_path() / *std::min_element(matches.begin(), matches.end());
}

}  // namespace vel
