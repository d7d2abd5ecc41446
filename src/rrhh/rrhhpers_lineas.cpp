// The history lines, analysis groups and new-record codes that the personnel
// and candidates masters handle alike, each for its own owner name, and the
// record form of a person both build on.

#include <QAbstractButton>
#include <QBoxLayout>
#include <QDateTime>
#include <QTimer>

#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/genealta.h"
#include "gene/data/geneclav.h"
#include "gene/data/genecopi_registros.h"
#include "gene/data/genegrup.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusc.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/genemaes.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhhfoto.h"
#include "rrhh/rrhhpers_p.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"

namespace rrhhpers {

void ValoresComboDistintos(const QString& Tabla, TDBComboBox* Combo) {
    QString valores;
    ValoresDistintos(ModuloDatos, Tabla, Combo->DataField(), valores, QString());
    const QSignalBlocker sinAvisos(Combo);
    const QString actual = Combo->Text();
    Combo->setItems(valores.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts));
    Combo->setText(actual);
}

QString DatoMaestro(const QString& Tabla, const QString& Codigo, const QString& Campo) {
    if (Codigo.isEmpty()) return QString();
    QVariant datos;
    BuscarDatosClave(ModuloDatos, Tabla, CadenaClave(Codigo), datos, Campo);
    const QVariantList l = datos.toList();
    return l.isEmpty() ? QString() : l.first().toString();
}

void IniciarLineaHistorico(TTable* Linea, const QString& NombreTabla, int Codigo) {
    Linea->FieldByName(QStringLiteral("NombreTabla"))->setAsString(NombreTabla);
    Linea->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(Codigo);
    AsignarSiguienteCodigo(ModuloDatos, Linea, Linea->FieldByName(QStringLiteral("Linea")));
}

bool AgregarGrupo(TTable* GATablas, const QString& Grupo) {
    if (Grupo.isEmpty() || !GATablas->Active()) return false;
    // A group row the user is typing is his: stored (or refused, with its
    // reason) as typed before ours, never dropped with ours.
    if (GATablas->State() == dsInsert && !GATablas->Modified())
        GATablas->Cancel();
    else if (EnEdicion(GATablas))
        GATablas->Post();
    try {
        GATablas->Append();
        GATablas->FieldByName(QStringLiteral("GrupoAnalisis"))->setAsString(Grupo);
        GATablas->Post();
        return true;
    } catch (const std::exception&) {
        // Already assigned: the row is dropped silently.
        GATablas->Cancel();
        return false;
    }
}

void QuitarGrupoFormacion(TTable* HFormacion, TTable* GATablas, const QString& NombreTabla) {
    const int codigo = HFormacion->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger();
    const int linea = HFormacion->FieldByName(QStringLiteral("Linea"))->AsInteger();
    const QString grupo = HFormacion->FieldByName(QStringLiteral("CodigoFormacion"))->AsString();
    if (grupo.isEmpty()) return;
    // Another line of the same training keeps the group.
    const QVariant otras = ValorConParametros(
        QStringLiteral("SELECT COUNT(*) FROM HFORMACI WHERE NombreTabla = :t AND "
                       "CodigoOperario = :c AND CodigoFormacion = :g AND Linea <> :l"),
        {NombreTabla, codigo, grupo, linea});
    if (otras.toInt() > 0) return;
    EjecutarConParametros(QStringLiteral("DELETE FROM GRANTAB WHERE NombreTabla = :t AND "
                                         "ClaveTabla = :c AND GrupoAnalisis = :g"),
                          {NombreTabla, QString::number(codigo), grupo});
    if (GATablas->Active() && GATablas->State() == dsBrowse) GATablas->Refresh();
}

void CalcularGrupoAnalisis(TDataSet* DataSet) {
    QVariant datos;
    BuscarDatosClave(ModuloDatos, QStringLiteral("GRANALIS"),
                     DataSet->FieldByName(QStringLiteral("GrupoAnalisis"))->AsString(), datos,
                     QStringLiteral("CategoriaGrupo;Descripcion"));
    const QVariantList l = datos.toList();
    for (int i = 0; i < 2; ++i)
        if (TField* f = DataSet->FindField(i == 0 ? QStringLiteral("CategoriaGA")
                                                  : QStringLiteral("DescripcionGA")))
            f->setAsString(i < l.size() ? l.at(i).toString() : QString());
}

