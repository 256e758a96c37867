#include "forms/controls.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "forms/form.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/strings.hpp"

namespace forms {

namespace {
constexpr int kBadValue = runtime::err::InvalidPropertyValue;
constexpr int kBadIndex = runtime::err::InvalidPropertyArrayIndex;

template <class T>
const T& sameKind(const Control& other) {
    return static_cast<const T&>(other);
}

long charCount(const std::string& s) { return static_cast<long>(runtime::ToCodePoints(s).size()); }
}  // namespace

int listCompare(const std::string& a, const std::string& b) {
    // Plain ASCII (nearly every line) compares in place: UCase changes only
    // a to z there, and the bytes compare as unsigned, as std::string does.
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if ((x | y) & 0x80) break;
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    // Equal up to the shorter one's end: the shorter sorts first.
    if (i == n) return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    std::string ua = runtime::UCase(a), ub = runtime::UCase(b);
    int c = ua.compare(ub);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// ---- Label ----

Label::Label(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.width = 1215;
    b_.height = 255;
    p_.caption = this->name();
}
void Label::setCaption(std::string c) {
    // A caption written again unchanged (a clock label on every tick) costs no repaint.
    if (c == p_.caption) return;
    p_.caption = std::move(c);
    changed(Prop::Caption);
}
void Label::setBackStyle(int s) {
    if (s != 0 && s != 1) runtime::raise(kBadValue, name());
    p_.backStyle = s;
    changed(Prop::BackStyle);
}
void Label::setAlignment(int a) {
    if (a < 0 || a > 2) runtime::raise(kBadValue, name());
    p_.alignment = a;
    changed(Prop::Alignment);
}
void Label::setWordWrap(bool w) {
    p_.wordWrap = w;
    changed(Prop::Style);
}
void Label::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    p_ = sameKind<Label>(other).p_;
    changed(Prop::Caption);
}

// ---- TextBox ----

TextBox::TextBox(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.width = 1215;
    b_.height = 285;
    b_.back = vbWindowBackground;
    b_.fore = vbWindowText;
    p_.text = this->name();
}
void TextBox::assign(std::string t, bool raiseChange) {
    p_.text = std::move(t);
    p_.selStart = 0;
    p_.selLength = 0;
    changed(Prop::Text);
    if (raiseChange) raise(Change);
}
void TextBox::setText(std::string t) {
    // As the original's text box: a code write keeps the first MaxLength characters.
    if (p_.maxLength > 0 && runtime::Len(t) > p_.maxLength) t = runtime::Left(t, p_.maxLength);
    assign(std::move(t), true);
}
void TextBox::setMaxLength(long n) {
    if (n < 0) runtime::raise(kBadValue, name());
    p_.maxLength = n;
    changed(Prop::MaxLength);
}
void TextBox::setMultiLine(bool m) {
    p_.multiLine = m;
    changed(Prop::Style);
}
void TextBox::setScrollBars(int s) {
    if (s < 0 || s > 3) runtime::raise(kBadValue, name());
    p_.scrollBars = s;
    changed(Prop::Style);
}
void TextBox::setLocked(bool l) {
    p_.locked = l;
    changed(Prop::Locked);
}
void TextBox::setPasswordChar(std::string c) {
    p_.passwordChar = std::move(c);
    changed(Prop::Style);
}
void TextBox::setAlignment(int a) {
    if (a < 0 || a > 2) runtime::raise(kBadValue, name());
    p_.alignment = a;
    changed(Prop::Alignment);
}
void TextBox::setSelStart(long s) {
    if (s < 0) runtime::raise(kBadValue, name());
    p_.selStart = std::min(s, charCount(p_.text));
    p_.selLength = 0;
    changed(Prop::Selection);
}
void TextBox::setSelLength(long n) {
    if (n < 0) runtime::raise(kBadValue, name());
    p_.selLength = std::min(n, charCount(p_.text) - p_.selStart);
    changed(Prop::Selection);
}
std::string TextBox::selText() const {
    auto cps = runtime::ToCodePoints(p_.text);
    long start = std::min<long>(p_.selStart, static_cast<long>(cps.size()));
    long end = std::min<long>(start + p_.selLength, static_cast<long>(cps.size()));
    return runtime::FromCodePoints(std::vector<char32_t>(cps.begin() + start, cps.begin() + end));
}
void TextBox::setSelText(const std::string& t) {
    auto cps = runtime::ToCodePoints(p_.text);
    long start = std::min<long>(p_.selStart, static_cast<long>(cps.size()));
    long end = std::min<long>(start + p_.selLength, static_cast<long>(cps.size()));
    auto ins = runtime::ToCodePoints(t);
    std::vector<char32_t> out(cps.begin(), cps.begin() + start);
    out.insert(out.end(), ins.begin(), ins.end());
    out.insert(out.end(), cps.begin() + end, cps.end());
    p_.text = runtime::FromCodePoints(out);
    p_.selStart = start + static_cast<long>(ins.size());
    p_.selLength = 0;
    changed(Prop::Text);
    raise(Change);
}
void TextBox::typeChar(const std::string& ch) {
    if (p_.locked || !effectivelyEnabled()) return;
    if (ch == "\b") {
        if (p_.selLength == 0) {
            if (p_.selStart == 0) return;
            --p_.selStart;
            p_.selLength = 1;
        }
        setSelText("");
        return;
    }
    long len = charCount(p_.text);
    long add = charCount(ch);
    if (p_.maxLength > 0 && len - p_.selLength + add > p_.maxLength) return;
    setSelText(ch);
}
void TextBox::userEdited(std::string newText, long caret) {
    if (p_.maxLength > 0 && runtime::Len(newText) > p_.maxLength) newText = runtime::Left(newText, p_.maxLength);
    if (newText == p_.text) {
        changed(Prop::Text);  // the widget shows what the box holds
        return;
    }
    p_.text = std::move(newText);
    p_.selStart = caret >= 0 ? std::min(caret, charCount(p_.text)) : charCount(p_.text);
    p_.selLength = 0;
    changed(Prop::Text);
    raise(Change);
}
void TextBox::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    p_ = sameKind<TextBox>(other).p_;
    changed(Prop::Text);
}

