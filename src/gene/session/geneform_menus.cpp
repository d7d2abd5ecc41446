// Menus of saved queries and reports, search-table binding of plain edits,
// memo cells of grids and the on-screen keypad's timer.

#include <QPainter>
#include <QPointer>
#include <QRect>
#include <QVariant>

#include "db/field.h"
#include "gene/data/genelog.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/genecomp.h"
#include "gene/session/genedicc.h"
#include "gene/session/geneform.h"
#include "gene/session/geneform_p.h"
#include "gene/session/geneinic.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/form.h"
#include "ui/menus.h"
#include "ui/registry.h"

QString TecladoNumericoEnPantalla = QStringLiteral("NO");
QString InformeUsuarioAEjecutar;
TSeleccionarDeLista GanchoSeleccionarDeLista = nullptr;

namespace {

constexpr int kTagDinamico = 100;

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

QString SinAmpersand(QString texto) {
    return texto.remove(QLatin1Char('&'));
}

QStringList Lineas(const QString& texto) {
    QStringList lineas;
    for (const QString& l : texto.split(QStringLiteral("\r\n")))
        if (!l.isEmpty()) lineas.append(l);
    return lineas;
}

TMenuItem* NuevoElemento(TMenuItem* padre, const QString& caption,
                         std::function<void(QObject*)> click) {
    auto* item = new TMenuItem(MainForm() ? static_cast<QObject*>(MainForm()) : padre);
    item->setCaption(caption);
    item->setTag(kTagDinamico);
    if (click) item->OnClick = std::move(click);
    padre->Add(item);
    return item;
}

// An entry of a saved query or report keeps the stored name it was built
// from: its caption may not give it back ("&" marks a shortcut).
const char* const kNombreGuardado = "NombreGuardado";
// The window a menu entry opened: its kind and stored name.
const char* const kAbiertaDesdeMenu = "AbiertaDesdeMenu";

TMenuItem* NuevaEntradaGuardada(TMenuItem* padre, const QString& nombre,
                                std::function<void(QObject*)> click) {
    // "&&" shows as "&" and marks no shortcut.
    TMenuItem* item =
        NuevoElemento(padre, QString(nombre).replace(QStringLiteral("&"), QStringLiteral("&&")),
                      std::move(click));
    item->setProperty(kNombreGuardado, nombre);
    return item;
}

// The text a caption shows: "&&" an "&", a lone "&" marking a shortcut nothing.
QString TextoMostrado(const QString& caption) {
    QString texto;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&')) {
            if (i + 1 >= caption.size() || caption.at(i + 1) != QLatin1Char('&')) continue;
            ++i;
        }
        texto += caption.at(i);
    }
    return texto;
}

QPointer<TForm> formularioTeclado;
QString opcionesTeclado;

}  // namespace

void ConfigurarMenusConsultas(TfGENEINIC* f, const QString& Usuario, const QString& Aplicacion,
                              TMainMenu* Menu) {
    if (!Menu) return;
    TMenuItem* raiz = Menu->Items();
    for (int i = 0; i < raiz->Count(); ++i) {
        TMenuItem* arriba = raiz->Items(i);
        const QString c = SinAmpersand(arriba->Caption());
        if (c != QLatin1String("Adicional") && c != QLatin1String("Informes")) continue;
        for (int j = arriba->Count() - 1; j >= 0; --j)
            if (arriba->Items(j)->Tag() == kTagDinamico) arriba->Delete(j);
    }
    auto abrir = [f](QObject* Sender) { AbrirConsultaMenu(f, Sender); };
    if (TMenuItem* adicional = Menu->FindItem(QStringLiteral("Adicional1"))) {
        QString lista;
        if (ModuloDatosPreparado)
            ConsultasGuardadas(ModuloDatos, Usuario, Aplicacion, QStringLiteral("ConsultasSQL"),
                               lista);
        const QStringList consultas = Lineas(lista);
        if (!consultas.isEmpty()) NuevoElemento(adicional, QStringLiteral("-"), nullptr);
        for (const QString& c : consultas) NuevaEntradaGuardada(adicional, c, abrir);
    }
    if (TMenuItem* informes = Menu->FindItem(QStringLiteral("Informes1"))) {
        NuevoElemento(informes, QStringLiteral("-"), nullptr);
        NuevoElemento(informes, QStringLiteral("Configuración de Informes Personalizados"),
                      [f](QObject* Sender) { AbrirConfiguracionInformes(f, Sender); });
        QString lista;
        if (ModuloDatosPreparado)
            ConsultasGuardadas(ModuloDatos, Usuario, Aplicacion,
                               QStringLiteral("GeneradorInformes"), lista);
        const QStringList definiciones = Lineas(lista);
        if (!definiciones.isEmpty()) NuevoElemento(informes, QStringLiteral("-"), nullptr);
        for (const QString& d : definiciones) NuevaEntradaGuardada(informes, d, abrir);
    }
    Menu->Changed();
    if (QObject* ventana = Menu->Form() ? static_cast<QObject*>(Menu->Form()) : Menu->parent())
        TraducirFormulario(f, ventana, QString());
}

void MenusConsultasModificados() {
    // The main window lives in a layer above: it is asked by name.
    if (TForm* principal = MainForm())
        QMetaObject::invokeMethod(principal, "ActualizarMenusConsultas");
}

