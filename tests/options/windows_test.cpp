// The options and contact windows as the main window reaches them: the fade
// box from the program folder's settings, the pages, and the contact window
// that outlives the main window.

#include <gtest/gtest.h>

#include "options/Contact.hpp"
#include "options/frmTestControls.hpp"
#include "options/windows.hpp"
#include "player_fixture.hpp"
#include "runtime/settings.hpp"

namespace {

using playertest::Player;

TEST(OptionsWindows, FadeComesFromTheProgramFoldersSettings) {
    for (const char* stored : {"1", "0", "junk"}) {
        Player p;
        options::OptionsWindows real;
        player::SetOptionsWindows(&real);
        runtime::SaveSetting(p.app.path(), " setting", "fade", stored);
        runtime::SaveSetting("dovetune", " setting", "Fade", "1");  // another application name
        EXPECT_EQ(real.optionsFade(), std::string(stored) == "1" ? 1 : 0) << stored;
        EXPECT_TRUE(forms::IsLoaded<options::frmTestControls>());
        EXPECT_FALSE(forms::Get<options::frmTestControls>().visible());
    }
}

TEST(OptionsWindows, AFadingStartOfTheMainWindow) {
    Player p;
    options::OptionsWindows real;
    player::SetOptionsWindows(&real);
    runtime::SaveSetting(p.app.path(), " setting", "Fade", "1");
    auto& f = p.start();
    EXPECT_TRUE(f.layered());
    EXPECT_EQ(f.alpha(), 254);
}

TEST(OptionsWindows, PagesAsTheMenuChoosesThem) {
    Player p;
    options::OptionsWindows real;
    player::ShowOptionsPage(real, player::OptionsPage::Help);
    auto& o = forms::Get<options::frmTestControls>();
    EXPECT_TRUE(o.visible());
    EXPECT_TRUE(o.Picture5.visible());
    for (auto* hidden : {&o.Picture1, &o.Picture2, &o.Picture3, &o.Picture4}) EXPECT_FALSE(hidden->visible());
    EXPECT_TRUE(o.Label7.font().bold);
    EXPECT_FALSE(o.Label6.font().bold);
    EXPECT_EQ(o.Picture1.left(), 2880);

    player::ShowOptionsPage(real, player::OptionsPage::MakeDefault);
    EXPECT_TRUE(o.Picture2.visible());
    EXPECT_FALSE(o.Picture5.visible());
    EXPECT_FALSE(o.Picture7.visible());
}

TEST(OptionsWindows, TheContactWindowKeepsTheProgramAliveUntilItsExit) {
    Player p;
    options::OptionsWindows real;
    player::SetOptionsWindows(&real);
    auto& f = p.start();
    real.showContact();
    auto& c = forms::Get<options::Contact>();
    EXPECT_EQ(c.Combo1.listCount(), 4);
    EXPECT_EQ(c.Combo1.listIndex(), -1);
    f.mnuexit.choose();
    EXPECT_FALSE(forms::Application::instance().ended());
    c.Command2.click();
    EXPECT_TRUE(forms::Application::instance().ended());
}

}  // namespace
