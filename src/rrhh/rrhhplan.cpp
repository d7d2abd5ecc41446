#include "rrhh/rrhhplan.h"

#include <QBoxLayout>
#include <QDate>
#include <QScopedValueRollback>
#include <QSqlQuery>
#include <functional>
#include <stdexcept>

#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/data/genecopi_registros.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusc.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhhlpla.h"
#include "rrhh/rrhhpers_p.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

TfRRHHPLAN* fRRHHPLAN = nullptr;

namespace {

const char* const kPersonal = "PERSONAL";
const char* const kNoGrabado = "¡No ha sido posible grabar el Curso!";

QString Texto(const char* texto) {
    return QString::fromUtf8(texto);
}

bool EnEdicion(TDataSet* d) {
    return d->State() == dsEdit || d->State() == dsInsert;
}

TTable* NuevaTabla(QObject* owner, const char* nombre, const char* tabla) {
    auto* t = new TTable(owner);
    t->setObjectName(QLatin1String(nombre));
    t->setTableName(QLatin1String(tabla));
    return t;
}

TField* Campo(TDataSet* d, const char* nombre) {
    return d->FieldByName(QLatin1String(nombre));
}

// The Nombre of an employee; empty when there is none.
QString NombreOperario(int Codigo) {
    QVariant datos;
    BuscarDatosClave(ModuloDatos, QLatin1String(kPersonal), QString::number(Codigo), datos,
                     QStringLiteral("Nombre"));
    const QVariantList l = datos.toList();
    return l.isEmpty() ? QString() : l.first().toString();
}

// The description of a code of a master table; empty when there is none.
QString DescripcionCodigo(const QString& Tabla, const QString& Codigo) {
    QVariant datos;
    BuscarDatosClave(ModuloDatos, Tabla, CadenaClave(Codigo), datos, QStringLiteral("Descripcion"));
    const QVariantList l = datos.toList();
    return l.isEmpty() ? QString() : l.first().toString();
}

// A batch run: the grid and the name lookups wait until it ends, and the
// line the grid was on comes back (when it still exists).
class LoteRejilla {
public:
    LoteRejilla(TForm* Formulario, TTable* Tabla, bool& EnProceso, QString& Comprobado,
                QList<TDataSet*>& Conjuntos, std::function<void()> AlTerminar = {})
        : alTerminar_(std::move(AlTerminar)),
          tabla_(Tabla),
          enProceso_(EnProceso),
          comprobado_(Comprobado),
          conjuntos_(Conjuntos),
          marca_(Tabla->GetBookmark()) {
        conjuntos_.clear();
        for (QObject* o : Formulario->Components())
            if (auto* d = qobject_cast<TDataSet*>(o))
                if (d != tabla_) conjuntos_ << d;
        enProceso_ = true;
        comprobado_.clear();
        tabla_->DisableControls();
    }
    ~LoteRejilla() {
        try {
            if (alTerminar_) alTerminar_();
        } catch (const std::exception&) {
        }
        enProceso_ = false;
        comprobado_.clear();
        conjuntos_.clear();
        try {
            tabla_->GotoBookmark(marca_);
        } catch (const std::exception&) {
        }
        tabla_->EnableControls();
    }
    LoteRejilla(const LoteRejilla&) = delete;
    LoteRejilla& operator=(const LoteRejilla&) = delete;

private:
    std::function<void()> alTerminar_;
    TTable* tabla_;
    bool& enProceso_;
    QString& comprobado_;
    QList<TDataSet*>& conjuntos_;
    TBookmark marca_;
};

// Whether the employee exists, read by key with a statement prepared once
// per connection: a batch checks each of its employees, and a statement
// written out for every one costs as much as writing a line.
bool ExisteOperario(TTable* Personal, const QString& Codigo) {
    bool numero = false;
    const int codigo = Codigo.toInt(&numero);
    if (!numero) return false;
    try {
        TDatabase* base = Personal->Database();
        QSqlQuery& q = base->Prepared(QStringLiteral("SELECT 1 FROM ") + QLatin1String(kPersonal) +
                                      QStringLiteral(" WHERE CodigoOperario = ?"));
        q.bindValue(0, codigo);
        base->Run(q);
        const bool existe = q.next();
        q.finish();
        return existe;
    } catch (const EDatabaseError&) {
        return false;
    }
}

QVariant PrimerValor(const QVariant& clave) {
    const QVariantList l = clave.toList();
    if (!l.isEmpty()) return l.first();
    return clave.typeId() == QMetaType::QStringList ? QVariant(clave.toStringList().value(0))
                                                    : clave;
}

// The grid's field names made readable for the prompts.
QString NombreLegible(const QString& campo) {
    return AbreviarTitulo(campo, 1);
}

}  // namespace

