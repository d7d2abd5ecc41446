#include "gene/dialogs/genevdet.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include "db/datasource.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/dialogs/genemlis.h"
#include "gene/data/genemodu.h"
#include "gene/session/generejilla.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesist.h"
#include "gene/dialogs/genevtex.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"

namespace {

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

QString PlantillaCampo(const QString& Nombre) {
    QString formato = PlantillaNumericaStd;
    if (fGENEINIC) FormatoCampoImporte(fGENEINIC, Nombre, formato);
    return formato;
}

}  // namespace

TfGENEVDET::TfGENEVDET(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEVDET"));
    setKeyPreview(true);
    resize(480, 320);

    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    TablaDetalle = new TTable(this);
    TablaDetalle->setObjectName(QStringLiteral("TablaDetalle"));
    QueryDetalle = new TQuery(this);
    QueryDetalle->setObjectName(QStringLiteral("QueryDetalle"));

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    TMenuItem* raizMenu = PopupMenu1->Items();
    FiltrarRegistrosporValorIguala1 =
        new TMenuItem(raizMenu, QStringLiteral("FiltrarRegistrosporValorIguala1"),
                      QStringLiteral("Filtrar Registros por Valor &Igual a..."));
    FiltrarRegistrosporValorDesde1 =
        new TMenuItem(raizMenu, QStringLiteral("FiltrarRegistrosporValorDesde1"),
                      QStringLiteral("Filtrar Registros por Valor &Desde..."));
    FiltrarRegistrosporValorHasta1 =
        new TMenuItem(raizMenu, QStringLiteral("FiltrarRegistrosporValorHasta1"),
                      QStringLiteral("Filtrar Registros por Valor &Hasta..."));
    CancelarFiltros1 = new TMenuItem(raizMenu, QStringLiteral("CancelarFiltros1"),
                                     QStringLiteral("&Cancelar Filtros"));
    ListadoProgramable1 = new TMenuItem(raizMenu, QStringLiteral("ListadoProgramable1"),
                                        QStringLiteral("Listado Programable..."));

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    Panel1 = new TPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* capaRejilla = new QVBoxLayout(Panel1);
    capaRejilla->setContentsMargins(0, 0, 0, 0);
    DBGrid1 = new TDBGrid(Panel1);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(DataSource1);
    DBGrid1->setReadOnly(true);
    DBGrid1->setPopupMenu(PopupMenu1);
    capaRejilla->addWidget(DBGrid1);
    raiz->addWidget(Panel1, 1);
    PanelTotales = new TPanel(this);
    PanelTotales->setObjectName(QStringLiteral("PanelTotales"));
    PanelTotales->setFixedHeight(21);
    PanelTotales->hide();
    raiz->addWidget(PanelTotales);
    pbSalir = CrearBotonDialogo(this, QStringLiteral("pbSalir"), QStringLiteral("&Salir"),
                                QString(), mrCancel);
    PanelControl = CrearPanelCentrado(this, QStringLiteral("PanelControl"), {pbSalir});
    raiz->addWidget(PanelControl);

    OnShow = [this](QObject*) { FormShow(); };
    OnClose = [this](QObject*, TCloseAction& Action) { Action = caFree; };
    TeclasComunesDialogo(this);
    pbSalir->OnClick = [this](QObject*) {
        if (!Modal()) Close();
    };
    DBGrid1->OnDrawColumnCell = [this](QObject*, const QRect& Rect, int Columna, TColumn*,
                                       int Estado) { dibujarCelda(Rect, Columna, Estado); };
    FiltrarRegistrosporValorIguala1->OnClick = [this](QObject*) {
        FiltrarRegistrosporValorClick(QStringLiteral("="));
    };
    FiltrarRegistrosporValorDesde1->OnClick = [this](QObject*) {
        FiltrarRegistrosporValorClick(QStringLiteral(">="));
    };
    FiltrarRegistrosporValorHasta1->OnClick = [this](QObject*) {
        FiltrarRegistrosporValorClick(QStringLiteral("<="));
    };
    CancelarFiltros1->OnClick = [this](QObject*) { CancelarFiltros1Click(); };
    ListadoProgramable1->OnClick = [this](QObject*) {
        if (TDataSet* ds = dataSet()) ListarDataSet(Modulo(), ds, Name(), QString());
    };
}

TfGENEVDET::~TfGENEVDET() {
    DBGrid1->setDataSource(nullptr);
}

