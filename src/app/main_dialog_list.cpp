// The picture list: adding files and folders, removing, reordering, and the right
// click's context menu.
#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>
#include <utility>

#include "app/dialog_ids.h"
#include "app/main_dialog.h"
#include "platform/platform.h"
#include "slideshow/folder_scan.h"
#include "slideshow/picture_file_name.h"

namespace {

// The first filter, the one shown, keeps its original label, and shows the newer
// formats' pictures too; each newer format has an entry of its own after the original
// ones, where its extensions are named.
constexpr const char* kPictureFileFilter =
    "ALL(*.bmp;*.jpeg;*.jpg;*.tga;*.ico;*.png)|"
    "*.bmp;*.jpeg;*.jpg;*.tga;*.ico;*.png;*.webp;*.heic;*.heif;*.avif|"
    "JPG Files(*.jpg)|*.jpg|BMP Files(*.bmp)|*.bmp|ICO Files(*.ico)|*.ico|"
    "TGA Files(*.tga)|*.tga|PNG Files(*.png)|*.png|"
    "WebP Files(*.webp)|*.webp|HEIF Files(*.heic;*.heif)|*.heic;*.heif|"
    "AVIF Files(*.avif)|*.avif|";
constexpr size_t kFileNameBufferCapacity = 10000;
constexpr const char* kFolderDialogTitle = "Open";
constexpr const char* kAddFailedMessage = "Open file failed";
constexpr const char* kFirstRowMessage = "It's the first row!";
constexpr const char* kLastRowMessage = "It's the last row!";

// The list's context menu: its two column breaks are shown as separators.
const std::vector<MenuItem>& ContextMenuItems() {
    static const std::vector<MenuItem> items{
        {kIdMenuRemove, "Remove"},      {kIdMenuRemoveAll, "Remove All"},     {kIdMenuBreak1, ""},
        {kIdMenuAddFiles, "Add Files"}, {kIdMenuAddFolder, "Add Folder"},     {kIdMenuBreak2, ""},
        {kIdMenuPreview, "Preview"},    {kIdMenuSaveAsFlash, "Save As Flash"}};
    return items;
}

// The folder part of a path, without its last '/'; "/" for a file at the root.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string WithEndingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

}  // namespace

void MainDialog::InsertListRow(int32_t number, std::string path) {
    const int32_t count = static_cast<int32_t>(rows_.size());
    InsertRowAt(std::clamp(number, 0, count), number, std::move(path));
}

void MainDialog::InsertRowAt(int32_t index, int32_t number, std::string path) {
    if (listener_ != nullptr) {
        listener_->OnRowsAboutToBeInserted(index, index);
    }
    ImageListRow row;
    row.number = std::to_string(number);
    row.path = std::move(path);
    rows_.insert(rows_.begin() + index, std::move(row));
    if (listener_ != nullptr) {
        listener_->OnRowsInserted();
    }
}

void MainDialog::AppendRow(std::string path) {
    const int32_t count = static_cast<int32_t>(rows_.size());
    InsertListRow(count + 1, std::move(path));
}

void MainDialog::RemoveRows(int32_t first, int32_t count) {
    if (count <= 0) {
        return;
    }
    if (listener_ != nullptr) {
        listener_->OnRowsAboutToBeRemoved(first, first + count - 1);
    }
    rows_.erase(rows_.begin() + first, rows_.begin() + first + count);
    if (listener_ != nullptr) {
        listener_->OnRowsRemoved();
    }
}

void MainDialog::SelectSecondRow() {
    SelectRow(1, true);
}

void MainDialog::OnAddImages() {
    if (running_) {
        return;
    }
    OpenFilesRequest request;
    request.filter = kPictureFileFilter;
    request.nameBufferCapacity = kFileNameBufferCapacity;
    request.initialFolder = pictureFolder_;
    const std::optional<std::vector<std::string>> chosen = platform_.ShowOpenFilesDialog(request);
    if (!chosen) {
        return;
    }
    if (!chosen->empty()) {
        pictureFolder_ = FolderOf(chosen->front());
    }
    int32_t number = 0;
    for (const std::string& path : *chosen) {
        // A pipe, device or socket the dialog let through is no picture, and a pipe
        // would block the build: it is left out, as "Add folder" leaves it out.
        if (IsNoRegularFile(path)) {
            continue;
        }
        if (!InsertChosenFile(++number, path)) {
            break;
        }
    }
    ShowPictureCount();
    WriteFieldsToControls();
    ResetProgress();
    WriteFieldsToControls();
    SelectSecondRow();
}

void MainDialog::OnAddFolder() {
    if (running_) {
        return;
    }
    const std::optional<std::string> chosen =
        platform_.ShowFolderDialog(kFolderDialogTitle, pictureFolder_);
    if (!chosen || chosen->empty()) {
        return;
    }
    pictureFolder_ = *chosen;
    AddFolderContents(WithEndingSlash(*chosen));
    ShowPictureCount();
    ResetProgress();
    WriteFieldsToControls();
}

