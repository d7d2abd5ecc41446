#include "gene/dialogs/genevreg.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

#include "gene/session/geneform.h"
#include "gene/data/genegrup.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemodu.h"
#include "gene/data/genetext.h"
#include "gene/dialogs/genevlis.h"
#include "gene/dialogs/genevlis_p.h"
#include "gene/data/mensajes.h"
#include "io/paths.h"
#include "io/textfile.h"
#include "ui/controls.h"
#include "ui/grids.h"

TGeometriaDialogo GeometriaEditorRegistro;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kAlturaFila = 16;

QString NombreLinea(const QString& Linea) {
    return Linea.section(QLatin1Char('='), 0, 0);
}
QString ValorLinea(const QString& Linea) {
    const qsizetype i = Linea.indexOf(QLatin1Char('='));
    return i < 0 ? QString() : Linea.mid(i + 1);
}

// The value column offers a pick list or a button by the row's style.
class DelegadoRegistro : public TDelegadoRejillaVisor {
public:
    explicit DelegadoRegistro(TfGENERINI* editor)
        : TDelegadoRejillaVisor(editor->StringGrid, &SepararPalabras, false), editor_(editor) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (index.column() == 1) {
            const QStringList lista = editor_->ListaValoresFila(index.row());
            if (!lista.isEmpty()) {
                auto* combo = new QComboBox(parent);
                combo->setEditable(true);
                combo->addItems(lista);
                return combo;
            }
            if (editor_->TieneBoton(index.row())) {
                auto* marco = new QWidget(parent);
                auto* capa = new QHBoxLayout(marco);
                capa->setContentsMargins(0, 0, 0, 0);
                capa->setSpacing(0);
                auto* texto = new QLineEdit(marco);
                texto->setObjectName(QStringLiteral("texto"));
                auto* boton = new QToolButton(marco);
                boton->setText(QStringLiteral("..."));
                capa->addWidget(texto, 1);
                capa->addWidget(boton);
                marco->setFocusProxy(texto);
                QObject::connect(boton, &QToolButton::clicked, marco, [this, marco] {
                    auto* d = const_cast<DelegadoRegistro*>(this);
                    Q_EMIT d->commitData(marco);
                    Q_EMIT d->closeEditor(marco);
                    editor_->StringGridEditButtonClick();
                });
                return marco;
            }
        }
        return TDelegadoRejillaVisor::createEditor(parent, option, index);
    }
    void setEditorData(QWidget* w, const QModelIndex& index) const override {
        const QString valor = index.data(Qt::EditRole).toString();
        if (auto* combo = qobject_cast<QComboBox*>(w))
            combo->setCurrentText(valor);
        else if (auto* texto = w->findChild<QLineEdit*>(QStringLiteral("texto")))
            texto->setText(valor);
        else
            TDelegadoRejillaVisor::setEditorData(w, index);
    }
    void setModelData(QWidget* w, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* combo = qobject_cast<QComboBox*>(w))
            model->setData(index, combo->currentText());
        else if (auto* texto = w->findChild<QLineEdit*>(QStringLiteral("texto")))
            model->setData(index, texto->text());
        else
            TDelegadoRejillaVisor::setModelData(w, model, index);
    }

private:
    TfGENERINI* editor_;
};

}  // namespace

