#include "rrhh/rrqrlist.h"

#include <QCoreApplication>
#include <QImage>
#include <QVariant>
#include <algorithm>
#include <optional>

#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/data/genegrup.h"
#include "gene/data/geneinfo.h"
#include "gene/data/genemodu.h"
#include "gene/data/generest.h"
#include "gene/data/genesali.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/listings/geneprev.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "nomina/nomimodu.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"
#include "ui/controls.h"

TInformeListado::TInformeListado(QWidget* owner, const QString& nombre) : TForm(owner) {
    setObjectName(nombre);
    const TMarcoInforme marco = CrearMarcoInforme(this, 70, QStringLiteral("TituloInforme"), 18);
    QuickReport = marco.Informe;
    PageHeader = marco.Cabecera;
    TituloLogotipoEmpresa = marco.Logotipo;
    TituloNombreEmpresa = marco.Empresa;
    TituloInforme = marco.Titulo;

    PageFooter = new TQRBand(this, QuickReport, rbPageFooter);
    PageFooter->setObjectName(QStringLiteral("PageFooter"));
    PageFooter->setHeight(22);
    FechaImpresion = new TQRSysData(this, PageFooter);
    FechaImpresion->setObjectName(QStringLiteral("FechaImpresion"));
    FechaImpresion->setData(qrsDateTime);
    FechaImpresion->setText(QStringLiteral("Impreso el "));
    FechaImpresion->SetBounds(0, 4, 250, 17);
    PageNumber = new TQRSysData(this, PageFooter);
    PageNumber->setObjectName(QStringLiteral("PageNumber"));
    PageNumber->setData(qrsPageNumber);
    PageNumber->setText(QStringLiteral("Página "));
    PageNumber->SetBounds(600, 4, 120, 17);

    Temporal = new TTable(this);
    Temporal->setObjectName(QStringLiteral("Temporal"));
    DSTemporal = new TDataSource(this);
    DSTemporal->setObjectName(QStringLiteral("DSTemporal"));
    DSTemporal->setDataSet(Temporal);
    QuickReport->setDataSet(Temporal);

    QuickReport->BeforePrint = [this](QObject*, bool& imprimir) {
        QuickReportBeforePrint(imprimir);
    };
    QuickReport->OnPreview = [this](QObject*) { QuickReportPreview(); };
}

TInformeListado::~TInformeListado() {
    // The temporary table lives exactly as long as its report form.
    try {
        Temporal->Close();
        if (!nombreTemporal_.isEmpty() && Temporal->Exists()) Temporal->DeleteTable();
    } catch (...) {
    }
}

void TInformeListado::Preparar(TForm* Dialogo, const QString& Definicion, bool Forzar) {
    AbrirTablasFormulario(fGENEINIC, this);
    if (Forzar) ListarRestriccionesForzado = true;
    QuickReport->PrinterSettings.OutputBin = 0;
    ConfigurarBotonesMoneda(fGENEINIC, this, QStringLiteral("Asignar"));
    ListadoCancelado = false;

    const bool restricciones =
        ParametroGeneral(ModuloDatos, QStringLiteral("ListarRestricciones")) ==
            QLatin1String("SI") ||
        ListarRestriccionesForzado;
    if (restricciones && !PageHeader->BeforePrint &&
        !(Dialogo && Dialogo->objectName() == QLatin1String("fGENECPRO")))
        prepararRestricciones(Dialogo);

    try {
        const int margen =
            ParametroGeneral(ModuloDatos, QStringLiteral("MargenIzquierdoImpresora")).toInt();
        if (margen != 0) QuickReport->Page.LeftMargin = margen;
    } catch (...) {
    }
    aplicarEstilo();
    aplicarCompresion();
    describirGrupos();
    // The listing's columns exist by now: the fields hidden from the user
    // never print, their titles and totals neither.
    OcultarCamposNoVisibles(fGENEINIC, this);

    CrearTablaEstructura(fGENEINIC, Temporal, Definicion, -1);
    nombreTemporal_ = Temporal->TableName();
}

