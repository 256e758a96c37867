// Draws the tag editor's and the rename window's pictures:
//
//     tageditor_artwork PROGRAM_FOLDER
//
// writes, in the program folder:
//   3.kmf               the tag editor's skin, 538 x 487 (PNG)
//   2.kmf               the rename window's skin, 302 x 494 (PNG)
//   Add.gif             the default artist picture of the program folder, 225 x 193
//   Artist/Add.gif      the default picture of the Artist folder, 225 x 193
// and in its "tageditor" folder:
//   Image1.png          the tag editor's Image1, 546 x 490 (hidden; the skin at that size)
//   Image2.png          the drag handle Image2, 182 x 33
//   star.png            one rating star, 27 x 26, transparent ground (Star1 to Star5)
//   head.png            one "Bad Taste" head, 18 x 18, transparent ground (Head1, Head2)
//   download.png        the picture of the download button Command15, 16 x 16
//   Form5_Image1.png    the rename window's Image1, 302 x 490
//
// Each skin's bottom-left pixel is the key colour; the outline is drawn
// without smoothing so that every pixel is either exactly the key colour or
// part of the window. The control tables of tageditor_layout.hpp decide
// where the plates lie, and every control rectangle stays inside the shape.

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "artwork.hpp"
#include "tageditor_layout.hpp"

namespace {

using namespace artwork;
using namespace artwork::palette;

// A five-pointed star inside the box (x, y, size), as polygon points.
std::vector<float> starPoints(float cx, float cy, float outer, float inner) {
    std::vector<float> pts;
    for (int i = 0; i < 10; ++i) {
        float r = (i % 2 == 0) ? outer : inner;
        float a = -1.5707963f + i * 3.14159265f / 5;
        pts.push_back(cx + r * std::cos(a));
        pts.push_back(cy + r * std::sin(a));
    }
    return pts;
}

// ---- the tag editor ----------------------------------------------------

constexpr int kEditorW = 538, kEditorH = 487;
constexpr float kHeaderBottom = 52;

// The body of the tag editor at any size (the skin is 538 x 487, Image1 546 x 490).
void editorBody(Canvas& c) {
    const float w = static_cast<float>(c.width()), h = static_cast<float>(c.height());
    c.vgradient(0, 0, w, h, hex(0x2c3440), hex(0x242b34));
    // header strip with its title
    c.vgradient(0, 0, w, kHeaderBottom, hex(0x36404c), hex(0x28303a));
    c.rect(0, kHeaderBottom - 1, w, kHeaderBottom, kShadow);
    c.rect(14, kHeaderBottom, w - 14, kHeaderBottom + 1, kAccent, 0.85f);
    c.text(sansBold(), 24, 21, 11, "dovetune", kAccent);
    c.text(sansBold(), 24, 41, 17, "Tag Editor", kText);
    // the close mark's seat around Label1: light, for the label's dark ink
    const float lx = px(3255), ly = px(255), lw = px(195), lh = px(255);
    // (centred on the caption's letter, which stands at the label's left)
    c.roundRect(lx - 7, ly - 4, lx + lw + 2, ly + lh + 1, 5, kShadow);
    c.roundRect(lx - 6, ly - 3, lx + lw + 1, ly + lh, 4, kAccent);
    c.roundRect(lx - 5, ly - 2, lx + lw, ly + lh - 1, 3, kText);
    // the main window's signal light, at the header's right
    c.circle(w - 46, 26, 3.2f, kAccent);
    c.ring(w - 46, 26, 4.6f, 5.6f, kAccent, 0.35f);

    // left column: ID3v1 fields above, the further ID3v2 fields below
    const float plateTop = kHeaderBottom + 2, plateBottom = px(6165) + 5;
    c.plate(14, plateTop, 270, plateBottom, 6, kPlate);
    const float split = (px(3285) + px(3360)) / 2;
    c.rect(20, split, 264, split + 1, kShadow, 0.8f);
    c.rect(20, split + 1, 264, split + 2, kEdge, 0.5f);
    c.rect(15, plateTop + 6, 18, split - 4, kAccent);            // ID3v1 section mark
    c.rect(15, split + 5, 18, plateBottom - 8, kAccentDim);      // ID3v2 section mark

    // right: the side panels' seat, where the ID3v2 fields lie bare
    const float wx0 = px(4200) - 3, wy0 = plateTop, wx1 = px(7815) + 3, wy1 = px(5940) + 2;
    c.well(wx0, wy0, wx1, wy1, 6, hex(0x1e252d));
    // a soft accent glow in the seat's lower right, behind the MPEG box
    c.shade(wx0 + 1, wy0 + 1, wx1 - 1, wy1 - 1, [&](float x, float y, Rgb& out) {
        out = kAccent;
        float d = std::hypot((x - wx1) / 240.0f, (y - wy1) / 180.0f);
        return std::max(0.0f, 0.10f - d * 0.10f);
    });

    // the meter and progress row, then the button row
    const float rowTop = plateBottom + 1;
    c.rect(14, rowTop + 29, w - 14, rowTop + 30, kShadow, 0.6f);
    c.rect(14, rowTop + 30, w - 14, rowTop + 31, kEdge, 0.35f);
    // footer
    const char* foot = "ID3v1 / ID3v2";
    c.text(sans(), w - 22 - sans().width(foot, 8.5f), h - 4, 8.5f, foot, kMuted, 0.8f);
}

// The outline: a rounded rectangle with a cut top-right corner.
bool editorKeeps(int x, int y) {
    const float fx = x + 0.5f, fy = y + 0.5f;
    if (fx > kEditorW - 30 && fy < 30 - (kEditorW - fx)) return false;  // the chamfer
    return insideRoundRect(x, y, kEditorW, kEditorH, 16);
}

Image editorSkin() {
    Canvas c(kEditorW, kEditorH);
    editorBody(c);
    Image img = c.image();
    img.applyKey(editorKeeps);
    img.outline(editorKeeps);
    return img;
}

Image editorImage1() {
    Canvas c(546, 490);
    editorBody(c);
    return c.image();
}

Image dragHandle() {
    Canvas c(182, 33, hex(0x1e252d));
    c.plate(0, 0, 182, 33, 6, hex(0x36404c));
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) {
            c.circle(12 + i * 5.0f, 8.5f + j * 5.0f, 1.3f, kShadow);
            c.circle(11.5f + i * 5.0f, 8.0f + j * 5.0f, 1.1f, kMuted);
        }
    c.text(sansBold(), 34, 15, 10, "MPEG information", kText);
    c.text(sans(), 34, 27, 8.5f, "drag here to move the window", kMuted);
    c.circle(167, 16.5f, 4, kAccent);
    c.ring(167, 16.5f, 5.5f, 6.5f, kAccent, 0.5f);
    return c.image();
}

