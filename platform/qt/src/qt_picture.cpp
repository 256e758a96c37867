// Images and picture boxes: a picture, stretched or at its natural size,
// over the back colour, with an image's line or a picture box's sunken edge.

#include <QPainter>

#include "qt_convert.hpp"
#include "qt_form_peer.hpp"
#include "qt_widgets.hpp"

namespace formsqt {

void PictureWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (fill) p.fillRect(rect(), fillColour);
    const int inset = sunken ? 2 : 0;
    const QRect inside = rect().adjusted(inset, inset, -inset, -inset);
    if (!image.isNull()) {
        p.save();
        p.setClipRect(inside);
        if (stretch)
            p.drawImage(inside, image);
        else
            p.drawImage(inside.topLeft(), image);
        p.restore();
    }
    if (border) {
        p.setPen(QColor(128, 128, 128));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (sunken && width() >= 4 && height() >= 4) {
        auto edge = [&](int i, QColor topLeft, QColor bottomRight) {
            const int r = width() - 1 - i, b = height() - 1 - i;
            p.setPen(topLeft);
            p.drawLine(i, i, r - 1, i);
            p.drawLine(i, i, i, b - 1);
            p.setPen(bottomRight);
            p.drawLine(i, b, r, b);
            p.drawLine(r, i, r, b);
        };
        edge(0, QColor(128, 128, 128), QColor(255, 255, 255));
        edge(1, QColor(0, 0, 0), QColor(223, 223, 223));
    }
}

void QtFormPeer::syncImage(Control& c, QWidget* w, Prop what) {
    auto& img = static_cast<forms::Image&>(c);
    auto* q = static_cast<PictureWidget*>(w);
    if (what == Prop::Picture) q->image = imageOf(img.picture());
    q->stretch = img.stretch();
    q->border = img.borderStyle() == 1;
    q->update();
}

void QtFormPeer::syncPictureBox(Control& c, QWidget* w, Prop what) {
    auto& pb = static_cast<forms::PictureBox&>(c);
    auto* q = static_cast<PictureWidget*>(w);
    if (what == Prop::Picture) q->image = imageOf(pb.picture());
    bool sunken = pb.borderStyle() == 1;
    if (q->sunken != sunken) {
        q->sunken = sunken;
        for (Control* child : pb.children()) syncControl(*child, Prop::Geometry);  // inside the edge
    }
    q->update();
}

}  // namespace formsqt
