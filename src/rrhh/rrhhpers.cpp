#include "rrhh/rrhhpers.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/genealta.h"
#include "gene/data/geneclav.h"
#include "gene/data/genegrup.h"
#include "gene/data/genelog.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genesele.h"
#include "gene/dialogs/genevmem.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhhfoto.h"
#include "rrhh/rrhhpers_p.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

TfRRHHPERS* fRRHHPERS = nullptr;

namespace rrhhpers {

const char* const kPersonal = "PERSONAL";

void EjecutarConParametros(const QString& sql, const QVariantList& valores) {
    TQuery q;
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.SQL().Add(sql);
    for (int i = 0; i < valores.size() && i < q.ParamCount(); ++i)
        q.Params().Items(i)->setValue(valores.at(i));
    q.ExecSQL();
}

QVariant ValorConParametros(const QString& sql, const QVariantList& valores) {
    TQuery q;
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.SQL().Add(sql);
    for (int i = 0; i < valores.size() && i < q.ParamCount(); ++i)
        q.Params().Items(i)->setValue(valores.at(i));
    q.Open();
    if (q.IsEmpty()) return QVariant();
    return q.Fields().Fields(0)->Value();
}

void DeclararCampos(TTable* Tabla, const QList<std::pair<QString, int>>& calculados) {
    // Opening creates a missing table; the template opens it again.
    if (!AbrirTabla(fGENEINIC, Tabla)) {
        // Held by another session or out of reach, and told: the window's
        // own opening would wait as long again to tell it a second time.
        if (auto* ventana = qobject_cast<QWidget*>(Tabla->parent())) ventana->close();
        Abort();
    }
    Tabla->UpdateFieldDefs();
    const QList<TFieldDef> defs(Tabla->FieldDefs().begin(), Tabla->FieldDefs().end());
    Tabla->Close();
    for (const TFieldDef& d : defs) Tabla->AddField(d.Name, d.DataType, d.Size);
    for (const auto& c : calculados) Tabla->AddField(c.first, ftString, c.second, fkCalculated);
}

}  // namespace rrhhpers

using namespace rrhhpers;

namespace rrhhpers {

TTable* NuevaTabla(QObject* owner, const char* nombre, const char* tabla) {
    auto* t = new TTable(owner);
    t->setObjectName(QLatin1String(nombre));
    t->setTableName(QLatin1String(tabla));
    return t;
}

TDataSource* NuevaFuente(QObject* owner, const char* nombre, TDataSet* d) {
    auto* s = new TDataSource(owner);
    s->setObjectName(QLatin1String(nombre));
    s->setDataSet(d);
    return s;
}

TDBEdit* NuevoEdit(QWidget* padre, QGridLayout* rejilla, int fila, int col, const char* nombre,
                   const QString& campo, const QString& etiqueta, TDataSource* fuente) {
    auto* l = new TLabel(padre, etiqueta);
    auto* e = new TDBEdit(padre);
    e->setObjectName(QLatin1String(nombre));
    e->setDataSource(fuente);
    e->setDataField(campo);
    rejilla->addWidget(l, fila, col);
    rejilla->addWidget(e, fila, col + 1);
    return e;
}

TDBComboBox* NuevoCombo(QWidget* padre, QGridLayout* rejilla, int fila, int col, const char* nombre,
                        const QString& campo, const QString& etiqueta, TDataSource* fuente,
                        const QStringList& items, int estilo) {
    auto* l = new TLabel(padre, etiqueta);
    auto* c = new TDBComboBox(padre);
    c->setObjectName(QLatin1String(nombre));
    c->setDataSource(fuente);
    c->setDataField(campo);
    c->setItems(items);
    c->setStyle(estilo);
    rejilla->addWidget(l, fila, col);
    rejilla->addWidget(c, fila, col + 1);
    return c;
}

TDBGrid* NuevaRejilla(QWidget* padre, const char* nombre, TDataSource* fuente,
                      const QList<std::pair<const char*, QString>>& columnas) {
    auto* g = new TDBGrid(padre);
    g->setObjectName(QLatin1String(nombre));
    g->setDataSource(fuente);
    for (const auto& c : columnas) {
        TColumn* col = g->Columns().Add();
        col->setFieldName(QLatin1String(c.first));
        col->Title()->setCaption(c.second);
    }
    return g;
}

TBitBtn* NuevoBotonHint(QWidget* padre, const char* nombre, const QString& hint) {
    auto* b = new TBitBtn(padre);
    b->setObjectName(QLatin1String(nombre));
    b->setHint(hint);
    return b;
}

bool EnEdicion(TDataSet* d) {
    const TDataSetState e = d->State();
    return e == dsEdit || e == dsInsert || e == dsSetKey;
}

void RefrescarLineas(const QList<TTable*>& tablas) {
    for (TTable* t : tablas)
        if (t->Active() && t->State() == dsBrowse) t->Refresh();
}

QVariant PrimerValor(const QVariant& clave) {
    const QVariantList l = clave.toList();
    return l.isEmpty() ? QVariant() : l.first();
}

QString DescripcionMaestro(const QString& Tabla, const QString& Codigo) {
    return DatoMaestro(Tabla, Codigo, QStringLiteral("Descripcion"));
}

TRowAsRead OperarioLeido(const TTable* Personal) {
    // As read, and no more: a sheet keeps one for every employee it lists,
    // and the table, which never writes them, need not follow any.
    TRowAsRead r = Personal->RowAsRead();
    r.source = nullptr;
    r.latest.reset();
    return r;
}

TRowAsRead OperarioLeido(const QVariant& Codigo) {
    if (Codigo.isNull() || Codigo.toString().trimmed().isEmpty()) return {};
    TTable personal;
    personal.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    personal.setTableName(QLatin1String(kPersonal));
    personal.setPageSize(1, 1);
    personal.Open();
    if (!personal.FindKey({Codigo})) return {};
    return OperarioLeido(&personal);
}

void ComprobarOperarioLeido(const TRowAsRead& Leido, const QVariant& Codigo, TTable* Personal) {
    const auto hayOtro = [&Codigo] {
        // On PostgreSQL the one found stays until the transaction ends.
        const TDatabase* base = fGENEINIC ? fGENEINIC->Database : nullptr;
        const bool retener = base && base->engine() == Engine::Postgres && base->InTransaction();
        return !ValorConParametros(QStringLiteral("SELECT CodigoOperario FROM ") +
                                       QLatin1String(kPersonal) +
                                       QStringLiteral(" WHERE CodigoOperario = :c") +
                                       (retener ? QStringLiteral(" FOR SHARE") : QString()),
                                   {Codigo})
                    .isNull();
    };
    const auto cambiado = [] {
        return EDatabaseError::make(DbError::RecordChanged, QString(), QLatin1String(kPersonal));
    };
    if (Leido.isEmpty()) {
        if (hayOtro()) throw cambiado();
        return;
    }
    try {
        if (Personal && Personal->Active())
            Personal->CheckUnchanged(Leido);
        else
            CheckRowAsRead(Leido);
    } catch (const EDatabaseError& e) {
        // A row of his own identity gone, another under his code: the
        // record the window showed is another now.
        if (e.code() == DbError::RecordDeleted && hayOtro()) throw cambiado();
        throw;
    }
}

void TOperarioMostrado::Leer(const QVariant& Codigo, bool DeNuevo) {
    // The name is shown again on every change of the row: the employee
    // stays the one read when his code was typed.
    if (!DeNuevo && leido_ && codigo_ == Codigo) return;
    codigo_ = Codigo;
    try {
        operario_ = OperarioLeido(Codigo);
        leido_ = true;
    } catch (const EDatabaseError&) {
        // Read again by the check.
        leido_ = false;
        operario_ = TRowAsRead();
    }
}

void TOperarioMostrado::Comprobar(const QVariant& Codigo) {
    TDatabase* base = fGENEINIC ? fGENEINIC->Database : nullptr;
    if (base && !base->InTransaction() && !transaccion_) {
        transaccion_.emplace(fGENEINIC, base);
        if (!transaccion_->Propia()) transaccion_.reset();
    }
    // A code whose name was never shown: whoever stands under it now.
    if (!leido_ || codigo_ != Codigo) {
        leido_ = false;
        codigo_ = Codigo;
        operario_ = OperarioLeido(Codigo);
        leido_ = true;
    }
    ComprobarOperarioLeido(operario_, Codigo);
}

bool TOperarioMostrado::Vigente(const QVariant& Codigo) {
    try {
        Comprobar(Codigo);
        return true;
    } catch (const std::exception& e) {
        // Told once the transaction has ended.
        Terminar(false);
        MensajeAdvertencia(TextoErrorBaseDatos(e));
        return false;
    }
}

bool TOperarioMostrado::Terminar(bool Confirmar) {
    if (!transaccion_) return true;
    const bool confirmada = !Confirmar || transaccion_->Confirmar();
    transaccion_.reset();
    return confirmada;
}

}  // namespace rrhhpers