TfRRHHPLAN::TfRRHHPLAN(QWidget* owner)
    : TMaestroRejilla(owner, QStringLiteral("fRRHHPLAN"), QStringLiteral("Plan de Formación"),
                      QStringLiteral("PLANFORM")) {
    NombreCampoClave = QStringLiteral("Linea");
    TextoErrorModificacion = Texto(textosmaestro::kNoSePuedeGrabar);
    TextoErrorAlta = Texto(textosmaestro::kRegistroYaExiste);
    MantenerAltaFallida = false;
    RefrescarTrasEliminacionMultiple = false;

    Table2 = NuevaTabla(this, "Table2", "PLANFORM");
    Personal = NuevaTabla(this, "Personal", kPersonal);
    HFormacion = NuevaTabla(this, "HFormacion", "HFORMACI");
    GATablas = NuevaTabla(this, "GATablas", "GRANTAB");

    // Top panel: documents, year, print.
    PanelSuperior = new TPanel(this);
    PanelSuperior->setObjectName(QStringLiteral("PanelSuperior"));
    auto* arriba = new QHBoxLayout(PanelSuperior);
    arriba->setContentsMargins(4, 4, 4, 4);
    pbDocumentacionElectronica = new TBitBtn(PanelSuperior);
    pbDocumentacionElectronica->setObjectName(QStringLiteral("pbDocumentacionElectronica"));
    pbDocumentacionElectronica->setHint(QStringLiteral("Acceso a la Documentación Electrónica"));
    LabelEjercicio = new TLabel(PanelSuperior, QStringLiteral("Ejercicio"));
    LabelEjercicio->setObjectName(QStringLiteral("LabelEjercicio"));
    EditEjercicio = new TSpinEdit(PanelSuperior);
    EditEjercicio->setObjectName(QStringLiteral("EditEjercicio"));
    EditEjercicio->setRange(1, 9999);
    LabelEjercicio->setFocusControl(EditEjercicio);
    ImprimirConDialogo = new TBitBtn(PanelSuperior);
    ImprimirConDialogo->setObjectName(QStringLiteral("ImprimirConDialogo"));
    ImprimirConDialogo->setHint(QStringLiteral("Imprimir el Plan de Formación"));
    arriba->addWidget(pbDocumentacionElectronica);
    arriba->addWidget(LabelEjercicio);
    arriba->addWidget(EditEjercicio);
    arriba->addStretch(1);
    arriba->addWidget(ImprimirConDialogo);
    AreaDatos->insertWidget(0, PanelSuperior);

    // Grid columns (the year is the spin box).
    const struct {
        const char* campo;
        const char* titulo;
        int ancho;
    } columnas[] = {
        {"CodigoOperario", "C.Operario", 80},
        {"Linea", "Línea", 40},
        {"Departamento", "Departamento", 104},
        {"Imputacion", "Nombre", 150},
        {"CodigoFormacion", "C.Formación", 90},
        {"AccionFormativa", "Acción Formativa", 180},
        {"CodigoOpNecesidad", "Op.", 40},
        {"NecesidadFijadaPor", "Necesidad Fijada Por", 150},
        {"Tipo", "Tipo", 60},
        {"Impartido", "Impartido", 150},
        {"Duracion", "Duración(H)", 90},
        {"FechaInicio", "Fecha Inicio", 90},
        {"FechaFinal", "Fecha Final", 90},
        {"Realizado", "Realizado", 60},
        {"TituloObtenido", "Título", 150},
        {"Revision", "Revisión", 64},
        {"Observaciones", "Observaciones", 180},
        {"ValoracionAlumno", "V.A.", 40},
        {"ValoracionJefeSeccion", "V.J.S.", 40},
    };
    for (const auto& c : columnas) {
        TColumn* columna =
            AgregarColumna(QLatin1String(c.campo), QString::fromUtf8(c.titulo), c.ancho);
        if (qstrcmp(c.campo, "Tipo") == 0)
            columna->setPickList({QStringLiteral("Interno"), QStringLiteral("Externo")});
        else if (qstrcmp(c.campo, "Realizado") == 0)
            columna->setPickList({QStringLiteral("SI"), QStringLiteral("NO")});
    }
    DBGrid1->setOptions(DBGrid1->Options() | dgMultiSelect);
    EditNombre = new TDBEdit(this);
    EditNombre->setObjectName(QStringLiteral("EditNombre"));
    EditNombre->setDataSource(DataSource1);
    EditNombre->setDataField(QStringLiteral("Nombre"));
    EditNombre->setReadOnly(true);
    AreaDatos->addWidget(EditNombre);

    // The navigator stays centred in the control panel.
    if (auto* caja = qobject_cast<QBoxLayout*>(PanelControl->layout())) caja->insertStretch(0, 1);

    // "&Listar Ficha Actual" after "Copiar &Registros a Otras Empresas...".
    ListarFichaActual1 = new TMenuItem(Ficha1, QStringLiteral("ListarFichaActual1"),
                                       QStringLiteral("&Listar Ficha Actual"));
    Ficha1->Remove(ListarFichaActual1);
    Ficha1->Insert(Ficha1->IndexOf(CopiarRegistrosaOtrasEmpresas1) + 1, ListarFichaActual1);
    FormatoOriginal1 = new TMenuItem(ListarFichaActual1, QStringLiteral("FormatoOriginal1"),
                                     QStringLiteral("&Formato Original"));
    APaginaCompleta1 = new TMenuItem(ListarFichaActual1, QStringLiteral("APaginaCompleta1"),
                                     QStringLiteral("&A Página Completa"));

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [this](const char* nombre, const char* caption) {
        return new TMenuItem(PopupMenu1->Items(), QLatin1String(nombre),
                             QString::fromUtf8(caption));
    };
    FiltrarRegistrosporValorIgualA =
        item("FiltrarRegistrosporValorIgualA", "Filtrar Registros por Valor &Igual a...");
    FiltrarRegistrosporValorDesde =
        item("FiltrarRegistrosporValorDesde", "Filtrar Registros por Valor &Desde...");
    FiltrarRegistrosporValorHasta =
        item("FiltrarRegistrosporValorHasta", "Filtrar Registros por Valor &Hasta...");
    CancelarFiltros1 = item("CancelarFiltros1", "&Cancelar Filtros");
    item("N3", "-");
    PasarCursosPendientesalSiguienteEjercicio1 =
        item("PasarCursosPendientesalSiguienteEjercicio1",
             "Pasar Cursos Pendientes al Siguiente Ejercicio");
    PasarCursosSeleccionadosalSiguienteEjercicio1 =
        item("PasarCursosSeleccionadosalSiguienteEjercicio1",
             "Pasar Cursos Seleccionados al Siguiente Ejercicio");
    AsignarRevision1 = item("AsignarRevision1", "Asignar Revisión");
    RepetirparatodoslosOperarios1 =
        item("RepetirparatodoslosOperarios1", "Repetir para todos los Operarios");
    DBGrid1->setPopupMenu(PopupMenu1);
    resize(760, 520);

    // Handlers.
    EditEjercicio->OnChange = [this](QObject* s) { EditEjercicioChange(s); };
    Table1->OnCalcFields = [this](TDataSet* d) { Table1CalcFields(d); };
    Table1->AfterScroll = [this](TDataSet* d) { Table1AfterScroll(d); };
    Table2->AfterPost = [this](TDataSet* d) { Table2AfterPost(d); };
    operarioMostrado_ = std::make_unique<rrhhpers::TOperarioMostrado>();
    Table1->OnPostError = [this](TDataSet*) {
        // Refused, the next post compares the employee shown then.
        operarioMostrado_->Terminar(false);
        operarioMostrado_->Olvidar();
    };
    // The batch writes are the plan's own; they carry no attachments.
    Table2->BeforeDelete = [](TDataSet*) {};
    FormatoOriginal1->OnClick = [this](QObject* s) { FormatoOriginal1Click(s); };
    APaginaCompleta1->OnClick = [this](QObject* s) { APaginaCompleta1Click(s); };
    for (TMenuItem* filtro : {FiltrarRegistrosporValorIgualA, FiltrarRegistrosporValorDesde,
                              FiltrarRegistrosporValorHasta})
        filtro->OnClick = [this](QObject* s) { FiltrarRegistrosporValorClick(s); };
    CancelarFiltros1->OnClick = [this](QObject* s) { CancelarFiltros1Click(s); };
    PasarCursosPendientesalSiguienteEjercicio1->OnClick = [this](QObject* s) {
        PasarCursosPendientesalSiguienteEjercicio1Click(s);
    };
    PasarCursosSeleccionadosalSiguienteEjercicio1->OnClick = [this](QObject* s) {
        PasarCursosSeleccionadosalSiguienteEjercicio1Click(s);
    };
    AsignarRevision1->OnClick = [this](QObject* s) { AsignarRevision1Click(s); };
    RepetirparatodoslosOperarios1->OnClick = [this](QObject* s) {
        RepetirparatodoslosOperarios1Click(s);
    };
    ImprimirConDialogo->OnClick = [this](QObject* s) { ImprimirConDialogoClick(s); };
    pbDocumentacionElectronica->OnClick = [this](QObject* s) {
        pbDocumentacionElectronicaClick(s);
    };
    fRRHHPLAN = this;
}

