#include "gene/listings/genecsql_rejilla.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "gene/data/geneconv.h"
#include "gene/data/geneexpt.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genevmem.h"
#include "gene/dialogs/genevtex.h"
#include "gene/listings/genelpro.h"
#include "gene/listings/geneprog.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneinic.h"
#include "gene/session/sesion.h"
#include "report/quickrep.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/form.h"
#include "ui/menus.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}  // namespace

QString TextoCeldaMemo(QString Texto) {
    Texto.replace(kCrLf, QStringLiteral(" "));
    Texto.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Texto.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return Texto;
}

namespace {

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

bool EsNumerico(const TField* f) {
    return f->DataType() == ftFloat || f->DataType() == ftInteger || f->DataType() == ftSmallint;
}

// A chart text must not hold the chart's own separators.
QString TextoGrafico(QString Texto) {
    Texto.replace(QLatin1Char(';'), QLatin1Char(','));
    Texto.replace(QLatin1Char(':'), QLatin1Char('.'));
    Texto.replace(QLatin1Char('/'), QLatin1Char('-'));
    return TextoCeldaMemo(Texto);
}

// The plain text of a number (no display format), decimal comma.
QString TextoValor(const TField* f) {
    if (f->IsNull()) return QStringLiteral("0");
    QString t = QString::number(f->AsFloat(), 'g', 15);
    t.replace(QLatin1Char('.'), QLatin1Char(','));
    return t;
}

}  // namespace

QString FiltroConRestriccion(const QString& Filtro, const QString& Campo, const QString& Operador,
                             const QString& Valor) {
    QString f = Filtro;
    if (!f.isEmpty()) f += QStringLiteral(" AND ");
    return f + QLatin1Char('(') + Campo + QLatin1Char(' ') + Operador + QLatin1Char(' ') +
           Entrecomillar(Valor) + QLatin1Char(')');
}

QString SentenciaOrdenadaPor(const QString& Sentencia, const QString& Campo) {
    QStringList lineas = LineasTexto(Sentencia);
    bool puesta = false;
    for (int i = 0; i < lineas.size(); ++i) {
        const qsizetype p = lineas[i].indexOf(QLatin1String("ORDER BY"));
        if (p < 0) continue;
        if (!puesta) {
            lineas[i] = lineas[i].left(p) + QStringLiteral("ORDER BY ") + Campo;
            puesta = true;
        } else {
            lineas[i] = lineas[i].left(p);
        }
    }
    if (!puesta) lineas << QStringLiteral("ORDER BY ") + Campo;
    lineas.removeAll(QString());
    return lineas.join(kCrLf);
}

QString SentenciaSinOrden(const QString& Sentencia) {
    QStringList lineas = LineasTexto(Sentencia);
    for (int i = 0; i < lineas.size(); ++i) {
        const qsizetype p = lineas[i].indexOf(QLatin1String("ORDER BY"));
        if (p < 0) continue;
        lineas[i] = lineas[i].left(p).trimmed().isEmpty() ? QString() : lineas[i].left(p);
        break;
    }
    lineas.removeAll(QString());
    return lineas.join(kCrLf);
}

