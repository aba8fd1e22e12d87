// Lets files from the file manager be dropped on a widget and hands over the first one.
#pragma once

#include <QObject>

class QMimeData;
class QWidget;

class TFileDropWatcher : public QObject {
    Q_OBJECT

  public:
    // Watches target (which accepts drops from now on); the watcher is the target's child.
    explicit TFileDropWatcher(QWidget* target);

    // The local path of the first file in a drag, or empty text when it carries none.
    static QString firstDroppedPath(const QMimeData* data);

  signals:
    // Files were dropped; only the first of several counts.
    void fileDropped(const QString& path);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
