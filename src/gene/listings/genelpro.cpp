#include "gene/listings/genelpro.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "db/dataset.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "gene/data/geneconv.h"
#include "gene/data/geneinfo.h"
#include "gene/data/genemodu.h"
#include "gene/data/generest.h"
#include "gene/data/genesali.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/listings/geneprev.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"

namespace {

constexpr int kNegro = 0x000000;
constexpr int kBlanco = 0xFFFFFF;
constexpr int kAzulMarino = 0x800000;  // navy: blue 128
// The page header as designed: title, company, page number, then the
// column titles at kArribaTitulos.
constexpr int kAlturaCabecera = 96;
constexpr int kArribaTitulos = 79;

bool EsReal(const TField* f) {
    return f->DataType() == ftFloat || f->DataType() == ftCurrency || f->DataType() == ftBCD;
}

bool EsImagen(const TField* f) {
    return f->DataType() == ftGraphic || f->DataType() == ftBlob || f->DataType() == ftTypedBinary;
}

bool EsMemo(const TField* f) {
    return f->DataType() == ftMemo || f->DataType() == ftFmtMemo;
}

bool EsFechaHora(const TField* f) {
    return f->DataType() == ftDateTime || f->DataType() == ftDate || f->DataType() == ftTime;
}

// A title as the columns and cards show it: a name with blanks as it is,
// any other abbreviated.
QString TextoTitulo(const QString& Nombre) {
    return Nombre.contains(QLatin1Char(' ')) ? Nombre : AbreviarTitulo(Nombre, 1);
}

QString MascaraImporte(const QString& Campo) {
    QString mascara;
    FormatoCampoImporte(fGENEINIC, Campo, mascara);
    return mascara;
}

// A field the user may not see is never printed, whoever built the dataset
// (a saved query's result or a stored listing naming it).
bool Oculto(const TField* f) {
    return CampoNoVisible(nullptr, f->FieldName());
}

}  // namespace

QString TextoRestriccionesDisenador(const QStringList& Campos, const QStringList& Desde,
                                    const QStringList& Hasta, const QString& Filtros) {
    QString texto;
    for (qsizetype i = 0; i < Campos.size(); ++i) {
        const QString d = Desde.value(i);
        const QString h = Hasta.value(i);
        if (d.isEmpty() && h.isEmpty()) continue;
        texto += QStringLiteral("Desde ") + Campos[i] + QStringLiteral(": ") + d +
                 QStringLiteral(", Hasta ") + Campos[i] + QStringLiteral(": ") + h +
                 QStringLiteral(", ");
    }
    if (!Filtros.isEmpty()) texto += QStringLiteral(" Filtros: ") + Filtros;
    return texto;
}

