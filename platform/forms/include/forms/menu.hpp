#pragma once
// Menu items: the form's menu bar, submenus and popup menus. A caption of "-"
// is a separator. Shortcuts are the form's accelerators: pressing one runs the
// item's Click while the form has the focus, without opening the menu.

#include <string>
#include <vector>

#include "forms/event.hpp"

namespace forms {

class Form;

struct Shortcut {
    int keyCode = 0;  // 0: none
    int shift = 0;    // vbShiftMask | vbCtrlMask | vbAltMask
    bool empty() const { return keyCode == 0; }
    bool operator==(const Shortcut&) const = default;
    std::string text() const;  // "Ctrl+C", "Shift+Ctrl+F1", "Del", "Alt+Bksp"
};
Shortcut ctrlKey(char letter);  // Ctrl+letter
Shortcut fKey(int n, int shift = 0);

class Menu {
public:
    // A top-level item of the form's menu bar.
    Menu(Form& form, std::string name, std::string caption, int index = -1);
    // An item of a submenu.
    Menu(Menu& parent, std::string name, std::string caption, int index = -1);
    // For control arrays: the caption is copied from the array's first element.
    Menu(Form& form, std::string name, int index);
    Menu(Menu& parent, std::string name, int index);
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;
    ~Menu();

    const std::string& name() const { return name_; }
    int index() const { return index_; }
    Form& form() const { return *form_; }
    Menu* parent() const { return parent_; }
    const std::vector<Menu*>& items() const { return items_; }
    bool hasItems() const { return !items_.empty(); }

    const std::string& caption() const { return p_.caption; }
    void setCaption(std::string c);
    bool isSeparator() const { return p_.caption == "-"; }
    bool checked() const { return p_.checked; }
    void setChecked(bool c);
    bool enabled() const { return p_.enabled; }
    void setEnabled(bool e);
    bool visible() const { return p_.visible; }
    void setVisible(bool v);
    const Shortcut& shortcut() const { return p_.shortcut; }
    void setShortcut(Shortcut s);
    // Enabled, with every parent enabled too.
    bool effectivelyEnabled() const;

    Event<> Click;
    // Raised as the user opens this submenu (or as it pops up), before its
    // items are shown: the handler may fill them.
    Event<> AboutToShow;

    // The menu is about to be shown: AboutToShow runs when the item is enabled.
    void aboutToShow();

    // The user chooses the item (from a menu or by its shortcut): Click runs
    // when the item is enabled.
    void choose();

    // Control arrays: copies caption, checked, enabled and shortcut.
    void copyPropertiesFrom(const Menu& other);
    // Places this item right after another item of the same parent.
    void placeAfter(const Menu& other);
    // Control arrays: takes the item out of its menu at once (memory later).
    void detach();
    void announce() {}
    void setVisibleForArray(bool v) { setVisible(v); }

private:
    void changed();
    bool detached_ = false;
    Form* form_;
    Menu* parent_;
    std::string name_;
    int index_;
    std::vector<Menu*> items_;
    struct Props {
        std::string caption;
        bool checked = false;
        bool enabled = true;
        bool visible = true;
        Shortcut shortcut;
    } p_;
};

}  // namespace forms
