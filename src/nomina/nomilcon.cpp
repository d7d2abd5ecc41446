#include "nomina/nomilcon.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QSqlQuery>
#include <QTimer>
#include <memory>

#include "db/database.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genesele.h"
#include "gene/print/genelimp.h"
#include "gene/session/geneapp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "nomina/nomilcon_clausulas.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/registry.h"

TfNOMILCON* fNOMILCON = nullptr;

namespace {

const char* const kCausas[] = {
    "01-Despido del trabajador",
    "02-Despido por causas objetivas",
    "03-Muerte del empresario",
    "04-Jubilación del empresario",
    "05-Incapacidad del empresario",
    "06-Cese por declaración de invalidez permanente total del trabajador",
    "07-Cese en periodo de prueba a instancia del empresario",
    "08-Cese en periodo de prueba por acuerdo del Consejo Rector en el supuesto de socios de "
    "cooperativas",
    "09-Cese en periodo de prueba a instancia del trabajador",
    "10-Cese por voluntad del empresario en la relación laboral de alta dirección",
    "11-Fin de contrato temporal",
    "12-Fin de contrato temporal a instancia del trabajador (rechazo prórroga)",
    "13-Fin de la relación administrativa temporal de funcionarios de empleo y contratados "
    "administrativos",
    "14-Resolución del trabajador por traslado o modificación sustancial de las condiciones de "
    "trabajo",
    "15-Fin o interrupción de la actividad de los trabajadores fijos-discontinuos",
    "16-Extinción del contrato autorizada en E.R.E. o por auto judicial o constatada por la "
    "autoridad laboral en cooperativas",
    "17-Suspensión del contrato autorizada en E.R.E. o por auto  judicial o constatada por la "
    "autoridad laboral en cooperativas",
    "18-Reducción temporal de jornada autorizada en E.R.E. o por auto judicial o constatada por "
    "la autoridad laboral en cooperativas",
    "19-Suspensión o extinción voluntaria del contrato en caso de víctimas de violencia de género",
    "20-Expulsión del socio de la cooperativa, por acuerdo del Consejo Rector",
    "21-Baja voluntaria del trabajador",
    "22-Finalización o resolución involuntaria del compromiso con las Fuerzas Armadas. (Indicar "
    "con o sin derecho a pensión de retiro)",
    "23-Fin de actuación sin finalización de contrato, en el caso de artistas",
    "24-Fin de la actividad fija discontinua por la realización de trabajos fijos y periódicos "
    "que se repiten en fechas ciertas",
    "25-Finalización del vínculo societario de duración determinada, fijado en el acuerdo de "
    "admisión y en los estatutos de la cooperativa",
    "26-Excedencia",
    "27-Cese involuntario y con carácter definitivo en cargo público o sindical",
    "28-Pérdida con carácter involuntario y definitivo de la dedicación exclusiva o parcial por "
    "parte de un cargo público o sindical",
    "29-Conclusión del servicio o del tiempo máximo como reservista voluntario activado en las "
    "Fuerzas Armadas"};

QString textoFecha(const QDate& d) {
    return TextoVariante(QDateTime(d, QTime(0, 0)));
}

}  // namespace

QString FormatoOpcionContratos(TDatosContratos::TOpcion Opcion) {
    switch (Opcion) {
        case TDatosContratos::Contrato:
            return QStringLiteral("Contrato100-1");
        case TDatosContratos::TA2:
            return QStringLiteral("TA2");
        case TDatosContratos::CertificadoEmpresa:
            return QStringLiteral("CertificadoEmpresa");
        case TDatosContratos::ProrrogaContrato:
            return QStringLiteral("ProrrogaContrato");
    }
    return {};
}

