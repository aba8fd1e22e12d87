// TAssistant: what the two option assistants share: page headings, the button row, help per
// page, Escape, and what closing does.
#include "frontend/assistant.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>

#include "frontend/app_settings.h"
#include "frontend/help_viewer.h"
#include "frontend/shared_texts.h"
#include "frontend/window_rules.h"
#include "toolkit/gradient_caption.h"
#include "toolkit/hint_switch.h"

namespace {

constexpr const char* kHints = QT_TRANSLATE_NOOP("TAssistant", "&Hints");
constexpr const char* kHelp = QT_TRANSLATE_NOOP("TAssistant", "H&elp");
constexpr const char* kBack = QT_TRANSLATE_NOOP("TAssistant", "< &Back");
constexpr const char* kNext = QT_TRANSLATE_NOOP("TAssistant", "&Next >");
constexpr const char* kClose = QT_TRANSLATE_NOOP("TAssistant", "&Close");

constexpr int kTextWidth = 460;

QString sharedText(const char* text) { return QCoreApplication::translate("SharedText", text); }

}  // namespace

TAssistantPage::TAssistantPage(const QString& headingText, const QString& text, QWidget* parent)
    : QWizardPage(parent), contentLayout(new QVBoxLayout(this)), heading(headingText), intro(text) {
    contentLayout->addWidget(new TGradientCaption(heading, this));
    auto* introLabel = new QLabel(intro, this);
    introLabel->setTextFormat(Qt::PlainText);
    introLabel->setWordWrap(true);
    introLabel->setMinimumWidth(kTextWidth);
    contentLayout->addWidget(introLabel);
    contentLayout->addSpacing(6);
}

QString TAssistantPage::headingText() const { return heading; }

QString TAssistantPage::introText() const { return intro; }

TAssistant::TAssistant(TAppContext& context, QWidget* mainWindowToHide)
    : QWizard(mainWindowToHide),
      appContext(context),
      mainWindow(mainWindowToHide),
      hintsCheckBox(new THintsCheckBox(tr(kHints), this)) {
    if (mainWindow) mainWindow->hide();

    setWizardStyle(QWizard::ClassicStyle);
    setOptions(QWizard::NoCancelButton | QWizard::HaveHelpButton | QWizard::HaveCustomButton1);
    hintsCheckBox->setObjectName(QStringLiteral("hintsCheckBox"));
    hintsCheckBox->setToolTip(sharedText(SharedText::kHintsHint));
    setButton(QWizard::CustomButton1, hintsCheckBox);
    setButtonLayout({QWizard::CustomButton1, QWizard::Stretch, QWizard::HelpButton,
                     QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton});
    setButtonText(QWizard::HelpButton, tr(kHelp));
    setButtonText(QWizard::BackButton, tr(kBack));
    setButtonText(QWizard::NextButton, tr(kNext));
    // The last page has no next page; the button in its place closes the assistant.
    setButtonText(QWizard::FinishButton, tr(kClose));

    connect(this, &QWizard::helpRequested, this, [this] { THelp::open(helpContext()); });
    THelp::installF1(this, [this] { return helpContext(); });
    // Escape either steps on like "&Next >" or, as in any dialog, closes the assistant.
    if (appContext.settings.closeOnEscape) {
        connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
                &TAssistant::pressNext);
    }

    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Modal over the main window only, so that help opened with F1 stays usable.
    setWindowModality(Qt::WindowModal);
}

void TAssistant::addPage(int id, TAssistantPage* page, int context) {
    setPage(id, page);
    helpContexts.insert(id, context);
}

void TAssistant::finishCreation() {
    restart();
    WindowRules::applyFontRule(this, appContext.settings);
    WindowRules::placeOverMainWindow(this, mainWindow);
}

int TAssistant::helpContext() const { return helpContexts.value(currentId(), 0); }

void TAssistant::pressNext() {
    QAbstractButton* next = button(nextId() == -1 ? QWizard::FinishButton : QWizard::NextButton);
    if (next->isEnabled()) next->click();
}

void TAssistant::done(int result) {
    commitPendingEdits();
    THintSwitch::instance()->setOn(false);
    if (mainWindow) mainWindow->show();
    QWizard::done(result);
}
