// The training-type master on a real installation: each type mirrored as an
// analysis group and its category in the "Personal" profile, both undone
// when the last type of the category goes; the type column protected; and
// the profile text rules on their own.

#include <QtTest>

#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/geneinic_formulario.h"
#include "rrhh/rrhhform.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

QString sql(const QString& sentencia) {
    QString r;
    EjecutarSQL(nullptr, sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    return r;
}

void nuevoTipo(TfRRHHFORM* f, const QString& codigo, const QString& tipo,
               const QString& descripcion) {
    f->AgregarClick(f->Agregar);
    f->DBGrid1->setSelectedIndex(0);
    f->Table1->FieldByName(QStringLiteral("Codigo"))->setText(codigo);
    f->DBGrid1ColExit(f->DBGrid1);
    f->Table1->FieldByName(QStringLiteral("Tipo"))->setText(tipo);
    f->Table1->FieldByName(QStringLiteral("Descripcion"))->setText(descripcion);
    f->pbConformeClick(f->pbConforme);
    f->pbCancelarClick(f->pbCancelar);
}

void eliminar(TfRRHHFORM* f, const QString& codigo) {
    QVERIFY(f->Table1->Locate(QStringLiteral("Codigo"), codigo, 0));
    MessageSeam::enqueue(QStringLiteral("SI"));
    f->Eliminar1Click(f->Eliminar1);
}

QString perfiles() {
    return sql(QStringLiteral("SELECT PerfilesCategoriasGA FROM PARAGENE"));
}

// Another window or user changes the profiles meanwhile.
void grabarPerfiles(const QString& texto) {
    TQuery q;
    q.setRequestLive(false);
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.SQL().setText(QStringLiteral("UPDATE PARAGENE SET PerfilesCategoriasGA = :P"));
    q.ParamByName(QStringLiteral("P"))->setAsString(texto);
    q.ExecSQL();
}

}  // namespace

class TestRrhhForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void perfilPersonal_data() {
        QTest::addColumn<QString>("perfiles");
        QTest::addColumn<QString>("agregado");
        QTest::newRow("added to the line")
            << "Articulo=Familia\r\nPersonal=DEP\r\nCliente=Zona"
            << "Articulo=Familia\r\nPersonal=DEP,CURSO\r\nCliente=Zona\r\n";
        QTest::newRow("already an item") << "Personal=DEP,CURSO"
                                         << "Personal=DEP,CURSO\r\n";
        QTest::newRow("inside a longer item") << "Personal=CURSOS"
                                              << "Personal=CURSOS,CURSO\r\n";
        QTest::newRow("empty list") << "Personal=\r\n"
                                    << "Personal=,CURSO\r\n";
        QTest::newRow("no Personal line") << "Articulo=Familia\r\nXPersonal=A"
                                          << "Articulo=Familia\r\nXPersonal=A\r\nPersonal=CURSO";
        QTest::newRow("empty text") << ""
                                    << "Personal=CURSO";
    }
    void perfilPersonal() {
        QFETCH(QString, perfiles);
        QFETCH(QString, agregado);
        QCOMPARE(AgregarCategoriaPerfilPersonal(perfiles, QStringLiteral("CURSO")), agregado);
    }

    void quitarCategoria_data() {
        QTest::addColumn<QString>("perfiles");
        QTest::addColumn<QString>("quitado");
        QTest::newRow("middle") << "Personal=DEP,CURSO,CAT"
                                << "Personal=DEP,CAT";
        QTest::newRow("first, several lines") << "Cliente=CURSO\r\nPersonal=CURSO,DEP\r\n"
                                              << "Cliente=\r\nPersonal=DEP\r\n";
        QTest::newRow("after an empty item") << "Personal=,CURSO"
                                             << "Personal=";
        QTest::newRow("bare line feeds") << "Personal=DEP,CURSO\nCliente=CURSO\n"
                                         << "Personal=DEP\r\nCliente=\r\n";
        QTest::newRow("only whole items") << "Personal=CURSOS,DEP"
                                          << "Personal=CURSOS,DEP";
    }
    void quitarCategoria() {
        QFETCH(QString, perfiles);
        QFETCH(QString, quitado);
        QCOMPARE(QuitarCategoriaPerfiles(perfiles, QStringLiteral("CURSO")), quitado);
    }

    // A type holding the profiles' separator is refused with a warning:
    // stored, it would stand as two categories and never be taken out.
    void categoriaConSeparador_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<bool>("admitida");
        QTest::newRow("coma dentro") << "Idiomas, inglés" << false;
        QTest::newRow("coma al final") << "Idiomas," << false;
        QTest::newRow("sin coma") << "Idiomas; inglés" << true;
        QTest::newRow("vacía") << "" << true;
    }
    void categoriaConSeparador() {
        QFETCH(QString, tipo);
        QFETCH(bool, admitida);
        MessageSeam::activate();
        QCOMPARE(ValidarCategoriaPerfiles(tipo), admitida);
        QCOMPARE(MessageSeam::log().size(), admitida ? 0 : 1);
        MessageSeam::clearLog();
    }

    void tipoConComaNoSeGraba_data() { AddEngineRows(); }
    void tipoConComaNoSeGraba() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro) VALUES (0)"));
        grabarPerfiles(QStringLiteral("Personal=DEP"));
        TModuloDatos modulo;
        RegistrarTfRRHHFORM();
        QPointer<TfRRHHFORM> f =
            qobject_cast<TfRRHHFORM*>(CreateForm(QStringLiteral("TfRRHHFORM")));
        QVERIFY(f);
        MessageSeam::clearLog();
        nuevoTipo(f, QStringLiteral("I1"), QStringLiteral("Idiomas, inglés"),
                  QStringLiteral("Inglés"));
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(
            MessageSeam::log().first().text,
            QStringLiteral(
                "¡ El Tipo de Formación no puede contener comas (\",\") !. Repita por favor."));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM FORMCION")), QStringLiteral("0"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM GRANALIS")), QStringLiteral("0"));
        QCOMPARE(perfiles(), QStringLiteral("Personal=DEP"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    void reflejoEnGruposYPerfiles_data() { AddEngineRows(); }
    void reflejoEnGruposYPerfiles() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro) VALUES (0)"));
        grabarPerfiles(QStringLiteral("Articulo=Familia\r\nPersonal=DEP"));
        TModuloDatos modulo;
        RegistrarTfRRHHFORM();
        QPointer<TfRRHHFORM> f =
            qobject_cast<TfRRHHFORM*>(CreateForm(QStringLiteral("TfRRHHFORM")));
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Maestro de Tipos de Formación"));

        nuevoTipo(f, QStringLiteral("C1"), QStringLiteral("CURSO"), QStringLiteral("Torno"));
        QCOMPARE(sql(QStringLiteral("SELECT Codigo, Descripcion, CategoriaGrupo FROM GRANALIS")),
                 QStringLiteral("C1|Torno|CURSO"));
        QCOMPARE(perfiles(), QStringLiteral("Articulo=Familia\r\nPersonal=DEP,CURSO\r\n"));
        // The session's parameters show it at once.
        QCOMPARE(
            modulo.ParamGenerales->FieldByName(QStringLiteral("PerfilesCategoriasGA"))->AsString(),
            perfiles());
        QCOMPARE(f->DBGrid1->Columns().Items(1)->PickList(), QStringList{QStringLiteral("CURSO")});

        // A second type of the category: the profile stays; a quoted text is
        // kept in the training type.
        nuevoTipo(f, QStringLiteral("C2"), QStringLiteral("CURSO"), QStringLiteral("Ley d'obres"));
        QCOMPARE(perfiles(), QStringLiteral("Articulo=Familia\r\nPersonal=DEP,CURSO\r\n"));
        QCOMPARE(sql(QStringLiteral("SELECT Descripcion FROM FORMCION WHERE Codigo = 'C2'")),
                 QStringLiteral("Ley d'obres"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM GRANALIS")), QStringLiteral("2"));

        // A category added elsewhere meanwhile is not lost.
        grabarPerfiles(QStringLiteral("Articulo=Familia\r\nPersonal=DEP,CURSO,CAT"));
        nuevoTipo(f, QStringLiteral("M1"), QStringLiteral("MASTER"), QStringLiteral("Gestión"));
        QCOMPARE(perfiles(),
                 QStringLiteral("Articulo=Familia\r\nPersonal=DEP,CURSO,CAT,MASTER\r\n"));

        // Editing the description leaves the group as it was.
        QVERIFY(f->Table1->Locate(QStringLiteral("Codigo"), QStringLiteral("C1"), 0));
        f->DBGrid1->setSelectedIndex(2);
        f->Table1->Edit();
        f->Table1->FieldByName(QStringLiteral("Descripcion"))->setText(QStringLiteral("Fresa"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(sql(QStringLiteral("SELECT Descripcion FROM GRANALIS WHERE Codigo = 'C1'")),
                 QStringLiteral("Torno"));
        // Code and type are not edited.
        MessageSeam::clearLog();
        f->DBGrid1->setSelectedIndex(1);
        QVERIFY_THROWS_EXCEPTION(EAbort, f->Table1->Edit());
        QCOMPARE(MessageSeam::log().at(0).text,
                 QStringLiteral("¡ No se puede modificar la clave del registro !"));

        // One of two types of a category goes: the category stays.
        sql(QStringLiteral(
            "INSERT INTO CRITEVAL (Tipo, Codigo, Linea) VALUES ('Formacion', 'C1', 1)"));
        eliminar(f, QStringLiteral("C1"));
        QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM GRANALIS ORDER BY Codigo")),
                 QStringLiteral("C2\r\nM1"));
        QCOMPARE(perfiles(),
                 QStringLiteral("Articulo=Familia\r\nPersonal=DEP,CURSO,CAT,MASTER\r\n"));
        // The last one: the category leaves the profile. The criteria stay.
        eliminar(f, QStringLiteral("C2"));
        QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM GRANALIS")), QStringLiteral("M1"));
        QCOMPARE(perfiles(), QStringLiteral("Articulo=Familia\r\nPersonal=DEP,CAT,MASTER\r\n"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM CRITEVAL")), QStringLiteral("1"));
        QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM FORMCION")), QStringLiteral("M1"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // A new company has no parameter record yet: the first type creates it
    // with its defaults, so that its category reaches the "Personal" profile.
    void empresaSinParametros_data() { AddEngineRows(); }
    void empresaSinParametros() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PARAGENE")), QStringLiteral("0"));
        RegistrarTfRRHHFORM();
        QPointer<TfRRHHFORM> f =
            qobject_cast<TfRRHHFORM*>(CreateForm(QStringLiteral("TfRRHHFORM")));
        QVERIFY(f);
        nuevoTipo(f, QStringLiteral("C1"), QStringLiteral("CURSO"), QStringLiteral("Torno"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PARAGENE")), QStringLiteral("1"));
        QCOMPARE(sql(QStringLiteral("SELECT CaracterSeparadorASCII FROM PARAGENE")),
                 QStringLiteral("@"));
        QVERIFY(perfiles().endsWith(QLatin1String("\r\nPersonal=CURSO")));
        QCOMPARE(
            modulo.ParamGenerales->FieldByName(QStringLiteral("PerfilesCategoriasGA"))->AsString(),
            perfiles());
        QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM GRANALIS")), QStringLiteral("C1"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // A group of another category that already held the code keeps it: the
    // type's mirror was never written, and deleting the type leaves that
    // group alone; a type without category removes only its own mirror.
    void grupoAjenoConElMismoCodigo_data() { AddEngineRows(); }
    void grupoAjenoConElMismoCodigo() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro) VALUES (0)"));
        sql(
            QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion, CategoriaGrupo) VALUES "
                           "('C1', 'Turno de noche', 'DEP')"));
        TModuloDatos modulo;
        RegistrarTfRRHHFORM();
        QPointer<TfRRHHFORM> f =
            qobject_cast<TfRRHHFORM*>(CreateForm(QStringLiteral("TfRRHHFORM")));
        QVERIFY(f);
        nuevoTipo(f, QStringLiteral("C1"), QStringLiteral("CURSO"), QStringLiteral("Torno"));
        nuevoTipo(f, QStringLiteral("S1"), QString(), QStringLiteral("Sin tipo"));
        QCOMPARE(sql(QStringLiteral("SELECT Codigo, CategoriaGrupo FROM GRANALIS ORDER BY Codigo")),
                 QStringLiteral("C1|DEP\r\nS1|"));
        eliminar(f, QStringLiteral("C1"));
        eliminar(f, QStringLiteral("S1"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM FORMCION")), QStringLiteral("0"));
        QCOMPARE(sql(QStringLiteral("SELECT Codigo, Descripcion, CategoriaGrupo FROM GRANALIS")),
                 QStringLiteral("C1|Turno de noche|DEP"));
        f->Close();
        QTRY_VERIFY(!f);
    }
};

QTEST_MAIN(TestRrhhForm)
#include "tst_rrhhform.moc"
