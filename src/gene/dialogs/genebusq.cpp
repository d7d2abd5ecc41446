#include "gene/dialogs/genebusq.h"

#include <QApplication>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHash>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cmath>

#include "db/clientdataset.h"
#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "gene/data/geneclav.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/genetrad.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genemlis.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

using dialogos::Modulo;
using dialogos::Traducido;

bool EsTipoFecha(TFieldType t) {
    return t == ftDate || t == ftDateTime || t == ftUnknown;
}

// A date or time the user typed, as the engine writes it; "" when the value
// is neither (or the field does not hold one).
QString LiteralFechaHora(const TCampoBusqueda& campo, const QString& valor,
                         const SqlDialect& dialecto) {
    if (!EsTipoFecha(campo.Tipo)) return QString();
    QDate fecha;
    if (TryStrToDate(valor, fecha) && fecha > QDate(1890, 1, 1)) {
        if (campo.Tipo == ftDateTime)
            return dialecto.dateTimeLiteral(QDateTime(fecha, QTime(0, 0)));
        return dialecto.dateLiteral(fecha);
    }
    QTime hora;
    if (campo.Nombre.contains(QLatin1String("Hora"), Qt::CaseInsensitive) &&
        TryStrToTime(valor, hora))
        return dialecto.dateTimeLiteral(QDateTime(ZeroDate(), hora));
    return QString();
}

// A piece typed for a numeric field, as the value it is compared with: the
// quoted number when the field's type holds it as written, the bare number
// when it does not ("3.5" or 99999 for a small integer, which the engine
// would refuse as quoted text), "" when the piece is no number at all.
QString LiteralNumerico(const TCampoBusqueda& campo, const QString& valor) {
    static const QRegularExpression numero(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    const QString t = valor.trimmed();
    if (!numero.match(t).hasMatch()) return QString();
    if (IsFloatType(campo.Tipo)) return SqlDialect::quoteString(t);
    bool entero = false;
    const qlonglong n = t.toLongLong(&entero);
    const qlonglong limite = campo.Tipo == ftSmallint ? 32767 : 2147483647;
    return entero && n >= -limite - 1 && n <= limite ? SqlDialect::quoteString(t) : t;
}

// The maximum number of rows the combo asks for; "Ilimitado" gives -1.
int MaximoFilas(const QString& texto) {
    if (texto == QLatin1String("Ilimitado")) return -1;
    bool ok = false;
    const int n = texto.trimmed().toInt(&ok);
    return ok && n > 0 ? n : 1;
}

// Geometry of the generic dialogs, per class, for the rest of the session.
QHash<QString, QRect>& Geometrias() {
    static QHash<QString, QRect> g;
    return g;
}

}  // namespace

// ---------------------------------------------------------------- SQL

QString CondicionesBusqueda(const QList<TCampoBusqueda>& Campos, const QString& Dato,
                            TModoBusqueda Modo, const SqlDialect& Dialecto) {
    QString dato = Dato;
    dato.replace(QLatin1Char(','), QLatin1Char(';'));
    const QStringList piezas = dato.split(QLatin1Char(';'));
    int pares = 0;
    while (pares < piezas.size() && pares < Campos.size() && !piezas[pares].isEmpty()) ++pares;

    QStringList condiciones;
    for (int i = 0; i < pares; ++i) {
        const TCampoBusqueda& campo = Campos[i];
        const QString& valor = piezas[i];
        if (Modo == mbAproximada) {
            const QString op = i == pares - 1 ? QStringLiteral(" >= ") : QStringLiteral(" = ");
            if (IsIntegerType(campo.Tipo) || IsFloatType(campo.Tipo)) {
                // A text is no value of a number: it matches nothing, on
                // every engine (PostgreSQL would refuse the comparison).
                const QString numero = LiteralNumerico(campo, valor);
                condiciones << (numero.isEmpty() ? QStringLiteral("(1 = 0)")
                                                 : QLatin1Char('(') + campo.Nombre + op + numero +
                                                       QLatin1Char(')'));
                continue;
            }
            QString literal = LiteralFechaHora(campo, valor, Dialecto);
            if (literal.isEmpty()) literal = SqlDialect::quoteString(valor);
            condiciones << QLatin1Char('(') + campo.Nombre + op + literal + QLatin1Char(')');
        } else {
            const QString patron = Modo == mbFonetica
                                       ? QString(QLatin1Char('%') + valor + QLatin1Char('%'))
                                       : QString(valor + QLatin1Char('%'));
            const TFieldType tipo = campo.Tipo == ftUnknown ? ftString : campo.Tipo;
            condiciones << QLatin1Char('(') + Dialecto.likeCondition(campo.Nombre, tipo, patron) +
                               QLatin1Char(')');
        }
    }
    return condiciones.join(QStringLiteral(" AND "));
}

