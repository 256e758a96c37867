// The rename window driven as a user drives it: the load from the selected
// playlist entry and its ID3v1 record, the name patterns and letter cases,
// the rename with every refusal (the folder left byte for byte), the progress
// that closes the window, and the playlist entry that follows the file.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../player/player_fixture.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "player/playlist.hpp"
#include "runtime/app.hpp"
#include "tageditor/Form5.hpp"
#include "tageditor/windows.hpp"

namespace {

namespace fs = std::filesystem;
using tageditor::Form5;

// A raw ID3v1 block: each field as given, padded to its width with `pad`.
std::string id3v1Block(const std::string& title, const std::string& artist, const std::string& album,
                       char pad = '\0') {
    auto field = [&](std::string s, std::size_t n) {
        s.resize(n, pad);
        return s;
    };
    return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field("2004", 4) + field("", 30) +
           std::string(1, '\x0c');
}

std::string sha256(const std::string& path) {
    std::string quoted = "'";
    for (char ch : path) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    auto r = testsupport::runCommand("sha256sum " + quoted + "'");
    EXPECT_EQ(r.status, 0) << r.output;
    return r.output.substr(0, 64);
}

// Every name in the folder with the sha256 of its bytes.
std::map<std::string, std::string> listing(const std::string& folder) {
    std::map<std::string, std::string> m;
    for (auto& e : fs::directory_iterator(folder)) m[e.path().filename().string()] = sha256(e.path().string());
    return m;
}

class Rename {
public:
    Rename() {
        const std::string built = playertest::builtProgramDir();
        fs::copy_file(built + "/2.kmf", p.app.file("2.kmf"));
        fs::create_directories(p.app.file("tageditor"));
        fs::copy_file(built + "/tageditor/Form5_Image1.png", p.app.file("tageditor/Form5_Image1.png"));
        main = &p.start();
        fs::create_directories(folder());
    }

    playertest::Player p;
    player::Form2* main = nullptr;
    tageditor::TagEditorWindows windows;

