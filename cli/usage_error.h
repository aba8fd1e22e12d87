// The failure of a command line the tool cannot act on (exit status 2).
#pragma once

#include <stdexcept>
#include <string>

namespace tsqz::cli {

class UsageError : public std::runtime_error {
  public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// A failure that stops the whole run before or after the documents (exit status 1).
class RunError : public std::runtime_error {
  public:
    explicit RunError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tsqz::cli