// ---- CommandButton ----

CommandButton::CommandButton(Container& parent, std::string name, int index)
    : Control(parent, std::move(name), index) {
    b_.width = 1215;
    b_.height = 495;
    p_.caption = this->name();
}
void CommandButton::setCaption(std::string c) {
    p_.caption = std::move(c);
    changed(Prop::Caption);
}
void CommandButton::setStyle(int s) {
    if (s != 0 && s != 1) runtime::raise(kBadValue, name());
    p_.style = s;
    changed(Prop::Style);
}
void CommandButton::setPicture(Picture p) {
    p_.picture = std::move(p);
    changed(Prop::Picture);
}
void CommandButton::setValue(bool v) {
    if (v) raise(Click);
}
void CommandButton::clickAction() { raise(Click); }
void CommandButton::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    p_ = sameKind<CommandButton>(other).p_;
    changed(Prop::Caption);
}

// ---- CheckBox ----

CheckBox::CheckBox(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.width = 1215;
    b_.height = 255;
    p_.caption = this->name();
}
void CheckBox::setCaption(std::string c) {
    p_.caption = std::move(c);
    changed(Prop::Caption);
}
void CheckBox::setValue(int v) {
    if (v < 0 || v > 2) runtime::raise(kBadValue, name());
    if (v == p_.value) return;
    p_.value = v;
    changed(Prop::Value);
    raise(Click);
}
void CheckBox::clickAction() { setValue(p_.value == vbUnchecked ? vbChecked : vbUnchecked); }
void CheckBox::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    p_ = sameKind<CheckBox>(other).p_;
    changed(Prop::Value);
}

// ---- OptionButton ----

OptionButton::OptionButton(Container& parent, std::string name, int index)
    : Control(parent, std::move(name), index) {
    b_.width = 1215;
    b_.height = 255;
    p_.caption = this->name();
}
void OptionButton::setCaption(std::string c) {
    p_.caption = std::move(c);
    changed(Prop::Caption);
}
void OptionButton::setValue(bool v) {
    if (!v) {
        if (p_.value) {
            p_.value = false;
            changed(Prop::Value);
        }
        return;
    }
    for (Control* c : container().children()) {
        if (c == this || c->kind() != Kind::OptionButton) continue;
        auto* o = static_cast<OptionButton*>(c);
        if (o->p_.value) {
            o->p_.value = false;
            o->changed(Prop::Value);
        }
    }
    p_.value = true;
    changed(Prop::Value);
    raise(Click);
}
void OptionButton::clickAction() { setValue(true); }
void OptionButton::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    p_ = sameKind<OptionButton>(other).p_;
    p_.value = false;
    changed(Prop::Value);
}

