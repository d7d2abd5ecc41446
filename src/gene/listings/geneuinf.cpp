#include "gene/listings/geneuinf.h"
#include "gene/session/geneinic_conexion.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "db/clientdataset.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesali.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/listings/genelpro.h"
#include "gene/listings/geneprog.h"
#include "gene/listings/genepsql.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "report/quickrep.h"
#include "ui/controls.h"
#include "ui/registry.h"

QPointer<TfGENEUINF> fGENEUINF;

namespace {

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

const QString kErrorValidacion = QStringLiteral("Error: Validación Incorrecta");
const QString kErrorConsulta = QStringLiteral("Error: No ha sido posible realizar la consulta SQL");

int EnteroODefecto(const QString& Texto, int Defecto) {
    bool ok = false;
    const int n = Texto.trimmed().toInt(&ok);
    return ok ? n : Defecto;
}

}  // namespace

QString TituloEntradaInforme(const QString& Entrada) {
    // The last title: an expression may hold " AS " itself (CAST(x AS ...)).
    static const QRegularExpression titulo(QStringLiteral(" AS '((?:[^']|'')*)'\\s*$"));
    const QRegularExpressionMatch m = titulo.match(Entrada);
    if (m.hasMatch()) return m.captured(1).replace(QStringLiteral("''"), QStringLiteral("'"));
    const qsizetype as = Entrada.indexOf(QLatin1String(" AS "));
    if (as >= 0) return Entrada.mid(as + 4).remove(QLatin1Char('\'')).trimmed();
    const qsizetype punto = Entrada.indexOf(QLatin1Char('.'));
    return (punto >= 0 ? Entrada.mid(punto + 1) : Entrada).trimmed();
}

OpcionesListadoInforme LeerOpcionesListado(const DefinicionInforme& D) {
    OpcionesListadoInforme o;
    o.SepararPorPaginas = D.Opciones.contains(QLatin1String("SepararPorPaginas"));
    o.FormatoFicha = D.Opciones.contains(QLatin1String("FormatoFicha"));
    o.Apaisado = D.Opciones.contains(QLatin1String("OrientacionApaisada"));
    if (o.FormatoFicha) {
        const qsizetype abre = D.Opciones.indexOf(QLatin1Char('('));
        const qsizetype cierra = D.Opciones.indexOf(QLatin1Char(')'), abre + 1);
        const QStringList piezas =
            abre >= 0 && cierra > abre
                ? D.Opciones.mid(abre + 1, cierra - abre - 1).split(QLatin1Char(','))
                : QStringList();
        o.NumeroColumnasFicha = EnteroODefecto(piezas.value(0), 1);
        o.NumeroLineasMemoFicha = EnteroODefecto(piezas.value(1), 3);
        o.Sumatorios = QStringLiteral("Ninguna");
        return o;
    }
    o.FormatoColumnas = D.FormatoColumnas;
    QStringList sumas, grupos;
    for (const QString& e : D.Sumatorios) sumas << TituloEntradaInforme(e);
    for (const QString& e : D.Grupos) grupos << TituloEntradaInforme(e);
    o.Sumatorios = sumas.join(QLatin1Char(','));
    o.CamposGrupo = grupos.join(QLatin1Char('+'));
    return o;
}

TfGENEUINF::TfGENEUINF(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEUINF"));
    setFormStyle(fsMDIChild);
    setKeyPreview(true);
    construir();
    OnCreate = [this](QObject*) { FormCreate(); };
    OnShow = [this](QObject*) { TraducirFormulario(fGENEINIC, this, QString()); };
    OnActivate = [this](QObject*) {
        update();
        centrarPanelInterno();
    };
    OnResize = [this](QObject*) { centrarPanelInterno(); };
    OnClose = [this](QObject*, TCloseAction& Action) {
        EtiquetasParametros.clear();
        EditoresParametros.clear();
        Action = caFree;
    };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
    fGENEUINF = this;
}

TfGENEUINF::~TfGENEUINF() = default;

