#include "rrhh/rrhhcaop.h"

#include <QBoxLayout>
#include <QColorDialog>
#include <QPainter>
#include <QSqlQuery>

#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "db/tablecursor.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesist.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genevmem.h"
#include "gene/session/geneapp.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "nomina/nomicale.h"
#include "rrhh/rrhhpers_p.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/grids.h"
#include "ui/menus.h"
#include "ui/registry.h"

TfRRHHCAOP* fRRHHCAOP = nullptr;

struct TfRRHHCAOP::DiasMes {
    TDiasCalendario propios;
    TDiasCalendario empresa;
};

namespace {

const char* const kNoActualizado = "¡ Calendario no actualizado !";
const int kNaranja = 33023;

QString SiNo(bool v) {
    return v ? QStringLiteral("SI") : QStringLiteral("NO");
}

bool Nomina() {
    return EsProgramaEnEjecucion(QStringLiteral("PELISTO.EXE"));
}

bool Presencia() {
    return EsProgramaEnEjecucion(QStringLiteral("MURDANE.EXE"));
}

TDiasCalendario LeerDiasOperario(int Codigo, const QDate& Desde, const QDate& Hasta) {
    TDiasCalendario dias;
    TDatabase* base = BaseCalendarios();
    QSqlQuery q = base->Execute(
        QStringLiteral("SELECT Fecha, EsDiaTrabajado, EsDiaFestivo, EsDiaVacaciones, EsDiaPuente, "
                       "EsDiaPermiso, NumeroHorario, Situacion FROM CALENOPE WHERE "
                       "CodigoOperario = ? AND Fecha >= ? AND Fecha <= ?"),
        QVariantList{Codigo} << LimitesDias(base, Desde, Hasta));
    while (q.next()) {
        TDiaCalendario d = DiaLeido(q);
        d.Permiso = q.value(5).toString();
        d.NumeroHorario = q.value(6).toInt();
        d.Situacion = q.value(7).toString();
        dias.insert(TTableCursor::fromStorage(q.value(0), ftDateTime).toDateTime().date(), d);
    }
    return dias;
}

QTime Hora(TField* Campo) {
    if (!Campo || Campo->IsNull()) return QTime();
    return Campo->AsDateTime().time();
}

}  // namespace

