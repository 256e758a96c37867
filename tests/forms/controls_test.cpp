// The control semantics the windows depend on: code writes raise the
// original's events, sorted lists, MaxLength, ranges and the errors raised
// for bad values.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "forms/testing.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"
#include "testsupport/support.hpp"
#include "testsupport/errors.hpp"

using testsupport::errorOf;
namespace {

struct Window : forms::Form {
    forms::Label Label1{*this, "Label1"};
    forms::TextBox Text1{*this, "Text1"};
    forms::CommandButton Command1{*this, "Command1"};
    forms::CheckBox Check1{*this, "Check1"};
    forms::OptionButton Option1{*this, "Option1"};
    forms::OptionButton Option2{*this, "Option2"};
    forms::Frame Frame1{*this, "Frame1"};
    forms::OptionButton Option3{Frame1, "Option3"};
    forms::ListBox List1{*this, "List1"};
    forms::ComboBox Combo1{*this, "Combo1"};
    forms::Slider Slider1{*this, "Slider1"};
    forms::ProgressBar Progress1{*this, "Progress1"};
    forms::FileListBox File1{*this, "File1"};
    std::vector<std::string> events;
    Window() : Form("Window") {
        auto log = [this](std::string what) { return [this, what] { events.push_back(what); }; };
        Text1.Change = log("Text1.Change");
        Command1.Click = log("Command1.Click");
        Check1.Click = log("Check1.Click");
        Option1.Click = log("Option1.Click");
        Option2.Click = log("Option2.Click");
        Option3.Click = log("Option3.Click");
        List1.Click = log("List1.Click");
        List1.DblClick = log("List1.DblClick");
        Combo1.Click = log("Combo1.Click");
        Combo1.Change = log("Combo1.Change");
        Slider1.Change = log("Slider1.Change");
        File1.Click = log("File1.Click");
    }
};

class Controls : public ::testing::Test {
protected:
    forms::TestEnvironment env;
    Window& w = forms::Get<Window>();
};

TEST_F(Controls, CodeWritesRaiseTheOriginalsEvents) {
    struct Case {
        const char* what;
        std::function<void()> write;
        std::vector<std::string> events;
    };
    w.List1.addItem("a");
    w.List1.addItem("b");
    w.Combo1.addItem("x");
    std::vector<Case> cases = {
        {"Text raises Change", [&] { w.Text1.setText("abc"); }, {"Text1.Change"}},
        {"the same Text raises Change again", [&] { w.Text1.setText("abc"); }, {"Text1.Change"}},
        {"ListIndex raises Click", [&] { w.List1.setListIndex(1); }, {"List1.Click"}},
        {"the same ListIndex raises Click again", [&] { w.List1.setListIndex(1); }, {"List1.Click"}},
        {"ListIndex -1 raises Click", [&] { w.List1.setListIndex(-1); }, {"List1.Click"}},
        {"CheckBox Value raises Click", [&] { w.Check1.setValue(1); }, {"Check1.Click"}},
        {"the same CheckBox Value raises nothing", [&] { w.Check1.setValue(1); }, {}},
        {"OptionButton True raises Click", [&] { w.Option1.setValue(true); }, {"Option1.Click"}},
        {"OptionButton True again raises Click", [&] { w.Option1.setValue(true); }, {"Option1.Click"}},
        {"OptionButton False raises nothing", [&] { w.Option2.setValue(false); }, {}},
        {"ComboBox ListIndex raises Click", [&] { w.Combo1.setListIndex(0); }, {"Combo1.Click"}},
        {"Slider Value raises Change", [&] { w.Slider1.setValue(3); }, {"Slider1.Change"}},
        {"the same Slider Value raises nothing", [&] { w.Slider1.setValue(3); }, {}},
        {"AddItem and Clear raise nothing", [&] { w.List1.addItem("c"); w.List1.clear(); }, {}},
        {"CommandButton Value True clicks", [&] { w.Command1.setValue(true); }, {"Command1.Click"}},
    };
    for (auto& c : cases) {
        w.events.clear();
        c.write();
        EXPECT_EQ(w.events, c.events) << c.what;
    }
}

TEST_F(Controls, BadValuesRaiseTheOriginalsErrors) {
    w.List1.addItem("a");
    struct Case {
        const char* what;
        std::function<void()> write;
        int error;
    };
    std::vector<Case> cases = {
        {"ListIndex past the end", [&] { w.List1.setListIndex(1); }, 380},
        {"ListIndex below -1", [&] { w.List1.setListIndex(-2); }, 380},
        {"List below -1", [&] { (void)w.List1.list(-2); }, 381},
        {"ItemData out of range", [&] { (void)w.List1.itemData(5); }, 381},
        {"AddItem at a bad index", [&] { w.List1.addItem("x", 5); }, 5},
        {"RemoveItem out of range", [&] { w.List1.removeItem(3); }, 5},
        {"CheckBox Value 3", [&] { w.Check1.setValue(3); }, 380},
        {"negative MaxLength", [&] { w.Text1.setMaxLength(-1); }, 380},
        {"ProgressBar Value above Max", [&] { w.Progress1.setValue(101); }, 380},
        {"ProgressBar Value below Min", [&] { w.Progress1.setValue(-1); }, 380},
        {"ProgressBar Min at Max", [&] { w.Progress1.setMin(100); }, 380},
        {"Slider Value outside", [&] { w.Slider1.setValue(11); }, 380},
        {"Slider TickStyle 4", [&] { w.Slider1.setTickStyle(4); }, 380},
        {"WindowState 3", [&] { w.setWindowState(3); }, 380},
        {"ScaleMode 7", [&] { w.setScaleMode(7); }, 380},
        {"a negative width", [&] { w.Label1.setWidth(-1); }, 380},
        {"drop-down list Text without a match", [&] { w.Combo1.setStyle(2); w.Combo1.setText("nope"); }, 383},
        {"FileListBox Path missing", [&] { w.File1.setPath("/no/such/folder"); }, 76},
    };
    for (auto& c : cases) EXPECT_EQ(errorOf(c.write), c.error) << c.what;
}

TEST_F(Controls, ListReadsAndSelection) {
    w.List1.addItem("one");
    w.List1.addItem("two");
    EXPECT_EQ(w.List1.list(-1), "");
    EXPECT_EQ(w.List1.list(2), "");  // past the end reads empty
    EXPECT_EQ(w.List1.text(), "");
    w.List1.setListIndex(1);
    EXPECT_EQ(w.List1.text(), "two");
    EXPECT_TRUE(w.List1.selected(1));
    EXPECT_FALSE(w.List1.selected(0));
    w.List1.addItem("zero", 0);  // inserted before the selection: the selection follows its line
    EXPECT_EQ(w.List1.listIndex(), 2);
    EXPECT_EQ(w.List1.newIndex(), 0);
    w.List1.removeItem(2);  // the selected line goes: no line is selected
    EXPECT_EQ(w.List1.listIndex(), -1);
    EXPECT_EQ(w.List1.listCount(), 2);
}

TEST_F(Controls, SortedListPlacesItemsWithoutRegardToCase) {
    w.List1.setSorted(true);
    for (const char* s : {"beta", "Alpha", "gamma", "alpha", "Beta"}) w.List1.addItem(s);
    std::vector<std::string> items;
    for (long i = 0; i < w.List1.listCount(); ++i) items.push_back(w.List1.list(i));
    EXPECT_EQ(items, (std::vector<std::string>{"Alpha", "alpha", "beta", "Beta", "gamma"}));
    EXPECT_EQ(w.List1.newIndex(), 3);
}

// A view that replays a list's edits row by row holds the list's lines after
// any change, and is told to take the list whole once the edits outgrow it.
TEST_F(Controls, AListsEditsReplayedInTurnGiveItsLines) {
    forms::ListBox& l = w.List1;
    l.setSorted(true);
    std::vector<std::string> view;
    auto lines = [&] {
        std::vector<std::string> out;
        for (long i = 0; i < l.listCount(); ++i) out.push_back(l.list(i));
        return out;
    };
    auto replay = [&] {
        forms::ListModel::ItemEdits e = l.takeItemEdits();
        if (e.whole) {
            view = lines();
            return true;
        }
        for (const auto& edit : e.edits) {
            auto at = view.begin() + edit.index;
            if (edit.kind == forms::ListModel::ItemEdit::Insert)
                view.insert(at, edit.text);
            else if (edit.kind == forms::ListModel::ItemEdit::Remove)
                view.erase(at);
            else
                *at = edit.text;
        }
        return false;
    };
    EXPECT_TRUE(replay());  // a new view takes the list whole
    struct Step {
        const char* what;
        std::function<void()> change;
        bool whole;
    } steps[] = {
        {"sorted adds", [&] { for (const char* t : {"m", "c", "x", "a", "C"}) l.addItem(t); }, false},
        {"a merge into the head, the middle and the tail", [&] { l.addItems({"zz", "b", "00", "n", "c"}); }, false},
        {"removals and a line replaced", [&] { l.removeItem(0); l.removeItem(3); l.setList(1, "q"); }, false},
        {"an add at a given place", [&] { l.addItem("first", 0); }, false},
        {"cleared and filled again", [&] { l.clear(); l.addItems({"k", "d"}); }, true},
        {"more edits than the list has lines", [&] { for (int i = 0; i < 100; ++i) l.addItem("r"), l.removeItem(0); }, true},
    };
    for (const Step& step : steps) {
        step.change();
        EXPECT_EQ(replay(), step.whole) << step.what;
        EXPECT_EQ(view, lines()) << step.what;
    }
    w.List1.setSorted(false);
    l.addItems({"y", "a"});  // unsorted: appended in turn
    EXPECT_FALSE(replay());
    EXPECT_EQ(view, lines());
}

TEST_F(Controls, UserClickOnAListLineSelectsItAndDoubleClickFollows) {
    w.show();
    w.List1.addItem("a");
    w.List1.addItem("b");
    w.events.clear();
    w.List1.doubleClickItem(1);
    EXPECT_EQ(w.events, (std::vector<std::string>{"List1.Click", "List1.DblClick"}));
    EXPECT_EQ(w.List1.listIndex(), 1);
    EXPECT_EQ(w.activeControl(), &w.List1);
}

TEST_F(Controls, OptionButtonsOfOneContainerFormAGroup) {
    w.Option1.setValue(true);
    w.Option3.setValue(true);  // inside the frame: another group
    EXPECT_TRUE(w.Option1.value());
    w.Option2.setValue(true);
    EXPECT_FALSE(w.Option1.value());
    EXPECT_TRUE(w.Option2.value());
    EXPECT_TRUE(w.Option3.value());
}

TEST_F(Controls, CheckBoxUserClickToggles) {
    w.show();
    w.Check1.click();
    EXPECT_EQ(w.Check1.value(), 1);
    w.Check1.click();
    EXPECT_EQ(w.Check1.value(), 0);
    w.Check1.setValue(2);
    w.Check1.click();
    EXPECT_EQ(w.Check1.value(), 0);
}

TEST_F(Controls, MaxLengthLimitsTypingAndCutsCodeWrites) {
    w.show();
    w.Text1.setText("");
    w.Text1.setMaxLength(3);
    w.Text1.setFocus();
    w.typeText("abcdef");
    EXPECT_EQ(w.Text1.text(), "abc");
    // A longer text written by code keeps its first MaxLength characters (the
    // main window keeps a path's folder in a box this way).
    w.events.clear();
    w.Text1.setText("C:/Music/a.mp3");
    EXPECT_EQ(w.Text1.text(), "C:/");
    EXPECT_EQ(w.events, (std::vector<std::string>{"Text1.Change"}));
    w.Text1.setMaxLength(5);
    w.Text1.setText("\xc3\xa9t\xc3\xa9 song");  // characters, not bytes
    EXPECT_EQ(w.Text1.text(), "\xc3\xa9t\xc3\xa9 s");
    w.Text1.setMaxLength(0);  // no limit
    w.Text1.setText("longer than three");
    EXPECT_EQ(w.Text1.text(), "longer than three");
    w.Text1.setMaxLength(4);  // a new limit leaves the text as it is
    EXPECT_EQ(w.Text1.text(), "longer than three");
    // An edit in the window system's box (a paste into a multi-line box) keeps to the limit too.
    w.Text1.setText("");
    w.Text1.userEdited("pasted text", 11);
    EXPECT_EQ(w.Text1.text(), "past");
    EXPECT_EQ(w.Text1.selStart(), 4);
}

TEST_F(Controls, DropDownListTextSelectsTheMatchingItem) {
    w.Combo1.setStyle(2);
    w.Combo1.addItem("Rock");
    w.Combo1.addItem("Pop");
    w.events.clear();
    w.Combo1.setText("pop");
    EXPECT_EQ(w.Combo1.listIndex(), 1);
    EXPECT_EQ(w.Combo1.text(), "Pop");
    EXPECT_EQ(w.events, (std::vector<std::string>{"Combo1.Click"}));
    w.Combo1.setStyle(0);
    w.events.clear();
    w.Combo1.setText("free text");
    EXPECT_EQ(w.Combo1.text(), "free text");
    EXPECT_EQ(w.Combo1.listIndex(), -1);
    EXPECT_EQ(w.events, (std::vector<std::string>{"Combo1.Change"}));
}

TEST_F(Controls, DropDownListWithoutASelectionStaysWithoutOneForTheEmptyText) {
    // The tag editor's genre list: an empty entry first, then the names.
    w.Combo1.setStyle(2);
    w.Combo1.addItem("");
    w.Combo1.addItem("Rock");
    w.events.clear();
    w.Combo1.setText(runtime::UCase(w.Combo1.text()));  // a case conversion of a list showing nothing
    EXPECT_EQ(w.Combo1.listIndex(), -1);
    EXPECT_EQ(w.Combo1.text(), "");
    EXPECT_TRUE(w.events.empty());
    w.Combo1.setText("rock");
    w.Combo1.setText("");  // once an entry is shown, the empty text selects the empty entry
    EXPECT_EQ(w.Combo1.listIndex(), 0);
    EXPECT_EQ(w.events, (std::vector<std::string>{"Combo1.Click", "Combo1.Click"}));
}

TEST_F(Controls, FileListBoxListsMatchingFilesWithoutRegardToCase) {
    testsupport::TempDir dir;
    for (const char* n : {"b.MP3", "a.mp3", "c.Mp3", "notes.txt", ".hidden.mp3"}) testsupport::writeFile(dir.file(n), "x");
    testsupport::TempDir sub;  // folders are never listed
    w.File1.setPattern("*.Mp3");
    w.File1.setPath(dir.path());
    ASSERT_EQ(w.File1.listCount(), 3);
    EXPECT_EQ(w.File1.list(0), "a.mp3");
    EXPECT_EQ(w.File1.list(1), "b.MP3");
    EXPECT_EQ(w.File1.list(2), "c.Mp3");
    std::string before = w.File1.path();
    EXPECT_EQ(errorOf([&] { w.File1.setPath(dir.file("missing")); }), 76);
    EXPECT_EQ(w.File1.path(), before);
    w.File1.setPattern("*.txt;*.MP3");
    EXPECT_EQ(w.File1.listCount(), 4);
}

TEST_F(Controls, ProgressBarAndSliderRanges) {
    w.Progress1.setValue(100);
    EXPECT_EQ(w.Progress1.value(), 100);
    w.Slider1.setMin(1);
    w.Slider1.setMax(3);
    EXPECT_EQ(w.Slider1.value(), 1);
    w.events.clear();
    w.show();
    w.Slider1.slideTo(9);  // the user drags past the end: it stops at Max
    EXPECT_EQ(w.Slider1.value(), 3);
    EXPECT_EQ(w.events, (std::vector<std::string>{"Slider1.Change"}));
}

TEST_F(Controls, ControlArraysLoadAndUnloadAtRunTime) {
    struct Menus : forms::Form {
        forms::Menu mnuSongs{*this, "mnuSongs", "Songs"};
        forms::ControlArray<forms::Menu> mnuLevel1{mnuSongs, "mnuLevel1", {0}};
        forms::Menu mnuAfter{mnuSongs, "mnuAfter", "After"};
        std::vector<int> clicked;
        Menus() : Form("Menus") {
            mnuLevel1(0).setCaption("Songs");
            mnuLevel1.wire([this](forms::Menu& m) { m.Click = [this, i = m.index()] { clicked.push_back(i); }; });
        }
    } f;
    f.load();
    forms::Menu& one = f.mnuLevel1.load(1);
    EXPECT_EQ(one.caption(), "Songs");
    EXPECT_FALSE(one.visible());
    one.setVisible(true);
    ASSERT_EQ(f.mnuSongs.items().size(), 3u);
    EXPECT_EQ(f.mnuSongs.items()[1], &one);  // placed after the array's last element
    one.choose();
    EXPECT_EQ(f.clicked, (std::vector<int>{1}));
    EXPECT_EQ(errorOf([&] { f.mnuLevel1.load(1); }), 360);
    EXPECT_EQ(errorOf([&] { f.mnuLevel1.unload(0); }), 362);
    f.mnuLevel1.unload(1);
    EXPECT_EQ(errorOf([&] { (void)f.mnuLevel1(1); }), 340);
    EXPECT_EQ(f.mnuSongs.items().size(), 2u);
    env.scheduler.advance(1);
}

TEST_F(Controls, ControlArrayElementsMayStandInOtherContainers) {
    struct Captions : forms::Form {
        forms::PictureBox Panel1{*this, "Panel1"};
        forms::ControlArray<forms::Label> lblInfo{*this, "lblInfo"};
        std::vector<int> pressed;
        Captions() : Form("Captions") {
            lblInfo.add(0).setCaption("Artist");
            lblInfo.add(10, Panel1).setCaption("Notes");
            lblInfo.wire([this](forms::Label& l) {
                l.MouseDown = [this, i = l.index()](int, int, float, float) { pressed.push_back(i); };
            });
        }
    } f;
    f.load();
    EXPECT_EQ(&f.lblInfo(0).container(), static_cast<forms::Container*>(&f));
    EXPECT_EQ(&f.lblInfo(10).container(), static_cast<forms::Container*>(&f.Panel1));
    EXPECT_EQ(f.lblInfo(10).name(), "lblInfo");
    f.lblInfo(10).mouseDown(2, 0, 0, 0);
    f.lblInfo(0).mouseDown(2, 0, 0, 0);
    EXPECT_EQ(f.pressed, (std::vector<int>{10, 0}));
    EXPECT_EQ(errorOf([&] { f.lblInfo.add(10, f.Panel1); }), 360);
    EXPECT_EQ(f.lblInfo.count(), 2);
}

TEST_F(Controls, AccessKeysAndCaptions) {
    EXPECT_EQ(forms::accessKeyOf("Pl&ay"), 'A');
    EXPECT_EQ(forms::accessKeyOf("Fish && &Chips"), 'C');
    EXPECT_EQ(forms::accessKeyOf("none"), 0);
    EXPECT_EQ(forms::stripAccessKeys("Fish && &Chips"), "Fish & Chips");
}

}  // namespace
