#include "rrhh/rrhhcand.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genealta.h"
#include "gene/data/geneclav.h"
#include "gene/data/genegrup.h"
#include "gene/data/genemodu.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusc.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhhcand_p.h"
#include "rrhh/rrhhfoto.h"
#include "rrhh/rrhhpers_p.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

using namespace rrhhpers;

TfRRHHCAND* fRRHHCAND = nullptr;

namespace rrhhcand {

const char* const kCandidat = "CANDIDAT";
const char* const kFechaInicioObligatoria =
    "La Fecha de Inicio de la Formación es un dato obligatorio";

const QList<TablaLineasAlta>& HistoricosCandidato() {
    static const QString candidat = QStringLiteral("NombreTabla='CANDIDAT'");
    static const QList<TablaLineasAlta> tablas = {
        {QStringLiteral("HPUESTO"), QStringLiteral("CodigoOperario"), candidat},
        {QStringLiteral("HFORMACI"), QStringLiteral("CodigoOperario"), candidat},
    };
    return tablas;
}

}  // namespace rrhhcand

using namespace rrhhcand;

TfRRHHCAND::TfRRHHCAND(QWidget* owner)
    : TFichaPersona(owner, QStringLiteral("fRRHHCAND"), QStringLiteral("Maestro de Candidatos"),
                    kCandidat, QStringLiteral("Codigo"), 99999999, QStringLiteral("candidato"),
                    QStringLiteral("Candidato")) {
    AltaCandidato =
        std::make_unique<TAltaMaestro>(QLatin1String(kCandidat), QStringLiteral("Codigo"),
                                       QLatin1String(kCandidat), HistoricosCandidato());
    Alta = AltaCandidato.get();

    CrearHistoricos();
    Personal = NuevaTabla(this, "Personal", "PERSONAL");

    ConstruirControles();
    CampoClave = EditCodigoOperario;
    resize(700, 470);
    ConectarFicha();
    fRRHHCAND = this;
}

TfRRHHCAND::~TfRRHHCAND() {
    CerrarFichaPersona(this, Table1, *AltaCandidato, TransaccionBorrado, LineasFicha(),
                       {HPuesto, HFormacion, GATablas, Personal, Table1});
    if (fRRHHCAND == this) fRRHHCAND = nullptr;
}

