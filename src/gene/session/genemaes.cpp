#include "gene/session/genemaes.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QStyle>
#include <QVBoxLayout>
#include <optional>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genecopi.h"
#include "gene/dialogs/genefilt.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_diferidos.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"

namespace {

QString Texto(const char* texto) {
    return QString::fromUtf8(texto);
}

bool EstadoEdicion(TDataSetState estado) {
    return estado == dsEdit || estado == dsInsert || estado == dsSetKey;
}

// What the form has pending is only new records nobody typed into (the
// blank record started after a confirm, a line begun and left empty), with
// no line stored under them: giving them up loses nothing. They are given
// in the order to cancel them, the record last.
QList<TDataSet*> AltasSinTeclear(TFormularioMaestro* f) {
    QList<TDataSet*> registros = f->LineasPendientes();
    if (EstadoEdicion(f->Table1->State())) registros << f->Table1;
    if (registros.isEmpty() || f->AltaConLineasGrabadas()) return {};
    for (TDataSet* d : std::as_const(registros))
        if (d->State() != dsInsert || Tecleado(d)) return {};
    return registros;
}

}  // namespace

bool Tecleado(TDataSet* d) {
    try {
        d->UpdateRecord();
    } catch (const std::exception&) {
        return true;
    }
    return d->Modified();
}

// ---------------------------------------------------------------- a confirm's failures

bool FalloDeLaBase(const std::exception& e) {
    const auto* d = dynamic_cast<const EDatabaseError*>(&e);
    if (!d) return false;
    switch (d->code()) {
        case DbError::RecordLocked:
        case DbError::RecordChanged:
        case DbError::RecordDeleted:
        case DbError::ConnectionLost:
        case DbError::ConnectionFailed:
        case DbError::NotPlainTable:
            return true;
        default:
            return false;
    }
}

QString MotivoFalloBase(const std::exception& e) {
    const auto* d = dynamic_cast<const EDatabaseError*>(&e);
    // It says what the loss cost and that the next action reconnects.
    if (d && d->code() == DbError::ConnectionLost) return d->Message();
    if (BaseOcupada(e)) return TextoBaseOcupada();
    const bool conocido = d && ClasificarExcepcion(MensajeExcepcionBaseDatos(*d)).Texto !=
                                   MensajeExcepcionBaseDatos(*d);
    return conocido ? TextoErrorBaseDatos(e) : MotivoError(e);
}

QString AvisoFalloBase(const QString& Texto, const std::exception& e) {
    return BaseOcupada(e) ? TextoBaseOcupada() : Texto + QLatin1Char('\n') + MotivoFalloBase(e);
}

struct TEdicionesPendientes::Datos {
    QPointer<QObject> formulario;
    QList<std::pair<QPointer<TDataSet>, TDataSet::TEditSnapshot>> ediciones;
};

TEdicionesPendientes::TEdicionesPendientes(QObject* Formulario, const QList<TDataSet*>& Registros)
    : d_(std::make_unique<Datos>()) {
    d_->formulario = Formulario;
    for (TDataSet* d : Registros)
        if (d && EstadoEdicion(d->State()) && d->State() != dsSetKey)
            d_->ediciones.append({d, d->SnapshotEdit()});
}

TEdicionesPendientes::~TEdicionesPendientes() = default;

void TEdicionesPendientes::Restaurar(const QList<TDataSet*>& Grabados) {
    QList<TDataSet*> restaurados;
    for (const auto& [d, edicion] : std::as_const(d_->ediciones)) {
        if (!d || !Grabados.contains(d.data())) continue;
        d->RestoreEdit(edicion);
        restaurados << d.data();
    }
    if (!d_->formulario) return;
    // What the posts' own handlers wrote with them (a training line's group)
    // went with the rollback too.
    for (QObject* o : d_->formulario->findChildren<QObject*>()) {
        auto* rejilla = qobject_cast<TDBGrid*>(o);
        TDataSet* lineas =
            rejilla && rejilla->DataSource() ? rejilla->DataSource()->DataSet() : nullptr;
        if (!lineas || restaurados.contains(lineas) || !lineas->Active() ||
            lineas->State() != dsBrowse)
            continue;
        restaurados << lineas;
        try {
            lineas->Refresh();
        } catch (const std::exception&) {
            // A server still down: read again at the next action.
        }
    }
}

// ---------------------------------------------------------------- template