void BuscarGrupoRejilla(TDBGrid* Rejilla, TTable* GATablas, const QString& Perfil) {
    TField* campo = Rejilla->SelectedField();
    if (!campo || campo->FieldName() != QLatin1String("GrupoAnalisis")) return;
    if (!EnEdicion(GATablas)) GATablas->Edit();
    QString filtro;
    FiltroCategoriasGrupoAnalisis(ModuloDatos, Perfil, filtro);
    QVariant clave;
    BuscarConFiltro(QStringLiteral("GRANALIS"), 1, filtro, clave);
    const QVariant v = PrimerValor(clave);
    if (!v.isNull()) campo->setAsString(v.toString());
}

void BuscarCodigoLinea(TDBGrid* Rejilla, TTable* Linea, const QString& Campo,
                       const QString& Maestro) {
    TField* campo = Rejilla->SelectedField();
    if (!campo || campo->FieldName() != Campo) return;
    if (!EnEdicion(Linea)) Linea->Edit();
    QVariant clave;
    BuscarCodigo(Maestro, 0, clave);
    const QVariant v = PrimerValor(clave);
    if (v.isNull()) return;
    campo->setAsString(v.toString());
    Linea->FieldByName(QStringLiteral("Descripcion"))
        ->setAsString(DescripcionMaestro(Maestro, v.toString()));
}

namespace {

// The keys, as documents and the like are filed under them, of the rows of
// one history that belong to the person.
QStringList ClavesLineas(const TablaLineasAlta& h, int Codigo) {
    TQuery q;
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.SQL().Add(QStringLiteral("SELECT * FROM ") + h.Tabla + QStringLiteral(" WHERE ") +
                h.CampoClave + QStringLiteral(" = :c") +
                (h.Condicion.isEmpty() ? QString() : QStringLiteral(" AND ") + h.Condicion));
    q.Params().Items(0)->setValue(Codigo);
    q.Open();
    QStringList claves;
    for (q.First(); !q.Eof(); q.Next()) {
        QString clave;
        ClaveTablaRegistro(ModuloDatos, &q, clave);
        if (!clave.isEmpty()) claves << clave;
    }
    return claves;
}

}  // namespace

bool EliminarHistoricos(const QList<TablaLineasAlta>& Tablas, int Codigo) {
    for (const TablaLineasAlta& h : Tablas) {
        // What is filed under each line's own key (documents, analysis
        // groups, contacts, relations) goes with the line: left, it would be
        // the next holder's of the code and line number.
        QStringList claves;
        try {
            claves = ClavesLineas(h, Codigo);
        } catch (const EDatabaseError& e) {
            if (e.code() != DbError::TableNotFound) {
                AvisoSentencia(e);
                return false;
            }
        }
        for (const QString& clave : claves)
            if (!EliminarRegistrosAsociadosClave(ModuloDatos, h.Tabla, clave)) return false;
        const QString sentencia =
            QStringLiteral("DELETE FROM ") + h.Tabla + QStringLiteral("   WHERE ") + h.CampoClave +
            QStringLiteral(" = ") + QString::number(Codigo) +
            (h.Condicion.isEmpty() ? QString() : QStringLiteral("  AND ") + h.Condicion);
        QString r;
        EjecutarSQL(ModuloDatos, sentencia, QStringLiteral("Database"), QString(), r);
        // The statement's own warning has been shown; the rest would only
        // leave the record half deleted.
        if (r.startsWith(QLatin1String("Error."))) return false;
    }
    return true;
}

void AvisoSentencia(const std::exception& e) {
    MensajeAdvertencia(QStringLiteral("Error. No es posible ejecutar la sentencia SQL. Motivo: ") +
                       MotivoError(e));
}

bool ReservarCodigoNuevo(TAltaMaestro& Alta, TDataSet* Tabla, const QString& CampoClave,
                         TDBEdit* Edit, int Codigo, int Maximo, const QString& Persona,
                         bool& Nueva) {
    Nueva = false;
    if (Tabla->State() != dsInsert) return true;
    if (Codigo < 1 || Codigo > Maximo) {
        MensajeAdvertencia(QString::fromUtf8(Maximo == 9999 ? textosmaestro::kRango9999
                                                            : textosmaestro::kRango99999999));
        return false;
    }
    if (Alta.Reservada() && Alta.Clave().toInt() != Codigo && Alta.ConFilas()) {
        // The rows written so far belong to the held code: the record keeps it.
        const QString anterior = Alta.Clave().toString();
        MensajeAdvertencia(QStringLiteral("¡ No se puede cambiar el código del ") + Persona +
                           QStringLiteral(": ya tiene líneas grabadas con el código ") + anterior +
                           QStringLiteral(" !"));
        Edit->setText(anterior);
        Tabla->FieldByName(CampoClave)->setAsInteger(anterior.toInt());
        return false;
    }
    Nueva = !Alta.Reservada() || Alta.Clave().toInt() != Codigo;
    if (Alta.Reservar(Codigo)) return true;
    if (!Alta.EnUso()) return false;
    // Another entry's rows stand under the code and its program may still
    // be typing it: they stay, and the record is offered the next code.
    const QVariant siguiente = Alta.SiguienteClaveLibre(Codigo, Maximo);
    QString aviso = QStringLiteral("¡ El código ") + QString::number(Codigo) +
                    QStringLiteral(" está en uso por otra alta en curso !.");
    if (!siguiente.isNull()) {
        aviso += QStringLiteral(" Se propone el código ") + siguiente.toString() + QLatin1Char('.');
        Edit->setText(siguiente.toString());
        Tabla->FieldByName(CampoClave)->setAsInteger(siguiente.toInt());
    }
    MensajeAdvertencia(aviso);
    return false;
}

