#include "qt/hyperlink_label_widget.h"

#include <QMouseEvent>

HyperlinkLabelWidget::HyperlinkLabelWidget(QWidget* parent) : QLabel(parent) {
    setMouseTracking(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
}

HyperlinkLabelWidget::~HyperlinkLabelWidget() {
    if (label_ != nullptr) {
        label_->SetListener(nullptr);
    }
}

TextSize HyperlinkLabelWidget::Measure(const std::string& text) const {
    QFont underlined = font();
    underlined.setUnderline(label_ == nullptr || label_->GetUnderline());
    const QFontMetrics metrics(underlined);
    return {metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
}

void HyperlinkLabelWidget::Follow(HyperlinkLabel& label, std::function<void()> onClick) {
    label_ = &label;
    onClick_ = std::move(onClick);
    label_->SetListener(this);
    ShowAll();
}

void HyperlinkLabelWidget::Bind(HyperlinkLabel& label, uint32_t style,
                                std::function<void()> onClick) {
    Follow(label, std::move(onClick));
    const QRect rect = geometry();
    label.Attach(
        text().toStdString(), style,
        LabelRect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()},
        [this](const std::string& text) { return Measure(text); });
    ShowAll();
}

void HyperlinkLabelWidget::ShowAll() {
    if (label_ == nullptr) {
        return;
    }
    if (!label_->GetWindowText().empty()) {
        setText(QString::fromStdString(label_->GetWindowText()));
    }
    OnLabelFontChanged();
    OnLabelMoved();
    OnLabelTooltipChanged();
    OnLabelRedraw();
}

void HyperlinkLabelWidget::mouseMoveEvent(QMouseEvent* event) {
    if (label_ != nullptr) {
        const QPoint at = event->position().toPoint();
        label_->OnMouseMove(at.x(), at.y());
    }
    QLabel::mouseMoveEvent(event);
}

void HyperlinkLabelWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick_) {
        onClick_();
    }
    QLabel::mouseReleaseEvent(event);
}

void HyperlinkLabelWidget::OnLabelRedraw() {
    const RgbColor colour = label_->GetTextColor();
    QPalette shown = palette();
    shown.setColor(QPalette::WindowText, QColor(colour.red, colour.green, colour.blue));
    setPalette(shown);
    if (label_->OnSetCursor()) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
    repaint();
}

void HyperlinkLabelWidget::OnLabelFontChanged() {
    QFont underlined = font();
    underlined.setUnderline(label_->GetUnderline());
    setFont(underlined);
}

void HyperlinkLabelWidget::OnLabelMoved() {
    if (!label_->IsAttached()) {
        return;
    }
    const LabelRect& rect = label_->GetWindowRect();
    setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
}

void HyperlinkLabelWidget::OnLabelCaptureChanged() {
    // The label's capture is only its way to see the pointer leave. Qt tells every
    // widget that the pointer left (leaveEvent), so no grab is taken here: a grab held
    // while a click opens a message box would keep the mouse from that box.
}

void HyperlinkLabelWidget::leaveEvent(QEvent* event) {
    if (label_ != nullptr && label_->IsOverControl()) {
        label_->OnMouseMove(-1, -1);
    }
    QLabel::leaveEvent(event);
}

void HyperlinkLabelWidget::OnLabelTooltipChanged() {
    setToolTip(QString::fromStdString(label_->GetTooltipText()));
}
