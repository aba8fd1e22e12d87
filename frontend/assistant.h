// TAssistant: what the two option assistants share. Pages with a heading and a text, the
// buttons "&Hints", "H&elp", "< &Back" and "&Next >" (which reads "&Close" on the last page),
// help per page, Escape, and what closing does.
#pragma once

#include <QHash>
#include <QWizard>
#include <QWizardPage>

class QVBoxLayout;
class TAppContext;
class THintsCheckBox;

// A page that opens with its heading bar and a paragraph of text; the page adds its
// controls to layout().
class TAssistantPage : public QWizardPage {
    Q_OBJECT

  public:
    TAssistantPage(const QString& heading, const QString& text, QWidget* parent = nullptr);

    QString headingText() const;
    QString introText() const;

  protected:
    QVBoxLayout* pageLayout() const { return contentLayout; }

  private:
    QVBoxLayout* contentLayout;
    QString heading;
    QString intro;
};

class TAssistant : public QWizard {
    Q_OBJECT

  public:
    // The main window hides while the assistant is open and shows again when it closes.
    TAssistant(TAppContext& context, QWidget* mainWindow);

    // The help context of the page shown.
    int helpContext() const;
    // What "&Next >" does on the page shown: the next page, or closing on the last page.
    void pressNext();

    // Every way of closing ends here: hints go off and the main window shows again.
    void done(int result) override;

  protected:
    // Adds a page under its id with the help context that "H&elp" and F1 open on it.
    void addPage(int id, TAssistantPage* page, int helpContext);
    // The last step of a subclass's creation: the font rule, then placement over the main
    // window once every page is in.
    void finishCreation();
    // Called by done() before anything closes, for values that are written when a field
    // is left.
    virtual void commitPendingEdits() {}

    TAppContext& appContext;

  private:
    QWidget* mainWindow;
    THintsCheckBox* hintsCheckBox;
    QHash<int, int> helpContexts;
};