TfNOMILCON::TfNOMILCON(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fNOMILCON"));
    setCaption(QStringLiteral("Listado de Contratos"));
    setFormStyle(fsMDIChild);
    setKeyPreview(true);

    auto tabla = [this](const char* nombre, const char* tabla) {
        auto* t = new TTable(this);
        t->setObjectName(QLatin1String(nombre));
        t->setTableName(QLatin1String(tabla));
        return t;
    };
    Personal = tabla("Personal", "PERSONAL");
    HContrato = tabla("HContrato", "HCONTRAT");
    Impreso = tabla("Impreso", "IMPRESO");
    DSImpreso = new TDataSource(this);
    DSImpreso->setObjectName(QStringLiteral("DSImpreso"));
    DSImpreso->setDataSet(Impreso);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    auto panel = [this, raiz](const char* nombre) {
        auto* p = new TPanel(this);
        p->setObjectName(QLatin1String(nombre));
        raiz->addWidget(p);
        return p;
    };
    auto edit = [](QWidget* padre, const char* nombre, int limite, const char* valor = "") {
        auto* e = new TEdit(padre);
        e->setObjectName(QLatin1String(nombre));
        e->setMaxLength(limite);
        e->setText(QString::fromUtf8(valor));
        // Wide enough for what it takes (a date whole), however many boxes
        // share the row.
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                           (qBound(2, limite == 0 ? 4 : limite, 12) + 2));
        // Every edit but the cause's ignores a double click.
        return e;
    };
    auto fila = [](QGridLayout* g, int f, int c, const char* etiqueta, QWidget* control) {
        g->addWidget(new TLabel(control->parentWidget(), QString::fromUtf8(etiqueta)), f, c);
        g->addWidget(control, f, c + 1);
    };

    TPanel* Panel1 = panel("Panel1");
    auto* g1 = new QGridLayout(Panel1);
    DesdeFecha = edit(Panel1, "DesdeFecha", 10);
    HastaFecha = edit(Panel1, "HastaFecha", 10);
    DesdeOperario = edit(Panel1, "DesdeOperario", 4, "0");
    HastaOperario = edit(Panel1, "HastaOperario", 4, "9999");
    NumeroCopias = edit(Panel1, "NumeroCopias", 4, "2");
    EditNumeroTrabajadores = edit(Panel1, "EditNumeroTrabajadores", 4);
    EditOficinaINEM = edit(Panel1, "EditOficinaINEM", 40);
    EditFechaPresentacion = edit(Panel1, "EditFechaPresentacion", 10);
    fila(g1, 0, 0, "Desde Fecha", DesdeFecha);
    fila(g1, 0, 2, "Hasta", HastaFecha);
    fila(g1, 1, 0, "Desde Operario", DesdeOperario);
    fila(g1, 1, 2, "Hasta", HastaOperario);
    fila(g1, 2, 0, "Número de Copias", NumeroCopias);
    fila(g1, 2, 2, "Número Trabajadores", EditNumeroTrabajadores);
    fila(g1, 3, 0, "Oficina del INEM", EditOficinaINEM);
    fila(g1, 3, 2, "Fecha Presentación", EditFechaPresentacion);

    TPanel* Panel2 = panel("Panel2");
    auto* l2 = new QHBoxLayout(Panel2);
    VisualizacionPrevia = new TCheckBox(Panel2, QStringLiteral("Visualización Previa"));
    VisualizacionPrevia->setObjectName(QStringLiteral("VisualizacionPrevia"));
    VisualizacionPrevia->setChecked(true);
    l2->addWidget(VisualizacionPrevia);

    TPanel* Panel5 = panel("Panel5");
    auto* l5 = new QHBoxLayout(Panel5);
    auto* grupo = new QGroupBox(QStringLiteral("Opciones"), Panel5);
    auto* lg = new QHBoxLayout(grupo);
    l5->addWidget(grupo);
    auto radio = [grupo, lg](const char* nombre, const char* caption) {
        auto* r = new TRadioButton(grupo, QString::fromUtf8(caption));
        r->setObjectName(QLatin1String(nombre));
        lg->addWidget(r);
        return r;
    };
    Contratos = radio("Contratos", "Contrato");
    TA2 = radio("TA2", "TA2");
    CertificadoEmpresa = radio("CertificadoEmpresa", "Certificado Empresa");
    ProrrogaContrato = radio("ProrrogaContrato", "Prorroga Contrato");
    Contratos->setChecked(true);

    Panel3 = panel("Panel3");
    auto* g3 = new QGridLayout(Panel3);
    NumeroProrroga = edit(Panel3, "NumeroProrroga", 20);
    MesesDuracion = edit(Panel3, "MesesDuracion", 3, "0");
    DuracionInicial = edit(Panel3, "DuracionInicial", 3, "0");
    fila(g3, 0, 0, "Numero Prórroga", NumeroProrroga);
    fila(g3, 0, 2, "Meses Duración", MesesDuracion);
    fila(g3, 0, 4, "Duración Inicial", DuracionInicial);
    Panel3->hide();

    Panel4 = panel("Panel4");
    // One row of boxes after another, each as wide as its own captions and
    // boxes: sharing columns across rows made the window too narrow for the
    // part-time rows, whose dates could not be read.
    auto* l4 = new QVBoxLayout(Panel4);
    auto renglon = [this, l4](std::initializer_list<std::pair<const char*, QWidget*>> cajas,
                              QWidget* extensible = nullptr) {
        auto* r = new QHBoxLayout;
        for (const auto& [etiqueta, control] : cajas) {
            if (etiqueta) r->addWidget(new TLabel(Panel4, QString::fromUtf8(etiqueta)));
            r->addWidget(control, control == extensible ? 1 : 0);
        }
        if (!extensible) r->addStretch(1);
        l4->addLayout(r);
    };
    auto titulo = [this, l4](const char* texto) {
        l4->addWidget(new TLabel(Panel4, QString::fromUtf8(texto)));
    };
    DiasCertificado = edit(Panel4, "DiasCertificado", 20, "180");
    CausaSituacionDesempleo = edit(Panel4, "CausaSituacionDesempleo", 150);
    EditCodigoCausa = edit(Panel4, "EditCodigoCausa", 2);
    DiasCertificado->setMaximumWidth(DiasCertificado->minimumWidth());
    renglon({{"Días de Certificado", DiasCertificado}, {"Código Causa", EditCodigoCausa}});
    renglon({{"Causa Sit.Desempleo", CausaSituacionDesempleo}}, CausaSituacionDesempleo);
    titulo("Distribución de las jornadas de trabajo en contratos a tiempo parcial:");
    for (int i = 0; i < 4; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        auto* tipo = new TComboBox(Panel4);
        tipo->setObjectName(QStringLiteral("EditTipoContratosTiempoParcial") + QLatin1String(n));
        tipo->setItems({QStringLiteral("R"), QStringLiteral("I")});
        tipo->setItemIndex(-1);
        EditTipoContratosTiempoParcial[i] = tipo;
        EditDiasContratosTiempoParcial[i] =
            edit(Panel4, QByteArray("EditDiasContratosTiempoParcial" + n).constData(),
                 i == 0 ? 0 : 2, "0");
        EditDiasDesdeContratosTiempoParcial[i] =
            edit(Panel4, QByteArray("EditDiasDesdeContratosTiempoParcial" + n).constData(), 10);
        EditDiasHastaContratosTiempoParcial[i] =
            edit(Panel4, QByteArray("EditDiasHastaContratosTiempoParcial" + n).constData(), 10);
        renglon({{"Tipo:", tipo},
                 {"Días:", EditDiasContratosTiempoParcial[i]},
                 {"del", EditDiasDesdeContratosTiempoParcial[i]},
                 {"al", EditDiasHastaContratosTiempoParcial[i]}});
    }
    EditFechaSuspension = edit(Panel4, "EditFechaSuspension", 10);
    EditFechaFinSuspension = edit(Panel4, "EditFechaFinSuspension", 10);
    EditNumERE = edit(Panel4, "EditNumERE", 10);
    renglon({{"Fecha suspensión/extinción", EditFechaSuspension},
             {"Fecha fin suspensión", EditFechaFinSuspension}});
    renglon({{"Num. ERE", EditNumERE}});
    titulo("Reducción de jornada por:");
    EditReduccionRegulacion = edit(Panel4, "EditReduccionRegulacion", 10, "0");
    EditReduccionCuidados = edit(Panel4, "EditReduccionCuidados", 10, "0");
    renglon({{"Expediente de Regulación de Empleo (%)", EditReduccionRegulacion}});
    renglon({{"Cuidado de hijos o familiares (%)", EditReduccionCuidados}});
    EditNumDiasTramitacion = edit(Panel4, "EditNumDiasTramitacion", 10, "0");
    EditDiasTramitacionDel = edit(Panel4, "EditDiasTramitacionDel", 10);
    EditDiasTramitacionAl = edit(Panel4, "EditDiasTramitacionAl", 10);
    renglon({{"Num. de días de salarios de tramitación:", EditNumDiasTramitacion}});
    renglon({{"del", EditDiasTramitacionDel}, {"al", EditDiasTramitacionAl}});
    UltimoContrato = new TCheckBox(Panel4, QStringLiteral("Último contrato"));
    UltimoContrato->setObjectName(QStringLiteral("UltimoContrato"));
    EditObservaciones = edit(Panel4, "EditObservaciones", 40);
    renglon({{nullptr, UltimoContrato}, {"Observaciones", EditObservaciones}}, EditObservaciones);
    Panel4->hide();

    TPanel* Panel6 = panel("Panel6");
    auto* l6 = new QHBoxLayout(Panel6);
    l6->addWidget(new TLabel(Panel6, QStringLiteral("Formato del Impreso")));
    EditFormatoImpreso = new TDBLookupComboBox(Panel6);
    EditFormatoImpreso->setObjectName(QStringLiteral("EditFormatoImpreso"));
    EditFormatoImpreso->setListSource(DSImpreso);
    EditFormatoImpreso->setKeyField(QStringLiteral("Codigo"));
    EditFormatoImpreso->setListField(QStringLiteral("Descripcion"));
    l6->addWidget(EditFormatoImpreso, 1);

    PanelControl = panel("PanelControl");
    auto* lc = new QHBoxLayout(PanelControl);
    StatusBar1 = new TStatusBar(PanelControl);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSimplePanel(true);
    lc->addWidget(StatusBar1, 1);
    pbListar = new TButton(PanelControl, QStringLiteral("&Listar"));
    pbListar->setObjectName(QStringLiteral("pbListar"));
    pbListar->setHint(QStringLiteral("Listar por impresora o visualizar en pantalla"));
    pbSalir = new TButton(PanelControl, QStringLiteral("&Salir"));
    pbSalir->setObjectName(QStringLiteral("pbSalir"));
    pbSalir->setHint(QStringLiteral("Salir sin listar"));
    lc->addWidget(pbListar);
    lc->addWidget(pbSalir);

    pbListar->OnClick = [this](QObject*) { pbListarClick(); };
    pbSalir->OnClick = [this](QObject*) { Close(); };
    Contratos->OnClick = [this](QObject*) { ContratosClick(); };
    TA2->OnClick = [this](QObject*) { TA2Click(); };
    CertificadoEmpresa->OnClick = [this](QObject*) { CertificadoEmpresaClick(); };
    ProrrogaContrato->OnClick = [this](QObject*) { ProrrogaContratoClick(); };
    EditCodigoCausa->OnDblClick = [this](QObject*) { EditCodigoCausaDblClick(); };

    OnCreate = [this](QObject*) { FormCreate(); };
    OnActivate = [this](QObject*) { update(); };
    OnCloseQuery = [this](QObject*, bool& CanClose) { CanClose = !Listando; };
    OnClose = [](QObject*, TCloseAction& Action) { Action = caFree; };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (Key != VK_F2 && fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
    fNOMILCON = this;
}

