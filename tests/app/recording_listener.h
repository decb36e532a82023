// Hears everything MainDialog tells its front end: the row changes in order as text,
// and how often each other kind of change came. A hook runs at every revealed row, to
// look at the dialog in the middle of a build.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/main_dialog_listener.h"

struct RecordingListener : MainDialogListener {
    std::vector<std::string> rowChanges;
    int selectionChanges = 0;
    int fieldChanges = 0;
    int progressChanges = 0;
    int labelChanges = 0;
    int previewChanges = 0;
    int runningChanges = 0;
    int ends = 0;
    std::vector<int32_t> revealed;
    std::function<void()> onReveal;

    void OnRowsAboutToBeInserted(int32_t first, int32_t last) override {
        rowChanges.push_back("insert " + std::to_string(first) + "-" + std::to_string(last));
    }
    void OnRowsAboutToBeRemoved(int32_t first, int32_t last) override {
        rowChanges.push_back("remove " + std::to_string(first) + "-" + std::to_string(last));
    }
    void OnRowAboutToMove(int32_t from, int32_t to) override {
        rowChanges.push_back("move " + std::to_string(from) + ">" + std::to_string(to));
    }
    void OnSelectionChanged() override { ++selectionChanges; }
    void OnRowRevealed(int32_t row) override {
        revealed.push_back(row);
        if (onReveal) {
            onReveal();
        }
    }
    void OnFieldsChanged() override { ++fieldChanges; }
    void OnProgressChanged() override { ++progressChanges; }
    void OnLabelsChanged() override { ++labelChanges; }
    void OnPreviewChanged() override { ++previewChanges; }
    void OnRunningChanged() override { ++runningChanges; }
    void OnEnded() override { ++ends; }
};
