// The main() of every test program: before any test runs, the per-user
// folders point into a temporary folder, so no test can touch the real home.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "testsupport/support.hpp"

// The leaks of system libraries (fonts, D-Bus, GLib, the media frameworks)
// that LeakSanitizer would report at the end of a test program run by hand;
// ctest's asan preset names the same file of suppressions. Read only by the
// sanitizer's runtime.
extern "C" const char* __lsan_default_suppressions() { return DOVETUNE_LSAN_SUPPRESSIONS; }

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    auto home = std::make_unique<testsupport::TempDir>();
    setenv("HOME", home->path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", home->file("config").c_str(), 1);
    setenv("XDG_DATA_HOME", home->file("data").c_str(), 1);
    setenv("XDG_CACHE_HOME", home->file("cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home->path().c_str(), 1);
    int rc = RUN_ALL_TESTS();
    home.reset();
    return rc;
}