QString ResumenSeleccion(TForm* Dialogo) {
    if (!Dialogo) return QString();
    QString texto;
    for (QWidget* w : Dialogo->findChildren<QWidget*>()) {
        if (w->objectName() == QLatin1String("VisualizacionPrevia")) continue;
        if (auto* e = qobject_cast<TEdit*>(w)) {
            if (e->isEnabled())
                texto += PalabrasLegibles(e->objectName()) + QStringLiteral(": ") + e->Text() +
                         QStringLiteral(", ");
        } else if (auto* c = qobject_cast<TCheckBox*>(w)) {
            if (c->isChecked() && c->isEnabled()) texto += c->Caption() + QStringLiteral(", ");
        } else if (auto* r = qobject_cast<TRadioButton*>(w)) {
            if (r->isChecked() && r->isEnabled()) texto += r->Caption() + QStringLiteral(", ");
        } else if (auto* cb = qobject_cast<TComboBox*>(w)) {
            if (cb->isEnabled())
                texto += PalabrasLegibles(cb->objectName()) + QStringLiteral(": ") +
                         cb->currentText() + QStringLiteral(", ");
        }
    }
    if (Dialogo->findChild<QObject*>(QStringLiteral("pbRangoGruposAnalisis")))
        texto += TextoDesdeHasta(RangosGruposAnalisisListado);
    texto.remove(QStringLiteral("\r\n"));
    texto.remove(QStringLiteral("Edit"));
    return texto;
}

QString DescribirGruposResumen(const QString& Resumen) {
    // Item by item, so that a code replaces only a whole value: "1" as a
    // group code must not turn the "1" inside "2019" into a description.
    QStringList partes = Resumen.split(QStringLiteral(", "));
    QString anterior;
    for (QString& parte : partes) {
        const int dos = parte.indexOf(QLatin1Char(':'));
        if (dos < 0) continue;
        const QString codigo = parte.mid(dos + 1).trimmed();
        if (codigo.isEmpty() || codigo == anterior) continue;
        anterior = codigo;
        QVariant datos;
        BuscarDatosClave(ModuloDatos, QStringLiteral("GRANALIS"), CadenaClave(codigo), datos,
                         QStringLiteral("Descripcion"));
        const QString descripcion = TextoVariante(datos);
        if (datos.isNull() || !datos.isValid()) continue;
        parte = parte.left(dos + 1) + QLatin1Char(' ') + codigo + QLatin1Char('-') + descripcion;
    }
    return partes.join(QStringLiteral(", "));
}

void TInformeListado::prepararRestricciones(TForm* dialogo) {
    // Below the logo and below the report's title, whose 12 bold points reach
    // further down than the logo.
    const int arriba =
        std::max(TituloLogotipoEmpresa->Height(), TituloInforme->Top() + TituloInforme->Height());
    TQRMemo* memo = CrearBloqueRestricciones(this, PageHeader, arriba + 2);
    RestriccionesListado.ControlesDialogo.clear();
    if (dialogo)
        for (QWidget* w : dialogo->findChildren<QWidget*>())
            RestriccionesListado.ControlesDialogo.append(w);
    memo->setText(ResumenSeleccion(dialogo));
}

void TInformeListado::describirGrupos() {
    if (auto* memo = RestriccionesListado.Memo.data(); memo && memo->parent() == this)
        if (auto* m = qobject_cast<TQRMemo*>(memo)) m->setText(DescribirGruposResumen(m->Text()));
}

void TInformeListado::aplicarEstilo() {
    AplicarEstiloInforme(this);
}

void TInformeListado::aplicarCompresion() {
    const TCompresionListado compresion = CompresionListados(ModuloDatos);
    if (!compresion.Aplica) return;
    for (QObject* o : Components()) {
        if (auto* b = qobject_cast<TQRCustomBand*>(o)) {
            QFont f = b->Font();
            f.setPointSize(std::max(1, int(f.pointSize() * compresion.Letra)));
            b->setFont(f);
            continue;
        }
        auto* p = qobject_cast<TQRPrintable*>(o);
        if (!p) continue;
        const bool texto = qobject_cast<TQRCustomLabel*>(o) && !qobject_cast<TQRDBCalc*>(o);
        const bool forma = qobject_cast<TQRShape*>(o) || qobject_cast<TQRImage*>(o);
        if (texto || forma) ComprimirControl(p, compresion, 4, texto);
    }
}

