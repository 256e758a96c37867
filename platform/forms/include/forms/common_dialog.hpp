#pragma once
// The common dialog control: open and save dialogs through forms::dialogs().
// A multi-select choice comes back as the folder, NUL, each name (NUL
// separated; blanks without the Explorer flag); one file chosen comes back as
// its full path alone.

#include <string>

#include "forms/control.hpp"
#include "forms/dialogs.hpp"

namespace forms {

inline constexpr long cdlOFNReadOnly = 0x1;
inline constexpr long cdlOFNOverwritePrompt = 0x2;
inline constexpr long cdlOFNHideReadOnly = 0x4;
inline constexpr long cdlOFNAllowMultiselect = 0x200;
inline constexpr long cdlOFNPathMustExist = 0x800;
inline constexpr long cdlOFNFileMustExist = 0x1000;
inline constexpr long cdlOFNExplorer = 0x80000;
inline constexpr int cdlCancel = 32755;          // Cancel with CancelError set
inline constexpr int cdlBufferTooSmall = 20476;  // the names do not fit MaxFileSize

class CommonDialog : public Control {
public:
    CommonDialog(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::CommonDialog; }

    // "description|pattern|description|pattern"
    const std::string& filter() const { return filter_; }
    void setFilter(std::string f) { filter_ = std::move(f); }
    int filterIndex() const { return filterIndex_; }
    void setFilterIndex(int i) { filterIndex_ = i; }
    const std::string& dialogTitle() const { return title_; }
    void setDialogTitle(std::string t) { title_ = std::move(t); }
    long flags() const { return flags_; }
    void setFlags(long f) { flags_ = f; }
    // The largest text FileName may return, in characters (1..32767, else 380).
    long maxFileSize() const { return maxFileSize_; }
    void setMaxFileSize(long n);
    const std::string& defaultExt() const { return defaultExt_; }
    void setDefaultExt(std::string e) { defaultExt_ = std::move(e); }
    const std::string& fileName() const { return fileName_; }
    void setFileName(std::string f) { fileName_ = std::move(f); }
    const std::string& fileTitle() const { return fileTitle_; }
    const std::string& initDir() const { return initDir_; }
    void setInitDir(std::string d) { initDir_ = std::move(d); }
    bool cancelError() const { return cancelError_; }
    void setCancelError(bool c) { cancelError_ = c; }

    // Shows the dialog. Cancel raises 32755 when CancelError is set and
    // otherwise leaves FileName as it was; names longer than MaxFileSize raise 20476.
    void showOpen();
    void showSave();

    void copyPropertiesFrom(const Control& other) override;

private:
    void showFile(bool save);
    std::string filter_;
    int filterIndex_ = 0;
    std::string title_;
    long flags_ = 0;
    long maxFileSize_ = 260;
    std::string defaultExt_;
    std::string fileName_;
    std::string fileTitle_;
    std::string initDir_;
    bool cancelError_ = false;
};

// Splits "description|pattern|..." into filters (a trailing lone description
// gets no pattern).
std::vector<FileFilter> parseFilter(const std::string& filter);

}  // namespace forms