TfRRHHPERS::TfRRHHPERS(QWidget* owner)
    : TFichaPersona(owner, QStringLiteral("fRRHHPERS"), QStringLiteral("Maestro de Personal"),
                    kPersonal, QStringLiteral("CodigoOperario"), 9999, QStringLiteral("operario"),
                    QStringLiteral("Personal")) {
    PreguntaEliminar = QString::fromUtf8(textosmaestro::kPreguntaEliminarConLineas);
    TextoErrorModificacion = QString::fromUtf8(textosmaestro::kImposibleModificar);
    MantenerAltaFallida = false;
    AltaOperario =
        std::make_unique<TAltaMaestro>(QLatin1String(kPersonal), QStringLiteral("CodigoOperario"),
                                       QLatin1String(kPersonal), HistoricosOperario());
    Alta = AltaOperario.get();

    HContrato = NuevaTabla(this, "HContrato", "HCONTRAT");
    DSHContratos = NuevaFuente(this, "DSHContratos", HContrato);
    Baja = NuevaTabla(this, "Baja", "BAJA");
    DSBaja = NuevaFuente(this, "DSBaja", Baja);
    CrearHistoricos();
    Seccion = NuevaTabla(this, "Seccion", "SECCION");
    DSSeccion = NuevaFuente(this, "DSSeccion", Seccion);

    ConstruirControles();
    CampoClave = EditCodigoOperario;
    resize(762, 498);

    // Handlers: those of the histories both masters keep, then the contracts' and leaves'.
    ConectarFicha();
    DSBaja->OnStateChange = [this](TDataSource*) { DataSourceStateChange(DSBaja); };
    DSHContratos->OnStateChange = [this](TDataSource*) { DataSourceStateChange(DSHContratos); };
    HContrato->BeforeInsert = [this](TDataSet* d) { HContratoBeforeInsert(d); };
    Baja->BeforeInsert = [this](TDataSet* d) { BajaBeforeInsert(d); };
    HContrato->OnNewRecord = [this](TDataSet* d) { HContratoNewRecord(d); };
    Baja->OnNewRecord = [this](TDataSet* d) { BajaNewRecord(d); };
    HPuesto->OnCalcFields = [this](TDataSet* d) { HPuestoCalcFields(d); };
    for (TTable* t : {HContrato, Baja}) {
        t->BeforePost = [this](TDataSet* d) { AntesDeGrabarLinea(d); };
        t->AfterPost = [this](TDataSet* d) { LineaAfterPost(d); };
    }
    // The lines' deletes are theirs alone; the employee's attachments are not touched.
    for (TTable* t : {HContrato, Baja})
        if (!t->BeforeDelete) t->BeforeDelete = [](TDataSet*) {};
    fRRHHPERS = this;
}

TfRRHHPERS::~TfRRHHPERS() {
    CerrarFichaPersona(this, Table1, *AltaOperario, TransaccionBorrado, LineasFicha(),
                       {HContrato, Baja, HPuesto, HFormacion, GATablas, Seccion, Table1});
    if (fRRHHPERS == this) fRRHHPERS = nullptr;
}

