#include "player/os_helpers.hpp"

#include <filesystem>
#include <system_error>

#include "forms/application.hpp"
#include "forms/clipboard.hpp"
#include "forms/dialogs.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/scheduler.hpp"
#include "runtime/strings.hpp"
#include "player/fade.hpp"

namespace player {

std::string BrowseForFolder(std::int32_t hwndOwner, const std::string& Title) {
    forms::FolderRequest r;
    r.title = Title;
    r.owner = hwndOwner;
    auto chosen = forms::dialogs().browseForFolder(r);
    if (!chosen) return {};
    std::string path = TrimAtNull(*chosen);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string TrimAtNull(const std::string& Text) {
    auto nul = Text.find('\0');
    return nul == std::string::npos ? Text : Text.substr(0, nul);
}

std::string GetFilterItem(const std::string& Filter, std::int32_t Index) {
    if (Filter.empty() || Index <= 0) return {};
    // The original's walk: an item runs from `start` to just before the
    // second NUL after it; after the last item the walk starts over at the
    // first pair. The walk is a cycle (or ends), so a large index is reduced
    // to its place in the cycle instead of being walked step by step.
    long index = Index;
    for (int pass = 0; pass < 2; ++pass) {
        std::size_t start = 0;
        for (long k = 1;; ++k) {
            std::size_t p1 = Filter.find('\0', start);
            if (p1 == std::string::npos) return {};
            std::size_t p2 = Filter.find('\0', p1 + 1);
            if (k == index) return p2 == std::string::npos ? Filter.substr(start) : Filter.substr(start, p2 - start);
            start = p2 == std::string::npos ? 0 : p2 + 1;
            if (start == 0) {  // back at the first pair after k items
                index = (index - 1) % k + 1;
                break;
            }
        }
    }
    return {};
}

bool ShowOpenFileDialog(std::string& FileName, std::string& FileTitle, bool FileMustExist, bool MultiSelect,
                        bool& ReadOnly, bool HideReadOnly, std::string& Filter, std::int32_t& FilterIndex,
                        const std::string& InitDir, const std::string& DlgTitle, const std::string& DefaultExt,
                        std::int32_t hWndOwner, std::int32_t& Flags) {
    std::int32_t flags = (FileMustExist ? OFN_FILEMUSTEXIST : 0) | (MultiSelect ? OFN_ALLOWMULTISELECT : 0) |
                         (ReadOnly ? OFN_READONLY : 0) | (HideReadOnly ? OFN_HIDEREADONLY : 0) |
                         (Flags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE));
    std::int32_t owner = hWndOwner == -1 ? 0 : hWndOwner;

    if (runtime::Len(Filter) > 32767) runtime::raise(runtime::err::Overflow, "ShowOpenFileDialog");
    std::string converted;
    converted.reserve(Filter.size() + 2);
    for (char c : Filter) converted += (c == '|' || c == ':') ? '\0' : c;
    converted += std::string(2, '\0');

    long bufferSize = (flags & OFN_ALLOWMULTISELECT) ? 8192 : 260;
    if (runtime::Len(FileName) > bufferSize || runtime::Len(FileTitle) > bufferSize)
        runtime::raise(runtime::err::InvalidProcedureCall, "ShowOpenFileDialog");

    forms::FileDialogRequest r;
    r.title = DlgTitle;
    r.initialDir = InitDir;
    r.fileName = TrimAtNull(FileName);
    r.defaultExt = DefaultExt;
    r.filterIndex = FilterIndex;
    r.multiSelect = (flags & OFN_ALLOWMULTISELECT) != 0;
    r.fileMustExist = (flags & OFN_FILEMUSTEXIST) != 0;
    r.readOnlyChecked = (flags & OFN_READONLY) != 0;
    r.hideReadOnly = (flags & OFN_HIDEREADONLY) != 0;
    r.owner = owner;
    // Pairs of the converted filter (an empty description ends the list).
    for (std::int32_t k = 1;; ++k) {
        std::string pair = GetFilterItem(converted, k);
        auto nul = pair.find('\0');
        if (pair.empty() || nul == std::string::npos || nul == 0) break;
        r.filters.push_back({pair.substr(0, nul), pair.substr(nul + 1)});
        if (k > 16384) break;
    }

    forms::FileDialogResult res = forms::dialogs().fileDialog(r);
    if (!res.accepted || res.paths.empty()) {
        FileName.clear();
        FileTitle.clear();
        Flags = 0;
        FilterIndex = -1;
        Filter.clear();
        return false;
    }
    std::int32_t returned = (flags & ~OFN_READONLY) | (res.readOnlyChecked ? OFN_READONLY : 0);
    if (returned & OFN_ALLOWMULTISELECT) {
        FileTitle.clear();
        if (res.paths.size() == 1) {
            FileName = res.paths.front();
        } else {
            const std::string& first = res.paths.front();
            auto slash = first.find_last_of('/');
            std::string folder = slash == std::string::npos ? std::string() : first.substr(0, slash == 0 ? 1 : slash);
            char sep = (returned & OFN_EXPLORER) ? '\0' : ' ';
            FileName = folder;
            for (auto& p : res.paths) {
                auto s = p.find_last_of('/');
                FileName += sep;
                FileName += s == std::string::npos ? p : p.substr(s + 1);
            }
        }
    } else {
        FileName = res.paths.front();
        auto slash = FileName.find_last_of('/');
        FileTitle = slash == std::string::npos ? FileName : FileName.substr(slash + 1);
    }
    Flags = returned;
    FilterIndex = res.filterIndex;
    Filter = GetFilterItem(converted, FilterIndex);
    if (returned & OFN_READONLY) ReadOnly = true;
    return true;
}

bool CopyFilesToClipboard(const std::vector<std::string>& Paths) {
    if (Paths.empty()) return false;
    // The file managers take the names as absolute paths of files as they are
    // spelled: a relative path is taken from the current folder, and a path
    // that differs from its file only in case names that file.
    std::vector<std::string> files;
    files.reserve(Paths.size());
    for (const std::string& p : Paths) {
        // No file's name holds a NUL byte, and a file manager would read such
        // a name only up to it: the copy fails rather than name another file.
        if (p.find('\0') != std::string::npos) return false;
        std::string path = p.empty() ? p : runtime::ResolvePath(p);
        std::error_code ec;
        if (!path.empty() && path.front() != '/') {
            std::filesystem::path whole = std::filesystem::absolute(path, ec);
            if (!ec) path = whole.string();
        }
        files.push_back(std::move(path));
    }
    return forms::clipboard().setFiles(files);
}

void SetWindowAlpha(std::int32_t hWnd, std::uint8_t Alpha) {
    forms::Form* f = forms::FromHwnd(hWnd);
    if (!f) return;
    f->setLayered(true);
    f->setLayeredAlpha(Alpha);
}

void SetTopmost(std::int32_t hWnd, bool OnTop) {
    if (forms::Form* f = forms::FromHwnd(hWnd)) f->setTopmost(OnTop);
}

void lwa_FadeIn(std::int32_t hWnd, std::int16_t Step) {
    if (Step < 1) return;
    int alpha = 0;
    do {
        if (forms::Form* f = forms::FromHwnd(hWnd)) f->setLayeredAlpha(alpha);
        runtime::DoEvents();
        alpha += Step;
    } while (alpha < 255);
}

}  // namespace player
