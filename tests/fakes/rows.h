#pragma once
// A data row whose columns are all text, written on one line.

#include <QTest>
#include <initializer_list>

inline void addRow(const char* name, std::initializer_list<QString> columns) {
    QTestData& row = QTest::newRow(name);
    for (const QString& column : columns)
        row << column;
}

// Rows of one column, "row", each a whole case under its name.
template <typename Case> void addCases(std::initializer_list<std::pair<const char*, Case>> cases) {
    QTest::addColumn<Case>("row");
    for (const auto& [name, whole] : cases)
        QTest::newRow(name) << whole;
}