void TfRRHHCAND::ConstruirControles() {
    auto* cabecera = new QHBoxLayout;
    AreaDatos->addLayout(cabecera);
    NuevaCabecera(this, cabecera, DataSource1, QStringLiteral("Codigo"), EditCodigoOperario,
                  EditNombre);
    auto boton = [this, cabecera](const char* nombre, const QString& hint) {
        auto* b = new TSpeedButton(this);
        b->setObjectName(QLatin1String(nombre));
        b->setHint(hint);
        cabecera->addWidget(b);
        return b;
    };
    pbDocumentacionElectronica = boton("pbDocumentacionElectronica",
                                       QStringLiteral("Acceso a la Documentación Electrónica"));
    ImprimirConDialogo =
        boton("ImprimirConDialogo", QStringLiteral("Imprimir la ficha actual solicitando diálogo"));
    EnviarFichaPersonal = boton("EnviarFichaPersonal", QStringLiteral("Enviar a Ficha Personal"));

    CrearPaginas();
    PagHistoricos = NuevaPagina("PagHistoricos", QStringLiteral("Históricos"));

    // Identification.
    auto* id = new QHBoxLayout(PagIdentificacion);
    auto* datos = new QGridLayout;
    id->addLayout(datos, 1);
    TDataSource* s = DataSource1;
    QWidget* p = PagIdentificacion;
    const struct {
        const char* nombre;
        const char* campo;
        const char* etiqueta;
    } edits[] = {
        {"EditDomicilio", "Domicilio", "Domicilio"},
        {"EditLocalidad", "Localidad", "Localidad"},
        {"EditProvincia", "Provincia", "Provincia"},
        {"EditCodigoPostal", "CodigoPostal", "Código Postal"},
        {"EditTelefono", "Telefono", "Teléfono"},
        {"EditDNI", "DNI", "D.N.I."},
        {"EditFechaNacimiento", "FechaNacimiento", "Fecha Nacimiento"},
        {"EditNumeroAfiliacion", "NumeroAfiliacion", "Seguridad Social"},
    };
    int fila = 0;
    for (const auto& e : edits)
        NuevoEdit(p, datos, fila++, 0, e.nombre, QLatin1String(e.campo),
                  QString::fromUtf8(e.etiqueta), s);
    EditCodigoPais = NuevoEdit(p, datos, fila++, 0, "EditCodigoPais", QStringLiteral("CodigoPais"),
                               QStringLiteral("País"), s);
    EditNombrePais = NuevoEdit(p, datos, fila++, 0, "EditNombrePais", QStringLiteral("NombrePais"),
                               QString(), s);
    EditNombrePais->setEnabled(false);
    EditCodigoPais->OnDblClick = [this](QObject* o) { BuscarDatosDBEdit(o); };
    EditTipoOperario =
        NuevoCombo(p, datos, 0, 3, "EditTipoOperario", QStringLiteral("TipoOperario"),
                   QStringLiteral("Tipo Operario"), s,
                   {QStringLiteral("Mayor 18"), QStringLiteral("Menor 18")}, csDropDownList);
    EditTipoCotizacion = NuevoCombo(
        p, datos, 1, 3, "EditTipoCotizacion", QStringLiteral("TipoCotizacion"),
        QStringLiteral("Tipo Cotización"), s,
        {QStringLiteral("Diaria"), QStringLiteral("Mensual"), QStringLiteral("Autonomo")},
        csDropDownList);
    QStringList grupos;
    for (int i = 1; i <= 11; ++i) grupos << QString::number(i);
    EditGrupoCotizacion =
        NuevoCombo(p, datos, 2, 3, "EditGrupoCotizacion", QStringLiteral("GrupoCotizacion"),
                   QStringLiteral("Grupo Cotización"), s, grupos, csDropDownList);
    EditEstadoCivil = NuevoCombo(p, datos, 3, 3, "EditEstadoCivil", QStringLiteral("EstadoCivil"),
                                 QStringLiteral("Estado Civil"), s, {}, csDropDown);
    EditSexo = NuevoCombo(p, datos, 4, 3, "EditSexo", QStringLiteral("Sexo"),
                          QStringLiteral("Sexo"), s, {}, csDropDown);
    EditEstadoCivil->OnDropDown = [this](QObject* o) { EditEstadoCivilDropDown(o); };
    EditSexo->OnDropDown = [this](QObject* o) { EditSexoDropDown(o); };
    NuevoEdit(p, datos, 5, 3, "EditNumeroHijos", QStringLiteral("NumeroHijos"),
              QStringLiteral("Número Hijos"), s);
    EditPuestoTrabajo = NuevoEdit(p, datos, 6, 3, "EditPuestoTrabajo",
                                  QStringLiteral("PuestoTrabajo"), QStringLiteral("Puesto"), s);
    datos->setRowStretch(fila, 1);
    CrearFotoYGrupos(id);

    // Histories.
    auto* historicos = new QVBoxLayout(PagHistoricos);
    historicos->addWidget(new TLabel(PagHistoricos, QStringLiteral("De Puestos de Trabajo")));
    DBGridHPuestos = NuevaRejillaPuestos(PagHistoricos, DSHPuesto);
    historicos->addWidget(DBGridHPuestos, 1);
    historicos->addWidget(new TLabel(PagHistoricos, QStringLiteral("De Formación")));
    DBGridHFormacion = NuevaRejillaFormacion(PagHistoricos, DSFormacion);
    // The other cells of a training line need its start date first (its
    // number is filled in): a new line starts there.
    DBGridHFormacion->setNewRowColumn(3);
    historicos->addWidget(DBGridHFormacion, 1);
    for (TDBGrid* g : {DBGridHPuestos, DBGridHFormacion})
        g->OnDblClick = [this](QObject* o) { BuscarDatosDBEdit(o); };
    DBGridHPuestos->OnColExit = [this](QObject* o) { DBGridHPuestosColExit(o); };
    DBGridHFormacion->OnColExit = [this](QObject* o) { DBGridHFormacionColExit(o); };
    DBGridHPuestos->OnEditButtonClick = [this](QObject* o) { DBGridHPuestosEditButtonClick(o); };
    DBGridHFormacion->OnEditButtonClick = [this](QObject* o) {
        DBGridHFormacionEditButtonClick(o);
    };

    CrearPaginaInstrucciones();

    pbDocumentacionElectronica->OnClick = [this](QObject* o) {
        pbDocumentacionElectronicaClick(o);
    };
    ImprimirConDialogo->OnClick = [this](QObject* o) { ImprimirConDialogoClick(o); };
    EnviarFichaPersonal->OnClick = [this](QObject* o) { EnviarFichaPersonalClick(o); };
}

