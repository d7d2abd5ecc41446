#pragma once
// Inside TQuery: what its units (query*.cpp) share.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// A SELECT as far as the result's types and editability need it.
struct SelectShape {
    struct Item {
        bool star = false;
        bool plain = false;  // [qualifier.]column
        QString qualifier, column, alias;
    };
    bool select = false;
    bool simple = false;  // one table; no join, grouping, DISTINCT, UNION, aggregate
    QStringList tables;
    QHash<QString, QString> aliases;  // lower alias or table -> table
    QList<Item> items;
};

// The shape of `sql`; `select` false when it is no SELECT.
SelectShape analyse(const QString& sql);
