#include "cli/CheckOptions.h"

#include <algorithm>
#include <charconv>

#include "platform/Files.h"

namespace vorlaxis::cli {

namespace {

bool SetMode(const std::string& value, CheckOptions& o) {
    if (value == "all") {
        o.dataReadStyle = ReadAllData;
    } else if (value == "open") {
        o.dataReadStyle = OpenFilesOnly;
    } else if (value == "4" || value == "8" || value == "16") {
        o.dataReadStyle = ReadSomeBlocks;
        o.readEveryXthBlock = value == "4"   ? EveryFourthBlock
                              : value == "8" ? EveryEighthBlock
                                             : EverySixteenthBlock;
    } else {
        return false;
    }
    return true;
}

bool SetBlockSize(const std::string& value, CheckOptions& o) {
    long long kb = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), kb);
    if (value.empty() || ec == std::errc::invalid_argument || end != value.data() + value.size()) {
        return false;
    }
    // Out of range (also beyond what a number holds) is pulled to the nearer bound.
    if (ec == std::errc::result_out_of_range) kb = value[0] == '-' ? kMinBlockSize : kMaxBlockSize;
    o.blockSizeKb = static_cast<int32_t>(std::clamp<long long>(kb, kMinBlockSize, kMaxBlockSize));
    return true;
}

// Applies "--name value"; false with `error` set when the value is missing or bad.
bool ApplyValue(const std::string& name, const std::string& value, CheckOptions& o,
                std::string& error) {
    if (name == "--mode" && !SetMode(value, o)) {
        error = "unknown mode \"" + value + "\" (all, 4, 8, 16 or open)";
        return false;
    }
    if (name == "--block-size" && !SetBlockSize(value, o)) {
        error = "the block size must be a whole number of kilobytes, not \"" + value + "\"";
        return false;
    }
    if ((name == "--log" || name == "--json" || name == "--graph" || name == "--history" ||
         name == "--compare-with") &&
        value.empty()) {
        error = name + " needs a file name";
        return false;
    }
    if (name == "--log") o.logFile = value;
    if (name == "--json") o.jsonFile = value;
    if (name == "--graph") o.graphFile = value;
    if (name == "--history") o.historyFolder = AsLocation(value);
    if (name == "--compare-with") o.sourceFolder = AsLocation(value);
    return true;
}

bool TakesValue(const std::string& name) {
    return name == "--mode" || name == "--block-size" || name == "--log" || name == "--json" ||
           name == "--graph" || name == "--history" || name == "--compare-with";
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, CheckOptions& o, std::string& error) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            o.paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            o.help = true;
            return true;
        } else if (arg == "--version") {
            o.version = true;
            return true;
        } else if (arg == "--no-file-limit") {
            o.noFileLimit = true;
        } else {
            const size_t eq = arg.find('=');
            const std::string name = arg.substr(0, eq);
            if (!TakesValue(name)) {
                error = "unknown option " + name;
                return false;
            }
            if (eq == std::string::npos && i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            const std::string value = eq != std::string::npos ? arg.substr(eq + 1) : args[++i];
            if (!ApplyValue(name, value, o, error)) return false;
        }
    }
    if (o.paths.empty()) {
        error = "no PATH given";
        return false;
    }
    if (!o.logFile.empty() && o.paths.size() != 1) {
        error = "--log takes exactly one PATH";
        return false;
    }
    if (!o.sourceFolder.empty() && o.paths.size() != 1) {
        error = "--compare-with takes exactly one PATH";
        return false;
    }
    return true;
}

std::string AsLocation(const std::string& path) {
    // "/" is a separator on Windows too ("D:/data/"), but what is added is the platform's own.
    const char separator = platform::PathSeparator();
    const bool ends = !path.empty() && (path.back() == '/' || path.back() == separator);
    return ends ? path : path + separator;
}

