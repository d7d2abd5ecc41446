#include "gene/dialogs/genemlis.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <memory>

#include "db/controlsguard.h"
#include "db/datasource.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/dialogs/genebusc.h"
#include "gene/data/geneclav.h"
#include "gene/session/genecomp.h"
#include "gene/data/geneconv.h"
#include "gene/dialogs/genedeta.h"
#include "gene/dialogs/geneeval.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/generejilla.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/dialogs/genevlis.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"

TGeometriaDialogo GeometriaListaDatos;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kLinea = QStringLiteral("GENEMLISLinea");
const QString kEstiloLinea = QStringLiteral("EstiloLinea");
constexpr int kAzulMarcado = 15780518;

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

bool EnEdicion(const TDataSet* d) {
    return d->State() == dsEdit || d->State() == dsInsert;
}

// A field's value as the list writes it back.
QString TextoCampoLista(TField* Campo) {
    if (Campo->IsNull()) return QString();
    if (IsDateTimeType(Campo->DataType())) {
        QString texto;
        TextoCampoFecha(Modulo(), Campo, texto);
        return texto;
    }
    return Campo->AsString();
}

void AsignarTextoCampo(TField* Campo, const QString& Texto) {
    if (Texto.isEmpty() && !IsStringType(Campo->DataType())) {
        Campo->Clear();
        return;
    }
    try {
        Campo->setAsString(Campo->IsBlob() ? PuntosASaltos(Texto) : Texto);
    } catch (const EDatabaseError&) {
        // A value the column does not take stays empty.
    }
}

// Work on every row of the list, whatever value filter the user has on; the
// filter is back on afterwards.
struct FiltroSuspendido {
    TDataSet* d;
    bool filtrado;
    explicit FiltroSuspendido(TDataSet* ds) : d(ds), filtrado(ds->Filtered()) {
        if (filtrado) d->setFiltered(false);
    }
    ~FiltroSuspendido() {
        if (!filtrado) return;
        try {
            d->setFiltered(true);
        } catch (const EDatabaseError&) {
            // A filter that applied before applies again; nothing to lose here.
        }
    }
};

}  // namespace

// ---------------------------------------------------------------- window