TfRRHHPLAN::~TfRRHHPLAN() {
    if (fRRHHPLAN == this) fRRHHPLAN = nullptr;
    EditEjercicio->OnChange = nullptr;
    Table1->OnPostError = nullptr;
    operarioMostrado_.reset();
    for (TDataSource* s : findChildren<TDataSource*>()) {
        s->OnStateChange = nullptr;
        s->OnDataChange = nullptr;
        s->setDataSet(nullptr);
    }
    for (TTable* t : {Table1, Table2}) {
        t->OnCalcFields = nullptr;
        t->AfterScroll = nullptr;
        t->AfterPost = nullptr;
        t->Close();
    }
}

int TfRRHHPLAN::Ejercicio() const {
    return EditEjercicio->Value();
}

// ---------------------------------------------------------------- opening and closing

void TfRRHHPLAN::FormCreate(QObject* Sender) {
    AjustarTamanoFormulario(fGENEINIC, this, QStringLiteral("Fit"));
    rrhhpers::DeclararCampos(Table1, {{QStringLiteral("Nombre"), 40}});
    TMaestroRejilla::FormCreate(Sender);
    {
        const QSignalBlocker sinAviso(EditEjercicio);
        EditEjercicio->setValue(QDate::currentDate().year());
    }
    AplicarRango();
    try {
        Table1->setFiltered(true);
    } catch (const std::exception&) {
    }
    ListaValoresRegistro(ModuloDatos, Table1, ValoresUltimaLinea);
    Table1AfterScroll(Table1);
    // While a batch run or a print waits on a dialog the window stays open:
    // the work resumes on it when the dialog is answered.
    auto comun = OnCloseQuery;
    OnCloseQuery = [this, comun](QObject* s, bool& CanClose) {
        CanClose = !EnProceso && !Imprimiendo;
        if (CanClose && comun) comun(s, CanClose);
    };
}

void TfRRHHPLAN::FormClose(QObject* Sender, TCloseAction& Action) {
    try {
        Table1->setFiltered(false);
    } catch (const std::exception&) {
    }
    TMaestroRejilla::FormClose(Sender, Action);
}

void TfRRHHPLAN::AplicarRango() {
    if (!Table1->Active()) return;
    try {
        Table1->SetRange({Ejercicio()}, {Ejercicio()});
    } catch (const std::exception&) {
    }
}

void TfRRHHPLAN::EditEjercicioChange(QObject*) {
    AplicarRango();
}

// ---------------------------------------------------------------- lines