TfGENELPRO::TfGENELPRO(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENELPRO"));
    const TMarcoInforme marco =
        CrearMarcoInforme(this, kAlturaCabecera, QStringLiteral("QRTitulo"), 22);
    QuickReport = marco.Informe;
    PageHeader = marco.Cabecera;
    TituloLogotipoEmpresa = marco.Logotipo;
    TituloNombreEmpresa = marco.Empresa;
    QRTitulo = marco.Titulo;
    // The listing's own title first, the company under it.
    QRTitulo->setTop(0);
    TituloNombreEmpresa->setTop(24);
    QRNumeroPagina = new TQRSysData(this, PageHeader);
    QRNumeroPagina->setObjectName(QStringLiteral("QRNumeroPagina"));
    QRNumeroPagina->setData(qrsPageNumber);
    QRNumeroPagina->setText(QStringLiteral("Página "));
    QRNumeroPagina->SetBounds(100, 46, 200, 17);

    PageFooter = new TQRBand(this, QuickReport, rbPageFooter);
    PageFooter->setObjectName(QStringLiteral("PageFooter"));
    PageFooter->setHeight(22);
    QRFechaImpreso = new TQRSysData(this, PageFooter);
    QRFechaImpreso->setObjectName(QStringLiteral("QRFechaImpreso"));
    QRFechaImpreso->setData(qrsDateTime);
    QRFechaImpreso->setText(QStringLiteral("Impreso el "));
    QRFechaImpreso->SetBounds(500, 4, 250, 17);
    QRFechaImpreso->setAlignment(taRightJustify);

    BandaCabeceraGrupo = new TQRGroup(this, QuickReport);
    BandaCabeceraGrupo->setObjectName(QStringLiteral("BandaCabeceraGrupo"));
    BandaCabeceraGrupo->setHeight(24);
    BandaCabeceraGrupo->setEnabled(false);
    ImgCabeceraGrupo = new TQRImage(this, BandaCabeceraGrupo);
    ImgCabeceraGrupo->setObjectName(QStringLiteral("ImgCabeceraGrupo"));
    SeparadorCabecera = new TQRShape(this, BandaCabeceraGrupo);
    SeparadorCabecera->setObjectName(QStringLiteral("SeparadorCabecera"));
    SeparadorCabecera->setShape(qrsHorLine);
    SeparadorCabecera->SetBounds(0, 21, 750, 2);

    BandaDetalle = new TQRBand(this, QuickReport, rbDetail);
    BandaDetalle->setObjectName(QStringLiteral("BandaDetalle"));
    BandaDetalle->setHeight(15);
    BordeBandaDetalle = new TQRShape(this, BandaDetalle);
    BordeBandaDetalle->setObjectName(QStringLiteral("BordeBandaDetalle"));
    BordeBandaDetalle->Brush.Clear = true;
    BordeBandaDetalle->setEnabled(false);

    // A disabled band with its separator line across.
    auto banda = [this](TQRBandType tipo, const char* nombre, int alto, const char* linea,
                        int arriba, TQRShape*& separador) {
        auto* b = new TQRBand(this, QuickReport, tipo);
        b->setObjectName(QLatin1String(nombre));
        b->setHeight(alto);
        b->setEnabled(false);
        separador = new TQRShape(this, b);
        separador->setObjectName(QLatin1String(linea));
        separador->setShape(qrsHorLine);
        separador->SetBounds(0, arriba, 750, 2);
        return b;
    };
    BandaPieGrupo =
        banda(rbGroupFooter, "BandaPieGrupo", 20, "SeparadorPieGrupo", 0, SeparadorPieGrupo);
    BandaCabeceraGrupo->setFooterBand(BandaPieGrupo);
    BandaTotales = banda(rbSummary, "BandaTotales", 17, "SeparadorTotales", 2, SeparadorTotales);

    QuickReport->BeforePrint = [this](QObject*, bool& imprimir) {
        QuickReportBeforePrint(imprimir);
    };
    QuickReport->OnPreview = [this](QObject*) {
        // From a modal dialog the preview is its window: a plain one would
        // get no input while the dialog is up.
        PrevisualizarInforme(QuickReport, QApplication::activeModalWidget());
    };
    BandaDetalle->BeforePrint = [this](QObject*, bool&) { detalleAntesDeImprimir(); };
    BandaTotales->BeforePrint = [this](QObject*, bool&) { totalesAntesDeImprimir(); };
    BandaPieGrupo->BeforePrint = [this](QObject*, bool&) { totalesAntesDeImprimir(); };
    BandaCabeceraGrupo->BeforePrint = [this](QObject*, bool&) { cabeceraGrupoAntesDeImprimir(); };

    // The frame of every report form.
    PrepararFormulario(fGENEINIC, this);
    AbrirTablasFormulario(fGENEINIC, this);
    QuickReport->PrinterSettings.OutputBin = 0;
    ListadoCancelado = false;
}

TfGENELPRO::~TfGENELPRO() {
    liberarConstruidos();
}

void TfGENELPRO::liberarConstruidos() {
    for (QObject* o : construidos_) delete o;
    construidos_.clear();
    Titulos.clear();
    Detalles.clear();
    Imagenes.clear();
    PiesGrupo.clear();
    Totales.clear();
    CamposColumna.clear();
}

int TfGENELPRO::AnchoImprimible() const {
    const bool a4 = TamanioPapel.isEmpty() || TamanioPapel == QLatin1String("A4");
    if (QuickReport->Page.Orientation == poPortrait) return a4 ? 750 : 1047;
    return a4 ? 1047 : 1511;
}

QFont TfGENELPRO::fuenteCeldas() const {
    return FuenteListado ? *FuenteListado : BandaDetalle->Font();
}

void TfGENELPRO::aplicarCompresion(TQRPrintable* Control, bool Fuente) {
    ComprimirControl(Control, CompresionListados(ModuloDatos), 0, Fuente);
}

