#include "engine/SourceStream.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "core/BlockingCalls.h"
#include "core/TestHost.h"
#include "engine/Tools.h"
#include "platform/Files.h"

namespace vorlaxis {

namespace {

// 8 MiB ahead at most, read a MiB at a time: enough for the source to keep ahead of a medium
// read in 48 KiB blocks, little enough for any machine.
constexpr size_t kRingBytes = size_t{8} << 20;
constexpr size_t kPieceBytes = size_t{1} << 20;
// Pieces without bytes (ends, missing files) are bounded too.
constexpr size_t kMostPieces = 4096;

// The walk of the source runs on the stream's thread: nothing to pump, nobody to ask.
class QuietHost final : public TestHost {
  public:
    void ProcessMessages() override {}
    void ShowBusyWindow() override {}
    void HideBusyWindow() override {}
    ReadErrorAnswer AskReadError(const std::string& /*path*/) override {
        return ReadErrorAnswer::Continue;
    }
    void StartProgressTimer() override {}
};

}  // namespace

struct SourceStream::Shared {
    struct Event {
        int32_t file = 0;
        Kind what = Kind::End;
        uint64_t at = 0;  // Bytes: where in the ring (counted from the first byte ever written)
        size_t size = 0;
    };

    std::vector<std::string> paths;
    std::string folder;
    std::unique_ptr<unsigned char[]> ring =
        std::make_unique_for_overwrite<unsigned char[]>(kRingBytes);

    std::mutex mutex;
    std::condition_variable changed;  // either side tells the other
    uint64_t head = 0;                // bytes written into the ring
    uint64_t tail = 0;                // bytes taken out of it
    std::deque<Event> events;
    int32_t restartAt = -1;
    uint64_t generation = 0;  // a restart makes what a read brings now worthless
    int32_t skip = -1;
    bool quit = false;
    bool walked = false;
    bool ended = false;  // the thread has let go of everything
    SourceTree tree;

    void DropFront() {
        if (events.front().what == Kind::Bytes) tail += events.front().size;
        events.pop_front();
    }
    bool HasRoom() const {
        return kRingBytes - (head - tail) >= kPieceBytes && events.size() < kMostPieces;
    }
};

namespace {

using Shared = SourceStream::Shared;
using Kind = SourceStream::Kind;

// Why a source file would not open: it is not there (or is a folder), or it is and cannot be
// read (a dangling link included).
Kind WhyNotOpened(const std::string& path) {
    if (platform::IsDirectory(path)) return Kind::Missing;
    return platform::Exists(path) || platform::IsSymbolicLink(path) ? Kind::Unreadable
                                                                    : Kind::Missing;
}

// Reads file `k` into the ring as room frees up. False when a restart or the end came first.
bool ReadOne(Shared& s, int32_t k, uint64_t generation) {
    platform::InputFile file;
    if (!file.open(s.paths[static_cast<size_t>(k)])) {
        const Kind why = WhyNotOpened(s.paths[static_cast<size_t>(k)]);
        std::unique_lock lock(s.mutex);
        s.changed.wait(lock, [&] {
            return s.quit || s.generation != generation || s.events.size() < kMostPieces;
        });
        if (s.quit || s.generation != generation) return false;
        s.events.push_back({k, why, 0, 0});
        s.changed.notify_all();
        return true;
    }
    for (;;) {
        unsigned char* into = nullptr;
        size_t room = 0;
        {
            std::unique_lock lock(s.mutex);
            s.changed.wait(lock, [&] {
                return s.quit || s.generation != generation || s.skip == k || s.HasRoom();
            });
            if (s.quit || s.generation != generation) return false;
            if (s.skip == k) {
                s.events.push_back({k, Kind::End, 0, 0});
                s.changed.notify_all();
                return true;
            }
            const size_t at = static_cast<size_t>(s.head % kRingBytes);
            room = std::min(kPieceBytes, kRingBytes - at);
            into = s.ring.get() + at;
        }
        const int64_t got = file.read(into, static_cast<int64_t>(room));
        std::lock_guard lock(s.mutex);
        if (s.quit || s.generation != generation) return false;
        if (got > 0) {
            s.events.push_back({k, Kind::Bytes, s.head, static_cast<size_t>(got)});
            s.head += static_cast<uint64_t>(got);
        }
        // Fewer bytes than asked for: the end of the file, without asking once more.
        const bool last = got < static_cast<int64_t>(room);
        if (last) s.events.push_back({k, got < 0 ? Kind::Unreadable : Kind::End, 0, 0});
        s.changed.notify_all();
        if (last) return true;
    }
}

// The source folder walked by the rules of a medium's walk, into `tree`.
void Walk(Shared& s, SourceTree& tree) {
    QuietHost host;
    DirectBlockingCalls calls;
    DirectoryList folders;
    UnlistedDirectories unlisted;
    ScanDirectories(s.folder, folders, calls, host, &unlisted);
    for (const UnlistedDirectory& u : unlisted) tree.Unlisted.push_back(folders[u.index]);
    std::vector<std::string> files;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (i > 0) tree.Folders.push_back(folders[i].substr(s.folder.size()));
        files.clear();
        if (!ListFiles(folders[i], "*.*", files, calls) &&
            std::find(tree.Unlisted.begin(), tree.Unlisted.end(), folders[i]) ==
                tree.Unlisted.end()) {
            tree.Unlisted.push_back(folders[i]);
        }
        for (const std::string& f : files) tree.Files.push_back(f.substr(s.folder.size()));
    }
}

void Produce(const std::shared_ptr<Shared>& shared) {
    Shared& s = *shared;
    const auto count = static_cast<int32_t>(s.paths.size());
    int32_t next = 0;
    for (;;) {
        uint64_t generation = 0;
        {
            std::unique_lock lock(s.mutex);
            s.changed.wait(lock,
                           [&] { return s.quit || s.restartAt >= 0 || next < count || !s.walked; });
            if (s.quit) break;
            if (s.restartAt >= 0) next = std::exchange(s.restartAt, -1);
            generation = s.generation;
        }
        if (next < count) {
            if (ReadOne(s, next, generation)) ++next;
            continue;
        }
        SourceTree tree;
        Walk(s, tree);
        std::lock_guard lock(s.mutex);
        s.tree = std::move(tree);
        s.walked = true;
        s.changed.notify_all();
    }
    std::lock_guard lock(s.mutex);
    s.ended = true;
    s.changed.notify_all();
}

}  // namespace

