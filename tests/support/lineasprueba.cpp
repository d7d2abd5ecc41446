#include "support/lineasprueba.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genebusq.h"
#include "rrhh/rrhhpers.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/sqlprueba.h"
#include "support/tecladoprueba.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/form.h"
#include "ui/menus.h"

namespace {

void MostrarPagina(QWidget* Control) {
    for (QWidget* w = Control->parentWidget(); w; w = w->parentWidget())
        if (auto* pagina = qobject_cast<TTabSheet*>(w)) {
            if (TPageControl* paginas = pagina->PageControl()) paginas->setActivePage(pagina);
            MostrarPagina(pagina);
            return;
        }
}

int ColumnaDe(TDBGrid* Rejilla, const QString& Campo) {
    for (int i = 0; i < Rejilla->Columns().Count(); ++i)
        if (Rejilla->Columns()[i]->FieldName() == Campo) return i;
    return -1;
}

// A click on the line's first visible column; the grid takes the keys.
void ClicEnPrimeraColumna(TDBGrid* Rejilla, int Fila) {
    MostrarPagina(Rejilla);
    int primera = 0;
    while (primera < Rejilla->Columns().Count() - 1 && !Rejilla->Columns()[primera]->Visible())
        ++primera;
    const QModelIndex celda = Rejilla->model()->index(Fila, primera);
    QVERIFY(celda.isValid());
    QTest::mouseClick(Rejilla->viewport(), Qt::LeftButton, {}, Rejilla->visualRect(celda).center());
    QTRY_VERIFY(Rejilla->hasFocus());
    QCOMPARE(Rejilla->currentIndex().row(), Fila);
}

}  // namespace

