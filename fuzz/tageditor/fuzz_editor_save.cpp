// The tag editor over any file content: the loader reads it into the boxes
// and Update saves them unedited. Only runtime::Error may escape the
// editor's own procedures; a file that is not MP3 by content stays byte for
// byte; an MP3's audio (between the ID3v2 tag and the ID3v1 block) is
// unchanged.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "forms/testing.hpp"
#include "metadata/id3v2_extent.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "tageditor/Form1.hpp"
#include "tageditor/mp3_check.hpp"

namespace {

// Every message box is answered OK (a refused save shows one).
struct AnswerOk : forms::ScriptedDialogs {
    int messageBox(const forms::MessageBoxRequest&) override { return forms::vbOK; }
};

struct World {
    std::string folder;
    std::string path;
    std::unique_ptr<forms::TestEnvironment> env;
    AnswerOk dialogs;
    tageditor::Form1* editor = nullptr;

    World() {
        std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string tmpl = base + "/dovetune-fuzz-editor-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) __builtin_trap();
        folder = buf.data();
        path = folder + "/input.mp3";
        setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
        runtime::App::setForTest(folder, {});
        env = std::make_unique<forms::TestEnvironment>();
        forms::setDialogs(&dialogs);
        editor = &forms::Get<tageditor::Form1>();
    }
};

World& world() {
    static World* w = [] {
        auto* made = new World;
        std::atexit([] { std::filesystem::remove_all(world().folder); });
        return made;
    }();
    return *w;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The bytes after the leading ID3v2 tag and before a trailing ID3v1 block.
std::string audioOf(const std::string& file) {
    auto read = [&](std::int64_t offset, std::size_t count) {
        return offset >= static_cast<std::int64_t>(file.size()) ? std::string()
                                                                 : file.substr(static_cast<std::size_t>(offset), count);
    };
    std::size_t start = 0;
    if (auto h = metadata::ReadId3v2Header(read, static_cast<std::int64_t>(file.size())))
        start = static_cast<std::size_t>(std::min<std::int64_t>(h->extent, static_cast<std::int64_t>(file.size())));
    std::size_t end = file.size();
    if (end >= 128 && file.compare(end - 128, 3, "TAG") == 0) end -= 128;
    return end > start ? file.substr(start, end - start) : std::string();
}

// The same for a file this program saved: its tag is 2.3 with the syncsafe
// size it was written with (read here without the guesses a reader makes
// about tags of other writers).
std::string writtenAudioOf(const std::string& file) {
    if (file.size() < 10 || file.compare(0, 4, "ID3\x03") != 0) return audioOf(file);
    auto b = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(file[i])); };
    const std::size_t start = std::min(file.size(), 10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9)));
    std::size_t end = file.size();
    if (end >= 128 && end - 128 >= start && file.compare(end - 128, 3, "TAG") == 0) end -= 128;
    return end > start ? file.substr(start, end - start) : std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    World& w = world();
    const std::string original(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(w.path, std::ios::binary | std::ios::trunc);
        out.write(original.data(), static_cast<std::streamsize>(original.size()));
    }
    const bool mp3 = tageditor::IsMp3ByContent(w.path);
    tageditor::Form1& f = *w.editor;
    try {
        f.txtpath.setText(w.path);
        f.Timer1_Timer();
        f.Command2_Click();
    } catch (const runtime::Error&) {
        // the editor's procedures may raise; nothing else may
    }
    const std::string written = readAll(w.path);
    if (!mp3 && written != original) __builtin_trap();
    if (mp3 && written != original && writtenAudioOf(written) != audioOf(original)) __builtin_trap();
    return 0;
}