void TfGENEUINF::construir() {
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);

    PanelParametros = new TPanel(this);
    PanelParametros->setObjectName(QStringLiteral("PanelParametros"));
    LBPanelParametros = new TLabel(
        PanelParametros, QStringLiteral("Introduzca los valores de las restricciones del informe"));
    LBPanelParametros->setObjectName(QStringLiteral("LBPanelParametros"));
    LBPanelParametros->move(8, 4);
    PanelParametrosInterno = new TPanel(PanelParametros);
    PanelParametrosInterno->setObjectName(QStringLiteral("PanelParametrosInterno"));
    QFont rojo = PanelParametrosInterno->font();
    rojo.setBold(true);
    PanelParametrosInterno->setFont(rojo);
    PanelParametrosInterno->setFontColor(0x0000FF);
    PanelParametrosInterno->SetBounds(0, 0, 372, 72);
    PanelParametros->setMinimumHeight(PanelParametrosInterno->Height() + 30);
    raiz->addWidget(PanelParametros, 1);
    // The layout sizes the panel after it is built: the inner panel follows.
    PanelParametros->installEventFilter(this);

    PanelOtrasOpciones = new TPanel(this);
    PanelOtrasOpciones->setObjectName(QStringLiteral("PanelOtrasOpciones"));
    PanelOtrasOpciones->setFixedHeight(48);
    LBOtrasOpciones = new TLabel(PanelOtrasOpciones, QStringLiteral("Otras opciones"));
    LBOtrasOpciones->setObjectName(QStringLiteral("LBOtrasOpciones"));
    LBOtrasOpciones->move(8, 4);
    ListarSoloTotales = new TCheckBox(PanelOtrasOpciones, QStringLiteral("Listar Solo Totales"));
    ListarSoloTotales->setObjectName(QStringLiteral("ListarSoloTotales"));
    ListarSoloTotales->move(62, 22);
    raiz->addWidget(PanelOtrasOpciones);

    PanelVisualizacionPrevia = new TPanel(this);
    PanelVisualizacionPrevia->setObjectName(QStringLiteral("PanelVisualizacionPrevia"));
    PanelVisualizacionPrevia->setFixedHeight(30);
    VisualizacionPrevia =
        new TCheckBox(PanelVisualizacionPrevia, QStringLiteral("Visualización Previa"));
    VisualizacionPrevia->setObjectName(QStringLiteral("VisualizacionPrevia"));
    VisualizacionPrevia->setChecked(true);
    VisualizacionPrevia->move(62, 6);
    raiz->addWidget(PanelVisualizacionPrevia);

    PanelControl = new TPanel(this);
    PanelControl->setObjectName(QStringLiteral("PanelControl"));
    auto* control = new QVBoxLayout(PanelControl);
    control->setContentsMargins(4, 4, 4, 0);
    auto* botones = new QHBoxLayout;
    pbListar = new TBitBtn(PanelControl, QStringLiteral("&Listar"));
    pbListar->setObjectName(QStringLiteral("pbListar"));
    pbListar->setHint(QStringLiteral("Listar por impresora o visualizar en pantalla"));
    pbSalir = new TBitBtn(PanelControl, QStringLiteral("&Salir"));
    pbSalir->setObjectName(QStringLiteral("pbSalir"));
    pbSalir->setHint(QStringLiteral("Salir sin listar"));
    botones->addStretch();
    botones->addWidget(pbListar);
    botones->addWidget(pbSalir);
    botones->addStretch();
    control->addLayout(botones);
    StatusBar1 = new TStatusBar(PanelControl);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    control->addWidget(StatusBar1);
    PanelControl->setFixedHeight(62);
    raiz->addWidget(PanelControl);

    QryConsultasSQL = new TQuery(this);
    QryConsultasSQL->setObjectName(QStringLiteral("QryConsultasSQL"));
    QryConsultasSQL->setUserStatement(true);  // typed by a user: one statement, read-only reads
    VigilarSentenciasUsuario();
    ClientDataSet1 = new TClientDataSet(this);
    ClientDataSet1->setObjectName(QStringLiteral("ClientDataSet1"));

    pbListar->OnClick = [this](QObject*) { pbListarClick(); };
    pbSalir->OnClick = [this](QObject*) { Close(); };
    resize(520, 300);
}

