#include "rrhh/rrhhcapa_matriz.h"

#include <QBoxLayout>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QPointer>
#include <QSet>
#include <QSignalBlocker>
#include <QSqlQuery>
#include <QTableWidgetItem>
#include <algorithm>
#include <optional>

#include "db/database.h"
#include "db/dataset.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_diferidos.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhhpers_p.h"
#include "ui/controls.h"
#include "ui/grids.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

const QString kSeparador = QStringLiteral(" - ");

// The progress window for the length of a build.
class Progreso {
public:
    Progreso() {
        MostrarVentanaProgreso(QStringLiteral("ON"), QStringLiteral("Inicialización de datos"),
                               QStringLiteral("Inicializando..."));
    }
    ~Progreso() { MostrarVentanaProgreso(QStringLiteral("OFF"), QString(), QString()); }
    Progreso(const Progreso&) = delete;
    Progreso& operator=(const Progreso&) = delete;
};

// The grid is filled without a repaint per cell.
class SinRepintar {
public:
    explicit SinRepintar(QWidget* w) : w_(w), antes_(w->updatesEnabled()) {
        w_->setUpdatesEnabled(false);
    }
    ~SinRepintar() {
        if (w_) w_->setUpdatesEnabled(antes_);
    }
    SinRepintar(const SinRepintar&) = delete;
    SinRepintar& operator=(const SinRepintar&) = delete;

private:
    QPointer<QWidget> w_;
    bool antes_;
};

bool EnEdicion(const TDataSet* d) {
    return d->State() == dsEdit || d->State() == dsInsert;
}

}  // namespace

TMatrizCapacitacion::TMatrizCapacitacion(QWidget* owner, const TDefinicionMatriz& Definicion)
    : TForm(owner), definicion_(Definicion) {
    setObjectName(definicion_.Nombre);
    setCaption(definicion_.Titulo);
    setFormStyle(fsMDIChild);
    setKeyPreview(true);

    Personal = new TTable(this);
    Personal->setObjectName(QStringLiteral("Personal"));
    Personal->setTableName(QStringLiteral("PERSONAL"));
    Matriz = new TTable(this);
    Matriz->setObjectName(definicion_.ComponenteMatriz);
    Matriz->setTableName(definicion_.TablaMatriz);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);

    PanelControl = new TPanel(this);
    PanelControl->setObjectName(QStringLiteral("PanelControl"));
    auto* botones = new QHBoxLayout(PanelControl);
    botones->setContentsMargins(4, 4, 4, 4);
    ImprimirConDialogo = new TBitBtn(PanelControl);
    ImprimirConDialogo->setObjectName(QStringLiteral("ImprimirConDialogo"));
    ImprimirConDialogo->setHint(definicion_.HintImprimir);
    botones->addWidget(ImprimirConDialogo);
    botones->addStretch(1);
    pbGrabar = new TBitBtn(PanelControl, QStringLiteral("&Grabar"));
    pbGrabar->setObjectName(QStringLiteral("pbGrabar"));
    pbSalir = new TBitBtn(PanelControl, QStringLiteral("&Salir"));
    pbSalir->setObjectName(QStringLiteral("pbSalir"));
    botones->addWidget(pbGrabar);
    botones->addWidget(pbSalir);

    StringGrid1 = new TStringGrid(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine |
                            goRangeSelect | goEditing | goTabs | goColSizing);
    StringGrid1->setDefaultRowHeight(17);
    StringGrid1->setRowCount(2);
    StringGrid1->setColCount(ColumnasFijas() + 1);
    StringGrid1->setFixedRows(1);
    StringGrid1->setFixedCols(ColumnasFijas());
    StringGrid1->setVisible(false);

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [this](const char* nombre, const char* caption) {
        return new TMenuItem(PopupMenu1->Items(), QLatin1String(nombre),
                             QString::fromUtf8(caption));
    };
    AsignarCapacitacinatodalacolumna1 =
        item("AsignarCapacitacinatodalacolumna1", "Asignar Capacitación a toda la columna");
    Inicializarlacolumna1 = item("Inicializarlacolumna1", "Inicializar la columna");
    item("N1", "-");
    Activos = item("Activos", "Personal Activo");
    Activos->setChecked(true);
    Inactivos = item("Inactivos", "Personal Inactivo");
    Inactivos->setChecked(false);
    StringGrid1->setPopupMenu(PopupMenu1);

    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSimplePanel(true);

    raiz->addWidget(PanelControl);
    raiz->addWidget(StringGrid1, 1);
    raiz->addWidget(StatusBar1);
    setActiveControl(StringGrid1);
    resize(760, 520);

    OnCreate = [this](QObject* s) { FormCreate(s); };
    OnClose = [](QObject*, TCloseAction& Action) { Action = caFree; };
    OnKeyDown = [this](QObject*, int& k, TShiftState s) {
        TeclaPulsadaFormulario(fGENEINIC, this, k, s);
    };
    OnKeyPress = [this](QObject*, QChar& k) { TeclaPresionadaFormulario(fGENEINIC, this, k); };
    StringGrid1->OnEnter = [this](QObject* s) { StringGrid1Enter(s); };
    Activos->OnClick = [this](QObject* s) { ActivosClick(s); };
    Inactivos->OnClick = [this](QObject* s) { InactivosClick(s); };
    AsignarCapacitacinatodalacolumna1->OnClick = [this](QObject* s) {
        AsignarCapacitacinatodalacolumna1Click(s);
    };
    Inicializarlacolumna1->OnClick = [this](QObject* s) { Inicializarlacolumna1Click(s); };
    pbGrabar->OnClick = [this](QObject* s) { pbGrabarClick(s); };
    pbSalir->OnClick = [this](QObject*) { Close(); };
    ImprimirConDialogo->OnClick = [this](QObject* s) { ImprimirConDialogoClick(s); };
}