void NuevaCabecera(QWidget* Formulario, QBoxLayout* Linea, TDataSource* Fuente,
                   const QString& CampoCodigo, TDBEdit*& Codigo, TDBEdit*& Nombre) {
    Linea->addWidget(new TLabel(Formulario, QStringLiteral("Código ")));
    Codigo = new TDBEdit(Formulario);
    Codigo->setObjectName(QStringLiteral("EditCodigoOperario"));
    Codigo->setDataSource(Fuente);
    Codigo->setDataField(CampoCodigo);
    Linea->addWidget(Codigo);
    Linea->addWidget(new TLabel(Formulario, QStringLiteral("Nombre")));
    Nombre = new TDBEdit(Formulario);
    Nombre->setObjectName(QStringLiteral("EditNombre"));
    Nombre->setDataSource(Fuente);
    Nombre->setDataField(QStringLiteral("Nombre"));
    Linea->addWidget(Nombre, 1);
}

TDBGrid* NuevaRejillaPuestos(QWidget* Padre, TDataSource* Fuente) {
    return NuevaRejilla(Padre, "DBGridHPuestos", Fuente,
                        {{"Linea", QStringLiteral("Línea")},
                         {"CodigoPuesto", QStringLiteral("Código Puesto")},
                         {"Descripcion", QStringLiteral("Descripción")},
                         {"FechaInicio", QStringLiteral("Fecha Inicio")},
                         {"FechaFinal", QStringLiteral("Fecha Final")}});
}

TDBGrid* NuevaRejillaFormacion(QWidget* Padre, TDataSource* Fuente) {
    TDBGrid* g = NuevaRejilla(Padre, "DBGridHFormacion", Fuente,
                              {{"Linea", QStringLiteral("Línea")},
                               {"CodigoFormacion", QStringLiteral("Código Formación")},
                               {"Descripcion", QStringLiteral("Descripción")},
                               {"FechaInicio", QStringLiteral("Fecha Inicio")},
                               {"FechaFinal", QStringLiteral("Fecha Final")},
                               {"TituloObtenido", QStringLiteral("Título Obtenido")},
                               {"Duracion", QStringLiteral("Duración(H)")},
                               {"Tipo", QStringLiteral("Tipo")},
                               {"Apto", QStringLiteral("Apto")},
                               {"Impartido", QStringLiteral("Impartido Por")}});
    g->Columns().Items(7)->setPickList({QStringLiteral("Interno"), QStringLiteral("Externo")});
    g->Columns().Items(8)->setPickList({QStringLiteral("Apto"), QStringLiteral("No Apto")});
    return g;
}

TDBGrid* NuevaRejillaGrupos(QWidget* Padre, TDataSource* Fuente) {
    TDBGrid* g = NuevaRejilla(Padre, "DBGridGA", Fuente,
                              {{"GrupoAnalisis", QStringLiteral("G.A.")},
                               {"CategoriaGA", QStringLiteral("Categoría")},
                               {"DescripcionGA", QStringLiteral("Descripción")}});
    g->setHint(QStringLiteral("Pulsar FLECHA ABAJO para agregar registros aquí"));
    return g;
}

int CodigoFicha(TDBEdit* Edit, TDataSet* Tabla, const QString& CampoCodigo) {
    bool ok = false;
    const int codigo = Edit->Text().trimmed().toInt(&ok);
    if (ok) return codigo;
    if (Tabla->Active() && !Tabla->IsEmpty()) return Tabla->FieldByName(CampoCodigo)->AsInteger();
    return 0;
}