    std::string folder() { return p.home.file("music/"); }
    // A file of audio-like bytes in the music folder, with an ID3v1 record
    // when a title, artist or album is given; its path.
    std::string song(const std::string& name, const std::string& title = "", const std::string& artist = "",
                     const std::string& album = "") {
        std::string bytes;
        for (int i = 0; i < 3000; ++i) bytes += static_cast<char>((i * 37 + static_cast<int>(name.size())) & 0xFF);
        if (!title.empty() || !artist.empty() || !album.empty()) bytes += id3v1Block(title, artist, album);
        const std::string path = folder() + name;
        testsupport::writeFile(path, bytes);
        return path;
    }
    // The rename window opened with the entry `selected` of the playlist.
    Form5& open(const std::vector<std::string>& playlist, long selected = 0) {
        p.fill(playlist);
        main->lstFiles.setListIndex(selected);
        windows.showRename();
        return forms::Get<Form5>();
    }
    Form5& form() { return forms::Get<Form5>(); }
    bool loaded() { return forms::IsLoaded<Form5>(); }
    void tick(long ms = 1) { p.env.scheduler.advance(ms); }
    // Types a new name into Text4 as the user does (focus first).
    void type(const std::string& name) {
        form().Text4.setFocus();
        form().Text4.userEdited(name);
    }
    // OK, answering the message box that a refusal shows.
    void okExpectingMessage() {
        p.env.dialogs.answerMessageBox(forms::vbOK);
        form().Command1.click();
    }
    std::size_t messages() { return p.env.dialogs.shown().size(); }
    const forms::MessageBoxRequest& lastMessage() { return p.env.dialogs.shown().back().message; }
    // Runs the progress: 99 ticks of 5 ms after a rename.
    void runProgress() {
        for (int i = 0; i < 200 && loaded(); ++i) tick(5);
    }
};

TEST(RenameWindow, LoadTakesTheFileItsFolderAndItsTagFields) {
    Rename r;
    // Title padded with blanks, artist with NULs, album with both.
    std::string bytes(3000, 'a');
    std::string title = "Song" + std::string(26, ' ');
    std::string block = id3v1Block("", "AC", "", '\0');
    block.replace(3, 30, title);
    block.replace(63, 30, std::string("Disc  ") + std::string(24, '\0'));
    const std::string path = r.folder() + "a.mp3";
    testsupport::writeFile(path, bytes + block);
    auto& f = r.open({path});
    EXPECT_TRUE(f.visible());
    EXPECT_EQ(f.caption(), "Rename File");
    EXPECT_EQ(f.Text3.text(), path);
    EXPECT_EQ(f.Text2.text(), "a.mp3");
    EXPECT_EQ(f.Text1.text(), r.folder());
    EXPECT_EQ(f.txtTitle.text(), title);
    EXPECT_EQ(f.txtartist.text(), "AC");
    EXPECT_EQ(f.txtalbum.text(), "Disc  ");
    EXPECT_EQ(f.Label3.backColor(), forms::RGB(237, 237, 237));
    EXPECT_EQ(f.Check1.backColor(), forms::RGB(237, 237, 237));
    EXPECT_FALSE(f.icon().empty());
    EXPECT_TRUE(f.region().has_value());
    EXPECT_EQ(f.Combo2.text(), " - ");
    const std::vector<std::vector<std::string>> lists = {
        {"Title", "Artist", "Album", "Artist Title", "Artist Title Album"},
        {" - ", " + ", " # ", " _ ", " = "},
        {"Proper", "Upper", "Lower"},
    };
    forms::ComboBox* combos[] = {&f.Combo1, &f.Combo2, &f.Combo3};
    for (int i = 0; i < 3; ++i) {
        std::vector<std::string> items;
        for (long k = 0; k < combos[i]->listCount(); ++k) items.push_back(combos[i]->list(k));
        EXPECT_EQ(items, lists[static_cast<std::size_t>(i)]);
        EXPECT_EQ(combos[i]->listIndex(), -1);
    }

    // One blank per box per tick; a pattern chosen meanwhile carries the rest.
    r.tick();
    EXPECT_EQ(f.txtTitle.text(), "Song" + std::string(25, ' '));
    EXPECT_EQ(f.txtalbum.text(), "Disc ");
    f.Combo1.chooseItem(0);
    EXPECT_EQ(f.Text4.text(), "Song" + std::string(25, ' '));
    r.tick(25);
    EXPECT_EQ(f.txtTitle.text(), "Song");
    EXPECT_EQ(f.txtalbum.text(), "Disc");
    EXPECT_EQ(f.Text4.text(), "Song" + std::string(25, ' '));

    // Another entry chosen while the window is open changes nothing in it.
    r.main->lstFiles.setListIndex(-1);
    r.windows.showRename();
    EXPECT_EQ(f.Text3.text(), path);
}

TEST(RenameWindow, AFileWithoutATagLeavesTheBoxesEmpty) {
    Rename r;
    auto& f = r.open({r.song("plain.mp3")});
    EXPECT_EQ(f.txtTitle.text(), "");
    f.Combo1.chooseItem(4);
    EXPECT_EQ(f.Text4.text(), " -  - ");
}

TEST(RenameWindow, PatternsWithAChosenAndATypedSeparator) {
    struct Case {
        long pattern;
        const char* chosen;  // " # " chosen
        const char* typed;   // "_" typed
    } cases[] = {
        {0, "Song", "Song"},
        {1, "AC", "AC"},
        {2, "Disc", "Disc"},
        {3, "AC # Song", "AC_Song"},
        {4, "AC # Song # Disc", "AC_Song_Disc"},
    };
    Rename r;
    auto& f = r.open({r.song("a.mp3", "Song", "AC", "Disc")});
    for (const Case& c : cases) {
        f.Combo2.chooseItem(2);
        f.Combo1.chooseItem(c.pattern);
        EXPECT_EQ(f.Text4.text(), c.chosen);
        f.Combo2.setFocus();
        f.Combo2.userEdited("_");
        EXPECT_EQ(f.Text4.text(), c.chosen) << "a separator alone rebuilds nothing";
        f.Combo1.setListIndex(-1);
        f.Combo1.chooseItem(c.pattern);
        EXPECT_EQ(f.Text4.text(), c.typed);
    }
}

TEST(RenameWindow, TheCaseComesFromCombo3OnAChoiceAndWhenText4LosesTheFocus) {
    Rename r;
    auto& f = r.open({r.song("a.mp3", "sOng", "AC/dc", "x")});
    const std::vector<std::pair<long, std::string>> table = {
        {1, "AC/DC - SONG"}, {2, "ac/dc - song"}, {0, "Ac/dc - Song"}};
    for (const auto& [choice, shown] : table) {
        f.Combo1.setListIndex(-1);
        f.Combo1.chooseItem(3);
        ASSERT_EQ(f.Text4.text(), "AC/dc - sOng");
        f.Combo3.chooseItem(choice);
        EXPECT_EQ(f.Text4.text(), shown);
        r.type("mIxEd nAME");
        f.Combo1.setFocus();  // Text4 loses the focus
        f.Combo3.setListIndex(choice);
        EXPECT_EQ(f.Text4.text(), choice == 1 ? "MIXED NAME" : choice == 2 ? "mixed name" : "Mixed Name");
    }
}

TEST(RenameWindow, WithoutACaseChosenText4StaysAsTyped) {
    Rename r;
    auto& f = r.open({r.song("a.mp3", "Song")});
    r.type("mIxEd");
    f.Combo1.setFocus();
    EXPECT_EQ(f.Text4.text(), "mIxEd");
}

TEST(RenameWindow, TheExampleRenamesToUpperCaseInTheSameFolderAndTheWindowCloses) {
    Rename r;
    const std::string path = r.song("a.mp3", "Song", "AC");
    const std::string hash = sha256(path);
    auto& f = r.open({path});
    f.Combo1.chooseItem(3);
    f.Combo3.chooseItem(1);
    EXPECT_EQ(f.Text4.text(), "AC - SONG");
    f.Command1.click();
    EXPECT_EQ(r.messages(), 0u);
    EXPECT_EQ(listing(r.folder()), (std::map<std::string, std::string>{{"AC - SONG.mp3", hash}}));
    EXPECT_EQ(f.pr1.value(), 1);
    EXPECT_TRUE(f.Timer2.enabled());
    std::vector<std::string> captions;
    while (r.loaded()) {
        r.tick(5);
        if (r.loaded()) captions.push_back(f.Label3.caption());
    }
    ASSERT_EQ(captions.size(), 98u);  // the 99th tick closes the window
    EXPECT_EQ(captions.front(), "2%");
    EXPECT_EQ(captions.back(), "99%");
}

TEST(RenameWindow, ACaseChosenBeforeThePatternWaitsForText4ToLoseTheFocus) {
    Rename r;
    const std::string path = r.song("a.mp3", "Song", "AC");
    auto& f = r.open({path});
    f.Combo3.chooseItem(1);
    f.Combo1.chooseItem(3);
    EXPECT_EQ(f.Text4.text(), "AC - Song");
    f.Command1.click();
    EXPECT_TRUE(fs::exists(r.folder() + "AC - Song.mp3"));
}

TEST(RenameWindow, ANameTypedThenOKTakesTheChosenCase) {
    Rename r;
    const std::string path = r.song("a.mp3", "Song", "AC");
    auto& f = r.open({path});
    f.Combo3.chooseItem(1);
    r.type("my song");
    f.Command1.click();
    EXPECT_EQ(f.Text4.text(), "MY SONG");
    EXPECT_TRUE(fs::exists(r.folder() + "MY SONG.mp3"));
}

// The rename table: what the folder holds afterwards, or the refusal.
TEST(RenameWindow, RenamesStayOneFileInTheFolderAndRefusalsChangeNothing) {
    struct Case {
        const char* what;
        std::string oldName;
        std::vector<std::string> others;
        std::string typed;
        std::string renamedTo;  // empty: refused
        std::string reason;     // part of the refusal's message
    };
    const Case cases[] = {
        {"two-letter extension", "song.rm", {}, "new", "new.rm", ""},
        {"no extension", "README1", {}, "new", "new", ""},
        {"only a leading dot", ".hidden", {}, "new", "new", ""},
        {"the last dot", "a.b.mp3", {"c.mp3"}, "new", "new.mp3", ""},
        {"a change of case alone", "song.mp3", {}, "SONG", "SONG.mp3", ""},
        {"the same name", "song.mp3", {"other.mp3"}, "song", "song.mp3", ""},
        {"a slash", "a.mp3", {}, "AC/DC - Song", "", "\"/\""},
        {"a NUL", "a.mp3", {}, std::string("x\0y", 3), "", "NUL"},
        {"a dot", "a.mp3", {}, ".", "", "folders"},
        {"two dots", "a.mp3", {}, "..", "", "folders"},
        {"an existing target", "a.mp3", {"b.mp3"}, "b", "", "already exists"},
        {"another file's name in another case", "a.mp3", {"B.MP3"}, "b", "", "already exists"},
        {"a name too long", "a.mp3", {}, std::string(300, 'n'), "", "too long"},
    };
    for (const Case& c : cases) {
        Rename r;
        const std::string path = r.song(c.oldName, "T", "A");
        for (const std::string& o : c.others) r.song(o, "other", "file");
        const std::map<std::string, std::string> before = listing(r.folder());
        auto& f = r.open({path, r.folder() + "zzz.mp3"});
        r.type(c.typed);
        if (c.renamedTo.empty()) {
            r.okExpectingMessage();
            ASSERT_EQ(r.messages(), 1u) << c.what;
            EXPECT_EQ(r.lastMessage().buttons, forms::vbCritical) << c.what;
            EXPECT_EQ(r.lastMessage().title, runtime::App::Title());
            EXPECT_NE(r.lastMessage().prompt.find(path), std::string::npos) << c.what;
            EXPECT_NE(r.lastMessage().prompt.find(c.reason), std::string::npos) << c.what << r.lastMessage().prompt;
            EXPECT_EQ(listing(r.folder()), before) << c.what;
            EXPECT_FALSE(f.Timer2.enabled()) << c.what;
            EXPECT_EQ(f.pr1.value(), 0);
            EXPECT_EQ(f.Label3.caption(), "Status");
            r.tick(1000);
            EXPECT_TRUE(r.loaded()) << c.what;
            EXPECT_EQ(r.main->lstFiles.list(0), path);
        } else {
            f.Command1.click();
            EXPECT_EQ(r.messages(), 0u) << c.what;
            std::map<std::string, std::string> after = before;
            const std::string hash = after[c.oldName];
            after.erase(c.oldName);
            after[c.renamedTo] = hash;
            EXPECT_EQ(listing(r.folder()), after) << c.what;
            EXPECT_EQ(r.main->lstFiles.list(0), r.folder() + c.renamedTo) << c.what;
            EXPECT_EQ(r.main->List1.list(0), player::DisplayLine(r.folder() + c.renamedTo)) << c.what;
            r.runProgress();
            EXPECT_FALSE(r.loaded()) << c.what;
        }
    }
}

TEST(RenameWindow, APathWithoutAFolderRenamesInTheWorkingFolder) {
    Rename r;
    r.song("song.mp3", "T");
    struct Cwd {
        std::string was = fs::current_path().string();
        explicit Cwd(const std::string& to) { fs::current_path(to); }
        ~Cwd() { fs::current_path(was); }
    } cwd(r.folder());
    auto& f = r.open({"song.mp3"});
    EXPECT_EQ(f.Text2.text(), "song.mp3");
    EXPECT_EQ(f.Text1.text(), "");
    r.type("new");
    f.Command1.click();
    EXPECT_EQ(r.messages(), 0u);
    EXPECT_TRUE(fs::exists(r.folder() + "new.mp3"));
    EXPECT_EQ(r.main->lstFiles.list(0), "new.mp3");
}

TEST(RenameWindow, AnEmptyNameAsksForOneAndKeepsTheWindowOpen) {
    Rename r;
    const std::string path = r.song("a.mp3");
    auto& f = r.open({path});
    r.okExpectingMessage();
    ASSERT_EQ(r.messages(), 1u);
    EXPECT_EQ(r.lastMessage().prompt, "Enter New Name");
    EXPECT_EQ(r.lastMessage().buttons, forms::vbOKOnly);
    EXPECT_EQ(r.lastMessage().title, runtime::App::Title());
    EXPECT_TRUE(f.Text4.hasFocus());
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_TRUE(fs::exists(path));
    r.tick(1000);
    EXPECT_TRUE(r.loaded());
}

TEST(RenameWindow, NoSelectionAndAFileGoneAreReported) {
    {
        Rename r;
        auto& f = r.open({r.song("a.mp3")}, -1);
        EXPECT_EQ(f.Text3.text(), "");
        r.type("new");
        r.okExpectingMessage();
        ASSERT_EQ(r.messages(), 1u);
        EXPECT_EQ(r.lastMessage().buttons, forms::vbCritical);
        EXPECT_NE(r.lastMessage().prompt.find("no playlist entry"), std::string::npos);
        EXPECT_FALSE(f.Timer2.enabled());
        EXPECT_TRUE(fs::exists(r.folder() + "a.mp3"));
        EXPECT_FALSE(fs::exists(r.folder() + "new"));
        r.tick(1000);
        EXPECT_TRUE(r.loaded());
    }
    {
        Rename r;
        const std::string path = r.song("a.mp3");
        auto& f = r.open({path});
        fs::remove(path);
        r.type("new");
        r.okExpectingMessage();
        ASSERT_EQ(r.messages(), 1u);
        EXPECT_NE(r.lastMessage().prompt.find("File not found"), std::string::npos) << r.lastMessage().prompt;
        EXPECT_FALSE(f.Timer2.enabled());
        EXPECT_TRUE(fs::is_empty(r.folder()));
        EXPECT_EQ(r.main->lstFiles.list(0), path);
    }
}

// Makes a folder refuse renames inside it: no write permission, or (for
// root, whom permissions do not stop) the immutable flag. Undone at the end.
class LockedFolder {
public:
    explicit LockedFolder(std::string folder) : folder_(std::move(folder)) {
        if (geteuid() != 0) {
            locked_ = chmod(folder_.c_str(), 0555) == 0;
            return;
        }
        int fd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return;
        int flags = 0;
        if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            immutable_ = locked_ = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        close(fd);
    }
    ~LockedFolder() {
        if (!locked_) return;
        if (!immutable_) {
            chmod(folder_.c_str(), 0755);
            return;
        }
        int fd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0) close(fd);
    }
    bool locked() const { return locked_; }

private:
    std::string folder_;
    bool locked_ = false;
    bool immutable_ = false;
};

