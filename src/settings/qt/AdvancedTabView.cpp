#include "settings/qt/AdvancedTabView.h"

#include "settings/AdvancedTab.h"
#include "settings/qt/SettingsStyle.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tessane::settings_qt {

namespace {

QLabel* selectable(const std::string& text) {
    auto* label = new QLabel(QString::fromStdString(text));
    label->setFont(monospacedCaptionFont());
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setObjectName("selectable");
    makeSecondary(label);
    return label;
}

QLabel* callout(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setFont(calloutFont());
    label->setWordWrap(true);
    return label;
}

}  // namespace

AdvancedTabView::AdvancedTabView(QWidget* parent) : QScrollArea(parent) {
    setObjectName("advancedTab");
    auto* column = formColumn(this);

    {
        auto* box = addSection(advanced_tab::kShortcutsTitle, column);
        auto* v = new QVBoxLayout(box);
        v->addWidget(callout(advanced_tab::kShortcutsIntro));
        for (const auto& line : advanced_tab::exampleLines()) v->addWidget(selectable(line));
        auto* footer = caption(QString::fromUtf8(advanced_tab::kShortcutsFooter));
        v->addWidget(footer);
    }
    {
        auto* box = addSection(advanced_tab::kAutomationTitle, column);
        auto* form = new QFormLayout(box);
        // The style's spacing (6 pixels in Fusion) left the longest summary almost touching its link.
        form->setHorizontalSpacing(20);
        form->addRow(callout(advanced_tab::kAutomationIntro));
        for (const auto& verb : advanced_tab::verbRows()) {
            auto* summary = new QLabel(QString::fromStdString(verb.summary));
            summary->setFont(calloutFont());
            form->addRow(summary, selectable(verb.url));
        }
        form->addRow(caption(QString::fromUtf8(advanced_tab::kAutomationFooter)));
    }
    column->addStretch();
}

}  // namespace tessane::settings_qt
