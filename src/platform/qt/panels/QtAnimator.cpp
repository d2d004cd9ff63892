#include "platform/qt/panels/QtAnimator.h"

#include "platform/qt/panels/QtPanelWidget.h"
#include "platform/qt/panels/QtPanels.h"

#include <QEasingCurve>
#include <QVariantAnimation>

#include <utility>

namespace tessane::qt_backend {

namespace {
QEasingCurve curveFor(PanelAnimation::Curve curve) {
    if (curve == PanelAnimation::Curve::linear) return QEasingCurve(QEasingCurve::Linear);
    // The usual ease-out: control points (0, 0) and (0.58, 1).
    QEasingCurve easeOut(QEasingCurve::BezierSpline);
    easeOut.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    return easeOut;
}

double mix(double a, double b, double t) { return a + (b - a) * t; }
}  // namespace

void QtAnimator::animate(Panel& base, const PanelAnimation& a, std::function<void()> completion) {
    auto& panel = static_cast<QtPanel&>(base);
    auto* animation = new QVariantAnimation(&panel.widget());
    panel.startAnimation(animation, std::move(completion));

    const double fromAlpha = panel.alpha();
    const Rect fromFrame = panel.frame();
    const bool instant = a.duration <= 0 || (!panels_.compositing() && !a.frame);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(instant ? 0 : static_cast<int>(a.duration * 1000));
    animation->setEasingCurve(curveFor(a.curve));
    QObject::connect(animation, &QVariantAnimation::valueChanged, &panel.widget(), [&panel, a, fromAlpha, fromFrame](const QVariant& v) {
        const double t = v.toDouble();
        if (a.alpha) panel.setAlpha(mix(fromAlpha, *a.alpha, t));
        if (a.frame)
            panel.setFrame({mix(fromFrame.minX(), a.frame->minX(), t), mix(fromFrame.minY(), a.frame->minY(), t),
                            mix(fromFrame.width(), a.frame->width(), t), mix(fromFrame.height(), a.frame->height(), t)});
    });
    QObject::connect(animation, &QVariantAnimation::finished, &panel.widget(), [&panel, a] {
        if (a.alpha) panel.setAlpha(*a.alpha);
        if (a.frame) panel.setFrame(*a.frame);
        panel.finishAnimation();
    });
    // Started from the loop, so a completion never runs inside animate().
    QMetaObject::invokeMethod(animation, [&panel, animation] {
            if (panel.isCurrentAnimation(animation)) animation->start(QAbstractAnimation::DeleteWhenStopped);
        },
                              Qt::QueuedConnection);
}

void QtPanel::startAnimation(QVariantAnimation* animation, std::function<void()> completion) {
    if (animation_) {
        QPointer<QVariantAnimation> older = animation_;
        animation_ = nullptr;
        older->stop();
        older->deleteLater();
    }
    if (auto done = std::exchange(animationDone_, nullptr)) done();
    animation_ = animation;
    animationDone_ = std::move(completion);
}

void QtPanel::finishAnimation() {
    animation_ = nullptr;
    if (auto done = std::exchange(animationDone_, nullptr)) done();
}


}  // namespace tessane::qt_backend