TFormularioMaestro::TFormularioMaestro(QWidget* owner, const QString& Nombre, const QString& Titulo,
                                       const QString& NombreTabla)
    : TForm(owner), TituloMaestro(Titulo), NombreTablaMaestro(NombreTabla) {
    setObjectName(Nombre);
    setCaption(Titulo);
    setFormStyle(fsMDIChild);
    setKeyPreview(true);

    Table1 = new TTable(this);
    Table1->setObjectName(QStringLiteral("Table1"));
    if (!NombreTabla.isEmpty()) Table1->setTableName(NombreTabla);
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Table1);
    Table1->AfterCancel = [this](TDataSet* d) { Table1AfterCancel(d); };
    Table1->BeforeScroll = [this](TDataSet*) {
        if (!LineasAntesDeCambiarRegistro()) Abort();
    };

    MainMenu1 = new TMainMenu(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Ficha1 = new TMenuItem(MainMenu1->Items(), QStringLiteral("Ficha1"), QStringLiteral("&Ficha"));
    Ficha1->setGroupIndex(3);
    IralPaneldeControl1 = NuevoItem(QStringLiteral("IralPaneldeControl1"),
                                    QStringLiteral("&Ir al Panel de Control"), VK_F3, QString());
    NuevoItem(QStringLiteral("N2"), QStringLiteral("-"), 0, QString());
    Agregar = NuevoItem(QStringLiteral("Agregar"), Texto(textosmaestro::kAgregar), VK_F5,
                        QStringLiteral("Agregar mas registros"));
    Eliminar1 = NuevoItem(QStringLiteral("Eliminar1"), QStringLiteral("&Eliminar"), VK_F6,
                          QStringLiteral("Eliminar el registro actual"));
    EliminacionMultiple1 = NuevoItem(QStringLiteral("EliminacionMultiple1"),
                                     QStringLiteral("Eliminación &Múltiple..."), 0,
                                     QStringLiteral("Eliminacion de registros seleccionable"));
    NuevoItem(QStringLiteral("N5"), QStringLiteral("-"), 0, QString());
    Buscar = NuevoItem(QStringLiteral("Buscar"), QStringLiteral("&Buscar Registro..."), VK_F11,
                       QString());
    FiltrarRegistros1 = NuevoItem(QStringLiteral("FiltrarRegistros1"),
                                  QStringLiteral("&Filtrar Registros..."), VK_F12, QString());
    CopiarRegistrosaOtrasEmpresas1 =
        NuevoItem(QStringLiteral("CopiarRegistrosaOtrasEmpresas1"),
                  QStringLiteral("Copiar &Registros a Otras Empresas..."), 0, QString());
    NuevoItem(QStringLiteral("N6"), QStringLiteral("-"), 0, QString());
    CancelarEdicion1 = NuevoItem(QStringLiteral("CancelarEdicion1"),
                                 QStringLiteral("&Cancelar Edición"), VK_ESCAPE, QString());
    ListadoProgramable1 = NuevoItem(QStringLiteral("ListadoProgramable1"),
                                    QStringLiteral("Listado &Programable..."), 0, QString());
    NuevoItem(QStringLiteral("N7"), QStringLiteral("-"), 0, QString());
    DocumentacionElectronica1 =
        NuevoItem(QStringLiteral("DocumentacionElectronica1"),
                  QStringLiteral("&Documentación Electrónica..."), 0, QString());
    NuevoItem(QStringLiteral("N1"), QStringLiteral("-"), 0, QString());
    Cerrar1 = NuevoItem(QStringLiteral("Cerrar1"), QStringLiteral("C&errar"), 0,
                        QStringLiteral("Abandonar esta pantalla"));
    setMenu(MainMenu1);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    AreaDatos = new QVBoxLayout;
    AreaDatos->setContentsMargins(0, 0, 0, 0);
    raiz->addLayout(AreaDatos, 1);

    PanelControl = new TPanel(this);
    PanelControl->setObjectName(QStringLiteral("PanelControl"));
    PanelControl->setFocusPolicy(Qt::StrongFocus);
    raiz->addWidget(PanelControl);
    auto* control = new QHBoxLayout(PanelControl);
    control->setContentsMargins(4, 4, 4, 4);
    PanelNavegador = new TPanel(PanelControl);
    PanelNavegador->setObjectName(QStringLiteral("PanelNavegador"));
    control->addWidget(PanelNavegador);
    control->addStretch(1);
    auto* navegador = new QHBoxLayout(PanelNavegador);
    navegador->setContentsMargins(1, 1, 1, 1);
    navegador->setSpacing(0);

    pbConforme = NuevoBoton(QStringLiteral("pbConforme"),
                            QStringLiteral("Aceptar y grabar los datos actuales"));
    pbCancelar =
        NuevoBoton(QStringLiteral("pbCancelar"), QStringLiteral("Cancelar la edicion sin grabar"));
    pbPrimero = NuevoBoton(QStringLiteral("pbPrimero"), QStringLiteral("Ir al primer registro"));
    pbAnterior =
        NuevoBoton(QStringLiteral("pbAnterior"), QStringLiteral("Ir al registro anterior"));
    pbSiguiente =
        NuevoBoton(QStringLiteral("pbSiguiente"), QStringLiteral("Ir al registro siguiente"));
    pbUltimo = NuevoBoton(QStringLiteral("pbUltimo"), QStringLiteral("Ir al ultimo registro"));
    pbRefrescar =
        NuevoBoton(QStringLiteral("pbRefrescar"), QStringLiteral("Refrescar todas las tablas"));
    pbEliminar =
        NuevoBoton(QStringLiteral("pbEliminar"), QStringLiteral("Eliminar el registro actual"));
    pbAgregar = NuevoBoton(QStringLiteral("pbAgregar"), QStringLiteral("Agregar registros"));
    pbSalir = NuevoBoton(QStringLiteral("pbSalir"), QStringLiteral("Salir"));
    const QStyle::StandardPixmap iconos[] = {
        QStyle::SP_DialogApplyButton, QStyle::SP_DialogCancelButton, QStyle::SP_MediaSkipBackward,
        QStyle::SP_MediaSeekBackward, QStyle::SP_MediaSeekForward,   QStyle::SP_MediaSkipForward,
        QStyle::SP_BrowserReload,     QStyle::SP_TrashIcon,          QStyle::SP_FileIcon,
        QStyle::SP_DialogCloseButton};
    const TBitBtn* botones[] = {pbConforme, pbCancelar,  pbPrimero,  pbAnterior, pbSiguiente,
                                pbUltimo,   pbRefrescar, pbEliminar, pbAgregar,  pbSalir};
    for (int i = 0; i < 10; ++i) {
        auto* b = const_cast<TBitBtn*>(botones[i]);
        b->setGlyph(style()->standardIcon(iconos[i]));
        navegador->addWidget(b);
    }

    // Handlers.
    OnCreate = [this](QObject* s) { FormCreate(s); };
    OnActivate = [this](QObject* s) { FormActivate(s); };
    OnClose = [this](QObject* s, TCloseAction& a) { FormClose(s, a); };
    OnKeyDown = [this](QObject* s, int& k, TShiftState sh) { FormKeyDown(s, k, sh); };
    OnKeyPress = [this](QObject* s, QChar& k) { FormKeyPress(s, k); };
    DataSource1->OnStateChange = [this](TDataSource*) { DataSource1StateChange(DataSource1); };
    Table1->BeforeInsert = [this](TDataSet* d) { Table1BeforeInsert(d); };
    Table1->OnNewRecord = [this](TDataSet* d) { Table1NewRecord(d); };
    Table1->BeforePost = [this](TDataSet* d) { Table1BeforePost(d); };
    Table1->AfterPost = [this](TDataSet* d) { Table1AfterPost(d); };

    IralPaneldeControl1->OnClick = [this](QObject* s) { IralPaneldeControl1Click(s); };
    Agregar->OnClick = [this](QObject* s) { AgregarClick(s); };
    pbAgregar->OnClick = [this](QObject* s) { AgregarClick(s); };
    Eliminar1->OnClick = [this](QObject* s) { Eliminar1Click(s); };
    pbEliminar->OnClick = [this](QObject* s) { Eliminar1Click(s); };
    EliminacionMultiple1->OnClick = [this](QObject* s) { EliminacionMultiple1Click(s); };
    Buscar->OnClick = [this](QObject* s) { Buscar1Click(s); };
    FiltrarRegistros1->OnClick = [this](QObject* s) { FiltrarRegistros1Click(s); };
    CopiarRegistrosaOtrasEmpresas1->OnClick = [this](QObject* s) {
        CopiarRegistrosaOtrasEmpresas1Click(s);
    };
    CancelarEdicion1->OnClick = [this](QObject* s) { pbCancelarClick(s); };
    pbCancelar->OnClick = [this](QObject* s) { pbCancelarClick(s); };
    ListadoProgramable1->OnClick = [this](QObject* s) { ListadoProgramable1Click(s); };
    DocumentacionElectronica1->OnClick = [this](QObject* s) { DocumentacionElectronica1Click(s); };
    Cerrar1->OnClick = [this](QObject* s) { Cerrar1Click(s); };
    pbSalir->OnClick = [this](QObject* s) { Salir1Click(s); };
    pbConforme->OnClick = [this](QObject* s) { pbConformeClick(s); };
    pbPrimero->OnClick = [this](QObject* s) { pbPrimeroClick(s); };
    pbAnterior->OnClick = [this](QObject* s) { pbAnteriorClick(s); };
    pbSiguiente->OnClick = [this](QObject* s) { pbSiguienteClick(s); };
    pbUltimo->OnClick = [this](QObject* s) { pbUltimoClick(s); };
    pbRefrescar->OnClick = [this](QObject* s) { pbRefrescarClick(s); };
}

