// TFirstTime: the welcome window shown once, the first time the program runs.
#include "frontend/first_time.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/app_settings.h"
#include "frontend/help_viewer.h"
#include "frontend/window_rules.h"
#include "toolkit/gradient_caption.h"

namespace {

constexpr const char* kCaption = QT_TRANSLATE_NOOP("TFirstTime", "Welcome to Tagsqueeze freeware ");
constexpr const char* kHeading =
    QT_TRANSLATE_NOOP("TFirstTime", "A few important notes about the application...");
constexpr const char* kParagraphs[] = {
    QT_TRANSLATE_NOOP("TFirstTime",
                      "This introductory message will only appear the first time the software is "
                      "run after a new install. Please take the time to read it through "
                      "completely."),
    QT_TRANSLATE_NOOP("TFirstTime",
                      "Thanks for taking the time to try Tagsqueeze freeware version. Since this "
                      "is the first time you have run Tagsqueeze, we'd like to take a moment to "
                      "point out some important features of the program. Because this program "
                      "acts directly on the content of HTML documents, it is important that you "
                      "recognize the limitations and risks involved in using the program."),
    QT_TRANSLATE_NOOP("TFirstTime",
                      "First of all, while Tagsqueeze comes ready to use with a preset selection "
                      "of compression options and safety features, note that selection of "
                      "certain features can have adverse effects on some types of HTML "
                      "documents. Always make backups of documents before compressing!"),
    QT_TRANSLATE_NOOP("TFirstTime",
                      "Also note that this is a tool designed both for casual authors and "
                      "professional HTML developers. The helpfiles contain a wealth of technical "
                      "data. You don't need to study the whole helpfile to use the program, but "
                      "we strongly recommend browsing the introductory and how-to topics."),
};
constexpr const char* kOk = QT_TRANSLATE_NOOP("TFirstTime", "&OK");

constexpr int kTextWidth = 440;

}  // namespace

TFirstTime::TFirstTime(TAppContext& context, QWidget* mainWindow)
    : QDialog(mainWindow),
      headingCaption(new TGradientCaption(tr(kHeading), this)),
      okPushButton(new QPushButton(tr(kOk), this)) {
    setObjectName(QStringLiteral("firstTime"));
    context.settingsFile().writeText(Ini::kGeneralOptions, Ini::kUsedOnce, QStringLiteral("1"));

    setWindowTitle(tr(kCaption));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(headingCaption);
    for (const char* paragraph : kParagraphs) {
        auto* label = new QLabel(tr(paragraph), this);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setFixedWidth(kTextWidth);
        paragraphLabels.append(label);
        layout->addWidget(label);
    }

    // One button that is both the default (Enter) and the cancel button (Escape).
    okPushButton->setDefault(true);
    okPushButton->setAutoDefault(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(okPushButton, QDialogButtonBox::AcceptRole);
    layout->addWidget(buttons);
    connect(okPushButton, &QPushButton::clicked, this, &QDialog::accept);

    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Modal over the main window only, so that help opened with F1 stays usable.
    setWindowModality(Qt::WindowModal);
    THelp::installF1(this, HelpContext::kFirstRun);
    WindowRules::applyFontRule(this, context.settings);
    setFixedSize(sizeHint());
    WindowRules::placeOverMainWindow(this, mainWindow);
}

QString TFirstTime::headingText() const { return headingCaption->text(); }

QStringList TFirstTime::paragraphTexts() const {
    QStringList texts;
    for (const QLabel* label : paragraphLabels)
        texts.append(label->text());
    return texts;
}