void PaginasAccesibles(TDataSet* Tabla, const QString& CampoCodigo, QWidget* Paginas) {
    if (Tabla->State() != dsBrowse) return;
    Paginas->setVisible(false);
    bool accesible = true;
    if (MDNominas && !Tabla->IsEmpty())
        accesible = MDNominas->OperarioAccesible(CodigoUsuarioActual,
                                                 Tabla->FieldByName(CampoCodigo)->AsInteger(),
                                                 QStringLiteral("Mostrar Mensaje"));
    Paginas->setVisible(accesible);
}

void MostrarDocumentosYFoto(TDataSet* Tabla, const QString& NombreTabla, const QString& Clave,
                            QAbstractButton* Boton, TFotoFicha* Foto) {
    SincronizarDocumentacionElectronica(fGENEINIC, Tabla);
    Boton->setIcon(TieneDocumentacionElectronica(ModuloDatos, NombreTabla, Clave)
                       ? GlifoConDocumentacion()
                       : GlifoSinDocumentacion());
    Foto->Mostrar();
}

void CancelarLineas(const QList<TTable*>& Lineas) {
    for (TTable* t : Lineas)
        if (EnEdicion(t)) t->Cancel();
}

void InstalarFinBorrado(TTable* Tabla, bool& Transaccion) {
    Tabla->AfterDelete = [&Transaccion](TDataSet*) {
        if (!Transaccion) return;
        Transaccion = false;
        if (!ConfirmarTransaccion(fGENEINIC)) CancelarTransaccion(fGENEINIC);
    };
    Tabla->OnDeleteError = [&Transaccion](TDataSet*) { CancelarBorradoPendiente(Transaccion); };
}

void CancelarBorradoPendiente(bool& Transaccion) {
    if (!Transaccion) return;
    Transaccion = false;
    CancelarTransaccion(fGENEINIC);
}

void CerrarFichaPersona(QObject* Formulario, TDataSet* Table1, TAltaMaestro& Alta,
                        bool& TransaccionBorrado, const QList<TTable*>& Lineas,
                        const QList<TTable*>& Tablas) {
    // Freed with a new record pending (company change, inactivity, a fatal
    // message): what was written under its code goes, as with the cancel.
    if (Table1->State() == dsInsert) {
        try {
            CancelarLineas(Lineas);
        } catch (const std::exception&) {
        }
        // Not completed, the window goes all the same: the hold it lets go
        // gives its recorded rows up to whoever takes the code next.
        if (!Alta.Cancelar()) Alta.Liberar();
    }
    CancelarBorradoPendiente(TransaccionBorrado);
    for (TDataSource* s : Formulario->findChildren<TDataSource*>()) {
        s->OnStateChange = nullptr;
        s->OnDataChange = nullptr;
        s->setDataSet(nullptr);
    }
    for (TTable* t : Tablas) {
        t->OnCalcFields = nullptr;
        t->AfterScroll = nullptr;
        t->BeforeCancel = nullptr;
        t->Close();
    }
}

void TLineasADuplicar::Guardar(TDataSet* Linea) {
    QString clave;
    if (!Linea->IsEmpty()) ClaveRegistro(ModuloDatos, Linea, clave);
    claves_.insert(Linea, clave);
}

void TLineasADuplicar::Duplicar(TTable* Linea, TMenuItem* Agregar) {
    const QString clave = claves_.value(Linea);
    if (!clave.isEmpty() &&
        Agregar->Caption() == QString::fromUtf8(textosmaestro::kAgregarConDuplicacion))
        CopiarDatosRegistro(ModuloDatos, Linea, clave);
}

}  // namespace rrhhpers

// ---------------------------------------------------------------- the record form of a person

using namespace rrhhpers;

TFichaPersona::TFichaPersona(QWidget* owner, const QString& Nombre, const QString& Titulo,
                             const char* NombrePropietario, const QString& Codigo, int Maximo,
                             const QString& NombrePersona, const QString& PerfilGrupos)
    : TMaestroFicha(owner, Nombre, Titulo, QLatin1String(NombrePropietario)),
      Propietario(QLatin1String(NombrePropietario)),
      CampoCodigo(Codigo),
      CodigoMaximo(Maximo),
      Persona(NombrePersona),
      perfilGrupos_(PerfilGrupos) {
    TextoClaveConLineas = QStringLiteral("¡ No se puede cambiar el código del ") + Persona +
                          QStringLiteral(": tiene líneas sin grabar con el código %1 !");
    // Read again by its code while something is typed, the person may be
    // another one entered meanwhile under it: the refresh waits for the
    // confirm or the cancel.
    RefrescoSoloNavegando = true;
}