void TfRRHHPERS::ConstruirControles() {
    auto* cabecera = new QHBoxLayout;
    AreaDatos->addLayout(cabecera);
    NuevaCabecera(this, cabecera, DataSource1, QStringLiteral("CodigoOperario"), EditCodigoOperario,
                  EditNombre);
    pbDocumentacionElectronica =
        NuevoBotonHint(this, "pbDocumentacionElectronica",
                       QStringLiteral("Acceso a la Documentación Electrónica"));
    ImprimirFicha = NuevoBotonHint(this, "ImprimirFicha",
                                   QStringLiteral("Imprimir la ficha actual solicitando diálogo"));
    cabecera->addWidget(pbDocumentacionElectronica);
    cabecera->addWidget(ImprimirFicha);

    CrearPaginas();
    PagContratos = NuevaPagina("PagContratos", QStringLiteral("H.Contratos"));
    PagBajas = NuevaPagina("PagBajas", QStringLiteral("Bajas"));
    PagPuestosTrabajo = NuevaPagina("PagPuestosTrabajo", QStringLiteral("Puestos Trabajo"));
    PagFormacion = NuevaPagina("PagFormacion", QStringLiteral("Formación"));

    // Identification.
    auto* id = new QHBoxLayout(PagIdentificacion);
    auto* datos = new QGridLayout;
    id->addLayout(datos, 1);
    TDataSource* s = DataSource1;
    NuevoEdit(PagIdentificacion, datos, 0, 0, "EditDomicilio", QStringLiteral("Domicilio"),
              QStringLiteral("Domicilio"), s);
    // The full address, as the sheets and contracts print it.
    NuevoEdit(PagIdentificacion, datos, 1, 0, "EditCodigoPostal", QStringLiteral("CodigoPostal"),
              QStringLiteral("Código Postal"), s);
    NuevoEdit(PagIdentificacion, datos, 2, 0, "EditLocalidad", QStringLiteral("Localidad"),
              QStringLiteral("Localidad"), s);
    NuevoEdit(PagIdentificacion, datos, 3, 0, "EditProvincia", QStringLiteral("Provincia"),
              QStringLiteral("Provincia"), s);
    NuevoEdit(PagIdentificacion, datos, 4, 0, "EditTelefono", QStringLiteral("Telefono"),
              QStringLiteral("Teléfono"), s);
    NuevoEdit(PagIdentificacion, datos, 5, 0, "EditDNI", QStringLiteral("DNI"),
              QStringLiteral("D.N.I."), s);
    NuevoEdit(PagIdentificacion, datos, 6, 0, "EditFechaNacimiento",
              QStringLiteral("FechaNacimiento"), QStringLiteral("Fecha Nacimiento"), s);
    NuevoEdit(PagIdentificacion, datos, 7, 0, "EditFechaAntiguedad",
              QStringLiteral("FechaAntiguedad"), QStringLiteral("Fecha Antigüedad"), s);
    EditCodigoPais = NuevoEdit(PagIdentificacion, datos, 8, 0, "EditCodigoPais",
                               QStringLiteral("CodigoPais"), QStringLiteral("País"), s);
    EditNombrePais = NuevoEdit(PagIdentificacion, datos, 9, 0, "EditNombrePais",
                               QStringLiteral("NombrePais"), QString(), s);
    EditNombrePais->setEnabled(false);
    EditCodigoPais->OnDblClick = [this](QObject* o) { BuscarDatosDBEdit(o); };
    EditCodigoCalendario =
        NuevoEdit(PagIdentificacion, datos, 10, 0, "EditCodigoCalendario",
                  QStringLiteral("CodigoCalendario"), QStringLiteral("Calendario"), s);
    CalendarioOperario = new TSpeedButton(PagIdentificacion);
    CalendarioOperario->setObjectName(QStringLiteral("CalendarioOperario"));
    CalendarioOperario->setHint(QStringLiteral("Acceso al Calendario del Operario"));
    datos->addWidget(CalendarioOperario, 10, 2);
    NuevoEdit(PagIdentificacion, datos, 11, 0, "EditCodigoOperarioPresencia",
              QStringLiteral("CodigoOperarioPresencia"), QStringLiteral("C.Operario Presencia"), s);
    NuevoEdit(PagIdentificacion, datos, 12, 0, "NumeroAfiliacion",
              QStringLiteral("NumeroAfiliacion"), QStringLiteral("Seguridad Social"), s);
    EditTipoOperario =
        NuevoCombo(PagIdentificacion, datos, 0, 3, "EditTipoOperario",
                   QStringLiteral("TipoOperario"), QStringLiteral("Tipo Operario"), s,
                   {QStringLiteral("Mayor 18"), QStringLiteral("Menor 18")}, csDropDownList);
    TipoCotizacion = NuevoCombo(
        PagIdentificacion, datos, 1, 3, "TipoCotizacion", QStringLiteral("TipoCotizacion"),
        QStringLiteral("Tipo Cotización"), s,
        {QStringLiteral("Diaria"), QStringLiteral("Mensual"), QStringLiteral("Autonomo")},
        csDropDownList);
    QStringList grupos;
    for (int i = 1; i <= 11; ++i) grupos << QString::number(i);
    EditGrupoCotizacion = NuevoCombo(PagIdentificacion, datos, 2, 3, "EditGrupoCotizacion",
                                     QStringLiteral("GrupoCotizacion"),
                                     QStringLiteral("Grupo Cotización"), s, grupos, csDropDownList);
    EditEstadoCivil =
        NuevoCombo(PagIdentificacion, datos, 3, 3, "EditEstadoCivil", QStringLiteral("EstadoCivil"),
                   QStringLiteral("Estado Civil"), s, {}, csDropDown);
    EditSexo = NuevoCombo(PagIdentificacion, datos, 4, 3, "EditSexo", QStringLiteral("Sexo"),
                          QStringLiteral("Sexo"), s, {}, csDropDown);
    for (TDBComboBox* c : {EditEstadoCivil, EditSexo}) c->setMaxVisibleItems(3);
    EditEstadoCivil->OnDropDown = [this](QObject* o) { EditEstadoCivilDropDown(o); };
    EditSexo->OnDropDown = [this](QObject* o) { EditSexoDropDown(o); };
    EditLugarNacimiento =
        NuevoEdit(PagIdentificacion, datos, 5, 3, "EditLugarNacimiento",
                  QStringLiteral("LugarNacimiento"), QStringLiteral("Lugar Nacimiento"), s);
    EditNumeroHijos = NuevoEdit(PagIdentificacion, datos, 6, 3, "EditNumeroHijos",
                                QStringLiteral("NumeroHijos"), QStringLiteral("Número Hijos"), s);
    EditNumeroMatricula =
        NuevoEdit(PagIdentificacion, datos, 7, 3, "EditNumeroMatricula",
                  QStringLiteral("NumeroMatricula"), QStringLiteral("Nº Matrícula"), s);
    datos->addWidget(new TLabel(PagIdentificacion, QStringLiteral("Sección")), 8, 3);
    EditCodigoSeccion = new TDBLookupComboBox(PagIdentificacion);
    EditCodigoSeccion->setObjectName(QStringLiteral("EditCodigoSeccion"));
    EditCodigoSeccion->setListSource(DSSeccion);
    EditCodigoSeccion->setKeyField(QStringLiteral("Codigo"));
    EditCodigoSeccion->setListField(QStringLiteral("Nombre"));
    EditCodigoSeccion->setDataSource(s);
    EditCodigoSeccion->setDataField(QStringLiteral("CodigoSeccion"));
    datos->addWidget(EditCodigoSeccion, 8, 4);
    PanelActivoInactivo = new TPanel(PagIdentificacion);
    PanelActivoInactivo->setObjectName(QStringLiteral("PanelActivoInactivo"));
    PanelActivoInactivo->setMinimumHeight(22);
    datos->addWidget(PanelActivoInactivo, 9, 3, 1, 2);
    CrearFotoYGrupos(id);

    // Contracts.
    auto* contratos = new QVBoxLayout(PagContratos);
    auto* botones = new QHBoxLayout;
    contratos->addLayout(botones);
    botones->addWidget(new TLabel(PagContratos, QStringLiteral("Contrato")));
    ImprimirConDialogo =
        NuevoBotonHint(PagContratos, "ImprimirConDialogo",
                       QStringLiteral("Imprimir el contrato actual solicitando diálogo"));
    pbImprimir = NuevoBotonHint(PagContratos, "pbImprimir",
                                QStringLiteral("Imprimir el contrato actual directamente"));
    botones->addWidget(ImprimirConDialogo);
    botones->addWidget(pbImprimir);
    botones->addStretch(1);
    const bool sqlServer = TipoBaseDatos == QLatin1String("Microsoft SQL Server") ||
                           TipoBaseDatos == QLatin1String("Interbase");
    DBGrid4 = NuevaRejilla(PagContratos, "DBGrid4", DSHContratos,
                           {{"CodigoContrato", QStringLiteral("Contrato")},
                            {"FechaInicioContrato", QStringLiteral("Fecha Inicio")},
                            {"FechaFinalContrato", QStringLiteral("Fecha Final")},
                            {"DiasContrato", QStringLiteral("Días")},
                            {"HorasContrato", QStringLiteral("Horas")},
                            {"HorasMes", QStringLiteral("Horas Mes")},
                            {sqlServer ? "HorasA_o" : "HorasAño", QStringLiteral("Horas Año")},
                            {"PorcentajeReduccionJornad", QStringLiteral("% Reducción Jornada")}});
    if (!sqlServer) DBGrid4->Columns().Items(6)->setFieldName(QStringLiteral("HorasAño"));
    // The coded Social Security columns and the clauses, reached by the grid's
    // double click and ellipsis.
    for (const auto& c :
         {std::pair{"ClaveColectivo", "Clave Colectivo"},
          std::pair{"DiscapacidadTrabajador", "Discapacidad"},
          std::pair{"RelacionLaboral", "Relación Laboral"},
          std::pair{"InformacionComplementaria", "Información Complementaria"},
          std::pair{"ModalidadCotizacion", "Modalidad Cotización"},
          std::pair{"ExcluidoDesempleo", "Excluido Desempleo"}, std::pair{"Clausulas", "Cláusulas"},
          std::pair{"ClausulasAdicionales", "Cláusulas Adicionales"}}) {
        TColumn* col = DBGrid4->Columns().Add();
        col->setFieldName(QLatin1String(c.first));
        col->Title()->setCaption(QString::fromUtf8(c.second));
        if (QByteArray(c.first).startsWith("Clausulas")) col->setButtonStyle(cbsEllipsis);
    }
    DBGrid4->OnDblClick = [this](QObject* o) { DBGrid4DblClick(o); };
    DBGrid4->OnEditButtonClick = [this](QObject* o) { DBGrid4EditButtonClick(o); };
    DBGrid4->OnDrawColumnCell = [this](QObject*, const QRect& r, int c, TColumn*, int st) {
        DBGrid4DrawColumnCell(r, c, st);
    };
    contratos->addWidget(DBGrid4, 1);

    // Leaves.
    auto* bajas = new QVBoxLayout(PagBajas);
    DBGrid3 = NuevaRejilla(PagBajas, "DBGrid3", DSBaja,
                           {{"FechaInicio", QStringLiteral("Fecha Inicio")},
                            {"FechaFinal", QStringLiteral("Fecha Final")},
                            {"CodigoBaja", QStringLiteral("Código Baja")},
                            {"FechaBajaInicial", QStringLiteral("Fecha Baja Inicial")},
                            {"Observaciones", QStringLiteral("Observaciones")},
                            {"MediaHE", QStringLiteral("MediaHE")},
                            {"BaseReguladoraSS", QStringLiteral("BaseReguladoraSS")},
                            {"BaseReguladoraAT", QStringLiteral("BaseReguladoraAT")}});
    DBGrid3->OnDblClick = [this](QObject* o) { DBGrid3DblClick(o); };
    DBGrid3->OnColEnter = [this](QObject* o) { DBGrid3ColEnter(o); };
    DBGrid3->OnColExit = [this](QObject*) {
        if (!ValidarLineaBaja(true)) Abort();
    };
    DBGrid3->OnExit = DBGrid3->OnColExit;
    DBGrid4->OnColExit = [this](QObject*) {
        if (!ValidarLineaContrato()) Abort();
    };
    DBGrid4->OnExit = DBGrid4->OnColExit;
    bajas->addWidget(DBGrid3, 1);

    // Positions.
    auto* puestos = new QVBoxLayout(PagPuestosTrabajo);
    auto* lineaPuesto = new QHBoxLayout;
    puestos->addLayout(lineaPuesto);
    lineaPuesto->addWidget(new TLabel(PagPuestosTrabajo, QStringLiteral("Puesto Trabajo Actual")));
    EditPuestoTrabajo = new TDBEdit(PagPuestosTrabajo);
    EditPuestoTrabajo->setObjectName(QStringLiteral("EditPuestoTrabajo"));
    EditPuestoTrabajo->setDataSource(DataSource1);
    EditPuestoTrabajo->setDataField(QStringLiteral("PuestoTrabajo"));
    lineaPuesto->addWidget(EditPuestoTrabajo, 1);
    const QString hintEval = QStringLiteral("Acceso a las Evaluaciones del Operario");
    const QString hintHist = QStringLiteral("Ver Histórico de Evaluaciones");
    AccesoEvaluacionPuesto = NuevoBotonHint(PagPuestosTrabajo, "AccesoEvaluacionPuesto", hintEval);
    pbVerHistoricoEvaluacionesPuesto =
        NuevoBotonHint(PagPuestosTrabajo, "pbVerHistoricoEvaluacionesPuesto", hintHist);
    lineaPuesto->addWidget(AccesoEvaluacionPuesto);
    lineaPuesto->addWidget(pbVerHistoricoEvaluacionesPuesto);
    DBGridHPuestos = NuevaRejillaPuestos(PagPuestosTrabajo, DSHPuesto);
    TColumn* nivel = DBGridHPuestos->Columns().Add();
    nivel->setFieldName(QStringLiteral("Nivel"));
    nivel->Title()->setCaption(QStringLiteral("Nivel Alcanzado"));
    DBGridHPuestos->Columns().Items(1)->setButtonStyle(cbsEllipsis);
    DBGridHPuestos->OnEditButtonClick = [this](QObject* o) { BuscarDatosDBEdit(o); };
    DBGridHPuestos->OnDblClick = [this](QObject* o) { BuscarDatosDBEdit(o); };
    DBGridHPuestos->OnColExit = [this](QObject* o) { DBGridHPuestosColExit(o); };
    puestos->addWidget(DBGridHPuestos, 1);

    // Training.
    auto* formacion = new QVBoxLayout(PagFormacion);
    auto* lineaFormacion = new QHBoxLayout;
    formacion->addLayout(lineaFormacion);
    AccesoEvaluacionFormacion = NuevoBotonHint(PagFormacion, "AccesoEvaluacionFormacion", hintEval);
    pbVerHistoricoEvaluacionesFormacion =
        NuevoBotonHint(PagFormacion, "pbVerHistoricoEvaluacionesFormacion", hintHist);
    lineaFormacion->addWidget(AccesoEvaluacionFormacion);
    lineaFormacion->addWidget(pbVerHistoricoEvaluacionesFormacion);
    lineaFormacion->addStretch(1);
    DBGridHFormacion = NuevaRejillaFormacion(PagFormacion, DSFormacion);
    DBGridHFormacion->Columns().Items(1)->setButtonStyle(cbsEllipsis);
    DBGridHFormacion->OnEditButtonClick = [this](QObject* o) { BuscarDatosDBEdit(o); };
    DBGridHFormacion->OnDblClick = [this](QObject* o) { BuscarDatosDBEdit(o); };
    DBGridHFormacion->OnColExit = [this](QObject* o) { DBGridHFormacionColExit(o); };
    formacion->addWidget(DBGridHFormacion, 1);

    CrearPaginaInstrucciones();

    // Bulk assignments.
    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const struct {
        const char* nombre;
        const char* caption;
        void (TfRRHHPERS::*accion)(QObject*);
    } items[] = {
        {"AsignarHorasMesActual1", "Asignar &Horas Mes Actual",
         &TfRRHHPERS::AsignarHorasMesActual1Click},
        {"AsignarDasNoRetribuidosCotizables1", "Asignar Días No Retribuidos &Cotizables",
         &TfRRHHPERS::AsignarDasNoRetribuidosCotizables1Click},
        {"AsignarDasNoRetribuidosNoCotizables1", "Asignar Días No Retribuidos &No Cotizables",
         &TfRRHHPERS::AsignarDasNoRetribuidosNoCotizables1Click},
        {"AsignarDasdeRegulacin1", "Asignar Días de &Regulación",
         &TfRRHHPERS::AsignarDasdeRegulacin1Click},
        {"AsignarFechaHuelga1", "Asignar Fecha &Huelga", &TfRRHHPERS::AsignarFechaHuelga1Click},
        {"Asignar1", "Asignar Tipo &Previsión Social Voluntaria", &TfRRHHPERS::Asignar1Click},
    };
    for (const auto& i : items) {
        auto* item = new TMenuItem(PopupMenu1->Items(), QLatin1String(i.nombre),
                                   QString::fromUtf8(i.caption));
        const auto accion = i.accion;
        item->OnClick = [this, accion](QObject* o) { (this->*accion)(o); };
    }
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu1->Popup(mapToGlobal(p)); });

    // Buttons of the linked windows.
    pbDocumentacionElectronica->OnClick = [this](QObject* o) {
        pbDocumentacionElectronicaClick(o);
    };
    ImprimirFicha->OnClick = [this](QObject* o) { ImprimirFichaClick(o); };
    ImprimirConDialogo->OnClick = [this](QObject* o) { ImprimirConDialogoClick(o); };
    pbImprimir->OnClick = [this](QObject* o) { pbImprimirClick(o); };
    CalendarioOperario->OnClick = [this](QObject* o) { CalendarioOperarioClick(o); };
    for (TBitBtn* b : {AccesoEvaluacionPuesto, AccesoEvaluacionFormacion})
        b->OnClick = [this](QObject* o) { AccesoEvaluacionClick(o); };
    for (TBitBtn* b : {pbVerHistoricoEvaluacionesPuesto, pbVerHistoricoEvaluacionesFormacion})
        b->OnClick = [this](QObject* o) { pbVerHistoricoEvaluacionesClick(o); };
}

