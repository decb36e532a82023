// A static text or picture that reports a left click, as a static control with the
// notify style does.
#pragma once

#include <QLabel>
#include <QMouseEvent>
#include <functional>

class ClickableLabel final : public QLabel {
  public:
    ClickableLabel(QWidget* parent, std::function<void()> onClick)
        : QLabel(parent), onClick_(std::move(onClick)) {}

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            onClick_();
        }
        QLabel::mouseReleaseEvent(event);
    }

  private:
    std::function<void()> onClick_;
};
