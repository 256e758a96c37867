// The windows' pictures as the build installs them: sizes, the skins' key
// colour and outline, every control of the windows' tables on kept pixels,
// the design pictures that must agree with their skins, and generators that
// write the same bytes at every run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "forms/picture.hpp"
#include "options_layout.hpp"
#include "tageditor_layout.hpp"
#include "testsupport/support.hpp"

namespace {

namespace fs = std::filesystem;
using artwork::ControlRect;

std::string installed(const std::string& name) { return std::string(PROGRAM_DIR) + "/" + name; }

forms::Picture load(const std::string& name) {
    forms::Picture p = forms::LoadPicture(installed(name));
    EXPECT_FALSE(p.empty()) << name;
    return p;
}

// The pixels a control covers: every pixel that any part of its rectangle touches.
struct PixelBox {
    int x0, y0, x1, y1;  // x1, y1 exclusive
};
PixelBox pixelsOf(const ControlRect& r) {
    return {r.left / 15, r.top / 15, (r.left + r.width + 14) / 15, (r.top + r.height + 14) / 15};
}

// A skin keeps a control when no pixel under it has the key colour (the
// colour of the bottom-left pixel) and the control lies inside the picture.
void expectKeeps(const forms::Picture& skin, std::span<const ControlRect> controls) {
    const forms::Colour key = skin.pixel(0, skin.height() - 1);
    for (const ControlRect& r : controls) {
        const PixelBox b = pixelsOf(r);
        ASSERT_LE(b.x1, skin.width()) << r.name;
        ASSERT_LE(b.y1, skin.height()) << r.name;
        int cut = 0;
        for (int y = b.y0; y < b.y1; ++y)
            for (int x = b.x0; x < b.x1; ++x) cut += skin.pixel(x, y) == key;
        EXPECT_EQ(cut, 0) << r.name << " lies on " << cut << " pixels outside the window";
    }
}

// The key colour lies only around the outline: every key pixel is reached
// from the picture's edge through key pixels, so the window has no holes.
void expectNoHoles(const forms::Picture& skin) {
    const int w = skin.width(), h = skin.height();
    const forms::Colour key = skin.pixel(0, h - 1);
    std::vector<char> seen(static_cast<std::size_t>(w) * h, 0);
    std::vector<std::pair<int, int>> todo;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x == 0 || y == 0 || x == w - 1 || y == h - 1) && skin.pixel(x, y) == key) {
                seen[static_cast<std::size_t>(y) * w + x] = 1;
                todo.emplace_back(x, y);
            }
    int reached = 0;
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        ++reached;
        const int nx[] = {x - 1, x + 1, x, x}, ny[] = {y, y, y - 1, y + 1};
        for (int i = 0; i < 4; ++i) {
            if (nx[i] < 0 || ny[i] < 0 || nx[i] >= w || ny[i] >= h) continue;
            char& s = seen[static_cast<std::size_t>(ny[i]) * w + nx[i]];
            if (!s && skin.pixel(nx[i], ny[i]) == key) s = 1, todo.emplace_back(nx[i], ny[i]);
        }
    }
    int total = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) total += skin.pixel(x, y) == key;
    EXPECT_GT(total, 0) << "the skin gives the window no outline";
    EXPECT_EQ(reached, total) << "key-coloured pixels inside the window would cut holes in it";
}

void expectSize(const forms::Picture& p, int w, int h, const std::string& name) {
    EXPECT_EQ(p.width(), w) << name;
    EXPECT_EQ(p.height(), h) << name;
}

const ControlRect& find(std::span<const ControlRect> table, std::string_view name) {
    auto it = std::find_if(table.begin(), table.end(), [&](const ControlRect& r) { return r.name == name; });
    EXPECT_NE(it, table.end()) << name;
    return *it;
}

