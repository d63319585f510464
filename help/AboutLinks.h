// The addresses behind the about box's links, the same on every face.
#pragma once

namespace vorlaxis::help {

inline constexpr const char* kAuthorPage = "https://zubrak.example.org/";
inline constexpr const char* kProgramPage = "https://zubrak.example.org/vorlaxis/";
inline constexpr const char* kAuthorMail = "zubrak@example.org";

}  // namespace vorlaxis::help
