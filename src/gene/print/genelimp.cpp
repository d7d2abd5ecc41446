#include "gene/print/genelimp.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPicture>
#include <QPrinter>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <QApplication>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genemodu.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/mensajes.h"
#include "gene/print/genelimp_p.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "io/outputfile.h"
#include "io/printqueue.h"
#include "ui/controls.h"
#include "ui/registry.h"

QString NombreLlamadorImpreso;
bool PrevisualizarImpreso = false;
QString CodigoImpreso;
bool OmitirDialogoImpresora = false;
TSumaImpreso SumasImpreso[MaximoSumasImpreso];
TfGENELIMP* fGENELIMP = nullptr;

namespace {
TSeamImpreso seamImpreso;

TSpeedButton* boton(QWidget* padre, const char* nombre, const QString& texto,
                    const QString& ayuda) {
    auto* b = new TSpeedButton(padre);
    b->setObjectName(QLatin1String(nombre));
    b->setText(texto);
    b->setToolTip(ayuda);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}
}  // namespace

void AsignarSeamImpreso(TSeamImpreso seam) {
    seamImpreso = std::move(seam);
}

QString DestinoSeamImpreso(const QString& Impresora) {
    return seamImpreso ? seamImpreso(Impresora) : QString();
}

TfGENELIMP::TfGENELIMP(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENELIMP"));
    setKeyPreview(true);
    setWindowState(wsMaximized);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    auto* barra = new TPanel(this);
    barra->setObjectName(QStringLiteral("PanelBotones"));
    auto* botones = new QHBoxLayout(barra);
    botones->setContentsMargins(4, 2, 4, 2);
    auto* etiquetaPagina = new QLabel(QStringLiteral("Página"), barra);
    SpinEditPagina = new TSpinEdit(barra);
    SpinEditPagina->setObjectName(QStringLiteral("SpinEditPagina"));
    SpinEditPagina->setRange(0, 99999);
    pbPrimeraPagina = boton(barra, "pbPrimeraPagina", QStringLiteral("|<"),
                            QStringLiteral("Ir a la primera página"));
    pbUltimaPagina = boton(barra, "pbUltimaPagina", QStringLiteral(">|"),
                           QStringLiteral("Ir a la última página"));
    auto* etiquetaZoom = new QLabel(QStringLiteral("Zoom"), barra);
    SpinEditZoom = new TSpinEdit(barra);
    SpinEditZoom->setObjectName(QStringLiteral("SpinEditZoom"));
    SpinEditZoom->setRange(10, 300);
    SpinEditZoom->setSingleStep(10);
    SpinEditZoom->setValue(100);
    pbZoomToFit = boton(barra, "pbZoomToFit", QStringLiteral("Página"),
                        QStringLiteral("Visualizar la página completa"));
    pbZoomTo100 = boton(barra, "pbZoomTo100", QStringLiteral("100%"),
                        QStringLiteral("Visualizar con Zoom=100%"));
    pbZoomToWidth = boton(barra, "pbZoomToWidth", QStringLiteral("Ancho"),
                          QStringLiteral("Visualizar el ancho de página completo"));
    pbImprimir =
        boton(barra, "pbImprimir", QStringLiteral("Imprimir"), QStringLiteral("Imprimir todo"));
    pbImprimirPagina =
        boton(barra, "pbImprimirPagina", QStringLiteral("Documento"),
              QStringLiteral("Imprimir solo el Documento Asociado a la página actual"));
    pbExportarAExcel = boton(barra, "pbExportarAExcel", QStringLiteral("Exportar"),
                             QStringLiteral("Exportar los registros base de este impreso a Excel"));
    pbExportarAPDF = boton(barra, "pbExportarAPDF", QStringLiteral("PDF"),
                           QStringLiteral("Exportar los datos del informe a formato PDF"));
    pbAyuda = boton(barra, "pbAyuda", QStringLiteral("?"), QStringLiteral("Acceso a la ayuda"));
    pbSalir = new TButton(barra);
    pbSalir->setObjectName(QStringLiteral("pbSalir"));
    pbSalir->setText(QStringLiteral("&Salir"));
    pbSalir->setDefault(true);
    for (QWidget* w : std::initializer_list<QWidget*>{
             etiquetaPagina, SpinEditPagina, pbPrimeraPagina, pbUltimaPagina, etiquetaZoom,
             SpinEditZoom, pbZoomToFit, pbZoomTo100, pbZoomToWidth, pbImprimir, pbImprimirPagina,
             pbExportarAExcel, pbExportarAPDF, pbAyuda})
        botones->addWidget(w);
    botones->addStretch(1);
    botones->addWidget(pbSalir);
    botones->addSpacing(16);  // the exit button stands 16 pixels from the right edge
    raiz->addWidget(barra);
    ScrollBox1 = new TScrollBox(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    ScrollBox1->setWidget(Image1);
    // The page keeps the size the zoom gives it: stretched to the box's
    // width, its text would not have the proportions it has on paper.
    ScrollBox1->setWidgetResizable(false);
    raiz->addWidget(ScrollBox1, 1);

    Temporal = new TTable(this);
    Temporal->setObjectName(QStringLiteral("Temporal"));
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Temporal);
    LTemporal = new TTable(this);
    LTemporal->setObjectName(QStringLiteral("LTemporal"));
    LTemporal->setMasterSource(DataSource1);
    Impreso = new TTable(this);
    Impreso->setObjectName(QStringLiteral("Impreso"));
    Impreso->setTableName(QStringLiteral("IMPRESO"));

    ConectarVista();
    ListadoCancelado = false;
    if (fGENEINIC) AbrirTablasFormulario(fGENEINIC, this);
    if (LocalizarImpreso(CodigoImpreso)) {
        const QString modo = CampoImpreso("Modo");
        if (modo == QLatin1String("ASCII") || modo == QLatin1String("MSWord"))
            PrevisualizarImpreso = false;
    }
    if (!OmitirDialogoImpresora)
        OmitirDialogoImpresora =
            ParametroGeneral(ModuloDatos, QStringLiteral("SolicitarDialogoImpresora")) ==
            QLatin1String("NO");
}

