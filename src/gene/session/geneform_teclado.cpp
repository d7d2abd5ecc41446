// The common key handling of every form.

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTimer>

#include "db/dataset.h"
#include "db/dberror.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genelog.h"
#include "gene/data/genemodu.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/print/geneimpr.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneform_p.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/form.h"
#include "ui/grids.h"
#include "ui/menus.h"
#include "ui/registry.h"

int UltimaTeclaPulsada = 0;
QString TeclasPulsadas;
bool DesactivarPuntoPorComaDecimal = false;
TGanchoVisorRegistro GanchoVisorCampos = nullptr;
TGanchoVisorRegistro GanchoVisorCamposUsuario = nullptr;
TGanchoVisorRegistro GanchoHistorialAccesosRegistro = nullptr;

namespace {

constexpr int kModificadores = ssShift | ssAlt | ssCtrl;

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

void ActualizarTeclas(int Key, int Shift) {
    if (TeclasPulsadas.size() > 10000) TeclasPulsadas.clear();
    if ((Shift & kModificadores) == 0 && Key >= 40 && Key <= 122)
        TeclasPulsadas += QChar(Key);
    else
        TeclasPulsadas += QLatin1Char('|');
    while (TeclasPulsadas.contains(QLatin1String("||")))
        TeclasPulsadas.replace(QLatin1String("||"), QLatin1String("|"));
}

// The control that has the focus on the form, as a component (the editor
// inside a grid stands for the grid).
QObject* ControlActivo(TForm* Formulario) {
    QWidget* w = Formulario->ActiveControl();
    if (!w) {
        QWidget* foco = QApplication::focusWidget();
        if (foco && Formulario->isAncestorOf(foco)) w = foco;
    }
    if (!w) return nullptr;
    TControlBase* c = ControlOf(w);
    if (c && c->Widget() != Formulario) return c->Widget();
    return w == Formulario ? nullptr : w;
}

bool EsMemo(const QObject* o) {
    return o && (geneform::EsClase(o, "TDBMemo") || geneform::EsClase(o, "TMemo"));
}

bool EsRejilla(const QObject* o) {
    return o && geneform::EsClase(o, "TDBGrid");
}

bool EnEdicion(const TDataSet* ds) {
    return ds && (ds->State() == dsEdit || ds->State() == dsInsert || ds->State() == dsSetKey);
}

bool EsCampoReal(const TField* campo) {
    return campo && (campo->DataType() == ftFloat || campo->DataType() == ftCurrency);
}

// The dataset of the active grid or data edit, else DataSource1's.
TDataSet* DataSetActivo(TForm* Formulario, QObject* activo, bool incluirEdit) {
    if (EsRejilla(activo)) return geneform::DataSetDeRejilla(activo);
    if (incluirEdit && activo && geneform::EsClase(activo, "TDBEdit"))
        return geneform::DataSetDeControl(activo);
    return geneform::DataSetPrincipal(Formulario);
}

// The calculator writes its result into a float field.
void CalculadoraEnCampo(TfGENEINIC* f, TField* campo) {
    try {
        TDataSet* ds = campo->DataSet();
        if (ds->State() == dsBrowse) ds->Edit();
        campo->setAsFloat(Calculadora(f, campo->AsFloat()));
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception&) {
        MensajeAdvertencia(QStringLiteral("El registro está siendo bloqueado por otro usuario"));
    }
}

void TeclaF2(TfGENEINIC* f, TForm* Formulario, QObject* activo) {
    if (EsRejilla(activo)) {
        TField* campo = geneform::CampoSeleccionadoRejilla(activo);
        if (EsCampoReal(campo)) {
            CalculadoraEnCampo(f, campo);
        } else if (TControlBase* c = ControlOf(qobject_cast<QWidget*>(activo))) {
            if (c->OnDblClick) c->OnDblClick(activo);
        }
        return;
    }
    if (activo && geneform::EsClase(activo, "TDBEdit")) {
        TField* campo = geneform::CampoDeControl(activo);
        if (EsCampoReal(campo))
            CalculadoraEnCampo(f, campo);
        else
            LlamarMetodoPublicado(Formulario, QStringLiteral("BuscarDatosDBEdit"), activo);
        return;
    }
    if (TieneMetodoPublicado(Formulario, QStringLiteral("BuscarDatosDBEdit"))) {
        LlamarMetodoPublicado(Formulario, QStringLiteral("BuscarDatosDBEdit"), activo);
        return;
    }
    if (activo && QLatin1String(activo->metaObject()->className()) == QLatin1String("TEdit"))
        AsociarTablaBusqueda(f, activo);
}

void TeclaCtrlT(TfGENEINIC*, QObject* activo) {
    if (!activo) return;
    try {
        auto predefinido = [](const QString& codigo) {
            QString texto;
            TextoPredefinido(Modulo(), codigo, texto);
            return texto;
        };
        auto enCampo = [](TField* campo, const QString& texto) {
            if (!campo) return;
            TDataSet* ds = campo->DataSet();
            if (ds->State() == dsBrowse) ds->Edit();
            campo->setAsString(texto);
        };
        if (EsRejilla(activo)) {
            // The plain keys typed before Ctrl: the piece before the last "|".
            const QString codigo = ExtraerTokenDesdeFinal(1, TeclasPulsadas, QStringLiteral("|"));
            const QString texto = predefinido(codigo);
            if (!texto.isEmpty()) enCampo(geneform::CampoSeleccionadoRejilla(activo), texto);
        } else if (geneform::EsClase(activo, "TDBEdit") || geneform::EsClase(activo, "TDBMemo")) {
            QVariant actual;
            LeerPropiedad(activo, QStringLiteral("Text"), actual);
            const QString texto = predefinido(actual.toString());
            if (!texto.isEmpty()) enCampo(geneform::CampoDeControl(activo), texto);
        } else if (auto* edit = qobject_cast<TEdit*>(activo)) {
            const QString texto = predefinido(edit->Text());
            if (!texto.isEmpty()) edit->setText(texto);
        } else if (auto* memo = qobject_cast<TMemo*>(activo)) {
            const QString texto = predefinido(memo->Text());
            if (!texto.isEmpty()) memo->setText(texto);
        }
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible asignar el texto!. Motivo: ") +
                           MotivoError(e));
    }
}