const char* UsageText() {
    return "Usage: vorlaxis-check [--mode all|4|8|16|open] [--block-size KB] [--log FILE]\n"
           "                      [--json FILE] [--graph FILE] [--history DIR]\n"
           "                      [--no-file-limit] PATH...\n"
           "       vorlaxis-check [options] --compare-with SRC PATH\n"
           "       vorlaxis-check --help | --version\n"
           "\n"
           "Tests whether every file below each PATH can be read, and prints the test log.\n"
           "\n"
           "  --mode MODE        all: read all data (default); 4, 8, 16: read every 4th, 8th or\n"
           "                     16th block and pass over the others; open: only open each file\n"
           "  --block-size KB    block size in kilobytes, 4 to 48 (default 48); values outside\n"
           "                     are taken as the nearer bound\n"
           "  --log FILE         write the log (Windows-1250, CR LF) to FILE instead of printing\n"
           "                     it; only with one PATH\n"
           "  --json FILE        write the result for scripts (JSON, UTF-8) to FILE; with \"-\"\n"
           "                     it goes to standard output and no log is printed there\n"
           "  --graph FILE       draw the speed graph of the test (SVG) to FILE: MB/s over the\n"
           "                     megabytes done, unreadable files marked red, slow ones orange,\n"
           "                     each mark naming its file on hover; with several PATHs the\n"
           "                     Nth location's graph goes to FILE with \"-N\" before the\n"
           "                     extension\n"
           "  --history DIR      keep a record of each location read whole (mode all) in DIR,\n"
           "                     one folder per medium (label, serial, path within it), and\n"
           "                     report what changed since the medium's last record; each\n"
           "                     record comes with a *.xxh128 file: run in the location's\n"
           "                     folder, \"xxh128sum -c\" verifies the medium with it\n"
           "  --compare-with SRC compare PATH with the folder SRC it was made from, in the\n"
           "                     test's one read of PATH (SRC is read beside it): every file\n"
           "                     the same, none missing, none extra, folders too; only with\n"
           "                     one PATH and mode all (other modes compare nothing: exit\n"
           "                     status 5, \"not_compared\"); the log stays that of a plain\n"
           "                     test\n"
           "  --no-file-limit    test every file; without it at most 49152 files of a location\n"
           "                     are tested, and the number of those left out is reported\n"
           "                     (exit status 5, \"unchecked\")\n"
           "  -h, --help         show this text\n"
           "  --version          show the program's name and version\n"
           "\n"
           "Each PATH is tested in turn (a trailing \"/\" is added). Unreadable files never stop\n"
           "the test: each is recorded in the log and the test goes on. Without --log each log\n"
           "is printed to standard output as UTF-8 text. While a test runs and standard error is\n"
           "a terminal, the current file, the megabytes done, the current and average speed and\n"
           "the remaining time are shown there. In mode all, checksum files found in the tree\n"
           "(*.md5, *.sha1, *.sha256, *.sha512, MD5SUMS, SHA1SUMS, SHA256SUMS, SHA512SUMS in GNU\n"
           "or BSD form, *.sfv, *.xxh128) are read first and each file they list is checked\n"
           "during its one read. Ctrl+C or SIGTERM stops the test: the log then ends as a\n"
           "stopped test, the JSON result is written, and the program ends by the same\n"
           "signal, so that a shell loop over several runs stops too.\n"
           "\n"
           "Standard error names each finding on a line of its own, as \"sha256sum -c\" does:\n"
           "  PATH: FAILED       a checksum file on the medium contradicts the file\n"
           "  PATH: MISSING      a checksum file lists it, the medium lacks it\n"
           "  PATH: CHANGED      other content since the last record, same size and time\n"
           "  PATH: DIFFERS AT N the file differs from its source from byte N on (counted\n"
           "                     from 0; N is the shorter one's size when one file is the\n"
           "                     start of the other)\n"
           "  PATH: ONLY ON MEDIUM  the source folder lacks it (a folder ends in \"/\")\n"
           "  PATH: ONLY IN SOURCE  the medium lacks it (PATH is the source's)\n"
           "  PATH: NOT CHECKED (REASON)  not checked: no medium, access denied, path too\n"
           "                     long, file limit, record unusable, list unusable, not compared,\n"
           "                     source unreadable, source unlisted, source not sought\n"
           "Control characters in PATH are escaped there (\\n, \\t, \\x1b, \\u009b), and so is\n"
           "a backslash (\\\\).\n"
           "\n"
           "The JSON result is one object: \"program\", \"version\", \"exit_status\" and\n"
           "\"locations\", a list with one object per PATH in the order given:\n"
           "  \"path\"         the PATH as tested, with its trailing \"/\" (as given when it is "
           "no\n"
           "                 directory)\n"
           "  \"label\"        the volume label; null when the medium was not examined\n"
           "  \"serial\"       the volume serial number, 8 hexadecimal digits; null likewise\n"
           "  \"directories\"  the directories found, the location itself included\n"
           "  \"files\"        the files found\n"
           "  \"unreadable\"   the full paths of the unreadable files, in the order they failed\n"
           "  \"checksum\"     the media checksum, 4 hexadecimal digits; null when files are\n"
           "                 only opened or no tree was collected\n"
           "  \"outcome\"      \"ok\"; \"errors\": unreadable files; \"incomplete\": all found "
           "was\n"
           "                 readable, but something was not checked; \"stopped\": by a signal,\n"
           "                 or not reached because of one; \"failed\": not an existing\n"
           "                 directory, the tree could not be collected, or the log not\n"
           "                 written in full\n"
           "  \"bytes_read\"   the bytes read from the medium (blocks passed over not counted)\n"
           "  \"seconds\"      the time the location's test took\n"
           "  \"slow\"         the readable files that read far slower than the medium's\n"
           "                 typical speed for files of their size, or lost far more time than\n"
           "                 a typical read takes: objects with \"path\" and \"mb_per_s\"\n"
           "  \"speed_profile\" the speed over the test: pairs [megabytes done, MB/s], at most\n"
           "                 300, each over the stretch since the previous pair\n"
           "  \"checksum_file_mismatches\" files whose content a checksum file contradicts\n"
           "  \"checksum_file_missing\" files a checksum file lists that are not there\n"
           "  \"unchecked\"    what was not checked: objects with \"path\", \"reason\" "
           "(\"no_medium\",\n"
           "                 \"access_denied\", \"path_too_long\", \"file_limit\" with \"files\",\n"
           "                 \"record_unusable\", \"list_unusable\", \"not_compared\",\n"
           "                 \"source_unreadable\", \"source_unlisted\", \"source_not_sought\")\n"
           "With --compare-with, what differs from the source folder:\n"
           "  \"differs\"      objects with \"path\" and \"offset\", the first byte that differs\n"
           "  \"only_on_medium\", \"only_in_source\"  full paths (the source's for the latter);\n"
           "                 a folder ends in \"/\" and stands for everything in it\n"
           "                 (unreadable files of the medium are under \"unreadable\"; those\n"
           "                 of the source under \"unchecked\", \"source_unreadable\")\n"
           "With --history, lists of what changed since the medium's last record (empty when\n"
           "there is none):\n"
           "  \"changed\"      other content, same size and modification time (silent change)\n"
           "  \"edited\"       other content with a new modification time or size\n"
           "  \"missing\", \"new\", \"newly_unreadable\", \"readable_again\"\n"
           "Paths in these lists are full paths, as the log writes them.\n"
           "Texts are UTF-8: control characters are escaped, and each byte of a name that is not\n"
           "valid UTF-8 becomes U+FFFD. FILE is emptied before the first test (a FILE that cannot\n"
           "be written is bad usage) and the result is written when the run ends, after a stop\n"
           "or a failure too. A second signal ends the program at once, without a result.\n"
           "\n"
           "Exit status:\n"
           "  0  every file of every PATH was found, listed, opened and read, and every\n"
           "     comparison asked for was made\n"
           "  1  unreadable files were found (or a directory tree could not be collected, or\n"
           "     the log, the JSON result or the graph could not be written completely, on\n"
           "     standard output too)\n"
           "  2  bad usage, no PATH is an existing directory, or no private temporary folder\n"
           "     can be made (set TMPDIR, or use --log)\n"
           "  3  stopped by a signal: the status in the JSON result; the program itself then\n"
           "     ends by the signal (a shell shows 128 + its number: 130, 143)\n"
           "  4  no file was unreadable, but content changed silently since the last record,\n"
           "     a checksum file disagrees with the medium, or the medium differs from the\n"
           "     source folder (--compare-with)\n"
           "  5  incomplete: something was not checked (listed under \"unchecked\"), such as a\n"
           "     PATH that is no existing directory among others\n"
           "When several apply, the status is the gravest: 3, then 1, then 4, then 5.\n";
}

const char* VersionText() {
    return "vorlaxis-check " VORLAXIS_VERSION "\n";
}

}  // namespace vorlaxis::cli