TMatrizCapacitacion::~TMatrizCapacitacion() {
    StringGrid1->OnEnter = nullptr;
    for (TTable* t : {Matriz, Personal}) {
        if (EnEdicion(t)) t->Cancel();
        t->Close();
    }
}

TBitBtn* TMatrizCapacitacion::NuevoBoton(const char* Nombre, const QString& Caption,
                                         const QString& Hint) {
    auto* b = new TBitBtn(PanelControl, Caption);
    b->setObjectName(QLatin1String(Nombre));
    b->setHint(Hint);
    auto* caja = static_cast<QBoxLayout*>(PanelControl->layout());
    caja->insertWidget(caja->indexOf(ImprimirConDialogo) + 1, b);
    return b;
}

void TMatrizCapacitacion::FormCreate(QObject*) {
    AjustarTamanoFormulario(fGENEINIC, this, QStringLiteral("Fit"));
    AbrirTablasFormulario(fGENEINIC, this);
    StringGrid1->setColWidths(0, 300);
    if (definicion_.ConPuestoActual) StringGrid1->setColWidths(1, 150);
    StringGrid1->setVisible(true);
    // The grid is the window's first control: it is entered as it opens.
    ConstruirMatriz();
}

QString TMatrizCapacitacion::Par(const QString& Operario, const QString& Codigo) {
    return Operario + QChar(0x1f) + Codigo;
}

// ---------------------------------------------------------------- building

void TMatrizCapacitacion::StringGrid1Enter(QObject*) {
    ConstruirMatriz();
}

void TMatrizCapacitacion::ActivosClick(QObject*) {
    Activos->setChecked(!Activos->Checked());
    TCursorEspera reloj;
    ConstruirMatriz();
}

void TMatrizCapacitacion::InactivosClick(QObject*) {
    Inactivos->setChecked(!Inactivos->Checked());
    TCursorEspera reloj;
    ConstruirMatriz();
}