void TeclaCtrlL(QObject* activo) {
    auto* w = qobject_cast<QWidget*>(activo);
    if (!w || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    const bool rejilla = EsRejilla(activo);
    if (!rejilla && !qobject_cast<TStringGrid*>(activo) && !qobject_cast<TMemo*>(activo)) return;
    bool aceptado = false;
    const QFont fuente = QFontDialog::getFont(&aceptado, w->font(), w);
    if (!aceptado) return;
    w->setFont(fuente);
    if (rejilla) {
        AsignarPropiedad(activo, QStringLiteral("TitleFont"), fuente);
        AsignarPropiedad(activo, QStringLiteral("TitleFontColor"), int(clNavy));
    }
}

void TeclaCtrlP(TfGENEINIC*, QObject* activo) {
    if (!activo || activo->objectName() != QLatin1String("EditFormatoImpreso")) return;
    QString nivel;
    if (NivelAccesoPrograma(Modulo(), CodigoUsuarioActual,
                            QStringLiteral("Configuración de Impresos"),
                            nivel) == QLatin1String("Ninguno"))
        return;
    RegistrarTfGENEIMPR();
    // A look-up box shows the description: its key is the format's code.
    QVariant codigo;
    if (auto* lista = qobject_cast<TDBLookupComboBox*>(activo))
        codigo = lista->KeyValue();
    else
        LeerPropiedad(activo, QStringLiteral("Text"), codigo);
    QPointer<TForm> impreso = CreateForm(QStringLiteral("TfGENEIMPR"));
    if (!impreso) return;
    impreso->setName(QStringLiteral("fGENEIMPR"));
    AsignarPropiedad(impreso, QStringLiteral("Modo"), QStringLiteral("Contexto"));
    AsignarPropiedad(impreso, QStringLiteral("CodigoImpreso"), codigo.toString());
    impreso->ShowModal();
    if (impreso) impreso->Free();
}

// Where Enter may stop: a field. Buttons (but for check and radio boxes),
// the tabs of a page control, panels and scroll bars are reached by Tab only.
bool EsParadaIntro(QWidget* w) {
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) return true;
    return !qobject_cast<QAbstractButton*>(w) && !qobject_cast<QTabBar*>(w) &&
           !qobject_cast<QScrollBar*>(w) && !qobject_cast<TPanel*>(w);
}

// A box the clerk cannot type into (a total the form works out): what he
// types next belongs to the field after it. Grids stay stops.
bool SoloLectura(const QWidget* w) {
    if (qobject_cast<const QAbstractItemView*>(w)) return false;
    if (const auto* e = qobject_cast<const QLineEdit*>(w); e && e->isReadOnly()) return true;
    if (const auto* e = qobject_cast<const QAbstractSpinBox*>(w); e && e->isReadOnly()) return true;
    if (const auto* e = qobject_cast<const QPlainTextEdit*>(w); e && e->isReadOnly()) return true;
    // A data control told read-only, whatever its box shows.
    return w->property("ReadOnly").toBool();
}