QString SentenciaBusqueda(const TPeticionBusqueda& P, const SqlDialect& Dialecto) {
    QString where;
    if (!P.Condiciones.isEmpty() && !P.Filtro.isEmpty())
        where = QStringLiteral(" WHERE ") + P.Condiciones + QStringLiteral(" AND (") + P.Filtro +
                QLatin1Char(')');
    else if (!P.Condiciones.isEmpty())
        where = QStringLiteral(" WHERE ") + P.Condiciones;
    else if (!P.Filtro.isEmpty())
        where = QStringLiteral(" WHERE ") + P.Filtro;
    QString orden;
    if (!P.Orden.isEmpty())
        orden = QStringLiteral(" ORDER BY ") +
                QString(P.Orden).replace(QLatin1Char(';'), QLatin1Char(','));
    QString sql = QStringLiteral("SELECT ") + P.Columnas + QStringLiteral(" FROM ") + P.Tabla +
                  Dialecto.noLock() + QLatin1Char(' ') + where + orden;
    if (Dialecto.engine() == Engine::SqlServer) {
        const int maximo = MaximoFilas(P.Maximo);
        if (maximo >= 0) sql.replace(0, 6, QStringLiteral("SELECT TOP ") + QString::number(maximo));
    }
    return sql;
}

// ---------------------------------------------------------------- preferences