void TfRRHHPERS::DeclararCamposTablas() {
    // The calculated columns stand beside the stored ones.
    DeclararCampos(Table1, {{QStringLiteral("NombrePais"), 40},
                            {QStringLiteral("Activo"), 2},
                            {QStringLiteral("FechaInicioUltimoContrato"), 20},
                            {QStringLiteral("FechaFinalUltimoContrato"), 20},
                            {QStringLiteral("NombreEntidad"), 40},
                            {QStringLiteral("NombreSucursal"), 40},
                            {QStringLiteral("NombreEntidad2"), 40},
                            {QStringLiteral("NombreSucursal2"), 40}});
    DeclararCampos(HPuesto, {{QStringLiteral("Nivel"), 30}});
    DeclararCampos(HContrato, {});
    DeclararCampos(Baja, {});
    DeclararCampos(GATablas,
                   {{QStringLiteral("DescripcionGA"), 40}, {QStringLiteral("CategoriaGA"), 30}});
    // Amounts take part in the currency view (tag 1000); the form
    // preparation gives them the company's template for their name.
    const QString importe = QStringLiteral("#,###.##");
    auto formato = [](TDataSet* d, const char* campo, const QString& f, int tag = 0) {
        if (TField* c = d->FindField(QLatin1String(campo))) {
            c->setDisplayFormat(f);
            if (tag) c->setTag(tag);
        }
    };
    for (const char* c : {"MinimoSS", "MaximoSS", "MinimoATEP", "MaximoATEP", "BaseRegulacionCC",
                          "BaseRegulacionAT", "PagaManual1", "PagaManual2", "PagaManual3",
                          "PagaManual4", "PagaManual5", "ImportePrestamo", "ImporteAmortizacionMes",
                          "ImporteRemanente", "ImporteBrutoConvenido", "ImporteLiquidoConvenido"})
        formato(Table1, c, importe, 1000);
    for (const char* c : {"TipoIRPF", "TipoRetencionEspecie", "TipoPSVOperario"})
        formato(Table1, c, QStringLiteral("#.###,##"));
    for (const char* c : {"ImporteTransferencia", "ImporteTransferencia2"})
        formato(Table1, c, importe);
    for (const char* c :
         {"ImporteBonificacion", "BoniFormacionPresencial", "BoniFormacionADistancia"})
        formato(HContrato, c, importe, 1000);
    formato(HContrato, "RelacionLaboral", QStringLiteral("0000"));
    for (const char* c : {"MediaHE", "BaseReguladoraSS", "BaseReguladoraAT"})
        formato(Baja, c, importe, 1000);
}