void TfGENELPRO::prepararPagina() {
    const bool vertical = QuickReport->Page.Orientation == poPortrait;
    const int margen =
        int(TextoAReal(ParametroGeneral(ModuloDatos, QStringLiteral("MargenIzquierdoImpresora"))));
    QuickReport->Page.LeftMargin = margen != 0 ? margen : (vertical ? 5 : 10);
    QuickReport->Page.RightMargin = vertical ? 5 : 10;
    // A previous run may have left the header grown by its restrictions.
    PageHeader->setHeight(kAlturaCabecera);
    const int w = AnchoImprimible();
    for (TQRPrintable* p :
         {static_cast<TQRPrintable*>(QRTitulo), static_cast<TQRPrintable*>(TituloNombreEmpresa),
          static_cast<TQRPrintable*>(QRNumeroPagina)})
        p->setWidth(w - p->Left());
    QRFechaImpreso->setLeft(w - QRFechaImpreso->Width());
    CargarEmpresaInforme(TituloNombreEmpresa, TituloLogotipoEmpresa);
}

TQRLabel* TfGENELPRO::crearTitulo(TField* Campo, TQRBand* Banda) {
    auto* l = new TQRLabel(this, Banda);
    construidos_ << l;
    l->setCaption(TextoTitulo(Campo->FieldName()));
    // Within its column: a long title is cut at the column's edge.
    l->setAutoSize(false);
    l->setWordWrap(false);
    QFont f = fuenteCeldas();
    f.setBold(true);
    f.setPointSize(8);
    l->setFont(f);
    if (EstiloBasicoInforme(ModuloDatos)) {
        l->setColor(kBlanco);
        l->setFontColor(kNegro);
        l->Frame.DrawTop = l->Frame.DrawBottom = l->Frame.DrawLeft = l->Frame.DrawRight = true;
    } else {
        l->setColor(kNegro);
        l->setFontColor(kBlanco);
    }
    return l;
}

// Frees the previous layout and finds the dataset's printed fields: all but
// a last "InstruccionesListado" one.
TDataSet* TfGENELPRO::empezarConstruccion() {
    liberarConstruidos();
    TDataSet* ds = QuickReport->DataSet();
    if (!ds) return nullptr;
    const int n = ds->Fields().Count();
    hayInstrucciones_ =
        n > 0 && ds->Fields()[n - 1]->FieldName().compare(QLatin1String("InstruccionesListado"),
                                                          Qt::CaseInsensitive) == 0;
    ultimoCampo_ = hayInstrucciones_ ? n - 2 : n - 1;
    return ds;
}