bool TfRRHHPLAN::DepartamentoOperario(int Codigo, QString& Grupo, QString& Descripcion) {
    Grupo.clear();
    Descripcion.clear();
    if (!GATablas->Active()) return false;
    const QString clave = QString::number(Codigo);
    try {
        GATablas->CancelRange();
        GATablas->SetRange({QLatin1String(kPersonal), clave, QStringLiteral("DEP")},
                           {QLatin1String(kPersonal), clave, QStringLiteral("DEPZZ")});
        // The last department group in key order wins.
        if (!GATablas->IsEmpty()) {
            GATablas->Last();
            Grupo = Campo(GATablas, "GrupoAnalisis")->AsString();
        }
        GATablas->CancelRange();
    } catch (const std::exception&) {
        return false;
    }
    if (Grupo.isEmpty()) return false;
    Descripcion = DescripcionCodigo(QStringLiteral("GRANALIS"), Grupo);
    return true;
}

void TfRRHHPLAN::AsignarDepartamento(TDataSet* Linea, bool VaciarSinGrupo) {
    QString grupo, descripcion;
    if (!DepartamentoOperario(Campo(Linea, "CodigoOperario")->AsInteger(), grupo, descripcion) &&
        !VaciarSinGrupo)
        return;
    Campo(Linea, "Departamento")->setAsString(grupo);
    Campo(Linea, "Imputacion")->setAsString(descripcion);
}

void TfRRHHPLAN::Table1NewRecord(TDataSet* DataSet) {
    Campo(Table1, "Ejercicio")->setAsInteger(Ejercicio());
    QString operario;
    BuscarValorLista(ModuloDatos, QStringLiteral("CodigoOperario"), ValoresUltimaLinea, operario);
    // Without an employee yet, the line is numbered when one is typed.
    if (!operario.isEmpty()) {
        Campo(Table1, "CodigoOperario")->setAsString(operario);
        AsignarSiguienteCodigo(ModuloDatos, Table1, Campo(Table1, "Linea"));
    }
    Campo(Table1, "Tipo")->setAsString(QStringLiteral("Interno"));
    Campo(Table1, "Realizado")->setAsString(QStringLiteral("NO"));
    Campo(Table1, "Revision")->setAsInteger(1);
    // The line's own employee, whatever row Personal stands on.
    if (!operario.isEmpty()) AsignarDepartamento(Table1, false);
    TMaestroRejilla::Table1NewRecord(DataSet);
}

void TfRRHHPLAN::Table1CalcFields(TDataSet*) {
    TField* nombre = Table1->FindField(QStringLiteral("Nombre"));
    // A batch run shows no names; the line it ends on is named again.
    if (!nombre || EnProceso) return;
    QString texto;
    const int codigo = Campo(Table1, "CodigoOperario")->AsInteger();
    // The line being typed: its employee is read before his name is shown,
    // so that the line is stored for him or refused.
    const TDataSetState estado = DataSource1->State();
    if (operarioMostrado_ && (estado == dsInsert || estado == dsEdit))
        operarioMostrado_->Leer(Campo(Table1, "CodigoOperario")->Value());
    if (Personal->Active() && codigo > 0 && Personal->FindKey({codigo}))
        texto = Campo(Personal, "Nombre")->AsString();
    nombre->setAsString(texto);
}

void TfRRHHPLAN::Table1AfterScroll(TDataSet*) {
    if (EnProceso) return;
    SincronizarDocumentacionElectronica(fGENEINIC, Table1);
    const QString clave = ClaveDocumentacion();
    const bool conDocumentos =
        !clave.isEmpty() && TieneDocumentacionElectronica(ModuloDatos, Table1->TableName(), clave);
    pbDocumentacionElectronica->setGlyph(conDocumentos ? GlifoConDocumentacion()
                                                       : GlifoSinDocumentacion());
}

QString TfRRHHPLAN::ClaveDocumentacion() {
    if (!Table1->Active() || Table1->IsEmpty()) return QString();
    return QString::number(Ejercicio()) + QLatin1Char('|') +
           Campo(Table1, "CodigoOperario")->AsString() + QLatin1Char('|') +
           Campo(Table1, "Linea")->AsString();
}

void TfRRHHPLAN::Table1BeforeEdit(TDataSet*) {
    if (!EnProceso) {
        TField* campo = DBGrid1->SelectedField();
        bool clave = false;
        for (int i = 0; campo && i < 3 && i < Table1->Fields().Count(); ++i)
            clave = clave || Table1->Fields().Fields(i) == campo;
        if (clave) {
            MensajeAdvertencia(QStringLiteral("¡ No se puede modificar la clave del registro !"));
            Abort();
        }
    }
    // In a batch operation the post that follows keeps the same values.
    if (EnProceso)
        ValoresPendientes = true;
    else
        ListaValoresRegistro(ModuloDatos, Table1, ValoresUltimaLinea);
}

void TfRRHHPLAN::GuardarValoresPendientes() {
    if (!ValoresPendientes) return;
    ValoresPendientes = false;
    LineaLotePendiente = false;
    ListaValoresRegistro(ModuloDatos, Table1, ValoresUltimaLinea);
}

void TfRRHHPLAN::GuardarValoresLote() {
    if (!LineaLotePendiente) return;
    LineaLotePendiente = false;
    Table1->GotoBookmark(UltimaLineaLote);
    ListaValoresRegistro(ModuloDatos, Table1, ValoresUltimaLinea);
}

