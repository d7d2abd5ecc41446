#include "gene/listings/geneprog.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include "db/database.h"
#include "db/dberror.h"
#include "db/hiddencolumns.h"
#include "gene/data/genemodu.h"
#include "gene/data/genetrad.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/sesion.h"
#include "report/bands.h"
#include "ui/controls.h"

namespace {

constexpr int kAnchoMinimo = 330;
constexpr int kAlto = 85;
constexpr int kAlturaPanel = 33;

QString Traducido(const QString& Texto) {
    if (Texto.isEmpty()) return Texto;
    QString r;
    Traducir(ModuloDatos, Texto, QString(), QString(), r);
    return r;
}

}  // namespace

TfGENEPROG::TfGENEPROG(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEPROG"));
    // No border icons, always on top of the windows it reports on.
    setBorderStyle(bsToolWindow);
    setWindowFlag(Qt::CustomizeWindowHint, true);
    setWindowFlag(Qt::WindowTitleHint, true);
    setFormStyle(fsStayOnTop);
    setCursor(Qt::WaitCursor);
    setKeyPreview(true);
    setFont(FuenteSistema(QStringLiteral("MS Sans Serif"), 8));
    resize(399, kAlto);

    Panel1 = new TPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    PanelProgreso = new TPanel(Panel1);
    PanelProgreso->setObjectName(QStringLiteral("PanelProgreso"));
    PanelProgreso->setBevelOuter(bvLowered);
    PanelProgreso->setColor(clWindow);
    EditProgreso = new TLabel(PanelProgreso);
    EditProgreso->setObjectName(QStringLiteral("EditProgreso"));
    QFont negrita = EditProgreso->font();
    negrita.setBold(true);
    EditProgreso->setFont(negrita);
    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->AddPanel(QString(), 50);
    Timer = new TTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->OnTimer = [this](QObject*) { EditProgreso->repaint(); };

    OnShow = [this](QObject*) {
        if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
    };
    OnActivate = [this](QObject*) { repaint(); };
    OnKeyDown = [this](QObject*, int& Key, int Shift) { FormKeyDown(Key, Shift); };
    EditProgresoChange();
}

void TfGENEPROG::AsignarTexto(const QString& Texto) {
    EditProgreso->setCaption(Texto);
    EditProgresoChange();
}

QString TfGENEPROG::Texto() const {
    return EditProgreso->Caption();
}

void TfGENEPROG::EditProgresoChange() {
    EditProgreso->adjustSize();  // the label is as wide as its text
    int ancho = kAnchoMinimo;
    if (EditProgreso->width() + 40 > ancho) ancho = EditProgreso->width() + 40;
    int anchoPanel = ancho - 16;
    if (VersionWindows == QLatin1String("Windows VISTA") ||
        VersionWindows == QLatin1String("Windows 7"))
        anchoPanel -= 8;
    setWidth(ancho);
    setHeight(kAlto);
    const int barra = StatusBar1->sizeHint().height();
    StatusBar1->setGeometry(0, kAlto - barra, ancho, barra);
    Panel1->setGeometry(0, 0, ancho, kAlto - barra);
    PanelProgreso->setGeometry(8, qMax(0, (kAlto - barra - kAlturaPanel) / 2), anchoPanel,
                               kAlturaPanel);
    EditProgreso->move(qMax(0, (anchoPanel - EditProgreso->width()) / 2),
                       qMax(0, (kAlturaPanel - EditProgreso->height()) / 2));
    if (QScreen* pantalla = QGuiApplication::primaryScreen()) {
        const QRect r = pantalla->geometry();
        setTop(r.height() - kAlto - 150);
        setLeft((r.width() - ancho) / 2);
    }
}

void TfGENEPROG::FormKeyDown(int& Key, int Shift) {
    if (Key != VK_ESCAPE) return;
    ListadoCancelado =
        MensajeConfirmacion(QStringLiteral("El listado será cancelado a continuación. ¿Desea "
                                           "continuar con el listado?")) != QLatin1String("SI");
    Key = 0;
}

QString TextoProgresoTraducido(const QString& Texto) {
    const qsizetype puntos = Texto.indexOf(QLatin1String("..."));
    if (puntos < 0) return Traducido(Texto);
    const qsizetype segundo = Texto.indexOf(QLatin1String("..."), puntos + 3);
    const QString contador =
        segundo < 0 ? Texto.mid(puntos + 3) : Texto.mid(puntos + 3, segundo - puntos - 3);
    return Traducido(Texto.left(puntos)) + QStringLiteral("...") + contador;
}