TEST(RenameWindow, AFolderThatCannotBeWrittenIsReported) {
    Rename r;
    const std::string path = r.song("a.mp3", "T");
    auto& f = r.open({path});
    const auto before = listing(r.folder());
    {
        LockedFolder lock(r.folder());
        if (!lock.locked()) GTEST_SKIP() << "this file system cannot lock the folder";
        r.type("new");
        r.okExpectingMessage();
        ASSERT_EQ(r.messages(), 1u);
        EXPECT_NE(r.lastMessage().prompt.find("Permission denied"), std::string::npos) << r.lastMessage().prompt;
        EXPECT_FALSE(f.Timer2.enabled());
    }
    EXPECT_EQ(listing(r.folder()), before);
    EXPECT_TRUE(r.loaded());
}

TEST(RenameWindow, ThePlaylistEntryFollowsTheFileUnlessThePlaylistChanged) {
    {
        Rename r;
        const std::string a = r.song("alpha.mp3", "T"), b = r.song("bravo.mp3", "Zulu"), c = r.song("charlie.mp3");
        auto& f = r.open({a, b, c}, 1);
        f.Combo1.chooseItem(0);
        f.Command1.click();
        const std::string moved = r.folder() + "Zulu.mp3";
        EXPECT_EQ(playertest::Player::items(r.main->lstFiles), (std::vector<std::string>{a, moved, c}));
        EXPECT_EQ(r.main->List1.list(1), player::DisplayLine(moved));
        const auto lines2 = playertest::Player::items(r.main->List2);
        EXPECT_EQ(std::count(lines2.begin(), lines2.end(), player::DisplayLine(moved)), 1);
        EXPECT_EQ(std::count(lines2.begin(), lines2.end(), player::DisplayLine(b)), 0);
        EXPECT_EQ(lines2.back(), player::DisplayLine(moved));  // in its sorted place
    }
    {
        Rename r;
        const std::string a = r.song("alpha.mp3", "T"), b = r.song("bravo.mp3", "Zulu");
        auto& f = r.open({a, b}, 1);
        r.p.fill({b, a});  // another playlist meanwhile
        f.Combo1.chooseItem(0);
        f.Command1.click();
        EXPECT_TRUE(fs::exists(r.folder() + "Zulu.mp3"));
        EXPECT_EQ(playertest::Player::items(r.main->lstFiles), (std::vector<std::string>{b, a}));
    }
}

