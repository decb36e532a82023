// HyperlinkLabel: a static text that looks and acts like a web link, as plain state
// and operations. The front end shows the window text at GetWindowRect(), underlined
// when GetUnderline(), in GetTextColor() on a transparent background, with the
// pointing-hand cursor while OnSetCursor() says so and GetTooltipText() as its
// tooltip; it forwards mouse moves and clicks, holds the mouse grab while
// IsMouseCaptured(), and hears of every change through a listener.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/application_name.h"
#include "platform/platform.h"

// A rectangle in pixels; right and bottom lie just outside it.
struct LabelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    friend bool operator==(const LabelRect&, const LabelRect&) = default;
};

struct TextSize {
    int32_t width = 0;
    int32_t height = 0;
};

// The size of a text drawn in the label's font, as the front end measures it.
using TextMeasure = std::function<TextSize(const std::string& text)>;

// Style flags of a static text control.
inline constexpr uint32_t kStaticCenter = 0x0001;
inline constexpr uint32_t kStaticRight = 0x0002;
inline constexpr uint32_t kStaticNotify = 0x0100;
inline constexpr uint32_t kStaticCenterImage = 0x0200;

// `window` (in the parent's client coordinates) shrunk or grown to `text`: vertically
// centred with the centre-image flag, else from its top; horizontally centred with
// the centre flag, else kept at its right edge with the right flag, else at its left.
// Centring moves both edges by half the difference, truncated towards zero.
LabelRect FitLabelToText(const LabelRect& window, TextSize text, uint32_t style);

// The link cursor: none, or the desktop's pointing hand.
enum class LinkCursor { kNone, kHand };

// What a label tells its front end. Every member has an empty default.
class HyperlinkLabelListener {
  public:
    virtual ~HyperlinkLabelListener() = default;
    // The text colour may have changed: repaint now.
    virtual void OnLabelRedraw() {}
    // The underline flag changed: rebuild the font from the current one.
    virtual void OnLabelFontChanged() {}
    // The window rectangle changed: move and size the window, keeping its z-order.
    virtual void OnLabelMoved() {}
    // The mouse capture was taken or released.
    virtual void OnLabelCaptureChanged() {}
    // The tooltip's text changed.
    virtual void OnLabelTooltipChanged() {}
};

class HyperlinkLabel {
  public:
    static constexpr RgbColor kDefaultLinkColor{0, 0, 238};
    static constexpr RgbColor kDefaultVisitedColor{85, 26, 139};

    // The hover colour is the system's highlight, read now. Failed launches are
    // reported under `caption`.
    explicit HyperlinkLabel(Platform& platform, std::string caption = kApplicationName);
    HyperlinkLabel(const HyperlinkLabel&) = delete;
    HyperlinkLabel& operator=(const HyperlinkLabel&) = delete;

    void SetListener(HyperlinkLabelListener* listener) { listener_ = listener; }

    // Binds the label to its control window: adds the notify style; an empty URL is
    // taken from the window text and an empty window text from the URL; then fits
    // the window to its text, sets the default cursor and makes the tooltip show the
    // URL. `rect` is the window in its parent's client coordinates, `measure` sizes a
    // text in the label's font.
    void Attach(std::string windowText, uint32_t style, const LabelRect& rect, TextMeasure measure);
    bool IsAttached() const { return attached_; }

    // --- settings ---------------------------------------------------------------------
    // Once attached, a new URL refits the window and becomes the tooltip.
    void SetUrl(std::string url);
    const std::string& GetUrl() const { return url_; }
    // No hover colour means the system highlight.
    void SetColors(RgbColor link, RgbColor visited, std::optional<RgbColor> hover = std::nullopt);
    RgbColor GetLinkColor() const { return linkColor_; }
    RgbColor GetVisitedColor() const { return visitedColor_; }
    RgbColor GetHoverColor() const { return hoverColor_; }
    void SetVisited(bool visited = true);
    bool GetVisited() const { return visited_; }
    // kNone sets the default cursor.
    void SetLinkCursor(LinkCursor cursor);
    LinkCursor GetLinkCursor() const { return linkCursor_; }
    void SetUnderline(bool underline = true);
    bool GetUnderline() const { return underline_; }
    // Once attached, turning it on fits the window to its text.
    void SetAutoSize(bool autoSize = true);
    bool GetAutoSize() const { return adjustToFit_; }

    // Fits the window to its text (FitLabelToText), when attached and auto-sized.
    void PositionWindow();
    // Only while no link cursor is set: the pointing hand becomes the link cursor.
    void SetDefaultCursor();

    // --- events -----------------------------------------------------------------------
    // The pointer moved to (x, y) in the label's client coordinates. The first move
    // over the label sets the over state and takes the mouse capture, so the label
    // sees the pointer leave; the first move outside it then clears both.
    void OnMouseMove(int32_t x, int32_t y);
    // The cursor request: true when the link cursor should be shown.
    bool OnSetCursor() const { return linkCursor_ != LinkCursor::kNone; }
    // The colour request: hover while the pointer is over the label, else visited if
    // it was opened, else the link colour.
    RgbColor GetTextColor() const;
    // Opens the URL (show mode 5). Success marks the label visited; failure clears
    // visited, beeps and reports the launch error.
    void OnClick();

    // --- what the front end shows -------------------------------------------------------
    const std::string& GetWindowText() const { return windowText_; }
    uint32_t GetStyle() const { return style_; }
    const LabelRect& GetWindowRect() const { return windowRect_; }
    bool IsOverControl() const { return overControl_; }
    bool IsMouseCaptured() const { return captured_; }
    // The tooltip exists from the attach on and shows the URL.
    std::string GetTooltipText() const { return attached_ ? url_ : std::string(); }

  private:
    void Redraw();

    Platform& platform_;
    std::string caption_;
    HyperlinkLabelListener* listener_ = nullptr;

    RgbColor linkColor_ = kDefaultLinkColor;
    RgbColor visitedColor_ = kDefaultVisitedColor;
    RgbColor hoverColor_;
    bool overControl_ = false;
    bool visited_ = false;
    bool underline_ = true;
    bool adjustToFit_ = true;
    std::string url_;
    LinkCursor linkCursor_ = LinkCursor::kNone;

    bool attached_ = false;
    bool captured_ = false;
    std::string windowText_;
    uint32_t style_ = 0;
    LabelRect windowRect_;
    TextMeasure measure_;
};
