// Look, translation and layout of forms.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLineEdit>
#include <QMdiArea>
#include <QMetaProperty>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QStyledItemDelegate>

#include "db/field.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneform_p.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemodu.h"
#include "gene/data/genetrad.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/form.h"
#include "ui/grids.h"
#include "ui/menus.h"

namespace {

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

QString Traduccion(const QString& texto, const QString& variables, const QString& idioma) {
    QString r;
    Traducir(Modulo(), texto, variables, idioma, r);
    return r;
}

// Controls whose Color paints an edit area (the window colour by default),
// not the face of the form.
bool PintaAreaEdicion(const QObject* o) {
    return qobject_cast<const QLineEdit*>(o) || qobject_cast<const QAbstractItemView*>(o) ||
           qobject_cast<const QAbstractSpinBox*>(o) || qobject_cast<const QComboBox*>(o) ||
           o->inherits("QPlainTextEdit") || o->inherits("QTextEdit");
}

bool EsColorBoton(const QObject* o, int color) {
    return color == clBtnFace || (color == clDefault && !PintaAreaEdicion(o));
}

void AjustarFuente(QObject* c, const char* propiedad) {
    QVariant v;
    LeerPropiedad(c, QString::fromLatin1(propiedad), v);
    if (!v.canConvert<QFont>() || v.typeId() != QMetaType::QFont) return;
    QFont fuente = v.value<QFont>();
    const QString familia = fuente.family();
    bool cambia = false;
    if (familia == QLatin1String("MS Sans Serif") ||
        familia == FamiliaFuente(QStringLiteral("MS Sans Serif"))) {
        fuente.setFamily(FuenteAplicacion.family());
        cambia = true;
    }
    if (fuente.pointSize() == 8 || fuente.pointSize() == 9) {
        if (FuenteAplicacion.pointSize() > 0) fuente.setPointSize(FuenteAplicacion.pointSize());
        cambia = true;
    }
    if (cambia) AsignarPropiedad(c, QString::fromLatin1(propiedad), fuente);
}

// The frames drawn behind coloured check boxes in the "evo+" look.
QList<QPointer<QFrame>>& Marcos() {
    static QList<QPointer<QFrame>> marcos;
    return marcos;
}

void MarcoCasilla(TCheckBox* casilla) {
    QWidget* padre = casilla->parentWidget();
    if (!padre || casilla->findChild<QFrame*>(QStringLiteral("rhMarcoCasilla"))) return;
    auto* marco = new QFrame(padre);
    const QColor color = ColorToQt(casilla->FontColor());
    marco->setStyleSheet(
        QStringLiteral("border: 1px solid %1; border-radius: 4px;").arg(color.name()));
    const QRect g = casilla->geometry();
    marco->setGeometry(g.x() - 3, g.y() - 1, g.width() + 6, g.height() + 2);
    marco->lower();
    marco->show();
    // Marks the box as framed (a child without a name is not a component).
    auto* marca = new QObject(casilla);
    marca->setObjectName(QStringLiteral("rhMarcoCasilla"));
    Marcos().append(marco);
}

class DelegadoTraducido : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale&) const override {
        return TextoElementoTraducido(fGENEINIC, value.toString());
    }
};

// ---- Button glyphs: small pictures drawn once, 20 x 20 pixels.

const QColor kTinta(48, 48, 48);
const QColor kAzul(0, 0, 128);

QIcon Dibujo(void (*pintura)(QPainter&)) {
    QPixmap p(20, 20);
    p.fill(Qt::transparent);
    QPainter l(&p);
    l.setRenderHint(QPainter::Antialiasing);
    pintura(l);
    l.end();
    return QIcon(p);
}