void AbrirConsultaMenu(TfGENEINIC*, QObject* Sender) {
    auto* item = qobject_cast<TMenuItem*>(Sender);
    if (!item) return;
    const QVariant guardado = item->property(kNombreGuardado);
    const QString nombre =
        guardado.isValid() ? guardado.toString() : TextoMostrado(item->Caption());
    TMenuItem* padre = item->Parent();
    const QString seccion = padre ? padre->objectName() : QString();
    const bool informe = seccion.compare(QLatin1String("Informes1"), Qt::CaseInsensitive) == 0;
    if (!informe && seccion.compare(QLatin1String("Adicional1"), Qt::CaseInsensitive) != 0) return;
    const QString clase = informe ? QStringLiteral("TfGENEUINF") : QStringLiteral("TfGENEUSQL");
    if (!FormClassRegistered(clase)) return;
    const QString abierta = clase + QLatin1Char('|') + nombre;
    if (TForm* principal = MainForm()) {
        for (int i = principal->MDIChildCount() - 1; i >= 0; --i) {
            TForm* hijo = principal->MDIChildren(i);
            if (hijo && hijo->property(kAbiertaDesdeMenu).toString() == abierta) {
                // A query or report is never open twice: the old one goes first.
                hijo->Close();
                break;
            }
        }
    }
    if (informe) {
        InformeUsuarioAEjecutar = nombre;
        TForm* ventana = CreateForm(clase);
        if (ventana) ventana->setProperty(kAbiertaDesdeMenu, abierta);
        RegistrarUso(Modulo(), ventana, QStringLiteral("Create"));
    } else {
        TForm* consulta = CreateForm(clase);
        RegistrarUso(Modulo(), consulta, QStringLiteral("Create"));
        if (consulta) {
            consulta->setProperty(kAbiertaDesdeMenu, abierta);
            QMetaObject::invokeMethod(consulta, "AbrirConsultaSQL", Q_ARG(QString, nombre));
        }
    }
}

void AbrirConfiguracionInformes(TfGENEINIC*, QObject* Sender) {
    if (!ExigirAdministrador(Modulo(), CodigoUsuarioActual, QString())) return;
    QString clave, nivel;
    ClaveOpcionMenu(Modulo(), Sender, clave);
    if (NivelAccesoPrograma(Modulo(), CodigoUsuarioActual, clave, nivel) ==
        QLatin1String("Ninguno"))
        return;
    TForm* ventana = nullptr;
    AbrirFormulario(Modulo(), QStringLiteral("TfGENECINF"), ventana, QString(),
                    QStringLiteral("fGENECINF"));
}

void AsociarTablaBusqueda(TfGENEINIC* f, QObject* Edit) {
    if (!Edit) return;
    const QString nombre = Edit->objectName();
    const QString legible = Entrecomillar(SepararPalabras(nombre));
    QString tabla;
    LeerBusqueda(Modulo(), nombre, tabla);
    if (tabla.isEmpty()) {
        if (MensajeConfirmacion(
                QStringLiteral("No existe una Tabla de Búsqueda asociada al control ") + legible +
                QStringLiteral(". ") +
                QStringLiteral("¿Desea localizar una tabla adecuada ahora?")) !=
            QLatin1String("SI"))
            return;
        QString tablas;
        ListaTablasDiccionario(f, QStringLiteral("ExcluirTablasBDGeneral"), tablas);
        QString elegida;
        if (GanchoSeleccionarDeLista)
            GanchoSeleccionarDeLista(f,
                                     QStringLiteral("Titulo=Selección de Tabla\r\n"
                                                    "Formato=0,0,300,0\r\nOpciones=Ordenada"),
                                     tablas, elegida);
        tabla = elegida.section(QStringLiteral("\r\n"), 0, 0).trimmed();
        if (tabla.isEmpty()) return;
        if (MensajeConfirmacion(QStringLiteral("¿Desea asociar el control ") + legible +
                                QStringLiteral(" con la tabla ") + tabla +
                                QStringLiteral(" de forma permanente?")) == QLatin1String("SI"))
            GrabarBusqueda(Modulo(), nombre, tabla);
    }
    if (!GanchoBuscarConFiltroYValor) return;
    QVariant clave;
    GanchoBuscarConFiltroYValor(tabla, 0, QString(), clave, QString());
    QVariant primero = clave;
    if (clave.typeId() == QMetaType::QVariantList) primero = clave.toList().value(0);
    const QString valor = primero.isNull() ? QString() : primero.toString();
    if (!valor.isEmpty()) AsignarPropiedad(Edit, QStringLiteral("Text"), valor);
}

void DibujarCeldaMemo(TfGENEINIC*, TDBGrid* Grid, QPainter* Canvas, const QRect& Rect,
                      int DataCol) {
    if (!Grid || !Canvas) return;
    TField* campo = geneform::CampoColumnaRejilla(Grid, DataCol);
    if (!campo || campo->DataType() != ftMemo) return;
    const bool conTexto = campo->DisplayText() == QLatin1String("(MEMO)");
    const QPen antes = Canvas->pen();
    if (conTexto) Canvas->setPen(Qt::red);
    Canvas->drawText(Rect.adjusted(0, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     conTexto ? QStringLiteral(" -->") : QStringLiteral(" ..."));
    Canvas->setPen(antes);
}

void ActivarTecladoNumerico(TfGENEINIC*, TForm* Formulario, const QString& Opciones) {
    // The keypad shows only while TecladoNumericoEnPantalla differs from
    // "NO", which nothing in this program changes: the form and options are
    // kept for it and nothing is shown.
    formularioTeclado = Formulario;
    opcionesTeclado = Opciones;
}