void TfGENEUINF::FormCreate() {
    PrepararFormulario(fGENEINIC, this);
    // The stored name, as the menu hands it; else a caption translated
    // from one.
    bool leido = !InformeUsuarioAEjecutar.isEmpty() &&
                 LeerInforme(InformeUsuarioAEjecutar, SentenciaInforme, TextoInstrucciones);
    if (!leido && !IdiomaActual.isEmpty()) {
        InformeUsuarioAEjecutar =
            TraducirNombreFiltro(QStringLiteral("GeneradorInformes"), InformeUsuarioAEjecutar);
        leido = !InformeUsuarioAEjecutar.isEmpty() &&
                LeerInforme(InformeUsuarioAEjecutar, SentenciaInforme, TextoInstrucciones);
    }
    if (!leido) SentenciaInforme.clear();
    if (SentenciaInforme.trimmed().isEmpty()) {
        MensajeAdvertencia(QStringLiteral("¡El informe no está disponible!"));
        Close();
        return;
    }
    setCaption(InformeUsuarioAEjecutar);
    PrepararPanelParametros();
}

void TfGENEUINF::centrarPanelInterno() {
    CentrarControl(PanelParametrosInterno, QStringLiteral("Centro"));
}

bool TfGENEUINF::eventFilter(QObject* Objeto, QEvent* Evento) {
    if (Objeto == PanelParametros && Evento->type() == QEvent::Resize) centrarPanelInterno();
    return TForm::eventFilter(Objeto, Evento);
}

void TfGENEUINF::PrepararPanelParametros() {
    qDeleteAll(EtiquetasParametros);
    qDeleteAll(EditoresParametros);
    EtiquetasParametros.clear();
    EditoresParametros.clear();
    QString lista;
    VariablesSQL(Modulo(), SentenciaInforme, lista);
    Variables = LineasTexto(lista);
    if (Variables.isEmpty()) {
        PanelParametrosInterno->setCaption(
            QStringLiteral("No hay restricciones definidas para este informe"));
        return;
    }
    PanelParametrosInterno->setCaption(QString());
    PanelParametrosInterno->setBevelOuter(bvNone);
    PanelParametrosInterno->setHeight((int(Variables.size()) + 2) * 24);
    PanelParametros->setMinimumHeight(PanelParametrosInterno->Height() + 30);
    for (int i = 0; i < Variables.size(); ++i) {
        TLabel* etiqueta = nullptr;
        TEdit* edit = nullptr;
        CrearControlesVariable(PanelParametrosInterno, Variables.at(i), 62, (i + 1) * 24 + 5,
                               100 + 8, true, etiqueta, edit);
        // A variable used twice is asked twice, under its own name both times.
        etiqueta->setText(EtiquetaVariable(VariableRepetida(Variables, i)));
        edit->setFontColor(0);
        QFont normal = edit->font();
        normal.setBold(false);
        edit->setFont(normal);
        edit->setTabOrderIndex(i);
        EtiquetasParametros << etiqueta;
        EditoresParametros << edit;
    }
    resize(width(), PanelParametros->minimumHeight() + PanelOtrasOpciones->height() +
                        PanelVisualizacionPrevia->height() + PanelControl->height() + 34);
    PanelParametros->setVisible(true);
    centrarPanelInterno();
    CentrarControl(this, QStringLiteral("Centro"));
    EditoresParametros.first()->setFocus();
}

bool TfGENEUINF::ValidarParametros() {
    QStringList valores, etiquetas;
    for (int i = 0; i < EditoresParametros.size(); ++i) {
        valores << EditoresParametros[i]->Text();
        etiquetas << EtiquetasParametros[i]->text();
    }
    return ValidarValoresVariables(Variables, valores, etiquetas);
}

