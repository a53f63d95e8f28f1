#include "app/window/AddressTableModel.h"

namespace tvl {

int TAddressTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int TAddressTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TAddressTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count() || role != Qt::DisplayRole) return {};
    const TRow& row = FRows[index.row()];
    switch (index.column()) {
        case colRecId: return row.RecId;
        case colMailName: return row.MailName;
        case colMailAddress: return row.MailAddress;
    }
    return {};
}

QVariant TAddressTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case colRecId: return QStringLiteral("RecId");
        case colMailName: return QStringLiteral("名前");
        case colMailAddress: return QStringLiteral("メールアドレス");
    }
    return {};
}

int TAddressTableModel::Append(const QString& name, const QString& address) {
    const int row = Count();
    beginInsertRows({}, row, row);
    FRows.push_back({FNextRecId++, name, address});
    endInsertRows();
    return row;
}

void TAddressTableModel::SetRow(int row, const QString& name, const QString& address) {
    FRows[row].MailName = name;
    FRows[row].MailAddress = address;
    emit dataChanged(index(row, colMailName), index(row, colMailAddress));
}

void TAddressTableModel::Remove(int row) {
    beginRemoveRows({}, row, row);
    FRows.erase(FRows.begin() + row);
    endRemoveRows();
}

void TAddressTableModel::Clear() {
    beginResetModel();
    FRows.clear();
    endResetModel();
}

}  // namespace tvl