void TFichaPersona::CrearHistoricos() {
    HPuesto = NuevaTabla(this, "HPuesto", "HPUESTO");
    DSHPuesto = NuevaFuente(this, "DSHPuesto", HPuesto);
    HFormacion = NuevaTabla(this, "HFormacion", "HFORMACI");
    DSFormacion = NuevaFuente(this, "DSFormacion", HFormacion);
    GATablas = NuevaTabla(this, "GATablas", "GRANTAB");
    DSGATablas = NuevaFuente(this, "DSGATablas", GATablas);
}

void TFichaPersona::ConectarFicha() {
    DataSource1->OnDataChange = [this](TDataSource*, TField* f) { DataSource1DataChange(f); };
    for (TDataSource* s : {DSHPuesto, DSFormacion, DSGATablas})
        s->OnStateChange = [this, s](TDataSource*) { DataSourceStateChange(s); };
    Table1->BeforeCancel = [this](TDataSet* d) { Table1BeforeCancel(d); };
    Table1->AfterScroll = [this](TDataSet* d) { Table1AfterScroll(d); };
    Table1->OnCalcFields = [this](TDataSet* d) { Table1CalcFields(d); };
    Table1->BeforeDelete = [this](TDataSet* d) { Table1BeforeDelete(d); };
    InstalarFinBorrado(Table1, TransaccionBorrado);
    HPuesto->OnNewRecord = [this](TDataSet* d) { HPuestoNewRecord(d); };
    HFormacion->OnNewRecord = [this](TDataSet* d) { HFormacionNewRecord(d); };
    GATablas->OnNewRecord = [this](TDataSet* d) { GATablasNewRecord(d); };
    GATablas->OnCalcFields = [this](TDataSet* d) { GATablasCalcFields(d); };
    for (TTable* t : {HPuesto, HFormacion, GATablas}) {
        t->BeforePost = [this](TDataSet* d) { AntesDeGrabarLinea(d); };
        t->BeforeInsert = [this](TDataSet* d) {
            // Position and training lines are duplicated as contract and leave lines are.
            if (d != GATablas) Duplicacion.Guardar(d);
            EditarOperario(d);
        };
        t->BeforeEdit = [this](TDataSet* d) { EditarOperario(d); };
    }
    for (TTable* t : LineasFicha())
        t->OnPostError = [this](TDataSet* d) { TerminarTransaccionLinea(d, false); };
    GATablas->AfterPost = [this](TDataSet* d) { LineaAfterPost(d); };
    HPuesto->AfterPost = [this](TDataSet* d) { HPuestoAfterPost(d); };
    HFormacion->AfterPost = [this](TDataSet* d) { HFormacionAfterPost(d); };
    for (TTable* t : {HPuesto, GATablas})
        t->BeforeDelete = [this](TDataSet* d) { EditarOperario(d); };
    HFormacion->BeforeDelete = [this](TDataSet* d) { HFormacionBeforeDelete(d); };
    ConectarLineasAlta();
}

void TFichaPersona::CrearPaginas() {
    PageControl1 = new TPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    AreaDatos->addWidget(PageControl1, 1);
    PagIdentificacion = NuevaPagina("PagIdentificacion", QStringLiteral("Identificación"));
}

TTabSheet* TFichaPersona::NuevaPagina(const char* Nombre, const QString& Titulo) {
    auto* p = new TTabSheet(PageControl1, Titulo);
    p->setObjectName(QLatin1String(Nombre));
    return p;
}

void TFichaPersona::CrearFotoYGrupos(QBoxLayout* Identificacion) {
    auto* derecha = new QVBoxLayout;
    Identificacion->addLayout(derecha);
    FotoFicha = new TFotoFicha(
        this, PagIdentificacion, Propietario, Table1, Alta, [this] { return ReservarCodigoAlta(); },
        [this] { return ClaveFoto(); });
    PanelFoto = FotoFicha->PanelFoto;
    Foto = FotoFicha->Foto;
    PopupMenuFoto = FotoFicha->PopupMenuFoto;
    BorrarlaImgen1 = FotoFicha->BorrarlaImgen1;
    derecha->addWidget(PanelFoto);
    DBGridGA = NuevaRejillaGrupos(PagIdentificacion, DSGATablas);
    DBGridGA->OnDblClick = [this](QObject* o) { BuscarDatosDBEdit(o); };
    derecha->addWidget(DBGridGA, 1);
}

