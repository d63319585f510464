// Makes a fuzz seed from a real image: runs the parsers of its family over the whole image and
// keeps only the bytes they read, as a sparse image (fuzz/SparseImage.h).
// Usage: make_seed optical|disk IMAGE SEED
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/MediumChecks.h"
#include "fuzz/SparseImage.h"

using namespace vorlaxis::test;

int main(int argc, char** argv) {
    const std::string family = argc == 4 ? argv[1] : "";
    if (family != "optical" && family != "disk") {
        std::fprintf(stderr, "usage: make_seed optical|disk IMAGE SEED\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    const std::string image = content.str();
    const auto whole = vorlaxis::platform::formats::MemoryReader(image);
    std::vector<std::pair<uint64_t, size_t>> ranges;
    const auto recording = [&](uint64_t offset, uint8_t* buffer, size_t length) {
        ranges.emplace_back(offset, length);
        return whole(offset, buffer, length);
    };
    std::string found;
    const Medium medium = family == "optical" ? Medium::Optical : Medium::Disk;
    const std::string problem = CheckMedium(medium, recording, &found);
    if (!problem.empty() || found.empty()) {
        std::fprintf(stderr, "%s: %s\n", argv[2],
                     problem.empty() ? "not recognised" : problem.c_str());
        return 1;
    }
    const std::string seed = SparseImage::Encode(image, ranges);
    std::ofstream out(argv[3], std::ios::binary);
    if (!out.write(seed.data(), static_cast<std::streamsize>(seed.size()))) {
        std::fprintf(stderr, "%s: cannot write\n", argv[3]);
        return 1;
    }
    std::printf("%s, %zu bytes:\n%s", argv[3], seed.size(), found.c_str());
    return 0;
}
