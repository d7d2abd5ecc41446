#include "gene/dialogs/genebusa.h"

#include <QHBoxLayout>
#include <QHash>
#include <QVBoxLayout>
#include <memory>

#include "db/database.h"
#include "db/datasource.h"
#include "db/query.h"
#include "gene/dialogs/genebusq.h"
#include "gene/data/geneclav.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/genetrad.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/grids.h"

namespace {

using dialogos::Modulo;
using dialogos::Traducido;

QString SelectorTabla(const QString& tabla) {
    return EsTablaGeneral(tabla) ? QStringLiteral("DatabaseGeneral") : QStringLiteral("Database");
}

}  // namespace

QString PatronAproximadoSQLServer(const QString& Valor) {
    QString v = Valor.toLower();
    const QList<QPair<QString, QString>> plegado = {
        {"á", "a"}, {"é", "e"}, {"í", "i"}, {"ó", "o"},   {"ú", "u"},
        {"v", "b"}, {"k", "c"}, {"y", "i"}, {"tx", "ch"}, {"tz", "ch"}};
    for (const auto& [de, a] : plegado) v.replace(de, a);
    const QList<QPair<QString, QString>> clases = {
        {"a", "[aá]"}, {"e", "[eé]"}, {"i", "[iíy]"},     {"o", "[oó]"},
        {"u", "[uú]"}, {"b", "[bv]"}, {"ch", "[ct][hxz]"}};
    for (const auto& [de, a] : clases) v.replace(de, a);
    // The "c" of "[ct]" stays: hidden while the other c's are widened.
    const QString mascara(QChar(0xE000));
    v.replace(QLatin1String("[ct]"), mascara);
    v.replace(QLatin1String("c"), QLatin1String("[ck]"));
    v.replace(mascara, QLatin1String("[ct]"));
    return v;
}

QString CondicionBusquedaAproximada(const QList<TCriterioAproximado>& Criterios,
                                    const QString& Filtro, const SqlDialect& Dialecto) {
    QString condicion;
    const bool sqlServer = Dialecto.engine() == Engine::SqlServer;
    for (const TCriterioAproximado& c : Criterios) {
        if (c.Valor.isEmpty()) continue;
        const QString valor = sqlServer ? PatronAproximadoSQLServer(c.Valor) : c.Valor;
        condicion += condicion.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ");
        condicion +=
            QLatin1Char('(') +
            Dialecto.likeCondition(c.Campo, c.Tipo, QLatin1Char('%') + valor + QLatin1Char('%')) +
            QLatin1Char(')');
    }
    if (!condicion.isEmpty() && !Filtro.trimmed().isEmpty())
        condicion += QStringLiteral(" AND (") + Filtro + QLatin1Char(')');
    return condicion;
}

TfGENEBUSA::TfGENEBUSA(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEBUSA"));
    setCaption(QStringLiteral("Búsqueda por Aproximación en la tabla"));
    setPosition(poScreenCenter);
    setKeyPreview(true);
    resize(640, 460);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(4, 4, 4, 4);
    Splitter1 = new TSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));

    auto* criterios = new QWidget(Splitter1);
    auto* filaCriterios = new QHBoxLayout(criterios);
    filaCriterios->setContentsMargins(0, 0, 0, 0);
    ValueListEditor = new TValueListEditor(criterios);
    ValueListEditor->setObjectName(QStringLiteral("ValueListEditor"));
    ValueListEditor->setTitleCaptions(QStringLiteral("Campo"), QStringLiteral("Valor"));
    pbBuscar = new TButton(criterios, QStringLiteral("Buscar"));
    pbBuscar->setObjectName(QStringLiteral("pbBuscar"));
    filaCriterios->addWidget(ValueListEditor, 1);
    filaCriterios->addWidget(pbBuscar, 0, Qt::AlignTop);

    Query1 = new TQuery(this);
    Query1->setObjectName(QStringLiteral("Query1"));
    Query1->setRequestLive(false);
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Query1);
    DBGrid1 = new TDBGrid(Splitter1);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(DataSource1);
    DBGrid1->setReadOnly(true);
    raiz->addWidget(Splitter1, 1);

    auto* botones = new QHBoxLayout;
    pbConforme = dialogos::Boton(this, QStringLiteral("pbConforme"), QStringLiteral("&Conforme"),
                                 mrOk, QStringLiteral("Aceptar el dato indicado"));
    pbConforme->setDefault(true);
    pbCancelar = dialogos::Boton(this, QStringLiteral("pbCancelar"), QStringLiteral("C&ancelar"),
                                 mrCancel, QStringLiteral("Abandonar sin escoger ningún dato"));
    botones->addStretch(1);
    botones->addWidget(pbConforme);
    botones->addWidget(pbCancelar);
    raiz->addLayout(botones);

    OnCreate = [this](QObject*) {
        if (fGENEINIC) PrepararFormulario(fGENEINIC, this);
        RestaurarGeometriaDialogo(this);
    };
    OnShow = [this](QObject*) {
        if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
    };
    OnClose = [this](QObject*, TCloseAction&) { GuardarGeometriaDialogo(this); };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) { FormKeyDown(Key, Shift); };
    OnKeyPress = [this](QObject*, QChar& Key) {
        QWidget* activo = ActiveControl();
        if (Key == QLatin1Char('\r') && activo &&
            (activo == DBGrid1 || DBGrid1->isAncestorOf(activo)))
            return;
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
    pbBuscar->OnClick = [this](QObject*) { pbBuscarClick(); };
    DBGrid1->OnDblClick = [this](QObject*) { setModalResult(mrOk); };
}