void TFichaPersona::CrearPaginaInstrucciones() {
    PagInstrucciones = NuevaPagina("PagInstrucciones", QStringLiteral("Instrucciones"));
    auto* instrucciones = new QVBoxLayout(PagInstrucciones);
    EditInstrucciones = new TDBMemo(PagInstrucciones);
    EditInstrucciones->setObjectName(QStringLiteral("EditInstrucciones"));
    EditInstrucciones->setDataSource(DataSource1);
    EditInstrucciones->setDataField(QStringLiteral("Instrucciones"));
    EditInstrucciones->setHint(
        QStringLiteral("Haga doble click o pulse F2 para cambiar las Instrucciones"));
    instrucciones->addWidget(EditInstrucciones, 1);
}

void TFichaPersona::BuscarDatosFicha(QObject* Foco) {
    if (Foco == EditCodigoPais) {
        QVariant clave;
        BuscarCodigo(QStringLiteral("PAIS"), 0, clave);
        const QVariant v = PrimerValor(clave);
        if (!v.isNull())
            Table1->FieldByName(QStringLiteral("CodigoPais"))->setAsString(v.toString());
    } else if (Foco == DBGridGA) {
        BuscarGrupoRejilla(DBGridGA, GATablas, perfilGrupos_);
    } else if (Foco == DBGridHPuestos) {
        BuscarCodigoLinea(DBGridHPuestos, HPuesto, QStringLiteral("CodigoPuesto"),
                          QStringLiteral("PUESTO"));
    } else if (Foco == DBGridHFormacion) {
        BuscarCodigoLinea(DBGridHFormacion, HFormacion, QStringLiteral("CodigoFormacion"),
                          QStringLiteral("FORMCION"));
    }
}

void TFichaPersona::AsignarRangosHistoricos(int Codigo) {
    for (TTable* t : {HPuesto, HFormacion}) RangoLineas(t, {Propietario, Codigo});
    RangoLineas(GATablas, {Propietario, QString::number(Codigo)});
}

void TFichaPersona::RangoLineas(TTable* Tabla, const QVariantList& Clave) {
    if (!Tabla->Active() || EnEdicion(Tabla)) return;
    // Only the record put into edit keeps its lines as they stand; browsed
    // again (moved, confirmed, cancelled) it shows them as read anew.
    const auto anterior = rangos_.constFind(Tabla);
    if (Table1->State() == dsEdit && anterior != rangos_.cend() && *anterior == Clave) return;
    Tabla->SetRange(Clave, Clave);
    rangos_.insert(Tabla, Clave);
}

void TFichaPersona::ValoresCombo(TDBComboBox* Combo) {
    ValoresComboDistintos(Propietario, Combo);
}

void TFichaPersona::EditEstadoCivilDropDown(QObject*) {
    ValoresCombo(EditEstadoCivil);
}

void TFichaPersona::EditSexoDropDown(QObject*) {
    ValoresCombo(EditSexo);
}

int TFichaPersona::CodigoActual() const {
    return CodigoFicha(EditCodigoOperario, Table1, CampoCodigo);
}

bool TFichaPersona::ReservarCodigoAlta() {
    // The lines being typed carry the code held so far.
    LineasAlNuevoCodigo();
    if (!ConservarClaveAlta(QString::number(CodigoActual()))) return false;
    bool nueva = false;
    if (!ReservarCodigoNuevo(*Alta, Table1, CampoCodigo, EditCodigoOperario, CodigoActual(),
                             CodigoMaximo, Persona, nueva))
        return false;
    // What an interrupted entry left under the code is gone: the form shows
    // the code as it now stands.
    if (nueva) {
        RefrescarLineas(LineasFicha());
        Table1AfterScroll(Table1);
    }
    return true;
}

void TFichaPersona::ProponerCodigoAlta() {
    TField* codigo = Table1->FieldByName(CampoCodigo);
    const QVariant libre = Alta ? Alta->SiguienteClaveLibre(0, CodigoMaximo) : QVariant();
    if (libre.isNull())
        AsignarSiguienteCodigo(ModuloDatos, Table1, codigo);
    else
        codigo->setAsInteger(libre.toInt());
}

bool TFichaPersona::ReservarClaveDocumentacion(const QString& Clave) {
    if (Table1->State() != dsInsert || Clave != ClaveFoto()) return true;
    if (!ReservarCodigoAlta()) return false;
    // A document of the entry: it goes with it wherever its code goes. The
    // documents window stores it once this returns.
    Alta->AdjuntoGrabado();
    QTimer::singleShot(0, this, [this] { Alta->AnotarAdjuntos(); });
    return true;
}

bool TFichaPersona::RetieneClaveDocumentacion(const QString& Clave) {
    return Table1->State() == dsInsert && Clave == ClaveFoto() && Alta && Alta->Reservada() &&
           Alta->Clave().toString() == Clave;
}