TEST(RenameWindow, ASecondOKAfterARenameDoesNothingMore) {
    Rename r;
    const std::string path = r.song("a.mp3", "T");
    auto& f = r.open({path});
    r.type("new");
    f.Command1.click();
    r.tick(50);
    const float value = f.pr1.value();
    f.Command1.click();
    EXPECT_EQ(r.messages(), 0u);
    EXPECT_EQ(f.pr1.value(), value);
    EXPECT_TRUE(fs::exists(r.folder() + "new.mp3"));
    r.runProgress();
    EXPECT_FALSE(r.loaded());
}

TEST(RenameWindow, CancelShowIdAndTheMouse) {
    Rename r;
    const std::string path = r.song("a.mp3", "T");
    auto& f = r.open({path});
    EXPECT_EQ(f.Check1.value(), 1);
    for (forms::TextBox* t : {&f.txtTitle, &f.txtartist, &f.txtalbum}) EXPECT_TRUE(t->enabled());
    f.Check1.click();
    for (forms::TextBox* t : {&f.txtTitle, &f.txtartist, &f.txtalbum}) EXPECT_FALSE(t->enabled());
    EXPECT_TRUE(f.Text3.enabled());
    f.Check1.click();
    for (forms::TextBox* t : {&f.txtTitle, &f.txtartist, &f.txtalbum}) EXPECT_TRUE(t->enabled());

    f.Image1.mouseDown(2, 0, 10, 10);
    f.mouseDown(2, 0, 10, 10);
    EXPECT_EQ(f.systemMoveRequests(), 0);
    f.Image1.mouseDown(1, 0, 10, 10);
    f.mouseDown(1, 0, 10, 10);
    EXPECT_EQ(f.systemMoveRequests(), 2);

    r.type("new");
    f.Command2.click();
    EXPECT_FALSE(r.loaded());
    EXPECT_TRUE(fs::exists(path));
}