TFormularioMaestro::~TFormularioMaestro() {
    // The form's members are gone by the time Qt deletes the datasets and
    // sources, whose last events would call back into them.
    for (QObject* o : findChildren<QObject*>()) {
        if (auto* fuente = qobject_cast<TDataSource*>(o)) {
            fuente->OnStateChange = nullptr;
            fuente->OnDataChange = nullptr;
            fuente->OnUpdateData = nullptr;
        } else if (auto* d = qobject_cast<TDataSet*>(o)) {
            for (TDataSetNotifyEvent* e :
                 {&d->BeforeOpen,    &d->AfterOpen,    &d->BeforeClose,  &d->AfterClose,
                  &d->BeforeInsert,  &d->AfterInsert,  &d->BeforeEdit,   &d->AfterEdit,
                  &d->BeforePost,    &d->AfterPost,    &d->BeforeCancel, &d->AfterCancel,
                  &d->BeforeDelete,  &d->AfterDelete,  &d->BeforeScroll, &d->AfterScroll,
                  &d->BeforeRefresh, &d->AfterRefresh, &d->OnNewRecord,  &d->OnCalcFields})
                *e = nullptr;
            d->OnPostError = nullptr;
            d->OnFilterRecord = nullptr;
        }
    }
    // The data controls let go of their fields while they are whole.
    for (TDataSource* fuente : findChildren<TDataSource*>()) fuente->setDataSet(nullptr);
}

