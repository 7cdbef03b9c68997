#include "generators/inputs.h"

#include "text/parse.h"

namespace kelvora::generators {

std::string DataLineWrong(std::size_t rowNumber) {
  return "Data Line:" + std::to_string(rowNumber) + " wrong";
}

InputReader& InputReader::Double(std::string_view key, double& out) {
  if (!ok()) return *this;
  const auto v = text::ParseDouble(texts_(key));
  if (v) {
    out = *v;
  } else {
    failedKey_ = key;
  }
  return *this;
}

InputReader& InputReader::Int16(std::string_view key, int& out) {
  if (!ok()) return *this;
  const auto v = text::ParseInt16(texts_(key));
  if (v) {
    out = *v;
  } else {
    failedKey_ = key;
  }
  return *this;
}

InputReader& InputReader::Int32(std::string_view key, int& out) {
  if (!ok()) return *this;
  const auto v = text::ParseInt32(texts_(key));
  if (v) {
    out = *v;
  } else {
    failedKey_ = key;
  }
  return *this;
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