void TMatrizCapacitacion::ConstruirMatriz() {
    // The warnings below wait in a loop of their own: the window stays.
    QPointer<TMatrizCapacitacion> yo(this);
    TBusyForm ocupado(this);
    if (!Activos->Checked() && !Inactivos->Checked()) {
        MensajeAdvertencia(QStringLiteral("¡Debe seleccionar Activos y/o Inactivos!"));
        return;
    }
    Progreso progreso;
    TStringGrid* g = StringGrid1;
    const int fijas = ColumnasFijas();

    // Rows: the employees of the choice, in key order.
    struct Fila {
        QString Codigo;
        QString Cabecera;
        QString Puesto;
        TRowAsRead Leido;
    };
    QList<Fila> filas;
    const QSet<int> enVigor = MDNominas ? MDNominas->OperariosConContratoEnVigor() : QSet<int>();
    const bool activos = Activos->Checked();
    const bool inactivos = Inactivos->Checked();
    // Read through the table, in its key order: the header shown and the
    // employee the row's cells are later stored for come from one read.
    try {
        if (!Personal->Active()) Personal->Open();
        TField* codigo = Personal->FieldByName(QStringLiteral("CodigoOperario"));
        TField* nombre = Personal->FieldByName(QStringLiteral("Nombre"));
        TField* puesto = Personal->FieldByName(QStringLiteral("PuestoTrabajo"));
        for (Personal->First(); !Personal->Eof(); Personal->Next()) {
            const bool vigente = enVigor.contains(codigo->AsInteger());
            if (vigente ? !activos : !inactivos) continue;
            Fila f;
            f.Codigo = codigo->AsString();
            if (!f.Codigo.isEmpty()) {
                f.Cabecera = f.Codigo + kSeparador + nombre->AsString();
                if (definicion_.ConPuestoActual) f.Puesto = puesto->AsString();
                f.Leido = rrhhpers::OperarioLeido(Personal);
            }
            filas << f;
        }
    } catch (const EDatabaseError&) {
        // A table that cannot be read lists nobody, as before.
    }
    const QList<TColumnaMatriz> columnas = LeerColumnas();
    const int ancho = int(columnas.size());
    if (!yo) return;

    // The new sheet's data cells, row after row: the stored capability of
    // each pair that has one, else the text the same pair showed.
    QHash<QString, int> filaDe, columnaDe;
    for (int r = 0; r < filas.size(); ++r)
        if (!filas[r].Codigo.isEmpty()) filaDe.insert(filas[r].Codigo, r);
    for (int c = 0; c < ancho; ++c) columnaDe.insert(columnas[c].Codigo, c);
    QList<QString> textos(filas.size() * ancho);
    QList<bool> guardada(filas.size() * ancho, false);
    // The matrix (a row per pair: tens of thousands) is read as the engine
    // hands it over, with no dataset in between: its three columns are
    // whole numbers and codes, read as the fields would show them. A table
    // that cannot be read leaves the sheet without stored values.
    try {
        TDatabase* base = fGENEINIC->Database;
        QSqlQuery& q =
            base->Prepared(QStringLiteral("SELECT CodigoOperario, ") + definicion_.CampoCodigo +
                           QStringLiteral(", Capacitacion FROM ") + Matriz->TableName());
        // PostgreSQL's driver would end a row-by-row read at the next
        // statement: there the result is taken whole.
        q.setForwardOnly(base->engine() == Engine::Sqlite);
        base->Run(q);
        // A value missing shows nothing, as a null field does.
        auto texto = [&q](int i) {
            const QVariant v = q.value(i);
            return v.isNull() ? QString() : v.toString();
        };
        // The rows of one employee mostly come together: the row found for
        // the last code read serves again while the code is the same, and
        // the code is written as text only when it changes.
        QVariant operario;
        bool primera = true;
        int r = -1;
        while (q.next()) {
            const QVariant leido = q.value(0);
            if (primera || leido != operario) {
                primera = false;
                operario = leido;
                r = filaDe.value(texto(0), -1);
            }
            const int c = columnaDe.value(texto(1), -1);
            if (r < 0 || c < 0) continue;
            textos[r * ancho + c] = texto(2);
            guardada[r * ancho + c] = true;
        }
        q.finish();
    } catch (const EDatabaseError&) {
    }
    QHash<QString, int> filaAnterior, columnaAnterior;
    for (int r = 1; r < g->RowCount(); ++r) {
        const QString operario = CodigoFila(r);
        if (!operario.isEmpty()) filaAnterior.insert(operario, r);
    }
    for (int c = fijas; c < g->ColCount(); ++c) columnaAnterior.insert(CodigoColumna(c), c);
    QList<int> columnasAnteriores(ancho);
    for (int c = 0; c < ancho; ++c)
        columnasAnteriores[c] = columnaAnterior.value(columnas[c].Codigo, -1);
    for (int r = 0; r < filas.size(); ++r) {
        const int anterior = filaAnterior.value(filas[r].Codigo, -1);
        if (anterior < 0 || filas[r].Codigo.isEmpty()) continue;
        for (int c = 0; c < ancho; ++c) {
            const int columna = columnasAnteriores[c];
            if (columna >= 0 && !guardada[r * ancho + c])
                textos[r * ancho + c] = g->Cells(columna, anterior);
        }
    }

    const QStringList titulosAnteriores = g->Rows(0);
    cargados_.clear();
    for (int r = 0; r < filas.size(); ++r) {
        if (filas[r].Codigo.isEmpty()) continue;
        for (int c = 0; c < ancho; ++c)
            cargados_.insert(Par(filas[r].Codigo, columnas[c].Codigo),
                             guardada[r * ancho + c] ? textos[r * ancho + c] : QString());
    }
    codigosFila_ = QStringList{QString()};
    leidosFila_ = QList<TRowAsRead>{TRowAsRead()};
    for (const Fila& f : filas) {
        codigosFila_ << f.Codigo;
        leidosFila_ << f.Leido;
    }
    codigosColumna_ = QStringList(fijas);
    for (const TColumnaMatriz& c : columnas) codigosColumna_ << c.Codigo;
    SinRepintar sinRepintar(g);
    g->clearContents();
    // Columns before rows: the rows then come and go at the end, and the
    // title cells already made keep their place in the grid's model (a
    // cell that moved is looked for among all the others on each change).
    g->setColCount(ancho + fijas);
    g->setRowCount(int(filas.size()) + 1);
    if (g->FixedRows() != 1) g->setFixedRows(1);
    if (g->FixedCols() != fijas) g->setFixedCols(fijas);
    // The texts and colours go in without a model signal each; the grid is
    // repainted once.
    {
        const QSignalBlocker sinSenales(g->model());
        if (definicion_.ConPuestoActual) g->setCells(1, 0, QStringLiteral("PUESTO ACTUAL"));
        for (int c = 0; c < ancho; ++c)
            g->setCells(c + fijas, 0, columnas[c].Codigo + kSeparador + columnas[c].Descripcion);
        for (int r = 0; r < filas.size(); ++r) {
            g->setCells(0, r + 1, filas[r].Cabecera);
            if (definicion_.ConPuestoActual) g->setCells(1, r + 1, filas[r].Puesto);
            for (int c = 0; c < ancho; ++c)
                if (!textos[r * ancho + c].isEmpty())
                    g->setCells(c + fijas, r + 1, textos[r * ancho + c]);
        }
        // Titles in navy, as the grid draws them.
        for (int c = 0; c < g->ColCount(); ++c)
            if (QTableWidgetItem* it = g->item(0, c)) it->setForeground(QColor(0, 0, 128));
        for (int r = 1; r < g->RowCount(); ++r)
            if (QTableWidgetItem* it = g->item(r, 0)) it->setForeground(QColor(0, 0, 128));
    }
    g->viewport()->update();
    // Other columns show their title (up to a limit); widths the user set
    // stay while the columns are the same.
    if (g->Rows(0) != titulosAnteriores) {
        const QFontMetrics medida(g->font());
        for (int c = fijas; c < g->ColCount(); ++c)
            g->setColWidths(c, std::clamp(medida.horizontalAdvance(g->Cells(c, 0)) + 12, 64, 160));
    }
    if ((g->Col() < fijas || g->Row() < 1) && g->RowCount() > 1 && g->ColCount() > fijas)
        g->setCurrentCell(1, fijas);
}