TfRRHHCAOP::TfRRHHCAOP(QWidget* owner)
    : TForm(owner),
      operarioMostrado_(std::make_unique<rrhhpers::TOperarioMostrado>()),
      dias_(new DiasMes) {
    setObjectName(QStringLiteral("fRRHHCAOP"));
    setCaption(QStringLiteral("Maestro de Calendarios de Operario"));
    setFormStyle(fsMDIChild);
    setKeyPreview(true);
    const QDate hoy = QDate::currentDate();
    ejercicio_ = hoy.year();
    mes_ = hoy.month();

    auto tabla = [this](const char* nombre, const char* tabla) {
        auto* t = new TTable(this);
        t->setObjectName(QLatin1String(nombre));
        t->setTableName(QLatin1String(tabla));
        return t;
    };
    Calendario = tabla("Calendario", "CALENOPE");
    Incidencias = tabla("Incidencias", "INCCALOP");
    Horario = tabla("Horario", "HORARIO");
    DSIncidencias = new TDataSource(this);
    DSIncidencias->setObjectName(QStringLiteral("DSIncidencias"));
    DSIncidencias->setDataSet(Incidencias);
    DSHorario = new TDataSource(this);
    DSHorario->setObjectName(QStringLiteral("DSHorario"));
    DSHorario->setDataSet(Horario);
    auto campo = [this](const char* nombre, TFieldType tipo, int tamano = 0) {
        TField* f = Incidencias->AddField(QLatin1String(nombre), tipo, tamano);
        f->setObjectName(QStringLiteral("Incidencias") + QLatin1String(nombre));
        return f;
    };
    campo("CodigoOperario", ftSmallint);
    campo("Fecha", ftDateTime);
    campo("Linea", ftSmallint);
    campo("GrupoAnalisis", ftString, 10);
    campo("HoraInicio", ftDateTime);
    campo("HoraFinal", ftDateTime);
    campo("Tiempo", ftFloat)->setDisplayFormat(QStringLiteral("#,##0.00"));
    campo("Descripcion", ftString, 100);
    campo("DescripcionAmpliada", ftMemo);
    campo("Color", ftInteger);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);

    PanelControl = new TPanel(this);
    PanelControl->setObjectName(QStringLiteral("PanelControl"));
    auto* filas = new QVBoxLayout(PanelControl);
    filas->setContentsMargins(4, 4, 4, 4);
    auto* fila1 = new QHBoxLayout;
    auto* fila2 = new QHBoxLayout;
    filas->addLayout(fila1);
    filas->addLayout(fila2);
    CrearContador(PanelControl, fila1, "Operario:", "EditOperario", "SpinOperario", 50,
                  EditOperario, SpinOperario);
    EditNombreOperario = new TEdit(PanelControl);
    EditNombreOperario->setObjectName(QStringLiteral("EditNombreOperario"));
    EditNombreOperario->setReadOnly(true);
    EditNombreOperario->setMinimumWidth(200);
    fila1->addWidget(EditNombreOperario, 1);
    CrearContador(PanelControl, fila1, "Ejercicio:", "EditEjercicio", "SpinEjercicio", 50,
                  EditEjercicio, SpinEjercicio);
    CrearContador(PanelControl, fila1, "Mes:", "EditMes", "SpinMes", 90, EditMes, SpinMes);

    PanelTiposDia =
        CrearPanelTiposDia(PanelControl, pbTrabajados, pbLaborables, pbFestivos, pbVacaciones);
    pbPermiso = BotonPaleta(PanelTiposDia, "pbPermiso", "Pe", clFuchsia,
                            "Marcar/Desmarcar días de PERMISO", 5);
    pbPuente = BotonPaleta(PanelTiposDia, "pbPuente", "Pu", kNaranja,
                           "Marcar/Desmarcar días de PUENTE", 6);
    fila2->addWidget(PanelTiposDia);

    pbModificar = new TSpeedButton(PanelControl, QStringLiteral("Modificar"));
    pbModificar->setObjectName(QStringLiteral("pbModificar"));
    pbModificar->setHint(
        QStringLiteral("Activar/Desactivar Modificaciones calendario particular del operario"));
    pbModificar->setGroupIndex(20);
    fila2->addWidget(pbModificar);

    auto* etiquetaSituacion = new TLabel(PanelControl, QStringLiteral("Situación:"));
    etiquetaSituacion->setObjectName(QStringLiteral("LabelSituacion"));
    fila2->addWidget(etiquetaSituacion);
    EditSituacion = new TComboBox(PanelControl);
    EditSituacion->setObjectName(QStringLiteral("EditSituacion"));
    EditSituacion->setItems({QStringLiteral("Alta"), QStringLiteral("No Retribuido Cotizable"),
                             QStringLiteral("No Retribuido No Cotizable"),
                             QStringLiteral("Enfermedad"), QStringLiteral("Accidente Trabajo"),
                             QStringLiteral("Maternidad"), QStringLiteral("Maternidad Parcial"),
                             QStringLiteral("Regulacion Empleo"), QString()});
    EditSituacion->setText(QStringLiteral("Alta"));
    fila2->addWidget(EditSituacion);
    EditNumeroHorario = CrearSelectorHorario(PanelControl, fila2, DSHorario);

    auto boton = [&](const char* nombre, const char* caption, const char* hint) {
        auto* b = new TBitBtn(PanelControl, QString::fromUtf8(caption));
        b->setObjectName(QLatin1String(nombre));
        b->setHint(QString::fromUtf8(hint));
        fila2->addWidget(b);
        return b;
    };
    pbGenerarCalendario =
        boton("pbGenerarCalendario", "", "Generar el calendario del mes para los operarios");
    pbMarcarDiasRegulacionEmpleo =
        boton("pbMarcarDiasRegulacionEmpleo", "RE", "Marcar días de Regulación de Empleo");
    pbMarcarDiasRegulacionEmpleo->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    pbZoom = new TSpeedButton(PanelControl, QStringLiteral("Zoom"));
    pbZoom->setObjectName(QStringLiteral("pbZoom"));
    pbZoom->setHint(QStringLiteral("Activar/Desactivar el zoom de rejilla"));
    pbZoom->setGroupIndex(21);
    fila2->addWidget(pbZoom);
    // The two toggles show when they are down.
    for (TSpeedButton* b : {pbModificar, pbZoom})
        b->setStyleSheet(
            QStringLiteral("QToolButton:checked { background: #c8c8c8; border: 1px inset gray; }"));
    fila2->addStretch(1);
    pbEliminarEjercicio = boton("pbEliminarEjercicio", "", "Eliminar el año del calendario actual");
    pbEliminar = boton("pbEliminar", "", "Eliminar el mes del calendario actual");
    for (TBitBtn* b : {pbEliminarEjercicio, pbEliminar})
        b->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    pbEliminarEjercicio->setText(QStringLiteral("Año"));
    pbEliminar->setText(QStringLiteral("Mes"));
    pbSalir = boton("pbSalir", "&Salir", "");
    raiz->addWidget(PanelControl);

    SGrid = CrearRejillaMes(this, 87, 35);
    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Eliminardia = new TMenuItem(PopupMenu1->Items(), QStringLiteral("Eliminardia"),
                                QStringLiteral("Despersonalizar el día actual"));
    SGrid->setPopupMenu(PopupMenu1);
    auto* rejilla = new QHBoxLayout;
    rejilla->addWidget(SGrid);
    rejilla->addStretch(1);
    raiz->addLayout(rejilla);

    PanelIncidencias = new TPanel(this);
    PanelIncidencias->setObjectName(QStringLiteral("PanelIncidencias"));
    auto* incidencias = new QVBoxLayout(PanelIncidencias);
    incidencias->setContentsMargins(2, 2, 2, 2);
    incidencias->addWidget(
        new TLabel(PanelIncidencias, QStringLiteral("Incidencias del Calendario del Operario")));
    DBGrid1 = new TDBGrid(PanelIncidencias);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(DSIncidencias);
    auto columna = [this](const char* campo, const char* titulo, int ancho) {
        TColumn* c = DBGrid1->Columns().Add();
        c->setFieldName(QLatin1String(campo));
        c->Title()->setCaption(QString::fromUtf8(titulo));
        c->setWidth(ancho);
        return c;
    };
    columna("Fecha", "Fecha", 67);
    columna("Linea", "Lin", 20);
    columna("GrupoAnalisis", "Gr.Análisis", 90);
    columna("HoraInicio", "H.Inicio", 62);
    columna("HoraFinal", "H.Final", 60);
    columna("Tiempo", "Tiempo", 62);
    columna("Descripcion", "Descripción", 200);
    columna("DescripcionAmpliada", "...", 16)->setButtonStyle(cbsEllipsis);
    columna("Color", "Color", 64);
    DBGrid1->setMinimumHeight(150);
    incidencias->addWidget(DBGrid1, 1);
    raiz->addWidget(PanelIncidencias, 1);
    resize(7 * 87 + 60, 760);

    OnCreate = [this](QObject* s) { FormCreate(s); };
    OnActivate = [this](QObject*) { update(); };
    OnClose = [](QObject*, TCloseAction& Action) { Action = caFree; };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
    SpinOperario->OnUpClick = [this](QObject* s) { SpinOperarioUpClick(s); };
    SpinOperario->OnDownClick = [this](QObject* s) { SpinOperarioDownClick(s); };
    SpinEjercicio->OnUpClick = [this](QObject* s) { SpinEjercicioUpClick(s); };
    SpinEjercicio->OnDownClick = [this](QObject* s) { SpinEjercicioDownClick(s); };
    SpinMes->OnUpClick = [this](QObject* s) { SpinMesUpClick(s); };
    SpinMes->OnDownClick = [this](QObject* s) { SpinMesDownClick(s); };
    for (TSpeedButton* b : {pbVacaciones, pbPuente, pbPermiso})
        b->OnClick = [this](QObject* s) { pbMarcasClick(s); };
    pbZoom->OnClick = [this](QObject* s) { pbZoomClick(s); };
    Eliminardia->OnClick = [this](QObject* s) { EliminardiaClick(s); };
    pbEliminar->OnClick = [this](QObject* s) { pbEliminarClick(s); };
    pbEliminarEjercicio->OnClick = [this](QObject* s) { pbEliminarEjercicioClick(s); };
    pbGenerarCalendario->OnClick = [this](QObject* s) { pbGenerarCalendarioClick(s); };
    pbMarcarDiasRegulacionEmpleo->OnClick = [this](QObject* s) {
        pbMarcarDiasRegulacionEmpleoClick(s);
    };
    pbSalir->OnClick = [this](QObject*) { Close(); };
    SGrid->OnSelectCell = [this](QObject* s, int c, int r, bool& can) {
        SGridSelectCell(s, c, r, can);
    };
    SGrid->OnDrawCell = [this](QObject* s, int c, int r, const QRect& rect, int st) {
        SGridDrawCell(s, c, r, rect, st);
    };
    DBGrid1->OnColExit = [this](QObject* s) { DBGrid1ColExit(s); };
    DBGrid1->OnEditButtonClick = [this](QObject* s) { DBGrid1EditButtonClick(s); };
    DBGrid1->OnDblClick = [this](QObject* s) { BuscarDatosDBEdit(s); };
    DBGrid1->OnDrawColumnCell = [this](QObject* s, const QRect& r, int c, TColumn* col, int st) {
        DBGrid1DrawColumnCell(s, r, c, col, st);
    };
    Incidencias->OnNewRecord = [this](TDataSet* d) { IncidenciasNewRecord(d); };
    Incidencias->BeforePost = [this](TDataSet* d) { IncidenciasBeforePost(d); };
    Incidencias->AfterPost = [this](TDataSet*) {
        if (operarioMostrado_->Terminar(true)) return;
        // The commit failed (and said so): the grid shows what is stored.
        if (Incidencias->Active() && Incidencias->State() == dsBrowse) Incidencias->Refresh();
        Abort();
    };
    Incidencias->OnPostError = [this](TDataSet*) { operarioMostrado_->Terminar(false); };
    fRRHHCAOP = this;
}

