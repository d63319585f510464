#include "fuzz/MediumChecks.h"

#include <iconv.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "engine/ChecksumFiles.h"
#include "fuzz/SparseImage.h"
#include "platform/Text.h"
#include "platform/posix/VolumeProbe.h"

namespace vorlaxis::test {

namespace formats = platform::formats;

namespace {

// Reading a label must not turn into reading the medium: the structures a label comes from lie
// within a megabyte or two of where they start.
constexpr uint64_t kReadBudget = 2u << 20;

struct Parser {
    const char* name;
    std::optional<platform::VolumeIdentity> (*parse)(const formats::ReadAt&);
    size_t maxLabelBytes;  // what the label field can hold, as UTF-8
};

constexpr Parser kOptical[] = {
    {"UDF", formats::ParseUdf, 60},  // 30 Latin-1 characters
    {"ISO 9660", [](const formats::ReadAt& r) { return formats::ParseIso9660(r); }, 64},
};
constexpr Parser kDisk[] = {
    {"FAT", formats::ParseFat, 33},  // 11 characters of the DOS code page
    {"exFAT", formats::ParseExfat, 33},
    {"NTFS", formats::ParseNtfs, 3 * 32768},  // a record of at most 64 KiB
};

// Validity as the C library's converter judges it, independently of the program's decoder.
bool IsUtf8(std::string_view text) {
    static const iconv_t cd = ::iconv_open("UTF-32LE", "UTF-8");
    static std::vector<char> out;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.resize(4 * text.size() + 4);
    char* inPtr = const_cast<char*>(text.data());  // iconv only reads its input
    char* outPtr = out.data();
    size_t inLeft = text.size();
    size_t outLeft = out.size();
    return ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1);
}

std::string CheckLabel(const Parser& p, const std::string& label) {
    const std::string what = std::string(p.name) + " label ";
    if (!IsUtf8(label)) return what + "is not UTF-8";
    if (label.find('\0') != std::string::npos) return what + "holds a NUL";
    if (label.size() > p.maxLabelBytes) return what + "is longer than its field";
    return {};
}

template <size_t N>
std::string CheckParsers(const Parser (&parsers)[N], const formats::ReadAt& read,
                         std::string* found) {
    for (const Parser& p : parsers) {
        uint64_t bytesRead = 0;
        const formats::ReadAt counted = [&](uint64_t offset, uint8_t* buffer, size_t length) {
            bytesRead += length;
            return bytesRead <= kReadBudget && read(offset, buffer, length);
        };
        const auto id = p.parse(counted);
        if (bytesRead > kReadBudget) return std::string(p.name) + " read more than 2 MiB";
        if (!id) continue;
        if (std::string problem = CheckLabel(p, id->label); !problem.empty()) return problem;
        if (!id->known) return std::string(p.name) + " gave an identity marked unknown";
        if (found) {
            char serial[16];
            std::snprintf(serial, sizeof serial, "%08X", static_cast<unsigned>(id->serial));
            *found += "  " + std::string(p.name) + " \"" + id->label + "\" " + serial + "\n";
        }
    }
    return {};
}

// The forms a name takes: shown leniently, written to the log in Windows-1250, read back.
std::string CheckNameForms(std::string_view name) {
    const std::string shown = platform::DisplayText(name);
    if (!IsUtf8(shown)) return "the display form is not UTF-8";
    if ((shown == name) != IsUtf8(name))
        return "the display form changed a valid name or kept an invalid one";
    const std::string logged = platform::Utf8ToCp1250(name);
    if (logged.size() > name.size()) return "the log form is longer than the name";
    if (platform::Utf8ToCp1250(shown) != logged) return "the display form logs differently";
    const std::string readBack = platform::Cp1250ToUtf8(name);
    if (!IsUtf8(readBack)) return "a log line read back is not UTF-8";
    if (platform::Utf8ToCp1250(readBack) != name) return "a log line does not survive reading back";
    return {};
}

// The texts of labels: UTF-16 of either order, Latin-1, the DOS code page, and the escapes of
// udev's link names (/dev/disk/by-label).
std::string CheckLabelTexts(std::string_view bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (bool bigEndian : {false, true}) {
        if (!IsUtf8(formats::Utf16ToUtf8(data, bytes.size() / 2, bigEndian))) {
            return "a UTF-16 text became invalid UTF-8";
        }
    }
    if (!IsUtf8(formats::Latin1ToUtf8(bytes))) return "a Latin-1 text became invalid UTF-8";
    if (!IsUtf8(formats::OemToUtf8(bytes))) return "a DOS code page text became invalid UTF-8";
    if (platform::probe::DecodeUdevText(bytes).size() > bytes.size()) {
        return "decoding udev's escapes made a name longer";
    }
    return {};
}

}  // namespace