void TfRRHHCAND::DeclararCamposTablas() {
    DeclararCampos(Table1, {{QStringLiteral("NombrePais"), 40}});
    DeclararCampos(GATablas,
                   {{QStringLiteral("DescripcionGA"), 40}, {QStringLiteral("CategoriaGA"), 30}});
}

void TfRRHHCAND::FormCreate(QObject* Sender) {
    DeclararCamposTablas();
    TMaestroFicha::FormCreate(Sender);
    // What an entry interrupted by a crash left goes before anyone sees it.
    AltaCandidato->EliminarRestosAbandonados();
    setCaption(QStringLiteral("Maestro de Candidatos"));
    DocumentacionElectronica1->setEnabled(true);
    pbDocumentacionElectronica->setEnabled(true);
    PageControl1->setActivePage(PagIdentificacion);
    for (TDBComboBox* c : {EditEstadoCivil, EditSexo}) ValoresCombo(c);
    Table1->First();
    AsignarRangos();
    DataSource1DataChange(nullptr);
}

QList<TTable*> TfRRHHCAND::LineasFicha() const {
    return {HPuesto, HFormacion, GATablas};
}

void TfRRHHCAND::AsignarRangos() {
    const int codigo = Table1->Active() && !Table1->IsEmpty() && Table1->State() != dsInsert
                           ? Table1->FieldByName(QStringLiteral("Codigo"))->AsInteger()
                           : CodigoActual();
    AsignarRangosHistoricos(codigo);
}

void TfRRHHCAND::HabilitarModoEdicion(bool Editando) {
    TMaestroFicha::HabilitarModoEdicion(Editando);
    // Documents are added to a candidate who exists; a hire moves a stored one.
    pbDocumentacionElectronica->setEnabled(Table1->State() != dsInsert);
    EnviarFichaPersonal->setEnabled(!Editando && !Table1->ReadOnly());
}

void TfRRHHCAND::DataSource1DataChange(TField* Field) {
    PaginasAccesibles(Table1, QStringLiteral("Codigo"), PageControl1);
    if (!Field) AsignarRangos();
}

void TfRRHHCAND::Table1CalcFields(TDataSet* DataSet) {
    TField* pais = DataSet->FindField(QStringLiteral("NombrePais"));
    if (pais)
        pais->setAsString(DatoMaestro(
            QStringLiteral("PAIS"), DataSet->FieldByName(QStringLiteral("CodigoPais"))->AsString(),
            QStringLiteral("Nombre")));
}

void TfRRHHCAND::Table1AfterScroll(TDataSet*) {
    MostrarDocumentosYFoto(Table1, QLatin1String(kCandidat), ClaveFoto(),
                           pbDocumentacionElectronica, FotoFicha);
}

void TfRRHHCAND::Table1AfterPost(TDataSet* DataSet) {
    // The candidate exists now: his code needs no holding.
    AltaGrabada();
    TMaestroFicha::Table1AfterPost(DataSet);
}

void TfRRHHCAND::Eliminar1Click(QObject* Sender) {
    TMaestroFicha::Eliminar1Click(Sender);
    CancelarBorradoPendiente(TransaccionBorrado);
}

void TfRRHHCAND::Table1BeforeCancel(TDataSet*) {
    CancelarLineas(LineasFicha());
    if (Table1->State() == dsInsert) {
        // One that could not complete leaves the new candidate typed, to cancel again.
        if (!AltaCandidato->Cancelar()) Abort();
        RefrescarLineas(LineasFicha());
    }
}

void TfRRHHCAND::Table1NewRecord(TDataSet* DataSet) {
    TMaestroFicha::Table1NewRecord(DataSet);
    ProponerCodigoAlta();
    Table1->FieldByName(QStringLiteral("TipoOperario"))->setAsString(QStringLiteral("Mayor 18"));
    Table1->FieldByName(QStringLiteral("CodigoPais"))->setAsString(QStringLiteral("724"));
}

void TfRRHHCAND::EditarOperario(TDataSet*) {
    if (BorrandoCandidato || !Table1->Active() || Table1->IsEmpty()) return;
    if (Table1->State() != dsBrowse) return;
    try {
        Table1->Edit();
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception&) {
        MensajeAdvertencia(QStringLiteral("¡El registro está siendo utilizado por otro usuario!"));
        Abort();
    }
}

