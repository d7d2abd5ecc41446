#include "gene/data/geneinfo.h"

#include "gene/data/geneconv.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemodu.h"
#include "gene/data/generest.h"
#include "gene/data/genesali.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"
#include "ui/component.h"
#include "ui/form.h"

#include <algorithm>

namespace {
constexpr int kPlata = 0xC0C0C0;
constexpr int kBlanco = 0xFFFFFF;
constexpr int kNegro = 0x000000;
}  // namespace

TMarcoInforme CrearMarcoInforme(TForm* Formulario, int AlturaCabecera, const QString& NombreTitulo,
                                int ArribaTitulo) {
    TMarcoInforme m;
    m.Informe = new TQuickRep(Formulario);
    m.Informe->setObjectName(QStringLiteral("QuickReport"));
    m.Informe->setPrintIfEmpty(false);
    m.Informe->setOptions(FirstPageHeader | LastPageFooter);
    m.Informe->Page.PaperSize = TQRPaperSize::A4;
    m.Cabecera = new TQRBand(Formulario, m.Informe, rbPageHeader);
    m.Cabecera->setObjectName(QStringLiteral("PageHeader"));
    m.Cabecera->setHeight(AlturaCabecera);
    m.Logotipo = new TQRImage(Formulario, m.Cabecera);
    m.Logotipo->setObjectName(QStringLiteral("TituloLogotipoEmpresa"));
    m.Logotipo->SetBounds(0, 0, 90, 30);
    m.Logotipo->setStretch(true);
    m.Empresa = new TQRLabel(Formulario, m.Cabecera);
    m.Empresa->setObjectName(QStringLiteral("TituloNombreEmpresa"));
    m.Empresa->SetBounds(100, 0, 400, 17);
    m.Titulo = new TQRSysData(Formulario, m.Cabecera);
    m.Titulo->setObjectName(NombreTitulo);
    m.Titulo->setData(qrsReportTitle);
    m.Titulo->SetBounds(100, ArribaTitulo, 500, 20);
    QFont negrita = m.Titulo->Font();
    negrita.setBold(true);
    negrita.setPointSize(12);
    m.Titulo->setFont(negrita);
    return m;
}

void CargarEmpresaInforme(TQRLabel* Empresa, TQRImage* Logotipo) {
    Empresa->setCaption(NombreEmpresaActual);
    QImage logo;
    if (!LogotipoEmpresaActual.isEmpty()) logo.load(NativePath(LogotipoEmpresaActual));
    Logotipo->setPicture(logo);
}

bool EstiloBasicoInforme(TModuloDatos* ModuloDatos) {
    const QString estilo = ParametroGeneral(ModuloDatos, QStringLiteral("TipoCombinacionTramas"));
    return estilo == QLatin1String("Basica") || estilo == QLatin1String("Blanco y Negro");
}

void AplicarEstiloInforme(TForm* Informe) {
    const QString estilo = ParametroGeneral(ModuloDatos, QStringLiteral("TipoCombinacionTramas"));
    if (estilo.isEmpty() || estilo == QLatin1String("Standard")) return;
    const bool byn = estilo == QLatin1String("Blanco y Negro");
    const bool basica = byn || estilo == QLatin1String("Basica");
    for (QObject* o : Informe->Components()) {
        if (auto* b = qobject_cast<TQRCustomBand*>(o)) {
            if (b->Color() == kPlata) b->setColor(kBlanco);
            continue;
        }
        auto* p = qobject_cast<TQRPrintable*>(o);
        if (!p) continue;
        const int fondo = p->ParentBand() ? p->ParentBand()->Color() : kBlanco;
        if (auto* l = qobject_cast<TQRLabel*>(o)) {
            if (l->Color() != kNegro) {
                l->setColor(fondo);
                if (byn) l->setFontColor(kNegro);
            } else if (basica) {
                l->setColor(kBlanco);
                l->setFontColor(kNegro);
                l->Frame.DrawTop = l->Frame.DrawBottom = l->Frame.DrawLeft = l->Frame.DrawRight =
                    true;
            }
            continue;
        }
        if (qobject_cast<TQRDBText*>(o)) p->setColor(fondo);
        if (byn && qobject_cast<TQRCustomLabel*>(o)) p->setFontColor(kNegro);
        if (byn)
            if (auto* s = qobject_cast<TQRShape*>(o)) s->Pen.Color = kNegro;
    }
}

TCompresionListado CompresionListados(TModuloDatos* ModuloDatos) {
    TCompresionListado c;
    c.Posicion = TextoAReal(ParametroGeneral(ModuloDatos, QStringLiteral("FCompresionListados")));
    c.Letra =
        TextoAReal(ParametroGeneral(ModuloDatos, QStringLiteral("FCompresionTLetraListados")));
    c.TipoLetra = ParametroGeneral(ModuloDatos, QStringLiteral("TipoLetraListados"));
    if (c.TipoLetra.isEmpty()) c.TipoLetra = QStringLiteral("Por Defecto");
    c.Aplica = c.Posicion != 0 && c.Letra != 0 &&
               !(c.Posicion == 1 && c.Letra == 1 && c.TipoLetra == QLatin1String("Por Defecto"));
    return c;
}

void ComprimirControl(TQRPrintable* Control, const TCompresionListado& Compresion,
                      int Desplazamiento, bool Fuente) {
    if (!Control || !Compresion.Aplica) return;
    Control->setLeft(int(Control->Left() * Compresion.Posicion) + Desplazamiento);
    Control->setWidth(int(Control->Width() * Compresion.Posicion));
    if (!Fuente) return;
    try {
        QFont f = Control->Font();
        f.setPointSize(std::max(1, int(f.pointSize() * Compresion.Letra)));
        if (Compresion.TipoLetra != QLatin1String("Por Defecto"))
            f.setFamily(FontFamily(Compresion.TipoLetra));
        Control->setFont(f);
    } catch (...) {
        // A font that cannot be set leaves the control's own.
    }
}

TQRMemo* CrearBloqueRestricciones(TForm* Informe, TQRBand* PageHeader, int Arriba) {
    QString posiciones;
    for (QObject* o : Informe->Components()) {
        auto* l = qobject_cast<TQRLabel*>(o);
        if (l && l->ParentBand() == PageHeader)
            posiciones += l->objectName() + QLatin1Char('=') + QString::number(l->Top()) +
                          QStringLiteral("\r\n");
    }
    RestriccionesListado.PosicionesEtiquetas = posiciones;
    RestriccionesListado.AlturaBanda = PageHeader->Height();
    RestriccionesListado.BandaPreparada = true;
    PageHeader->BeforePrint = [](QObject* banda, bool& imprimir) {
        ImprimirRestriccionesListado(fGENEINIC, banda, imprimir);
    };
    auto* memo = new TQRMemo(Informe, PageHeader);
    memo->setObjectName(QStringLiteral("MemoRestricciones"));
    memo->SetBounds(0, Arriba, PageHeader->Width(), 15);
    memo->setFont(MakeFont(QStringLiteral("Arial"), 8));
    memo->setFontColor(clMaroon);
    memo->setTransparent(true);
    RestriccionesListado.Memo = memo;
    return memo;
}