TfNOMILCON::~TfNOMILCON() {
    if (fNOMILCON == this) fNOMILCON = nullptr;
}

void TfNOMILCON::ajustarAltura() {
    adjustSize();
    setHeight(PanelControl->y() + PanelControl->height() + AjusteAlturaFormularios);
}

void TfNOMILCON::FormCreate() {
    if (fGENEINIC) AbrirTablasFormulario(fGENEINIC, this);
    ajustarAltura();
    setTop(0);
    opcion(TDatosContratos::Contrato, 0, nullptr, nullptr, "Contrato");
    const QDate hoy = QDate::currentDate();
    DesdeFecha->setText(textoFecha(QDate(hoy.year(), hoy.month(), 1)));
    HastaFecha->setText(textoFecha(QDate(hoy.year(), hoy.month(), hoy.daysInMonth())));
    EditFechaPresentacion->setText(textoFecha(hoy));
    // Contract rows still in force, of every employee.
    if (TDatabase* base = BaseDatosSelector(QStringLiteral("Database"))) {
        try {
            QSqlQuery q = base->Execute(
                QStringLiteral("SELECT COUNT(*) FROM HCONTRAT WHERE FechaFinalContrato IS NULL OR "
                               "FechaFinalContrato <= ") +
                ValorSQL(ZeroDateTime()) + QStringLiteral(" OR FechaFinalContrato >= ") +
                ValorSQL(QDateTime(hoy, QTime(0, 0))));
            if (q.next()) EditNumeroTrabajadores->setText(QString::number(q.value(0).toInt()));
        } catch (const std::exception&) {
            // A company without contracts yet: the count stays empty.
        }
    }
    Listando = false;
}