// Enter outside grids and memos: the focus goes to the next field of the
// form in tab order (the order its fields stand in on screen), passing over
// the read-only ones.
void SiguienteCampo(TForm* Formulario) {
    QWidget* desde = QApplication::focusWidget();
    if (!desde || !Formulario->isAncestorOf(desde)) return;
    for (QWidget* w = desde->nextInFocusChain(); w && w != desde; w = w->nextInFocusChain()) {
        if (!Formulario->isAncestorOf(w) || w->focusProxy() || !w->isVisible() || !w->isEnabled() ||
            (w->focusPolicy() & Qt::TabFocus) != Qt::TabFocus || !EsParadaIntro(w) ||
            SoloLectura(w))
            continue;
        w->setFocus(Qt::TabFocusReason);
        return;
    }
}

bool EsRejillaDeTexto(const QObject* o) {
    return EsRejilla(o) || qobject_cast<const TStringGrid*>(o);
}

// Enter in a grid is Tab there (the next column, the next line); when the
// grid lets the focus go, it goes on to the next field as Enter does.
void IntroEnRejilla(TForm* Formulario, QObject* Rejilla) {
    QPointer<QWidget> foco = QApplication::focusWidget();
    if (!foco) return;
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(foco, &tab);
    auto* rejilla = qobject_cast<QWidget*>(Rejilla);
    QWidget* ahora = QApplication::focusWidget();
    if (!ahora || !rejilla || ahora == rejilla || rejilla->isAncestorOf(ahora)) return;
    if (!EsParadaIntro(ahora)) SiguienteCampo(Formulario);
}

void Filas(TfGENEINIC* f, TForm* Formulario, int& Key, int Shift) {
    const int mods = Shift & kModificadores;
    const bool ninguno = mods == 0;
    const bool ctrl = mods == ssCtrl;
    const bool ctrlAlt = mods == (ssCtrl | ssAlt);
    QObject* activo = ControlActivo(Formulario);
    TModuloDatos* m = Modulo();

    if (Key == VK_RETURN && ninguno && !EsMemo(activo)) {
        // In a grid Enter is Tab (the next column); elsewhere the next field.
        Key = 0;
        if (EsRejillaDeTexto(activo)) {
            IntroEnRejilla(Formulario, activo);
        } else {
            SiguienteCampo(Formulario);
        }
    }
    if (Key == VK_F5 && ctrl) {
        if (auto* agregar =
                qobject_cast<TMenuItem*>(Formulario->FindComponent(QStringLiteral("Agregar")))) {
            agregar->setChecked(!agregar->Checked());
            agregar->setCaption(agregar->Checked() ? QStringLiteral("&Agregar con Duplicación")
                                                   : QStringLiteral("&Agregar"));
        }
    }
    if (Key == VK_F5 && mods == ssShift && EsRejilla(activo)) {
        auto* tabla = qobject_cast<TTable*>(geneform::DataSetDeRejilla(activo));
        TField* campo = geneform::CampoSeleccionadoRejilla(activo);
        if (tabla && campo && EnEdicion(tabla)) {
            QString clave;
            ClaveUltimoRegistro(m, tabla, clave);
            CopiarCampoRegistro(m, tabla, campo->FieldName(), clave);
        }
    }
    // The keys below that a cell's editor or a field would take as typed
    // text ("c", "v" with Ctrl+Alt, the keypad's "+" with Ctrl) end here,
    // whatever their row does.
    if (Key == 'C' && ctrlAlt && EsRejilla(activo)) {
        Key = 0;
        if (TDataSet* ds = geneform::DataSetDeRejilla(activo)) {
            QString texto;
            ValoresRegistro(m, ds, texto);
        }
    }
    if (Key == 'V' && ctrlAlt && EsRejilla(activo)) {
        Key = 0;
        TDataSet* ds = geneform::DataSetDeRejilla(activo);
        if (EnEdicion(ds)) AsignarValoresRegistro(m, ds, QStringLiteral("SinIndices"));
    }
    if (Key == 'L' && ctrl) TeclaCtrlL(activo);
    if (Key == 'Z' && ctrl && GanchoVisorCampos)
        if (TDataSet* ds = DataSetActivo(Formulario, activo, true)) GanchoVisorCampos(f, ds);
    if (Key == VK_ADD && ctrl) {
        Key = 0;
        TDataSet* ds =
            GanchoVisorCamposUsuario ? DataSetActivo(Formulario, activo, false) : nullptr;
        if (ds && ds->State() == dsBrowse) GanchoVisorCamposUsuario(f, ds);
    }
    if (Key == 'R' && ctrl) {
        TDataSet* ds = EsRejilla(activo) ? geneform::DataSetDeRejilla(activo)
                                         : geneform::DataSetPrincipal(Formulario);
        if (!EsRejilla(activo) && ds && ds->State() != dsBrowse) ds = nullptr;
        if (auto* tabla = qobject_cast<TTable*>(ds)) ResponsabilidadDocumentalRegistro(f, tabla);
    }
    if (Key == 'G' && ctrl && EsRejilla(activo)) AjustarRejilla(m, qobject_cast<TDBGrid*>(activo));
    if (Key == 'H' && ctrl && EsRejilla(activo)) geneform::ColumnasPorDefectoRejilla(activo);
    if (Key == VK_F2 && ninguno) TeclaF2(f, Formulario, activo);
    if (Key == 'B' && ctrl)
        if (auto* boton = qobject_cast<QWidget*>(
                Formulario->FindComponent(QStringLiteral("pbBusquedaEspecial"))))
            if (TControlBase* c = ControlOf(boton)) c->Click();
    if (Key == 'I' && ctrl && activo) BorrarCampoControl(m, activo);
    if (Key == 'S' && ctrl && EsRejilla(activo)) geneform::AlternarSeleccionMultiple(activo);
    if (Key == 'T' && ctrl) TeclaCtrlT(f, activo);
    if (Key == VK_F8 && ninguno && ModoAdministradorActivado)
        AgregarControlNoVisible(f, Formulario);
    if (Key == VK_F3 && ninguno) {
        QObject* boton = Formulario->FindComponent(QStringLiteral("pbAceptar"));
        if (!boton) boton = Formulario->FindComponent(QStringLiteral("pbGrabar"));
        if (auto* w = qobject_cast<QWidget*>(boton)) {
            Formulario->setActiveControl(w);
            w->setFocus(Qt::OtherFocusReason);
        }
    }
    if (Key == VK_RETURN && ctrl && EsRejilla(activo))
        LlamarMetodoPublicado(Formulario, activo->objectName() + QStringLiteral("EditButtonClick"),
                              activo);
    if (Key == 'M' && ctrl) IniciarMensajeria(f, QString());
    if (Key == VK_ESCAPE) ListadoCancelado = true;
    if (Key == 'P' && ctrl) TeclaCtrlP(f, activo);
    if (Key == 'A' && ctrl && GanchoHistorialAccesosRegistro)
        if (TDataSet* ds = DataSetActivo(Formulario, activo, true))
            GanchoHistorialAccesosRegistro(f, ds);
    if (Key == 'D' && ctrl)
        if (QObject* doc = Formulario->FindComponent(QStringLiteral("DocumentacionElectronica1")))
            LlamarMetodoPublicado(Formulario, QStringLiteral("DocumentacionElectronica1Click"),
                                  doc);
}

}  // namespace

