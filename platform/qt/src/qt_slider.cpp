// Sliders (with the original's keys, wheel, orientation and tick marks) and
// progress bars.

#include <QKeyEvent>
#include <QPointer>
#include <QProgressBar>
#include <QSlider>
#include <QWheelEvent>

#include <cstdlib>

#include "qt_form_peer.hpp"
#include "qt_internal.hpp"
#include "qt_widgets.hpp"

namespace formsqt {

void TrackbarWidget::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Up: triggerAction(SliderSingleStepSub); break;
        case Qt::Key_Down: triggerAction(SliderSingleStepAdd); break;
        case Qt::Key_PageUp: triggerAction(SliderPageStepSub); break;
        case Qt::Key_PageDown: triggerAction(SliderPageStepAdd); break;
        default: QSlider::keyPressEvent(e); return;
    }
    e->accept();
}

void TrackbarWidget::wheelEvent(QWheelEvent* e) {
    wheel_ += e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
    int notches = wheel_ / 120;
    wheel_ -= notches * 120;
    QPointer<TrackbarWidget> self(this);
    for (int i = 0; i < std::abs(notches) && self; ++i)
        triggerAction(notches > 0 ? SliderSingleStepSub : SliderSingleStepAdd);
    e->accept();
}

QWidget* QtFormPeer::makeSlider(Control& c, QWidget* parent) {
    auto* s = new TrackbarWidget(parent);
    QObject::connect(s, &QSlider::valueChanged, [this, &c](int v) {
        if (!syncing) guarded([&] { static_cast<forms::Slider&>(c).slideTo(v); });
    });
    return s;
}

void QtFormPeer::syncSlider(Control& c, QWidget* w, Prop what) {
    auto& sl = static_cast<forms::Slider&>(c);
    auto* q = static_cast<QSlider*>(w);
    q->setRange(static_cast<int>(sl.min()), static_cast<int>(sl.max()));
    q->setValue(static_cast<int>(sl.value()));
    if (what == Prop::Style || what == Prop::Range) {
        q->setOrientation(sl.orientation() == 1 ? Qt::Vertical : Qt::Horizontal);
        // The original's vertical slider has Min at the top.
        q->setInvertedAppearance(sl.orientation() == 1);
        const QSlider::TickPosition ticks[] = {QSlider::TicksBelow, QSlider::TicksAbove,
                                               QSlider::TicksBothSides, QSlider::NoTicks};
        q->setTickPosition(sl.tickFrequency() > 0 ? ticks[sl.tickStyle()] : QSlider::NoTicks);
        q->setTickInterval(static_cast<int>(sl.tickFrequency()));
    }
}

void QtFormPeer::syncProgressBar(Control& c, QWidget* w) {
    auto& pb = static_cast<forms::ProgressBar&>(c);
    auto* q = static_cast<QProgressBar*>(w);
    q->setTextVisible(false);
    q->setRange(static_cast<int>(pb.min()), static_cast<int>(pb.max()));
    q->setValue(static_cast<int>(pb.value()));
}

}  // namespace formsqt
