// Lets files from the file manager be dropped on a widget and hands over the first one.
#include "toolkit/file_drop_watcher.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

TFileDropWatcher::TFileDropWatcher(QWidget* target) : QObject(target) {
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

QString TFileDropWatcher::firstDroppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return {};
    return urls.first().toLocalFile();
}

bool TFileDropWatcher::eventFilter(QObject* watched, QEvent* event) {
    // The watcher answers before the widget, so a text field never takes the drop as text.
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (firstDroppedPath(drag->mimeData()).isEmpty()) {
                drag->ignore();
            } else {
                drag->acceptProposedAction();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = firstDroppedPath(drop->mimeData());
            if (path.isEmpty()) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            emit fileDropped(path);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}
