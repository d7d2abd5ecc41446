#pragma once
// Room gene/print: the document print engine with its preview, barcodes and the print-format
// editor. May include the platform, gene/data and gene/session.

// The document print engine and its preview window. A caller sets the
// request variables below, creates the form, creates and fills its two work
// tables (Temporal: one row per document; LTemporal: the lines, linked to
// Temporal by DataSource1), optionally sets DestinoImpreso, calls
// EjecutarImpreso and frees the form, which drops both work tables.
//
// A format is a row of IMPRESO: its program (Instrucciones) is split into
// sections run per document, per line and per page (genelimp_formato.cpp),
// whose commands draw on the current page (genelimp_comandos.cpp). Pages are
// QPictures recorded in page pixels: shown by the preview
// (genelimp_vista.cpp), played onto a PDF writer for a "PDF:" target
// (genelimp_pdf.cpp), or drawn straight on the printer. The job driver is
// genelimp.cpp.
//
// The output back-ends live in genelimp_salida*.cpp and define:
// ImprimirASCII, ImprimirMSWord, ImprimirDocumentosAdjuntos,
// ImprimirConAdjuntos, EnviarFlujoTexto and DibujarCodigoBarras. The engine
// calls them at the points named in their comments.

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "ui/form.h"

class QFontMetrics;
struct TMedidaFuente;
class QLabel;
class QPainter;
class QPdfWriter;
class TOutputFile;
class QPicture;
class QPrinter;
class QTemporaryDir;
class TButton;
class TDataSet;
class TDataSource;
class TField;
class TScrollBox;
class TSpeedButton;
class TSpinEdit;
class TTable;

// ---- Request variables: set by the caller before it creates the engine;
// they keep their values between jobs.

// Name of the calling form; "fGENEIMPR" prints field and expression names
// instead of values (the format editor's test print on empty tables).
extern QString NombreLlamadorImpreso;
// True: documents go to the preview window; false: straight to the printer.
extern bool PrevisualizarImpreso;
// IMPRESO.Codigo of the format to print.
extern QString CodigoImpreso;
// True: the print dialog is never shown; cleared when an engine is freed.
extern bool OmitirDialogoImpresora;

// The running sums, shared by every engine of the program: a field name and
// its value per slot.
struct TSumaImpreso {
    QString Campo;
    double Valor = 0;
};
constexpr int MaximoSumasImpreso = 100;
extern TSumaImpreso SumasImpreso[MaximoSumasImpreso];

// The page store's size; generation stops there with a warning.
constexpr int MaximoPaginasImpreso = 10000;

// Test seam: while set, a job about to print on a printer asks it, with the
// name of the printer chosen for the job, where the printed output goes:
// "PDF:" + file writes what the printer would receive into that PDF file;
// any other answer is the printer's name (prepared through the printers'
// seam). Unset, jobs print on the printer chosen.
using TSeamImpreso = std::function<QString(const QString& Impresora)>;
void AsignarSeamImpreso(TSeamImpreso seam);
// The seam's answer for that printer ("" when no seam is set).
QString DestinoSeamImpreso(const QString& Impresora);

class TfGENELIMP : public TForm {
    Q_OBJECT
public:
    explicit TfGENELIMP(QWidget* owner = nullptr);
    ~TfGENELIMP() override;

    // ---- Calling protocol.
    // Empty, a printer name, or "PDF:" + file (the job writes that PDF file
    // and shows nothing).
    QString DestinoImpreso;
    void EjecutarImpreso();
    // The generation loop over Temporal to the current output device.
    void GenerarImpreso();

    // ---- Preview window (genelimp_vista.cpp).
    TSpinEdit* SpinEditPagina;
    TSpeedButton* pbPrimeraPagina;
    TSpeedButton* pbUltimaPagina;
    TSpinEdit* SpinEditZoom;
    TSpeedButton* pbZoomToFit;
    TSpeedButton* pbZoomTo100;
    TSpeedButton* pbZoomToWidth;
    TSpeedButton* pbImprimir;
    TSpeedButton* pbImprimirPagina;
    TSpeedButton* pbExportarAExcel;
    TSpeedButton* pbExportarAPDF;
    TSpeedButton* pbAyuda;
    TButton* pbSalir;
    TScrollBox* ScrollBox1;
    QLabel* Image1;