TfGENEMLIS::TfGENEMLIS(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEMLIS"));
    setCaption(QStringLiteral("Mantenimiento de Lista"));
    setKeyPreview(true);
    resize(520, 360);

    Temporal = new TTable(this);
    Temporal->setObjectName(QStringLiteral("Temporal"));
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Temporal);

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    TMenuItem* raizMenu = PopupMenu1->Items();
    const TMenuFiltroValor filtros = CrearMenuFiltroValor(
        raizMenu, QStringLiteral("FiltrarRegistrosporValorIgualA"),
        QStringLiteral("FiltrarRegistrosporValoresDesdeHasta"),
        [this](const QString& Operador) { FiltrarRegistrosporValorClick(Operador); },
        [this] { FiltrarRegistrosporValoresDesdeHastaClick(); });
    FiltrarRegistrosporValorIgualA = filtros.Igual;
    FiltrarRegistrosporValorDesde = filtros.Desde;
    FiltrarRegistrosporValorHasta = filtros.Hasta;
    FiltrarRegistrosporValoresDesdeHasta = filtros.DesdeHasta;
    CancelarFiltros = new TMenuItem(raizMenu, QStringLiteral("CancelarFiltros"),
                                    QStringLiteral("&Cancelar Filtros"));
    VerDetalle1 =
        new TMenuItem(raizMenu, QStringLiteral("VerDetalle1"), QStringLiteral("&Ver Detalle"));
    ListadoProgramable1 = new TMenuItem(raizMenu, QStringLiteral("ListadoProgramable1"),
                                        QStringLiteral("Listado Programable..."));

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    P1 = new TPanel(this);
    P1->setObjectName(QStringLiteral("P1"));
    auto* capaRejilla = new QVBoxLayout(P1);
    capaRejilla->setContentsMargins(0, 0, 0, 0);
    capaRejilla->setSpacing(0);
    DBGrid1 = new TDBGrid(P1);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(DataSource1);
    DBGrid1->setOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                        dgRowLines | dgTabs | dgCancelOnExit);
    DBGrid1->setPopupMenu(PopupMenu1);
    capaRejilla->addWidget(DBGrid1, 1);
    PanelTotales = new TPanel(P1);
    PanelTotales->setObjectName(QStringLiteral("PanelTotales"));
    PanelTotales->setFixedHeight(21);
    auto* capaTotales = new QHBoxLayout(PanelTotales);
    capaTotales->setContentsMargins(2, 0, 2, 0);
    LBTextoTotales = new TLabel(PanelTotales);
    LBTextoTotales->setObjectName(QStringLiteral("LBTextoTotales"));
    LBTextoTotales->setAlignment(taRight);
    LBTotales = new TLabel(PanelTotales);
    LBTotales->setObjectName(QStringLiteral("LBTotales"));
    LBTotales->setAlignment(taRight);
    capaTotales->addStretch(1);
    capaTotales->addWidget(LBTextoTotales);
    capaTotales->addWidget(LBTotales);
    capaRejilla->addWidget(PanelTotales);
    raiz->addWidget(P1, 1);

    pbAceptar = CrearBotonDialogo(this, QStringLiteral("pbAceptar"), QStringLiteral("&Aceptar"),
                                  QString(), mrOk);
    pbRestablecer =
        CrearBotonDialogo(this, QStringLiteral("pbRestablecer"), QStringLiteral("&Restablecer"),
                          QStringLiteral("Restablecer los datos originales"), mrNone);
    pbCancelar = CrearBotonDialogo(this, QStringLiteral("pbCancelar"), QStringLiteral("&Cancelar"),
                                   QString(), mrCancel);
    PanelControl = CrearPanelCentrado(this, QStringLiteral("PanelControl"),
                                      {pbAceptar, pbRestablecer, pbCancelar});
    raiz->addWidget(PanelControl);

    OnCreate = [this](QObject*) {
        AplicarGeometriaDialogo(this, GeometriaListaDatos, poMainFormCenter);
    };
    OnShow = [this](QObject*) { FormShow(); };
    OnResize = [this](QObject*) {
        if (!AjustePorAncho && Temporal->Active()) AjustarRejilla(Modulo(), DBGrid1);
    };
    OnClose = [this](QObject*, TCloseAction&) {
        RecordarGeometriaDialogo(this, GeometriaListaDatos);
    };
    TeclasComunesDialogo(this);
    DBGrid1->OnDblClick = [this](QObject*) { DBGrid1DblClick(); };
    DBGrid1->OnColExit = [this](QObject*) {
        TField* campo = campoSeleccionado();
        if (campo && !ValidarColumnaLista(campo->FieldName())) Abort();
    };
    DBGrid1->OnDrawColumnCell = [this](QObject*, const QRect& Rect, int Columna, TColumn*,
                                       int Estado) { dibujarCelda(Rect, Columna, Estado); };
    Temporal->BeforePost = [this](TDataSet*) {
        TField* campo = campoSeleccionado();
        if (campo && !ValidarColumnaLista(campo->FieldName())) Abort();
    };
    Temporal->OnNewRecord = [this](TDataSet* ds) {
        if (TField* linea = ds->FindField(kLinea)) linea->setAsInteger(siguienteLinea_++);
    };
    pbRestablecer->OnClick = [this](QObject*) { pbRestablecerClick(); };
    PopupMenu1->OnPopup = [this](QObject*) { popupMenu1Popup(); };
    CancelarFiltros->OnClick = [this](QObject*) { CancelarFiltrosClick(); };
    VerDetalle1->OnClick = [this](QObject*) { VerDetalle1Click(); };
    ListadoProgramable1->OnClick = [this](QObject*) {
        ListarDataSet(Modulo(), Temporal, QString(), QString());
    };
}

TfGENEMLIS::~TfGENEMLIS() {
    // The grid lets go of the table before the table goes.
    DBGrid1->setDataSource(nullptr);
}

bool TfGENEMLIS::SoloLectura() const {
    return DBGrid1->ReadOnly();
}

TField* TfGENEMLIS::campoSeleccionado() const {
    return Temporal->Active() ? DBGrid1->SelectedField() : nullptr;
}