TMenuItem* TFormularioMaestro::NuevoItem(const QString& nombre, const QString& caption, int tecla,
                                         const QString& hint) {
    auto* item = new TMenuItem(Ficha1, nombre, caption, tecla ? ShortCut(tecla) : QKeySequence());
    if (!hint.isEmpty()) item->setHint(hint);
    return item;
}

TBitBtn* TFormularioMaestro::NuevoBoton(const QString& nombre, const QString& hint) {
    auto* b = new TBitBtn(PanelNavegador);
    b->setObjectName(nombre);
    b->setHint(hint);
    b->setWidth(31);
    b->setHeight(25);
    return b;
}

bool TFormularioMaestro::Intentar(const std::function<void()>& paso, const QString& aviso) {
    try {
        paso();
        return true;
    } catch (const EAbort&) {
        // A check that refused the operation has said why already.
        return false;
    } catch (const std::exception& e) {
        MensajeAdvertencia(TextoRechazo(e, aviso));
        return false;
    }
}

void TFormularioMaestro::FormCreate(QObject*) {
    setCaption(TituloMaestro);
    if (!NombreTablaMaestro.isEmpty() && ModuloDatos) {
        QString fisico;
        NombreTablaFisico(ModuloDatos, NombreTablaMaestro, fisico);
        Table1->setTableName(fisico);
    }
    IndiceBusqueda = 0;
    AbrirTablasFormulario(fGENEINIC, this);
    DataSource1->setAutoEdit(true);
    HabilitarModoEdicion(false);
    setActiveControl(pbSalir);
    DocumentacionElectronica1->setEnabled(true);
    CopiarRegistrosaOtrasEmpresas1->setVisible(true);
}

void TFormularioMaestro::FormActivate(QObject*) {
    update();
}

void TFormularioMaestro::FormClose(QObject*, TCloseAction& Action) {
    Action = caFree;
}

void TFormularioMaestro::FormKeyDown(QObject*, int& Key, int Shift) {
    // F5 reaches the window only while "Agregar" is disabled, that is while
    // something is being edited: the clerk is told why no record starts.
    if (Key == VK_F5 && (Shift & (ssShift | ssAlt | ssCtrl)) == 0 && Editando()) {
        Key = 0;
        AgregarClick(Agregar);
        return;
    }
    TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
}

void TFormularioMaestro::FormKeyPress(QObject*, QChar& Key) {
    TeclaPresionadaFormulario(fGENEINIC, this, Key);
}

bool TFormularioMaestro::Editando() const {
    return EstadoEdicion(Table1->State());
}

void TFormularioMaestro::DataSource1StateChange(QObject*) {
    const TDataSetState estado = Table1->State();
    if (estado == dsEdit || estado == dsInsert)
        HabilitarModoEdicion(true);
    else if (estado != dsSetKey)
        HabilitarModoEdicion(false);
}

void TFormularioMaestro::HabilitarModoEdicion(bool Editando) {
    for (QWidget* w : {static_cast<QWidget*>(pbConforme), static_cast<QWidget*>(pbCancelar)})
        w->setEnabled(Editando);
    CancelarEdicion1->setEnabled(Editando);
    // A program the user may only read offers neither adding nor deleting,
    // as it takes no typing.
    const bool escribible = !Editando && !Table1->ReadOnly();
    for (QWidget* w : {static_cast<QWidget*>(pbEliminar), static_cast<QWidget*>(pbAgregar)})
        w->setEnabled(escribible);
    for (TMenuItem* item : {Eliminar1, Agregar, EliminacionMultiple1}) item->setEnabled(escribible);
    for (TMenuItem* item : {Buscar, FiltrarRegistros1, CopiarRegistrosaOtrasEmpresas1,
                            DocumentacionElectronica1, Cerrar1})
        item->setEnabled(!Editando);
    if (RefrescoSoloNavegando) pbRefrescar->setEnabled(!Editando);
}

QString TFormularioMaestro::ClaveDocumentacion() {
    QString clave;
    if (Table1->Active() && !Table1->IsEmpty()) ClaveTablaRegistro(ModuloDatos, Table1, clave);
    return clave;
}

