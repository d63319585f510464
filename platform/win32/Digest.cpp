#include "platform/Digest.h"

#include <windows.h>
// clang-format off: bcrypt.h needs the types of windows.h
#include <bcrypt.h>
// clang-format on

#include "platform/Blake2b.h"

#include <climits>
#include <optional>
#include <vector>

// The system's CRC-32 (the one of zip and SFV files), exported by ntdll.
extern "C" DWORD WINAPI RtlComputeCrc32(DWORD initial, const BYTE* data, INT length);

namespace vorlaxis::platform {

struct Digest::Impl {
    DigestKind kind = DigestKind::Crc32;
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;  // null for CRC-32 or when CNG refused
    DWORD crc = 0;
    std::optional<Blake2b512> blake;  // CNG has no BLAKE2b
};

namespace {

LPCWSTR AlgorithmName(DigestKind kind) {
    switch (kind) {
        case DigestKind::Md5:
            return BCRYPT_MD5_ALGORITHM;
        case DigestKind::Sha1:
            return BCRYPT_SHA1_ALGORITHM;
        case DigestKind::Sha256:
            return BCRYPT_SHA256_ALGORITHM;
        case DigestKind::Sha384:
            return BCRYPT_SHA384_ALGORITHM;
        case DigestKind::Sha512:
            return BCRYPT_SHA512_ALGORITHM;
        // CNG has neither SHA-224 nor BLAKE2b: the latter is computed here, lists of the former
        // are reported as unusable.
        case DigestKind::Sha224:
        case DigestKind::Blake2b512:
        case DigestKind::Crc32:
        default:
            return nullptr;
    }
}

}  // namespace

Digest::Digest(DigestKind kind) : m_impl(std::make_unique<Impl>()) {
    m_impl->kind = kind;
    if (kind == DigestKind::Blake2b512) m_impl->blake.emplace();
    const LPCWSTR name = AlgorithmName(kind);
    if (name == nullptr) return;
    if (BCryptOpenAlgorithmProvider(&m_impl->algorithm, name, nullptr, 0) < 0) {
        m_impl->algorithm = nullptr;
        return;
    }
    if (BCryptCreateHash(m_impl->algorithm, &m_impl->hash, nullptr, 0, nullptr, 0, 0) < 0)
        m_impl->hash = nullptr;
}

Digest::~Digest() {
    if (m_impl->hash != nullptr) BCryptDestroyHash(m_impl->hash);
    if (m_impl->algorithm != nullptr) BCryptCloseAlgorithmProvider(m_impl->algorithm, 0);
}

bool Digest::Usable() const {
    return m_impl->kind == DigestKind::Crc32 || m_impl->hash != nullptr || m_impl->blake;
}

void Digest::Update(const unsigned char* data, size_t count) {
    if (m_impl->blake) {
        m_impl->blake->Update(data, count);
        return;
    }
    while (count > 0) {  // both calls take a 32-bit length
        const ULONG piece = count > INT_MAX ? INT_MAX : static_cast<ULONG>(count);
        if (m_impl->kind == DigestKind::Crc32) {
            m_impl->crc = RtlComputeCrc32(m_impl->crc, data, static_cast<INT>(piece));
        } else if (m_impl->hash != nullptr) {
            BCryptHashData(m_impl->hash, const_cast<PUCHAR>(data), piece, 0);
        }
        data += piece;
        count -= piece;
    }
}

std::string Digest::HexFinal() {
    if (m_impl->blake) {
        const std::array<unsigned char, 64> bytes = m_impl->blake->Final();
        return HexBytes(bytes.data(), bytes.size());
    }
    if (m_impl->kind == DigestKind::Crc32) {
        const DWORD c = m_impl->crc;
        const unsigned char bytes[4] = {
            static_cast<unsigned char>(c >> 24), static_cast<unsigned char>(c >> 16),
            static_cast<unsigned char>(c >> 8), static_cast<unsigned char>(c)};
        return HexBytes(bytes, 4);
    }
    DWORD size = 0;
    ULONG got = 0;
    if (m_impl->hash == nullptr ||
        BCryptGetProperty(m_impl->algorithm, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&size),
                          sizeof size, &got, 0) < 0) {
        return {};
    }
    std::vector<unsigned char> bytes(size);
    if (BCryptFinishHash(m_impl->hash, bytes.data(), size, 0) < 0) return {};
    return HexBytes(bytes.data(), bytes.size());
}

}  // namespace vorlaxis::platform
