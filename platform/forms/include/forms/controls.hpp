#pragma once
// The control kinds the windows use, with the original's semantics: code
// writes raise the same events as user input (ListIndex -> Click, Text ->
// Change, Value -> Click), sorted lists keep their order as items are added,
// and bad values raise the original's errors (380 invalid property value, 381
// invalid property array index, 5 invalid procedure call).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/control.hpp"
#include "runtime/scheduler.hpp"

namespace forms {

// The order of a sorted list box or combo box: upper-cased text compared by
// character code, so that it agrees with a search comparing upper-cased
// prefixes. Returns <0, 0, >0.
int listCompare(const std::string& a, const std::string& b);

class Label : public Control {
public:
    Label(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::Label; }

    const std::string& caption() const { return p_.caption; }
    void setCaption(std::string c);  // may hold CR LF and NUL
    int backStyle() const { return p_.backStyle; }  // 0 transparent, 1 opaque
    void setBackStyle(int s);
    int alignment() const { return p_.alignment; }  // 0 left, 1 right, 2 centre
    void setAlignment(int a);
    bool wordWrap() const { return p_.wordWrap; }
    void setWordWrap(bool w);
    bool autoSize() const { return p_.autoSize; }
    void setAutoSize(bool a) { p_.autoSize = a; }
    int accessKey() const override { return accessKeyOf(p_.caption); }
    void copyPropertiesFrom(const Control& other) override;

private:
    struct Props {
        std::string caption;
        int backStyle = 1;
        int alignment = 0;
        bool wordWrap = false;
        bool autoSize = false;
    } p_;
};

class TextBox : public Control {
public:
    TextBox(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::TextBox; }
    bool focusable() const override { return true; }

    const std::string& text() const { return p_.text; }
    void setText(std::string t);  // cut to MaxLength characters; raises Change
    long maxLength() const { return p_.maxLength; }
    // 0 = no limit; negative is error 380. Limits typing and code writes of
    // Text; the text already in the box stays as it is.
    void setMaxLength(long n);
    bool multiLine() const { return p_.multiLine; }
    void setMultiLine(bool m);
    int scrollBars() const { return p_.scrollBars; }  // 0 none, 1 horizontal, 2 vertical, 3 both
    void setScrollBars(int s);
    bool locked() const { return p_.locked; }
    void setLocked(bool l);
    const std::string& passwordChar() const { return p_.passwordChar; }
    void setPasswordChar(std::string c);
    int alignment() const { return p_.alignment; }
    void setAlignment(int a);
    // Selection, in characters.
    long selStart() const { return p_.selStart; }
    void setSelStart(long s);
    long selLength() const { return p_.selLength; }
    void setSelLength(long n);
    std::string selText() const;
    void setSelText(const std::string& t);  // replaces the selection; raises Change

    Event<> Change;

    // User actions: typing one character at the caret (as a key press that
    // reached the box), and an edit made in the backend's widget (kept to
    // MaxLength, as the original's box takes no more).
    void typeChar(const std::string& ch);
    void userEdited(std::string newText, long caret = -1);
    void copyPropertiesFrom(const Control& other) override;

private:
    void assign(std::string t, bool raiseChange);
    struct Props {
        std::string text;
        long maxLength = 0;
        bool multiLine = false;
        int scrollBars = 0;
        bool locked = false;
        std::string passwordChar;
        int alignment = 0;
        long selStart = 0;
        long selLength = 0;
    } p_;
};

class CommandButton : public Control {
public:
    CommandButton(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::CommandButton; }
    bool focusable() const override { return true; }

    const std::string& caption() const { return p_.caption; }
    void setCaption(std::string c);  // also used as state by some windows
    int style() const { return p_.style; }  // 0 standard, 1 graphical
    void setStyle(int s);
    const Picture& picture() const { return p_.picture; }
    void setPicture(Picture p);
    bool isDefault() const { return p_.isDefault; }
    void setDefault(bool d) { p_.isDefault = d; }
    bool cancel() const { return p_.cancel; }
    void setCancel(bool c) { p_.cancel = c; }
    // Value = True clicks the button.
    void setValue(bool v);
    int accessKey() const override { return accessKeyOf(p_.caption); }
    void copyPropertiesFrom(const Control& other) override;

protected:
    void clickAction() override;

private:
    struct Props {
        std::string caption;
        int style = 0;
        Picture picture;
        bool isDefault = false;
        bool cancel = false;
    } p_;
};

class CheckBox : public Control {
public:
    CheckBox(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::CheckBox; }
    bool focusable() const override { return true; }

