#pragma once
// Success or a one-line reason for failure: how every step of the renderer reports.
// The message is complete enough to print as it stands after the program's name.

#include <string>
#include <utility>

class Status {
 public:
  static Status Ok() { return Status(); }
  static Status Error(std::string message) { return Status(std::move(message)); }

  bool ok() const { return !failed_; }
  const std::string& message() const { return message_; }

 private:
  Status() = default;
  explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  std::string message_;
};
