#pragma once
// Helpers of the screen tests (a real X server under xvfb-run, platform
// xcb): a program folder filled from the build's, screen grabs, and one Qt
// session for a whole test program.
//
//     const auto* const kQtScreen = ::testing::AddGlobalTestEnvironment(new testsupport::QtScreen);
//     ... testsupport::qtScreen().processEvents(100);

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "testsupport/support.hpp"

namespace testsupport {

// Copies each named file or folder (a folder whole) of the build's program
// folder to the same place under app; throws where one is missing.
inline void copyBuilt(const TempDir& app, std::initializer_list<std::string> names) {
    namespace fs = std::filesystem;
    const std::string built = DOVETUNE_PROGRAM_DIR;
    for (const std::string& name : names) {
        const fs::path to = app.file(name);
        if (to.has_parent_path()) fs::create_directories(to.parent_path());
        if (fs::is_directory(built + "/" + name))
            fs::copy(built + "/" + name, to, fs::copy_options::recursive);
        else
            fs::copy_file(built + "/" + name, to);
    }
}

// The whole screen as a picture, saved as dir/name on the way; empty when
// the grab fails.
inline forms::Picture grabScreen(formsqt::Session& qt, const TempDir& dir, const std::string& name) {
    std::string path = dir.file(name);
    if (!qt.grabScreen(path)) return {};
    return forms::LoadPicture(path);
}

// The one Qt application of a test program, made before its first test and
// ended after its last: registered with
// ::testing::AddGlobalTestEnvironment(new testsupport::QtScreen).
inline formsqt::Session* g_qtScreen = nullptr;
struct QtScreen : ::testing::Environment {
    void SetUp() override { g_qtScreen = new formsqt::Session; }
    void TearDown() override {
        delete g_qtScreen;
        g_qtScreen = nullptr;
    }
};
inline formsqt::Session& qtScreen() { return *g_qtScreen; }

}  // namespace testsupport