    const std::string& caption() const { return p_.caption; }
    void setCaption(std::string c);
    int value() const { return p_.value; }
    void setValue(int v);  // 0, 1 or 2 (other values are error 380); a change raises Click
    int alignment() const { return p_.alignment; }
    void setAlignment(int a) { p_.alignment = a; changed(Prop::Alignment); }
    int accessKey() const override { return accessKeyOf(p_.caption); }
    void copyPropertiesFrom(const Control& other) override;

protected:
    void clickAction() override;  // unchecked -> checked, otherwise unchecked

private:
    struct Props {
        std::string caption;
        int value = 0;
        int alignment = 0;
    } p_;
};

// Option buttons of one container form a group: setting one clears the others.
class OptionButton : public Control {
public:
    OptionButton(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::OptionButton; }
    bool focusable() const override { return true; }

    const std::string& caption() const { return p_.caption; }
    void setCaption(std::string c);
    bool value() const { return p_.value; }
    // True clears the group's other buttons and raises Click (also when already set).
    void setValue(bool v);
    int accessKey() const override { return accessKeyOf(p_.caption); }
    void copyPropertiesFrom(const Control& other) override;

protected:
    void clickAction() override;

private:
    struct Props {
        std::string caption;
        bool value = false;
    } p_;
};

// The items of a list box or combo box.
class ListModel {
public:
    long count() const { return static_cast<long>(items_.size()); }
    long listIndex() const { return cur_; }
    long newIndex() const { return newIndex_; }

    // The edits of the items since the last call, for a view that mirrors
    // the list row by row, so that adding a line to a long list costs the
    // view one row: each insertion (its place and text), removal and change
    // of a line, in the order made; replayed in turn they turn the view's
    // old rows into the list. `whole` means the view takes every line
    // afresh instead (the list was cleared, or the edits outgrew it).
    struct ItemEdit {
        enum Kind : std::uint8_t { Insert, Remove, Set } kind;
        long index;
        std::string text;  // the line inserted or set
    };
    struct ItemEdits {
        bool whole = true;
        std::vector<ItemEdit> edits;
    };
    ItemEdits takeItemEdits();

protected:
    struct Item {
        std::string text;
        std::int32_t data = 0;
        bool selected = false;
        bool fresh = false;  // added by the append under way
    };
    // Adds an item (sorted, or at index; -1 is the end). Errors: 5 for a bad index.
    long insert(std::string text, long index, bool sorted);
    // Adds every text at the end as insert(text, -1, sorted) one after the
    // other would, in O(n log n) instead of one shift of the list per item.
    void append(std::vector<std::string> texts, bool sorted);
    void erase(long index);  // 5 for a bad index
    const std::string& at(long index, const std::string& fallback) const;
    void noteEdit(ItemEdit::Kind kind, long index, const std::string& text = {});
    void noteWhole();
    std::vector<Item> items_;
    long cur_ = -1;
    long newIndex_ = -1;

private:
    ItemEdits edits_;
};

class ListBox : public Control, public ListModel {
public:
    ListBox(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::ListBox; }
    bool focusable() const override { return true; }

    void addItem(std::string item, long index = -1);  // sorted lists place it in order
    // AddItem of each text in turn, at the end (sorted lists place them in
    // order): the same list, made at once (a playlist of thousands of lines).
    void addItems(std::vector<std::string> items);
    void removeItem(long index);
    void clear();
    long listCount() const { return count(); }
    // List(i): "" for -1 and for an index at or past the end; below -1 is error 381.
    std::string list(long i) const;
    void setList(long i, std::string text);
    // ListIndex: a code write raises Click at once; -1 is no line; another
    // value outside the list is error 380.
    void setListIndex(long i);
    std::string text() const;  // the current line, "" when none
    bool selected(long i) const;  // 381 out of range
    void setSelected(long i, bool s);
    std::int32_t itemData(long i) const;  // 381 out of range
    void setItemData(long i, std::int32_t v);
    bool sorted() const { return sorted_; }
    void setSorted(bool s) { sorted_ = s; }  // a design property
    long topIndex() const { return topIndex_; }
    void setTopIndex(long t);

