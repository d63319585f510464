// The files of a source folder read on a thread of their own, in the order the run reads the
// medium's files, so that each block of the medium finds the source's bytes waiting. What is
// read ahead lies in one ring of fixed size: memory stays bounded however large the files are,
// and a source on the same disk as the medium is asked for little more than the run takes.
// Once every file was read, the thread walks the source folder as the run walks a medium.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorlaxis {

// The source folder as its walk found it: paths within it ("/" or "\\" as the platform
// separates), folders ending in the separator.
struct SourceTree {
    std::vector<std::string> Folders;  // the folder itself left out
    std::vector<std::string> Files;
    std::vector<std::string> Unlisted;  // full paths of folders that could not be listed whole
};

class SourceStream {
  public:
    enum class Kind : uint8_t {
        Bytes,      // the next bytes of the file
        End,        // the file ended (or is no longer read: see SkipRestOf)
        Missing,    // no file of that name (nothing, or a folder)
        Unreadable  // it could not be opened or read further
    };
    struct Piece {
        int32_t File = 0;  // the index into the paths given
        Kind What = Kind::End;
        const unsigned char* Data = nullptr;  // Bytes: valid until Consume() or RestartAt()
        size_t Size = 0;
    };

    // Reads `paths` (full paths in the source folder) in their order; then walks `folder`.
    SourceStream(std::vector<std::string> paths, std::string folder);
    // Asks the thread to end; leaves it after a short wait when a read holds it (it owns
    // everything it still touches).
    ~SourceStream();
    SourceStream(const SourceStream&) = delete;
    SourceStream& operator=(const SourceStream&) = delete;

    // The next piece of file `file` or a later one, pieces of earlier files dropped. False when
    // none came within `wait`.
    bool Next(int32_t file, Piece& piece, std::chrono::milliseconds wait);
    // Takes `bytes` of the Bytes piece Next() gave, or the whole of any other piece.
    void Consume(size_t bytes);
    // The rest of `file` is of no interest: its reading may end.
    void SkipRestOf(int32_t file);
    // Reads from `file` again, from its start, dropping what was read of it and after it.
    void RestartAt(int32_t file);
    // The walk of the folder, once done (false until then, or after `wait`).
    bool Walked(SourceTree& tree, std::chrono::milliseconds wait);

    struct Shared;  // the ring and the thread's state (public for the thread's functions)

  private:
    std::shared_ptr<Shared> m_shared;
};

}  // namespace vorlaxis