// A page with its corner folded, and its text lines when it has any.
void Hoja(QPainter& l, const QColor& papel, const QColor& borde, int lineas) {
    l.setPen(QPen(borde, 1));
    l.setBrush(papel);
    l.drawPolygon(QPolygonF({QPointF(3.5, 1.5), QPointF(11.5, 1.5), QPointF(15.5, 5.5),
                             QPointF(15.5, 18.5), QPointF(3.5, 18.5)}));
    l.drawPolyline(QPolygonF({QPointF(11.5, 1.5), QPointF(11.5, 5.5), QPointF(15.5, 5.5)}));
    l.setPen(QPen(kAzul, 1));
    for (int i = 0; i < lineas; ++i)
        l.drawLine(QPointF(5.5, 8.5 + 2.5 * i), QPointF(13.5 - (i % 2) * 3, 8.5 + 2.5 * i));
}

void PintarImpresora(QPainter& l) {
    l.setPen(QPen(kTinta, 1));
    l.setBrush(Qt::white);
    l.drawRect(QRectF(5.5, 2.5, 9, 6));
    l.setBrush(QColor(176, 176, 176));
    l.drawRoundedRect(QRectF(1.5, 7.5, 17, 7), 1.5, 1.5);
    l.setBrush(Qt::white);
    l.drawRect(QRectF(5.5, 12.5, 9, 6));
    l.setPen(QPen(kAzul, 1));
    l.drawLine(QPointF(7, 15), QPointF(13, 15));
    l.drawLine(QPointF(7, 17), QPointF(11, 17));
    l.setPen(Qt::NoPen);
    l.setBrush(QColor(0, 160, 0));
    l.drawEllipse(QRectF(15, 9, 2, 2));
}

// The printer with a small dialog window: the print asks first.
void PintarImpresoraDialogo(QPainter& l) {
    PintarImpresora(l);
    l.setPen(QPen(kAzul, 1));
    l.setBrush(Qt::white);
    l.drawRect(QRectF(11.5, 0.5, 8, 7));
    l.setBrush(kAzul);
    l.drawRect(QRectF(11.5, 0.5, 8, 2));
}

void PintarCalendario(QPainter& l) {
    l.setPen(QPen(kTinta, 1));
    l.setBrush(Qt::white);
    l.drawRect(QRectF(1.5, 3.5, 17, 15));
    l.setBrush(QColor(200, 32, 32));
    l.drawRect(QRectF(1.5, 3.5, 17, 4));
    l.setPen(QPen(kTinta, 2));
    l.drawLine(QPointF(6, 1.5), QPointF(6, 5));
    l.drawLine(QPointF(14, 1.5), QPointF(14, 5));
    l.setPen(Qt::NoPen);
    for (int fila = 0; fila < 3; ++fila)
        for (int col = 0; col < 4; ++col) {
            l.setBrush(fila == 1 && col == 2 ? QColor(200, 32, 32) : QColor(96, 96, 96));
            l.drawRect(QRectF(3.5 + col * 4, 9.5 + fila * 3, 2, 2));
        }
}

// A sheet of marks, ticked: the evaluations.
void PintarEvaluacion(QPainter& l) {
    Hoja(l, QColor(255, 255, 230), kTinta, 0);
    l.setPen(QPen(QColor(0, 140, 0), 1.6));
    for (int i = 0; i < 3; ++i) {
        const double y = 8.5 + 3.5 * i;
        l.drawPolyline(QPolygonF({QPointF(5, y), QPointF(6.5, y + 1.5), QPointF(9, y - 1.5)}));
    }
    l.setPen(QPen(kAzul, 1));
    for (int i = 0; i < 3; ++i)
        l.drawLine(QPointF(10, 8.5 + 3.5 * i), QPointF(13.5, 8.5 + 3.5 * i));
}

// A clock: the history.
void PintarHistorico(QPainter& l) {
    l.setPen(QPen(kAzul, 1.5));
    l.setBrush(Qt::white);
    l.drawEllipse(QRectF(2, 2, 16, 16));
    l.setPen(QPen(kTinta, 1.5));
    l.drawLine(QPointF(10, 10), QPointF(10, 5));
    l.drawLine(QPointF(10, 10), QPointF(14, 12));
}

