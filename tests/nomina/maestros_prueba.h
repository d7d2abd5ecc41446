#pragma once
// What the grid-master tests share: statements on the company database,
// the messages shown since the last look, and typing a row the way the
// grid does (the key into the first column, leaving it, the other columns).

#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QtTest>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/genemaes_rejilla.h"
#include "support/instalacion.h"
#include "ui/dbgrid.h"
#include "ui/form.h"
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

// The program's main window, whose area the masters open in while it lives.
struct VentanaPrincipal {
    TForm form;
    VentanaPrincipal() {
        form.setFormStyle(fsMDIForm);
        form.resize(900, 600);
        SetMainForm(&form);
        form.show();
    }
    ~VentanaPrincipal() { SetMainForm(nullptr); }
};

// A new row begun with Insert in the grid, its key (if any) typed into the
// first cell and left there, and the window closed with Ctrl+F4, the close
// question answered with Respuesta. The messages shown; false when the
// window stays open.
inline bool cerrarConFilaNueva(TMaestroRejilla* f, const QString& Clave, const QString& Respuesta,
                               QStringList& Mensajes) {
    QPointer<TMaestroRejilla> forma(f);
    f->DBGrid1->setFocus();
    QCoreApplication::processEvents();
    QTest::keyClick(f->DBGrid1, Qt::Key_Insert);
    for (const QChar c : Clave) QTest::keyClicks(QApplication::focusWidget(), QString(c));
    textos();
    MessageSeam::enqueue(Respuesta);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::processEvents();
    Mensajes = textos();
    return !forma || !forma->isVisible();
}