void TfGENEMLIS::FormShow() {
    if (SoloLectura()) DBGrid1->setColor(clInfoBk);
    LBTotales->setVisible(!CamposTotalizadores.isEmpty());
    LBTextoTotales->setVisible(!CamposTotalizadores.isEmpty());
    if (Temporal->Active()) {
        if (AjustePorAncho) {
            const QFontMetrics medidas(DBGrid1->font());
            for (int i = 0; i < DBGrid1->Columns().Count(); ++i) {
                TColumn* c = DBGrid1->Columns()[i];
                if (c->Visible() && c->Field())
                    c->setPixelWidth(medidas.horizontalAdvance(
                        QString(std::max(1, AnchoCampo(c->Field())), QLatin1Char('Z'))));
            }
        } else {
            AjustarRejilla(Modulo(), DBGrid1);
        }
        for (const auto& [nombre, ancho] : AnchosColumnas)
            for (int i = 0; i < DBGrid1->Columns().Count(); ++i)
                if (DBGrid1->Columns()[i]->FieldName() == nombre)
                    DBGrid1->Columns()[i]->setWidth(ancho);
        for (int i = 0; i < DBGrid1->Columns().Count(); ++i) {
            TColumn* c = DBGrid1->Columns()[i];
            c->Title()->setCaption(AbreviarTitulo(
                c->Title()->Caption().isEmpty() ? c->FieldName() : c->Title()->Caption(), 1));
            if (TField* f = c->Field(); f && IsFloatType(f->DataType())) {
                QString formato =
                    f->DisplayFormat().isEmpty() ? PlantillaNumericaStd : f->DisplayFormat();
                if (fGENEINIC) FormatoCampoImporte(fGENEINIC, f->FieldName(), formato);
                f->setDisplayFormat(formato);
            }
        }
        CapturarFilasIniciales();
        Temporal->First();
    }
    if (fGENEINIC) AplicarAspecto(fGENEINIC, this);
    setActiveControl(pbAceptar);
    CalcularTotalesLista();
    if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
}

void TfGENEMLIS::CapturarFilasIniciales() {
    FilasIniciales.clear();
    if (!Temporal->Active()) return;
    TControlesDesactivados controles(Temporal);
    const TBookmark marca = Temporal->GetBookmark();
    for (Temporal->First(); !Temporal->Eof(); Temporal->Next()) {
        QStringList fila;
        for (TField* f : Temporal->Fields()) fila << TextoCampoLista(f);
        FilasIniciales << fila;
        if (TField* linea = Temporal->FindField(kLinea))
            siguienteLinea_ = std::max(siguienteLinea_, linea->AsInteger() + 1);
    }
    if (!marca.IsNull() && Temporal->BookmarkValid(marca)) Temporal->GotoBookmark(marca);
}

bool TfGENEMLIS::ValidarColumnaLista(const QString& Campo) {
    if (!Temporal->Active() || !EnEdicion(Temporal)) return true;
    for (const QString& entrada : Formulas) {
        if (ExtraerToken(0, entrada, QStringLiteral(":")) != Campo) continue;
        // The entry is read only up to a second ":".
        const QString resto = ExtraerToken(1, entrada, QStringLiteral(":"));
        const QString separador =
            resto.contains(QLatin1String("->")) ? QStringLiteral("->") : QStringLiteral(">");
        const QString destino = ExtraerToken(0, resto, separador).trimmed();
        const QString expresion = resto.mid(resto.indexOf(separador) + separador.size());
        TField* campoDestino = Temporal->FindField(destino);
        if (!campoDestino) continue;
        const QString sustituida =
            SustituirOperandos(expresion, [this](const QString& Nombre, double& Valor) {
                TField* f = Temporal->FindField(Nombre);
                if (!f) return false;
                try {
                    Valor = f->IsNull() ? 0 : f->AsFloat();
                } catch (const EDatabaseError&) {
                    Valor = 0;
                }
                return true;
            });
        // The target is usually a column the user may not type into.
        const bool soloLectura = campoDestino->ReadOnly();
        campoDestino->setReadOnly(false);
        try {
            campoDestino->setAsFloat(EvaluarFormula(sustituida));
        } catch (const EDatabaseError&) {
            // A target that takes no number keeps its value.
        }
        campoDestino->setReadOnly(soloLectura);
    }
    for (const QString& entrada : Busquedas) {
        if (ExtraerToken(1, entrada, QStringLiteral(">")) != Campo) continue;
        TField* f = Temporal->FindField(Campo);
        if (!f) continue;
        if (!ExisteClaveTabla(Modulo(), ExtraerToken(0, entrada, QStringLiteral(">")),
                              CadenaClave(f->Text()))) {
            MensajeAdvertencia(QStringLiteral("¡No existe el registro!"));
            return false;
        }
    }
    return true;
}

