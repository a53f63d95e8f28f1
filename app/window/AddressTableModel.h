#pragma once
// One address list of the window (To or Cc): rows of (record id, name, address) in insertion
// order. Rows change only through the window's actions, never by editing in the grid.
// Row numbers are 0-based.
#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace tvl {

class TAddressTableModel : public QAbstractTableModel {
public:
    enum TColumn { colRecId, colMailName, colMailAddress, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Returns the new row's number.
    int Append(const QString& name, const QString& address);
    void SetRow(int row, const QString& name, const QString& address);
    void Remove(int row);
    void Clear();

    int Count() const { return static_cast<int>(FRows.size()); }
    const QString& MailName(int row) const { return FRows[row].MailName; }
    const QString& MailAddress(int row) const { return FRows[row].MailAddress; }

private:
    struct TRow {
        int RecId;
        QString MailName;
        QString MailAddress;
    };
    std::vector<TRow> FRows;
    int FNextRecId = 1;
};

}  // namespace tvl
