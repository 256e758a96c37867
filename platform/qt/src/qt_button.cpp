// Command buttons (a graphical one drawn as the original draws it), check
// boxes and option buttons: their widgets, their clicks and what they show;
// and the focus mark that buttons and list lines share.

#include <QCheckBox>
#include <QFontMetrics>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>

#include "qt_convert.hpp"
#include "qt_form_peer.hpp"
#include "qt_internal.hpp"
#include "qt_widgets.hpp"

namespace formsqt {

void drawFocusMark(QPainter& p, const QRect& r, const QColor& colour) {
    if (r.width() < 2 || r.height() < 2) return;
    QPen pen(colour, 0);
    pen.setDashPattern({1.0, 1.0});
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    p.restore();
}

void ButtonWidget::paintEvent(QPaintEvent* e) {
    if (graphical) {
        paintGraphical();
    } else {
        QPushButton::paintEvent(e);
    }
    if (!hasFocus()) return;
    QPainter p(this);
    drawFocusMark(p, rect().adjusted(3, 3, -4, -4), palette().color(QPalette::ButtonText));
}

// The face in the back colour inside a raised edge (white and light grey
// above and left, black and dark grey below and right), sunken while
// pressed; the picture centred (above the caption, when there is one)
// and kept inside the edge, one pixel down and right while pressed, and
// greyed while the button is disabled.
void ButtonWidget::paintGraphical() {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, palette().color(QPalette::Button));
    const bool down = isDown();
    const int w = r.width(), h = r.height();
    if (w >= 4 && h >= 4) {
        auto edge = [&](int inset, QColor topLeft, QColor bottomRight) {
            p.setPen(topLeft);
            p.drawLine(inset, inset, w - 2 - inset, inset);
            p.drawLine(inset, inset, inset, h - 2 - inset);
            p.setPen(bottomRight);
            p.drawLine(inset, h - 1 - inset, w - 1 - inset, h - 1 - inset);
            p.drawLine(w - 1 - inset, inset, w - 1 - inset, h - 1 - inset);
        };
        if (down) {
            p.setPen(QColor(0, 0, 0));
            p.drawRect(0, 0, w - 1, h - 1);
            p.setPen(QColor(128, 128, 128));
            p.drawRect(1, 1, w - 3, h - 3);
        } else {
            edge(0, QColor(255, 255, 255), QColor(0, 0, 0));
            edge(1, QColor(223, 223, 223), QColor(128, 128, 128));
        }
    }
    const QRect inside = r.adjusted(2, 2, -2, -2);
    const int shift = down ? 1 : 0;
    QFontMetrics fm(font());
    const QString caption = text();
    const int textHeight = caption.isEmpty() ? 0 : fm.height();
    p.setClipRect(inside);
    if (!picture.isNull()) {
        if (!isEnabled() && greyed.isNull()) {
            QStyleOption opt;
            opt.initFrom(this);
            greyed = style()->generatedIconPixmap(QIcon::Disabled, QPixmap::fromImage(picture), &opt).toImage();
        }
        const QImage& shown = isEnabled() ? picture : greyed;
        int x = inside.left() + (inside.width() - shown.width()) / 2;
        int y = inside.top() + (inside.height() - textHeight - shown.height()) / 2;
        p.drawImage(x + shift, y + shift, shown);
    }
    if (!caption.isEmpty()) {
        QRect line(inside.left() + shift, inside.bottom() + 1 - textHeight + shift, inside.width(), textHeight);
        if (picture.isNull()) line = inside.translated(shift, shift);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine, caption);
    }
}

QWidget* QtFormPeer::makeCommandButton(Control& c, QWidget* parent) {
    auto* b = new ButtonWidget(parent);
    QObject::connect(b, &QPushButton::clicked, [this, &c] {
        if (!syncing) guarded([&] { c.click(); });
    });
    return b;
}

QWidget* QtFormPeer::makeCheckBox(Control& c, QWidget* parent) {
    auto* b = new CheckWidget(parent);
    QObject::connect(b, &QCheckBox::clicked, [this, &c, win = QPointer<FormWindow>(window)] {
        if (syncing) return;
        guarded([&] { c.click(); });
        // The click may have unloaded the form: this peer is then gone.
        if (win && win->peer_ == this) syncControl(c, Prop::Value);
    });
    return b;
}

QWidget* QtFormPeer::makeOptionButton(Control& c, QWidget* parent) {
    auto* b = new OptionWidget(parent);
    b->setAutoExclusive(false);
    QObject::connect(b, &QRadioButton::clicked, [this, &c, win = QPointer<FormWindow>(window)] {
        if (syncing) return;
        guarded([&] { c.click(); });
        if (win && win->peer_ == this) syncControl(c, Prop::Value);
    });
    return b;
}

void QtFormPeer::syncCommandButton(Control& c, QWidget* w, Prop what) {
    auto& b = static_cast<forms::CommandButton&>(c);
    auto* q = static_cast<QPushButton*>(w);
    // The caption's "&" marks its access key, underlined as Qt's "&" is
    // ("&&" is an ampersand in both); the model routes the key itself.
    if (what == Prop::Caption) q->setText(toQ(b.caption()));
    if (what == Prop::Picture || what == Prop::Style) {
        auto* g = static_cast<ButtonWidget*>(w);
        g->graphical = b.style() == 1;
        g->setPicture(b.style() == 1 ? imageOf(b.picture()) : QImage());
    }
}

void QtFormPeer::syncCheckBox(Control& c, QWidget* w, Prop what) {
    auto& b = static_cast<forms::CheckBox&>(c);
    auto* q = static_cast<QCheckBox*>(w);
    if (what == Prop::Caption) q->setText(toQ(b.caption()));
    if (what == Prop::Value) {
        q->setTristate(b.value() == forms::vbGrayed);
        q->setCheckState(b.value() == 1 ? Qt::Checked : b.value() == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    }
}

void QtFormPeer::syncOptionButton(Control& c, QWidget* w, Prop what) {
    auto& b = static_cast<forms::OptionButton&>(c);
    auto* q = static_cast<QRadioButton*>(w);
    if (what == Prop::Caption) q->setText(toQ(b.caption()));
    if (what == Prop::Value) q->setChecked(b.value());
}

}  // namespace formsqt