// Every control a user sees stands on kept pixels of "2.kmf".
TEST(RenameWindow, NoVisibleControlTouchesTheKeyColour) {
    Rename r;
    auto& f = r.open({r.song("a.mp3")});
    const forms::Picture skin = forms::LoadPicture(runtime::App::Path() + "/2.kmf");
    ASSERT_EQ(skin.width(), 302);
    ASSERT_EQ(skin.height(), 494);
    EXPECT_EQ(f.clientWidthTwips(), skin.width() * 15);
    EXPECT_EQ(f.clientHeightTwips(), skin.height() * 15);
    const forms::Colour key = skin.pixel(0, skin.height() - 1);
    int checked = 0;
    for (forms::Control* c : f.controls()) {
        if (c->kind() == forms::Kind::Timer || !c->visible() || c == &f.Image1) continue;
        ++checked;
        const forms::PixelRect px = c->clientRectPixels();
        int bad = 0;
        for (int y = px.top; y < px.bottom; ++y)
            for (int x = px.left; x < px.right; ++x)
                if (x < 0 || y < 0 || x >= skin.width() || y >= skin.height() || skin.pixel(x, y) == key) ++bad;
        EXPECT_EQ(bad, 0) << c->name() << (c->index() >= 0 ? "(" + std::to_string(c->index()) + ")" : "");
    }
    EXPECT_EQ(checked, 26);
}

}  // namespace