TfRRHHCAOP::~TfRRHHCAOP() {
    if (fRRHHCAOP == this) fRRHHCAOP = nullptr;
    SGrid->OnDrawCell = nullptr;
    SGrid->OnSelectCell = nullptr;
    DBGrid1->OnDrawColumnCell = nullptr;
    Incidencias->OnNewRecord = nullptr;
    Incidencias->BeforePost = nullptr;
    Incidencias->AfterPost = nullptr;
    Incidencias->OnPostError = nullptr;
    operarioMostrado_.reset();
    DSIncidencias->setDataSet(nullptr);
    DSHorario->setDataSet(nullptr);
    delete dias_;
}

void TfRRHHCAOP::FormCreate(QObject*) {
    AbrirTablasFormulario(fGENEINIC, this);
    const bool nomina = Nomina();
    const bool presencia = Presencia();
    PanelTiposDia->setEnabled(!presencia);
    EditSituacion->setVisible(nomina);
    findChild<QWidget*>(QStringLiteral("LabelSituacion"))->setVisible(nomina);
    EditNumeroHorario->setVisible(!nomina);
    findChild<QWidget*>(QStringLiteral("LabelHorario"))->setVisible(!nomina);
    if (!nomina && Horario->Active()) {
        Horario->First();
        if (!Horario->IsEmpty())
            EditNumeroHorario->setKeyValue(Horario->FieldByName(QStringLiteral("Numero"))->Value());
    }
    pbGenerarCalendario->setVisible(nomina || presencia);
    pbMarcarDiasRegulacionEmpleo->setVisible(nomina || presencia);
    pbGenerarCalendario->setEnabled(!presencia);
    pbMarcarDiasRegulacionEmpleo->setEnabled(!presencia);
    // A user who may only read the calendars is offered no change: the
    // generation and the deletions write by statements, which a read-only
    // table does not stop.
    if (Calendario->ReadOnly()) {
        for (QWidget* b : std::initializer_list<QWidget*>{pbModificar, pbGenerarCalendario,
                                                          pbMarcarDiasRegulacionEmpleo, pbEliminar,
                                                          pbEliminarEjercicio})
            b->setEnabled(false);
        Eliminardia->setEnabled(false);
    }
    for (int i = 0; i < DBGrid1->Columns().Count(); ++i)
        if (DBGrid1->Columns().Items(i)->FieldName() == QLatin1String("Color"))
            DBGrid1->Columns().Items(i)->setVisible(presencia);
    pbTrabajados->setDown(true);
    pbLaborables->setDown(true);
    for (TSpeedButton* b : {pbFestivos, pbVacaciones, pbPermiso, pbPuente}) b->setDown(false);
    pbModificar->setDown(false);
    pbZoom->setDown(true);
    MostrarMes();
}