void PintarBuscar(QPainter& l) {
    l.setPen(QPen(kTinta, 1.5));
    l.setBrush(QColor(220, 235, 255));
    l.drawEllipse(QRectF(2, 2, 11, 11));
    l.setPen(QPen(kTinta, 3, Qt::SolidLine, Qt::RoundCap));
    l.drawLine(QPointF(12, 12), QPointF(17.5, 17.5));
}

// A double arrow between two bars: fit a width to the contents.
void PintarAjustar(QPainter& l) {
    l.setPen(QPen(kTinta, 1.5));
    l.drawLine(QPointF(2, 4), QPointF(2, 16));
    l.drawLine(QPointF(18, 4), QPointF(18, 16));
    l.drawLine(QPointF(5, 10), QPointF(15, 10));
    l.setPen(Qt::NoPen);
    l.setBrush(kTinta);
    l.drawPolygon(QPolygonF({QPointF(4, 10), QPointF(8, 6.5), QPointF(8, 13.5)}));
    l.drawPolygon(QPolygonF({QPointF(16, 10), QPointF(12, 6.5), QPointF(12, 13.5)}));
}

void PintarConDocumentacion(QPainter& l) {
    Hoja(l, QColor(255, 244, 180), kTinta, 4);
    // The clip of the attached papers.
    l.setPen(QPen(QColor(160, 0, 0), 1.5));
    l.setBrush(Qt::NoBrush);
    l.drawRoundedRect(QRectF(1, 0.5, 4, 9), 2, 2);
}

void PintarSinDocumentacion(QPainter& l) {
    Hoja(l, QColor(240, 240, 240), QColor(128, 128, 128), 0);
}

QString SinAcentos(const QString& texto) {
    QString r;
    for (const QChar c : texto.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing) r += c.toLower();
    return r;
}

// The glyph a button's name and hint ask for; null when they name none.
QIcon GlifoPedido(const QString& nombre, const QString& hint) {
    const QString texto = SinAcentos(nombre + QLatin1Char(' ') + hint);
    auto dice = [&texto](const char* palabra) { return texto.contains(QLatin1String(palabra)); };
    if (dice("documentacion")) return GlifoSinDocumentacion();
    if (dice("calendario")) {
        static const QIcon glifo = Dibujo(PintarCalendario);
        return glifo;
    }
    if (dice("historico")) {
        static const QIcon glifo = Dibujo(PintarHistorico);
        return glifo;
    }
    if (dice("evaluacion")) {
        static const QIcon glifo = Dibujo(PintarEvaluacion);
        return glifo;
    }
    if (dice("imprimir") || dice("impresion") || dice("listar")) {
        static const QIcon directa = Dibujo(PintarImpresora);
        static const QIcon dialogo = Dibujo(PintarImpresoraDialogo);
        return dice("dialogo") ? dialogo : directa;
    }
    if (dice("ajustar")) {
        static const QIcon glifo = Dibujo(PintarAjustar);
        return glifo;
    }
    if (dice("buscar") || dice("busqueda")) {
        static const QIcon glifo = Dibujo(PintarBuscar);
        return glifo;
    }
    return QIcon();
}

}  // namespace