namespace {

// DatosBusqueda as Name=Value lines (":" as "=", "," as a line break).
QStringList LineasDatosBusqueda(const QString& DatosBusqueda) {
    QString t = DatosBusqueda;
    t.replace(QLatin1Char(':'), QLatin1Char('='));
    QStringList lineas;
    for (const QString& l : t.split(QLatin1Char(',')))
        if (!l.trimmed().isEmpty()) lineas << l;
    return lineas;
}

bool QuitarMarca(QString& texto, const QString& marca) {
    if (!texto.contains(marca)) return false;
    texto.remove(marca);
    return true;
}

// An entry that is or holds a field hidden from the user: a search by it
// would tell the hidden values by the rows it finds.
bool EntradaConCampoOculto(const QString& Entrada) {
    for (const QString& c : Entrada.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (CampoNoVisible(dialogos::Modulo(), c.trimmed())) return true;
    return false;
}

}  // namespace

TPreferenciaBusqueda LeerPreferenciaBusqueda(const QString& DatosBusqueda, const QString& Tabla) {
    TPreferenciaBusqueda p;
    QString valor = ValorLista(Tabla, LineasDatosBusqueda(DatosBusqueda));
    const bool fonetica = QuitarMarca(valor, QStringLiteral("(F)"));
    const bool parcial = QuitarMarca(valor, QStringLiteral("(P)"));
    const bool aproximada = QuitarMarca(valor, QStringLiteral("(A)"));
    if (fonetica)
        p.Modo = mbFonetica;
    else if (parcial)
        p.Modo = mbParcial;
    else if (aproximada)
        p.Modo = mbAproximada;
    p.Ordenados = QuitarMarca(valor, QStringLiteral("(O)"));
    p.Memos = QuitarMarca(valor, QStringLiteral("(M)"));
    p.Entrada = valor;
    return p;
}

QString TextoPreferenciaBusqueda(const QString& Entrada, TModoBusqueda Modo, bool Ordenados,
                                 bool Memos) {
    QString t = Entrada;
    t += Modo == mbFonetica  ? QStringLiteral("(F)")
         : Modo == mbParcial ? QStringLiteral("(P)")
                             : QStringLiteral("(A)");
    if (Ordenados) t += QStringLiteral("(O)");
    if (Memos) t += QStringLiteral("(M)");
    return t;
}

QString ActualizarDatosBusqueda(const QString& DatosBusqueda, const QString& Tabla,
                                const QString& Valor) {
    QStringList lineas = LineasDatosBusqueda(DatosBusqueda);
    AsignarValorLista(Tabla, Valor, lineas);
    QString t = lineas.join(QLatin1Char(','));
    return t.replace(QLatin1Char('='), QLatin1Char(':'));
}

// ---------------------------------------------------------------- shared

TModuloDatos* dialogos::Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

QString dialogos::Traducido(const QString& Texto, const QString& Variables) {
    QString r;
    Traducir(Modulo(), Texto, Variables, QString(), r);
    return r;
}

TButton* dialogos::Boton(TForm* Dialogo, const QString& Nombre, const QString& Titulo,
                         int Resultado, const QString& Hint) {
    auto* b = new TButton(Dialogo, Titulo);
    b->setObjectName(Nombre);
    if (!Hint.isEmpty()) b->setHint(Hint);
    b->setModalResult(Resultado);
    if (Resultado == mrCancel) b->setCancel(true);
    return b;
}

void RestaurarGeometriaDialogo(TForm* Dialogo) {
    const auto it = Geometrias().constFind(Dialogo->metaObject()->className());
    if (it != Geometrias().constEnd()) Dialogo->setGeometry(*it);
}

void GuardarGeometriaDialogo(TForm* Dialogo) {
    Geometrias().insert(Dialogo->metaObject()->className(), Dialogo->geometry());
}

// ---------------------------------------------------------------- dialog

TfGENEBUSQ::TfGENEBUSQ(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEBUSQ"));
    setBorderStyle(bsSizeable);
    setPosition(poScreenCenter);
    setKeyPreview(true);
    resize(620, 420);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(4, 4, 4, 4);

    auto* filaDato = new QHBoxLayout;
    labelDato_ = new TLabel(this, QStringLiteral("Dato a Buscar"));
    labelDato_->setObjectName(QStringLiteral("Label1"));
    DatoABuscar = new TEdit(this);
    DatoABuscar->setObjectName(QStringLiteral("DatoABuscar"));
    DatoABuscar->setHint(QStringLiteral("Introduzca aquí el dato a buscar"));
    labelDato_->setFocusControl(DatoABuscar);
    pbPersonalizarBusqueda = new TSpeedButton(this, QStringLiteral("..."));
    pbPersonalizarBusqueda->setObjectName(QStringLiteral("pbPersonalizarBusqueda"));
    pbPersonalizarBusqueda->setHint(QStringLiteral("Personalizar la búsqueda (F4)"));
    pbPersonalizarBusqueda->setGroupIndex(1);
    pbPersonalizarBusqueda->setCheckable(true);
    filaDato->addWidget(labelDato_);
    filaDato->addWidget(DatoABuscar, 1);
    filaDato->addWidget(pbPersonalizarBusqueda);
    raiz->addLayout(filaDato);

    PanelPersonalizarBusqueda = new TPanel(this);
    PanelPersonalizarBusqueda->setObjectName(QStringLiteral("PanelPersonalizarBusqueda"));
    auto* panel = new QHBoxLayout(PanelPersonalizarBusqueda);
    auto* izquierda = new QVBoxLayout;
    auto* lCampos = new TLabel(PanelPersonalizarBusqueda, QStringLiteral("Búsqueda por"));
    lCampos->setObjectName(QStringLiteral("Label2"));
    ListaCamposBusqueda = new TComboBox(PanelPersonalizarBusqueda);
    ListaCamposBusqueda->setObjectName(QStringLiteral("ListaCamposBusqueda"));
    ListaCamposBusqueda->setStyle(csDropDownList);
    auto* lMaximo =
        new TLabel(PanelPersonalizarBusqueda, QStringLiteral("Número Máx.de Registros a Mostrar"));
    lMaximo->setObjectName(QStringLiteral("Label3"));
    NumeroMaximoRegistros = new TComboBox(PanelPersonalizarBusqueda);
    NumeroMaximoRegistros->setObjectName(QStringLiteral("NumeroMaximoRegistros"));
    NumeroMaximoRegistros->setItems({QStringLiteral("1"), QStringLiteral("10"),
                                     QStringLiteral("100"), QStringLiteral("1000"),
                                     QStringLiteral("Ilimitado")});
    NumeroMaximoRegistros->setText(QStringLiteral("100"));
    NumeroMaximoRegistros->setEnabled(false);
    NumeroMaximoRegistros->setColor(clSilver);
    ResultadosOrdenados =
        new TCheckBox(PanelPersonalizarBusqueda, QStringLiteral("Mostrar Resultados Ordenados"));
    ResultadosOrdenados->setObjectName(QStringLiteral("ResultadosOrdenados"));
    ResultadosOrdenados->setChecked(true);
    MostrarCamposMemo =
        new TCheckBox(PanelPersonalizarBusqueda, QStringLiteral("Mostrar Campos Memo"));
    MostrarCamposMemo->setObjectName(QStringLiteral("MostrarCamposMemo"));
    izquierda->addWidget(lCampos);
    izquierda->addWidget(ListaCamposBusqueda);
    izquierda->addWidget(lMaximo);
    izquierda->addWidget(NumeroMaximoRegistros);
    izquierda->addWidget(ResultadosOrdenados);
    izquierda->addWidget(MostrarCamposMemo);
    auto* grupo = new TGroupBox(PanelPersonalizarBusqueda, QStringLiteral("Modalidad"));
    grupo->setObjectName(QStringLiteral("GroupBox1"));
    auto* modos = new QVBoxLayout(grupo);
    BusquedaAproximada = new TRadioButton(grupo, QStringLiteral("Búsqueda Aproximada"));
    BusquedaAproximada->setObjectName(QStringLiteral("BusquedaAproximada"));
    BusquedaFonetica = new TRadioButton(grupo, QStringLiteral("Búsqueda Fonética"));
    BusquedaFonetica->setObjectName(QStringLiteral("BusquedaFonetica"));
    BusquedaParcial = new TRadioButton(grupo, QStringLiteral("Búsqueda Parcial"));
    BusquedaParcial->setObjectName(QStringLiteral("BusquedaParcial"));
    BusquedaAproximada->setChecked(true);
    modos->addWidget(BusquedaAproximada);
    modos->addWidget(BusquedaFonetica);
    modos->addWidget(BusquedaParcial);
    panel->addLayout(izquierda, 1);
    panel->addWidget(grupo);
    PanelPersonalizarBusqueda->setVisible(false);
    raiz->addWidget(PanelPersonalizarBusqueda);

    Query1 = new TQuery(this);
    Query1->setObjectName(QStringLiteral("Query1"));
    Query1->setRequestLive(false);
    ClientDataSet1 = new TClientDataSet(this);
    ClientDataSet1->setObjectName(QStringLiteral("ClientDataSet1"));
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(ClientDataSet1);

    DBGrid1 = new TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(DataSource1);
    DBGrid1->setReadOnly(true);
    raiz->addWidget(DBGrid1, 1);

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    TMenuItem* raizMenu = PopupMenu1->Items();
    LetraPequena =
        new TMenuItem(raizMenu, QStringLiteral("LetraPequena"), QStringLiteral("&Letra Pequeña"));
    const TMenuFiltroValor filtros = CrearMenuFiltroValor(
        raizMenu, QStringLiteral("FiltrarRegistrosporValorIguala"),
        QStringLiteral("FiltrarRegistrosporValoresDesdeHasta1"),
        [this](const QString& Operador) { FiltrarRegistrosporValorClick(Operador); },
        [this] { FiltrarRegistrosporValoresDesdeHasta1Click(); });
    FiltrarRegistrosporValorIguala = filtros.Igual;
    FiltrarRegistrosporValorDesde = filtros.Desde;
    FiltrarRegistrosporValorHasta = filtros.Hasta;
    FiltrarRegistrosporValoresDesdeHasta1 = filtros.DesdeHasta;
    CancelarFiltros1 = new TMenuItem(raizMenu, QStringLiteral("CancelarFiltros1"),
                                     QStringLiteral("Cancelar Filtros"));
    ListadoProgramable1 = new TMenuItem(raizMenu, QStringLiteral("ListadoProgramable1"),
                                        QStringLiteral("Listado &Programable..."));
    DBGrid1->setPopupMenu(PopupMenu1);

    auto* filaBotones = new QHBoxLayout;
    DBNavigator1 = new TDBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(DataSource1);
    DBNavigator1->setVisibleButtons((1 << nbFirst) | (1 << nbPrior) | (1 << nbNext) |
                                    (1 << nbLast));
    pbConforme =
        dialogos::Boton(this, QStringLiteral("pbConforme"), QStringLiteral("&Conforme"), 0);
    pbCancelar =
        dialogos::Boton(this, QStringLiteral("pbCancelar"), QStringLiteral("C&ancelar"), mrCancel);
    filaBotones->addWidget(DBNavigator1);
    filaBotones->addStretch(1);
    filaBotones->addWidget(pbConforme);
    filaBotones->addWidget(pbCancelar);
    raiz->addLayout(filaBotones);

    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSimplePanel(true);
    raiz->addWidget(StatusBar1);

    // Handlers.
    OnCreate = [this](QObject*) {
        if (fGENEINIC) PrepararFormulario(fGENEINIC, this);
        RestaurarGeometriaDialogo(this);
    };
    OnShow = [this](QObject*) { FormShow(); };
    OnClose = [this](QObject*, TCloseAction&) { FormClose(); };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) { FormKeyDown(Key, Shift); };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (ActiveControl() == DatoABuscar) DatoABuscarKeyPress(Key);
        if (!Key.isNull() && fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
    DatoABuscar->OnDblClick = [this](QObject*) { pbBuscarClick(); };
    pbPersonalizarBusqueda->OnClick = [this](QObject*) { pbPersonalizarBusquedaClick(); };
    for (TRadioButton* b : {BusquedaAproximada, BusquedaFonetica, BusquedaParcial})
        b->OnClick = [this](QObject* Sender) { ModoBusquedaClick(Sender); };
    ListaCamposBusqueda->OnChange = [this](QObject*) { RefrescarBarraEstado(); };
    ListaCamposBusqueda->OnSelect = [this](QObject*) { DatoABuscar->SetFocus(); };
    NumeroMaximoRegistros->OnChange = [this](QObject*) { RefrescarBarraEstado(); };
    NumeroMaximoRegistros->OnSelect = [this](QObject*) { DatoABuscar->SetFocus(); };
    ResultadosOrdenados->OnClick = [this](QObject*) { ResultadosOrdenadosClick(); };
    MostrarCamposMemo->OnClick = [this](QObject*) { MostrarCamposMemoClick(); };
    DBGrid1->OnDblClick = [this](QObject*) { pbConformeClick(); };
    pbConforme->OnClick = [this](QObject*) { pbConformeClick(); };
    LetraPequena->OnClick = [this](QObject*) { LetraPequenaClick(); };
    CancelarFiltros1->OnClick = [this](QObject*) { CancelarFiltros1Click(); };
    ListadoProgramable1->OnClick = [this](QObject*) { ListadoProgramable1Click(); };
}

TfGENEBUSQ::~TfGENEBUSQ() = default;

TModoBusqueda TfGENEBUSQ::Modo() const {
    if (BusquedaFonetica->isChecked()) return mbFonetica;
    if (BusquedaParcial->isChecked()) return mbParcial;
    return mbAproximada;
}

void TfGENEBUSQ::setModo(TModoBusqueda Modo) {
    switch (Modo) {
        case mbFonetica:
            BusquedaFonetica->setChecked(true);
            break;
        case mbParcial:
            BusquedaParcial->setChecked(true);
            break;
        default:
            BusquedaAproximada->setChecked(true);
    }
}

QString TfGENEBUSQ::textoEntrada() const {
    return ListaCamposBusqueda->currentText();
}

QList<TCampoBusqueda> TfGENEBUSQ::camposEntrada() const {
    // Column types from the catalog; unknown (SQL Server, a failing catalog)
    // means "as the system always wrote it".
    QHash<QString, TFieldType> tipos;
    try {
        const QString selector = EsTablaGeneral(TablaBusqueda) ? QStringLiteral("DatabaseGeneral")
                                                               : QStringLiteral("Database");
        if (MotorActual() != Engine::SqlServer)
            for (const TFieldDef& f : BaseDatosSelector(selector)->ColumnDefs(TablaBusqueda))
                tipos.insert(f.Name.toLower(), f.DataType);
    } catch (const std::exception&) {
    }
    QList<TCampoBusqueda> campos;
    for (const QString& c : textoEntrada().split(QLatin1Char(';'), Qt::SkipEmptyParts))
        campos << TCampoBusqueda{c, tipos.value(c.toLower(), ftUnknown)};
    return campos;
}

void TfGENEBUSQ::FormShow() {
    FiltroValores.clear();
    if (MotorActual() == Engine::SqlServer) {
        QString sinPropietario;
        NombreTablaSinPropietario(Modulo(), TablaBusqueda, sinPropietario);
        TablaBusqueda = sinPropietario;
        NumeroMaximoRegistros->setEnabled(true);
        NumeroMaximoRegistros->setColor(clWhite);
    }
    ClientDataSet1->Close();
    Query1->Close();
    ClientDataSet1->setFiltered(false);
    ClientDataSet1->setFilter(QString());
    setCaption(Traducido(QStringLiteral("Buscar en la tabla")) + QLatin1Char(' ') + TablaBusqueda);
    Query1->setDatabaseName(NombreBaseDatosSelector(EsTablaGeneral(TablaBusqueda)
                                                        ? QStringLiteral("DatabaseGeneral")
                                                        : QStringLiteral("Database")));
    DatoABuscar->SetFocus();
    DatoABuscar->SelectAll();
    ListaCamposBusqueda->Clear();
    NumeroMaximoRegistros->setText(QStringLiteral("100"));
    pbPersonalizarBusquedaClick();

    bool ok = false;
    int maximo = NumeroMaximoRegistros->Text().toInt(&ok);
    if (!ok) maximo = 1000;
    if (EsTablaGeneral(TablaBusqueda) || !FiltroBusqueda.isEmpty() ||
        (!DatoABuscar->Text().isEmpty() && maximo <= 50))
        pbBuscarClick(true);
    DatoABuscar->SetFocus();
    if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
}

void TfGENEBUSQ::FormClose() {
    GuardarGeometriaDialogo(this);
    ClientDataSet1->Close();
    Query1->Close();
    DatoABuscar->clear();
    FiltroBusqueda.clear();
}

void TfGENEBUSQ::pbPersonalizarBusquedaClick() {
    PanelPersonalizarBusqueda->setVisible(pbPersonalizarBusqueda->isChecked());
    if (ListaCamposBusqueda->count() == 0) {
        Cargando = true;
        TModuloDatos* m = Modulo();
        // The catalog answers a table it cannot read with an error text (and
        // its warning): such a table offers no entries.
        auto claves = [&](const QString& indice, bool& error) {
            QString c;
            CamposClaveSQL(m, TablaBusqueda, indice, c);
            error = c.startsWith(QLatin1String("Error."));
            return error ? QString() : c;
        };
        QStringList entradas;
        bool error = false;
        const QString primaria = claves(QString(), error);
        if (!primaria.isEmpty()) entradas << primaria;
        for (int n = 2; !error; ++n) {
            const QString campos = claves(QStringLiteral("Clave") + QString::number(n), error);
            if (campos.isEmpty()) break;
            if (!entradas.contains(campos)) entradas << campos;
        }
        if (!error) {
            QString lista;
            CamposTabla(m, TablaBusqueda, QString(), lista);
            if (!lista.startsWith(QLatin1String("Error.")))
                for (const QString& c : LineasTexto(lista))
                    if (!c.isEmpty() && !entradas.contains(c)) entradas << c;
        }
        entradas.removeIf(EntradaConCampoOculto);
        ListaCamposBusqueda->setItems(entradas);
        ListaCamposBusqueda->setItemIndex(-1);

        QString datos;
        if (m)
            LeerConfiguracionUsuario(m, CodigoUsuarioActual, QStringLiteral("DatosBusqueda"),
                                     datos);
        TPreferenciaBusqueda p = LeerPreferenciaBusqueda(datos, TablaBusqueda);
        // Saved before the field was hidden: nothing of it is taken.
        if (EntradaConCampoOculto(p.Entrada)) p = TPreferenciaBusqueda();
        if (p.Modo >= 0) setModo(TModoBusqueda(p.Modo));
        ResultadosOrdenados->setChecked(p.Ordenados);
        MostrarCamposMemo->setChecked(p.Memos);
        const QString elegida = p.Entrada.isEmpty() ? entradas.value(0) : p.Entrada;
        for (int i = 0; i < entradas.size(); ++i)
            if (entradas[i].compare(elegida, Qt::CaseInsensitive) == 0) {
                ListaCamposBusqueda->setItemIndex(i);
                break;
            }
        if (IndiceBusqueda != 0 && !error) {
            const QString campos =
                claves(QStringLiteral("Clave") + QString::number(IndiceBusqueda), error);
            const int i = campos.isEmpty() ? -1 : int(entradas.indexOf(campos));
            if (i >= 0) ListaCamposBusqueda->setItemIndex(i);
        }
        Cargando = false;
    }
    RefrescarBarraEstado();
}

void TfGENEBUSQ::RefrescarBarraEstado() {
    const QString palabra = Modo() == mbParcial    ? QStringLiteral("Parcial")
                            : Modo() == mbFonetica ? QStringLiteral("Fonética")
                                                   : QStringLiteral("Aproximada");
    QString campos;
    TraducirLista(Modulo(), textoEntrada(), QString(), campos);
    if (fGENEINIC)
        MensajeBarraEstado(fGENEINIC, StatusBar1,
                           QStringLiteral("Búsqueda ") + palabra + QStringLiteral(" por $Campos"),
                           QStringLiteral("Campos=") + campos);
}

void TfGENEBUSQ::ModoBusquedaClick(QObject* Sender) {
    if (Sender == BusquedaFonetica && !Cargando) ResultadosOrdenados->setChecked(false);
    RefrescarBarraEstado();
    if (!Cargando) DatoABuscar->SetFocus();
}

void TfGENEBUSQ::ResultadosOrdenadosClick() {
    if (!Cargando) RefrescarBarraEstado();
}

void TfGENEBUSQ::MostrarCamposMemoClick() {
    if (Cargando) return;
    RefrescarBarraEstado();
    MensajeInformacion(QStringLiteral(
        "Para hacer efectiva esta opción debe escoger algún registro y volver a realizar la "
        "búsqueda"));
}

void TfGENEBUSQ::pbBuscarClick(bool Silencioso) {
    if (ListaCamposBusqueda->ItemIndex() < 0 || textoEntrada().isEmpty() ||
        EntradaConCampoOculto(textoEntrada()))
        return;
    if (DatoABuscar->Text().isEmpty()) setModo(mbAproximada);
    const SqlDialect& dialecto = DialectoActual();

    TPeticionBusqueda p;
    p.Tabla = TablaBusqueda;
    p.Condiciones = CondicionesBusqueda(camposEntrada(), DatoABuscar->Text(), Modo(), dialecto);
    p.Filtro = FiltroBusqueda;
    if (ResultadosOrdenados->isChecked()) p.Orden = textoEntrada();
    if (CamposVisibles.isEmpty()) {
        if (MostrarCamposMemo->isChecked()) {
            CamposVisibles = QStringLiteral("*");
        } else {
            QString campos;
            CamposTablaSQL(Modulo(), TablaBusqueda, QStringLiteral("SinMemos"), campos);
            CamposVisibles = campos.replace(QLatin1Char(';'), QLatin1Char(','));
        }
    }
    p.Columnas = CamposVisibles;
    p.Maximo = NumeroMaximoRegistros->Text();
    ultimaSentencia_ = SentenciaBusqueda(p, dialecto);

    ClientDataSet1->Close();
    ClientDataSet1->setFiltered(false);
    ClientDataSet1->setFilter(QString());
    Query1->Close();
    Query1->SQL().setText(ultimaSentencia_);
    bool abierta = AbrirConsulta(Modulo(), Query1, QStringLiteral("Open,Silencio"));
    if (abierta) {
        try {
            ClientDataSet1->LoadFromDataSet(Query1);
            ClientDataSet1->setFilter(QString());
        } catch (const std::exception&) {
            abierta = false;
        }
        Query1->Close();
    }
    if (abierta) prepararColumnas();

    if (!abierta || ClientDataSet1->IsEmpty()) {
        if (!Silencioso)
            MensajeInformacion(
                QStringLiteral("No hay datos que coincidan con el criterio de búsqueda"));
        DatoABuscar->SetFocus();
    } else {
        DBGrid1->SetFocus();
        const QStringList campos = textoEntrada().split(QLatin1Char(';'));
        if (campos.size() == 1) {
            if (TField* f = ClientDataSet1->FindField(campos.first())) {
                for (int i = 2; i < DBGrid1->Columns().Count(); ++i)
                    if (DBGrid1->Columns()[i]->Field() == f) DBGrid1->setSelectedIndex(i);
            }
        }
    }
    if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
}

void FormatearCamposBusqueda(TDataSet* DataSet) {
    TModuloDatos* m = Modulo();
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        TField* f = DataSet->Fields()[i];
        f->setDisplayLabel(AbreviarTitulo(f->FieldName(), 1));
        switch (f->DataType()) {
            case ftMemo:
            case ftFmtMemo:
                // The grid shows the memo's text on one line.
                f->OnGetText = [](TField* Sender, QString& Text, bool) {
                    Text = Sender->AsString();
                    Text.replace(QLatin1String("\r\n"), QLatin1String(" "));
                    Text.replace(QLatin1Char('\n'), QLatin1Char(' '));
                };
                break;
            case ftFloat:
            case ftCurrency:
            case ftBCD: {
                QString formato = PlantillaNumericaStd;
                if (fGENEINIC) FormatoCampoImporte(fGENEINIC, f->FieldName(), formato);
                f->setDisplayFormat(formato);
                f->setAlignment(taRightJustify);
                break;
            }
            case ftDateTime:
            case ftDate:
                f->setDisplayWidth(10);
                if (EsCampoHora(f)) {
                    f->setEditMask(QString());
                    f->setDisplayFormat(QStringLiteral("HH:MM:SS"));
                    f->OnGetText = [m](TField* Sender, QString& Text, bool) {
                        TextoCampoFechaHora(m, Sender, Text);
                    };
                } else {
                    f->OnGetText = [m](TField* Sender, QString& Text, bool) {
                        TextoCampoFecha(m, Sender, Text);
                    };
                }
                break;
            default:
                break;
        }
    }
}

