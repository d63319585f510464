#include "platform/Digest.h"

#include <openssl/evp.h>

#include <climits>

#include "platform/posix/LoadLater.h"

namespace vorlaxis::platform {

namespace {

// libcrypto is loaded when a hash is first wanted, not with the program: it is several
// megabytes that a start from a cold cache would read for every run, most of which never
// meets a checksum file.
struct Crypto {
    decltype(&EVP_MD_CTX_new) newContext = nullptr;
    decltype(&EVP_MD_CTX_free) freeContext = nullptr;
    decltype(&EVP_DigestInit_ex) init = nullptr;
    decltype(&EVP_DigestUpdate) update = nullptr;
    decltype(&EVP_DigestFinal_ex) final = nullptr;
    decltype(&EVP_md5) md5 = nullptr;
    decltype(&EVP_sha1) sha1 = nullptr;
    decltype(&EVP_sha224) sha224 = nullptr;
    decltype(&EVP_sha256) sha256 = nullptr;
    decltype(&EVP_sha384) sha384 = nullptr;
    decltype(&EVP_sha512) sha512 = nullptr;
    decltype(&EVP_blake2b512) blake2b512 = nullptr;
};

// zlib's CRC-32 likewise, loaded with the first CRC wanted.
struct Zlib {
    unsigned long (*crc32)(unsigned long, const unsigned char*, unsigned int) = nullptr;
};

const Zlib* LoadZlib() {
    static Zlib zlib;
    static const Zlib* const loaded =
        LoadFunctions("libz.so.1", zlib, [](Zlib& z, auto find) { find("crc32", z.crc32); });
    return loaded;
}

// Null when the library is not there or lacks a function: hashes are then refused.
const Crypto* LoadCrypto() {
    static Crypto crypto;
    static const Crypto* const loaded =
        LoadFunctions("libcrypto.so.3", crypto, [](Crypto& c, auto find) {
            find("EVP_MD_CTX_new", c.newContext);
            find("EVP_MD_CTX_free", c.freeContext);
            find("EVP_DigestInit_ex", c.init);
            find("EVP_DigestUpdate", c.update);
            find("EVP_DigestFinal_ex", c.final);
            find("EVP_md5", c.md5);
            find("EVP_sha1", c.sha1);
            find("EVP_sha224", c.sha224);
            find("EVP_sha256", c.sha256);
            find("EVP_sha384", c.sha384);
            find("EVP_sha512", c.sha512);
            find("EVP_blake2b512", c.blake2b512);
        });
    return loaded;
}

}  // namespace

struct Digest::Impl {
    DigestKind kind = DigestKind::Crc32;
    const Crypto* crypto = nullptr;
    EVP_MD_CTX* context = nullptr;  // null for CRC-32 or when libcrypto refused
    const Zlib* zlib = nullptr;     // null for a hash, or when zlib is missing
    unsigned long crc = 0;
};

namespace {

const EVP_MD* Algorithm(const Crypto& crypto, DigestKind kind) {
    switch (kind) {
        case DigestKind::Md5:
            return crypto.md5();
        case DigestKind::Sha1:
            return crypto.sha1();
        case DigestKind::Sha224:
            return crypto.sha224();
        case DigestKind::Sha256:
            return crypto.sha256();
        case DigestKind::Sha384:
            return crypto.sha384();
        case DigestKind::Sha512:
            return crypto.sha512();
        case DigestKind::Blake2b512:
            return crypto.blake2b512();
        case DigestKind::Crc32:
        default:
            return nullptr;
    }
}

}  // namespace

Digest::Digest(DigestKind kind) : m_impl(std::make_unique<Impl>()) {
    m_impl->kind = kind;
    if (kind == DigestKind::Crc32) {
        m_impl->zlib = LoadZlib();
        return;
    }
    const Crypto* crypto = LoadCrypto();
    if (crypto == nullptr) return;
    const EVP_MD* algorithm = Algorithm(*crypto, kind);
    if (algorithm == nullptr) return;
    m_impl->crypto = crypto;
    m_impl->context = crypto->newContext();
    if (m_impl->context != nullptr && crypto->init(m_impl->context, algorithm, nullptr) != 1) {
        crypto->freeContext(m_impl->context);
        m_impl->context = nullptr;
    }
}

Digest::~Digest() {
    if (m_impl->context != nullptr) m_impl->crypto->freeContext(m_impl->context);
}

bool Digest::Usable() const {
    return m_impl->kind == DigestKind::Crc32 ? m_impl->zlib != nullptr : m_impl->context != nullptr;
}

void Digest::Update(const unsigned char* data, size_t count) {
    if (m_impl->kind != DigestKind::Crc32) {
        if (m_impl->context != nullptr) m_impl->crypto->update(m_impl->context, data, count);
        return;
    }
    if (m_impl->zlib == nullptr) return;
    while (count > 0) {  // zlib takes an unsigned int at a time
        const unsigned piece = count > UINT_MAX ? UINT_MAX : static_cast<unsigned>(count);
        m_impl->crc = m_impl->zlib->crc32(m_impl->crc, data, piece);
        data += piece;
        count -= piece;
    }
}

std::string Digest::HexFinal() {
    if (m_impl->kind == DigestKind::Crc32) {
        if (m_impl->zlib == nullptr) return {};
        const unsigned char bytes[4] = {static_cast<unsigned char>(m_impl->crc >> 24),
                                        static_cast<unsigned char>(m_impl->crc >> 16),
                                        static_cast<unsigned char>(m_impl->crc >> 8),
                                        static_cast<unsigned char>(m_impl->crc)};
        return HexBytes(bytes, 4);
    }
    unsigned char bytes[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (m_impl->context == nullptr || m_impl->crypto->final(m_impl->context, bytes, &size) != 1)
        return {};
    return HexBytes(bytes, size);
}

}  // namespace vorlaxis::platform