// ---------------------------------------------------------------- saving

void TMatrizCapacitacion::pbGrabarClick(QObject*) {
    GrabarMatriz();
}

void TMatrizCapacitacion::GrabarMatriz() {
    QPointer<TMatrizCapacitacion> yo(this);
    TBusyForm ocupado(this);
    TStringGrid* g = StringGrid1;
    if (!Matriz->Active()) Matriz->Open();
    // A user who may only read: one warning, not one for every cell.
    if (Matriz->ReadOnly()) {
        MensajeAdvertencia(definicion_.ErrorGrabacion +
                           EDatabaseError::make(DbError::ReadOnly).Message());
        return;
    }
    const int fijas = ColumnasFijas();
    QElapsedTimer reloj;
    reloj.start();
    TField* capacitacion = Matriz->FieldByName(QStringLiteral("Capacitacion"));
    // What others saved since the sheet was read is read as it stands now.
    Matriz->Refresh();
    // Cells another user saved meanwhile that were also changed here: kept
    // as he saved them, and named once the save is over.
    QStringList ajenas;
    for (int r = 1; r < g->RowCount(); ++r) {
        const QString operario = CodigoFila(r);
        // A row without an employee has nothing to be stored under.
        if (operario.isEmpty()) continue;
        // The row's messages wait until its transaction has ended: no box
        // holds a lock another user waits for.
        std::optional<TMensajesDiferidos> mensajes(std::in_place);
        // What the row's stored cells were before it: a row taken back
        // shows again what is stored.
        QHash<QString, QString> cargadosAntes;
        // A busy database or a lost connection refuses every row after this
        // one too: told once, the save stops.
        bool detener = false;
        bool vigente = false;
        std::optional<TGuardaTransaccion> transaccion(std::in_place, fGENEINIC);
        if (!transaccion->Activa()) {
            MensajeAdvertencia(definicion_.ErrorGrabacion + TextoTransaccionNoIniciada());
            detener = true;
        } else {
            try {
                // The employee the sheet showed, still the one under his
                // code: another's row keeps its cells as typed.
                rrhhpers::ComprobarOperarioLeido(leidosFila_.value(r), operario.toInt(), Personal);
                vigente = true;
            } catch (const std::exception& e) {
                MensajeAdvertencia(definicion_.ErrorGrabacion + MotivoError(e));
                detener = BaseNoDisponible(e);
            }
        }
        if (vigente) {
            for (int c = fijas; c < g->ColCount(); ++c) {
                const QString codigo = CodigoColumna(c);
                const QString texto = g->Cells(c, r);
                const QString par = Par(operario, codigo);
                try {
                    const bool existe = Matriz->FindKey({operario.toInt(), ValorCodigo(codigo)});
                    const QString guardado = existe ? capacitacion->AsString() : QString();
                    if (guardado != cargados_.value(par)) {
                        // Not overwritten: unchanged here, the sheet takes the
                        // stored value; changed here too, the clerk is told.
                        if (texto == cargados_.value(par)) {
                            g->setCells(c, r, guardado);
                            cargados_.insert(par, guardado);
                        } else {
                            ajenas << g->Cells(0, r) + QStringLiteral(" / ") + g->Cells(c, 0);
                        }
                        continue;
                    }
                    if (existe) {
                        Matriz->Edit();
                    } else {
                        Matriz->Insert();
                        Matriz->FieldByName(QStringLiteral("CodigoOperario"))
                            ->setAsString(operario);
                        Matriz->FieldByName(definicion_.CampoCodigo)->setAsString(codigo);
                    }
                    capacitacion->setAsString(texto);
                    Matriz->Post();
                    if (!cargadosAntes.contains(par))
                        cargadosAntes.insert(par, cargados_.value(par));
                    cargados_.insert(par, capacitacion->AsString());
                } catch (const std::exception& e) {
                    if (EnEdicion(Matriz)) Matriz->Cancel();
                    MensajeAdvertencia(definicion_.ErrorGrabacion + MotivoError(e));
                    // A busy database or a lost connection refuses every cell
                    // after this one too: told once, the save stops here.
                    if (BaseNoDisponible(e)) {
                        detener = true;
                        break;
                    }
                }
                // The bar follows the save without a repaint for every cell.
                if (reloj.elapsed() >= 100) {
                    reloj.restart();
                    MensajeBarraEstado(fGENEINIC, StatusBar1,
                                       QStringLiteral("Generando Capacitaciones ... Operario:") +
                                           operario + definicion_.EtiquetaCodigo + codigo,
                                       QString());
                    StatusBar1->repaint();
                }
            }
            // Stopped, or a commit refused (it has said why): nothing of the
            // row is stored.
            if (detener || !transaccion->Confirmar()) {
                detener = true;
                transaccion.reset();
                for (auto it = cargadosAntes.cbegin(); it != cargadosAntes.cend(); ++it)
                    cargados_.insert(it.key(), it.value());
                try {
                    Matriz->Refresh();
                } catch (const std::exception&) {
                    // Read again at the next save.
                }
            }
        }
        transaccion.reset();
        mensajes.reset();
        if (!yo) return;
        if (detener) break;
    }
    MensajeBarraEstado(fGENEINIC, StatusBar1, QString(), QString());
    StatusBar1->repaint();
    if (!ajenas.isEmpty())
        MensajeAdvertencia(
            QStringLiteral("¡ Otro usuario ha grabado entretanto estas capacitaciones y no se han "
                           "modificado: ") +
            ajenas.join(QStringLiteral("; ")) +
            QStringLiteral(" !. Vuelva a cargar la matriz e introdúzcalas de nuevo."));
}

