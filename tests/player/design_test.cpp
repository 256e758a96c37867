// The main window as designed: the popup menu's tree with its captions and
// shortcuts, and the controls the user never sees lying outside the face.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player_fixture.hpp"

namespace {

void walk(const forms::Menu& m, int depth, std::vector<std::string>& out) {
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    line += m.name() + " \"" + m.caption() + "\"";
    if (!m.shortcut().empty()) line += " " + m.shortcut().text();
    out.push_back(line);
    for (const forms::Menu* child : m.items()) walk(*child, depth + 1, out);
}

TEST(Form2Design, TheMenuTree) {
    playertest::Player p;
    auto& f = p.form2();
    std::vector<std::string> tree;
    walk(f.mnupopup, 0, tree);
    const std::vector<std::string> want = {
        "mnupopup \"mnupopup\"",
        "  mnufile \"File\"",
        "    mnuadd \"Add\" F5",
        "    mnucopy \"Copy\"",
        "      mnuclipboard \"Copy Track\" Ctrl+C",
        "      mnufolder \"To Folder\"",
        "      mnutrackpath \"Track Path\"",
        "    mnudelete1 \"Delete\"",
        "      mnudelete \"Delete\" Del",
        "      mnudeletetrack \"Delete Track\" Shift+Del",
        "    mnuopenmain \"Open\"",
        "      mnuopentrack \"Open Track\" F6",
        "      mnuopenurl \"Open URL\"",
        "    mnurename \"Rename\" Ctrl+R",
        "    mnurun \"Run\"",
        "      mnuruntrack \"Run Track\"",
        "      mnucontain \"Containing Folder\"",
        "    mnuplaylist \"Play List\"",
        "      mnusaveplaylist \"Save\"",
        "      mnuplaylistload \"Load\"",
        "    mnusearch \"Search\" F3",
        "  mnufavorites \"Favorites\"",
        "    mnuaddtofavorites \"Add To Favorites\"",
        "      mnuadd1 \"1\"", "      mnuadd2 \"2\"", "      mnuadd3 \"3\"", "      mnuadd4 \"4\"", "      mnuadd5 \"5\"",
        "    mnusepfav2 \"-\"",
        "    mnuremovefavorites \"Remove Favorites\"",
        "      mnuremove1 \"1\"", "      mnuremove2 \"2\"", "      mnuremove3 \"3\"", "      mnuremove4 \"4\"",
        "      mnuremove5 \"5\"",
        "    mnusepfav3 \"-\"",
        "    mnu1 \"1\"", "    mnu2 \"2\"", "    mnu3 \"3\"", "    mnu4 \"4\"", "    mnu5 \"5\"",
        "  mnuplaystatus \"Play Mode\"",
        "    mnupopupplay \"&Play\"",
        "    mnupopupstop \"&Stop\"",
        "    mnusep5 \"-\"",
        "    mnupopupfarward \"Farward\"",
        "    mnupopuprewind \"Rewind\"",
        "    mnupopuppause \"&Pause     Space\"",
        "    mnupopupresume \"&Resume\"",
        "    mnuplaystatussep \"-\"",
        "    mnupopupnext \"&Next\" Ctrl+N",
        "    mnupopupprevious \"&Previous\" Ctrl+P",
        "    mnusepert \"-\"",
        "    mnuuplist \"Up List\"",
        "    mnurepeat \"Repeat\"",
        "    mnuplayaftercurrent \"Play After Current\"",
        "    mnuturnoff \"Off After Track\"",
        "    mnushufle \"Shufle\"",
        "  mnuspe4 \"-\"",
        "  mnusongs \"Songs\"",
        "    mnuLevel1 \"Songs\"",
        "  mnutag \"Tag Info\"",
        "    mnupopuptag \"Selected \" F4",
        "    mnuplayingtag \"Playing \"",
        "  mnusep \"-\"",
        "  mnupopupspeed \"&Speed\"",
        "    mnupopup25 \"-25\"", "    mnupopup50 \"-50\"", "    mnupopup75 \"-75\"", "    mnusep7 \"-\"",
        "    mnupopup100 \"100\"", "    mnusep6 \"-\"", "    mnupopup125 \"+125\"", "    mnupopup150 \"+150\"",
        "    mnupopup200 \"+200\"",
        "  mnupopupvolume \"Volume\"",
        "    mnupopupoptionsmute \"&Mute\" Ctrl+M",
        "    mnupopupvolumeinc \"Increase  +\"",
        "    mnupopupvolumedec \"Decrease  -\"",
        "    mnusepvol \"-\"",
        "    mnupopubalanceleft \"Balance Left\"",
        "    mnupopupbalancecenter \"Balance Center\"",
        "    mnupopupbalanceright \"Balance Right\"",
        "  mnuwindow \"Options\"",
        "    mnusettings \"Settings\"",
        "    mnualwaysontop \"Always on Top\"",
        "      mnumainplayer \"Main Player\"",
        "      mnuscrollinfoontop \"Info Bar\"",
        "    mnupopupcd \"&CD Door\"",
        "      mnupopupeject \"&Eject\" Shift+Ctrl+F1",
        "      mnupopupclose \"&Close\" Shift+Ctrl+F2",
        "    mnumakedefault \"Make Default\"",
        "    mnuOpacity \"Opacity\"",
        "      mnuPercent \"10%\"", "      mnuPercent \"20%\"", "      mnuPercent \"30%\"", "      mnuPercent \"40%\"",
        "      mnuPercent \"50%\"", "      mnuPercent \"60%\"", "      mnuPercent \"70%\"", "      mnuPercent \"80%\"",
        "      mnuPercent \"90%\"", "      mnuPercent \"100%\"",
        "    mnumarquee \"Info Bar\" F7",
        "  mnumedialibrary \"Online Media \"",
        "    mnusonghaul1 \"Songhaul1\" Ctrl+F1",
        "    mnusonghaul2 \"Songhaul2\" Ctrl+F2",
        "    mnusonghaul3 \"Songhaul3\" Ctrl+F3",
        "  mnusep1 \"-\"",
        "  mnupopupoptions \"Help\"",
        "    mnupopupreadme \"Help\" F1",
        "    mnupopupabout \"&About\" F2",
        "    mnumail \"Email Me\" Ctrl+E",
        "    mnuhomepage \"Home Page\" Alt+Bksp",
        "    mnusongrequest \"Song Request\"",
        "    mnucontactme \"Contact Us\"",
        "    mnubugreport \"Bug Report\"",
        "  mnusepexe \"-\"",
        "  mnuexit \"Exit\" F8",
    };
    ASSERT_EQ(tree.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(tree[i], want[i]) << i;
    // At design no item, at any depth, is ticked, disabled or hidden.
    std::vector<const forms::Menu*> all{&f.mnupopup};
    for (std::size_t i = 0; i < all.size(); ++i)
        for (const forms::Menu* child : all[i]->items()) all.push_back(child);
    EXPECT_EQ(all.size(), tree.size());
    for (const forms::Menu* m : all) {
        EXPECT_FALSE(m->checked()) << m->name();
        EXPECT_TRUE(m->enabled()) << m->name();
        EXPECT_TRUE(m->visible()) << m->name();
    }
}

TEST(Form2Design, WhatTheUserNeverSeesLiesOutsideTheFace) {
    playertest::Player p;
    auto& f = p.form2();
    for (forms::Control* c : std::initializer_list<forms::Control*>{
             &f.List1, &f.lstFiles, &f.Label4, &f.Label2, &f.Check1, &f.Check2, &f.Check3, &f.Check4, &f.Option1,
             &f.Option2, &f.Option3, &f.Command1, &f.Command2, &f.Command6, &f.Command8, &f.Open, &f.Stop, &f.next,
             &f.Command3, &f.Command11, &f.Command16, &f.cmdSearch, &f.Command20, &f.txtStartDir, &f.txtPattern,
             &f.lblNumFiles, &f.Text2, &f.File1, &f.Text4, &f.Slider1, &f.Slider2, &f.Slider3})
        EXPECT_TRUE(c->leftTwips() >= 4080 || c->topTwips() >= 7290) << c->name();
    EXPECT_EQ(f.Option1.leftTwips(), 9000);
    EXPECT_EQ(f.Option3.leftTwips(), 9120);
    // The buttons with access keys answer their Alt+letter although unseen.
    int played = 0;
    f.Command2.Click = [&] { ++played; };
    f.load();
    f.keyDown('A', forms::vbAltMask);
    EXPECT_EQ(played, 1);
}

}  // namespace

namespace {
// The playlist has the keyboard when the window opens.
TEST(Form2Design, ThePlaylistHasTheFocusAtStart) {
    playertest::Player p;
    auto& f = p.start();
    ASSERT_NE(f.activeControl(), nullptr);
    EXPECT_EQ(f.activeControl()->name(), "List2");
}
}  // namespace