void TfNOMILCON::aplicarPreselecciones() {
    if (operarioDesde_ == 0 && operarioHasta_ == 0) return;
    DesdeOperario->setText(QString::number(operarioDesde_));
    HastaOperario->setText(QString::number(operarioHasta_));
    auto fecha = [](TEdit* e, const QVariant& v) {
        if (v.isValid() && !v.isNull()) e->setText(textoFecha(v.toDateTime().date()));
    };
    fecha(DesdeFecha, fechaDesde_);
    fecha(HastaFecha, fechaHasta_);
}

void TfNOMILCON::setOperarioDesdeContratos(int v) {
    operarioDesde_ = v;
    aplicarPreselecciones();
}

void TfNOMILCON::setOperarioHastaContratos(int v) {
    operarioHasta_ = v;
    aplicarPreselecciones();
}

void TfNOMILCON::setFechaDesdeContratos(const QVariant& v) {
    fechaDesde_ = v;
    aplicarPreselecciones();
}

void TfNOMILCON::setFechaHastaContratos(const QVariant& v) {
    fechaHasta_ = v;
    aplicarPreselecciones();
}

void TfNOMILCON::setImprimirDirectamenteContratos(bool v) {
    imprimirDirectamente_ = v;
    // The opener sets the flag last and returns first; the print runs then.
    if (v) QMetaObject::invokeMethod(this, "imprimirDirectamente", Qt::QueuedConnection);
}

