#include "system/file_info.hpp"

#include <fcntl.h>
#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>

#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/filesystem.hpp"

namespace sys {

namespace {

// How much of a file the type guess looks at (what GIO itself sniffs).
constexpr std::size_t kSniffBytes = 4096;

runtime::DateTime localTime(const struct statx_timestamp& t) {
    auto since = std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
    return runtime::DateTime::fromTimePoint(std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(since)));
}

template <typename T, void (*Free)(T*)>
struct GPtr {
    T* p = nullptr;
    ~GPtr() {
        if (p) Free(p);
    }
};
void freeChars(gchar* p) { g_free(p); }

// Collects the first <comment> that has no xml:lang: the English one.
struct CommentParser {
    bool inComment = false;
    bool done = false;
    std::string text;

    static void start(GMarkupParseContext*, const gchar* element, const gchar** names, const gchar**,
                      gpointer data, GError**) {
        auto* self = static_cast<CommentParser*>(data);
        if (self->done || std::string_view(element) != "comment") return;
        for (const gchar** n = names; *n; ++n)
            if (std::string_view(*n) == "xml:lang") return;
        self->inComment = true;
    }
    static void end(GMarkupParseContext*, const gchar*, gpointer data, GError**) {
        auto* self = static_cast<CommentParser*>(data);
        if (self->inComment) self->done = true;
        self->inComment = false;
    }
    static void chars(GMarkupParseContext*, const gchar* text, gsize len, gpointer data, GError**) {
        auto* self = static_cast<CommentParser*>(data);
        if (self->inComment) self->text.append(text, len);
    }
};

std::string commentIn(const std::string& file) {
    gchar* contents = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(file.c_str(), &contents, &length, nullptr)) return {};
    GPtr<gchar, freeChars> owned{contents};
    CommentParser parser;
    GMarkupParser callbacks{CommentParser::start, CommentParser::end, CommentParser::chars, nullptr, nullptr};
    GMarkupParseContext* context = g_markup_parse_context_new(&callbacks, GMarkupParseFlags(0), &parser, nullptr);
    bool ok = g_markup_parse_context_parse(context, contents, static_cast<gssize>(length), nullptr);
    g_markup_parse_context_free(context);
    return ok || parser.done ? parser.text : std::string();
}

// The English comment of a MIME type, read from the database's own file for
// it ("<dir>/mime/audio/mpeg.xml") in the order the desktop searches them.
// GIO's g_content_type_get_description picks the comment of the process's
// language, and cannot be asked for another one; "" when none is found.
std::string englishComment(const std::string& mimeType) {
    static std::mutex mu;
    static std::map<std::string, std::string> cache;
    std::lock_guard lock(mu);
    if (auto it = cache.find(mimeType); it != cache.end()) return it->second;
    std::string relative = "mime/" + mimeType + ".xml";
    std::string comment = commentIn(std::string(g_get_user_data_dir()) + "/" + relative);
    for (const gchar* const* dir = g_get_system_data_dirs(); comment.empty() && *dir; ++dir)
        comment = commentIn(std::string(*dir) + "/" + relative);
    cache.emplace(mimeType, comment);
    return comment;
}

std::string extensionFile(std::string_view name) {
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return "File";
    std::string ext(name.substr(dot + 1));
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return ext + " File";
}

std::string firstBytes(const std::string& path) {
    // O_NOATIME where the file is ours: looking at a file's type does not
    // make it "accessed" for the next look.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOATIME);
    if (fd < 0 && errno == EPERM) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    std::string buf(kSniffBytes, '\0');
    ssize_t n;
    do n = pread(fd, buf.data(), buf.size(), 0);
    while (n < 0 && errno == EINTR);
    close(fd);
    buf.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return buf;
}

}  // namespace

std::string FileTypeDescription(std::string_view name, std::string_view bytes) {
    std::size_t slash = name.rfind('/');
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    std::string base(name);
    gboolean uncertain = FALSE;
    gchar* guessed = g_content_type_guess(base.empty() ? nullptr : base.c_str(),
                                          reinterpret_cast<const guchar*>(bytes.data()), bytes.size(), &uncertain);
    GPtr<gchar, freeChars> owned{guessed};
    if (!guessed) return extensionFile(name);
    std::string type = guessed;
    // An empty file is typed by its name alone, as a file of unknown content.
    if (g_content_type_is_unknown(guessed) || type == "application/x-zerosize") return extensionFile(name);
    std::string comment = englishComment(type);
    return comment.empty() ? extensionFile(name) : comment;
}

FileInfo GetFile(std::string_view path) {
    if (path.empty()) runtime::raise(runtime::err::FileNotFound);
    std::string resolved = runtime::ResolvePath(path);
    struct statx sx {};
    if (statx(AT_FDCWD, resolved.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        throw runtime::fileError(errno, resolved);
    if (S_ISDIR(sx.stx_mode))
        throw runtime::Error(runtime::err::FileNotFound,
                             runtime::errorDescription(runtime::err::FileNotFound) + ": " + resolved);
    FileInfo info;
    info.path = resolved;
    info.modified = localTime(sx.stx_mtime);
    if (sx.stx_mask & STATX_BTIME) info.created = localTime(sx.stx_btime);
    info.accessed = localTime(sx.stx_atime);
    info.size = static_cast<std::int64_t>(sx.stx_size);
    info.attributes = runtime::GetAttr(resolved);
    info.type = FileTypeDescription(resolved, firstBytes(resolved));
    return info;
}

}  // namespace sys