    void FormShow();
    void MostrarPagina(int Pagina);
    void SpinEditPaginaChange();
    void SpinEditZoomChange();
    void pbPrimeraPaginaClick();
    void pbUltimaPaginaClick();
    void pbZoomToFitClick();
    void pbZoomTo100Click();
    void pbZoomToWidthClick();
    void pbImprimirClick();
    void pbImprimirPaginaClick();
    void pbExportarAExcelClick();
    void pbExportarAPDFClick();
    void pbAyudaClick();
    void pbSalirClick();
    Q_INVOKABLE void BuscarDatosDBEdit() {}
    // The page shown by the preview, rendered with its grid (tests look at it).
    QImage ImagenPaginaMostrada() const;

    // ---- Work tables and the format table.
    TTable* Temporal;
    TTable* LTemporal;
    TDataSource* DataSource1;
    TTable* Impreso;

    // ---- Job state.
    enum TDispositivo { Pantalla, Impresora };
    TDispositivo Dispositivo = Pantalla;
    // The job's page store (preview and PDF) and the Temporal key printed on
    // each page, both numbered from 0 for page 1.
    std::vector<std::unique_ptr<QPicture>> Paginas;
    QStringList ClavesPaginas;
    // The description of the format each stored page was drawn with: a job
    // whose documents switch format names each page after its own.
    QStringList DescripcionesPaginas;
    // The paper of each stored page in millimetres (a document may switch format).
    std::vector<QSizeF> PapelesPaginas;
    double AnchoPapel = 210, AltoPapel = 297;   // mm
    int AnchoPixels = 800, AltoPixels = 1131;   // a page in page pixels
    int AnchoImpresora = 0, AltoImpresora = 0;  // the printer's sheet in device pixels
    bool ModoTexto = false;
    // A text-mode job printed to the file chosen in the print dialog draws
    // its pages there, in the character grid, instead of a raw stream.
    bool TextoAArchivo = false;
    // Text mode goes to the printer as a raw stream of rows and columns.
    bool FlujoTextoCrudo() const;
    bool DestinoPDF() const;
    int ContadorPaginas = 0;
    int NumeroPagina = 0;
    int CopiasPendientes = 0;
    int NumeroCopia = 1;
    // Copies of each document chosen in the print dialog.
    int Copias = 1;
    int Etiqueta = 1;
    int EtiquetasPorPagina = 1;
    int PrimeraEtiqueta = 1;
    int LineasPorPagina = 0;
    int LineaActual = 1;
    int FilaTextoActual = 0;
    double CambioDocumento = 1.0;
    int MonedaDocumento = 1;
    QString ImpresoraEnUso = QStringLiteral("Ninguna");
    bool UsarImpresoraPredeterminada = true;
    bool TieneSecciones = false;
    bool SoloDocumentoActual = false;
    bool EnLineas = false;
    bool EnPie = false;
    // Temporary PDF files joined into the "PDF:" target at the end of a job.
    QStringList PartesPDF;
    // The raw stream of a "Texto" job on a printer (bytes in code page 850)
    // and of the Asci commands; EnviarFlujoTexto sends it.
    QByteArray FlujoTexto;
    // The printer of the job being printed (nullptr on the screen).
    QPrinter* ImpresoraTrabajo = nullptr;
    // Where the current command draws: the page picture or the printer.
    QPainter* Lienzo = nullptr;
    QFont FuenteActual;
    QColor ColorFuente = Qt::black;
    // A private folder per engine for PDF parts and document copies.
    QString CarpetaTrabajo();