QString SeriesGrafico(TDataSet* DataSet, int N, bool Tarta) {
    // Then "Fucsia" (magenta) for every further series.
    static const char* const colores[] = {"Rojo", "Verde", "Azul", "Amarillo"};
    QString series;
    int numero = 0;
    const TFields& campos = DataSet->Fields();
    // A field hidden from the user draws no series and labels no point, as
    // the grid, print and exports leave it out.
    auto oculto = [](const TField* f) { return CampoNoVisible(nullptr, f->FieldName()); };
    const auto visible = std::find_if_not(campos.begin(), campos.end(), oculto);
    const TField* etiqueta = visible == campos.end() ? nullptr : *visible;
    for (TField* f : campos) {
        if (!EsNumerico(f) || oculto(f)) continue;
        if (numero == kMaximoSeriesGrafico) break;
        QString linea = QStringLiteral("Titulo=") + TextoGrafico(f->FieldName()) +
                        QStringLiteral(";Tipo=") +
                        (Tarta ? QStringLiteral("Tarta") : QStringLiteral("Barras"));
        if (Tarta)
            linea += QStringLiteral(";Color=;Marcas=SI;IncluirEnLeyenda=SI;");
        else
            linea += QStringLiteral(";Color=") +
                     QLatin1String(numero < 4 ? colores[numero] : "Fucsia") +
                     QStringLiteral(";IncluirEnLeyenda=SI;");
        ++numero;
        linea += QStringLiteral("Valores=");
        int k = 0;
        double resto = 0;
        for (DataSet->First(); !DataSet->Eof(); DataSet->Next()) {
            if (k < N) {
                ++k;
                linea += QString::number(k) + QLatin1Char(':') + TextoValor(f) + QLatin1Char(':') +
                         TextoGrafico(etiqueta ? etiqueta->AsString() : QString()) +
                         QStringLiteral(":/");
            } else {
                resto += f->AsFloat();
            }
        }
        if (resto != 0) {
            QString r = QString::number(resto, 'g', 15);
            r.replace(QLatin1Char('.'), QLatin1Char(','));
            linea += QString::number(k + 1) + QLatin1Char(':') + r + QStringLiteral(":Otros:/");
        }
        series += linea + kCrLf;
    }
    DataSet->First();
    return series;
}

QString TextoMaximoValoresGrafico() {
    return QStringLiteral("El número de Valores a Representar no puede ser mayor que ") +
           QString::number(kMaximoValoresGrafico);
}

THerramientasRejilla::THerramientasRejilla(TForm* Formulario, TDBGrid* Rejilla,
                                           std::function<QString()> Titulo,
                                           std::function<QString()> Sentencia)
    : formulario_(Formulario),
      rejilla_(Rejilla),
      titulo_(std::move(Titulo)),
      sentencia_(std::move(Sentencia)) {
    rejilla_->setTitleFontColor(clNavy);
    rejilla_->OnEditButtonClick = [this](QObject*) { VerCampoMemo(); };
    // A memo cell shows its text on one line, not the "(MEMO)" of other grids.
    rejilla_->OnDrawColumnCell = [this](QObject*, const QRect& Rect, int, TColumn* Columna,
                                        int Estado) {
        TField* f = Columna ? Columna->Field() : nullptr;
        QPainter* lienzo = rejilla_->Canvas();
        if (!f || !lienzo || f->DataType() != ftMemo) return;
        const QPalette& paleta = rejilla_->palette();
        const bool elegida = Estado & gdSelected;
        lienzo->fillRect(Rect, paleta.color(elegida ? QPalette::Highlight : QPalette::Base));
        lienzo->setPen(paleta.color(elegida ? QPalette::HighlightedText : QPalette::Text));
        lienzo->setFont(rejilla_->font());
        lienzo->setClipRect(Rect);
        lienzo->drawText(Rect.adjusted(2, 0, -2, 0), int(Qt::AlignLeft | Qt::AlignVCenter),
                         TextoCeldaMemo(GridCellText(f->AsString())));
    };
}

void THerramientasRejilla::VerCampoMemo() {
    TDataSet* d = Datos();
    TField* f = rejilla_->SelectedField();
    if (!d || !f || f->DataType() != ftMemo) return;
    const QString titulo = QStringLiteral("Consultas SQL; Campo ") + f->FieldName();
    if (rejilla_->ReadOnly() || !d->CanModify()) {
        VisorCampoTexto(d, titulo, f->FieldName());
        return;
    }
    if (d->State() != dsEdit && d->State() != dsInsert) d->Edit();
    QString texto;
    VisualizarAsignarCampoTexto(d, titulo, f->FieldName(), texto);
    f->setAsString(texto);
}

TDataSet* THerramientasRejilla::Datos() const {
    TDataSet* d = rejilla_->DataSource() ? rejilla_->DataSource()->DataSet() : nullptr;
    return d && d->Active() ? d : nullptr;
}

TDataSet* THerramientasRejilla::DatosCompletos() const {
    TDataSet* d = Datos();
    if (!d || !d->ResultIncomplete()) return d;
    MensajeAdvertencia(TextoConsultaIncompleta());
    return nullptr;
}

