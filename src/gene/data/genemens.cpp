#include "gene/data/genemens.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "gene/data/genemodu.h"
#include "gene/data/genetrad.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "ui/component.h"

namespace {

// Client sizes: 404 x 158 windows (195 for a prompt) less their frame.
constexpr int kAncho = 394;
constexpr int kAlto = 127;
constexpr int kAltoPeticion = 164;
constexpr int kTamanoNormal = 10;
constexpr int kTamanoLargo = 8;
// The text label of a message that fits.
constexpr int kAnchoTexto = 276;
constexpr int kAltoTexto = 78;

const QString kPassword = QStringLiteral("Password");
const QString kSelStart = QStringLiteral(":SelStart:");
const QString kSelEnd = QStringLiteral(":SelEnd:");

QLabel* Imagen(QWidget* parent, const char* name, QStyle::StandardPixmap icon) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFixedSize(48, 48);
    label->setPixmap(parent->style()->standardIcon(icon).pixmap(48, 48));
    label->setVisible(false);
    return label;
}

QPushButton* Boton(QWidget* parent, const char* name, const QString& caption,
                   QStyle::StandardPixmap glyph) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(90, 27);
    button->setIcon(parent->style()->standardIcon(glyph));
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    return button;
}

}  // namespace

TfGENEMENS::TfGENEMENS(const QString& Tipo, const QString& Mensaje, const QString& Respuesta,
                       QWidget* parent)
    : QDialog(parent), TipoMensaje(Tipo), MensajeDialogo(Mensaje), RespuestaDialogo(Respuesta) {
    setObjectName(QStringLiteral("fGENEMENS"));
    setWindowTitle(QStringLiteral("Información"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFont(FuenteSistema(QStringLiteral("MS Sans Serif"), 8));

    PanelMensaje = new QFrame(this);
    PanelMensaje->setObjectName(QStringLiteral("PanelMensaje"));
    PanelMensaje->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelMensaje->setFixedSize(389, 85);
    ImagenInformacion = Imagen(PanelMensaje, "ImagenInformacion", QStyle::SP_MessageBoxInformation);
    ImagenExclamacion = Imagen(PanelMensaje, "ImagenExclamacion", QStyle::SP_MessageBoxWarning);
    ImagenInterrogacion =
        Imagen(PanelMensaje, "ImagenInterrogacion", QStyle::SP_MessageBoxQuestion);
    ImagenError = Imagen(PanelMensaje, "ImagenError", QStyle::SP_MessageBoxCritical);
    AreaMensaje = new QScrollArea(PanelMensaje);
    AreaMensaje->setObjectName(QStringLiteral("AreaMensaje"));
    AreaMensaje->setFrameShape(QFrame::NoFrame);
    AreaMensaje->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    AreaMensaje->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    AreaMensaje->setFocusPolicy(Qt::NoFocus);
    AreaMensaje->viewport()->setAutoFillBackground(false);
    AreaMensaje->setFixedSize(kAnchoTexto, kAltoTexto);
    TextoMensaje = new QLabel;
    TextoMensaje->setObjectName(QStringLiteral("TextoMensaje"));
    TextoMensaje->setFixedSize(kAnchoTexto, kAltoTexto);
    TextoMensaje->setAlignment(Qt::AlignCenter);
    TextoMensaje->setWordWrap(true);
    TextoMensaje->setTextFormat(Qt::PlainText);
    // The text can be selected and copied (advice holds statements to run);
    // a click gives it the focus, Tab and the first focus stay with the buttons.
    TextoMensaje->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    TextoMensaje->setFocusPolicy(Qt::ClickFocus);
    AreaMensaje->setWidget(TextoMensaje);
    QFont fuenteTexto = font();
    fuenteTexto.setBold(true);
    fuenteTexto.setPointSize(kTamanoNormal);
    TextoMensaje->setFont(fuenteTexto);
    auto* filaMensaje = new QHBoxLayout(PanelMensaje);
    filaMensaje->setContentsMargins(10, 3, 3, 3);
    filaMensaje->setSpacing(6);
    for (QLabel* imagen : {ImagenInformacion, ImagenExclamacion, ImagenInterrogacion, ImagenError})
        filaMensaje->addWidget(imagen);
    filaMensaje->addWidget(AreaMensaje);
    filaMensaje->addStretch();

    PanelRespuesta = new QFrame(this);
    PanelRespuesta->setObjectName(QStringLiteral("PanelRespuesta"));
    PanelRespuesta->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanelRespuesta->setFixedSize(389, 41);
    EditRespuesta = new QLineEdit(PanelRespuesta);
    EditRespuesta->setObjectName(QStringLiteral("EditRespuesta"));
    EditRespuesta->setFixedSize(276, 23);
    QFont fuenteRespuesta(FamiliaFuente(QStringLiteral("Arial")));
    fuenteRespuesta.setPixelSize(12);
    fuenteRespuesta.setBold(true);
    EditRespuesta->setFont(fuenteRespuesta);
    QPalette paleta = EditRespuesta->palette();
    paleta.setColor(QPalette::Text, Qt::black);
    EditRespuesta->setPalette(paleta);
    auto* filaRespuesta = new QHBoxLayout(PanelRespuesta);
    filaRespuesta->setContentsMargins(56, 9, 0, 9);
    filaRespuesta->addWidget(EditRespuesta);
    filaRespuesta->addStretch();

    pbSI = Boton(this, "pbSI", QStringLiteral("&SI"), QStyle::SP_DialogYesButton);
    pbAceptar = Boton(this, "pbAceptar", QStringLiteral("&Aceptar"), QStyle::SP_DialogOkButton);
    pbNO = Boton(this, "pbNO", QStringLiteral("&No"), QStyle::SP_DialogNoButton);
    connect(pbAceptar, &QPushButton::clicked, this, [this] { done(ResultadoAceptar); });
    connect(pbSI, &QPushButton::clicked, this, [this] { done(ResultadoSi); });
    connect(pbNO, &QPushButton::clicked, this, [this] { done(ResultadoNo); });
    auto* botones = new QHBoxLayout;
    botones->setSpacing(8);
    botones->addStretch();
    botones->addWidget(pbSI);
    botones->addWidget(pbAceptar);
    botones->addWidget(pbNO);
    botones->addStretch();

    for (QWidget* hijo : {static_cast<QWidget*>(EditRespuesta), static_cast<QWidget*>(pbSI),
                          static_cast<QWidget*>(pbAceptar), static_cast<QWidget*>(pbNO)})
        hijo->installEventFilter(this);

    auto* columna = new QVBoxLayout(this);
    columna->setContentsMargins(4, 4, 1, 1);
    columna->setSpacing(3);
    columna->addWidget(PanelMensaje);
    columna->addWidget(PanelRespuesta);
    columna->addSpacing(4);
    columna->addLayout(botones);
    columna->addStretch();
}

void TfGENEMENS::FormShow() {
    AplicarAspecto(fGENEINIC, this);
    PanelMensaje->setVisible(false);
    TextoMensaje->setText(MensajeDialogo);
    tamanoFuente_ = TextoMensaje->font().pointSize();
    if (MensajeDialogo.size() > 90) {
        QFont fuente = TextoMensaje->font();
        fuente.setPointSize(kTamanoLargo);
        TextoMensaje->setFont(fuente);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{ImagenInformacion, ImagenExclamacion, ImagenInterrogacion,
                                         ImagenError, pbSI, pbNO, pbAceptar, PanelRespuesta})
        w->setVisible(false);
    pbAceptar->setDefault(true);
    pbNO->setDefault(false);
    int alto = kAlto;

    QLabel* imagen = nullptr;
    if (TipoMensaje == QLatin1String("I")) {
        setWindowTitle(QStringLiteral("Información"));
        imagen = ImagenInformacion;
        pbAceptar->setVisible(true);
    } else if (TipoMensaje == QLatin1String("A")) {
        setWindowTitle(QStringLiteral("Advertencia"));
        imagen = ImagenExclamacion;
        pbAceptar->setVisible(true);
    } else if (TipoMensaje == QLatin1String("E")) {
        setWindowTitle(QStringLiteral("Error"));
        imagen = ImagenError;
        pbAceptar->setVisible(true);
    } else if (TipoMensaje == QLatin1String("C")) {
        setWindowTitle(QStringLiteral("Confirmar"));
        imagen = ImagenInterrogacion;
        pbSI->setVisible(true);
        pbNO->setVisible(true);
        pbAceptar->setDefault(false);
        pbNO->setDefault(true);
        pbNO->setFocus();
    } else if (TipoMensaje == QLatin1String("P")) {
        setWindowTitle(QStringLiteral("Pregunta"));
        imagen = ImagenInterrogacion;
        alto = kAltoPeticion;
        PanelRespuesta->setVisible(true);
        pbAceptar->setVisible(true);
        if (RespuestaDialogo == kPassword) {
            EditRespuesta->clear();
            EditRespuesta->setEchoMode(QLineEdit::Password);
        } else {
            EditRespuesta->setText(RespuestaDialogo);
            EditRespuesta->setEchoMode(QLineEdit::Normal);
        }
        EditRespuesta->setFocus();
    } else {
        pbAceptar->setVisible(true);  // an unknown kind still has a way out
    }
    if (imagen) imagen->setVisible(true);
    PanelMensaje->setVisible(true);

    QScreen* pantalla =
        parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect area = pantalla ? pantalla->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize crece = ajustarAlTexto(area, alto);
    const int ancho = kAncho + crece.width();
    alto += crece.height();
    setFixedSize(ancho, alto);

    // Centred on the screen, halves rounded toward zero.
    if (pantalla) {
        const QRect todo = pantalla->geometry();
        move(std::max(area.left(), todo.left() + (todo.width() - ancho) / 2),
             std::max(area.top(), todo.top() + (todo.height() - alto) / 2));
    }
    TextoMensaje->setText(MensajeDialogo);
    preparado_ = true;
}

QSize TfGENEMENS::ajustarAlTexto(const QRect& pantalla, int altoBase) {
    // What the text needs at a given width, as the label itself lays it out.
    TextoMensaje->setText(MensajeDialogo);
    auto altoPara = [&](int ancho) { return TextoMensaje->heightForWidth(ancho); };
    TextoMensaje->setAlignment(Qt::AlignCenter);
    int ancho = kAnchoTexto;
    int altoTexto = altoPara(ancho);
    int altoArea = kAltoTexto;
    bool desplaza = false;
    if (altoTexto > kAltoTexto) {
        // A long text (an advice with statements) reads from the left.
        TextoMensaje->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        altoTexto = altoPara(ancho);
        // Wider first, then taller, up to nine tenths of the screen; beyond
        // that the text scrolls.
        const int margenAncho = kAncho - kAnchoTexto;
        const int margenAlto = altoBase - kAltoTexto;
        const int anchoMaximo = std::max(kAnchoTexto, pantalla.width() * 9 / 10 - margenAncho);
        const int altoMaximo = std::max(kAltoTexto, pantalla.height() * 9 / 10 - margenAlto);
        while (ancho < anchoMaximo && altoTexto > std::max(kAltoTexto, ancho * 2 / 5)) {
            ancho = std::min(anchoMaximo, ancho + 40);
            altoTexto = altoPara(ancho);
        }
        if (altoTexto > altoMaximo) {
            desplaza = true;
            const int barra = AreaMensaje->verticalScrollBar()->sizeHint().width();
            altoTexto = altoPara(ancho - barra);
            altoArea = altoMaximo;
        } else {
            altoArea = std::max(kAltoTexto, altoTexto);
        }
    }
    const int barra = desplaza ? AreaMensaje->verticalScrollBar()->sizeHint().width() : 0;
    TextoMensaje->setFixedSize(ancho - barra, std::max(altoArea, altoTexto));
    AreaMensaje->setFixedSize(ancho, altoArea);
    AreaMensaje->verticalScrollBar()->setValue(0);
    const QSize crece(ancho - kAnchoTexto, altoArea - kAltoTexto);
    PanelMensaje->setFixedSize(389 + crece.width(), 85 + crece.height());
    PanelRespuesta->setFixedSize(389 + crece.width(), 41);
    return crece;
}

void TfGENEMENS::FormActivate() {
    // Into the session's language; the lookups themselves show no messages.
    QString traducido;
    Traducir(ModuloDatos, windowTitle(), QString(), QString(), traducido);
    setWindowTitle(traducido);
    Traducir(ModuloDatos, TextoMensaje->text(), QString(), QString(), traducido);
    TextoMensaje->setText(traducido);
    TraducirFormulario(fGENEINIC, this, QString());
    // The buttons through the same routine as the text, from their own
    // captions each time.
    for (const auto& [boton, texto] :
         {std::pair{pbSI, "&SI"}, std::pair{pbAceptar, "&Aceptar"}, std::pair{pbNO, "&No"}}) {
        Traducir(ModuloDatos, QString::fromUtf8(texto), QString(), QString(), traducido);
        boton->setText(traducido);
    }
    update();

    QString texto = EditRespuesta->text();
    if (!texto.contains(kSelStart)) return;
    // Positions in the text without markers; an end marker that is missing
    // selects to the end, one placed before the start is taken as the start.
    QString limpio;
    int inicio = -1;
    int fin = -1;
    for (int i = 0; i < texto.size();) {
        if (texto.mid(i, kSelStart.size()) == kSelStart) {
            if (inicio < 0) inicio = limpio.size();
            i += kSelStart.size();
        } else if (texto.mid(i, kSelEnd.size()) == kSelEnd) {
            if (fin < 0) fin = limpio.size();
            i += kSelEnd.size();
        } else {
            limpio += texto.at(i++);
        }
    }
    if (fin < 0) fin = limpio.size();
    if (fin < inicio) std::swap(inicio, fin);
    EditRespuesta->setText(limpio);
    EditRespuesta->setSelection(inicio, fin - inicio);
}

void TfGENEMENS::FormHide() {
    if (TipoMensaje == QLatin1String("P")) RespuestaDialogo = EditRespuesta->text();
    if (tamanoFuente_ > 0) {
        QFont fuente = TextoMensaje->font();
        fuente.setPointSize(tamanoFuente_);
        TextoMensaje->setFont(fuente);
    }
}

void TfGENEMENS::showEvent(QShowEvent* event) {
    if (!preparado_) FormShow();
    QDialog::showEvent(event);
    FormActivate();
}

void TfGENEMENS::hideEvent(QHideEvent* event) {
    FormHide();
    preparado_ = false;
    QDialog::hideEvent(event);
}

void TfGENEMENS::pasarTeclaComun(QKeyEvent* event) {
    // Every key reaches the common handling of the program's windows, as
    // with any form's key preview; once, also when it goes on to the dialog.
    teclaComun_ = event;
    int tecla = VirtualKeyOf(event);
    TeclaPulsadaFormulario(fGENEINIC, nullptr, tecla, ShiftStateOf(event->modifiers()));
}

bool TfGENEMENS::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) pasarTeclaComun(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

void TfGENEMENS::keyPressEvent(QKeyEvent* event) {
    // A button's underlined letter answers with Alt, and without it as well
    // ("S", "N", "A") except while the answer of a prompt is being typed.
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool conAlt =
        (mods & Qt::AltModifier) && !(mods & (Qt::ControlModifier | Qt::MetaModifier));
    const bool sola = !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
                      !EditRespuesta->hasFocus();
    const int tecla = event->key();
    if (event != teclaComun_) pasarTeclaComun(event);
    if ((conAlt || sola) && tecla >= Qt::Key_A && tecla <= Qt::Key_Z) {
        const QChar letra = QLatin1Char(char('A' + (tecla - Qt::Key_A)));
        for (QPushButton* boton : {pbSI, pbAceptar, pbNO}) {
            const qsizetype marca = boton->text().indexOf(QLatin1Char('&'));
            if (!boton->isVisible() || marca < 0 || marca + 1 >= boton->text().size()) continue;
            if (boton->text().at(marca + 1).toUpper() != letra) continue;
            boton->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------------------

namespace {

struct SeamState {
    bool active = false;
    bool showDialogs = false;
    QList<QString> queue;
    QList<MessageSeam::Entry> log;
};

SeamState& Seam() {
    static SeamState state;
    return state;
}

const QString kCancel = QStringLiteral("\x01cancel\x01");

// The limit of the next prompt's edit (0: none).
int limitePeticion = 0;

// Shows the real dialog; false when no widget application runs (then the
// message counts as closed, as in the seam with no answer).
bool Mostrar(const QString& Tipo, const QString& Texto, const QString& Respuesta, int& resultado,
             QString& tecleado, int limite) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        // No windows to show it in: the text must not be lost.
        std::fprintf(stderr, "%s: %s\n", qPrintable(Tipo), qPrintable(Texto));
        return false;
    }
    QWidget* padre = QApplication::activeModalWidget();
    if (!padre) padre = QApplication::activeWindow();
    TfGENEMENS dialogo(Tipo, Texto, Respuesta, padre);
    if (limite > 0) dialogo.EditRespuesta->setMaxLength(limite);
    resultado = dialogo.exec();
    tecleado = dialogo.RespuestaDialogo;
    return true;
}

}  // namespace

QString ResponderMensaje(const QString& Tipo, const QString& Texto, const QString& Respuesta,
                         bool& Cancelado) {
    Cancelado = false;
    const bool pregunta = Tipo == QLatin1String("C") || Tipo == QLatin1String("P");
    const int limite = Tipo == QLatin1String("P") ? std::exchange(limitePeticion, 0) : 0;
    int resultado = QDialog::Rejected;
    QString tecleado;
    SeamState& seam = Seam();
    if (seam.active && !seam.showDialogs) {
        QString guion;
        if (pregunta && MessageSeam::take(guion) && guion != kCancel) {
            if (Tipo == QLatin1String("C")) {
                resultado = guion == QLatin1String("SI") ? TfGENEMENS::ResultadoSi
                                                         : TfGENEMENS::ResultadoNo;
            } else {
                resultado = TfGENEMENS::ResultadoAceptar;
                // As much as the edit would have taken.
                tecleado = limite > 0 ? guion.left(limite) : guion;
            }
        }
    } else if (!Mostrar(Tipo, Texto, Respuesta, resultado, tecleado, limite)) {
        resultado = QDialog::Rejected;
    }

    QString respuesta = Respuesta;
    if (Tipo == QLatin1String("C")) {
        respuesta =
            resultado == TfGENEMENS::ResultadoSi ? QStringLiteral("SI") : QStringLiteral("NO");
    } else if (Tipo == QLatin1String("P")) {
        Cancelado = resultado != TfGENEMENS::ResultadoAceptar;
        respuesta = Cancelado ? QString() : tecleado;
    }
    if (seam.active) MessageSeam::record(Tipo, Texto, pregunta ? respuesta : QString());
    return respuesta;
}

void LimitarSiguientePeticion(int Longitud) {
    limitePeticion = std::max(0, Longitud);
}

void MessageSeam::activate(bool showDialogs) {
    SeamState& seam = Seam();
    seam.active = true;
    seam.showDialogs = showDialogs;
    seam.queue.clear();
    seam.log.clear();
}

void MessageSeam::deactivate() {
    Seam() = SeamState();
}

bool MessageSeam::isActive() {
    return Seam().active;
}
bool MessageSeam::showsDialogs() {
    return Seam().showDialogs;
}
void MessageSeam::enqueue(const QString& answer) {
    Seam().queue.append(answer);
}
QString MessageSeam::cancel() {
    return kCancel;
}
int MessageSeam::pending() {
    return Seam().queue.size();
}
const QList<MessageSeam::Entry>& MessageSeam::log() {
    return Seam().log;
}
void MessageSeam::clearLog() {
    Seam().log.clear();
}

void MessageSeam::record(const QString& kind, const QString& text, const QString& answer) {
    Seam().log.append({kind, text, answer});
}

bool MessageSeam::take(QString& answer) {
    SeamState& seam = Seam();
    if (seam.queue.isEmpty()) return false;
    answer = seam.queue.takeFirst();
    return true;
}
