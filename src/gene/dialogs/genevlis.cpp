#include "gene/dialogs/genevlis.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <memory>

#include "db/dataset.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genecalc.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/dialogs/genedeta.h"
#include "gene/session/geneform.h"
#include "gene/data/genegrup.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/data/genelog.h"
#include "gene/dialogs/genemlis.h"
#include "gene/data/genemodu.h"
#include "gene/dialogs/geneopen.h"
#include "gene/dialogs/genesele.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/dialogs/genevcus.h"
#include "gene/dialogs/genevdet.h"
#include "gene/dialogs/genevlis_p.h"
#include "gene/dialogs/genevmem.h"
#include "gene/dialogs/genevreg.h"
#include "gene/data/mensajes.h"
#include "ui/controls.h"
#include "ui/grids.h"
#include "ui/registry.h"

QString ModoVisorLista;
TGeometriaDialogo GeometriaVisorCampos;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kVisorCampos = QStringLiteral("VisorCampos");
const QString kVisorCamposUsuario = QStringLiteral("VisorCamposUsuario");
const QString kVisorAgregarDatos = QStringLiteral("VisorAgregarDatos");
constexpr int kAlturaFila = 16;

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

// The label column follows the mouse: its width changes by the distance
// between the press and the release.
class ArrastreEtiquetas : public QObject {
public:
    ArrastreEtiquetas(TStringGrid* grid, int& x) : QObject(grid), grid_(grid), x_(x) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress) {
            x_ = int(static_cast<QMouseEvent*>(e)->position().x());
        } else if (e->type() == QEvent::MouseButtonRelease) {
            const int x = int(static_cast<QMouseEvent*>(e)->position().x());
            if (x != x_) grid_->setColWidths(0, std::max(8, grid_->ColWidths(0) + x - x_));
        }
        return false;
    }

private:
    TStringGrid* grid_;
    int& x_;
};

}  // namespace

// ---------------------------------------------------------------- painting

bool FilaBloqueada(const QString& Etiqueta) {
    return Etiqueta.contains(QLatin1String("(*)"));
}

int AlturaIdealRejilla(int Filas, int AlturaFila, int Extra, int Panel) {
    int principal = 768;
    if (TForm* forma = MainForm())
        principal = forma->Height();
    else if (QScreen* s = QApplication::primaryScreen())
        principal = s->availableGeometry().height();
    const int fila = AlturaFila + 1;
    const int ideal = Filas * fila + Extra + Panel;
    return ideal > principal - 100 ? fila * 20 + Extra : ideal;
}

void TDelegadoRejillaVisor::initStyleOption(QStyleOptionViewItem* option,
                                            const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const bool titulo = index.row() == 0;
    if (titulo && tituloNegrita_) option->font.setBold(true);
    QColor color = ColorToQt(clBlack);
    if (index.column() == 0 || titulo) {
        color = ColorToQt(clNavy);
        if (!titulo && index.column() == 0 && etiqueta_) option->text = etiqueta_(option->text);
    } else if (FilaBloqueada(index.sibling(index.row(), 0).data().toString())) {
        color = ColorToQt(clBtnFace);
    }
    option->palette.setColor(QPalette::Text, color);
    option->palette.setColor(QPalette::HighlightedText, color);
}

// ---------------------------------------------------------------- memo values

QString SaltosAPunto(const QString& Texto) {
    QString t = Texto;
    t.replace(kCrLf, QString(kSaltoLineaValor));
    t.replace(QLatin1Char('\n'), kSaltoLineaValor);
    t.replace(QLatin1Char('\r'), kSaltoLineaValor);
    return t;
}

QString SaltosABlancos(const QString& Texto) {
    QString t = SaltosAPunto(Texto);
    t.replace(kSaltoLineaValor, QLatin1Char(' '));
    return t;
}

QString PuntosASaltos(const QString& Texto) {
    QString t = Texto;
    t.replace(kSaltoLineaValor, kCrLf);
    return t;
}

QString LineaMemoVisor(const QString& Etiqueta, const QString& Texto) {
    return Etiqueta + kSeparadorMemo + SaltosAPunto(Texto) + kCrLf;
}

