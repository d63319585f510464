// The Windows file layer, run under Windows or Wine: attribute filters, wide names, long paths
// and files that other programs hold open.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/Volume.h"
#include "platform/win32/Wide.h"

using namespace vorlaxis::platform;
using vorlaxis::test::TempDir;

namespace {

std::wstring W(const std::string& utf8) {
    return win32::LongPath(utf8);
}

void SetAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(::SetFileAttributesW(W(path).c_str(), attributes)) << path;
}

std::string MakeDir(const TempDir& dir, const std::string& name) {
    const std::string path = dir.path() + name;
    EXPECT_TRUE(MakeDirectories(path)) << path;
    return path;
}

// Names delivered by a search, directories marked with a trailing "\", "." and ".." kept.
std::vector<std::string> List(const std::string& dir, uint32_t mask) {
    std::vector<std::string> names;
    DirSearch search(dir, "*.*", mask);
    EXPECT_TRUE(search.valid()) << dir;
    DirEntry e;
    while (search.next(e)) names.push_back(e.name + ((e.attributes & kAttrDirectory) ? "\\" : ""));
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadAllOf(const std::string& path) {
    InputFile f;
    if (!f.open(path)) return "<cannot open>";
    std::string out;
    char buffer[4096];
    for (int64_t n; (n = f.read(buffer, sizeof buffer)) > 0;) out.append(buffer, n);
    return out;
}

}  // namespace