    // User actions: a click on line i (focus first, then the selection and
    // Click), a double click (the click, then DblClick), a key on the focused list.
    void clickItem(long i);
    void doubleClickItem(long i);
    void copyPropertiesFrom(const Control& other) override;

private:
    bool sorted_ = false;
    long topIndex_ = 0;
};

class ComboBox : public Control, public ListModel {
public:
    ComboBox(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::ComboBox; }
    bool focusable() const override { return true; }

    // 0 drop-down combo (free text), 1 simple combo, 2 drop-down list.
    int style() const { return style_; }
    void setStyle(int s);
    void addItem(std::string item, long index = -1);
    void removeItem(long index);
    void clear();
    long listCount() const { return count(); }
    std::string list(long i) const;
    void setListIndex(long i);  // raises Click; text follows
    std::int32_t itemData(long i) const;
    void setItemData(long i, std::int32_t v);
    bool sorted() const { return sorted_; }
    void setSorted(bool s) { sorted_ = s; }
    const std::string& text() const { return text_; }
    // Drop-down list: selects the item equal to t without regard to case
    // (error 383 when none; the empty text on a list without a selection
    // changes nothing); otherwise sets the free text and raises Change.
    void setText(std::string t);
    void setLocked(bool l) { locked_ = l; changed(Prop::Locked); }
    bool locked() const { return locked_; }

    Event<> Change;
    Event<> DropDown;

    void chooseItem(long i);  // user picks a line from the list
    void userEdited(std::string newText);
    void copyPropertiesFrom(const Control& other) override;

private:
    int style_ = 0;
    bool sorted_ = false;
    bool locked_ = false;
    std::string text_;
};

class Image : public Control {
public:
    Image(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::Image; }

    const Picture& picture() const { return p_.picture; }
    void setPicture(Picture pic);  // the control takes the picture's size unless stretched
    bool stretch() const { return p_.stretch; }
    void setStretch(bool s);
    int borderStyle() const { return p_.borderStyle; }
    void setBorderStyle(int b) { p_.borderStyle = b; changed(Prop::Style); }
    void copyPropertiesFrom(const Control& other) override;

private:
    struct Props {
        Picture picture;
        bool stretch = false;
        int borderStyle = 0;
    } p_;
};

class PictureBox : public Control, public Container {
public:
    PictureBox(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::PictureBox; }
    bool focusable() const override { return true; }
    Form& form() override { return Control::form(); }
    Control* asControl() override { return this; }

    const Picture& picture() const { return p_.picture; }
    void setPicture(Picture pic);
    bool autoSize() const { return p_.autoSize; }
    void setAutoSize(bool a);
    int borderStyle() const { return p_.borderStyle; }  // 0 none, 1 fixed single
    void setBorderStyle(int b) { p_.borderStyle = b; changed(Prop::Style); }
    void copyPropertiesFrom(const Control& other) override;

private:
    struct Props {
        Picture picture;
        bool autoSize = false;
        int borderStyle = 1;
    } p_;
};

class Frame : public Control, public Container {
public:
    Frame(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::Frame; }
    Form& form() override { return Control::form(); }
    Control* asControl() override { return this; }

    const std::string& caption() const { return caption_; }
    void setCaption(std::string c);
    int borderStyle() const { return borderStyle_; }
    void setBorderStyle(int b) { borderStyle_ = b; changed(Prop::Style); }
    int accessKey() const override { return accessKeyOf(caption_); }
    void copyPropertiesFrom(const Control& other) override;

private:
    std::string caption_;
    int borderStyle_ = 1;
};

class Shape : public Control {
public:
    Shape(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::Shape; }

    // 0 rectangle, 1 square, 2 oval, 3 circle, 4 rounded rectangle, 5 rounded square.
    int shape() const { return p_.shape; }
    void setShape(int s);
    Colour borderColor() const { return p_.borderColor; }
    void setBorderColor(Colour c);
    int borderWidth() const { return p_.borderWidth; }
    void setBorderWidth(int w);
    int borderStyle() const { return p_.borderStyle; }  // 0 transparent, 1 solid
    void setBorderStyle(int s);
    Colour fillColor() const { return p_.fillColor; }
    void setFillColor(Colour c);
    int fillStyle() const { return p_.fillStyle; }  // 0 solid, 1 transparent
    void setFillStyle(int s);
    int backStyle() const { return p_.backStyle; }  // 0 transparent, 1 opaque
    void setBackStyle(int s);
    void copyPropertiesFrom(const Control& other) override;

private:
    struct Props {
        int shape = 0;
        Colour borderColor = vbWindowText;
        int borderWidth = 1;
        int borderStyle = 1;
        Colour fillColor = vbBlack;
        int fillStyle = 1;
        int backStyle = 0;
    } p_;
};

// A timer on the current scheduler. It ticks only while its form is loaded,
// it is enabled and its interval is above 0; switching it off and on, or
// setting the interval, restarts the count.
class Timer : public Control {
public:
    Timer(Container& parent, std::string name, int index = -1);
    ~Timer() override;
    Kind kind() const override { return Kind::Timer; }

