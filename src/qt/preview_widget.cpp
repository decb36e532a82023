#include "qt/preview_widget.h"

#include <QImage>
#include <QPainter>

#include "image/drawing_surface.h"

PreviewWidget::PreviewWidget(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    QPalette frame = palette();
    frame.setColor(QPalette::WindowText, Qt::black);
    setPalette(frame);
}

void PreviewWidget::SetSurface(const DrawingSurface* surface) {
    surface_ = surface;
    update();
}

void PreviewWidget::paintEvent(QPaintEvent* event) {
    if (surface_ == nullptr || !surface_->IsValid()) {
        QFrame::paintEvent(event);
        return;
    }
    // The surface's rows are stored bottom-up in blue, green, red order.
    const QImage rows(surface_->Pixels(), surface_->Width(), surface_->Height(),
                      static_cast<qsizetype>(surface_->RowStride()), QImage::Format_BGR888);
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), rows.mirrored(false, true));
}
