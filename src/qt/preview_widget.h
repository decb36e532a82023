// The preview area: a black frame showing the dialog's drawing surface. It paints
// from the surface every time, so the picture survives the window being covered.
#pragma once

#include <QFrame>

class DrawingSurface;

class PreviewWidget final : public QFrame {
  public:
    explicit PreviewWidget(QWidget* parent = nullptr);
    // The surface to show (null shows the empty frame); the caller keeps it alive.
    void SetSurface(const DrawingSurface* surface);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const DrawingSurface* surface_ = nullptr;
};
