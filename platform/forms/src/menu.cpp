#include "forms/menu.hpp"

#include <algorithm>
#include <iterator>

#include "forms/form.hpp"
#include "forms/types.hpp"

namespace forms {

std::string Shortcut::text() const {
    if (empty()) return {};
    std::string s;
    if (shift & vbShiftMask) s += "Shift+";
    if (shift & vbCtrlMask) s += "Ctrl+";
    if (shift & vbAltMask) s += "Alt+";
    if (keyCode >= vbKeyF1 && keyCode < vbKeyF1 + 12)
        s += "F" + std::to_string(keyCode - vbKeyF1 + 1);
    else if (keyCode == vbKeyDelete)
        s += "Del";
    else if (keyCode == vbKeyBack)
        s += "Bksp";
    else if (keyCode == vbKeyInsert)
        s += "Ins";
    else
        s += static_cast<char>(keyCode);
    return s;
}

Shortcut ctrlKey(char letter) {
    int c = letter;
    if (c >= 'a' && c <= 'z') c -= 32;
    return Shortcut{c, vbCtrlMask};
}

Shortcut fKey(int n, int shift) { return Shortcut{vbKeyF(n), shift}; }

Menu::Menu(Form& form, std::string name, std::string caption, int index)
    : form_(&form), parent_(nullptr), name_(std::move(name)), index_(index) {
    p_.caption = std::move(caption);
    form_->addMenu(this);
}

Menu::Menu(Menu& parent, std::string name, std::string caption, int index)
    : form_(&parent.form()), parent_(&parent), name_(std::move(name)), index_(index) {
    p_.caption = std::move(caption);
    parent_->items_.push_back(this);
    form_->menusChanged();
}

Menu::Menu(Form& form, std::string name, int index) : Menu(form, std::move(name), std::string(), index) {}
Menu::Menu(Menu& parent, std::string name, int index) : Menu(parent, std::move(name), std::string(), index) {}

Menu::~Menu() {
    detach();
}

void Menu::detach() {
    if (detached_) return;
    detached_ = true;
    // Items of this menu that are still attached lose their parent.
    for (Menu* m : items_) m->parent_ = nullptr, m->detached_ = true;
    items_.clear();
    if (parent_) {
        // Sought from the end: the items loaded last, at the end, go first.
        auto& v = parent_->items_;
        if (auto it = std::find(v.rbegin(), v.rend(), this); it != v.rend()) v.erase(std::next(it).base());
        form_->menusChanged();
    } else {
        form_->removeMenu(this);
    }
}

void Menu::setCaption(std::string c) {
    p_.caption = std::move(c);
    changed();
}
void Menu::setChecked(bool c) {
    p_.checked = c;
    changed();
}
void Menu::setEnabled(bool e) {
    p_.enabled = e;
    changed();
}
void Menu::setVisible(bool v) {
    p_.visible = v;
    changed();
}
void Menu::setShortcut(Shortcut s) {
    p_.shortcut = s;
    changed();
}

bool Menu::effectivelyEnabled() const {
    for (const Menu* m = this; m; m = m->parent_)
        if (!m->p_.enabled) return false;
    return true;
}

void Menu::choose() {
    if (detached_ || !effectivelyEnabled() || !form_->eventsLive()) return;
    if (!Click) return;
    form_->dispatch([this] { Click.call(); });
}

void Menu::aboutToShow() {
    if (detached_ || !effectivelyEnabled() || !form_->eventsLive() || !AboutToShow) return;
    form_->dispatch([this] { AboutToShow.call(); });
}

void Menu::copyPropertiesFrom(const Menu& other) {
    Props keep = p_;
    p_ = other.p_;
    p_.visible = keep.visible;
    changed();
}

void Menu::placeAfter(const Menu& other) {
    std::vector<Menu*>* list = nullptr;
    if (parent_) list = &parent_->items_;
    if (!list) return;
    // A new item stands at the end, and as a rule right after the other.
    auto back = std::find(list->rbegin(), list->rend(), this);
    if (back == list->rend()) return;
    auto self = std::next(back).base();
    if (self != list->begin() && *std::prev(self) == &other) return;
    list->erase(self);
    auto it = std::find(list->begin(), list->end(), &other);
    if (it == list->end())
        list->push_back(this);
    else
        list->insert(it + 1, this);
    changed();
}

void Menu::changed() {
    if (!detached_) form_->menusChanged();
}

}  // namespace forms