void TfGENELPRO::ConstruirColumnas() {
    TDataSet* ds = empezarConstruccion();
    if (!ds) return;
    const bool grupos = !CamposGrupo.isEmpty();
    BandaCabeceraGrupo->setEnabled(grupos);
    BandaPieGrupo->setEnabled(grupos);
    BandaCabeceraGrupo->setExpression(CamposGrupo);
    BandaTotales->setEnabled(!Sumatorios.isEmpty());
    BordeBandaDetalle->setEnabled(false);
    BandaCabeceraGrupo->setForceNewPage(SepararPorPaginas);
    BandaTotales->setForceNewPage(SepararPorPaginas);
    BandaDetalle->setForceNewPage(false);
    SeparadorCabecera->setEnabled(true);
    SeparadorPieGrupo->setEnabled(true);
    SeparadorTotales->setEnabled(true);

    prepararPagina();
    const int w = AnchoImprimible();
    for (TQRCustomBand* b :
         {static_cast<TQRCustomBand*>(PageHeader), static_cast<TQRCustomBand*>(BandaCabeceraGrupo),
          static_cast<TQRCustomBand*>(BandaDetalle), static_cast<TQRCustomBand*>(BandaPieGrupo),
          static_cast<TQRCustomBand*>(BandaTotales)})
        b->setWidth(w);
    for (TQRShape* s : {SeparadorCabecera, SeparadorPieGrupo, SeparadorTotales}) {
        s->setLeft(0);
        s->setWidth(w);
    }
    SeparadorCabecera->setEnabled(Sumatorios.isEmpty());
    SeparadorPieGrupo->setEnabled(!Sumatorios.isEmpty());

    // Weights: the FormatoColumnas entry of each printed field, or its
    // display width; a set of entries summing 0 falls back on the widths.
    const QStringList entradas = FormatoColumnas.split(QLatin1Char('|'));
    QList<TField*> impresos;
    QList<double> pesos;
    for (int j = 0; j <= ultimoCampo_; ++j) {
        TField* f = ds->Fields()[j];
        if (f->Tag() == 999 || Oculto(f)) continue;
        impresos << f;
        pesos << (FormatoColumnas.isEmpty() ? double(f->DisplayWidth())
                                            : TextoAReal(entradas.value(j)));
    }
    double suma = 0;
    for (double p : pesos) suma += p;
    if (suma <= 0) {
        suma = 0;
        for (qsizetype i = 0; i < impresos.size(); ++i) {
            pesos[i] = impresos[i]->DisplayWidth();
            suma += pesos[i];
        }
    }
    nombresSumatorio_ = Sumatorios.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& s : nombresSumatorio_) s = s.trimmed();
    const TCompresionListado compresion = CompresionListados(ModuloDatos);

    int izquierda = 0;
    for (qsizetype k = 0; k < impresos.size(); ++k) {
        TField* f = impresos[k];
        const int ancho = suma > 0 ? int(std::lround(pesos[k] * w / suma)) : 0;
        const int celda = std::max(0, ancho - 2);
        f->setTag(int(k));
        CamposColumna << f;

        TQRLabel* titulo = crearTitulo(f, PageHeader);
        // Named, so that the restrictions block finds its designed place.
        titulo->setObjectName(QStringLiteral("LBTitulo%1").arg(k));
        titulo->SetBounds(izquierda, kArribaTitulos, celda, 15);
        Titulos << titulo;

        TQRLabel* texto = nullptr;
        TQRImage* imagen = nullptr;
        if (EsImagen(f)) {
            imagen = new TQRImage(this, BandaDetalle);
            construidos_ << imagen;
            imagen->setObjectName(QStringLiteral("LBImagen%1").arg(k));
            imagen->SetBounds(izquierda, 0, celda, BandaDetalle->Height());
        } else {
            texto = new TQRLabel(this, BandaDetalle);
            construidos_ << texto;
            texto->setObjectName(QStringLiteral("LBDetalle%1").arg(k));
            texto->SetBounds(izquierda, 0, celda, 15);
            texto->setAlignment(EsReal(f) ? taRightJustify : taLeftJustify);
            // Every cell inside its column: text clips or wraps in its box.
            texto->setAutoSize(false);
            texto->setAutoStretch(true);
            texto->setWordWrap(AjustarTexto);
            if (EsReal(f)) ajustarCifra(texto, int(k));
            texto->setFont(fuenteCeldas());
            texto->setColor(BandaDetalle->Color());
            formatearCeldas(texto, int(k));
        }
        Detalles << texto;
        Imagenes << imagen;

        TQRExpr* pie = nullptr;
        TQRExpr* total = nullptr;
        if (EsReal(f)) {
            const QString mascara = MascaraImporte(f->FieldName());
            auto crear = [&](TQRBand* banda, const char* nombre, int arriba) {
                auto* e = new TQRExpr(this, banda);
                construidos_ << e;
                e->setObjectName(QLatin1String(nombre) + QString::number(k));
                e->setExpression(QStringLiteral("Sum(") + f->FieldName() + QLatin1Char(')'));
                e->setMask(mascara);
                e->setMaster(QuickReport);
                e->setResetAfterPrint(true);
                e->setAlignment(taRightJustify);
                QFont fuente = fuenteCeldas();
                fuente.setBold(true);
                e->setFont(fuente);
                e->setAutoStretch(true);
                e->setWordWrap(AjustarTexto);
                e->SetBounds(izquierda, arriba, celda, 15);
                ajustarCifra(e, int(k));
                e->setColor(banda->Color());
                return e;
            };
            pie = crear(BandaPieGrupo, "LBPieGrupo", 2);
            total = crear(BandaTotales, "LBTotales", 8);
        }
        PiesGrupo << pie;
        Totales << total;

        if (compresion.Aplica) {
            aplicarCompresion(titulo, true);
            if (texto) aplicarCompresion(texto, true);
            if (imagen) aplicarCompresion(imagen, false);
            if (pie) aplicarCompresion(pie, true);
            if (total) aplicarCompresion(total, true);
        }
        izquierda += ancho;
    }
    BandaDetalle->setHeight(15);
    BandaTotales->setHeight(17);
    if (compresion.Posicion != 0 && compresion.Posicion != 1) {
        for (TQRPrintable* p :
             {static_cast<TQRPrintable*>(QRTitulo), static_cast<TQRPrintable*>(TituloNombreEmpresa),
              static_cast<TQRPrintable*>(QRNumeroPagina)})
            p->setWidth(int(p->Width() * compresion.Posicion));
        BandaDetalle->setWidth(int(BandaDetalle->Width() * compresion.Posicion));
        QRFechaImpreso->setLeft(int(QRFechaImpreso->Left() * compresion.Posicion));
        BandaTotales->setWidth(BandaDetalle->Width());
    }
}