bool TfRRHHPLAN::ValidarLinea(const QString& NombreCampo) {
    if (!EnEdicion(Table1) || ActiveControl() == pbCancelar) return true;
    if (NombreCampo.isEmpty() || NombreCampo == QLatin1String("CodigoOperario")) {
        const QString codigo = Campo(Table1, "CodigoOperario")->AsString();
        const bool comprobado = EnProceso && !codigo.isEmpty() && codigo == OperarioComprobado;
        if (!comprobado) {
            if (codigo.isEmpty() || !ExisteOperario(Personal, codigo)) {
                MensajeAdvertencia(QStringLiteral("¡No existe el operario!"));
                return false;
            }
            if (EnProceso) OperarioComprobado = codigo;
        }
    }
    // A line number typed out of range is refused by the post too, not
    // only when its column is left.
    if (NombreCampo.isEmpty()) {
        const int linea = Campo(Table1, "Linea")->AsInteger();
        if (linea < 1 || linea > 9999) {
            MensajeAdvertencia(Texto(textosmaestro::kRango9999));
            return false;
        }
    }
    TField* seleccionado = DBGrid1->SelectedField();
    if (!seleccionado) return true;
    for (int i = 0; i < DBGrid1->Columns().Count(); ++i) {
        TColumn* columna = DBGrid1->Columns().Items(i);
        if (columna->PickList().isEmpty() || columna->Field() != seleccionado) continue;
        if (!columna->PickList().contains(seleccionado->AsString())) {
            MensajeAdvertencia(QStringLiteral("El dato introducido en el campo ") +
                               seleccionado->FieldName() + QStringLiteral(" es incorrecto"));
            return false;
        }
    }
    return true;
}

void TfRRHHPLAN::DBGrid1ColExit(QObject*) {
    if (!EnEdicion(Table1)) return;
    TField* operario = Campo(Table1, "CodigoOperario");
    // 1. No employee: the row goes.
    if (operario->AsString().trimmed().isEmpty()) {
        Table1->Cancel();
        Abort();
    }
    TField* campo = DBGrid1->SelectedField();
    const QString nombre = campo ? campo->FieldName() : QString();
    // 2. Employee and line within the small-integer range.
    if (nombre == QLatin1String("CodigoOperario") || nombre == QLatin1String("Linea")) {
        const int valor = campo->AsInteger();
        if (campo->IsNull() || valor < 1 || valor > 9999) {
            MensajeAdvertencia(Texto(textosmaestro::kRango9999));
            Abort();
        }
    }
    const bool insertando = Table1->State() == dsInsert;
    // A new line nobody typed into keeps the values it started with: filled
    // in again they would make it a typed line, stored when it is left.
    const bool tecleada = Table1->Modified();
    // 3. The line number follows the employee typed; a line typed by the
    // user is kept.
    if (insertando && tecleada && nombre == QLatin1String("CodigoOperario"))
        AsignarSiguienteCodigo(ModuloDatos, Table1, Campo(Table1, "Linea"));
    // 4. A line that exists is refused.
    if (insertando && nombre == QLatin1String("Linea") &&
        ExisteClave(ModuloDatos, Table1,
                    QString::number(Ejercicio()) + QLatin1Char(';') + operario->AsString() +
                        QLatin1Char(';') + campo->AsString())) {
        MensajeAdvertencia(Texto(textosmaestro::kYaExisteRegistro));
        Abort();
    }
    // 5. Who set the need.
    if (tecleada && nombre == QLatin1String("CodigoOpNecesidad"))
        Campo(Table1, "NecesidadFijadaPor")->setAsString(NombreOperario(campo->AsInteger()));
    // 6. The employee's department.
    if (tecleada && nombre == QLatin1String("CodigoOperario")) AsignarDepartamento(Table1, false);
    // 7. The line check.
    if (!ValidarLinea(nombre)) Abort();
}

void TfRRHHPLAN::Table1BeforePost(TDataSet* DataSet) {
    // A batch operation's lines leave no other line being typed; when none
    // is, there is nothing to post first.
    const auto tecleando = [this] {
        for (TDataSet* d : std::as_const(ConjuntosLote))
            if (d->State() == dsEdit || d->State() == dsInsert) return true;
        return false;
    };
    if (EnProceso && !tecleando())
        EstadoAntesDeGrabar = Table1->State();
    else
        TMaestroRejilla::Table1BeforePost(DataSet);
    EstadoAnterior = Table1->State();
    if (!ValidarLinea(QString())) Abort();
    // The employee whose name the line showed: one another clerk changed,
    // or deleted and entered again under the same code, is not the one the
    // line was typed for. A batch operation shows no names.
    if (!EnProceso) operarioMostrado_->Comprobar(Campo(Table1, "CodigoOperario")->Value());
}

void TfRRHHPLAN::Table1AfterPost(TDataSet* DataSet) {
    if (!operarioMostrado_->Terminar(true)) {
        operarioMostrado_->Olvidar();
        // The commit failed (and said so): the grid shows what is stored.
        if (Table1->Active() && Table1->State() == dsBrowse) Table1->Refresh();
        Abort();
    }
    ValoresPendientes = false;
    // A batch operation keeps only its last line's values, when it ends.
    if (EnProceso) {
        UltimaLineaLote = Table1->GetBookmark();
        LineaLotePendiente = true;
    } else {
        ListaValoresRegistro(ModuloDatos, Table1, ValoresUltimaLinea);
    }
    TFormularioMaestro::Table1AfterPost(DataSet);
    OfrecerHistorico(Table1);
    // The next line compares the employee shown then.
    operarioMostrado_->Olvidar();
    if (EnProceso) return;
    EnfocarPrimeraColumna();
    // Lines are entered one after the other.
    if (EstadoAnterior == dsInsert) Table1->Append();
}

void TfRRHHPLAN::Table2AfterPost(TDataSet* DataSet) {
    OfrecerHistorico(DataSet);
}

