#pragma once
// Control arrays: elements of one name told apart by Index. Elements made at
// design time are added in the form's constructor; Load adds elements at run
// time with the design properties of the lowest element (not visible), Unload
// removes them again (an element made at design time cannot be unloaded).
//
//     forms::ControlArray<forms::Menu> mnuPercent{mnuOpacity, "mnuPercent", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}};
//     ...
//     for (int i = 1; i <= 10; ++i) mnuPercent(i).setCaption(...);
//     mnuPercent.wire([this](forms::Menu& m) { m.Click = [this, i = m.index()] { mnuPercent_Click(i); }; });

#include <functional>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <string>

#include "runtime/error.hpp"

namespace forms {

// Unloaded elements are released after the current event, so an element may
// unload itself (or its array's other elements) from its own handler.
void retireLater(std::function<void()> release);

template <class T>
class ControlArray {
public:
    template <class Parent>
    ControlArray(Parent& parent, std::string name) : name_(std::move(name)) {
        make_ = [&parent, this](int index) { return std::make_unique<T>(parent, name_, index); };
    }
    // With the design-time elements made at once, so that they keep their
    // place among the other controls (or menu items) of the parent.
    template <class Parent>
    ControlArray(Parent& parent, std::string name, std::initializer_list<int> designIndexes)
        : ControlArray(parent, std::move(name)) {
        for (int i : designIndexes) add(i);
    }
    ControlArray(const ControlArray&) = delete;
    ControlArray& operator=(const ControlArray&) = delete;
    ~ControlArray() = default;

    const std::string& name() const { return name_; }

    // A design-time element.
    T& add(int index) { return place(index, make_(index)); }
    // A design-time element inside another container of the same form (the
    // field captions of a window whose panels hold some of them).
    template <class Parent>
    T& add(int index, Parent& parent) {
        return place(index, std::make_unique<T>(parent, name_, index));
    }
    // Load name(index): a new element with the lowest element's properties,
    // not visible. 360 when it exists, 340 when the array has no element to copy.
    T& load(int index) {
        if (items_.count(index)) runtime::raise(360, name_, "Object already loaded");
        if (items_.empty()) runtime::raise(340, name_, "Control array element '" + std::to_string(index) + "' doesn't exist");
        const T& model = *items_.begin()->second.item;
        // The element just below index, if any (the map keeps them in order).
        const T* before = nullptr;
        if (auto below = items_.lower_bound(index); below != items_.begin()) before = std::prev(below)->second.item.get();
        auto p = make_(index);
        T& ref = *p;
        ref.copyPropertiesFrom(model);
        ref.setVisible(false);
        if (before) ref.placeAfter(*before);
        items_.emplace(index, Entry{std::move(p), false});
        if (wire_) wire_(ref);
        ref.announce();
        return ref;
    }
    // Unload name(index): 362 for a design-time element, 340 when missing.
    void unload(int index) {
        auto it = items_.find(index);
        if (it == items_.end())
            runtime::raise(340, name_, "Control array element '" + std::to_string(index) + "' doesn't exist");
        if (it->second.design) runtime::raise(362, name_, "Can't unload controls created at design time");
        std::shared_ptr<T> gone(std::move(it->second.item));
        items_.erase(it);
        gone->detach();
        retireLater([gone]() mutable { gone.reset(); });
    }
    // name(index); 340 when there is no such element.
    T& operator()(int index) const {
        auto it = items_.find(index);
        if (it == items_.end())
            runtime::raise(340, name_, "Control array element '" + std::to_string(index) + "' doesn't exist");
        return *it->second.item;
    }
    T& operator[](int index) const { return (*this)(index); }
    bool exists(int index) const { return items_.count(index) != 0; }
    int count() const { return static_cast<int>(items_.size()); }
    int lbound() const { return items_.empty() ? 0 : items_.begin()->first; }
    int ubound() const { return items_.empty() ? -1 : items_.rbegin()->first; }
    void forEach(const std::function<void(T&)>& fn) const {
        for (auto& [i, e] : items_) fn(*e.item);
    }
    // Connects the handlers of every element, now and of those loaded later.
    void wire(std::function<void(T&)> fn) {
        wire_ = std::move(fn);
        for (auto& [i, e] : items_) wire_(*e.item);
    }

private:
    // Takes a design-time element made for index.
    T& place(int index, std::unique_ptr<T> p) {
        if (items_.count(index)) runtime::raise(360, name_, "Object already loaded");
        T& ref = *p;
        items_.emplace(index, Entry{std::move(p), true});
        if (wire_) wire_(ref);
        ref.announce();
        return ref;
    }

    struct Entry {
        std::unique_ptr<T> item;
        bool design;
    };
    std::string name_;
    std::function<std::unique_ptr<T>(int)> make_;
    std::function<void(T&)> wire_;
    std::map<int, Entry> items_;
};

}  // namespace forms