// ---------------------------------------------------------------- window

QVBoxLayout* CrearMarcoRejilla(TForm* Ventana, const QString& Nombre, const QString& Titulo,
                               TPanel*& PanelGrid, QVBoxLayout*& CapaRejilla) {
    Ventana->setObjectName(Nombre);
    Ventana->setCaption(Titulo);
    Ventana->setKeyPreview(true);
    Ventana->resize(409, 321);

    auto* raiz = new QVBoxLayout(Ventana);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    PanelGrid = new TPanel(Ventana);
    PanelGrid->setObjectName(QStringLiteral("PanelGrid"));
    PanelGrid->setBevelOuter(bvNone);
    CapaRejilla = new QVBoxLayout(PanelGrid);
    CapaRejilla->setContentsMargins(0, 0, 0, 0);
    return raiz;
}

TfGENEVLIS::TfGENEVLIS(QWidget* owner) : TForm(owner) {
    QVBoxLayout* capaRejilla = nullptr;
    QVBoxLayout* raiz =
        CrearMarcoRejilla(this, QStringLiteral("fGENEVLIS"), QStringLiteral("Visor de Campos"),
                          PanelGrid, capaRejilla);
    StringGrid = new TStringGrid(PanelGrid);
    StringGrid->setObjectName(QStringLiteral("StringGrid"));
    StringGrid->setColCount(2);
    StringGrid->setRowCount(2);
    StringGrid->setFixedCols(1);
    StringGrid->setFixedRows(1);
    StringGrid->setDefaultColWidth(150);
    StringGrid->setDefaultRowHeight(kAlturaFila);
    StringGrid->setColWidths(0, 150);
    StringGrid->setColWidths(1, 218);
    StringGrid->horizontalHeader()->setStretchLastSection(true);
    StringGrid->setItemDelegate(new TDelegadoRejillaVisor(
        StringGrid, [this](const QString& e) { return TextoEtiqueta(e); }, true));
    StringGrid->viewport()->installEventFilter(new ArrastreEtiquetas(StringGrid, xRaton_));
    capaRejilla->addWidget(StringGrid);
    pbAutoajustar = new TSpeedButton(PanelGrid);
    pbAutoajustar->setObjectName(QStringLiteral("pbAutoajustar"));
    pbAutoajustar->setHint(QStringLiteral("Autoajustar la primera columna al contenido"));
    pbAutoajustar->setGeometry(2, 2, 14, 12);
    pbAutoajustar->raise();
    raiz->addWidget(PanelGrid, 1);

    pbGrabar = CrearBotonDialogo(this, QStringLiteral("pbGrabar"), QStringLiteral("&Grabar"),
                                 QStringLiteral("Grabar los datos"), mrNone);
    pbCancelar =
        CrearBotonDialogo(this, QStringLiteral("pbCancelar"), QStringLiteral("&Cancelar"),
                          QStringLiteral("Abandonar sin grabar los datos"), mrCancel, true);
    PanelControl = CrearPanelCentrado(this, QStringLiteral("PanelControl"), {pbGrabar, pbCancelar});
    PanelControl->setFixedHeight(33);
    raiz->addWidget(PanelControl);

    alturaExtra_ = 6 + 2 * StringGrid->frameWidth();
    OnCreate = [this](QObject*) {
        if (GeometriaVisorCampos.Left == 0 && GeometriaVisorCampos.Top == 0) {
            setPosition(poScreenCenter);
        } else {
            AplicarGeometriaDialogo(this, GeometriaVisorCampos);
        }
        if (fGENEINIC) PrepararFormulario(fGENEINIC, this);
    };
    OnShow = [this](QObject*) { FormShow(); };
    OnClose = [this](QObject*, TCloseAction&) {
        const int ancho = GeometriaVisorCampos.Width;
        RecordarGeometriaDialogo(this, GeometriaVisorCampos);
        // The next viewer opens with the width this one was created with.
        GeometriaVisorCampos.Width = ancho == 0 ? 409 : ancho;
    };
    ConectarMarcoRejilla(
        this, StringGrid, [this] { StringGridDblClick(); },
        [this](int& Key, int Mods) { return FormKeyDown(Key, Mods); });
    StringGrid->OnDblClick = [this](QObject*) { StringGridDblClick(); };
    pbAutoajustar->OnClick = [this](QObject*) { pbAutoajustarClick(); };
    pbGrabar->OnClick = [this](QObject*) { pbGrabarClick(); };
}