void TInformeListado::QuickReportBeforePrint(bool& PrintReport) {
    CargarEmpresaInforme(TituloNombreEmpresa, TituloLogotipoEmpresa);
    QuickReport->setReportTitle(TituloListado());
    RestriccionesListado.PrimeraPagina = true;
    if (TablaControl() && DataSetVacio(ModuloDatos, TablaControl())) {
        MensajeInformacion(QStringLiteral("No existen datos para listar"));
        PrintReport = false;
        return;
    }
    ListadoCancelado = false;
    // A print from the preview runs the fill again: it starts from empty.
    if (Temporal->Active() && !DataSetVacio(ModuloDatos, Temporal)) Temporal->EmptyTable();
    const bool completo = RellenoCompleto([this] { RellenarTemporal(); });
    if (!completo && (Temporal->State() == dsInsert || Temporal->State() == dsEdit))
        Temporal->Cancel();
    if (!completo || ListadoCancelado) {
        PrintReport = false;
        return;
    }
    TraducirFormulario(fGENEINIC, this, QString());
    Temporal->First();
}

bool RellenoCompleto(const std::function<void()>& Paso) {
    QString motivo;
    try {
        Paso();
        return true;
    } catch (const EListadoInterrumpido& e) {
        motivo = e.Motivo;
    } catch (const EDatabaseError& e) {
        // A read that lost the connection leaves the listing as partial as a
        // lost write; other engine errors go on to the program's handler.
        if (e.code() != DbError::ConnectionLost) throw;
        motivo = MotivoError(e);
    }
    MensajeAdvertencia(QStringLiteral("¡ No se ha podido realizar el listado !. Motivo: ") +
                       motivo);
    return false;
}

void TInformeListado::QuickReportPreview() {
    PrevisualizarInforme(QuickReport);
}

void TInformeListado::ImprimirFecha(QObject* Sender, QString& Valor) {
    auto* control = qobject_cast<TQRDBText*>(Sender);
    if (!control) return;
    TField* campo = Temporal->FindField(control->DataField());
    if (!campo || campo->IsNull() || campo->AsFloat() <= 0) Valor.clear();
}

bool TInformeListado::OperarioSeleccionado(int CodigoOperario, bool Activos, bool NoActivos,
                                           const QString& Rangos) {
    if (!Activos && !NoActivos) return false;
    // With both kinds asked for, the contract in force changes nothing: the
    // query is spared (once per employee on listings of thousands).
    if (!(Activos && NoActivos)) {
        const bool vigor = MDNominas && MDNominas->ContratoEnVigor(CodigoOperario);
        if (vigor != Activos) return false;
    }
    return FiltroGruposAnalisis(ModuloDatos, QStringLiteral("PERSONAL"),
                                QString::number(CodigoOperario), QString(), Rangos);
}

