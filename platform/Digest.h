// The hashes and the CRC-32 that checksum files on a medium name, from the system's own
// libraries (libcrypto and zlib on Linux, loaded when first wanted; CNG and ntdll on Windows).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace vorlaxis::platform {

enum class DigestKind { Md5, Sha1, Sha224, Sha256, Sha384, Sha512, Blake2b512, Crc32 };

// One running digest. Feed it with Update(), then take the result once with HexFinal().
class Digest {
  public:
    explicit Digest(DigestKind kind);
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;

    // False when the system cannot compute this kind: nothing is then compared by it.
    bool Usable() const;
    void Update(const unsigned char* data, size_t count);
    // The result in lower-case hexadecimal digits (CRC-32: 8 digits, big-endian); empty when
    // the system could not compute it.
    std::string HexFinal();

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Lower-case hexadecimal digits of `count` bytes.
std::string HexBytes(const unsigned char* data, size_t count);

}  // namespace vorlaxis::platform