// ---- list model ----

long ListModel::insert(std::string text, long index, bool sorted) {
    long pos;
    if (index == -1) {
        if (sorted) {
            auto it = std::upper_bound(items_.begin(), items_.end(), text,
                                       [](const std::string& t, const Item& item) { return listCompare(t, item.text) < 0; });
            pos = static_cast<long>(it - items_.begin());
        } else {
            pos = count();
        }
    } else {
        if (index < 0 || index > count()) runtime::raise(runtime::err::InvalidProcedureCall, "AddItem");
        pos = index;
    }
    items_.insert(items_.begin() + pos, Item{std::move(text), 0, false});
    noteEdit(ItemEdit::Insert, pos, items_[static_cast<std::size_t>(pos)].text);
    if (cur_ >= pos) ++cur_;
    newIndex_ = pos;
    return pos;
}

void ListModel::append(std::vector<std::string> texts, bool sorted) {
    if (texts.empty()) return;
    const auto before = static_cast<std::ptrdiff_t>(items_.size());
    items_.reserve(items_.size() + texts.size());
    for (auto& t : texts) items_.push_back(Item{std::move(t), 0, false, true});
    if (!sorted) {
        for (long i = static_cast<long>(before); i < count(); ++i) {
            items_[static_cast<std::size_t>(i)].fresh = false;
            noteEdit(ItemEdit::Insert, i, items_[static_cast<std::size_t>(i)].text);
        }
        newIndex_ = count() - 1;
        return;
    }
    auto less = [](const Item& a, const Item& b) { return listCompare(a.text, b.text) < 0; };
    // Where the current item stands among the old items of its text: equal
    // old items stay ahead of equal new ones, so it keeps that rank.
    std::string curText;
    long curRank = -1;
    if (cur_ >= 0) {
        curText = items_[static_cast<std::size_t>(cur_)].text;
        auto first = std::lower_bound(items_.begin(), items_.begin() + before, items_[static_cast<std::size_t>(cur_)], less);
        curRank = cur_ - static_cast<long>(first - items_.begin());
    }
    std::string lastText = items_.back().text;
    std::stable_sort(items_.begin() + before, items_.end(), less);
    std::inplace_merge(items_.begin(), items_.begin() + before, items_.end(), less);
    // The new lines' places, first to last: inserted in this order, each
    // lands where it now stands.
    for (long i = 0; i < count(); ++i) {
        Item& item = items_[static_cast<std::size_t>(i)];
        if (!item.fresh) continue;
        item.fresh = false;
        noteEdit(ItemEdit::Insert, i, item.text);
    }
    Item probe{lastText, 0, false};
    // The last text added is the last of its equals.
    newIndex_ = static_cast<long>(std::upper_bound(items_.begin(), items_.end(), probe, less) - items_.begin()) - 1;
    if (curRank >= 0) {
        Item key{curText, 0, false};
        cur_ = static_cast<long>(std::lower_bound(items_.begin(), items_.end(), key, less) - items_.begin()) + curRank;
    }
}

void ListModel::erase(long index) {
    if (index < 0 || index >= count()) runtime::raise(runtime::err::InvalidProcedureCall, "RemoveItem");
    items_.erase(items_.begin() + index);
    noteEdit(ItemEdit::Remove, index);
    if (cur_ == index)
        cur_ = -1;
    else if (cur_ > index)
        --cur_;
    newIndex_ = -1;
}

void ListModel::noteEdit(ItemEdit::Kind kind, long index, const std::string& text) {
    if (edits_.whole) return;
    edits_.edits.push_back(ItemEdit{kind, index, text});
    // Past the size of the list, the view does better to take it whole;
    // a list that no view reads keeps no more than that.
    if (edits_.edits.size() > items_.size() + 64) noteWhole();
}