// ---------------------------------------------------------------- column tools

int TMatrizCapacitacion::ColumnaConfirmada(const QString& Inicio) {
    const int columna = StringGrid1->Col();
    if (columna < ColumnasFijas() || StringGrid1->RowCount() < 2) return -1;
    const QString respuesta = MensajeConfirmacion(Inicio + QString::number(columna - 1) +
                                                  QStringLiteral(". ¿Está seguro de continuar?"));
    return respuesta == QLatin1String("NO") ? -1 : columna;
}

void TMatrizCapacitacion::AsignarCapacitacinatodalacolumna1Click(QObject*) {
    QPointer<TMatrizCapacitacion> yo(this);
    TBusyForm ocupado(this);
    const int columna =
        ColumnaConfirmada(QStringLiteral("Este proceso asigna la capacitación a la columna "));
    if (columna < 0 || !yo) return;
    const QString valor = MensajePeticion(QStringLiteral("Introduzca la capacitacion: "));
    if (!yo || PeticionCancelada()) return;
    if (!ValidarEntero(valor, QStringLiteral("Capacitación"))) return;
    if (!yo) return;
    TCursorEspera reloj;
    for (int r = 1; r < StringGrid1->RowCount(); ++r) StringGrid1->setCells(columna, r, valor);
}

void TMatrizCapacitacion::Inicializarlacolumna1Click(QObject*) {
    QPointer<TMatrizCapacitacion> yo(this);
    TBusyForm ocupado(this);
    const int columna = ColumnaConfirmada(QStringLiteral("Este proceso inicializa la columna "));
    if (columna < 0 || !yo) return;
    for (int r = 1; r < StringGrid1->RowCount(); ++r) StringGrid1->setCells(columna, r, QString());
}

void TMatrizCapacitacion::ImprimirConDialogoClick(QObject*) {
    QString nivel;
    NivelAccesoPrograma(ModuloDatos, CodigoUsuarioActual, definicion_.ProgramaListado, nivel);
    if (nivel != QLatin1String("Total") && nivel != QLatin1String("Solo Lectura")) return;
    if (!FormClassRegistered(definicion_.ClaseListado)) return;
    TForm* f = nullptr;
    AbrirFormulario(ModuloDatos, definicion_.ClaseListado, f, QStringLiteral("Create"),
                    definicion_.NombreListado);
}