    long interval() const { return interval_; }
    void setInterval(long ms);  // 0 .. 65535; other values are error 380

    Event<> Tick;  // the original's Timer event

    bool running() const { return id_ != 0; }
    void copyPropertiesFrom(const Control& other) override;

protected:
    void enabledChanged() override { restart(); }

private:
    friend class Form;
    void restart();
    void stop();
    long interval_ = 0;
    runtime::Scheduler::Id id_ = 0;
    runtime::Scheduler* scheduler_ = nullptr;
};

// Lists the files of one folder that match its pattern.
class FileListBox : public Control {
public:
    FileListBox(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::FileListBox; }
    bool focusable() const override { return true; }

    const std::string& path() const { return path_; }
    // A folder that does not exist is error 76 and keeps the old path.
    void setPath(std::string folder);
    const std::string& pattern() const { return pattern_; }
    // One or more patterns separated by ";", matched without regard to case.
    void setPattern(std::string pattern);
    long listCount() const { return static_cast<long>(files_.size()); }
    std::string list(long i) const;  // "" past the end; below -1 is error 381
    long listIndex() const { return cur_; }
    void setListIndex(long i);  // raises Click; out of range is error 380
    std::string fileName() const;  // the current file, "" when none
    bool hiddenFiles() const { return hidden_; }
    void setHiddenFiles(bool h);
    void refreshList();

    Event<> PathChange;
    Event<> PatternChange;

    void clickItem(long i);
    void copyPropertiesFrom(const Control& other) override;

private:
    void reload();
    std::string path_;
    std::string pattern_ = "*.*";
    std::vector<std::string> files_;
    long cur_ = -1;
    bool hidden_ = false;
};

class Slider : public Control {
public:
    Slider(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::Slider; }
    bool focusable() const override { return true; }

    long min() const { return min_; }
    long max() const { return max_; }
    void setMin(long v);
    void setMax(long v);
    long value() const { return value_; }
    // Outside Min..Max is error 380; a change raises Change.
    void setValue(long v);
    long smallChange() const { return smallChange_; }
    void setSmallChange(long v) { smallChange_ = v; }
    long largeChange() const { return largeChange_; }
    void setLargeChange(long v) { largeChange_ = v; }
    int orientation() const { return orientation_; }  // 0 horizontal, 1 vertical
    void setOrientation(int o) { orientation_ = o; changed(Prop::Style); }
    // Tick marks: 0 below (right of a vertical slider), 1 above (left), 2
    // both sides, 3 none; one every TickFrequency steps from Min.
    int tickStyle() const { return tickStyle_; }
    void setTickStyle(int t);
    long tickFrequency() const { return tickFrequency_; }
    void setTickFrequency(long f);

    Event<> Change;
    Event<> Scroll;

    // The user moves the thumb (keys or mouse) to v (clamped to the range).
    void slideTo(long v);
    void copyPropertiesFrom(const Control& other) override;

private:
    long min_ = 0, max_ = 10, value_ = 0;
    long smallChange_ = 1, largeChange_ = 5;
    int orientation_ = 0;
    int tickStyle_ = 0;
    long tickFrequency_ = 1;
};

class ProgressBar : public Control {
public:
    ProgressBar(Container& parent, std::string name, int index = -1);
    Kind kind() const override { return Kind::ProgressBar; }

    float min() const { return min_; }
    float max() const { return max_; }
    void setMin(float v);  // must stay below Max (380)
    void setMax(float v);
    float value() const { return value_; }
    void setValue(float v);  // outside Min..Max is error 380
    void copyPropertiesFrom(const Control& other) override;

private:
    float min_ = 0, max_ = 100, value_ = 0;
};

}  // namespace forms
