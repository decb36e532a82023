// reelwright-drag-source PATH...: a small window titled "drag source" that starts a
// drag of the given files and folders (as a file manager does, with file URLs) when
// the mouse is pressed on it. The real-input suite drags from it onto the dialog.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class DragSource final : public QWidget {
  public:
    explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
        setWindowTitle("drag source");
        setFixedSize(160, 120);
    }

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            return;
        }
        auto* files = new QMimeData;
        files->setUrls(urls_);
        auto* drag = new QDrag(this);
        drag->setMimeData(files);
        drag->exec(Qt::CopyAction);
    }

  private:
    QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) {
        urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
    }
    DragSource source(urls);
    source.move(900, 700);
    source.show();
    return application.exec();
}