void MainDialog::AddFolderContents(const std::string& folder) {
    RemoveRows(0, static_cast<int32_t>(rows_.size()));
    int32_t number = 0;
    AppendFolderPictures(folder, number);
}

bool MainDialog::AppendFolderPictures(const std::string& folder, int32_t& number) {
    const FolderScan scan = ScanFolderForPictures(folder);
    if (!scan.error.empty()) {
        ShowMessage("The folder \"" + folder + "\" cannot be read: " + scan.error);
        return true;
    }
    for (const std::string& path : scan.paths) {
        ++number;
        try {
            InsertRowAt(static_cast<int32_t>(rows_.size()), number, path);
        } catch (const std::bad_alloc&) {
            ShowMessage(kAddFailedMessage);
            continue;
        }
        if (number == kMaxFilesPerAdd) {
            ShowLimitMessage();
            return false;
        }
    }
    return true;
}

bool MainDialog::InsertChosenFile(int32_t number, const std::string& path) {
    // Each file goes in at the index of its place in the selection, numbered from 1.
    InsertListRow(number, path);
    if (number == kMaxFilesPerAdd) {
        ShowLimitMessage();
        return false;
    }
    return true;
}

void MainDialog::OnDropPaths(const std::vector<std::string>& paths) {
    if (running_ || endResult_ != 0) {
        return;
    }
    int32_t number = 0;
    bool filesAdded = false;
    for (const std::string& path : paths) {
        std::error_code error;
        const bool folder = std::filesystem::is_directory(path, error);
        // Only names the open dialog's picture filter shows are taken, and only
        // files: a pipe, device or socket is left out, as "Add folder" leaves it out.
        if (!folder && (!IsPictureFileName(path) || IsNoRegularFile(path))) {
            continue;
        }
        pictureFolder_ = folder ? path : FolderOf(path);
        filesAdded = filesAdded || !folder;
        const bool more = folder ? AppendFolderPictures(WithEndingSlash(path), number)
                                 : InsertChosenFile(++number, path);
        if (!more) {
            break;
        }
    }
    if (number == 0) {
        return;
    }
    ShowPictureCount();
    ResetProgress();
    WriteFieldsToControls();
    if (filesAdded) {
        SelectSecondRow();
    }
}

void MainDialog::OnRemove() {
    if (running_) {
        return;
    }
    // Every selected row goes; blocks of neighbours go together, from the bottom up so
    // the indexes still to come stay valid.
    int32_t end = static_cast<int32_t>(rows_.size());
    while (end > 0) {
        if (!rows_[static_cast<size_t>(end - 1)].selected) {
            --end;
            continue;
        }
        int32_t first = end - 1;
        while (first > 0 && rows_[static_cast<size_t>(first - 1)].selected) {
            --first;
        }
        RemoveRows(first, end - first);
        end = first;
    }
    ShowPictureCount();
}

void MainDialog::OnRemoveAll() {
    if (running_) {
        return;
    }
    RemoveRows(0, static_cast<int32_t>(rows_.size()));
    ShowPictureCount();
}

void MainDialog::OnMoveUp() {
    if (running_) {
        return;
    }
    SetFocus(DialogControl::kPictureList);
    if (currentRow_ < 0 || currentRow_ >= static_cast<int32_t>(rows_.size())) {
        return;
    }
    if (currentRow_ == 0) {
        ShowMessage(kFirstRowMessage);
        return;
    }
    MoveCurrentRow(-1);
}

void MainDialog::OnMoveDown() {
    if (running_) {
        return;
    }
    SetFocus(DialogControl::kPictureList);
    if (currentRow_ < 0 || currentRow_ >= static_cast<int32_t>(rows_.size())) {
        return;
    }
    if (currentRow_ + 1 == static_cast<int32_t>(rows_.size())) {
        ShowMessage(kLastRowMessage);
        return;
    }
    MoveCurrentRow(1);
}

void MainDialog::MoveCurrentRow(int32_t step) {
    const int32_t from = currentRow_;
    const int32_t to = from + step;
    if (listener_ != nullptr) {
        listener_->OnRowAboutToMove(from, to);
    }
    // The row is taken out and put back with its texts; its selection and focus do
    // not come along, it is selected and focused afresh below.
    ImageListRow row = std::move(rows_[static_cast<size_t>(from)]);
    rows_.erase(rows_.begin() + from);
    row.selected = false;
    row.focused = false;
    rows_.insert(rows_.begin() + to, std::move(row));
    if (listener_ != nullptr) {
        listener_->OnRowMoved();
    }
    currentRow_ = to;
    SelectRow(to, true);
}

void MainDialog::OnListRightClick(int32_t row, int x, int y) {
    if (running_ || endResult_ != 0 || row == -1) {
        return;
    }
    const int chosen = platform_.TrackPopupMenu(ContextMenuItems(), x, y);
    if (chosen != 0) {
        OnCommand(chosen);
    }
}
