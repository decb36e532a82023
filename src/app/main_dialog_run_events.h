// What a build or preview reports, carried to the user-interface thread and shown
// there. The worker leaves each event in a mailbox that keeps only the latest
// progress and the latest picture, and posts one piece of work to take them while
// none is waiting: a run faster than the screen shows its latest state, never a
// backlog of frames the user cannot see anyway. Shared by the build and the preview
// handlers of MainDialog.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "app/main_dialog.h"

class MainDialog::RunEvents final : public SlideshowEvents {
  public:
    RunEvents(MainDialog& dialog, const PostToInterface& post, RunKind kind)
        : dialog_(dialog), post_(post), mailbox_(std::make_shared<Mailbox>(kind)) {}

    void OnEntryStarted(const EntryStarted& event) override {
        Deliver([&event](Mailbox& mailbox) { mailbox.entry = event; });
    }
    void OnFrameProduced(FrameProduced event) override {
        Deliver([&event](Mailbox& mailbox) { mailbox.frame = std::move(event); });
    }

  private:
    struct Mailbox {
        explicit Mailbox(RunKind runKind) : kind(runKind) {}
        const RunKind kind;
        std::mutex mutex;
        std::optional<EntryStarted> entry;
        std::optional<FrameProduced> frame;
        bool taking = false;  // a piece of work that takes the mail is on its way
        // Rows up to this one are selected already (touched on the interface's thread).
        int32_t selectedThrough = -1;
    };

    template <typename Put>
    void Deliver(const Put& put) {
        {
            const std::lock_guard<std::mutex> lock(mailbox_->mutex);
            put(*mailbox_);
            if (mailbox_->taking) {
                return;
            }
            mailbox_->taking = true;
        }
        MainDialog* dialog = &dialog_;
        post_([dialog, mailbox = mailbox_] { Show(*dialog, *mailbox); });
    }

    static void Show(MainDialog& dialog, Mailbox& mailbox) {
        std::optional<EntryStarted> entry;
        std::optional<FrameProduced> frame;
        {
            const std::lock_guard<std::mutex> lock(mailbox.mutex);
            entry.swap(mailbox.entry);
            frame.swap(mailbox.frame);
            mailbox.taking = false;
        }
        if (entry) {
            // The bar stands at the entry's share before the entry is worked on, and
            // selection adds up over the run. A build also moves the focus mark to the
            // row and scrolls it into view; a preview does neither.
            const bool build = mailbox.kind == RunKind::kBuild;
            dialog.SetProgress(entry->percent);
            dialog.SelectRows(mailbox.selectedThrough + 1, entry->index, build);
            mailbox.selectedThrough = std::max(mailbox.selectedThrough, entry->index);
            if (build) {
                dialog.visibleRow_ = entry->index;
                if (dialog.listener_ != nullptr) {
                    dialog.listener_->OnRowRevealed(entry->index);
                }
            }
        }
        if (frame) {
            dialog.DrawPreview(frame->preview.get());
            dialog.SetPictureSizeText(frame->sizeText);
            dialog.WriteFieldsToControls();
        }
    }

    MainDialog& dialog_;
    const PostToInterface& post_;
    std::shared_ptr<Mailbox> mailbox_;
};
