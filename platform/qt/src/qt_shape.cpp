// Shapes: rectangles, squares, ovals, circles and rounded ones, filled and
// outlined as the control says; the mouse passes through them.

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "qt_convert.hpp"
#include "qt_form_peer.hpp"
#include "qt_widgets.hpp"

namespace formsqt {

void ShapeWidget::paintEvent(QPaintEvent*) {
    if (!shape) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, shape->shape() >= 2);
    QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (shape->shape() == 1 || shape->shape() == 3 || shape->shape() == 5) {
        qreal side = std::min(r.width(), r.height());
        r = QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    }
    QPainterPath path;
    switch (shape->shape()) {
        case 2:
        case 3: path.addEllipse(r); break;
        case 4:
        case 5: path.addRoundedRect(r, r.width() / 8, r.height() / 8); break;
        default: path.addRect(r);
    }
    if (shape->backStyle() == 1) p.fillPath(path, colourOf(shape->backColor()));
    if (shape->fillStyle() == 0) p.fillPath(path, colourOf(shape->fillColor()));
    if (shape->borderStyle() != 0) {
        p.setPen(QPen(colourOf(shape->borderColor()), shape->borderWidth()));
        p.drawPath(path);
    }
}

QWidget* QtFormPeer::makeShape(Control& c, QWidget* parent) {
    auto* s = new ShapeWidget(parent);
    s->shape = &static_cast<forms::Shape&>(c);
    s->setAttribute(Qt::WA_TransparentForMouseEvents);
    return s;
}

}  // namespace formsqt