void TfNOMILCON::imprimirDirectamente() {
    VisualizacionPrevia->setChecked(false);
    pbListarClick();
    Close();
}

void TfNOMILCON::opcion(TDatosContratos::TOpcion o, int top, const char* copias, TPanel* panel,
                        const char* tipoDocumento) {
    if (copias) NumeroCopias->setText(QLatin1String(copias));
    Panel3->setVisible(panel == Panel3);
    Panel4->setVisible(panel == Panel4);
    ajustarAltura();
    if (copias) setTop(top);
    QString indice;
    NombreIndice(ModuloDatos, Impreso, QStringLiteral("Clave2"), indice);
    try {
        if (!Impreso->Active()) Impreso->Open();
        Impreso->setIndexName(indice);
        Impreso->SetRange({QString::fromUtf8(tipoDocumento)}, {QString::fromUtf8(tipoDocumento)});
        Impreso->First();
        EditFormatoImpreso->setKeyValue(
            Impreso->IsEmpty() ? QVariant(QString())
                               : Impreso->FieldByName(QStringLiteral("Codigo"))->Value());
    } catch (const std::exception&) {
        EditFormatoImpreso->setKeyValue(QString());
    }
    (void)o;
}

void TfNOMILCON::ContratosClick() {
    opcion(TDatosContratos::Contrato, 304, "3", nullptr, "Contrato");
}

void TfNOMILCON::TA2Click() {
    opcion(TDatosContratos::TA2, 304, "2", nullptr, "TA2");
}

void TfNOMILCON::CertificadoEmpresaClick() {
    // The main window's area does not scroll: the window never goes above it.
    opcion(TDatosContratos::CertificadoEmpresa, qMax(0, Top() - 200), "2", Panel4,
           "Certificado Empresa");
}

void TfNOMILCON::ProrrogaContratoClick() {
    opcion(TDatosContratos::ProrrogaContrato, 304, "3", Panel3, "Prorroga Contrato");
}

void TfNOMILCON::EditCodigoCausaDblClick() {
    QStringList lineas;
    for (const char* c : kCausas) lineas << QString::fromUtf8(c);
    QString seleccion;
    SeleccionarDeLista(fGENEINIC,
                       QStringLiteral("Titulo=Selección de Código para Causa de Despido\r\n"
                                      "Formato=0,0,400,0\r\nModo=Normal"),
                       lineas.join(QStringLiteral("\r\n")), seleccion);
    seleccion = seleccion.trimmed();
    if (seleccion.isEmpty()) return;
    const int guion = seleccion.indexOf(QLatin1Char('-'));
    EditCodigoCausa->setText(guion < 0 ? seleccion : seleccion.left(guion));
    CausaSituacionDesempleo->setText(guion < 0 ? QString() : seleccion.mid(guion + 1));
}