void TfGENEVLIS::PrepararRejilla(int Filas) {
    StringGrid->setColCount(2);
    StringGrid->setRowCount(Filas + 1);
    StringGrid->setFixedRows(1);
    StringGrid->clearContents();
    StringGrid->setCells(0, 0, QStringLiteral("Campo"));
    StringGrid->setCells(1, 0, QStringLiteral("Valor"));
    valoresIniciales_ = QStringList(Filas + 1);
}

void TfGENEVLIS::AsignarFila(int Fila, const QString& Etiqueta, const QString& Valor) {
    StringGrid->setCells(0, Fila, Etiqueta);
    StringGrid->setCells(1, Fila, Valor);
    if (Fila >= 0 && Fila < valoresIniciales_.size()) valoresIniciales_[Fila] = Valor;
}

QString TfGENEVLIS::TextoEtiqueta(const QString& Etiqueta) const {
    return OpcionesVisor.contains(QLatin1String("RespetarNombresCampos"))
               ? Etiqueta
               : AbreviarTitulo(Etiqueta, 1);
}

int TfGENEVLIS::AlturaIdeal() const {
    const bool lectura = ModoVisorLista == kVisorCampos;
    return AlturaIdealRejilla(StringGrid->RowCount(), StringGrid->DefaultRowHeight(), alturaExtra_,
                              lectura ? 0 : PanelControl->height());
}

void TfGENEVLIS::FormShow() {
    StringGrid->setCells(0, 0, Espacios(6) + StringGrid->Cells(0, 0).trimmed());
    StringGrid->setColWidths(0, StringGrid->DefaultColWidth());
    const int opciones = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine |
                         goDrawFocusSelected | goColSizing | goRowMoving | goTabs |
                         goAlwaysShowEditor;
    if (ModoVisorLista == kVisorCampos) {
        PanelControl->hide();
        setCaption(QStringLiteral("Visor de Campos"));
        StringGrid->setOptions(opciones);
        setActiveControl(StringGrid);
    } else {
        PanelControl->show();
        if (ModoVisorLista == kVisorCamposUsuario)
            setCaption(QStringLiteral("Introducción de Campos de Usuario"));
        StringGrid->setOptions(opciones | goEditing);
        setActiveControl(pbGrabar);
    }
    // The first row that can be reached becomes current.
    for (int r = 1; r < StringGrid->RowCount(); ++r)
        if (!FilaBloqueada(StringGrid->Cells(0, r))) {
            StringGrid->setCurrentCell(r, 1);
            break;
        }
    alturaIdeal_ = AlturaIdeal();
    setMaximumHeight(alturaIdeal_);
    setHeight(alturaIdeal_);
    if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
}

void TfGENEVLIS::pbAutoajustarClick() {
    const QFontMetrics medidas(StringGrid->font());
    const int actual = StringGrid->ColWidths(0);
    int ancho = actual;
    for (int r = 1; r < StringGrid->RowCount(); ++r) {
        const int w = medidas.horizontalAdvance(TextoEtiqueta(StringGrid->Cells(0, r)));
        if (w > ancho) ancho = w + 8;
    }
    if (ancho == actual) return;
    setWidth(Width() + ancho - actual);
    StringGrid->setColWidths(0, ancho);
    StringGrid->viewport()->update();
}

QStringList TfGENEVLIS::entradaAtributos(const QString& Etiqueta) const {
    for (const QString& entrada : AtributosVisor) {
        const QStringList partes = entrada.split(QLatin1Char('>'));
        if (partes.value(1) == Etiqueta) {
            QStringList cuatro = partes;
            while (cuatro.size() < 4) cuatro << QString();
            return cuatro;
        }
    }
    return {};
}