void TFormularioMaestro::TeclaEliminarLinea(TDataSet* Lineas, int& Key, int Shift) {
    constexpr int kModificadores = ssShift | ssAlt | ssCtrl;
    if (Key != VK_DELETE || (Shift & kModificadores) != ssCtrl) return;
    // The grid's own deletion never runs.
    Key = 0;
    if (!Lineas || !Lineas->Active() || Lineas->ReadOnly() || EstadoEdicion(Lineas->State()) ||
        Lineas->IsEmpty())
        return;
    if (MensajeConfirmacion(QStringLiteral("¿ Está seguro de querer eliminar la linea ?")) !=
        QLatin1String("SI"))
        return;
    try {
        // What the line's delete removes with it (a training line's group
        // row) goes or stays with the line.
        TGuardaTransaccion transaccion(fGENEINIC);
        // A transaction refused (the database busy) is told as such: the
        // delete alone would only wait for the same database again.
        if (!transaccion.Activa()) {
            MensajeAdvertencia(QStringLiteral("¡No ha sido posible eliminar la línea!. Motivo: ") +
                               TextoTransaccionNoIniciada());
            return;
        }
        Lineas->Delete();
        // A commit that fails has said why.
        if (!transaccion.Confirmar()) Abort();
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        // A server down and a line held by another clerk call for different
        // actions: the box says which.
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible eliminar la línea!. Motivo: ") +
                           MotivoFalloBase(e));
    }
}

// ---- Menu and buttons.

void TFormularioMaestro::IralPaneldeControl1Click(QObject*) {
    PanelControl->setFocus();
}

void TFormularioMaestro::AgregarClick(QObject*) {
    // What is typed belongs to the record shown: a new record starts only
    // once it is confirmed or cancelled.
    if (Editando()) {
        // Nothing typed yet: what is pending gives way to the new record.
        const QList<TDataSet*> vacias = AltasSinTeclear(this);
        if (vacias.isEmpty()) {
            MensajeAdvertencia(Texto(textosmaestro::kConfirmeOCancele));
            return;
        }
        for (TDataSet* d : vacias)
            if (d->State() == dsInsert) d->Cancel();
        if (Editando()) return;
    }
    IniciarAlta();
}

void TFormularioMaestro::Eliminar1Click(QObject*) {
    if (EstadoEdicion(Table1->State())) return;
    if (DataSetVacio(ModuloDatos, Table1)) return;
    if (MensajeConfirmacion(PreguntaEliminar) != QLatin1String("SI")) return;
    Intentar([this] { Table1->Delete(); }, Texto(textosmaestro::kNoPuedeEliminarse));
}

void TFormularioMaestro::EliminacionMultiple1Click(QObject*) {
    EliminarRegistrosActivos(ModuloDatos, Table1);
    if (RefrescarTrasEliminacionMultiple) Table1->Refresh();
}

void TFormularioMaestro::Buscar1Click(QObject*) {
    if (!LineasAntesDeCambiarRegistro()) return;
    // The dialog positions Table1 itself; the key it returns is not needed.
    QVariant clave;
    BuscarRegistro(Table1, IndiceBusqueda, clave);
}

void TFormularioMaestro::FiltrarRegistros1Click(QObject*) {
    FiltrarRegistros(Table1);
}

void TFormularioMaestro::CopiarRegistrosaOtrasEmpresas1Click(QObject*) {
    CopiarRegistrosAEmpresas(Table1);
}

void TFormularioMaestro::pbCancelarClick(QObject*) {
    Table1->Cancel();
}

void TFormularioMaestro::ListadoProgramable1Click(QObject*) {
    ListarTabla(ModuloDatos, Table1);
}

void TFormularioMaestro::DocumentacionElectronica1Click(QObject*) {
    DocumentacionElectronica(ModuloDatos, Table1->TableName(), ClaveDocumentacion(),
                             Table1->RowAsRead());
}

void TFormularioMaestro::Cerrar1Click(QObject*) {
    Close();
}

void TFormularioMaestro::Salir1Click(QObject*) {
    Close();
}

void TFormularioMaestro::pbPrimeroClick(QObject*) {
    // The buttons post the lines before Table1 leaves its own edit: the
    // record's implicit cancel would drop them. The before-scroll covers
    // every other way of moving.
    if (!LineasAntesDeCambiarRegistro()) return;
    Table1->First();
}

void TFormularioMaestro::pbAnteriorClick(QObject*) {
    if (!LineasAntesDeCambiarRegistro()) return;
    Table1->Prior();
    if (Table1->Bof()) MensajeInformacion(Texto(textosmaestro::kPrimerRegistro));
}

void TFormularioMaestro::pbSiguienteClick(QObject*) {
    if (!LineasAntesDeCambiarRegistro()) return;
    Table1->Next();
    if (Table1->Eof()) MensajeInformacion(Texto(textosmaestro::kUltimoRegistro));
}

void TFormularioMaestro::pbUltimoClick(QObject*) {
    if (!LineasAntesDeCambiarRegistro()) return;
    Table1->Last();
}

void TFormularioMaestro::pbRefrescarClick(QObject*) {
    // Nothing is read again by its key under lines being typed (see
    // RefrescarDatos), not even through the cancel below.
    if ((RefrescoSoloNavegando && Editando()) || !LineasPendientes().isEmpty()) return;
    // The typed values were refused against another user's: his are shown.
    if (RegistroCambiadoPorOtro && Table1->State() == dsEdit) Table1->Cancel();
    RefrescarDatos(fGENEINIC, this, ModoRefresco);
    if (Table1->State() == dsBrowse) RegistroCambiadoPorOtro = false;
}