TfGENELIMP::~TfGENELIMP() {
    // The work tables live exactly as long as the engine.
    for (TTable* t : {Temporal, LTemporal}) {
        try {
            t->Close();
            if (!t->TableName().isEmpty() && t->Exists()) t->DeleteTable();
        } catch (...) {
        }
    }
    OmitirDialogoImpresora = false;
    if (fGENELIMP == this) fGENELIMP = nullptr;
}

bool TfGENELIMP::FlujoTextoCrudo() const {
    return ModoTexto && Dispositivo == Impresora && !DestinoPDF() && !TextoAArchivo;
}

bool TfGENELIMP::DestinoPDF() const {
    return DestinoImpreso.startsWith(QLatin1String("PDF:"));
}

QString TfGENELIMP::CarpetaTrabajo() {
    if (!carpeta_) carpeta_ = std::make_unique<QTemporaryDir>();
    return carpeta_->path();
}

// ---- The job.

void TfGENELIMP::EjecutarImpreso() {
    if (ListadoCancelado) return;
    if (!PrevisualizarImpreso && LocalizarImpreso(CodigoImpreso) &&
        ValorLineaPrograma(QStringLiteral("DocumentosAdjuntos")) == QLatin1String("Auto")) {
        ImprimirConAdjuntos();
        return;
    }
    PrimeraEtiqueta = 1;
    PartesPDF.clear();
    const bool pdf = DestinoPDF();
    Dispositivo = pdf || PrevisualizarImpreso ? Pantalla : Impresora;
    VistaPrevia = PrevisualizarImpreso && !pdf;
    VistaCerrada = false;
    GenerarImpreso();
    if (!pdf) {
        if (VistaPrevia) {
            // A generation stopped by Esc leaves the pages made to look at.
            if (!Paginas.empty() && !VistaCerrada) EsperarVistaPrevia();
            VistaPrevia = false;
            LiberarPaginas();
        }
        return;
    }
    if (ValorLineaPrograma(QStringLiteral("DocumentosAdjuntos")) == QLatin1String("Auto")) {
        ImprimirConAdjuntos();
    } else {
        if (CampoImpreso("Modo") != QLatin1String("MSWord") && !Paginas.empty()) {
            const QString parte = CarpetaTrabajo() + QStringLiteral("/QEVPDFCreatorTempDoc.pdf");
            const QString error = EscribirPaginasPDF(parte);
            if (error.isEmpty())
                PartesPDF.append(parte);
            else
                AvisoErrorPDF(error);
        }
        LiberarPaginas();
        ImprimirDocumentosAdjuntos();
    }
    UnirPartesPDF();
}