TEST(TagEditorSkin, SizeKeyAndEveryControlKept) {
    const forms::Picture skin = load("3.kmf");
    expectSize(skin, 538, 487, "3.kmf");
    EXPECT_EQ(skin.width() * 15, tageditor_art::kForm1Width);
    EXPECT_EQ(skin.height() * 15, tageditor_art::kForm1Height);
    EXPECT_FALSE(skin.hasTransparency());
    expectKeeps(skin, tageditor_art::kForm1Controls);
    expectNoHoles(skin);
}

TEST(TagEditorSkin, DesignPicturesFitTheirControls) {
    expectSize(load("tageditor/Image1.png"), 8190 / 15, 7350 / 15, "Image1");
    const ControlRect& handle = find(tageditor_art::kForm1Controls, "Image2");
    expectSize(load("tageditor/Image2.png"), handle.width / 15, handle.height / 15, "Image2");
    const ControlRect& image4 = find(tageditor_art::kPicture1Controls, "Image4");
    const forms::Picture programDefault = load("Add.gif"), artistDefault = load("Artist/Add.gif");
    expectSize(programDefault, image4.width / 15, image4.height / 15, "Add.gif");
    expectSize(artistDefault, image4.width / 15, image4.height / 15, "Artist/Add.gif");
    EXPECT_NE(programDefault.rgba(), artistDefault.rgba()) << "the two default pictures must be told apart";
    const forms::Picture download = load("tageditor/download.png");
    expectSize(download, 16, 16, "download.png");
    EXPECT_TRUE(download.hasTransparency());
}

// Stars and heads overlap one another in the rating row: each is opaque at
// its centre and transparent at its corners, and fits its control.
TEST(TagEditorSkin, RatingPicturesFitAndShowWhatLiesUnder) {
    const forms::Picture star = load("tageditor/star.png"), head = load("tageditor/head.png");
    expectSize(star, 27, 26, "star.png");
    expectSize(head, 18, 18, "head.png");
    for (const ControlRect& r : tageditor_art::kForm1Controls) {
        const bool isStar = r.name.starts_with("Star"), isHead = r.name.starts_with("Head");
        if (!isStar && !isHead) continue;
        const forms::Picture& p = isStar ? star : head;
        EXPECT_EQ(r.width, p.width() * 15) << r.name;
        EXPECT_EQ(r.height, p.height() * 15) << r.name;
    }
    for (const forms::Picture* p : {&star, &head}) {
        EXPECT_EQ(p->alpha(p->width() / 2, p->height() / 2), 255);
        for (auto [x, y] : {std::pair{0, 0}, {p->width() - 1, 0}, {0, p->height() - 1}, {p->width() - 1, p->height() - 1}})
            EXPECT_EQ(p->alpha(x, y), 0) << x << "," << y;
    }
}

TEST(RenameSkin, SizeKeyAndEveryControlKept) {
    const forms::Picture skin = load("2.kmf");
    expectSize(skin, 302, 494, "2.kmf");
    EXPECT_EQ(skin.width() * 15, tageditor_art::kForm5Width);
    EXPECT_EQ(skin.height() * 15, tageditor_art::kForm5Height);
    EXPECT_FALSE(skin.hasTransparency());
    expectKeeps(skin, tageditor_art::kForm5Controls);
    expectNoHoles(skin);
}

// Image1 lies over the window picture at 0, 0: where both lie they are the
// same pixels, and rows 490 to 493 show the skin's own.
TEST(RenameSkin, Image1AgreesWithTheSkin) {
    const forms::Picture skin = load("2.kmf"), image1 = load("tageditor/Form5_Image1.png");
    expectSize(image1, 302, 490, "Form5_Image1.png");
    int differ = 0;
    for (int y = 0; y < image1.height(); ++y)
        for (int x = 0; x < image1.width(); ++x) differ += image1.pixel(x, y) != skin.pixel(x, y);
    EXPECT_EQ(differ, 0);
    // the bottom rows still belong to the window between its rounded corners
    const forms::Colour key = skin.pixel(0, skin.height() - 1);
    for (int y = 490; y < 494; ++y) EXPECT_NE(skin.pixel(skin.width() / 2, y), key) << y;
}

