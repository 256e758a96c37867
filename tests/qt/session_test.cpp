// The widgets a session retires: an unloaded form's window and a removed
// control's widget are deleted later, and they are deleted at the latest when
// the session ends, so one test program can run session after session without
// keeping (and leaking) the windows of those before.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"

namespace {

struct Retired : forms::Form {
    forms::CommandButton Command1{*this, "Command1"};
    std::optional<forms::Label> Label1;
    Retired() : Form("Retired") {
        setCaption("Retired window");
        setClientSize(3000, 2000);
        Command1.move(120, 120, 1500, 495);
        Command1.setCaption("Go");
        Label1.emplace(*this, "Label1");
        Label1->move(120, 800, 1500, 300);
        Label1->setCaption("Label");
    }
};

// The window Qt shows for the form, found by its title.
QWidget* windowTitled(const char* title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == QString::fromUtf8(title)) return w;
    return nullptr;
}

// The child widget that shows a caption.
QWidget* childShowing(QWidget* window, const char* name) {
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->property("text").toString() == QString::fromUtf8(name)) return w;
    return nullptr;
}

TEST(QtSession, RetiredWidgetsAreDeletedWhenTheSessionEnds) {
    const struct {
        const char* name;
        bool unloadFirst;    // the form is unloaded while the session runs
        bool removeControl;  // a control is removed while the session runs
    } cases[] = {
        {"unloaded during the session", true, false},
        {"still loaded at the end", false, false},
        {"a control removed, then the form unloaded", true, true},
        {"a control removed, the form still loaded", false, true},
    };
    for (const auto& c : cases) {
        QPointer<QWidget> window, button, label;
        {
            formsqt::Session qt;
            auto& f = forms::Get<Retired>();
            f.show();
            qt.processEvents(30);
            window = windowTitled("Retired window");
            ASSERT_TRUE(window) << c.name;
            button = childShowing(window, "Go");
            label = childShowing(window, "Label");
            ASSERT_TRUE(button) << c.name;
            ASSERT_TRUE(label) << c.name;
            if (c.removeControl) {
                f.Label1.reset();
                qt.processEvents(30);
            }
            if (c.unloadFirst) {
                f.unload();
                qt.processEvents(30);
            }
        }
        EXPECT_TRUE(window.isNull()) << c.name;
        EXPECT_TRUE(button.isNull()) << c.name;
        EXPECT_TRUE(label.isNull()) << c.name;
    }
}

}  // namespace
