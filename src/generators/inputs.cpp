#include "generators/inputs.h"

#include "text/parse.h"

namespace kelvora::generators {

std::string DataLineWrong(std::size_t rowNumber) {
  return "Data Line:" + std::to_string(rowNumber) + " wrong";
}

bool WritesAboveZero(double value, text::NumberFormat format) {
  if (!(value > 0)) return false;
  const auto written = text::ParseDouble(text::FormatNumber(value, format));
  return written && *written > 0;
}

std::optional<Failure> RefuseFeed(double feed, std::string_view key, text::NumberFormat format) {
  if (WritesAboveZero(feed, format)) return std::nullopt;
  return Failure{std::string(kParametersError), std::string(key)};
}

template <class T, class Parse>
InputReader& InputReader::Convert(std::string_view key, T& out, Parse parse) {
  if (!ok()) return *this;
  const auto v = parse(texts_(key));
  if (v) {
    out = *v;
  } else {
    failedKey_ = key;
  }
  return *this;
}

InputReader& InputReader::Double(std::string_view key, double& out) {
  return Convert(key, out, [](std::string_view s) { return text::ParseDouble(s); });
}

InputReader& InputReader::Int16(std::string_view key, int& out) {
  return Convert(key, out, [](std::string_view s) { return text::ParseInt16(s); });
}

InputReader& InputReader::Int32(std::string_view key, int& out) {
  return Convert(key, out, [](std::string_view s) { return text::ParseInt32(s); });
}

InputReader& InputReader::Bool(std::string_view key, bool& out) {
  if (ok()) out = texts_(key) == "True";
  return *this;
}

InputReader& InputReader::Text(std::string_view key, std::string& out) {
  if (ok()) out = texts_(key);
  return *this;
}

}  // namespace kelvora::generators
