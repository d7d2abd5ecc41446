// The employee code interchange on a real installation: an employee
// renumbered or merged everywhere its code is stored, a pair refused as a
// whole (rows that collide, a table or the master refused by the engine),
// the candidates' rows left alone, rows onto themselves skipped, a second
// run that finds nothing, the checks before the run, the swap and the added
// or removed figure restoring the table, the text files and the window kept
// open while it runs.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/fieldtypes.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "io/textfile.h"
#include "nomina/nomiiope.h"
#include "support/baseretenida.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

namespace {

QString sql(const QString& s) {
    return SqlPrueba(s);
}

int cuenta(const QString& tabla, const QString& condicion) {
    return sql(QStringLiteral("SELECT COUNT(*) FROM ") + tabla + QStringLiteral(" WHERE ") +
               condicion)
        .trimmed()
        .toInt();
}

// Where an employee's code is stored: the listed tables (with the rows of the
// personnel file only where candidates share the table) and the attachments.
struct Lugar {
    const char* tabla;
    const char* columna;
    const char* propietario;  // NombreTabla of the row, or nullptr
};
constexpr Lugar kLugares[] = {
    {"ATRASOS", "CodigoOperario", nullptr},
    {"BAJA", "CodigoOperario", nullptr},
    {"CALENOPE", "CodigoOperario", nullptr},
    {"CONCOPER", "CodigoOperario", nullptr},
    {"HBONIFIC", "CodigoOperario", nullptr},
    {"HCONTRAT", "CodigoOperario", nullptr},
    {"HFORMACI", "CodigoOperario", "PERSONAL"},
    {"HPUESTO", "CodigoOperario", "PERSONAL"},
    {"LBONIFIC", "CodigoOperario", nullptr},
    {"LCOTIZAC", "CodigoOperario", nullptr},
    {"LNOMINA", "CodigoOperario", nullptr},
    {"EVLCION", "CodigoOperario", nullptr},
    {"EVLCION", "CodigoOperarioEvaluador", nullptr},
    {"LEVLCION", "CodigoOperario", nullptr},
    {"MATRCAPA", "CodigoOperario", nullptr},
    {"MATRMAQU", "CodigoOperario", nullptr},
    {"NOMINA", "CodigoOperario", nullptr},
    {"PLANFORM", "CodigoOperario", nullptr},
    {"DOCUTRON", "ClaveTabla", "PERSONAL"},
    {"GRANTAB", "ClaveTabla", "PERSONAL"},
    {"CONTACTO", "CodigoTabla", "PERSONAL"},
    {"BLOBTAB", "ClaveTabla", "PERSONAL"},
    // Beyond the list: every other table with the employee's rows, and the
    // columns that name him.
    {"INCCALOP", "CodigoOperario", nullptr},
    {"PLANFORM", "CodigoOpNecesidad", nullptr},
    {"RESPDOC", "ClaveTabla", "PERSONAL"},
    {"RESPDOC", "RealizadoPor", nullptr},
    {"RESPDOC", "AprobadoPor", nullptr},
    {"RESPDOC", "RegistradoPor", nullptr},
};

QString condicion(const Lugar& l, int codigo, const char* propietario) {
    const bool texto = QLatin1String(l.columna) == QLatin1String("ClaveTabla") ||
                       QLatin1String(l.columna) == QLatin1String("CodigoTabla");
    QString c = QLatin1String(l.columna) + QStringLiteral(" = ") +
                (texto ? ValorSQL(QString::number(codigo)) : QString::number(codigo));
    if (propietario)
        c +=
            QStringLiteral(" AND NombreTabla = '") + QLatin1String(propietario) + QLatin1Char('\'');
    return c;
}

// One row of a table with every column filled: the code columns of the list
// with the code, NombreTabla with the owner, the rest with a plain value. A
// table the dictionary does not know is made with the code column only.
void fila(const QString& tabla, int codigo, const QString& propietario, int variante = 1) {
    sql(QStringLiteral("SELECT COUNT(*) FROM ") + tabla);  // made from the dictionary if known
    TDatabase* db = BaseDatosSelector(QStringLiteral("Database"));
    db->InvalidateCatalog();
    if (!db->TableExists(tabla))
        sql(QStringLiteral("CREATE TABLE ") + tabla +
            QStringLiteral(" (CodigoOperario INTEGER NOT NULL, Dato INTEGER)"));
    QStringList columnas, valores;
    for (const TFieldDef& d : db->ColumnDefs(tabla)) {
        columnas << d.Name;
        QString v;
        bool codigoColumna = false;
        for (const Lugar& l : kLugares)
            codigoColumna |= tabla == QLatin1String(l.tabla) &&
                             d.Name.compare(QLatin1String(l.columna), Qt::CaseInsensitive) == 0;
        if (codigoColumna)
            v = IsStringType(d.DataType) ? ValorSQL(QString::number(codigo))
                                         : QString::number(codigo);
        else if (d.Name.compare(QLatin1String("NombreTabla"), Qt::CaseInsensitive) == 0)
            v = ValorSQL(propietario);
        else if (d.DataType == ftDateTime || d.DataType == ftDate)
            v = ValorSQL(QDateTime(QDate(2020, 1, variante), QTime(0, 0)));
        else if (d.DataType == ftBlob || d.DataType == ftGraphic)
            v = QStringLiteral("NULL");
        else if (IsStringType(d.DataType))
            v = ValorSQL(QString::number(variante));  // fits a column of one character
        else if (d.DataType == ftBoolean)
            v = ValorSQL(true);
        else
            v = QString::number(variante);
        valores << v;
    }
    const QString r = sql(QStringLiteral("INSERT INTO ") + tabla + QStringLiteral(" (") +
                          columnas.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                          valores.join(QStringLiteral(", ")) + QStringLiteral(")"));
    QVERIFY2(!r.startsWith(QLatin1String("Error")), qPrintable(tabla + QLatin1Char(' ') + r));
}

// Every place of the list holding a row of the employee (EVLCION once: its
// row holds the code in both columns).
void historia(int codigo, int variante = 1) {
    QSet<QString> hechas;
    for (const Lugar& l : kLugares) {
        if (hechas.contains(QLatin1String(l.tabla))) continue;
        hechas.insert(QLatin1String(l.tabla));
        fila(QLatin1String(l.tabla), codigo, QStringLiteral("PERSONAL"), variante);
    }
    // Making the tables the dictionary lacks tells about them.
    MessageSeam::clearLog();
}

// The candidate of the same code: its histories and attachments.
void candidato(int codigo) {
    for (const char* t : {"HFORMACI", "HPUESTO", "DOCUTRON", "GRANTAB", "CONTACTO", "BLOBTAB"})
        fila(QLatin1String(t), codigo, QStringLiteral("CANDIDAT"), 7);
}

int filasDe(int codigo, const char* propietario = "PERSONAL") {
    int n = 0;
    for (const Lugar& l : kLugares)
        n += cuenta(QLatin1String(l.tabla),
                    condicion(l, codigo, l.propietario ? propietario : nullptr));
    return n;
}

int filasCandidato(int codigo) {
    int n = 0;
    for (const Lugar& l : kLugares)
        if (l.propietario) n += cuenta(QLatin1String(l.tabla), condicion(l, codigo, "CANDIDAT"));
    return n;
}

// The company's separator of text files ("|" when the parameter is empty).
QString separador() {
    const QString s = ParametroGeneral(ModuloDatos, QStringLiteral("CaracterSeparadorASCII"));
    return s.isEmpty() ? QStringLiteral("|") : s;
}

QString nombre(int codigo) {
    return sql(QStringLiteral("SELECT Nombre FROM PERSONAL WHERE CodigoOperario = ") +
               QString::number(codigo))
        .trimmed();
}

struct Entorno : EmpresaPrueba {
    explicit Entorno(Engine engine) : EmpresaPrueba(engine), motor(engine) {
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        sql(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (12, 'Ana'), "
                           "(20, 'Luis'), (40, 'Eva')"));
        RegistrarTfNOMIIOPE();
        f = qobject_cast<TfNOMIIOPE*>(CreateForm(QStringLiteral("TfNOMIIOPE")));
        MessageSeam::clearLog();
    }
    ~Entorno() {
        AsignarSeamDialogos({});
        if (f) {
            f->Close();
            (void)QTest::qWaitFor([this] { return f.isNull(); });
        }
        SetMainForm(nullptr);
    }
    // A pair typed into the grid as the user does; false when it was refused.
    bool teclear(const QString& origen, const QString& destino) {
        f->Temporal->Append();
        f->Temporal->FieldByName(QStringLiteral("DatoOrigen"))->setAsString(origen);
        f->Temporal->FieldByName(QStringLiteral("DatoDestino"))->setAsString(destino);
        try {
            f->Temporal->Post();
            return true;
        } catch (const EAbort&) {
            f->Temporal->Cancel();
            return false;
        }
    }
    QStringList pares() {
        QStringList l;
        f->Temporal->First();
        for (; !f->Temporal->Eof(); f->Temporal->Next())
            l << f->Temporal->FieldByName(QStringLiteral("DatoOrigen"))->AsString() +
                     QLatin1Char('>') +
                     f->Temporal->FieldByName(QStringLiteral("DatoDestino"))->AsString() +
                     QLatin1Char(' ') +
                     f->Temporal->FieldByName(QStringLiteral("Situacion"))->AsString();
        return l;
    }
    // "&Conforme" with the answers given in order.
    void conforme(const QStringList& respuestas) {
        for (const QString& r : respuestas) MessageSeam::enqueue(r);
        f->pbConformeClick(f->pbConforme);
    }
    Engine motor;
    TForm principal;
    QPointer<TfNOMIIOPE> f;
};