void TfRRHHPERS::FormCreate(QObject* Sender) {
    DeclararCamposTablas();
    TMaestroFicha::FormCreate(Sender);
    // What an entry interrupted by a crash left goes before anyone sees it.
    AltaOperario->EliminarRestosAbandonados();
    setCaption(QStringLiteral("Maestro de Personal"));
    PageControl1->setActivePage(PagIdentificacion);
    for (TDBComboBox* c : {EditEstadoCivil, EditSexo}) ValoresCombo(c);
    Table1->First();
    AsignarRangos();
    DataSource1DataChange(nullptr);
}

QList<TTable*> TfRRHHPERS::LineasFicha() const {
    return {HContrato, Baja, HPuesto, HFormacion, GATablas};
}

void TfRRHHPERS::AsignarRangos() {
    const int codigo = Table1->Active() && !Table1->IsEmpty()
                           ? Table1->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger()
                           : CodigoActual();
    for (TTable* t : {HContrato, Baja}) RangoLineas(t, {codigo});
    AsignarRangosHistoricos(codigo);
}

void TfRRHHPERS::HabilitarModoEdicion(bool Editando) {
    TMaestroFicha::HabilitarModoEdicion(Editando);
    // Documents are added to an employee who exists.
    pbDocumentacionElectronica->setEnabled(Table1->State() != dsInsert);
}

void TfRRHHPERS::DataSource1DataChange(TField* Field) {
    const bool activo =
        Table1->Active() && Table1->FindField(QStringLiteral("Activo")) &&
        Table1->FieldByName(QStringLiteral("Activo"))->AsString() == QLatin1String("SI");
    PanelActivoInactivo->setCaption(activo ? QStringLiteral("ACTIVO") : QStringLiteral("INACTIVO"));
    PanelActivoInactivo->setStyleSheet(activo ? QStringLiteral("color: green")
                                              : QStringLiteral("color: red"));
    if (Field) return;
    PaginasAccesibles(Table1, QStringLiteral("CodigoOperario"), PageControl1);
    AsignarRangos();
}

void TfRRHHPERS::Table1AfterScroll(TDataSet*) {
    MostrarDocumentosYFoto(Table1, QLatin1String(kPersonal), ClaveFoto(),
                           pbDocumentacionElectronica, FotoFicha);
}

void TfRRHHPERS::pbCancelarClick(QObject*) {
    Baja->Cancel();
    HContrato->Cancel();
    Table1->Cancel();
}

void TfRRHHPERS::Eliminar1Click(QObject* Sender) {
    TMaestroFicha::Eliminar1Click(Sender);
    CancelarBorradoPendiente(TransaccionBorrado);
}

void TfRRHHPERS::Table1BeforeCancel(TDataSet*) {
    CancelarLineas(LineasFicha());
    if (Table1->State() == dsInsert) EliminarRegistrosAlta();
}

