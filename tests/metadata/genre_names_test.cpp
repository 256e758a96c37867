// The genre names both tag objects show.

#include <gtest/gtest.h>

#include "metadata/genre_names.hpp"

namespace {

TEST(GenreNames, OwnSpellingsAndGaps) {
    struct Case {
        int code;
        const char* name;
    } cases[] = {
        {0, "Blues"},          {12, "Other"},        {17, "Rock"},
        {25, "Euro - Techno"}, {40, "Alt.Rock"},     {53, "Pop / Folk"},
        {78, "Rock 'n'Roll"},  {79, "Hard Rock"},    {80, "Folk"},
        {109, "Pr0n Groove"},  {122, "Drum Solo"},   {123, ""},
        {124, "Euro - House"}, {147, "Synth Pop"},   {148, ""},
        {200, ""},             {255, ""},            {-1, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(metadata::Id3v1GenreName(c.code), c.name) << c.code;
    int named = 0;
    for (int code = 0; code <= 255; ++code) named += !metadata::Id3v1GenreName(code).empty();
    EXPECT_EQ(named, 147);
}

}  // namespace
