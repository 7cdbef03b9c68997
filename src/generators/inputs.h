// Converting a job's input texts, in their documented order, into values.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "geometry/draw_obj.h"
#include "text/outcome.h"

namespace kelvora::generators {

inline constexpr std::string_view kParametersError = "Parameters error";

// "Data Line:" n " wrong": the refusal of list row n (1-based), whose cell is
// empty or holds no number.
std::string DataLineWrong(std::size_t rowNumber);

// The text an input holds, by its settings key ("CirR", "GridZigzac", ...). The
// dialog answers from its boxes, the command line from defaults, profile and
// KEY=VALUE arguments.
using TextLookup = std::function<std::string(std::string_view key)>;

// Receives a job's drawing list once its program is made, so that a preview is
// drawn from the very list the program was made from, without building it again.
using ListSink = std::function<void(const geometry::DrawList& list)>;

// Converts texts in the order they are asked for and stops at the first one that
// does not convert; later calls then do nothing. The failure names that key.
class InputReader {
 public:
  explicit InputReader(const TextLookup& texts, std::string_view message = kParametersError)
      : texts_(texts), message_(message) {}

  InputReader& Double(std::string_view key, double& out);
  InputReader& Int16(std::string_view key, int& out);
  InputReader& Int32(std::string_view key, int& out);
  // A check box: "True" is checked, anything else is not. Always converts.
  InputReader& Bool(std::string_view key, bool& out);
  // A text taken as it is. Always converts.
  InputReader& Text(std::string_view key, std::string& out);

  bool ok() const { return failedKey_.empty(); }
  const std::string& failedKey() const { return failedKey_; }
  // The refusal to report when !ok(): the message with the key as its detail.
  Failure failure() const { return Failure{message_, failedKey_}; }

 private:
  const TextLookup& texts_;
  std::string message_;
  std::string failedKey_;
};

}  // namespace kelvora::generators
