// The filter dialog on both engines: condition lines with quotes in the
// value, the fields offered, named filters saved, reloaded and deleted in
// FILTRO, applying, resetting, a bad filter warned with the dataset left
// unfiltered, and Esc that closes a drop-down list without the dialog.

#include <QtTest>

#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/geneusua.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genefilt.h"
#include "gene/registros_prueba.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"

namespace {

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

struct Escenario {
    explicit Escenario(Engine motor) : inst(motor, conEmpresa()) {
        CrearLineas();
        for (const char* fila : {"7, 1, 'GARCIA', 10", "7, 2, 'O''NEIL', 20", "8, 1, 'PEREZ', 30"})
            Sql(QStringLiteral(
                    "INSERT INTO LINEAS (CodigoOperario, Linea, Texto, Importe) VALUES (") +
                QLatin1String(fila) + QLatin1Char(')'));
        t = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        CodigoUsuarioActual = QString::fromLatin1(kCodigoAdministradorInicial);
        MessageSeam::clearLog();
    }
    TestInstalacion inst;
    TModuloDatos modulo;
    std::unique_ptr<TTable> t;
};

std::unique_ptr<TfGENEFILT> dialogo(TDataSet* ds) {
    auto d = std::unique_ptr<TfGENEFILT>(NewForm<TfGENEFILT>());
    if (!d->Preparar(ds)) return nullptr;
    return d;
}

QStringList textos(TDataSet* ds) {
    QStringList l;
    for (ds->First(); !ds->Eof(); ds->Next())
        l << ds->FieldByName(QStringLiteral("Texto"))->AsString();
    return l;
}

}  // namespace

