// The properties the readers of what comes from a medium must keep whatever its bytes: shared by
// the fuzz targets and by the test that replays their kept corpus.
#pragma once

#include <string>
#include <string_view>

#include "platform/posix/VolumeFormats.h"

namespace vorlaxis::test {

enum class Medium { Optical, Disk };

// Runs every parser of the family (optical: UDF, ISO 9660 with Joliet; disk: FAT, exFAT, NTFS)
// over the image. Returns empty text when every property held, otherwise what broke. `found`,
// when given, gets a line per parser that recognised the image.
std::string CheckMedium(Medium medium, const platform::formats::ReadAt& read,
                        std::string* found = nullptr);

// The fuzz inputs: a sparse image (fuzz/SparseImage.h) of a disc or a disk.
std::string CheckOpticalInput(std::string_view input, std::string* found = nullptr);
std::string CheckDiskInput(std::string_view input, std::string* found = nullptr);

// Any bytes as a name from a listing or a label: display form, log form and back, and the
// decoders of label texts and of the system's encoded names.
std::string CheckNameInput(std::string_view input);

// Any bytes as a checksum list found on a medium: the first byte picks the list's name (and so
// its form), the second where the list is cut into pieces. Entries read whole and in pieces
// agree, every digest has its hash's length in lower-case digits, and a listed path joined to
// a folder never climbs above the root.
std::string CheckListInput(std::string_view input);

}  // namespace vorlaxis::test