bool TfNOMILCON::ComprobarDatos() {
    bool bien =
        ValidarFecha(DesdeFecha->Text(), QStringLiteral("Desde Fecha")) &&
        ValidarFecha(HastaFecha->Text(), QStringLiteral("Hasta Fecha")) &&
        ValidarEntero(DesdeOperario->Text(), QStringLiteral("Desde Operario")) &&
        ValidarEntero(HastaOperario->Text(), QStringLiteral("Hasta Operario")) &&
        ValidarEntero(NumeroCopias->Text(), QStringLiteral("Número Copias")) &&
        ValidarEntero(EditNumeroTrabajadores->Text(), QStringLiteral("Número Trabajadores")) &&
        ValidarFecha(EditFechaPresentacion->Text(), QStringLiteral("Fecha Presentacion")) &&
        ValidarEntero(DiasCertificado->Text(), QStringLiteral("Dias Certificado"));
    if (bien && ProrrogaContrato->isChecked())
        bien = ValidarEntero(MesesDuracion->Text(), QStringLiteral("Meses Duración")) &&
               ValidarEntero(DuracionInicial->Text(), QStringLiteral("Duración Inicial"));
    // The optional boxes are all checked, each showing its own message. A
    // number must also fit the column of the page that keeps it, or the
    // server would refuse the whole page.
    auto opcional = [&bien](TEdit* e, bool (*validar)(const QString&, const QString&),
                            const char* nombre, const QString& columna = QString()) {
        const QString dato = QString::fromUtf8(nombre);
        if (!e->Text().trimmed().isEmpty() &&
            (!validar(e->Text(), dato) ||
             (!columna.isEmpty() && !ValorCabeEnColumnaContratos(columna, e->Text(), dato))))
            bien = false;
    };
    for (TEdit* e : EditDiasDesdeContratosTiempoParcial)
        opcional(e, ValidarFecha, "Fecha desde Contratos a Tiempo Parcial");
    for (TEdit* e : EditDiasHastaContratosTiempoParcial)
        opcional(e, ValidarFecha, "Fecha hasta Contratos a Tiempo Parcial");
    for (int i = 0; i < 4; ++i)
        opcional(EditDiasContratosTiempoParcial[i], ValidarEntero,
                 "Días Contratos a Tiempo Parcial",
                 QStringLiteral("DiasTraParcial") + QString::number(i + 1));
    opcional(EditFechaSuspension, ValidarFecha, "Fecha suspensión/extinción");
    opcional(EditFechaFinSuspension, ValidarFecha, "Fecha fin suspensión");
    opcional(EditReduccionRegulacion, ValidarReal, "Porcentaje Expediente de Regulación de Empleo",
             QStringLiteral("PorcReducPorRegulacion"));
    opcional(EditReduccionCuidados, ValidarReal, "Porcentaje Cuidado de hijos o familiares",
             QStringLiteral("PorcReducPorCuidados"));
    opcional(EditNumDiasTramitacion, ValidarEntero, "Número de días de salarios de tramitación",
             QStringLiteral("DiasTramitacion"));
    opcional(EditDiasTramitacionDel, ValidarFecha, "Fecha desde tramitación");
    opcional(EditDiasTramitacionAl, ValidarFecha, "Fecha hasta tramitación");
    return bien;
}

void TfNOMILCON::MostrarEstado(const QString& Texto) {
    StatusBar1->setSimpleText(Texto);
    StatusBar1->repaint();
    QApplication::processEvents();
}

void TfNOMILCON::pbListarClick() {
    if (Listando || !ComprobarDatos()) return;
    // Whatever happens while listing, the window is usable afterwards.
    struct Fin {
        TfNOMILCON* f;
        ~Fin() {
            f->MostrarEstado(QString());
            f->Listando = false;
        }
    };
    TBusyForm ocupado(this);
    Listando = true;
    Fin fin{this};
    MostrarEstado(QStringLiteral("Creando informe..."));
    ListarImpresos();
}