void TfGENEVLIS::editarMemo(int Fila) {
    const QString etiqueta = StringGrid->Cells(0, Fila);
    QString memos = TextosMemoVisor;
    memos.replace(kSeparadorMemo, QLatin1Char('='));
    const QString original = ValorParametro(etiqueta, memos);
    // Only memo fields open the editor; what was written into the cell since
    // (an edit of the memo, or typing) is what gets edited.
    bool esMemo = false;
    for (const QString& linea : LineasTexto(TextosMemoVisor))
        if (linea.section(kSeparadorMemo, 0, 0).compare(etiqueta, Qt::CaseInsensitive) == 0)
            esMemo = true;
    if (!esMemo) return;
    const QString celda = StringGrid->Cells(1, Fila);
    const QString texto =
        celda == valoresIniciales_.value(Fila) ? PuntosASaltos(original) : PuntosASaltos(celda);
    if (texto.isEmpty()) return;
    QString resultado;
    EditarTexto(fGENEINIC,
                QStringLiteral("Titulo=Contenido del Campo: ") + AbreviarTitulo(etiqueta, 1) +
                    kCrLf + QStringLiteral("Formato=0,0,400,500"),
                texto, resultado);
    StringGrid->setCells(1, Fila, SaltosAPunto(resultado));
}

void TfGENEVLIS::StringGridDblClick() {
    const int fila = StringGrid->Row();
    if (fila < 1 || fila >= StringGrid->RowCount()) return;
    const QString etiqueta = StringGrid->Cells(0, fila);
    auto buscarEn = [&](const QString& tabla) {
        QVariant clave;
        BuscarCodigo(tabla, 0, clave);
        const QVariantList valores = clave.toList();
        if (!valores.isEmpty()) StringGrid->setCells(1, fila, valores.first().toString());
    };
    if (ModoVisorLista == kVisorCamposUsuario && fGENEINIC) {
        if (auto* campos = fGENEINIC->findChild<TTable*>(QStringLiteral("CamposUsuario"));
            campos && campos->Active()) {
            for (campos->First(); !campos->Eof(); campos->Next()) {
                const QString conexion =
                    campos->FieldByName(QStringLiteral("NombreTablaConexion"))->AsString();
                if (campos->FieldByName(QStringLiteral("NombreCampo"))->AsString() == etiqueta &&
                    !conexion.isEmpty()) {
                    buscarEn(conexion);
                    break;
                }
            }
        }
    } else if (ModoVisorLista == kVisorAgregarDatos) {
        const QStringList entrada = entradaAtributos(etiqueta);
        if (!entrada.isEmpty()) {
            const QString destino = entrada[0];
            if (destino.contains(QLatin1Char('?'))) {
                QString valores = entrada[2];
                valores.replace(QLatin1Char('/'), kCrLf);
                QString eleccion;
                SeleccionarDeLista(fGENEINIC,
                                   QStringLiteral("Titulo=Selección de ") +
                                       SepararPalabras(etiqueta) + kCrLf +
                                       QStringLiteral("Modo=Normal"),
                                   valores, eleccion);
                // Leaving the list without a choice keeps the value.
                if (!eleccion.isEmpty()) StringGrid->setCells(1, fila, eleccion);
            } else if (!destino.isEmpty()) {
                buscarEn(destino);
            }
        }
    }
    editarMemo(fila);
}