void TfGENELIMP::LiberarPaginas() {
    TerminarPdfDirecto();
    if (!archivoDirecto_.isEmpty()) QFile::remove(archivoDirecto_);
    archivoDirecto_.clear();
    errorDirecto_.clear();
    pintor_.reset();
    paginaEnCurso_.reset();
    Lienzo = nullptr;
    Paginas.clear();
    ClavesPaginas.clear();
    DescripcionesPaginas.clear();
    PapelesPaginas.clear();
}

namespace {
QString codigoFila(TTable* Temporal) {
    TField* f = Temporal->Active() ? Temporal->FindField(QStringLiteral("CodigoImpreso")) : nullptr;
    if (!f || Temporal->IsEmpty()) return QString();
    const QString c = f->AsString().trimmed();
    return c == QLatin1String("Por Defecto") ? QString() : c;
}
}  // namespace

void TfGENELIMP::GenerarImpreso() {
    ImpresoraEnUso = QStringLiteral("Ninguna");
    try {
        if (Temporal->Active()) Temporal->First();
    } catch (...) {
    }
    QString codigo = CodigoImpreso;
    if (!codigoFila(Temporal).isEmpty()) codigo = codigoFila(Temporal);
    if (codigo.trimmed().isEmpty()) {
        MensajeAdvertencia(QStringLiteral("¡El formato del Impreso no está definido!"));
        return;
    }
    if (!LocalizarImpreso(codigo)) {
        MensajeAdvertencia(QStringLiteral("¡No existe el formato del Impreso!"));
        return;
    }
    const QString modo = CampoImpreso("Modo");
    if (modo == QLatin1String("ASCII")) {
        ImprimirASCII();
        return;
    }
    if (modo == QLatin1String("MSWord")) {
        ImprimirMSWord();
        return;
    }
    QString impresora = DestinoImpreso;
    if (impresora.isEmpty()) impresora = CampoImpreso("ImpresoraPorDefecto");
    FormatoPagina(codigo);
    formatoAnterior_ = codigo;
    PosicionCancelada = false;
    PaginasAgotadas = false;
    primeraHoja_ = true;
    SepararSecciones();
    if (PosicionCancelada) return;

    const bool pdf = DestinoPDF();
    if (pdf) {
        AnchoPixels = qRound(150 * AnchoPapel / 25.4);
        AltoPixels = qRound(150 * AltoPapel / 25.4);
    } else {
        AnchoPixels = qRound(AnchoPapel * 3.8095238);
        AltoPixels = qRound(AltoPapel / AnchoPapel * AnchoPixels);
    }
    if (Dispositivo == Impresora && !pdf) {
        if (!prepararImpresora(impresora)) return;
    }
    if (Dispositivo == Pantalla && VistaPrevia) DibujarRegla();

    TCursorEspera espera;
    Generando = true;
    ActualizarBotonesVista();
    EnLineas = EnPie = false;
    try {
        RefrescarDataSet(ModuloDatos, Temporal, QString());
        Temporal->First();
    } catch (...) {
    }
    if (pdf) LiberarPaginas();  // a part file holds one generation's pages
    ContadorPaginas = 0;
    CopiasPendientes = 0;
    NumeroCopia = 1;
    FuenteActual = FuenteImpreso(QStringLiteral("Arial"));
    FuenteActual.setPixelSize(TamanoPixels(10));
    ColorFuente = Qt::black;

    while (Temporal->Active() && !Temporal->Eof()) {
        QCoreApplication::processEvents();
        if (ListadoCancelado || PaginasAgotadas) break;
        if (SoloDocumentoActual) {
            QString clave;
            ClaveRegistro(ModuloDatos, Temporal, clave);
            if (clave != ClaveDocumentoActual) {
                Temporal->Next();
                continue;
            }
        }
        QString codigoDocumento = codigoFila(Temporal);
        if (codigoDocumento.isEmpty() || !LocalizarImpreso(codigoDocumento))
            codigoDocumento = CodigoImpreso;
        if (codigoDocumento != formatoAnterior_) {
            FormatoPagina(codigoDocumento);
            SepararSecciones();
            formatoAnterior_ = codigoDocumento;
        }
        generarDocumento();
        // The shown page's document is printed alone: no sheet after its copies.
        if (Dispositivo == Impresora && !pdf &&
            (CopiasPendientes > 0 || (!SoloDocumentoActual && !Temporal->Eof())))
            NuevaPagina();
        if (Dispositivo == Pantalla && VistaPrevia && ContadorPaginas >= 26 &&
            !preguntaPaginasHecha_) {
            preguntaPaginasHecha_ = true;
            const QString respuesta = MensajeConfirmacion(
                QStringLiteral("¡El número de páginas del informe es mayor que ") +
                QString::number(25) +
                QStringLiteral("!. Superar este número puede ocasionarle un bloqueo del sistema ") +
                QStringLiteral("en caso de no disponer de recursos suficientes. ") +
                QStringLiteral("¿Desea continuar?"));
            if (respuesta == QLatin1String("NO")) break;
        }
    }
    CerrarPagina();
    TerminarPdfDirecto();
    Generando = false;
    if (ContadorPaginas == 0 && Paginas.empty())
        MensajeInformacion(QStringLiteral("¡No hay datos para procesar!"));
    if (Dispositivo == Impresora && !pdf) terminarImpresora();
    ActualizarBotonesVista();
    Q_EMIT FinGeneracion();
}

