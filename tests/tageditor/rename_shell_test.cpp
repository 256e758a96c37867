// The rename window as the main window opens it: it takes the playlist's
// current path when it loads and keeps it while it stays loaded.

#include <gtest/gtest.h>

#include "../player/player_fixture.hpp"
#include "tageditor/Form5.hpp"
#include "tageditor/windows.hpp"

namespace {

TEST(RenameWindow, TakesTheCurrentPathAtLoad) {
    playertest::Player p;
    tageditor::TagEditorWindows real;
    auto& f = p.start();
    std::string a = p.track("Song One.mp3", 10), b = p.track("two.mp3", 10);
    p.fill({a, b});
    f.lstFiles.setListIndex(0);
    real.showRename();
    auto& r = forms::Get<tageditor::Form5>();
    EXPECT_TRUE(r.visible());
    EXPECT_EQ(r.Text3.text(), a);
    EXPECT_EQ(r.Text2.text(), "Song One.mp3");
    EXPECT_EQ(r.Text1.text(), p.home.file("music/"));
    f.lstFiles.setListIndex(1);
    real.showRename();  // only brought forward
    EXPECT_EQ(r.Text3.text(), a);
    real.unloadRename();
    EXPECT_FALSE(forms::IsLoaded<tageditor::Form5>());
}

}  // namespace
