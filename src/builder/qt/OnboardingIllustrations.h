#pragma once

#include <QWidget>

namespace tessane::builder_qt {

// The welcome panel's small, static drawings. Each paints in the appearance it was made for.

// A tiled workspace in miniature: one pane on the left, two stacked on the right. It fills
// whatever size it is given. With `showPlus` every pane is an empty, dashed place with a plus.
class WorkspaceIllustration final : public QWidget {
public:
    WorkspaceIllustration(bool showPlus, bool dark, QWidget* parent = nullptr);
    bool showPlus() const { return showPlus_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void paintPane(QPainter& p, const QRectF& r, int symbolIndex) const;
    bool showPlus_;
    bool dark_;
};

// One pane in miniature, always 74 x 52, showing how a shown workspace is handled.
class GestureIllustration : public QWidget {
public:
    static constexpr int kWidth = 74;
    static constexpr int kHeight = 52;
    explicit GestureIllustration(bool dark, QWidget* parent = nullptr);

protected:
    bool dark_;
};

// The move rail at the top edge and a four-way arrow.
class MoveIllustration final : public GestureIllustration {
public:
    using GestureIllustration::GestureIllustration;

protected:
    void paintEvent(QPaintEvent*) override;
};

// Two panes with the divider handle between them and a two-way arrow on it.
class ResizeIllustration final : public GestureIllustration {
public:
    using GestureIllustration::GestureIllustration;

protected:
    void paintEvent(QPaintEvent*) override;
};

// The rail with a small menu open under it.
class MenuIllustration final : public GestureIllustration {
public:
    using GestureIllustration::GestureIllustration;

protected:
    void paintEvent(QPaintEvent*) override;
};

// An illustration beside a title and a wrapping description.
class GestureRow final : public QWidget {
public:
    GestureRow(QWidget* illustration, const QString& title, const QString& detail, bool dark,
               QWidget* parent = nullptr);
};

}  // namespace tessane::builder_qt
