#include "app/movie_options_dialog.h"

#include <utility>

#include "platform/platform.h"
#include "slideshow/movie_option_fields.h"
#include "slideshow/movie_timing.h"

namespace {

// Option i's control has id kFirstOptionId + i.
constexpr int kFirstOptionId = 1100;

// The template in dialog units: a row of 18 units per option, a check box across the
// row, or a label and a control beside it.
constexpr int kWidth = 212;
constexpr int kMargin = 7;
constexpr int kRowHeight = 18;
constexpr int kLabelWidth = 88;
constexpr int kControlX = kMargin + kLabelWidth + 4;
constexpr int kControlWidth = kWidth - kControlX - kMargin;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;

ControlKind KindOf(MovieOptionKind kind) {
    switch (kind) {
        case MovieOptionKind::kSwitch:
            return ControlKind::kCheckBox;
        case MovieOptionKind::kChoice:
            return ControlKind::kDropDownList;
        case MovieOptionKind::kText:
            break;
    }
    return ControlKind::kEdit;
}

DialogTemplate MakeTemplate() {
    DialogTemplate dialog;
    dialog.width = kWidth;
    int y = kMargin;
    const auto fields = MovieOptionFields();
    for (size_t i = 0; i < fields.size(); ++i, y += kRowHeight) {
        const MovieOptionField& field = fields[i];
        const int id = MovieOptionsDialog::ControlId(i);
        if (field.kind == MovieOptionKind::kSwitch) {
            dialog.controls.push_back({id, ControlKind::kCheckBox, field.caption, kMargin, y + 2,
                                       kWidth - 2 * kMargin, 10});
            continue;
        }
        dialog.controls.push_back({kIdStatic, ControlKind::kText, std::string(field.caption) + ":",
                                   kMargin, y + 3, kLabelWidth, 8});
        dialog.controls.push_back(
            {id, KindOf(field.kind), field.choices, kControlX, y, kControlWidth, kButtonHeight});
    }
    y += 4;
    const int cancelX = kWidth - kMargin - kButtonWidth;
    dialog.controls.push_back({kIdOptionsOk, ControlKind::kDefaultButton, "OK",
                               cancelX - 4 - kButtonWidth, y, kButtonWidth, kButtonHeight});
    dialog.controls.push_back({kIdOptionsCancel, ControlKind::kButton, "Cancel", cancelX, y,
                               kButtonWidth, kButtonHeight});
    dialog.height = y + kButtonHeight + kMargin;
    return dialog;
}

}  // namespace

MovieOptionsDialog::MovieOptionsDialog(Platform& platform, const MovieOptions& options,
                                       std::string messageCaption)
    : platform_(platform), messageCaption_(std::move(messageCaption)), options_(options) {
    for (const MovieOptionField& field : MovieOptionFields()) {
        texts_.push_back(field.write(options));
    }
}

const DialogTemplate& MovieOptionsDialog::Template() {
    static const DialogTemplate kTemplate = MakeTemplate();
    return kTemplate;
}

int MovieOptionsDialog::ControlId(size_t index) {
    return kFirstOptionId + static_cast<int>(index);
}

int MovieOptionsDialog::OptionIndex(int controlId) {
    const int index = controlId - kFirstOptionId;
    return index >= 0 && static_cast<size_t>(index) < MovieOptionFields().size() ? index : -1;
}

const std::string& MovieOptionsDialog::GetText(int controlId) const {
    static const std::string kNone;
    const int index = OptionIndex(controlId);
    return index < 0 ? kNone : texts_[static_cast<size_t>(index)];
}

void MovieOptionsDialog::SetText(int controlId, std::string text) {
    const int index = OptionIndex(controlId);
    if (index >= 0 && end_ == MovieOptionsDialogEnd::kOpen) {
        texts_[static_cast<size_t>(index)] = std::move(text);
    }
}

void MovieOptionsDialog::OnCommand(int id) {
    if (id == kIdOptionsOk) {
        OnOk();
    } else if (id == kIdOptionsCancel) {
        OnCancel();
    }
}

void MovieOptionsDialog::OnOk() {
    if (end_ != MovieOptionsDialogEnd::kOpen) {
        return;
    }
    MovieOptions read = options_;
    const auto fields = MovieOptionFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        std::string expected;
        if (!fields[i].read(texts_[i], read, expected)) {
            Refuse(InvalidOptionMessage(fields[i], texts_[i], expected), i);
            return;
        }
    }
    // Each text is sound on its own; the crossfade must also fit in the seconds.
    std::string conflict = CrossfadeConflict(read);
    if (!conflict.empty()) {
        conflict[0] = static_cast<char>(conflict[0] - 'a' + 'A');
        Refuse(conflict + ".",
               static_cast<size_t>(FindMovieOptionField("crossfade") - fields.data()));
        return;
    }
    options_ = read;
    end_ = MovieOptionsDialogEnd::kOk;
}

void MovieOptionsDialog::Refuse(const std::string& message, size_t index) {
    platform_.ShowMessageBox(message, MessageIcon::kExclamation, messageCaption_);
    focus_ = ControlId(index);
    if (focusListener_) {
        focusListener_();
    }
}

void MovieOptionsDialog::OnCancel() {
    if (end_ == MovieOptionsDialogEnd::kOpen) {
        end_ = MovieOptionsDialogEnd::kCancel;
    }
}
