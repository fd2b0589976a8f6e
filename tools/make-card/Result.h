// Failures of the card tool travel as values up to main, which reports them.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace lum::card {

struct Failure {
    std::string message;
};

template <class T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::move(value)) {}
    Result(Failure failure) : state_(std::move(failure)) {}

    explicit operator bool() const { return std::holds_alternative<T>(state_); }
    T& operator*() { return std::get<T>(state_); }
    const T& operator*() const { return std::get<T>(state_); }
    T* operator->() { return &std::get<T>(state_); }
    const std::string& Error() const { return std::get<Failure>(state_).message; }

  private:
    std::variant<T, Failure> state_;
};

struct Done {};
using Status = Result<Done>;

inline Failure Fail(std::string message) {
    return Failure{std::move(message)};
}

}  // namespace lum::card
