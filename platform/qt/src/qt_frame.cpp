// Frames: the etched line round them and the caption on it.

#include <QFontMetrics>
#include <QPainter>

#include "qt_form_peer.hpp"
#include "qt_internal.hpp"
#include "qt_widgets.hpp"

namespace formsqt {

void FrameWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Window));
    QFontMetrics fm(font());
    int top = caption.isEmpty() ? 0 : fm.height() / 2;
    int w = width() - 2, h = height() - 2 - top;
    if (w < 0 || h < 0) return;
    p.setPen(QColor(128, 128, 128));
    p.drawRect(0, top, w, h);
    p.setPen(QColor(255, 255, 255));
    p.drawRect(1, top + 1, w, h);
    if (caption.isEmpty()) return;
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;
    QRect text(8, 0, fm.size(flags, caption).width(), fm.height());
    p.fillRect(text.adjusted(-1, 0, 1, 0), pal.color(QPalette::Window));
    p.setPen(pal.color(QPalette::WindowText));
    p.drawText(text, flags, caption);
}

void QtFormPeer::syncFrame(Control& c, QWidget* w, Prop what) {
    if (what == Prop::Caption) {
        static_cast<FrameWidget*>(w)->caption = toQ(static_cast<forms::Frame&>(c).caption());
        w->update();
    }
}

}  // namespace formsqt