void TFormularioMaestro::BuscarDatosDBEdit(QObject*) {}

// ---- Posting.

void TFormularioMaestro::pbConformeClick(QObject*) {
    GrabarDatos();
}

QList<TDataSet*> TFormularioMaestro::LineasPendientes() const {
    QList<TDataSet*> lineas;
    for (QObject* o : Components())
        if (auto* d = qobject_cast<TDataSet*>(o))
            if (d != Table1 && (d->State() == dsEdit || d->State() == dsInsert)) lineas << d;
    return lineas;
}

bool TFormularioMaestro::LineasAntesDeCambiarRegistro() {
    for (QObject* o : Components()) {
        auto* rejilla = qobject_cast<TDBGrid*>(o);
        TDataSet* lineas =
            rejilla && rejilla->DataSource() ? rejilla->DataSource()->DataSet() : nullptr;
        if (lineas && lineas != Table1 && EstadoEdicion(lineas->State()))
            return GrabarLineasPendientes();
    }
    return true;
}

bool TFormularioMaestro::LineasConClaveDelRegistro() {
    return true;
}

bool TFormularioMaestro::AltaConLineasGrabadas() const {
    return false;
}

bool TFormularioMaestro::LineasDelAltaVigentes() {
    return true;
}

bool TFormularioMaestro::GrabarLineasPendientes(QList<TDataSet*>* Grabadas, bool* PorLaBase) {
    const QList<TDataSet*> pendientes = LineasPendientes();
    if (!pendientes.isEmpty() && !LineasConClaveDelRegistro()) return false;
    for (TDataSet* linea : pendientes) {
        QPointer<TDataSet> guardia(linea);
        // Another line's post may have stored it already (a training line
        // posts the group row being typed when it adds its own group).
        if (!guardia || (linea->State() != dsEdit && linea->State() != dsInsert)) continue;
        try {
            // A new line nobody typed into goes away, as it does when its
            // grid is left.
            if (linea->State() == dsInsert && !linea->Modified()) {
                linea->Cancel();
                continue;
            }
            linea->Post();
            if (Grabadas) Grabadas->append(linea);
        } catch (const EAbort&) {
            // Its check has said why.
            if (guardia) MostrarRejillaDe(linea);
            return false;
        } catch (const std::exception& e) {
            if (PorLaBase) *PorLaBase = FalloDeLaBase(e);
            if (BaseOcupada(e))
                MensajeAdvertencia(TextoBaseOcupada());
            else
                HandleApplicationException(linea, std::current_exception());
            if (guardia) MostrarRejillaDe(linea);
            return false;
        }
    }
    return true;
}

TDBGrid* TFormularioMaestro::RejillaDe(TDataSet* Lineas) const {
    for (QObject* o : Components()) {
        auto* rejilla = qobject_cast<TDBGrid*>(o);
        if (rejilla && rejilla->DataSource() && rejilla->DataSource()->DataSet() == Lineas)
            return rejilla;
    }
    return nullptr;
}

void TFormularioMaestro::MostrarRejillaDe(TDataSet* Lineas) {
    TDBGrid* rejilla = RejillaDe(Lineas);
    if (!rejilla) return;
    for (QWidget* p = rejilla->parentWidget(); p && p != this; p = p->parentWidget())
        if (auto* hoja = qobject_cast<TTabSheet*>(p))
            if (TPageControl* paginas = hoja->PageControl()) paginas->setActivePage(hoja);
    setActiveControl(rejilla);
}