bool TfGENEVLIS::ValidarDatos() {
    if (ModoVisorLista != kVisorAgregarDatos) return true;
    bool correcto = true;
    for (int r = 1; r < StringGrid->RowCount(); ++r) {
        const QString etiqueta = StringGrid->Cells(0, r);
        const QStringList entrada = entradaAtributos(etiqueta);
        if (entrada.isEmpty()) continue;
        const QString valor = StringGrid->Cells(1, r);
        if (entrada[0].contains(QLatin1Char('?'))) {
            if (!entrada[2].split(QLatin1Char('/')).contains(valor, Qt::CaseInsensitive)) {
                MensajeAdvertencia(QStringLiteral("¡El valor para el campo ") +
                                   SepararPalabras(etiqueta) + QStringLiteral(" es incorrecto!"));
                correcto = false;
            }
        } else if (!entrada[3].contains(QLatin1String("NoValidar")) &&
                   !ExisteClaveTabla(Modulo(), entrada[0], CadenaClave(valor))) {
            MensajeAdvertencia(QStringLiteral("¡No existe el valor para el campo ") +
                               SepararPalabras(etiqueta + QLatin1Char('!')));
            correcto = false;
        }
    }
    return correcto;
}

void TfGENEVLIS::pbGrabarClick() {
    if (ValidarDatos()) setModalResult(mrOk);
}

bool TfGENEVLIS::FormKeyDown(int& Key, int Mods) {
    // Ctrl+Z closes the read-only view, Ctrl++ an editable one.
    if ((Key == 'Z' && Mods == ssCtrl && ModoVisorLista == kVisorCampos) ||
        (Key == VK_ADD && Mods == ssCtrl && ModoVisorLista != kVisorCampos)) {
        Key = 0;
        setModalResult(mrCancel);
        return true;
    }
    return false;
}

void ConectarMarcoRejilla(TForm* Ventana, TStringGrid* Rejilla, std::function<void()> DobleClic,
                          std::function<bool(int& Key, int Mods)> Teclas) {
    Ventana->OnKeyDown = [Ventana, DobleClic = std::move(DobleClic), Teclas = std::move(Teclas)](
                             QObject*, int& Key, TShiftState Shift) {
        const int mods = Shift & (ssShift | ssCtrl | ssAlt);
        if (Key == VK_ESCAPE) {
            Key = 0;
            Ventana->setModalResult(mrCancel);
            return;
        }
        if (Key == VK_F2 && mods == 0) {
            Key = 0;
            if (DobleClic) DobleClic();
            return;
        }
        if (Teclas && Teclas(Key, mods)) return;
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, Ventana, Key, Shift);
    };
    Ventana->OnKeyPress = [Ventana](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, Ventana, Key);
    };
    Rejilla->OnSelectCell = [Rejilla](QObject*, int, int ARow, bool& CanSelect) {
        if (FilaBloqueada(Rejilla->Cells(0, ARow))) CanSelect = false;
    };
}

// ---------------------------------------------------------------- callers

void VisorCampos(TfGENEINIC*, TDataSet* DataSet) {
    if (!DataSet || !DataSet->Active()) return;
    if (DataSet->State() == dsBrowse) DataSet->Refresh();
    ModoVisorLista = kVisorCampos;
    std::unique_ptr<TfGENEVLIS> visor(NewForm<TfGENEVLIS>());
    visor->PrepararRejilla(DataSet->FieldCount());
    int fila = 1;
    for (TField* campo : DataSet->Fields()) {
        if (CampoNoVisible(Modulo(), campo->FieldName())) continue;
        QString valor;
        if (campo->DataType() == ftDateTime &&
            campo->FieldName().toUpper().contains(QLatin1String("HORA")))
            valor = campo->IsNull() ? QString() : TimeToStr(campo->AsDateTime().time());
        else if (campo->IsBlob())
            valor = campo->AsString();
        else
            valor = campo->Text();
        if (IsStringType(campo->DataType()) && campo->IsBlob())
            visor->TextosMemoVisor += LineaMemoVisor(campo->FieldName(), valor);
        visor->AsignarFila(fila++, campo->FieldName(), SaltosABlancos(valor));
    }
    visor->ShowModal();
}