TfGENEBUSA::~TfGENEBUSA() = default;

void TfGENEBUSA::FormKeyDown(int& Key, int Shift) {
    QWidget* activo = ActiveControl();
    const bool enRejilla = activo && (activo == DBGrid1 || DBGrid1->isAncestorOf(activo));
    if (enRejilla && Key == VK_RETURN && Shift == 0) {
        setModalResult(mrOk);
        Key = 0;
        return;
    }
    if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
}

void TfGENEBUSA::Preparar() {
    Query1->Close();
    QString sinPropietario;
    NombreTablaSinPropietario(Modulo(), TablaBusqueda, sinPropietario);
    TablaBusqueda = sinPropietario;
    Query1->setDatabaseName(NombreBaseDatosSelector(SelectorTabla(TablaBusqueda)));
    setCaption(QStringLiteral("Búsqueda por Aproximación en la tabla ") + TablaBusqueda);
    CamposBusqueda.clear();
    QString lista;
    CamposTabla(Modulo(), TablaBusqueda, QString(), lista);
    // A table the catalog cannot read (its error text) offers no columns.
    if (lista.startsWith(QLatin1String("Error."))) lista.clear();
    for (const QString& c : LineasTexto(lista))
        if (!c.isEmpty() && !CampoNoVisible(Modulo(), c)) CamposBusqueda << c;
    ValueListEditor->setRowCount(1 + int(CamposBusqueda.size()));
    for (int i = 0; i < CamposBusqueda.size(); ++i) {
        ValueListEditor->setCells(0, i + 1, AbreviarTitulo(Traducido(CamposBusqueda[i]), 1));
        ValueListEditor->setCells(1, i + 1, QString());
        if (QTableWidgetItem* clave = ValueListEditor->item(i + 1, 0)) {
            clave->setFlags(clave->flags() & ~Qt::ItemIsEditable);
            clave->setForeground(ColorToQt(clNavy));
        }
    }
    ValueListEditor->SetFocus();
}

QString TfGENEBUSA::Criterio(const QString& Campo) const {
    const int i = int(CamposBusqueda.indexOf(Campo));
    return i < 0 ? QString() : ValueListEditor->Cells(1, i + 1);
}

void TfGENEBUSA::setCriterio(const QString& Campo, const QString& Valor) {
    const int i = int(CamposBusqueda.indexOf(Campo));
    if (i >= 0) ValueListEditor->setCells(1, i + 1, Valor);
}

void TfGENEBUSA::pbBuscarClick() {
    Query1->Close();
    QHash<QString, TFieldType> tipos;
    try {
        if (MotorActual() != Engine::SqlServer)
            for (const TFieldDef& f :
                 BaseDatosSelector(SelectorTabla(TablaBusqueda))->ColumnDefs(TablaBusqueda))
                tipos.insert(f.Name.toLower(), f.DataType);
    } catch (const std::exception&) {
    }
    QList<TCriterioAproximado> criterios;
    for (const QString& c : std::as_const(CamposBusqueda))
        criterios << TCriterioAproximado{c, tipos.value(c.toLower(), ftString), Criterio(c)};
    const QString condicion =
        CondicionBusquedaAproximada(criterios, FiltroBusqueda, DialectoActual());
    if (condicion.isEmpty()) {
        MensajeInformacion(
            QStringLiteral("¡Debe introducir alguna restricción para realizar la búsqueda!"));
        return;
    }
    ultimaSentencia_ = QStringLiteral("SELECT * FROM ") + TablaBusqueda + condicion;
    Query1->SQL().setText(ultimaSentencia_);
    if (!AbrirConsultaADO(Modulo(), Query1, QString())) return;
    FormatearCamposBusqueda(Query1);
    if (fGENEINIC) {
        OcultarCamposNoVisibles(fGENEINIC, this);
        TraducirFormulario(fGENEINIC, this, QString());
    }
    DBGrid1->SetFocus();
}

QString TfGENEBUSA::Resultado() const {
    if (!Query1->Active() || Query1->IsEmpty()) return QString();
    QString campos;
    CamposClaveSQL(Modulo(), TablaBusqueda, QString(), campos);
    const QStringList clave = campos.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (clave.isEmpty())
        return Query1->FieldCount() > 0 ? TextoCampoClave(Query1->Fields()[0]) : QString();
    QStringList lineas;
    for (const QString& c : clave) {
        TField* f = Query1->FindField(c);
        const QString texto = f ? TextoCampoClave(f) : QString();
        lineas << (texto.isEmpty() ? QStringLiteral("NULL") : texto);
    }
    return lineas.join(QStringLiteral("\r\n"));
}

int BusquedaAproximada(const QString& NombreTabla, QString& Resultado, const QString& Filtro) {
    Resultado.clear();
    std::unique_ptr<TfGENEBUSA> dialogo(NewForm<TfGENEBUSA>());
    dialogo->TablaBusqueda = NombreTabla;
    dialogo->FiltroBusqueda = Filtro;
    dialogo->Preparar();
    const int r = dialogo->ShowModal();
    if (r != mrOk) return r;
    Resultado = dialogo->Resultado();
    // "Conforme" before any search shows a row chooses nothing.
    return Resultado.isEmpty() ? mrCancel : r;
}