TfGENERINI::TfGENERINI(QWidget* owner) : TForm(owner) {
    QVBoxLayout* capaRejilla = nullptr;
    QVBoxLayout* raiz =
        CrearMarcoRejilla(this, QStringLiteral("fGENERINI"),
                          QStringLiteral("Editor de Registro INI"), PanelGrid, capaRejilla);
    StringGrid = new TValueListEditor(PanelGrid);
    StringGrid->setObjectName(QStringLiteral("StringGrid"));
    StringGrid->setDefaultColWidth(145);
    StringGrid->setDefaultRowHeight(kAlturaFila);
    StringGrid->setTitleCaptions(QString(), QStringLiteral("Valor"));
    StringGrid->setItemDelegate(new DelegadoRegistro(this));
    capaRejilla->addWidget(StringGrid);
    raiz->addWidget(PanelGrid, 1);

    pbAceptar = CrearBotonDialogo(this, QStringLiteral("pbAceptar"), QStringLiteral("&Aceptar"),
                                  QStringLiteral("Aceptar los datos"), mrOk);
    pbCancelar =
        CrearBotonDialogo(this, QStringLiteral("pbCancelar"), QStringLiteral("&Cancelar"),
                          QStringLiteral("Abandonar sin aceptar los datos"), mrCancel, true);
    PanelControl =
        CrearPanelCentrado(this, QStringLiteral("PanelControl"), {pbAceptar, pbCancelar});
    PanelControl->setFixedHeight(33);
    raiz->addWidget(PanelControl);

    alturaExtra_ = 6 + 2 * StringGrid->frameWidth();
    OnCreate = [this](QObject*) {
        if (fGENEINIC) AplicarAspecto(fGENEINIC, this);
        AplicarGeometriaDialogo(this, GeometriaEditorRegistro);
    };
    OnShow = [this](QObject*) { FormShow(); };
    OnClose = [this](QObject*, TCloseAction&) {
        const int ancho = GeometriaEditorRegistro.Width;
        RecordarGeometriaDialogo(this, GeometriaEditorRegistro);
        GeometriaEditorRegistro.Width = ancho;
    };
    // F2 acts as a double click, which does nothing here.
    ConectarMarcoRejilla(this, StringGrid, nullptr, nullptr);
}

void TfGENERINI::CargarLineas(const QStringList& LineasINI) {
    StringGrid->setStrings(LineasINI);
    const QFontMetrics medidas(StringGrid->font());
    int ancho = 0;
    for (int r = 1; r < StringGrid->RowCount(); ++r) {
        if (QTableWidgetItem* it = StringGrid->item(r, 0))
            it->setFlags(it->flags() & ~Qt::ItemIsEditable);
        ancho =
            std::max(ancho, medidas.horizontalAdvance(SepararPalabras(StringGrid->Cells(0, r))));
    }
    StringGrid->setColWidths(0, ancho + 10);
}

QStringList TfGENERINI::Lineas() const {
    return StringGrid->Strings();
}

QString TfGENERINI::EstiloFila(int Fila) const {
    if (Fila < 1 || Fila >= StringGrid->RowCount()) return QString();
    return ValorLista(StringGrid->Cells(0, Fila), EstilosEdicion);
}

QStringList TfGENERINI::ListaValoresFila(int Fila) const {
    const QString estilo = EstiloFila(Fila);
    if (estilo.isEmpty() || estilo.contains(QLatin1String("ELLIPSIS"))) return {};
    return estilo.split(QLatin1Char(','));
}

bool TfGENERINI::TieneBoton(int Fila) const {
    return EstiloFila(Fila).contains(QLatin1String("ELLIPSIS"));
}

void TfGENERINI::StringGridEditButtonClick() {
    const int fila = StringGrid->Row();
    const QString estilo = EstiloFila(fila);
    const QString nombre = StringGrid->Cells(0, fila);
    const QString valor = StringGrid->Cells(1, fila);
    if (estilo.contains(QLatin1String("ELLIPSIS_RANGO"))) {
        const qsizetype puntos = valor.indexOf(QLatin1String("..."));
        QString desde = puntos < 0 ? valor : valor.left(puntos);
        QString hasta = puntos < 0 ? QString() : valor.mid(puntos + 3);
        // A cancelled prompt keeps its bound.
        const QString nuevoDesde = MensajePeticion(
            QStringLiteral("Introduzca el valor Desde para ") + nombre, std::as_const(desde));
        if (!PeticionCancelada()) desde = nuevoDesde;
        const QString nuevoHasta = MensajePeticion(
            QStringLiteral("Introduzca el valor Hasta para ") + nombre, std::as_const(hasta));
        if (!PeticionCancelada()) hasta = nuevoHasta;
        StringGrid->setCells(1, fila, desde + QStringLiteral("...") + hasta);
    } else if (estilo.contains(QLatin1String("ELLIPSIS_GA"))) {
        QString rangos;
        SeleccionRangosGruposAnalisis(ModuloDatosPreparado ? ModuloDatos : nullptr,
                                      estilo.section(QLatin1Char(':'), 1), PuntosASaltos(valor),
                                      rangos);
        StringGrid->setCells(1, fila, SaltosAPunto(rangos));
    }
}