void VisorAgregarDatos(TfGENEINIC*, const QString& Opciones, const QString& Valores,
                       QString& Resultado) {
    Resultado.clear();
    QString definicion = ValorParametro(QStringLiteral("DefinicionCampos"), Opciones);
    definicion.replace(QLatin1Char(';'), kCrLf);
    const QStringList definiciones = LineasTexto(definicion);
    const QStringList valores = LineasTexto(Valores);

    ModoVisorLista = kVisorAgregarDatos;
    std::unique_ptr<TfGENEVLIS> visor(NewForm<TfGENEVLIS>());
    visor->setCaption(ValorParametro(QStringLiteral("Titulo"), Opciones));
    visor->OpcionesVisor = ValorParametro(QStringLiteral("Opciones"), Opciones);
    visor->PrepararRejilla(int(definiciones.size()));
    for (int i = 0; i < definiciones.size(); ++i) {
        const QStringList partes = definiciones[i].split(QLatin1Char(','));
        const QString nombre = partes.value(0);
        const QString tipo = partes.value(1);
        QString valor = valores.value(i);
        if (tipo == QLatin1String("ftDateTime") && nombre.toUpper().contains(QLatin1String("HORA")))
            valor = valor.isEmpty() ? QString() : TimeToStr(TextoAFechaHora(valor).time());
        if (tipo == QLatin1String("ftMemo"))
            visor->TextosMemoVisor += LineaMemoVisor(nombre, valor);
        visor->AsignarFila(i + 1, nombre, SaltosABlancos(valor));
        const QString tabla = partes.value(4);
        const QString permitidos = partes.value(5);
        if (!tabla.isEmpty())
            visor->AtributosVisor << tabla + QLatin1Char('>') + nombre + QStringLiteral(">>") +
                                         partes.value(6);
        if (!permitidos.isEmpty())
            visor->AtributosVisor << QLatin1Char('?') + nombre + QLatin1Char('>') + nombre +
                                         QLatin1Char('>') + permitidos + QLatin1Char('>') + tabla;
    }
    if (visor->ShowModal() != mrOk) return;
    for (int r = 1; r < visor->StringGrid->RowCount(); ++r)
        Resultado += visor->StringGrid->Cells(0, r) + QLatin1Char('=') +
                     visor->StringGrid->Cells(1, r) + kCrLf;
}

// ---------------------------------------------------------------- installation

void InstalarVisoresGenericos() {
    GanchoCalculadora = CalculadoraModal;
    GanchoVisorCampos = VisorCampos;
    GanchoVisorCamposUsuario = VisorCamposUsuario;
    GanchoHistorialAccesosRegistro = HistorialAccesosRegistro;
    GanchoSeleccionarDeLista = SeleccionarDeLista;
    // The data-entry viewer of the templates takes its initial values from
    // what Resultado brings in.
    GanchoVisorAgregarDatos = [](TfGENEINIC* f, const QString& Opciones, TDataSet*,
                                 QString& Resultado) {
        const QString valores = Resultado;
        VisorAgregarDatos(f, Opciones, valores, Resultado);
    };
    GanchoVisorListaDatos = [](const QString& Opciones, const QString& Datos, QString& Resultado) {
        VisorListaDatos(fGENEINIC, Opciones, Datos, Resultado);
    };
    static bool registrados = false;
    if (registrados) return;
    registrados = true;
    RegisterFormClass<TfGENEVLIS>(QStringLiteral("TfGENEVLIS"));
    RegisterFormClass<TfGENETEXT>(QStringLiteral("TfGENETEXT"));
    RegisterFormClass<TfGENEDETA>(QStringLiteral("TfGENEDETA"));
    RegisterFormClass<TfGENESELE>(QStringLiteral("TfGENESELE"));
    RegisterFormClass<TfGENEOPEN>(QStringLiteral("TfGENEOPEN"));
    RegisterFormClass<TfGENECALC>(QStringLiteral("TfGENECALC"));
    RegisterFormClass<TfGENERINI>(QStringLiteral("TfGENERINI"));
    RegisterFormClass<TfGENEMLIS>(QStringLiteral("TfGENEMLIS"));
    RegisterFormClass<TfGENEVMEM>(QStringLiteral("TfGENEVMEM"));
    RegisterFormClass<TfGENEVDET>(QStringLiteral("TfGENEVDET"));
}

namespace {
const bool visoresInstalados = [] {
    InstalarVisoresGenericos();
    return true;
}();
}  // namespace