void TfGENELPRO::ConstruirFichas() {
    TDataSet* ds = empezarConstruccion();
    if (!ds) return;
    SeparadorCabecera->setEnabled(false);
    SeparadorPieGrupo->setEnabled(false);
    SeparadorTotales->setEnabled(false);
    BordeBandaDetalle->setEnabled(true);
    BandaDetalle->setForceNewPage(SepararPorPaginas);
    BandaCabeceraGrupo->setEnabled(false);
    BandaPieGrupo->setEnabled(false);
    BandaTotales->setEnabled(false);
    prepararPagina();
    const int w = AnchoImprimible();

    QList<TField*> impresos;
    for (int j = 0; j <= ultimoCampo_; ++j)
        if (ds->Fields()[j]->Tag() != 999 && !Oculto(ds->Fields()[j])) impresos << ds->Fields()[j];
    const int c = std::max(1, NumeroColumnasFicha);
    // At least one row per card column: R = 0 would put every field at once.
    const int r = std::max(1, int(RedondearValor(double(impresos.size()) / c)));
    const TCompresionListado compresion = CompresionListados(ModuloDatos);
    int y = 17;
    int mayor = 0;
    for (qsizetype k = 0; k < impresos.size(); ++k) {
        TField* f = impresos[k];
        f->setTag(int(k));
        CamposColumna << f;
        const int x = int(double(w) / c * (k / r));
        if (k % r == 0)
            y = 17;
        else
            y += 17;
        TQRLabel* titulo = crearTitulo(f, BandaDetalle);
        titulo->SetBounds(x + 4, y, int(double(w) / c / 3) - 4, 15);
        Titulos << titulo;
        const int izquierda = titulo->Left() + titulo->Width() + 4;
        const int ancho = int(double(w) / c * 2 / 3) - 8;
        const int alto = EsMemo(f) ? NumeroLineasMemoFicha * 15 + 2 : 17;
        TQRLabel* texto = nullptr;
        TQRImage* imagen = nullptr;
        if (EsImagen(f)) {
            imagen = new TQRImage(this, BandaDetalle);
            construidos_ << imagen;
            imagen->SetBounds(izquierda, y, ancho, alto);
        } else {
            texto = new TQRLabel(this, BandaDetalle);
            construidos_ << texto;
            texto->SetBounds(izquierda, y, ancho, alto);
            texto->setWordWrap(AjustarTexto);
            texto->setFont(fuenteCeldas());
            texto->setColor(BandaDetalle->Color());
            formatearCeldas(texto, int(k));
        }
        Detalles << texto;
        Imagenes << imagen;
        PiesGrupo << nullptr;
        Totales << nullptr;
        if (EsMemo(f)) y += (NumeroLineasMemoFicha - 1) * 15 + 2;
        mayor = std::max(mayor, y);
        if (compresion.Aplica) {
            aplicarCompresion(titulo, true);
            if (texto) aplicarCompresion(texto, true);
            if (imagen) aplicarCompresion(imagen, false);
        }
    }
    BandaDetalle->setHeight(mayor + 32);
    BordeBandaDetalle->SetBounds(0, 2, w - 2, BandaDetalle->Height() - 2);
    if (compresion.Posicion != 0 && compresion.Posicion != 1) {
        for (TQRPrintable* p :
             {static_cast<TQRPrintable*>(QRTitulo), static_cast<TQRPrintable*>(TituloNombreEmpresa),
              static_cast<TQRPrintable*>(QRNumeroPagina),
              static_cast<TQRPrintable*>(BordeBandaDetalle)})
            p->setWidth(int(p->Width() * compresion.Posicion));
        QRFechaImpreso->setLeft(int(QRFechaImpreso->Left() * compresion.Posicion));
    }
}

