#pragma once
// The program-wide helper procedures the windows share: the folder browser
// (module Module3), the open-file dialog (Module2), the dialog-buffer string
// helpers and the clipboard file list (Module5), and window opacity and
// stay-on-top (Module4). Dialogs go through forms::dialogs(), window effects
// through the window handle's form; a stale handle has no effect.
//
// Text is UTF-8 throughout; paths come back whole (no 260-character cut).

#include <cstdint>
#include <string>
#include <vector>

namespace player {

// ---- Module3 ----
// The folder browser with Title as its prompt; the chosen folder's full path
// (no trailing "/" except for the root), or "" when cancelled.
std::string BrowseForFolder(std::int32_t hwndOwner, const std::string& Title);

// ---- Module2 ----
inline constexpr std::int32_t OFN_READONLY = 0x1;
inline constexpr std::int32_t OFN_HIDEREADONLY = 0x4;
inline constexpr std::int32_t OFN_ENABLEHOOK = 0x20;
inline constexpr std::int32_t OFN_ENABLETEMPLATE = 0x40;
inline constexpr std::int32_t OFN_ALLOWMULTISELECT = 0x200;
inline constexpr std::int32_t OFN_FILEMUSTEXIST = 0x1000;
inline constexpr std::int32_t OFN_EXPLORER = 0x80000;

// The open-file dialog. Filter holds descriptions and patterns separated by
// "|" (a ":" separates too). True when a file was chosen: FileName is its
// full path (several files: the folder, then each name, NUL separated with
// OFN_EXPLORER in Flags and blank separated without; one file of a
// multi-select dialog: its full path alone), FileTitle its name (empty for a
// multi-select), Filter the chosen pair "description NUL pattern",
// FilterIndex its index, Flags the dialog's flags, and ReadOnly True when the
// read-only box was ticked. False when cancelled: FileName, FileTitle and
// Filter "", Flags 0, FilterIndex -1, ReadOnly unchanged. A FileName or
// FileTitle longer than the buffer (260 characters, 8192 for multi-select) is
// error 5; a Filter longer than 32767 characters, error 6.
bool ShowOpenFileDialog(std::string& FileName, std::string& FileTitle, bool FileMustExist, bool MultiSelect,
                        bool& ReadOnly, bool HideReadOnly, std::string& Filter, std::int32_t& FilterIndex,
                        const std::string& InitDir, const std::string& DlgTitle, const std::string& DefaultExt,
                        std::int32_t hWndOwner, std::int32_t& Flags);

// ---- Module5 ----
// The text before its first NUL (the whole text when it has none).
std::string TrimAtNull(const std::string& Text);
// The Index-th pair (from 1) of a NUL-separated filter, as "description NUL
// pattern"; index pairs + 1 gives the lone closing NUL and larger indexes
// count on from the first pair. An Index of 0 or less gives "".
std::string GetFilterItem(const std::string& Filter, std::int32_t Index);
// Puts the files on the clipboard as the file managers' copied files, each
// named by its absolute path as the file is spelled (a relative path is taken
// from the current folder, case is resolved as every path of the program).
// The data is made before the clipboard changes; False (clipboard untouched)
// for no paths or when the clipboard refuses it.
bool CopyFilesToClipboard(const std::vector<std::string>& Paths);

// ---- Module4 ----
// Makes the window layered (if it is not yet) and sets its constant alpha.
void SetWindowAlpha(std::int32_t hWnd, std::uint8_t Alpha);
// Puts the window into the topmost band (True) or out of it; never shows a
// hidden window and keeps its position and size.
void SetTopmost(std::int32_t hWnd, bool OnTop);

}  // namespace player
