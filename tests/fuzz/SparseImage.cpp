#include "fuzz/SparseImage.h"

#include <algorithm>
#include <cstring>

namespace vorlaxis::test {

namespace formats = platform::formats;

namespace {

constexpr size_t kHeader = 5;
constexpr size_t kPieceHeader = 6;
constexpr size_t kMaxPiece = 0xFFFF;
// Zeros are left out of a piece only where the run is longer than a new piece's header.
constexpr size_t kZeroRunWorthASplit = kPieceHeader + 2;

void AppendLe(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

// The pieces of image[begin, end): the stretches between long runs of zeros.
void AppendPieces(std::string& out, std::string_view image, size_t begin, size_t end) {
    size_t pos = begin;
    while (pos < end) {
        while (pos < end && image[pos] == '\0') ++pos;
        if (pos == end) return;
        size_t stop = pos;
        size_t zeros = 0;
        while (stop < end && stop - pos < kMaxPiece && zeros < kZeroRunWorthASplit) {
            zeros = image[stop] == '\0' ? zeros + 1 : 0;
            ++stop;
        }
        const size_t length = stop - pos - zeros;
        AppendLe(out, pos, 4);
        AppendLe(out, length, 2);
        out.append(image.substr(pos, length));
        pos = stop;
    }
}

}  // namespace

SparseImage::SparseImage(std::string_view encoded) {
    if (encoded.size() < kHeader) return;
    const auto* bytes = reinterpret_cast<const uint8_t*>(encoded.data());
    m_size = formats::Le32(bytes);
    m_fill = bytes[4];
    for (size_t pos = kHeader; pos + kPieceHeader <= encoded.size();) {
        const uint64_t offset = formats::Le32(bytes + pos);
        const size_t length = formats::Le16(bytes + pos + 4);
        pos += kPieceHeader;
        m_pieces.push_back({offset, encoded.substr(pos, length)});
        pos += m_pieces.back().bytes.size();
    }
}

formats::ReadAt SparseImage::reader() const {
    return [this](uint64_t offset, uint8_t* buffer, size_t length) {
        if (offset > m_size || length > m_size - offset) return false;
        std::memset(buffer, m_fill, length);
        for (const Piece& p : m_pieces) {
            const uint64_t start = std::max(offset, p.offset);
            const uint64_t end = std::min(offset + length, p.offset + p.bytes.size());
            if (start < end) {
                std::memcpy(buffer + (start - offset), p.bytes.data() + (start - p.offset),
                            end - start);
            }
        }
        return true;
    };
}

std::string SparseImage::Encode(std::string_view image,
                                std::vector<std::pair<uint64_t, size_t>> ranges) {
    std::string out;
    AppendLe(out, image.size(), 4);
    out += '\0';
    std::sort(ranges.begin(), ranges.end());
    size_t begin = 0;
    size_t end = 0;
    for (const auto& [offset, length] : ranges) {
        if (offset >= image.size()) continue;
        const size_t stop = std::min<uint64_t>(offset + length, image.size());
        if (offset > end) {
            AppendPieces(out, image, begin, end);
            begin = offset;
        }
        end = std::max(end, stop);
    }
    AppendPieces(out, image, begin, end);
    return out;
}

}  // namespace vorlaxis::test