// A star or head on a transparent ground, so that it shows over whatever
// lies under it, another star too (the rating row overlaps them).
Image transparentPicture(int w, int h, void (*draw)(Canvas&)) {
    Canvas c(w, h, {0, 0, 0}, false);
    draw(c);
    return c.image();
}

void drawStar(Canvas& c) {
    c.polygon(starPoints(13.5f, 14.0f, 12.5f, 5.2f), kShadow, 0.7f);
    c.polygon(starPoints(13.5f, 13.5f, 12.0f, 5.0f), kStar);
    c.polygon(starPoints(13.5f, 12.5f, 6.0f, 2.5f), hex(0xf6c873), 0.8f);  // a highlight
}

void drawHead(Canvas& c) {
    const Rgb face = hex(0xce483c);
    c.circle(9, 9.4f, 8.2f, kShadow, 0.7f);
    c.circle(9, 9, 7.8f, face);
    c.circle(6.2f, 7.2f, 1.3f, kShadow);
    c.circle(11.8f, 7.2f, 1.3f, kShadow);
    // a frown
    c.shade(3, 10, 15, 16, [&](float x, float y, Rgb& out) {
        out = kShadow;
        float d = std::hypot(x - 9, y - 16.5f);
        return (d > 4.0f && d < 5.4f && y < 13.8f) ? 1.0f : 0.0f;
    });
}

// The default artist picture: a framed silhouette with a caption, the size
// of Image4 (3375 x 2895 twips).
Image artistDefault(bool withPlus, const char* caption) {
    constexpr float W = 225, H = 193, cx = W / 2;
    Canvas c(static_cast<int>(W), static_cast<int>(H));
    c.vgradient(0, 0, W, H, hex(0x2e3642), hex(0x222932));
    c.roundFrame(6, 6, W - 6, H - 6, 8, 1.5f, kEdge, 0.8f);
    // silhouette: head and shoulders
    const Rgb figure = hex(0x4f5b68);
    c.circle(cx, 66, 27, figure);
    c.shade(cx - 61, 98, cx + 61, 160, [&](float x, float y, Rgb& out) {
        out = figure;
        float dx = (x - cx) / 60.0f, dy = (y - 160.0f) / 62.0f;
        return (dx * dx + dy * dy <= 1.0f && y < 160) ? 1.0f : 0.0f;
    });
    c.rect(12, 160, W - 12, 161, kEdge, 0.6f);
    if (withPlus) {
        const float bx = cx + 41, by = 103;
        c.circle(bx + 1, by + 1, 17, kShadow, 0.6f);
        c.circle(bx, by, 16, kAccent);
        c.rect(bx - 8, by - 2, bx + 8, by + 2, kShadow);
        c.rect(bx - 2, by - 8, bx + 2, by + 8, kShadow);
    }
    const float tw = sansBold().width(caption, 13);
    c.text(sansBold(), (W - tw) / 2, 180, 13, caption, withPlus ? kAccent : kMuted);
    return c.image();
}