TDataSet* TfGENEVDET::dataSet() const {
    TDataSet* ds = DataSource1->DataSet();
    return ds && ds->Active() ? ds : nullptr;
}

void TfGENEVDET::FormShow() {
    DBGrid1->setColor(clInfoBk);
    int ancho = 41;
    for (int i = 0; i < DBGrid1->Columns().Count(); ++i)
        ancho += DBGrid1->Columns()[i]->Width() + 1;
    int anchoPantalla = 1024;
    if (QScreen* s = QApplication::primaryScreen()) anchoPantalla = s->availableGeometry().width();
    setWidth(std::min(ancho, anchoPantalla - 41));
    setPosition(poScreenCenter);
    {
        TCursorEspera espera;
        if (TDataSet* ds = dataSet())
            for (TField* campo : ds->Fields()) AplicarFormatoCampo(fGENEINIC, campo);
    }
    if (fGENEINIC) AplicarAspecto(fGENEINIC, this);
    CalcularTotales();
    if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
}

void TfGENEVDET::CalcularTotales() {
    TDataSet* ds = dataSet();
    if (CamposTotalizadores.isEmpty() || !ds) return;
    PanelTotales->show();
    PanelTotales->setCaption(QString());
    QString titulo;
    ds->DisableControls();
    try {
        bool primero = true;
        for (const QString& nombre : CamposTotalizadores.split(QLatin1Char(';'))) {
            TField* campo = ds->FindField(nombre.trimmed());
            if (!campo) continue;
            double suma = 0;
            for (ds->First(); !ds->Eof(); ds->Next())
                if (!campo->IsNull()) suma += campo->AsFloat();
            titulo += (primero ? QString() : QStringLiteral(", ")) + QStringLiteral("Total ") +
                      nombre.trimmed() + QStringLiteral(": ") +
                      FormatFloat(PlantillaCampo(campo->FieldName()), suma) + QStringLiteral("  ");
            primero = false;
        }
    } catch (const EDatabaseError&) {
        // The totals shown so far stay.
    }
    ds->EnableControls();
    PanelTotales->setCaption(titulo);
}

void TfGENEVDET::FiltrarRegistrosporValorClick(const QString& Operador) {
    TDataSet* ds = dataSet();
    if (!ds) return;
    QWidget* foco = QApplication::focusWidget();
    if (foco && foco != DBGrid1 && !DBGrid1->isAncestorOf(foco)) return;
    if (ds->State() == dsEdit || ds->State() == dsInsert || ds->State() == dsSetKey) return;
    TField* campo = DBGrid1->SelectedField();
    if (!campo || campo->Calculated()) return;
    const QString respuesta =
        MensajePeticion(PreguntaFiltroValor(Operador, campo->FieldName()), campo->Text());
    if (respuesta.isEmpty()) return;
    if (AgregarFiltroValor(ds, campo->FieldName(), Operador, respuesta)) CalcularTotales();
}

void TfGENEVDET::CancelarFiltros1Click() {
    if (TDataSet* ds = dataSet()) {
        ds->setFilter(QString());
        ds->setFiltered(false);
    }
    CalcularTotales();
}

void TfGENEVDET::dibujarCelda(const QRect& Rect, int Columna, int Estado) {
    QPainter* canvas = DBGrid1->Canvas();
    TColumn* columna = DBGrid1->Columns()[Columna];
    TField* campo = columna ? columna->Field() : nullptr;
    if (!canvas || !campo) return;
    QString texto;
    int alineacion = 0;
    if (IsFloatType(campo->DataType())) {
        texto = campo->IsNull() ? QString()
                                : FormatFloat(PlantillaCampo(campo->FieldName()), campo->AsFloat());
        alineacion = Qt::AlignRight | Qt::AlignTop;
    } else if (EsCampoHora(campo)) {
        texto = campo->IsNull() ? QString()
                                : FormatDateTime(QStringLiteral("hh:nn:ss"), campo->AsDateTime());
        alineacion = Qt::AlignLeft | Qt::AlignTop;
    } else {
        return;
    }
    // Over the default drawing: the cell's background, then the text.
    const bool seleccionada = Estado & gdSelected;
    canvas->fillRect(
        Rect, seleccionada ? DBGrid1->palette().highlight() : QBrush(ColorToQt(DBGrid1->Color())));
    canvas->setPen(seleccionada ? DBGrid1->palette().highlightedText().color()
                                : ColorToQt(clWindowText));
    canvas->drawText(Rect.adjusted(2, 2, -1, 0), alineacion, texto);
}