TPopupMenu* THerramientasRejilla::CrearMenu(bool ConBusqueda, std::function<void()> CancelarOrden) {
    auto* menu = new TPopupMenu(formulario_);
    menu->setObjectName(QStringLiteral("PopUpGrid"));
    auto item = [&](const char* nombre, const QString& texto, std::function<void()> f) {
        auto* i = new TMenuItem(menu->Items(), QLatin1String(nombre), texto);
        if (f) i->OnClick = [f](QObject*) { f(); };
    };
    item("FiltrarRegistrosporValorIguala1",
         QStringLiteral("Filtrar Registros por Valor &Igual a..."),
         [this] { Filtrar(QStringLiteral("=")); });
    item("FiltrarRegistrosporValorDesde1", QStringLiteral("Filtrar Registros por Valor &Desde..."),
         [this] { Filtrar(QStringLiteral(">=")); });
    item("FiltrarRegistrosporValorHasta1", QStringLiteral("Filtrar Registros por Valor &Hasta..."),
         [this] { Filtrar(QStringLiteral("<=")); });
    item("N1", QStringLiteral("-"), nullptr);
    item("CancelarFiltros1", QStringLiteral("&Cancelar Filtros"), [this] { CancelarFiltros(); });
    if (ConBusqueda) {
        item("CancelarOrdenadoPor1", QStringLiteral("Cancelar &Ordenado Por"), CancelarOrden);
        item("N2", QStringLiteral("-"), nullptr);
        item("BuscarRegistroconValorIguala1",
             QStringLiteral("&Buscar Registro con Valor Igual a..."), [this] { Buscar(); });
    }
    rejilla_->setPopupMenu(menu);
    return menu;
}

void THerramientasRejilla::Filtrar(const QString& Operador) {
    TDataSet* d = DatosCompletos();
    TField* f = rejilla_->SelectedField();
    if (!d || !f || d->State() == dsEdit || d->State() == dsInsert || f->Calculated()) return;
    const QString titulo = AbreviarTitulo(f->FieldName(), 1);
    const QString pregunta =
        Operador == QLatin1String("=")    ? QStringLiteral("Introduzca el valor del campo ")
        : Operador == QLatin1String(">=") ? QStringLiteral("Introduzca el valor Desde ")
                                          : QStringLiteral("Introduzca el valor Hasta ");
    const QString valor = MensajePeticion(pregunta + titulo, f->AsString());
    if (valor.isEmpty()) return;
    const QString anterior = d->Filter();
    const bool filtrado = d->Filtered();
    try {
        d->setFiltered(false);
        d->setFilter(FiltroConRestriccion(anterior, f->FieldName(), Operador, valor));
        d->setFiltered(true);
    } catch (const std::exception&) {
        // The refused piece must not stay to spoil every later filter.
        try {
            d->setFilter(anterior);
            d->setFiltered(filtrado);
        } catch (const std::exception&) {
        }
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible filtrar registros!"));
    }
}

void THerramientasRejilla::CancelarFiltros() {
    if (TDataSet* d = Datos()) {
        d->setFiltered(false);
        d->setFilter(QString());
    }
}

void THerramientasRejilla::Buscar() {
    TDataSet* d = Datos();
    TField* f = rejilla_->SelectedField();
    if (!d || !f) return;
    const QString valor =
        MensajePeticion(QStringLiteral("Introduzca el valor a buscar en el campo ") +
                            AbreviarTitulo(f->FieldName(), 1),
                        f->AsString());
    try {
        if (!d->Locate(f->FieldName(), valor, 0))
            MensajeInformacion(QStringLiteral("No se ha encontrado ninguna coincidencia"));
    } catch (const std::exception&) {
        MensajeInformacion(QStringLiteral("No se puede realizar una búsqueda por este campo"));
    }
}

