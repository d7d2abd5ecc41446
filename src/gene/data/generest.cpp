#include "gene/data/generest.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStringList>

#include "db/dataset.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemone.h"
#include "gene/data/genesali.h"
#include "gene/data/genetext.h"
#include "report/controls.h"
#include "report/quickrep.h"
#include "ui/controls.h"

TRestriccionesListado RestriccionesListado;
bool ListarRestriccionesForzado = false;
const char* const kTituloRestricciones = "RESTRICCIONES Y OPCIONES DEL LISTADO: ";

namespace {

QString TextoDe(const TQRCustomLabel* c) {
    if (auto* m = qobject_cast<const TQRMemo*>(c)) return m->Text();
    if (auto* l = qobject_cast<const TQRLabel*>(c)) return l->Caption();
    return QString();
}

void AsignarTexto(TQRCustomLabel* c, const QString& texto) {
    if (auto* m = qobject_cast<TQRMemo*>(c)) m->setText(texto);
    if (auto* l = qobject_cast<TQRLabel*>(c)) l->setCaption(texto);
}

// The labels of the band, each to its designed Top plus `desplazamiento`.
void ColocarEtiquetas(TQRCustomBand* banda, const TRestriccionesListado& r, int desplazamiento) {
    const QStringList posiciones = r.PosicionesEtiquetas.split(QStringLiteral("\r\n"));
    for (TQRPrintable* c : banda->Controls()) {
        auto* etiqueta = qobject_cast<TQRLabel*>(c);
        if (!etiqueta || etiqueta == r.Memo) continue;
        if (desplazamiento != 0 && etiqueta->objectName() == QLatin1String("TituloNombreEmpresa"))
            continue;
        etiqueta->setTop(ValorLista(etiqueta->objectName(), posiciones).toInt() + desplazamiento);
    }
}

bool EsControlImporte(QObject* c) {
    return qobject_cast<TQRLabel*>(c) || qobject_cast<TQRExpr*>(c) || qobject_cast<TQRDBText*>(c) ||
           qobject_cast<TQRDBCalc*>(c);
}

QIcon Glifo(const QString& texto) {
    QPixmap p(20, 18);
    p.fill(Qt::transparent);
    QPainter pintor(&p);
    QFont fuente = MakeFont(QStringLiteral("Arial"), 9);
    fuente.setBold(true);
    pintor.setFont(fuente);
    pintor.setPen(QColor(0, 0, 128));
    pintor.drawText(p.rect(), Qt::AlignCenter, texto);
    pintor.end();
    return QIcon(p);
}

}  // namespace

int AlturaRestricciones(const QString& Texto, bool Apaisado) {
    const int lineas = int(Texto.size()) / (Apaisado ? 160 : 100) + 1;
    const int altura = lineas * 15;
    return altura < 16 ? 30 : altura;
}

void ImprimirRestriccionesListado(TfGENEINIC* f, QObject* Sender, bool& PrintBand) {
    auto* banda = qobject_cast<TQRCustomBand*>(Sender);
    if (!banda) return;
    TRestriccionesListado& r = RestriccionesListado;
    TQRCustomLabel* memo = r.Memo;
    QString texto = memo ? TextoDe(memo) : QString();
    const QString titulo = QLatin1String(kTituloRestricciones);
    if (!texto.isEmpty() && !texto.contains(titulo)) {
        texto = titulo + texto;
        AsignarTexto(memo, texto);
    }
    const TQuickRep* informe = banda->ParentReport();
    const bool apaisado = informe && informe->Page.Orientation == poLandscape;
    const int altura = AlturaRestricciones(texto, apaisado);
    if (r.PrimeraPagina && !texto.isEmpty()) {
        memo->setEnabled(true);
        memo->setHeight(altura);
        banda->setHeight(r.AlturaBanda + altura);
        ColocarEtiquetas(banda, r, altura);
    } else {
        if (memo) memo->setEnabled(false);
        banda->setHeight(r.AlturaBanda);
        ColocarEtiquetas(banda, r, 0);
    }
    r.PrimeraPagina = false;
}

void ConfigurarBotonesMoneda(TfGENEINIC* f, QObject* Formulario, const QString& Modo) {
    const bool asignar = Modo == QLatin1String("Asignar");
    if (!Formulario || (!asignar && Modo != QLatin1String("Desasignar"))) return;
    for (QObject* c : Formulario->findChildren<QObject*>()) {
        if (EsControlImporte(c)) {
            auto* control = static_cast<TQRCustomLabel*>(c);
            if (control->Tag() < 1000) continue;
            if (!asignar)
                control->OnPrint = nullptr;
            else if (!control->OnPrint)
                control->OnPrint = [](QObject* Sender, QString& Valor) {
                    ImporteQRPrint(ModuloDatos, Sender, Valor);
                };
        } else if (auto* ds = qobject_cast<TDataSet*>(c)) {
            for (TField* campo : ds->Fields()) {
                if (campo->Tag() < 1000) continue;
                if (campo->DataType() != ftFloat && campo->DataType() != ftCurrency) continue;
                if (asignar)
                    campo->OnGetText = [](TField* Sender, QString& Texto, bool DisplayText) {
                        ImporteGetText(ModuloDatos, Sender, Texto, DisplayText);
                    };
                else
                    campo->OnGetText = nullptr;
            }
        } else if (asignar && c->objectName() == QLatin1String("pbEuro")) {
            if (auto* boton = qobject_cast<TSpeedButton*>(c)) {
                const bool nacional =
                    ParametroGeneral(ModuloDatos, QStringLiteral("CodigoMonedaBase")) !=
                    ParametroGeneral(ModuloDatos, QStringLiteral("CodigoMonedaEuro"));
                boton->setIcon(nacional ? GlifoMonedaNacional() : GlifoMonedaEuro());
            }
        }
    }
}

QIcon GlifoMonedaEuro() {
    static const QIcon glifo = Glifo(QString(QChar(0x20AC)));
    return glifo;
}

QIcon GlifoMonedaNacional() {
    static const QIcon glifo = Glifo(QStringLiteral("Pts"));
    return glifo;
}
