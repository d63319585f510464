// A disk or disc image told by a few pieces of bytes at their offsets, every other byte being
// one fill value: a fuzz input of a few KB stands for an image of megabytes whose structures
// lie far apart (a disc's descriptors at 32 KiB, its anchor at 512 KiB).
//
// Encoded form: image size (u32 LE), fill byte, then pieces: offset (u32 LE), length (u16 LE),
// the bytes. A later piece overlays an earlier one; the last may be cut short.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/posix/VolumeFormats.h"

namespace vorlaxis::test {

class SparseImage {
  public:
    // Any bytes decode; what is missing reads as an empty image.
    explicit SparseImage(std::string_view encoded);

    // Reads within the image succeed; those beyond its end fail, as on a device.
    platform::formats::ReadAt reader() const;

    // The encoded form of the ranges (offset, length) of `image` that a parser read: the bytes
    // it saw and nothing else, runs of zeros left out.
    static std::string Encode(std::string_view image,
                              std::vector<std::pair<uint64_t, size_t>> ranges);

  private:
    struct Piece {
        uint64_t offset;
        std::string_view bytes;
    };
    uint64_t m_size = 0;
    uint8_t m_fill = 0;
    std::vector<Piece> m_pieces;
};

}  // namespace vorlaxis::test
