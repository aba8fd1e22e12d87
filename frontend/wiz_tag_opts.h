// TWizTagOpts: the compression options assistant. Five pages over the option sections of the
// settings file; every change is written there at once, and the engine reads them at the
// start of the next job.
#pragma once

#include "frontend/assistant.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class TCheckList;
class TSpinEdit;

// Tag replacement and removal: the 18 rows of "Tag Options" (one of them the front end's own
// ShortSpecials), the two buttons that set the rows to a prepared set, and the box that has
// jobs run the web template (Web in "Web Template").
class TagOptionsPage : public TAssistantPage {
    Q_OBJECT

  public:
    TagOptionsPage(TAppContext& context, QWidget* parent = nullptr);

    bool isRowChecked(int row) const;

  private:
    void selectSafeOptions();
    void selectAllOptions();

    TAppContext& appContext;
    TCheckList* tagCheckList;
};

// The entity level StandardizeChars as six radio buttons, and UseISOTag.
class EntityOptionsPage : public TAssistantPage {
    Q_OBJECT

  public:
    EntityOptionsPage(TAppContext& context, QWidget* parent = nullptr);

  private:
    QButtonGroup* levelButtonGroup;
    QCheckBox* isoCheckBox;
};

// BIG and SMALL for one-step font size changes.
class FontOptionsPage : public TAssistantPage {
    Q_OBJECT

  public:
    FontOptionsPage(TAppContext& context, QWidget* parent = nullptr);

  private:
    QCheckBox* bigSmallCheckBox;
};

// The eight "Fine Tuning" rows and the word-wrap limit.
class FineTuningPage : public TAssistantPage {
    Q_OBJECT

  public:
    FineTuningPage(TAppContext& context, QWidget* parent = nullptr);

    // Leaving the word-wrap field stores WordWrap, or removes it when the field is empty or
    // below the smallest width.
    void commitWordWrap();
    bool isEditingWordWrap() const;

  private:
    void enableWordWrap(bool enabled);

    TAppContext& appContext;
    TCheckList* fineTuningCheckList;
    QLabel* wordWrapLabel;
    TSpinEdit* wordWrapSpinEdit;
};

// The five "Script block options" rows.
class ScriptOptionsPage : public TAssistantPage {
    Q_OBJECT

  public:
    ScriptOptionsPage(TAppContext& context, QWidget* parent = nullptr);
};

class TWizTagOpts : public TAssistant {
    Q_OBJECT

  public:
    enum PageId { kTagPage, kEntityPage, kFontPage, kFineTuningPage, kScriptPage };

    // Tag page rows that decide which optional pages are visited.
    static constexpr int kShortSpecialsRow = 13;
    static constexpr int kShrinkFontTagsRow = 17;

    TWizTagOpts(TAppContext& context, QWidget* mainWindow);

    // The page sequence follows the tag page's rows 13 and 17 as they are checked now. Back
    // retraces the pages visited, which is the same path: both rows live on the tag page,
    // so they cannot change between going forward and coming back.
    int nextId() const override;

  protected:
    void commitPendingEdits() override;

  private:
    TagOptionsPage* tagPage;
    FineTuningPage* fineTuningPage;
};