void TInformeListado::RellenarHistorial(TTable* Personal, TTable* Historial,
                                        const QString& CampoCodigo,
                                        const TSeleccionOperarios& Seleccion, const QString& Desde,
                                        const QString& Hasta, const QDateTime& DesdeFecha,
                                        const QDateTime& HastaFecha, bool Recientes,
                                        const std::function<void(bool MasReciente)>& Completar) {
    const QString personal = QStringLiteral("PERSONAL");
    Personal->setIndexName(QString());
    Personal->CancelRange();
    Personal->SetRange({Seleccion.DesdeOperario}, {Seleccion.HastaOperario});
    Historial->setIndexName(QString());
    TField* eCodigo = Personal->FieldByName(QStringLiteral("CodigoOperario"));
    TField* eNombre = Personal->FieldByName(QStringLiteral("Nombre"));
    TField* hCodigo = Historial->FieldByName(CampoCodigo);
    TField* hDescripcion = Historial->FieldByName(QStringLiteral("Descripcion"));
    TField* hInicio = Historial->FieldByName(QStringLiteral("FechaInicio"));
    TField* tCodigo = Temporal->FieldByName(QStringLiteral("CodigoOperario"));
    TField* tNombre = Temporal->FieldByName(QStringLiteral("Nombre"));
    TField* tHistorial = Temporal->FieldByName(CampoCodigo);
    TField* tDescripcion = Temporal->FieldByName(QStringLiteral("Descripcion"));
    TField* tInicio = Temporal->FieldByName(QStringLiteral("FechaInicio"));
    const auto primera = [&] { Recientes ? Historial->Last() : Historial->First(); };
    const auto fin = [&] { return Recientes ? Historial->Bof() : Historial->Eof(); };
    const auto siguiente = [&] { Recientes ? Historial->Prior() : Historial->Next(); };

    TRellenoListado relleno(Temporal, QStringLiteral("Listado de Operarios"));
    for (Personal->First(); !Personal->Eof(); Personal->Next()) {
        const int codigo = eCodigo->AsInteger();
        if (!relleno.Seguir(QStringLiteral("Operario: ") + QString::number(codigo))) break;
        if (!OperarioSeleccionado(codigo, Seleccion.Activos, Seleccion.NoActivos,
                                  Seleccion.RangosGruposAnalisis))
            continue;
        Historial->SetRange({personal, codigo}, {personal, codigo});
        bool masReciente = true;
        for (primera(); !fin(); siguiente(), masReciente = false) {
            const QString codigoHistorial = hCodigo->AsString();
            if (QString::compare(codigoHistorial, Desde) < 0 ||
                QString::compare(codigoHistorial, Hasta) > 0)
                continue;
            if (hInicio->IsNull()) continue;
            const QDateTime inicio = hInicio->AsDateTime();
            if (inicio < DesdeFecha || inicio > HastaFecha) continue;
            relleno.Anadir();
            tCodigo->setAsInteger(codigo);
            tNombre->setAsString(eNombre->AsString());
            // A line with no code is listed under an empty text (never NULL,
            // which the key refuses on one engine and lets repeat on the other).
            tHistorial->setAsString(codigoHistorial.isEmpty() ? QStringLiteral("")
                                                              : codigoHistorial);
            tDescripcion->setAsString(hDescripcion->AsString());
            tInicio->setAsDateTime(inicio);
            Completar(masReciente);
            relleno.Grabar();
        }
    }
    Historial->CancelRange();
    Personal->CancelRange();
}