class TestGeneFilt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void condicionesYAplicacion_data() { AddEngineRows(); }
    void condicionesYAplicacion() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        auto d = dialogo(e.t.get());
        QVERIFY(d);
        QCOMPARE(d->TablaFiltro, QStringLiteral("LINEAS"));
        QCOMPARE(d->Caption(), QStringLiteral("Filtrar Registros de la Tabla LINEAS"));
        // The memo field is not offered.
        QCOMPARE(d->ListaCampos->Items(),
                 (QStringList{"CodigoOperario", "Linea", "Texto", "Importe"}));

        d->pbAgregarClick();  // no value: nothing added
        QVERIFY(d->MemoFiltros->Text().isEmpty());
        d->ListaCampos->setText(QStringLiteral("Texto"));
        d->Valor->setText(QStringLiteral("O'NEIL"));
        d->pbAgregarClick();
        QCOMPARE(d->MemoFiltros->Lines(), QStringList{"(Texto = 'O''NEIL')"});
        d->ListaCampos->setText(QStringLiteral("Importe"));
        d->Operador->setText(QStringLiteral(">="));
        d->Valor->setText(QStringLiteral("15"));
        d->pbAgregarClick();
        QCOMPARE(d->MemoFiltros->Lines(),
                 (QStringList{"(Texto = 'O''NEIL') AND", "(Importe >= '15')"}));

        d->Aplicar(e.t.get(), mrOk);
        QVERIFY(e.t->Filtered());
        QCOMPARE(textos(e.t.get()), QStringList{"O'NEIL"});

        // A new opening shows the dataset's own filter; "Restablecer" shows all.
        d = dialogo(e.t.get());
        QCOMPARE(d->MemoFiltros->Lines(),
                 (QStringList{"(Texto = 'O''NEIL') AND", "(Importe >= '15')"}));
        d->pbRestablecerClick();
        QCOMPARE(d->ModalResult(), int(mrOk));
        d->Aplicar(e.t.get(), d->ModalResult());
        QCOMPARE(textos(e.t.get()).size(), 3);

        // Cancel leaves the dataset alone; a bad filter is warned about and
        // leaves it unfiltered.
        e.t->setFilter(QStringLiteral("(Linea = '1')"));
        e.t->setFiltered(true);
        d = dialogo(e.t.get());
        d->MemoFiltros->setText(QStringLiteral("(Texto = 'GARCIA'"));
        d->Aplicar(e.t.get(), mrCancel);
        QCOMPARE(textos(e.t.get()).size(), 2);
        d->Aplicar(e.t.get(), mrOk);
        QVERIFY(!e.t->Filtered());
        QCOMPARE(textos(e.t.get()).size(), 3);
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral("¡La lista de filtros es incorrecta! Inténtelo de nuevo."));
    }

    // Esc on an open list closes the list and nothing else: the dialog
    // stays, and no window behind it takes the key as its own (the Esc that
    // stops a running listing). The next Esc cancels the dialog.
    void escEnListaDesplegable() {
        Escenario e{Engine::Sqlite};
        auto d = dialogo(e.t.get());
        QVERIFY(d);
        bool abiertoTrasLista = false;
        ListadoCancelado = false;
        AlMostrarse<TfGENEFILT>([&](TfGENEFILT* f) {
            QVERIFY(QTest::qWaitForWindowActive(f));
            f->ListaCampos->setFocus();
            f->ListaCampos->showPopup();
            QWidget* lista = QApplication::focusWidget();
            QVERIFY(QApplication::activePopupWidget() &&
                    QApplication::activePopupWidget()->isAncestorOf(lista));
            QTest::keyClick(lista, Qt::Key_Escape);
            QVERIFY(!QApplication::activePopupWidget());
            QTRY_VERIFY(f->ListaCampos->hasFocus() && f->isActiveWindow());
            abiertoTrasLista = f->isVisible() && f->ModalResult() == mrNone && !ListadoCancelado;
            QTest::keyClick(f->ListaCampos, Qt::Key_Escape);
        });
        QCOMPARE(d->ShowModal(), int(mrCancel));
        QVERIFY(abiertoTrasLista);
    }

    void filtrosGuardados_data() { AddEngineRows(); }
    void filtrosGuardados() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        auto d = dialogo(e.t.get());
        QVERIFY(d->EditDescripcionFiltro->Items().isEmpty());
        d->EliminarClick();  // nothing saved: nothing happens
        QVERIFY(MessageSeam::log().isEmpty());

        d->MemoFiltros->setText(QStringLiteral("(Texto = 'PEREZ')"));
        MessageSeam::enqueue(QStringLiteral("Solo Pérez"));
        d->GuardarComoClick();
        QCOMPARE(d->EditDescripcionFiltro->Text(), QStringLiteral("Solo Pérez"));
        // The same description again cannot be saved twice.
        MessageSeam::enqueue(QStringLiteral("Solo Pérez"));
        d->GuardarComoClick();
        QCOMPARE(MessageSeam::log().last().text, QStringLiteral("¡Imposible grabar el registro!"));
        MessageSeam::enqueue(QStringLiteral("Línea uno"));
        d->MemoFiltros->setText(QStringLiteral("(Linea = '1')"));
        d->GuardarComoClick();
        d->MemoFiltros->setText(QStringLiteral("(Linea = '1') AND\r\n(CodigoOperario = '7')"));
        d->GuardarClick();  // overwrites the chosen one
        d.reset();

        // Reloaded: the first saved filter of the table is offered, and
        // choosing another loads its text.
        d = dialogo(e.t.get());
        QCOMPARE(d->EditDescripcionFiltro->Items(), (QStringList{"Línea uno", "Solo Pérez"}));
        QCOMPARE(d->MemoFiltros->Text(),
                 QStringLiteral("(Linea = '1') AND\r\n(CodigoOperario = '7')"));
        d->Aplicar(e.t.get(), mrOk);
        QCOMPARE(textos(e.t.get()), QStringList{"GARCIA"});
        e.t->setFiltered(false);
        e.t->setFilter(QString());

        d = dialogo(e.t.get());
        d->EditDescripcionFiltro->setText(QStringLiteral("Solo Pérez"));
        d->EditDescripcionFiltroClick();
        QCOMPARE(d->MemoFiltros->Text(), QStringLiteral("(Texto = 'PEREZ')"));
        d->EliminarClick();
        QCOMPARE(d->EditDescripcionFiltro->Items(), QStringList{"Línea uno"});
        QCOMPARE(d->MemoFiltros->Text(),
                 QStringLiteral("(Linea = '1') AND\r\n(CodigoOperario = '7')"));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM FILTRO WHERE NombreTabla = 'LINEAS'")),
                 QStringLiteral("1"));
    }

    // A clerk with Importe hidden is not offered it, and a filter that
    // compares it, typed however or loaded from a saved one, is refused
    // naming it: the rows shown stay as they were, so no value is told by
    // the rows a guess leaves. A value that only spells the name is no field.
    void camposOcultos_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<bool>("guardado");
        QTest::addColumn<QStringList>("filas");  // empty: refused
        for (Engine m : AvailableEngines()) {
            auto fila = [&](const char* caso, const char* filtro, bool guardado,
                            const QStringList& filas) {
                NewEngineRow(m, caso) << QString::fromUtf8(filtro) << guardado << filas;
            };
            fila("escrito", "(Importe = '20')", false, {});
            fila("en minusculas", "(importe = '20')", false, {});
            fila("mayusculas sin blancos", "(  IMPORTE>='15' )", false, {});
            fila("entre corchetes", "([ Importe ] >= 15)", false, {});
            fila("valor delante", "('20' = Importe)", false, {});
            fila("negado tras OR con LF", "(Texto = 'X') OR\nNOT (Importe <> '20')", false, {});
            fila("guardado", "(Texto = 'X') OR\r\n(Importe = '20')", true, {});
            fila("valor con el nombre", "(Texto <> 'Importe')", false,
                 {"GARCIA", "O'NEIL", "PEREZ"});
            fila("otro campo guardado", "(Texto = 'PEREZ')", true, {"PEREZ"});
        }
    }
    void camposOcultos() {
        QFETCH(int, engine);
        QFETCH(QString, filtro);
        QFETCH(bool, guardado);
        QFETCH(QStringList, filas);
        Escenario e{Engine(engine)};
        if (guardado)
            Sql(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro) VALUES "
                               "('LINEAS', 'De antes', '") +
                QString(filtro).replace(QLatin1String("'"), QLatin1String("''")) +
                QStringLiteral("')"));
        CamposNoVisiblesUsuario = QStringLiteral("Importe");
        const auto restaurar = qScopeGuard([] { CamposNoVisiblesUsuario.clear(); });
        auto d = dialogo(e.t.get());
        QVERIFY(d);
        QVERIFY(!d->ListaCampos->Items().contains(QStringLiteral("Importe")));
        if (guardado)
            QCOMPARE(d->MemoFiltros->Text(), filtro);
        else
            d->MemoFiltros->setText(filtro);
        d->Aplicar(e.t.get(), mrOk);
        if (filas.isEmpty()) {
            QCOMPARE(MessageSeam::log().size(), 1);
            QCOMPARE(MessageSeam::log().last().text,
                     QStringLiteral("¡El filtro usa el campo Importe, que Vd. no tiene "
                                    "permitido ver!"));
            QVERIFY(!e.t->Filtered());
            QCOMPARE(textos(e.t.get()).size(), 3);
        } else {
            QVERIFY(MessageSeam::log().isEmpty());
            QVERIFY(e.t->Filtered());
            QCOMPARE(textos(e.t.get()), filas);
        }
    }
};

QTEST_MAIN(TestGeneFilt)
#include "tst_genefilt.moc"