void TfGENELPRO::QuickReportBeforePrint(bool& PrintReport) {
    columnasDesbordadas_.clear();
    if (TamanioPapel.isEmpty()) TamanioPapel = QStringLiteral("A4");
    if (TamanioPapel == QLatin1String("A4"))
        QuickReport->Page.PaperSize = TQRPaperSize::A4;
    else if (TamanioPapel == QLatin1String("A3"))
        QuickReport->Page.PaperSize = TQRPaperSize::A3;
    if (FormatoFicha)
        ConstruirFichas();
    else
        ConstruirColumnas();

    const bool restricciones =
        ParametroGeneral(ModuloDatos, QStringLiteral("ListarRestricciones")) ==
            QLatin1String("SI") ||
        ListarRestriccionesForzado;
    if (restricciones) {
        // One block, on the first page; a rerun from the preview makes it again
        // over the header as rebuilt.
        delete memoRestricciones_.data();
        // Below the logo, the title and the page number, which do not move;
        // the column titles move down under it.
        const int arriba =
            std::max({TituloLogotipoEmpresa->Height(), QRTitulo->Top() + QRTitulo->Height(),
                      QRNumeroPagina->Top() + QRNumeroPagina->Height()});
        memoRestricciones_ = CrearBloqueRestricciones(this, PageHeader, arriba + 2);
        RestriccionesListado.Memo = memoRestricciones_.data();
        memoRestricciones_->setWidth(PageHeader->Width());
        QString texto;
        auto* consulta = qobject_cast<TQuery*>(QuickReport->DataSet());
        if (consulta && consulta->objectName() == QLatin1String("QryConsultasSQL")) {
            // The statement's lines stay apart as words on the one line.
            texto = QStringLiteral("Sentencia SQL: ") +
                    consulta->SQL()
                        .Text()
                        .replace(QStringLiteral("\r\n"), QStringLiteral(" "))
                        .trimmed();
            if (!consulta->Filter().isEmpty())
                texto += QStringLiteral(". Filtro: ") + consulta->Filter();
        }
        texto += RestriccionesDisenador;
        texto.remove(QStringLiteral("\r\n"));
        texto.remove(QLatin1Char('\n'));
        texto.remove(QStringLiteral("Edit"));
        memoRestricciones_->setText(texto);
        RestriccionesListado.PrimeraPagina = true;
    }
    BandaDetalle->setEnabled(!ListarSoloTotales);
    TraducirFormulario(fGENEINIC, this, QString());
    PrintReport = true;
}

void TfGENELPRO::detalleAntesDeImprimir() {
    const QFont banda = fuenteCeldas();
    const bool negrita = [&] {
        if (!hayInstrucciones_) return false;
        TDataSet* ds = QuickReport->DataSet();
        const QString instrucciones = ds->Fields()[ds->Fields().Count() - 1]->AsString();
        lineasInstrucciones_ =
            instrucciones.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::KeepEmptyParts);
        return lineasInstrucciones_.value(0).contains(QLatin1String("Negrita"));
    }();
    for (qsizetype k = 0; k < CamposColumna.size(); ++k) {
        TField* f = CamposColumna[k];
        if (TQRImage* i = Imagenes[k]) {
            i->setPicture(f->AsImage());
            continue;
        }
        TQRLabel* l = Detalles[k];
        if (!l) continue;
        l->setCaption(EsMemo(f) ? f->AsString() : f->Text());
        if (hayInstrucciones_) {
            QFont fuente = banda;
            fuente.setBold(negrita);
            l->setFont(fuente);
        }
    }
}

void TfGENELPRO::ajustarCifra(TQRCustomLabel* Celda, int Columna) {
    Celda->setAutoSize(false);
    Celda->setFitFigure(true);
    Celda->OnOverflow = [this, Columna] {
        if (columnasDesbordadas_.contains(Columna)) return;
        columnasDesbordadas_.insert(Columna);
        const TQRLabel* titulo = Titulos.value(Columna);
        MensajeAdvertencia(QStringLiteral("¡ La columna ") +
                           (titulo ? titulo->Caption() : QString::number(Columna + 1)) +
                           QStringLiteral(" es demasiado estrecha para sus cifras, que se "
                                          "imprimen como \"#\" !"));
    };
}

