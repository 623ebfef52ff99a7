#include "swf/runtime/local_url.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace swf::runtime {
namespace {

namespace fs = std::filesystem;

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The scheme of "scheme:rest" (letters, digits, + - . after a first letter), or "" for none.
std::string schemeOf(const std::string& url)
{
    const std::size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0) return {};
    if (!std::isalpha(static_cast<unsigned char>(url[0]))) return {};
    for (std::size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return {};
    }
    return lower(url.substr(0, colon));
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecoded(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool isInside(const fs::path& path, const fs::path& folder)
{
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        if (f->empty() && std::next(f) == folder.end()) break;  // a trailing separator
        if (p == path.end() || *p != *f) return false;
    }
    return true;
}

}  // namespace

std::variant<LocalFile, RefusedUrl> resolveLocalUrl(const std::string& url, const std::string& baseDirectory)
{
    std::string rest = url.substr(0, url.find_first_of("?#"));
    if (rest.empty()) return RefusedUrl{"no file named"};
    const std::string scheme = schemeOf(rest);
    if (scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "rtmp")
        return RefusedUrl{"the network is never used: " + url};
    if (!scheme.empty() && scheme != "file") return RefusedUrl{"unsupported scheme " + scheme + ": " + url};
    if (baseDirectory.empty()) return RefusedUrl{"the movie has no folder to load from: " + url};

    const fs::path folder = fs::path(baseDirectory).lexically_normal();
    fs::path wanted;
    if (scheme == "file") {
        std::string path = percentDecoded(rest.substr(5));
        // file:///abs/path and file://localhost/abs/path name the same file.
        if (path.rfind("//localhost/", 0) == 0) path = path.substr(11);
        else if (path.rfind("//", 0) == 0) path = path.substr(2);
        wanted = fs::path(path);
        if (!wanted.is_absolute()) return RefusedUrl{"a file URL must name an absolute path: " + url};
    } else {
        // Movies made on Windows write relative paths with backslashes.
        std::replace(rest.begin(), rest.end(), '\\', '/');
        wanted = fs::path(percentDecoded(rest));
        if (wanted.is_absolute()) return RefusedUrl{"only files in the movie's folder load: " + url};
    }
    const fs::path resolved = (wanted.is_absolute() ? wanted : folder / wanted).lexically_normal();
    if (!isInside(resolved, folder)) return RefusedUrl{"only files in the movie's folder load: " + url};
    return LocalFile{resolved.string()};
}

}  // namespace swf::runtime