void TfRRHHPLAN::OfrecerHistorico(TDataSet* Linea) {
    if (Campo(Linea, "Realizado")->AsString() != QLatin1String("SI")) return;
    const int operario = Campo(Linea, "CodigoOperario")->AsInteger();
    const int ano = Campo(Linea, "Ejercicio")->AsInteger();
    const QString formacion = Campo(Linea, "CodigoFormacion")->AsString();
    // Only the employee's own history counts: a candidate may share the code.
    QVariant cuenta;
    try {
        cuenta = rrhhpers::ValorConParametros(
            QStringLiteral("SELECT COUNT(*) FROM HFORMACI WHERE NombreTabla = :t AND "
                           "CodigoOperario = :o AND FechaInicio >= :d AND FechaInicio < :h AND "
                           "CodigoFormacion = :f"),
            {QLatin1String(kPersonal), operario, QDateTime(QDate(ano, 1, 1), QTime(0, 0)),
             QDateTime(QDate(ano + 1, 1, 1), QTime(0, 0)), formacion});
    } catch (const std::exception&) {
        return;
    }
    if (cuenta.toInt() != 0) return;
    // A line typed here goes to the history and groups of the employee its
    // name showed, checked in the transaction that writes them (the
    // questions leave time for another clerk to replace him); a batch line
    // showed none.
    const bool mostrado = Linea == Table1 && !EnProceso;
    const auto vigente = [this, mostrado, operario] {
        return !mostrado || operarioMostrado_->Vigente(operario);
    };
    if (MensajeConfirmacion(QStringLiteral(
            "¿ Quiere dar de alta la acción formativa en el Histórico ?")) == QLatin1String("SI")) {
        if (!vigente()) return;
        try {
            HFormacion->Append();
            Campo(HFormacion, "NombreTabla")->setAsString(QLatin1String(kPersonal));
            Campo(HFormacion, "CodigoOperario")->setAsInteger(operario);
            AsignarSiguienteCodigo(ModuloDatos, HFormacion, Campo(HFormacion, "Linea"));
            Campo(HFormacion, "CodigoFormacion")->setAsString(formacion);
            Campo(HFormacion, "Descripcion")
                ->setAsString(Campo(Linea, "AccionFormativa")->AsString());
            for (const char* c :
                 {"FechaInicio", "FechaFinal", "Tipo", "Duracion", "TituloObtenido", "Impartido"})
                Campo(HFormacion, c)->setValue(Campo(Linea, c)->Value());
            HFormacion->Post();
            operarioMostrado_->Terminar(true);
        } catch (const EAbort&) {
            if (EnEdicion(HFormacion)) HFormacion->Cancel();
            operarioMostrado_->Terminar(false);
        } catch (const std::exception&) {
            if (EnEdicion(HFormacion)) HFormacion->Cancel();
            operarioMostrado_->Terminar(false);
            MensajeAdvertencia(Texto(textosmaestro::kRegistroNoGrabado));
        }
    }
    if (MensajeConfirmacion(
            QStringLiteral("¿ Quiere dar de alta la acción formativa como Grupo de Análisis ?")) !=
        QLatin1String("SI"))
        return;
    if (!vigente()) return;
    try {
        GATablas->Append();
        Campo(GATablas, "NombreTabla")->setAsString(QLatin1String(kPersonal));
        Campo(GATablas, "ClaveTabla")->setAsString(QString::number(operario));
        Campo(GATablas, "GrupoAnalisis")->setAsString(formacion);
        GATablas->Post();
        operarioMostrado_->Terminar(true);
    } catch (const std::exception&) {
        if (EnEdicion(GATablas)) GATablas->Cancel();
        operarioMostrado_->Terminar(false);
    }
}

// ---------------------------------------------------------------- searches

void TfRRHHPLAN::DBGrid1DblClick(QObject*) {
    TField* campo = DBGrid1->SelectedField();
    if (!campo) return;
    const QString nombre = campo->FieldName();
    QString tabla;
    if (nombre == QLatin1String("CodigoOperario") || nombre == QLatin1String("CodigoOpNecesidad"))
        tabla = QLatin1String(kPersonal);
    else if (nombre == QLatin1String("Departamento"))
        tabla = QStringLiteral("GRANALIS");
    else if (nombre == QLatin1String("CodigoFormacion"))
        tabla = QStringLiteral("FORMCION");
    else
        return;
    if (!EnEdicion(Table1)) {
        if (Table1->IsEmpty()) return;
        Table1->Edit();
    }
    QVariant clave;
    if (tabla == QLatin1String("GRANALIS"))
        // The word as a string on every engine: in double quotes PostgreSQL
        // reads a column name, and the search found nothing.
        BuscarConFiltro(tabla, 1,
                        QStringLiteral("(CategoriaGrupo = ") +
                            Entrecomillar(QStringLiteral("DEPARTAMENTO")) + QLatin1Char(')'),
                        clave);
    else
        BuscarCodigo(tabla, 0, clave);
    const QVariant valor = PrimerValor(clave);
    if (valor.isNull() || valor.toString().isEmpty()) return;
    campo->setAsString(valor.toString());
    if (nombre == QLatin1String("CodigoOpNecesidad"))
        Campo(Table1, "NecesidadFijadaPor")->setAsString(NombreOperario(campo->AsInteger()));
    else if (nombre == QLatin1String("Departamento"))
        Campo(Table1, "Imputacion")->setAsString(DescripcionCodigo(tabla, valor.toString()));
    else if (nombre == QLatin1String("CodigoFormacion"))
        Campo(Table1, "AccionFormativa")->setAsString(DescripcionCodigo(tabla, valor.toString()));
}

