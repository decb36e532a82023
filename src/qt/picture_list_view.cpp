#include "qt/picture_list_view.h"

#include <QContextMenuEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <utility>

namespace {

std::vector<std::string> LocalPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    return paths;
}

}  // namespace

PictureListView::PictureListView(QWidget* parent, Handlers handlers)
    : QTableView(parent), handlers_(std::move(handlers)) {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
}

void PictureListView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        handlers_.onClick(index.isValid() ? index.row() : -1);
    }
}

void PictureListView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(event->pos());
    handlers_.onRightClick(index.isValid() ? index.row() : -1, event->globalPos());
    event->accept();
}

void PictureListView::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void PictureListView::dragMoveEvent(QDragMoveEvent* event) {
    if (handlers_.acceptsDrops() && !LocalPaths(event->mimeData()).empty()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void PictureListView::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = LocalPaths(event->mimeData());
    if (!handlers_.acceptsDrops() || paths.empty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    handlers_.onDrop(paths);
}