void TfGENELIMP::avanzarEtiqueta() {
    ++Etiqueta;
    if (Dispositivo == Impresora && !DestinoPDF()) {
        if (Etiqueta > EtiquetasPorPagina) {
            ++ContadorPaginas;
            Etiqueta = primeraHoja_ ? PrimeraEtiqueta : 1;
            primeraHoja_ = false;
        }
    } else {
        NuevaPagina();
    }
}

void TfGENELIMP::generarDocumento() {
    // The document's rate and currency shape its printed amounts.
    TField* cambio = CampoVisible(Temporal->FindField(QStringLiteral("Cambio")));
    if (cambio) CambioDocumento = cambio->AsFloat();
    if (CambioDocumento == 0) CambioDocumento = 1.0;
    TField* moneda = CampoVisible(Temporal->FindField(QStringLiteral("CodigoMoneda")));
    if (moneda) MonedaDocumento = moneda->AsInteger();
    if (MonedaDocumento == 0) MonedaDocumento = 1;
    for (TSumaImpreso& s : SumasImpreso) s.Valor = 0;
    NumeroPagina = 0;
    if (CopiasPendientes == 0) {
        int copias = 1;
        TField* n = Temporal->FindField(QStringLiteral("NumeroCopias"));
        if (n) {
            try {
                copias = n->AsInteger();
            } catch (...) {
                copias = 1;
            }
        }
        if (copias < 1 || copias > 9999) copias = 1;
        CopiasPendientes = Dispositivo == Pantalla ? 1 : copias;
        NumeroCopia = 1;
    }
    avanzarEtiqueta();
    SeccionCabecera();
    if (!Lineas.isEmpty() && LTemporal->Active()) {
        try {
            // Continuation lines of an earlier run are made again below;
            // only this engine writes them.
            if (HayLineasMemo) LTemporal->First();
            while (HayLineasMemo && !LTemporal->Eof()) {
                TField* lm = LTemporal->FindField(QStringLiteral("LineaMemo"));
                if (lm && lm->AsInteger() >= 1)
                    LTemporal->Delete();
                else
                    LTemporal->Next();
            }
            LineaActual = 1;
            // The lines linked to the document were just read when it became
            // the current one: they are read again only when a walk moved on.
            if (!LTemporal->Bof()) LTemporal->First();
            TField* inst = LTemporal->FindField(QStringLiteral("Instrucciones"));
            while (!LTemporal->Eof() && !PaginasAgotadas) {
                if (LineaActual > LineasPorPagina) {
                    SeccionPie(PieSumaYSigue);
                    SeccionPie(PiePagina);
                    if (Dispositivo == Impresora && !DestinoPDF()) NuevaPagina();
                    avanzarEtiqueta();
                    LineaActual = 1;
                    SeccionCabecera();
                }
                if (inst) {
                    try {
                        EnLineas = true;
                        EjecutarInstruccion(inst->AsString());
                    } catch (...) {
                    }
                }
                SeccionLineas(inst);
                ++LineaActual;
                LTemporal->Next();
            }
        } catch (const EAbort&) {
            throw;
        } catch (...) {
        }
    }
    SeccionPie(Pie);
    SeccionPie(PiePagina);
    --CopiasPendientes;
    ++NumeroCopia;
    if (CopiasPendientes <= 0) {
        CopiasPendientes = 0;
        Temporal->Next();
    }
}

