// A Qt label that shows a HyperlinkLabel: its text underlined in the colour of its
// state, the pointing hand over it, its address as the tooltip, its size fitted to
// its text. Mouse moves go to the label; a click goes to the owner's callback, so
// the owner can refuse it (the main dialog does during a run).
#pragma once

#include <QLabel>
#include <functional>

#include "app/hyperlink_label.h"

class HyperlinkLabelWidget final : public QLabel, private HyperlinkLabelListener {
  public:
    explicit HyperlinkLabelWidget(QWidget* parent);
    ~HyperlinkLabelWidget() override;

    // Shows `label` and attaches it with the widget's text, style and geometry (set
    // those first); `onClick` runs on each click.
    void Bind(HyperlinkLabel& label, uint32_t style, std::function<void()> onClick);
    // Shows `label` that the caller attaches itself (the About box binds its labels
    // in their declared order); the widget follows it from then on.
    void Follow(HyperlinkLabel& label, std::function<void()> onClick);
    // The size of `text` in the label's (underlined) font.
    TextSize Measure(const std::string& text) const;

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    // HyperlinkLabelListener
    void OnLabelRedraw() override;
    void OnLabelFontChanged() override;
    void OnLabelMoved() override;
    void OnLabelCaptureChanged() override;
    void OnLabelTooltipChanged() override;

    void ShowAll();

    HyperlinkLabel* label_ = nullptr;
    std::function<void()> onClick_;
};
