#include "app/hyperlink_label.h"

#include <utility>

#include "app/launch_error.h"
#include "app/launch_url.h"

LabelRect FitLabelToText(const LabelRect& window, TextSize text, uint32_t style) {
    LabelRect fitted = window;
    if ((style & kStaticCenterImage) != 0) {
        const int32_t inset = (window.Height() - text.height) / 2;
        fitted.top += inset;
        fitted.bottom -= inset;
    } else {
        fitted.bottom = fitted.top + text.height;
    }
    if ((style & kStaticCenter) != 0) {
        const int32_t inset = (window.Width() - text.width) / 2;
        fitted.left += inset;
        fitted.right -= inset;
    } else if ((style & kStaticRight) != 0) {
        fitted.left = fitted.right - text.width;
    } else {
        fitted.right = fitted.left + text.width;
    }
    return fitted;
}

HyperlinkLabel::HyperlinkLabel(Platform& platform, std::string caption)
    : platform_(platform),
      caption_(std::move(caption)),
      hoverColor_(platform.GetHighlightColor()) {}

void HyperlinkLabel::Attach(std::string windowText, uint32_t style, const LabelRect& rect,
                            TextMeasure measure) {
    style_ = style | kStaticNotify;
    windowText_ = std::move(windowText);
    windowRect_ = rect;
    measure_ = std::move(measure);
    if (url_.empty()) {
        url_ = windowText_;
    }
    if (windowText_.empty()) {
        windowText_ = url_;
    }
    attached_ = true;
    if (listener_ != nullptr) {
        listener_->OnLabelFontChanged();
    }
    PositionWindow();
    SetDefaultCursor();
    if (listener_ != nullptr) {
        listener_->OnLabelTooltipChanged();
    }
}

void HyperlinkLabel::SetUrl(std::string url) {
    url_ = std::move(url);
    if (attached_) {
        PositionWindow();
        if (listener_ != nullptr) {
            listener_->OnLabelTooltipChanged();
        }
    }
}

void HyperlinkLabel::SetColors(RgbColor link, RgbColor visited, std::optional<RgbColor> hover) {
    linkColor_ = link;
    visitedColor_ = visited;
    hoverColor_ = hover ? *hover : platform_.GetHighlightColor();
    Redraw();
}

void HyperlinkLabel::SetVisited(bool visited) {
    visited_ = visited;
    Redraw();
}

void HyperlinkLabel::SetLinkCursor(LinkCursor cursor) {
    linkCursor_ = cursor;
    if (cursor == LinkCursor::kNone) {
        SetDefaultCursor();
    }
}

void HyperlinkLabel::SetUnderline(bool underline) {
    underline_ = underline;
    if (attached_ && listener_ != nullptr) {
        listener_->OnLabelFontChanged();
    }
    Redraw();
}

void HyperlinkLabel::SetAutoSize(bool autoSize) {
    adjustToFit_ = autoSize;
    PositionWindow();
}

void HyperlinkLabel::PositionWindow() {
    if (!attached_ || !adjustToFit_) {
        return;
    }
    const TextSize text = measure_ ? measure_(windowText_) : TextSize{};
    windowRect_ = FitLabelToText(windowRect_, text, style_);
    if (listener_ != nullptr) {
        listener_->OnLabelMoved();
    }
}

void HyperlinkLabel::SetDefaultCursor() {
    if (linkCursor_ == LinkCursor::kNone) {
        linkCursor_ = LinkCursor::kHand;
    }
}

void HyperlinkLabel::OnMouseMove(int32_t x, int32_t y) {
    if (overControl_) {
        const bool inside = x >= 0 && y >= 0 && x < windowRect_.Width() && y < windowRect_.Height();
        if (!inside) {
            overControl_ = false;
            captured_ = false;
            if (listener_ != nullptr) {
                listener_->OnLabelCaptureChanged();
            }
            Redraw();
        }
        return;
    }
    overControl_ = true;
    Redraw();
    captured_ = true;
    if (listener_ != nullptr) {
        listener_->OnLabelCaptureChanged();
    }
}

RgbColor HyperlinkLabel::GetTextColor() const {
    if (overControl_) {
        return hoverColor_;
    }
    return visited_ ? visitedColor_ : linkColor_;
}

void HyperlinkLabel::OnClick() {
    const int result = LaunchUrl(platform_, url_, kShowNormal);
    visited_ = result > kShellOpenFailureLimit;
    if (visited_) {
        SetVisited(true);
        return;
    }
    // The label shows the link colour again at once, not only at its next repaint.
    Redraw();
    platform_.Beep(kBeepExclamation);
    ReportLaunchError(platform_, result, caption_);
}

void HyperlinkLabel::Redraw() {
    if (attached_ && listener_ != nullptr) {
        listener_->OnLabelRedraw();
    }
}