void TfRRHHPLAN::Buscar1Click(QObject*) {
    // The search reaches every year; the result's year is then shown.
    QVariant clave;
    try {
        Table1->CancelRange();
    } catch (const std::exception&) {
    }
    BuscarRegistro(Table1, 0, clave);
    if (clave.isNull())
        AplicarRango();
    else
        MostrarClave(clave);
}

void TfRRHHPLAN::MostrarClave(const QVariant& Clave) {
    const QVariantList valores = Clave.toList();
    if (valores.size() < 3) {
        AplicarRango();
        return;
    }
    const int ano = valores.at(0).toInt();
    if (ano != Ejercicio())
        EditEjercicio->setValue(ano);  // ranges the grid on that year
    else
        AplicarRango();
    Table1->FindKey({ano, valores.at(1).toInt(), valores.at(2).toInt()});
}

// ---------------------------------------------------------------- filters

void TfRRHHPLAN::FiltrarRegistrosporValorClick(QObject* Sender) {
    QString operador = QStringLiteral("=");
    QString pregunta = QStringLiteral("Introduzca el valor del campo ");
    if (Sender == FiltrarRegistrosporValorDesde) {
        operador = QStringLiteral(">=");
        pregunta = QStringLiteral("Introduzca el valor Desde ");
    } else if (Sender == FiltrarRegistrosporValorHasta) {
        operador = QStringLiteral("<=");
        pregunta = QStringLiteral("Introduzca el valor Hasta ");
    }
    TField* campo = DBGrid1->SelectedField();
    if (!campo) return;
    if (EnEdicion(Table1) && campo->FieldKind() == fkCalculated) return;
    const QString respuesta =
        MensajePeticion(pregunta + NombreLegible(campo->FieldName()), campo->DisplayText());
    if (respuesta.isEmpty()) return;
    const QString anterior = Table1->Filter();
    try {
        Table1->setFiltered(false);
        Table1->setFilter(anterior + (anterior.isEmpty() ? QString() : QStringLiteral(" AND ")) +
                          QLatin1Char('(') + campo->FieldName() + QLatin1Char(' ') + operador +
                          QLatin1Char(' ') + Entrecomillar(respuesta) + QLatin1Char(')'));
        Table1->setFiltered(true);
        AplicarRango();
    } catch (const std::exception&) {
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible filtrar registros!"));
        // The lines shown stay as they were.
        try {
            Table1->setFilter(anterior);
            Table1->setFiltered(true);
            AplicarRango();
        } catch (const std::exception&) {
        }
    }
}

void TfRRHHPLAN::CancelarFiltros1Click(QObject*) {
    Table1->setFilter(QString());
    Table1->setFiltered(true);
}

void TfRRHHPLAN::FiltrarRegistros1Click(QObject* Sender) {
    TMaestroRejilla::FiltrarRegistros1Click(Sender);
    AplicarRango();
}

// ---------------------------------------------------------------- batch operations

void TfRRHHPLAN::Carry(bool Seleccionados) {
    const int ano = Ejercicio();
    const QString viene = QStringLiteral("Viene de ") + QString::number(ano);
    const QString pasa = QStringLiteral("Pasa a ") + QString::number(ano + 1);
    const TCopiaCampos copia(Table1, Table2);
    const auto nuevaLinea = [&](bool numerar) {
        Table2->Append();
        copia.Copiar();
        Campo(Table2, "Ejercicio")->setAsInteger(ano + 1);
        if (numerar) AsignarSiguienteCodigo(ModuloDatos, Table2, Campo(Table2, "Linea"));
        Campo(Table2, "Observaciones")->setAsString(viene);
        Campo(Table2, "Revision")->setAsInteger(1);
        Table2->Post();
    };
    const auto sinEditar = [](TDataSet* d) {
        if (EnEdicion(d)) d->Cancel();
    };

    TCursorEspera reloj;
    const LoteRejilla lote(this, Table1, EnProceso, OperarioComprobado, ConjuntosLote,
                           [this] { GuardarValoresLote(); });
    if (!Seleccionados) {
        Table1->First();
        while (!Table1->Eof()) {
            if (Campo(Table1, "Realizado")->AsString() == QLatin1String("NO")) {
                try {
                    nuevaLinea(false);
                    Table1->Edit();
                    Campo(Table1, "Observaciones")->setAsString(pasa);
                    Table1->Post();
                } catch (const std::exception&) {
                    sinEditar(Table2);
                    sinEditar(Table1);
                    GuardarValoresPendientes();
                    MensajeAdvertencia(Texto(kNoGrabado));
                }
            }
            Table1->Next();
        }
    } else {
        const TBookmarkList& filas = DBGrid1->SelectedRows();
        QList<TBookmark> marcas;
        for (int i = 0; i < filas.Count(); ++i) marcas << filas.Items(i);
        for (const TBookmark& marca : marcas) {
            try {
                Table1->GotoBookmark(marca);
                if (Campo(Table1, "Realizado")->AsString() != QLatin1String("NO")) continue;
                nuevaLinea(true);
            } catch (const std::exception&) {
                sinEditar(Table2);
                MensajeAdvertencia(Texto(kNoGrabado));
                continue;
            }
            try {
                if (!Table2->FindKey({ano, Campo(Table1, "CodigoOperario")->AsInteger(),
                                      Campo(Table1, "Linea")->AsInteger()}))
                    throw std::runtime_error("Record not found");
                Table2->Edit();
                Campo(Table2, "Observaciones")->setAsString(pasa);
                Table2->Post();
            } catch (const std::exception& e) {
                sinEditar(Table2);
                MensajeAdvertencia(QStringLiteral("¡Curso no actualizado!. Motivo: ") +
                                   MotivoError(e));
            }
        }
        Table1->Refresh();
    }
}