void TfRRHHPERS::Table1NewRecord(TDataSet* DataSet) {
    TMaestroFicha::Table1NewRecord(DataSet);
    auto poner = [this](const char* campo, const QVariant& v) {
        if (TField* f = Table1->FindField(QLatin1String(campo))) f->setValue(v);
    };
    ProponerCodigoAlta();
    poner("CodigoCalendario", 1);
    poner("CentroTrabajo", 1);
    poner("CodigoTablaAntiguedad", QStringLiteral("Quinquenio"));
    poner("PagasAutomaticas", 2);
    poner("TipoOperario", QStringLiteral("Mayor 18"));
    poner("TipoIdentificador", QStringLiteral("1"));
    poner("CodigoPais", QStringLiteral("724"));
    poner("Instrucciones", InstruccionesPorDefecto());
}

void TfRRHHPERS::Table1AfterPost(TDataSet* DataSet) {
    // The employee exists now: his code needs no holding.
    AltaGrabada();
    TMaestroFicha::Table1AfterPost(DataSet);
}

void TfRRHHPERS::EditarOperario(TDataSet*) {
    if (BorrandoOperario || !Table1->Active() || Table1->IsEmpty()) return;
    if (Table1->State() == dsBrowse) Table1->Edit();
}

void TfRRHHPERS::LineaBeforePost(TDataSet* DataSet) {
    if (DataSet == Baja && !ValidarLineaBaja(false)) Abort();
    if (DataSet == HContrato && !ValidarLineaContrato()) Abort();
    if (!ReservarCodigoAlta()) Abort();
    ComprobarPersonaVigente(DataSet);
    if (DataSet == HContrato && HContrato->State() == dsInsert) NumerarContratoNuevo();
}

void TfRRHHPERS::NumerarContratoNuevo() {
    TField* numero = HContrato->FieldByName(QStringLiteral("NumeroContrato"));
    const QVariantList clave{HContrato->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger(),
                             numero->AsInteger()};
    const QVariant siguiente = ValorConParametros(
        QStringLiteral("SELECT MAX(NumeroContrato) + 1 FROM HCONTRAT WHERE CodigoOperario = :c "
                       "AND EXISTS (SELECT 1 FROM HCONTRAT WHERE CodigoOperario = :c2 AND "
                       "NumeroContrato = :n)"),
        {clave.at(0), clave.at(0), clave.at(1)});
    if (!siguiente.isNull()) numero->setAsInteger(siguiente.toInt());
}

void TfRRHHPERS::EliminarRegistrosAlta() {
    // One that could not complete leaves the new employee typed, to cancel again.
    if (!AltaOperario->Cancelar()) Abort();
    RefrescarLineas(LineasFicha());
}

void TfRRHHPERS::HContratoBeforeInsert(TDataSet* DataSet) {
    Duplicacion.Guardar(DataSet);
}

void TfRRHHPERS::BajaBeforeInsert(TDataSet* DataSet) {
    Duplicacion.Guardar(DataSet);
}

void TfRRHHPERS::HContratoNewRecord(TDataSet*) {
    HContrato->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(CodigoActual());
    AsignarSiguienteCodigo(ModuloDatos, HContrato,
                           HContrato->FieldByName(QStringLiteral("NumeroContrato")));
    HContrato->FieldByName(QStringLiteral("CodigoContrato"))->setAsInteger(100);
    HContrato->FieldByName(QStringLiteral("DiasContrato"))->setAsFloat(30);
    HContrato->FieldByName(QStringLiteral("HorasContrato"))->setAsFloat(8);
    HContrato->FieldByName(QStringLiteral("TipoBonificacion"))
        ->setAsString(QStringLiteral("Ninguna"));
    Duplicacion.Duplicar(HContrato, Agregar);
}

void TfRRHHPERS::BajaNewRecord(TDataSet*) {
    Baja->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(CodigoActual());
    Duplicacion.Duplicar(Baja, Agregar);
}

void TfRRHHPERS::HFormacionBeforeDelete(TDataSet*) {
    QuitarGrupoDeFormacion();
}

QString TfRRHHPERS::DescripcionCodigo(const QString& Tabla, const QString& Codigo) {
    return DescripcionMaestro(Tabla, Codigo);
}

void TfRRHHPERS::BuscarDatosDBEdit(QObject* Sender) {
    if (Table1->State() == dsBrowse && !Table1->IsEmpty()) Table1->Edit();
    // The key handler passes the focused control; a double click its own.
    QObject* foco = Sender;
    if (foco != EditCodigoPais && foco != DBGridGA && foco != DBGridHPuestos &&
        foco != DBGridHFormacion && foco != EditInstrucciones)
        foco = ActiveControl();
    BuscarDatosFicha(foco);
}

void TfRRHHPERS::DBGridHFormacionColExit(QObject*) {
    TField* campo = DBGridHFormacion->SelectedField();
    // A line nobody typed into gets no description of its empty code: it
    // would become a typed line, stored when left.
    if (EnEdicion(HFormacion) && HFormacion->Modified() && campo &&
        campo->FieldName() == QLatin1String("CodigoFormacion"))
        HFormacion->FieldByName(QStringLiteral("Descripcion"))
            ->setAsString(DescripcionCodigo(QStringLiteral("FORMCION"), campo->AsString()));
    if (!ValidarLineaFormacion()) Abort();
}

// ---------------------------------------------------------------- line checks

bool TfRRHHPERS::Cancelando() const {
    return pbCancelar && ActiveControl() == pbCancelar;
}

bool TfRRHHPERS::ReglaLista(TDBGrid* Rejilla, const QString& Campo) {
    TField* sel = Rejilla->SelectedField();
    if (!sel || sel->FieldName().compare(Campo, Qt::CaseInsensitive) != 0) return true;
    return ValidarValorLista(ModuloDatos, Rejilla, sel);
}

bool TfRRHHPERS::ValidarLineaBaja(bool EnRejilla) {
    if (Cancelando()) return true;
    // Old lines only browsed through are not checked: only a line being typed.
    if (EnRejilla && !EnEdicion(Baja)) return true;
    bool correcto = true;
    TField* sel = DBGrid3->SelectedField();
    if (sel && !sel->AsString().isEmpty()) {
        if (EnRejilla && sel->FieldName() != QLatin1String("FechaInicio") &&
            Baja->FieldByName(QStringLiteral("FechaInicio"))->IsNull()) {
            MensajeAdvertencia(
                QStringLiteral("La Fecha de Inicio de la baja es un dato obligatorio"));
            correcto = false;
        }
        if (!ReglaLista(DBGrid3, QStringLiteral("CodigoBaja"))) correcto = false;
    }
    const bool base = sel && (sel->FieldName() == QLatin1String("BaseReguladoraSS") ||
                              sel->FieldName() == QLatin1String("BaseReguladoraAT"));
    if (EnRejilla && base) {
        const bool vacia = sel->IsNull() || sel->AsFloat() == 0;
        if (sel->FieldName() == QLatin1String("BaseReguladoraSS") && vacia) {
            MensajeAdvertencia(
                QStringLiteral("La Base Reguladora de la seguridad social es un dato obligatorio"));
            correcto = false;
        } else if (sel->FieldName() == QLatin1String("BaseReguladoraAT") && vacia) {
            MensajeAdvertencia(
                QStringLiteral("La Base Reguladora de Accidentes es un dato obligatorio"));
            correcto = false;
        }
    }
    return correcto;
}

