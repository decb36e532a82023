// What the main dialog tells its front end, so the front end shows every change as
// it happens and never has to ask. Row changes come in pairs, one before the rows
// change and one after, the way item views want them. Every member has an empty
// default.
#pragma once

#include <cstdint>

class MainDialogListener {
  public:
    virtual ~MainDialogListener() = default;

    // Rows first..last (inclusive) are about to be inserted / have been inserted.
    virtual void OnRowsAboutToBeInserted(int32_t first, int32_t last) {
        (void)first;
        (void)last;
    }
    virtual void OnRowsInserted() {}
    // Rows first..last (inclusive) are about to be removed / have been removed.
    virtual void OnRowsAboutToBeRemoved(int32_t first, int32_t last) {
        (void)first;
        (void)last;
    }
    virtual void OnRowsRemoved() {}
    // Row `from` is about to move to index `to` / has moved.
    virtual void OnRowAboutToMove(int32_t from, int32_t to) {
        (void)from;
        (void)to;
    }
    virtual void OnRowMoved() {}

    // The selected or focused rows changed.
    virtual void OnSelectionChanged() {}
    // Row `row` should be scrolled into view.
    virtual void OnRowRevealed(int32_t row) { (void)row; }
    // The width, height and rate fields were rewritten from the settings.
    virtual void OnFieldsChanged() {}
    // The keyboard focus moved (to a field, maybe with its text selected).
    virtual void OnFocusChanged() {}
    // The progress bar or its percent label changed.
    virtual void OnProgressChanged() {}
    // The picture-count or picture-size field changed.
    virtual void OnLabelsChanged() {}
    // The preview area shows something new.
    virtual void OnPreviewChanged() {}
    // A build or preview started or ended.
    virtual void OnRunningChanged() {}
    // The dialog ended (see MainDialog::GetEndResult).
    virtual void OnEnded() {}
};