bool TfRRHHCAOP::GrabarIncidenciaPendiente() {
    if (!Incidencias->Active() ||
        (Incidencias->State() != dsEdit && Incidencias->State() != dsInsert))
        return true;
    try {
        Incidencias->Post();
    } catch (...) {
        DespacharExcepcion(this, std::current_exception());
        return false;
    }
    return true;
}

void TfRRHHCAOP::setCodigoOperarioCalendario(int v) {
    if (!GrabarIncidenciaPendiente()) return;
    codigoOperario_ = v;
    MostrarMes();
}

void TfRRHHCAOP::setEjercicioCalendario(int v) {
    if (!GrabarIncidenciaPendiente()) return;
    if (v >= 1 && v <= 9999) ejercicio_ = v;
    MostrarMes();
}

void TfRRHHCAOP::setMesCalendario(int v) {
    if (!GrabarIncidenciaPendiente()) return;
    if (v >= 1 && v <= 12) mes_ = v;
    MostrarMes();
}

void TfRRHHCAOP::setCodigoCalendarioOperario(int v) {
    if (!GrabarIncidenciaPendiente()) return;
    codigoCalendarioEmpresa_ = v;
    MostrarMes();
}

QDate TfRRHHCAOP::FechaCelda(int ACol, int ARow) const {
    if (ARow < 1 || ARow > 6 || ACol < 0 || ACol > 6) return QDate();
    const int dia = CeldasMes(ejercicio_, mes_).value((ARow - 1) * 7 + ACol);
    return dia ? QDate(ejercicio_, mes_, dia) : QDate();
}

void TfRRHHCAOP::LeerMes() {
    const QDate primero(ejercicio_, mes_, 1);
    const QDate ultimo = primero.addDays(primero.daysInMonth() - 1);
    try {
        dias_->propios = LeerDiasOperario(codigoOperario_, primero, ultimo);
        dias_->empresa = LeerDiasCalendario(codigoCalendarioEmpresa_, primero, ultimo);
    } catch (const std::exception&) {
        dias_->propios.clear();
        dias_->empresa.clear();
    }
    SGrid->viewport()->update();
}