void TFichaPersona::CampoClaveExit(QObject* Sender) {
    if (Table1->State() == dsInsert) {
        bool ok = false;
        const int codigo = EditCodigoOperario->Text().trimmed().toInt(&ok);
        if (ok && codigo >= 1 && codigo <= CodigoMaximo && !ReservarCodigoAlta()) {
            EditCodigoOperario->SetFocus();
            Abort();
        }
    }
    TMaestroFicha::CampoClaveExit(Sender);
    if (Table1->State() == dsInsert) AsignarRangos();
}

void TFichaPersona::Table1BeforePost(TDataSet* DataSet) {
    if (Table1->State() == dsInsert && !ReservarCodigoAlta()) Abort();
    TMaestroFicha::Table1BeforePost(DataSet);
}

void TFichaPersona::BorrarConDependientes(int Codigo, bool& Borrando, bool TransaccionAjena) {
    Borrando = true;
    bool correcto = true;
    bool iniciada = true;
    if (!TransaccionAjena) {
        if (ErrorEnTransaccion || TransaccionIniciada) {
            MensajeAdvertencia(QStringLiteral(
                "¡ Hay otra transacción activa en curso !. Debe finalizarla previamente."));
            Borrando = false;
            Abort();
        }
        // Outside a transaction the cascade could leave the person half deleted.
        correcto = iniciada = IniciarTransaccion(fGENEINIC);
        TransaccionBorrado = correcto;
    }
    if (correcto) correcto = EliminarDependientes(Codigo);
    if (correcto) {
        try {
            BorradoRegistro(fGENEINIC, Table1);
        } catch (const std::exception&) {
            correcto = false;
        }
    }
    Borrando = false;
    if (!correcto) {
        if (!TransaccionAjena) {
            // A begin refused by a busy database says so; a step that failed
            // has said why itself.
            if (!TomarRechazoDicho() || !iniciada) MensajeAdvertencia(TextoTransaccionNoIniciada());
            TransaccionBorrado = false;
            CancelarTransaccion(fGENEINIC);
        }
        Abort();
    }
    // The dataset's delete of the person follows; AfterDelete confirms.
}

void TFichaPersona::DataSourceStateChange(QObject*) {
    HabilitarModoEdicion(Editando());
}

int TFichaPersona::CodigoDeLinea(TDataSet* Linea) const {
    // The person the line is stored under, whoever is on screen: history
    // lines carry the code, analysis groups the key text.
    if (TField* codigo = Linea->FindField(QStringLiteral("CodigoOperario")))
        return codigo->AsInteger();
    if (TField* clave = Linea->FindField(QStringLiteral("ClaveTabla")))
        return clave->AsString().trimmed().toInt();
    return Table1->FieldByName(CampoCodigo)->AsInteger();
}

void TFichaPersona::ComprobarPersonaVigente(TDataSet* Linea) {
    if (!Table1->Active() || Table1->State() == dsInsert || Table1->IsEmpty()) return;
    TDatabase* base = fGENEINIC ? fGENEINIC->Database : nullptr;
    // A line posted alone (its row left) is read and stored in a transaction
    // of its own, so that no delete slips between the two.
    if (base && !base->InTransaction() && !TransaccionLinea) {
        TransaccionLinea.emplace(fGENEINIC, base);
        const bool activa = TransaccionLinea->Activa();
        if (TransaccionLinea->Propia())
            LineaEnTransaccion = Linea;
        else
            TransaccionLinea.reset();
        // Refused (the database busy): the line is not stored, and it is
        // said once rather than after a second wait for its own write.
        if (!activa) {
            MensajeAdvertencia(TextoTransaccionNoIniciada());
            Abort();
        }
    }
    // The person the window shows is compared as it was read: one another
    // clerk changed, or deleted and entered again under the same code, is
    // not the person the line was typed for.
    const TRowAsRead leido = Table1->RowAsRead();
    try {
        if (CodigoDeLinea(Linea) == Table1->FieldByName(CampoCodigo)->AsInteger()) {
            Table1->CheckUnchanged(leido);
            return;
        }
    } catch (const EDatabaseError& e) {
        // The line is given up with the edit, as the refusal advises; the
        // cancel of the person's edit, or "Refrescar" once browsing, shows
        // him as stored.
        if (e.code() == DbError::RecordChanged || e.code() == DbError::RecordDeleted)
            RegistroCambiadoPorOtro = true;
        throw;
    }
    // A line of another person than the one shown: he must still be there.
    // On PostgreSQL the row read stays until the transaction storing the
    // line ends: a delete by another user waits for it.
    const bool retener = base && base->engine() == Engine::Postgres && base->InTransaction();
    const QVariant hay = ValorConParametros(
        QStringLiteral("SELECT ") + CampoCodigo + QStringLiteral(" FROM ") + Propietario +
            QStringLiteral(" WHERE ") + CampoCodigo + QStringLiteral(" = :c") +
            (retener ? QStringLiteral(" FOR SHARE") : QString()),
        {CodigoDeLinea(Linea)});
    if (hay.isNull()) throw EDatabaseError::make(DbError::RecordDeleted, QString(), Propietario);
}

