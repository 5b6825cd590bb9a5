#pragma once

#include <QStringList>

// How one column of the sortable list is edited in place.
class CColumnStatus {
public:
    enum EEditKind { NotEditable = 0, FreeText = 1, Choices = 2, IntegerText = 3, RealText = 4 };

    int m_nColumn = -1;
    int m_nEditKind = NotEditable;
    bool m_bHasChoices = false;
    QStringList m_arrChoices;
};