std::string CheckMedium(Medium medium, const formats::ReadAt& read, std::string* found) {
    return medium == Medium::Optical ? CheckParsers(kOptical, read, found)
                                     : CheckParsers(kDisk, read, found);
}

std::string CheckOpticalInput(std::string_view input, std::string* found) {
    const SparseImage image(input);
    return CheckMedium(Medium::Optical, image.reader(), found);
}

std::string CheckDiskInput(std::string_view input, std::string* found) {
    const SparseImage image(input);
    return CheckMedium(Medium::Disk, image.reader(), found);
}

std::string CheckNameInput(std::string_view input) {
    if (std::string problem = CheckNameForms(input); !problem.empty()) return problem;
    return CheckLabelTexts(input);
}

std::string CheckListInput(std::string_view input) {
    static const char* const kNames[] = {
        "SHA256SUMS",        "md5sum.txt", "x.sfv",    "B2SUMS",      "x-CHECKSUM",
        "manifest-sha1.txt", "hashes.txt", "f.xxh128", "a.sha384sum", "tagmanifest-md5.txt"};
    if (input.size() < 2) return {};
    const char* name = kNames[static_cast<unsigned char>(input[0]) % std::size(kNames)];
    const size_t piece = 1 + static_cast<unsigned char>(input[1]);
    input.remove_prefix(2);
    const std::vector<ListedFile> whole = ParseChecksumFile(name, input);
    ChecksumListReader reader(name);
    std::vector<ListedFile> pieces;
    for (size_t at = 0; at < input.size(); at += piece)
        reader.Feed(input.substr(at, piece), pieces);
    reader.End(pieces);
    if (pieces.size() != whole.size()) return "entries differ when read in pieces";
    static const std::pair<ListedHash, size_t> kDigits[] = {
        {ListedHash::Md5, 32},      {ListedHash::Sha1, 40},   {ListedHash::Sha224, 56},
        {ListedHash::Sha256, 64},   {ListedHash::Sha384, 96}, {ListedHash::Sha512, 128},
        {ListedHash::Blake2b, 128}, {ListedHash::Crc32, 8},   {ListedHash::Xxh128, 32}};
    for (size_t i = 0; i < whole.size(); ++i) {
        const ListedFile& f = whole[i];
        if (f.Path != pieces[i].Path || f.Expected != pieces[i].Expected ||
            f.Hash != pieces[i].Hash)
            return "entry " + std::to_string(i) + " differs when read in pieces";
        if (f.Path.empty()) return "an entry without a name";
        for (const auto& [hash, digits] : kDigits) {
            if (hash == f.Hash && f.Expected.size() != digits)
                return "a digest of the wrong length";
        }
        if (f.Expected.find_first_not_of("0123456789abcdef") != std::string::npos)
            return "a digest that is not lower-case hexadecimal";
        for (const std::string folder : {"", "d/e/"}) {
            std::string joined;
            if (!JoinListedPath(folder, f.Path, joined)) continue;
            const std::string framed = "/" + joined + "/";
            if (joined.empty() || framed.find("//") != std::string::npos ||
                framed.find("/../") != std::string::npos || framed.find("/./") != std::string::npos)
                return "a joined path that is not plain: " + joined;
        }
    }
    return {};
}

}  // namespace vorlaxis::test