void TfGENEMLIS::CalcularTotalesLista() {
    if (PanelTotales->isHidden() || CamposTotalizadores.isEmpty() || !Temporal->Active()) return;
    PanelTotales->setFixedHeight((ContarCaracter(QLatin1Char(';'), CamposTotalizadores) + 1) * 15);
    QStringList textos, totales;
    {
        TControlesDesactivados controles(Temporal);
        for (const QString& nombre : CamposTotalizadores.split(QLatin1Char(';'))) {
            TField* campo = Temporal->FindField(nombre.trimmed());
            if (!campo) continue;
            double suma = 0;
            for (Temporal->First(); !Temporal->Eof(); Temporal->Next())
                if (!campo->IsNull()) suma += campo->AsFloat();
            textos << QStringLiteral("Total ") + PalabrasLegibles(campo->FieldName()) +
                          QStringLiteral(": ");
            totales << FormatFloat(QStringLiteral("#,##0.00"), suma) + Espacios(7);
        }
        Temporal->First();
    }
    LBTextoTotales->setCaption(textos.join(QLatin1Char('\n')));
    LBTotales->setCaption(totales.join(QLatin1Char('\n')));
}

void TfGENEMLIS::popupMenu1Popup() {
    const bool filtros = !(DBGrid1->Options() & dgRowSelect);
    FiltrarRegistrosporValorIgualA->setEnabled(filtros);
    FiltrarRegistrosporValorDesde->setEnabled(filtros);
    FiltrarRegistrosporValorHasta->setEnabled(filtros);
    FiltrarRegistrosporValoresDesdeHasta->setEnabled(filtros);
}

QString CondicionFiltroValor(const QString& Campo, const QString& Operador, const QString& Valor) {
    return QLatin1Char('(') + Campo + QLatin1Char(' ') + Operador + QLatin1Char(' ') +
           Entrecomillar(Valor) + QLatin1Char(')');
}

namespace {

// An amount is typed as the program shows it ("." thousands, "," decimal, as
// TextoAReal reads it); the filter would take "50.000" for fifty, so it gets
// the number written without thousands marks. False when it is no number.
bool valorFiltroNumerico(TDataSet* DataSet, const QString& Campo, QString& Valor) {
    const TField* campo = DataSet->FindField(Campo);
    if (!campo || !(IsFloatType(campo->DataType()) || IsIntegerType(campo->DataType())))
        return true;
    double numero = 0;
    if (!TryStrToFloat(QString(Valor).remove(QLatin1Char('.')), numero)) return false;
    Valor = FloatToStr(numero);
    return true;
}

}  // namespace

bool AgregarFiltroValor(TDataSet* DataSet, const QString& Campo, const QString& Operador,
                        const QString& Valor) {
    const QString anterior = DataSet->Filter();
    const bool filtrado = DataSet->Filtered();
    const QString mensaje = QStringLiteral("¡No ha sido posible filtrar registros!");
    QString valor = Valor;
    if (!valorFiltroNumerico(DataSet, Campo, valor)) {
        MensajeAdvertencia(mensaje);
        return false;
    }
    try {
        DataSet->setFiltered(false);
        QString filtro = anterior;
        if (!filtro.isEmpty()) filtro += QStringLiteral(" AND ");
        filtro += CondicionFiltroValor(Campo, Operador, valor);
        DataSet->setFilter(filtro);
        DataSet->setFiltered(true);
    } catch (const EDatabaseError&) {
        try {
            DataSet->setFilter(anterior);
            DataSet->setFiltered(filtrado);
        } catch (const EDatabaseError&) {
        }
        MensajeAdvertencia(mensaje);
        return false;
    }
    return true;
}

QString PreguntaFiltroValor(const QString& Operador, const QString& Campo) {
    const QString pregunta =
        Operador == QLatin1String("=")    ? QStringLiteral("Introduzca el valor del campo ")
        : Operador == QLatin1String(">=") ? QStringLiteral("Introduzca el valor Desde ")
                                          : QStringLiteral("Introduzca el valor Hasta ");
    return pregunta + AbreviarTitulo(Campo, 1);
}