void TfGENELIMP::SeccionCabecera() {
    ++NumeroPagina;
    EnLineas = EnPie = false;
    if (ModoTexto) {
        FuenteActual = FuenteImpreso(QStringLiteral("Courier New"));
        FuenteActual.setPixelSize(TamanoPixels(12));
    }
    EjecutarSeccion(Cabecera);
}

void TfGENELIMP::SeccionLineas(TField* inst) {
    if (!SumasImpreso[0].Campo.isEmpty() &&
        !(inst && inst->AsString() == QLatin1String("Inst=NoSumaYSigue"))) {
        for (TField* f : LTemporal->Fields())
            for (TSumaImpreso& s : SumasImpreso)
                if (!s.Campo.isEmpty() && s.Campo == f->FieldName()) {
                    if (!CampoVisible(f)) break;  // a hidden field adds nothing
                    try {
                        s.Valor += f->AsFloat();
                    } catch (...) {
                    }
                    break;
                }
    }
    EnLineas = true;
    EnPie = false;
    EjecutarSeccion(Lineas);
}

void TfGENELIMP::SeccionPie(const QStringList& Seccion) {
    if (ModoTexto && FinLineas == 9999) FilaTextoActual = 0;
    EnLineas = false;
    EnPie = true;
    EjecutarSeccion(Seccion);
}

void TfGENELIMP::NuevaPagina() {
    if (!TieneSecciones) return;
    if (Dispositivo == Impresora && !DestinoPDF()) {
        FilaTextoActual = 0;
        if (Etiqueta >= EtiquetasPorPagina) {
            if (FlujoTextoCrudo())
                FlujoTexto.append('\f');
            else if (impresora_)
                impresora_->newPage();
        }
        return;
    }
    if (Etiqueta <= EtiquetasPorPagina) return;
    CerrarPagina();
    if (int(Paginas.size()) >= MaximoPaginasImpreso) {
        PaginasAgotadas = true;
        MensajeAdvertencia(
            QStringLiteral("¡El impreso supera las 10000 páginas!. Sólo se han "
                           "generado las 10000 primeras."));
        return;
    }
    ++ContadorPaginas;
    Etiqueta = 1;
    paginaEnCurso_ = std::make_unique<QPicture>();
    if (DestinoPDF()) {
        // A "PDF:" job draws its pages straight into the part file: replaying
        // recorded text costs several times the drawing itself. The store
        // keeps an empty picture per page so that its count holds.
        if (!pdfDirecto_ || !pintorPdf_) {
            EmpezarPdfDirecto();
        } else {
            // A document that switched format gets its own paper.
            if (PapelesPaginas.empty() || PapelesPaginas.back() != QSizeF(AnchoPapel, AltoPapel))
                pdfDirecto_->setPageLayout(LayoutPapel(AnchoPapel, AltoPapel));
            pdfDirecto_->newPage();
        }
        Lienzo = pintorPdf_.get();
    } else {
        pintor_ = std::make_unique<QPainter>(paginaEnCurso_.get());
        pintor_->fillRect(QRect(0, 0, AnchoPixels, AltoPixels), Qt::white);
        Lienzo = pintor_.get();
    }
    QString clave;
    ClaveRegistro(ModuloDatos, Temporal, clave);
    ClavesPaginas.append(clave);
    DescripcionesPaginas.append(CampoImpreso("Descripcion"));
    PapelesPaginas.emplace_back(AnchoPapel, AltoPapel);
}

void TfGENELIMP::CerrarPagina() {
    if (!paginaEnCurso_) return;
    if (pintor_) pintor_->end();
    pintor_.reset();
    Lienzo = nullptr;
    paginaEnCurso_->setBoundingRect(QRect(0, 0, AnchoPixels, AltoPixels));
    Paginas.push_back(std::move(paginaEnCurso_));
    PaginaTerminada();
}