void TfGENELPRO::formatearCeldas(TQRLabel* Texto, int Columna) {
    // What the column's field asks of every cell, worked out once per run.
    TField* f = CamposColumna.value(Columna);
    const QString mascara = f && EsReal(f) ? MascaraImporte(f->FieldName()) : QString();
    const bool hora =
        f && EsFechaHora(f) && f->FieldName().toUpper().contains(QLatin1String("HORA"));
    Texto->OnPrint = [this, Columna, mascara, hora](QObject*, QString& v) {
        textoCelda(Columna, mascara, hora, v);
    };
}

void TfGENELPRO::textoCelda(int Columna, const QString& Mascara, bool Hora, QString& Texto) {
    TField* f = CamposColumna.value(Columna);
    TQRLabel* l = Detalles.value(Columna);
    if (!f || !l) return;
    try {
        if (EsReal(f)) {
            Texto = f->IsNull() ? QString() : FormatFloat(Mascara, f->AsFloat());
        } else if (EsFechaHora(f)) {
            if (Hora)
                Texto = f->IsNull() ? QString()
                                    : FormatDateTime(QStringLiteral("hh:nn:ss"), f->AsDateTime());
            else if (f->IsNull() || DateTimeToDouble(f->AsDateTime()) == 0)
                Texto.clear();
        }
        if (hayInstrucciones_) {
            l->setAlignment(EsReal(f) && !FormatoFicha ? taRightJustify : taLeftJustify);
            const QString clave = f->FieldName() + QLatin1Char('=');
            for (const QString& linea : lineasInstrucciones_)
                if (linea.startsWith(clave, Qt::CaseInsensitive) &&
                    linea.mid(clave.size()).contains(QLatin1String("JR")))
                    l->setAlignment(taRightJustify);
        }
    } catch (...) {
        // A cell that cannot be formatted prints as it was.
    }
}

void TfGENELPRO::totalesAntesDeImprimir() {
    const bool todas = Sumatorios == QLatin1String("Todas");
    for (qsizetype k = 0; k < CamposColumna.size(); ++k) {
        const bool suma =
            todas || nombresSumatorio_.contains(CamposColumna[k]->FieldName(), Qt::CaseInsensitive);
        if (TQRExpr* t = Totales.value(k)) t->setEnabled(suma);
        if (TQRExpr* p = PiesGrupo.value(k)) p->setEnabled(suma);
    }
}

void TfGENELPRO::cabeceraGrupoAntesDeImprimir() {
    TDataSet* ds = QuickReport->DataSet();
    if (!ds) return;
    QStringList nombres = CamposGrupo.split(QLatin1Char('+'), Qt::SkipEmptyParts);
    for (QString& n : nombres) n = n.trimmed();
    const int ancho = std::max(1, BandaCabeceraGrupo->Width());
    const int alto = std::max(1, BandaCabeceraGrupo->Height());
    ImgCabeceraGrupo->SetBounds(0, 0, ancho, alto);
    QImage imagen(ancho, alto, QImage::Format_RGB32);
    imagen.fill(Qt::white);
    QPainter p(&imagen);
    QFont fuente = fuenteCeldas();
    fuente.setBold(true);
    p.setFont(fuente);
    int x = 0;
    const int base = 4 + p.fontMetrics().ascent();
    for (TField* f : ds->Fields()) {
        if (f->Tag() != 999 || Oculto(f)) continue;
        const bool esGrupo =
            nombres.contains(f->FieldName(), Qt::CaseInsensitive) ||
            nombres.contains(QLatin1Char('\'') + f->FieldName() + QLatin1Char('\''),
                             Qt::CaseInsensitive);
        if (!esGrupo) continue;
        const QString titulo = TextoTitulo(f->FieldName()) + QLatin1Char(':');
        p.setPen(QColor(0, 0, 128));
        p.drawText(x, base, titulo);
        x += p.fontMetrics().horizontalAdvance(titulo) + 4;
        const QString valor = f->DisplayText();
        p.setPen(Qt::black);
        p.drawText(x, base, valor);
        x += p.fontMetrics().horizontalAdvance(valor) + 8;
    }
    p.end();
    ImgCabeceraGrupo->setPicture(imagen);
}
