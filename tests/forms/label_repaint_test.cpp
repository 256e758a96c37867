// A label's caption written again unchanged, as a clock label is on every
// tick, reaches the window system only when the text changed.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "forms/forms.hpp"
#include "forms/testing.hpp"

namespace {

// Counts the caption changes the window system is told of.
struct CountingPeer : forms::FormPeer {
    int* captions;
    explicit CountingPeer(int* c) : captions(c) {}
    void formChanged(forms::FormProp) override {}
    void controlAdded(forms::Control&) override {}
    void controlRemoved(forms::Control&) override {}
    void controlChanged(forms::Control&, forms::Prop what) override {
        if (what == forms::Prop::Caption) ++*captions;
    }
    void menusChanged() override {}
    void focusChanged(forms::Control*) override {}
    forms::Menu* popupMenu(forms::Menu&) override { return nullptr; }
    void beginSystemMove() override {}
};

struct CountingBackend : forms::Backend {
    int captions = 0;
    std::unique_ptr<forms::FormPeer> createPeer(forms::Form&) override {
        return std::make_unique<CountingPeer>(&captions);
    }
    forms::ScreenSize screenSize() const override { return {}; }
};

struct Clock : forms::Form {
    forms::Label Label1{*this, "Label1"};
    Clock() : Form("Clock") {}
};

TEST(LabelCaption, AnUnchangedCaptionIsNotSentAgain) {
    forms::TestEnvironment env;
    CountingBackend backend;
    forms::Application::instance().setBackend(&backend);
    auto& f = forms::Get<Clock>();
    f.Label1.setCaption(" Remain 3 : 5");
    const int once = backend.captions;
    EXPECT_GE(once, 1);
    for (int i = 0; i < 1000; ++i) f.Label1.setCaption(" Remain 3 : 5");
    EXPECT_EQ(backend.captions, once);
    f.Label1.setCaption(" Remain 3 : 4");
    EXPECT_EQ(backend.captions, once + 1);
    EXPECT_EQ(f.Label1.caption(), " Remain 3 : 4");
    forms::Application::instance().reset();
    forms::Application::instance().setBackend(nullptr);
}

}  // namespace