void TfRRHHCAOP::MostrarMes() {
    EditOperario->setText(QString::number(codigoOperario_));
    EditEjercicio->setText(QString::number(ejercicio_));
    EditMes->setText(NombreMes(mes_));
    RellenarRejillaMes(SGrid, ejercicio_, mes_);
    // Read before his name is shown: the employee the days are stored for.
    operarioMostrado_->Leer(codigoOperario_, true);
    try {
        const QVariant nombre = BaseCalendarios()->Scalar(
            QStringLiteral("SELECT Nombre FROM PERSONAL WHERE CodigoOperario = ?"),
            {codigoOperario_});
        EditNombreOperario->setText(nombre.toString());
    } catch (const std::exception&) {
        EditNombreOperario->clear();
    }
    LeerMes();
    // A line that cannot be posted keeps the incidences where they are.
    if (Incidencias->Active() && GrabarIncidenciaPendiente()) {
        const QDate primero(ejercicio_, mes_, 1);
        Incidencias->SetRange(
            {codigoOperario_, QDateTime(primero, QTime(0, 0))},
            {codigoOperario_,
             QDateTime(primero.addDays(primero.daysInMonth() - 1), QTime(23, 59, 59))});
    }
}

bool TfRRHHCAOP::DiaMostrado(const QDate& Fecha, TDiaCalendario& Dia, bool& Propio) const {
    auto propio = dias_->propios.constFind(Fecha);
    if (propio != dias_->propios.constEnd()) {
        Dia = propio.value();
        Propio = true;
        return true;
    }
    Propio = false;
    auto empresa = dias_->empresa.constFind(Fecha);
    if (empresa == dias_->empresa.constEnd()) return false;
    Dia = empresa.value();
    return true;
}

void TfRRHHCAOP::SpinOperarioUpClick(QObject*) {
    if (!GrabarIncidenciaPendiente()) return;
    MoverContador(codigoOperario_, -1);
    MostrarMes();
}

void TfRRHHCAOP::SpinOperarioDownClick(QObject*) {
    if (!GrabarIncidenciaPendiente()) return;
    MoverContador(codigoOperario_, 1);
    MostrarMes();
}

void TfRRHHCAOP::SpinEjercicioUpClick(QObject*) {
    if (!GrabarIncidenciaPendiente()) return;
    MoverContador(ejercicio_, -1);
    MostrarMes();
}

void TfRRHHCAOP::SpinEjercicioDownClick(QObject*) {
    if (!GrabarIncidenciaPendiente()) return;
    MoverContador(ejercicio_, 1);
    MostrarMes();
}

void TfRRHHCAOP::SpinMesUpClick(QObject*) {
    if (!GrabarIncidenciaPendiente()) return;
    MoverMes(ejercicio_, mes_, -1);
    MostrarMes();
}

void TfRRHHCAOP::SpinMesDownClick(QObject*) {
    if (!GrabarIncidenciaPendiente()) return;
    MoverMes(ejercicio_, mes_, 1);
    MostrarMes();
}

void TfRRHHCAOP::pbMarcasClick(QObject* Sender) {
    auto* pulsado = qobject_cast<TSpeedButton*>(Sender);
    if (!pulsado || !pulsado->Down()) return;
    for (TSpeedButton* b : {pbVacaciones, pbPuente, pbPermiso})
        if (b != pulsado) b->setDown(false);
    pbLaborables->setDown(true);
    pbFestivos->setDown(false);
}

void TfRRHHCAOP::pbZoomClick(QObject*) {
    const int alto = PanelIncidencias->height();
    PanelIncidencias->setVisible(pbZoom->Down());
    resize(width(), pbZoom->Down() ? height() + alto : std::max(200, height() - alto));
    MostrarMes();
}

void TfRRHHCAOP::SGridSelectCell(QObject*, int ACol, int ARow, bool&) {
    MarcarDia(ACol, ARow);
}