TMenuFiltroValor CrearMenuFiltroValor(TMenuItem* Raiz, const QString& NombreIgual,
                                      const QString& NombreDesdeHasta,
                                      std::function<void(const QString& Operador)> Filtrar,
                                      std::function<void()> DesdeHasta) {
    TMenuFiltroValor menu;
    menu.Igual =
        new TMenuItem(Raiz, NombreIgual, QStringLiteral("Filtrar Registros por Valor &Igual a..."));
    menu.Desde = new TMenuItem(Raiz, QStringLiteral("FiltrarRegistrosporValorDesde"),
                               QStringLiteral("Filtrar Registros por Valor &Desde..."));
    menu.Hasta = new TMenuItem(Raiz, QStringLiteral("FiltrarRegistrosporValorHasta"),
                               QStringLiteral("Filtrar Registros por Valor &Hasta..."));
    menu.DesdeHasta = new TMenuItem(
        Raiz, NombreDesdeHasta, QStringLiteral("&Filtrar Registros por Valores Desde-Hasta..."));
    menu.Igual->OnClick = [Filtrar](QObject*) { Filtrar(QStringLiteral("=")); };
    menu.Desde->OnClick = [Filtrar](QObject*) { Filtrar(QStringLiteral(">=")); };
    menu.Hasta->OnClick = [Filtrar](QObject*) { Filtrar(QStringLiteral("<=")); };
    menu.DesdeHasta->OnClick = [DesdeHasta = std::move(DesdeHasta)](QObject*) { DesdeHasta(); };
    return menu;
}

bool TfGENEMLIS::AgregarFiltro(const QString& Campo, const QString& Operador,
                               const QString& Valor) {
    if (!AgregarFiltroValor(Temporal, Campo, Operador, Valor)) return false;
    CalcularTotalesLista();
    return true;
}

void TfGENEMLIS::FiltrarRegistrosporValorClick(const QString& Operador) {
    if (DBGrid1->Options() & dgRowSelect) return;
    TField* campo = campoSeleccionado();
    if (!campo) return;
    if (campo->Calculated() && EnEdicion(Temporal)) return;
    const QString respuesta =
        MensajePeticion(PreguntaFiltroValor(Operador, campo->FieldName()), campo->Text());
    if (respuesta.isEmpty()) return;
    AgregarFiltro(campo->FieldName(), Operador, respuesta);
}

void TfGENEMLIS::FiltrarRegistrosporValoresDesdeHastaClick() {
    FiltrarRegistrosporValorClick(QStringLiteral(">="));
    FiltrarRegistrosporValorClick(QStringLiteral("<="));
}

void TfGENEMLIS::CancelarFiltrosClick() {
    Temporal->setFiltered(false);
    Temporal->setFilter(QString());
    CalcularTotalesLista();
}

void TfGENEMLIS::VerDetalle1Click() {
    TField* campo = campoSeleccionado();
    if (!campo || !campo->IsBlob()) return;
    MostrarDetalle(campo->AsString(),
                   QStringLiteral("Detalle del campo ") + PalabrasLegibles(campo->FieldName()),
                   QString());
}

void TfGENEMLIS::pbRestablecerClick() {
    if (!Temporal->Active()) return;
    if (EnEdicion(Temporal)) Temporal->Cancel();
    TControlesDesactivados controles(Temporal);
    {
        // Rows a value filter hides are emptied and restored too.
        FiltroSuspendido sinFiltro(Temporal);
        for (Temporal->First(); !Temporal->IsEmpty();) Temporal->Delete();
        siguienteLinea_ = 1;
        for (const QStringList& fila : std::as_const(FilasIniciales)) {
            Temporal->Append();
            for (int i = 0; i < Temporal->FieldCount() && i < fila.size(); ++i) {
                TField* f = Temporal->Fields()[i];
                const bool soloLectura = f->ReadOnly();
                f->setReadOnly(false);
                AsignarTextoCampo(f, fila[i]);
                f->setReadOnly(soloLectura);
            }
            Temporal->Post();
            if (TField* linea = Temporal->FindField(kLinea))
                siguienteLinea_ = std::max(siguienteLinea_, linea->AsInteger() + 1);
        }
    }
    Temporal->First();
    CalcularTotalesLista();
}

void TfGENEMLIS::DBGrid1DblClick() {
    if (SoloLectura()) {
        setModalResult(mrOk);
        return;
    }
    TField* campo = campoSeleccionado();
    if (!campo) return;
    for (const QString& entrada : Busquedas) {
        if (ExtraerToken(1, entrada, QStringLiteral(">")) != campo->FieldName()) continue;
        if (!EnEdicion(Temporal)) Temporal->Edit();
        QVariant clave;
        BuscarCodigo(ExtraerToken(0, entrada, QStringLiteral(">")), 0, clave);
        const QVariantList valores = clave.toList();
        if (!valores.isEmpty()) campo->setText(valores.first().toString());
        return;
    }
}