TDatosContratos TfNOMILCON::Datos() const {
    TDatosContratos d;
    d.Opcion = TA2->isChecked()                  ? TDatosContratos::TA2
               : CertificadoEmpresa->isChecked() ? TDatosContratos::CertificadoEmpresa
               : ProrrogaContrato->isChecked()   ? TDatosContratos::ProrrogaContrato
                                                 : TDatosContratos::Contrato;
    d.DesdeFecha = DesdeFecha->Text();
    d.HastaFecha = HastaFecha->Text();
    d.DesdeOperario = DesdeOperario->Text();
    d.HastaOperario = HastaOperario->Text();
    d.NumeroCopias = NumeroCopias->Text();
    d.NumeroTrabajadores = EditNumeroTrabajadores->Text();
    d.OficinaINEM = EditOficinaINEM->Text();
    d.FechaPresentacion = EditFechaPresentacion->Text();
    d.FormatoImpreso = EditFormatoImpreso->KeyValue().toString();
    d.NumeroProrroga = NumeroProrroga->Text();
    d.MesesDuracion = MesesDuracion->Text();
    d.DuracionInicial = DuracionInicial->Text();
    d.DiasCertificado = DiasCertificado->Text();
    d.CodigoCausa = EditCodigoCausa->Text();
    d.CausaSituacionDesempleo = CausaSituacionDesempleo->Text();
    for (int i = 0; i < 4; ++i) {
        d.TipoParcial[i] = EditTipoContratosTiempoParcial[i]->Text();
        d.DiasParcial[i] = EditDiasContratosTiempoParcial[i]->Text();
        d.DesdeParcial[i] = EditDiasDesdeContratosTiempoParcial[i]->Text();
        d.HastaParcial[i] = EditDiasHastaContratosTiempoParcial[i]->Text();
    }
    d.FechaSuspension = EditFechaSuspension->Text();
    d.FechaFinSuspension = EditFechaFinSuspension->Text();
    d.NumeroERE = EditNumERE->Text();
    d.ReduccionRegulacion = EditReduccionRegulacion->Text();
    d.ReduccionCuidados = EditReduccionCuidados->Text();
    d.DiasTramitacion = EditNumDiasTramitacion->Text();
    d.TramitacionDel = EditDiasTramitacionDel->Text();
    d.TramitacionAl = EditDiasTramitacionAl->Text();
    d.UltimoContrato = UltimoContrato->isChecked();
    d.Observaciones = EditObservaciones->Text();
    return d;
}

void TfNOMILCON::ListarImpresos() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Cursor {
        ~Cursor() { QApplication::restoreOverrideCursor(); }
    } cursor;
    const TDatosContratos d = Datos();
    PrevisualizarImpreso = VisualizacionPrevia->isChecked();
    CodigoImpreso = FormatoOpcionContratos(d.Opcion);
    // The engine and its work tables are freed whatever fails below.
    std::unique_ptr<TfGENELIMP> motor(new TfGENELIMP);
    try {
        CrearTablaEstructura(fGENEINIC, motor->Temporal, DefinicionTemporalContratos(), -1);
        motor->Temporal->Open();
        CrearTablaEstructura(fGENEINIC, motor->LTemporal, DefinicionLTemporalContratos(), -1);
        motor->LTemporal->setIndexFieldNames(
            QStringLiteral("CodigoOperario;CodigoContrato;NumeroContrato;Pagina;Linea"));
        motor->LTemporal->setMasterFields(
            QStringLiteral("CodigoOperario;CodigoContrato;NumeroContrato;Pagina"));
        motor->LTemporal->Open();
        RellenarImpresos(d, motor->Temporal, motor->LTemporal);
        // Clauses the format would cut are told before anything prints.
        const QStringList cortadas = MemosQueNoCaben(motor->Temporal, motor->Impreso);
        if (!cortadas.isEmpty())
            MensajeAdvertencia(
                QStringLiteral("¡Las cláusulas de estos contratos no caben en su impreso y se "
                               "imprimirán cortadas!\r\n") +
                cortadas.join(QStringLiteral("\r\n")));
        motor->Temporal->First();
        motor->EjecutarImpreso();
    } catch (const std::exception&) {
        // Shown by the session's handler, once the engine is freed.
        motor.reset();
        DespacharExcepcion(this, std::current_exception());
    }
}

void RegistrarTfNOMILCON() {
    if (!FormClassRegistered(QStringLiteral("TfNOMILCON")))
        RegisterFormClass<TfNOMILCON>(QStringLiteral("TfNOMILCON"));
}

namespace {
const bool registrado = [] {
    RegistrarTfNOMILCON();
    return true;
}();
}  // namespace