double luma(forms::Colour c) {
    return 0.299 * forms::redOf(c) + 0.587 * forms::greenOf(c) + 0.114 * forms::blueOf(c);
}

TEST(OptionsPictures, SizesAndTransparency) {
    const forms::Picture background = load("options/background.png");
    expectSize(background, 668, 400, "background.png");
    EXPECT_FALSE(background.hasTransparency());
    const ControlRect& page = options_art::kPages[0];
    const forms::Picture pageBack = load("options/page.png");
    expectSize(pageBack, page.width / 15, page.height / 15, "page.png");
    const ControlRect& done = find(options_art::kFooter, "Command3");
    expectSize(load("options/done.png"), done.width / 15, done.height / 15, "done.png");
    const forms::Picture icon = load("options/icon.png"), pointer = load("options/pointer.png");
    expectSize(icon, 32, 32, "icon.png");
    expectSize(pointer, 32, 32, "pointer.png");
    EXPECT_TRUE(icon.hasTransparency());
    EXPECT_EQ(pointer.alpha(0, 0), 0);
    EXPECT_EQ(pointer.alpha(12, 2), 255) << "the pointer's hot spot is its fingertip at 12, 1";
    // the page background is light: the pages' labels keep their dark text
    for (auto [x, y] : {std::pair{0, 0}, {188, 142}, {376, 284}}) EXPECT_GT(luma(pageBack.pixel(x, y)), 200);
}

// Every side-bar entry lies on a frame's light inside, inside the picture,
// with the controls below the pages inside the picture too.
TEST(OptionsPictures, SideBarEntriesOnLightFrames) {
    const forms::Picture background = load("options/background.png");
    for (std::span<const ControlRect> table : {std::span<const ControlRect>(options_art::kSideBar),
                                              std::span<const ControlRect>(options_art::kPages),
                                              std::span<const ControlRect>(options_art::kFooter)})
        for (const ControlRect& r : table) {
            const PixelBox b = pixelsOf(r);
            EXPECT_LE(b.x1, background.width()) << r.name;
            EXPECT_LE(b.y1, background.height()) << r.name;
        }
    for (const ControlRect& r : options_art::kSideBar) {
        const PixelBox b = pixelsOf(r);
        double darkest = 255;
        for (int y = b.y0; y < b.y1; ++y)
            for (int x = b.x0; x < b.x1; ++x) darkest = std::min(darkest, luma(background.pixel(x, y)));
        EXPECT_GT(darkest, 200) << r.name;
    }
}

// Two runs of each generator write the same files, byte for byte, and the
// same as the build installed.
TEST(Generators, SameBytesAtEveryRun) {
    struct Case {
        const char* tool;
        std::string into;  // the folder under the program folder the build wrote into
    };
    for (const Case& c : {Case{TAGEDITOR_ARTWORK, ""}, Case{OPTIONS_ARTWORK, "options"}}) {
        testsupport::TempDir a, b;
        ASSERT_EQ(testsupport::runCommand(std::string("'") + c.tool + "' '" + a.path() + "'").status, 0) << c.tool;
        ASSERT_EQ(testsupport::runCommand(std::string("'") + c.tool + "' '" + b.path() + "'").status, 0) << c.tool;
        int files = 0;
        for (const auto& entry : fs::recursive_directory_iterator(a.path())) {
            if (!entry.is_regular_file()) continue;
            const std::string rel = fs::relative(entry.path(), a.path()).string();
            const std::string bytes = testsupport::readFile(entry.path().string());
            EXPECT_EQ(bytes, testsupport::readFile(b.file(rel))) << rel;
            const std::string built = installed(c.into.empty() ? rel : c.into + "/" + rel);
            EXPECT_EQ(bytes, testsupport::readFile(built)) << built;
            ++files;
        }
        EXPECT_GE(files, 5) << c.tool;
    }
}

}  // namespace