void TeclaPulsadaFormulario(TfGENEINIC* f, TForm* Formulario, int& Key, int Shift) {
    ActualizarTeclas(Key, Shift);
    UltimaTeclaPulsada = Key;
    if (!Formulario) return;
    const int original = Key;
    try {
        Filas(f, Formulario, Key, Shift);
    } catch (...) {
        // The common keys never fail the form's own handling.
    }
    // Esc goes on to the form's own handler whatever happened here.
    if (original == VK_ESCAPE) Key = VK_ESCAPE;
}

void TeclaPresionadaFormulario(TfGENEINIC*, TForm* Formulario, QChar& Key) {
    if (!Formulario) return;
    try {
        QObject* activo = ControlActivo(Formulario);
        if (Key == QLatin1Char('\r')) {
            if (EsRejillaDeTexto(activo)) {
                Key = QLatin1Char('\t');
            } else if (!EsMemo(activo)) {
                Key = QChar();
                // The next field, once the key is done with, as the dialog
                // manager moves it.
                QTimer::singleShot(0, Formulario, [Formulario] { SiguienteCampo(Formulario); });
            }
            return;
        }
        if (Key != QLatin1Char('.') || UltimaTeclaPulsada != VK_DECIMAL) return;
        TField* campo = EsRejilla(activo) ? geneform::CampoSeleccionadoRejilla(activo)
                        : (activo && geneform::EsClase(activo, "TDBEdit"))
                            ? geneform::CampoDeControl(activo)
                            : nullptr;
        if (campo && EsCampoHora(campo))
            Key = QLatin1Char(':');
        else if (!DesactivarPuntoPorComaDecimal)
            Key = QLatin1Char(',');
    } catch (...) {
        // A control that cannot be read keeps the key as typed.
    }
}
