// Modal message boxes of the four kinds the program uses, owned by the application window,
// with one place where tests can take them over.
#pragma once

#include <QString>

#include <functional>

class QWidget;

class TMessageBox {
  public:
    enum class Kind { Question, Information, Warning, Error };

    // Receives every box instead of the screen; for a question its result is the answer
    // (true = Yes).
    using Interceptor = std::function<bool(Kind kind, const QString& caption, const QString& text)>;

    // Which button Enter presses in a question.
    enum class Default { Yes, No };

    // Yes/No; true for Yes. A question whose Yes destroys something defaults to No.
    static bool question(const QString& caption, const QString& text, QWidget* owner = nullptr,
                         Default defaultButton = Default::Yes);
    static void information(const QString& caption, const QString& text, QWidget* owner = nullptr);
    static void warning(const QString& caption, const QString& text, QWidget* owner = nullptr);
    static void error(const QString& caption, const QString& text, QWidget* owner = nullptr);

    // The window that owns boxes shown without an owner of their own (the main window).
    static void setApplicationWindow(QWidget* window);
    // Installs an interceptor (an empty one restores the screen) and returns the one before.
    static Interceptor setInterceptor(Interceptor interceptor);

  private:
    static bool show(Kind kind, const QString& caption, const QString& text, QWidget* owner,
                     Default defaultButton = Default::Yes);
};
