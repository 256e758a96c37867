// Text files from outside: the settings store's and registry's record file,
// and text read back by Line Input and Input. Any bytes must parse without a
// crash; a store cut short holds the records of the lines before its last;
// records that parse (whole or cut) must write back and parse to the same records;
// every line read must be UTF-8; a line read as bytes holds no line end,
// and a "file:" URI on it decodes to a path without a NUL byte whose every
// "/" is one the URI writes (an escaped "/" names no file).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/recordfile.hpp"
#include "runtime/strings.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    using Parsed = runtime::RecordFile::Parsed;
    static runtime::RecordFile store("settings store", "dovetune settings 1",
                                     [](const runtime::RecordFile::Record& r) { return r.size() == 4; });
    std::vector<runtime::RecordFile::Record> records;
    std::string problem;
    const Parsed parsed = store.parse(bytes, records, problem);
    if (parsed == Parsed::Damaged && !records.empty()) __builtin_trap();
    std::vector<runtime::RecordFile::Record> again;
    if (parsed == Parsed::Cut) {
        // A cut store holds exactly the records of the lines before its last.
        const std::size_t end = bytes.substr(0, bytes.size() - 1).rfind('\n');
        if (end == std::string_view::npos) {
            if (!records.empty()) __builtin_trap();
        } else if (store.parse(bytes.substr(0, end + 1), again, problem) != Parsed::Whole || again != records) {
            __builtin_trap();
        }
    }
    if (parsed != Parsed::Damaged) {
        std::string text = "dovetune settings 1\n";
        for (const auto& r : records) {
            for (std::size_t i = 0; i < r.size(); ++i) text += (i ? "\t" : "") + runtime::RecordFile::escape(r[i]);
            text += '\n';
        }
        if (store.parse(text, again, problem) != Parsed::Whole || again != records) __builtin_trap();
    }

    // The file lives in the target's own work folder.
    const char* path = "fuzz_text_files.input";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(size));
    auto& files = runtime::Files();
    try {
        files.Open(path, runtime::OpenMode::Input, 1);
        while (!files.Eof(1))
            if (!runtime::IsValidUtf8(files.LineInput(1))) __builtin_trap();
        files.Close(1);
        files.Open(path, runtime::OpenMode::Input, 1);
        while (!files.Eof(1)) {
            const std::string line = files.LineInputBytes(1);
            if (line.find_first_of("\r\n") != std::string::npos) __builtin_trap();
            if (auto p = runtime::PathFromFileUri(line)) {
                if (p->empty() || p->find('\0') != std::string::npos) __builtin_trap();
                // After "file:", a "//" before the host is no separator of the path.
                const std::string_view rest = std::string_view(line).substr(5);
                const auto written = std::count(rest.begin(), rest.end(), '/') - (rest.starts_with("//") ? 2 : 0);
                if (std::count(p->begin(), p->end(), '/') != written) __builtin_trap();
            }
        }
        files.Close(1);
        files.Open(path, runtime::OpenMode::Input, 1);
        while (!files.Eof(1))
            if (!runtime::IsValidUtf8(files.Input(1))) __builtin_trap();
    } catch (const runtime::Error&) {
        // Input past the end after trailing blanks is the original's answer too.
    }
    files.CloseAll();
    return 0;
}
