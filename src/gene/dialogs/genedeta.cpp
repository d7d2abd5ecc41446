#include "gene/dialogs/genedeta.h"

#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <memory>

#include "gene/data/genesali.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genevtex.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/sesion.h"
#include "io/outputfile.h"
#include "io/printqueue.h"
#include "ui/controls.h"

TfGENEDETA::TfGENEDETA(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEDETA"));
    setKeyPreview(true);
    setPosition(poScreenCenter);
    resize(480, 480);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    Panel1 = new TPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* capaSuperior = new QHBoxLayout(Panel1);
    capaSuperior->setContentsMargins(2, 2, 2, 2);
    pbImprimir = new TSpeedButton(Panel1, QStringLiteral("Imprimir"));
    pbImprimir->setObjectName(QStringLiteral("pbImprimir"));
    pbImprimir->setHint(QStringLiteral("Imprimir el texto"));
    capaSuperior->addWidget(pbImprimir);
    capaSuperior->addStretch(1);
    raiz->addWidget(Panel1);

    Panel3 = new TPanel(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto* capaTexto = new QVBoxLayout(Panel3);
    capaTexto->setContentsMargins(0, 0, 0, 0);
    MemoDetalle = new TMemo(Panel3);
    MemoDetalle->setObjectName(QStringLiteral("MemoDetalle"));
    MemoDetalle->setReadOnly(true);
    MemoDetalle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    WebBrowserDetalle = new QTextBrowser(Panel3);
    WebBrowserDetalle->setObjectName(QStringLiteral("WebBrowserDetalle"));
    WebBrowserDetalle->setOpenLinks(false);
    WebBrowserDetalle->hide();
    capaTexto->addWidget(MemoDetalle);
    capaTexto->addWidget(WebBrowserDetalle);
    raiz->addWidget(Panel3, 1);

    pbConforme = CrearBotonDialogo(this, QStringLiteral("pbConforme"), QStringLiteral("&Conforme"),
                                   QString(), mrOk);
    PanelControl = CrearPanelCentrado(this, QStringLiteral("PanelControl"), {pbConforme});
    raiz->addWidget(PanelControl);

    pbImprimir->OnClick = [this](QObject*) { pbImprimirClick(); };
    OnShow = [this](QObject*) {
        if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
    };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (Key == VK_ESCAPE) {
            Key = 0;
            Close();
            return;
        }
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
}

void TfGENEDETA::MostrarTextoDetalle(const QString& Contenido, bool HTML) {
    Texto = Contenido;
    EsHTML = HTML;
    MemoDetalle->setText(Contenido);
    if (HTML) WebBrowserDetalle->setHtml(Contenido);
    WebBrowserDetalle->setVisible(HTML);
    MemoDetalle->setVisible(!HTML);
}

QString TextoPlanoHTML(const QString& Html) {
    QString t = Html;
    t.replace(QLatin1String("<br>"), QLatin1String("\r\n"));
    t.replace(QLatin1String("<hr>"), QLatin1String("\r\n"));
    QString plano;
    plano.reserve(t.size());
    bool dentro = false;
    for (const QChar c : t) {
        if (!dentro && c == QLatin1Char('<')) {
            dentro = true;
        } else if (dentro && c == QLatin1Char('>')) {
            dentro = false;
        } else if (!dentro) {
            plano += c;
        }
    }
    return plano;
}

QStringList TfGENEDETA::LineasImpresion() const {
    QStringList lineas{Caption().toUpper(), QString()};
    lineas << LineasTexto(EsHTML ? TextoPlanoHTML(Texto) : Texto);
    return lineas;
}

void TfGENEDETA::Imprimir(QPrinter& Impresora) const {
    QPainter pintor;
    if (!pintor.begin(&Impresora)) return;
    QFont fuente(QStringLiteral("Liberation Mono"));
    fuente.setPointSize(10);
    pintor.setFont(fuente);
    const QFontMetrics medidas(fuente, &Impresora);
    const QRect area = pintor.viewport();
    int y = medidas.ascent();
    for (const QString& linea : LineasImpresion()) {
        if (y > area.height() - medidas.descent()) {
            Impresora.newPage();
            y = medidas.ascent();
        }
        pintor.drawText(0, y, linea);
        y += medidas.lineSpacing();
    }
    pintor.end();
}

void TfGENEDETA::pbImprimirClick() {
    QPrinter impresora;
    QPrintDialog dialogo(&impresora, this);
    if (dialogo.exec() != QDialog::Accepted) return;
    TPrinterFile archivo(impresora);
    Imprimir(impresora);
    ArchivoImpresoGrabado(archivo);
}

namespace {

// Asks to keep a text that could not be shown in a file.
void GuardarTextoNoMostrado(const QString& Texto, const QString& Titulo) {
    if (MensajeConfirmacion(QStringLiteral(
            "Esta información excede la capacidad de visualización. ¿Desea guardar esta "
            "información en un archivo? ")) != QLatin1String("SI"))
        return;
    const QString archivo =
        QFileDialog::getSaveFileName(nullptr, QString(), Titulo + QStringLiteral(".TXT"));
    if (archivo.isEmpty()) return;
    QString motivo;
    if (!WriteWholeFile(archivo, Texto.toUtf8(), &motivo)) AvisarArchivoNoGrabado(archivo, motivo);
}

}  // namespace

void MostrarDetalle(const QString& Texto, const QString& Titulo, const QString& Opciones) {
    std::unique_ptr<TfGENEDETA> visor(NewForm<TfGENEDETA>());
    visor->setCaption(Titulo);
    try {
        QFont fuente = FuenteAplicacion;
        const QString textoFuente = ValorParametro(QStringLiteral("Fuente"), Opciones);
        if (!textoFuente.isEmpty()) {
            fuente.setFamily(FamiliaFuente(ExtraerToken(0, textoFuente, QStringLiteral(","))));
            bool ok = false;
            const int puntos =
                ExtraerToken(1, textoFuente, QStringLiteral(",")).trimmed().toInt(&ok);
            if (ok && puntos > 0) fuente.setPointSize(puntos);
        }
        visor->MemoDetalle->AssignFont(fuente);
        visor->setActiveControl(visor->pbConforme);
        visor->MostrarTextoDetalle(
            Texto, ValorParametro(QStringLiteral("Interprete"), Opciones) == QLatin1String("HTML"));
        int ancho = 480, alto = 480;
        const QString formato = ValorParametro(QStringLiteral("Formato"), Opciones);
        if (!formato.isEmpty()) {
            bool ok = false;
            int v = ExtraerToken(0, formato, QStringLiteral(",")).trimmed().toInt(&ok);
            if (ok) ancho = v;
            v = ExtraerToken(1, formato, QStringLiteral(",")).trimmed().toInt(&ok);
            if (ok) alto = v;
        }
        visor->setWidth(ancho);
        visor->setHeight(alto);
        visor->ShowModal();
    } catch (const std::exception&) {
        visor.reset();
        GuardarTextoNoMostrado(Texto, Titulo);
    }
}
