#include "forms/common_dialog.hpp"

#include "forms/form.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"

namespace forms {

std::vector<FileFilter> parseFilter(const std::string& filter) {
    std::vector<FileFilter> out;
    if (filter.empty()) return out;
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (true) {
        std::size_t bar = filter.find('|', pos);
        parts.push_back(filter.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos));
        if (bar == std::string::npos) break;
        pos = bar + 1;
    }
    for (std::size_t i = 0; i < parts.size(); i += 2)
        out.push_back({parts[i], i + 1 < parts.size() ? parts[i + 1] : std::string()});
    return out;
}

CommonDialog::CommonDialog(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.visible = false;
}

void CommonDialog::setMaxFileSize(long n) {
    if (n < 1 || n > 32767) runtime::raise(runtime::err::InvalidPropertyValue, name());
    maxFileSize_ = n;
}

void CommonDialog::showOpen() { showFile(false); }
void CommonDialog::showSave() { showFile(true); }

void CommonDialog::showFile(bool save) {
    FileDialogRequest r;
    r.save = save;
    r.title = title_;
    r.initialDir = initDir_;
    r.fileName = fileName_;
    r.defaultExt = defaultExt_;
    r.filters = parseFilter(filter_);
    r.filterIndex = filterIndex_ < 1 ? 1 : filterIndex_;
    r.multiSelect = !save && (flags_ & cdlOFNAllowMultiselect) != 0;
    r.fileMustExist = (flags_ & cdlOFNFileMustExist) != 0;
    r.overwritePrompt = (flags_ & cdlOFNOverwritePrompt) != 0;
    r.readOnlyChecked = (flags_ & cdlOFNReadOnly) != 0;
    r.hideReadOnly = (flags_ & cdlOFNHideReadOnly) != 0;
    r.owner = form().hWnd();

    FileDialogResult result = dialogs().fileDialog(r);
    if (!result.accepted || result.paths.empty()) {
        if (cancelError_) runtime::raise(cdlCancel, name(), "Cancel was selected.");
        return;
    }
    std::string name, title;
    if (result.paths.size() == 1) {
        name = result.paths.front();
        auto slash = name.find_last_of('/');
        title = slash == std::string::npos ? name : name.substr(slash + 1);
    } else {
        // The folder of the first file, then each name.
        const std::string& first = result.paths.front();
        auto slash = first.find_last_of('/');
        std::string folder = slash == std::string::npos ? std::string() : first.substr(0, slash == 0 ? 1 : slash);
        char sep = (flags_ & cdlOFNExplorer) ? '\0' : ' ';
        name = folder;
        for (auto& p : result.paths) {
            auto s = p.find_last_of('/');
            name += sep;
            name += s == std::string::npos ? p : p.substr(s + 1);
        }
    }
    if (runtime::Len(name) + 1 > maxFileSize_)
        runtime::raise(cdlBufferTooSmall, this->name(), "The buffer at which the member lpstrFile points is too small.");
    fileName_ = name;
    fileTitle_ = title;
    filterIndex_ = result.filterIndex;
    if (result.readOnlyChecked)
        flags_ |= cdlOFNReadOnly;
    else
        flags_ &= ~cdlOFNReadOnly;
}

void CommonDialog::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    const auto& o = static_cast<const CommonDialog&>(other);
    filter_ = o.filter_;
    title_ = o.title_;
    flags_ = o.flags_;
    maxFileSize_ = o.maxFileSize_;
    defaultExt_ = o.defaultExt_;
    initDir_ = o.initDir_;
    cancelError_ = o.cancelError_;
}

}  // namespace forms