void ListModel::noteWhole() {
    edits_.whole = true;
    std::vector<ItemEdit>().swap(edits_.edits);
}

ListModel::ItemEdits ListModel::takeItemEdits() {
    ItemEdits taken = std::move(edits_);
    edits_ = ItemEdits{false, {}};
    return taken;
}

const std::string& ListModel::at(long i, const std::string& fallback) const {
    if (i < -1) runtime::raise(kBadIndex, "List");
    if (i < 0 || i >= count()) return fallback;
    return items_[static_cast<std::size_t>(i)].text;
}

// ---- ListBox ----

ListBox::ListBox(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.width = 1215;
    b_.height = 1425;
    b_.back = vbWindowBackground;
    b_.fore = vbWindowText;
}
void ListBox::addItem(std::string item, long index) {
    insert(std::move(item), index, sorted_);
    changed(Prop::Items);
}
void ListBox::addItems(std::vector<std::string> items) {
    append(std::move(items), sorted_);
    changed(Prop::Items);
}
void ListBox::removeItem(long index) {
    erase(index);
    changed(Prop::Items);
}
void ListBox::clear() {
    items_.clear();
    noteWhole();
    cur_ = -1;
    newIndex_ = -1;
    topIndex_ = 0;
    changed(Prop::Items);
}
std::string ListBox::list(long i) const {
    static const std::string none;
    return at(i, none);
}
void ListBox::setList(long i, std::string text) {
    if (i < 0 || i >= count()) runtime::raise(kBadIndex, name());
    items_[static_cast<std::size_t>(i)].text = std::move(text);
    noteEdit(ItemEdit::Set, i, items_[static_cast<std::size_t>(i)].text);
    changed(Prop::Items);
}
void ListBox::setListIndex(long i) {
    if (i < -1 || i >= count()) runtime::raise(kBadValue, name());
    cur_ = i;
    for (long k = 0; k < count(); ++k) items_[static_cast<std::size_t>(k)].selected = (k == i);
    changed(Prop::ListIndex);
    raise(Click);
}
std::string ListBox::text() const { return list(cur_); }
bool ListBox::selected(long i) const {
    if (i < 0 || i >= count()) runtime::raise(kBadIndex, name());
    return items_[static_cast<std::size_t>(i)].selected;
}
void ListBox::setSelected(long i, bool s) {
    if (i < 0 || i >= count()) runtime::raise(kBadIndex, name());
    if (s)
        setListIndex(i);
    else if (cur_ == i)
        setListIndex(-1);
}
std::int32_t ListBox::itemData(long i) const {
    if (i < 0 || i >= count()) runtime::raise(kBadIndex, name());
    return items_[static_cast<std::size_t>(i)].data;
}
void ListBox::setItemData(long i, std::int32_t v) {
    if (i < 0 || i >= count()) runtime::raise(kBadIndex, name());
    items_[static_cast<std::size_t>(i)].data = v;
}
void ListBox::setTopIndex(long t) {
    if (t < 0 || (t >= count() && count() > 0)) runtime::raise(kBadValue, name());
    topIndex_ = t;
    changed(Prop::Selection);
}
void ListBox::clickItem(long i) {
    if (!effectivelyEnabled() || !effectivelyVisible()) return;
    if (canFocus()) takeFocus();
    if (i >= 0 && i < count()) setListIndex(i);
}
void ListBox::doubleClickItem(long i) {
    if (!effectivelyEnabled() || !effectivelyVisible()) return;
    clickItem(i);
    raise(DblClick);
}
void ListBox::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    sorted_ = sameKind<ListBox>(other).sorted_;
}

// ---- ComboBox ----