int TfGENERINI::AlturaIdeal() const {
    return AlturaIdealRejilla(StringGrid->RowCount(), StringGrid->DefaultRowHeight(), alturaExtra_,
                              PanelControl->height());
}

void TfGENERINI::FormShow() {
    PanelControl->show();
    StringGrid->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine |
                           goDrawFocusSelected | goColSizing | goRowMoving | goEditing | goTabs |
                           goAlwaysShowEditor);
    for (int r = 1; r < StringGrid->RowCount(); ++r)
        if (QTableWidgetItem* it = StringGrid->item(r, 0))
            it->setFlags(it->flags() & ~Qt::ItemIsEditable);
    const int ideal = AlturaIdeal();
    setMaximumHeight(ideal);
    setHeight(ideal);
    setActiveControl(pbAceptar);
    if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
}

QStringList CombinarLineasINI(const QString& Plantilla, const QString& Actual) {
    const QStringList actuales = LineasTexto(Actual);
    QStringList combinadas;
    for (const QString& linea : LineasTexto(Plantilla)) {
        const QString nombre = NombreLinea(linea);
        QString valor = ValorLinea(linea);
        for (const QString& a : actuales)
            if (NombreLinea(a).compare(nombre, Qt::CaseInsensitive) == 0) {
                valor = ValorLinea(a);
                break;
            }
        combinadas << nombre + QLatin1Char('=') + valor;
    }
    return combinadas;
}

bool EditorRegistroINI(TModuloDatos*, const QString& Plantilla, const QString& Actual,
                       const QString& Titulo, const QString& TitulosColumnas,
                       const QString& EstilosEdicion, const QString& Opciones, QString& Resultado) {
    const QStringList combinadas = CombinarLineasINI(Plantilla, Actual);
    auto texto = [](const QStringList& lineas) {
        QString t;
        for (const QString& l : lineas) t += l + kCrLf;
        return t;
    };
    Resultado = texto(combinadas);
    const QString formato = ValorParametro(QStringLiteral("Formato"), Opciones);
    if (!formato.isEmpty()) LeerFormatoDialogo(formato, GeometriaEditorRegistro);

    std::unique_ptr<TfGENERINI> editor(NewForm<TfGENERINI>());
    editor->EstilosEdicion = LineasTexto(EstilosEdicion);
    editor->StringGrid->setTitleCaptions(ExtraerToken(0, TitulosColumnas, QStringLiteral(";")),
                                         ExtraerToken(1, TitulosColumnas, QStringLiteral(";")));
    editor->CargarLineas(combinadas);
    editor->setCaption(Titulo.isEmpty() ? QStringLiteral("Editor de Registro INI") : Titulo);
    if (editor->ShowModal() != mrOk) return false;
    Resultado = texto(editor->Lineas());
    return true;
}

void LeerParametro(TModuloDatos*, const QString& Archivo, const QString& Nombre, QString& Valor,
                   const QString& Defecto) {
    QString texto;
    Valor = ReadTextFile(NativePath(Archivo), texto) ? ValorParametro(Nombre, texto) : QString();
    if (Valor.isEmpty()) Valor = Defecto;
}
