#include "media/RunLocations.h"

#include <algorithm>
#include <cctype>

namespace vorlaxis {

namespace {

bool IsSeparator(char c, PathStyle style) {
    return c == '/' || (style == PathStyle::Windows && c == '\\');
}

bool IsDriveLetter(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           std::isalpha(static_cast<unsigned char>(path[0])) != 0;
}

// Splits off the root ("/", "D:\", "\\server\share\") and returns it; `rest` gets the
// components after it. An empty root means the path is relative.
std::string SplitRoot(const std::string& path, PathStyle style, std::string& rest) {
    const char sep = style == PathStyle::Windows ? '\\' : '/';
    if (style == PathStyle::Posix) {
        rest = path;
        return !path.empty() && path[0] == '/' ? "/" : "";
    }
    if (IsDriveLetter(path)) {
        rest = path.substr(2);
        return path.substr(0, 2) + sep;
    }
    if (path.size() >= 2 && IsSeparator(path[0], style) && IsSeparator(path[1], style)) {
        // A share (\\server\share): both names belong to the root.
        std::size_t end = 2;
        for (int name = 0; name < 2; ++name) {
            while (end < path.size() && !IsSeparator(path[end], style)) ++end;
            if (name == 0 && end < path.size()) ++end;
        }
        std::string root = path.substr(0, end);
        std::replace(root.begin(), root.end(), '/', '\\');
        rest = path.substr(end);
        return root + sep;
    }
    rest = path;
    return "";
}

std::string Normalized(const std::string& path, PathStyle style) {
    std::string rest;
    const std::string root = SplitRoot(path, style, rest);
    std::vector<std::string> parts;
    std::string part;
    auto flush = [&] {
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (const char c : rest) {
        if (IsSeparator(c, style)) {
            flush();
        } else {
            part += c;
        }
    }
    flush();
    const char sep = style == PathStyle::Windows ? '\\' : '/';
    std::string result = root;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) result += sep;
        result += parts[i];
    }
    return result;
}

}  // namespace

std::string FullLocationPath(const std::string& path, const std::string& currentFolder,
                             PathStyle style) {
    std::string rest;
    if (!SplitRoot(path, style, rest).empty()) return Normalized(path, style);
    if (style == PathStyle::Windows && !path.empty() && IsSeparator(path[0], style)) {
        // Rooted without a drive: on the current folder's drive.
        return Normalized(currentFolder.substr(0, 2) + path, style);
    }
    const char sep = style == PathStyle::Windows ? '\\' : '/';
    return Normalized(currentFolder + sep + path, style);
}

bool SameLocation(const std::string& a, const std::string& b, PathStyle style) {
    const std::string left = Normalized(a, style);
    const std::string right = Normalized(b, style);
    if (style == PathStyle::Posix) return left == right;
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

RunLocations::RunLocations(const std::vector<std::string>& paths, const std::string& currentFolder,
                           PathStyle style)
    : m_style(style) {
    for (const std::string& path : paths) {
        if (!path.empty()) m_paths.push_back(FullLocationPath(path, currentFolder, style));
    }
}

void RunLocations::Apply(LocationList& list) {
    if (m_paths.empty()) return;
    m_read = list;
    auto named = [this](const std::string& text) {
        return std::any_of(m_paths.begin(), m_paths.end(), [&](const std::string& path) {
            return SameLocation(text, path, m_style);
        });
    };
    for (const std::string& path : m_paths) {
        const auto& entries = list.Entries();
        const bool present =
            std::any_of(entries.begin(), entries.end(),
                        [&](const TestLocation& e) { return SameLocation(e.Path, path, m_style); });
        if (!present) list.Add(path);
    }
    for (int i = 0; i < list.Count(); ++i) list.SetTicked(i, named(list.Text(i)));
    m_afterApply = list.Entries();
    m_applied = true;
}

const LocationList& RunLocations::ListToSave(const LocationList& list) const {
    if (!m_applied) return list;
    const auto& now = list.Entries();
    const bool unchanged =
        std::equal(now.begin(), now.end(), m_afterApply.begin(), m_afterApply.end(),
                   [](const TestLocation& x, const TestLocation& y) {
                       return x.Path == y.Path && x.Checked == y.Checked;
                   });
    return unchanged ? m_read : list;
}

}  // namespace vorlaxis
