#pragma once

#include <stdexcept>
#include <string>

namespace tamariko {

// Every failure the program reports is one of these (or derived). The message is meant for
// the teacher and is UTF-8.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tamariko