TQRLabel* TInformeListado::Titulo(const QString& nombre, const QString& caption, int left,
                                  int width) {
    auto* l = new TQRLabel(this, PageHeader);
    l->setObjectName(nombre);
    l->setCaption(caption);
    l->SetBounds(left, PageHeader->Height() - 18, width, 17);
    QFont f = l->Font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

void TInformeListado::Columna(TQRCustomBand* banda, const QString& nombre, const QString& campo,
                              int left, int width, bool fecha) {
    auto* t = new TQRDBText(this, banda);
    t->setObjectName(nombre);
    t->setDataSet(Temporal);
    t->setDataField(campo);
    t->SetBounds(left, 1, width, 15);
    t->setWordWrap(false);
    if (fecha) t->OnPrint = [this](QObject* s, QString& v) { ImprimirFecha(s, v); };
}

TQRBand* TInformeListado::DetalleColumnas(const QList<TColumnaListado>& Columnas) {
    auto* detalle = new TQRBand(this, QuickReport, rbDetail);
    detalle->setObjectName(QStringLiteral("Detail"));
    detalle->setHeight(17);
    detalle->setFont(MakeFont(QStringLiteral("Arial"), 8));
    int left = 0, n = 1;
    for (const TColumnaListado& c : Columnas) {
        // The captions at the detail's size, so that each stays over its column.
        TQRLabel* titulo = Titulo(QStringLiteral("QRLabel%1").arg(n++), QString::fromUtf8(c.Titulo),
                                  left, c.Ancho);
        QFont letra = titulo->Font();
        letra.setPointSize(8);
        titulo->setFont(letra);
        Columna(detalle, QLatin1String(c.Control), QLatin1String(c.Campo), left, c.Ancho - 4,
                c.Fecha);
        left += c.Ancho;
    }
    return detalle;
}

TTable* TInformeListado::TablaFuente(const QString& Nombre, const QString& Tabla) {
    auto* t = new TTable(this);
    t->setObjectName(Nombre);
    t->setTableName(Tabla);
    return t;
}

EListadoInterrumpido::EListadoInterrumpido(const QString& Motivo)
    : Motivo(Motivo), utf8_(Motivo.toStdString()) {}

const char* EListadoInterrumpido::what() const noexcept {
    return utf8_.c_str();
}

TRellenoListado::TRellenoListado(TTable* Temporal, const QString& Progreso)
    : temporal_(Temporal),
      progreso_(!Progreso.isEmpty()),
      excepciones_(std::uncaught_exceptions()) {
    if (progreso_) MostrarVentanaProgreso(QStringLiteral("ON"), Progreso, QString());
}

TRellenoListado::~TRellenoListado() noexcept(false) {
    if (progreso_) MostrarVentanaProgreso(QStringLiteral("OFF"), QString(), QString());
    // Unwinding: the open batch is rolled back (the guard does it quietly).
    if (std::uncaught_exceptions() > excepciones_) return;
    cerrarLote();
}

void TRellenoListado::cerrarLote() {
    if (!lote_) return;
    const std::unique_ptr<TGuardaTransaccion> lote = std::move(lote_);
    TDatabase* base = temporal_->Database();
    if (!lote->Propia() || !base->InTransaction()) return;
    // Committed here, not through the session's confirmation, whose own
    // warning would be a second box for one failure.
    std::optional<QString> motivo;
    try {
        base->Commit();
    } catch (const EDatabaseError& e) {
        motivo = MotivoError(e);
    }
    // No transaction is left either way: the session's flags are cleared.
    CancelarTransaccion(fGENEINIC, base);
    if (motivo) throw EListadoInterrumpido(*motivo);
}

void TRellenoListado::detener(const QString& Motivo) {
    lote_.reset();  // the batch rolled back, quietly
    throw EListadoInterrumpido(Motivo);
}

bool TRellenoListado::Seguir(const QString& Texto) {
    constexpr int kLote = 128;
    // Messages go through at the first record and then every so often, not
    // after every batch: each batch's commit leaves the file's checkpoint to
    // the event loop, and letting it run after every batch synced the files
    // eighty times in a fill of 10,000 rows.
    constexpr qint64 kMensajesMs = 100;
    if (leidos_++ % kLote == 0) {
        cerrarLote();
        if (!mensajes_.isValid() || mensajes_.hasExpired(kMensajesMs)) {
            // The window shows the record at which messages are let through:
            // a text set on every record costs as much as the rest of the fill.
            if (progreso_ && !Texto.isEmpty()) MostrarVentanaProgreso(QString(), QString(), Texto);
            QCoreApplication::processEvents();
            mensajes_.start();
        }
    }
    return !ListadoCancelado;
}

void TRellenoListado::AbrirLote() {
    if (!lote_) lote_ = std::make_unique<TGuardaTransaccion>(fGENEINIC, temporal_->Database());
}

void TRellenoListado::Anadir() {
    AbrirLote();
    temporal_->Append();
}

void TRellenoListado::comprobar(const EDatabaseError& Error) {
    // Refused for what the row holds: the others go on.
    if (Error.code() == DbError::KeyViolation || Error.code() == DbError::FieldRequired) return;
    detener(MotivoError(Error));
}

bool TRellenoListado::Grabar(const std::function<void()>& Escritura) {
    try {
        Escritura();
        return true;
    } catch (const EDatabaseError& e) {
        comprobar(e);
        return false;
    }
}

bool TRellenoListado::Grabar() {
    try {
        temporal_->Post();
        return true;
    } catch (const EDatabaseError& e) {
        temporal_->Cancel();
        comprobar(e);
        return false;
    } catch (...) {
        temporal_->Cancel();
        return false;
    }
}