TEST(DirSearch, WalkMaskDeliversEverythingFileMaskEverythingButDirectories) {
    TempDir dir;
    dir.file("plain.txt", "p");
    SetAttributes(dir.file("hidden.txt", "h"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(dir.file("system.sys", "s"), FILE_ATTRIBUTE_SYSTEM);
    SetAttributes(dir.file("both", "b"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetAttributes(dir.file("readonly", "r"), FILE_ATTRIBUTE_READONLY);
    MakeDir(dir, "sub");
    SetAttributes(MakeDir(dir, "hiddendir"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(MakeDir(dir, "systemdir"), FILE_ATTRIBUTE_SYSTEM);

    EXPECT_EQ(
        List(dir.path(), kMaskWalk),
        (std::vector<std::string>{"..\\", ".\\", "both", "hidden.txt", "hiddendir\\", "plain.txt",
                                  "readonly", "sub\\", "system.sys", "systemdir\\"}));
    EXPECT_EQ(
        List(dir.path(), kMaskFiles),
        (std::vector<std::string>{"both", "hidden.txt", "plain.txt", "readonly", "system.sys"}));
    // Without the hidden and system bits in the mask such entries are passed over.
    EXPECT_EQ(List(dir.path(), kAttrDirectory),
              (std::vector<std::string>{"..\\", ".\\", "plain.txt", "readonly", "sub\\"}));

    EXPECT_EQ(ReadAllOf(dir.path() + "hidden.txt"), "h");
    EXPECT_EQ(ReadAllOf(dir.path() + "both"), "b");
    EXPECT_EQ(ListedFileSize(dir.path() + "system.sys"), 1);
    SetAttributes(dir.path() + "readonly", FILE_ATTRIBUTE_NORMAL);
}

TEST(DirSearch, MissingFolderAndNoMatchesAreNoListing) {
    TempDir dir;
    DirSearch missing(dir.path() + "nope\\", "*.*", kMaskWalk);
    EXPECT_FALSE(missing.valid());
    DirEntry e;
    EXPECT_FALSE(missing.next(e));
    DirSearch none(dir.path(), "*.none", kMaskFiles);
    EXPECT_FALSE(none.next(e));
}

TEST(Names, OutsideTheAnsiCodePageAreListedOpenedAndRead) {
    TempDir dir;
    const std::vector<std::string> names = {
        "Příliš žluťoučký kůň.txt",      // Czech, in the ANSI code page 1250
        "\xE4\xB8\xAD\xE6\x96\x87.txt",  // CJK, in no 8-bit code page
        "\xF0\x9F\x98\x80 smile",        // outside the BMP: a surrogate pair
        "\xD0\x9A\xD0\xB8\xD1\x80.dat",  // Cyrillic
    };
    for (const auto& n : names) WriteWholeFile(dir.path() + n, n);
    std::vector<std::string> listed = List(dir.path(), kMaskFiles);
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    for (const auto& n : listed) {
        EXPECT_EQ(ReadAllOf(dir.path() + n), n);
        EXPECT_EQ(ListedFileSize(dir.path() + n), static_cast<int64_t>(n.size()));
    }
}

TEST(Names, TrailingDotsAndDeviceNamesReachTheFileItself) {
    TempDir dir;
    // Without the long-path prefix the Win32 layer strips the dot and turns "aux" into a device.
    for (const std::string n : {"ends with dot.", "aux.txt", "con"}) {
        ASSERT_TRUE(WriteWholeFile(dir.path() + n, "x" + n)) << n;
        EXPECT_EQ(ReadAllOf(dir.path() + n), "x" + n);
    }
    EXPECT_EQ(List(dir.path(), kMaskFiles),
              (std::vector<std::string>{"aux.txt", "con", "ends with dot."}));
    // std::filesystem (the folder's clean-up) would take them for devices.
    for (const std::string n : {"ends with dot.", "aux.txt", "con"}) {
        EXPECT_TRUE(RemoveFile(dir.path() + n)) << n;
    }
}

// Two names are one file here whatever their case, as a disc shows "FOTO.JPG" for "Foto.jpg".
TEST(Names, KeysMatchAsTheFileSystemMatchesNames) {
    TempDir temp;
    temp.file("Čtení\\Foto.jpg", "x");
    const std::string asShown = temp.path() + "ČTENÍ\\FOTO.JPG";
    EXPECT_TRUE(Exists(asShown));
    EXPECT_EQ(FileNameKey(asShown), FileNameKey(temp.path() + "čtení\\foto.jpg"));
    EXPECT_NE(FileNameKey("a.txt"), FileNameKey("b.txt"));
}

TEST(Paths, LongerThan260CharactersWork) {
    TempDir dir;
    std::string deep = dir.path();
    for (int i = 0; i < 8; ++i) deep += std::string(40, static_cast<char>('a' + i)) + "\\";
    ASSERT_GT(deep.size(), 300u);
    ASSERT_TRUE(MakeDirectories(deep));
    EXPECT_TRUE(IsDirectory(deep));
    const std::string file = deep + "soubor.bin";
    ASSERT_TRUE(WriteWholeFile(file, std::string(5000, 'z')));
    EXPECT_EQ(ListedFileSize(file), 5000);
    EXPECT_EQ(List(deep, kMaskFiles), std::vector<std::string>{"soubor.bin"});
    EXPECT_EQ(ReadAllOf(file), std::string(5000, 'z'));
    EXPECT_TRUE(RemoveFile(file));
    EXPECT_FALSE(Exists(file));
}

TEST(Paths, RelativeAndDottedPathsAreMadeFull) {
    const std::wstring w = win32::LongPath("C:\\a\\..\\b\\.\\c");
    EXPECT_EQ(w, L"\\\\?\\C:\\b\\c");
    EXPECT_EQ(win32::LongPath("C:/x/y"), L"\\\\?\\C:\\x\\y");
    EXPECT_EQ(win32::LongPath("\\\\server\\share\\f"), L"\\\\?\\UNC\\server\\share\\f");
    EXPECT_EQ(win32::LongPath("\\\\?\\D:\\as is"), L"\\\\?\\D:\\as is");
    EXPECT_EQ(win32::LongPath("\\\\.\\E:"), L"\\\\.\\E:");
    EXPECT_EQ(win32::LongPath("relative").substr(0, 4), L"\\\\?\\");
}

TEST(Wide, LoneSurrogatesSurviveTheRoundTrip) {
    const std::wstring lone = {L'a', static_cast<wchar_t>(0xD800), L'b',
                               static_cast<wchar_t>(0xDC01)};
    EXPECT_EQ(win32::ToWide(win32::ToUtf8(lone)), lone);
    const std::wstring pair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    EXPECT_EQ(win32::ToUtf8(pair), "\xF0\x9F\x98\x80");
    EXPECT_EQ(win32::ToWide("a\xFF"
                            "b"),
              std::wstring(L"a\xFFFD"
                           L"b"));
    EXPECT_EQ(win32::ToWide("\xC3\xA1"), L"\x00E1");
}

TEST(InputFile, ReadsFilesOtherProgramsHoldOpenForWriting) {
    TempDir dir;
    const std::string path = dir.path() + "growing.log";
    // A writer that lets others read (a typical log writer), and one that lets others do all.
    for (DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        const HANDLE writer = ::CreateFileW(W(path).c_str(), GENERIC_WRITE, share, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        DWORD put = 0;
        ASSERT_TRUE(::WriteFile(writer, "abc", 3, &put, nullptr));
        EXPECT_EQ(ReadAllOf(path), "abc");
        ::CloseHandle(writer);
    }
    // One that shares nothing keeps the file from being tested: a failure, not a hang.
    const HANDLE exclusive = ::CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    InputFile f;
    EXPECT_FALSE(f.open(path));
    ::CloseHandle(exclusive);
}

TEST(InputFile, PositionsBeyondFourGigabytes) {
    TempDir dir;
    const std::string path = dir.path() + "big.bin";
    const int64_t size = (int64_t{5} << 30) + 10;
    {
        const HANDLE h = ::CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        LARGE_INTEGER at{};
        at.QuadPart = size - 3;
        ASSERT_TRUE(::SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
        DWORD put = 0;
        ASSERT_TRUE(::WriteFile(h, "end", 3, &put, nullptr));
        ::CloseHandle(h);
    }
    EXPECT_EQ(ListedFileSize(path), size);
    InputFile f;
    ASSERT_TRUE(f.open(path));
    ASSERT_TRUE(f.seek(size - 5));
    EXPECT_EQ(f.position(), size - 5);
    char buffer[16] = {};
    EXPECT_EQ(f.read(buffer, 16), 5);
    EXPECT_EQ(std::string(buffer, 5), std::string("\0\0end", 5));
    EXPECT_EQ(f.position(), size);
    EXPECT_EQ(f.read(buffer, 16), 0);
    EXPECT_FALSE(f.seek(-1));
}

// The read-ahead of the helper thread: a duplicate reads at positions of its own, the file it
// came from stays where it is until the blocks read are passed over.
TEST(InputFile, DuplicateReadsAtPositionsAndLeavesThePositionAlone) {
    TempDir dir;
    const std::string path = dir.path() + "f.bin";
    ASSERT_TRUE(WriteWholeFile(path, "0123456789"));
    InputFile f;
    ASSERT_TRUE(f.open(path));
    ASSERT_TRUE(f.seek(2));
    InputFile ahead;
    ASSERT_TRUE(f.duplicate(ahead));
    char buffer[8] = {};
    EXPECT_EQ(ahead.readAt(2, buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "2345");
    EXPECT_EQ(ahead.readAt(8, buffer, 8), 2);  // up to the end
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(ahead.readAt(10, buffer, 8), 0);
    EXPECT_EQ(ahead.readAt(50, buffer, 8), 0);
    EXPECT_EQ(f.position(), 2);
    ASSERT_TRUE(f.skipRead(4));
    EXPECT_EQ(f.read(buffer, 2), 2);
    EXPECT_EQ(std::string(buffer, 2), "67");
}

TEST(InputFile, DirectoriesAndMissingFilesFail) {
    TempDir dir;
    InputFile f;
    EXPECT_FALSE(f.open(dir.path()));
    EXPECT_FALSE(f.open(dir.path() + "missing"));
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(ListedFileSize(dir.path()), -1);
    EXPECT_EQ(ListedFileSize(dir.path() + "missing"), -1);
    char buffer[4];
    EXPECT_EQ(f.read(buffer, 4), -1);
}

TEST(OutputFile, ReplacesHiddenFilesAndRefusesReadOnlyOnes) {
    TempDir dir;
    const std::string hidden = dir.file("hidden.ini", "old content");
    SetAttributes(hidden, FILE_ATTRIBUTE_HIDDEN);
    OutputFile out;
    ASSERT_TRUE(out.create(hidden));
    EXPECT_TRUE(out.write("new"));
    EXPECT_TRUE(out.close());
    std::string content;
    ASSERT_TRUE(ReadWholeFile(hidden, content));
    EXPECT_EQ(content, "new");
    ASSERT_TRUE(WriteWholeFile(hidden, "whole"));
    ASSERT_TRUE(ReadWholeFile(hidden, content));
    EXPECT_EQ(content, "whole");

    const std::string locked = dir.file("locked.ini", "keep");
    SetAttributes(locked, FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(IsReadOnlyFile(locked));
    EXPECT_FALSE(IsReadOnlyFile(hidden));
    EXPECT_FALSE(IsReadOnlyFile(dir.path()));
    // Windows refuses to write a read-only file; Wine run by root does not, so the refusal is
    // checked only where the system itself refuses.
    const HANDLE probe = ::CreateFileW(W(locked).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        EXPECT_FALSE(WriteWholeFile(locked, "lost"));
        EXPECT_FALSE(out.createPrivate(locked));
        ASSERT_TRUE(ReadWholeFile(locked, content));
        EXPECT_EQ(content, "keep");
    } else {
        ::CloseHandle(probe);
    }
    SetAttributes(locked, FILE_ATTRIBUTE_NORMAL);
}

TEST(OutputFile, PrivateCreateTruncatesAndWrites) {
    TempDir dir;
    const std::string log = dir.file("tmplog0.txt", "a much longer old log");
    OutputFile out;
    ASSERT_TRUE(out.createPrivate(log));
    EXPECT_TRUE(out.write("Zubrak\r\n"));
    EXPECT_TRUE(out.close());
    std::string content;
    ASSERT_TRUE(ReadWholeFile(log, content));
    EXPECT_EQ(content, "Zubrak\r\n");
}

TEST(Folders, ProgramAndTempFoldersAndTimes) {
    const std::string program = ProgramFolder();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.back(), '\\');
    EXPECT_TRUE(Exists(program + "platform_tests.exe"));
    const std::string temp = TempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_TRUE(IsDirectory(temp));
    EXPECT_EQ(PathSeparator(), '\\');

    TempDir dir;
    EXPECT_TRUE(MakeDirectories(dir.path() + "x\\y/z"));
    EXPECT_TRUE(IsDirectory(dir.path() + "x\\y\\z\\"));
    const std::string f = dir.file("t", "x");
    EXPECT_TRUE(SetLastWriteTime(f, 1'000'000'000'123'456'700));
    int64_t ns = 0;
    ASSERT_TRUE(GetLastWriteTime(f, ns));
    EXPECT_EQ(ns, 1'000'000'000'123'456'700);
    EXPECT_FALSE(RemoveFile(dir.path() + "missing"));
}

TEST(Volume, AFolderIsAnsweredForByItsVolume) {
    TempDir dir;
    const std::string sub = MakeDir(dir, "deeper\\still\\");
    const VolumeIdentity root = QueryVolume(sub.substr(0, 3));
    const VolumeIdentity folder = QueryVolume(sub);
    EXPECT_TRUE(folder.known);
    EXPECT_EQ(folder.serial, root.serial);
    EXPECT_EQ(folder.label, root.label);
    // A fixed disk is never asked to eject; nothing happens and nothing is reported.
    EjectVolume(sub);
    EjectVolume("\\\\server\\share\\");
    EXPECT_TRUE(IsDirectory(sub));
}