    // ---- Format settings (genelimp_formato.cpp).
    double MargenIzquierdo = 0, MargenSuperior = 0;
    double CompresionX = 1, CompresionY = 1;
    int ColumnasEtiqueta = 1, FilasEtiqueta = 1;
    double AnchoEtiqueta = 0, AltoEtiqueta = 0;
    int AlturaLinea = 0;
    int InicioLineas = 0;
    int FinLineas = 0;
    QString DriverAlternativo;
    QStringList Conexiones;
    QStringList GruposAnalisis;
    // Arguments are split at ";" only: a "|" inside one reaches its command
    // unchanged.
    QStringList Sistema, Cabecera, Lineas, PieSumaYSigue, Pie, PiePagina;
    // Paper size and text mode of a format (by code; else CodigoImpreso).
    void FormatoPagina(const QString& Codigo);
    // Splits the loaded format's program into sections and runs SISTEMA.
    void SepararSecciones();
    // Runs one program line: a SISTEMA key or a command.
    void EjecutarInstruccion(const QString& Linea);
    void EjecutarSeccion(const QStringList& Seccion);
    // The value of the first program line of that name, in any section.
    QString ValorLineaPrograma(const QString& Nombre) const;
    // Locates a format in Impreso by code; false when there is none.
    bool LocalizarImpreso(const QString& Codigo);

    // Device position of a logical X / Y in the format's unit (margins,
    // labels and body line included).
    int PosicionX(double X) const;
    int PosicionY(double Y) const;
    // The same for a size (no margins or offsets).
    int DistanciaX(double X) const;
    int DistanciaY(double Y) const;

    // ---- PDF road (genelimp_pdf.cpp).
    // Writes the stored pages to a PDF file at the format's paper size;
    // returns the error text ("" on success).
    QString EscribirPaginasPDF(const QString& Archivo);
    // The part file a "PDF:" job draws its pages into, opened at its first
    // page and closed at the end of the generation.
    void EmpezarPdfDirecto();
    void TerminarPdfDirecto();
    // Finishes a "PDF:" target: the parts joined (one part copied) into it.
    void UnirPartesPDF();
    // The PDF server's failure, as the user is told it.
    void AvisoErrorPDF(const QString& Motivo);

    // ---- Output back-ends (genelimp_salida*.cpp).
    // "ASCII" mode: Temporal's StreamASCII texts back to back to the printer.
    void ImprimirASCII();
    // "MSWord" mode: one document per Temporal row from DocumentoModelo.
    void ImprimirMSWord();
    // The Word documents of DocumentosAdjuntos after a printed job (or, for a
    // "PDF:" target, added to PartesPDF).
    void ImprimirDocumentosAdjuntos();
    // DocumentosAdjuntos "Auto": each base record's document and its files.
    void ImprimirConAdjuntos();
    // Sends FlujoTexto to the printer in use; false when nothing was sent.
    bool EnviarFlujoTexto();
    // CBar: the code drawn into Rect (device pixels) on Lienzo, at the
    // target's resolution; Giro is "", "Girar+90", "Girar-90" or "Girar180".
    void DibujarCodigoBarras(const QRect& Rect, const QString& Valor, const QString& Simbologia,
                             double Aumento, const QString& Giro);

    // ---- Pieces of the driver and of the commands.
    QString CampoImpreso(const char* Campo) const;
    QString DescripcionPagina(int n) const;
    // The job's FormatoEtiqueta question was cancelled: nothing is printed.
    bool PosicionCancelada = false;
    // This engine stored memo continuation lines in LTemporal.
    bool HayLineasMemo = false;
    // The page store is full: generation stops.
    bool PaginasAgotadas = false;
    // Generation runs (the preview's print and export buttons wait for its end).
    bool Generando = false;
    void PreguntarPrimeraEtiqueta();
    double XLogica(double x) const;
    double YLogica(double y) const;
    double AnchoDestino() const;
    double AltoDestino() const;
    double PuntosPorPulgada() const;
    int TamanoPixels(double Puntos) const;
    TDataSet* RegistroActual() const;
    // A field of the current record through CampoVisible.
    TField* CampoRegistro(const QString& Nombre) const;
    bool LineaContinuacion() const;
    void EjecutarComando(const QString& Nombre, const QStringList& Argumentos);
    void ComandoText(double X, double Y, double Ancho, const QString& Texto,
                     const QString& Alineacion, bool DesdeCamp = false);
    void ComandoVari(const QStringList& a);
    void ComandoRectLine(bool Rectangulo, const QStringList& a);
    void ComandoFont(const QStringList& a);
    const QFontMetrics& Metricas(const QFont& Fuente);
    // The width of Texto in the font of the last Metricas call.
    int AnchoTexto(const QString& Texto);
    // The advance of `Blancos` blanks in the font last measured.
    qreal AnchoBlancos(int Blancos);
    void ComandoGraf(const QStringList& a);
    void ComandoCamp(const QStringList& a);
    void ComandoExpr(const QStringList& a);
    void ComandoConc(const QStringList& a);
    TField* CampoOtraTabla(const QString& Referencia);
    // The record's analysis groups for a GrupoAnalisisNN key; a null text
    // when the name is no such key.
    QString ListaGrupoAnalisis(const QString& Clave);
    double ConvertirImporteDocumento(double Valor) const;
    QStringList PartirMemo(const QString& Texto, double Ancho, qsizetype Maximo = -1);
    // Texto (of Campo) wrapped to Ancho: up to Maximo lines outside the
    // body; in it the first line, the others kept as continuation lines.
    void ImprimirMemo(TField* Campo, const QString& Texto, double X, double Y, double Ancho,
                      double Maximo, bool OtraTabla);
    void GuardarLineasMemo(const QString& NombreCampo, const QStringList& Piezas);
    double ValorTermino(QString Termino);
    double EvaluarExpresion(const QString& Expresion, QString& UltimoTermino);
    QString Concatenar(const QString& Expresion);
    // Sections as the driver runs them.
    void SeccionCabecera();
    // Instrucciones: the lines' own program column, when they have one.
    void SeccionLineas(TField* Instrucciones);
    void SeccionPie(const QStringList& Seccion);
    // A new page on the current device (a label sheet only when it is full).
    void NuevaPagina();
    // Ends the page being recorded into the store.
    void CerrarPagina();

