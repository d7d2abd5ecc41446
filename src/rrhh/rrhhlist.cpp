#include "rrhh/rrhhlist.h"

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <algorithm>

#include "db/sysutils.h"
#include "gene/data/geneconv.h"
#include "gene/session/geneform.h"
#include "gene/data/genegrup.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesali.h"
#include "report/quickrep.h"
#include "rrhh/rrqrlist.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"

TDialogoListado::TDialogoListado(QWidget* owner, const QString& nombre, const QString& titulo)
    : TForm(owner) {
    setObjectName(nombre);
    setCaption(titulo);
    setFormStyle(fsMDIChild);
    setKeyPreview(true);
    auto* raiz = new QVBoxLayout(this);

    Panel2 = new TPanel(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    rejilla_ = new QGridLayout(Panel2);
    raiz->addWidget(Panel2);
    DesdeOperario = NuevoEdit(QStringLiteral("DesdeOperario"), QStringLiteral("0"), 30);
    HastaOperario = NuevoEdit(QStringLiteral("HastaOperario"), QStringLiteral("9999"), 30);
    FilaSeleccion(QStringLiteral("Desde Operario"), DesdeOperario, HastaOperario);
    pbRangoGruposAnalisis =
        new TSpeedButton(Panel2, QStringLiteral("Desde-Hasta Grupo de Análisis"));
    pbRangoGruposAnalisis->setObjectName(QStringLiteral("pbRangoGruposAnalisis"));

    Panel3 = new TPanel(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    opciones_ = new QVBoxLayout(Panel3);
    raiz->addWidget(Panel3);

    P4 = new TPanel(this);
    P4->setObjectName(QStringLiteral("P4"));
    auto* p4 = new QHBoxLayout(P4);
    VisualizacionPrevia = new TCheckBox(P4, QStringLiteral("Visualización Previa"));
    VisualizacionPrevia->setObjectName(QStringLiteral("VisualizacionPrevia"));
    VisualizacionPrevia->setChecked(true);
    p4->addWidget(VisualizacionPrevia);
    raiz->addWidget(P4);

    PanelControl = new TPanel(this);
    PanelControl->setObjectName(QStringLiteral("PanelControl"));
    auto* control = new QHBoxLayout(PanelControl);
    pbListar = new TBitBtn(PanelControl, QStringLiteral("&Listar"));
    pbListar->setObjectName(QStringLiteral("pbListar"));
    pbListar->setHint(QStringLiteral("Listar por impresora o visualizar en pantalla"));
    pbSalir = new TBitBtn(PanelControl, QStringLiteral("&Salir"));
    pbSalir->setObjectName(QStringLiteral("pbSalir"));
    pbSalir->setHint(QStringLiteral("Salir sin listar"));
    control->addWidget(pbListar);
    control->addWidget(pbSalir);
    raiz->addWidget(PanelControl);
    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    raiz->addWidget(StatusBar1);

    OnCreate = [this](QObject*) { FormCreate(); };
    OnActivate = [this](QObject*) { update(); };
    OnClose = [this](QObject*, TCloseAction& a) { FormClose(a); };
    OnKeyDown = [this](QObject*, int& k, TShiftState s) { FormKeyDown(k, s); };
    OnKeyPress = [this](QObject*, QChar& k) { FormKeyPress(k); };
    pbRangoGruposAnalisis->OnClick = [this](QObject*) { pbRangoGruposAnalisisClick(); };
    pbListar->OnClick = [this](QObject*) { pbListarClick(); };
    pbSalir->OnClick = [this](QObject*) { pbSalirClick(); };
}

namespace {

// Keeps what the user types or pastes into an edit within a length, while a
// longer text set by the program stays whole (a default upper bound such as
// "zzzzzzzzzzzzz" beyond the 8 characters that can be typed).
class TLimiteTecleo : public QObject {
public:
    TLimiteTecleo(QLineEdit* Edit, int Longitud) : QObject(Edit), longitud_(Longitud) {
        Edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* Objeto, QEvent* Evento) override {
        if (Evento->type() != QEvent::KeyPress) return false;
        auto* edit = static_cast<QLineEdit*>(Objeto);
        auto* tecla = static_cast<QKeyEvent*>(Evento);
        QString nuevo = tecla->matches(QKeySequence::Paste) ? QGuiApplication::clipboard()->text()
                                                            : tecla->text();
        nuevo.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        if (nuevo.isEmpty() || !nuevo.at(0).isPrint()) return false;
        const int queda = int(edit->text().size() - edit->selectedText().size());
        if (queda + nuevo.size() <= longitud_) return false;
        edit->insert(nuevo.left(std::max(0, longitud_ - queda)));
        return true;
    }

private:
    int longitud_;
};

}  // namespace

TEdit* TDialogoListado::NuevoEdit(const QString& nombre, const QString& texto, int longitud) {
    auto* e = new TEdit(Panel2);
    e->setObjectName(nombre);
    if (texto.size() > longitud) {
        // The default is kept whole; only typing is limited.
        e->setMaxLength(0);
        new TLimiteTecleo(e, longitud);
    } else {
        e->setMaxLength(longitud);
    }
    e->setText(texto);
    return e;
}

void TDialogoListado::FilaSeleccion(const QString& etiqueta, QWidget* desde, QWidget* hasta) {
    auto* l = new TLabel(Panel2, etiqueta);
    l->setFocusControl(desde);
    rejilla_->addWidget(l, fila_, 0);
    rejilla_->addWidget(desde, fila_, 1);
    if (hasta) {
        rejilla_->addWidget(new TLabel(Panel2, QStringLiteral("Hasta")), fila_, 2);
        rejilla_->addWidget(hasta, fila_, 3);
    }
    ++fila_;
}

QWidget* TDialogoListado::GrupoOpciones(const QString& grupo) {
    for (auto* g : Panel3->findChildren<TGroupBox*>())
        if (g->title() == grupo) return g;
    auto* g = new TGroupBox(Panel3, grupo);
    new QHBoxLayout(g);
    opciones_->addWidget(g);
    return g;
}

TCheckBox* TDialogoListado::Opcion(const QString& grupo, const QString& nombre,
                                   const QString& caption) {
    QWidget* g = GrupoOpciones(grupo);
    auto* c = new TCheckBox(g, caption);
    c->setObjectName(nombre);
    c->setChecked(true);
    g->layout()->addWidget(c);
    return c;
}

TRadioButton* TDialogoListado::OpcionOrden(const QString& grupo, const QString& nombre,
                                           const QString& caption) {
    QWidget* g = GrupoOpciones(grupo);
    auto* r = new TRadioButton(g, caption);
    r->setObjectName(nombre);
    g->layout()->addWidget(r);
    return r;
}

void TDialogoListado::FilaPuestos(TEdit*& Desde, TEdit*& Hasta) {
    Desde = NuevoEdit(QStringLiteral("DesdePuesto"), QString(), 8);
    Hasta = NuevoEdit(QStringLiteral("HastaPuesto"), QStringLiteral("zzzzzzzzzzzzz"), 8);
    FilaSeleccion(QStringLiteral("Desde Puesto"), Desde, Hasta);
}

void TDialogoListado::FilaFechas(const QString& etiqueta, TEdit*& Desde, TEdit*& Hasta) {
    Desde = NuevoEdit(QStringLiteral("DesdeFecha"), QString(), 10);
    Hasta = NuevoEdit(QStringLiteral("HastaFecha"), QString(), 10);
    FilaSeleccion(etiqueta, Desde, Hasta);
}

void TDialogoListado::OpcionesActivos(TCheckBox*& Activos, TCheckBox*& NoActivos) {
    const QString opciones = QStringLiteral("Opciones");
    Activos = Opcion(opciones, QStringLiteral("Activos"), QStringLiteral("Activos"));
    NoActivos = Opcion(opciones, QStringLiteral("NoActivos"), QStringLiteral("No Activos"));
}

void TDialogoListado::FechasAnoActual(TEdit* Desde, TEdit* Hasta, bool CuatroCifras) {
    const QDateTime ahora = QDateTime::currentDateTime();
    const QString ano = QString::number(CuatroCifras ? ahora.date().year() : AnoDosCifras(ahora));
    Desde->setText(QStringLiteral("1/1/") + ano);
    Hasta->setText(QStringLiteral("31/12/") + ano);
}

void TDialogoListado::DarSeleccion(TSeleccionOperarios& Seleccion, const TCheckBox* Activos,
                                   const TCheckBox* NoActivos) const {
    Seleccion.DesdeOperario = DesdeOperario->Text().trimmed().toInt();
    Seleccion.HastaOperario = HastaOperario->Text().trimmed().toInt();
    Seleccion.RangosGruposAnalisis = RangosGruposAnalisis;
    Seleccion.Activos = Activos->isChecked();
    Seleccion.NoActivos = NoActivos->isChecked();
}

QDateTime TDialogoListado::FechaEdit(const TEdit* Edit) {
    return QDateTime(StrToDate(Edit->Text().trimmed()), QTime(0, 0));
}

bool TDialogoListado::ValidarOperarios() {
    return ValidarEntero(DesdeOperario->Text(), QStringLiteral("Desde Operario")) &&
           ValidarEntero(HastaOperario->Text(), QStringLiteral("Hasta Operario"));
}

bool TDialogoListado::ValidarFechas(TEdit* Desde, TEdit* Hasta) {
    return ValidarFecha(Desde->Text(), QStringLiteral("Desde Fecha")) &&
           ValidarFecha(Hasta->Text(), QStringLiteral("Hasta Fecha"));
}

void TDialogoListado::FormCreate() {
    PrepararFormulario(fGENEINIC, this);
    ListadoEnCurso = false;
    ValoresIniciales();
    RangosGruposAnalisis.clear();
    // The Panel2 row of the analysis-group button, after the listing's rows.
    rejilla_->addWidget(pbRangoGruposAnalisis, fila_++, 0, 1, 4);
}

void TDialogoListado::FormKeyDown(int& Key, int Shift) {
    TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
}

void TDialogoListado::FormKeyPress(QChar& Key) {
    if (Key != QChar(VK_RETURN)) return;
    if (qobject_cast<TDBGrid*>(ActiveControl())) {
        Key = QChar(VK_TAB);
        return;
    }
    Key = QChar();
    focusNextChild();
}

void TDialogoListado::FormClose(TCloseAction& Action) {
    Action = ListadoEnCurso ? caNone : caFree;
}

void TDialogoListado::pbRangoGruposAnalisisClick() {
    QString rangos = RangosGruposAnalisis;
    SeleccionRangosGruposAnalisis(ModuloDatos, EntidadGrupos, RangosGruposAnalisis, rangos);
    RangosGruposAnalisis = rangos;
}

void TDialogoListado::pbListarClick() {
    if (ListadoEnCurso || !Validar()) return;
    ListadoEnCurso = true;
    MensajeBarraEstado(fGENEINIC, StatusBar1, QStringLiteral("Creando informe..."), QString());
    StatusBar1->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The preview runs a loop of its own, under which the company may change
    // or the program end: the dialog and its report refuse to close meanwhile,
    // and nothing below touches a form that went all the same.
    QPointer<TDialogoListado> dialogo(this);
    TBusyForm ocupado(this);
    // An error of the report still leaves the dialog usable and closable.
    struct Fin {
        QPointer<TDialogoListado> d;
        ~Fin() {
            QApplication::restoreOverrideCursor();
            if (!d) return;
            MensajeBarraEstado(fGENEINIC, d->StatusBar1, QString(), QString());
            d->StatusBar1->repaint();
            d->ListadoEnCurso = false;
        }
    } fin{dialogo};
    Listar();
}

void TDialogoListado::Listar() {
    QPointer<TDialogoListado> dialogo(this);
    const int ejecuciones = Ejecuciones();
    // Each run has its own report form, freed (with its temporary table)
    // before the next one starts.
    for (int i = 0; i < ejecuciones && dialogo; ++i) {
        struct Informe {
            QPointer<TInformeListado> p;
            ~Informe() { delete p.data(); }
        } informe{CrearInformeEjecucion(i)};
        TBusyForm informeOcupado(informe.p);
        if (VisualizacionPrevia->isChecked())
            informe.p->QuickReport->Preview();
        else
            ImprimirInforme(ModuloDatos, informe.p->QuickReport, QString());
    }
}