ComboBox::ComboBox(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.width = 1215;
    b_.height = 315;
    b_.back = vbWindowBackground;
    b_.fore = vbWindowText;
    text_ = this->name();
}
void ComboBox::setStyle(int s) {
    if (s < 0 || s > 2) runtime::raise(kBadValue, name());
    style_ = s;
    if (s == 2 && cur_ < 0) text_.clear();
    changed(Prop::Style);
}
void ComboBox::addItem(std::string item, long index) {
    insert(std::move(item), index, sorted_);
    changed(Prop::Items);
}
void ComboBox::removeItem(long index) {
    erase(index);
    changed(Prop::Items);
}
void ComboBox::clear() {
    items_.clear();
    noteWhole();
    cur_ = -1;
    newIndex_ = -1;
    if (style_ == 2) text_.clear();
    changed(Prop::Items);
}
std::string ComboBox::list(long i) const {
    static const std::string none;
    return at(i, none);
}
void ComboBox::setListIndex(long i) {
    if (i < -1 || i >= count()) runtime::raise(kBadValue, name());
    cur_ = i;
    text_ = i >= 0 ? items_[static_cast<std::size_t>(i)].text : std::string();
    changed(Prop::ListIndex);
    raise(Click);
}
std::int32_t ComboBox::itemData(long i) const {
    if (i < 0 || i >= count()) runtime::raise(kBadIndex, name());
    return items_[static_cast<std::size_t>(i)].data;
}
void ComboBox::setItemData(long i, std::int32_t v) {
    if (i < 0 || i >= count()) runtime::raise(kBadIndex, name());
    items_[static_cast<std::size_t>(i)].data = v;
}
void ComboBox::setText(std::string t) {
    if (style_ == 2) {
        // A list showing no entry shows the empty text: writing that text
        // back (a case conversion of every field) leaves it without a selection.
        if (cur_ < 0 && t.empty()) return;
        for (long k = 0; k < count(); ++k)
            if (runtime::EqualsNoCase(items_[static_cast<std::size_t>(k)].text, t)) {
                setListIndex(k);
                return;
            }
        runtime::raise(383, name(), "'Text' property is read-only");
    }
    text_ = std::move(t);
    cur_ = -1;
    for (long k = 0; k < count(); ++k)
        if (items_[static_cast<std::size_t>(k)].text == text_) {
            cur_ = k;
            break;
        }
    changed(Prop::Text);
    raise(Change);
}
void ComboBox::chooseItem(long i) {
    if (!effectivelyEnabled() || !effectivelyVisible()) return;
    if (canFocus()) takeFocus();
    if (i >= 0 && i < count()) setListIndex(i);
}
void ComboBox::userEdited(std::string newText) {
    if (style_ == 2 || newText == text_) return;
    text_ = std::move(newText);
    cur_ = -1;
    changed(Prop::Text);
    raise(Change);
}
void ComboBox::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    const auto& o = sameKind<ComboBox>(other);
    style_ = o.style_;
    sorted_ = o.sorted_;
    locked_ = o.locked_;
}

// ---- Image ----

Image::Image(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.width = 975;
    b_.height = 975;
}
void Image::setPicture(Picture pic) {
    p_.picture = std::move(pic);
    if (!p_.stretch && p_.picture) {
        b_.width = static_cast<float>(p_.picture.width() * TwipsPerPixel);
        b_.height = static_cast<float>(p_.picture.height() * TwipsPerPixel);
        changed(Prop::Geometry);
    }
    changed(Prop::Picture);
}
void Image::setStretch(bool s) {
    p_.stretch = s;
    changed(Prop::Stretch);
}
void Image::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    p_ = sameKind<Image>(other).p_;
    changed(Prop::Picture);
}

// ---- PictureBox and Frame ----

PictureBox::PictureBox(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.width = 1215;
    b_.height = 1215;
}
void PictureBox::setPicture(Picture pic) {
    p_.picture = std::move(pic);
    if (p_.autoSize && p_.picture) {
        b_.width = static_cast<float>(p_.picture.width() * TwipsPerPixel);
        b_.height = static_cast<float>(p_.picture.height() * TwipsPerPixel);
        changed(Prop::Geometry);
    }
    changed(Prop::Picture);
}
void PictureBox::setAutoSize(bool a) {
    p_.autoSize = a;
    if (a) setPicture(p_.picture);
}
void PictureBox::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    p_ = sameKind<PictureBox>(other).p_;
    changed(Prop::Picture);
}

Frame::Frame(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.width = 1815;
    b_.height = 1215;
    caption_ = this->name();
}
void Frame::setCaption(std::string c) {
    caption_ = std::move(c);
    changed(Prop::Caption);
}
void Frame::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    caption_ = sameKind<Frame>(other).caption_;
    borderStyle_ = sameKind<Frame>(other).borderStyle_;
    changed(Prop::Caption);
}