void TFichaPersona::TerminarTransaccionLinea(TDataSet* Linea, bool Confirmar) {
    if (!TransaccionLinea || Linea != LineaEnTransaccion) return;
    LineaEnTransaccion = nullptr;
    const bool confirmada = !Confirmar || TransaccionLinea->Confirmar();
    TransaccionLinea.reset();
    if (confirmada) return;
    // The commit failed (and said so): the grid shows what is stored.
    if (Linea->Active() && Linea->State() == dsBrowse) Linea->Refresh();
    Abort();
}

void TFichaPersona::LineaAfterPost(TDataSet* DataSet) {
    // A new person's line is recorded as his entry's in the transaction
    // that stores it: without its record it is not stored.
    if (Table1->State() == dsInsert) {
        try {
            Alta->LineaGrabada(DataSet, DescripcionLinea(DataSet));
        } catch (const std::exception& e) {
            const bool propia = TransaccionLinea && DataSet == LineaEnTransaccion;
            TerminarTransaccionLinea(DataSet, false);
            if (propia && DataSet->Active() && DataSet->State() == dsBrowse) DataSet->Refresh();
            MensajeAdvertencia(
                AvisoFalloBase(QString::fromUtf8(textosmaestro::kTransaccionNoCompletada), e));
            Abort();
        }
    }
    TerminarTransaccionLinea(DataSet, true);
    GrabacionRegistro(fGENEINIC, DataSet);
}

void TFichaPersona::HPuestoNewRecord(TDataSet*) {
    IniciarLineaHistorico(HPuesto, Propietario, CodigoActual());
    HPuesto->FieldByName(QStringLiteral("FechaInicio"))
        ->setAsDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    Duplicacion.Duplicar(HPuesto, Agregar);
}

void TFichaPersona::HPuestoAfterPost(TDataSet* DataSet) {
    LineaAfterPost(DataSet);
    if (EnEdicion(Table1))
        Table1->FieldByName(QStringLiteral("PuestoTrabajo"))
            ->setAsString(HPuesto->FieldByName(QStringLiteral("Descripcion"))->AsString());
}

void TFichaPersona::HFormacionNewRecord(TDataSet*) {
    IniciarLineaHistorico(HFormacion, Propietario, CodigoActual());
    HFormacion->FieldByName(QStringLiteral("Tipo"))->setAsString(QStringLiteral("Interno"));
    HFormacion->FieldByName(QStringLiteral("Apto"))->setAsString(QStringLiteral("Apto"));
    Duplicacion.Duplicar(HFormacion, Agregar);
}

void TFichaPersona::HFormacionAfterPost(TDataSet* DataSet) {
    LineaAfterPost(DataSet);
    AgregarGrupo(GATablas, HFormacion->FieldByName(QStringLiteral("CodigoFormacion"))->AsString());
}

void TFichaPersona::GATablasNewRecord(TDataSet*) {
    if (DBGridGA) DBGridGA->setSelectedIndex(0);
    GATablas->FieldByName(QStringLiteral("NombreTabla"))->setAsString(Propietario);
    GATablas->FieldByName(QStringLiteral("ClaveTabla"))
        ->setAsString(QString::number(CodigoActual()));
}

void TFichaPersona::GATablasCalcFields(TDataSet* DataSet) {
    CalcularGrupoAnalisis(DataSet);
}

void TFichaPersona::DBGridHPuestosColExit(QObject*) {
    TField* campo = DBGridHPuestos->SelectedField();
    // A line nobody typed into gets no description of its empty code: it
    // would become a typed line, stored when left.
    if (EnEdicion(HPuesto) && HPuesto->Modified() && campo &&
        campo->FieldName() == QLatin1String("CodigoPuesto"))
        HPuesto->FieldByName(QStringLiteral("Descripcion"))
            ->setAsString(DescripcionMaestro(QStringLiteral("PUESTO"), campo->AsString()));
}

bool TFichaPersona::SoltarArchivoFoto(const QStringList& Archivos) {
    return FotoFicha->Soltar(Archivos);
}

void TFichaPersona::BorrarlaImgen1Click(QObject*) {
    FotoFicha->Borrar();
}
