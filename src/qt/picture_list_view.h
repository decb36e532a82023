// The picture list's view: a table that reports a left click only after it has
// settled its own selection on the clicked row (a press on a row that is already
// selected keeps the whole selection until the release), a right click with the row
// under the mouse, and picture files or folders dropped on it from a file manager.
#pragma once

#include <QTableView>
#include <functional>
#include <string>
#include <vector>

class PictureListView final : public QTableView {
  public:
    struct Handlers {
        // A left click; the row under the mouse, -1 for none.
        std::function<void(int row)> onClick;
        // A right click at a screen position; the row under the mouse, -1 for none.
        std::function<void(int row, QPoint screenPosition)> onRightClick;
        // Whether a drop would be taken now.
        std::function<bool()> acceptsDrops;
        // Local files and folders dropped, in the order the drag carried them.
        std::function<void(const std::vector<std::string>& paths)> onDrop;
    };

    PictureListView(QWidget* parent, Handlers handlers);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    Handlers handlers_;
};