// ---- Shape ----

Shape::Shape(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.width = 1215;
    b_.height = 1215;
    b_.back = vbWindowBackground;
}
void Shape::setShape(int s) {
    if (s < 0 || s > 5) runtime::raise(kBadValue, name());
    p_.shape = s;
    changed(Prop::Style);
}
void Shape::setBorderColor(Colour c) {
    p_.borderColor = c;
    changed(Prop::BorderColor);
}
void Shape::setBorderWidth(int w) {
    if (w < 1) runtime::raise(kBadValue, name());
    p_.borderWidth = w;
    changed(Prop::BorderColor);
}
void Shape::setBorderStyle(int s) {
    if (s < 0 || s > 6) runtime::raise(kBadValue, name());
    p_.borderStyle = s;
    changed(Prop::BorderColor);
}
void Shape::setFillColor(Colour c) {
    p_.fillColor = c;
    changed(Prop::Style);
}
void Shape::setFillStyle(int s) {
    if (s < 0 || s > 7) runtime::raise(kBadValue, name());
    p_.fillStyle = s;
    changed(Prop::Style);
}
void Shape::setBackStyle(int s) {
    if (s != 0 && s != 1) runtime::raise(kBadValue, name());
    p_.backStyle = s;
    changed(Prop::BackStyle);
}
void Shape::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    p_ = sameKind<Shape>(other).p_;
    changed(Prop::Style);
}

// ---- Timer ----

Timer::Timer(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.visible = false;
}
Timer::~Timer() { stop(); }
void Timer::setInterval(long ms) {
    if (ms < 0 || ms > 65535) runtime::raise(kBadValue, name());
    interval_ = ms;
    restart();
}
void Timer::stop() {
    if (id_ && scheduler_) scheduler_->stopTimer(id_);
    id_ = 0;
    scheduler_ = nullptr;
}
void Timer::restart() {
    stop();
    if (!form().isLoaded() || !enabled() || interval_ <= 0) return;
    scheduler_ = &runtime::Scheduler::current();
    id_ = scheduler_->startTimer(static_cast<int>(interval_), [this] {
        if (form().isLoaded()) raise(Tick);
    });
}
void Timer::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    interval_ = sameKind<Timer>(other).interval_;
}

// ---- FileListBox ----

FileListBox::FileListBox(Container& parent, std::string name, int index)
    : Control(parent, std::move(name), index) {
    b_.width = 1215;
    b_.height = 1425;
    b_.back = vbWindowBackground;
    b_.fore = vbWindowText;
    std::error_code ec;
    path_ = std::filesystem::current_path(ec).string();
    reload();
}
void FileListBox::setPath(std::string folder) {
    std::string resolved = runtime::ResolvePath(folder);
    std::error_code ec;
    if (resolved.empty() || !std::filesystem::is_directory(resolved, ec))
        runtime::raise(runtime::err::PathNotFound, name(), "Path not found");
    while (resolved.size() > 1 && resolved.back() == '/') resolved.pop_back();
    path_ = resolved;
    reload();
    changed(Prop::Path);
    raise(PathChange);
}
void FileListBox::setPattern(std::string pattern) {
    pattern_ = std::move(pattern);
    reload();
    raise(PatternChange);
}
void FileListBox::setHiddenFiles(bool h) {
    hidden_ = h;
    reload();
}
void FileListBox::refreshList() { reload(); }
void FileListBox::reload() {
    files_.clear();
    cur_ = -1;
    std::vector<std::string> patterns;
    for (auto& p : runtime::Split(pattern_, ";")) {
        std::string t = runtime::Trim(p);
        if (!t.empty()) patterns.push_back(t);
    }
    if (patterns.empty()) patterns.push_back("*.*");
    std::error_code ec;
    for (std::filesystem::directory_iterator it(path_, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        if (!it->is_regular_file(ec2)) continue;
        std::string name = it->path().filename().string();
        if (!hidden_ && !name.empty() && name[0] == '.') continue;
        bool match = false;
        for (auto& p : patterns)
            if (runtime::MatchesPattern(name, p)) {
                match = true;
                break;
            }
        if (match) files_.push_back(name);
    }
    std::stable_sort(files_.begin(), files_.end(),
                     [](const std::string& a, const std::string& b) { return listCompare(a, b) < 0; });
    changed(Prop::Items);
}
std::string FileListBox::list(long i) const {
    if (i < -1) runtime::raise(kBadIndex, name());
    if (i < 0 || i >= listCount()) return {};
    return files_[static_cast<std::size_t>(i)];
}
void FileListBox::setListIndex(long i) {
    if (i < -1 || i >= listCount()) runtime::raise(kBadValue, name());
    cur_ = i;
    changed(Prop::ListIndex);
    raise(Click);
}
std::string FileListBox::fileName() const { return list(cur_); }
void FileListBox::clickItem(long i) {
    if (!effectivelyEnabled() || !effectivelyVisible()) return;
    if (canFocus()) takeFocus();
    if (i >= 0 && i < listCount()) setListIndex(i);
}
void FileListBox::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    const auto& o = sameKind<FileListBox>(other);
    path_ = o.path_;
    pattern_ = o.pattern_;
    hidden_ = o.hidden_;
    reload();
}

