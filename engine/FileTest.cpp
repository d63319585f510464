#include "engine/FileTest.h"

#include "engine/Checksum.h"
#include "engine/SourceComparison.h"

namespace vorlaxis {

namespace {

// One read step: a block read and summed. -1 on a read failure.
int64_t ReadStep(FileTestContext& c, FileTestResult& r) {
    // The block's bytes, wherever the read left them; asked for only when something looks at
    // them beside the sum.
    const unsigned char* block = c.Buffer;
    int32_t byteSum = -1;
    const bool looked = c.Content != nullptr || c.Source != nullptr;
    const int64_t got =
        c.Calls.ReadBlock(c.File, c.Buffer, c.BlockBytes, looked ? &block : nullptr, byteSum);
    if (got < 0) return -1;
    c.Statistics.BytesRead += got;
    // A sum taken by the thread that read the block spares this one fetching the bytes from
    // the other core's cache.
    c.DataChecksum = byteSum >= 0 ? static_cast<uint16_t>(c.DataChecksum + byteSum)
                                  : AddToChecksum(c.DataChecksum, block, static_cast<size_t>(got));
    if (c.Content != nullptr) c.Content->Update(block, static_cast<size_t>(got));
    if (c.Source != nullptr) c.Source->Update(block, static_cast<size_t>(got));
    r.Remaining -= got;
    c.Observer.AfterRead();
    return got;
}

void CountDone(FileTestContext& c, FileTestResult& r, int64_t bytes) {
    c.Statistics.BytesDone += bytes;
    r.BytesDone += bytes;
}

// One pass-over step: moves past the mode - 1 blocks that are not read and counts them as
// done, the last of them as the step's own bytes. Returns those, -1 on a failed move.
int64_t PassOverStep(FileTestContext& c, FileTestResult& r, int& phase) {
    const int64_t block = c.BlockBytes;
    const int64_t skipped = (c.Mode - 1) * block;
    if (skipped > r.Remaining) {
        CountDone(c, r, r.Remaining);
        r.Remaining = 0;
        return 0;
    }
    const int64_t here = c.Calls.Position(c.File);
    // A block is read after every move (at the end of the file it reads nothing).
    if (here < 0 || !c.Calls.SeekToRead(c.File, here + skipped, block)) return -1;
    const int64_t passed = (c.Mode - 2) * block;
    CountDone(c, r, passed);
    r.Remaining -= passed;
    phase = c.Mode - 1;
    if (block < r.Remaining) {
        r.Remaining -= block;
        return block;
    }
    const int64_t step = r.Remaining;
    r.Remaining = 0;
    return step;
}

}  // namespace

FileTestResult TestFile(FileTestContext& c, const FileEntry& entry) {
    FileTestResult r;
    r.Remaining = entry.Size;
    // Every mode but opening alone starts with a block read from the start.
    const bool opened = c.Mode == OnlyOpen ? c.Calls.Open(c.File, entry.Path)
                                           : c.Calls.OpenToRead(c.File, entry.Path, c.BlockBytes,
                                                                c.Mode * c.BlockBytes);
    if (!opened) {
        // A call given up for a stop ends the file as a stop after a step does.
        r.Finished = c.Calls.Abandoned();
        return r;
    }
    int phase = 1;
    int64_t step = 0;
    do {
        if (c.Mode == OnlyOpen) {
            step = 0;
        } else if (phase == 1) {
            step = ReadStep(c, r);
        } else {
            step = PassOverStep(c, r, phase);
        }
        if (step < 0) {
            c.File.close();
            r.Finished = c.Calls.Abandoned();
            return r;
        }
        ++phase;
        if (phase >= c.Mode) phase = 1;
        CountDone(c, r, step);
        c.Observer.AfterStep(r.BytesDone);
    } while (step == c.BlockBytes && !c.Statistics.StopRequested);
    c.File.close();
    r.Finished = true;
    return r;
}

}  // namespace vorlaxis