void TfGENEBUSQ::prepararColumnas() {
    FormatearCamposBusqueda(ClientDataSet1);
    DBGrid1->Columns().RestoreDefaults();
    for (int i = 0; i < DBGrid1->Columns().Count(); ++i) {
        TColumn* columna = DBGrid1->Columns()[i];
        TField* f = columna->Field();
        if (f && (f->DataType() == ftMemo || f->DataType() == ftFmtMemo)) {
            columna->setButtonStyle(cbsEllipsis);
            columna->setWidth(200);
        }
    }
    if (fGENEINIC) OcultarCamposNoVisibles(fGENEINIC, this);
}

void TfGENEBUSQ::pbConformeClick() {
    ClaveSeleccionada.clear();
    QStringList lineas;
    const bool hayFilas = ClientDataSet1->Active() && !ClientDataSet1->IsEmpty();
    if (hayFilas) {
        QString campos;
        CamposClaveSQL(Modulo(), TablaBusqueda, QString(), campos);
        const QStringList clave = campos.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (int i = 0; i < clave.size(); ++i) {
            TField* f = ClientDataSet1->FindField(clave[i]);
            if (!f) continue;
            QString texto = TextoCampoClave(f);
            if (i == clave.size() - 1 && texto.isEmpty()) texto = QStringLiteral("NULL");
            lineas << texto;
        }
    }
    ClaveSeleccionada = lineas.join(kCrLf);
    if (hayFilas && !lineas.isEmpty()) {
        guardarPreferencias();
        setModalResult(mrYes);
    } else {
        setModalResult(mrCancel);
    }
    ClientDataSet1->Close();
    Query1->Close();
}