void ActuarSobreLinea(TForm* Ventana, TDBGrid* Rejilla, int Fila, const QString& Campo,
                      const QString& Accion, const QString& Valor, bool PorTeclado) {
    MostrarPagina(Rejilla);
    const int columna = ColumnaDe(Rejilla, Campo);
    QVERIFY2(columna >= 0, qPrintable(Campo));
    const QModelIndex celda = Rejilla->model()->index(Fila, columna);
    QVERIFY(celda.isValid());
    Rejilla->scrollTo(celda);
    const QPoint punto = Rejilla->visualRect(celda).center();
    if (PorTeclado) {
        // The cell reached with Tab from where the keys left the cursor.
        for (int i = 0; i < Rejilla->Columns().Count() && Rejilla->SelectedIndex() != columna; ++i)
            PulsarEnFoco({QStringLiteral("⇥")}, Rejilla);
        QCOMPARE(Rejilla->SelectedIndex(), columna);
    } else {
        QTest::mouseClick(Rejilla->viewport(), Qt::LeftButton, {}, punto);
    }
    QTRY_VERIFY(Rejilla->hasFocus());
    QCOMPARE(Rejilla->currentIndex().row(), Fila);
    if (Accion == QLatin1String("borrar")) {
        MessageSeam::enqueue(QStringLiteral("SI"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ControlModifier);
    } else if (Accion == QLatin1String("teclear")) {
        TeclearEnFoco(Valor);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    } else {
        AlMostrarse<TfGENEBUSQ>([Valor](TfGENEBUSQ* d) {
            d->DatoABuscar->setText(Valor);
            d->pbBuscarClick();
            d->ClientDataSet1->First();
            d->pbConformeClick();
        });
        if (PorTeclado)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        else
            QTest::mouseDClick(Rejilla->viewport(), Qt::LeftButton, {}, punto);
    }
    QCoreApplication::processEvents();
    if (auto* conforme = Ventana->findChild<QAbstractButton*>(QStringLiteral("pbConforme")))
        QTest::mouseClick(conforme, Qt::LeftButton);
}

void CasoLineaSinTeclear(TForm* Ventana, TDBGrid* Rejilla, const QString& Consulta,
                         const QString& Filas, bool Cierre) {
    QPointer<TForm> ventana(Ventana);
    ventana->Show();
    QVERIFY(QTest::qWaitForWindowActive(ventana));
    MostrarPagina(Rejilla);
    TDataSet* lineas = Rejilla->DataSource()->DataSet();
    auto clic = [Rejilla](int fila, int columna) {
        const QModelIndex celda = Rejilla->model()->index(fila, columna);
        QTest::mouseClick(Rejilla->viewport(), Qt::LeftButton, {},
                          Rejilla->visualRect(celda).center());
    };
    auto pulsar = [](Qt::Key tecla) { QTest::keyClick(QApplication::focusWidget(), tecla); };
    QCOMPARE(PrimeroEnOtraSesion(Consulta), Filas);
    clic(2, 0);
    QTRY_VERIFY(Rejilla->hasFocus());
    pulsar(Qt::Key_Down);
    QCOMPARE(lineas->State(), dsInsert);
    // To the second column (a window may start the line on another), and out of it.
    for (int i = 0; i < 8 && Rejilla->SelectedIndex() != 1; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                        Rejilla->SelectedIndex() > 1 ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(Rejilla->SelectedIndex(), 1);
    pulsar(Qt::Key_Tab);
    QCOMPARE(Rejilla->SelectedIndex(), 2);
    QCOMPARE(lineas->State(), dsInsert);
    MessageSeam::clearLog();
    if (Cierre) {
        MessageSeam::enqueue(QStringLiteral("NO"));
        ventana->Close();
        QTRY_VERIFY(!ventana);
        QCOMPARE(TextosMostrados().size(), 1);
    } else {
        clic(0, 3);
        QCOMPARE(TextosMostrados(), QStringList());
        QCOMPARE(PrimeroEnOtraSesion(Consulta), Filas);
        QCOMPARE(lineas->State(), dsBrowse);
        QVERIFY(Rejilla->hasFocus());
        QCOMPARE(Rejilla->currentIndex().row(), 0);
        // The person put into edit by the line begun is left as it was.
        if (auto* cancelar = ventana->findChild<QAbstractButton*>(QStringLiteral("pbCancelar"));
            cancelar && cancelar->isEnabled())
            QTest::mouseClick(cancelar, Qt::LeftButton);
        ventana->Close();
        QTRY_VERIFY(!ventana);
    }
    QCOMPARE(PrimeroEnOtraSesion(Consulta), Filas);
}

void LlevarRegistroA(TForm* Ventana, QWidget* Nombre, const QString& Momento) {
    auto pulsar = [Ventana](const char* boton) {
        auto* b = Ventana->findChild<QAbstractButton*>(QLatin1String(boton));
        QVERIFY2(b, boton);
        QTest::mouseClick(b, Qt::LeftButton);
    };
    if (Momento == QLatin1String("grabada")) {
        MostrarPagina(Nombre);
        QTest::mouseClick(Nombre, Qt::LeftButton);
        QTRY_VERIFY(Nombre->hasFocus());
        QTest::keyClick(Nombre, Qt::Key_End);
        TeclearEnFoco(QStringLiteral("a"));
        pulsar("pbConforme");
    } else if (Momento == QLatin1String("movida")) {
        pulsar("pbSiguiente");
        pulsar("pbAnterior");
    }
}

void DejarLineaPendiente(TDBGrid* Rejilla, int Fila, const QString& Tecla) {
    MostrarPagina(Rejilla);
    TDataSet* lineas = Rejilla->DataSource()->DataSet();
    const int filas = Rejilla->model()->rowCount();
    ClicEnPrimeraColumna(Rejilla, Fila);
    if (QTest::currentTestFailed()) return;
    if (Tecla == QLatin1String("Abajo")) {
        QTest::keyClick(Rejilla, Qt::Key_Down);
    } else {
        for (int i = 0; i <= Rejilla->Columns().Count() && lineas->State() != dsInsert; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QCOMPARE(lineas->State(), dsInsert);
    QVERIFY(!lineas->Modified());
    QCOMPARE(Rejilla->model()->rowCount(), filas + 1);
    QCOMPARE(Rejilla->currentIndex().row(), filas);
}

void CruzarLineaConIntro(TDBGrid* Rejilla, int Fila) {
    MostrarPagina(Rejilla);
    const int filas = Rejilla->model()->rowCount();
    ClicEnPrimeraColumna(Rejilla, Fila);
    if (QTest::currentTestFailed()) return;
    for (int i = 0; i <= Rejilla->Columns().Count() && Rejilla->currentIndex().row() == Fila; ++i)
        PulsarEnFoco({QStringLiteral("⏎")}, Rejilla);
    QCOMPARE(Rejilla->currentIndex().row(), Fila + 1);
    QCOMPARE(Rejilla->DataSource()->DataSet()->State(), Fila + 1 < filas ? dsBrowse : dsInsert);
}

void RecorrerRejillaConTeclas(TDBGrid* Rejilla) {
    MostrarPagina(Rejilla);
    TDataSet* lineas = Rejilla->DataSource()->DataSet();
    const int filas = Rejilla->model()->rowCount();
    QVERIFY2(filas >= 2, qPrintable(Rejilla->objectName()));
    CruzarLineaConIntro(Rejilla, 0);
    if (QTest::currentTestFailed()) return;
    PulsarEnFoco({QStringLiteral("⇤")}, Rejilla);
    QCOMPARE(Rejilla->currentIndex().row(), 0);
    QCOMPARE(Rejilla->currentIndex().column(), Rejilla->SelectedIndex());
    QVERIFY(Rejilla->SelectedIndex() > 0);
    QCOMPARE(lineas->State(), dsBrowse);
    if (Rejilla->ReadOnly() || !(Rejilla->Options() & dgEditing) || !lineas->CanModify()) {
        // Where no line is added, Enter on the last line stays on it.
        ClicEnPrimeraColumna(Rejilla, filas - 1);
        for (int i = 0; i <= Rejilla->Columns().Count(); ++i)
            PulsarEnFoco({QStringLiteral("⏎")}, Rejilla);
        QCOMPARE(Rejilla->currentIndex().row(), filas - 1);
        QCOMPARE(lineas->State(), dsBrowse);
        return;
    }
    CruzarLineaConIntro(Rejilla, filas - 1);
    if (QTest::currentTestFailed()) return;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QVERIFY(Rejilla->hasFocus());
    QCOMPARE(lineas->State(), dsBrowse);
    QCOMPARE(Rejilla->model()->rowCount(), filas);
}

void ClicEnLineaBorradaEntretanto(TDBGrid* Rejilla, int Actual, int Fila, const QString& Borrado) {
    ClicEnPrimeraColumna(Rejilla, Actual);
    if (QTest::currentTestFailed()) return;
    TDataSet* lineas = Rejilla->DataSource()->DataSet();
    TField* campo = Rejilla->SelectedField();
    QVERIFY(campo);
    const QString antes = campo->DisplayText();
    FilasEnOtraSesion(Borrado);
    MessageSeam::clearLog();
    const QModelIndex celda = Rejilla->model()->index(Fila, Rejilla->SelectedIndex());
    QTest::mouseClick(Rejilla->viewport(), Qt::LeftButton, {}, Rejilla->visualRect(celda).center());
    QCOMPARE(TextosMostrados(),
             QStringList{QStringLiteral(
                 "¡Este registro ya no está disponible en la vista actual!. Para ver la nueva "
                 "situación vuelva a seleccionar o filtrar los datos que desee.")});
    QCOMPARE(lineas->State(), dsBrowse);
    QCOMPARE(campo->DisplayText(), antes);
    QCOMPARE(Rejilla->currentIndex().data().toString(), antes);
    QTRY_VERIFY(Rejilla->hasFocus());
    MessageSeam::enqueue(QStringLiteral("SI"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ControlModifier);
    QCoreApplication::processEvents();
}

void FilasLineaBajoElCursor(const QList<RejillaDeLineas>& Rejillas) {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("rejilla");
    QTest::addColumn<QString>("consulta");
    QTest::addColumn<QString>("momento");
    QTest::addColumn<QString>("accion");
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QString>("valor");
    QTest::addColumn<QStringList>("lineas");
    for (Engine motor : AvailableEngines())
        for (const RejillaDeLineas& r : Rejillas)
            for (const QString momento : {"abierta", "grabada", "movida", "pendiente tras Intro",
                                          "pendiente tras Abajo", "tras Intro por la anterior"})
                for (const QString accion : {"borrar", "teclear", "buscar"}) {
                    const bool buscar = accion == QLatin1String("buscar");
                    if (buscar && r.buscado.isEmpty()) continue;
                    QStringList lineas = r.antes.mid(0, 2);
                    if (accion == QLatin1String("teclear")) lineas << r.tecleada;
                    if (buscar) lineas << r.buscada;
                    QTest::newRow(qPrintable(QStringLiteral("%1 %2 %3 %4")
                                                 .arg(EngineTag(motor), r.nombre, momento, accion)))
                        << int(motor) << r.nombre << r.consulta << momento << accion
                        << (buscar ? r.buscado : r.tecleado) << (buscar ? r.codigo : r.texto)
                        << lineas;
                }
}

void DatosDeLineasDePersona(const QString& Propietario, int Codigo, int Otro) {
    for (const char* t : {"PUESTO", "FORMCION", "GRANALIS", "GRANTAB", "HPUESTO", "HFORMACI"})
        SqlPrueba(QStringLiteral("DELETE FROM ") + QLatin1String(t));
    SqlPrueba(
        QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('ADM', "
                       "'Administrativo'), ('OPE', 'Operario de línea'), ('JEF', 'Jefe de "
                       "equipo')"));
    SqlPrueba(
        QStringLiteral("INSERT INTO FORMCION (Codigo, Tipo, Descripcion) VALUES ('F1', "
                       "'CURSO', 'Curso Hojas de cálculo'), ('F2', 'CURSO', 'Soldadura'), "
                       "('F3', 'CURSO', 'Inglés'), ('F4', 'CURSO', 'Prevención')"));
    SqlPrueba(
        QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion, CategoriaGrupo) VALUES "
                       "('G1', 'Uno', ''), ('G2', 'Dos', ''), ('G3', 'Tres', ''), ('G4', "
                       "'Cuatro', '')"));
    const auto grupo = [&Propietario](int Persona, const QString& Grupo) {
        SqlPrueba(QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) "
                                 "VALUES ('%1', '%2', '%3')")
                      .arg(Propietario, QString::number(Persona), Grupo));
    };
    const QString lineaPuesto = QStringLiteral(
        "INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, FechaInicio, "
        "CodigoPuesto, Descripcion) SELECT '%1', %2, %3, %4, Codigo, Descripcion "
        "FROM PUESTO WHERE Codigo = '%5'");
    const char* puestos[] = {"ADM", "OPE", "JEF"};
    for (int i = 0; i < 3; ++i) {
        const QString linea = QString::number(i + 1);
        const QString inicio = ValorSQL(QDateTime(QDate(2021 + i, 1, 1), QTime(0, 0)));
        SqlPrueba(lineaPuesto.arg(Propietario, QString::number(Codigo), linea, inicio,
                                  QLatin1String(puestos[i])));
        SqlPrueba(QStringLiteral("INSERT INTO HFORMACI (NombreTabla, CodigoOperario, Linea, "
                                 "FechaInicio, CodigoFormacion, Descripcion, Tipo, Apto) SELECT "
                                 "'%1', %2, %3, %4, Codigo, Descripcion, 'Interno', 'Apto' FROM "
                                 "FORMCION WHERE Codigo = 'F%3'")
                      .arg(Propietario, QString::number(Codigo), linea, inicio));
        grupo(Codigo, QStringLiteral("G") + linea);
    }
    SqlPrueba(lineaPuesto.arg(Propietario, QString::number(Otro), QStringLiteral("1"),
                              ValorSQL(QDateTime(QDate(2021, 1, 1), QTime(0, 0))),
                              QStringLiteral("ADM")));
    grupo(Otro, QStringLiteral("G1"));
}

QList<RejillaDeLineas> RejillasDePersona(int Codigo) {
    const QString c = QString::number(Codigo);
    return {
        {"DBGridHPuestos",
         "SELECT Linea, CodigoPuesto, Descripcion FROM HPUESTO WHERE CodigoOperario = " + c +
             " ORDER BY Linea",
         "Descripcion",
         "Prueba",
         "CodigoPuesto",
         "OPE",
         {"1|ADM|Administrativo", "2|OPE|Operario de línea", "3|JEF|Jefe de equipo"},
         "3|JEF|Prueba",
         "3|OPE|Operario de línea"},
        {"DBGridHFormacion",
         "SELECT Linea, CodigoFormacion, Descripcion FROM HFORMACI WHERE CodigoOperario = " + c +
             " ORDER BY Linea",
         "Descripcion",
         "Título ŝ",
         "CodigoFormacion",
         "F4",
         {"1|F1|Curso Hojas de cálculo", "2|F2|Soldadura", "3|F3|Inglés"},
         "3|F3|Título ŝ",
         "3|F4|Prevención"},
        {"DBGridGA",
         "SELECT GrupoAnalisis FROM GRANTAB WHERE ClaveTabla = '" + c +
             "' AND GrupoAnalisis LIKE 'G%' ORDER BY GrupoAnalisis",
         "GrupoAnalisis",
         "G4",
         "GrupoAnalisis",
         "G4",
         {"G1", "G2", "G3"},
         "G4",
         "G4"},
    };
}

void CasoLineaBajoElCursor(TFichaPersona* Ventana, const QString& Codigo,
                           const QString& ConsultaAjena, const QStringList& Ajenas) {
    QFETCH(QString, rejilla);
    QFETCH(QString, consulta);
    QFETCH(QString, momento);
    QFETCH(QString, accion);
    QFETCH(QString, campo);
    QFETCH(QString, valor);
    QFETCH(QStringList, lineas);
    Ventana->Show();
    QVERIFY(QTest::qWaitForWindowActive(Ventana));
    LlevarRegistroA(Ventana, Ventana->EditNombre, momento);
    QCOMPARE(Ventana->EditCodigoOperario->Text(), Codigo);
    QCOMPARE(Ventana->Table1->State(), dsBrowse);
    MessageSeam::clearLog();
    TDBGrid* rejillaLineas = Ventana->findChild<TDBGrid*>(rejilla);
    if (momento.startsWith(QLatin1String("pendiente")))
        DejarLineaPendiente(rejillaLineas, 2, momento.section(QLatin1Char(' '), -1));
    const bool porTeclado = momento == QLatin1String("tras Intro por la anterior");
    if (porTeclado) CruzarLineaConIntro(rejillaLineas, 1);
    if (QTest::currentTestFailed()) return;
    ActuarSobreLinea(Ventana, rejillaLineas, 2, campo, accion, valor, porTeclado);
    if (QTest::currentTestFailed()) return;
    QCOMPARE(FilasEnOtraSesion(consulta), lineas);
    QCOMPARE(FilasEnOtraSesion(ConsultaAjena), Ajenas);
    QCOMPARE(TextosMostrados().filter(QStringLiteral("¡")), QStringList());
    QCOMPARE(Ventana->Table1->State(), dsBrowse);
}

InstalacionPorMotor::InstalacionPorMotor() = default;
InstalacionPorMotor::~InstalacionPorMotor() = default;

void InstalacionPorMotor::Para(int Motor) {
    if (empresa_ && motor_ == Motor) return;
    empresa_.reset();
    empresa_ = std::make_unique<EmpresaPrueba>(Engine(Motor));
    motor_ = Motor;
}

void InstalacionPorMotor::Soltar() {
    empresa_.reset();
}