bool TfRRHHPERS::ValidarLineaConListas(TDBGrid* Rejilla, const QString& Campo1,
                                       const QString& Campo2) {
    if (Cancelando()) return true;
    TField* sel = Rejilla->SelectedField();
    if (!sel || sel->AsString().isEmpty()) return true;
    return ReglaLista(Rejilla, Campo1) && ReglaLista(Rejilla, Campo2);
}

bool TfRRHHPERS::ValidarLineaContrato() {
    return ValidarLineaConListas(DBGrid4, QStringLiteral("TipoBonificacion"),
                                 QStringLiteral("CotExclusivamenteEmpresa"));
}

bool TfRRHHPERS::ValidarLineaFormacion() {
    return ValidarLineaConListas(DBGridHFormacion, QStringLiteral("Tipo"), QStringLiteral("Apto"));
}

void TfRRHHPERS::DBGrid3ColEnter(QObject*) {
    QString valores;
    ValoresDistintos(ModuloDatos, QStringLiteral("TSUBSDIO"), QStringLiteral("Codigo"), valores,
                     QString());
    DBGrid3->Columns().Items(2)->setPickList(
        valores.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts));
}

// ---------------------------------------------------------------- contract grid

namespace {

// The fixed lists of the contract's coded columns: the code is the head of
// the chosen line.
struct ListaContrato {
    const char* campo;
    const char* titulo;
    int ancho;
    int longitud;
    QStringList lineas;
};

const QList<ListaContrato>& ListasContrato() {
    static const QList<ListaContrato> listas = {
        {"ClaveColectivo",
         "Selección de Clave de Colectivo Incentivado",
         400,
         4,
         {QStringLiteral("0001-Plan Extr.Reduc.Temporalidad. (C.Temporal)"),
          QStringLiteral("0002-Plan Extr.Reduc.Temporalidad. (C.Formativ)"),
          QStringLiteral("0003-Conversión Indef.(C.Format.Relev.Sust.Jub)"),
          QStringLiteral("0004-Mujeres"),
          QStringLiteral("0005-Mujer Reincorporada (5 años inactividad)"),
          QStringLiteral("0006-Mujer Parto 24 meses"),
          QStringLiteral("0007-Mayores 45 años"),
          QStringLiteral("0008-Hombres jóvenes entre 16 y 30 años"),
          QStringLiteral("0009-Hombres desempleados más de 6 meses"),
          QStringLiteral("0010-Excluidos sociales (Indefinidos)"),
          QStringLiteral("0011-Víctima violencia de género (Indefinidos)"),
          QStringLiteral("0013-Discapacitado (Centro especial de empleo)"),
          QStringLiteral("0014-Discapacitado (Indefinido)"),
          QStringLiteral("0015-Discapacitado (Enclave laboral)"),
          QStringLiteral("0016-Mujer Reincorporada (Maternidad)"),
          QStringLiteral("0017-Excluidos sociales (Temporales)"),
          QStringLiteral("0018-Víctima violencia de género (Temporales)"),
          QStringLiteral("0019-Discapacitado (Temporales)"),
          QStringLiteral("0020-Discapacitado (Centro especial de empleo. Temporales)"),
          QStringLiteral("1001-Sector textil-mayor 55 años + 5 antigüedad"),
          QStringLiteral("1002-Sector textil-mujeres"),
          QStringLiteral("1003-Sector textil- entre 30 a 45 años"),
          QStringLiteral("1004-Sector textil-hombre. De 46 a 54 años"),
          QStringLiteral("1005-Sector textil-mujer. De 46 a 54 años"),
          QStringLiteral("1006-Sector textil-hombre + 55 años"),
          QStringLiteral("1007-Sector textil-mujer. + 55 años"),
          QStringLiteral("1008-Sector textil-desempleado + 1 año"),
          QStringLiteral("1009-Sector textil-entre 30 y 45 años. Desempleo 6 meses"),
          QStringLiteral("1010-Sector textil- entre 30 y 45 años. Exclusión social"),
          QStringLiteral("1011-Sector textil discapacitado"),
          QStringLiteral("1012-Sector textil discapacitado CEE"),
          QStringLiteral("1013-Sector textil discapacitado enclave laboral"),
          QStringLiteral("3141-Mayores de 59 años y 4 años de antigüedad")}},
        {"DiscapacidadTrabajador",
         "Selección de condición de Discapacidad del Trabajador",
         300,
         1,
         {QStringLiteral("D-Trabajador discapacitado con grado minusvalía igual o superior al 33%"),
          QStringLiteral("S-Pensionista de incapacidad permanente de la Seguridad Social"),
          QStringLiteral("P-Pensionista de incapacidad permanente de Clases Pasivas")}},
        {"RelacionLaboral",
         "Selección de indicador de Relación Laboral",
         400,
         4,
         {QStringLiteral("0100-Personal de alta dirección"),
          QStringLiteral("0409-Deportistas profesionales"),
          QStringLiteral("0900-Abogados en despachos de abogados")}},
        {"InformacionComplementaria",
         "Selección de indicador de Información Complementaria",
         400,
         1,
         {QStringLiteral("1 - Primer Año"), QStringLiteral("2 - Segundo Año"),
          QStringLiteral("R - Resto Años")}},
        {"ModalidadCotizacion",
         "Selección de la Modalidad de Cotización Régimen Especial Agrario",
         400,
         1,
         {QStringLiteral("J - Cotización por Jornadas Reales"),
          QStringLiteral("G - Cotización por Sistema General"),
          QStringLiteral("E - Excluidos del Censo")}},
        {"ExcluidoDesempleo",
         "Selección de Exclusión de Cotizar Desempleo - Régimen Especial Agrario",
         400,
         1,
         {QStringLiteral("S - Si excluido el Desempleo"),
          QStringLiteral("N - No excluido Desempleo")}},
    };
    return listas;
}

}  // namespace

void TfRRHHPERS::DBGrid4DblClick(QObject*) {
    if (!EnEdicion(HContrato)) {
        try {
            HContrato->Edit();
        } catch (const EAbort&) {
            throw;
        } catch (const std::exception&) {
            MensajeAdvertencia(QStringLiteral("¡El registro está bloqueado por otro usuario!"));
        }
    }
    TField* campo = DBGrid4->SelectedField();
    if (!campo) return;
    const QString nombre = campo->FieldName();
    if (nombre == QLatin1String("CodigoContrato")) {
        QVariant clave;
        BuscarCodigo(QStringLiteral("CONTRATO"), 0, clave);
        const QVariant v = PrimerValor(clave);
        if (!v.isNull()) campo->setText(v.toString());
        return;
    }
    for (const ListaContrato& l : ListasContrato()) {
        if (nombre != QLatin1String(l.campo)) continue;
        const QString opciones = QStringLiteral("Titulo=") + QString::fromUtf8(l.titulo) +
                                 QStringLiteral("\r\nFormato=0,0,") + QString::number(l.ancho) +
                                 QStringLiteral(",0\r\nModo=Normal");
        QString seleccion;
        SeleccionarDeLista(fGENEINIC, opciones, l.lineas.join(QStringLiteral("\r\n")), seleccion);
        if (seleccion.isEmpty()) return;
        const QString codigo = seleccion.left(l.longitud);
        if (nombre == QLatin1String("RelacionLaboral"))
            campo->setAsInteger(codigo.toInt());
        else
            campo->setAsString(codigo);
        return;
    }
}

