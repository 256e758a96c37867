// Pictures: BMP, GIF, JPEG and PNG decoded into pixels (files made by
// ImageMagick from a BMP of our own), LoadPicture's failures, and paths
// resolved without regard to case.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "forms/picture.hpp"
#include "runtime/error.hpp"
#include "testsupport/support.hpp"
#include "testsupport/errors.hpp"

using testsupport::errorOf;
namespace {

forms::Picture sample() {
    forms::Picture p = forms::Picture::solid(8, 6, forms::RGB(200, 10, 10));
    for (int x = 0; x < 8; ++x) p = p.withPixel(x, 5, forms::RGB(10, 200, 10));
    return p.withPixel(0, 0, forms::RGB(0, 0, 255));
}

TEST(Pictures, EveryFormatDecodes) {
    testsupport::TempDir dir;
    std::string bmp = dir.file("skin.bmp");
    testsupport::writeFile(bmp, forms::encodeBmp(sample()));
    forms::Picture fromBmp = forms::LoadPicture(bmp);
    EXPECT_EQ(fromBmp.width(), 8);
    EXPECT_EQ(fromBmp.height(), 6);
    EXPECT_EQ(fromBmp.pixel(0, 0), forms::RGB(0, 0, 255));
    EXPECT_EQ(fromBmp.pixel(3, 5), forms::RGB(10, 200, 10));
    if (!testsupport::haveProgram("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
    for (const char* ext : {"png", "gif", "jpg"}) {
        std::string out = dir.file(std::string("skin.") + ext);
        ASSERT_EQ(testsupport::runCommand("convert '" + bmp + "' '" + out + "'").status, 0) << ext;
        forms::Picture p = forms::LoadPicture(out);
        EXPECT_EQ(p.width(), 8) << ext;
        EXPECT_EQ(p.height(), 6) << ext;
        forms::Colour c = p.pixel(4, 2);
        if (std::string(ext) == "jpg") {
            EXPECT_NEAR(forms::redOf(c), 200, 30) << ext;
        } else {
            EXPECT_EQ(c, forms::RGB(200, 10, 10)) << ext;
        }
    }
}

TEST(Pictures, LoadPictureFailures) {
    testsupport::TempDir dir;
    EXPECT_TRUE(forms::LoadPicture("").empty());
    EXPECT_EQ(errorOf([&] { forms::LoadPicture(dir.file("missing.bmp")); }), 53);
    testsupport::writeFile(dir.file("junk.kmf"), "this is no picture at all");
    EXPECT_EQ(errorOf([&] { forms::LoadPicture(dir.file("junk.kmf")); }), 481);
    testsupport::writeFile(dir.file("empty.kmf"), "");
    EXPECT_EQ(errorOf([&] { forms::LoadPicture(dir.file("empty.kmf")); }), 481);
}

TEST(Pictures, DamagedAndOversizedFilesAreRefused) {
    using namespace std::string_literals;
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::vector<Case> cases = {
        // A JPEG whose Huffman table counts more than 256 codes.
        {"damaged JPEG", "\xFF\xD8\xFF\xC4\x00\x14\x10\x47\xFF"s},
        // A one-pixel GIF on a logical screen 17000 pixels wide.
        {"GIF wider than 16384 pixels",
         "GIF89a\x68\x42\x02\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00"
         "\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3B"s},
        // A PNG header stating 20000 x 20000 pixels, with no pixels after it.
        {"PNG of 400 million pixels",
         "\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR\x00\x00\x4E\x20\x00\x00\x4E\x20\x08\x06\x00\x00\x00\x00\x00\x00\x00"s},
        {"PNG signature alone", "\x89PNG\r\n\x1A\n"s},
        {"JPEG start alone", "\xFF\xD8\xFF"s},
    };
    for (auto& c : cases) EXPECT_EQ(errorOf([&] { forms::decodePicture(c.bytes); }), 481) << c.what;
}

TEST(Pictures, PathsResolveWithoutRegardToCase) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("New2.kmf"), forms::encodeBmp(sample()));
    EXPECT_EQ(forms::LoadPicture(dir.file("new2.kmf")).width(), 8);
}

}  // namespace
