#pragma once

// One row of a report-style list view as a plain value: the caption (first column), the index of its
// icon in the shared image list, and the texts of the further columns ("sub-items"), addressed by
// position. The program's lists are its data model, so rules take and return rows in this form.

#include <QString>
#include <QStringList>

namespace lanseek::platform {

struct ListRow
{
    QString caption;
    int imageIndex = -1; // -1: no icon
    QStringList subItems;

    QString subItem(int index) const
    {
        return index >= 0 && index < subItems.size() ? subItems[index] : QString();
    }
    bool operator==(const ListRow&) const = default;
};

} // namespace lanseek::platform