void AplicarAspecto(TfGENEINIC*, QObject* Formulario) {
    if (!Formulario) return;
    TForm* forma = qobject_cast<TForm*>(Formulario);
    // No manifest on this platform: the look is the palette and fonts below.
    if (AspectoAplicacion.startsWith(QLatin1String("evo"))) {
        QColor fondo = ColorDialogoAspecto;
        if (forma && (forma->FormStyle() == fsMDIChild || forma->FormStyle() == fsMDIForm))
            fondo = ColorFondoAspecto;
        const int colorFondo = fondo.isValid() ? ColorFromQt(fondo) : int(clBtnFace);
        if (forma) AjustarFuente(forma, "Font");
        if (forma && EsColorBoton(forma, forma->Color())) forma->setColor(colorFondo);
        for (QObject* c : geneform::Componentes(Formulario)) {
            if (qobject_cast<TField*>(c) || qobject_cast<TMenuItem*>(c)) continue;
            AjustarFuente(c, "Font");
            AjustarFuente(c, "TitleFont");
            QVariant color;
            if (TienePropiedad(c, QStringLiteral("Color"))) {
                LeerPropiedad(c, QStringLiteral("Color"), color);
                if (EsColorBoton(c, color.toInt()))
                    AsignarPropiedad(c, QStringLiteral("Color"), colorFondo);
            }
            if (TienePropiedad(c, QStringLiteral("FixedColor"))) {
                LeerPropiedad(c, QStringLiteral("FixedColor"), color);
                if (color.toInt() == clBtnFace)
                    AsignarPropiedad(c, QStringLiteral("FixedColor"), colorFondo);
            }
            if (auto* barra = qobject_cast<TStatusBar*>(c)) {
                if (barra->SimplePanel()) {
                    const QString texto = barra->SimpleText();
                    barra->setSimplePanel(false);
                    barra->ClearPanels();
                    barra->AddPanel(texto, barra->Width());
                }
            }
            if (AspectoAplicacion == QLatin1String("evo+"))
                if (auto* casilla = qobject_cast<TCheckBox*>(c))
                    if (casilla->FontColor() != 0 && casilla->FontColor() != clWindowText)
                        MarcoCasilla(casilla);
        }
    } else if (!AspectoAplicacion.contains(QLatin1String("evo")) && forma &&
               forma->FormStyle() == fsMDIForm) {
        for (QObject* c : forma->children())
            if (auto* imagen = qobject_cast<TImage*>(c)) {
                imagen->Clear();
                break;
            }
    }
}

void TraducirPropiedad(TfGENEINIC*, QObject* Propietario, const QString& Propiedad) {
    if (!Propietario) return;
    for (QObject* c : geneform::Componentes(Propietario)) {
        const QMetaObject* meta = c->metaObject();
        const int i = meta->indexOfProperty(Propiedad.toLatin1().constData());
        if (i < 0 || meta->property(i).metaType().id() != QMetaType::QString) continue;
        const QString texto = meta->property(i).read(c).toString();
        if (texto.isEmpty()) continue;
        meta->property(i).write(c, Traduccion(texto, QString(), QString()));
    }
}

void TraducirFormulario(TfGENEINIC* f, QObject* Componente, const QString& Idioma) {
    const QString idioma = Idioma.isEmpty() ? IdiomaActual : Idioma;
    if (idioma.isEmpty() || !Componente) return;
    if (auto* forma = qobject_cast<TForm*>(Componente))
        forma->setCaption(Traduccion(forma->Caption(), QString(), idioma));
    for (const QString& p :
         {QStringLiteral("Caption"), QStringLiteral("Hint"), QStringLiteral("ReportTitle")})
        TraducirPropiedad(f, Componente, p);
    for (QObject* c : geneform::Componentes(Componente)) {
        if (geneform::EsClase(c, "TDBGrid")) {
            geneform::TraducirTitulosRejilla(
                c, [&idioma](const QString& t) { return Traduccion(t, QString(), idioma); });
        } else if (auto* rejilla = qobject_cast<TStringGrid*>(c)) {
            if (rejilla->RowCount() > 0)
                for (int col = 0; col < rejilla->ColCount(); ++col)
                    rejilla->setCells(col, 0,
                                      Traduccion(rejilla->Cells(col, 0), QString(), idioma));
        } else if (auto* navegador = qobject_cast<TDBNavigator*>(c)) {
            for (int b = nbFirst; b <= nbRefresh; ++b)
                if (QAbstractButton* boton = navegador->Button(TNavigateBtn(b)))
                    boton->setToolTip(Traduccion(boton->toolTip(), QString(), idioma));
        } else if (auto* lista = qobject_cast<TListView*>(c)) {
            for (int col = 0; col < lista->columnCount(); ++col)
                lista->setColumnCaption(col,
                                        Traduccion(lista->ColumnCaption(col), QString(), idioma));
        } else if (c->inherits("TQRSysData") && TienePropiedad(c, QStringLiteral("Text"))) {
            QVariant texto;
            LeerPropiedad(c, QStringLiteral("Text"), texto);
            AsignarPropiedad(c, QStringLiteral("Text"),
                             Traduccion(texto.toString(), QString(), idioma));
        }
    }
}