Image downloadIcon() {
    Canvas c(16, 16, {0, 0, 0}, false);
    c.polygon({5.5f, 1, 10.5f, 1, 10.5f, 6.5f, 13.5f, 6.5f, 8, 12, 2.5f, 6.5f, 5.5f, 6.5f}, kAccent);
    c.rect(2, 13, 14, 15, hex(0x424c58));
    return c.image();
}

// ---- the rename window -------------------------------------------------

constexpr int kRenameW = 302, kRenameH = 494;

bool renameKeeps(int x, int y) {
    return insideRoundRect(x, y, kRenameW, kRenameH, 14);
}

// One drawing for both: 2.kmf is this whole picture, Image1 its top 490 rows.
Image renameSkin() {
    Canvas c(kRenameW, kRenameH);
    c.vgradient(0, 0, kRenameW, kRenameH, hex(0x2c3440), hex(0x1e252d));
    c.vgradient(0, 0, kRenameW, 80, hex(0x36404c), hex(0x28303a));
    c.rect(0, 80, kRenameW, 81, kShadow);
    c.rect(14, 81, kRenameW - 14, 82, kAccent, 0.85f);
    c.text(sansBold(), 24, 26, 11, "dovetune", kAccent);
    c.text(sansBold(), 24, 52, 20, "Rename File", kText);
    c.text(sans(), 24, 69, 10, "a new name from the file's tag", kMuted);
    // a small tag mark in the header's right
    c.polygon({246, 30, 268, 30, 278, 42, 268, 54, 246, 54}, kAccentDim);
    c.polygon({247, 31, 267.5f, 31, 277, 42, 267.5f, 53, 247, 53}, kAccent);
    c.circle(268, 42, 3, hex(0x28303a));

    // the name and the fields (Check1 .. Text1)
    c.plate(14, 85, 288, px(4995) + 4, 6, kPlate);
    const float split = (px(2835) + px(2880)) / 2 - 0.5f;  // between Combo1 and txtTitle
    c.rect(15, 91, 18, split - 4, kAccent);                 // the new name and how it is made
    c.rect(15, split + 5, 18, px(4995) - 2, kAccentDim);    // what the file holds
    c.rect(22, split, 280, split + 1, kShadow, 0.8f);
    c.rect(22, split + 1, 280, split + 2, kEdge, 0.5f);
    // progress and buttons
    c.plate(14, px(5160) - 4, 288, px(6255) + 4, 6, kPlate);
    // the note, with an information mark
    c.well(14, px(6480) - 6, 288, px(7095) + 5, 6, kDeep);
    c.circle(52, px(6480) + 20, 11, kAccent);
    c.circle(52, px(6480) + 13.5f, 1.8f, kDeep);
    c.rect(50.4f, px(6480) + 17, 53.6f, px(6480) + 27, kDeep);
    // the bottom rows, below Image1: a closing rim in the accent
    c.rect(24, 488, kRenameW - 24, 489, kAccentDim, 0.9f);

    Image img = c.image();
    img.applyKey(renameKeeps);
    img.outline(renameKeeps);
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        namespace fs = std::filesystem;
        const fs::path out = argv[1];
        fs::create_directories(out / "tageditor");
        fs::create_directories(out / "Artist");
        const std::string design = (out / "tageditor").string() + "/";

        const Image skin = editorSkin();
        writePng(skin, (out / "3.kmf").string());
        writePng(editorImage1(), design + "Image1.png");
        writePng(dragHandle(), design + "Image2.png");
        writePng(transparentPicture(27, 26, drawStar), design + "star.png");
        writePng(transparentPicture(18, 18, drawHead), design + "head.png");
        writePng(downloadIcon(), design + "download.png");
        writeGif(artistDefault(false, "No picture yet"), (out / "Add.gif").string());
        writeGif(artistDefault(true, "Add a picture"), (out / "Artist" / "Add.gif").string());

        const Image rename = renameSkin();
        writePng(rename, (out / "2.kmf").string());
        writePng(rename.crop(0, 0, kRenameW, 490), design + "Form5_Image1.png");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tageditor_artwork: %s\n", e.what());
        return 1;
    }
    return 0;
}
