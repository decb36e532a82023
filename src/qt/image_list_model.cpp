#include "qt/image_list_model.h"

#include "app/main_dialog.h"

int ImageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(dialog_.GetRows().size());
}

int ImageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant ImageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const ImageListRow& row = dialog_.GetRows()[static_cast<size_t>(index.row())];
    if (role == Qt::ToolTipRole) {
        return QString::fromStdString(row.path);
    }
    return QString::fromStdString(index.column() == 0 ? row.number : row.path);
}

QVariant ImageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return section == 0 ? QStringLiteral("No") : QStringLiteral("FilePath");
}