void TfGENEMLIS::dibujarCelda(const QRect& Rect, int Columna, int Estado) {
    QPainter* canvas = DBGrid1->Canvas();
    TColumn* columna = DBGrid1->Columns()[Columna];
    TField* campo = columna ? columna->Field() : nullptr;
    if (!canvas || !campo) return;
    const bool marcada =
        DBGrid1->SelectedRows().CurrentRowSelected() || (SoloLectura() && (Estado & gdSelected));
    QColor fondo;
    if (marcada)
        fondo = ColorQt(kAzulMarcado);
    else if (campo->ReadOnly() || SoloLectura())
        fondo = ColorToQt(clInfoBk);
    else
        fondo = ColorToQt(clWindow);
    QColor tinta = ColorToQt(clBlack);
    QFont fuente = canvas->font();
    if (TField* estilo = Temporal->FindField(kEstiloLinea)) {
        const QString texto = estilo->AsString();
        const QString colorFuente = ExtraerToken(0, texto, QStringLiteral(",")).trimmed();
        const QString estiloFuente = ExtraerToken(1, texto, QStringLiteral(",")).trimmed();
        const QString colorFondo = ExtraerToken(2, texto, QStringLiteral(",")).trimmed();
        if (!colorFuente.isEmpty()) tinta = ColorQt(ValorColor(colorFuente));
        if (!estiloFuente.isEmpty()) {
            const int bits = EstiloFuente(estiloFuente);
            if (bits != 255) {
                if (bits & fsBold) fuente.setBold(true);
                if (bits & fsItalic) fuente.setItalic(true);
                if (bits & fsUnderline) fuente.setUnderline(true);
                if (bits & fsStrikeout) fuente.setStrikeOut(true);
            }
        }
        if (!colorFondo.isEmpty()) fondo = ColorQt(ValorColor(colorFondo));
    }
    canvas->fillRect(Rect, fondo);
    canvas->setPen(tinta);
    canvas->setFont(fuente);
    if (IsDateTimeType(campo->DataType())) {
        QString texto;
        TextoCampoFecha(Modulo(), campo, texto);
        canvas->drawText(Rect.adjusted(2, 0, -2, 0), int(Qt::AlignLeft | Qt::AlignVCenter), texto);
    } else {
        DBGrid1->DefaultDrawColumnCell(Rect, Columna, columna, Estado);
    }
}

// ---------------------------------------------------------------- the list routine

QString DefinicionTablaLista(const QStringList& Definiciones) {
    QString definicion = QStringLiteral("Tabla Temporal") + kCrLf +
                         QStringLiteral("/C/1/GENEMLISLinea/ftInteger/0/*/") + kCrLf;
    for (int i = 0; i < Definiciones.size(); ++i) {
        const QStringList partes = Definiciones[i].split(QLatin1Char(','));
        definicion += QStringLiteral("/C/") + QString::number(i + 2) + QLatin1Char('/') +
                      partes.value(0).trimmed() + QLatin1Char('/') + partes.value(1).trimmed() +
                      QLatin1Char('/') +
                      (partes.value(2).trimmed().isEmpty() ? QStringLiteral("0")
                                                           : partes.value(2).trimmed()) +
                      QLatin1Char('/') + kCrLf;
    }
    return definicion + QStringLiteral("/I/1/<Primary>/GENEMLISLinea");
}

QString TextoFilaLista(const QStringList& Campos) {
    QStringList partes;
    for (QString c : Campos) {
        c.replace(QLatin1Char('|'), QChar(0x00A6));
        partes << SaltosAPunto(c);
    }
    return partes.join(QLatin1Char('|'));
}

namespace {

// The rows of the list as VisorListaDatos returns them: every field after
// the line number; "Seleccionadas" only the rows of the list of bookmarks.
QStringList FilasLista(TTable* Tabla, const QList<TBookmark>* Seleccionadas) {
    QStringList filas;
    auto fila = [Tabla] {
        QStringList campos;
        for (TField* f : Tabla->Fields())
            if (f->FieldName() != kLinea) campos << TextoCampoLista(f);
        return TextoFilaLista(campos);
    };
    if (Seleccionadas) {
        for (const TBookmark& b : *Seleccionadas)
            if (Tabla->BookmarkValid(b)) {
                Tabla->GotoBookmark(b);
                filas << fila();
            }
        return filas;
    }
    // Every row, also those a value filter hides from the grid.
    FiltroSuspendido sinFiltro(Tabla);
    for (Tabla->First(); !Tabla->Eof(); Tabla->Next()) filas << fila();
    return filas;
}

// The temporary table goes with the window, however it ends.
struct BorradoTemporal {
    TTable* tabla;
    ~BorradoTemporal() {
        if (!tabla || tabla->TableName().isEmpty()) return;
        try {
            tabla->Close();
            tabla->DeleteTable();
        } catch (const EDatabaseError&) {
        }
    }
};

}  // namespace

