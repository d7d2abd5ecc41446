#pragma once
// What the grid-master tests share: statements on the company database,
// the messages shown since the last look, and typing a row the way the
// grid does (the key into the first column, leaving it, the other columns).

#include <QStringList>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/session/genemaes_rejilla.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "support/instalacion.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"

inline QString sql(const QString& sentencia) {
    QString r;
    EjecutarSQL(nullptr, sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    return r;
}

inline QStringList textos() {
    QStringList l;
    for (const auto& e : MessageSeam::log()) l << e.text;
    MessageSeam::clearLog();
    return l;
}

inline OpcionesInstalacion empresa1() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

// Leaves the selected column; false when the form refused.
inline bool salirColumna(TMaestroRejilla* f) {
    try {
        f->DBGrid1ColExit(f->DBGrid1);
    } catch (const EAbort&) {
        return false;
    }
    return true;
}

// One value per grid column from the first; false when the key was refused.
inline bool teclear(TMaestroRejilla* f, const QStringList& valores) {
    for (int i = 0; i < valores.size(); ++i) {
        f->DBGrid1->setSelectedIndex(i);
        f->Table1->FieldByName(f->DBGrid1->Columns().Items(i)->FieldName())->setText(valores[i]);
        if (i == 0 && !salirColumna(f)) return false;
    }
    return true;
}