void TfRRHHPERS::DBGrid4DrawColumnCell(const QRect& Rect, int DataCol, int State) {
    TColumn* columna = DBGrid4->Columns().Items(DataCol);
    QPainter* lienzo = DBGrid4->Canvas();
    if (!columna || !lienzo || !columna->Field() || columna->Field()->DataType() != ftMemo) return;
    // The clause mark replaces the memo's own text.
    lienzo->fillRect(
        Rect, (State & gdSelected) ? DBGrid4->palette().highlight() : DBGrid4->palette().base());
    DibujarCeldaMemo(fGENEINIC, DBGrid4, lienzo, Rect, DataCol);
}

void TfRRHHPERS::DBGrid4EditButtonClick(QObject*) {
    TField* campo = DBGrid4->SelectedField();
    if (!campo) return;
    const bool clausulas = campo->FieldName() == QLatin1String("Clausulas");
    if (!clausulas && campo->FieldName() != QLatin1String("ClausulasAdicionales")) return;
    if (!EnEdicion(HContrato)) HContrato->Edit();
    QString titulo = QStringLiteral("Histórico Contratos ") + QString::number(CodigoActual());
    if (clausulas)
        titulo += QLatin1Char(';') +
                  HContrato->FieldByName(QStringLiteral("NumeroContrato"))->AsString() +
                  QStringLiteral(" - Cláusulas");
    else
        titulo += QStringLiteral(" - Cláusulas Adicionales");
    QString texto;
    VisualizarAsignarCampoTexto(HContrato, titulo, campo->FieldName(), texto);
    campo->setAsString(texto);
}

QString TfRRHHPERS::InstruccionesPorDefecto() {
    static const char* const claves[][2] = {{"NIFRepresentanteLegal", ""},
                                            {"Clave", "A"},
                                            {"SubClave", ""},
                                            {"CeutaOMelilla", "0"},
                                            {"TipoContrato", "1"},
                                            {"NIFBeneficiarioMinusvalido", ""},
                                            {"GradoMinusvalia", "00"},
                                            {"Discapacidad", "0"},
                                            {"SituacionFamiliar", "1"},
                                            {"NombreConyuge", ""},
                                            {"NIFConyuge", ""},
                                            {"Descendientes<3", "00"},
                                            {"Descendientes>3<16", "00"},
                                            {"Descendientes>16<25", "00"},
                                            {"Desc.Discapacitados>33<65", "00"},
                                            {"Desc.Discapacitados>65", "00"},
                                            {"Reducciones", ""},
                                            {"PensionConyuge", ""},
                                            {"AnualidadesAlimentosHijos", ""},
                                            {"TotalDes.PorEntero", "00"},
                                            {"TotalAscendientes", "0"},
                                            {"AscendientesPorEntero", "0"},
                                            {"Asc.Discapacitados>33<65", "0"},
                                            {"Asc.Discapacitados>65", "0"},
                                            {"CausaExclusionCotizacion", ""},
                                            {"RelacionLaboralCaracterEspecial", ""},
                                            {"EntidadATReprComercio", ""},
                                            {"OpcionITCC", ""},
                                            {"IdentificacionEmbarcacion", ""},
                                            {"Desempleado", ""},
                                            {"DesempleadoMas12Meses", ""},
                                            {"DesempleadoSubsidioRea", ""},
                                            {"MujerSubrepresentada", ""},
                                            {"ExclusionSocial", ""},
                                            {"PrimerTrabajadorDeAutonomo", ""},
                                            {"IncapacitadoReadmitido", ""},
                                            {"OtraSituacion", ""},
                                            {"HorasDia", ""},
                                            {"HorasSemana", ""},
                                            {"HorasMes", ""},
                                            {"HorasAno", ""},
                                            {"HorasJornadaMaxima", ""},
                                            {"CoeficienteTiempoParcial", "000"},
                                            {"NumSSTrabajadorSustituido", ""},
                                            {"CausaSustitucion", ""},
                                            {"CategoriaProfesional", "0000000"},
                                            {"COE", ""},
                                            {"ExcedenciaCuandoHijo", ""},
                                            {"ExcedenciaOtroFamiliar", ""},
                                            {"GuardaLegal", ""},
                                            {"%GuardaLegal", ""},
                                            {"Maternidad", ""},
                                            {"RegulacionEmpleo", ""},
                                            {"%RegulacionEmpleo", ""},
                                            {"Huelga", ""},
                                            {"%Huelga", ""},
                                            {"CoeficientePermanencias", ""},
                                            {"DiasTrabajoEspecialFrutas", ""},
                                            {"DiasITMaternidad", ""},
                                            {"OrganoSolicitud", ""},
                                            {"FechaDesempleo", ""},
                                            {"NumeroRegistroDesempleo", ""},
                                            {"NombreTS", ""},
                                            {"FechaNacimientoTS", ""},
                                            {"ProfesionTS", ""},
                                            {"GrupoCotizacionTS", ""},
                                            {"ReduccionJornadaTS", ""},
                                            {"RealDecretoTS", ""},
                                            {"EdadJubilacionTS", ""},
                                            {"TituloEstudios", ""},
                                            {"FechaTerminoEstudios", ""},
                                            {"FechaInicioSMilitar", ""},
                                            {"FechaFinalSMilitar", ""},
                                            {"CertificacionMinusvalido", ""},
                                            {"CertificadorMinusvalia", ""},
                                            {"FechaResolucionMinusvalia", ""},
                                            {"TipoMinusvalia", ""},
                                            {"CapacidadObra", ""},
                                            {"NombreCentroFormacion", ""},
                                            {"CIFCentroFormacion", ""},
                                            {"PoblacionCentroFormacion", ""},
                                            {"IdentificadorCentroForma", ""},
                                            {"CondicionDesempleado", ""},
                                            {"ProlongacionActividadLaboral", "0"},
                                            {"MovilidadGeografica", "0"},
                                            {"Asc.<75", "0"},
                                            {"Asc.<75PorEntero", "0"},
                                            {"Asc.>75", "0"},
                                            {"Asc.>75PorEntero", "0"},
                                            {"Asc.Disc>33<65", "0"},
                                            {"Asc.Disc>33<65PorEntero", "0"},
                                            {"Asc.Disc.Mov.Reducida", "0"},
                                            {"Asc.Disc.Mov.ReducidaPorEntero", "0"},
                                            {"Asc.Disc>65", "0"},
                                            {"Asc.Disc>65PorEntero", "0"},
                                            {"Inactividad", "0"},
                                            {"ExclusionDeDesempleo", "0"},
                                            {"MujerReincorporada", ""}};
    QStringList lineas;
    for (const auto& c : claves)
        lineas << QLatin1String(c[0]) + QLatin1Char('=') + QLatin1String(c[1]);
    return lineas.join(QStringLiteral("\r\n"));
}

void RegistrarTfRRHHPERS() {
    RegisterFormClass<TfRRHHPERS>(QStringLiteral("TfRRHHPERS"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHPERS();
    return true;
}();
}  // namespace