void TFormularioMaestro::GrabarDatos() {
    const TDataSetState estado = Table1->State();
    // The lines being typed go with the record, in its transaction. A line,
    // or a record refused by a check, keeps the lines saved before it for
    // correction. A failure of the database takes back the whole confirm and
    // leaves everything as typed. Every message of the confirm, the checks'
    // own included, is shown once the transaction has ended (declared
    // first, shown last).
    TMensajesDiferidos mensajes;
    TEdicionesPendientes antes(this, LineasPendientes() << Table1);
    std::optional<TGuardaTransaccion> transaccion;
    QList<TDataSet*> grabadas;
    // Rolls back whole and puts back what was posted in it as typed.
    auto restaurar = [&] {
        transaccion.reset();
        antes.Restaurar(grabadas);
    };
    // Ends the transaction; a commit that fails (it has said why) leaves the
    // window as it was before the confirm.
    auto conservar = [&] {
        const bool confirmada = !transaccion || transaccion->Confirmar();
        if (!confirmada) restaurar();
        transaccion.reset();
        mensajes.Mostrar();
        return confirmada;
    };
    // A duplicate key: the lines posted with the record go.
    auto deshacer = [&] {
        if (!transaccion) return;
        transaccion.reset();
        for (TDataSet* d : std::as_const(grabadas))
            if (d->Active() && d->State() == dsBrowse) d->Refresh();
    };
    const bool conAlta = estado == dsInsert && AltaConLineasGrabadas();
    if (!LineasPendientes().isEmpty() || conAlta) {
        transaccion.emplace(fGENEINIC);
        if (!transaccion->Activa()) {
            // Without it each line would be stored alone and the record
            // refused: nothing is posted, everything stays as typed.
            transaccion.reset();
            MensajeAdvertencia(TextoTransaccionNoIniciada());
            return;
        }
        bool porLaBase = false;
        if (!GrabarLineasPendientes(&grabadas, &porLaBase)) {
            if (porLaBase)
                restaurar();
            else
                conservar();
            return;
        }
        if (conAlta && !LineasDelAltaVigentes()) {
            restaurar();
            return;
        }
    }
    if (estado == dsEdit) {
        try {
            Table1->Post();
            grabadas << Table1;
        } catch (const EAbort&) {
            // Refused by a check that has warned already: the edit stays.
        } catch (const std::exception& e) {
            if (FalloDeLaBase(e)) {
                restaurar();
                const auto* d = dynamic_cast<const EDatabaseError*>(&e);
                RegistroCambiadoPorOtro =
                    d->code() == DbError::RecordChanged || d->code() == DbError::RecordDeleted;
                MensajeAdvertencia(AvisoFalloBase(TextoErrorModificacion, e));
                return;
            }
            deshacer();
            Table1->Cancel();
            MensajeAdvertencia(TextoErrorModificacion);
            return;
        }
        conservar();
        return;
    }
    if (estado != dsInsert) {
        conservar();
        return;
    }
    try {
        Table1->Post();
        grabadas << Table1;
    } catch (const EAbort&) {
        // Refused by a check that has warned already: the row stays as typed.
        conservar();
        return;
    } catch (const std::exception& e) {
        const auto* base = dynamic_cast<const EDatabaseError*>(&e);
        const bool duplicado = base && base->code() == DbError::KeyViolation;
        const bool yaExiste = TextoErrorAlta == Texto(textosmaestro::kRegistroYaExiste);
        if (!duplicado && FalloDeLaBase(e)) {
            restaurar();
            // "It exists" would be untrue: the reason alone says it.
            MensajeAdvertencia(yaExiste ? MotivoFalloBase(e) : AvisoFalloBase(TextoErrorAlta, e));
            return;
        }
        deshacer();
        // Only a key that exists is told as one, and only then is the typed
        // record given up; a check of the engine leaves it on screen to
        // confirm again.
        if (!duplicado && yaExiste) {
            MensajeAdvertencia(TextoErrorBaseDatos(e));
            return;
        }
        MensajeAdvertencia(TextoErrorAlta);
        if (MantenerAltaFallida || !duplicado) return;
        Table1->Cancel();
    }
    if (!conservar()) return;
    // A member whose after-post starts the next row has done so already.
    if (AltaContinua && Table1->State() != dsInsert) IniciarAlta();
}

void TFormularioMaestro::Table1BeforeInsert(TDataSet*) {
    // A new record never starts with another record's line pending.
    if (!GrabarLineasPendientes()) Abort();
    ClaveAnterior.clear();
    if (!Table1->IsEmpty()) ClaveRegistro(ModuloDatos, Table1, ClaveAnterior);
}

void TFormularioMaestro::Table1NewRecord(TDataSet*) {
    if (Agregar->Caption() == Texto(textosmaestro::kAgregarConDuplicacion) &&
        !ClaveAnterior.isEmpty())
        CopiarDatosRegistro(ModuloDatos, Table1, ClaveAnterior);
    if (ProponerCodigo)
        if (TField* codigo = Table1->FindField(QStringLiteral("Codigo")))
            AsignarSiguienteCodigo(ModuloDatos, Table1, codigo);
}

void TFormularioMaestro::Table1BeforePost(TDataSet*) {
    // However the record is posted (confirm, moving off it, closing), the
    // lines being typed go first.
    if (!GrabarLineasPendientes()) Abort();
    EstadoAntesDeGrabar = Table1->State();
}

void TFormularioMaestro::Table1AfterCancel(TDataSet*) {
    if (RegistroCambiadoPorOtro) {
        RegistroCambiadoPorOtro = false;
        try {
            Table1->Refresh();
        } catch (const std::exception&) {
            // A server down: "Refrescar" reads it later.
        }
    }
    if (Table1->Active() && Table1->AfterScroll) Table1->AfterScroll(Table1);
}

void TFormularioMaestro::Table1AfterPost(TDataSet* DataSet) {
    RegistroCambiadoPorOtro = false;
    GrabacionRegistro(fGENEINIC, DataSet);
    if (AltaTrasGrabarAlta && EstadoAntesDeGrabar == dsInsert) IniciarAlta();
}

// ---------------------------------------------------------------- record form