void VisorListaDatos(TfGENEINIC* f, const QString& Opciones, const QString& Datos,
                     QString& Resultado) {
    const QString modo = ValorParametro(QStringLiteral("Modo"), Opciones);
    const bool consulta = modo.contains(QLatin1String("Consulta"));
    const bool eliminar = modo.contains(QLatin1String("Eliminar"));
    const bool sinSeleccion = modo.contains(QLatin1String("Sin Seleccion"));
    Resultado = consulta && !eliminar ? QString() : Datos;
    if (!f) return;

    const QString formato = ValorParametro(QStringLiteral("Formato"), Opciones);
    if (!formato.isEmpty()) LeerFormatoDialogo(formato, GeometriaListaDatos);
    std::unique_ptr<TfGENEMLIS> lista(NewForm<TfGENEMLIS>());
    lista->setCaption(ValorParametro(QStringLiteral("Titulo"), Opciones));
    if (consulta) {
        if (!eliminar) {
            lista->pbRestablecer->hide();
            lista->pbAceptar->setCaption(QStringLiteral("&Conforme"));
            lista->DBGrid1->setReadOnly(true);
        }
        if (!sinSeleccion) {
            lista->pbAceptar->setHint(QStringLiteral("Aceptar los datos seleccionados"));
            lista->pbCancelar->setHint(QStringLiteral("Abandonar sin seleccionar ningún dato"));
            lista->DBGrid1->setOptions(lista->DBGrid1->Options() | dgRowSelect);
        } else {
            lista->pbAceptar->setHint(QString());
            lista->pbCancelar->setHint(QStringLiteral("Abandonar"));
        }
    } else {
        lista->pbCancelar->setHint(QStringLiteral("Rechazar los datos y Abandonar"));
    }

    QString texto = ValorParametro(QStringLiteral("DefinicionCampos"), Opciones);
    texto.replace(QLatin1Char(';'), kCrLf);
    QStringList definiciones = LineasTexto(texto);
    bool ok = false;
    const int numero = ValorParametro(QStringLiteral("NumeroCampos"), Opciones).toInt(&ok);
    if (ok && numero >= 0 && numero < definiciones.size())
        definiciones = definiciones.mid(0, numero);

    BorradoTemporal borrado{lista->Temporal};
    if (!CrearTablaEstructura(f, lista->Temporal, DefinicionTablaLista(definiciones), -1) ||
        !lista->Temporal->Active())
        return;
    TTable* tabla = lista->Temporal;
    {
        TControlesDesactivados controles(tabla);
        for (const QString& linea : LineasTexto(Datos)) {
            const QStringList valores = linea.split(QLatin1Char('|'));
            tabla->Append();
            for (int j = 0; j < definiciones.size() && j < valores.size(); ++j)
                if (TField* campo =
                        tabla->FindField(definiciones[j].section(QLatin1Char(','), 0, 0).trimmed()))
                    AsignarTextoCampo(campo, valores[j]);
            tabla->Post();
        }
        tabla->First();
    }
    for (const QString& d : definiciones) {
        const QStringList partes = d.split(QLatin1Char(','));
        const QString nombre = partes.value(0).trimmed();
        TField* campo = tabla->FindField(nombre);
        if (!campo) continue;
        if (partes.value(3).contains(QLatin1String("ReadOnly"))) campo->setReadOnly(true);
        if (!partes.value(4).trimmed().isEmpty())
            lista->Formulas << nombre + QLatin1Char(':') + partes.value(4).trimmed();
        if (!partes.value(6).trimmed().isEmpty())
            lista->Busquedas << partes.value(6).trimmed() + QLatin1Char('>') + nombre;
        const int ancho = partes.value(5).trimmed().toInt(&ok);
        if (ok && ancho > 0) lista->AnchosColumnas.append({nombre, ancho});
        if (nombre == kEstiloLinea) campo->setVisible(false);
        AplicarFormatoCampo(f, campo);
    }
    if (TField* linea = tabla->FindField(kLinea)) linea->setVisible(false);
    lista->DBGrid1->Columns().RestoreDefaults();
    lista->CamposTotalizadores = ValorParametro(QStringLiteral("CamposTotalizadores"), Opciones);
    lista->AjustePorAncho = ValorParametro(QStringLiteral("Opciones"), Opciones)
                                .contains(QLatin1String("NoRedimensionarGrid"));

    const int respuesta = lista->ShowModal();
    if (respuesta != mrOk) {
        if (!consulta && MensajeConfirmacion(QStringLiteral(
                             "¿Desea dejar en blanco la lista de datos?")) == QLatin1String("SI"))
            Resultado.clear();
        return;
    }
    if (tabla->State() == dsEdit || tabla->State() == dsInsert) tabla->Post();
    QStringList filas;
    QList<TBookmark> marcas;
    for (int i = 0; i < lista->DBGrid1->SelectedRows().Count(); ++i)
        marcas << lista->DBGrid1->SelectedRows().Items(i);
    if (!consulta) {
        filas = FilasLista(tabla, nullptr);
    } else if (!marcas.isEmpty()) {
        filas = FilasLista(tabla, &marcas);
    } else if (eliminar) {
        filas = FilasLista(tabla, nullptr);
    } else if (!tabla->IsEmpty()) {
        QStringList campos;
        for (TField* campo : tabla->Fields())
            if (campo->FieldName() != kLinea) campos << TextoCampoLista(campo);
        filas << TextoFilaLista(campos);
    }
    Resultado = filas.join(kCrLf);
}

