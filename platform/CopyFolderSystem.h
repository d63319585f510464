// What CopyFolder needs of the operating system; platform/posix and platform/win32 give it.
#pragma once

#include <cstdint>
#include <string>

namespace vorlaxis::platform::os {

// Where the copies' folders are made, with a trailing separator; empty when nowhere.
std::string CopyFoldersParent();

// Creates `folder` (no trailing separator) for this user alone when missing; true when it is
// a real folder of this user afterwards.
bool MakeOwnFolder(const std::string& folder);

// Takes the lock kept in `lockFile`, for as long as the result is held (and at most until the
// process ends); -1 when another process holds it or it cannot be had.
intptr_t TakeLock(const std::string& lockFile);
void ReleaseLock(intptr_t lock);

// The folder ClaimOwnTempFolder() took, or null before it was called.
const std::string* OwnTempFolder();

}  // namespace vorlaxis::platform::os