const QString kEmpieza =
    QStringLiteral("El proceso de Intercambio va a comenzar. ¿Está seguro de querer continuar?");
const QString kIncidencias =
    QStringLiteral("Se han producido incidencias en el proceso. ¿Desea ver los detalles?");

}  // namespace

class TestNomiIope : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        InstalarServiciosFormulario();
        MessageSeam::activate();
    }
    void cleanup() { MessageSeam::clearLog(); }

    // A free destination takes the origin's code everywhere; an existing one
    // takes its rows and the origin's master goes. The candidate of the same
    // code keeps its rows, a second run finds nothing more to do, and a new
    // employee given the old code is left alone.
    void renumerarYFusionar_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("destino");
        for (Engine e : AvailableEngines()) {
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral(" libre"))) << int(e) << 30;
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral(" existente"))) << int(e) << 20;
        }
    }
    void renumerarYFusionar() {
        QFETCH(int, engine);
        QFETCH(int, destino);
        Entorno e{Engine(engine)};
        historia(12);
        candidato(12);
        const int propias = filasDe(12);
        QCOMPARE(propias, int(std::size(kLugares)));
        const bool existe = destino == 20;

        if (existe) MessageSeam::enqueue(QStringLiteral("SI"));
        QVERIFY(e.teclear(QStringLiteral("12"), QString::number(destino)));
        e.conforme(existe ? QStringList{QStringLiteral("SI"), QStringLiteral("SI")}
                          : QStringList{QStringLiteral("SI")});
        const QStringList mostrados = TextosMostrados();
        QCOMPARE(mostrados.contains(QStringLiteral("¡Ya existe el Destino 20!. ¿Desea continuar?")),
                 existe);
        QVERIFY(mostrados.contains(kEmpieza));
        QVERIFY2(e.f->Incidencias.isEmpty(), qPrintable(e.f->Incidencias.join('\n')));
        QCOMPARE(filasDe(12), 0);
        QCOMPARE(filasDe(destino), propias);
        QCOMPARE(filasCandidato(12), 6);
        QCOMPARE(nombre(12), QString());
        QCOMPARE(nombre(destino), existe ? QStringLiteral("Luis") : QStringLiteral("Ana"));
        QCOMPARE(e.pares(), QStringList{QStringLiteral("12>%1 Terminado").arg(destino)});

        // Run again: no question about the destination, nothing changes.
        MessageSeam::clearLog();
        e.conforme({QStringLiteral("SI")});
        QCOMPARE(TextosMostrados(), QStringList{kEmpieza});
        QCOMPARE(filasDe(destino), propias);
        QCOMPARE(nombre(destino), existe ? QStringLiteral("Luis") : QStringLiteral("Ana"));

        // The old code given to a new employee: the done pair is not run again.
        sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (12, 'Pío')"));
        fila(QStringLiteral("HCONTRAT"), 12, QStringLiteral("PERSONAL"), 5);
        e.conforme({QStringLiteral("SI"), QStringLiteral("NO")});
        QCOMPARE(
            e.f->Incidencias,
            QStringList{QStringLiteral("¡Existe de nuevo el Origen 12!. No se ha intercambiado.")});
        QCOMPARE(nombre(12), QStringLiteral("Pío"));
        QCOMPARE(cuenta(QStringLiteral("HCONTRAT"), QStringLiteral("CodigoOperario = 12")), 1);
    }

    // Rows both employees hold: a numbered row takes the destination's next
    // number (and the rows naming it follow), the others yield to the
    // destination's and are listed, heads with their lines; every row whose
    // key changes takes its attachments. Renumbered to a free code, the same
    // rows and attachments simply follow.
    void fusion_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("destino");
        for (Engine e : AvailableEngines()) {
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral(" existente"))) << int(e) << 20;
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral(" libre"))) << int(e) << 30;
        }
    }
    void fusion() {
        QFETCH(int, engine);
        QFETCH(int, destino);
        Entorno e{Engine(engine)};
        const bool existe = destino == 20;
        for (const char* t : {"HCONTRAT", "HBONIFIC", "NOMINA", "HPUESTO", "MATRCAPA", "EVLCION",
                              "LEVLCION", "DOCUTRON", "RESPDOC", "RELACION", "GRANTAB"})
            sql(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(t));
        const QString fecha = ValorSQL(QDateTime(QDate(2020, 3, 1), QTime(0, 0)));
        const QStringList filas = {
            "INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, CodigoContrato) VALUES (12, 1, "
            "401), (20, 1, 100)",
            "INSERT INTO HBONIFIC (CodigoOperario, NumeroContrato, FechaInicio) VALUES (12, 1, " +
                fecha + ")",
            "INSERT INTO NOMINA (CodigoOperario, Ano, Mes, TipoNomina, NumeroContrato) VALUES (12, "
            "2020, 3, 'Mensual', 1)",
            "INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, CodigoPuesto) VALUES "
            "('PERSONAL', 12, 1, 'PT1'), ('PERSONAL', 12, 2, 'PT4'), ('PERSONAL', 20, 1, 'PT2'), "
            "('PERSONAL', 20, 2, 'PT3')",
            "INSERT INTO MATRCAPA (CodigoOperario, CodigoPuesto, Capacitacion) VALUES (12, 'PT1', "
            "5), (20, 'PT1', 7)",
            "INSERT INTO EVLCION (CodigoOperario, Tipo, Codigo, FechaEvaluacion, Valoracion) "
            "VALUES "
            "(12, 'Puesto', 'PT1', " +
                fecha + ", 3), (20, 'Puesto', 'PT1', " + fecha + ", 8)",
            "INSERT INTO LEVLCION (CodigoOperario, Tipo, Codigo, FechaEvaluacion, Linea, "
            "Valoracion) VALUES (12, 'Puesto', 'PT1', " +
                fecha + ", 1, 3), (12, 'Puesto', 'PT1', " + fecha +
                ", 2, 4), (20, 'Puesto', 'PT1', " + fecha + ", 1, 8)",
            "INSERT INTO DOCUTRON (NombreTabla, ClaveTabla, Nombre) VALUES ('HCONTRAT', '12|1', "
            "'contrato.pdf'), ('HCONTRAT', '20|1', 'contrato.pdf'), ('HCONTRAT', '40|12', "
            "'otro.pdf'), ('HCONTRAT', '120|1', 'otro.pdf')",
            "INSERT INTO RESPDOC (NombreTabla, ClaveTabla, RealizadoPor) VALUES ('HCONTRAT', "
            "'12|1|', 40)",
            "INSERT INTO RELACION (NombreTablaA, ClaveTablaA, NombreTablaB, ClaveTablaB) VALUES "
            "('HCONTRAT', '12|1', 'PERSONAL', '12')",
            "INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('PERSONAL', "
            "'12', "
            "'DEP1'), ('PERSONAL', '12', 'DEP2'), ('PERSONAL', '20', 'DEP1')",
        };
        for (const QString& f : filas) {
            const QString r = sql(f);
            QVERIFY2(!r.startsWith(QLatin1String("Error")), qPrintable(f + QLatin1Char(' ') + r));
        }
        if (existe) MessageSeam::enqueue(QStringLiteral("SI"));
        QVERIFY(e.teclear(QStringLiteral("12"), QString::number(destino)));
        e.conforme(
            existe ? QStringList{QStringLiteral("SI"), QStringLiteral("SI"), QStringLiteral("NO")}
                   : QStringList{QStringLiteral("SI")});
        QCOMPARE(e.pares(), QStringList{QStringLiteral("12>%1 Terminado").arg(destino)});
        const QString d = QString::number(destino);
        // The contract and what names it.
        const QString contrato = existe ? QStringLiteral("2") : QStringLiteral("1");
        QCOMPARE(cuenta(QStringLiteral("HCONTRAT"), "CodigoOperario = " + d +
                                                        " AND NumeroContrato = " + contrato +
                                                        " AND CodigoContrato = 401"),
                 1);
        QCOMPARE(cuenta(QStringLiteral("HBONIFIC"),
                        "CodigoOperario = " + d + " AND NumeroContrato = " + contrato),
                 1);
        QCOMPARE(cuenta(QStringLiteral("NOMINA"),
                        "CodigoOperario = " + d + " AND NumeroContrato = " + contrato),
                 1);
        // Each of the origin's colliding lines takes its own next number.
        for (const auto& [puesto, linea] :
             {std::pair{"PT1", existe ? "3" : "1"}, std::pair{"PT4", existe ? "4" : "2"}})
            QCOMPARE(cuenta(QStringLiteral("HPUESTO"), "CodigoOperario = " + d +
                                                           " AND CodigoPuesto = '" + puesto +
                                                           "' AND Linea = " + linea),
                     1);
        QCOMPARE(cuenta(QStringLiteral("HPUESTO"), "CodigoOperario = " + d), existe ? 4 : 2);
        // The destination's rows prevail; the origin's are listed.
        QCOMPARE(cuenta(QStringLiteral("MATRCAPA"),
                        "CodigoOperario = " + d + " AND Capacitacion = " + (existe ? "7" : "5")),
                 1);
        QCOMPARE(cuenta(QStringLiteral("EVLCION"), "CodigoOperario = " + d), 1);
        QCOMPARE(cuenta(QStringLiteral("LEVLCION"), "CodigoOperario = " + d), existe ? 1 : 2);
        const QStringList descartes =
            e.f->Incidencias.filter(QStringLiteral("¡Prevalece el Destino"));
        QCOMPARE(descartes.size(), existe ? 5 : 0);  // matrix, head, two lines, group DEP1
        if (existe) {
            QVERIFY2(descartes.filter(QStringLiteral("tabla MATRCAPA"))
                         .value(0)
                         .contains(QStringLiteral("Capacitacion=5")),
                     qPrintable(descartes.join('\n')));
            QCOMPARE(descartes.filter(QStringLiteral("tabla LEVLCION")).size(), 2);
        }
        // The attachments went with their rows, and only those.
        const QString clave = d + QLatin1Char('|') + contrato;
        QCOMPARE(cuenta(QStringLiteral("DOCUTRON"), "ClaveTabla = '" + clave + "'"), 1);
        QCOMPARE(cuenta(QStringLiteral("RESPDOC"), "ClaveTabla = '" + clave + "|'"), 1);
        QCOMPARE(cuenta(QStringLiteral("RELACION"),
                        "ClaveTablaA = '" + clave + "' AND ClaveTablaB = '" + d + "'"),
                 1);
        QCOMPARE(cuenta(QStringLiteral("GRANTAB"), "ClaveTabla = '" + d + "'"), existe ? 2 : 2);
        QCOMPARE(cuenta(QStringLiteral("DOCUTRON"), QStringLiteral("ClaveTabla IN ('40|12', "
                                                                   "'120|1')")),
                 2);
        // Nothing anywhere refers to the origin.
        for (const char* t :
             {"HCONTRAT", "HBONIFIC", "NOMINA", "HPUESTO", "MATRCAPA", "EVLCION", "LEVLCION"})
            QCOMPARE(cuenta(QLatin1String(t), QStringLiteral("CodigoOperario = 12")), 0);
        QCOMPARE(cuenta(QStringLiteral("DOCUTRON"), QStringLiteral("ClaveTabla LIKE '12|%'")), 0);
        QCOMPARE(cuenta(QStringLiteral("RESPDOC"), QStringLiteral("ClaveTabla LIKE '12|%'")), 0);
        QCOMPARE(cuenta(QStringLiteral("RELACION"),
                        QStringLiteral("ClaveTablaA LIKE '12|%' OR ClaveTablaB = '12'")),
                 0);
        QCOMPARE(cuenta(QStringLiteral("GRANTAB"), QStringLiteral("ClaveTabla = '12'")), 0);
    }

    // A pair whose step fails leaves every row where it was, the master
    // included, stays "Pendiente" and names the table and the value.
    void parRechazado_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("caso");
        QTest::addColumn<int>("destino");
        QTest::addColumn<QString>("incidencia");
        for (Engine e : AvailableEngines()) {
            const QString t = EngineTag(e);
            QTest::newRow(qPrintable(t + QStringLiteral(" nóminas que chocan")))
                << int(e) << QStringLiteral("choque") << 20
                << QStringLiteral("¡Error grabando el dato 12 en la tabla NOMINA!");
            QTest::newRow(qPrintable(t + QStringLiteral(" tabla rechazada")))
                << int(e) << QStringLiteral("LNOMINA") << 30
                << QStringLiteral("La tabla LNOMINA no se puede procesar. Motivo: ");
            QTest::newRow(qPrintable(t + QStringLiteral(" anexo rechazado")))
                << int(e) << QStringLiteral("BLOBTAB") << 30
                << QStringLiteral("La tabla BLOBTAB no se puede procesar. Motivo: ");
            QTest::newRow(qPrintable(t + QStringLiteral(" maestro no eliminado")))
                << int(e) << QStringLiteral("PERSONAL") << 20
                << QStringLiteral("¡Error eliminando el dato 12 en la tabla PERSONAL!");
        }
    }
    void parRechazado() {
        QFETCH(int, engine);
        QFETCH(QString, caso);
        QFETCH(int, destino);
        QFETCH(QString, incidencia);
        Entorno e{Engine(engine)};
        historia(12);
        // Employee 40 goes on well beside the refused pair.
        fila(QStringLiteral("HCONTRAT"), 40, QStringLiteral("PERSONAL"), 3);
        if (caso == QLatin1String("choque"))
            fila(QStringLiteral("NOMINA"), 20, QStringLiteral("PERSONAL"));  // the same month
        else if (caso == QLatin1String("PERSONAL"))
            BloquearBorrado(e.motor, caso);
        else
            BloquearModificacion(e.motor, caso);
        const int propias = filasDe(12);

        const bool existe = destino == 20;
        if (existe) MessageSeam::enqueue(QStringLiteral("SI"));
        QVERIFY(e.teclear(QStringLiteral("12"), QString::number(destino)));
        QVERIFY(e.teclear(QStringLiteral("40"), QStringLiteral("41")));
        MessageSeam::clearLog();
        if (existe) MessageSeam::enqueue(QStringLiteral("SI"));
        e.conforme({QStringLiteral("SI"), QStringLiteral("NO")});
        if (caso == QLatin1String("PERSONAL"))
            QuitarBloqueoBorrado(e.motor, caso);
        else if (caso != QLatin1String("choque"))
            QuitarBloqueoModificacion(e.motor, caso);

        QCOMPARE(e.f->Incidencias.size(), 2);
        QVERIFY2(e.f->Incidencias.first().startsWith(incidencia),
                 qPrintable(e.f->Incidencias.first()));
        QCOMPARE(
            e.f->Incidencias.last(),
            QStringLiteral("¡No se ha intercambiado el Origen 12 por el Destino %1!").arg(destino));
        QVERIFY(TextosMostrados().contains(kIncidencias));
        QCOMPARE(filasDe(12), propias);
        QCOMPARE(nombre(12), QStringLiteral("Ana"));
        QCOMPARE(e.pares(), (QStringList{QStringLiteral("12>%1 Pendiente").arg(destino),
                                         QStringLiteral("40>41 Terminado")}));
        QCOMPARE(cuenta(QStringLiteral("HCONTRAT"), QStringLiteral("CodigoOperario = 41")), 1);
    }

    // A pair whose commit the engine refuses at the end (a constraint it
    // checks then) stays pending, and the session is left with no
    // transaction believed open.
    void confirmacionFallida_data() { AddEngineRows(); }
    void confirmacionFallida() {
        QFETCH(int, engine);
        Entorno e{Engine(engine)};
        historia(12);
        FallarConfirmacion(e.motor, QStringLiteral("PERSONAL"), QStringLiteral("UPDATE"));
        const int propias = filasDe(12);
        QVERIFY(e.teclear(QStringLiteral("12"), QStringLiteral("30")));
        e.conforme({QStringLiteral("SI"), QStringLiteral("NO")});
        QVERIFY(!TransaccionIniciada);
        QVERIFY(!fGENEINIC->Database->InTransaction());
        bool aviso = false;
        for (const QString& t : TextosMostrados())
            aviso = aviso || t.startsWith(QStringLiteral("¡No se puede finalizar la "
                                                         "transacción!. Mensaje Original: "));
        QVERIFY2(aviso, qPrintable(TextosMostrados().join(QLatin1Char('\n'))));
        QCOMPARE(filasDe(12), propias);
        QCOMPARE(nombre(12), QStringLiteral("Ana"));
        QCOMPARE(e.pares(), QStringList{QStringLiteral("12>30 Pendiente")});
    }

    // Rows onto themselves (as the import makes them) keep the master.
    void origenIgualDestino() {
        Entorno e{Engine::Sqlite};
        historia(12);
        e.f->AgregarPar(QStringLiteral("12"), QStringLiteral("12"));
        e.f->AgregarPar(QStringLiteral("40"), QStringLiteral("44"));
        e.conforme({QStringLiteral("SI")});
        QCOMPARE(TextosMostrados(), QStringList{kEmpieza});
        QCOMPARE(nombre(12), QStringLiteral("Ana"));
        QCOMPARE(filasDe(12), int(std::size(kLugares)));
        QCOMPARE(nombre(44), QStringLiteral("Eva"));
        QCOMPARE(e.pares(), (QStringList{QStringLiteral("12>12 Pendiente"),
                                         QStringLiteral("40>44 Terminado")}));
    }

    // What a typed row is refused for, and what the user is told.
    void validacion_data() {
        QTest::addColumn<QString>("origen");
        QTest::addColumn<QString>("destino");
        QTest::addColumn<QString>("respuesta");
        QTest::addColumn<bool>("aceptada");
        QTest::addColumn<QStringList>("textos");
        const QString rango = QStringLiteral("¡ El valor debe estar entre 1 y 9999 !");
        QTest::newRow("libre") << "12"
                               << "30"
                               << "" << true << QStringList{};
        QTest::newRow("origen no entero")
            << "1a"
            << "30"
            << "" << false
            << QStringList{QStringLiteral("¡ El dato introducido no es válido !. Repita por "
                                          "favor. Origen: 1a, Destino: 30")};
        QTest::newRow("destino no entero")
            << "12"
            << "x"
            << "" << false
            << QStringList{QStringLiteral("¡ El dato introducido no es válido !. Repita por "
                                          "favor. Origen: 12, Destino: x")};
        QTest::newRow("sin origen")
            << "77"
            << "30"
            << "" << false << QStringList{QStringLiteral("¡No existe el Origen 77!")};
        QTest::newRow("destino cero") << "12"
                                      << "0"
                                      << "" << false << QStringList{rango};
        QTest::newRow("destino grande") << "12"
                                        << "10000"
                                        << "" << false << QStringList{rango};
        QTest::newRow("destino existente, no")
            << "12"
            << "20"
            << "NO" << false
            << QStringList{QStringLiteral("¡Ya existe el Destino 20!. ¿Desea continuar?")};
        QTest::newRow("destino existente, sí")
            << "12"
            << "20"
            << "SI" << true
            << QStringList{QStringLiteral("¡Ya existe el Destino 20!. ¿Desea continuar?"),
                           QStringLiteral("El Origen desaparecerá y prevalecerá el Destino.")};
        QTest::newRow("sobre sí mismo") << "12"
                                        << "12"
                                        << "" << true << QStringList{};
    }
    void validacion() {
        QFETCH(QString, origen);
        QFETCH(QString, destino);
        QFETCH(QString, respuesta);
        QFETCH(bool, aceptada);
        QFETCH(QStringList, textos);
        Entorno e{Engine::Sqlite};
        if (!respuesta.isEmpty()) MessageSeam::enqueue(respuesta);
        QCOMPARE(e.teclear(origen, destino), aceptada);
        QStringList mostrados = TextosMostrados();
        for (QString& t : mostrados) t.remove(QStringLiteral("TRADUCIR: "));
        QCOMPARE(mostrados.size(), textos.size());
        for (int i = 0; i < textos.size(); ++i)
            QVERIFY2(mostrados[i].contains(textos[i]), qPrintable(mostrados[i]));
        QCOMPARE(e.f->Temporal->RecordCount(), aceptada ? 1 : 0);
    }

    // Rows loaded in bulk are checked before anything changes: an existing
    // destination asks, and a refused row stops the run.
    void comprobacionPrevia_data() {
        QTest::addColumn<QString>("archivo");
        QTest::addColumn<QStringList>("respuestas");
        QTest::addColumn<QString>("ultimo");
        QTest::newRow("destino existente, no")
            << "40|44\r\n12|20\r\n"
            << QStringList{QStringLiteral("NO")}
            << QStringLiteral("¡Ya existe el Destino 20!. ¿Desea continuar?");
        QTest::newRow("origen que no existe")
            << "40|44\r\n77|78\r\n"
            << QStringList{} << QStringLiteral("¡No existe el Origen 77!");
        QTest::newRow("conforme, no") << "40|44\r\n"
                                      << QStringList{QStringLiteral("NO")} << kEmpieza;
    }
    void comprobacionPrevia() {
        QFETCH(QString, archivo);
        QFETCH(QStringList, respuestas);
        QFETCH(QString, ultimo);
        Entorno e{Engine::Sqlite};
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("pares.txt"));
        QVERIFY(WriteTextFile(ruta, archivo.replace(QLatin1Char('|'), separador()),
                              TextEncoding::Windows1252));
        AsignarSeamDialogos([&](QObject* d) {
            qobject_cast<TFileDialog*>(d)->FileName = ruta;
            return true;
        });
        e.f->ImportardesdeArchivodeTexto1Click(nullptr);
        QVERIFY(TextosMostrados().isEmpty());  // bulk rows are not checked on loading
        e.conforme(respuestas);
        QCOMPARE(TextosMostrados().last(), ultimo);
        QCOMPARE(nombre(40), QStringLiteral("Eva"));
        QCOMPARE(nombre(44), QString());
    }

    // The check before the run takes each pair as the earlier ones leave the
    // codes: a rotation through a free code asks nothing and runs; two
    // origins into one new code ask about the second. A repeated origin and a
    // line with a NUL in the file are told, and nothing of them stays.
    void ordenDeLosPares_data() {
        QTest::addColumn<int>("engine");
        for (Engine e : AvailableEngines()) QTest::newRow(qPrintable(EngineTag(e))) << int(e);
    }
    void ordenDeLosPares() {
        QFETCH(int, engine);
        Entorno e{Engine(engine)};
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("pares.txt"));
        AsignarSeamDialogos([&](QObject* d) {
            qobject_cast<TFileDialog*>(d)->FileName = ruta;
            return true;
        });
        auto importar = [&](QString texto) {
            e.f->Inicializartabladeequivalencias1Click(nullptr);
            QVERIFY(WriteTextFile(ruta, texto.replace(QLatin1Char('|'), separador()),
                                  TextEncoding::Utf8));
            e.f->ImportardesdeArchivodeTexto1Click(nullptr);
        };
        importar(QStringLiteral("12|99\r\n20|12\r\n99|20\r\n"));
        QVERIFY(TextosMostrados().isEmpty());
        e.conforme({QStringLiteral("SI")});
        QCOMPARE(TextosMostrados(), QStringList{kEmpieza});
        QCOMPARE(nombre(12), QStringLiteral("Luis"));
        QCOMPARE(nombre(20), QStringLiteral("Ana"));
        QCOMPARE(nombre(99), QString());

        MessageSeam::clearLog();
        importar(QStringLiteral("12|30\r\n40|30\r\n"));
        e.conforme({QStringLiteral("NO")});
        QCOMPARE(TextosMostrados(),
                 QStringList{QStringLiteral("¡Ya existe el Destino 30!. ¿Desea continuar?")});
        QCOMPARE(nombre(30), QString());

        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("NO"));
        importar(QStringLiteral("12|30\r\n12|31\r\n4") + QChar(0) + QStringLiteral("|32\r\n"));
        QCOMPARE(TextosMostrados(), QStringList{kIncidencias});
        QCOMPARE(e.f->Incidencias,
                 (QStringList{QStringLiteral("¡La línea 3 del archivo no es válida! No se ha "
                                             "importado."),
                              QStringLiteral("¡El Origen 12 ya está en la tabla de equivalencias! "
                                             "No se ha importado el par 12") +
                                  separador() + QStringLiteral("31")}));
        QCOMPARE(e.pares(), QStringList{QStringLiteral("12>30 Pendiente")});
    }

    // While another window holds a transaction the run does not start: it
    // would join it and end it.
    void otraTransaccion_data() { ordenDeLosPares_data(); }
    void otraTransaccion() {
        QFETCH(int, engine);
        Entorno e{Engine(engine)};
        historia(12);
        QVERIFY(e.teclear(QStringLiteral("12"), QStringLiteral("30")));
        QVERIFY(IniciarTransaccion(fGENEINIC));
        e.conforme({});
        QVERIFY(CancelarTransaccion(fGENEINIC));
        QCOMPARE(TextosMostrados(),
                 QStringList{QStringLiteral("¡ Hay otra transacción activa en curso !. Debe "
                                            "finalizarla previamente.")});
        QCOMPARE(filasDe(12), int(std::size(kLugares)));
        QCOMPARE(e.pares(), QStringList{QStringLiteral("12>30 Pendiente")});
        // Another program holds the company database past the lock wait:
        // the first pair is refused because the database is busy (not a
        // record lock, not a bare "not completed"), the run stops there
        // rather than wait again for every pair, and every pair waits.
        QVERIFY(e.teclear(QStringLiteral("20"), QStringLiteral("50")));
        {
            TBaseRetenida retenida(fGENEINIC->Database, {QStringLiteral("PERSONAL")});
            MessageSeam::clearLog();
            e.conforme({QStringLiteral("SI"), QStringLiteral("NO")});
        }
        const QString ocupada = QStringLiteral(
            "¡ La base de datos está ocupada por otro usuario !. Inténtelo de "
            "nuevo dentro de unos momentos.");
        const QString incidencias = e.f->Incidencias.join(QLatin1Char('\n'));
        if (Engine(engine) == Engine::Sqlite)
            QCOMPARE(e.f->Incidencias,
                     (QStringList{ocupada, QStringLiteral("¡No se ha intercambiado el Origen 12 "
                                                          "por el Destino 30!")}));
        // On PostgreSQL the transaction begins, and the held table refuses.
        QVERIFY2(incidencias.contains(QStringLiteral("PERSONAL no se puede procesar. Motivo: ") +
                                      ocupada) ||
                     Engine(engine) == Engine::Sqlite,
                 qPrintable(incidencias));
        QVERIFY2(!incidencias.contains(QStringLiteral("bloqueado")), qPrintable(incidencias));
        QCOMPARE(filasDe(12), int(std::size(kLugares)));
        QCOMPARE(e.pares(), (QStringList{QStringLiteral("12>30 Pendiente"),
                                         QStringLiteral("20>50 Pendiente")}));
    }

    // The swap twice and a figure added then removed give the table back;
    // a refused row in either leaves it as it was.
    void intercambiarYCifras() {
        Entorno e{Engine::Sqlite};
        e.f->AgregarPar(QStringLiteral("12"), QStringLiteral("30"));
        e.f->AgregarPar(QStringLiteral("20"), QStringLiteral("40"));
        e.f->AgregarPar(QStringLiteral("40"), QStringLiteral("50"));
        const QStringList antes = e.pares();

        // 30 is no employee: the swap stops at its row and restores all.
        e.f->IntercambiarDatoOrigenporDatoDestino1Click(nullptr);
        QVERIFY(TextosMostrados().contains(QStringLiteral("¡No existe el Origen 30!")));
        QCOMPARE(e.pares(), antes);

        sql(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (30, 'Pío'), "
                           "(50, 'Sol')"));
        // Every swapped destination exists: each asks, and yes.
        for (int i = 0; i < 3; ++i) MessageSeam::enqueue(QStringLiteral("SI"));
        e.f->IntercambiarDatoOrigenporDatoDestino1Click(nullptr);
        QCOMPARE(e.pares(),
                 (QStringList{QStringLiteral("30>12 Pendiente"), QStringLiteral("40>20 Pendiente"),
                              QStringLiteral("50>40 Pendiente")}));
        e.f->IntercambiarDatoOrigenporDatoDestino1Click(nullptr);
        for (int i = 0; i < 3; ++i) MessageSeam::enqueue(QStringLiteral("SI"));
        e.f->IntercambiarDatoOrigenporDatoDestino1Click(nullptr);
        QCOMPARE(e.pares(), antes);

        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("9"));
        e.f->AgregarcifraenDestinoClick(nullptr);
        QCOMPARE(e.pares(),
                 (QStringList{QStringLiteral("12>39 Pendiente"), QStringLiteral("20>49 Pendiente"),
                              QStringLiteral("40>59 Pendiente")}));
        MessageSeam::enqueue(QStringLiteral("9"));
        for (int i = 0; i < 3; ++i) MessageSeam::enqueue(QStringLiteral("SI"));
        e.f->EliminarcifraenDestinoClick(nullptr);
        QCOMPARE(e.pares(), antes);

        // 30 + 9960 is taken, 40 + 9960 is out of range: the first row comes back too.
        MessageSeam::enqueue(QStringLiteral("9960"));
        e.f->AgregarcifraenDestinoClick(nullptr);
        QCOMPARE(TextosMostrados().last(),
                 QStringLiteral("¡ El valor debe estar entre 1 y 9999 !"));
        QCOMPARE(e.pares(), antes);
        // A figure that is no number changes nothing.
        MessageSeam::enqueue(QStringLiteral("dos"));
        e.f->AgregarcifraenDestinoClick(nullptr);
        QCOMPARE(e.pares(), antes);
    }

    // Export and import give the same pairs; an unreadable file is named.
    void archivosDeTexto() {
        Entorno e{Engine::Sqlite};
        e.f->AgregarPar(QStringLiteral("12"), QStringLiteral("30"));
        e.f->AgregarPar(QStringLiteral("20"), QStringLiteral("40"));
        QTemporaryDir dir;
        QString ruta = dir.filePath(QStringLiteral("pares.txt"));
        AsignarSeamDialogos([&](QObject* d) {
            qobject_cast<TFileDialog*>(d)->FileName = ruta;
            return true;
        });
        e.f->ExportaraArchivodeTexto1Click(nullptr);
        QString texto;
        QVERIFY(ReadTextFile(ruta, texto));
        QCOMPARE(texto,
                 QStringLiteral("12|30\r\n20|40\r\n").replace(QLatin1Char('|'), separador()));

        e.f->Inicializartabladeequivalencias1Click(nullptr);
        QCOMPARE(e.pares(), QStringList{});
        e.f->ImportardesdeArchivodeTexto1Click(nullptr);
        QCOMPARE(e.pares(), (QStringList{QStringLiteral("12>30 Pendiente"),
                                         QStringLiteral("20>40 Pendiente")}));

        ruta = dir.filePath(QStringLiteral("no/existe.txt"));
        e.f->ImportardesdeArchivodeTexto1Click(nullptr);
        QCOMPARE(TextosMostrados().last(),
                 QStringLiteral("¡No se puede leer el archivo ") + ruta + QStringLiteral("!"));
        QCOMPARE(e.pares().size(), 2);

        // The master's import: every employee onto itself, after the rows there.
        e.f->Inicializartabladeequivalencias1Click(nullptr);
        MessageSeam::enqueue(QStringLiteral("NO"));
        e.f->ImportarMaestroClick(nullptr);
        QCOMPARE(e.pares(),
                 (QStringList{QStringLiteral("12>12 Pendiente"), QStringLiteral("20>20 Pendiente"),
                              QStringLiteral("40>40 Pendiente")}));
        // The names, left out while loading, show once the rows are in.
        e.f->Temporal->First();
        QCOMPARE(e.f->Temporal->FieldByName(QStringLiteral("Nombre"))->AsString(),
                 QStringLiteral("Ana"));
    }

    // A close asked while the interchange runs is refused and the table
    // waits for it; afterwards the window closes.
    void noSeCierraEjecutando() {
        Entorno e{Engine::Sqlite};
        historia(12);
        QVERIFY(e.teclear(QStringLiteral("12"), QStringLiteral("30")));
        bool rejillaActiva = true;
        QTimer::singleShot(0, e.f.data(), [&] {
            rejillaActiva = e.f->DBGrid1->isEnabled();
            e.f->Close();
        });
        e.conforme({QStringLiteral("SI")});
        QVERIFY(e.f);
        QVERIFY(!rejillaActiva);  // no row is typed while the run marks them
        QVERIFY(e.f->DBGrid1->isEnabled());
        QCOMPARE(filasDe(30), int(std::size(kLugares)));
        QCoreApplication::processEvents();
        QVERIFY(e.f);
        e.f->Close();
        QTRY_VERIFY(!e.f);
    }
};

QTEST_MAIN(TestNomiIope)
#include "tst_nomiiope.moc"
