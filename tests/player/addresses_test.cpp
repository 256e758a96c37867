#include "player/addresses.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include "testsupport/support.hpp"

using namespace player::addresses;
using testsupport::ScopedEnv;

TEST(Addresses, TheProgramsOwn) {
    EXPECT_EQ(HomePage, "http://www.dovetune.example/");
    EXPECT_EQ(SupportMail, "support@dovetune.example");
    EXPECT_EQ(HelpMail, "help@dovetune.example");
    EXPECT_EQ(MailSubject, "dovetune support");
}

TEST(Addresses, ArtistPicturesFolderAndItsOverride) {
    {
        ScopedEnv set(ArtistPicturesVariable, "");
        unsetenv(ArtistPicturesVariable);
        EXPECT_EQ(ArtistPicturesUrl(), "http://127.0.0.1:8123/Artist/");
    }
    {
        ScopedEnv set(ArtistPicturesVariable, "");  // set but empty: the default
        EXPECT_EQ(ArtistPicturesUrl(), "http://127.0.0.1:8123/Artist/");
    }
    {
        ScopedEnv set(ArtistPicturesVariable, "http://127.0.0.1:40123/pictures/");
        EXPECT_EQ(ArtistPicturesUrl(), "http://127.0.0.1:40123/pictures/");
    }
    {
        ScopedEnv set(ArtistPicturesVariable, "http://127.0.0.1:40123/pictures");
        EXPECT_EQ(ArtistPicturesUrl(), "http://127.0.0.1:40123/pictures/");  // still a folder
    }
}