void THerramientasRejilla::Imprimir(bool Apaisado) {
    TDataSet* d = DatosCompletos();
    if (!d) return;
    std::unique_ptr<TfGENELPRO> informe(new TfGENELPRO(nullptr));
    informe->QuickReport->setDataSet(d);
    informe->QuickReport->setReportTitle(titulo_());
    informe->AjustarTexto = true;
    informe->Sumatorios = QStringLiteral("Todas");
    informe->QuickReport->Page.Orientation = Apaisado ? poLandscape : poPortrait;
    informe->FuenteListado = rejilla_->font();
    // The report names the workbench's own query itself; another result
    // (the runner's rows) gets the same line here.
    if (d->objectName() != QLatin1String("QryConsultasSQL")) {
        QString sentencia = sentencia_();
        sentencia.replace(kCrLf, QStringLiteral(" "));
        informe->RestriccionesDisenador = QStringLiteral("Sentencia SQL: ") + sentencia.trimmed();
        if (!d->Filter().isEmpty())
            informe->RestriccionesDisenador += QStringLiteral(". Filtro: ") + d->Filter();
    }
    informe->QuickReport->ReadInOnePass = true;
    TBusyForm ocupado(formulario_);
    const bool previa =
        MensajeConfirmacion(QStringLiteral("¿Desea realizar una visualización previa?")) ==
        QLatin1String("SI");
    try {
        if (previa) {
            informe->QuickReport->Preview();
        } else {
            TParadaPaginas parada(informe->BandaDetalle);
            ImprimirInforme(Modulo(), informe->QuickReport, QString());
        }
    } catch (const EUserStatementCancelled&) {
        // The pages made are not the listing: the report dropped them and
        // their preview, and no file was put in place.
        MensajeAdvertencia(TextoSentenciaCancelada());
    }
}

void THerramientasRejilla::Exportar() {
    try {
        if (TDataSet* d = DatosCompletos())
            ExportarASCII(Modulo(), d, nullptr, QStringLiteral("SQL.TXT"), QString());
    } catch (const EUserStatementCancelled&) {
        // The rest of the result was being read: nothing was written.
        MensajeAdvertencia(TextoSentenciaCancelada());
    }
}

void THerramientasRejilla::ExportarExcel() {
    try {
        if (TDataSet* d = DatosCompletos())
            ::ExportarExcel(Modulo(), d, nullptr, QStringLiteral("SQL.XLS"), QString());
    } catch (const EUserStatementCancelled&) {
        MensajeAdvertencia(TextoSentenciaCancelada());
    }
}

void THerramientasRejilla::Importar() {
    QString archivo;
    if (TDataSet* d = Datos())
        ImportarASCII(Modulo(), d, nullptr, QStringLiteral("SQL.TXT"), QString(), archivo);
}

void THerramientasRejilla::Grafico() {
    TDataSet* d = Datos();
    if (d && d->ResultIncomplete()) {
        DatosCompletos();  // says why
        return;
    }
    if (!d || d->IsEmpty()) {
        MensajeInformacion(
            QStringLiteral("No es posible realizar una representación gráfica de los datos"));
        return;
    }
    const QString n = MensajePeticion(
        QStringLiteral("Introduzca el número de Valores a Representar"), QStringLiteral("10"));
    if (!ValidarEntero(n, QStringLiteral("Valores a Representar"))) return;
    if (n.trimmed().toInt() > kMaximoValoresGrafico) {
        MensajeAdvertencia(TextoMaximoValoresGrafico());
        return;
    }
    const bool tarta = MensajeConfirmacion(
                           QStringLiteral("¿Desea que la representación sea en forma de tarta?")) ==
                       QLatin1String("SI");
    const QString cabecera =
        QStringLiteral("Titulo=") + TextoGrafico(titulo_()) + QLatin1Char(';') +
        (tarta ? QStringLiteral("Medidas=450x300;") : QStringLiteral("Medidas=400x300;")) +
        QStringLiteral("PanelControl=SI;StatusBar=SI;Leyenda=SI;");
    MostrarGrafico(Modulo(), cabecera, SeriesGrafico(d, n.trimmed().toInt(), tarta));
}