TMaestroFicha::TMaestroFicha(QWidget* owner, const QString& Nombre, const QString& Titulo,
                             const QString& NombreTabla)
    : TFormularioMaestro(owner, Nombre, Titulo, NombreTabla) {
    RefrescoSoloNavegando = false;
    // The key a new record starts with, its proposed code included.
    Table1->AfterInsert = [this](TDataSet*) {
        ClaveAlta = CampoClave && CampoClave->Field() ? CampoClave->Field()->AsString() : QString();
    };
}

TMaestroFicha::~TMaestroFicha() {
    // The key edit's text goes when the form lets go of the data: its
    // handlers must not reach this part of the form any more.
    if (CampoClave) {
        CampoClave->OnChange = nullptr;
        CampoClave->OnExit = nullptr;
    }
}

void TMaestroFicha::FormCreate(QObject* Sender) {
    if (CampoClave) {
        CampoClave->OnChange = [this](QObject* s) { CampoClaveChange(s); };
        CampoClave->OnExit = [this](QObject* s) { CampoClaveExit(s); };
    }
    TFormularioMaestro::FormCreate(Sender);
    CampoClaveModificado = false;
    for (QObject* o : Components()) {
        auto* rejilla = qobject_cast<TDBGrid*>(o);
        if (!rejilla) continue;
        auto propio = rejilla->OnKeyDown;
        rejilla->OnKeyDown = [this, rejilla, propio](QObject* s, int& Key, TShiftState Shift) {
            if (propio) propio(s, Key, Shift);
            TDataSource* fuente = rejilla->DataSource();
            if (Key != 0 && fuente && fuente->DataSet() != Table1)
                TeclaEliminarLinea(fuente->DataSet(), Key, Shift);
        };
    }
}

bool TMaestroFicha::Editando() const {
    for (QObject* o : Components())
        if (auto* d = qobject_cast<TDataSet*>(o))
            if (EstadoEdicion(d->State())) return true;
    return false;
}

void TMaestroFicha::DataSource1StateChange(QObject*) {
    HabilitarModoEdicion(Editando());
    if (!CampoClave) return;
    const bool alta = Table1->State() == dsInsert;
    CampoClave->setEnabled(alta);
    CampoClave->setColor(alta ? clWindow : clBtnFace);
}

void TMaestroFicha::IniciarAlta() {
    Table1->Insert();
    if (!CampoClave) return;
    CampoClave->SetFocus();
    // A code proposed is selected: what is typed replaces it.
    CampoClave->selectAll();
}

void TMaestroFicha::CampoClaveChange(QObject*) {
    CampoClaveModificado = Table1->State() == dsEdit;
}

void TMaestroFicha::CampoClaveExit(QObject*) {
    if (!CampoClave) return;
    const QString texto = CampoClave->Text().trimmed();
    if (texto.isEmpty()) {
        Table1->Cancel();
        Abort();
    }
    TField* campo = CampoClave->Field();
    if (campo && (campo->DataType() == ftSmallint || campo->DataType() == ftInteger)) {
        const bool corto = campo->DataType() == ftSmallint;
        bool ok = false;
        const qlonglong valor = texto.toLongLong(&ok);
        if (!ok || valor < 1 || valor > (corto ? 9999 : 99999999)) {
            MensajeAdvertencia(
                Texto(corto ? textosmaestro::kRango9999 : textosmaestro::kRango99999999));
            CampoClave->SetFocus();
            Abort();
        }
    }
    if (SeparadorEnClaveCompuesta(ModuloDatos, Table1, campo, texto)) {
        CampoClave->SetFocus();
        Abort();
    }
    const TDataSetState estado = Table1->State();
    if (estado == dsInsert && !ConservarClaveAlta(texto)) {
        CampoClave->SetFocus();
        Abort();
    }
    if ((estado == dsEdit && CampoClaveModificado) || estado == dsInsert) {
        // A duplicate is only warned about here; the post refuses it.
        if (ExisteClave(ModuloDatos, Table1, CadenaClave(texto))) {
            MensajeAdvertencia(Texto(textosmaestro::kYaExisteRegistro));
            if (estado == dsInsert) CampoClave->SetFocus();
        }
        CampoClave->setText(texto);
    }
    if (estado == dsInsert) ClaveAlta = texto;
}

bool TMaestroFicha::ConservarClaveAlta(const QString& Texto) {
    if (Table1->State() != dsInsert || !CampoClave || LineasPendientes().isEmpty()) return true;
    TField* campo = CampoClave->Field();
    // Numbers compare by value: "05" is the key 5.
    auto normal = [campo](const QString& t) {
        bool ok = false;
        const qlonglong n = t.trimmed().toLongLong(&ok);
        return campo && IsIntegerType(campo->DataType()) && ok ? QString::number(n) : t.trimmed();
    };
    if (normal(Texto) == normal(ClaveAlta)) return true;
    MensajeAdvertencia(TextoClaveConLineas.arg(ClaveAlta));
    CampoClave->setText(ClaveAlta);
    if (campo) campo->setAsString(ClaveAlta);
    return false;
}

bool TMaestroFicha::LineasConClaveDelRegistro() {
    if (!CampoClave || ConservarClaveAlta(CampoClave->Text())) return true;
    CampoClave->SetFocus();
    return false;
}
