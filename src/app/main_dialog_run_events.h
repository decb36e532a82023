// What a build or preview reports, carried to the user-interface thread and shown
// there: the worker only posts copies of the events. Shared by the build and the
// preview handlers of MainDialog.
#pragma once

#include <utility>

#include "app/main_dialog.h"

class MainDialog::RunEvents final : public SlideshowEvents {
  public:
    RunEvents(MainDialog& dialog, const PostToInterface& post, RunKind kind)
        : dialog_(dialog), post_(post), kind_(kind) {}

    void OnEntryStarted(const EntryStarted& event) override {
        MainDialog* dialog = &dialog_;
        const RunKind kind = kind_;
        post_([dialog, event, kind] {
            // The bar stands at the entry's share before the entry is worked on, and
            // selection adds up over the run. A build also moves the focus mark to the
            // row and scrolls it into view; a preview does neither.
            dialog->SetProgress(event.percent);
            dialog->SelectRow(event.index, kind == RunKind::kBuild);
            if (kind == RunKind::kBuild) {
                dialog->visibleRow_ = event.index;
                if (dialog->listener_ != nullptr) {
                    dialog->listener_->OnRowRevealed(event.index);
                }
            }
        });
    }
    void OnFrameProduced(FrameProduced event) override {
        MainDialog* dialog = &dialog_;
        post_([dialog, event = std::move(event)] {
            dialog->DrawPreview(event.preview.get());
            dialog->SetPictureSizeText(event.sizeText);
            dialog->WriteFieldsToControls();
        });
    }

  private:
    MainDialog& dialog_;
    const PostToInterface& post_;
    RunKind kind_;
};