void TfRRHHCAOP::MarcarDia(int ACol, int ARow) {
    if (!pbModificar->Down()) return;
    const QDate fecha = FechaCelda(ACol, ARow);
    if (!fecha.isValid() || !Calendario->Active()) return;
    auto campo = [this](const char* n) { return Calendario->FieldByName(QLatin1String(n)); };
    try {
        const QDateTime clave(fecha, QTime(0, 0));
        if (Calendario->FindKey({codigoOperario_, clave})) {
            Calendario->Edit();
        } else {
            Calendario->Append();
            campo("CodigoOperario")->setAsInteger(codigoOperario_);
            campo("Fecha")->setAsDateTime(clave);
            if (Nomina() || EsProgramaEnEjecucion(QStringLiteral("KORVAND.EXE"))) {
                auto empresa = dias_->empresa.constFind(fecha);
                if (empresa != dias_->empresa.constEnd())
                    campo("NumeroHorario")->setAsInteger(empresa->NumeroHorario);
            }
        }
        if (Nomina() || EsProgramaEnEjecucion(QStringLiteral("KORVAND.EXE"))) {
            campo("EsDiaTrabajado")->setAsString(SiNo(pbTrabajados->Down()));
            campo("EsDiaFestivo")
                ->setAsString(pbLaborables->Down()
                                  ? QStringLiteral("NO")
                                  : (pbFestivos->Down() ? QStringLiteral("SI") : QString()));
            campo("EsDiaVacaciones")->setAsString(SiNo(pbVacaciones->Down()));
            campo("EsDiaPuente")->setAsString(SiNo(pbPuente->Down()));
            campo("EsDiaPermiso")->setAsString(SiNo(pbPermiso->Down()));
        }
        if (Nomina()) campo("Situacion")->setAsString(EditSituacion->Text());
        if (Presencia()) {
            const bool libre = campo("EsDiaVacaciones")->AsString() == QLatin1String("SI") ||
                               campo("EsDiaPuente")->AsString() == QLatin1String("SI") ||
                               campo("EsDiaFestivo")->AsString() == QLatin1String("SI");
            if (!libre) {
                campo("NumeroHorario")->setAsInteger(EditNumeroHorario->KeyValue().toInt());
            } else {
                campo("NumeroHorario")->setAsInteger(0);
                MensajeAdvertencia(QStringLiteral(
                    "¡ No se puede asignar horario por ser dia festivo, puente o vacaciones !"));
            }
        }
        if (!operarioMostrado_->Vigente(codigoOperario_)) {
            Calendario->Cancel();
            LeerMes();
            return;
        }
        Calendario->Post();
        operarioMostrado_->Terminar(true);
    } catch (const std::exception&) {
        if (Calendario->State() == dsEdit || Calendario->State() == dsInsert) Calendario->Cancel();
        operarioMostrado_->Terminar(false);
        MensajeAdvertencia(QString::fromUtf8(kNoActualizado));
    }
    LeerMes();
}

void TfRRHHCAOP::SGridDrawCell(QObject*, int ACol, int ARow, const QRect& Rect, int) {
    QPainter* lienzo = SGrid->Canvas();
    if (!lienzo) return;
    if (ARow == 0) {
        DibujarTituloDia(lienzo, Rect, SGrid->font(), SGrid->Cells(ACol, 0));
        return;
    }
    const QDate fecha = FechaCelda(ACol, ARow);
    TDiaCalendario dia;
    bool propio = false;
    const bool existe = fecha.isValid() && DiaMostrado(fecha, dia, propio);
    if (!existe)
        lienzo->fillRect(Rect, SGrid->palette().color(QPalette::Base));
    else
        lienzo->fillRect(Rect, ColorToQt(propio ? ColorDiaOperario : ColorDiaEmpresa));
    if (!fecha.isValid()) return;
    if (existe)
        DibujarMarcasDia(lienzo, Rect, dia, CalendarioMuestraMarcas(), CalendarioMuestraHorario());
    DibujarNumeroDia(lienzo, Rect, SGrid->font(), fecha, true);
}

void TfRRHHCAOP::EliminarDias(const QDate& Desde, const QDate& Hasta,
                              const char* PreguntaIncidencias) {
    {
        TCursorEspera espera;
        // Another employee under the code keeps his days.
        if (!operarioMostrado_->Vigente(codigoOperario_)) return;
        try {
            TDatabase* base = BaseCalendarios();
            base->Execute(QStringLiteral("DELETE FROM CALENOPE WHERE CodigoOperario = ? AND "
                                         "Fecha >= ? AND Fecha <= ?"),
                          QVariantList{codigoOperario_} << LimitesDias(base, Desde, Hasta));
            operarioMostrado_->Terminar(true);
        } catch (const std::exception& e) {
            operarioMostrado_->Terminar(false);
            MensajeAdvertencia(MotivoError(e));
        }
    }
    LeerMes();
    if (!PreguntaIncidencias ||
        MensajeConfirmacion(QString::fromUtf8(PreguntaIncidencias)) == QLatin1String("NO"))
        return;
    {
        TCursorEspera espera;
        if (!operarioMostrado_->Vigente(codigoOperario_)) return;
        try {
            if (Incidencias->State() == dsEdit || Incidencias->State() == dsInsert)
                Incidencias->Cancel();
            TDatabase* base = BaseCalendarios();
            base->Execute(QStringLiteral("DELETE FROM INCCALOP WHERE CodigoOperario = ? AND "
                                         "Fecha >= ? AND Fecha <= ?"),
                          QVariantList{codigoOperario_} << LimitesDias(base, Desde, Hasta));
            operarioMostrado_->Terminar(true);
            if (Incidencias->Active()) Incidencias->Refresh();
        } catch (const std::exception& e) {
            operarioMostrado_->Terminar(false);
            MensajeAdvertencia(MotivoError(e));
        }
    }
}

void TfRRHHCAOP::EliminardiaClick(QObject*) {
    const QDate fecha = FechaCelda(SGrid->Col(), SGrid->Row());
    if (!fecha.isValid()) return;
    if (MensajeConfirmacion(QStringLiteral("¿Realmente desea despersonalizar el día seleccionado "
                                           "del calendario?")) == QLatin1String("NO"))
        return;
    EliminarDias(fecha, fecha, nullptr);
}

