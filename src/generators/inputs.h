// Converting a job's input texts, in their documented order, into values.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "geometry/draw_obj.h"
#include "text/number_format.h"
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
  // Stores what `parse` makes of the key's text, or marks the key as failed.
  template <class T, class Parse>
  InputReader& Convert(std::string_view key, T& out, Parse parse);

  const TextLookup& texts_;
  std::string message_;
  std::string failedKey_;
};

// Whether `value`, as a program writes it in `format`, is above 0.
bool WritesAboveZero(double value, text::NumberFormat format = text::NumberFormat::kMax3);

// The refusal of a feed a job writes a move at: "Parameters error" and the key
// when the feed, as the program writes it in `format`, is not above 0 (a control
// refuses a feed move at F0, and a negative feed is no feed).
std::optional<Failure> RefuseFeed(double feed, std::string_view key,
                                  text::NumberFormat format = text::NumberFormat::kMax3);

// Keys of the motion inputs each machining job reads first, in this order: the
// feed, the retract and safe heights, the depth, the step down and the spindle
// speed.
struct MotionKeys {
  std::string_view feed, retract, zsafe, depth, step, spindle;
};

// Reads the motion inputs into the feed, retract, zsafe, depth and spindle of
// `in`, and the step into `step` (a pass for drilling, a step-down for milling).
template <class Inputs>
InputReader& ReadMotion(InputReader& r, const MotionKeys& keys, Inputs& in, double& step) {
  return r.Double(keys.feed, in.feed)
      .Double(keys.retract, in.retract)
      .Double(keys.zsafe, in.zsafe)
      .Double(keys.depth, in.depth)
      .Double(keys.step, step)
      .Double(keys.spindle, in.spindle);
}

}  // namespace kelvora::generators