bool TfGENELIMP::prepararImpresora(const QString& Nombre) {
    impresora_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    UsarImpresoraPredeterminada = Nombre.isEmpty() || Nombre == QLatin1String("Predeterminada");
    QString elegida = UsarImpresoraPredeterminada ? QString() : Nombre;
    QString archivo;
    TextoAArchivo = false;
    const bool sinDialogo =
        TieneSecciones && (OmitirDialogoImpresora || !UsarImpresoraPredeterminada);
    if (!sinDialogo) {
        TPrintDialog* dialogo = PrintDialog1(ModuloDatos);
        if (!dialogo->Execute()) {
            impresora_.reset();
            return false;
        }
        if (TieneSecciones) Copias = qMax(1, dialogo->Copies);
        elegida = dialogo->Printer().printerName();
        // "Print to file" in the dialog: the job goes to the file chosen there,
        // as a band report's does, whether or not a printer is installed.
        if (dialogo->Printer().outputFormat() == QPrinter::PdfFormat) {
            archivo = dialogo->Printer().outputFileName();
            TextoAArchivo = ModoTexto && !archivo.isEmpty();
        }
    }
    const QString seam = DestinoSeamImpreso(elegida);
    if (archivo.isEmpty() && seam.startsWith(QLatin1String("PDF:"))) archivo = seam.mid(4);
    if (!archivo.isEmpty()) {
        impresora_->setOutputFormat(QPrinter::PdfFormat);
        impresora_->setOutputFileName(archivo);
        ImpresoraEnUso = elegida.isEmpty() ? QStringLiteral("Predeterminada") : elegida;
    } else {
        const QString nombre = seam.isEmpty() ? elegida : seam;
        if (ImpresorasInstaladas().isEmpty()) {
            MensajeAdvertencia(QStringLiteral("¡No hay ninguna impresora instalada!"));
            impresora_.reset();
            return false;
        }
        // A name no printer has prints on the default printer.
        if (!PrepararImpresora(*impresora_, nombre) && !PrepararImpresora(*impresora_, QString())) {
            MensajeAdvertencia(QStringLiteral("¡No hay ninguna impresora instalada!"));
            impresora_.reset();
            return false;
        }
        ImpresoraEnUso = impresora_->printerName();
    }
    const bool apaisado =
        CampoImpreso("Formato").section(QLatin1Char('-'), 1, 1) == QLatin1String("Apaisado");
    impresora_->setFullPage(true);
    QPageLayout papel = LayoutPapel(AnchoPapel, AltoPapel);
    if (apaisado) papel.setOrientation(QPageLayout::Landscape);
    impresora_->setPageLayout(papel);
    impresora_->setCopyCount(Copias);
    const QRect hoja = impresora_->pageLayout().fullRectPixels(impresora_->resolution());
    AnchoImpresora = hoja.width();
    AltoImpresora = hoja.height();
    ImpresoraTrabajo = impresora_.get();
    FlujoTexto.clear();
    if ((!ModoTexto || TextoAArchivo) && TieneSecciones) {
        archivoImpresora_ = std::make_unique<TPrinterFile>(*impresora_);
        pintor_ = std::make_unique<QPainter>();
        if (!pintor_->begin(impresora_.get())) {
            pintor_.reset();
            // A file that cannot be made is told by its name and reason.
            const QString archivo = archivoImpresora_->Target();
            const QString motivo = archivoImpresora_->Failure();
            archivoImpresora_.reset();
            if (!archivo.isEmpty() && !motivo.isEmpty())
                AvisarArchivoNoGrabado(archivo, motivo);
            else
                MensajeAdvertencia(QStringLiteral("¡No ha sido posible imprimir en ") +
                                   ImpresoraEnUso + QStringLiteral("!"));
            ImpresoraTrabajo = nullptr;
            impresora_.reset();
            return false;
        }
        Lienzo = pintor_.get();
    }
    return true;
}

void TfGENELIMP::terminarImpresora() {
    if (pintor_) pintor_->end();
    pintor_.reset();
    Lienzo = nullptr;
    if (archivoImpresora_) ArchivoImpresoGrabado(*archivoImpresora_);
    archivoImpresora_.reset();
    if (FlujoTextoCrudo() && !FlujoTexto.isEmpty()) EnviarFlujoTexto();
    ImpresoraTrabajo = nullptr;
    impresora_.reset();
    ImprimirDocumentosAdjuntos();
}

void RegistrarTfGENELIMP() {
    if (!FormClassRegistered(QStringLiteral("TfGENELIMP")))
        RegisterFormClass<TfGENELIMP>(QStringLiteral("TfGENELIMP"));
}

namespace {
const bool registrado = [] {
    RegistrarTfGENELIMP();
    return true;
}();
}  // namespace
