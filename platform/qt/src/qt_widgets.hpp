#pragma once
// The widgets that draw controls as the original platform draws them. Each
// is painted in the file of its control kind: qt_button.cpp, qt_list.cpp,
// qt_frame.cpp, qt_shape.cpp, qt_picture.cpp, qt_combo.cpp, qt_slider.cpp.

#include <QCheckBox>
#include <QColor>
#include <QImage>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QString>
#include <QStyledItemDelegate>
#include <QWidget>

namespace forms {
class Shape;
}

namespace formsqt {

// The original's focus mark: a dotted rectangle, every other pixel set.
void drawFocusMark(QPainter& p, const QRect& r, const QColor& colour);

// Draws a picture (stretched or at its natural size) over an optional fill.
class PictureWidget : public QWidget {
public:
    explicit PictureWidget(QWidget* parent) : QWidget(parent) {}
    QImage image;
    bool stretch = false;
    bool fill = false;
    QColor fillColour;
    bool border = false;  // an image's single line
    bool sunken = false;  // a picture box's 2-pixel sunken edge; its inside starts within it

protected:
    void paintEvent(QPaintEvent*) override;
};

// A command button that shows its focus mark inside its edge while it has
// the focus, as the original's does.
class ButtonWidget : public QPushButton {
public:
    explicit ButtonWidget(QWidget* parent) : QPushButton(parent) {}
    // A graphical button (Style 1): drawn here, as the original draws it.
    bool graphical = false;
    QImage picture;

    void setPicture(const QImage& img) {
        picture = img;
        greyed = QImage();
        update();
    }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage greyed;  // the picture of a disabled button, made when first needed
    void paintGraphical();
};

// A check box or an option button that shows the focus mark round its
// caption while it has the focus, as the original's do, however the focus
// came (the style's own mark shows only after Qt moved the focus by a key).
// A box too narrow to show its caption (a label beside it names it) shows
// the mark inside its tick box.
template <class Base, QStyle::ControlElement kControl, QStyle::SubElement kFocusRect, QStyle::SubElement kIndicator>
class TickWidget : public Base {
public:
    explicit TickWidget(QWidget* parent) : Base(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionButton opt;
        this->initStyleOption(&opt);
        opt.state &= ~QStyle::State_HasFocus;
        p.drawControl(kControl, opt);
        if (!this->hasFocus()) return;
        QRect mark = this->style()->subElementRect(kFocusRect, &opt, this) & this->rect().adjusted(0, 0, -1, -1);
        if (mark.width() < 6 || mark.height() < 6)
            mark = this->style()->subElementRect(kIndicator, &opt, this).adjusted(2, 2, -3, -3);
        drawFocusMark(p, mark, this->palette().color(QPalette::WindowText));
    }
};
using CheckWidget =
    TickWidget<QCheckBox, QStyle::CE_CheckBox, QStyle::SE_CheckBoxFocusRect, QStyle::SE_CheckBoxIndicator>;
using OptionWidget =
    TickWidget<QRadioButton, QStyle::CE_RadioButton, QStyle::SE_RadioButtonFocusRect, QStyle::SE_RadioButtonIndicator>;

// The lines of a list: the line that holds the list's focus is framed by the
// focus mark (the style's own marking is left out, so there is one mark).
class ListLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The original's frame: its back colour over the whole rectangle, an etched
// line round it whose top runs through the middle of the caption, and the
// caption near the left on that line, over the back colour. (The style's own
// group box sets its caption above the line and tints the inside, so labels
// of the frame's colour would stand out on it.)
class FrameWidget : public QWidget {
public:
    explicit FrameWidget(QWidget* parent) : QWidget(parent) {}
    QString caption;  // with its "&" marks: the access key is underlined

protected:
    void paintEvent(QPaintEvent*) override;
};

class ShapeWidget : public QWidget {
public:
    explicit ShapeWidget(QWidget* parent) : QWidget(parent) {}
    const forms::Shape* shape = nullptr;

protected:
    void paintEvent(QPaintEvent*) override;
};

// A multi-line text box draws its frame as a box of one line does, so that
// it shows the focus as they do (the style's frame of a scroll area shows
// none, and a read-only box has no caret either).
class TextAreaStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
};

// The original's drop-down list opens below its field, with lines as high as
// the font's, whatever its style: the style's menu-like popup over the field
// (Fusion's, for a list that takes no typing) is turned off.
class ComboListStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
};

// The original's slider moves towards Min with Up and Page Up and with the
// wheel turned away from the user, and towards Max with Down, Page Down and
// the wheel turned back (Left, Right, Home and End go as Qt's do). A rocker's
// Up key and wheel therefore step as they do there.
class TrackbarWidget : public QSlider {
public:
    explicit TrackbarWidget(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    int wheel_ = 0;
};

}  // namespace formsqt