// ---- Slider ----

Slider::Slider(Container& parent, std::string name, int index) : Control(parent, std::move(name), index) {
    b_.width = 2415;
    b_.height = 630;
}
void Slider::setMin(long v) {
    if (v > max_) runtime::raise(kBadValue, name());
    min_ = v;
    if (value_ < min_) value_ = min_;
    changed(Prop::Range);
}
void Slider::setMax(long v) {
    if (v < min_) runtime::raise(kBadValue, name());
    max_ = v;
    if (value_ > max_) value_ = max_;
    changed(Prop::Range);
}
void Slider::setValue(long v) {
    if (v < min_ || v > max_) runtime::raise(kBadValue, name());
    if (v == value_) return;
    value_ = v;
    changed(Prop::Value);
    raise(Change);
}
void Slider::slideTo(long v) {
    if (!effectivelyEnabled()) return;
    v = std::clamp(v, min_, max_);
    if (v == value_) return;
    value_ = v;
    changed(Prop::Value);
    raise(Scroll);
    raise(Change);
}
void Slider::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    const auto& o = sameKind<Slider>(other);
    min_ = o.min_;
    max_ = o.max_;
    value_ = o.value_;
    smallChange_ = o.smallChange_;
    largeChange_ = o.largeChange_;
    orientation_ = o.orientation_;
    tickStyle_ = o.tickStyle_;
    tickFrequency_ = o.tickFrequency_;
}
void Slider::setTickStyle(int t) {
    if (t < 0 || t > 3) runtime::raise(kBadValue, name());
    tickStyle_ = t;
    changed(Prop::Style);
}
void Slider::setTickFrequency(long f) {
    if (f < 0) runtime::raise(kBadValue, name());
    tickFrequency_ = f;
    changed(Prop::Style);
}

// ---- ProgressBar ----

ProgressBar::ProgressBar(Container& parent, std::string name, int index)
    : Control(parent, std::move(name), index) {
    b_.width = 2415;
    b_.height = 255;
}
// A bound or value written again unchanged (a meter set on every tick) is no
// change on screen.
void ProgressBar::setMin(float v) {
    if (v >= max_) runtime::raise(kBadValue, name());
    if (v == min_) return;
    min_ = v;
    if (value_ < min_) value_ = min_;
    changed(Prop::Range);
}
void ProgressBar::setMax(float v) {
    if (v <= min_) runtime::raise(kBadValue, name());
    if (v == max_) return;
    max_ = v;
    if (value_ > max_) value_ = max_;
    changed(Prop::Range);
}
void ProgressBar::setValue(float v) {
    if (v < min_ || v > max_) runtime::raise(kBadValue, name());
    if (v == value_) return;
    value_ = v;
    changed(Prop::Value);
}
void ProgressBar::copyPropertiesFrom(const Control& other) {
    Control::copyPropertiesFrom(other);
    const auto& o = sameKind<ProgressBar>(other);
    min_ = o.min_;
    max_ = o.max_;
    value_ = o.value_;
}

}  // namespace forms