QString TfGENEUINF::EjecutarConsultaInforme() {
    ClientDataSet1->Close();
    QryConsultasSQL->Close();
    QryConsultasSQL->setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    QryConsultasSQL->Params().Clear();
    if (const QString mala = RestriccionFechaNoValida(LeerInstrucciones(TextoInstrucciones));
        !mala.isEmpty()) {
        MensajeAdvertencia(AvisoFechaNoValida(mala));
        return kErrorValidacion;
    }
    if (!ValidarParametros()) return kErrorValidacion;
    QStringList valores;
    for (TEdit* e : std::as_const(EditoresParametros)) valores << e->Text();
    AsignarSentenciaVariables(QryConsultasSQL, SentenciaInforme, valores);
    // The SQL holds typed expressions and answers: never more than one
    // statement, judged as it will run.
    const QString segunda = MotivoSegundaSentencia(QryConsultasSQL->SQL().Text());
    if (!segunda.isEmpty()) return kErrorConsulta + QStringLiteral(". Motivo: ") + segunda;
    QString error;
    {
        TCursorEspera espera;
        TBusyForm ocupado(this);
        MensajeBarraEstado(fGENEINIC, StatusBar1, QStringLiteral("Ejecutando la consulta..."),
                           QString());
        try {
            QString motivo;
            if (AbrirConsulta(Modulo(), QryConsultasSQL, QStringLiteral("Open Silencio"), motivo)) {
                // The rows read move over as they are: no copy of each value.
                ClientDataSet1->LoadFromQuery(QryConsultasSQL);
                ClientDataSet1->First();
            } else {
                error = motivo.isEmpty() ? kErrorConsulta
                                         : kErrorConsulta + QStringLiteral(". Motivo: ") + motivo;
            }
        } catch (const EUserStatementCancelled&) {
            error = kErrorConsulta + QStringLiteral(". Motivo: ") + TextoSentenciaCancelada();
        } catch (const std::exception& e) {
            error = kErrorConsulta + QStringLiteral(". Motivo: ") + MotivoError(e);
        }
        QryConsultasSQL->Close();
        MensajeBarraEstado(fGENEINIC, StatusBar1, QString(), QString());
    }
    return error;
}

void TfGENEUINF::PrepararListado(TfGENELPRO* Informe) {
    const OpcionesListadoInforme o = LeerOpcionesListado(LeerInstrucciones(TextoInstrucciones));
    Informe->SepararPorPaginas = o.SepararPorPaginas;
    Informe->FormatoFicha = o.FormatoFicha;
    Informe->ListarSoloTotales = ListarSoloTotales->isChecked();
    Informe->NumeroColumnasFicha = o.NumeroColumnasFicha;
    Informe->NumeroLineasMemoFicha = o.NumeroLineasMemoFicha;
    Informe->FormatoColumnas = o.FormatoColumnas;
    Informe->Sumatorios = o.Sumatorios;
    Informe->CamposGrupo = o.CamposGrupo;
    if (!o.FormatoFicha) {
        const QStringList anchos = o.FormatoColumnas.split(QLatin1Char('|'));
        for (int i = 0; i < ClientDataSet1->FieldCount(); ++i)
            if (i < anchos.size() && !anchos.at(i).trimmed().isEmpty() &&
                TextoAReal(anchos.at(i)) == -1.0)
                ClientDataSet1->Fields()[i]->setTag(999);
    }
    Informe->QuickReport->setDataSet(ClientDataSet1);
    Informe->QuickReport->setReportTitle(InformeUsuarioAEjecutar);
    Informe->AjustarTexto = false;
    Informe->QuickReport->Page.Orientation = o.Apaisado ? poLandscape : poPortrait;
    Informe->FuenteListado = PanelControl->font();
}

void TfGENEUINF::pbListarClick() {
    const QString error = EjecutarConsultaInforme();
    if (error == kErrorValidacion) return;
    if (!error.isEmpty()) {
        MensajeAdvertencia(error);
        return;
    }
    TBusyForm ocupado(this);
    std::unique_ptr<TfGENELPRO> informe(new TfGENELPRO(nullptr));
    PrepararListado(informe.get());
    if (VisualizacionPrevia->isChecked()) {
        informe->QuickReport->Preview();
        return;
    }
    try {
        TParadaPaginas parada(informe->BandaDetalle);
        ImprimirInforme(Modulo(), informe->QuickReport, QString());
    } catch (const EUserStatementCancelled&) {
        // Stopped while its pages were made: no file was put in place.
        MensajeAdvertencia(TextoSentenciaCancelada());
    }
}

void RegistrarTfGENEUINF() {
    if (!FormClassRegistered(QStringLiteral("TfGENEUINF")))
        RegisterFormClass<TfGENEUINF>(QStringLiteral("TfGENEUINF"));
}

namespace {
const bool registrado = [] {
    RegistrarTfGENEUINF();
    return true;
}();
}  // namespace
