#pragma once
// Outcome of an operation that can fail for reasons outside the program (I/O, decoding):
// success, or failure with a message meant for the user.

#include <string>
#include <utility>

namespace common {

class Status {
  public:
    static Status success() { return Status(); }
    static Status failure(std::string message) { return Status(std::move(message)); }

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const std::string& message() const { return m_message; }

  private:
    Status() = default;
    explicit Status(std::string message) : m_ok(false), m_message(std::move(message)) {}

    bool m_ok = true;
    std::string m_message;
};

} // namespace common
