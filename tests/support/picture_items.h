// The primitives of one kind in a picture, in drawing order, for tests that
// look at what a renderer drew.
#pragma once

#include <variant>
#include <vector>

#include "geometry/picture.h"

namespace kelvora::testing {

template <typename T>
std::vector<T> ItemsOf(const geometry::Picture& p) {
  std::vector<T> out;
  for (const geometry::Primitive& item : p.items) {
    if (const T* t = std::get_if<T>(&item)) out.push_back(*t);
  }
  return out;
}

}  // namespace kelvora::testing
