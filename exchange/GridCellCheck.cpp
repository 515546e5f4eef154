#include "exchange/GridCellCheck.h"

#include "exchange/ExchangeFormats.h"
#include "records/PointLine.h"
#include "records/NumberText.h"

namespace vel {

std::string checkTextCell(std::string_view cell) {
  const std::string_view text = trimText(cell);
  if (text.size() > kPointTextLimit) return std::string(cutText(text, kPointTextLimit));
  return std::string(cell);
}

std::optional<std::string> checkCoordinateCell(std::string_view cell) {
  const std::string_view text = trimText(cell);
  if (text.empty()) return std::string(cell);
  const double value = leadingNumberValue(text);
  if (!inInclusiveRange(value)) return std::nullopt;
  return generalNumberText(value);
}

}  // namespace vel