QString TextoElementoTraducido(TfGENEINIC*, const QString& Texto) {
    QString r;
    TraducirLista(Modulo(), Texto, QString(), r);
    return r;
}

void PrepararElementosTraducidos(TfGENEINIC*, QObject* Formulario) {
    if (IdiomaActual.isEmpty() || !Formulario) return;
    for (QObject* c : geneform::Componentes(Formulario)) {
        // Only list-only combos: an editable one keeps its text part as typed.
        auto* combo = qobject_cast<QComboBox*>(c);
        if (!combo || combo->isEditable()) continue;
        if (dynamic_cast<DelegadoTraducido*>(combo->itemDelegate())) continue;
        combo->setItemDelegate(new DelegadoTraducido(combo));
    }
}

void MensajeBarraEstado(TfGENEINIC*, TStatusBar* Barra, const QString& Texto,
                        const QString& Contexto) {
    if (!Barra) return;
    Barra->ClearPanels();
    if (Barra->SimplePanel()) {
        Barra->setSimpleText(Traduccion(Texto, Contexto, QString()));
    } else {
        const QStringList partes = Texto.split(QLatin1Char('|'));
        for (int i = 0; i < partes.size(); ++i) {
            if (i > 0 && partes.at(i).isEmpty()) break;
            const QString t = Traduccion(partes.at(i), Contexto, QString());
            Barra->AddPanel(t, Barra->TextWidth(t) + 10);
        }
    }
    Barra->update();
}

void AjustarTamanoFormulario(TfGENEINIC*, TForm* Formulario, const QString& Modo) {
    if (!Formulario) return;
    TForm* principal = MainForm();
    if (Modo.contains(QLatin1String("Design"))) {
        if (Formulario->Menu()) Formulario->setHeight(Formulario->Height() + 20);
        return;
    }
    if (Modo.contains(QLatin1String("Fit"))) {
        if (!principal) return;
        const QSize cliente = principal->MDIArea()
                                  ? principal->MDIArea()->size()
                                  : QSize(principal->ClientWidth(), principal->ClientHeight());
        Formulario->SetBounds(0, 0, cliente.width() - 4, cliente.height() - 4);
        return;
    }
    const bool xga = principal && principal->Width() >= 1024 && principal->Height() >= 768;
    Formulario->setWidth(xga ? 969 : 760);
    Formulario->setHeight(xga ? 609 : 520);
}

QIcon GlifoConDocumentacion() {
    static const QIcon glifo = Dibujo(PintarConDocumentacion);
    return glifo;
}

QIcon GlifoSinDocumentacion() {
    static const QIcon glifo = Dibujo(PintarSinDocumentacion);
    return glifo;
}

void AsignarGlifosBotones(TfGENEINIC*, QObject* Formulario) {
    if (!Formulario) return;
    for (QAbstractButton* boton : Formulario->findChildren<QAbstractButton*>()) {
        TControlBase* control = qobject_cast<TBitBtn*>(boton);
        if (!control) control = qobject_cast<TSpeedButton*>(boton);
        // Another window's buttons (an MDI child's) are that window's.
        if (!control || control->ParentForm() != Formulario) continue;
        if (!boton->text().isEmpty() || !boton->icon().isNull()) continue;
        const QString hint = control->Hint().section(QLatin1Char('|'), 0, 0).trimmed();
        const QIcon glifo = GlifoPedido(boton->objectName(), hint);
        if (!glifo.isNull())
            boton->setIcon(glifo);
        else
            boton->setText(hint.isEmpty() ? boton->objectName() : hint);
    }
}