QString THerramientasRejilla::CambiarFuente() {
    TFontDialog* dialogo = FontDialog1(Modulo());
    dialogo->Font = rejilla_->font();
    if (!dialogo->Execute()) return QString();
    const QFont f = dialogo->Font;
    rejilla_->setTitleFont(f);
    rejilla_->setFont(f);
    int estilos = 0;
    if (f.bold()) estilos |= fsBold;
    if (f.italic()) estilos |= fsItalic;
    if (f.underline()) estilos |= fsUnderline;
    if (f.strikeOut()) estilos |= fsStrikeout;
    return f.family() + QLatin1Char(',') + NombreEstiloFuente(estilos) + QLatin1Char(',') +
           NombreColor(rejilla_->FontColor()) + QLatin1Char(',') + QString::number(f.pointSize());
}

void THerramientasRejilla::AplicarFuente(const QString& Valor) {
    if (Valor.isEmpty()) return;
    const QStringList partes = Valor.split(QLatin1Char(','));
    QFont f = rejilla_->font();
    QString nombre = partes.value(0);
    if (nombre == QLatin1String("MS Sans Serif")) nombre = FuenteAplicacion.family();
    if (!nombre.isEmpty()) f.setFamily(nombre);
    // EstiloFuente gives the style's position (0 bold .. 3 strike-out); an
    // empty style is a font without one, whatever the grid showed before.
    const QString nombreEstilo = partes.value(1).trimmed();
    const int estilo = EstiloFuente(nombreEstilo);
    if (estilo != 255 || nombreEstilo.isEmpty()) {
        const int estilos = estilo == 255 ? 0 : 1 << estilo;
        f.setBold(estilos & fsBold);
        f.setItalic(estilos & fsItalic);
        f.setUnderline(estilos & fsUnderline);
        f.setStrikeOut(estilos & fsStrikeout);
    }
    bool ok = false;
    int tamano = partes.value(3).trimmed().toInt(&ok);
    if (ok && tamano == 8) tamano = FuenteAplicacion.pointSize();
    if (ok && tamano > 0) f.setPointSize(tamano);
    rejilla_->setFont(f);
    rejilla_->setTitleFont(f);
    rejilla_->setFontColor(ColorSegunNombre(partes.value(2)));
}

TBarraConsulta::TBarraConsulta(QWidget* Ventana, TPanel*& Panel, TSpeedButton*& Modificar,
                               TSpeedButton*& Imprimir, TSpeedButton*& Ejecutar,
                               TSpeedButton*& Exportar) {
    panel_ = Panel = new TPanel(Ventana);
    Panel->setObjectName(QStringLiteral("PanelControl"));
    fila_ = new QHBoxLayout(Panel);
    Modificar = Boton("pbModificar", QStringLiteral("Modificar"),
                      QStringLiteral("Activar/Desactivar Modificación de Datos"));
    Modificar->setGroupIndex(1);
    Modificar->setCheckable(true);
    Imprimir = Boton("pbImprimir", QStringLiteral("Imprimir"),
                     QStringLiteral("Imprimir los datos (en impresora)"));
    Ejecutar = Boton("pbEjecutar", QStringLiteral("Ejecutar"),
                     QStringLiteral("Ejecutar la sentencia SQL (F9)"));
    Exportar = Boton("pbExportar", QStringLiteral("Exportar"),
                     QStringLiteral("Exportar los datos a un fichero de texto (ASCII)"));
}

TSpeedButton* TBarraConsulta::Boton(const char* Nombre, const QString& Texto,
                                    const QString& Ayuda) {
    return CrearBotonBarra(panel_, fila_, QLatin1String(Nombre), Texto, Ayuda);
}

TDBGrid* CrearRejillaResultado(QWidget* Padre, TPanel*& PanelGrid) {
    PanelGrid = new TPanel(Padre);
    PanelGrid->setObjectName(QStringLiteral("PanelGrid"));
    auto* capa = new QVBoxLayout(PanelGrid);
    auto* rejilla = new TDBGrid(PanelGrid);
    rejilla->setObjectName(QStringLiteral("DBGrid1"));
    rejilla->setReadOnly(true);
    capa->addWidget(rejilla);
    return rejilla;
}