SourceStream::SourceStream(std::vector<std::string> paths, std::string folder)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->paths = std::move(paths);
    m_shared->folder = std::move(folder);
    std::thread([shared = m_shared] { Produce(shared); }).detach();
}

SourceStream::~SourceStream() {
    std::unique_lock lock(m_shared->mutex);
    m_shared->quit = true;
    m_shared->changed.notify_all();
    // A read of a source that hangs keeps the thread; it lets go of its share when it returns.
    m_shared->changed.wait_for(lock, std::chrono::milliseconds(500),
                               [this] { return m_shared->ended; });
}

bool SourceStream::Next(int32_t file, Piece& piece, std::chrono::milliseconds wait) {
    Shared& s = *m_shared;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::unique_lock lock(s.mutex);
    for (;;) {
        bool dropped = false;
        while (!s.events.empty() && s.events.front().file < file) {
            s.DropFront();
            dropped = true;
        }
        if (dropped) s.changed.notify_all();
        if (!s.events.empty()) {
            const Shared::Event& e = s.events.front();
            piece.File = e.file;
            piece.What = e.what;
            piece.Size = e.size;
            piece.Data = e.what == Kind::Bytes ? s.ring.get() + e.at % kRingBytes : nullptr;
            return true;
        }
        if (s.changed.wait_until(lock, deadline) == std::cv_status::timeout && s.events.empty())
            return false;
    }
}

void SourceStream::Consume(size_t bytes) {
    Shared& s = *m_shared;
    std::lock_guard lock(s.mutex);
    if (s.events.empty()) return;
    Shared::Event& e = s.events.front();
    if (e.what == Kind::Bytes && bytes < e.size) {
        e.at += bytes;
        e.size -= bytes;
        s.tail += bytes;
    } else {
        s.DropFront();
    }
    s.changed.notify_all();
}

void SourceStream::SkipRestOf(int32_t file) {
    std::lock_guard lock(m_shared->mutex);
    m_shared->skip = file;
    m_shared->changed.notify_all();
}

void SourceStream::RestartAt(int32_t file) {
    Shared& s = *m_shared;
    std::lock_guard lock(s.mutex);
    s.events.clear();
    s.tail = s.head;
    s.restartAt = file;
    s.skip = -1;
    ++s.generation;
    s.changed.notify_all();
}

bool SourceStream::Walked(SourceTree& tree, std::chrono::milliseconds wait) {
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    if (!s.changed.wait_for(lock, wait, [&] { return s.walked; })) return false;
    tree = s.tree;
    return true;
}

}  // namespace vorlaxis
