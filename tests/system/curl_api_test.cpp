// libcurl opened on first use: a library that is missing, or that lacks the
// functions, is a reason to give, not a crash.

#include <gtest/gtest.h>

#include <string>

#include "curl_api.hpp"

namespace {

TEST(CurlApi, OpeningTellsWhatIsMissing) {
    const struct {
        const char* soname;
        bool opens;
        const char* reason;  // the start of the reason when it does not open
    } cases[] = {
        {"libcurl.so.4", true, ""},
        {"libdovetune-no-such-curl.so.4", false, "libcurl could not be loaded (libdovetune-no-such-curl.so.4"},
        {"libc.so.6", false, "libcurl lacks curl_global_init"},
    };
    for (const auto& c : cases) {
        sys::curl::Api api{};
        std::string why;
        EXPECT_EQ(sys::curl::open(c.soname, api, why), c.opens) << c.soname;
        if (c.opens) {
            EXPECT_EQ(why, "") << c.soname;
            for (void* fn : {reinterpret_cast<void*>(api.global_init), reinterpret_cast<void*>(api.easy_init),
                             reinterpret_cast<void*>(api.easy_cleanup), reinterpret_cast<void*>(api.easy_setopt),
                             reinterpret_cast<void*>(api.easy_perform), reinterpret_cast<void*>(api.easy_getinfo),
                             reinterpret_cast<void*>(api.easy_strerror), reinterpret_cast<void*>(api.slist_append),
                             reinterpret_cast<void*>(api.slist_free_all)})
                EXPECT_NE(fn, nullptr) << c.soname;
        } else {
            EXPECT_EQ(why.rfind(c.reason, 0), 0u) << c.soname << ": " << why;
            EXPECT_EQ(api.easy_init, nullptr) << c.soname;  // nothing half-filled
        }
    }
}

TEST(CurlApi, TheProgramsLibraryIsOpenedAndInitialisedOnce) {
    std::string why;
    const sys::curl::Api* first = sys::curl::api(&why);
    ASSERT_NE(first, nullptr) << why;
    EXPECT_EQ(sys::curl::api(nullptr), first);
    EXPECT_STREQ(first->easy_strerror(CURLE_OK), "No error");
    CURL* c = first->easy_init();
    ASSERT_NE(c, nullptr);
    first->easy_cleanup(c);
}

}  // namespace