void TfRRHHPLAN::PasarCursosPendientesalSiguienteEjercicio1Click(QObject*) {
    if (MensajeConfirmacion(QStringLiteral("Este proceso pasa los Cursos Pendientes al Siguiente "
                                           "Ejercicio. ¿Está seguro de continuar?")) !=
        QLatin1String("SI"))
        return;
    Carry(false);
}

void TfRRHHPLAN::PasarCursosSeleccionadosalSiguienteEjercicio1Click(QObject*) {
    if (MensajeConfirmacion(QStringLiteral("Este proceso pasa los Cursos Seleccionados al "
                                           "Siguiente Ejercicio. ¿Está seguro de continuar?")) !=
        QLatin1String("SI"))
        return;
    Carry(true);
}

void TfRRHHPLAN::AsignarRevision1Click(QObject*) {
    const QString respuesta =
        MensajePeticion(QStringLiteral("Introduzca el valor de la Revisión "), QString());
    if (respuesta.isEmpty()) return;
    if (!ValidarEntero(respuesta, QStringLiteral("Revisión"))) return;
    const int revision = respuesta.trimmed().toInt();
    TCursorEspera reloj;
    const LoteRejilla lote(this, Table1, EnProceso, OperarioComprobado, ConjuntosLote,
                           [this] { GuardarValoresLote(); });
    Table1->First();
    while (!Table1->Eof()) {
        try {
            Table1->Edit();
            Campo(Table1, "Revision")->setAsInteger(revision);
            Table1->Post();
        } catch (const std::exception&) {
            if (EnEdicion(Table1)) Table1->Cancel();
            GuardarValoresPendientes();
        }
        Table1->Next();
    }
}

void TfRRHHPLAN::RepetirparatodoslosOperarios1Click(QObject*) {
    if (!Table1->Active() || Table1->IsEmpty() || EnEdicion(Table1)) return;
    const QString desde =
        MensajePeticion(QStringLiteral("Introduzca Desde Operario "), QStringLiteral("0"));
    if (desde.isEmpty() || !ValidarEntero(desde, QStringLiteral("Desde Operario"))) return;
    const QString hasta =
        MensajePeticion(QStringLiteral("Introduzca Hasta Operario "), QStringLiteral("9999"));
    if (hasta.isEmpty() || !ValidarEntero(hasta, QStringLiteral("Hasta Operario"))) return;

    TCursorEspera reloj;
    const LoteRejilla lote(this, Table1, EnProceso, OperarioComprobado, ConjuntosLote,
                           [this] { GuardarValoresLote(); });
    const int propio = Campo(Table1, "CodigoOperario")->AsInteger();
    // The employees are read first: Personal also names the grid's lines.
    QList<int> operarios;
    try {
        Personal->SetRange({desde.trimmed().toInt()}, {hasta.trimmed().toInt()});
        for (Personal->First(); !Personal->Eof(); Personal->Next())
            operarios << Campo(Personal, "CodigoOperario")->AsInteger();
        Personal->CancelRange();
    } catch (const std::exception&) {
        Personal->CancelRange();
    }
    const TCopiaCampos copia(Table1, Table2);
    for (int operario : operarios) {
        if (operario == propio || !MDNominas || !MDNominas->ContratoEnVigor(operario)) continue;
        try {
            Table2->Append();
            copia.Copiar();
            Campo(Table2, "CodigoOperario")->setAsInteger(operario);
            AsignarSiguienteCodigo(ModuloDatos, Table2, Campo(Table2, "Linea"));
            AsignarDepartamento(Table2, true);
            Table2->Post();
        } catch (const std::exception&) {
            if (EnEdicion(Table2)) Table2->Cancel();
            MensajeAdvertencia(Texto(kNoGrabado));
        }
    }
    Table1->Refresh();
}

// ---------------------------------------------------------------- printing and documents

void TfRRHHPLAN::ImprimirFormulario(bool AjustarPagina) {
    const QScopedValueRollback<bool> imprimiendo(Imprimiendo, true);
    ImprimirImagenFormulario(ModuloDatos, this, AjustarPagina);
}

void TfRRHHPLAN::FormatoOriginal1Click(QObject*) {
    ImprimirFormulario(false);
}

void TfRRHHPLAN::APaginaCompleta1Click(QObject*) {
    ImprimirFormulario(true);
}

void TfRRHHPLAN::ImprimirConDialogoClick(QObject*) {
    QString nivel;
    NivelAccesoPrograma(ModuloDatos, CodigoUsuarioActual,
                        QStringLiteral("Listado de Plan de Formación"), nivel);
    if (nivel != QLatin1String("Total") && nivel != QLatin1String("Solo Lectura")) return;
    EjercicioPlanListado = Ejercicio();
    TForm* f = nullptr;
    AbrirFormulario(ModuloDatos, QStringLiteral("TfRRHHLPLA"), f, QStringLiteral("Create"),
                    QStringLiteral("fRRHHLPLA"));
}

void TfRRHHPLAN::pbDocumentacionElectronicaClick(QObject*) {
    DocumentacionElectronica(ModuloDatos, Table1->TableName(), ClaveDocumentacion(),
                             Table1->RowAsRead());
}

void RegistrarTfRRHHPLAN() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHPLAN")))
        RegisterFormClass<TfRRHHPLAN>(QStringLiteral("TfRRHHPLAN"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHPLAN();
    return true;
}();
}  // namespace
