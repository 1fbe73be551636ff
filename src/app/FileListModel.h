#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace qm {

// Rows of ListView1: one full path per row, appended in order, never sorted, duplicates kept.
class FileListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void setColumnTitle(const QString &title);
    QString columnTitle() const { return m_title; }

    int count() const { return static_cast<int>(m_rows.size()); }
    // 1-based, as the program numbers rows; throws AppError::subscriptOutOfRange() outside.
    QString text(int index) const;
    void append(const QString &path);
    void append(const QStringList &paths);
    // 1-based; throws AppError::subscriptOutOfRange() outside.
    void remove(int index);
    void clear();

private:
    QStringList m_rows;
    QString m_title;
};

} // namespace qm
