#pragma once
// The report whose layout is built when it runs: it prints any open dataset
// handed to it, as columns (titles, cells, group header and footer, totals)
// or as cards, from the dataset's fields and a few options its caller sets
// between creating it and running it. The programmable-listing designer, the
// SQL tools, the saved queries and the custom reports print through it.
//
//     TfGENELPRO informe;                      // the company's frame steps
//     informe.QuickReport->setDataSet(ds);     // fields decide the columns
//     informe.QuickReport->setReportTitle(t);
//     informe.Sumatorios = "Todas";
//     informe.QuickReport->Preview();          // or ImprimirInforme
//
// A dataset field whose Tag is 999 is not a column; a last field
// "InstruccionesListado" carries per-record instructions ("Negrita" on its
// first line, Field=...JR to right-align a cell) and never prints.

#include <QFont>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

#include "ui/form.h"

class TDataSet;
class TField;
class TQRBand;
class TQRCustomLabel;
class TQRExpr;
class TQRGroup;
class TQRImage;
class TQRLabel;
class TQRMemo;
class TQRPrintable;
class TQRShape;
class TQRSysData;
class TQuickRep;

class TfGENELPRO : public TForm {
    Q_OBJECT
public:
    explicit TfGENELPRO(QWidget* owner = nullptr);
    ~TfGENELPRO() override;

    TQuickRep* QuickReport;
    TQRBand* PageHeader;
    TQRSysData* QRTitulo;
    TQRLabel* TituloNombreEmpresa;
    TQRImage* TituloLogotipoEmpresa;
    TQRBand* PageFooter;
    TQRSysData* QRNumeroPagina;
    TQRSysData* QRFechaImpreso;
    TQRBand* BandaDetalle;
    TQRShape* BordeBandaDetalle;
    TQRGroup* BandaCabeceraGrupo;
    TQRImage* ImgCabeceraGrupo;
    TQRShape* SeparadorCabecera;
    TQRBand* BandaPieGrupo;
    TQRShape* SeparadorPieGrupo;
    TQRBand* BandaTotales;
    TQRShape* SeparadorTotales;

    // The caller's options (see above).
    std::optional<QFont> FuenteListado;
    bool AjustarTexto = false;
    bool FormatoFicha = false;
    bool SepararPorPaginas = false;
    int NumeroColumnasFicha = 1;
    int NumeroLineasMemoFicha = 3;
    QString FormatoColumnas;
    QString Sumatorios;
    QString CamposGrupo;
    bool ListarSoloTotales = false;
    QString TamanioPapel;
    // The programmable-listing designer's ranges and filters, set only by the
    // designer: the restrictions block states them.
    QString RestriccionesDisenador;

    // The built components, by column number (0-based over printed fields).
    QList<TQRLabel*> Titulos;
    QList<TQRLabel*> Detalles;  // nullptr for image columns
    QList<TQRImage*> Imagenes;  // nullptr for text columns
    QList<TQRExpr*> PiesGrupo;  // nullptr for columns that are not floats
    QList<TQRExpr*> Totales;    // nullptr for columns that are not floats
    QList<TField*> CamposColumna;

    // The report's start: paper, layout, restrictions block, translation.
    void QuickReportBeforePrint(bool& PrintReport);
    // The layouts, built from the dataset (the report's start calls them).
    void ConstruirColumnas();
    void ConstruirFichas();
    // The printable width of the page in layout units.
    int AnchoImprimible() const;

private:
    void liberarConstruidos();
    TDataSet* empezarConstruccion();
    void prepararPagina();
    void detalleAntesDeImprimir();
    // The cells of column `Columna` print through textoCelda.
    void formatearCeldas(TQRLabel* Texto, int Columna);
    void textoCelda(int Columna, const QString& Mascara, bool Hora, QString& Texto);
    void totalesAntesDeImprimir();
    void cabeceraGrupoAntesDeImprimir();
    TQRLabel* crearTitulo(TField* Campo, TQRBand* Banda);
    QFont fuenteCeldas() const;
    void aplicarCompresion(TQRPrintable* Control, bool Fuente);

    int ultimoCampo_ = -1;
    bool hayInstrucciones_ = false;
    QStringList lineasInstrucciones_;
    QStringList nombresSumatorio_;
    // Columns already warned of this run for a figure that did not fit.
    QSet<int> columnasDesbordadas_;
    void ajustarCifra(TQRCustomLabel* Celda, int Columna);
    QList<QObject*> construidos_;
    QPointer<TQRMemo> memoRestricciones_;
};

// The listing's restrictions as the report states them: each range of the
// designer and its filter memo.
QString TextoRestriccionesDisenador(const QStringList& Campos, const QStringList& Desde,
                                    const QStringList& Hasta, const QString& Filtros);
