#pragma once
// The options and contact windows as the main window reaches them.

#include "player/other_windows.hpp"

namespace options {

class OptionsWindows : public player::OptionsWindows {
public:
    int optionsFade() override;
    void setOptionsPanelVisible(int panel, bool visible) override;
    void setOptionsLabelBold(int label, bool bold) override;
    void showOptions() override;
    void unloadOptions() override;
    void showContact() override;
};

}  // namespace options