void TfRRHHCAOP::pbEliminarClick(QObject*) {
    if (MensajeConfirmacion(QStringLiteral("¿ Realmente desea eliminar el mes del calendario ?")) ==
        QLatin1String("NO"))
        return;
    const QDate primero(ejercicio_, mes_, 1);
    EliminarDias(primero, primero.addDays(primero.daysInMonth() - 1),
                 "¿ Realmente desea eliminar las incidencias del mes ?");
}

void TfRRHHCAOP::pbEliminarEjercicioClick(QObject*) {
    if (MensajeConfirmacion(QStringLiteral("¿ Realmente desea eliminar el año del calendario ?")) ==
        QLatin1String("NO"))
        return;
    EliminarDias(QDate(ejercicio_, 1, 1), QDate(ejercicio_, 12, 31),
                 "¿ Realmente desea eliminar las incidencias del año ?");
}

bool TfRRHHCAOP::GeneraCalendarioOperario(int Codigo, const QString& DesdeFecha,
                                          const QString& HastaFecha) {
    return ::GeneraCalendarioOperario(Codigo, DesdeFecha, HastaFecha, codigoCalendarioEmpresa_,
                                      EditSituacion->Text(), QDate(ejercicio_, mes_, 1));
}

void TfRRHHCAOP::GenerarRango(int Desde, int Hasta, const QString& DesdeFecha,
                              const QString& HastaFecha) {
    try {
        TDatabase* base = BaseCalendarios();
        QSqlQuery q = base->Execute(
            QStringLiteral("SELECT CodigoOperario FROM PERSONAL WHERE ") +
            CondicionDesdeHasta(QStringLiteral("CodigoOperario"), QString::number(Desde),
                                QString::number(Hasta), QStringLiteral("ftInteger")) +
            QStringLiteral(" ORDER BY CodigoOperario"));
        QList<int> codigos;
        while (q.next()) codigos << q.value(0).toInt();
        q.finish();
        // One generator for the range: the company calendar is read once.
        QDate desde, hasta;
        PeriodoGeneracion(DesdeFecha, HastaFecha, QDate(ejercicio_, mes_, 1), desde, hasta);
        TCursorEspera espera;
        TGeneradorCalendarioOperario generador(codigoCalendarioEmpresa_, desde, hasta,
                                               EditSituacion->Text());
        for (int codigo : codigos) generador.Generar(codigo);
    } catch (const std::exception& e) {
        MensajeAdvertencia(MotivoError(e));
    }
    LeerMes();
}

void TfRRHHCAOP::pbGenerarCalendarioClick(QObject*) {
    if (MensajeConfirmacion(QStringLiteral(
            "Este proceso calcula el calendario del mes actual para todos los operarios. Los "
            "calendarios destino se crearán nuevos o se modificarán definitivamente. ¿Desea "
            "continuar?")) == QLatin1String("NO"))
        return;
    const QStringList partes =
        MensajePeticion(QStringLiteral("Introduzca el rango de operarios (Desde/Hasta)"))
            .split(QLatin1Char('/'));
    const int desde = partes.value(0).trimmed().toInt();
    const int hasta = partes.value(1).trimmed().toInt();
    if (desde == 0 || hasta == 0) return;
    GenerarRango(desde, hasta, QString(), QString());
}

void TfRRHHCAOP::pbMarcarDiasRegulacionEmpleoClick(QObject*) {
    const QString desde = MensajePeticion(QStringLiteral("Introduzca Desde Operario:"));
    if (!ValidarEntero(desde.trimmed(), QStringLiteral("Desde Operario"))) return;
    const QString hasta = MensajePeticion(QStringLiteral("Introduzca Hasta Operario:"));
    if (!ValidarEntero(hasta.trimmed(), QStringLiteral("Hasta Operario"))) return;
    const QString desdeFecha = MensajePeticion(QStringLiteral("Introduzca Desde Fecha: "),
                                               QDate::currentDate().toString("dd/MM/yyyy"));
    if (!ValidarFecha(desdeFecha, QStringLiteral("Desde Fecha"))) return;
    const QString hastaFecha =
        MensajePeticion(QStringLiteral("Introduzca Hasta Fecha: "), desdeFecha);
    if (!ValidarFecha(hastaFecha, QStringLiteral("Hasta Fecha"))) return;
    GenerarRango(desde.trimmed().toInt(), hasta.trimmed().toInt(), desdeFecha, hastaFecha);
}

void TfRRHHCAOP::IncidenciasNewRecord(TDataSet*) {
    DBGrid1->setSelectedIndex(0);
    Incidencias->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(codigoOperario_);
}

