#include "settings/qt/GeneralTabView.h"

#include "settings/GeneralTab.h"
#include "settings/qt/SettingsStyle.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessane::settings_qt {

namespace {

QWidget* row(std::initializer_list<QWidget*> widgets, int spacing) {
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget* w : widgets) layout->addWidget(w);
    layout->addStretch();
    return holder;
}

}  // namespace

GeneralTabView::GeneralTabView(GeneralTab& tab, QWidget* parent) : QScrollArea(parent), tab_(tab) {
    setObjectName("generalTab");
    auto* column = formColumn(this);
    buildStartup(addSection(GeneralTab::kStartupTitle, column));
    buildAppearance(addSection(GeneralTab::kAppearanceTitle, column));
    buildShortcuts(addSection(GeneralTab::kShortcutsTitle, column));
    buildAbout(addSection(GeneralTab::kAboutTitle, column));
    column->addStretch();

    changes_ = tab_.observeChanges([this] { refresh(); });
    refresh();
}

void GeneralTabView::buildStartup(QWidget* box) {
    auto* v = new QVBoxLayout(box);
    launch_ = new QCheckBox(QString::fromUtf8(GeneralTab::kLaunchAtLogin));
    launch_->setObjectName("launchAtLogin");
    startupCaption_ = caption({});
    loginError_ = caption({});
    loginError_->setForegroundRole(QPalette::NoRole);
    QPalette red = loginError_->palette();
    red.setColor(QPalette::WindowText, QColor(0xD7, 0x30, 0x2B));
    loginError_->setPalette(red);
    v->addWidget(launch_);
    v->addWidget(startupCaption_);
    v->addWidget(loginError_);
    connect(launch_, &QCheckBox::clicked, this, [this](bool on) { tab_.setLaunchAtLogin(on); });
}

void GeneralTabView::buildAppearance(QWidget* box) {
    auto* form = new QFormLayout(box);
    theme_ = new QButtonGroup(this);
    auto* segments = new QWidget;
    auto* h = new QHBoxLayout(segments);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    int id = 0;
    for (AppTheme t : allAppThemes()) {
        auto* b = new QPushButton(QString::fromStdString(label(t)));
        b->setCheckable(true);
        b->setObjectName(QString("theme-") + QString::fromStdString(toString(t)));
        theme_->addButton(b, id++);
        h->addWidget(b);
    }
    h->addStretch();
    segments_ = segments;
    styleAccents();
    form->addRow(new QLabel(GeneralTab::kThemeLabel), segments);
    form->addRow(caption(GeneralTab::kThemeCaption));
    connect(theme_, &QButtonGroup::idClicked, this, [this](int i) {
        tab_.setTheme(allAppThemes().at(static_cast<size_t>(i)));
    });
}

void GeneralTabView::buildShortcuts(QWidget* box) {
    auto* form = new QFormLayout(box);
    // A clear gap between the longest summary and the keys, read as two columns.
    form->setHorizontalSpacing(24);
    for (const auto& help : GeneralTab::shortcutRows()) {
        auto* keys = new QLabel(QString::fromStdString(help.keys));
        keys->setFont(monospacedCaptionFont());
        makeSecondary(keys);
        keys->setObjectName(QString::fromStdString("keys-" + help.id));
        form->addRow(new QLabel(QString::fromStdString(help.summary)), keys);
    }
    showMeHow_ = new QPushButton(QString::fromUtf8(GeneralTab::kShowMeHow));
    showMeHow_->setObjectName("showMeHow");
    showMeHow_->setFlat(true);
    showMeHow_->setFont(captionFont());
    showMeHow_->setCursor(Qt::PointingHandCursor);
    styleAccents();
    auto* ownKeys = caption(GeneralTab::kOwnKeysCaption);
    ownKeys->setWordWrap(false);
    form->addRow(row({ownKeys, showMeHow_}, 4));
    connect(showMeHow_, &QPushButton::clicked, this, [this] { tab_.showMeHow(); });
}

