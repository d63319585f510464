#include "FaultConfig.h"

#include <cerrno>
#include <charconv>
#include <optional>

namespace vorlaxis::test {

namespace {

std::vector<std::string> Tokens(std::string_view line) {
    std::vector<std::string> tokens;
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        if (pos >= line.size() || line[pos] == '#') break;
        size_t end = pos;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
        tokens.emplace_back(line.substr(pos, end - pos));
        pos = end;
    }
    return tokens;
}

std::optional<int64_t> Number(const std::string& text) {
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

// The optional numeric argument at `index`, or `fallback` when the line stops before it.
std::optional<int64_t> Optional(const std::vector<std::string>& t, size_t index, int64_t fallback) {
    return index < t.size() ? Number(t[index]) : std::optional<int64_t>(fallback);
}

bool ParseReadError(const std::vector<std::string>& t, FaultConfig& config) {
    if (t.size() < 4 || t.size() > 5) return false;
    const auto offset = Number(t[2]), length = Number(t[3]), times = Optional(t, 4, -1);
    if (!offset || !length || !times) return false;
    config.readErrors.push_back({t[1], *offset, *length, *times});
    return true;
}

bool ParseOpenError(const std::vector<std::string>& t, FaultConfig& config) {
    if (t.size() < 3 || t.size() > 4) return false;
    const int error = t[2] == "EIO" ? EIO : t[2] == "EACCES" ? EACCES : 0;
    const auto times = Optional(t, 3, -1);
    if (error == 0 || !times) return false;
    config.openErrors.push_back({t[1], error, *times});
    return true;
}

bool ParseListError(const std::vector<std::string>& t, FaultConfig& config) {
    if (t.size() < 2) return false;
    ListErrorRule rule{t[1], false, -1, EIO};
    size_t next = 2;
    if (next < t.size() && (t[next] == "open" || t[next] == "read")) {
        rule.atRead = t[next++] == "read";
    } else if (next < t.size() && t[next] == "after") {
        const auto after = next + 1 < t.size() ? Number(t[next + 1]) : std::nullopt;
        if (!after) return false;
        rule.after = *after;
        next += 2;
    }
    if (next < t.size()) {
        rule.error = t[next] == "EIO" ? EIO : t[next] == "EACCES" ? EACCES : 0;
        ++next;
    }
    if (rule.error == 0 || next != t.size()) return false;
    config.listErrors.push_back(rule);
    return true;
}

bool ParseDelay(const std::vector<std::string>& t, FaultConfig& config) {
    if (t.size() < 2 || t.size() > 3) return false;
    const auto ms = Number(t[1]);
    if (!ms) return false;
    config.delays.push_back({t.size() == 3 ? t[2] : std::string(), *ms});
    return true;
}

bool ParseHang(const std::vector<std::string>& t, FaultConfig& config) {
    if (t.size() != 2) return false;
    config.delays.push_back({t[1], 0, true});
    return true;
}

bool ParseVanish(const std::vector<std::string>& t, FaultConfig& config) {
    if (t.size() < 2 || t.size() > 3) return false;
    const auto listings = Optional(t, 2, 1);
    if (!listings) return false;
    config.vanishes.push_back({t[1], *listings});
    return true;
}

bool ParseResize(const std::vector<std::string>& t, FaultConfig& config) {
    if (t.size() < 3 || t.size() > 4) return false;
    const auto size = Number(t[2]), after = Optional(t, 3, 0);
    if (!size || !after) return false;
    config.resizes.push_back({t[1], *size, *after});
    return true;
}

bool ParseRule(const std::vector<std::string>& t, FaultConfig& config) {
    // Every rule names an absolute path second, except "delay MS [PATH]".
    const bool isDelay = t[0] == "delay";
    if (!isDelay && (t.size() < 2 || t[1].front() != '/')) return false;
    if (isDelay && t.size() == 3 && t[2].front() != '/') return false;
    if (isDelay) return ParseDelay(t, config);
    if (t[0] == "read-error") return ParseReadError(t, config);
    if (t[0] == "open-error") return ParseOpenError(t, config);
    if (t[0] == "list-error") return ParseListError(t, config);
    if (t[0] == "vanish") return ParseVanish(t, config);
    if (t[0] == "hang") return ParseHang(t, config);
    if (t[0] == "resize") return ParseResize(t, config);
    return false;
}

}  // namespace

FaultConfig ParseFaultConfig(std::string_view text) {
    FaultConfig config;
    size_t pos = 0;
    for (int number = 1; pos <= text.size(); ++number) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = end + 1;
        const std::vector<std::string> tokens = Tokens(line);
        if (tokens.empty()) continue;
        if (!ParseRule(tokens, config)) {
            config.problems.push_back("line " + std::to_string(number) + ": " + std::string(line));
        }
    }
    return config;
}

bool ReadTouches(const ReadErrorRule& rule, int64_t offset, int64_t size) {
    return size > 0 && offset < rule.offset + rule.length && offset + size > rule.offset;
}

}  // namespace vorlaxis::test
