// The outcome of an operation that can fail with a text for the user: the value, or the error
// text that says what went wrong (as the program shows it, without a closing full stop).
//
//   Result<int64_t> CopyBytes(...);
//   const Result<int64_t> copied = CopyBytes(in, out);
//   if (!copied) return copied.Error();
//   total += copied.Value();
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace vorlaxis {

// The error side of a Result: Failure("Stream read error").
struct ErrorText {
    std::string text;
};

inline ErrorText Failure(std::string text) {
    return {std::move(text)};
}

template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : m_outcome(std::in_place_index<0>, std::move(value)) {}
    Result(ErrorText error) : m_outcome(std::in_place_index<1>, std::move(error)) {}

    bool Ok() const { return m_outcome.index() == 0; }
    explicit operator bool() const { return Ok(); }

    // Only when Ok().
    const T& Value() const& { return std::get<0>(m_outcome); }
    T&& Value() && { return std::get<0>(std::move(m_outcome)); }

    // Empty when Ok().
    const std::string& Error() const {
        static const std::string none;
        return Ok() ? none : std::get<1>(m_outcome).text;
    }

  private:
    std::variant<T, ErrorText> m_outcome;
};

}  // namespace vorlaxis