void GeneralTabView::buildAbout(QWidget* box) {
    auto* form = new QFormLayout(box);
    version_ = new QLabel;
    version_->setObjectName("version");
    version_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    makeSecondary(version_);
    form->addRow(new QLabel(GeneralTab::kVersionRow), version_);

    auto* welcome = new QPushButton(QString::fromUtf8(GeneralTab::kShowWelcome));
    welcome->setObjectName("showWelcome");
    form->addRow(new QLabel(GeneralTab::kIntroductionRow), row({welcome}, 0));
    connect(welcome, &QPushButton::clicked, this, [this] { tab_.showWelcome(); });

    auto* bug = new QPushButton(QString::fromUtf8(GeneralTab::kReportBug));
    bug->setObjectName("reportBug");
    auto* support = new QPushButton(QString::fromUtf8(GeneralTab::kContactSupport));
    support->setObjectName("contactSupport");
    form->addRow(new QLabel(GeneralTab::kHelpRow), row({bug, support}, 12));
    connect(bug, &QPushButton::clicked, this, [this] { tab_.reportBug(); });
    connect(support, &QPushButton::clicked, this, [this] { tab_.contactSupport(); });

    copy_ = new QPushButton(QString::fromUtf8(GeneralTab::kCopyDiagnostics));
    copy_->setObjectName("copyDiagnostics");
    copied_ = caption(QString::fromUtf8(GeneralTab::kCopied));
    copied_->setWordWrap(false);
    copied_->setObjectName("copied");
    form->addRow(new QLabel(GeneralTab::kDiagnosticsRow), row({copy_, copied_}, 8));
    form->addRow(caption(QString::fromUtf8(GeneralTab::kDiagnosticsCaption)));
    connect(copy_, &QPushButton::clicked, this, [this] { tab_.copyDiagnostics(); });

    keepLog_ = new QCheckBox(GeneralTab::kKeepLogFile);
    keepLog_->setObjectName("keepLogFile");
    showInFiles_ = new QPushButton(GeneralTab::kShowInFiles);
    showInFiles_->setObjectName("showInFiles");
    form->addRow(new QLabel(GeneralTab::kLogFileRow), row({keepLog_, showInFiles_}, 12));
    form->addRow(caption(QString::fromStdString(tab_.logFileCaption())));
    connect(keepLog_, &QCheckBox::clicked, this, [this](bool on) { tab_.setKeepLogFile(on); });
    connect(showInFiles_, &QPushButton::clicked, this, [this] { tab_.showLogFile(); });
}

QPushButton* GeneralTabView::themeButton(int index) const {
    return static_cast<QPushButton*>(theme_->button(index));
}

void GeneralTabView::styleAccents() {
    // The chosen segment stands out in the selection colour, as a segmented control shows it. The
    // colours are written out, and again when the palette changes: a style sheet reads palette()
    // only once.
    const QPalette& p = palette();
    if (segments_)
        segments_->setStyleSheet(QString("QPushButton:checked { background: %1; color: %2; border: 1px solid %1;"
                                         " border-radius: 3px; padding: 4px 12px; }")
                                     .arg(p.color(QPalette::Highlight).name(), p.color(QPalette::HighlightedText).name()));
    // A link, in the link colour the theme keeps readable (the selection colour is meant for a
    // fill, and is too light or too dark for small text on the window).
    if (showMeHow_)
        showMeHow_->setStyleSheet(QString("QPushButton { border: none; padding: 0; color: %1; }")
                                      .arg(p.color(QPalette::Link).name()));
}

void GeneralTabView::changeEvent(QEvent* event) {
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) styleAccents();
}

void GeneralTabView::showEvent(QShowEvent* event) {
    QScrollArea::showEvent(event);
    tab_.appear();  // the login state is read each time the tab is shown
}

void GeneralTabView::refresh() {
    launch_->setChecked(tab_.launchAtLoginIsOn());
    launch_->setEnabled(tab_.launchAtLoginCanChange());
    startupCaption_->setText(QString::fromStdString(tab_.startupCaption()));
    const auto& error = tab_.loginItemError();
    loginError_->setText(error ? QString::fromStdString(*error) : QString());
    loginError_->setVisible(error.has_value());
    const auto& themes = allAppThemes();
    for (size_t i = 0; i < themes.size(); ++i)
        theme_->button(static_cast<int>(i))->setChecked(themes[i] == tab_.theme());
    version_->setText(QString::fromStdString(tab_.versionString()));
    copied_->setVisible(tab_.diagnosticsCopied());
    keepLog_->setChecked(tab_.keepLogFile());
    showInFiles_->setVisible(tab_.keepLogFile());
}

}  // namespace tessane::settings_qt