void TfRRHHCAND::LineaBeforePost(TDataSet* DataSet) {
    // A training line is never stored without the start date it requires,
    // however it is posted (a row left, the candidate confirmed).
    if (DataSet == HFormacion && HFormacion->FieldByName(QStringLiteral("FechaInicio"))->IsNull()) {
        MensajeAdvertencia(QString::fromUtf8(kFechaInicioObligatoria));
        DBGridHFormacion->setSelectedField(HFormacion->FieldByName(QStringLiteral("FechaInicio")));
        Abort();
    }
    if (!ReservarCodigoAlta()) Abort();
    ComprobarPersonaVigente(DataSet);
}

void TfRRHHCAND::HPuestoAfterPost(TDataSet* DataSet) {
    TFichaPersona::HPuestoAfterPost(DataSet);
    // Position codes are analysis groups from "PT" to "PTZ": the candidate
    // keeps the group of his latest position only.
    const QString puesto = HPuesto->FieldByName(QStringLiteral("CodigoPuesto"))->AsString();
    if (!AgregarGrupo(GATablas, puesto)) return;
    Alta->QuitarConRegla(GATablas, [&] {
        try {
            EjecutarConParametros(
                QStringLiteral("DELETE FROM GRANTAB WHERE NombreTabla = :t AND ClaveTabla = :c "
                               "AND GrupoAnalisis >= 'PT' AND GrupoAnalisis <= 'PTZ' AND "
                               "GrupoAnalisis <> :g"),
                {QLatin1String(kCandidat), QString::number(CodigoActual()), puesto});
        } catch (const std::exception& e) {
            AvisoSentencia(e);
        }
    });
    RefrescarLineas({GATablas});
}

void TfRRHHCAND::HFormacionBeforeDelete(TDataSet* DataSet) {
    EditarOperario(DataSet);
    QuitarGrupoDeFormacion();
}

void TfRRHHCAND::BuscarDatosDBEdit(QObject* Sender) {
    if (Table1->State() == dsBrowse && !Table1->IsEmpty()) EditarOperario(Table1);
    // The key handler passes the focused control; a double click its own.
    QObject* foco = Sender;
    if (foco != EditCodigoPais && foco != DBGridGA && foco != DBGridHPuestos &&
        foco != DBGridHFormacion)
        foco = ActiveControl();
    BuscarDatosFicha(foco);
}

void TfRRHHCAND::DBGridHFormacionColExit(QObject*) {
    if (pbCancelar && ActiveControl() == pbCancelar) return;
    TField* campo = DBGridHFormacion->SelectedField();
    // A line nobody typed into gets no description of its empty code: it
    // would become a typed line, stored when left.
    if (EnEdicion(HFormacion) && HFormacion->Modified() && campo &&
        campo->FieldName() == QLatin1String("CodigoFormacion")) {
        try {
            HFormacion->FieldByName(QStringLiteral("Descripcion"))
                ->setAsString(DescripcionMaestro(QStringLiteral("FORMCION"), campo->AsString()));
        } catch (const std::exception&) {
        }
    }
    if (!ValidarLineaFormacion()) Abort();
}

bool TfRRHHCAND::ValidarLineaFormacion() {
    // Only a line being typed is checked: one merely browsed through never
    // holds the user.
    if (!EnEdicion(HFormacion)) return true;
    TField* campo = DBGridHFormacion->SelectedField();
    if (!campo || campo->AsString().isEmpty()) return true;
    if (campo->FieldName() != QLatin1String("FechaInicio") &&
        HFormacion->FieldByName(QStringLiteral("FechaInicio"))->IsNull()) {
        MensajeAdvertencia(QString::fromUtf8(kFechaInicioObligatoria));
        // The line goes on at the date it lacks: what is typed next fills it
        // instead of the cell left.
        DBGridHFormacion->setSelectedField(HFormacion->FieldByName(QStringLiteral("FechaInicio")));
        return false;
    }
    if (campo->FieldName() == QLatin1String("Tipo") || campo->FieldName() == QLatin1String("Apto"))
        return ValidarValorLista(ModuloDatos, DBGridHFormacion, campo);
    return true;
}

void TfRRHHCAND::DBGridHPuestosEditButtonClick(QObject*) {
    if (!EnEdicion(HPuesto)) HPuesto->Edit();
}

void TfRRHHCAND::DBGridHFormacionEditButtonClick(QObject*) {
    if (!EnEdicion(HFormacion)) HFormacion->Edit();
}

void RegistrarTfRRHHCAND() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHCAND")))
        RegisterFormClass<TfRRHHCAND>(QStringLiteral("TfRRHHCAND"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHCAND();
    return true;
}();
}  // namespace