    // Preview during generation: set while a job shows its pages.
    bool VistaPrevia = false;
    // The user closed the preview while its pages were made.
    bool VistaCerrada = false;
    // The key of the displayed page's document (the page print prints it alone).
    QString ClaveDocumentoActual;
    void LiberarPaginas();
    void DibujarRegla();
    void ConectarVista();
    // A page was closed: the preview opens on page 1 and follows the pages made.
    void PaginaTerminada();
    void ActualizarBotonesVista();
    // Runs the preview modally until the user closes it.
    void EsperarVistaPrevia();

Q_SIGNALS:
    // A generation run ended (the preview's print and export are available).
    void FinGeneracion();

public:
private:
    bool prepararImpresora(const QString& Nombre);
    void terminarImpresora();
    void generarDocumento();
    void avanzarEtiqueta();
    bool primeraHoja_ = true;
    std::unique_ptr<QTemporaryDir> carpeta_;
    std::unique_ptr<QPrinter> impresora_;
    // The file the print dialog chose, while the job prints into it.
    std::unique_ptr<class TPrinterFile> archivoImpresora_;
    std::unique_ptr<QPainter> pintor_;
    std::unique_ptr<QPicture> paginaEnCurso_;
    std::unique_ptr<TOutputFile> salidaDirecta_;
    std::unique_ptr<QPdfWriter> pdfDirecto_;
    // Why the pages drawn straight into the part file could not be written.
    QString errorDirecto_;
    std::unique_ptr<QPainter> pintorPdf_;
    QString archivoDirecto_;
    int paginasDirectas_ = 0;
    QHash<QString, TTable*> tablasConexion_;
    QHash<QString, std::pair<QFont, QColor>> fuentesFormato_;
    // Each program line as read: its name, its arguments' text and the
    // arguments; a format runs the same few lines on every page.
    struct TInstruccionLeida {
        QString nombre, argumentos;
        QStringList a;
    };
    QHash<QString, TInstruccionLeida> instruccionesLeidas_;
    const TInstruccionLeida& LeerInstruccion(const QString& Linea);
    // The fonts measured, each with the widths of the texts measured in it:
    // the same few texts recur on every page.
    std::vector<std::unique_ptr<TMedidaFuente>> medidas_;
    TMedidaFuente* medida_ = nullptr;
    QSize dpiMedido_;
    QString claveAnterior_;
    QString formatoAnterior_;
    bool preguntaPaginasHecha_ = false;
    bool primerDocumento_ = true;
    int zoom_ = 100;
    QImage regla_;
};

extern TfGENELIMP* fGENELIMP;

// Puts the engine form in the form registry (idempotent).
void RegistrarTfGENELIMP();