void ActualizarVentanaProgreso(TfGENEPROG*& Ventana, const QString& Modo, const QString& Titulo,
                               const QString& Texto) {
    const bool ventanas = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    if (Modo == QLatin1String("ON")) {
        if (ventanas) {
            // A second "ON" reuses the window: a new one would leave the
            // first on top of everything with nobody to close it.
            if (!Ventana) Ventana = new TfGENEPROG;
            Ventana->setCaption(Traducido(Titulo));
            Ventana->AsignarTexto(TextoProgresoTraducido(Texto));
            Ventana->show();
        }
    } else if (Modo == QLatin1String("OFF")) {
        delete Ventana;
        Ventana = nullptr;
    } else if (Modo.isEmpty()) {
        if (Ventana) {
            Ventana->AsignarTexto(TextoProgresoTraducido(Texto));
            Ventana->repaint();
        }
    }
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

namespace {

TfGENEPROG* VentanaProgresoSesion() {
    return fGENEINIC ? fGENEINIC->fGENEPROG() : nullptr;
}

class TEsperaSentencia : public TUserStatementWait {
public:
    void Began() override { ListadoCancelado = false; }

    bool Waiting() override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            TfGENEPROG* v = VentanaProgresoSesion();
            if (!v) {
                MostrarVentanaProgreso(QStringLiteral("ON"), QStringLiteral("Consulta SQL"),
                                       QStringLiteral("Ejecutando la consulta..."));
                propia_ = true;
                v = VentanaProgresoSesion();
            }
            // Only the window (and the question it asks) takes input while
            // the engine runs: nothing else may reach the connection.
            if (v && !v->isModal()) {
                v->hide();
                v->setWindowModality(Qt::ApplicationModal);
                v->show();
                v->activateWindow();
                modal_ = v;
            }
        }
        QCoreApplication::processEvents();
        return ListadoCancelado;
    }

    void Ended(bool) override {
        if (modal_) {
            modal_->hide();
            modal_->setWindowModality(Qt::NonModal);
            modal_->show();
            modal_ = nullptr;
        }
        if (propia_) {
            propia_ = false;
            MostrarVentanaProgreso(QStringLiteral("OFF"), QString(), QString());
        }
    }

    // Said once whoever needed the connection is done with it; once for
    // what one action met (a Last that found the rest lost).
    void Incomplete() override {
        if (avisoPendiente_) return;
        avisoPendiente_ = true;
        QTimer::singleShot(0, QCoreApplication::instance(), [this] {
            avisoPendiente_ = false;
            MensajeAdvertencia(QStringLiteral(
                "¡ Se ha cancelado la lectura de la consulta SQL. La rejilla sólo contiene las "
                "filas leídas hasta ahora !"));
        });
    }

private:
    bool avisoPendiente_ = false;
    bool propia_ = false;
    QPointer<TfGENEPROG> modal_;
};

}  // namespace

void VigilarSentenciasUsuario() {
    static TEsperaSentencia espera;
    SetUserStatementWait(&espera);
    // What the user may not see stays unseen under any name.
    SetHiddenColumnTest([](const QString& columna) { return CampoNoVisible(nullptr, columna); });
    // The saved reports, queries and filters other users run are changed
    // only through the program's windows, or by an administrator.
    SetWriteProtectedTables([] {
        return ExigirAdministrador(ModuloDatosPreparado ? ModuloDatos : nullptr,
                                   CodigoUsuarioActual, QStringLiteral("Silencio"))
                   ? QStringList()
                   : QStringList{QStringLiteral("FILTRO")};
    });
}

QString TextoSentenciaCancelada() {
    return QStringLiteral("¡ La sentencia SQL ha sido cancelada por el usuario !");
}

QString TextoConsultaIncompleta() {
    return QStringLiteral(
        "¡ La consulta SQL está incompleta: la rejilla sólo contiene las filas leídas antes de "
        "interrumpirse su lectura. Ejecute de nuevo la consulta para obtener todas sus filas !");
}

TParadaPaginas::TParadaPaginas(TQRBand* Banda)
    : banda_(Banda), previo_(Banda->BeforePrint), espera_(UserStatementWait()) {
    if (!espera_) return;
    espera_->Began();
    reloj_.start();
    banda_->BeforePrint = [this](QObject* Sender, bool& Imprimir) {
        constexpr qint64 kMirarCadaMs = 50;
        if (reloj_.elapsed() >= kMirarCadaMs) {
            esperado_ = true;
            const bool parar = espera_->Waiting();
            reloj_.restart();
            if (parar) throw EUserStatementCancelled();
        }
        if (previo_) previo_(Sender, Imprimir);
    };
}

TParadaPaginas::~TParadaPaginas() {
    if (!espera_) return;
    banda_->BeforePrint = previo_;
    espera_->Ended(esperado_);
}
