#pragma once

#include "builder/OnboardingFlow.h"
#include "builder/qt/OnboardingPainting.h"

#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace tessane::builder_qt {

class StepDots;

// The welcome panel's content: the shown step above the footer (Skip or Back, one dot per step,
// Continue or Done on Return). It draws what its flow says and passes the user's clicks to it;
// it decides nothing itself. The step's widgets are made afresh whenever the flow changes.
class OnboardingView final : public QWidget {
public:
    using Step = OnboardingStep;
    static constexpr double kCornerRadius = 16;

    OnboardingView(std::shared_ptr<OnboardingFlow> flow, bool dark, QWidget* parent = nullptr);
    ~OnboardingView() override;

    const OnboardingFlow& flow() const { return *flow_; }
    QPushButton* leadingButton() const { return leading_; }
    QPushButton* trailingButton() const { return trailing_; }
    // The step's own widgets (the create and help buttons among them).
    QWidget* page() const { return page_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void refresh();
    QWidget* makePage();
    QWidget* welcomePage();
    QWidget* windowControlPage();
    QWidget* createPage();
    QWidget* gesturesPage();
    QWidget* shortcutsPage();
    QLabel* label(const QString& text, double pixels, QFont::Weight weight, ColorRole colour, bool wrap,
                  Qt::Alignment align = Qt::AlignHCenter);

    std::shared_ptr<OnboardingFlow> flow_;
    bool dark_;
    QWidget* pageArea_ = nullptr;
    QVBoxLayout* pageLayout_ = nullptr;
    QWidget* page_ = nullptr;
    QPushButton* leading_ = nullptr;
    QPushButton* trailing_ = nullptr;
    StepDots* dots_ = nullptr;
};

}  // namespace tessane::builder_qt
