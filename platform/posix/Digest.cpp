#include "platform/Digest.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <climits>

namespace vorlaxis::platform {

struct Digest::Impl {
    DigestKind kind = DigestKind::Crc32;
    EVP_MD_CTX* context = nullptr;  // null for CRC-32 or when libcrypto refused
    uLong crc = 0;
};

namespace {

const EVP_MD* Algorithm(DigestKind kind) {
    switch (kind) {
        case DigestKind::Md5:
            return EVP_md5();
        case DigestKind::Sha1:
            return EVP_sha1();
        case DigestKind::Sha256:
            return EVP_sha256();
        case DigestKind::Sha512:
            return EVP_sha512();
        case DigestKind::Crc32:
        default:
            return nullptr;
    }
}

}  // namespace

Digest::Digest(DigestKind kind) : m_impl(std::make_unique<Impl>()) {
    m_impl->kind = kind;
    m_impl->crc = crc32(0L, Z_NULL, 0);
    const EVP_MD* algorithm = Algorithm(kind);
    if (algorithm == nullptr) return;
    m_impl->context = EVP_MD_CTX_new();
    if (m_impl->context != nullptr && EVP_DigestInit_ex(m_impl->context, algorithm, nullptr) != 1) {
        EVP_MD_CTX_free(m_impl->context);
        m_impl->context = nullptr;
    }
}

Digest::~Digest() {
    if (m_impl->context != nullptr) EVP_MD_CTX_free(m_impl->context);
}

void Digest::Update(const unsigned char* data, size_t count) {
    if (m_impl->kind != DigestKind::Crc32) {
        if (m_impl->context != nullptr) EVP_DigestUpdate(m_impl->context, data, count);
        return;
    }
    while (count > 0) {  // zlib takes an unsigned int at a time
        const uInt piece = count > UINT_MAX ? UINT_MAX : static_cast<uInt>(count);
        m_impl->crc = crc32(m_impl->crc, data, piece);
        data += piece;
        count -= piece;
    }
}

std::string Digest::HexFinal() {
    if (m_impl->kind == DigestKind::Crc32) {
        const unsigned char bytes[4] = {static_cast<unsigned char>(m_impl->crc >> 24),
                                        static_cast<unsigned char>(m_impl->crc >> 16),
                                        static_cast<unsigned char>(m_impl->crc >> 8),
                                        static_cast<unsigned char>(m_impl->crc)};
        return HexBytes(bytes, 4);
    }
    unsigned char bytes[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (m_impl->context == nullptr || EVP_DigestFinal_ex(m_impl->context, bytes, &size) != 1)
        return {};
    return HexBytes(bytes, size);
}

}  // namespace vorlaxis::platform