// ---------------------------------------------------------------- access history

QString SentenciaHistorialAccesos(const QString& NombreTabla, const QString& Clave) {
    const QString corta = Clave.left(Clave.size() - 1);
    return QStringLiteral(
               "SELECT CodigoUsuario, Fecha, Accion, Datos FROM REGACCES   WHERE "
               "NombreTabla = ") +
           Entrecomillar(NombreTabla) + QStringLiteral("    AND ((ClaveTabla = ") +
           Entrecomillar(Clave) + QStringLiteral(") ") + QStringLiteral("     OR (ClaveTabla = ") +
           Entrecomillar(corta) + QStringLiteral(")) ") + QStringLiteral("  ORDER BY Fecha DESC");
}

void HistorialAccesosRegistro(TfGENEINIC* f, TDataSet* DataSet) {
    if (!RegistroAccesosActivado || !DataSet || !DataSet->Active()) return;
    if (qobject_cast<TModuloDatos*>(DataSet->parent())) return;
    QString tabla;
    if (auto* t = qobject_cast<TTable*>(DataSet))
        tabla = t->TableName();
    else if (auto* q = qobject_cast<TQuery*>(DataSet))
        tabla = NombreTablaSQL(q->SQL().Text());
    QString clave;
    ClaveRegistro(Modulo(), DataSet, clave);
    clave.replace(QLatin1Char(';'), QLatin1Char('|'));
    QString sinPropietario;
    NombreTablaSinPropietario(Modulo(), tabla, sinPropietario);

    QStringList filas;
    {
        TQuery consulta;
        consulta.SQL().setText(SentenciaHistorialAccesos(sinPropietario, clave));
        if (!AbrirConsulta(Modulo(), &consulta, QString())) return;
        for (consulta.First(); !consulta.Eof(); consulta.Next()) {
            QString datos =
                SaltosABlancos(consulta.FieldByName(QStringLiteral("Datos"))->AsString());
            datos.replace(QLatin1Char('|'), kSaltoLineaValor);
            filas << consulta.FieldByName(QStringLiteral("CodigoUsuario"))->AsString() +
                         QLatin1Char('|') +
                         TextoCampoLista(consulta.FieldByName(QStringLiteral("Fecha"))) +
                         QLatin1Char('|') +
                         consulta.FieldByName(QStringLiteral("Accion"))->AsString() +
                         QLatin1Char('|') + datos;
        }
    }
    const QString opciones =
        QStringLiteral("Titulo=Historial de Accesos al Registro: ") + tabla +
        QStringLiteral(" - ") + clave + kCrLf + QStringLiteral("Formato=0,0,430,0;") + kCrLf +
        QStringLiteral("NumeroCampos=4") + kCrLf + QStringLiteral("Modo=Consulta,Sin Seleccion") +
        kCrLf +
        QStringLiteral(
            "DefinicionCampos=CodigoUsuario,ftString,20;Fecha,ftString,20;Accion,ftString,20;"
            "Datos,ftMemo,10") +
        kCrLf + QStringLiteral("Modo=Consulta");
    QString resultado;
    VisorListaDatos(f, opciones, filas.join(kCrLf), resultado);
}