void TfGENEBUSQ::guardarPreferencias() {
    TModuloDatos* m = Modulo();
    if (!m || DesactivarIndicesPorUsuarioEnBusquedas || EsTablaGeneral(TablaBusqueda)) return;
    const QString nuevo = TextoPreferenciaBusqueda(
        textoEntrada(), Modo(), ResultadosOrdenados->isChecked(), MostrarCamposMemo->isChecked());
    QString datos;
    LeerConfiguracionUsuario(m, CodigoUsuarioActual, QStringLiteral("DatosBusqueda"), datos);
    if (ValorLista(TablaBusqueda, LineasDatosBusqueda(datos)) == nuevo) return;
    GrabarConfiguracionUsuario(m, CodigoUsuarioActual, QStringLiteral("DatosBusqueda"),
                               ActualizarDatosBusqueda(datos, TablaBusqueda, nuevo));
}

void TfGENEBUSQ::FormKeyDown(int& Key, int Shift) {
    QWidget* activo = ActiveControl();
    if (Key == VK_ESCAPE && Shift == 0) {
        setModalResult(mrCancel);
        Key = 0;
        return;
    }
    if (Shift == ssCtrl && Key >= '1' && Key <= '9') {
        const int n = Key - '1';
        if (n < ListaCamposBusqueda->count()) ListaCamposBusqueda->setItemIndex(n);
        Key = 0;
        return;
    }
    if (Shift == 0) {
        switch (Key) {
            case VK_F2:
                if (ListaCamposBusqueda->count() > 1) ListaCamposBusqueda->setItemIndex(1);
                setModo(mbFonetica);
                Key = 0;
                return;
            case VK_F3:
                setModo(Modo() == mbAproximada ? mbFonetica
                        : Modo() == mbFonetica ? mbParcial
                                               : mbAproximada);
                Key = 0;
                return;
            case VK_F4:
                pbPersonalizarBusqueda->setChecked(!pbPersonalizarBusqueda->isChecked());
                pbPersonalizarBusquedaClick();
                Key = 0;
                return;
            case VK_RETURN:
                if (activo == DatoABuscar) {
                    UltimaTeclaPulsada = VK_RETURN;
                    pbBuscarClick();
                    Key = 0;
                    return;
                }
                if (activo == ListaCamposBusqueda || activo == NumeroMaximoRegistros) {
                    DatoABuscar->SetFocus();
                    Key = 0;
                    return;
                }
                if (activo == DBGrid1 || (activo && DBGrid1->isAncestorOf(activo))) {
                    DBGrid1KeyDown(Key, Shift);
                    return;
                }
                break;
            case VK_TAB:
                if (activo == DBGrid1 || (activo && DBGrid1->isAncestorOf(activo))) {
                    DBGrid1KeyDown(Key, Shift);
                    return;
                }
                break;
            default:
                break;
        }
    }
    if (Shift == ssCtrl && Key == 'L') {
        bool ok = false;
        const QFont fuente = QFontDialog::getFont(&ok, DBGrid1->font(), this);
        if (ok) DBGrid1->AssignFont(fuente);
        Key = 0;
        return;
    }
    if (Key != 0 && fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
}

void TfGENEBUSQ::DatoABuscarKeyPress(QChar& Key) {
    if (Key == QLatin1Char('.') && UltimaTeclaPulsada == VK_DECIMAL &&
        !DesactivarPuntoPorComaDecimal)
        Key = QLatin1Char(',');
}

void TfGENEBUSQ::DBGrid1KeyDown(int& Key, int) {
    if (Key == VK_RETURN) {
        if (ClientDataSet1->Active() && !ClientDataSet1->IsEmpty()) pbConformeClick();
        Key = 0;
    } else if (Key == VK_TAB) {
        pbConforme->SetFocus();
        Key = 0;
    }
}

void TfGENEBUSQ::LetraPequenaClick() {
    LetraPequena->setChecked(!LetraPequena->Checked());
    QFont fuente = DBGrid1->font();
    const QFont aplicacion = QApplication::font();
    fuente.setFamily(aplicacion.family());
    const int puntos = aplicacion.pointSize() > 0 ? aplicacion.pointSize() : 9;
    fuente.setPointSize(LetraPequena->Checked() ? std::max(1, puntos - 2) : puntos);
    for (int i = 0; i < ClientDataSet1->FieldCount(); ++i) {
        TField* f = ClientDataSet1->Fields()[i];
        const int ancho = f->DisplayWidth();
        f->setDisplayWidth(LetraPequena->Checked() ? int(std::lround(ancho / 2.0)) : ancho * 2);
    }
    DBGrid1->AssignFont(fuente);
}

bool TfGENEBUSQ::aplicarFiltroValor(const QString& Operador, const QString& Respuesta) {
    TField* campo = DBGrid1->SelectedField();
    if (!campo) return false;
    const QString condicion = CondicionFiltroValor(campo->FieldName(), Operador, Respuesta);
    const QString anterior = FiltroValores;
    FiltroValores =
        FiltroValores.isEmpty() ? condicion : FiltroValores + QStringLiteral(" AND ") + condicion;
    try {
        ClientDataSet1->setFilter(FiltroValores);
        ClientDataSet1->setFiltered(true);
        return true;
    } catch (const std::exception&) {
        // A condition the dataset refuses is not kept for the next filters.
        FiltroValores = anterior;
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible filtrar registros!"));
        return false;
    }
}

void TfGENEBUSQ::FiltrarRegistrosporValorClick(const QString& Operador) {
    if (!ClientDataSet1->Active() || ClientDataSet1->State() != dsBrowse) return;
    TField* campo = DBGrid1->SelectedField();
    if (!campo || campo->Calculated()) return;
    const QString respuesta =
        MensajePeticion(PreguntaFiltroValor(Operador, campo->FieldName()), campo->Text());
    if (!respuesta.isEmpty()) aplicarFiltroValor(Operador, respuesta);
}

void TfGENEBUSQ::FiltrarRegistrosporValoresDesdeHasta1Click() {
    if (!ClientDataSet1->Active() || ClientDataSet1->State() != dsBrowse) return;
    TField* campo = DBGrid1->SelectedField();
    if (!campo || campo->Calculated()) return;
    const QString desde = MensajePeticion(
        PreguntaFiltroValor(QStringLiteral(">="), campo->FieldName()), campo->Text());
    if (!desde.isEmpty() && !aplicarFiltroValor(QStringLiteral(">="), desde)) return;
    const QString hasta = MensajePeticion(
        PreguntaFiltroValor(QStringLiteral("<="), campo->FieldName()), campo->Text());
    if (!hasta.isEmpty()) aplicarFiltroValor(QStringLiteral("<="), hasta);
}

void TfGENEBUSQ::CancelarFiltros1Click() {
    FiltroValores.clear();
    ClientDataSet1->setFiltered(false);
    ClientDataSet1->setFilter(QString());
}

void TfGENEBUSQ::ListadoProgramable1Click() {
    if (!ClientDataSet1->Active()) return;
    ListarDataSet(Modulo(), ClientDataSet1, QStringLiteral("L.Tabla"),
                  QStringLiteral("Listado de la tabla ") + TablaBusqueda);
}
