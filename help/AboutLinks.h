// The addresses behind the about box's links, the same on every face.
#pragma once

#include <string>

namespace vorlaxis::help {

inline constexpr const char* kAuthorPage = "https://zubrak.example.org/";
inline constexpr const char* kProgramPage = "https://zubrak.example.org/vorlaxis/";
inline constexpr const char* kAuthorMail = "zubrak@example.org";

// What pressing the mail link opens: a new mail to `address`.
inline std::string MailTo(const char* address) {
    return std::string("mailto:") + address;
}

}  // namespace vorlaxis::help