void TfRRHHCAOP::IncidenciasBeforePost(TDataSet*) {
    TField* inicio = Incidencias->FieldByName(QStringLiteral("HoraInicio"));
    TField* final = Incidencias->FieldByName(QStringLiteral("HoraFinal"));
    const QTime hInicio = Hora(inicio);
    const QTime hFinal = Hora(final);
    if (hInicio.isValid() && hFinal.isValid() && hInicio != QTime(0, 0) && hFinal != QTime(0, 0))
        Incidencias->FieldByName(QStringLiteral("Tiempo"))
            ->setAsFloat(TiempoIncidencia(hInicio, hFinal));
    // The line is numbered once its day is known: the next of that day.
    TField* linea = Incidencias->FieldByName(QStringLiteral("Linea"));
    TField* fecha = Incidencias->FieldByName(QStringLiteral("Fecha"));
    // An incidence belongs to a day: without one it would be stored under
    // an empty key, never to be shown again.
    if (fecha->IsNull()) throw EDatabaseError::make(DbError::FieldRequired, fecha->FieldName());
    // The employee shown, still the one under the incidence's code: one
    // another clerk changed, or deleted and entered again, is another.
    operarioMostrado_->Comprobar(
        Incidencias->FieldByName(QStringLiteral("CodigoOperario"))->Value());
    if (Incidencias->State() != dsInsert || (!linea->IsNull() && linea->AsInteger() != 0)) return;
    TDatabase* base = BaseCalendarios();
    const QDate dia = fecha->AsDateTime().date();
    const QVariant ultima = base->Scalar(
        QStringLiteral("SELECT MAX(Linea) FROM INCCALOP WHERE CodigoOperario = ? AND Fecha >= ? "
                       "AND Fecha <= ?"),
        QVariantList{codigoOperario_} << LimitesDias(base, dia, dia));
    linea->setAsInteger(ultima.toInt() + 1);
}

void TfRRHHCAOP::DBGrid1ColExit(QObject*) {
    if (Incidencias->State() != dsEdit && Incidencias->State() != dsInsert) return;
    const QTime inicio = Hora(Incidencias->FieldByName(QStringLiteral("HoraInicio")));
    const QTime final = Hora(Incidencias->FieldByName(QStringLiteral("HoraFinal")));
    if (!inicio.isValid() || !final.isValid() || inicio == QTime(0, 0) || final == QTime(0, 0))
        return;
    Incidencias->FieldByName(QStringLiteral("Tiempo"))->setAsFloat(TiempoIncidencia(inicio, final));
    Incidencias->Post();
}

void TfRRHHCAOP::DBGrid1EditButtonClick(QObject*) {
    if (!Incidencias->Active()) return;
    if (Incidencias->State() != dsEdit && Incidencias->State() != dsInsert) Incidencias->Edit();
    QString texto;
    VisualizarAsignarCampoTexto(Incidencias,
                                QStringLiteral("Fecha ") +
                                    Incidencias->FieldByName(QStringLiteral("Fecha"))->Text() +
                                    QStringLiteral(" - Descripción Ampliada"),
                                QStringLiteral("DescripcionAmpliada"), texto);
    Incidencias->FieldByName(QStringLiteral("DescripcionAmpliada"))->setAsString(texto);
    Incidencias->Post();
}

void TfRRHHCAOP::BuscarDatosDBEdit(QObject*) {
    TField* campo = DBGrid1->SelectedField();
    if (!campo || !Incidencias->Active()) return;
    if (campo->FieldName() == QLatin1String("GrupoAnalisis")) {
        if (Incidencias->State() != dsEdit && Incidencias->State() != dsInsert) Incidencias->Edit();
        QVariant clave;
        BuscarCodigo(QStringLiteral("GRANALIS"), 1, clave);
        const QVariantList valores = clave.toList();
        if (!valores.isEmpty()) campo->setAsString(valores.first().toString());
    } else if (campo->FieldName() == QLatin1String("Color")) {
        const QColor elegido = QColorDialog::getColor(ColorToQt(campo->AsInteger()), this);
        if (!elegido.isValid()) return;
        if (Incidencias->State() != dsEdit && Incidencias->State() != dsInsert) Incidencias->Edit();
        campo->setAsInteger(ColorFromQt(elegido));
    }
}

void TfRRHHCAOP::DBGrid1DrawColumnCell(QObject*, const QRect& Rect, int, TColumn* Column, int) {
    if (!Column || Column->FieldName() != QLatin1String("Color")) return;
    QPainter* lienzo = DBGrid1->Canvas();
    TField* color = Incidencias->FieldByName(QStringLiteral("Color"));
    if (!lienzo || !color || color->IsNull()) return;
    lienzo->fillRect(Rect, ColorToQt(color->AsInteger()));
    lienzo->drawText(Rect.adjusted(2, 2, 0, 0), int(Qt::AlignLeft | Qt::AlignTop),
                     color->DisplayText());
}

void RegistrarTfRRHHCAOP() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHCAOP")))
        RegisterFormClass<TfRRHHCAOP>(QStringLiteral("TfRRHHCAOP"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHCAOP();
    return true;
}();
}  // namespace
