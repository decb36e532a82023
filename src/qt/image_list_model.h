// The picture list as a Qt item model: a thin adapter over MainDialog's rows, with
// the columns "No" and "FilePath". The dialog owns the rows; the window forwards the
// dialog's row notifications to the Begin/End calls here.
#pragma once

#include <QAbstractTableModel>

class MainDialog;

class ImageListModel final : public QAbstractTableModel {
  public:
    explicit ImageListModel(const MainDialog& dialog, QObject* parent = nullptr)
        : QAbstractTableModel(parent), dialog_(dialog) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The dialog's row changes, announced the way item views want them.
    void BeginInsert(int first, int last) { beginInsertRows({}, first, last); }
    void EndInsert() { endInsertRows(); }
    void BeginRemove(int first, int last) { beginRemoveRows({}, first, last); }
    void EndRemove() { endRemoveRows(); }
    // Row `from` goes to index `to` (after it has been taken out).
    void BeginMove(int from, int to) { beginMoveRows({}, from, from, {}, to > from ? to + 1 : to); }
    void EndMove() { endMoveRows(); }

  private:
    const MainDialog& dialog_;
};
